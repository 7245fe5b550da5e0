// The reconciliation of a folder with its UID listing.
#include "transport/ImapUidReconcile.h"

#include <cctype>
#include <set>
#include <sstream>

bool ParseImapUid(const char* pszText, uint32_t& nUid)
{
    if (pszText == nullptr || *pszText == '\0')
        return false;
    uint64_t n = 0;
    for (const char* p = pszText; *p != '\0'; ++p)
    {
        if (*p < '0' || *p > '9')
            return false;
        n = n * 10 + static_cast<uint64_t>(*p - '0');
        if (n > 0xFFFFFFFFull)
            return false;
    }
    if (n == 0)
        return false;
    nUid = static_cast<uint32_t>(n);
    return true;
}

std::string FormatImapUid(uint32_t nUid)
{
    return std::to_string(nUid);
}

CImapUidPlan PlanUidReconciliation(const std::vector<CImapStoredRow>& rows,
                                   const std::map<uint32_t, uint32_t>& server)
{
    CImapUidPlan plan;
    std::set<uint32_t> stored;
    for (const CImapStoredRow& row : rows)
    {
        uint32_t nUid = 0;
        if (!ParseImapUid(row.strUniqueID.c_str(), nUid))
            continue;
        const auto found = server.find(nUid);
        if (found == server.end())
            plan.remove.push_back(row.nEmailsID);
        else
        {
            plan.keep.push_back({row.nEmailsID, found->second});
            stored.insert(nUid);
        }
    }
    for (const auto& entry : server)
        if (stored.count(entry.first) == 0)
            plan.fetch.push_back(entry.first);
    return plan;
}

std::vector<std::string> SplitImapFolderName(const std::string& strName, const std::string& strDelimiter)
{
    std::string name;
    for (char c : strName)
        if (c != '"')
            name += c;
    std::vector<std::string> parts;
    if (strDelimiter.empty())
    {
        parts.push_back(name);
        return parts;
    }
    size_t start = 0;
    for (size_t pos; (pos = name.find(strDelimiter, start)) != std::string::npos; start = pos + strDelimiter.size())
        parts.push_back(name.substr(start, pos - start));
    parts.push_back(name.substr(start));
    return parts;
}

CImapFolderAttributes ParseImapFolderAttributes(const std::string& strAttributes)
{
    std::string text;
    for (char c : strAttributes)
        if (c != '(' && c != ')' && c != '"')
            text += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    CImapFolderAttributes attributes;
    std::istringstream words(text);
    for (std::string word; words >> word;)
    {
        if (word == "\\HASCHILDREN")
            attributes.bHasChildren = true;
        else if (word == "\\HASNOCHILDREN")
            attributes.bHasNoChildren = true;
        else if (word == "\\NOSELECT")
            attributes.bNoSelect = true;
    }
    return attributes;
}
