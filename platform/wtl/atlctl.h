// CComCompositeControl: a windowed ActiveX control whose window is a child dialog made from the class's
// own template (T::IDD). It answers what a container such as the system's AtlAxWin asks of a control:
// the client site, in-place activation into the site's window, resizing, drawing into the container's DC,
// a persistence with nothing to keep, and the control's ambient notifications.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <olectl.h>

#include <atlwin.h>

namespace ATL
{

template <class T>
class ATL_NO_VTABLE CComCompositeControl : public IOleObject,
                                           public IOleInPlaceObject,
                                           public IViewObject2,
                                           public IPersistStreamInit,
                                           public IOleControl
{
public:
    // What the class registers as its MiscStatus: set the site first, active when visible, inside-out.
    enum
    {
        kMiscStatus = OLEMISC_RECOMPOSEONRESIZE | OLEMISC_CANTLINKINSIDE | OLEMISC_INSIDEOUT |
                      OLEMISC_ACTIVATEWHENVISIBLE | OLEMISC_SETCLIENTSITEFIRST
    };

    CComCompositeControl() { m_sizeExtent.cx = m_sizeExtent.cy = 2540; }
    virtual ~CComCompositeControl()
    {
        DestroyComposite();
        ReleaseSites();
    }

    HWND m_hWndComposite = NULL;

    // IOleObject
    STDMETHOD(SetClientSite)(IOleClientSite* pClientSite) override
    {
        if (pClientSite != NULL)
            pClientSite->AddRef();
        if (m_pClientSite != NULL)
            m_pClientSite->Release();
        m_pClientSite = pClientSite;
        return S_OK;
    }
    STDMETHOD(GetClientSite)(IOleClientSite** ppClientSite) override
    {
        if (ppClientSite == NULL)
            return E_POINTER;
        *ppClientSite = m_pClientSite;
        if (m_pClientSite != NULL)
            m_pClientSite->AddRef();
        return S_OK;
    }
    STDMETHOD(SetHostNames)(LPCOLESTR, LPCOLESTR) override { return S_OK; }
    STDMETHOD(Close)(DWORD) override
    {
        InPlaceDeactivate();
        return S_OK;
    }
    STDMETHOD(SetMoniker)(DWORD, IMoniker*) override { return E_NOTIMPL; }
    STDMETHOD(GetMoniker)(DWORD, DWORD, IMoniker** ppMoniker) override
    {
        if (ppMoniker != NULL)
            *ppMoniker = NULL;
        return E_NOTIMPL;
    }
    STDMETHOD(InitFromData)(IDataObject*, BOOL, DWORD) override { return E_NOTIMPL; }
    STDMETHOD(GetClipboardData)(DWORD, IDataObject** ppDataObject) override
    {
        if (ppDataObject != NULL)
            *ppDataObject = NULL;
        return E_NOTIMPL;
    }
    STDMETHOD(DoVerb)(LONG iVerb, LPMSG, IOleClientSite* pActiveSite, LONG, HWND,
                      LPCRECT lprcPosRect) override
    {
        switch (iVerb)
        {
        case OLEIVERB_PRIMARY:
        case OLEIVERB_SHOW:
        case OLEIVERB_INPLACEACTIVATE:
        case OLEIVERB_UIACTIVATE:
            return InPlaceActivate(pActiveSite, lprcPosRect);
        case OLEIVERB_HIDE:
            if (m_hWndComposite != NULL)
                ::ShowWindow(m_hWndComposite, SW_HIDE);
            return S_OK;
        default:
            return OLEOBJ_S_INVALIDVERB;
        }
    }
    STDMETHOD(EnumVerbs)(IEnumOLEVERB** ppEnumOleVerb) override
    {
        return ::OleRegEnumVerbs(T::GetObjectCLSID(), ppEnumOleVerb);
    }
    STDMETHOD(Update)() override { return S_OK; }
    STDMETHOD(IsUpToDate)() override { return S_OK; }
    STDMETHOD(GetUserClassID)(CLSID* pClsid) override
    {
        if (pClsid == NULL)
            return E_POINTER;
        *pClsid = T::GetObjectCLSID();
        return S_OK;
    }
    STDMETHOD(GetUserType)(DWORD dwFormOfType, LPOLESTR* pszUserType) override
    {
        return ::OleRegGetUserType(T::GetObjectCLSID(), dwFormOfType, pszUserType);
    }
    STDMETHOD(SetExtent)(DWORD dwDrawAspect, SIZEL* psizel) override
    {
        if (dwDrawAspect != DVASPECT_CONTENT)
            return DV_E_DVASPECT;
        if (psizel == NULL)
            return E_POINTER;
        m_sizeExtent = *psizel;
        return S_OK;
    }
    STDMETHOD(GetExtent)(DWORD dwDrawAspect, SIZEL* psizel) override
    {
        if (dwDrawAspect != DVASPECT_CONTENT)
            return DV_E_DVASPECT;
        if (psizel == NULL)
            return E_POINTER;
        *psizel = m_sizeExtent;
        return S_OK;
    }
    STDMETHOD(Advise)(IAdviseSink*, DWORD* pdwConnection) override
    {
        if (pdwConnection != NULL)
            *pdwConnection = 0;
        return OLE_E_ADVISENOTSUPPORTED;
    }
    STDMETHOD(Unadvise)(DWORD) override { return OLE_E_NOCONNECTION; }
    STDMETHOD(EnumAdvise)(IEnumSTATDATA** ppenumAdvise) override
    {
        if (ppenumAdvise != NULL)
            *ppenumAdvise = NULL;
        return OLE_E_ADVISENOTSUPPORTED;
    }
    STDMETHOD(GetMiscStatus)(DWORD, DWORD* pdwStatus) override
    {
        if (pdwStatus == NULL)
            return E_POINTER;
        *pdwStatus = kMiscStatus;
        return S_OK;
    }
    STDMETHOD(SetColorScheme)(LOGPALETTE*) override { return E_NOTIMPL; }

    // IOleWindow, IOleInPlaceObject
    STDMETHOD(GetWindow)(HWND* phwnd) override
    {
        if (phwnd == NULL)
            return E_POINTER;
        *phwnd = m_hWndComposite;
        return m_hWndComposite != NULL ? S_OK : E_FAIL;
    }
    STDMETHOD(ContextSensitiveHelp)(BOOL) override { return E_NOTIMPL; }
    STDMETHOD(InPlaceDeactivate)() override
    {
        DestroyComposite();
        if (m_pInPlaceSite != NULL)
        {
            m_pInPlaceSite->OnInPlaceDeactivate();
            m_pInPlaceSite->Release();
            m_pInPlaceSite = NULL;
        }
        return S_OK;
    }
    STDMETHOD(UIDeactivate)() override { return S_OK; }
    STDMETHOD(SetObjectRects)(LPCRECT lprcPosRect, LPCRECT) override
    {
        if (lprcPosRect == NULL)
            return E_POINTER;
        if (m_hWndComposite != NULL)
            ::SetWindowPos(m_hWndComposite, NULL, lprcPosRect->left, lprcPosRect->top,
                           lprcPosRect->right - lprcPosRect->left, lprcPosRect->bottom - lprcPosRect->top,
                           SWP_NOZORDER | SWP_NOACTIVATE);
        return S_OK;
    }
    STDMETHOD(ReactivateAndUndo)() override { return E_NOTIMPL; }

    // IViewObject2: a window that exists prints itself; the container's DC is drawn at the given bounds.
    STDMETHOD(Draw)(DWORD dwDrawAspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC hdcDraw, LPCRECTL lprcBounds,
                    LPCRECTL, BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR) override
    {
        if (dwDrawAspect != DVASPECT_CONTENT)
            return DV_E_DVASPECT;
        if (hdcDraw == NULL || lprcBounds == NULL)
            return E_INVALIDARG;
        RECT rc = {lprcBounds->left, lprcBounds->top, lprcBounds->right, lprcBounds->bottom};
        ::FillRect(hdcDraw, &rc, ::GetSysColorBrush(COLOR_BTNFACE));
        if (m_hWndComposite != NULL)
        {
            int nSaved = ::SaveDC(hdcDraw);
            ::SetViewportOrgEx(hdcDraw, rc.left, rc.top, NULL);
            ::SendMessageA(m_hWndComposite, WM_PRINT, reinterpret_cast<WPARAM>(hdcDraw),
                           PRF_CLIENT | PRF_CHILDREN | PRF_ERASEBKGND);
            ::RestoreDC(hdcDraw, nSaved);
        }
        return S_OK;
    }
    STDMETHOD(GetColorSet)(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, LOGPALETTE** ppColorSet) override
    {
        if (ppColorSet != NULL)
            *ppColorSet = NULL;
        return S_FALSE;
    }
    STDMETHOD(Freeze)(DWORD, LONG, void*, DWORD* pdwFreeze) override
    {
        if (pdwFreeze != NULL)
            *pdwFreeze = 0;
        return E_NOTIMPL;
    }
    STDMETHOD(Unfreeze)(DWORD) override { return E_NOTIMPL; }
    STDMETHOD(SetAdvise)(DWORD, DWORD, IAdviseSink*) override { return S_OK; }
    STDMETHOD(GetAdvise)(DWORD* pAspects, DWORD* pAdvf, IAdviseSink** ppAdvSink) override
    {
        if (pAspects != NULL)
            *pAspects = 0;
        if (pAdvf != NULL)
            *pAdvf = 0;
        if (ppAdvSink != NULL)
            *ppAdvSink = NULL;
        return S_OK;
    }
    STDMETHOD(GetExtent)(DWORD dwDrawAspect, LONG, DVTARGETDEVICE*, LPSIZEL lpsizel) override
    {
        return GetExtent(dwDrawAspect, lpsizel);
    }

    // IPersistStreamInit: the control keeps no state of its own.
    STDMETHOD(GetClassID)(CLSID* pClassID) override { return GetUserClassID(pClassID); }
    STDMETHOD(IsDirty)() override { return S_FALSE; }
    STDMETHOD(Load)(LPSTREAM) override { return S_OK; }
    STDMETHOD(Save)(LPSTREAM, BOOL) override { return S_OK; }
    STDMETHOD(GetSizeMax)(ULARGE_INTEGER* pCbSize) override
    {
        if (pCbSize == NULL)
            return E_POINTER;
        pCbSize->QuadPart = 0;
        return S_OK;
    }
    STDMETHOD(InitNew)() override { return S_OK; }

    // IOleControl: no mnemonics, no ambient properties it depends on.
    STDMETHOD(GetControlInfo)(CONTROLINFO* pCI) override
    {
        if (pCI == NULL)
            return E_POINTER;
        pCI->hAccel = NULL;
        pCI->cAccel = 0;
        pCI->dwFlags = 0;
        return S_OK;
    }
    STDMETHOD(OnMnemonic)(MSG*) override { return E_NOTIMPL; }
    STDMETHOD(OnAmbientPropertyChange)(DISPID) override { return S_OK; }
    STDMETHOD(FreezeEvents)(BOOL) override { return S_OK; }

private:
    // The child dialog is created in the site's window, at the place the site gives it.
    HRESULT InPlaceActivate(IOleClientSite* pActiveSite, LPCRECT lprcPosRect)
    {
        if (m_hWndComposite != NULL)
        {
            ::ShowWindow(m_hWndComposite, SW_SHOWNA);
            return S_OK;
        }
        IOleClientSite* pSite = m_pClientSite != NULL ? m_pClientSite : pActiveSite;
        if (pSite == NULL)
            return E_UNEXPECTED;
        IOleInPlaceSite* pInPlaceSite = NULL;
        if (FAILED(pSite->QueryInterface(IID_IOleInPlaceSite, reinterpret_cast<void**>(&pInPlaceSite))))
            return E_NOINTERFACE;
        if (pInPlaceSite->CanInPlaceActivate() != S_OK)
        {
            pInPlaceSite->Release();
            return E_FAIL;
        }
        pInPlaceSite->OnInPlaceActivate();
        HWND hWndParent = NULL;
        pInPlaceSite->GetWindow(&hWndParent);
        IOleInPlaceFrame* pFrame = NULL;
        IOleInPlaceUIWindow* pDocument = NULL;
        RECT rcPos = {0, 0, 0, 0}, rcClip = {0, 0, 0, 0};
        OLEINPLACEFRAMEINFO frameInfo = {sizeof(frameInfo)};
        if (SUCCEEDED(pInPlaceSite->GetWindowContext(&pFrame, &pDocument, &rcPos, &rcClip, &frameInfo)))
        {
            if (pFrame != NULL)
                pFrame->Release();
            if (pDocument != NULL)
                pDocument->Release();
        }
        else if (lprcPosRect != NULL)
            rcPos = *lprcPosRect;
        m_hWndComposite = ::CreateDialogParamA(AtlGetResourceInstance(), MAKEINTRESOURCEA(T::IDD), hWndParent,
                                               CompositeDialogProc, 0);
        if (m_hWndComposite == NULL)
        {
            pInPlaceSite->OnInPlaceDeactivate();
            pInPlaceSite->Release();
            return E_FAIL;
        }
        m_pInPlaceSite = pInPlaceSite;
        ::SetWindowPos(m_hWndComposite, NULL, rcPos.left, rcPos.top, rcPos.right - rcPos.left,
                       rcPos.bottom - rcPos.top, SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
        return S_OK;
    }

    // The template's own controls do the work; the dialog only gives them their background.
    static INT_PTR CALLBACK CompositeDialogProc(HWND, UINT uMsg, WPARAM, LPARAM)
    {
        return uMsg == WM_INITDIALOG ? TRUE : FALSE;
    }

    void DestroyComposite()
    {
        if (m_hWndComposite != NULL && ::IsWindow(m_hWndComposite))
            ::DestroyWindow(m_hWndComposite);
        m_hWndComposite = NULL;
    }

    void ReleaseSites()
    {
        if (m_pInPlaceSite != NULL)
            m_pInPlaceSite->Release();
        m_pInPlaceSite = NULL;
        if (m_pClientSite != NULL)
            m_pClientSite->Release();
        m_pClientSite = NULL;
    }

    IOleClientSite* m_pClientSite = NULL;
    IOleInPlaceSite* m_pInPlaceSite = NULL;
    SIZEL m_sizeExtent;
};

} // namespace ATL

#ifndef _ATL_NO_AUTOMATIC_NAMESPACE
using namespace ATL;
#endif
