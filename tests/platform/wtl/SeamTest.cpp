// The system seams: the printing default calls the component by name; the recorder stands in and steps back.
#include <gtest/gtest.h>

#include "platform/wtl/SystemSeams.h"
#include "tests/support/SeamRecorder.h"

#include <string>

namespace
{

// A component with one method, "PrintDocument", taking the with-user-interface flag.
class CFakeEditor : public IDispatch
{
public:
    int m_nPrints = 0;
    VARIANT_BOOL m_bLastUi = VARIANT_FALSE;

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        if (riid == IID_IUnknown || riid == IID_IDispatch)
        {
            *ppv = this;
            return S_OK;
        }
        *ppv = NULL;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP GetTypeInfoCount(UINT* pctinfo) override
    {
        *pctinfo = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* rgszNames, UINT cNames, LCID, DISPID* rgDispId) override
    {
        if (cNames != 1 || lstrcmpiW(rgszNames[0], L"PrintDocument") != 0)
            return DISP_E_UNKNOWNNAME;
        rgDispId[0] = 7;
        return S_OK;
    }
    STDMETHODIMP Invoke(DISPID dispid, REFIID, LCID, WORD wFlags, DISPPARAMS* pParams, VARIANT*, EXCEPINFO*,
                        UINT*) override
    {
        if (dispid != 7 || !(wFlags & DISPATCH_METHOD) || pParams->cArgs != 1 ||
            pParams->rgvarg[0].vt != VT_BOOL)
            return DISP_E_MEMBERNOTFOUND;
        m_nPrints++;
        m_bLastUi = pParams->rgvarg[0].boolVal;
        return S_OK;
    }
};

TEST(SystemSeamsTest, PrintingCallsTheComponentsPrintDocumentWithTheUserInterfaceFlag)
{
    CFakeEditor editor;
    EXPECT_EQ(CSystemSeams::PrintDocument(&editor, true), S_OK);
    EXPECT_EQ(editor.m_nPrints, 1);
    EXPECT_EQ(editor.m_bLastUi, VARIANT_TRUE);
    EXPECT_EQ(CSystemSeams::PrintDocument(&editor, false), S_OK);
    EXPECT_EQ(editor.m_bLastUi, VARIANT_FALSE);
    EXPECT_EQ(CSystemSeams::PrintDocument(NULL, true), E_POINTER);
}

TEST(SystemSeamsTest, RecorderSeesTheCallsWhileItLivesAndPutsTheSystemBackAfterwards)
{
    auto pfnShellExecute = CSystemSeams::ShellExecuteFile;
    {
        CSeamRecorder recorder;
        NOTIFYICONDATAA nid = {};
        nid.cbSize = sizeof(nid);
        nid.uFlags = NIF_TIP;
        lstrcpyA(nid.szTip, "1 new message(s)");
        EXPECT_TRUE(CSystemSeams::NotifyIcon(NIM_ADD, &nid));
        EXPECT_GT(
            (INT_PTR)CSystemSeams::ShellExecuteFile(NULL, "open", "C:\\Attach\\a.txt", NULL, "C:\\Attach", 5),
            32);
        CSystemSeams::PlaySoundFile("MailBeep", NULL, 0x00010000);
        CFakeEditor editor;
        CSystemSeams::PrintDocument(&editor, true);
        EXPECT_EQ(editor.m_nPrints, 0);

        std::vector<CSeamRecorder::Call> calls = recorder.Calls();
        ASSERT_EQ(calls.size(), 4u);
        EXPECT_EQ(calls[0].strDetail, "NIM_ADD id=0 tip=1 new message(s)");
        EXPECT_EQ(calls[1].strDetail, "open|C:\\Attach\\a.txt|(null)|C:\\Attach|5");
        EXPECT_EQ(calls[2].strDetail, "MailBeep flags=10000");
        EXPECT_EQ(calls[3].strDetail, "ui=1");
    }
    EXPECT_EQ(CSystemSeams::ShellExecuteFile, pfnShellExecute);
}

} // namespace
