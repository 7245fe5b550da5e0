// The running instance's side of the single-instance hand-over.
#include "app/CmdLineHolder.h"

#include "app/LetrovaGlobals.h"
#include "app/ManagerCommands.h"
#include "foundation/ErrorUtil.h"
#include "foundation/File.h"
#include "foundation/FileException.h"
#include "foundation/Paths.h"
#include "foundation/WindowMessages.h"

namespace
{
const char kCmdLineFile[] = "CmdLine.txt";

bool StartsWith(const CString& strText, const char* pszPrefix)
{
    return strncmp(strText, pszPrefix, strlen(pszPrefix)) == 0;
}
} // namespace

bool CCmdLineHolder::CommandForCmdLine(const CString& strCmdLine, WPARAM& nCommand, CString& strArgument,
                                       bool& bKeepFile)
{
    bKeepFile = false;
    strArgument.Empty();
    CString strText = strCmdLine;
    if (strText.IsEmpty())
        nCommand = ID_MAIN_WINDOW_MENU;
    else if (StartsWith(strText, "/f "))
    {
        nCommand = ID_MESSAGE_WINDOW_FROM_FILE;
        strArgument = strText.Mid(3);
    }
    else if (StartsWith(strText, "/n "))
    {
        nCommand = ID_NEW_MESSAGE_MERGE;
        bKeepFile = true;
    }
    else if (StartsWith(strText, "/ma "))
    {
        nCommand = ID_MAIL_ATTACH;
        strArgument = strText.Mid(4);
    }
    else if (StartsWith(strText, "/mailurl:") || StartsWith(strText, "/m mailto:"))
    {
        if (StartsWith(strText, "/m mailto:"))
            strText = "/mailurl:" + strText.Mid(3);
        nCommand = ID_MAIL_TO;
        strArgument = strText.Mid(9);
    }
    else if (StartsWith(strText, "/vcard "))
    {
        nCommand = ID_VCARD;
        strArgument = strText.Mid(6);
    }
    // The address book, a send-and-receive run and a stored message: without these a second start's
    // request was refused while the caller had been told that it was taken.
    else if (strText == "/a")
        nCommand = 0;
    else if (strText == "/p")
        nCommand = ID_SEND_RECEIVE;
    else if (StartsWith(strText, "/p "))
    {
        nCommand = ID_SEND_MESSAGE;
        strArgument = strText.Mid(3);
    }
    else if (StartsWith(strText, "/m "))
    {
        nCommand = ID_MESSAGE;
        strArgument = strText.Mid(3);
    }
    else
        return false;
    return true;
}

LRESULT CCmdLineHolder::OnAreYouMe()
{
    try
    {
        CString strPath = GetTempFolder() + kCmdLineFile;
        {
            CFile file(strPath, CFile::modeRead | CFile::shareDenyNone);
            DWORD nLength = file.GetLength();
            file.Read(m_strCmdLine.GetBuffer(static_cast<int>(nLength)), nLength);
            m_strCmdLine.ReleaseBuffer(static_cast<int>(nLength));
        }
        DebugTrace("\r\nCMainFrameBase::OnAreYouMe(); m_strCmdLine = %s", m_strCmdLine.GetString());
        WPARAM nCommand = 0;
        CString strArgument;
        bool bKeepFile = false;
        if (!CommandForCmdLine(m_strCmdLine, nCommand, strArgument, bKeepFile))
            AppMessageBox(
                CString("STDMETHODIMP CMainFrameBase::OnAreYouMe(...). Unknown command line:\r\n\r\n") +
                    m_strCmdLine,
                MB_ICONSTOP, NULL);
        else if (nCommand == ID_MESSAGE_WINDOW_FROM_FILE || nCommand == ID_MAIL_ATTACH ||
                 nCommand == ID_MAIL_TO || nCommand == ID_VCARD)
            PostTextCommand(m_dwManagerThreadId, nCommand, strArgument);
        else
            ::PostThreadMessageA(m_dwManagerThreadId, WM_USER, nCommand, atol(strArgument));
        if (!bKeepFile)
            CFile::Remove(strPath);
    }
    catch (CFileException* pException)
    {
        ShowFileException(pException, true);
    }
    catch (...)
    {
        AppMessageBox("STDMETHODIMP CMainFrameBase::OnAreYouMe(...). Unhandled exception!!!", MB_ICONSTOP,
                      NULL);
    }
    return LetrovaAreYouMe;
}
