// The message properties sheet: its title and header, one source window however often it is asked for,
// closed with the sheet, and the warning before a long source is cut.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>
#include <prsht.h>

#include <string>

#include "StoreTestSupport.h"
#include "resources/resource.h"
#include "tests/support/DialogResponder.h"
#include "tests/support/Screenshot.h"
#include "app/LetrovaGlobals.h"
#include "tests/support/UiThread.h"
#include "ui/main/MessageProperties.h"

namespace
{
int CountSourceWindows(DWORD dwThreadId)
{
    int nCount = 0;
    EnumThreadWindows(
        dwThreadId,
        [](HWND hWnd, LPARAM lParam) -> BOOL {
            char szClass[64] = "";
            GetClassNameA(hWnd, szClass, sizeof(szClass));
            if (strcmp(szClass, "OrbWndText") == 0 && IsWindow(hWnd))
                ++*(int*)lParam;
            return TRUE;
        },
        (LPARAM)&nCount);
    return nCount;
}

HWND FindSource(DWORD dwThreadId)
{
    HWND hFound = NULL;
    EnumThreadWindows(
        dwThreadId,
        [](HWND hWnd, LPARAM lParam) -> BOOL {
            char szClass[64] = "";
            GetClassNameA(hWnd, szClass, sizeof(szClass));
            if (strcmp(szClass, "OrbWndText") == 0)
                *(HWND*)lParam = hWnd;
            return TRUE;
        },
        (LPARAM)&hFound);
    return hFound;
}

bool WaitUntil(const std::function<bool()>& done)
{
    for (int i = 0; i < 2000; i++)
    {
        if (done())
            return true;
        Sleep(10);
    }
    return false;
}

class MessagePropertiesTest : public ::testing::Test
{
protected:
    CScratchFolder m_folder{"props"};
};

TEST_F(MessagePropertiesTest, TheSheetShowsTheHeaderAndOneSourceWindowThatClosesWithIt)
{
    CEmailsImpl<> store(NULL);
    store.Clear();
    strcpy(store.m_Subject, "Quarterly report");
    store.m_strMessage = "From: a@x\r\nSubject: Quarterly report\r\n\r\nthe body";
    CUiThread ui(_Module);
    std::string strTitle, strHeader;
    int nWindowsAfterSecond = 0;
    bool bRestored = false;
    CDialogResponder responder(ui.ThreadId(), [&](HWND hSheet) {
        char szTitle[256] = "";
        GetWindowTextA(hSheet, szTitle, sizeof(szTitle));
        strTitle = szTitle;
        HWND hPage = PropSheet_GetCurrentPageHwnd(hSheet);
        strHeader = CDialogResponder::ItemText(hPage, IDC_DETAILS_HEADER);
        // Pictures for people, each once its window has painted.
        Sleep(300);
        SaveWindowScreenshot(hSheet, "message-properties");
        CDialogResponder::Press(hPage, IDC_MESSAGE_SOURCE_BUTTON);
        WaitUntil([&]() { return FindSource(ui.ThreadId()) != NULL; });
        HWND hSource = FindSource(ui.ThreadId());
        Sleep(300);
        SaveWindowScreenshot(hSource, "message-source");
        ShowWindowAsync(hSource, SW_MINIMIZE);
        WaitUntil([&]() { return IsIconic(hSource) != FALSE; });
        CDialogResponder::Press(hPage, IDC_MESSAGE_SOURCE_BUTTON);
        bRestored = WaitUntil([&]() { return !IsIconic(hSource); });
        nWindowsAfterSecond = CountSourceWindows(ui.ThreadId());
        PostMessageA(hSheet, WM_COMMAND, IDOK, 0);
        return true;
    });
    volatile LONG nLeft = -1;
    ui.Run([&]() {
        ShowMessageProperties(NULL, store);
        InterlockedExchange(&nLeft, CountSourceWindows(GetCurrentThreadId()));
    });
    ASSERT_TRUE(WaitUntil([&]() { return nLeft >= 0; }));
    EXPECT_EQ("Quarterly report", strTitle);
    EXPECT_EQ("From: a@x\r\nSubject: Quarterly report", strHeader);
    EXPECT_TRUE(bRestored);
    EXPECT_EQ(1, nWindowsAfterSecond);
    EXPECT_EQ(0, nLeft);
}

TEST_F(MessagePropertiesTest, ALongSourceIsCutAfterAWarning)
{
    CUiThread ui(_Module);
    CDialogResponder responder(ui.ThreadId(), [](HWND hBox) { return CDialogResponder::Press(hBox, IDOK); });
    std::string strShown;
    volatile LONG bDone = 0;
    ui.Run([&]() {
        CWndText window;
        window.Create(NULL, CString('x', 40000));
        HWND hEdit = window.m_hWndEdit;
        int nLength = GetWindowTextLengthA(hEdit);
        std::string text(nLength + 1, '\0');
        GetWindowTextA(hEdit, &text[0], nLength + 1);
        text.resize(nLength);
        strShown = text;
        window.DestroyWindow();
        InterlockedExchange(&bDone, 1);
    });
    ASSERT_TRUE(WaitUntil([&]() { return bDone != 0; }));
    ASSERT_EQ(1u, responder.Answered().size());
    EXPECT_EQ("The message body too long. It will be truncated.", responder.Answered()[0].strText);
    EXPECT_GE(32767u, strShown.size());
    EXPECT_LT(32700u, strShown.size());
    EXPECT_EQ("...", strShown.substr(strShown.size() - 3));
}
} // namespace
