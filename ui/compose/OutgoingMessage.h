// Sending from the compose window: the fields made into a MIME message, stored in the Outbox or Drafts with
// its recipients and attachments, and handed to the main window and the thread manager.
#pragma once

#include <windows.h>

#include <atldbcli.h>
#include <atlstr.h>

#include "transport/SmtpMessage.h"
#include "ui/compose/ComposeFields.h"

// The message whose flags the main window re-reads on ID_UPDATE_MESSAGE_FLAGS.
void SetUpdatedMessageFlags(LONG nEmailsID, LONG nFlags);
void GetUpdatedMessageFlags(LONG& nEmailsID, LONG& nFlags);

// What storing needs besides the fields.
struct CStoreTarget
{
    CSession* pLocalSession = NULL;
    HWND hOwner = NULL;
    DWORD dwManagerThreadId = 0; // the thread manager's thread
    DWORD dwMainThreadId = 0;    // the thread of the window that shows the source message
    HANDLE hHandOverEvent = NULL;
    LONG nMerge = 0;         // ID_GET_MACRO
    LONG nMergeContacts = 0; // ID_GET_MACRO_CONTACTS
    int bIncludeBusinessCard = 0;
    LONG nBusinessCardID = -1;
};

// A new content identifier: a GUID as "%08lX-%04X-%04x-%02X%02X-%02X%02X%02X%02X%02X%02X".
CString MakeContentId();

// The HTML's local images (file: URLs and paths; other schemes stay) become "cid:" references with inline
// attachments; then each "<?xml ... />" instruction is cut. False when an image file is empty (the box is
// shown), and nothing is to be sent.
bool PrepareHtmlBody(CString& strHtml, const CString& strCharset, CSmtpMessage& message, HWND hOwner);

class COutgoingMessage
{
public:
    COutgoingMessage(CComposeFields& fields, const CStoreTarget& target) : m_fields(fields), m_target(target) {}

    // Builds, stores and announces the message in the folder of that Type (2 Outbox, 5 Drafts); returns its
    // Emails ID, 0 when a stop left nothing stored.
    LONG StoreMessage(int nFolderType, BOOL bIndividual);

    // The message as built by the last StoreMessage (for tests and the error report).
    CString m_strMime;

private:
    bool AddRecipients(const CString& strText, std::vector<CSmtpContentType>& list, bool& bCancelled);

    CComposeFields& m_fields;
    const CStoreTarget& m_target;
};
