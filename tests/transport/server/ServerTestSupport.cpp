// What these tests share: Windows Sockets and COM for every test, the loopback peers of ./test, the Python
// clients, and a recorder of message boxes that may come from any thread.
#include "ServerTestSupport.h"

#include <winsock.h>

#include <cstdlib>

#include <gtest/gtest.h>

#include "WindowReaders.h"
#include "foundation/ErrorUtil.h"

CAppModule _Module;

namespace
{

class CSocketsEnvironment : public ::testing::Environment
{
public:
    void SetUp() override
    {
        CoInitialize(NULL);
        WSADATA data;
        WSAStartup(MAKEWORD(1, 1), &data);
    }
    void TearDown() override
    {
        WSACleanup();
        CoUninitialize();
    }
};

const ::testing::Environment* const s_pEnvironment =
    ::testing::AddGlobalTestEnvironment(new CSocketsEnvironment);

std::mutex s_BoxLock;
std::vector<std::string> s_BoxTexts;
int s_nBoxAnswer = IDOK;

} // namespace

std::string RunPythonClient(const std::vector<std::string>& arguments)
{
    static int s_nRun = 0;
    char szOut[MAX_PATH];
    wsprintfA(szOut, "/tmp/orb-server-tests-%lu-%d.out", GetCurrentProcessId(), ++s_nRun);
    std::string strWindowsOut = std::string("Z:") + szOut;
    for (char& c : strWindowsOut)
    {
        if (c == '/')
            c = '\\';
    }
    std::string strCommand = std::string("/usr/bin/python3 " ORB_TEST_SOURCE_DIR "/http_clients.py ") + szOut;
    for (const std::string& argument : arguments)
        strCommand += " " + argument;
    STARTUPINFOA si = {sizeof(si)};
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(NULL, &strCommand[0], NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi))
        return std::string();
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    WaitFor([&] { return FileExists(strWindowsOut); }, 30000);
    const std::string strOutput = ReadWholeFile(strWindowsOut);
    DeleteFileA(strWindowsOut.c_str());
    return strOutput;
}

CBoxRecorder::CBoxRecorder(int nAnswer)
{
    std::lock_guard<std::mutex> lock(s_BoxLock);
    s_BoxTexts.clear();
    s_nBoxAnswer = nAnswer;
    m_pfnPrevious = SetAppMessageBoxHook(Hook);
}

CBoxRecorder::~CBoxRecorder()
{
    SetAppMessageBoxHook(m_pfnPrevious);
}

std::vector<std::string> CBoxRecorder::Texts() const
{
    std::lock_guard<std::mutex> lock(s_BoxLock);
    return s_BoxTexts;
}

size_t CBoxRecorder::Count() const
{
    std::lock_guard<std::mutex> lock(s_BoxLock);
    return s_BoxTexts.size();
}

int CBoxRecorder::Hook(const char* pszText, const char*, UINT, HWND)
{
    std::lock_guard<std::mutex> lock(s_BoxLock);
    s_BoxTexts.push_back(pszText ? pszText : "");
    return s_nBoxAnswer;
}
