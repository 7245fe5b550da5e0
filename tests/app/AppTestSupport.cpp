// Shared helpers of the application-core tests.
#include "tests/app/AppTestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>

#include "app/LetrovaGlobals.h"
#include "app/ThreadManager.h"
#include "foundation/ErrorUtil.h"
#include "foundation/WindowMessages.h"
#include "store/DatabaseDialogs.h"
#include "store/ExceptionDialog.h"
#include "tests/support/WindowReaders.h"

CRecordingUser* CRecordingUser::s_pCurrent = nullptr;
CThreadStarts* CThreadStarts::s_pCurrent = nullptr;

namespace
{
const char kSettingsKey[] = "software\\Vorn\\Letrova";

std::string TempPath(const char* pszName)
{
    char szFolder[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, szFolder);
    return std::string(szFolder) + pszName;
}

void DeleteDatabaseFiles(const std::string& strPath)
{
    for (const char* pszSuffix : {"", "-wal", "-shm", "-journal"})
        ::DeleteFileA((strPath + pszSuffix).c_str());
}

int RecordBox(const char* pszText, const char* pszCaption, UINT, HWND)
{
    CRecordingUser* pUser = CRecordingUser::s_pCurrent;
    if (pUser == nullptr)
        return IDOK;
    {
        std::lock_guard<std::mutex> lock(pUser->m_lock);
        pUser->m_boxes.push_back(pszText);
        pUser->m_captions.push_back(pszCaption);
    }
    if (pUser->m_pfnOnBox != nullptr)
        pUser->m_pfnOnBox(pszText);
    return IDOK;
}

INT_PTR CancelDialog(int, const char* pszPrompt, CString&)
{
    RecordBox(pszPrompt, "", 0, NULL);
    return IDCANCEL;
}

void RecordExceptionDialog(HWND, const char* pszText)
{
    RecordBox(pszText, "", 0, NULL);
}

void RecordThreadStart(const char* pszCmdLine)
{
    CThreadStarts* pStarts = CThreadStarts::s_pCurrent;
    if (pStarts == nullptr)
        return;
    std::lock_guard<std::mutex> lock(pStarts->m_lock);
    pStarts->m_lines.push_back(pszCmdLine);
}

struct CWindowSearch
{
    DWORD dwProcessId;
    const char* pszTitle;
    std::vector<HWND> found;
};

// The title as stored, without a message to the window's thread: a thread that is stuck must fail the
// waiting test, not hold it.
std::string StoredTitle(HWND hWnd)
{
    wchar_t szTitle[256] = {};
    ::InternalGetWindowText(hWnd, szTitle, 256);
    char szAnsi[512] = {};
    ::WideCharToMultiByte(CP_ACP, 0, szTitle, -1, szAnsi, sizeof(szAnsi), nullptr, nullptr);
    return szAnsi;
}

BOOL CALLBACK CollectWindow(HWND hWnd, LPARAM lParam)
{
    CWindowSearch* pSearch = reinterpret_cast<CWindowSearch*>(lParam);
    DWORD dwProcessId = 0;
    ::GetWindowThreadProcessId(hWnd, &dwProcessId);
    if (dwProcessId != pSearch->dwProcessId || !::IsWindowVisible(hWnd))
        return TRUE;
    if (pSearch->pszTitle == nullptr)
    {
        pSearch->found.push_back(hWnd);
        return TRUE;
    }
    if (StoredTitle(hWnd) == pSearch->pszTitle)
        pSearch->found.push_back(hWnd);
    return TRUE;
}
} // namespace

CFreshSettings::CFreshSettings(bool bUnopenableAccounts) : m_strFolder(TempPath("app-tests\\"))
{
    ::RegDeleteTreeA(HKEY_CURRENT_USER, kSettingsKey);
    ::CreateDirectoryA(m_strFolder.c_str(), nullptr);
    std::string strAccounts = m_strFolder + (bUnopenableAccounts ? "Unopenable.mdb" : "Accounts.mdb");
    std::string strLocal = m_strFolder + "email.mdb";
    std::string strCentral = m_strFolder + "Orb.mdb";
    for (const std::string& strPath : {strAccounts, strLocal, strCentral})
        DeleteDatabaseFiles(strPath);
    // A folder where the file should be: no provider opens that.
    if (bUnopenableAccounts)
        ::CreateDirectoryA(strAccounts.c_str(), nullptr);
    HKEY hKey = nullptr;
    ::RegCreateKeyExA(HKEY_CURRENT_USER, "software\\Vorn\\Letrova\\Options", 0, nullptr, 0, KEY_WRITE,
                      nullptr, &hKey, nullptr);
    const std::pair<const char*, std::string> values[] = {{"Accounts Database FileName", strAccounts},
                                                          {"Local Database File Name", strLocal},
                                                          {"Vorn Vedura Database File Name", strCentral}};
    for (const auto& value : values)
        ::RegSetValueExA(hKey, value.first, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.second.c_str()),
                         static_cast<DWORD>(value.second.size() + 1));
    // The main window would start a mail check and an update check at once: nothing leaves the machine.
    const DWORD dwOff = 0;
    for (const char* pszName : {"Check New Messages", "Internet Update When Starting"})
        ::RegSetValueExA(hKey, pszName, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dwOff), sizeof(dwOff));
    ::RegCloseKey(hKey);
}

CFreshSettings::~CFreshSettings()
{
    ::RegDeleteTreeA(HKEY_CURRENT_USER, kSettingsKey);
}

CRecordingUser::CRecordingUser()
{
    s_pCurrent = this;
    SetAppMessageBoxHook(RecordBox);
    SetDatabaseDialogHook(CancelDialog);
    SetExceptionDialogHook(RecordExceptionDialog);
}

CRecordingUser::~CRecordingUser()
{
    SetAppMessageBoxHook(nullptr);
    SetDatabaseDialogHook(nullptr);
    SetExceptionDialogHook(nullptr);
    s_pCurrent = nullptr;
}

std::vector<std::string> CRecordingUser::Boxes()
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_boxes;
}

bool CRecordingUser::WaitForBox(const std::string& strText)
{
    return WaitFor([&] {
        std::vector<std::string> boxes = Boxes();
        for (const std::string& strBox : boxes)
        {
            if (strBox == strText)
                return true;
        }
        return false;
    });
}

CThreadStarts::CThreadStarts()
{
    s_pCurrent = this;
    CLetrovaThreadManager::SetThreadStartHook(RecordThreadStart);
}

CThreadStarts::~CThreadStarts()
{
    CLetrovaThreadManager::SetThreadStartHook(nullptr);
    s_pCurrent = nullptr;
}

std::vector<std::string> CThreadStarts::Lines()
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_lines;
}

bool CThreadStarts::WaitForCount(size_t nCount)
{
    return WaitFor([&] { return Lines().size() >= nCount; });
}

bool CThreadStarts::WaitForLine(const std::string& strLine)
{
    return WaitFor([&] {
        for (const std::string& strStarted : Lines())
        {
            if (strStarted == strLine)
                return true;
        }
        return false;
    });
}

CComPtr<ILetrova> NewLetrova(CLetrova** ppObject)
{
    CComObject<CLetrova>* pObject = nullptr;
    CComObject<CLetrova>::CreateInstance(&pObject);
    CComPtr<ILetrova> pLetrova;
    if (pObject != nullptr)
        pObject->QueryInterface(IID_ILetrova, reinterpret_cast<void**>(&pLetrova));
    if (ppObject != nullptr)
        *ppObject = pObject;
    return pLetrova;
}

std::vector<HWND> ProcessWindows(DWORD dwProcessId, const char* pszTitle)
{
    CWindowSearch search = {dwProcessId, pszTitle, {}};
    ::EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::vector<HWND> OwnWindows(const char* pszTitle)
{
    return ProcessWindows(::GetCurrentProcessId(), pszTitle);
}

void CloseAllAndWait(ILetrova* pLetrova)
{
    // A window that shows only after the first look is closed too. CloseNoWarning waits without a bound, so
    // it comes once no thread but the hidden window's is left; a window that stays open fails the test.
    std::set<HWND> closed;
    bool bGone = WaitFor(
        [&] {
            for (HWND hWnd : OwnWindows())
            {
                if (closed.insert(hWnd).second)
                    ::PostMessageA(hWnd, WM_CLOSE, 0, 0);
            }
            return OwnWindows().empty() && g_nThreadCount <= 1;
        },
        60000);
    if (!bGone)
    {
        std::string strOpen;
        for (HWND hWnd : OwnWindows())
            strOpen += " \"" + StoredTitle(hWnd) + "\"";
        ADD_FAILURE() << g_nThreadCount << " threads and these windows stay open:" << strOpen;
        return;
    }
    pLetrova->CloseNoWarning();
}
