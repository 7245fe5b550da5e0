// The test process as the client's host: COM, the window module, the registered messages.
#include <windows.h>

#include <commctrl.h>

#include <atlapp.h>
#include <gtest/gtest.h>

#include "app/LetrovaGlobals.h"
#include "foundation/FoundationUi.h"
#include "foundation/WindowMessages.h"

namespace
{
class CAddressBookEnvironment : public ::testing::Environment
{
public:
    void SetUp() override
    {
        ::OleInitialize(nullptr);
        InitFoundationUi();
        RegisterLetrovaMessages();
        RegisterLetrovaAreYouMe();
        INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_TAB_CLASSES | ICC_LISTVIEW_CLASSES | ICC_DATE_CLASSES |
                                                     ICC_BAR_CLASSES | ICC_COOL_CLASSES};
        ::InitCommonControlsEx(&icc);
        _Module.Init(nullptr, ::GetModuleHandleA(nullptr));
    }

    void TearDown() override
    {
        _Module.Term();
        ::OleUninitialize();
    }
};

::testing::Environment* const g_pEnvironment = ::testing::AddGlobalTestEnvironment(new CAddressBookEnvironment);
} // namespace
