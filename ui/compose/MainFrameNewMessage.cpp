// The new-message window.
#include "ui/compose/MainFrameNewMessage.h"

#include <richedit.h>

#include <vector>

#include "foundation/ErrorUtil.h"
#include "foundation/Registry.h"
#include "foundation/TraceFile.h"
#include "store/DatabaseMy.h"
#include "ui/compose/ComposeErrors.h"
#include "ui/compose/ComposeTexts.h"
#include "ui/compose/SignaturesTable.h"

using namespace ComposeCommand;

namespace
{
const DWORD kCommandBarStyle = 0x5600094C;
const DWORD kReBarStyle = 0x56002640;
const DWORD kWorkerCloseWait = 100;
const int kFormatBand = 2;
const UINT kTextColorItem = 32944, kStyleItem = 32890, kTextColorButton = 32945, kStyleButton = 32946;
const UINT kFirstBlockFormat = 32849;

// Editor state reports: the item they update and whether the formatting toolbar's button follows.
struct CStateCommand
{
    WORD nReport;
    WORD nItem;
    bool bToolBar;
};
const CStateCommand kStateCommands[] = {
    {32841, 32821, true},  {32842, 32825, true},  {32843, 32826, true},  {32967, 32834, true},
    {32968, 32831, true},  {32969, 32832, true},  {32970, 32833, true},  {32971, 32761, true},
    {32972, 32762, true},  {32973, 32763, true},  {32974, 32845, true},  {32976, 32975, false},
    {32919, 32844, false}, {32891, 32881, false}, {32892, 32882, false}, {32893, 32883, false},
    {32894, 32888, false}, {32895, 32884, false}, {32896, 32885, false}, {32897, 32889, false},
    {32898, 32886, false}, {32899, 32887, false},
};

void SetMenuItemState(HMENU hMenu, UINT nItem, bool bEnabled, bool bChecked)
{
    ::EnableMenuItem(hMenu, nItem, MF_BYCOMMAND | (bEnabled ? MF_ENABLED : MF_GRAYED));
    ::CheckMenuItem(hMenu, nItem, MF_BYCOMMAND | (bChecked ? MF_CHECKED : MF_UNCHECKED));
}
} // namespace

CMainFrameNewMessage::CMainFrameNewMessage(CDatabaseMy* pDatabaseMy, CRegistry* pRegistry, DWORD dwManagerThreadId,
                                           const CNewMessageArgs& args, volatile LONG* pThreadCount)
    : _baseClass(pDatabaseMy, pRegistry, dwManagerThreadId, 0, pThreadCount),
      m_colorBack(32977), m_client([this](HWND hParent) { return m_dialog.Create(hParent); }),
      m_dialog(args, m_dwThreadId)
{
    if (IsTraceOn())
        g_pTraceFile->Write("\r\nCMainFrameNewMessage()");
}

CMainFrameNewMessage::~CMainFrameNewMessage()
{
    if (IsTraceOn())
        g_pTraceFile->Write("\r\n~CMainFrameNewMessage()");
    if (m_hMenuHtml != NULL)
    {
        // The popups belong to their holders, which destroy them.
        for (HMENU hPopup : {m_dialog.m_editor.m_colorText.m_hMenu, m_hMenuStyle})
        {
            for (int i = ::GetMenuItemCount(m_hMenuHtml) - 1; hPopup != NULL && i >= 0; i--)
            {
                HMENU hSub = ::GetSubMenu(m_hMenuHtml, i);
                for (int j = ::GetMenuItemCount(hSub) - 1; hSub != NULL && j >= 0; j--)
                    if (::GetSubMenu(hSub, j) == hPopup)
                        ::RemoveMenu(hSub, j, MF_BYPOSITION);
            }
        }
        ::DestroyMenu(m_hMenuHtml);
    }
    if (m_hMenuStyle != NULL)
        ::DestroyMenu(m_hMenuStyle);
    if (m_hMenuText != NULL)
        ::DestroyMenu(m_hMenuText);
    if (m_hRichEdit != NULL)
        ::FreeLibrary(m_hRichEdit);
}

BOOL CMainFrameNewMessage::PreTranslateMessage(MSG* pMsg)
{
    if (_baseClass::PreTranslateMessage(pMsg))
        return TRUE;
    if (pMsg->message == WM_KEYDOWN && pMsg->wParam == VK_TAB && m_dialog.m_hWnd != NULL &&
        (pMsg->hwnd == m_dialog.m_hWnd || m_dialog.IsChild(pMsg->hwnd)))
        return m_dialog.IsDialogMessage(pMsg);
    return FALSE;
}

LRESULT CMainFrameNewMessage::OnCreate(UINT, WPARAM, LPARAM, BOOL&)
{
    m_bCreateFailed = 0;
    SetWindowText(ComposeText::kDefaultTitle);
    m_hRichEdit = ::LoadLibraryA("RICHED32.DLL");
    if (m_hRichEdit == NULL)
        AppMessageBox(ComposeText::kRichEditMissing, MB_ICONSTOP, m_hWnd);

    HINSTANCE hInstance = GetResourceModule();
    m_hMenuHtml = ::LoadMenuA(hInstance, MAKEINTRESOURCEA(IDR_NEW_MESSAGE_HTML));
    m_hMenuText = ::LoadMenuA(hInstance, MAKEINTRESOURCEA(IDR_NEW_MESSAGE_TEXT));
    HMENU hMenuCreated = GetMenu();
    HWND hWndCmdBar = m_cmdBar.Create(m_hWnd, rcDefault, NULL, kCommandBarStyle);
    m_cmdBar.AttachMenu(m_hMenuHtml);
    m_cmdBar.LoadImages(IDR_NEW_MESSAGE_TEXT);
    SetMenu(NULL);
    if (hMenuCreated != NULL)
        ::DestroyMenu(hMenuCreated);
    m_hWndToolBarHolder = hWndCmdBar;

    m_hWndMainToolBar = CreateSimpleToolBarCtrl(m_hWnd, IDR_NEW_MESSAGE_TEXT, FALSE, ATL_SIMPLE_TOOLBAR_PANE_STYLE);
    bool bIndividual = m_pRegistry == NULL || m_pRegistry->GetProfileInt("Options", "Send Individual", 1) != 0;
    WORD nSendButton = bIndividual ? ID_SEND_INDIVIDUAL : ID_SEND;
    if (bIndividual)
        ::SendMessageA(m_hWndMainToolBar, TB_SETCMDID, 0, ID_SEND_INDIVIDUAL);
    ::SendMessageA(m_hWndMainToolBar, TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_DRAWDDARROWS);
    for (WORD nButton : {nSendButton, ID_PRIORITY_BUTTON})
    {
        TBBUTTONINFOA info = {sizeof(info)};
        info.dwMask = TBIF_STYLE;
        ::SendMessageA(m_hWndMainToolBar, TB_GETBUTTONINFOA, nButton, (LPARAM)&info);
        info.fsStyle |= BTNS_DROPDOWN;
        ::SendMessageA(m_hWndMainToolBar, TB_SETBUTTONINFOA, nButton, (LPARAM)&info);
    }

    CreateSimpleReBar(kReBarStyle);
    AddSimpleReBarBand(hWndCmdBar);
    AddSimpleReBarBand(m_hWndMainToolBar, NULL, TRUE);
    if (m_formatBar.Create(m_hWnd, ATL_IDW_BAND_FIRST + 1) != NULL)
        AddSimpleReBarBand(m_formatBar.m_hWnd, NULL, TRUE);
    CreateSimpleStatusBar();

    m_client.Create(m_hWnd, rcDefault, NULL, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN);
    m_hWndClient = m_client.m_hWnd;

    UIAddToolBar(m_hWndMainToolBar);
    UIAddMenuBar(hWndCmdBar);
    if (!m_bCreateFailed)
    {
        UISetCheck(ID_VIEW_TOOLBAR, s_bToolBarVisible);
        UISetCheck(ID_VIEW_STATUS_BAR, 1);
        UIEnable(ID_SEND, TRUE);
        UIEnable(ID_SEND_INDIVIDUAL, TRUE);
        UISetCheck(ID_ALL_HEADERS, CDlgNewMessage::s_bAllHeaders);
        UISetCheck(ID_SOURCE_EDIT, CDlgNewMessage::s_bSourceEdit);
        UISetCheck(ID_READ_RECEIPT, m_dialog.m_fields.m_bReadReceipt);
        UISetCheck(ID_MY_BUSINESS_CARD, m_dialog.m_fields.m_bBusinessCard);
        UIEnable(ID_MY_BUSINESS_CARD, m_dialog.m_fields.m_bBusinessCard);
        UISetCheck(ID_USE_MACRO, m_bUseMacro);
        UISetCheck(ID_CONTACT_MACROS, m_bContactMacros);
        bool bSignature = false;
        try
        {
            if (m_pDatabaseMy != NULL)
            {
                CSignaturesTable signatures(&m_pDatabaseMy->m_Local.m_session);
                bSignature = !signatures.ReadSignature(m_hWnd).IsEmpty();
            }
        }
        catch (...)
        {
            CaughtExceptionText("CMainFrameNewMessage::OnCreate()");
        }
        UIEnable(ID_SIGNATURE, bSignature);
        if (m_dialog.m_editor.Exists())
        {
            char szText[64] = "";
            ::GetMenuStringA(m_hMenuHtml, kTextColorItem, szText, sizeof(szText), MF_BYCOMMAND);
            ::ModifyMenuA(m_hMenuHtml, kTextColorItem, MF_BYCOMMAND | MF_POPUP,
                          (UINT_PTR)m_dialog.m_editor.m_colorText.m_hMenu, szText);
        }
    }
    ApplyFormat(m_dialog.m_fields.IsHtmlEditing());
    RegisterWithLoop();
    return 0;
}

void CMainFrameNewMessage::ApplyFormat(bool bHtml)
{
    m_cmdBar.AttachMenu(bHtml ? m_hMenuHtml : m_hMenuText);
    int nBand = (int)::SendMessageA(m_hWndToolBar, RB_GETBANDCOUNT, 0, 0) > kFormatBand ? kFormatBand : -1;
    if (nBand >= 0)
        ::SendMessageA(m_hWndToolBar, RB_SHOWBAND, nBand, bHtml);
    UpdateLayout();
    if (m_client.m_hWnd != NULL)
        m_client.Invalidate();
}

LRESULT CMainFrameNewMessage::OnDestroyFrame(UINT, WPARAM, LPARAM, BOOL& bHandled)
{
    UnregisterFromLoop();
    bHandled = FALSE;
    return 0;
}

BOOL CMainFrameNewMessage::OnIdle()
{
    _baseClass::OnIdle();
    bool bHtml = m_dialog.m_fields.m_bHtml && m_dialog.m_fields.m_bEditor;
    UISetCheck(ID_RICH_TEXT, bHtml);
    UISetCheck(ID_PLAIN_TEXT, !bHtml);
    UISetCheck(ID_PRIORITY_HIGH, m_dialog.m_nPriorityCommand == ID_PRIORITY_HIGH);
    UISetCheck(ID_PRIORITY_NORMAL, m_dialog.m_nPriorityCommand == ID_PRIORITY_NORMAL);
    UISetCheck(ID_PRIORITY_LOW, m_dialog.m_nPriorityCommand == ID_PRIORITY_LOW);
    UISetCheck(ID_READ_RECEIPT, m_dialog.m_fields.m_bReadReceipt);
    UISetCheck(ID_MY_BUSINESS_CARD, m_dialog.m_fields.m_bBusinessCard);
    return FALSE;
}

int CMainFrameNewMessage::HtmlAnswer(HWND hWnd, long nCommand, bool bPreviewAnswers)
{
    CDlgNewMessage& dialog = m_dialog;
    if (dialog.m_hWnd == NULL || !dialog.IsHtml() || !dialog.m_editor.Exists())
        return -1;
    try
    {
        CCtrlMessageBody* pPreview = dialog.m_pPreview.get();
        if (pPreview != NULL && pPreview->m_hWnd != NULL && ::IsWindowVisible(pPreview->m_hWnd))
        {
            if (!bPreviewAnswers)
                return -1;
            return nCommand == DECMD_COPY ? (pPreview->IsCopyEnabled(hWnd) ? 1 : -1)
                                          : (::IsChild(pPreview->m_hWnd, hWnd) ? 1 : -1);
        }
        return dialog.m_editor.IsEnabledFor(nCommand, hWnd) ? 1 : -1;
    }
    catch (...)
    {
        CaughtExceptionText("CMainFrameNewMessage::HtmlAnswer()");
    }
    return -1;
}

bool CMainFrameNewMessage::CanCopy(HWND hWnd, bool)
{
    // Copy asks for Copy: a selection that cannot be cut (read-only text) can still be copied.
    return HtmlAnswer(hWnd, DECMD_COPY, true) == 1 || ::SendMessageA(hWnd, EM_HAS_SELECTION, 0, 0) != 0;
}

bool CMainFrameNewMessage::CanCut(HWND hWnd, bool bReadOnly)
{
    return HtmlAnswer(hWnd, DECMD_CUT, false) == 1 || (!bReadOnly && ::SendMessageA(hWnd, EM_HAS_SELECTION, 0, 0) != 0);
}

bool CMainFrameNewMessage::CanPaste(HWND hWnd, bool bReadOnly)
{
    return HtmlAnswer(hWnd, DECMD_PASTE, false) == 1 ||
           (!bReadOnly && ::SendMessageA(hWnd, EM_CAN_PASTE_TEXT, 1, 0) != 0);
}

bool CMainFrameNewMessage::CanUndo(HWND hWnd, bool bReadOnly)
{
    return HtmlAnswer(hWnd, DECMD_UNDO, false) == 1 || (!bReadOnly && ::SendMessageA(hWnd, EM_CANUNDO, 0, 0) != 0);
}

bool CMainFrameNewMessage::CanRedo(HWND hWnd, bool bReadOnly)
{
    return HtmlAnswer(hWnd, DECMD_REDO, false) == 1 || (!bReadOnly && ::SendMessageA(hWnd, EM_CANREDO, 0, 0) != 0);
}

bool CMainFrameNewMessage::CanSelectAll(HWND hWnd, bool)
{
    return HtmlAnswer(hWnd, DECMD_SELECTALL, true) == 1 || FocusAnswers(hWnd, ID_CAN_SELECT_ALL);
}

bool CMainFrameNewMessage::CanFindText(HWND hWnd, bool)
{
    return HtmlAnswer(hWnd, DECMD_FINDTEXT, false) == 1 || FocusAnswers(hWnd, ID_CAN_FIND_TEXT);
}

LRESULT CMainFrameNewMessage::OnInitMenuPopup(UINT, WPARAM wParam, LPARAM, BOOL& bHandled)
{
    bHandled = FALSE;
    CDlgNewMessage& dialog = m_dialog;
    if (dialog.m_hWnd == NULL || !dialog.IsHtml() || !dialog.m_editor.Exists() ||
        !dialog.m_editor.IsWindowVisible())
        return 0;
    try
    {
        CDHTMLEditHost& editor = dialog.m_editor;
        const std::pair<long, UINT> alignments[] = {
            {DECMD_JUSTIFYLEFT, 32761}, {DECMD_JUSTIFYCENTER, 32762}, {DECMD_JUSTIFYRIGHT, 32763}};
        for (const auto& alignment : alignments)
        {
            if (editor.Status(alignment.first) == DECMDF_LATCHED)
            {
                ::CheckMenuRadioItem(m_hMenuHtml, 32761, 32763, alignment.second, MF_BYCOMMAND);
                break;
            }
        }
        if (m_hMenuStyle == NULL)
        {
            m_hMenuStyle = editor.BuildBlockFormatMenu();
            char szText[64] = "";
            ::GetMenuStringA(m_hMenuHtml, kStyleItem, szText, sizeof(szText), MF_BYCOMMAND);
            ::ModifyMenuA(m_hMenuHtml, kStyleItem, MF_BYCOMMAND | MF_POPUP, (UINT_PTR)m_hMenuStyle, szText);
        }
        if ((HMENU)wParam == m_hMenuStyle)
        {
            const std::vector<CString>& names = editor.BlockFormatNames();
            CString strCurrent = editor.CurrentBlockFormat();
            UINT nChecked = kFirstBlockFormat;
            for (size_t i = 0; i < names.size(); i++)
                if (names[i].CompareNoCase(strCurrent) == 0)
                    nChecked = kFirstBlockFormat + (UINT)i;
            if (!names.empty())
                ::CheckMenuRadioItem(m_hMenuStyle, kFirstBlockFormat, kFirstBlockFormat + (UINT)names.size() - 1,
                                     nChecked, MF_BYCOMMAND);
        }
    }
    catch (...)
    {
        CaughtExceptionText("CMainFrameNewMessage::OnInitMenuPopup()");
    }
    return 0;
}

LRESULT CMainFrameNewMessage::OnMeasureItem(UINT, WPARAM, LPARAM lParam, BOOL& bHandled)
{
    MEASUREITEMSTRUCT* pMeasure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
    CColorMenu* pMenu = pMeasure->CtlType != ODT_MENU                          ? NULL
                        : m_colorBack.IsColorCommand(pMeasure->itemID)         ? &m_colorBack
                        : m_dialog.m_editor.m_colorText.IsColorCommand(pMeasure->itemID) ? &m_dialog.m_editor.m_colorText
                                                                                          : NULL;
    if (pMenu == NULL)
    {
        bHandled = FALSE;
        return 0;
    }
    pMenu->MeasureItem(pMeasure);
    return TRUE;
}

LRESULT CMainFrameNewMessage::OnDrawItem(UINT, WPARAM, LPARAM lParam, BOOL& bHandled)
{
    DRAWITEMSTRUCT* pDraw = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
    CColorMenu* pMenu = pDraw->CtlType != ODT_MENU                                   ? NULL
                        : m_colorBack.IsColorCommand(pDraw->itemID)                  ? &m_colorBack
                        : m_dialog.m_editor.m_colorText.IsColorCommand(pDraw->itemID) ? &m_dialog.m_editor.m_colorText
                                                                                      : NULL;
    if (pMenu == NULL)
    {
        bHandled = FALSE;
        return 0;
    }
    pMenu->DrawItem(pDraw);
    return TRUE;
}

LRESULT CMainFrameNewMessage::OnSysCommand(UINT, WPARAM wParam, LPARAM, BOOL& bHandled)
{
    if ((wParam & 0xFFF0) == SC_CLOSE)
    {
        try
        {
            if (QueryClose() != CLOSE_YES)
                return 0;
        }
        catch (...)
        {
            ShowCaughtInCompose("CMainFrameNewMessage::OnSysCommand(...)", m_hWnd);
            return 0;
        }
    }
    bHandled = FALSE;
    return 0;
}

LRESULT CMainFrameNewMessage::OnQueryEndSession(UINT, WPARAM, LPARAM, BOOL&)
{
    if (IsTraceOn())
        g_pTraceFile->Write("\r\nCMainFrameNewMessage::OnQueryEndSession(...)");
    try
    {
        return QueryClose() == CLOSE_NO ? FALSE : TRUE;
    }
    catch (...)
    {
        ShowCaughtInCompose("CMainFrameNewMessage::OnQueryEndSession(...)", m_hWnd);
    }
    return FALSE;
}

CMainFrameNewMessage::CloseAnswer CMainFrameNewMessage::QueryClose()
{
    if (m_dialog.m_hWorker != NULL)
    {
        ::ResetEvent(m_dialog.m_hWorkerEvent);
        if (::WaitForSingleObject(m_dialog.m_hWorkerEvent, kWorkerCloseWait) == WAIT_TIMEOUT)
        {
            PostMessage(WM_SYSCOMMAND, SC_CLOSE);
            return CLOSE_BUSY;
        }
        ::CloseHandle(m_dialog.m_hWorker);
        m_dialog.m_hWorker = NULL;
    }
    if (m_dialog.m_bSent || m_dialog.m_hWnd == NULL || !m_dialog.HasChanges())
        return CLOSE_YES;
    switch (AppMessageBox(ComposeText::kSaveChanges, MB_YESNOCANCEL | MB_ICONQUESTION, m_hWnd))
    {
    case IDNO:
        return CLOSE_YES;
    case IDYES:
        break;
    default:
        return CLOSE_NO;
    }
    // The draft is stored first: only what is stored is reported as saved, and the window stays when storing
    // fails, so nothing typed is lost.
    LONG nEmailsID = 0;
    try
    {
        nEmailsID = m_dialog.StoreMessage(5, FALSE);
    }
    catch (...)
    {
        ShowCaughtInCompose("CDlgNewMessage::StoreMessage(...)", m_hWnd);
        return CLOSE_NO;
    }
    if (nEmailsID == 0)
        return CLOSE_NO;
    AppMessageBox(ComposeText::kSavedInDrafts, MB_ICONINFORMATION, m_hWnd);
    return CLOSE_YES;
}

void CMainFrameNewMessage::InsertMacro(WORD nCommand)
{
    m_bUseMacro = 1;
    if (nCommand == ID_MACRO_TITLE || nCommand == ID_MACRO_INITIALS || nCommand == ID_MACRO_FAMILIAR)
        m_bContactMacros = 1;
    UISetCheck(ID_USE_MACRO, m_bUseMacro);
    UISetCheck(ID_CONTACT_MACROS, m_bContactMacros);
}

void CMainFrameNewMessage::ShowDropDown(HWND hWndToolBar, int nCommand, UINT nMenu)
{
    RECT rc = {};
    ::SendMessageA(hWndToolBar, TB_GETRECT, nCommand, (LPARAM)&rc);
    ::MapWindowPoints(hWndToolBar, NULL, (POINT*)&rc, 2);
    HMENU hMenu = ::LoadMenuA(GetResourceModule(), MAKEINTRESOURCEA(nMenu));
    if (hMenu == NULL)
        return;
    ::TrackPopupMenu(::GetSubMenu(hMenu, 0), TPM_LEFTALIGN | TPM_TOPALIGN, rc.left, rc.bottom, 0, m_hWnd, NULL);
    ::DestroyMenu(hMenu);
}

LRESULT CMainFrameNewMessage::OnToolBarDropDown(int, LPNMHDR pnmh, BOOL& bHandled)
{
    NMTOOLBARA* pToolBar = reinterpret_cast<NMTOOLBARA*>(pnmh);
    if (pToolBar->iItem == ID_PRIORITY_BUTTON)
        ShowDropDown(pnmh->hwndFrom, pToolBar->iItem, IDR_PRIORITY_MENU);
    else if (pToolBar->iItem == ID_SEND || pToolBar->iItem == ID_SEND_INDIVIDUAL)
        ShowDropDown(pnmh->hwndFrom, pToolBar->iItem, IDR_SEND_MENU);
    else
        bHandled = FALSE;
    return TBDDRET_DEFAULT;
}

LRESULT CMainFrameNewMessage::OnCommand(UINT, WPARAM wParam, LPARAM lParam, BOOL& bHandled)
{
    const WORD nID = LOWORD(wParam);
    if (nID == ID_CLOSE)
    {
        PostMessage(WM_CLOSE);
        return 0;
    }
    // A choice in the formatting band's boxes becomes the editor's font command.
    if ((nID == ID_FONT_NAME_BOX || nID == ID_FONT_SIZE_BOX) && HIWORD(wParam) == CBN_SELCHANGE)
    {
        HWND hWndBox = reinterpret_cast<HWND>(lParam);
        int nChosen = (int)::SendMessageA(hWndBox, CB_GETCURSEL, 0, 0);
        if (nChosen < 0)
            return 0;
        if (nID == ID_FONT_SIZE_BOX)
        {
            SendMessage(WM_COMMAND, ID_SELCHANGE_FONTSIZE, nChosen + 1);
            return 0;
        }
        int nLength = (int)::SendMessageA(hWndBox, CB_GETLBTEXTLEN, nChosen, 0);
        if (nLength <= 0)
            return 0;
        std::vector<char> name(nLength + 1, 0);
        ::SendMessageA(hWndBox, CB_GETLBTEXT, nChosen, (LPARAM)name.data());
        SendMessage(WM_COMMAND, ID_SELCHANGE_FONTNAME, (LPARAM)name.data());
        return 0;
    }
    // The combo boxes of the formatting band and other controls' notifications are not commands.
    if (m_client.m_hWnd != NULL && m_client.SendMessage(WM_COMMAND, wParam, lParam) != 0)
        return 0;
    switch (nID)
    {
    case ID_CREATE_FAILED:
        m_bCreateFailed = 1;
        return 0;
    case ID_ALL_HEADERS:
        CDlgNewMessage::s_bAllHeaders = !CDlgNewMessage::s_bAllHeaders;
        m_dialog.Relayout();
        UISetCheck(ID_ALL_HEADERS, CDlgNewMessage::s_bAllHeaders);
        UpdateLayout();
        return 0;
    case ID_SOURCE_EDIT:
        if (!m_dialog.IsEditTabSelected())
        {
            AppMessageBox(ComposeText::kGoToEditTab, MB_ICONEXCLAMATION, m_hWnd);
            return 0;
        }
        CDlgNewMessage::s_bSourceEdit = !CDlgNewMessage::s_bSourceEdit;
        m_dialog.Relayout();
        UISetCheck(ID_SOURCE_EDIT, CDlgNewMessage::s_bSourceEdit);
        return 0;
    case ID_FORMAT:
        ApplyFormat(lParam != 0);
        return 0;
    case ID_RICH_TEXT:
    case ID_PLAIN_TEXT:
        ApplyFormat(nID == ID_RICH_TEXT);
        return 0;
    case ID_USE_MACRO:
        m_bUseMacro = !m_bUseMacro;
        if (!m_bUseMacro)
            m_bContactMacros = 0;
        UISetCheck(ID_USE_MACRO, m_bUseMacro);
        UISetCheck(ID_CONTACT_MACROS, m_bContactMacros);
        return 0;
    case ID_CONTACT_MACROS:
        m_bContactMacros = !m_bContactMacros;
        if (m_bContactMacros)
            m_bUseMacro = 1;
        UISetCheck(ID_USE_MACRO, m_bUseMacro);
        UISetCheck(ID_CONTACT_MACROS, m_bContactMacros);
        return 0;
    case ID_MACRO_FIRSTNAME:
    case ID_MACRO_NAME:
    case ID_MACRO_SURNAME:
    case ID_MACRO_TITLE:
    case ID_MACRO_INITIALS:
    case ID_MACRO_FAMILIAR:
        InsertMacro(nID);
        return 0;
    case ID_GET_MACRO:
        if (lParam != 0)
            *reinterpret_cast<LONG*>(lParam) = m_bUseMacro;
        return 0;
    case ID_GET_MACRO_CONTACTS:
        if (lParam != 0)
            *reinterpret_cast<LONG*>(lParam) = m_bContactMacros;
        return 0;
    case ID_SET_FONT_NAME:
    {
        HWND hWndBox = m_formatBar.m_hWndFontName;
        int nFound = -1;
        const char* pszName = reinterpret_cast<const char*>(lParam);
        int nCount = hWndBox != NULL ? (int)::SendMessageA(hWndBox, CB_GETCOUNT, 0, 0) : 0;
        for (int i = 0; i < nCount && pszName != NULL && nFound < 0; i++)
        {
            char szText[256] = "";
            if (::SendMessageA(hWndBox, CB_GETLBTEXTLEN, i, 0) < (LRESULT)sizeof(szText))
                ::SendMessageA(hWndBox, CB_GETLBTEXT, i, (LPARAM)szText);
            if (_stricmp(szText, pszName) == 0)
                nFound = i;
        }
        if (hWndBox != NULL)
            ::SendMessageA(hWndBox, CB_SETCURSEL, nFound, 0);
        return 0;
    }
    case ID_SET_FONT_SIZE:
        if (m_formatBar.m_hWndFontSize != NULL)
            ::SendMessageA(m_formatBar.m_hWndFontSize, CB_SETCURSEL, (int)lParam - 1, 0);
        return 0;
    case ID_ENABLE_FONT_NAME:
        ::EnableWindow(m_formatBar.m_hWndFontName, lParam != 0);
        return 0;
    case ID_ENABLE_FONT_SIZE:
        ::EnableWindow(m_formatBar.m_hWndFontSize, lParam != 0);
        return 0;
    case kTextColorButton:
    case kStyleButton:
    {
        if (!m_dialog.m_editor.Exists() || m_formatBar.m_hWnd == NULL)
            return 0;
        try
        {
            HMENU hMenu = NULL;
            if (nID == kTextColorButton)
            {
                CComVariant color;
                if (m_dialog.m_editor.Status(DECMD_GETFORECOLOR) == DECMDF_ENABLED)
                    m_dialog.m_editor.Exec(DECMD_GETFORECOLOR, DECMD_OPT_DONTPROMPTUSER, &color);
                if (color.vt == VT_BSTR && color.bstrVal != NULL && color.bstrVal[0] == L'#')
                {
                    unsigned long nRgb = wcstoul(color.bstrVal + 1, NULL, 16);
                    m_dialog.m_editor.m_colorText.SetCurrent(RGB((nRgb >> 16) & 0xFF, (nRgb >> 8) & 0xFF, nRgb & 0xFF));
                }
                hMenu = m_dialog.m_editor.m_colorText.m_hMenu;
            }
            else
                hMenu = m_dialog.m_editor.BuildBlockFormatMenu();
            RECT rc = {};
            ::SendMessageA(m_formatBar.m_hWnd, TB_GETRECT, nID, (LPARAM)&rc);
            ::MapWindowPoints(m_formatBar.m_hWnd, NULL, (POINT*)&rc, 2);
            ::TrackPopupMenu(hMenu, TPM_LEFTALIGN | TPM_TOPALIGN, rc.left, rc.bottom, 0, m_hWnd, NULL);
            if (nID == kStyleButton)
                ::DestroyMenu(hMenu);
        }
        catch (...)
        {
            ShowCaughtInCompose("CMainFrameNewMessage::OnCommand(...)", m_hWnd);
        }
        return 0;
    }
    case 32848:
        if (m_formatBar.m_hWnd != NULL)
            ::SendMessageA(m_formatBar.m_hWnd, TB_ENABLEBUTTON, kTextColorButton, lParam != 0);
        return 0;
    case 32966:
        if (m_formatBar.m_hWnd != NULL)
            ::SendMessageA(m_formatBar.m_hWnd, TB_ENABLEBUTTON, kStyleButton, lParam != 0);
        return 0;
    case 32874:
        for (UINT i = 0; i <= 16; i++)
            ::EnableMenuItem(m_colorBack.m_hMenu, m_colorBack.m_nFirst + i,
                             MF_BYCOMMAND | (lParam != 0 ? MF_ENABLED : MF_GRAYED));
        return 0;
    case 32875:
    {
        const char* pszColor = reinterpret_cast<const char*>(lParam);
        if (pszColor == NULL || *pszColor == 0)
        {
            m_colorBack.m_nCurrent = 0;
            ::CheckMenuRadioItem(m_colorBack.m_hMenu, m_colorBack.m_nFirst, m_colorBack.m_nAutomatic, 0,
                                 MF_BYCOMMAND);
            return 0;
        }
        unsigned long nRgb = strtoul(pszColor + (*pszColor == '#' ? 1 : 0), NULL, 16);
        m_colorBack.SetCurrent(RGB((nRgb >> 16) & 0xFF, (nRgb >> 8) & 0xFF, nRgb & 0xFF));
        return 0;
    }
    case ID_COMPOSE_WORKER:
        UIEnable(ID_SEND, lParam == 0);
        UIEnable(ID_SEND_INDIVIDUAL, lParam == 0);
        UIUpdateToolBar();
        return 0;
    }
    if (m_colorBack.IsColorCommand(nID))
    {
        try
        {
            char szColor[16];
            CColorMenu::FormatColor(m_colorBack.ColorOf(nID), szColor, sizeof(szColor));
            CComVariant color(szColor);
            m_dialog.m_editor.Exec(DECMD_SETBACKCOLOR, DECMD_OPT_DONTPROMPTUSER, &color);
            m_colorBack.SetCurrentCommand(nID);
        }
        catch (...)
        {
            ShowCaughtInCompose("CMainFrameNewMessage::OnCommand(...)", m_hWnd);
        }
        return 0;
    }
    for (const CStateCommand& state : kStateCommands)
    {
        if (state.nReport != nID)
            continue;
        bool bEnabled = lParam == 3 || lParam == 7, bChecked = lParam == 7;
        SetMenuItemState(m_hMenuHtml, state.nItem, bEnabled, bChecked);
        if (state.bToolBar && m_formatBar.m_hWnd != NULL)
        {
            ::SendMessageA(m_formatBar.m_hWnd, TB_ENABLEBUTTON, state.nItem, bEnabled);
            ::SendMessageA(m_formatBar.m_hWnd, TB_CHECKBUTTON, state.nItem, bChecked);
        }
        return 0;
    }
    bHandled = FALSE;
    return 0;
}
