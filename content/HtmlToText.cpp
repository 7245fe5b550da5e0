// The plain text of an HTML document, in one pass over it.
#include "content/HtmlToText.h"

#include <ctype.h>
#include <stdlib.h>
#include <string.h>

#include <string>

namespace
{
struct CNamedEntity
{
    const char* pszName;
    unsigned char c;
};
const CNamedEntity kEntities[] = {{"amp", '&'},    {"lt", '<'},     {"gt", '>'},    {"quot", '"'},
                                  {"apos", '\''},  {"nbsp", ' '},   {"copy", 0xA9}, {"reg", 0xAE},
                                  {"laquo", 0xAB}, {"raquo", 0xBB}, {"euro", 0x80}, {"shy", 0xAD}};

// The tag's lower-case name, without a leading '/'; bClosing tells whether there was one.
std::string TagName(const char* p, const char* pEnd, bool& bClosing)
{
    p++; // '<'
    bClosing = p < pEnd && *p == '/';
    if (bClosing)
        p++;
    std::string name;
    while (p < pEnd && (isalnum((unsigned char)*p) || *p == '!' || *p == '-'))
        name += (char)tolower((unsigned char)*p++);
    return name;
}

// Decodes the entity at p (which is '&'); returns the characters taken, 0 when it is none.
int DecodeEntity(const char* p, const char* pEnd, std::string& out)
{
    const char* pSemi = p + 1;
    while (pSemi < pEnd && pSemi - p < 12 && *pSemi != ';')
        pSemi++;
    if (pSemi >= pEnd || *pSemi != ';')
        return 0;
    std::string name(p + 1, pSemi);
    if (name.size() > 1 && name[0] == '#')
    {
        bool bHex = name[1] == 'x' || name[1] == 'X';
        const char* pDigits = name.c_str() + (bHex ? 2 : 1);
        if (*pDigits == '\0' || strspn(pDigits, bHex ? "0123456789abcdefABCDEF" : "0123456789") != strlen(pDigits))
            return 0;
        unsigned long nValue = strtoul(pDigits, NULL, bHex ? 16 : 10);
        if (nValue == 0x20AC)
            out += '\x80';
        else if (nValue == 0 || nValue > 0xFF)
            out += '?';
        else
            out += (char)nValue;
        return (int)(pSemi - p + 1);
    }
    for (const CNamedEntity& entity : kEntities)
    {
        if (name == entity.pszName)
        {
            out += (char)entity.c;
            return (int)(pSemi - p + 1);
        }
    }
    return 0;
}

void AddBlank(std::string& out)
{
    if (!out.empty() && out.back() != ' ' && out.back() != '\n')
        out += ' ';
}

void AddLineBreak(std::string& out)
{
    while (!out.empty() && out.back() == ' ')
        out.pop_back();
    out += "\r\n";
}
} // namespace

CString HtmlToPlainText(const CString& strHtml)
{
    const char* pBegin = strHtml;
    const char* p = pBegin;
    const char* pEnd = p + strHtml.GetLength();
    std::string lower(pBegin, pEnd);
    for (char& c : lower)
        c = (char)tolower((unsigned char)c);
    std::string out;
    out.reserve((size_t)strHtml.GetLength());
    while (p < pEnd)
    {
        if (*p == '<')
        {
            const char* pClose = (const char*)memchr(p, '>', (size_t)(pEnd - p));
            if (pClose == NULL)
                break; // an unclosed tag at the end shows nothing
            bool bClosing = false;
            std::string name = TagName(p, pClose, bClosing);
            if (name.compare(0, 3, "!--") == 0)
            {
                // A comment runs to "-->", whatever '>' it holds.
                size_t nEnd = lower.find("-->", (size_t)(p - pBegin) + 4);
                p = nEnd == std::string::npos ? pEnd : pBegin + nEnd + 3;
                continue;
            }
            p = pClose + 1;
            if (!bClosing && (name == "head" || name == "style" || name == "script" || name == "title"))
            {
                // Their content is no text of the message; script text may hold any '<'.
                size_t nEnd = lower.find("</" + name, (size_t)(p - pBegin));
                p = nEnd == std::string::npos ? pEnd : pBegin + nEnd;
            }
            else if (name == "br" || name == "p" || name == "div" || name == "tr")
            {
                if (name == "br" || bClosing || (!out.empty() && out.back() != '\n'))
                    AddLineBreak(out);
            }
            continue;
        }
        if (*p == '&')
        {
            int nTaken = DecodeEntity(p, pEnd, out);
            if (nTaken > 0)
            {
                p += nTaken;
                continue;
            }
        }
        if (*p == ' ' || *p == '\t' || *p == '\r' || *p == '\n')
            AddBlank(out);
        else
            out += *p;
        p++;
    }
    return CString(out.data(), (int)out.size());
}
