// What the client makes of a folder's UID listing: which stored rows stay (with the server's flags), which
// went from the server, which UIDs are new; and how folder names and UIDs are read. Portable.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

// A stored UniqueID read as an IMAP UID: decimal digits only, 1 to 4294967295.
bool ParseImapUid(const char* pszText, uint32_t& nUid);
// The UniqueID text of a UID, unsigned whatever its size.
std::string FormatImapUid(uint32_t nUid);

struct CImapStoredRow
{
    long nEmailsID;
    std::string strUniqueID;
};

struct CImapUidPlan
{
    std::vector<std::pair<long, uint32_t>> keep; // row, server flags
    std::vector<long> remove;                    // rows whose message left the server
    std::vector<uint32_t> fetch;                 // UIDs new on the server, in UID order
};

// A row whose UniqueID is not a UID (empty, not a number, 0: not put there by a listing) is neither kept
// nor removed: nothing on the server speaks about it.
CImapUidPlan PlanUidReconciliation(const std::vector<CImapStoredRow>& rows,
                                   const std::map<uint32_t, uint32_t>& server);

// The parts of a folder name at the server's delimiter, double quotes taken out; an empty delimiter (the
// server's NIL) keeps the name whole.
std::vector<std::string> SplitImapFolderName(const std::string& strName, const std::string& strDelimiter);

// The attributes of a listed folder that the client acts on; parentheses and double quotes are dropped and
// case does not count.
struct CImapFolderAttributes
{
    bool bHasChildren = false;
    bool bHasNoChildren = false;
    bool bNoSelect = false;
};
CImapFolderAttributes ParseImapFolderAttributes(const std::string& strAttributes);
