// The SMTP client of one connection (EHLO or HELO, AUTH LOGIN, MAIL FROM, RCPT TO, DATA) and its subclass
// that turns failures into exceptions, drives a progress bar and honours the cancel flag.
#pragma once

#include "transport/MySocket.h"
#include "transport/ReplyReader.h"
#include "transport/SmtpMessage.h"

class CSmtp
{
public:
    CSmtp(int* pnCancel = NULL, BOOL bAuthenticate = FALSE);
    virtual ~CSmtp();
    // 1 repeats the authentication; 0 gives up.
    virtual int OnRefusal(int nCode, const char* pszReply);
    virtual int OnError(int nCode, const char* pszMessage);
    virtual void OnReply(const char* pszCommand, int nCode, const char* pszReply);
    // 0 stops the transfer.
    virtual int OnProgress(int nReserved, int nSent, int nTotal);

    // TRUE when the greeting and EHLO or HELO (and AUTH LOGIN, when asked) went through.
    BOOL Connect(const char* pszServer, UINT nPort);
    int Hello();
    int Authenticate();
    int MailFrom(const char* pszAddress);
    int RcptTo(const char* pszAddress);
    // The number of accepted recipients; 0 when the envelope failed (the failure is reported, and its code is
    // in m_nEnvelopeCode).
    int SendEnvelope(const CSmtpMessage& message);
    // Dot-stuffs the text on the wire, leaves out its Bcc header and ends it: 0 or the failing code.
    int SendData(const CString& text);
    int SendBody(CSmtpMessage& message);
    // 0 when sent; otherwise the failing code, and nothing goes after DATA when the envelope failed.
    int SendMessage(CSmtpMessage& message);
    int SendMail(const char* pszFromName, const char* pszFromAddress, const char* pszTo,
                 const char* pszSubject, const char* pszBody, const char* const* ppszFiles, int nFileCount);
    // The reply code, or -1 when the command could not be sent or no whole reply came back.
    int SendCmd(const char* pszCommand, int nTrace = TRACE_FULL);

    // The text sent after DATA: lines starting with a dot get a second one, and the Bcc header is left out.
    static CString PrepareData(const CString& text);

    int m_bUseEhlo;
    int m_bAuthenticate;
    CString m_strUser;
    CString m_strPassword;
    CMySocket m_Server;
    CString m_strLastReply;
    int m_bGreeted;
    int m_bExtended;
    CString m_strContext;
    int m_nEnvelopeCode;

protected:
    void ReportFailure(int nCode);

private:
    // Reads one whole reply (every line up to the one whose code is followed by a blank); -1 when the
    // connection ended first or the server sent a line or reply past the reader's limits.
    int ReadReply();

    CLineReader m_Reader; // received text after the last whole reply
};

class CSmtpProgress : public CSmtp
{
public:
    CSmtpProgress(HWND* phWndProgress, int* pnCancel, BOOL bAuthenticate);
    virtual int OnError(int nCode, const char* pszMessage);
    virtual int OnProgress(int nReserved, int nSent, int nTotal);

    // Sends a text the caller has prepared (a stored message): 0 when sent, else the failing code.
    int SendPrepared(const CSmtpMessage& message, const CString& text);

    HWND* m_phWndProgress;
    int* m_pnCancel;
};
