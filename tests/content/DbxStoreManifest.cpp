// Reads the manifest that the fixture generator writes beside the store.
#include "DbxStoreManifest.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace
{
std::string Unescape(const std::string& text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); i++)
    {
        if (text[i] != '\\' || i + 1 == text.size())
        {
            out += text[i];
            continue;
        }
        const char c = text[++i];
        out += c == 'r' ? '\r' : c == 'n' ? '\n' : c == 't' ? '\t' : c;
    }
    return out;
}
} // namespace

std::string DbxStoreFolder(const char* pszStore)
{
    return std::string(ORB_TEST_DATA_DIR) + "/dbx/" + pszStore + "/";
}

std::vector<CDbxManifestMessage> ReadDbxManifest()
{
    std::vector<CDbxManifestMessage> messages;
    std::ifstream in(DbxStoreFolder() + "expected.txt", std::ios::binary);
    std::string line;
    while (std::getline(in, line))
    {
        if (line.empty() || line[0] == '#')
            continue;
        std::vector<std::string> columns;
        std::istringstream split(line);
        std::string column;
        while (std::getline(split, column, '\t'))
            columns.push_back(column);
        if (columns.size() != 8)
            continue;
        CDbxManifestMessage message;
        message.strFile = columns[0];
        message.strSubject = columns[1];
        message.strSenderName = columns[2];
        message.strSenderAddress = columns[3];
        message.bUnread = columns[4] == "1";
        message.strDate = columns[5];
        message.nFileTime = strtoull(columns[6].c_str(), nullptr, 10);
        message.strText = Unescape(columns[7]);
        messages.push_back(message);
    }
    return messages;
}
