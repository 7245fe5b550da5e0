// The per-account client of the OrbIMAP component.
#include "transport/IMAPwrapperAccount.h"

#include <set>
#include <string>
#include <vector>

#include "foundation/ErrorUtil.h"
#include "foundation/Exception.h"
#include "foundation/Registry.h"
#include "foundation/WindowMessages.h"
#include "store/DatabaseSession.h"
#include "store/EmailsImpl.h"
#include "store/Folders.h"
#include "store/MessageFlagsNotice.h"
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
const WPARAM ID_EDIT_MESSAGE_IN_LIST_CTRL = 33052;
const WPARAM ID_SET_FOLDER_UNREAD = 32789;
const WPARAM ID_REMOVE_TRAY_ICON = 33046;
const WPARAM ID_UPDATE_MESSAGE_FLAGS = 32783;
const char kDelimiterTooLong[] = "FATAL ERROR: Delimiter too long.\r\n";
const char kDelimiterFailed[] = "ERROR: Change of the account's delimiter failed!";
const char kAccountFlagsFailed[] = "ERROR: Change of the account's flags failed!";
const char kFolderFlagsFailed[] = "ERROR: Change of the folders's flags failed!";
const char kFolderNameFailed[] = "ERROR: Update of the Name field of the Foldres table failed!";
const char kEmailFlagsFailed[] = "ERROR: Update Deleted flag of the Emails table failed!";
const char kEmailDeleteFailed[] = "ERROR: Delete from Emails table failed!";
const LONG kFolderHidden = 1;

// A statement whose failure carries the handler's own text before the database's.
void Execute(HWND hOwner, const CString& strSQL, const char* pszFailure)
{
    try
    {
        GetOwnerDatabase(hOwner, NULL)->ExecuteSQL(strSQL, hOwner);
    }
    catch (COLEDBException* pException)
    {
        pException->m_strMessage = CString(pszFailure) + "\r\n" + pException->m_strMessage;
        throw;
    }
}

CString Quoted(const char* pszText)
{
    CString strText = pszText;
    strText.Replace("'", "''");
    return "'" + strText + "'";
}

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
    : m_dwCookie(0), m_hOwner(hOwner), m_nState(0), m_pComponent(NULL), m_pMarshaler(NULL),
      m_strServer(strServer), m_strUser(strUser), m_strPassword(strPassword), m_nPort(nPort)
{
}

CIMAPwrapper::~CIMAPwrapper()
{
    if (m_pComponent != NULL)
        m_pComponent->Release();
    if (m_pMarshaler != NULL)
        m_pMarshaler->Release();
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
    // The component keeps its sinks in the global interface table and fires on the calling thread. Marshaled
    // the usual way, an event of a call from another thread than the one that advised would be carried to
    // that thread, which may be waiting for this very object: the sink is the same object in every
    // apartment, so it marshals as itself.
    if (riid == IID_IMarshal)
    {
        if (m_pMarshaler == NULL &&
            FAILED(CoCreateFreeThreadedMarshaler(static_cast<IDispatch*>(this), &m_pMarshaler)))
        {
            m_pMarshaler = NULL;
            *ppv = NULL;
            return E_NOINTERFACE;
        }
        return m_pMarshaler->QueryInterface(riid, ppv);
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
      m_hTree(hTree), m_hItem(NULL), m_nCurrentFolder(0), m_pCurrentMessage(NULL)
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
        if (AppMessageBox(strQuestion, MB_YESNO | MB_ICONQUESTION, m_hOwner) != IDYES)
            throw "";
        CRegistry* pRegistry = NULL;
        if (m_hOwner != NULL)
            ::SendMessageA(m_hOwner, LetrovaGetRegistry, (WPARAM)&pRegistry, 0);
        if (pRegistry == NULL)
            pRegistry = g_pRegistry;
        CString strUrl = pRegistry != NULL ? pRegistry->m_strUpdateUrl : CString();
        if (strUrl.Right(1) != "/")
            strUrl += "/";
        const CString strFolder = pRegistry != NULL ? pRegistry->GetDefaultInstallDirectory() : CString();
        if (InstallComponent(kComponentName, strUrl, strFolder) == 0)
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
    m_Uids.clear();
    CheckResult(m_pComponent->DeleteMessages(CBstrText(pszPath), CBstrText(pszUids)));
}

void CIMAPwrapperAccount::UseTree(HWND hTree, HTREEITEM hItem)
{
    CServingLock::CHold hold(m_Lock);
    m_hTree = hTree;
    m_hItem = hItem;
}

CString CIMAPwrapperAccount::Delimiter()
{
    CServingLock::CHold hold(m_Lock);
    return m_Account.m_szDelimiter;
}

CFolderItemData* CIMAPwrapperAccount::ItemData(HTREEITEM hItem)
{
    if (m_hTree == NULL || hItem == NULL)
        return NULL;
    TVITEMA item = {};
    item.mask = TVIF_PARAM;
    item.hItem = hItem;
    if (!::SendMessageA(m_hTree, TVM_GETITEMA, 0, (LPARAM)&item))
        return NULL;
    return reinterpret_cast<CFolderItemData*>(item.lParam);
}

HTREEITEM CIMAPwrapperAccount::FindChildItem(HTREEITEM hParent, LONG nFolderID)
{
    for (HTREEITEM hChild = TreeView_GetChild(m_hTree, hParent); hChild != NULL;
         hChild = TreeView_GetNextSibling(m_hTree, hChild))
    {
        CFolderItemData* pData = ItemData(hChild);
        if (pData != NULL && pData->folder.m_ID == nFolderID)
            return hChild;
    }
    return NULL;
}

HTREEITEM CIMAPwrapperAccount::FindItem(HTREEITEM hFrom, LONG nFolderID)
{
    for (HTREEITEM hChild = TreeView_GetChild(m_hTree, hFrom); hChild != NULL;
         hChild = TreeView_GetNextSibling(m_hTree, hChild))
    {
        CFolderItemData* pData = ItemData(hChild);
        if (pData != NULL && pData->folder.m_ID == nFolderID)
            return hChild;
        if (HTREEITEM hFound = FindItem(hChild, nFolderID))
            return hFound;
    }
    return NULL;
}

HTREEITEM CIMAPwrapperAccount::InsertFolderItem(HTREEITEM hParent, const CFoldersRecord& folder)
{
    CString strText;
    FormatTreeItemText(folder, strText);
    CFolderItemData* pData = new CFolderItemData;
    pData->folder = folder;
    TVINSERTSTRUCTA insert = {};
    insert.hParent = hParent;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
    insert.item.pszText = const_cast<char*>((const char*)strText);
    insert.item.iImage = insert.item.iSelectedImage = folder.m_Type;
    insert.item.lParam = (LPARAM)pData;
    if (folder.m_Type == FOLDER_IMAP_LAST)
    {
        insert.item.mask |= TVIF_CHILDREN | TVIF_STATE;
        insert.item.cChildren = 1;
        insert.item.state = insert.item.stateMask = TVIS_EXPANDED;
    }
    HTREEITEM hItem = (HTREEITEM)::SendMessageA(m_hTree, TVM_INSERTITEMA, 0, (LPARAM)&insert);
    if (hItem == NULL)
        delete pData;
    return hItem;
}

void CIMAPwrapperAccount::UpdateAccountRow(const std::function<void(CAccountsRecord& row)>& change,
                                           const char* pszFailure)
{
    CDatabaseSession* pDatabase = GetOwnerDatabase(m_hOwner, NULL);
    CAccountsTable accounts(&pDatabase->m_session, NULL);
    accounts.Open(m_hOwner);
    while (accounts.MoveNext() == S_OK)
    {
        if (accounts.m_ID != m_Account.m_ID)
            continue;
        change(accounts);
        const HRESULT hr = accounts.SetData(0);
        if (FAILED(hr))
            throw new COLEDBException(accounts.m_spRowsetChange, IID_IRowsetChange, pszFailure,
                                      accounts.GetSession(), m_hOwner, FALSE, NULL, FALSE, FALSE, hr);
        return;
    }
}

void CIMAPwrapperAccount::StoreDelimiter(const CString& strDelimiter)
{
    if (m_Account.m_szDelimiter[0] != '\0' || strDelimiter.IsEmpty())
        return;
    if (strDelimiter.GetLength() > 2)
        throw new CException(CString(kDelimiterTooLong) + strDelimiter);
    UpdateAccountRow([&](CAccountsRecord& row) { strcpy(row.m_szDelimiter, strDelimiter); },
                     kDelimiterFailed);
    strcpy(m_Account.m_szDelimiter, strDelimiter);
    // The tree builds the paths of later commands from its own copy of the account.
    for (HTREEITEM hAt = m_hItem; hAt != NULL; hAt = TreeView_GetParent(m_hTree, hAt))
    {
        CFolderItemData* pData = ItemData(hAt);
        if (pData != NULL && pData->pAccount != NULL)
            strcpy(pData->pAccount->m_szDelimiter, strDelimiter);
    }
}

LONG CIMAPwrapperAccount::StartFolderID()
{
    if (CFolderItemData* pData = ItemData(m_hItem))
        return pData->folder.m_ID;
    CFoldersTable folders(&GetOwnerDatabase(m_hOwner, NULL)->m_session);
    folders.SelectByTypeAndName(FOLDER_IMAP_ACCOUNT, CString(m_Account.m_szDisplayName).Left(100));
    return folders.MoveNext() == S_OK ? folders.m_ID : 0;
}

LONG CIMAPwrapperAccount::listFolder(BSTR bstrAttributes, BSTR bstrDelimiter, BSTR bstrName)
{
    const CString strDelimiter = FromBstr(bstrDelimiter);
    StoreDelimiter(strDelimiter);
    const CImapFolderAttributes attributes = ParseImapFolderAttributes((const char*)FromBstr(bstrAttributes));
    if (attributes.bNoSelect || (!attributes.bHasChildren && !attributes.bHasNoChildren))
        return 0;
    const LONG nType = attributes.bHasChildren ? FOLDER_IMAP_LAST : FOLDER_IMAP_FIRST;
    LONG nParent = StartFolderID();
    if (nParent == 0)
        return 0;
    CFoldersTable folders(&GetOwnerDatabase(m_hOwner, NULL)->m_session);
    const std::vector<std::string> parts =
        SplitImapFolderName((const char*)FromBstr(bstrName), (const char*)strDelimiter);
    for (const std::string& strPart : parts)
    {
        const int nFound = folders.FindByOwnerAndName(m_hOwner, nParent, strPart.c_str());
        if (nFound < 0)
            return 0;
        if (nFound == 0)
            folders.InsertFolder(m_hOwner, nParent, strPart.c_str(), nType);
        else if ((folders.m_Flags & kFolderHidden) == 0 ||
                 (folders.m_Type != FOLDER_IMAP_FIRST && folders.m_Type != FOLDER_IMAP_LAST))
        {
            CString strSQL;
            strSQL.Format("UPDATE Folders SET Flags = %ld WHERE ID = %ld", (long)(folders.m_Flags | kFolderHidden),
                          (long)folders.m_ID);
            Execute(m_hOwner, strSQL, kFolderFlagsFailed);
        }
        nParent = folders.m_ID;
    }
    return 0;
}

LONG CIMAPwrapperAccount::walkFolder(BSTR bstrAttributes, BSTR bstrDelimiter, BSTR bstrName)
{
    const CString strDelimiter = FromBstr(bstrDelimiter);
    StoreDelimiter(strDelimiter);
    const CImapFolderAttributes attributes = ParseImapFolderAttributes((const char*)FromBstr(bstrAttributes));
    const std::vector<std::string> parts =
        SplitImapFolderName((const char*)FromBstr(bstrName), (const char*)strDelimiter);
    LONG nParent = StartFolderID();
    HTREEITEM hParent = ItemData(m_hItem) != NULL ? m_hItem : NULL;
    CFoldersTable folders(&GetOwnerDatabase(m_hOwner, NULL)->m_session);
    for (size_t i = 0; i < parts.size(); ++i)
    {
        const bool bLast = i + 1 == parts.size();
        const LONG nType = !bLast || attributes.bHasChildren ? FOLDER_IMAP_LAST : FOLDER_IMAP_FIRST;
        if (nParent == 0 || folders.FindByOwnerAndName(m_hOwner, nParent, parts[i].c_str()) != 1)
            return 1;
        if (folders.m_Flags & kFolderHidden)
        {
            CString strSQL;
            strSQL.Format("UPDATE Folders SET Flags = %ld WHERE ID = %ld", (long)(folders.m_Flags & ~kFolderHidden),
                          (long)folders.m_ID);
            Execute(m_hOwner, strSQL, kFolderFlagsFailed);
            folders.m_Flags &= ~kFolderHidden;
        }
        nParent = folders.m_ID;
        if (hParent == NULL)
            continue;
        HTREEITEM hItem = FindChildItem(hParent, folders.m_ID);
        if (hItem == NULL)
        {
            CFoldersRecord folder = folders;
            folder.m_Type = folders.m_Type == FOLDER_IMAP_FIRST || folders.m_Type == FOLDER_IMAP_LAST ? folders.m_Type
                                                                                                      : nType;
            hItem = InsertFolderItem(hParent, folder);
        }
        CFolderItemData* pData = ItemData(hItem);
        if (pData == NULL)
        {
            hParent = NULL;
            continue;
        }
        pData->folder.m_Flags = folders.m_Flags;
        pData->bListed = true;
        hParent = hItem;
    }
    return 0;
}

LONG CIMAPwrapperAccount::operationEnd(BSTR bstrStatus, BSTR)
{
    CString strStatus = FromBstr(bstrStatus);
    strStatus.MakeUpper();
    if (strStatus != "OK" || m_nState == 0)
        return 1;
    CFolderItemData* pItem = ItemData(m_hItem);
    switch (m_nState)
    {
    case 1:
        UpdateAccountRow([](CAccountsRecord& row) { row.SetFlagsBit8(); }, kAccountFlagsFailed);
        m_Account.SetFlagsBit8();
        if (pItem != NULL && pItem->pAccount != NULL)
            pItem->pAccount->SetFlagsBit8();
        if (pItem != NULL)
            TreeView_Expand(m_hTree, m_hItem, TVE_EXPAND);
        return 0;
    case 2:
    {
        const LONG nParent = pItem != NULL ? pItem->folder.m_ID : StartFolderID();
        CFoldersTable folders(&GetOwnerDatabase(m_hOwner, NULL)->m_session);
        folders.InsertFolder(m_hOwner, nParent, m_strOperation, FOLDER_IMAP_FIRST);
        if (pItem != NULL)
        {
            InsertFolderItem(m_hItem, folders);
            TreeView_Expand(m_hTree, m_hItem, TVE_EXPAND);
        }
        return 0;
    }
    case 3:
    {
        CFolders folder(&GetOwnerDatabase(m_hOwner, NULL)->m_session);
        if (!folder.LoadFolder(m_nCurrentFolder, m_hOwner))
            return 1;
        folder.DeleteFolder(m_hOwner, FALSE);
        if (m_hTree != NULL)
            if (HTREEITEM hGone = FindItem(TVI_ROOT, m_nCurrentFolder))
            {
                if (hGone == m_hItem)
                    m_hItem = NULL;
                TreeView_DeleteItem(m_hTree, hGone);
            }
        return 0;
    }
    case 4:
    {
        if (pItem == NULL)
            return 0;
        CString strSQL;
        strSQL.Format("UPDATE Folders SET Name = %s WHERE ID = %ld", (const char*)Quoted(m_strOperation.Left(100)),
                      (long)pItem->folder.m_ID);
        Execute(m_hOwner, strSQL, kFolderNameFailed);
        memset(pItem->folder.m_Name, 0, sizeof(pItem->folder.m_Name));
        strncpy(pItem->folder.m_Name, m_strOperation, sizeof(pItem->folder.m_Name) - 1);
        CString strText;
        FormatTreeItemText(pItem->folder, strText);
        TVITEMA item = {};
        item.mask = TVIF_TEXT;
        item.hItem = m_hItem;
        item.pszText = const_cast<char*>((const char*)strText);
        ::SendMessageA(m_hTree, TVM_SETITEMA, 0, (LPARAM)&item);
        return 0;
    }
    case 9:
    {
        CEmailsImpl<CEmailsUniqueIDAccessor> store(&GetOwnerDatabase(m_hOwner, NULL)->m_session);
        for (auto it = m_Uids.begin(); it != m_Uids.end(); it = m_Uids.erase(it))
        {
            store.SelectByFolderAndUniqueID(m_hOwner, m_nCurrentFolder, FormatImapUid(it->first).c_str());
            if (store.MoveNext(0, 0) != S_OK)
                continue;
            const bool bUnread = store.IsUnread();
            ApplySeen(store, it->second);
            ::SendMessageA(m_hOwner, WM_COMMAND, ID_EDIT_MESSAGE_IN_LIST_CTRL, (LPARAM) static_cast<CEmailsRecord*>(&store));
            if (bUnread && !store.IsUnread())
            {
                ::SendMessageA(m_hOwner, WM_COMMAND, ID_SET_FOLDER_UNREAD, (LPARAM)-1);
                ::SendMessageA(m_hOwner, WM_COMMAND, ID_REMOVE_TRAY_ICON, 0);
            }
        }
        return 0;
    }
    default:
        return 0;
    }
}

void CIMAPwrapperAccount::ApplySeen(CEmailsRecord& row, uint32_t nServerFlags)
{
    const LONG nOld = row.m_Flags;
    row.SetBodyPresent((nServerFlags & 1) != 0);
    if (row.m_Flags == nOld)
        return;
    CString strSQL;
    strSQL.Format("UPDATE Emails SET Flags = %ld WHERE EmailsID = %ld", (long)row.m_Flags, (long)row.m_EmailsID);
    Execute(m_hOwner, strSQL, kEmailFlagsFailed);
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
    std::map<long, uint32_t> keep(plan.keep.begin(), plan.keep.end());
    if (!remove.empty() || !keep.empty())
    {
        CEmailsImpl<> store(&pDatabase->m_session);
        store.OpenByFolder(m_nCurrentFolder, m_hOwner);
        while (store.MoveNext(0, 0) == S_OK)
        {
            const LONG nEmailID = store.m_EmailsID;
            const auto kept = keep.find(nEmailID);
            if (kept != keep.end())
            {
                ApplySeen(store, kept->second);
                ::SendMessageA(m_hOwner, WM_COMMAND, ID_EDIT_MESSAGE_IN_LIST_CTRL,
                               (LPARAM) static_cast<CEmailsRecord*>(&store));
                continue;
            }
            if (remove.count(nEmailID) == 0)
                continue;
            if (FAILED(store.DeleteMessage(m_hOwner)))
                throw new CException(kEmailDeleteFailed);
            ::SendMessageA(m_hOwner, WM_COMMAND, ID_DELETE_MESSAGE_FROM_LIST_CTRL, nEmailID);
        }
    }
    for (const CImapStoredRow& row : rows)
    {
        uint32_t nUid = 0;
        if (keep.count(row.nEmailsID) != 0 && ParseImapUid(row.strUniqueID.c_str(), nUid))
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
    {
        CEmailsImpl<CEmailsUniqueIDAccessor> known(&pDatabase->m_session);
        known.SelectByFolderAndUniqueID(m_hOwner, m_nCurrentFolder, strUid.c_str());
        if (known.MoveNext(0, 0) == S_OK)
            return 0;
    }
    CEmailsImpl<> store(&pDatabase->m_session);
    store.Clear();
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
    if (!bSeen)
    {
        // Sent, not posted: the notice is shared by every writer and must be read before the next one.
        MessageFlagsNotice.nFolderID = m_nCurrentFolder;
        MessageFlagsNotice.nMessageID = store.m_EmailsID;
        MessageFlagsNotice.nUnreadDelta = 1;
        MessageFlagsNotice.nKind = NOTICE_MESSAGE_UNREAD;
        ::SendMessageA(m_hOwner, WM_COMMAND, ID_UPDATE_MESSAGE_FLAGS, 0);
    }
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
