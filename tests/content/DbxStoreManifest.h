// The generated Outlook Express store fixtures and the manifest of the messages they hold.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct CDbxManifestMessage
{
    std::string strFile;
    std::string strSubject;
    std::string strSenderName;
    std::string strSenderAddress;
    bool bUnread = false;
    std::string strDate; // "YYYY-MM-DD hh:mm:ss"
    uint64_t nFileTime = 0;
    std::string strText;
};

// The store fixture's folder, with a trailing separator.
std::string DbxStoreFolder(const char* pszStore = "store");
// The messages of tests/data/dbx/store/expected.txt, in file order.
std::vector<CDbxManifestMessage> ReadDbxManifest();
