// Puts recorders in place of the system seams for the life of the object and tells what the program called.
#include "tests/support/SeamRecorder.h"

#include "tests/support/WindowReaders.h"

static CSeamRecorder* s_pRecorder = NULL;

static std::string Text(LPCSTR psz)
{
    return psz == NULL ? "(null)" : IS_INTRESOURCE(psz) ? "#" + std::to_string((UINT_PTR)psz) : psz;
}

CSeamRecorder::CSeamRecorder()
{
    m_pfnNotifyIcon = CSystemSeams::NotifyIcon;
    m_pfnPlaySound = CSystemSeams::PlaySoundFile;
    m_pfnShellExecute = CSystemSeams::ShellExecuteFile;
    m_pfnHtmlHelp = CSystemSeams::ShowHtmlHelp;
    m_pfnPrintDocument = CSystemSeams::PrintDocument;
    s_pRecorder = this;
    CSystemSeams::NotifyIcon = RecordNotifyIcon;
    CSystemSeams::PlaySoundFile = RecordPlaySound;
    CSystemSeams::ShellExecuteFile = RecordShellExecute;
    CSystemSeams::ShowHtmlHelp = RecordHtmlHelp;
    CSystemSeams::PrintDocument = RecordPrintDocument;
}

CSeamRecorder::~CSeamRecorder()
{
    CSystemSeams::NotifyIcon = m_pfnNotifyIcon;
    CSystemSeams::PlaySoundFile = m_pfnPlaySound;
    CSystemSeams::ShellExecuteFile = m_pfnShellExecute;
    CSystemSeams::ShowHtmlHelp = m_pfnHtmlHelp;
    CSystemSeams::PrintDocument = m_pfnPrintDocument;
    s_pRecorder = NULL;
}

std::vector<CSeamRecorder::Call> CSeamRecorder::Calls() const
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_calls;
}

bool CSeamRecorder::WaitForCall(const char* pszSeam, DWORD dwTimeoutMs, Call* pFound) const
{
    return WaitFor(
        [&] {
            std::lock_guard<std::mutex> guard(m_lock);
            for (const Call& call : m_calls)
            {
                if (call.strSeam == pszSeam)
                {
                    if (pFound != NULL)
                        *pFound = call;
                    return true;
                }
            }
            return false;
        },
        dwTimeoutMs);
}

void CSeamRecorder::Add(const char* pszSeam, const std::string& strDetail)
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_calls.push_back({pszSeam, strDetail});
}

// "NIM_ADD|NIM_MODIFY|NIM_DELETE id=<uID> tip=<szTip>"
BOOL WINAPI CSeamRecorder::RecordNotifyIcon(DWORD dwMessage, PNOTIFYICONDATAA pData)
{
    const char* pszMessage = dwMessage == NIM_ADD      ? "NIM_ADD"
                             : dwMessage == NIM_MODIFY ? "NIM_MODIFY"
                             : dwMessage == NIM_DELETE ? "NIM_DELETE"
                                                       : "NIM_OTHER";
    std::string strDetail = std::string(pszMessage) + " id=" + std::to_string(pData ? pData->uID : 0);
    if (pData != NULL && (pData->uFlags & NIF_TIP))
        strDetail += std::string(" tip=") + pData->szTip;
    s_pRecorder->Add("NotifyIcon", strDetail);
    return s_pRecorder->m_bNotifyIconResult;
}

// "<sound name or #resource id> flags=<hex>"
BOOL WINAPI CSeamRecorder::RecordPlaySound(LPCSTR pszSound, HMODULE, DWORD dwFlags)
{
    char szFlags[16];
    wsprintfA(szFlags, "%lx", dwFlags);
    s_pRecorder->Add("PlaySoundFile", Text(pszSound) + " flags=" + szFlags);
    return TRUE;
}

// "<verb>|<file>|<parameters>|<directory>|<show command>"
HINSTANCE WINAPI CSeamRecorder::RecordShellExecute(HWND, LPCSTR pszVerb, LPCSTR pszFile, LPCSTR pszParameters,
                                                   LPCSTR pszDirectory, INT nShowCmd)
{
    s_pRecorder->Add("ShellExecuteFile", Text(pszVerb) + "|" + Text(pszFile) + "|" + Text(pszParameters) +
                                             "|" + Text(pszDirectory) + "|" + std::to_string(nShowCmd));
    return s_pRecorder->m_hShellExecuteResult;
}

// "<file>|<command>"
HWND WINAPI CSeamRecorder::RecordHtmlHelp(HWND, LPCSTR pszFile, UINT uCommand, DWORD_PTR)
{
    s_pRecorder->Add("ShowHtmlHelp", Text(pszFile) + "|" + std::to_string(uCommand));
    return s_pRecorder->m_hHtmlHelpResult;
}

// "ui=1" or "ui=0"
HRESULT CSeamRecorder::RecordPrintDocument(IDispatch*, bool bWithUserInterface)
{
    s_pRecorder->Add("PrintDocument", bWithUserInterface ? "ui=1" : "ui=0");
    return s_pRecorder->m_hrPrintResult;
}
