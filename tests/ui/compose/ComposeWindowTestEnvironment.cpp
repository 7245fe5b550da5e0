// The test process as the client's host for the compose window: COM, the window module, the registered
// messages, the page control's window class and the rich-edit library.
#include <windows.h>

#include <commctrl.h>

#include <atlapp.h>
#include <gtest/gtest.h>

#include "app/LetrovaGlobals.h"
#include "foundation/FoundationUi.h"
#include "foundation/WindowMessages.h"
#include "platform/htmledit/HtmlEdit.h"
#include "platform/htmlview/HtmlView.h"

namespace
{
class CComposeWindowEnvironment : public ::testing::Environment
{
public:
    void SetUp() override
    {
        ::OleInitialize(nullptr);
        InitFoundationUi();
        RegisterLetrovaMessages();
        // Unregistered, the hand-over's message would be 0, and every WM_NULL would read a command line.
        RegisterLetrovaAreYouMe();
        INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_BAR_CLASSES | ICC_LISTVIEW_CLASSES | ICC_TAB_CLASSES |
                                                     ICC_COOL_CLASSES | ICC_WIN95_CLASSES};
        ::InitCommonControlsEx(&icc);
        _Module.Init(nullptr, ::GetModuleHandleA(nullptr));
        CHtmlView::RegisterClass();
        CHtmlEdit::RegisterClass();
    }

    void TearDown() override
    {
        _Module.Term();
        ::OleUninitialize();
    }
};

::testing::Environment* const g_pEnvironment = ::testing::AddGlobalTestEnvironment(new CComposeWindowEnvironment);
} // namespace
