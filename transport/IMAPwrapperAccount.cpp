// The per-account client of the OrbIMAP component.
#include "transport/IMAPwrapperAccount.h"

#include <set>
#include <string>
#include <vector>

#include "foundation/ErrorUtil.h"
#include "foundation/Exception.h"
#include "foundation/WindowMessages.h"
#include "store/DatabaseSession.h"
#include "store/EmailsImpl.h"
#include "store/Folders.h"
#include "store/MessageTableSupport.h"
#include "store/OLEDBException.h"
#include "transport/DlgProgress.h"
#include "transport/ImapUidReconcile.h"

namespace
{

const char kComponentName[] = "OrbIMAP";
const char kDisplayName[] = "IMAP (OrbIMAP.DLL)";
const char kInstallQuestion[] = "The OrbIMAP Component is not installed in your system. \r\n\r\n%s\r\n\r\n"
                                "Do you want to download and instal it from internet?";
const char kCaption[] = "Vorn Email";
const WPARAM ID_ADD_MESSAGE_TO_CONTROL = 32804;
const WPARAM ID_DELETE_MESSAGE_FROM_LIST_CTRL = 33044;

HRESULT CreateByClassId(IOrbIMAP** ppComponent)
{
    CreateComComponent(CLSID_OrbIMAP, IID_IOrbIMAP, reinterpret_cast<void**>(ppComponent), kDisplayName);
    return *ppComponent != NULL ? S_OK : E_FAIL;
}

CIMAPwrapperAccount::ComponentCreator s_pfnCreate = CreateByClassId;

// A BSTR made from a text of the program's code page, freed with the holder.
class CBstrText
{
public:
    explicit CBstrText(const char* pszText)
    {
        const int nChars = MultiByteToWideChar(CP_ACP, 0, pszText, -1, NULL, 0);
        m_bstr = SysAllocStringLen(NULL, nChars > 0 ? nChars - 1 : 0);
        if (m_bstr != NULL && nChars > 1)
            MultiByteToWideChar(CP_ACP, 0, pszText, -1, m_bstr, nChars);
    }
    ~CBstrText() { SysFreeString(m_bstr); }
    operator BSTR() const { return m_bstr; }

private:
    BSTR m_bstr;
};

CString FromBstr(BSTR bstr)
{
    const int nLength = static_cast<int>(SysStringLen(bstr));
    if (nLength == 0)
        return CString();
    const int nBytes = WideCharToMultiByte(CP_ACP, 0, bstr, nLength, NULL, 0, NULL, NULL);
    CString text;
    char* pBuffer = text.GetBuffer(nBytes);
    WideCharToMultiByte(CP_ACP, 0, bstr, nLength, pBuffer, nBytes, NULL, NULL);
    text.ReleaseBuffer(nBytes);
    return text;
}

// The message's bytes: the component gives one to a character.
CString NarrowBytes(BSTR bstr)
{
    const int nLength = static_cast<int>(SysStringLen(bstr));
    CString text;
    char* pBuffer = text.GetBuffer(nLength);
    for (int i = 0; i < nLength; ++i)
        pBuffer[i] = static_cast<char>(bstr[i] & 0xFF);
    text.ReleaseBuffer(nLength);
    return text;
}

} // namespace

CIMAPwrapper::CIMAPwrapper(HWND hOwner, const CString& strServer, const CString& strUser,
                           const CString& strPassword, LONG nPort)
    : m_dwCookie(0), m_hOwner(hOwner), m_nState(0), m_pComponent(NULL), m_strServer(strServer),
      m_strUser(strUser), m_strPassword(strPassword), m_nPort(nPort)
{
}

CIMAPwrapper::~CIMAPwrapper()
{
    if (m_pComponent != NULL)
        m_pComponent->Release();
}

STDMETHODIMP CIMAPwrapper::QueryInterface(REFIID riid, void** ppv)
{
    if (ppv == NULL)
        return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == DIID__IOrbIMAPEvents)
    {
        *ppv = static_cast<IDispatch*>(this);
        return S_OK;
    }
    *ppv = NULL;
    return E_NOINTERFACE;
}

STDMETHODIMP CIMAPwrapper::GetTypeInfoCount(UINT* pn)
{
    if (pn == NULL)
        return E_POINTER;
    *pn = 0;
    return S_OK;
}

STDMETHODIMP CIMAPwrapper::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* pParams, VARIANT* pResult, EXCEPINFO*,
                                  UINT*)
{
    if (pParams == NULL)
        return E_INVALIDARG;
    // Arguments arrive last first; each is taken as the type the event declares.
    auto arg = [&](UINT i, VARTYPE vt, VARIANT& out) -> bool {
        VariantInit(&out);
        return i < pParams->cArgs && SUCCEEDED(VariantChangeType(&out, &pParams->rgvarg[pParams->cArgs - 1 - i], 0, vt));
    };
    VARIANT a[3];
    for (VARIANT& v : a)
        VariantInit(&v);
    LONG nResult = 0;
    try
    {
        switch (id)
        {
        case 1:
        case 6:
            if (!arg(0, VT_BSTR, a[0]) || !arg(1, VT_BSTR, a[1]) || !arg(2, VT_BSTR, a[2]))
                return DISP_E_TYPEMISMATCH;
            nResult = id == 1 ? listFolder(a[0].bstrVal, a[1].bstrVal, a[2].bstrVal)
                              : walkFolder(a[0].bstrVal, a[1].bstrVal, a[2].bstrVal);
            break;
        case 2:
            if (!arg(0, VT_BSTR, a[0]) || !arg(1, VT_BSTR, a[1]))
                return DISP_E_TYPEMISMATCH;
            nResult = operationEnd(a[0].bstrVal, a[1].bstrVal);
            break;
        case 3:
            if (!arg(0, VT_BSTR, a[0]) || !arg(1, VT_UI4, a[1]) || !arg(2, VT_I4, a[2]))
                return DISP_E_TYPEMISMATCH;
            nResult = messageFetched(a[0].bstrVal, a[1].ulVal, a[2].lVal);
            break;
        case 4:
            if (!arg(0, VT_UI4, a[0]) || !arg(1, VT_I4, a[1]))
                return DISP_E_TYPEMISMATCH;
            nResult = fetchUid(a[0].ulVal, a[1].lVal);
            break;
        case 5:
            if (!arg(0, VT_I4, a[0]))
                return DISP_E_TYPEMISMATCH;
            nResult = fetchUidEnd(a[0].lVal);
            break;
        default:
            return DISP_E_MEMBERNOTFOUND;
        }
    }
    catch (COLEDBException* pException)
    {
        delete pException; // the database layer has reported it
        nResult = 1;
    }
    catch (CException* pException)
    {
        AppMessageBox(pException->m_strMessage, MB_OK | MB_ICONERROR, m_hOwner);
        delete pException;
        nResult = 1;
    }
    catch (const char* pszText)
    {
        AppMessageBox(pszText, MB_OK | MB_ICONERROR, m_hOwner);
        nResult = 1;
    }
    catch (...)
    {
        AppMessageBox("Unhandled exception!!!\r\nCIMAPwrapper::Invoke(...)", MB_OK | MB_ICONERROR, m_hOwner);
        nResult = 1;
    }
    for (VARIANT& v : a)
        VariantClear(&v);
    if (pResult != NULL)
    {
        VariantInit(pResult);
        pResult->vt = VT_I4;
        pResult->lVal = nResult;
    }
    return S_OK;
}

// One wrapped operation: the lock held, the state set, and state and current message reset on every exit,
// a throw included, so that no event of a later call finds what this one left.
class CIMAPwrapperAccount::COperation
{
public:
    COperation(CIMAPwrapperAccount& account, int nState) : m_Account(account), m_Hold(account.m_Lock)
    {
        m_nOuterState = account.m_nState;
        m_pOuterMessage = account.m_pCurrentMessage;
        account.m_nState = nState;
    }
    ~COperation()
    {
        // An operation started from inside another one's event hands that one its own state back.
        m_Account.m_nState = m_nOuterState;
        m_Account.m_pCurrentMessage = m_pOuterMessage;
    }

private:
    CIMAPwrapperAccount& m_Account;
    CServingLock::CHold m_Hold;
    int m_nOuterState;
    CString* m_pOuterMessage;
};

CIMAPwrapperAccount::ComponentCreator CIMAPwrapperAccount::SetComponentCreator(ComponentCreator pfnCreator)
{
    ComponentCreator pfnOld = s_pfnCreate;
    s_pfnCreate = pfnCreator != NULL ? pfnCreator : CreateByClassId;
    return pfnOld;
}

CIMAPwrapperAccount::CIMAPwrapperAccount(HWND hOwner, const CAccountsRecord& account, HWND hTree)
    : CIMAPwrapper(hOwner, account.m_szPOP3, account.m_szAccountName,
                   const_cast<CAccountsRecord&>(account).GetPassword(),
                   account.m_IncomingPort != 0 ? account.m_IncomingPort : (account.m_IncomingServerType == 1 ? 143 : 110)),
      m_hTree(hTree), m_nCurrentFolder(0), m_pCurrentMessage(NULL)
{
    m_Account = account;
    CreateComponent();
    IConnectionPointContainer* pContainer = NULL;
    if (m_pComponent != NULL &&
        SUCCEEDED(m_pComponent->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&pContainer))))
    {
        IConnectionPoint* pPoint = NULL;
        if (SUCCEEDED(pContainer->FindConnectionPoint(DIID__IOrbIMAPEvents, &pPoint)))
        {
            if (FAILED(pPoint->Advise(static_cast<IDispatch*>(this), &m_dwCookie)))
                m_dwCookie = 0;
            pPoint->Release();
        }
        pContainer->Release();
    }
}

CIMAPwrapperAccount::~CIMAPwrapperAccount()
{
    if (m_pComponent == NULL || m_dwCookie == 0)
        return;
    IConnectionPointContainer* pContainer = NULL;
    if (SUCCEEDED(m_pComponent->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&pContainer))))
    {
        IConnectionPoint* pPoint = NULL;
        if (SUCCEEDED(pContainer->FindConnectionPoint(DIID__IOrbIMAPEvents, &pPoint)))
        {
            pPoint->Unadvise(m_dwCookie);
            pPoint->Release();
        }
        pContainer->Release();
    }
}

void CIMAPwrapperAccount::CreateComponent()
{
    for (;;)
    {
        CString strReason;
        try
        {
            IOrbIMAP* pComponent = NULL;
            if (SUCCEEDED(s_pfnCreate(&pComponent)) && pComponent != NULL)
            {
                m_pComponent = pComponent;
                return;
            }
            strReason = kDisplayName;
        }
        catch (CException* pException)
        {
            strReason = pException->m_strMessage;
            delete pException;
        }
        CString strQuestion;
        strQuestion.Format(kInstallQuestion, (const char*)strReason);
        if (AppMessageBox(strQuestion, MB_YESNO | MB_ICONQUESTION, m_hOwner) != IDYES ||
            InstallComponent(kComponentName, "", "") == 0)
            throw "";
    }
}

void CIMAPwrapperAccount::CheckResult(HRESULT hr)
{
    if (hr == S_OK)
        return;
    BSTR bstrText = NULL;
    m_pComponent->GetErrorText(&bstrText);
    const CString strText = FromBstr(bstrText);
    SysFreeString(bstrText);
    m_nState = 0;
    throw new CException(strText);
}

void CIMAPwrapperAccount::CheckCredentials()
{
    BSTR bstrUser = NULL, bstrPassword = NULL;
    m_pComponent->GetLoginUser(&bstrUser);
    m_pComponent->GetLoginPassword(&bstrPassword);
    const CString strUser = FromBstr(bstrUser), strPassword = FromBstr(bstrPassword);
    SysFreeString(bstrUser);
    SysFreeString(bstrPassword);
    if (strUser != m_strUser || strPassword != m_strPassword)
        OnCredentialsChanged(strUser, strPassword);
}

void CIMAPwrapperAccount::List()
{
    COperation operation(*this, 1);
    CheckResult(m_pComponent->List(CBstrText(m_strServer), CBstrText(m_strUser), CBstrText(m_strPassword), m_nPort));
    CheckCredentials();
}

void CIMAPwrapperAccount::Connect()
{
    COperation operation(*this, 1);
    CheckResult(m_pComponent->Connect(CBstrText(m_strServer), CBstrText(m_strUser), CBstrText(m_strPassword), m_nPort));
    CheckCredentials();
}

void CIMAPwrapperAccount::CreateFolder(const char* pszPath, const char* pszName)
{
    COperation operation(*this, 2);
    Connect();
    m_nState = 2;
    m_strOperation = pszName;
    CheckResult(m_pComponent->CreateFolder(CBstrText(pszPath)));
}

void CIMAPwrapperAccount::SetCaption()
{
    COperation operation(*this, 3);
    CheckResult(m_pComponent->SetCaption(CBstrText(kCaption)));
    Connect();
}

void CIMAPwrapperAccount::DeleteFolder(LONG nFolderID, const char* pszPath)
{
    COperation operation(*this, 3);
    m_nCurrentFolder = nFolderID;
    CheckResult(m_pComponent->DeleteFolder(CBstrText(pszPath)));
}

void CIMAPwrapperAccount::EndFolderCommand()
{
    CServingLock::CHold hold(m_Lock);
    CheckResult(m_pComponent->EndFolderCommand());
}

void CIMAPwrapperAccount::RenameFolder(const char* pszOldPath, const char* pszNewPath, const char* pszNewName)
{
    COperation operation(*this, 4);
    Connect();
    m_nState = 4;
    m_strOperation = pszNewName;
    CheckResult(m_pComponent->RenameFolder(CBstrText(pszOldPath), CBstrText(pszNewPath)));
}

void CIMAPwrapperAccount::RenameSubfolder(const char* pszOldPath, const char* pszNewPath)
{
    COperation operation(*this, 5);
    CheckResult(m_pComponent->RenameFolder(CBstrText(pszOldPath), CBstrText(pszNewPath)));
}

void CIMAPwrapperAccount::FetchUids(LONG nFolderID, const char* pszPath, LONG nNumber)
{
    COperation operation(*this, 6);
    Connect();
    m_nState = 6;
    m_nCurrentFolder = nFolderID;
    m_Uids.clear();
    CheckResult(m_pComponent->FetchUids(CBstrText(pszPath), nNumber));
}

void CIMAPwrapperAccount::FetchMessage(LONG nFolderID, const char* pszPath, ULONG nUid, CString& strText)
{
    COperation operation(*this, 8);
    Connect();
    m_nState = 8;
    m_nCurrentFolder = nFolderID;
    m_pCurrentMessage = &strText;
    CheckResult(m_pComponent->FetchMessage(CBstrText(pszPath), nUid));
}

void CIMAPwrapperAccount::FetchMessageByUid(ULONG nUid)
{
    COperation operation(*this, 7);
    m_pCurrentMessage = NULL;
    CheckResult(m_pComponent->FetchMessageByUid(nUid));
}

void CIMAPwrapperAccount::DeleteMessages(LONG nFolderID, const char* pszPath, const char* pszUids)
{
    COperation operation(*this, 9);
    Connect();
    m_nState = 9;
    m_nCurrentFolder = nFolderID;
    CheckResult(m_pComponent->DeleteMessages(CBstrText(pszPath), CBstrText(pszUids)));
}

LONG CIMAPwrapperAccount::fetchUid(ULONG nUid, LONG nFlags)
{
    m_Uids[static_cast<uint32_t>(nUid)] = static_cast<uint32_t>(nFlags);
    return 0;
}

LONG CIMAPwrapperAccount::fetchUidEnd(LONG nMessages)
{
    CDatabaseSession* pDatabase = GetOwnerDatabase(m_hOwner, NULL);
    std::vector<CImapStoredRow> rows;
    {
        CEmailsImpl<> store(&pDatabase->m_session);
        store.OpenByFolder(m_nCurrentFolder, m_hOwner);
        while (store.MoveNext(0, 0) == S_OK)
            rows.push_back({store.m_EmailsID, std::string(store.m_UniqueID)});
    }
    const CImapUidPlan plan = PlanUidReconciliation(rows, m_Uids);
    const std::set<long> remove(plan.remove.begin(), plan.remove.end());
    if (!remove.empty())
    {
        CEmailsImpl<> store(&pDatabase->m_session);
        store.OpenByFolder(m_nCurrentFolder, m_hOwner);
        while (store.MoveNext(0, 0) == S_OK)
        {
            const LONG nEmailID = store.m_EmailsID;
            if (remove.count(nEmailID) == 0)
                continue;
            store.DeleteMessage(m_hOwner);
            ::SendMessageA(m_hOwner, WM_COMMAND, ID_DELETE_MESSAGE_FROM_LIST_CTRL, nEmailID);
        }
    }
    for (const auto& kept : plan.keep)
    {
        uint32_t nUid = 0;
        for (const CImapStoredRow& row : rows)
            if (row.nEmailsID == kept.first && ParseImapUid(row.strUniqueID.c_str(), nUid))
                m_Uids.erase(nUid);
    }
    for (uint32_t nUid : plan.fetch)
        FetchMessageByUid(nUid);
    m_Uids.clear();
    CFolders(&pDatabase->m_session).ChangeMessagesNumber(m_nCurrentFolder, nMessages);
    return 0;
}

LONG CIMAPwrapperAccount::messageFetched(BSTR bstrMessage, ULONG nUid, LONG nFlags)
{
    if (m_pCurrentMessage != NULL)
    {
        *m_pCurrentMessage = NarrowBytes(bstrMessage);
        return 0;
    }
    const std::string strUid = FormatImapUid(static_cast<uint32_t>(nUid));
    CDatabaseSession* pDatabase = GetOwnerDatabase(m_hOwner, NULL);
    CEmailsImpl<> store(&pDatabase->m_session);
    store.SelectByFolderAndUniqueID(m_hOwner, m_nCurrentFolder, strUid.c_str());
    if (store.MoveNext(0, 0) == S_OK)
        return 0;
    const BOOL bSeen = (nFlags & 1) != 0;
    store.InsertMessage(NarrowBytes(bstrMessage), m_nCurrentFolder, 0, strUid.c_str(), m_Account.m_ID, m_hOwner,
                        NULL, 0.0, NULL, NULL, !bSeen, FALSE, bSeen);
    DWORD dwThread = 0;
    ::SendMessageA(m_hOwner, LetrovaGetIdThread, (WPARAM)&dwThread, 0);
    if (CDlgProgress::s_hEventListHandOver != NULL)
    {
        ::WaitForSingleObject(CDlgProgress::s_hEventListHandOver, 5000);
        ::ResetEvent(CDlgProgress::s_hEventListHandOver);
    }
    if (dwThread != 0)
        ::PostThreadMessageA(dwThread, WM_USER, ID_ADD_MESSAGE_TO_CONTROL, store.m_EmailsID);
    return 0;
}

CString CIMAPwrapperAccount::CredentialsFailureText(const CString& strServer, const CString& strOldUser,
                                                    const CString& strNewUser)
{
    return "ERROR: Change of the account's user name and password failed!\r\nServer: " + strServer +
           "\r\nOld user name: " + strOldUser + "\r\nNew user name: " + strNewUser +
           "\r\nOld password: ********\r\nNew password: ********";
}

void CIMAPwrapperAccount::OnCredentialsChanged(const char* pszUser, const char* pszPassword)
{
    CDatabaseSession* pDatabase = GetOwnerDatabase(m_hOwner, NULL);
    CAccountsTable accounts(&pDatabase->m_session, NULL);
    accounts.Open(m_hOwner);
    while (accounts.MoveNext() == S_OK)
    {
        if (accounts.m_ID != m_Account.m_ID)
            continue;
        const CString strOldUser = accounts.m_szAccountName;
        if (strlen(pszUser) < 101)
            strcpy(accounts.m_szAccountName, pszUser);
        if (strlen(pszPassword) < 101)
            accounts.SetPassword(pszPassword);
        if (FAILED(accounts.SetData(0)))
            throw new CException(CredentialsFailureText(m_strServer, strOldUser, pszUser));
        m_strUser = pszUser;
        m_strPassword = pszPassword;
        DWORD dwThread = 0;
        ::SendMessageA(m_hOwner, LetrovaGetIdThread, (WPARAM)&dwThread, 0);
        if (dwThread != 0)
            ::PostThreadMessageA(dwThread, WM_USER, ID_UPDATE, 0);
        return;
    }
}
