// The reconnecting open shared by the table classes.
#include "store/TableBase.h"

#include <memory>

#include "foundation/ErrorUtil.h"
#include "store/DatabaseSession.h"
#include "store/OLEDBException.h"
#include "store/StoreTexts.h"

namespace
{
// A disk error that survives this many reopens is not going away by itself.
const int kMaxReconnects = 3;
const DWORD kJetDiskIO = 5003043;

HWND s_hWndMainFrame = NULL;
} // namespace

void SetStoreMainFrame(HWND hWndMainFrame)
{
    s_hWndMainFrame = hWndMainFrame;
}

void PostUpdateToMainFrame()
{
    if (s_hWndMainFrame == NULL || !IsWindow(s_hWndMainFrame))
        return;
    static const UINT s_uGetIdThread = RegisterWindowMessageA("LetrovaGetIdThread");
    DWORD dwThreadId = 0;
    SendMessageA(s_hWndMainFrame, s_uGetIdThread, (WPARAM)&dwThreadId, 0);
    if (dwThreadId != 0)
        PostThreadMessageA(dwThreadId, WM_USER, ID_UPDATE, 0);
}

bool ReconnectAfterFailure(ICommand* pCommand, HRESULT hr, CSession* pSession, HWND hOwner,
                           const char* pszSQL, int nAttempt)
{
    CString strText = CString(StoreText::kOpenTableFailed) + (pszSQL != NULL ? pszSQL : "") + "\r\n\r\n";
    std::unique_ptr<COLEDBException> pException(new COLEDBException(pCommand, IID_ICommand, strText, pSession,
                                                                    hOwner, FALSE, NULL, FALSE, FALSE, hr));
    for (const COLEDBException::CErrorRecord& record : pException->m_records)
    {
        if (record.dwHelpContext != kJetDiskIO)
            continue;
        if (nAttempt > kMaxReconnects)
        {
            CString strGaveUp;
            strGaveUp.Format(StoreText::kReconnectGaveUp, kMaxReconnects);
            pException->m_strMessage += strGaveUp;
            break;
        }
        CString strQuestion = strText + record.strDescription + "\r\n\r\n" + StoreText::kContinueQuestion;
        if (AppMessageBox(strQuestion, MB_YESNO | MB_ICONQUESTION, hOwner) != IDYES)
            break;
        CDatabaseSession* pDatabase = FindDatabaseBySession(pSession);
        if (pDatabase == NULL)
            break;
        pException.reset();
        pDatabase->Close();
        pDatabase->Open(NULL);
        PostUpdateToMainFrame();
        return true;
    }
    pException->ShowDialog(hOwner != NULL ? hOwner : GetActiveWindow());
    throw pException.release();
}
