// The set-up of a new message: from the compose mode and what the owner window holds, the recipients,
// subject, body or HTML document, signature, business card and attachments the window starts with.
#pragma once

#include <windows.h>

#include <mapi.h>

#include <atldbcli.h>
#include <atlstr.h>

#include "store/EmailsImpl.h"
#include "ui/compose/ComposeFields.h"

class CRegistry;

// The argument of "/n": a mode only when the whole text is a signed decimal number, else an address list
// (mode 0).
void ParseComposeArgument(const char* pszArgument, LONG& nMode, CString& strAddressList);

// Splits a recipient list at its commas and joins the entries again as "\"name\" <address>" (the address
// alone in brackets when there is no name), separated by "; ".
CString NormalizeAddressList(const CString& strList);

CString MakeReplySubject(const CString& strSubject);
CString MakeForwardSubject(const CString& strSubject);

// The editor's document for the signature (HTML already).
CString BuildInitialDocument(const CString& strCharset, const CString& strHtmlSignature);

// The charset the body's bytes are in: MLang's web charset of the ANSI code page.
CString GetAnsiWebCharset();

// Every file of the folder, in name order.
void ListFolderFiles(const CString& strFolder, std::vector<CComposeAttachment>& attachments);

// What the set-up reads besides the fields.
struct CComposeSources
{
    CSession* pLocalSession = NULL; // Options, Signatures, Accounts
    CSession* pOrbSession = NULL;   // the central database's session; NULL when it is not open
    CRegistry* pRegistry = NULL;
    CEmailsImpl<>* pMessages = NULL; // the owner's message table
    LONG nSelectedID = 0;            // the message chosen in the owner's list
    lpMapiMessage pMapiMessage = NULL;
    HWND hOwner = NULL;
};

class CComposeSetup
{
public:
    CComposeSetup(CComposeFields& fields, const CComposeSources& sources) : m_fields(fields), m_sources(sources)
    {
    }

    // The set-up in its order; a failure leaves the fields as far as they were filled and its text in
    // m_strError.
    void Run();

private:
    void ReadBusinessCard();
    CString ReadSignature();
    void FromMapiMessage();
    void ToContact();
    void ProblemReport();
    void FromSourceMessage(const CString& strSignature);
    void SetInitialBody(const CString& strSignature);
    CSession* ContactSession() const;

    CComposeFields& m_fields;
    const CComposeSources& m_sources;
    int m_bNoSignatureOnReply = 0;
};
