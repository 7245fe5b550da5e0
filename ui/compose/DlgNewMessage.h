// The compose dialog that fills the new-message frame: address fields, subject, attachments and the body,
// its set-up from the compose mode, and sending or saving what it holds.
#pragma once

#include <windows.h>

#include <commctrl.h>
#include <mapi.h>

#include <atlbase.h>
#include <atlstr.h>
#include <atlwin.h>

#include <memory>

#include "resources/resource.h"
#include "ui/compose/AttachmentList.h"
#include "ui/compose/ComposeFields.h"
#include "ui/compose/CtrlEdit.h"
#include "ui/compose/CtrlMessageBody.h"
#include "ui/compose/DHTMLEditHost.h"

class CDatabaseMy;
class CRegistry;

// What the thread that opens the window hands to it.
struct CNewMessageArgs
{
    CString strArgument;  // "/n": a mode or an address list
    CString strAttachPath; // "/ma "
    lpMapiMessage pMapiMessage = NULL;
    HANDLE hHandOverEvent = NULL; // the main window's list hand-over
};

class CDlgNewMessage : public CDialogImpl<CDlgNewMessage>
{
public:
    enum
    {
        IDD = IDD_NEW_MESSAGE
    };

    BEGIN_MSG_MAP(CDlgNewMessage)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        MESSAGE_HANDLER(WM_SIZE, OnSize)
        MESSAGE_HANDLER(WM_NOTIFY, OnNotify)
        MESSAGE_HANDLER(WM_COMMAND, OnCommand)
        MESSAGE_HANDLER(WM_CTLCOLOREDIT, OnCtlColorEdit)
        MESSAGE_HANDLER(WM_DRAWITEM, OnDrawItem)
    END_MSG_MAP()

    CDlgNewMessage(const CNewMessageArgs& args, DWORD dwManagerThreadId);
    ~CDlgNewMessage();

    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnSize(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnNotify(UINT, WPARAM, LPARAM lParam, BOOL& bHandled);
    LRESULT OnCommand(UINT, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnCtlColorEdit(UINT, WPARAM, LPARAM, BOOL& bHandled);
    // The recipient and My Business Card buttons: their pictures on a push button face.
    LRESULT OnDrawItem(UINT, WPARAM, LPARAM lParam, BOOL& bHandled);

    // Sending: both checks pass, the message is stored in the Outbox and the window closes.
    bool CanSend();
    // Builds and stores the message in the folder of that Type; its Emails ID, 0 when nothing was stored.
    LONG StoreMessage(int nFolderType, BOOL bIndividual);
    // With an ID: hides the frame, has the send run send its account's Outbox and closes; 1 (the window
    // stays) for 0.
    int CloseAfterSend(LONG nEmailsID);

    // Whether closing must ask to save: the window was opened on a draft, or anything was edited.
    bool HasChanges() const;
    // The window's contents as the record that storing reads.
    void ReadFields();
    void Relayout();
    bool IsSourceVisible() const;
    bool IsEditTabSelected() const;
    bool IsHtml() { return m_fields.IsHtmlEditing(); }
    // Edit tab: the editor; Source: the HTML-source edit; Preview: the page; in plain text the body edit.
    void ShowBodyPane();
    void OnTabChanged();
    // Switches between HTML and plain text; false when the switch was refused or cancelled.
    bool SwitchToHtml();
    bool SwitchToPlain();

    int m_nPriorityCommand;
    int m_bSent = 0;
    int m_bChanged = 0;
    int m_bAnnounceSpelling = 1;
    HANDLE m_hWorker = NULL;
    HANDLE m_hWorkerEvent = NULL;
    HWND m_hWndFrame = NULL;
    CComposeFields m_fields;
    CNewMessageArgs m_args;
    DWORD m_dwManagerThreadId;
    CDatabaseMy* m_pDatabaseMy = NULL;
    CRegistry* m_pRegistry = NULL;

    CEditAddress m_editTo, m_editCc, m_editBcc;
    CCtrlEdit m_editSubject, m_editBody, m_editSource;
    CAttachmentList m_attachments;
    CDHTMLEditHost m_editor;
    std::unique_ptr<CCtrlMessageBody> m_pPreview;
    int m_bDocumentCompleted = 0;
    int m_bDownloadComplete = 0;
    int m_bDefaultFocusDone = 0;
    HBRUSH m_hMenuBrush = NULL;
    HBITMAP m_hRecipientsBitmap = NULL, m_hAccountsBitmap = NULL, m_hCardBitmap = NULL;
    bool m_bSettingUp = true;

    // Shared by every compose window of the process.
    static int s_bAllHeaders;
    static int s_bSourceEdit;

private:
    void SetUp();
    void ShowFields();
    void SetPriority(int nCommand);
    void SetRecipientField(CEditAddress& edit, const CString& strText);
    void AttachFiles();
    // A recipient button: the Select Recipients dialog over that field's list.
    void ChooseRecipients(WORD nButton);
    // The From button: the accounts dialog, then the From list read again.
    void EditAccounts();
    void ShowCardMenu();
    // The user's own card in contact Properties.
    void OpenMyCard();
    // Business Card...: the chosen contacts' cards written as vCard files and attached.
    void AttachBusinessCards();
    void InsertAtCaret(const CString& strText);
    void InsertSignature();
    void OnDocumentComplete();
    // The editor's share of the commands; 0 when it is not one of its commands.
    LRESULT EditorCommand(WORD nID, LPARAM lParam);
    LRESULT RouteToChildren(WPARAM wParam, LPARAM lParam, BOOL& bHandled);
};
