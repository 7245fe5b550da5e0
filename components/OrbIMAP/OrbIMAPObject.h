// The OrbIMAP COM object: the client's calls become IMAP commands, their results events fired on the
// calling thread before the call returns. One lock per object, taken again by a call made from inside one
// of its own events.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <atlbase.h>
#include <atlcom.h>

#include <functional>
#include <string>

#include "OrbIMAP.h"
#include "components/OrbIMAP/ImapSession.h"
#include "components/OrbIMAP/OrbIMAPResources.h"
#include "components/OrbIMAP/SocketStream.h"
#include "foundation/ServingLock.h"

class COrbIMAP : public CComObjectRootEx<CComMultiThreadModel>,
                 public CComCoClass<COrbIMAP, &CLSID_OrbIMAP>,
                 public IDispatchImpl<IOrbIMAP, &IID_IOrbIMAP, &LIBID_ORBIMAPLib>,
                 public IConnectionPointContainerImpl<COrbIMAP>,
                 public IConnectionPointImpl<COrbIMAP, &DIID__IOrbIMAPEvents>
{
public:
    DECLARE_REGISTRY_RESOURCEID(IDR_ORBIMAP)

    BEGIN_COM_MAP(COrbIMAP)
    COM_INTERFACE_ENTRY(IOrbIMAP)
    COM_INTERFACE_ENTRY(IDispatch)
    COM_INTERFACE_ENTRY(IConnectionPointContainer)
    END_COM_MAP()

    BEGIN_CONNECTION_POINT_MAP(COrbIMAP)
    CONNECTION_POINT_ENTRY(DIID__IOrbIMAPEvents)
    END_CONNECTION_POINT_MAP()

    COrbIMAP();
    ~COrbIMAP();

    STDMETHOD(List)(BSTR bstrServer, BSTR bstrUser, BSTR bstrPassword, long nPort);
    STDMETHOD(GetErrorText)(BSTR* pbstrText);
    STDMETHOD(GetLoginUser)(BSTR* pbstrUser);
    STDMETHOD(GetLoginPassword)(BSTR* pbstrPassword);
    STDMETHOD(Connect)(BSTR bstrServer, BSTR bstrUser, BSTR bstrPassword, long nPort);
    STDMETHOD(CreateFolder)(BSTR bstrPath);
    STDMETHOD(SetCaption)(BSTR bstrCaption);
    STDMETHOD(DeleteFolder)(BSTR bstrPath);
    STDMETHOD(EndFolderCommand)();
    STDMETHOD(RenameFolder)(BSTR bstrOldPath, BSTR bstrNewPath);
    STDMETHOD(FetchUids)(BSTR bstrPath, long nNumber);
    STDMETHOD(FetchMessage)(BSTR bstrPath, unsigned long nUid);
    STDMETHOD(FetchMessageByUid)(unsigned long nUid);
    STDMETHOD(DeleteMessages)(BSTR bstrPath, BSTR bstrUids);
    STDMETHOD(put_Timeout)(long nMilliseconds);

private:
    // Runs one call under the lock: S_OK when it succeeded, else an error with the text kept for
    // GetErrorText; a refusal by the server also fires OperationEnd with its status and words.
    HRESULT Call(const char* pszName, const std::function<void()>& call);
    void Login(BSTR bstrServer, BSTR bstrUser, BSTR bstrPassword, long nPort);

    void FireFolder(DISPID dispid, const CImapFolder& folder);
    void FireOperationEnd(const std::string& strStatus, const std::string& strText);
    void FireMessage(const std::string& strMessage, uint32_t nUid, uint32_t nFlags);
    void FireUid(uint32_t nUid, uint32_t nFlags);
    void FireUidEnd(uint32_t nMessages);

    CServingLock m_Lock;
    CSocketConnector m_Connector;
    CImapSession m_Session;
    std::string m_strError;
    std::string m_strCaption;
};
