// The dovecot peer's IMAP users, reached through doveadm.
#include "ImapPeer.h"

#include <cstdio>
#include <cstdlib>

const CImapUser kImapUsers[2] = {{"imapdot", "."}, {"imapfs", "/"}};

namespace
{

std::string UnixPeerDir()
{
    const char* pszValue = getenv("ORB_PEER_DIR");
    return pszValue ? pszValue : "";
}

std::string WindowsPath(const std::string& strUnix)
{
    std::string path = "Z:" + strUnix;
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path;
}

// Wine does not wait for a Linux process it started: the command leaves its exit code in a file, and the
// file's arrival ends the wait.
int RunShell(const std::string& strCommand)
{
    static LONG s_nRun = 0;
    const std::string strDone = UnixPeerDir() + "/imap-shell-" + std::to_string(GetCurrentProcessId()) + "-" +
                                std::to_string(InterlockedIncrement(&s_nRun));
    const std::string strDoneWindows = WindowsPath(strDone);
    DeleteFileA(strDoneWindows.c_str());
    std::string line = "/bin/sh -c \"" + strCommand + "; echo $? > " + strDone + ".tmp; mv " + strDone + ".tmp " +
                       strDone + "\"";
    STARTUPINFOA si = {sizeof(si)};
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(NULL, &line[0], NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi))
        return -1;
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    for (int i = 0; i < 1200; ++i)
    {
        if (FILE* pFile = fopen(strDoneWindows.c_str(), "r"))
        {
            int nCode = -1;
            if (fscanf(pFile, "%d", &nCode) != 1)
                nCode = -1;
            fclose(pFile);
            DeleteFileA(strDoneWindows.c_str());
            return nCode;
        }
        Sleep(100);
    }
    return -1;
}

} // namespace

UINT ImapPeerPort()
{
    const char* pszValue = getenv("ORB_IMAP_PORT");
    return pszValue ? static_cast<UINT>(atoi(pszValue)) : 0;
}

int Doveadm(const std::string& strArguments)
{
    return RunShell("/usr/bin/doveadm -c " + UnixPeerDir() + "/dovecot/dovecot.conf " + strArguments);
}

std::string UserMaildir(const char* pszUser)
{
    return WindowsPath(UnixPeerDir() + "/dovecot/mail/" + pszUser + "/");
}

unsigned SaveMessage(const char* pszUser, const std::string& strFolderUtf7, const std::string& strBytes)
{
    static unsigned s_nFile = 0;
    const std::string strName = "imap-save-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++s_nFile);
    const std::string strUnix = UnixPeerDir() + "/" + strName;
    HANDLE hFile = CreateFileA(WindowsPath(strUnix).c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    if (hFile == INVALID_HANDLE_VALUE)
        return 0;
    DWORD nWritten = 0;
    const bool bWritten = WriteFile(hFile, strBytes.data(), static_cast<DWORD>(strBytes.size()), &nWritten, NULL) &&
                          nWritten == strBytes.size();
    CloseHandle(hFile);
    // doveadm tells the new UID only through a search: the highest one is the message just saved.
    const std::string strOut = UnixPeerDir() + "/" + strName + ".uid";
    const int nCode = bWritten ? Doveadm("save -u " + std::string(pszUser) + " -m '" + strFolderUtf7 + "' < " + strUnix)
                               : -1;
    DeleteFileA(WindowsPath(strUnix).c_str());
    if (nCode != 0)
        return 0;
    Doveadm("search -u " + std::string(pszUser) + " mailbox '" + strFolderUtf7 + "' all > " + strOut);
    unsigned nUid = 0;
    if (FILE* pFile = fopen(WindowsPath(strOut).c_str(), "r"))
    {
        char guid[128];
        unsigned n = 0;
        while (fscanf(pFile, "%127s %u", guid, &n) == 2)
            nUid = n > nUid ? n : nUid;
        fclose(pFile);
    }
    DeleteFileA(WindowsPath(strOut).c_str());
    return nUid;
}
