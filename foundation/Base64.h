// Base64 coder (RFC 2045 alphabet, "=" padding, no line breaks) over owned, zero-padded buffers.
#pragma once

#include <stddef.h>

class CBase64
{
public:
    CBase64();
    virtual ~CBase64();

    // Allocation failures throw a CException: a half-coded text must never go out as a whole one.
    virtual void EncodeText(const char* pszText);
    virtual void Encode(const unsigned char* pData, unsigned nLength);
    virtual void DecodeText(const char* pszText);
    // Blanks, line breaks and anything else outside the alphabet are skipped, as RFC 2045 asks.
    virtual void Decode(const char* pszText, unsigned nLength);
    virtual const unsigned char* GetDecoded() const;
    virtual const char* GetEncoded() const;
    virtual void AllocEncoded(unsigned nLength);
    virtual void AllocDecoded(unsigned nLength);
    virtual void SetEncodedInput(const char* pszText, unsigned nLength);
    virtual void SetDecodedInput(const unsigned char* pData, unsigned nLength);
    virtual void EncodeBlock(const unsigned char* pBlock, unsigned nCount, char* pszOut);
    virtual void DecodeBlock(const unsigned char* pValues, unsigned char* pOut);
    virtual void PackSextets(const unsigned char* pBytes, unsigned char* pValues);
    virtual void UnpackSextets(const unsigned char* pValues, unsigned char* pBytes);
    virtual bool IsSkipChar(unsigned char ch);

    unsigned char* m_pDecoded;
    char* m_pEncoded;
    unsigned m_nDecodedCapacity;
    unsigned m_nEncodedCapacity;
    unsigned m_nDecodedLength;
    unsigned m_nEncodedLength;

private:
    CBase64(const CBase64&);
    CBase64& operator=(const CBase64&);
};
