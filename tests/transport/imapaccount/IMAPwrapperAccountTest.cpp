// Tests of the per-account IMAP client over a fake component: the state and the viewer's text are reset on
// every exit, calls from inside an event take the lock again, the install question, masked credentials.
#include "transport/IMAPwrapperAccount.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <ocidl.h>

#include <atlapp.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "StoreTestDatabase.h"
#include "TransportTestSupport.h"
#include "foundation/Exception.h"
#include "foundation/Registry.h"
#include "foundation/WindowMessages.h"
#include "store/DatabaseSession.h"
#include "store/FoldersTable.h"
#include "store/MessageFlagsNotice.h"

CAppModule _Module;

namespace
{

// The component as the client sees it: records calls, fires the events a test gives it.
class CFakeImap : public IOrbIMAP, public IConnectionPointContainer, public IConnectionPoint
{
public:
    STDMETHOD(QueryInterface)(REFIID riid, void** ppv) override
    {
        if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID_IOrbIMAP)
            *ppv = static_cast<IOrbIMAP*>(this);
        else if (riid == IID_IConnectionPointContainer)
            *ppv = static_cast<IConnectionPointContainer*>(this);
        else
        {
            *ppv = NULL;
            return E_NOINTERFACE;
        }
        return S_OK;
    }
    STDMETHOD_(ULONG, AddRef)() override { return 2; }
    STDMETHOD_(ULONG, Release)() override { return 1; }
    STDMETHOD(GetTypeInfoCount)(UINT*) override { return E_NOTIMPL; }
    STDMETHOD(GetTypeInfo)(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHOD(GetIDsOfNames)(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHOD(Invoke)(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override
    {
        return E_NOTIMPL;
    }

    STDMETHOD(EnumConnectionPoints)(IEnumConnectionPoints**) override { return E_NOTIMPL; }
    STDMETHOD(FindConnectionPoint)(REFIID, IConnectionPoint** ppPoint) override
    {
        *ppPoint = this;
        return S_OK;
    }
    STDMETHOD(GetConnectionInterface)(IID*) override { return E_NOTIMPL; }
    STDMETHOD(GetConnectionPointContainer)(IConnectionPointContainer**) override { return E_NOTIMPL; }
    STDMETHOD(Advise)(IUnknown* pSink, DWORD* pdwCookie) override
    {
        pSink->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&m_pSink));
        *pdwCookie = 1;
        return S_OK;
    }
    STDMETHOD(Unadvise)(DWORD) override
    {
        m_pSink = NULL;
        return S_OK;
    }
    STDMETHOD(EnumConnections)(IEnumConnections**) override { return E_NOTIMPL; }

    STDMETHOD(List)(BSTR, BSTR, BSTR, long) override
    {
        HRESULT hr = Enter("List");
        for (const CListed& folder : m_Folders)
        {
            Fire(1, {Text(folder.attributes), Text(folder.delimiter), Text(folder.name)});
            Fire(6, {Text(folder.attributes), Text(folder.delimiter), Text(folder.name)});
        }
        Fire(2, {Text(m_strEndStatus), Text("")});
        return hr;
    }
    STDMETHOD(GetErrorText)(BSTR* pbstr) override
    {
        *pbstr = SysAllocString(L"[AUTHENTICATIONFAILED] the server says no");
        return S_OK;
    }
    STDMETHOD(GetLoginUser)(BSTR* pbstr) override
    {
        *pbstr = Text(m_strLoginUser).bstrVal;
        return S_OK;
    }
    STDMETHOD(GetLoginPassword)(BSTR* pbstr) override
    {
        *pbstr = SysAllocString(L"");
        return S_OK;
    }
    STDMETHOD(Connect)(BSTR, BSTR, BSTR, long) override { return Enter("Connect"); }
    STDMETHOD(CreateFolder)(BSTR) override { return Ended("CreateFolder"); }
    STDMETHOD(SetCaption)(BSTR) override { return Enter("SetCaption"); }
    STDMETHOD(DeleteFolder)(BSTR) override { return Ended("DeleteFolder"); }
    STDMETHOD(EndFolderCommand)() override { return Enter("EndFolderCommand"); }
    STDMETHOD(RenameFolder)(BSTR, BSTR) override { return Ended("RenameFolder"); }
    STDMETHOD(FetchUids)(BSTR, long) override
    {
        HRESULT hr = Enter("FetchUids");
        for (const auto& uid : m_ServerUids)
            Fire(4, {Unsigned(uid.first), Long(uid.second)});
        Fire(5, {Long(static_cast<long>(m_ServerUids.size()))});
        return hr;
    }
    STDMETHOD(FetchMessage)(BSTR, unsigned long nUid) override
    {
        HRESULT hr = Enter("FetchMessage");
        if (hr == S_OK)
            FireMessage(nUid);
        return hr;
    }
    STDMETHOD(FetchMessageByUid)(unsigned long nUid) override
    {
        HRESULT hr = Enter("FetchMessageByUid");
        if (hr == S_OK)
            FireMessage(nUid);
        return hr;
    }
    STDMETHOD(DeleteMessages)(BSTR, BSTR bstrUids) override
    {
        HRESULT hr = Enter("DeleteMessages");
        const unsigned long nUid = wcstoul(bstrUids, NULL, 10);
        Fire(4, {Unsigned(nUid), Long(m_ServerUids[nUid] | 8)});
        m_ServerUids.erase(nUid);
        Fire(2, {Text("OK"), Text("")});
        return hr;
    }
    STDMETHOD(put_Timeout)(long) override { return S_OK; }

    struct CListed
    {
        std::string attributes, delimiter, name;
    };
    std::vector<CListed> m_Folders;         // what a listing reports, in order
    std::string m_strEndStatus = "OK";      // the status that ends an operation
    std::map<unsigned long, long> m_ServerUids = {{7, 1}};
    std::string m_strLoginUser = "user";
    std::vector<std::string> m_Calls;
    std::string m_strFailing; // the call that fails
    IDispatch* m_pSink = NULL;
    volatile LONG m_nInside = 0;
    volatile LONG m_nOverlaps = 0;

private:
    HRESULT Ended(const char* pszName)
    {
        HRESULT hr = Enter(pszName);
        Fire(2, {Text(m_strEndStatus), Text("")});
        return hr;
    }
    static VARIANT Text(const std::string& text)
    {
        VARIANT v;
        VariantInit(&v);
        v.vt = VT_BSTR;
        v.bstrVal = SysAllocStringLen(NULL, static_cast<UINT>(text.size()));
        MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), v.bstrVal,
                            static_cast<int>(text.size()));
        return v;
    }
    HRESULT Enter(const char* pszName)
    {
        if (InterlockedIncrement(&m_nInside) > 1)
            InterlockedIncrement(&m_nOverlaps);
        m_Calls.push_back(pszName);
        Sleep(0);
        InterlockedDecrement(&m_nInside);
        return m_strFailing == pszName ? E_FAIL : S_OK;
    }
    static VARIANT Long(long n)
    {
        VARIANT v;
        VariantInit(&v);
        v.vt = VT_I4;
        v.lVal = n;
        return v;
    }
    static VARIANT Unsigned(unsigned long n)
    {
        VARIANT v;
        VariantInit(&v);
        v.vt = VT_UI4;
        v.ulVal = n;
        return v;
    }
    void Fire(DISPID id, std::vector<VARIANT> args)
    {
        if (m_pSink == NULL)
            return;
        std::vector<VARIANT> reversed(args.rbegin(), args.rend());
        DISPPARAMS params = {reversed.data(), NULL, static_cast<UINT>(reversed.size()), 0};
        m_pSink->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &params, NULL, NULL, NULL);
        for (VARIANT& v : args)
            VariantClear(&v);
    }
    void FireMessage(unsigned long nUid)
    {
        VARIANT text;
        VariantInit(&text);
        text.vt = VT_BSTR;
        const std::string message = "Subject: message " + std::to_string(nUid) + "\r\n\r\na\xe4\xff\r\n";
        text.bstrVal = SysAllocStringLen(NULL, static_cast<UINT>(message.size()));
        for (size_t i = 0; i < message.size(); ++i)
            text.bstrVal[i] = static_cast<unsigned char>(message[i]);
        Fire(3, {text, Unsigned(nUid), Long(m_ServerUids.count(nUid) != 0 ? m_ServerUids[nUid] : 0)});
    }
};

CFakeImap* s_pFake = NULL;
int s_nCreations = 0;
int s_nFailCreations = 0;

HRESULT CreateFake(IOrbIMAP** ppComponent)
{
    ++s_nCreations;
    if (s_nFailCreations > 0)
    {
        --s_nFailCreations;
        throw new CException("Class not registered");
    }
    *ppComponent = s_pFake;
    return S_OK;
}

std::vector<std::string> s_Installed;
std::vector<std::string> s_InstalledFrom; // "address folder"
int RecordInstaller(const char* pszComponent, const char* pszUrl, const char* pszFolder)
{
    s_Installed.push_back(pszComponent);
    s_InstalledFrom.push_back(std::string(pszUrl) + " " + pszFolder);
    return 1;
}

CAccountsRecord ImapAccount()
{
    CAccountsRecord account;
    account.Clear();
    account.m_ID = 4;
    account.m_IncomingServerType = 1;
    strcpy(account.m_szPOP3, "imap.example.org");
    strcpy(account.m_szAccountName, "user");
    return account;
}

// Records the events the walk-free tests care about; a UID list's end fetches its first UID from inside.
class CTestAccount : public CIMAPwrapperAccount
{
public:
    CTestAccount() : CIMAPwrapperAccount(NULL, ImapAccount(), NULL) {}
    LONG fetchUid(ULONG nUid, LONG) override
    {
        m_Uids.push_back(nUid);
        return 0;
    }
    LONG fetchUidEnd(LONG) override
    {
        m_nStateAtEnd = State();
        FetchMessageByUid(m_Uids.front());
        m_nStateAfterInner = State();
        return 0;
    }
    LONG messageFetched(BSTR bstr, ULONG nUid, LONG nFlags) override
    {
        if (CurrentMessage() == NULL)
        {
            m_nStateInFetch = State();
            m_Fetched.push_back(nUid);
            return 0;
        }
        return CIMAPwrapperAccount::messageFetched(bstr, nUid, nFlags);
    }

    std::vector<ULONG> m_Uids;
    std::vector<ULONG> m_Fetched;
    int m_nStateAtEnd = -1;
    int m_nStateAfterInner = -1;
    int m_nStateInFetch = -1;
};

class IMAPwrapperAccountTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        s_pFake = &m_Fake;
        s_nCreations = 0;
        s_nFailCreations = 0;
        m_pfnOld = CIMAPwrapperAccount::SetComponentCreator(CreateFake);
    }
    void TearDown() override { CIMAPwrapperAccount::SetComponentCreator(m_pfnOld); }

    CFakeImap m_Fake;
    CIMAPwrapperAccount::ComponentCreator m_pfnOld = NULL;
};

std::string Thrown(const std::function<void()>& call)
{
    try
    {
        call();
    }
    catch (CException* pException)
    {
        const std::string text = (const char*)pException->m_strMessage;
        delete pException;
        return text;
    }
    return "";
}

} // namespace

TEST_F(IMAPwrapperAccountTest, AFetchForTheViewerLeavesNoPointerToItsTextAndNoStateWhateverHappens)
{
    CTestAccount account;
    CString text;
    account.FetchMessage(5, "INBOX", 9, text);
    EXPECT_EQ(std::string("Subject: message 9\r\n\r\na\xe4\xff\r\n"),
              std::string((const char*)text, text.GetLength()));
    EXPECT_EQ(NULL, account.CurrentMessage());
    EXPECT_EQ(0, account.State());

    m_Fake.m_strFailing = "FetchMessage";
    {
        CString lost;
        EXPECT_EQ("[AUTHENTICATIONFAILED] the server says no",
                  Thrown([&] { account.FetchMessage(5, "INBOX", 9, lost); }));
    }
    EXPECT_EQ(NULL, account.CurrentMessage());
    EXPECT_EQ(0, account.State());
    // A later fetch by UID goes to the store path, never to the gone text.
    m_Fake.m_strFailing.clear();
    account.FetchMessageByUid(9);
    EXPECT_EQ(std::vector<ULONG>({9}), account.m_Fetched);
}

TEST_F(IMAPwrapperAccountTest, AFetchFromInsideTheEndOfTheUidListRunsInItsOwnStateAndGivesTheOuterOneBack)
{
    CTestAccount account;
    account.FetchUids(5, "INBOX", 1);
    EXPECT_EQ(std::vector<ULONG>({7}), account.m_Uids);
    EXPECT_EQ(6, account.m_nStateAtEnd);
    EXPECT_EQ(7, account.m_nStateInFetch);
    EXPECT_EQ(6, account.m_nStateAfterInner);
    EXPECT_EQ(std::vector<ULONG>({7}), account.m_Fetched);
    EXPECT_EQ(0, account.State());
    const std::vector<std::string> calls = {"Connect", "FetchUids", "FetchMessageByUid"};
    EXPECT_EQ(calls, m_Fake.m_Calls);
}

DWORD WINAPI Fetch(void* pParam)
{
    CTestAccount& account = *static_cast<CTestAccount*>(pParam);
    for (int i = 0; i < 200; ++i)
    {
        CString text;
        account.FetchMessage(5, "INBOX", 9, text);
    }
    return 0;
}

TEST_F(IMAPwrapperAccountTest, TwoThreadsNeverMeetInsideTheComponent)
{
    CTestAccount account;
    HANDLE threads[2] = {CreateThread(NULL, 0, Fetch, &account, 0, NULL), CreateThread(NULL, 0, Fetch, &account, 0, NULL)};
    WaitForMultipleObjects(2, threads, TRUE, INFINITE);
    CloseHandle(threads[0]);
    CloseHandle(threads[1]);
    EXPECT_EQ(0, m_Fake.m_nOverlaps);
    EXPECT_EQ(800u, m_Fake.m_Calls.size());
}

// The component keeps its sinks in the global interface table and fires on whichever thread called it: a
// thread of another apartment must reach the sink itself, not a proxy to the thread that advised.
DWORD WINAPI SinkFromOtherApartment(void* pParam)
{
    auto& exchange = *static_cast<std::pair<DWORD, IDispatch*>*>(pParam);
    CoInitializeEx(NULL, COINIT_MULTITHREADED);
    IGlobalInterfaceTable* pTable = NULL;
    if (SUCCEEDED(CoCreateInstance(CLSID_StdGlobalInterfaceTable, NULL, CLSCTX_INPROC_SERVER,
                                   IID_IGlobalInterfaceTable, reinterpret_cast<void**>(&pTable))))
    {
        IDispatch* pSink = NULL;
        pTable->GetInterfaceFromGlobal(exchange.first, IID_IDispatch, reinterpret_cast<void**>(&pSink));
        // Only the identity is compared: a proxy made here must go before this apartment does.
        exchange.second = pSink;
        if (pSink != NULL)
            pSink->Release();
        pTable->Release();
    }
    CoUninitialize();
    return 0;
}

TEST_F(IMAPwrapperAccountTest, EventsOfACallFromAnotherApartmentReachTheSinkOnTheCallingThread)
{
    CTestAccount account;
    IGlobalInterfaceTable* pTable = NULL;
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_StdGlobalInterfaceTable, NULL, CLSCTX_INPROC_SERVER,
                                     IID_IGlobalInterfaceTable, reinterpret_cast<void**>(&pTable)));
    std::pair<DWORD, IDispatch*> exchange(0, nullptr);
    ASSERT_EQ(S_OK, pTable->RegisterInterfaceInGlobal(static_cast<IDispatch*>(&account), IID_IDispatch,
                                                      &exchange.first));
    HANDLE hThread = CreateThread(NULL, 0, SinkFromOtherApartment, &exchange, 0, NULL);
    // A proxy would call back into this apartment: keep serving it while the thread runs.
    while (MsgWaitForMultipleObjects(1, &hThread, FALSE, INFINITE, QS_ALLINPUT) == WAIT_OBJECT_0 + 1)
    {
        MSG msg;
        while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
    }
    CloseHandle(hThread);
    pTable->RevokeInterfaceFromGlobal(exchange.first);
    pTable->Release();
    EXPECT_EQ(static_cast<IDispatch*>(&account), exchange.second);
}

TEST_F(IMAPwrapperAccountTest, AMissingComponentIsOfferedForInstallationAndDecliningThrowsAnEmptyText)
{
    ComponentInstaller pfnOldInstaller = SetComponentInstaller(RecordInstaller);
    s_Installed.clear();
    {
        CMessageBoxRecorder boxes({IDYES});
        CMessageBoxRecorder::s_Texts.clear();
        s_nFailCreations = 1;
        CTestAccount account;
        EXPECT_EQ(2, s_nCreations);
        EXPECT_EQ(std::vector<std::string>({"OrbIMAP"}), s_Installed);
        ASSERT_EQ(1u, CMessageBoxRecorder::s_Texts.size());
        EXPECT_EQ("The OrbIMAP Component is not installed in your system. \r\n\r\nClass not registered\r\n\r\n"
                  "Do you want to download and instal it from internet?",
                  CMessageBoxRecorder::s_Texts[0]);
    }
    {
        CMessageBoxRecorder boxes({IDNO});
        s_nFailCreations = 1;
        bool bThrown = false;
        try
        {
            CTestAccount account;
        }
        catch (const char* pszText)
        {
            bThrown = true;
            EXPECT_STREQ("", pszText);
        }
        EXPECT_TRUE(bThrown);
        EXPECT_EQ(1u, s_Installed.size());
    }
    SetComponentInstaller(pfnOldInstaller);
}

TEST_F(IMAPwrapperAccountTest, TheCredentialsFailureTextShowsNoPassword)
{
    const std::string text = (const char*)CIMAPwrapperAccount::CredentialsFailureText("imap.example.org", "old", "new");
    EXPECT_EQ("ERROR: Change of the account's user name and password failed!\r\nServer: imap.example.org\r\n"
              "Old user name: old\r\nNew user name: new\r\nOld password: ********\r\nNew password: ********",
              text);
}

namespace
{
// An owner window on the test's thread over a fixture store: it answers the database and thread questions
// and writes down the list commands the events send; a folder tree beside it.
struct CListCommand
{
    WPARAM nCommand;
    LONG nEmailsID;
    LONG nFlags;
};
std::vector<CListCommand> s_commands;
CTestDatabase* s_pDatabase = NULL;
CRegistry* s_pRegistry = NULL;

LRESULT CALLBACK StoreOwnerProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg == LetrovaGetDatabase)
    {
        *reinterpret_cast<CDatabaseSession**>(wParam) = s_pDatabase;
        return 1;
    }
    if (uMsg == LetrovaGetIdThread)
    {
        *reinterpret_cast<DWORD*>(wParam) = GetCurrentThreadId();
        return 1;
    }
    if (uMsg == LetrovaGetRegistry)
    {
        *reinterpret_cast<CRegistry**>(wParam) = s_pRegistry;
        return 1;
    }
    if (uMsg == WM_NOTIFY && reinterpret_cast<NMHDR*>(lParam)->code == TVN_DELETEITEMA)
    {
        // As the folder pane does: an item's data goes with it.
        delete reinterpret_cast<CFolderItemData*>(reinterpret_cast<NMTREEVIEWA*>(lParam)->itemOld.lParam);
        return 0;
    }
    if (uMsg == WM_COMMAND && wParam == 33052)
    {
        const CEmailsRecord& row = *reinterpret_cast<CEmailsRecord*>(lParam);
        s_commands.push_back({wParam, row.m_EmailsID, row.m_Flags});
        return 1;
    }
    if (uMsg == WM_COMMAND && (wParam == 33044 || wParam == 32789 || wParam == 33046 || wParam == 32783))
    {
        s_commands.push_back({wParam, (LONG)lParam, 0});
        return 1;
    }
    return DefWindowProcA(hWnd, uMsg, wParam, lParam);
}

class IMAPwrapperAccountStoreTest : public IMAPwrapperAccountTest
{
protected:
    void SetUp() override
    {
        IMAPwrapperAccountTest::SetUp();
        RegisterLetrovaMessages();
        m_db.OpenFile(m_path.m_strPath);
        s_pDatabase = &m_db;
        s_commands.clear();
        CFoldersTable::CreateTable(m_db.Session(), NULL);
        CAccountsTable::CreateTableIfMissing(m_db.Session(), NULL);
        m_db.Exec("INSERT INTO Accounts (DisplayName, EmailAddress, POP3, SMTP, AccountName, Flags, "
                  "RemoveAfter, IncomingServerType, Delimiter) VALUES ('Work', 'w@x', 'imap.example.org', "
                  "'smtp', 'user', 0, 5, 1, '')");
        m_db.Exec("INSERT INTO Folders (OwnerID, Name, Type, nUnread, nMessagesNumber, Flags) "
                  "VALUES (0, 'Work', 13, 0, 0, 0)");
        m_nRoot = m_db.QueryLong("SELECT ID FROM Folders WHERE Type = 13");
        WNDCLASSA wc = {};
        wc.lpfnWndProc = StoreOwnerProc;
        wc.hInstance = GetModuleHandleA(NULL);
        wc.lpszClassName = "ImapStoreOwner";
        RegisterClassA(&wc);
        m_hOwner = CreateWindowA("ImapStoreOwner", "", WS_OVERLAPPEDWINDOW, 0, 0, 300, 300, NULL, NULL,
                                 GetModuleHandleA(NULL), NULL);
        m_hTree = CreateWindowA(WC_TREEVIEWA, "", WS_CHILD, 0, 0, 300, 300, m_hOwner, NULL,
                                GetModuleHandleA(NULL), NULL);
        CFoldersRecord root;
        root.ClearRow();
        root.m_ID = m_nRoot;
        root.m_Type = FOLDER_IMAP_ACCOUNT;
        strcpy(root.m_Name, "Work");
        m_hRoot = InsertItem(TVI_ROOT, root, "Work", true);
    }
    void TearDown() override
    {
        TreeView_DeleteAllItems(m_hTree);
        DestroyWindow(m_hOwner);
        s_pDatabase = NULL;
        IMAPwrapperAccountTest::TearDown();
    }

    CAccountsRecord StoredAccount()
    {
        CAccountsTable accounts(m_db.Session(), NULL);
        accounts.Open(NULL);
        EXPECT_EQ(S_OK, accounts.MoveNext());
        return accounts;
    }
    HTREEITEM InsertItem(HTREEITEM hParent, const CFoldersRecord& folder, const char* pszText,
                         bool bAccount = false)
    {
        CFolderItemData* pData = new CFolderItemData;
        pData->folder = folder;
        if (bAccount)
            pData->pAccount = new CAccountsRecord(StoredAccount());
        TVINSERTSTRUCTA insert = {};
        insert.hParent = hParent;
        insert.hInsertAfter = TVI_LAST;
        insert.item.mask = TVIF_TEXT | TVIF_PARAM;
        insert.item.pszText = const_cast<char*>(pszText);
        insert.item.lParam = (LPARAM)pData;
        return TreeView_InsertItem(m_hTree, &insert);
    }
    CFolderItemData* Data(HTREEITEM hItem)
    {
        TVITEMA item = {};
        item.mask = TVIF_PARAM;
        item.hItem = hItem;
        TreeView_GetItem(m_hTree, &item);
        return reinterpret_cast<CFolderItemData*>(item.lParam);
    }
    // The tree below hItem as "text[listed]" lines, indented by depth.
    std::vector<std::string> Items(HTREEITEM hItem, int nDepth = 0)
    {
        std::vector<std::string> items;
        for (HTREEITEM hChild = TreeView_GetChild(m_hTree, hItem); hChild != NULL;
             hChild = TreeView_GetNextSibling(m_hTree, hChild))
        {
            char szText[128] = "";
            TVITEMA item = {};
            item.mask = TVIF_TEXT;
            item.hItem = hChild;
            item.pszText = szText;
            item.cchTextMax = sizeof(szText);
            TreeView_GetItem(m_hTree, &item);
            items.push_back(std::string(nDepth * 2, ' ') + szText + (Data(hChild)->bListed ? " listed" : ""));
            for (const std::string& below : Items(hChild, nDepth + 1))
                items.push_back(below);
        }
        return items;
    }
    // The folder rows below the root as "name type flags", parents first.
    std::vector<std::string> Rows(LONG nOwner, int nDepth = 0)
    {
        std::vector<std::string> rows;
        CFoldersTable folders(m_db.Session());
        folders.ClearRow();
        folders.m_ID = nOwner;
        folders.Open(NULL, "Folders", CString(g_szFoldersSelect) + " WHERE OwnerID = ? ORDER BY Name");
        std::vector<CFoldersRecord> children;
        while (folders.MoveNext() == S_OK)
            children.push_back(folders);
        for (const CFoldersRecord& child : children)
        {
            rows.push_back(std::string(nDepth * 2, ' ') + child.m_Name + " " + std::to_string(child.m_Type) +
                           " " + std::to_string(child.m_Flags));
            for (const std::string& below : Rows(child.m_ID, nDepth + 1))
                rows.push_back(below);
        }
        return rows;
    }
    LONG AddFolder(const char* pszName, LONG nOwner, LONG nType, LONG nFlags = 0)
    {
        CString strSQL;
        strSQL.Format("INSERT INTO Folders (OwnerID, Name, Type, nUnread, nMessagesNumber, Flags) "
                      "VALUES (%ld, '%s', %ld, 0, 0, %ld)",
                      (long)nOwner, pszName, (long)nType, (long)nFlags);
        m_db.Exec(strSQL);
        strSQL.Format("SELECT ID FROM Folders WHERE Name = '%s' AND OwnerID = %ld", pszName, (long)nOwner);
        return m_db.QueryLong(strSQL);
    }
    LONG AddMessage(LONG nFolder, const char* pszUniqueID, LONG nFlags)
    {
        CString strSQL;
        strSQL.Format("INSERT INTO Emails (EmDate, Subject, Message, Ref, FolderID, Flags, UniqueID, AccountID, "
                      "Encode) VALUES (45000, 'stored %s', 'Subject: x\r\n\r\nbody', 'A <a@x>', %ld, %ld, '%s', 1, 0)",
                      pszUniqueID, (long)nFolder, (long)nFlags, pszUniqueID);
        m_db.Exec(strSQL);
        return m_db.QueryLong(CString("SELECT EmailsID FROM Emails WHERE Subject = 'stored ") + pszUniqueID +
                              "'");
    }
    std::unique_ptr<CIMAPwrapperAccount> Account()
    {
        std::unique_ptr<CIMAPwrapperAccount> account(new CIMAPwrapperAccount(m_hOwner, StoredAccount(), NULL));
        account->UseTree(m_hTree, m_hRoot);
        return account;
    }

    CTempDatabasePath m_path{"imapaccount"};
    CTestDatabase m_db;
    LONG m_nRoot = 0;
    HWND m_hOwner = NULL;
    HWND m_hTree = NULL;
    HTREEITEM m_hRoot = NULL;
};
} // namespace

TEST_F(IMAPwrapperAccountStoreTest, AListingMakesRowsAndItemsOfSelectableFoldersAndMarksEveryListedItem)
{
    // INBOX is in the tree already, its label carrying its unread count: it is found by its folder.
    CFoldersRecord inbox;
    inbox.ClearRow();
    inbox.m_ID = AddFolder("INBOX", m_nRoot, FOLDER_IMAP_FIRST);
    inbox.m_OwnerID = m_nRoot;
    inbox.m_Type = FOLDER_IMAP_FIRST;
    strcpy(inbox.m_Name, "INBOX");
    InsertItem(m_hRoot, inbox, "INBOX (3)");
    m_Fake.m_Folders = {
        {"(\\HasNoChildren)", ".", "INBOX"},
        {"(\\HasChildren)", ".", "Work"},
        {"(\\hasnochildren)", ".", "Work.Plans"},
        {"(\\HasChildren \\Noselect)", ".", "Shared"},
        {"(\\Marked)", ".", "Unsaid"},
        {"(\\HasNoChildren)", ".", "\"Quoted\""},
    };
    m_Fake.m_strEndStatus = "ok";
    Account()->List();

    EXPECT_EQ(std::vector<std::string>({"INBOX 14 0", "Quoted 14 0", "Work 15 0", "  Plans 14 0"}), Rows(m_nRoot));
    EXPECT_EQ(std::vector<std::string>({"INBOX (3) listed", "Work listed", "  Plans listed", "Quoted listed"}),
              Items(m_hRoot));
    const CAccountsRecord stored = StoredAccount();
    EXPECT_STREQ(".", stored.m_szDelimiter);
    EXPECT_EQ(0x100, stored.m_Flags & 0x100);
    EXPECT_STREQ(".", Data(m_hRoot)->pAccount->m_szDelimiter);
    EXPECT_EQ(0x100, Data(m_hRoot)->pAccount->m_Flags & 0x100);
}

TEST_F(IMAPwrapperAccountStoreTest, AListingThatFailsOrCannotKeepItsDelimiterChangesNothing)
{
    struct
    {
        const char* pszDelimiter;
        const char* pszStatus;
        const char* pszBox; // shown to the user
        LONG nAccountFlags;
    } const cases[] = {
        {"::/", "OK", "FATAL ERROR: Delimiter too long.\r\n::/", 0x100},
        {NULL, "NO", NULL, 0},
    };
    for (const auto& c : cases)
    {
        m_db.Exec("UPDATE Accounts SET Flags = 0, Delimiter = ''");
        m_Fake.m_Folders.clear();
        if (c.pszDelimiter != NULL)
            m_Fake.m_Folders.push_back({"(\\HasNoChildren)", c.pszDelimiter, "Lost"});
        m_Fake.m_strEndStatus = c.pszStatus;
        CMessageBoxRecorder boxes({IDOK});
        CMessageBoxRecorder::s_Texts.clear();
        std::unique_ptr<CIMAPwrapperAccount> account = Account();
        account->List();
        EXPECT_EQ(c.pszBox != NULL ? std::vector<std::string>({c.pszBox, c.pszBox}) : std::vector<std::string>(),
                  CMessageBoxRecorder::s_Texts)
            << c.pszStatus;
        EXPECT_EQ(std::vector<std::string>(), Rows(m_nRoot)) << c.pszStatus;
        EXPECT_EQ(std::vector<std::string>(), Items(m_hRoot)) << c.pszStatus;
        EXPECT_STREQ("", StoredAccount().m_szDelimiter) << c.pszStatus;
        // The listing's own end still counts when the server said OK, even if a folder could not be kept.
        EXPECT_EQ(c.nAccountFlags, StoredAccount().m_Flags & 0x100) << c.pszStatus;
        EXPECT_EQ(0, account->State());
    }
}

TEST_F(IMAPwrapperAccountStoreTest, AUidListingMarksKeptRowsSeenDropsGoneOnesAndStoresEachNewMessageOnce)
{
    const LONG nInbox = AddFolder("INBOX", m_nRoot, FOLDER_IMAP_FIRST);
    const LONG nSeen = AddMessage(nInbox, "7", 0x02);   // unread here, seen on the server
    const LONG nUnseen = AddMessage(nInbox, "8", 0x80); // read here, unseen there: stays read
    const LONG nGone = AddMessage(nInbox, "4294967295", 0x02);
    const LONG nLocal = AddMessage(nInbox, "", 0x02);
    const LONG nOdd = AddMessage(nInbox, "x12", 0x02);
    const LONG nZero = AddMessage(nInbox, "0", 0x02);
    m_Fake.m_ServerUids = {{7, 1}, {8, 0}, {4000000000ul, 0}};
    std::unique_ptr<CIMAPwrapperAccount> account = Account();
    for (int nPass = 0; nPass < 2; ++nPass)
        account->FetchUids(nInbox, "INBOX", 5);

    CString strSQL;
    strSQL.Format("SELECT Flags FROM Emails WHERE EmailsID = %ld", (long)nSeen);
    EXPECT_EQ(0x80, m_db.QueryLong(strSQL));
    strSQL.Format("SELECT Flags FROM Emails WHERE EmailsID = %ld", (long)nUnseen);
    EXPECT_EQ(0, m_db.QueryLong(strSQL));
    strSQL.Format("SELECT COUNT(*) FROM Emails WHERE EmailsID IN (%ld, %ld, %ld)", (long)nLocal, (long)nOdd,
                  (long)nZero);
    EXPECT_EQ(3, m_db.QueryLong(strSQL));
    strSQL.Format("SELECT COUNT(*) FROM Emails WHERE EmailsID = %ld", (long)nGone);
    EXPECT_EQ(0, m_db.QueryLong(strSQL));
    strSQL.Format("SELECT COUNT(*) FROM Emails WHERE FolderID = %ld AND UniqueID = '4000000000'", (long)nInbox);
    EXPECT_EQ(1, m_db.QueryLong(strSQL));
    strSQL.Format("SELECT nMessagesNumber FROM Folders WHERE ID = %ld", (long)nInbox);
    EXPECT_EQ(3, m_db.QueryLong(strSQL));

    // The first pass: both kept rows shown again with their new flags, the gone one taken from the list.
    ASSERT_LE(4u, s_commands.size());
    EXPECT_EQ(33052u, s_commands[0].nCommand);
    EXPECT_EQ(nSeen, s_commands[0].nEmailsID);
    EXPECT_EQ(0x80, s_commands[0].nFlags);
    EXPECT_EQ(33052u, s_commands[1].nCommand);
    EXPECT_EQ(nUnseen, s_commands[1].nEmailsID);
    EXPECT_EQ(33044u, s_commands[2].nCommand);
    EXPECT_EQ(nGone, s_commands[2].nEmailsID);
    // The new message is unread: the main window hears of the folder's new unread count.
    const LONG nNew = m_db.QueryLong("SELECT EmailsID FROM Emails WHERE UniqueID = '4000000000'");
    EXPECT_EQ(32783u, s_commands[3].nCommand);
    EXPECT_EQ(nNew, MessageFlagsNotice.nMessageID);
    EXPECT_EQ(nInbox, MessageFlagsNotice.nFolderID);
    EXPECT_EQ(1, MessageFlagsNotice.nUnreadDelta);
    // The second pass knows the new message.
    EXPECT_EQ(1, std::count(m_Fake.m_Calls.begin(), m_Fake.m_Calls.end(), "FetchMessageByUid"));
    // The new message went to the main window's thread.
    MSG msg;
    int nHandedOver = 0;
    while (PeekMessageA(&msg, (HWND)-1, WM_USER, WM_USER, PM_REMOVE))
        nHandedOver += msg.wParam == 32804 ? 1 : 0;
    EXPECT_EQ(1, nHandedOver);
}

TEST_F(IMAPwrapperAccountStoreTest, DeletedMessagesGetTheServersFlagsAndTheUnreadCountLosesThem)
{
    const LONG nInbox = AddFolder("INBOX", m_nRoot, FOLDER_IMAP_FIRST);
    const LONG nUnread = AddMessage(nInbox, "7", 0x02);
    m_Fake.m_ServerUids = {{7, 1}};
    std::unique_ptr<CIMAPwrapperAccount> account = Account();
    account->DeleteMessages(nInbox, "INBOX", "7");
    CString strSQL;
    strSQL.Format("SELECT Flags FROM Emails WHERE EmailsID = %ld", (long)nUnread);
    EXPECT_EQ(0x80, m_db.QueryLong(strSQL));
    ASSERT_EQ(3u, s_commands.size());
    EXPECT_EQ(33052u, s_commands[0].nCommand);
    EXPECT_EQ(32789u, s_commands[1].nCommand);
    EXPECT_EQ(-1, s_commands[1].nEmailsID);
    EXPECT_EQ(33046u, s_commands[2].nCommand);
    EXPECT_EQ(0, account->State());
}

TEST_F(IMAPwrapperAccountStoreTest, FolderCommandsChangeRowsAndItemsOnlyWhenTheServerAgrees)
{
    const LONG nInbox = AddFolder("INBOX", m_nRoot, FOLDER_IMAP_FIRST);
    CFoldersRecord inbox;
    inbox.ClearRow();
    inbox.m_ID = nInbox;
    inbox.m_OwnerID = m_nRoot;
    inbox.m_Type = FOLDER_IMAP_FIRST;
    strcpy(inbox.m_Name, "INBOX");
    const HTREEITEM hInbox = InsertItem(m_hRoot, inbox, "INBOX (2)");
    std::unique_ptr<CIMAPwrapperAccount> account = Account();

    m_Fake.m_strEndStatus = "NO";
    account->UseTree(m_hTree, m_hRoot);
    account->CreateFolder("Refused", "Refused");
    m_Fake.m_strEndStatus = "OK";
    account->CreateFolder("Plans", "Plans");
    EXPECT_EQ(std::vector<std::string>({"INBOX 14 0", "Plans 14 0"}), Rows(m_nRoot));
    EXPECT_EQ(std::vector<std::string>({"INBOX (2)", "Plans"}), Items(m_hRoot));

    account->UseTree(m_hTree, hInbox);
    account->RenameFolder("INBOX", "Post", "Post");
    account->EndFolderCommand();
    EXPECT_EQ(std::vector<std::string>({"Plans 14 0", "Post 14 0"}), Rows(m_nRoot));
    EXPECT_EQ(std::vector<std::string>({"Post", "Plans"}), Items(m_hRoot));

    account->UseTree(m_hTree, hInbox);
    account->SetCaption();
    account->DeleteFolder(nInbox, "Post");
    account->EndFolderCommand();
    EXPECT_EQ(std::vector<std::string>({"Plans 14 0"}), Rows(m_nRoot));
    EXPECT_EQ(std::vector<std::string>({"Plans"}), Items(m_hRoot));
    EXPECT_EQ(0, account->State());
}

TEST_F(IMAPwrapperAccountStoreTest, ANewLoginIsStoredAndTheWindowsAreToldWithoutAnyPassword)
{
    m_Fake.m_strLoginUser = "renamed";
    std::unique_ptr<CIMAPwrapperAccount> account = Account();
    account->Connect();
    EXPECT_STREQ("renamed", StoredAccount().m_szAccountName);
    MSG msg;
    bool bUpdate = false;
    while (PeekMessageA(&msg, (HWND)-1, WM_USER, WM_USER, PM_REMOVE))
        bUpdate = bUpdate || msg.wParam == 32785;
    EXPECT_TRUE(bUpdate);
}

TEST_F(IMAPwrapperAccountStoreTest, TheInstallationAskedForFetchesFromTheUpdateAddressIntoTheInstallFolder)
{
    CRegistry registry("VornEmailImapTest");
    registry.m_strUpdateUrl = "ftp://updates.example.org/orb";
    s_pRegistry = &registry;
    ComponentInstaller pfnOldInstaller = SetComponentInstaller(RecordInstaller);
    s_Installed.clear();
    s_InstalledFrom.clear();
    {
        CMessageBoxRecorder boxes({IDYES});
        s_nFailCreations = 1;
        Account();
    }
    SetComponentInstaller(pfnOldInstaller);
    s_pRegistry = NULL;
    EXPECT_EQ(std::vector<std::string>({"OrbIMAP"}), s_Installed);
    EXPECT_EQ(std::vector<std::string>(
                  {"ftp://updates.example.org/orb/ " + std::string(registry.GetDefaultInstallDirectory())}),
              s_InstalledFrom);
}
