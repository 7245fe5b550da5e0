// The frame's print dialog: each print request loads the file into the HTML view, and the view's
// completion prints it with the print dialog; without the component the user is told and nothing prints.
#include <gtest/gtest.h>

#include <windows.h>
#include <exdisp.h>

#include <fstream>
#include <mutex>
#include <string>
#include <vector>

#include <atlbase.h>

#include "MainFrameFixture.h"
#include "platform/htmlview/HtmlView.h"
#include "platform/wtl/SystemSeams.h"
#include "resources/resource.h"
#include "foundation/ErrorUtil.h"
#include "tests/support/WindowReaders.h"
#include "ui/main/DlgPrint.h"
#include "ui/main/MainCommands.h"

namespace
{
std::mutex s_lock;
std::vector<std::string> s_printed; // the page each print found loaded, with its user-interface flag

HRESULT RecordPrint(IDispatch* pComponent, bool bWithUserInterface)
{
    std::string strPage = "?";
    CComQIPtr<IWebBrowser2> pBrowser(pComponent);
    CComBSTR bstrUrl;
    if (pBrowser != NULL && SUCCEEDED(pBrowser->get_LocationURL(&bstrUrl)) && bstrUrl != NULL)
    {
        std::wstring url(bstrUrl);
        strPage.assign(url.begin() + url.find_last_of(L"\\/") + 1, url.end());
    }
    std::lock_guard<std::mutex> guard(s_lock);
    s_printed.push_back(strPage + (bWithUserInterface ? " ui" : " silent"));
    return S_OK;
}

std::vector<std::string> s_boxes;

int RecordBox(const char* pszText, const char*, UINT, HWND)
{
    std::lock_guard<std::mutex> guard(s_lock);
    s_boxes.push_back(pszText);
    return IDOK;
}

std::vector<std::string> Printed()
{
    std::lock_guard<std::mutex> guard(s_lock);
    return s_printed;
}

class DlgPrintTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        s_printed.clear();
        m_pfnPrint = CSystemSeams::PrintDocument;
        CSystemSeams::PrintDocument = RecordPrint;
        ASSERT_NE(nullptr, m_store.Start());
    }
    void TearDown() override
    {
        m_store.Stop();
        CSystemSeams::PrintDocument = m_pfnPrint;
        CDlgPrint::s_pszComponentClass = HTMLVIEW_CLASSA;
    }

    std::string Page(const char* pszName, const char* pszText)
    {
        std::string strPath = (const char*)m_store.m_folder.Path(pszName);
        std::ofstream(strPath, std::ios::binary) << "<html><body><p>" << pszText << "</p></body></html>";
        return strPath;
    }

    CMainFrameFixture m_store;
    decltype(CSystemSeams::PrintDocument) m_pfnPrint = nullptr;
};

TEST_F(DlgPrintTest, TwoPrintRequestsShareOneDialogAndPrintEachPageAfterItLoaded)
{
    const std::string strFirst = Page("first.htm", "one"), strSecond = Page("second.htm", "two");
    m_store.Send(WM_COMMAND, ID_PRINT, (LPARAM)strFirst.c_str());
    ASSERT_TRUE(WaitFor([] { return Printed().size() == 1; }));
    HWND hDialog = m_store.m_pFrame->m_dlgPrint.m_hWnd;
    ASSERT_TRUE(::IsWindow(hDialog));

    m_store.Send(WM_COMMAND, ID_PRINT, (LPARAM)strSecond.c_str());
    ASSERT_TRUE(WaitFor([] { return Printed().size() == 2; }));
    EXPECT_EQ((std::vector<std::string>{"first.htm ui", "second.htm ui"}), Printed());
    EXPECT_EQ(hDialog, m_store.m_pFrame->m_dlgPrint.m_hWnd);
    EXPECT_TRUE(::IsWindow(hDialog));
    EXPECT_EQ(-1, m_store.m_pFrame->m_dlgPrint.m_nResult);
}

TEST_F(DlgPrintTest, AComponentThatCannotBeCreatedIsReportedAndEndsTheDialogWithCancel)
{
    CDlgPrint::s_pszComponentClass = "NoSuchHtmlComponent";
    s_boxes.clear();
    AppMessageBoxHook pfnOldHook = SetAppMessageBoxHook(RecordBox);
    const std::string strPage = Page("page.htm", "text");
    m_store.Send(WM_COMMAND, ID_PRINT, (LPARAM)strPage.c_str());
    SetAppMessageBoxHook(pfnOldHook);
    EXPECT_EQ((std::vector<std::string>{"ERROR: The DHTML Editing Component is not installed in your system. Do "
                                        "you want to download and instal it from internet?"}),
              s_boxes);
    bool bGone = false;
    int nResult = 0;
    m_store.OnFrame([&]() {
        bGone = !::IsWindow(m_store.m_pFrame->m_dlgPrint.m_hWnd);
        nResult = m_store.m_pFrame->m_dlgPrint.m_nResult;
    });
    EXPECT_TRUE(bGone);
    EXPECT_EQ(2, nResult);
    EXPECT_TRUE(Printed().empty());
}
} // namespace
