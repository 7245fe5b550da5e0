// What a compose window holds, as a plain record: the set-up fills it, the dialog shows it, sending reads it.
#pragma once

#include <windows.h>

#include <atlstr.h>

#include <vector>

// One row of the attachment list: a file in a folder.
struct CComposeAttachment
{
    CString m_strFolder;
    CString m_strName;
    CString GetPath() const { return m_strFolder + "\\" + m_strName; }
};

// The compose modes of "/n".
enum ComposeMode
{
    COMPOSE_NEW = 0,
    COMPOSE_REPLY = -1,
    COMPOSE_PROBLEM_REPORT = -2,
    COMPOSE_ERROR_REPORT = -3,
    COMPOSE_FORWARD = -4,
    COMPOSE_EDIT_DRAFT = -5,
};

class CComposeFields
{
public:
    LONG m_nMode = COMPOSE_NEW;
    CString m_strAddressList; // the address list of the command line, or empty

    // The window's fields.
    CString m_strTo;
    CString m_strCc;
    CString m_strBcc;
    CString m_strSubject;
    CString m_strPlainBody;    // the plain-text body edit
    CString m_strHtmlDocument; // the editor's document, or the HTML taken from it for sending
    int m_bToReadOnly = 0;     // a long mail-merge list: To shows a cut copy and m_strAddressList is sent
    std::vector<CComposeAttachment> m_attachments;
    LONG m_nAccountID = 0; // the From combo's selection
    int m_nPriority = 1;   // 0 high, 1 normal, 2 low
    CString m_strAlternativeText;

    // The dialog's members.
    CString m_strCharset;
    CString m_strAttachFolder;
    int m_bLoadSourceHtml = 0;
    int m_bDocumentSet = 0;
    CString m_strFrom, m_strSent, m_strSourceTo, m_strSourceCc, m_strSourceSubject, m_strBody;
    int m_nBodyKind = 0;
    int m_bReadReceipt = 0;
    int m_bBusinessCard = 0;
    int m_bHtml = 0; // the HTML option; see IsHtmlEditing
    int m_bEditor = 0; // the DHTML editor exists
    LONG m_nSourceID = 0; // the stored message a reply, forward or draft came from
    CString m_strAttachPath; // "/ma " file
    CString m_strError;      // shown in a message box at the end of the set-up
    int m_bCloseWindow = 0;  // no account and the wizard declined

    // HTML editing: the option is on and the editor exists (the option is switched off when it does not).
    bool IsHtmlEditing()
    {
        if (m_bHtml && !m_bEditor)
            m_bHtml = 0;
        return m_bHtml != 0;
    }
};
