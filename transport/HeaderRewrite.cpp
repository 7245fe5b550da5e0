// Rewrites of a stored message's header on its way out: the To field of a forwarded copy and the removal
// of a field (Bcc) before the text goes on the wire.
#include "transport/HeaderRewrite.h"

#include <ctype.h>
#include <string.h>

#include <string>

namespace
{
// The end of the header: the position of the blank line's first CR LF, or the text's end.
size_t HeaderEnd(const std::string& text)
{
    // A text that starts with the blank line has an empty header.
    if (text.compare(0, 2, "\r\n") == 0)
        return 0;
    const size_t nEnd = text.find("\r\n\r\n");
    return nEnd == std::string::npos ? text.size() : nEnd + 2;
}

bool IsField(const std::string& text, size_t nLine, size_t nEnd, const char* pszName)
{
    const size_t nName = strlen(pszName);
    if (nLine + nName >= nEnd || text[nLine + nName] != ':')
        return false;
    for (size_t i = 0; i < nName; ++i)
    {
        if (tolower(static_cast<unsigned char>(text[nLine + i])) != tolower(static_cast<unsigned char>(pszName[i])))
            return false;
    }
    return true;
}

// The start of the next line after nPos (past its LF), or nEnd.
size_t NextLine(const std::string& text, size_t nPos, size_t nEnd)
{
    const size_t nLF = text.find('\n', nPos);
    return nLF == std::string::npos || nLF >= nEnd ? nEnd : nLF + 1;
}

// The first line after the field that starts at nLine which is not a continuation line.
size_t FieldEnd(const std::string& text, size_t nLine, size_t nEnd)
{
    size_t nNext = NextLine(text, nLine, nEnd);
    while (nNext < nEnd && (text[nNext] == ' ' || text[nNext] == '\t'))
        nNext = NextLine(text, nNext, nEnd);
    return nNext;
}

std::string JoinForwardAddresses(const CString& strForward)
{
    std::string joined;
    const std::string list(static_cast<const char*>(strForward), strForward.GetLength());
    size_t nStart = 0;
    while (nStart <= list.size())
    {
        size_t nSep = list.find_first_of(";,", nStart);
        if (nSep == std::string::npos)
            nSep = list.size();
        std::string entry = list.substr(nStart, nSep - nStart);
        const size_t nFirst = entry.find_first_not_of(" \t\r\n");
        const size_t nLast = entry.find_last_not_of(" \t\r\n");
        if (nFirst != std::string::npos)
        {
            if (!joined.empty())
                joined += ", ";
            joined += entry.substr(nFirst, nLast - nFirst + 1);
        }
        nStart = nSep + 1;
    }
    return joined;
}
} // namespace

CString BuildForwardedText(const CString& strMessage, const CString& strForward)
{
    std::string text(static_cast<const char*>(strMessage), strMessage.GetLength());
    const size_t nStart = text.find_first_not_of(" \t\r\n");
    text.erase(0, nStart == std::string::npos ? text.size() : nStart);
    const std::string addresses = JoinForwardAddresses(strForward);
    const size_t nEnd = HeaderEnd(text);
    for (size_t nLine = 0; nLine < nEnd; nLine = NextLine(text, nLine, nEnd))
    {
        if (!IsField(text, nLine, nEnd, "To"))
            continue;
        const size_t nFieldEnd = FieldEnd(text, nLine, nEnd);
        // The field's own line end is kept: the field may be the last of a header without a body.
        size_t nValueEnd = nFieldEnd;
        if (nValueEnd > nLine && text[nValueEnd - 1] == '\n')
            --nValueEnd;
        if (nValueEnd > nLine && text[nValueEnd - 1] == '\r')
            --nValueEnd;
        text.replace(nLine + 3, nValueEnd - (nLine + 3), " " + addresses);
        return CString(text.data(), static_cast<int>(text.size()));
    }
    text.insert(0, "To: " + addresses + "\r\n");
    return CString(text.data(), static_cast<int>(text.size()));
}

CString RemoveHeaderField(const CString& strMessage, const char* pszName)
{
    const std::string text(static_cast<const char*>(strMessage), strMessage.GetLength());
    const size_t nEnd = HeaderEnd(text);
    std::string out;
    out.reserve(text.size());
    size_t nLine = 0;
    while (nLine < nEnd)
    {
        if (IsField(text, nLine, nEnd, pszName))
        {
            nLine = FieldEnd(text, nLine, nEnd);
            continue;
        }
        const size_t nNext = NextLine(text, nLine, nEnd);
        out.append(text, nLine, nNext - nLine);
        nLine = nNext;
    }
    // The removed field may have carried the CR LF that starts the blank line: without it the body's first
    // lines would join the header.
    if (nEnd < text.size() && !out.empty() && (out.size() < 2 || out.compare(out.size() - 2, 2, "\r\n") != 0))
        out += "\r\n";
    out.append(text, nEnd, std::string::npos);
    return CString(out.data(), static_cast<int>(out.size()));
}
