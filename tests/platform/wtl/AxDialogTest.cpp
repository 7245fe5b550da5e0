// Dialogs hosting controls: a control created by the system's container and one of our own windows both
// hand out their interfaces through GetDlgControl.
#include <atlapp.h>
#include <atlhost.h>

#include <gtest/gtest.h>

#include "tests/platform/wtl/SampleResource.h"
#include "tests/support/UiThread.h"

extern CAppModule _Module;

namespace
{

const CLSID CLSID_SampleControl = {
    0x6B7A3E52, 0x8D1C, 0x4C55, {0x9E, 0x2F, 0x5A, 0x1B, 0x7C, 0x3D, 0x9E, 0x01}};

// Just enough of a control for the container: an OLE object that accepts a client site, and a dispatch
// interface to ask for.
class CSampleControl : public IOleObject, public IDispatch
{
public:
    IOleClientSite* m_pSite = NULL;

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        if (riid == IID_IUnknown || riid == IID_IOleObject)
            *ppv = static_cast<IOleObject*>(this);
        else if (riid == IID_IDispatch)
            *ppv = static_cast<IDispatch*>(this);
        else
        {
            *ppv = NULL;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ::InterlockedIncrement(&m_nRefs); }
    STDMETHODIMP_(ULONG) Release() override { return ::InterlockedDecrement(&m_nRefs); }

    // The site is the container's: holding it keeps the container alive, as a real control does.
    STDMETHODIMP SetClientSite(IOleClientSite* pSite) override
    {
        if (pSite)
            pSite->AddRef();
        if (m_pSite)
            m_pSite->Release();
        m_pSite = pSite;
        return S_OK;
    }
    STDMETHODIMP GetClientSite(IOleClientSite** ppSite) override
    {
        *ppSite = m_pSite;
        if (m_pSite)
            m_pSite->AddRef();
        return S_OK;
    }
    STDMETHODIMP SetHostNames(LPCOLESTR, LPCOLESTR) override { return S_OK; }
    STDMETHODIMP Close(DWORD) override { return S_OK; }
    STDMETHODIMP SetMoniker(DWORD, IMoniker*) override { return E_NOTIMPL; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
    STDMETHODIMP InitFromData(IDataObject*, BOOL, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP GetClipboardData(DWORD, IDataObject**) override { return E_NOTIMPL; }
    STDMETHODIMP DoVerb(LONG, LPMSG, IOleClientSite*, LONG, HWND, LPCRECT) override { return S_OK; }
    STDMETHODIMP EnumVerbs(IEnumOLEVERB**) override { return E_NOTIMPL; }
    STDMETHODIMP Update() override { return S_OK; }
    STDMETHODIMP IsUpToDate() override { return S_OK; }
    STDMETHODIMP GetUserClassID(CLSID* pClsid) override
    {
        *pClsid = CLSID_SampleControl;
        return S_OK;
    }
    STDMETHODIMP GetUserType(DWORD, LPOLESTR*) override { return E_NOTIMPL; }
    STDMETHODIMP SetExtent(DWORD, SIZEL*) override { return S_OK; }
    STDMETHODIMP GetExtent(DWORD, SIZEL*) override { return E_NOTIMPL; }
    STDMETHODIMP Advise(IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
    STDMETHODIMP Unadvise(DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP EnumAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }
    STDMETHODIMP GetMiscStatus(DWORD, DWORD* pdwStatus) override
    {
        *pdwStatus = 0;
        return S_OK;
    }
    STDMETHODIMP SetColorScheme(LOGPALETTE*) override { return E_NOTIMPL; }

    STDMETHODIMP GetTypeInfoCount(UINT* pctinfo) override
    {
        *pctinfo = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return DISP_E_UNKNOWNNAME; }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override
    {
        return DISP_E_MEMBERNOTFOUND;
    }

private:
    LONG m_nRefs = 1;
};

class CSampleControlFactory : public IClassFactory
{
public:
    CSampleControl m_control;
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        if (riid == IID_IUnknown || riid == IID_IClassFactory)
        {
            *ppv = this;
            return S_OK;
        }
        *ppv = NULL;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP CreateInstance(IUnknown* pOuter, REFIID riid, void** ppv) override
    {
        return pOuter ? CLASS_E_NOAGGREGATION : m_control.QueryInterface(riid, ppv);
    }
    STDMETHODIMP LockServer(BOOL) override { return S_OK; }
};

CSampleControl s_ownControl;

LRESULT CALLBACK OwnControlProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg == WM_ATLGETCONTROL)
        return (LRESULT) static_cast<IDispatch*>(&s_ownControl);
    return ::DefWindowProcA(hWnd, uMsg, wParam, lParam);
}

class CDlgControls : public CAxDialogImpl<CDlgControls>
{
public:
    enum
    {
        IDD = IDD_SAMPLE_AXDIALOG
    };
    HRESULT m_hrHosted = E_UNEXPECTED, m_hrOwn = E_UNEXPECTED, m_hrLabel = E_UNEXPECTED;
    IDispatch* m_pHosted = NULL;
    IDispatch* m_pOwn = NULL;

    BEGIN_MSG_MAP(CDlgControls)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
    END_MSG_MAP()

    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&)
    {
        m_hrHosted = GetDlgControl(IDC_SAMPLE_AXCONTROL, IID_IDispatch, (void**)&m_pHosted);
        m_hrOwn = GetDlgControl(IDC_SAMPLE_OWNCONTROL, IID_IDispatch, (void**)&m_pOwn);
        IUnknown* pLabel = NULL;
        m_hrLabel = GetDlgControl(IDC_SAMPLE_LABEL, IID_IUnknown, (void**)&pLabel);
        EndDialog(IDOK);
        return TRUE;
    }
};

TEST(AxDialogTest, HostedAndOwnControlsGiveTheirInterfacesAndAPlainControlGivesNone)
{
    CSampleControlFactory factory;
    CDlgControls dlg;
    INT_PTR nResult = 0;
    CUiThread ui(_Module);
    ui.Run([&] {
        ::OleInitialize(NULL);
        WNDCLASSA wc = {};
        wc.lpfnWndProc = OwnControlProc;
        wc.hInstance = ATL::AtlGetResourceInstance();
        wc.lpszClassName = "OrbTestOwnControl";
        ::RegisterClassA(&wc);
        DWORD dwCookie = 0;
        ::CoRegisterClassObject(CLSID_SampleControl, &factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE,
                                &dwCookie);
        nResult = dlg.DoModal(NULL);
        ::CoRevokeClassObject(dwCookie);
        ::OleUninitialize();
    });
    ASSERT_TRUE(ui.WaitForExit());
    EXPECT_EQ(nResult, IDOK);
    EXPECT_EQ(dlg.m_hrHosted, S_OK);
    EXPECT_EQ(dlg.m_pHosted, static_cast<IDispatch*>(&factory.m_control));
    EXPECT_EQ(dlg.m_hrOwn, S_OK);
    EXPECT_EQ(dlg.m_pOwn, static_cast<IDispatch*>(&s_ownControl));
    EXPECT_EQ(dlg.m_hrLabel, E_FAIL);
}

} // namespace
