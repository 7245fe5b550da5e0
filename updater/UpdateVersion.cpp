// The four-part version of a release on the update server, version-folder names and folder URLs.
#include "updater/UpdateVersion.h"

#include <ctype.h>

#include "foundation/Exception.h"
#include "foundation/RegExp.h"

CUpdateVersion::CUpdateVersion(unsigned short w1, unsigned short w2, unsigned short w3, unsigned short w4)
    : m_w{w1, w2, w3, w4}
{
}

bool CUpdateVersion::IsVersionFolderName(const char* pszName)
{
    CRegExp re("^([0123456789]*),([0123456789]*),([0123456789]*),([0123456789]*)(.*)");
    return pszName != nullptr && re.Match(pszName) && re.SubStrings() == 5 && re.SubLength(5) == 0;
}

bool CUpdateVersion::TryParse(const char* pszText)
{
    for (unsigned short& w : m_w)
        w = 0;
    if (pszText == nullptr)
        return false;
    // "%d, %d, %d, %d" by hand: a run of digits of any length is well defined here, and each number is
    // kept as its low 16 bits, as the stored version is.
    const unsigned char* p = reinterpret_cast<const unsigned char*>(pszText);
    for (int i = 0; i < 4; ++i)
    {
        if (i > 0)
        {
            while (isspace(*p))
                ++p;
            if (*p != ',')
                return false;
            ++p;
        }
        while (isspace(*p))
            ++p;
        bool bNegative = false;
        if (*p == '+' || *p == '-')
            bNegative = *p++ == '-';
        if (!isdigit(*p))
            return false;
        unsigned int n = 0;
        for (; isdigit(*p); ++p)
            n = (n * 10 + (*p - '0')) & 0xFFFF;
        m_w[i] = static_cast<unsigned short>(bNegative ? 0x10000 - n : n);
    }
    return true;
}

void CUpdateVersion::Parse(const char* pszText)
{
    if (!TryParse(pszText))
        throw new CException("");
}

int CUpdateVersion::Compare(const CUpdateVersion& other) const
{
    static const int kOrder[4] = {0, 1, 3, 2};
    for (int i : kOrder)
    {
        if (m_w[i] != other.m_w[i])
            return m_w[i] < other.m_w[i] ? -1 : 1;
    }
    return 0;
}

CString CUpdateVersion::Format() const
{
    CString str;
    str.Format("%d, %d, %d, %d", m_w[0], m_w[1], m_w[2], m_w[3]);
    return str;
}

CString JoinFolderUrl(const char* pszUrl)
{
    CString str(pszUrl ? pszUrl : "");
    if (!str.IsEmpty() && str[str.GetLength() - 1] != '/')
        str += '/';
    return str;
}
