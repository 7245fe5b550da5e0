// The view of one message body: writes the message's view file and shows it in the page host, offers the
// Encoding menu, and marks the message read after a delay.
#pragma once

#include <windows.h>

#include <atlstr.h>

#include "store/EmailsImpl.h"
#include "store/FoldersTable.h"
#include "ui/compose/CtrlWebBrowserImpl.h"

namespace MessageBodyCommand
{
const WORD kViewMessageBody = 32797;
const WORD kDeleteMessage = 33027;
const WORD kReread = 32779;
const WORD kEncodingFirst = 33004;
const WORD kEncodingLast = 33025;
const WORD kEncodingDefault = 33025;
const WORD kOpen = 57601;
const WORD kSaveAs = 57604;
const WORD kAddSender = 33050;
const WORD kReply = 32906;
const WORD kForward = 32911;
const WORD kCloseLocalDatabase = 32030;
const WORD kUpdateMessageFlags = 32783;
} // namespace MessageBodyCommand

namespace MessageBodyText
{
const char kMessageNotFound[] = "ERROR: Message is not found";
const char kTooMuchMessages[] = "ERROR: Too much the messages";
const char kInitFailed[] = "Unhandled exception!!!\r\nCCtrlMessageBody::OnInitDialog(...)";
const char kViewFailedTrace[] = "\r\nCCtrlMessageBody::OnViewMessageBody(...) Unhandled exception!!!";
const char kViewFailed[] = "CCtrlMessageBody::OnViewMessageBody(...)\r\nUnhandled exception!!!\r\n";
const char kBodyFileName[] = "\\Body.htm";
const char kSavedMessageName[] = "\\Message.eml";
} // namespace MessageBodyText

class CCtrlMessageBody : public CCtrlWebBrowserImpl<CCtrlMessageBody>
{
    typedef CCtrlWebBrowserImpl<CCtrlMessageBody> CHost;

public:
    BEGIN_MSG_MAP(CCtrlMessageBody)
        CHAIN_MSG_MAP(CHost)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        MESSAGE_HANDLER(WM_TIMER, OnTimer)
        COMMAND_ID_HANDLER(MessageBodyCommand::kViewMessageBody, OnViewMessageBody)
        COMMAND_ID_HANDLER(MessageBodyCommand::kDeleteMessage, OnDeleteMessage)
        COMMAND_ID_HANDLER(MessageBodyCommand::kReread, OnReread)
        COMMAND_RANGE_HANDLER(MessageBodyCommand::kEncodingFirst, MessageBodyCommand::kEncodingLast, OnEncoding)
        COMMAND_ID_HANDLER(MessageBodyCommand::kCloseLocalDatabase, OnCloseLocalDatabase)
    END_MSG_MAP()

    // hWndOwner answers the "Get" messages and receives the commands. With bShowEmpty the view opens on the
    // no-message page; with bMarkReadByTimer a shown unread message is marked read after the set delay.
    CCtrlMessageBody(HWND hWndOwner, BOOL bShowEmpty = FALSE, BOOL bMarkReadByTimer = FALSE,
                     BOOL bBorder = FALSE);
    ~CCtrlMessageBody() override;

    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL& bHandled);
    LRESULT OnTimer(UINT, WPARAM wParam, LPARAM, BOOL& bHandled);
    // lParam: the message store positioned on the message, or NULL for none.
    LRESULT OnViewMessageBody(WORD, WORD, HWND, BOOL&);
    LRESULT OnViewMessageBody(CEmailsImpl<>* pMessage);
    // lParam: the EmailsID of the deleted message.
    LRESULT OnDeleteMessage(WORD, WORD, HWND, BOOL&);
    LRESULT OnReread(WORD, WORD, HWND, BOOL&);
    LRESULT OnEncoding(WORD, WORD wID, HWND, BOOL&);
    LRESULT OnCloseLocalDatabase(WORD, WORD, HWND, BOOL& bHandled);

    // The Encoding item of a charset index and back (index 0, "Default", is the last item).
    static WORD EncodingCommand(BYTE nIndex);
    static BYTE EncodingIndex(WORD wID);

    // Loads the current message into a store of the owner's database: by identifier, or from its file when
    // it is not stored. bUnique makes a second row an error.
    void LoadCurrentMessage(CEmailsImpl<>& store, bool bUnique);
    // Shows the text with the question of string 241; on Yes sends the shown message with the report.
    void OfferErrorReport(const CString& strText);

    // The database the owner answers "LetrovaGetDatabase" with; NULL when there is none.
    CDatabaseSession* OwnerDatabase() const;

    // The hand-over event the view waits for before it shows a message; the process sets it at start-up.
    static HANDLE s_hHandOverEvent;

    CFoldersTable* m_pFolders = NULL;
    LONG m_nEmailsID = -1;
    CString m_strMessageFile;
    CString m_strHtmlFile;
    CString m_strTempFolder;
    BYTE m_nEncode = 0;
    BOOL m_bShowEmpty = FALSE;
    BOOL m_bMarkReadByTimer = FALSE;
    UINT m_nTimerDelay = 0;
    // The kind of body last shown: 0 none, 1 text, 2 HTML (as the view file writer reports it).
    int m_nBodyKind = 0;

private:
    void ShowStore(CEmailsImpl<>* pMessage);
    void EnableMessageCommands(bool bEnable);
    void StartMarkReadTimer();
    void MarkRead();
};
