// Tests of the registered OrbIMAP component against dovecot, for a user with "." and one with "/" between
// folder levels: folders, UIDs and flags, messages byte for byte, deletion, refusals, a kicked connection,
// a call from inside an event and two threads on one object.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "EventSink.h"
#include "ImapPeer.h"
#include "OrbIMAP.h"

namespace
{

class CBstr
{
public:
    explicit CBstr(const std::wstring& text) : m_bstr(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
    explicit CBstr(const std::string& text) : CBstr(std::wstring(text.begin(), text.end())) {}
    ~CBstr() { SysFreeString(m_bstr); }
    operator BSTR() const { return m_bstr; }

private:
    BSTR m_bstr;
};

std::wstring Wide(const std::string& text)
{
    return std::wstring(text.begin(), text.end());
}

std::string ErrorText(IOrbIMAP* pImap)
{
    BSTR bstr = NULL;
    pImap->GetErrorText(&bstr);
    std::string text;
    for (UINT i = 0; i < SysStringLen(bstr); ++i)
        text += static_cast<char>(bstr[i]);
    SysFreeString(bstr);
    return text;
}

std::vector<CImapEvent> OfId(const std::vector<CImapEvent>& events, DISPID id)
{
    std::vector<CImapEvent> of;
    for (const CImapEvent& event : events)
        if (event.nId == id)
            of.push_back(event);
    return of;
}

std::string Message(const std::string& subject, const std::string& body)
{
    return "From: sender@example.org\r\nTo: imap@example.org\r\nSubject: " + subject + "\r\n\r\n" + body + "\r\n";
}

class OrbIMAPServerTest : public ::testing::TestWithParam<CImapUser>
{
protected:
    void SetUp() override
    {
        m_nPort = ImapPeerPort();
        ASSERT_NE(0u, m_nPort) << "ORB_IMAP_PORT is not set: run the tests through ./test";
        ASSERT_EQ(S_OK, CoCreateInstance(CLSID_OrbIMAP, NULL, CLSCTX_INPROC_SERVER, IID_IOrbIMAP,
                                         reinterpret_cast<void**>(&m_pImap)))
            << "OrbIMAP.dll is not registered";
        ASSERT_TRUE(m_Sink.Advise(m_pImap));
        m_strUser = GetParam().pszName;
        m_strDelimiter = GetParam().pszDelimiter;
        // Each test in a folder of its own, so that runs and tests never meet.
        m_strBase = std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()).substr(0, 12);
        m_strBase.erase(std::remove(m_strBase.begin(), m_strBase.end(), '/'), m_strBase.end());
        m_strBase += std::to_string(GetTickCount() % 100000);
    }

    void TearDown() override
    {
        m_Sink.Unadvise();
        if (m_pImap)
            m_pImap->Release();
    }

    HRESULT Connect(const char* pszPassword = "secret")
    {
        return m_pImap->Connect(CBstr(std::string("127.0.0.1")), CBstr(m_strUser), CBstr(std::string(pszPassword)),
                                static_cast<long>(m_nPort));
    }

    std::string Path(std::initializer_list<std::string> parts)
    {
        std::string path;
        for (const std::string& part : parts)
            path += (path.empty() ? "" : m_strDelimiter) + part;
        return path;
    }

    // The folder names of a listing, as the events report them.
    std::vector<std::wstring> ListedNames()
    {
        m_Sink.Take();
        EXPECT_EQ(S_OK, m_pImap->List(CBstr(std::string("127.0.0.1")), CBstr(m_strUser), CBstr(std::string("secret")),
                                      static_cast<long>(m_nPort)));
        const std::vector<CImapEvent> events = m_Sink.Take();
        std::vector<std::wstring> names;
        for (size_t i = 0; i + 1 < events.size(); i += 2)
        {
            EXPECT_EQ(1, events[i].nId);
            EXPECT_EQ(6, events[i + 1].nId);
            EXPECT_EQ(events[i].args, events[i + 1].args);
            EXPECT_EQ(Wide(m_strDelimiter), events[i].args[1]);
            names.push_back(events[i].args[2]);
        }
        EXPECT_FALSE(events.empty());
        if (!events.empty())
        {
            EXPECT_EQ(2, events.back().nId);
            EXPECT_EQ(L"OK", events.back().args[0]);
        }
        return names;
    }

    bool Listed(const std::vector<std::wstring>& names, const std::wstring& name)
    {
        return std::find(names.begin(), names.end(), name) != names.end();
    }

    // UID → flags from a listing of the folder, and the count its end reported.
    std::vector<std::pair<unsigned, long>> Uids(const std::string& folder, long* pnCount = nullptr)
    {
        m_Sink.Take();
        EXPECT_EQ(S_OK, m_pImap->FetchUids(CBstr(folder), 0)) << ErrorText(m_pImap);
        std::vector<std::pair<unsigned, long>> uids;
        const std::vector<CImapEvent> events = m_Sink.Take();
        for (const CImapEvent& event : events)
            if (event.nId == 4)
                uids.push_back({std::stoul(event.args[0]), std::stol(event.args[1])});
        EXPECT_FALSE(events.empty());
        if (!events.empty())
        {
            EXPECT_EQ(5, events.back().nId);
            if (pnCount)
                *pnCount = std::stol(events.back().args[0]);
        }
        return uids;
    }

    void CreateOnServer(const std::string& folder)
    {
        ASSERT_EQ(0, Doveadm("mailbox create -u " + m_strUser + " '" + folder + "'"));
    }

    UINT m_nPort = 0;
    IOrbIMAP* m_pImap = nullptr;
    CEventSink m_Sink;
    std::string m_strUser;
    std::string m_strDelimiter;
    std::string m_strBase;
};

TEST_P(OrbIMAPServerTest, FoldersAreCreatedRenamedWithTheirSubfoldersAndDeletedWithTheirInferiors)
{
    ASSERT_EQ(S_OK, Connect()) << ErrorText(m_pImap);
    const std::wstring drafts = Wide(m_strBase) + L"Entw\u00fcrfe";
    ASSERT_EQ(S_OK, m_pImap->CreateFolder(CBstr(drafts))) << ErrorText(m_pImap);
    ASSERT_EQ(S_OK, m_pImap->CreateFolder(CBstr(Path({m_strBase}))));
    ASSERT_EQ(S_OK, m_pImap->CreateFolder(CBstr(Path({m_strBase, "Sub"}))));
    ASSERT_EQ(S_OK, m_pImap->CreateFolder(CBstr(Path({m_strBase, "Sub", "Deep"}))));
    std::vector<CImapEvent> events = m_Sink.Take();
    ASSERT_EQ(4u, events.size());
    EXPECT_EQ(2, events[0].nId);
    EXPECT_EQ(L"OK", events[0].args[0]);

    // The server keeps the name in modified UTF-7; the listing gives it back whole.
    const std::string stored = UserMaildir(m_strUser.c_str()) + (m_strDelimiter == "." ? "." : "") + m_strBase + "Entw&APw-rfe";
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(stored.c_str())) << stored;
    std::vector<std::wstring> names = ListedNames();
    EXPECT_TRUE(Listed(names, drafts));
    const auto parent = std::find(names.begin(), names.end(), Wide(Path({m_strBase})));
    const auto deep = std::find(names.begin(), names.end(), Wide(Path({m_strBase, "Sub", "Deep"})));
    ASSERT_TRUE(parent != names.end() && deep != names.end());
    EXPECT_LT(parent, deep) << "parents come first";

    const std::string renamed = m_strBase + "R";
    ASSERT_EQ(S_OK, m_pImap->RenameFolder(CBstr(Path({m_strBase})), CBstr(Path({renamed})))) << ErrorText(m_pImap);
    // Renamed already: the source is gone and the target there.
    EXPECT_EQ(S_OK, m_pImap->RenameFolder(CBstr(Path({m_strBase})), CBstr(Path({renamed})))) << ErrorText(m_pImap);
    names = ListedNames();
    EXPECT_TRUE(Listed(names, Wide(Path({renamed, "Sub", "Deep"}))));
    EXPECT_FALSE(Listed(names, Wide(Path({m_strBase, "Sub"}))));

    m_Sink.Take();
    EXPECT_EQ(E_FAIL, m_pImap->CreateFolder(CBstr(Path({renamed}))));
    events = m_Sink.Take();
    ASSERT_EQ(1u, events.size());
    EXPECT_EQ(2, events[0].nId);
    EXPECT_EQ(L"NO", events[0].args[0]);
    EXPECT_FALSE(events[0].args[1].empty());
    EXPECT_NE(std::string::npos, ErrorText(m_pImap).find("exists")) << ErrorText(m_pImap);

    ASSERT_EQ(S_OK, m_pImap->DeleteFolder(CBstr(Path({renamed})))) << ErrorText(m_pImap);
    ASSERT_EQ(S_OK, m_pImap->DeleteFolder(CBstr(drafts))) << ErrorText(m_pImap);
    names = ListedNames();
    for (const std::wstring& name : names)
        EXPECT_EQ(std::wstring::npos, name.find(Wide(m_strBase))) << std::string(name.begin(), name.end());
}

TEST_P(OrbIMAPServerTest, UidsAndFlagsFollowChangesOnTheServer)
{
    CreateOnServer(m_strBase);
    const unsigned first = SaveMessage(m_strUser.c_str(), m_strBase, Message("one", "1"));
    const unsigned second = SaveMessage(m_strUser.c_str(), m_strBase, Message("two", "2"));
    const unsigned third = SaveMessage(m_strUser.c_str(), m_strBase, Message("three", "3"));
    ASSERT_TRUE(first && second && third);
    ASSERT_EQ(S_OK, Connect()) << ErrorText(m_pImap);
    long nCount = -1;
    const std::vector<std::pair<unsigned, long>> before = Uids(m_strBase, &nCount);
    const std::vector<std::pair<unsigned, long>> expectedBefore = {{first, 0}, {second, 0}, {third, 0}};
    EXPECT_EQ(expectedBefore, before);
    EXPECT_EQ(3, nCount);

    ASSERT_EQ(0, Doveadm("flags add -u " + m_strUser + " '\\Seen' mailbox '" + m_strBase + "' uid " +
                         std::to_string(second)));
    ASSERT_EQ(0, Doveadm("expunge -u " + m_strUser + " mailbox '" + m_strBase + "' uid " + std::to_string(third)));
    const std::vector<std::pair<unsigned, long>> after = Uids(m_strBase, &nCount);
    const std::vector<std::pair<unsigned, long>> expectedAfter = {{first, 0}, {second, 1}};
    EXPECT_EQ(expectedAfter, after);
    EXPECT_EQ(2, nCount);
}

TEST_P(OrbIMAPServerTest, MessagesComeBackByteForByteAndStayUnseen)
{
    CreateOnServer(m_strBase);
    std::string eightBit = Message("Gr\xfc\xdf" "e", "8-bit: \xe4\xf6\xfc\xdf \x80\x81\xff end");
    std::string longLine = Message("long", std::string(200000, 'L'));
    std::string large = Message("large", "");
    while (large.size() < 5 * 1024 * 1024)
        large += std::string(998, 'a' + static_cast<char>(large.size() % 26)) + "\r\n";
    const std::string bodies[] = {eightBit, longLine, large};
    std::vector<unsigned> uids;
    for (const std::string& body : bodies)
        uids.push_back(SaveMessage(m_strUser.c_str(), m_strBase, body));
    ASSERT_TRUE(uids[0] && uids[1] && uids[2]);

    ASSERT_EQ(S_OK, Connect()) << ErrorText(m_pImap);
    Uids(m_strBase);
    for (size_t i = 0; i < uids.size(); ++i)
    {
        SCOPED_TRACE(i);
        ASSERT_EQ(S_OK, m_pImap->FetchMessageByUid(uids[i])) << ErrorText(m_pImap);
        std::vector<CImapEvent> events = m_Sink.Take();
        ASSERT_EQ(1u, events.size());
        EXPECT_EQ(3, events[0].nId);
        EXPECT_TRUE(Narrow(events[0].args[0]) == bodies[i]);
        EXPECT_EQ(std::to_wstring(uids[i]), events[0].args[1]);

        ASSERT_EQ(S_OK, m_pImap->FetchMessage(CBstr(m_strBase), uids[i])) << ErrorText(m_pImap);
        events = m_Sink.Take();
        ASSERT_EQ(1u, events.size());
        EXPECT_TRUE(Narrow(events[0].args[0]) == bodies[i]);
    }
    for (const auto& uid : Uids(m_strBase))
        EXPECT_EQ(0, uid.second & 1) << "fetching marked message " << uid.first << " seen";

    // Gone since the listing: no failure for the walk's fetch, a failure for the viewer's.
    ASSERT_EQ(0, Doveadm("expunge -u " + m_strUser + " mailbox '" + m_strBase + "' uid " + std::to_string(uids[0])));
    EXPECT_EQ(S_OK, m_pImap->FetchMessageByUid(uids[0])) << ErrorText(m_pImap);
    EXPECT_TRUE(m_Sink.Take().empty());
    EXPECT_NE(S_OK, m_pImap->FetchMessage(CBstr(m_strBase), uids[0]));
    EXPECT_FALSE(ErrorText(m_pImap).empty());
}

TEST_P(OrbIMAPServerTest, DeletedMessagesLeaveTheServer)
{
    CreateOnServer(m_strBase);
    std::vector<unsigned> uids;
    for (int i = 0; i < 4; ++i)
        uids.push_back(SaveMessage(m_strUser.c_str(), m_strBase, Message("m" + std::to_string(i), "x")));
    ASSERT_EQ(S_OK, Connect()) << ErrorText(m_pImap);
    const std::string set = std::to_string(uids[1]) + "," + std::to_string(uids[3]);
    m_Sink.Take();
    ASSERT_EQ(S_OK, m_pImap->DeleteMessages(CBstr(m_strBase), CBstr(set))) << ErrorText(m_pImap);
    const std::vector<CImapEvent> events = m_Sink.Take();
    const std::vector<CImapEvent> marked = OfId(events, 4);
    ASSERT_EQ(2u, marked.size());
    EXPECT_EQ(std::to_wstring(uids[1]), marked[0].args[0]);
    EXPECT_EQ(8, std::stol(marked[0].args[1]) & 8);
    EXPECT_EQ(2, events.back().nId);
    EXPECT_EQ(L"OK", events.back().args[0]);

    const std::vector<std::pair<unsigned, long>> left = Uids(m_strBase);
    const std::vector<std::pair<unsigned, long>> expected = {{uids[0], 0}, {uids[2], 0}};
    EXPECT_EQ(expected, left);
}

TEST_P(OrbIMAPServerTest, AWrongPasswordFailsWithTheServersWordsAndNoPassword)
{
    EXPECT_NE(S_OK, Connect("not-the-Secret"));
    const std::string text = ErrorText(m_pImap);
    EXPECT_FALSE(text.empty());
    EXPECT_EQ(std::string::npos, text.find("not-the-Secret")) << text;
    const std::vector<CImapEvent> events = m_Sink.Take();
    ASSERT_EQ(1u, events.size());
    EXPECT_EQ(2, events[0].nId);
    EXPECT_EQ(L"NO", events[0].args[0]);
    EXPECT_EQ(S_OK, Connect()) << ErrorText(m_pImap);
    BSTR user = NULL;
    ASSERT_EQ(S_OK, m_pImap->GetLoginUser(&user));
    EXPECT_EQ(Wide(m_strUser), std::wstring(user));
    SysFreeString(user);
}

TEST_P(OrbIMAPServerTest, AKickedConnectionIsReopenedForTheNextCall)
{
    CreateOnServer(m_strBase);
    const unsigned uid = SaveMessage(m_strUser.c_str(), m_strBase, Message("kick", "k"));
    ASSERT_EQ(S_OK, Connect()) << ErrorText(m_pImap);
    EXPECT_EQ(1u, Uids(m_strBase).size());
    ASSERT_EQ(0, Doveadm("kick " + m_strUser + " >/dev/null"));
    EXPECT_EQ(S_OK, m_pImap->FetchMessageByUid(uid)) << ErrorText(m_pImap);
    EXPECT_EQ(1u, OfId(m_Sink.Take(), 3).size());
    ASSERT_EQ(0, Doveadm("kick " + m_strUser + " >/dev/null"));
    EXPECT_EQ(1u, Uids(m_strBase).size());
}

TEST_P(OrbIMAPServerTest, AMessageCanBeFetchedFromInsideTheEndOfTheUidList)
{
    CreateOnServer(m_strBase);
    const unsigned uid = SaveMessage(m_strUser.c_str(), m_strBase, Message("inside", "body"));
    ASSERT_EQ(S_OK, Connect()) << ErrorText(m_pImap);
    HRESULT hrInside = E_PENDING;
    m_Sink.m_OnEvent = [&](const CImapEvent& event) {
        if (event.nId == 5)
            hrInside = m_pImap->FetchMessageByUid(uid);
    };
    ASSERT_EQ(S_OK, m_pImap->FetchUids(CBstr(m_strBase), 0)) << ErrorText(m_pImap);
    m_Sink.m_OnEvent = nullptr;
    EXPECT_EQ(S_OK, hrInside);
    const std::vector<CImapEvent> events = m_Sink.Take();
    ASSERT_EQ(3u, events.size());
    EXPECT_EQ(4, events[0].nId);
    EXPECT_EQ(5, events[1].nId);
    EXPECT_EQ(3, events[2].nId);
    EXPECT_EQ(Message("inside", "body"), Narrow(events[2].args[0]));
}

struct CThreadWork
{
    IOrbIMAP* pImap;
    std::string folder;
    unsigned uid;
    int nFailures;
};

DWORD WINAPI FetchRepeatedly(void* pParam)
{
    CThreadWork& work = *static_cast<CThreadWork*>(pParam);
    CoInitializeEx(NULL, COINIT_MULTITHREADED);
    for (int i = 0; i < 25; ++i)
        if (work.pImap->FetchMessage(CBstr(work.folder), work.uid) != S_OK)
            ++work.nFailures;
    CoUninitialize();
    return 0;
}

TEST_P(OrbIMAPServerTest, TwoThreadsShareOneObject)
{
    CreateOnServer(m_strBase + "A");
    CreateOnServer(m_strBase + "B");
    CThreadWork works[2] = {
        {m_pImap, m_strBase + "A", SaveMessage(m_strUser.c_str(), m_strBase + "A", Message("A", "from A")), 0},
        {m_pImap, m_strBase + "B", SaveMessage(m_strUser.c_str(), m_strBase + "B", Message("B", "from B")), 0},
    };
    ASSERT_EQ(S_OK, Connect()) << ErrorText(m_pImap);
    m_Sink.Take();
    HANDLE threads[2];
    for (int i = 0; i < 2; ++i)
        threads[i] = CreateThread(NULL, 0, FetchRepeatedly, &works[i], 0, NULL);
    // Events of the other threads reach this thread's sink through its message queue.
    DWORD nRunning = 2;
    while (nRunning > 0)
    {
        const DWORD dwResult = MsgWaitForMultipleObjects(nRunning, threads, FALSE, 120000, QS_ALLINPUT);
        if (dwResult < WAIT_OBJECT_0 + nRunning)
        {
            std::swap(threads[dwResult - WAIT_OBJECT_0], threads[nRunning - 1]);
            --nRunning;
            continue;
        }
        ASSERT_EQ(WAIT_OBJECT_0 + nRunning, dwResult) << "the threads did not end";
        MSG msg;
        while (PeekMessageW(&msg, NULL, 0, 0, PM_REMOVE))
            DispatchMessageW(&msg);
    }
    for (HANDLE hThread : threads)
        CloseHandle(hThread);
    EXPECT_EQ(0, works[0].nFailures);
    EXPECT_EQ(0, works[1].nFailures);
    int nA = 0, nB = 0;
    for (const CImapEvent& event : m_Sink.Take())
    {
        ASSERT_EQ(3, event.nId);
        const std::string text = Narrow(event.args[0]);
        if (text == Message("A", "from A") && event.args[1] == std::to_wstring(works[0].uid))
            ++nA;
        else if (text == Message("B", "from B") && event.args[1] == std::to_wstring(works[1].uid))
            ++nB;
        else
            ADD_FAILURE() << "a message of the wrong folder: " << text.substr(0, 80);
    }
    EXPECT_EQ(25, nA);
    EXPECT_EQ(25, nB);
}

INSTANTIATE_TEST_SUITE_P(Users, OrbIMAPServerTest, ::testing::ValuesIn(kImapUsers),
                         [](const ::testing::TestParamInfo<CImapUser>& info) { return std::string(info.param.pszName); });

} // namespace
