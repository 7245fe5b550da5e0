// CLetrova: the mail client's creatable COM object; its methods form command lines for the windows and hand
// them to a running instance or to the thread manager.
#pragma once

#include <windows.h>

#include <mapi.h>

#include <atlbase.h>
#include <atlcom.h>
#include <atlstr.h>
#include <atlctl.h>

#include "OrbMail.h"
#include "foundation/Registry.h"
#include "resources/resource.h"
#include "store/DatabaseMy.h"

class ATL_NO_VTABLE CLetrova
    : public CComObjectRootEx<CComSingleThreadModel>,
      public CComCoClass<CLetrova, &CLSID_Letrova>,
      public IDispatchImpl<ILetrova, &IID_ILetrova, &LIBID_LETROVAOBJECTLib>,
      public IProvideClassInfo2Impl<&CLSID_Letrova, &DIID__ILetrovaEvents, &LIBID_LETROVAOBJECTLib>,
      public IConnectionPointContainerImpl<CLetrova>,
      public IConnectionPointImpl<CLetrova, &DIID__ILetrovaEvents>,
      public CComCompositeControl<CLetrova>
{
public:
    DECLARE_REGISTRY_RESOURCEID(IDR_LETROVA)

    // The template the object shows when a container hosts it as a control.
    enum
    {
        IDD = IDD_LETROVA_CONTROL
    };

    BEGIN_COM_MAP(CLetrova)
    COM_INTERFACE_ENTRY(ILetrova)
    COM_INTERFACE_ENTRY(IDispatch)
    COM_INTERFACE_ENTRY(IProvideClassInfo)
    COM_INTERFACE_ENTRY(IProvideClassInfo2)
    COM_INTERFACE_ENTRY(IConnectionPointContainer)
    COM_INTERFACE_ENTRY(IOleObject)
    COM_INTERFACE_ENTRY(IOleInPlaceObject)
    COM_INTERFACE_ENTRY2(IOleWindow, IOleInPlaceObject)
    COM_INTERFACE_ENTRY(IViewObject2)
    COM_INTERFACE_ENTRY2(IViewObject, IViewObject2)
    COM_INTERFACE_ENTRY(IPersistStreamInit)
    COM_INTERFACE_ENTRY2(IPersist, IPersistStreamInit)
    COM_INTERFACE_ENTRY(IOleControl)
    END_COM_MAP()

    BEGIN_CONNECTION_POINT_MAP(CLetrova)
    CONNECTION_POINT_ENTRY(DIID__ILetrovaEvents)
    END_CONNECTION_POINT_MAP()

    CLetrova();
    ~CLetrova();
    void FinalRelease() {}

    STDMETHOD(Letrova)();
    STDMETHOD(Close)();
    STDMETHOD(NewMessage)(long lRecipientID);
    STDMETHOD(SendAndReceiveAll)(long lAccountID);
    STDMETHOD(AddressBook)();
    STDMETHOD(WindowProc)(long hWnd, unsigned int uMsg, unsigned int wParam, long lParam);
    STDMETHOD(EmailMerge)(BSTR bstrAddressList);
    STDMETHOD(RegisterShellFileTypes)(BSTR bstrPathName);
    STDMETHOD(Message)(BSTR bstrMessageFileName);
    STDMETHOD(MailTo)(BSTR bstrAddress);
    STDMETHOD(MailAttach)(BSTR bstrFileName);
    STDMETHOD(MessageID)(BSTR bstrMessageID);
    STDMETHOD(put_ExeModulePath)(BSTR newVal);
    STDMETHOD(OpenDatabase)();
    STDMETHOD(CloseNoWarning)();
    STDMETHOD(MAPIFindNext)
    (LONG_PTR ulUIParam, BSTR bstrMessageType, BSTR bstrSeedMessageID, long flFlags, LONG_PTR lpszMessageID);
    STDMETHOD(MAPIReadMail)
    (LONG_PTR ulUIParam, BSTR bstrMessageID, long flFlags, LONG_PTR lppMessage, LONG_PTR plResult);
    STDMETHOD(MAPIAddress)
    (LONG_PTR ulUIParam, BSTR bstrCaption, long nEditFields, BSTR bstrLabels, long nRecips, LONG_PTR lpRecips,
     long flFlags, LONG_PTR lpnNewRecips, LONG_PTR lppNewRecips, LONG_PTR plResult);
    STDMETHOD(MAPIResolveName)
    (LONG_PTR ulUIParam, BSTR bstrName, long flFlags, LONG_PTR lppRecip, LONG_PTR plResult);
    STDMETHOD(MAPIDeleteMail)(LONG_PTR ulUIParam, BSTR bstrMessageID, long flFlags, LONG_PTR plResult);
    STDMETHOD(MAPISendMail)(LONG_PTR ulUIParam, LONG_PTR lpMessage, long flFlags, LONG_PTR plResult);

    // 1 when a running instance took the command line.
    int HandOverCommandLine(const CString& strCmdLine);
    static BOOL CALLBACK IsRunningInstanceWindow(HWND hWnd, LPARAM lParam);
    void StartThreadManager(const CString& strCmdLine);

    // Seam for tests: the waits of Close and CloseNoWarning on the manager, so the warning after 20 s can be
    // reached without waiting for it.
    typedef DWORD (*ManagerWaitHook)(HANDLE hEvent, DWORD dwMilliseconds);
    static ManagerWaitHook SetManagerWaitHook(ManagerWaitHook pfnHook);

    CString m_strCmdLine;
    CString m_strExePath;
    HANDLE m_hManagerThread;
    // Process-wide: the manager thread writes it when it ends, which may be after this object is released.
    static volatile LONG s_bManagerFinished;
    HANDLE m_hEventManagerFinished;
    CRegistry m_registry;
    CDatabaseMy m_database;

    // The process-wide state that the live objects share; see the constructor.
    static void AcquireSharedState(CLetrova* pLetrova);
    static void ReleaseSharedState(CLetrova* pLetrova);

    // The body text MAPIReadMail hands out last; the caller gets its own copy.
    CString m_strNoteText;
    // A MAPIFindNext enumeration (or a MAPIReadMail selection) has opened the Inbox rows.
    bool m_bMapiEnumerating = false;

    // The windows the Simple MAPI methods open, registered by the parts that provide them. The recipient
    // picker edits the texts of the lists it is given (null: not shown) and returns IDOK or IDCANCEL.
    typedef INT_PTR (*SelectRecipientsProc)(HWND hWndOwner, const char* pszCaption, const char* pszToLabel,
                                            CString* pstrTo, CString* pstrCc, CString* pstrBcc);
    static SelectRecipientsProc s_pfnSelectRecipients;
    // The address book's look-up that shows nothing: 1 and the recipient text for an address or a name of
    // exactly one contact, else 0.
    typedef int (*FindKnownContactProc)(CString& strName, HWND hWndOwner);
    static FindKnownContactProc s_pfnFindKnownContact;

private:
    ULONG SendWithoutDialog(HWND hWndParent, const MapiMessage& message);
    // The compose window filled from the message, on the calling thread until it is closed.
    ULONG SendWithDialog(MapiMessage* pMessage);
    HRESULT OpenWindow(const CString& strCmdLine);
    HRESULT CloseThreads(bool bWarn);
    static DWORD WINAPI ManagerThreadProc(LPVOID pParam);
};

// The module's object map: the class Letrova.
ATL::_ATL_OBJMAP_ENTRY* LetrovaObjectMap();
