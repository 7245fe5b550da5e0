// Message maps: order, bHandled, registered messages, commands, notifications, chaining and reflection.
#include <atlapp.h>
#include <atlctrls.h>
#include <atlwin.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

const UINT WM_GET_TABLE = ::RegisterWindowMessageA("LetrovaGetTable");
const UINT WM_ARE_YOU_ME = ::RegisterWindowMessageA("LetrovaAreYouMe");

class CChainTarget
{
public:
    std::vector<std::string> m_calls;

    BEGIN_MSG_MAP(CChainTarget)
        MESSAGE_HANDLER(WM_APP + 3, OnMember)
        ALT_MSG_MAP(1)
        MESSAGE_HANDLER(WM_APP + 4, OnAlt)
    END_MSG_MAP()

    LRESULT OnMember(UINT, WPARAM, LPARAM, BOOL&)
    {
        m_calls.push_back("member");
        return 30;
    }
    LRESULT OnAlt(UINT, WPARAM, LPARAM, BOOL&)
    {
        m_calls.push_back("alt");
        return 40;
    }
};

class CBaseWindow : public CWindowImpl<CBaseWindow>
{
public:
    std::vector<std::string> m_calls;

    BEGIN_MSG_MAP(CBaseWindow)
        MESSAGE_HANDLER(WM_APP + 2, OnBase)
        MESSAGE_HANDLER(WM_APP + 1, OnBaseFallback)
    END_MSG_MAP()

    LRESULT OnBase(UINT, WPARAM, LPARAM, BOOL&)
    {
        m_calls.push_back("base");
        return 20;
    }
    LRESULT OnBaseFallback(UINT, WPARAM, LPARAM, BOOL&)
    {
        m_calls.push_back("base-fallback");
        return 21;
    }
};

class CMapWindow : public CWindowImpl<CMapWindow, CWindow, CFrameWinTraits>
{
public:
    DECLARE_WND_CLASS("OrbTestMapWindow")

    std::vector<std::string> m_calls;
    CChainTarget m_member;
    CBaseWindow m_base;

    BEGIN_MSG_MAP(CMapWindow)
        MESSAGE_HANDLER(WM_GET_TABLE, OnGetTable)
        MESSAGE_HANDLER(WM_APP + 1, OnPassOn)
        MESSAGE_HANDLER(WM_APP + 1, OnSecond)
        MESSAGE_HANDLER(WM_APP + 1, OnNeverReached)
        MESSAGE_HANDLER(WM_APP + 5, OnPassOn)
        COMMAND_ID_HANDLER(100, OnCommand100)
        COMMAND_RANGE_HANDLER(200, 209, OnCommandRange)
        COMMAND_HANDLER(300, EN_CHANGE, OnEditChange)
        NOTIFY_CODE_HANDLER(NM_DBLCLK, OnDoubleClick)
        NOTIFY_HANDLER(7, NM_CLICK, OnClick7)
        CHAIN_MSG_MAP_MEMBER(m_member)
        CHAIN_MSG_MAP_ALT_MEMBER(m_member, 1)
        REFLECT_NOTIFICATIONS()
    END_MSG_MAP()

    LRESULT OnGetTable(UINT, WPARAM wParam, LPARAM lParam, BOOL&)
    {
        *(const char**)wParam = (const char*)lParam;
        return 1;
    }
    LRESULT OnPassOn(UINT, WPARAM, LPARAM, BOOL& bHandled)
    {
        m_calls.push_back("pass-on");
        bHandled = FALSE;
        return 99;
    }
    LRESULT OnSecond(UINT, WPARAM, LPARAM, BOOL&)
    {
        m_calls.push_back("second");
        return 2;
    }
    LRESULT OnNeverReached(UINT, WPARAM, LPARAM, BOOL&)
    {
        m_calls.push_back("third");
        return 3;
    }
    LRESULT OnCommand100(WORD wNotifyCode, WORD wID, HWND, BOOL&)
    {
        m_calls.push_back("command " + std::to_string(wID) + " code " + std::to_string(wNotifyCode));
        return 0;
    }
    LRESULT OnCommandRange(WORD, WORD wID, HWND, BOOL&)
    {
        m_calls.push_back("range " + std::to_string(wID));
        return 0;
    }
    LRESULT OnEditChange(WORD, WORD, HWND, BOOL&)
    {
        m_calls.push_back("edit change");
        return 0;
    }
    LRESULT OnDoubleClick(int idCtrl, LPNMHDR, BOOL&)
    {
        m_calls.push_back("dblclk " + std::to_string(idCtrl));
        return 0;
    }
    LRESULT OnClick7(int, LPNMHDR, BOOL&)
    {
        m_calls.push_back("click 7");
        return 0;
    }
};

// A button that takes its own clicks back from the parent through reflection.
class CReflectingButton : public CWindowImpl<CReflectingButton, CButton>
{
public:
    DECLARE_WND_SUPERCLASS("OrbTestReflectingButton", CButton::GetWndClassName())
    int m_nClicks = 0;

    BEGIN_MSG_MAP(CReflectingButton)
        REFLECTED_COMMAND_CODE_HANDLER(BN_CLICKED, OnReflectedClick)
        DEFAULT_REFLECTION_HANDLER()
    END_MSG_MAP()

    LRESULT OnReflectedClick(WORD, WORD, HWND, BOOL&)
    {
        m_nClicks++;
        return 0;
    }
};

class MessageMapTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_NE(m_wnd.Create(NULL, CWindow::rcDefault, "map"), (HWND)NULL); }
    void TearDown() override
    {
        if (m_wnd.IsWindow())
            m_wnd.DestroyWindow();
    }
    LRESULT Send(UINT uMsg, WPARAM wParam = 0, LPARAM lParam = 0)
    {
        return m_wnd.SendMessage(uMsg, wParam, lParam);
    }
    LRESULT Notify(UINT_PTR idFrom, UINT code)
    {
        NMHDR nmh = {NULL, idFrom, code};
        return Send(WM_NOTIFY, idFrom, (LPARAM)&nmh);
    }

    CMapWindow m_wnd;
};

TEST_F(MessageMapTest, HandlerThatClearsBHandledLetsTheNextOneRunAndTheFirstHandlingOneEndsTheSearch)
{
    EXPECT_EQ(Send(WM_APP + 1), 2);
    EXPECT_EQ(m_wnd.m_calls, (std::vector<std::string>{"pass-on", "second"}));
}

TEST_F(MessageMapTest, MessageNobodyHandlesGoesToTheDefaultProcedure)
{
    // The only handler passes it on; DefWindowProc answers 0 for an application message.
    EXPECT_EQ(Send(WM_APP + 5), 0);
    EXPECT_EQ(m_wnd.m_calls, (std::vector<std::string>{"pass-on"}));
}

TEST_F(MessageMapTest, RunTimeRegisteredMessageReachesItsHandler)
{
    const char* pszTable = NULL;
    EXPECT_EQ(Send(WM_GET_TABLE, (WPARAM)&pszTable, (LPARAM) "Emails"), 1);
    EXPECT_STREQ(pszTable, "Emails");
    // Another registered message has a different id and is not mistaken for it.
    EXPECT_EQ(Send(WM_ARE_YOU_ME), 0);
}

TEST_F(MessageMapTest, CommandsAreRoutedByIdRangeAndNotificationCode)
{
    Send(WM_COMMAND, MAKEWPARAM(100, 1), 0);
    Send(WM_COMMAND, MAKEWPARAM(199, 0), 0);
    Send(WM_COMMAND, MAKEWPARAM(200, 0), 0);
    Send(WM_COMMAND, MAKEWPARAM(209, 0), 0);
    Send(WM_COMMAND, MAKEWPARAM(210, 0), 0);
    Send(WM_COMMAND, MAKEWPARAM(300, EN_SETFOCUS), 0);
    Send(WM_COMMAND, MAKEWPARAM(300, EN_CHANGE), 0);
    EXPECT_EQ(m_wnd.m_calls,
              (std::vector<std::string>{"command 100 code 1", "range 200", "range 209", "edit change"}));
}

TEST_F(MessageMapTest, NotificationsAreRoutedByCodeAndById)
{
    Notify(7, NM_CLICK);
    Notify(8, NM_CLICK);
    Notify(8, NM_DBLCLK);
    EXPECT_EQ(m_wnd.m_calls, (std::vector<std::string>{"click 7", "dblclk 8"}));
}

TEST_F(MessageMapTest, ChainedMembersAndAlternateMapsAnswerWhatTheWindowDoesNot)
{
    EXPECT_EQ(Send(WM_APP + 3), 30);
    EXPECT_EQ(Send(WM_APP + 4), 40);
    EXPECT_EQ(m_wnd.m_member.m_calls, (std::vector<std::string>{"member", "alt"}));
}

TEST(MessageMapChainTest, ChainedBaseClassMapRunsAfterTheDerivedEntries)
{
    struct CDerived : public CBaseWindow
    {
        std::vector<std::string>& calls() { return m_calls; }
        BEGIN_MSG_MAP(CDerived)
            MESSAGE_HANDLER(WM_APP + 1, OnDerived)
            CHAIN_MSG_MAP(CBaseWindow)
        END_MSG_MAP()
        LRESULT OnDerived(UINT, WPARAM, LPARAM, BOOL& bHandled)
        {
            m_calls.push_back("derived");
            bHandled = FALSE;
            return 0;
        }
    } wnd;
    ASSERT_NE(wnd.Create(NULL, CWindow::rcDefault, "chain", WS_OVERLAPPEDWINDOW), (HWND)NULL);
    EXPECT_EQ(wnd.SendMessage(WM_APP + 1), 21);
    EXPECT_EQ(wnd.SendMessage(WM_APP + 2), 20);
    EXPECT_EQ(wnd.calls(), (std::vector<std::string>{"derived", "base-fallback", "base"}));
    wnd.DestroyWindow();
}

TEST_F(MessageMapTest, ReflectedNotificationReachesTheControlItself)
{
    CReflectingButton button;
    RECT rc = {0, 0, 80, 24}; // a click counts only inside the button
    ASSERT_NE(button.Create(m_wnd, rc, "button", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 0, 42U), (HWND)NULL);
    button.SendMessage(BM_CLICK);
    EXPECT_EQ(button.m_nClicks, 1);
}

} // namespace
