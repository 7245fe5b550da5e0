// The database file dialogs driven as a user would: the prompt and path shown, OK and Cancel, the switches.
#include <gtest/gtest.h>

#include <string>

#include "foundation/Registry.h"
#include "store/DatabaseDialogs.h"
#include "tests/support/DialogResponder.h"

namespace
{
const int IDC_PATH = 203, IDC_PROMPT = 204, IDC_SHOW_CONNECT_FAILURE = 205, IDC_PRIVATE_CONTACTS = 336,
          IDC_BROWSE = 1114;

bool IsEnabled(HWND hDlg, int nID)
{
    return IsWindowEnabled(GetDlgItem(hDlg, nID)) != FALSE;
}
} // namespace

TEST(DatabaseDialogs, FileDialogShowsThePromptAndOkTakesTheEditedPath)
{
    std::string prompt, shownPath, caption;
    CDialogResponder responder(GetCurrentThreadId(),
                               [&](HWND hDlg)
                               {
                                   char sz[256] = {0};
                                   GetWindowTextA(hDlg, sz, sizeof(sz));
                                   caption = sz;
                                   prompt = CDialogResponder::ItemText(hDlg, IDC_PROMPT);
                                   shownPath = CDialogResponder::ItemText(hDlg, IDC_PATH);
                                   EXPECT_NE(nullptr, GetDlgItem(hDlg, IDC_BROWSE));
                                   CDialogResponder::SetField(hDlg, IDC_PATH, "C:\\data\\new.mdb");
                                   return CDialogResponder::Press(hDlg, IDOK);
                               });
    CString strPath = "C:\\data\\email.mdb";
    EXPECT_EQ(IDOK, DoDatabaseFileDialog(NULL, "Create blank database failed.", strPath));
    EXPECT_EQ("Vorn Email", caption);
    EXPECT_EQ("Create blank database failed.", prompt);
    EXPECT_EQ("C:\\data\\email.mdb", shownPath);
    EXPECT_STREQ("C:\\data\\new.mdb", strPath);
}

TEST(DatabaseDialogs, CancelLeavesThePathAlone)
{
    CDialogResponder responder(GetCurrentThreadId(),
                               [&](HWND hDlg)
                               {
                                   CDialogResponder::SetField(hDlg, IDC_PATH, "C:\\elsewhere.mdb");
                                   return CDialogResponder::Press(hDlg, IDCANCEL);
                               });
    CString strPath = "C:\\data\\email.mdb";
    EXPECT_EQ(IDCANCEL, DoDatabaseFileDialog(NULL, "prompt", strPath));
    EXPECT_STREQ("C:\\data\\email.mdb", strPath);
}

TEST(DatabaseDialogs, CentralDialogPrivateContactsDisablesTheConnectionControlsAndOkStoresTheSwitches)
{
    int nSaved[2] = {g_bConnectToOrb, g_bPrivateContacts};
    g_bConnectToOrb = 1;
    g_bPrivateContacts = 0;
    bool bConnectChecked = false, bEnabledBefore = false, bEnabledAfter = true;
    CDialogResponder responder(GetCurrentThreadId(),
                               [&](HWND hDlg)
                               {
                                   bConnectChecked = IsDlgButtonChecked(hDlg, IDC_SHOW_CONNECT_FAILURE) == BST_CHECKED;
                                   bEnabledBefore = IsEnabled(hDlg, IDC_PATH) && IsEnabled(hDlg, IDC_BROWSE) &&
                                                    IsEnabled(hDlg, IDC_SHOW_CONNECT_FAILURE);
                                   CDialogResponder::SetCheck(hDlg, IDC_SHOW_CONNECT_FAILURE, false);
                                   CDialogResponder::SetCheck(hDlg, IDC_PRIVATE_CONTACTS, true);
                                   SendMessageA(hDlg, WM_COMMAND, MAKEWPARAM(IDC_PRIVATE_CONTACTS, BN_CLICKED),
                                                (LPARAM)GetDlgItem(hDlg, IDC_PRIVATE_CONTACTS));
                                   bEnabledAfter = IsEnabled(hDlg, IDC_PATH) || IsEnabled(hDlg, IDC_BROWSE) ||
                                                   IsEnabled(hDlg, IDC_SHOW_CONNECT_FAILURE);
                                   return CDialogResponder::Press(hDlg, IDOK);
                               });
    CString strPath = "C:\\Orb\\Orb.mdb";
    EXPECT_EQ(IDOK, DoOrbDatabaseDialog(NULL, "The Vorn Vedura database not exists.\r\nx", strPath));
    EXPECT_TRUE(bConnectChecked);
    EXPECT_TRUE(bEnabledBefore);
    EXPECT_FALSE(bEnabledAfter);
    EXPECT_EQ(0, g_bConnectToOrb);
    EXPECT_EQ(1, g_bPrivateContacts);
    EXPECT_STREQ("C:\\Orb\\Orb.mdb", strPath);
    g_bConnectToOrb = nSaved[0];
    g_bPrivateContacts = nSaved[1];
}
