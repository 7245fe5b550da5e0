// Message text of the store: header, header fields, reading the stored stream and saving to a file.
#include "store/EmailsImpl.h"

#include <vector>

#include "foundation/File.h"

namespace
{
const ULONG kChunk = 512000;
}

namespace MessageText
{
CString GetHeader(const CString& strMessage)
{
    int nEnd = strMessage.Find("\r\n\r\n");
    return nEnd < 0 ? strMessage : strMessage.Left(nEnd);
}

CString GetHeaderField(const CString& strMessage, const char* pszName, int nIndex)
{
    // The leading line break lets the first line be found like every other one.
    CString strHeader = "\r\n" + GetHeader(strMessage);
    CString strUpper = strHeader;
    strUpper.MakeUpper();
    CString strNeedle = CString(pszName);
    strNeedle.MakeUpper();
    strNeedle = "\r\n" + strNeedle + ":";

    int nPos = strUpper.Find(strNeedle);
    for (int i = 0; i < nIndex && nPos >= 0; i++)
        nPos = strUpper.Find(strNeedle, nPos + strNeedle.GetLength());
    if (nPos < 0)
        return CString();

    int nStart = nPos + strNeedle.GetLength();
    int nEnd = nStart;
    for (;;)
    {
        nEnd = strHeader.Find("\r\n", nEnd);
        if (nEnd < 0)
        {
            nEnd = strHeader.GetLength();
            break;
        }
        char chNext = strHeader[nEnd + 2];
        if (chNext != ' ' && chNext != '\t')
            break;
        nEnd += 2;
    }
    CString strValue = strHeader.Mid(nStart, nEnd - nStart);
    strValue.Replace("\r\n", "");
    strValue.Replace('\t', ' ');
    strValue.Trim();
    return strValue;
}

void SetHeaderField(CString& strMessage, const char* pszName, const char* pszValue)
{
    int nHeaderEnd = strMessage.Find("\r\n\r\n");
    if (nHeaderEnd < 0)
        nHeaderEnd = strMessage.GetLength();
    // Searched in the header only, so a body line that looks like the field is never rewritten; the leading
    // line break finds a field on the first line.
    CString strHeader = "\r\n" + strMessage.Left(nHeaderEnd);
    CString strField = CString(pszName) + " " + pszValue;
    int nPos = strHeader.Find(CString("\r\n") + pszName);
    if (nPos < 0)
    {
        if (nHeaderEnd == 0)
            strMessage = strField + strMessage;
        else
            strMessage = strMessage.Left(nHeaderEnd) + "\r\n" + strField + strMessage.Mid(nHeaderEnd);
        return;
    }
    int nEnd = strHeader.Find("\r\n", nPos + 2);
    while (nEnd >= 0 && strHeader[nEnd + 2] == '\t')
        nEnd = strHeader.Find("\r\n", nEnd + 2);
    if (nEnd < 0)
        nEnd = strHeader.GetLength();
    // Positions in strHeader are two ahead of those in the message.
    CString strBefore = nPos >= 2 ? strMessage.Left(nPos - 2) + "\r\n" : CString();
    strMessage = strBefore + strField + strMessage.Mid(nEnd - 2);
}

void ReadStream(ISequentialStream* pStream, CString& strText)
{
    // One buffer per thread: making and clearing half a megabyte for every message would cost more than
    // reading a typical message.
    static thread_local std::vector<char> buffer(kChunk);
    for (;;)
    {
        ULONG cbRead = 0;
        HRESULT hr = pStream->Read(buffer.data(), kChunk, &cbRead);
        if (FAILED(hr) || cbRead == 0)
            break;
        // Every byte is kept: a NUL inside a message must not cut the rest of the chunk away.
        strText += CString(buffer.data(), (int)cbRead);
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
    return pMessage != NULL ? pMessage->GetHeader("subject", "") : CString();
}
