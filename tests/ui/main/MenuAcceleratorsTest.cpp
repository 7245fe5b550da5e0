// Every frame's menus against its accelerator table: the key a menu item names after its tab, pressed in
// that frame, sends that item's command.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "resource.h"

namespace
{
struct CShownKey
{
    std::string strItem;
    std::string strKey;
    UINT nCmd;
};

// The items of a menu and its popups that show a key after a tab.
void CollectShownKeys(HMENU hMenu, std::vector<CShownKey>& keys)
{
    for (int i = 0; i < ::GetMenuItemCount(hMenu); i++)
    {
        char szText[256] = {};
        MENUITEMINFOA mii = {sizeof(mii)};
        mii.fMask = MIIM_ID | MIIM_SUBMENU | MIIM_STRING | MIIM_FTYPE;
        mii.dwTypeData = szText;
        mii.cch = sizeof(szText);
        ASSERT_TRUE(::GetMenuItemInfoA(hMenu, i, TRUE, &mii));
        if (mii.hSubMenu != NULL)
        {
            CollectShownKeys(mii.hSubMenu, keys);
            continue;
        }
        const char* pszTab = strchr(szText, '\t');
        if (pszTab != nullptr)
            keys.push_back({std::string((const char*)szText, pszTab), pszTab + 1, mii.wID});
    }
}

// "Ctrl+Shift+V" as the virtual key and the modifiers a user holds for it; false for a name not known.
bool ParseShownKey(const std::string& strKey, UINT& vk, bool& bCtrl, bool& bShift, bool& bAlt)
{
    vk = 0;
    bCtrl = bShift = bAlt = false;
    std::string strRest = strKey;
    for (;;)
    {
        size_t plus = strRest.find('+');
        if (plus == std::string::npos || plus + 1 == strRest.size())
            break;
        std::string strModifier = strRest.substr(0, plus);
        if (strModifier == "Ctrl")
            bCtrl = true;
        else if (strModifier == "Shift")
            bShift = true;
        else if (strModifier == "Alt")
            bAlt = true;
        else
            return false;
        strRest = strRest.substr(plus + 1);
    }
    if (strRest.size() == 1 && isalnum((unsigned char)strRest[0]))
        vk = (UINT)toupper((unsigned char)strRest[0]);
    else if (strRest == "<" || strRest == ">")
    {
        // Typed with Shift on the comma and full-stop keys.
        vk = strRest == "<" ? VK_OEM_COMMA : VK_OEM_PERIOD;
        bShift = true;
    }
    else if (strRest.size() >= 2 && strRest[0] == 'F' && atoi(strRest.c_str() + 1) >= 1 &&
             atoi(strRest.c_str() + 1) <= 12)
        vk = VK_F1 + atoi(strRest.c_str() + 1) - 1;
    else if (strRest == "Enter")
        vk = VK_RETURN;
    else if (strRest == "Del")
        vk = VK_DELETE;
    else if (strRest == "Ins")
        vk = VK_INSERT;
    else if (strRest == "Backspace")
        vk = VK_BACK;
    return vk != 0;
}

// Records the commands that reach it.
LRESULT CALLBACK RecordingProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg == WM_COMMAND || uMsg == WM_SYSCOMMAND)
    {
        auto* pCommands = (std::vector<UINT>*)::GetWindowLongPtrA(hWnd, GWLP_USERDATA);
        if (pCommands != nullptr)
            pCommands->push_back(uMsg == WM_COMMAND ? LOWORD(wParam) : 0xFFFF);
        return 0;
    }
    return ::DefWindowProcA(hWnd, uMsg, wParam, lParam);
}

// Presses the key with its modifiers through the accelerator table, as the frame's message loop does, and
// returns the commands the table sent.
std::vector<UINT> PressThroughTable(HWND hWnd, HACCEL hAccel, UINT vk, bool bCtrl, bool bShift, bool bAlt)
{
    std::vector<UINT> commands;
    ::SetWindowLongPtrA(hWnd, GWLP_USERDATA, (LONG_PTR)&commands);
    BYTE state[256] = {};
    if (bCtrl)
        state[VK_CONTROL] = state[VK_LCONTROL] = 0x80;
    if (bShift)
        state[VK_SHIFT] = state[VK_LSHIFT] = 0x80;
    if (bAlt)
        state[VK_MENU] = state[VK_LMENU] = 0x80;
    state[vk] = 0x80;
    ::SetKeyboardState(state);
    MSG msg = {hWnd, (UINT)(bAlt ? WM_SYSKEYDOWN : WM_KEYDOWN), vk, bAlt ? 0x20000001 : 1};
    ::TranslateAcceleratorA(hWnd, hAccel, &msg);
    BYTE none[256] = {};
    ::SetKeyboardState(none);
    ::SetWindowLongPtrA(hWnd, GWLP_USERDATA, 0);
    return commands;
}
} // namespace

TEST(MenuAcceleratorsTest, EachKeyAMenuItemShowsSendsThatItemsCommand)
{
    const struct
    {
        const char* pszFrame;
        UINT nResource;
    } frames[] = {
        {"main window", IDR_MAINFRAME},
        {"message windows", IDR_MESSAGE_FRAME},
        {"find window", IDR_FIND_MESSAGE},
    };
    WNDCLASSA wc = {};
    wc.lpfnWndProc = RecordingProc;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = "OrbAcceleratorProbe";
    ::RegisterClassA(&wc);
    HWND hWnd = ::CreateWindowA("OrbAcceleratorProbe", "", WS_OVERLAPPED, 0, 0, 10, 10, NULL, NULL,
                                wc.hInstance, nullptr);
    ASSERT_NE(nullptr, hWnd);
    for (const auto& frame : frames)
    {
        HMENU hMenu = ::LoadMenuA(wc.hInstance, MAKEINTRESOURCEA(frame.nResource));
        HACCEL hAccel = ::LoadAcceleratorsA(wc.hInstance, MAKEINTRESOURCEA(frame.nResource));
        ASSERT_NE(nullptr, hMenu) << frame.pszFrame;
        ASSERT_NE(nullptr, hAccel) << frame.pszFrame;
        std::vector<CShownKey> keys;
        CollectShownKeys(hMenu, keys);
        EXPECT_FALSE(keys.empty()) << frame.pszFrame;
        for (const auto& key : keys)
        {
            UINT vk = 0;
            bool bCtrl, bShift, bAlt;
            ASSERT_TRUE(ParseShownKey(key.strKey, vk, bCtrl, bShift, bAlt))
                << frame.pszFrame << ": " << key.strItem << " shows " << key.strKey;
            std::vector<UINT> sent = PressThroughTable(hWnd, hAccel, vk, bCtrl, bShift, bAlt);
            EXPECT_EQ(std::vector<UINT>{key.nCmd}, sent)
                << frame.pszFrame << ": " << key.strItem << " shows " << key.strKey;
        }
        ::DestroyMenu(hMenu);
    }
    ::DestroyWindow(hWnd);
}
