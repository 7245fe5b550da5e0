// Base64 coder.
#include "foundation/Base64.h"

#include <stdlib.h>
#include <string.h>

#include "foundation/Exception.h"
#include "foundation/Texts.h"

namespace
{
const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
const unsigned char kNotInAlphabet = 254;
const unsigned char kPad = 255;

unsigned char g_decodeTable[256];
bool g_bDecodeTableBuilt = false;

// Built on first use without a lock: two threads building it at once write the same bytes.
void BuildDecodeTable()
{
    if (g_bDecodeTableBuilt)
        return;
    memset(g_decodeTable, kNotInAlphabet, sizeof(g_decodeTable));
    for (unsigned i = 0; i < 64; i++)
    {
        unsigned char ch = (unsigned char)kAlphabet[i];
        g_decodeTable[ch] = (unsigned char)i;
        g_decodeTable[ch + 0x80] = (unsigned char)i;
    }
    g_decodeTable['='] = kPad;
    g_decodeTable['=' + 0x80] = kPad;
    g_bDecodeTableBuilt = true;
}

// The next multiple of 4096 above n; the zeroed slack keeps the buffers terminated.
void* AllocZeroed(void* pOld, unsigned& nCapacity, unsigned long long nWanted)
{
    if (nCapacity < nWanted || pOld == NULL)
    {
        free(pOld);
        nCapacity = 0;
        unsigned long long nSize = (nWanted / 4096 + 1) * 4096;
        void* pNew = nSize > 0xFFFFFFFFull ? NULL : malloc((size_t)nSize);
        if (pNew == NULL)
            throw new CException(FoundationText::kCryptOutOfMemory);
        nCapacity = (unsigned)nSize;
        pOld = pNew;
    }
    memset(pOld, 0, nCapacity);
    return pOld;
}
} // namespace

CBase64::CBase64()
    : m_pDecoded(NULL), m_pEncoded(NULL), m_nDecodedCapacity(0), m_nEncodedCapacity(0), m_nDecodedLength(0),
      m_nEncodedLength(0)
{
}

CBase64::~CBase64()
{
    free(m_pDecoded);
    free(m_pEncoded);
}

void CBase64::EncodeText(const char* pszText)
{
    if (pszText != NULL)
        Encode((const unsigned char*)pszText, (unsigned)strlen(pszText));
}

void CBase64::Encode(const unsigned char* pData, unsigned nLength)
{
    SetDecodedInput(pData, nLength);
    AllocEncoded((unsigned long long)nLength * 2 > 0xFFFFFFFFull ? 0xFFFFFFFFu : nLength * 2);
    unsigned i = 0;
    for (; i + 3 <= nLength; i += 3)
    {
        EncodeBlock(m_pDecoded + i, 3, m_pEncoded + m_nEncodedLength);
        m_nEncodedLength += 4;
    }
    if (i < nLength)
    {
        EncodeBlock(m_pDecoded + i, nLength - i, m_pEncoded + m_nEncodedLength);
        m_nEncodedLength += 4;
    }
}

void CBase64::DecodeText(const char* pszText)
{
    if (pszText != NULL)
        Decode(pszText, (unsigned)strlen(pszText));
}

void CBase64::Decode(const char* pszText, unsigned nLength)
{
    BuildDecodeTable();
    SetEncodedInput(pszText, nLength);
    AllocDecoded(nLength);
    const unsigned char* pText = (const unsigned char*)m_pEncoded;
    unsigned nKept = m_nEncodedLength;
    for (unsigned i = 0; i < nKept; i += 4)
    {
        unsigned nGroup = nKept - i < 4 ? nKept - i : 4;
        unsigned char values[4] = {0, 0, 0, 0};
        unsigned nPads = 0;
        for (unsigned j = 0; j < nGroup; j++)
        {
            values[j] = g_decodeTable[pText[i + j]];
            if (values[j] == kPad)
            {
                values[j] = 0;
                nPads++;
            }
        }
        DecodeBlock(values, m_pDecoded + m_nDecodedLength);
        unsigned nCarried = nGroup == 4 ? 3 : nGroup - 1;
        nCarried = nCarried > nPads ? nCarried - nPads : 0;
        m_nDecodedLength += nCarried;
    }
    // Bytes written past the decoded length by a padded group are cleared again.
    memset(m_pDecoded + m_nDecodedLength, 0, m_nDecodedCapacity - m_nDecodedLength);
}

const unsigned char* CBase64::GetDecoded() const
{
    return m_pDecoded;
}

const char* CBase64::GetEncoded() const
{
    return m_pEncoded;
}

void CBase64::AllocEncoded(unsigned nLength)
{
    m_nEncodedLength = 0;
    m_pEncoded = (char*)AllocZeroed(m_pEncoded, m_nEncodedCapacity, nLength);
}

void CBase64::AllocDecoded(unsigned nLength)
{
    m_nDecodedLength = 0;
    m_pDecoded = (unsigned char*)AllocZeroed(m_pDecoded, m_nDecodedCapacity, nLength);
}

void CBase64::SetEncodedInput(const char* pszText, unsigned nLength)
{
    BuildDecodeTable();
    AllocEncoded(nLength);
    unsigned nKept = 0;
    for (unsigned i = 0; i < nLength; i++)
    {
        unsigned char ch = (unsigned char)pszText[i];
        if (IsSkipChar(ch) || g_decodeTable[ch] == kNotInAlphabet)
            continue;
        m_pEncoded[nKept++] = (char)ch;
    }
    m_nEncodedLength = nKept;
}

void CBase64::SetDecodedInput(const unsigned char* pData, unsigned nLength)
{
    AllocDecoded(nLength);
    if (nLength > 0)
        memcpy(m_pDecoded, pData, nLength);
    m_nDecodedLength = nLength;
}

void CBase64::EncodeBlock(const unsigned char* pBlock, unsigned nCount, char* pszOut)
{
    unsigned char bytes[3] = {0, 0, 0};
    for (unsigned i = 0; i < nCount && i < 3; i++)
        bytes[i] = pBlock[i];
    unsigned char values[4];
    PackSextets(bytes, values);
    for (unsigned i = 0; i < 4; i++)
        pszOut[i] = kAlphabet[values[i]];
    if (nCount == 1)
        pszOut[2] = '=';
    if (nCount <= 2)
        pszOut[3] = '=';
}

void CBase64::DecodeBlock(const unsigned char* pValues, unsigned char* pOut)
{
    UnpackSextets(pValues, pOut);
}

void CBase64::PackSextets(const unsigned char* pBytes, unsigned char* pValues)
{
    pValues[0] = pBytes[0] >> 2;
    pValues[1] = (unsigned char)(((pBytes[0] & 3) << 4) | (pBytes[1] >> 4));
    pValues[2] = (unsigned char)(((pBytes[1] & 15) << 2) | (pBytes[2] >> 6));
    pValues[3] = pBytes[2] & 63;
}

void CBase64::UnpackSextets(const unsigned char* pValues, unsigned char* pBytes)
{
    pBytes[0] = (unsigned char)((pValues[0] << 2) | (pValues[1] >> 4));
    pBytes[1] = (unsigned char)((pValues[1] << 4) | (pValues[2] >> 2));
    pBytes[2] = (unsigned char)((pValues[2] << 6) | pValues[3]);
}

bool CBase64::IsSkipChar(unsigned char ch)
{
    return (ch >= 7 && ch <= 13) || ch == ' ';
}
