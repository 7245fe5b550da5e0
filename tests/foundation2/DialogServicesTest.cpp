// Tests of the dialog field checks on a real dialog.
#include <atlapp.h>
#include <atlwin.h>

#include <string.h>

#include <string>

#include <gtest/gtest.h>

#include "foundation/DlgFields.h"
#include "foundation/ErrorUtil.h"
#include "tests/foundation2/DialogServicesResource.h"
#include "tests/support/DialogResponder.h"
#include "tests/support/UiThread.h"
#include "tests/support/WindowReaders.h"

CAppModule _Module;

namespace
{
const char kTestCaption[] = "Vorn Email";

class CDlgFieldCheck : public CDialogImpl<CDlgFieldCheck>
{
public:
    enum
    {
        IDD = IDD_FIELD_CHECK
    };

    BEGIN_MSG_MAP(CDlgFieldCheck)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        COMMAND_ID_HANDLER(IDOK, OnOK)
        COMMAND_ID_HANDLER(IDCANCEL, OnCancel)
    END_MSG_MAP()

    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&)
    {
        HWND hCombo = GetDlgItem(IDC_COMPANY);
        int nIndex = (int)::SendMessageA(hCombo, CB_ADDSTRING, 0, (LPARAM) "Vorn");
        ::SendMessageA(hCombo, CB_SETITEMDATA, nIndex, 4711);
        return TRUE;
    }

    // The name is required and held in 101 characters; a company is required unless "Individual" is set.
    LRESULT OnOK(WORD, WORD, HWND, BOOL&)
    {
        CDlgFields fields(this);
        char szName[101];
        if (!fields.GetText(IDC_NAME, szName, sizeof(szName), IDC_NAME_LABEL, TRUE))
            return 0;
        DWORD_PTR dwCompany = 0;
        if (!fields.GetComboData(dwCompany, IDC_COMPANY, IDC_COMPANY_LABEL, !fields.IsChecked(IDC_INDIVIDUAL)))
            return 0;
        m_strName = szName;
        m_dwCompany = dwCompany;
        EndDialog(IDOK);
        return 0;
    }

    LRESULT OnCancel(WORD, WORD, HWND, BOOL&)
    {
        EndDialog(IDCANCEL);
        return 0;
    }

    CString m_strName;
    DWORD_PTR m_dwCompany = 0;
};

// Runs the dialog modally on a UI thread of its own; message boxes with the application caption are
// answered with OK and recorded.
class DialogServicesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        lstrcpynA(AppCaption, kTestCaption, sizeof(AppCaption));
        m_ui.reset(new CUiThread(_Module));
        m_responder.reset(new CDialogResponder(m_ui->ThreadId(), [](HWND hWnd) {
            if (WindowText(hWnd) != kTestCaption)
                return false;
            return CDialogResponder::Press(hWnd, IDOK);
        }));
        m_ui->Run([this] { m_nResult = m_dlg.DoModal(NULL); });
        m_hDlg = CDialogResponder::FindDialog(m_ui->ThreadId(), "Field Check");
        ASSERT_TRUE(m_hDlg != NULL);
    }

    void TearDown() override
    {
        if (::IsWindow(m_hDlg))
            CDialogResponder::Press(m_hDlg, IDCANCEL);
        EXPECT_TRUE(m_ui->WaitForExit());
        m_responder.reset();
        m_ui.reset();
    }

    // Presses OK and waits until the dialog either closed or complained once more.
    void PressOk()
    {
        size_t nBefore = m_responder->Answered().size();
        ASSERT_TRUE(CDialogResponder::Press(m_hDlg, IDOK));
        ASSERT_TRUE(WaitFor([&] { return !::IsWindow(m_hDlg) || m_responder->Answered().size() > nBefore; }));
    }

    std::string LastComplaint() const
    {
        std::vector<CDialogResponder::Seen> seen = m_responder->Answered();
        return seen.empty() ? std::string() : seen.back().strText;
    }

    HWND FocusOnUiThread()
    {
        HWND hFocus = NULL;
        m_ui->Invoke([&] { hFocus = ::GetFocus(); });
        return hFocus;
    }

    CDlgFieldCheck m_dlg;
    INT_PTR m_nResult = 0;
    std::unique_ptr<CUiThread> m_ui;
    std::unique_ptr<CDialogResponder> m_responder;
    HWND m_hDlg = NULL;
};
} // namespace

TEST_F(DialogServicesTest, GetTextRefusesAFieldThatFillsItsBufferAndAcceptsOneCharacterLess)
{
    ASSERT_TRUE(CDialogResponder::SetField(m_hDlg, IDC_NAME, std::string(100, 'n').c_str()));
    CDialogResponder::SetCheck(m_hDlg, IDC_INDIVIDUAL, true);
    PressOk();
    ASSERT_TRUE(::IsWindow(m_hDlg));
    EXPECT_EQ("Field\nName:\ntoo large. Maximum char count: 99", LastComplaint());
    EXPECT_EQ(::GetDlgItem(m_hDlg, IDC_NAME), FocusOnUiThread());

    std::string strName(99, 'n');
    ASSERT_TRUE(CDialogResponder::SetField(m_hDlg, IDC_NAME, strName.c_str()));
    PressOk();
    ASSERT_TRUE(m_ui->WaitForExit());
    EXPECT_EQ(IDOK, m_nResult);
    EXPECT_EQ(strName, (const char*)m_dlg.m_strName);
    EXPECT_EQ(1u, m_responder->Answered().size());
}

TEST_F(DialogServicesTest, EmptyRequiredFieldsAndMissingChoicesAreRefusedOnTheField)
{
    PressOk();
    EXPECT_EQ("Field\nName:\nis empty.", LastComplaint());
    EXPECT_EQ(::GetDlgItem(m_hDlg, IDC_NAME), FocusOnUiThread());

    CDialogResponder::SetField(m_hDlg, IDC_NAME, "Ann");
    PressOk();
    EXPECT_EQ("Choice a\nCompany:\nplease.", LastComplaint());
    EXPECT_EQ(::GetDlgItem(m_hDlg, IDC_COMPANY), FocusOnUiThread());

    ::SendMessageA(::GetDlgItem(m_hDlg, IDC_COMPANY), CB_SETCURSEL, 0, 0);
    PressOk();
    ASSERT_TRUE(m_ui->WaitForExit());
    EXPECT_EQ(IDOK, m_nResult);
    EXPECT_EQ(4711u, m_dlg.m_dwCompany);
    EXPECT_EQ(2u, m_responder->Answered().size());
}
