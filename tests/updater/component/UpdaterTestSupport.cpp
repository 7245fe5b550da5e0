// What the updater's tests share: the FTP peer's folders and URLs, the recorded message boxes, scratch
// folders and the object under test.
#include "UpdaterTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <mutex>

#include "foundation/ErrorUtil.h"

namespace
{

// The module the linked-in object reads its type information from: this program.
class CUpdaterTestModule : public ::testing::Environment
{
public:
    void SetUp() override
    {
        g_hUpdateResources = GetModuleHandleA(nullptr);
        m_module.Init(nullptr, GetModuleHandleA(nullptr), &LIBID_UPDATELib);
    }
    void TearDown() override { m_module.Term(); }
    CComModule m_module;
};
const ::testing::Environment* const s_pModule = ::testing::AddGlobalTestEnvironment(new CUpdaterTestModule);

std::string WindowsPath(const char* pszLinuxPath)
{
    std::string path = std::string("Z:") + (pszLinuxPath ? pszLinuxPath : "");
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

std::string ControlFolder()
{
    std::string folder = WindowsPath(getenv("ORB_FTP_CONTROL"));
    return folder + "\\";
}

std::mutex s_boxLock;
std::vector<CRecordedBox> s_boxes;
int s_answerYesNo = IDNO;

int RecordBox(const char* pszText, const char* pszCaption, UINT nStyle, HWND)
{
    std::lock_guard<std::mutex> guard(s_boxLock);
    s_boxes.push_back({pszText, pszCaption, nStyle});
    return (nStyle & 0xF) == MB_YESNO ? s_answerYesNo : IDOK;
}

} // namespace

std::string FtpRoot()
{
    return WindowsPath(getenv("ORB_FTP_ROOT")) + "\\";
}

std::string FtpUrl(const std::string& folder, const char* pszPassword)
{
    const char* pszPort = getenv("ORB_FTP_PORT");
    return std::string("ftp://updater:") + pszPassword + "@127.0.0.1:" + (pszPort ? pszPort : "21") + "/" +
           folder;
}

std::string NewServerFolder(const char* pszName)
{
    std::string name = std::string(pszName) + "-" + std::to_string(GetCurrentProcessId());
    DeleteTree(FtpRoot() + name + "\\");
    CreateDirectoryA((FtpRoot() + name).c_str(), nullptr);
    return name;
}

void WriteServerFile(const std::string& relativePath, const std::string& bytes)
{
    WriteFileBytes(FtpRoot() + relativePath, bytes);
}

void MakeServerFolder(const std::string& relativePath)
{
    CreateDirectoryA((FtpRoot() + relativePath).c_str(), nullptr);
}

void SetCut(const char* pszFileName, long nBytes)
{
    std::string path = ControlFolder() + "cut-" + pszFileName;
    if (nBytes < 0)
        DeleteFileA(path.c_str());
    else
        WriteFileBytes(path, std::to_string(nBytes));
}

void SetThrottle(long nBytesPerSecond)
{
    WriteFileBytes(ControlFolder() + "throttle", std::to_string(nBytesPerSecond));
}

std::string ReadFileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

std::string NewScratchFolder(const char* pszName)
{
    char szTemp[MAX_PATH];
    GetTempPathA(MAX_PATH, szTemp);
    std::string folder = std::string(szTemp) + pszName + "-" + std::to_string(GetCurrentProcessId()) + "\\";
    DeleteTree(folder);
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}

void DeleteTree(const std::string& folder)
{
    WIN32_FIND_DATAA data;
    HANDLE hFind = FindFirstFileA((folder + "*").c_str(), &data);
    if (hFind != INVALID_HANDLE_VALUE)
    {
        do
        {
            std::string name = data.cFileName;
            if (name == "." || name == "..")
                continue;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                DeleteTree(folder + name + "\\");
            else
                DeleteFileA((folder + name).c_str());
        } while (FindNextFileA(hFind, &data));
        FindClose(hFind);
    }
    RemoveDirectoryA(folder.c_str());
}

std::vector<std::string> FolderNames(const std::string& folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA data;
    HANDLE hFind = FindFirstFileA((folder + "*").c_str(), &data);
    if (hFind != INVALID_HANDLE_VALUE)
    {
        do
        {
            std::string name = data.cFileName;
            if (name != "." && name != "..")
                names.push_back(name);
        } while (FindNextFileA(hFind, &data));
        FindClose(hFind);
    }
    std::sort(names.begin(), names.end());
    return names;
}

CMessageBoxRecorder::CMessageBoxRecorder(int answerYesNo)
{
    std::lock_guard<std::mutex> guard(s_boxLock);
    s_boxes.clear();
    s_answerYesNo = answerYesNo;
    SetAppMessageBoxHook(RecordBox);
}

CMessageBoxRecorder::~CMessageBoxRecorder()
{
    SetAppMessageBoxHook(nullptr);
}

std::vector<CRecordedBox> CMessageBoxRecorder::Boxes() const
{
    std::lock_guard<std::mutex> guard(s_boxLock);
    return s_boxes;
}

std::vector<std::string> CMessageBoxRecorder::Texts() const
{
    std::vector<std::string> texts;
    for (const CRecordedBox& box : Boxes())
        texts.push_back(box.text);
    return texts;
}

CComPtr<ICoUpdate> NewUpdate(CoUpdate** ppObject)
{
    CComObject<CoUpdate>* pObject = nullptr;
    CComObject<CoUpdate>::CreateInstance(&pObject);
    CComPtr<ICoUpdate> pUpdate;
    if (pObject)
        pObject->QueryInterface(IID_ICoUpdate, reinterpret_cast<void**>(&pUpdate));
    if (ppObject)
        *ppObject = pObject;
    return pUpdate;
}
