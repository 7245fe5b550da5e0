// Runs the real-world messages of tests/data/real-mail, and those fetched from Debian's test data, through
// the program as receiving and reading do (the header readers, the part tree, the insertion with its row and
// attachment rows, Save Attachments' files) and compares every reading with python's email package
// (real-mail-expected.txt).
#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "content/AddressList.h"
#include "content/AttachmentName.h"
#include "content/CharsetDecoder.h"
#include "content/EncodedWord.h"
#include "content/MimePart.h"
#include "content/TextUtilities.h"
#include "foundation/Paths.h"
#include "store/EmailsImpl.h"
#include "MessageDatabaseTest.h"

namespace
{

const UINT kUtf8 = 65001;

std::string Str(const CString& s)
{
    return std::string(static_cast<const char*>(s), s.GetLength());
}

CString Cs(const std::string& s)
{
    return CString(s.data(), static_cast<int>(s.size()));
}

std::string ReadBytes(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

std::string Fnv(const std::string& data)
{
    unsigned long long h = 0xcbf29ce484222325ULL;
    for (unsigned char c : data)
        h = (h ^ c) * 0x100000001b3ULL;
    char text[17];
    snprintf(text, sizeof(text), "%016llx", h);
    return text;
}

std::string SizeAndHash(const std::string& data)
{
    return std::to_string(data.size()) + " " + Fnv(data);
}

std::string Lower(std::string s)
{
    for (char& c : s)
        c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string Unescape(const std::string& s)
{
    std::string out;
    for (size_t i = 0; i < s.size(); ++i)
    {
        if (s[i] != '\\' || i + 1 == s.size())
        {
            out += s[i];
            continue;
        }
        const char c = s[++i];
        out += c == 't' ? '\t' : c == 'r' ? '\r' : c == 'n' ? '\n' : c;
    }
    return out;
}

std::vector<std::string> SplitTabs(const std::string& line)
{
    std::vector<std::string> fields;
    size_t start = 0;
    for (size_t tab = line.find('\t'); tab != std::string::npos; tab = line.find('\t', start))
    {
        fields.push_back(line.substr(start, tab - start));
        start = tab + 1;
    }
    fields.push_back(line.substr(start));
    return fields;
}

// Python's UTF-8 text as the program's 8-bit code page holds it.
std::string Ansi(const std::string& utf8)
{
    int nWide = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), (int)utf8.size(), NULL, 0);
    std::wstring wide(nWide, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), (int)utf8.size(), &wide[0], nWide);
    int nAnsi = WideCharToMultiByte(CP_ACP, 0, wide.data(), nWide, NULL, 0, NULL, NULL);
    std::string ansi(nAnsi, '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), nWide, &ansi[0], nAnsi, NULL, NULL);
    return ansi;
}

CString HeaderField(const std::string& header, const char* name)
{
    return MessageText::GetHeaderField(Cs(header), name, 0);
}

// Ours is python's name, or that name made unique within the message ("name (2).ext").
bool SameFileName(const std::string& ours, const std::string& python)
{
    if (ours == python)
        return true;
    const size_t open = ours.rfind(" (");
    if (open == std::string::npos)
        return false;
    const size_t close = ours.find(')', open);
    return close != std::string::npos && ours.substr(0, open) + ours.substr(close + 1) == python;
}

// The entries of a recipient field as "address" and "address=name" lists, as the generator writes them.
void ReadAddresses(const CString& field, std::string& addresses, std::string& names)
{
    std::vector<CString> list;
    ParseAddressList(field, list, ',', NULL, FALSE, NULL);
    addresses.clear();
    names.clear();
    for (const CString& entry : list)
    {
        const std::string e = Str(entry);
        const size_t open = e.rfind(" <") == std::string::npos ? 0 : e.rfind(" <") + 1;
        const std::string address = e.substr(open + 1, e.size() - open - 2);
        std::string name = open == 0 ? std::string() : e.substr(0, open - 1);
        if (!name.empty() && name[0] == '"')
            name = Unescape(name.substr(1, name.size() - 2));
        else if (!name.empty())
            name = Str(DecodeEncodedWord(Cs(name), NULL, NULL, "utf-8", TRUE));
        addresses += (addresses.empty() ? "" : " ; ") + address;
        if (!name.empty())
            names += (names.empty() ? "" : " ; ") + address + "=" + name;
    }
}

// Keeps of our names only those of addresses python also names: a comment that gives us a name is a
// reading of ours that python's header registry does not make.
std::string NamesPythonAlsoGives(const std::string& ours, const std::string& python)
{
    std::set<std::string> named;
    std::istringstream in(python);
    for (std::string item; std::getline(in, item, ';');)
    {
        const size_t start = item.find_first_not_of(' ');
        if (start != std::string::npos)
            named.insert(item.substr(start, item.find('=') - start));
    }
    std::string kept;
    std::istringstream ourItems(ours);
    for (std::string item; std::getline(ourItems, item, ';');)
    {
        const size_t start = item.find_first_not_of(' ');
        if (start == std::string::npos)
            continue;
        std::string trimmed = item.substr(start);
        while (!trimmed.empty() && trimmed.back() == ' ')
            trimmed.pop_back();
        if (named.count(trimmed.substr(0, trimmed.find('='))))
            kept += (kept.empty() ? "" : " ; ") + trimmed;
    }
    return kept;
}

// One leaf as python numbers them: depth-first, attached messages opened as the program opens them.
struct CLeaf
{
    bool bAttached = false;    // inside an attached message: not one of the stored message's attachments
    const CAttachmentPart* pListed = NULL;
    std::string description;   // type/subtype, transfer encoding, size and hash of the decoded bytes
    std::string name;          // the file name the program gives the part
    std::string text;          // size and hash of the UTF-8 text, for a text part
};

// What the program makes of one message: the part tree, the attachment list and the stored row.
struct CReading
{
    std::unique_ptr<CMimePart> pMessage;
    std::vector<std::unique_ptr<CMimePart>> attached;
    std::vector<std::unique_ptr<std::vector<CAttachmentPart>>> lists;
    std::vector<CLeaf> leaves;
    std::vector<CString> rowNames; // as the Attachments rows name the files, in row order
    std::vector<long long> rowSizes;
    std::map<std::string, std::string> savedFiles; // Save Attachments' folder: name -> bytes
    std::string subject, from, date;               // the stored row
    std::string failure;                           // set when the insertion itself failed
};

void CollectLeaves(const CMimePart& part, const CString& strCharset, bool bAttached,
                   const std::vector<CAttachmentPart>& listed, CReading& reading)
{
    CString strType, strSubtype;
    part.GetContentType(strType, strSubtype);
    // Text before the first delimiter is the preamble, kept by the tree but no part to python.
    const CMimePart* pChild = part.m_pFirstChild;
    if (pChild != NULL && ("\r\n" + part.m_strBody).Find("\r\n--" + part.GetBoundary()) != 0)
        pChild = pChild->m_pNextSibling;
    if (pChild != NULL)
    {
        CString strOwn = part.GetParameter("content-type", "charset");
        for (; pChild != NULL; pChild = pChild->m_pNextSibling)
            CollectLeaves(*pChild, strOwn.IsEmpty() ? strCharset : strOwn, bAttached, listed, reading);
        return;
    }
    // A leaf; a multipart without parts is one too to python, its body kept as it stands.
    const CString strBytes = part.GetDecodedBody();
    if (strType == "message" && strSubtype == "rfc822")
    {
        reading.attached.emplace_back(new CMimePart(strBytes));
        const CMimePart& inner = *reading.attached.back();
        reading.lists.emplace_back(new std::vector<CAttachmentPart>());
        CollectAttachmentParts(inner, NULL, *reading.lists.back());
        CollectLeaves(inner, CString(), true, *reading.lists.back(), reading);
        return;
    }
    CLeaf leaf;
    leaf.bAttached = bAttached;
    for (const CAttachmentPart& attachment : listed)
        if (attachment.m_pPart == &part)
            leaf.pListed = &attachment;
    std::string cte = Lower(Str(part.GetHeader("content-transfer-encoding", "")));
    cte.erase(0, cte.find_first_not_of(" \t"));
    cte.erase(cte.find_last_not_of(" \t") + 1);
    leaf.description = Str(strType) + "/" + Str(strSubtype) + " " + (cte.empty() ? "-" : cte) + " " +
                       SizeAndHash(Str(strBytes));
    if (leaf.pListed != NULL)
        leaf.name = Str(leaf.pListed->m_strName);
    else
        leaf.name = Str(MakePartFileName(part, strCharset));
    if (strType == "text")
    {
        const CString strTextCharset = part.GetParameter("content-type", "charset");
        leaf.text = SizeAndHash(strTextCharset.IsEmpty()
                                    ? Str(strBytes)
                                    : Str(CCharsetDecoder(strTextCharset).Decode(strBytes, FALSE, kUtf8)));
    }
    reading.leaves.push_back(leaf);
}

std::vector<std::string> FilesOf(const CString& strFolder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA find;
    HANDLE hFind = FindFirstFileA(strFolder + "\\*", &find);
    if (hFind == INVALID_HANDLE_VALUE)
        return names;
    do
    {
        if ((find.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
            names.push_back(find.cFileName);
    } while (FindNextFileA(hFind, &find));
    FindClose(hFind);
    return names;
}

class RealMailTest : public CMessageDatabaseTest
{
protected:
    // Stores the message as the receive worker does, then reads it back as the message window does.
    void Read(const std::string& text, CReading& reading)
    {
        reading.pMessage.reset(new CMimePart(Cs(text)));
        CString strCharset = reading.pMessage->GetBodyCharset();
        reading.lists.emplace_back(new std::vector<CAttachmentPart>());
        CollectAttachmentParts(*reading.pMessage, strCharset.IsEmpty() ? "iso-8859-1" : strCharset,
                               *reading.lists.back());
        CollectLeaves(*reading.pMessage, CString(), false, *reading.lists.back(), reading);

        LONG nID = 0;
        try
        {
            CEmailsImpl<> store(m_db.Session());
            store.InsertMessage(Cs(text), m_nInbox, 0, NULL, 0, NULL, NULL, 0.0, NULL, NULL, TRUE, FALSE, FALSE);
            nID = store.m_EmailsID;
        }
        catch (const char* pszError)
        {
            reading.failure = pszError;
            return;
        }
        catch (CException* pException)
        {
            reading.failure = Str(pException->m_strMessage);
            delete pException;
            return;
        }

        CAttachmentsTable rows(m_db.Session());
        rows.m_EmailID = nID;
        rows.Open(NULL);
        CString strPrefix;
        strPrefix.Format("%s%ld-", (const char*)GetTempFolder(), (long)nID);
        while (rows.MoveNext() == S_OK)
        {
            CString strName = rows.m_Name;
            // Parts saved at once are named by their file, which carries the message's identity.
            if (strName.Find(strPrefix) == 0)
                strName = strName.Mid(strPrefix.GetLength());
            reading.rowNames.push_back(strName);
            reading.rowSizes.push_back(rows.m_FileSize);
        }
        rows.Close();

        CEmailsImpl<> stored(m_db.Session());
        stored.SelectByID(nID, NULL);
        reading.subject = stored.m_Subject;
        reading.from = stored.m_Ref;
        SYSTEMTIME time = {};
        VariantTimeToSystemTime(stored.m_EmDate, &time);
        char szDate[32];
        snprintf(szDate, sizeof(szDate), "%04d-%02d-%02d %02d:%02d:%02d", time.wYear, time.wMonth, time.wDay,
                 time.wHour, time.wMinute, time.wSecond);
        reading.date = szDate;
        CString strFolder = stored.SaveMessageToTempFile();
        for (const std::string& name : FilesOf(strFolder))
        {
            reading.savedFiles[name] = ReadBytes(Str(strFolder + "\\" + name.c_str()));
            DeleteFileA(strFolder + "\\" + name.c_str());
        }
        RemoveDirectoryA(strFolder);
    }
};

std::string MessagePath(const std::string& file)
{
    const std::string own = ORB_TEST_DATA_DIR "/real-mail/" + file;
    if (GetFileAttributesA(own.c_str()) != INVALID_FILE_ATTRIBUTES)
        return own;
    return ORB_REAL_MAIL_FETCHED_DIR "/" + file;
}

std::set<std::string> ReadExclusions()
{
    std::set<std::string> excluded;
    std::ifstream exclusions(ORB_TEST_DATA_DIR "/real-mail-exclusions.txt", std::ios::binary);
    for (std::string line; std::getline(exclusions, line);)
    {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const std::vector<std::string> f = SplitTabs(line);
        if (!line.empty() && line[0] != '#' && f.size() >= 3)
            excluded.insert(f[0] + "\t" + f[1] + "\t" + f[2]);
    }
    return excluded;
}

} // namespace

TEST_F(RealMailTest, MessagesAreReadStoredAndSavedAsPythonReadsThem)
{
    const std::set<std::string> excluded = ReadExclusions();
    auto isExcluded = [&](const std::string& file, const std::string& kind, const std::string& key) {
        return excluded.count(file + "\t" + kind + "\t" + key) != 0 || excluded.count(file + "\t" + kind + "\t*") != 0;
    };

    std::ifstream expected(ORB_TEST_DATA_DIR "/real-mail-expected.txt", std::ios::binary);
    ASSERT_TRUE(expected.is_open());
    std::map<std::string, std::unique_ptr<CReading>> readings;
    int compared = 0;
    for (std::string line; std::getline(expected, line);)
    {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty() || line[0] == '#')
            continue;
        const std::vector<std::string> f = SplitTabs(line);
        ASSERT_EQ(f.size(), 4u) << line;
        const std::string& file = f[0];
        const std::string& kind = f[1];
        const std::string key = Unescape(f[2]);
        const std::string want = Unescape(f[3]);
        if (isExcluded(file, kind, f[2]))
            continue;
        const std::string message = ReadBytes(MessagePath(file));
        if (message.empty())
        {
            ADD_FAILURE() << file << " is missing: ./test fetches the messages of Debian's test data";
            continue;
        }
        auto it = readings.find(file);
        if (it == readings.end())
        {
            it = readings.emplace(file, std::unique_ptr<CReading>(new CReading)).first;
            Read(message, *it->second);
            EXPECT_EQ(it->second->failure, "") << file << ": the message was not stored";
            if (!isExcluded(file, "W", "-"))
            {
                // The rows and Save Attachments' files are one list: the same names, the same sizes.
                SCOPED_TRACE(file + " rows and saved files");
                const CReading& r = *it->second;
                EXPECT_EQ(r.rowNames.size(), r.savedFiles.size());
                for (size_t i = 0; i < r.rowNames.size(); i++)
                {
                    auto saved = r.savedFiles.find(Str(r.rowNames[i]));
                    if (saved == r.savedFiles.end())
                        ADD_FAILURE() << "no saved file " << Str(r.rowNames[i]);
                    else
                        EXPECT_EQ((long long)saved->second.size(), r.rowSizes[i]) << Str(r.rowNames[i]);
                }
            }
        }
        const CReading& reading = *it->second;
        const std::string header = Str(MessageText::GetHeader(Cs(message)));
        ++compared;
        SCOPED_TRACE(file + " " + kind + " " + key);
        if (kind == "H")
            EXPECT_EQ(Str(HeaderField(header, key.c_str())), want);
        else if (kind == "S")
        {
            EXPECT_EQ(Str(DecodeEncodedWord(HeaderField(header, "Subject"), NULL, NULL, "utf-8", TRUE)), want);
            EXPECT_EQ(reading.subject, Ansi(want).substr(0, 255)) << "the stored subject";
        }
        else if (kind == "R" && key == "From")
        {
            if (Ansi(want).size() < 256)
                EXPECT_EQ(reading.from, Ansi(want));
        }
        else if (kind == "R" && key == "Date")
            EXPECT_EQ(reading.date, want);
        else if (kind == "A" || kind == "N")
        {
            std::string addresses, names;
            ReadAddresses(HeaderField(header, key.c_str()), addresses, names);
            if (kind == "A")
                EXPECT_EQ(addresses, want);
            else
                EXPECT_EQ(NamesPythonAlsoGives(names, want), want);
        }
        else if (kind == "P" || kind == "F" || kind == "T" || kind == "L")
        {
            const size_t n = std::stoul(key);
            if (n >= reading.leaves.size())
            {
                ADD_FAILURE() << "we read " << reading.leaves.size() << " parts";
                continue;
            }
            const CLeaf& leaf = reading.leaves[n];
            if (kind == "P")
            {
                EXPECT_EQ(leaf.description, want);
                if (leaf.pListed != NULL && !leaf.bAttached)
                {
                    // The part's row and its saved file hold python's bytes.
                    const std::string bytes = want.substr(want.rfind(' ', want.rfind(' ') - 1) + 1);
                    auto saved = reading.savedFiles.find(leaf.name);
                    if (saved == reading.savedFiles.end())
                        ADD_FAILURE() << "no saved file " << leaf.name;
                    else
                        EXPECT_EQ(SizeAndHash(saved->second), bytes) << leaf.name;
                }
            }
            else if (kind == "F")
                EXPECT_TRUE(SameFileName(leaf.name, Str(MakeFileName(Cs(Ansi(want))))))
                    << "ours " << leaf.name << ", python's " << want;
            else if (kind == "L")
                EXPECT_TRUE(leaf.pListed != NULL && !leaf.bAttached) << "not among the attachments";
            else
                EXPECT_EQ(leaf.text, want);
        }
    }
    EXPECT_GT(compared, 0) << "no expectation was read";
}
