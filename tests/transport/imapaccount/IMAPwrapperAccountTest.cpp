// Tests of the per-account IMAP client over a fake component: the state and the viewer's text are reset on
// every exit, calls from inside an event take the lock again, the install question, masked credentials.
#include "transport/IMAPwrapperAccount.h"

#include <gtest/gtest.h>

#include <ocidl.h>

#include <atlapp.h>

#include <string>
#include <vector>

#include "TransportTestSupport.h"
#include "foundation/Exception.h"
#include "store/DatabaseSession.h"

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

    STDMETHOD(List)(BSTR, BSTR, BSTR, long) override { return Enter("List"); }
    STDMETHOD(GetErrorText)(BSTR* pbstr) override
    {
        *pbstr = SysAllocString(L"[AUTHENTICATIONFAILED] the server says no");
        return S_OK;
    }
    STDMETHOD(GetLoginUser)(BSTR* pbstr) override
    {
        *pbstr = SysAllocString(L"user");
        return S_OK;
    }
    STDMETHOD(GetLoginPassword)(BSTR* pbstr) override
    {
        *pbstr = SysAllocString(L"");
        return S_OK;
    }
    STDMETHOD(Connect)(BSTR, BSTR, BSTR, long) override { return Enter("Connect"); }
    STDMETHOD(CreateFolder)(BSTR) override { return Enter("CreateFolder"); }
    STDMETHOD(SetCaption)(BSTR) override { return Enter("SetCaption"); }
    STDMETHOD(DeleteFolder)(BSTR) override { return Enter("DeleteFolder"); }
    STDMETHOD(EndFolderCommand)() override { return Enter("EndFolderCommand"); }
    STDMETHOD(RenameFolder)(BSTR, BSTR) override { return Enter("RenameFolder"); }
    STDMETHOD(FetchUids)(BSTR, long) override
    {
        HRESULT hr = Enter("FetchUids");
        Fire(4, {Unsigned(7), Long(1)});
        Fire(5, {Long(1)});
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
    STDMETHOD(DeleteMessages)(BSTR, BSTR) override { return Enter("DeleteMessages"); }
    STDMETHOD(put_Timeout)(long) override { return S_OK; }

    std::vector<std::string> m_Calls;
    std::string m_strFailing; // the call that fails
    IDispatch* m_pSink = NULL;
    volatile LONG m_nInside = 0;
    volatile LONG m_nOverlaps = 0;

private:
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
        const wchar_t bytes[] = {L'a', 0xE4, 0xFF, L'\r', L'\n'};
        text.bstrVal = SysAllocStringLen(bytes, 5);
        Fire(3, {text, Unsigned(nUid), Long(0)});
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
int RecordInstaller(const char* pszComponent, const char*, const char*)
{
    s_Installed.push_back(pszComponent);
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
    EXPECT_EQ(std::string("a\xe4\xff\r\n", 5), std::string((const char*)text, text.GetLength()));
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
