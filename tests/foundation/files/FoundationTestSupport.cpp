// Test helpers of the foundation tests.
#include "FoundationTestSupport.h"

#include <fstream>
#include <mutex>
#include <sstream>

#include "foundation/ErrorUtil.h"

namespace
{
std::mutex g_lock;
std::vector<RecordedBox> g_boxes;
int g_nAnswer = IDOK;
std::vector<std::string> g_lines;

int RecordBox(const char* pszText, const char* pszCaption, UINT nStyle, HWND hWndOwner)
{
    std::lock_guard<std::mutex> lock(g_lock);
    g_boxes.push_back(RecordedBox{pszText, pszCaption, nStyle, hWndOwner});
    return g_nAnswer;
}

void RecordLine(const char* pszText)
{
    std::lock_guard<std::mutex> lock(g_lock);
    g_lines.push_back(pszText);
}

void RemoveTree(const std::string& strPath)
{
    WIN32_FIND_DATAA findData;
    HANDLE hFind = ::FindFirstFileA((strPath + "\\*").c_str(), &findData);
    if (hFind != INVALID_HANDLE_VALUE)
    {
        do
        {
            std::string strName = findData.cFileName;
            if (strName == "." || strName == "..")
                continue;
            std::string strChild = strPath + "\\" + strName;
            ::SetFileAttributesA(strChild.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (findData.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(strChild);
            else
                ::DeleteFileA(strChild.c_str());
        } while (::FindNextFileA(hFind, &findData));
        ::FindClose(hFind);
    }
    ::RemoveDirectoryA(strPath.c_str());
}
} // namespace

CScratchFolder::CScratchFolder()
{
    char szTemp[MAX_PATH] = "";
    ::GetTempPathA(MAX_PATH, szTemp);
    static LONG s_nNext = 0;
    std::ostringstream path;
    path << szTemp << "foundation-test-" << ::GetCurrentProcessId() << "-"
         << ::InterlockedIncrement(&s_nNext);
    m_strPath = path.str();
    RemoveTree(m_strPath);
    ::CreateDirectoryA(m_strPath.c_str(), NULL);
}

CScratchFolder::~CScratchFolder()
{
    RemoveTree(m_strPath);
}

std::string CScratchFolder::Path(const std::string& strName) const
{
    return strName.empty() ? m_strPath : m_strPath + "\\" + strName;
}

void WriteWholeFile(const std::string& strPath, const std::string& strContent)
{
    std::ofstream out(strPath.c_str(), std::ios::binary | std::ios::trunc);
    out << strContent;
}

std::string ReadWholeFile(const std::string& strPath)
{
    std::ifstream in(strPath.c_str(), std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

CMessageBoxRecorder::CMessageBoxRecorder(int nAnswer)
{
    std::lock_guard<std::mutex> lock(g_lock);
    g_boxes.clear();
    g_nAnswer = nAnswer;
    SetAppMessageBoxHook(RecordBox);
}

CMessageBoxRecorder::~CMessageBoxRecorder()
{
    SetAppMessageBoxHook(NULL);
}

std::vector<RecordedBox> CMessageBoxRecorder::Boxes() const
{
    std::lock_guard<std::mutex> lock(g_lock);
    return g_boxes;
}

void CMessageBoxRecorder::SetAnswer(int nAnswer)
{
    std::lock_guard<std::mutex> lock(g_lock);
    g_nAnswer = nAnswer;
}

CDebugOutputRecorder::CDebugOutputRecorder()
{
    std::lock_guard<std::mutex> lock(g_lock);
    g_lines.clear();
    SetDebugOutputHook(RecordLine);
}

CDebugOutputRecorder::~CDebugOutputRecorder()
{
    SetDebugOutputHook(NULL);
}

std::vector<std::string> CDebugOutputRecorder::Lines() const
{
    std::lock_guard<std::mutex> lock(g_lock);
    return g_lines;
}

namespace
{
std::string GetVariable(const char* pszName)
{
    char szValue[MAX_PATH * 2] = "";
    DWORD n = ::GetEnvironmentVariableA(pszName, szValue, sizeof(szValue));
    return (n > 0 && n < sizeof(szValue)) ? std::string(szValue) : std::string();
}
} // namespace

CTempRedirect::CTempRedirect() : m_strOldTmp(GetVariable("TMP")), m_strOldTemp(GetVariable("TEMP"))
{
    ::SetEnvironmentVariableA("TMP", m_folder.Path().c_str());
    ::SetEnvironmentVariableA("TEMP", m_folder.Path().c_str());
}

CTempRedirect::~CTempRedirect()
{
    ::SetEnvironmentVariableA("TMP", m_strOldTmp.empty() ? NULL : m_strOldTmp.c_str());
    ::SetEnvironmentVariableA("TEMP", m_strOldTemp.empty() ? NULL : m_strOldTemp.c_str());
}

std::string CTempRedirect::TempPath() const
{
    return m_folder.Path() + "\\";
}
