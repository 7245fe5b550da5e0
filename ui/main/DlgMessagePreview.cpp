// The preview pane.
#include "ui/main/DlgMessagePreview.h"

#include <algorithm>

#include <atlapp.h>

#include "foundation/ErrorUtil.h"
#include "foundation/Paths.h"
#include "foundation/Registry.h"
#include "foundation/WindowMessages.h"
#include "store/OLEDBException.h"
#include "ui/main/MainCommands.h"
#include "ui/main/DlgSaveAttachments.h"
#include "ui/main/DlgVirusWarning.h"
#include "ui/main/Panes.h"

namespace
{
const WORD kNewMessageWithReport = 32782;
const char kTooManyMessages[] = "ERROR: Too much the messages";
const char kErrorPrefix[] = "ERROR: ";

// Texts of the store that already say they are errors keep their one prefix.
CString ErrorText(const char* pszText)
{
    CString strText = pszText;
    return strText.Find("ERROR") == 0 ? strText : CString(kErrorPrefix) + strText;
}
} // namespace

// ---- header area

LRESULT CDlgPreviewHeader::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&)
{
    HFONT hFont = GetFont();
    LOGFONTA lf = {};
    ::GetObjectA(hFont != NULL ? (HGDIOBJ)hFont : ::GetStockObject(DEFAULT_GUI_FONT), sizeof(lf), &lf);
    lf.lfWeight = FW_BOLD;
    m_hFontBold = ::CreateFontIndirectA(&lf);
    m_pane.m_hFontBold = m_hFontBold;
    m_pane.m_hFontNormal = hFont;
    return TRUE;
}

LRESULT CDlgPreviewHeader::OnDestroy(UINT, WPARAM, LPARAM, BOOL&)
{
    if (m_pane.m_hWnd != NULL && ::IsWindow(m_pane.m_hWnd))
        m_pane.DestroyWindow();
    m_pane.m_hWnd = NULL;
    if (m_hFontBold != NULL)
        ::DeleteObject(m_hFontBold);
    m_hFontBold = NULL;
    return 0;
}

LRESULT CDlgPreviewHeader::OnToolbarMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL&)
{
    return ::SendMessageA(GetParent(), uMsg, wParam, lParam);
}

LRESULT CDlgPreviewHeader::OnCommand(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled)
{
    // The toolbar's buttons report here; the pane decides. Commands the pane offers down stay here.
    if (lParam != 0 && (HWND)lParam == m_hWndToolbar)
        return ::SendMessageA(GetParent(), uMsg, wParam, lParam);
    bHandled = FALSE;
    return 0;
}

// ---- pane

LRESULT CDlgMessagePreview::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&)
{
    m_hWndFrame = GetTopLevelParent();
    m_header.Create(m_hWnd);
    if (m_toolbar.Create(m_header.m_hWnd, m_hWndFrame))
    {
        m_header.m_hWndToolbar = m_toolbar.m_hWnd;
        RECT rc = {0, 0, 100, m_toolbar.Height()};
        m_header.m_pane.Create(m_toolbar.m_host.m_hWnd, rc, NULL, WS_CHILD | WS_VISIBLE);
    }
    m_body.m_hWndOwner = m_hWndFrame;
    m_body.Create(m_hWnd);

    RECT rc;
    GetWindowRect(&rc);
    CRegistry* pRegistry = FrameRegistry(m_hWnd);
    int nHeight = pRegistry != NULL ? pRegistry->GetMessageBodyHeight() : kDefaultHeight;
    SetWindowPos(NULL, 0, 0, rc.right - rc.left, nHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    return TRUE;
}

LRESULT CDlgMessagePreview::OnSize(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    const int w = LOWORD(lParam), h = HIWORD(lParam);
    const int nHeader = m_toolbar.Height();
    if (m_header.m_hWnd != NULL)
        m_header.SetWindowPos(NULL, 0, 0, w, nHeader, SWP_NOZORDER | SWP_NOACTIVATE);
    LayOutToolbar(w);
    if (m_body.m_hWnd != NULL)
        m_body.SetWindowPos(NULL, 0, nHeader, w, std::max(0, h - nHeader), SWP_NOZORDER | SWP_NOACTIVATE);
    return 0;
}

void CDlgMessagePreview::LayOutToolbar(int nWidth)
{
    m_toolbar.LayOut(nWidth);
    if (m_header.m_pane.m_hWnd != NULL)
    {
        RECT rc;
        m_toolbar.m_host.GetClientRect(&rc);
        m_header.m_pane.SetWindowPos(NULL, 0, 0, rc.right, rc.bottom, SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

LRESULT CDlgMessagePreview::OnDestroy(UINT, WPARAM, LPARAM, BOOL&)
{
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof(placement);
    CRegistry* pRegistry = FrameRegistry(m_hWnd);
    if (pRegistry != NULL && ::GetWindowPlacement(m_hWnd, &placement))
        pRegistry->SetMessageBodyHeight(placement.rcNormalPosition.bottom - placement.rcNormalPosition.top);
    m_toolbar.Destroy();
    if (m_body.m_hWnd != NULL && ::IsWindow(m_body.m_hWnd))
        m_body.DestroyWindow();
    m_body.m_hWnd = NULL;
    if (m_header.m_hWnd != NULL && ::IsWindow(m_header.m_hWnd))
        m_header.DestroyWindow();
    m_header.m_hWnd = NULL;
    if (!m_strAttachFolder.IsEmpty())
        DeleteFolderTree(m_strAttachFolder);
    return 0;
}

LRESULT CDlgMessagePreview::OnViewMessageBody(WORD, WORD, HWND, BOOL&)
{
    const MSG* pMsg = GetCurrentMessage();
    const WPARAM wParam = pMsg->wParam;
    const LPARAM lParam = pMsg->lParam;
    m_header.SendMessage(WM_COMMAND, wParam, lParam);
    if (m_body.m_hWnd != NULL)
        m_body.SendMessage(WM_COMMAND, wParam, lParam);
    if (lParam != 0)
        ShowMessage(reinterpret_cast<CEmailsImpl<>*>(lParam));
    else
    {
        // No message (another folder is being filled): the header goes blank with the body.
        m_nEmailsID = 0;
        m_toolbar.ShowSaveButton(false);
        m_header.m_pane.SetHeader("", "", "", "", "", 0);
        RECT rc;
        m_header.GetClientRect(&rc);
        LayOutToolbar(rc.right);
    }
    return 1;
}

void CDlgMessagePreview::ShowMessage(CEmailsImpl<>* pStore)
{
    try
    {
        m_nEmailsID = pStore->m_EmailsID;
        pStore->UpdateFlagsAndSubject(m_hWndFrame);
        m_toolbar.ShowSaveButton((pStore->m_Flags & EMAIL_FLAG_ATTACHMENTS) != 0);
        m_header.m_pane.SetMessage(*pStore);
        RECT rc;
        m_header.GetClientRect(&rc);
        LayOutToolbar(rc.right + 1);
        LayOutToolbar(rc.right);
    }
    catch (COLEDBException* pException)
    {
        // A message that cannot be shown (an unknown charset index among them) is said, not passed over.
        CString strText = pException->m_strMessage;
        delete pException;
        ReportError(strText);
    }
    catch (CException* pException)
    {
        CString strText = pException->m_strMessage;
        delete pException;
        ReportError(strText);
    }
    catch (const char* pszText)
    {
        ReportError(pszText);
    }
}

void CDlgMessagePreview::ReportError(const char* pszText)
{
    CString strPrompt;
    strPrompt.Format(AtlLoadString(IDS_EMAIL_ME_REPORT), pszText);
    if (AppMessageBox(strPrompt, MB_YESNO | MB_ICONSTOP, m_hWndFrame) != IDYES)
        return;
    DWORD dwManager = 0;
    ::SendMessageA(m_hWndFrame, LetrovaGetIdThread, (WPARAM)&dwManager, 0);
    if (dwManager != 0)
        ::PostThreadMessageA(dwManager, WM_USER, kNewMessageWithReport, -2);
}

void CDlgMessagePreview::FillAttachmentMenu()
{
    CDatabaseSession* pDatabase = m_toolbar.m_pDatabase;
    if (pDatabase == NULL)
        throw "The local database is not open.";
    CEmailsImpl<> store(&pDatabase->m_session);
    store.SelectByID(m_nEmailsID, m_hWndFrame);
    // Extracted before the old folder goes, so that the new one never takes the old one's number.
    CString strFolder = store.SaveMessageToTempFile();
    if (!m_strAttachFolder.IsEmpty())
        DeleteFolderTree(m_strAttachFolder);
    m_strAttachFolder = strFolder;
    if (store.MoveNext(0, 0) == S_OK)
        throw kTooManyMessages;

    m_toolbar.ResetMenu();
    CAttachmentToolbar::s_pFilling = &m_toolbar;
    WIN32_FIND_DATAA data;
    if (strFolder.Right(1) == "\\")
        strFolder = strFolder.Left(strFolder.GetLength() - 1);
    HANDLE hFind = ::FindFirstFileA(strFolder + "\\*", &data);
    if (hFind != INVALID_HANDLE_VALUE)
    {
        do
        {
            if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
                m_toolbar.AddMenuItem(strFolder, data.cFileName);
        } while (::FindNextFileA(hFind, &data));
        ::FindClose(hFind);
    }
    CAttachmentToolbar::s_pFilling = NULL;
}

LRESULT CDlgMessagePreview::OnDropDown(int, LPNMHDR pnmh, BOOL& bHandled)
{
    if (pnmh->hwndFrom != m_toolbar.m_hWnd)
    {
        bHandled = FALSE;
        return 0;
    }
    HCURSOR hOld = ::SetCursor(::LoadCursor(NULL, IDC_WAIT));
    try
    {
        FillAttachmentMenu();
        ::SetCursor(hOld);
        NMTOOLBARA* pToolbar = reinterpret_cast<NMTOOLBARA*>(pnmh);
        RECT rc = m_toolbar.ButtonRect(pToolbar->iItem);
        ::MapWindowPoints(m_toolbar.m_hWnd, NULL, (POINT*)&rc, 2);
        TPMPARAMS params = {sizeof(params), rc};
        ::TrackPopupMenuEx(m_toolbar.Popup(), TPM_LEFTALIGN | TPM_TOPALIGN | TPM_LEFTBUTTON | TPM_VERTICAL,
                           rc.left, rc.bottom, m_hWnd, &params);
        m_toolbar.ResetMenu();
    }
    catch (COLEDBException* pException)
    {
        ::SetCursor(hOld);
        AppMessageBox(ErrorText(pException->m_strMessage), MB_ICONSTOP, m_hWndFrame);
        delete pException;
    }
    catch (CException* pException)
    {
        ::SetCursor(hOld);
        AppMessageBox(ErrorText(pException->m_strMessage), MB_ICONSTOP, m_hWndFrame);
        delete pException;
    }
    catch (const char* pszText)
    {
        ::SetCursor(hOld);
        AppMessageBox(ErrorText(pszText), MB_ICONSTOP, m_hWndFrame);
    }
    return TBDDRET_DEFAULT;
}

LRESULT CDlgMessagePreview::OnAttachment(WORD, WORD wID, HWND, BOOL&)
{
    const CAttachmentMenuItem* pItem = m_toolbar.FindItem(wID);
    if (pItem != NULL)
        CDlgVirusWarning::OpenAttachment(m_hWndFrame, pItem->strFolder, pItem->strText);
    return 0;
}

LRESULT CDlgMessagePreview::OnSaveAttachments(WORD, WORD, HWND, BOOL&)
{
    CDatabaseSession* pDatabase = m_body.OwnerDatabase();
    if (pDatabase == NULL)
        return 0;
    CEmailsImpl<> store(&pDatabase->m_session);
    try
    {
        m_body.LoadCurrentMessage(store, true);
    }
    catch (const char* pszText)
    {
        AppMessageBox(pszText, MB_ICONSTOP, m_hWndFrame);
        return 0;
    }
    CDlgSaveAttachments::Run(&store, m_hWndFrame);
    return 0;
}

LRESULT CDlgMessagePreview::OnDrawItem(UINT, WPARAM, LPARAM lParam, BOOL& bHandled)
{
    const DRAWITEMSTRUCT* pDraw = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    if (pDraw->CtlType != ODT_MENU)
    {
        bHandled = FALSE;
        return 0;
    }
    m_toolbar.DrawItem(pDraw);
    return TRUE;
}

LRESULT CDlgMessagePreview::OnMeasureItem(UINT, WPARAM, LPARAM lParam, BOOL& bHandled)
{
    MEASUREITEMSTRUCT* pMeasure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
    if (pMeasure->CtlType != ODT_MENU)
    {
        bHandled = FALSE;
        return 0;
    }
    m_toolbar.MeasureItem(pMeasure);
    return TRUE;
}

LRESULT CDlgMessagePreview::OnOtherCommand(UINT, WPARAM wParam, LPARAM lParam, BOOL&)
{
    // A toolbar button's command came up from the header area: offering it back would loop.
    const bool bFromToolbar = lParam != 0 && (HWND)lParam == m_toolbar.m_hWnd;
    if (!bFromToolbar && m_header.m_hWnd != NULL && m_header.SendMessage(WM_COMMAND, wParam, lParam) != 0)
        return 1;
    if (m_body.m_hWnd != NULL && m_body.SendMessage(WM_COMMAND, wParam, lParam) != 0)
        return 1;
    return 0;
}
