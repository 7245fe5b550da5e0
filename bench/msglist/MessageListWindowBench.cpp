// The real main window with a 500-message Inbox: received messages handed over to it (each row joins the
// shown list and is painted), beside the same hand-over while another folder is shown, where no row is
// added; and an arrow key held down the whole list, each step beside the preview of one row. Prints the
// figures and their ratios; asserts nothing.
#include <windows.h>

#include <commctrl.h>

#include <atlapp.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

#include "MainFrameFixture.h"
#include "StoreTestSupport.h"
#include "app/LetrovaGlobals.h"
#include "app/ManagerCommands.h"
#include "foundation/ErrorUtil.h"
#include "foundation/FoundationUi.h"
#include "foundation/WindowMessages.h"

namespace
{
const int kRows = 500;
const int kHandedOver = 200;

double Milliseconds(std::chrono::steady_clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

bool WaitFor(const std::function<bool()>& done)
{
    for (int i = 0; i < 6000; i++)
    {
        if (done())
            return true;
        ::Sleep(5);
    }
    return false;
}

void InsertMessage(CSession& session, LONG nFolderID, int n)
{
    CString strSQL;
    strSQL.Format(
        "INSERT INTO Emails (EmDate, Subject, Message, Ref, FolderID, Flags, UniqueID, AccountID, Encode) "
        "VALUES (%d, 'message %d about the quarterly figures', 'Subject: m\r\n\r\nbody of the message', "
        "'Sender %d <s%d@example.com>', %ld, 2, 'u%d', 0, 0)",
        45000 + n, n, n % 17, n % 17, (long)nFolderID, n);
    Execute(session, strSQL);
}

// Stores kHandedOver messages in the Inbox and hands each over as a receive run does; the time of the
// hand-overs and the repaint they cause, per message, and of storing the messages.
double HandOver(CMainFrameFixture& store, int nFirst, double& dStore)
{
    CListViewCtrlMessages& list = store.m_pFrame->m_client.m_container.m_right.m_list.m_list;
    double dTotal = 0;
    dStore = 0;
    for (int i = 0; i < kHandedOver; i++)
    {
        auto stored = std::chrono::steady_clock::now();
        InsertMessage(store.Local(), store.m_nInbox, nFirst + i);
        dStore += Milliseconds(std::chrono::steady_clock::now() - stored);
        const LONG nID = QueryLong(store.Local(), "SELECT MAX(EmailsID) FROM Emails");
        auto start = std::chrono::steady_clock::now();
        store.OnFrame([&] {
            ::SendMessageA(store.m_pFrame->m_hWnd, WM_COMMAND, ID_ADD_MESSAGE_TO_CONTROL, nID);
            ::UpdateWindow(list.m_hWnd);
        });
        dTotal += Milliseconds(std::chrono::steady_clock::now() - start);
    }
    dStore /= kHandedOver;
    return dTotal / kHandedOver;
}

bool ShowFolder(CMainFrameFixture& store, LONG nFolderID, int nRows)
{
    CListViewCtrlMessages& list = store.m_pFrame->m_client.m_container.m_right.m_list.m_list;
    store.Select(nFolderID);
    return WaitFor([&] {
        bool bReady = false;
        store.OnFrame([&] {
            MSG msg;
            bReady = !list.IsFilling() && list.GetRowCount() == nRows &&
                     !::PeekMessageA(&msg, list.m_hWnd, 0, 0, PM_NOREMOVE);
        });
        return bReady;
    });
}
} // namespace

int main()
{
    ::OleInitialize(nullptr);
    InitFoundationUi();
    RegisterLetrovaMessages();
    RegisterLetrovaAreYouMe();
    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_BAR_CLASSES | ICC_COOL_CLASSES | ICC_TREEVIEW_CLASSES |
                                                 ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&icc);
    _Module.Init(nullptr, ::GetModuleHandleA(nullptr));
    SetAppMessageBoxHook([](const char*, const char*, UINT, HWND) { return IDNO; });
    double dShown = 0, dOther = 0, dStore = 0, dWalk = 0, dOne = 0;
    {
        CMainFrameFixture store;
        for (int i = 0; i < kRows; i++)
            InsertMessage(store.Local(), store.m_nInbox, i);
        if (store.Start() == nullptr)
        {
            std::printf("msglist_window_bench: no main window\n");
            return 0;
        }
        CRightPane& right = store.m_pFrame->m_client.m_container.m_right;
        CListViewCtrlMessages& list = right.m_list.m_list;
        ShowFolder(store, store.m_nAlpha, 0);
        if (!ShowFolder(store, store.m_nInbox, kRows))
        {
            std::printf("msglist_window_bench: the Inbox did not fill\n");
            return 0;
        }

        // One preview: a row selected by the mouse or by code is previewed at once.
        auto start = std::chrono::steady_clock::now();
        store.OnFrame([&] {
            ListView_SetItemState(list.m_hWnd, -1, 0, LVIS_SELECTED);
            ListView_SetItemState(list.m_hWnd, kRows / 2, LVIS_SELECTED | LVIS_FOCUSED,
                                  LVIS_SELECTED | LVIS_FOCUSED);
        });
        dOne = Milliseconds(std::chrono::steady_clock::now() - start);

        // The arrow key held from the first row to the last, as the keyboard sends it: one press, repeats,
        // the release; done when the preview shows the last row and the list has nothing left to do.
        LONG nFirst = 0, nLast = 0;
        store.OnFrame([&] {
            nFirst = list.Row(0).nEmailsID;
            nLast = list.Row(kRows - 1).nEmailsID;
            ListView_SetItemState(list.m_hWnd, -1, 0, LVIS_SELECTED);
            ListView_SetItemState(list.m_hWnd, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
            ::SetFocus(list.m_hWnd);
        });
        WaitFor([&] {
            LONG nShown = 0;
            store.OnFrame([&] { nShown = right.m_preview.m_nEmailsID; });
            return nShown == nFirst;
        });
        start = std::chrono::steady_clock::now();
        store.OnFrame([&] {
            ::PostMessageA(list.m_hWnd, WM_KEYDOWN, VK_DOWN, 1);
            for (int i = 1; i < kRows - 1; i++)
                ::PostMessageA(list.m_hWnd, WM_KEYDOWN, VK_DOWN, 1 | (1 << 30));
            ::PostMessageA(list.m_hWnd, WM_KEYUP, VK_DOWN, 1 | (1 << 30) | (1u << 31));
        });
        WaitFor([&] {
            bool bDone = false;
            store.OnFrame([&] {
                MSG msg;
                bDone =
                    right.m_preview.m_nEmailsID == nLast && !::PeekMessageA(&msg, NULL, 0, 0, PM_NOREMOVE);
            });
            return bDone;
        });
        dWalk = Milliseconds(std::chrono::steady_clock::now() - start);

        dShown = HandOver(store, kRows, dStore);
        ShowFolder(store, store.m_nAlpha, 0);
        double dStoreOther = 0;
        dOther = HandOver(store, kRows + kHandedOver, dStoreOther);
    }
    // The settings' default order is by date: each row goes first, as in a user's receive.
    std::printf(
        "msglist_window_bench: hand-over of a received message to the shown Inbox of %d rows, its row "
        "added first and painted %.2f ms; with another folder shown %.2f ms; ratio %.2f (goal <= 2); "
        "storing the message through the database layer %.2f ms\n",
        kRows, dShown, dOther, dOther > 0 ? dShown / dOther : 0.0, dStore);
    const double dStep = dWalk / (kRows - 1);
    std::printf(
        "msglist_window_bench: an arrow key held over %d rows until the last is previewed %.0f ms, %.2f ms "
        "a step; one row previewed %.1f ms; ratio step / preview %.2f (goal < 1: the rows passed are not "
        "previewed)\n",
        kRows, dWalk, dStep, dOne, dOne > 0 ? dStep / dOne : 0.0);
    _Module.Term();
    ::OleUninitialize();
    return 0;
}
