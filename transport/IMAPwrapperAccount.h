// The client of the OrbIMAP component for one account: creates it (asking to install it when missing),
// receives its events, and runs one operation at a time under a lock that a call from inside one of its own
// events takes again.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <map>

#include "OrbIMAP.h"
#include "foundation/ServingLock.h"
#include "store/AccountsTable.h"
#include "store/EmailsImpl.h"
#include "store/Folders.h"

// The component's events as a dispatch sink; each handler is empty in the base.
class CIMAPwrapper : public IDispatch
{
public:
    CIMAPwrapper(HWND hOwner, const CString& strServer, const CString& strUser, const CString& strPassword,
                 LONG nPort);
    virtual ~CIMAPwrapper();

    virtual LONG listFolder(BSTR, BSTR, BSTR) { return 0; }
    virtual LONG operationEnd(BSTR, BSTR) { return 0; }
    virtual LONG messageFetched(BSTR, ULONG, LONG) { return 0; }
    virtual LONG fetchUid(ULONG, LONG) { return 0; }
    virtual LONG fetchUidEnd(LONG) { return 0; }
    virtual LONG walkFolder(BSTR, BSTR, BSTR) { return 0; }
    virtual void OnCredentialsChanged(const char* pszUser, const char* pszPassword) = 0;

    STDMETHOD(QueryInterface)(REFIID riid, void** ppv) override;
    STDMETHOD_(ULONG, AddRef)() override { return 2; }
    STDMETHOD_(ULONG, Release)() override { return 1; }
    STDMETHOD(GetTypeInfoCount)(UINT* pn) override;
    STDMETHOD(GetTypeInfo)(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHOD(GetIDsOfNames)(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHOD(Invoke)(DISPID id, REFIID, LCID, WORD, DISPPARAMS* pParams, VARIANT* pResult, EXCEPINFO*, UINT*) override;

protected:
    DWORD m_dwCookie;
    HWND m_hOwner;
    int m_nState;
    CString m_strOperation;
    IOrbIMAP* m_pComponent;
    IUnknown* m_pMarshaler; // the free-threaded marshaler, made on the first request
    CString m_strServer;
    CString m_strUser;
    CString m_strPassword;
    LONG m_nPort;
};

class CIMAPwrapperAccount : public CIMAPwrapper
{
public:
    // The component is made by the creator (a test gives a fake); NULL: by class identifier.
    typedef HRESULT (*ComponentCreator)(IOrbIMAP** ppComponent);
    static ComponentCreator SetComponentCreator(ComponentCreator pfnCreator);

    CIMAPwrapperAccount(HWND hOwner, const CAccountsRecord& account, HWND hTree);
    ~CIMAPwrapperAccount() override;

    void List();
    void Connect();
    void CreateFolder(const char* pszPath, const char* pszName);
    void SetCaption();
    void DeleteFolder(LONG nFolderID, const char* pszPath);
    void EndFolderCommand();
    void RenameFolder(const char* pszOldPath, const char* pszNewPath, const char* pszNewName);
    void RenameSubfolder(const char* pszOldPath, const char* pszNewPath);
    void FetchUids(LONG nFolderID, const char* pszPath, LONG nNumber);
    // The message's bytes land in strText before the call returns.
    void FetchMessage(LONG nFolderID, const char* pszPath, ULONG nUid, CString& strText);
    void FetchMessageByUid(ULONG nUid);
    void DeleteMessages(LONG nFolderID, const char* pszPath, const char* pszUids);

    // The tree and the item the next command starts from (see CImapFolderClient::UseTree); without a tree
    // the events still keep the rows, starting at the account's root folder.
    void UseTree(HWND hTree, HTREEITEM hItem);
    // The server's folder delimiter as far as it is known ("" before the first listing).
    CString Delimiter();

    LONG listFolder(BSTR bstrAttributes, BSTR bstrDelimiter, BSTR bstrName) override;
    LONG operationEnd(BSTR bstrStatus, BSTR bstrText) override;
    LONG walkFolder(BSTR bstrAttributes, BSTR bstrDelimiter, BSTR bstrName) override;
    LONG messageFetched(BSTR bstrMessage, ULONG nUid, LONG nFlags) override;
    LONG fetchUid(ULONG nUid, LONG nFlags) override;
    LONG fetchUidEnd(LONG nMessages) override;
    void OnCredentialsChanged(const char* pszUser, const char* pszPassword) override;

    int State() const { return m_nState; }
    const CString* CurrentMessage() const { return m_pCurrentMessage; }

    // The text of a failed change of the stored credentials: passwords never show.
    static CString CredentialsFailureText(const CString& strServer, const CString& strOldUser,
                                          const CString& strNewUser);

private:
    class COperation;
    void CreateComponent();
    void CheckResult(HRESULT hr);
    void CheckCredentials();
    void StoreDelimiter(const CString& strDelimiter);
    // The folder the walk of a listed folder starts at: the tree item's, else the account's root folder.
    LONG StartFolderID();
    CFolderItemData* ItemData(HTREEITEM hItem);
    // The child item of hParent whose folder (not its label, which may carry a count) is that one.
    HTREEITEM FindChildItem(HTREEITEM hParent, LONG nFolderID);
    HTREEITEM FindItem(HTREEITEM hFrom, LONG nFolderID);
    HTREEITEM InsertFolderItem(HTREEITEM hParent, const CFoldersRecord& folder);
    void UpdateAccountRow(const std::function<void(CAccountsRecord& row)>& change, const char* pszFailure);
    // Server flags onto a stored row: \Seen marks it read. Writes only a change.
    void ApplySeen(CEmailsRecord& row, uint32_t nServerFlags);

    CAccountsRecord m_Account;
    HWND m_hTree;
    HTREEITEM m_hItem;
    LONG m_nCurrentFolder;
    CString* m_pCurrentMessage;
    std::map<uint32_t, uint32_t> m_Uids;
    CServingLock m_Lock;
};
