// Message text of the store: header, header fields, reading the stored stream and saving to a file.
#include "store/EmailsImpl.h"

#include <climits>

#include "foundation/File.h"

namespace
{
const ULONG kChunk = 512000;

// The position of the CR LF that ends the line before the next field named strName (upper case, no colon)
// at or after nFrom in strUpper, the upper-cased header with a leading CR LF; -1 when there is none.
// Blanks may stand between the name and its colon. *pnValue receives the position after the colon.
int FindFieldLine(const CString& strUpper, const CString& strName, int nFrom, int* pnValue)
{
    const CString strNeedle = "\r\n" + strName;
    for (int nPos = strUpper.Find(strNeedle, nFrom); nPos >= 0;
         nPos = strUpper.Find(strNeedle, nPos + strNeedle.GetLength()))
    {
        int i = nPos + strNeedle.GetLength();
        while (i < strUpper.GetLength() && (strUpper[i] == ' ' || strUpper[i] == '\t'))
            ++i;
        if (i < strUpper.GetLength() && strUpper[i] == ':')
        {
            *pnValue = i + 1;
            return nPos;
        }
    }
    return -1;
}

// The end of the field whose line starts after nLineBreak: before the CR LF that is not followed by a
// blank or a tab (RFC 5322 2.2.3), or the end of the text.
int FieldEnd(const CString& strHeader, int nLineBreak)
{
    int nEnd = nLineBreak + 2;
    for (;;)
    {
        nEnd = strHeader.Find("\r\n", nEnd);
        if (nEnd < 0)
            return strHeader.GetLength();
        const char chNext = nEnd + 2 < strHeader.GetLength() ? strHeader[nEnd + 2] : '\0';
        if (chNext != ' ' && chNext != '\t')
            return nEnd;
        nEnd += 2;
    }
}

CString UpperName(const char* pszName)
{
    CString strName(pszName);
    strName.TrimRight(" :");
    strName.MakeUpper();
    return strName;
}
} // namespace

namespace MessageText
{
CString GetHeader(const CString& strMessage)
{
    int nEnd = strMessage.Find("\r\n\r\n");
    return nEnd < 0 ? strMessage : strMessage.Left(nEnd);
}

CString GetHeaderField(const CString& strMessage, const char* pszName, int nIndex)
{
    // The part tree's own reader: the row, the header pane and the parsed message read one header.
    return ReadHeaderField(strMessage, pszName, nIndex);
}

void SetHeaderField(CString& strMessage, const char* pszName, const char* pszValue)
{
    int nHeaderEnd = strMessage.Find("\r\n\r\n");
    if (nHeaderEnd < 0)
        nHeaderEnd = strMessage.GetLength();
    // Searched in the header only, so a body line that looks like the field is never rewritten; the leading
    // line break finds a field on the first line.
    CString strHeader = "\r\n" + strMessage.Left(nHeaderEnd);
    CString strUpper = strHeader;
    strUpper.MakeUpper();
    CString strField = CString(pszName) + " " + pszValue;
    int nValue = 0;
    int nPos = FindFieldLine(strUpper, UpperName(pszName), 0, &nValue);
    if (nPos < 0)
    {
        if (nHeaderEnd == 0)
            strMessage = strField + strMessage;
        else
            strMessage = strMessage.Left(nHeaderEnd) + "\r\n" + strField + strMessage.Mid(nHeaderEnd);
        return;
    }
    const int nEnd = FieldEnd(strHeader, nPos);
    // Positions in strHeader are two ahead of those in the message.
    CString strBefore = nPos >= 2 ? strMessage.Left(nPos - 2) + "\r\n" : CString();
    strMessage = strBefore + strField + strMessage.Mid(nEnd - 2);
}

HRESULT ReadStream(ISequentialStream* pStream, CString& strText, size_t cbExpected)
{
    // Read straight into the text's own storage: a buffer in between would copy every message twice more.
    // A chunk one byte longer than the expected size reads a message that kept its size in one call.
    int nLength = strText.GetLength();
    ULONG cbChunk = cbExpected > 0 && cbExpected < kChunk ? (ULONG)cbExpected + 1 : kChunk;
    for (;;)
    {
        if ((size_t)nLength + cbChunk > (size_t)INT_MAX)
        {
            strText.ReleaseBuffer(nLength);
            return E_OUTOFMEMORY;
        }
        char* p = strText.GetBufferSetLength(nLength + (int)cbChunk);
        ULONG cbRead = 0;
        HRESULT hr = pStream->Read(p + nLength, cbChunk, &cbRead);
        if (FAILED(hr))
        {
            strText.ReleaseBuffer(nLength);
            return hr;
        }
        // Every byte is kept: a NUL inside a message must not cut the rest of the chunk away.
        nLength += (int)(cbRead < cbChunk ? cbRead : cbChunk);
        strText.ReleaseBuffer(nLength);
        if (cbRead == 0)
            return S_OK;
        if (cbRead < cbChunk)
        {
            // A short read is most often the end: a small read makes sure before the text grows by a chunk.
            char probe[4096];
            ULONG cbProbe = 0;
            hr = pStream->Read(probe, sizeof(probe), &cbProbe);
            if (FAILED(hr))
                return hr;
            if (cbProbe == 0)
                return S_OK;
            cbProbe = cbProbe < sizeof(probe) ? cbProbe : (ULONG)sizeof(probe);
            strText += CString(probe, (int)cbProbe);
            nLength += (int)cbProbe;
        }
        cbChunk = kChunk;
    }
}

void SaveToFile(const CString& strMessage, const char* pszPath)
{
    int nSkip = strMessage.Left(2) == "\r\n" ? 2 : 0;
    CFile file(pszPath, CFile::modeCreate | CFile::modeWrite);
    file.Write((const char*)strMessage + nSkip, (UINT)(strMessage.GetLength() - nSkip));
    file.Close();
}
} // namespace MessageText

CString GetMessageSubject(const CMimePart* pMessage)
{
    return pMessage != NULL ? ReadHeaderField(pMessage->m_strHeader, "Subject", 0) : CString();
}
