// The SMTP client of one connection (EHLO or HELO, AUTH LOGIN, MAIL FROM, RCPT TO, DATA) and its subclass
// that turns failures into exceptions, drives a progress bar and honours the cancel flag.
#include "transport/Smtp.h"

#include <commctrl.h>

#include <cstdlib>
#include <cstring>

#include "foundation/Base64.h"
#include "foundation/ErrorUtil.h"
#include "foundation/Exception.h"
#include "transport/HeaderRewrite.h"
#include "transport/TransportTexts.h"

namespace
{

const int kPieceLength = 490;
const int kReceiveLength = 1024;

// The word of an AUTH LOGIN challenge: servers send "Username:", "User Name" or "User Name\0", and the like
// for the password, so blanks, colons and zero bytes are left out.
CString ChallengeWord(const unsigned char* pText, unsigned nLength)
{
    CString word;
    for (unsigned i = 0; i < nLength; ++i)
    {
        const char c = static_cast<char>(pText[i]);
        if (c != ' ' && c != ':' && c != 0)
            word += c;
    }
    return word;
}

} // namespace

CSmtp::CSmtp(int* pnCancel, BOOL bAuthenticate)
    : m_bUseEhlo(1), m_bAuthenticate(bAuthenticate), m_Server(pnCancel), m_bGreeted(0), m_bExtended(0),
      m_nEnvelopeCode(0)
{
    m_Server.Init();
    m_Server.Create(0, SOCK_STREAM, SOCKET_ALL_EVENTS);
}

CSmtp::~CSmtp()
{
    m_Server.Close();
    m_Server.Term();
}

int CSmtp::OnRefusal(int, const char*)
{
    return 0;
}

int CSmtp::OnError(int, const char*)
{
    return 0;
}

void CSmtp::OnReply(const char*, int, const char*)
{
}

int CSmtp::OnProgress(int, int, int)
{
    return 1;
}

void CSmtp::ReportFailure(int nCode)
{
    if (nCode == -1)
        m_bGreeted = 0;
    const CString message = m_strContext + m_strLastReply;
    OnError(nCode, message);
}

BOOL CSmtp::Connect(const char* pszServer, UINT nPort)
{
    m_Server.Connect(pszServer, nPort);
    const int nCode = SendCmd(NULL);
    if (nCode != 220)
    {
        ReportFailure(nCode);
        return FALSE;
    }
    // Hello gives -1 when the connection broke: only 0 means ready.
    return Hello() == 0;
}

int CSmtp::Hello()
{
    char szName[64] = {0};
    DWORD nName = sizeof(szName);
    if (!GetComputerNameA(szName, &nName))
        lstrcpyA(szName, "localhost");
    CString command;
    command.Format("EHLO %s\r\n", szName);
    int nCode;
    if (m_bUseEhlo)
    {
        nCode = SendCmd(command);
        m_bExtended = nCode == 250;
        if (nCode != 250)
        {
            command.SetAt(0, 'H');
            command.SetAt(1, 'E');
            nCode = SendCmd(command);
        }
    }
    else
    {
        m_bExtended = 0;
        command.SetAt(0, 'H');
        command.SetAt(1, 'E');
        nCode = SendCmd(command);
    }
    if (nCode != 250)
    {
        ReportFailure(nCode);
        return nCode;
    }
    m_bGreeted = 1;
    if (m_bExtended && m_bAuthenticate)
        Authenticate();
    return 0;
}

int CSmtp::Authenticate()
{
    for (;;)
    {
        if (m_strUser.IsEmpty())
            return 0;
        int nCode = SendCmd("AUTH LOGIN\r\n");
        if (nCode == 250)
            nCode = SendCmd(NULL);
        if (nCode != 334)
        {
            OnRefusal(nCode, m_strLastReply);
            return nCode;
        }
        bool bRestart = false;
        while (nCode == 334)
        {
            CString line = m_strLastReply;
            line.TrimRight("\r\n");
            const int nBreak = line.ReverseFind('\n');
            if (nBreak >= 0)
                line = line.Mid(nBreak + 1);
            CBase64 coder;
            coder.DecodeText(line.GetLength() > 4 ? static_cast<const char*>(line.Mid(4)) : "");
            const CString challenge = ChallengeWord(coder.GetDecoded(), coder.m_nDecodedLength);
            const CString* pAnswer;
            if (challenge.CompareNoCase("Username") == 0)
                pAnswer = &m_strUser;
            else if (challenge.CompareNoCase("Password") == 0)
                pAnswer = &m_strPassword;
            else
            {
                ReportFailure(nCode);
                return nCode;
            }
            CBase64 answer;
            answer.EncodeText(*pAnswer);
            const CString command = CString(answer.GetEncoded(), answer.m_nEncodedLength) + "\r\n";
            nCode = SendCmd(command, TRACE_SECRET);
            if (nCode == 535)
            {
                const int nAnswer = OnRefusal(535, m_strLastReply);
                if (nAnswer == 0)
                {
                    ReportFailure(535);
                    return 535;
                }
                if (nAnswer == 1)
                {
                    bRestart = true;
                    break;
                }
                nCode = nAnswer;
            }
        }
        if (bRestart)
            continue;
        if (nCode == 235)
            return 0;
        ReportFailure(nCode);
        return nCode;
    }
}

int CSmtp::MailFrom(const char* pszAddress)
{
    CString command;
    command.Format("MAIL FROM: <%s>\r\n", pszAddress);
    int nCode = SendCmd(command);
    // One more log-on at most: a server that keeps asking would otherwise be asked for ever.
    if (nCode == 530)
    {
        Authenticate();
        nCode = SendCmd(command);
    }
    if (nCode != 250)
    {
        ReportFailure(nCode);
        return nCode;
    }
    return 0;
}

int CSmtp::RcptTo(const char* pszAddress)
{
    m_strContext.Format("RCPT TO: <%s>\r\n", pszAddress);
    const int nCode = SendCmd(m_strContext);
    if (nCode == 250 || nCode == 251)
        return 0;
    OnRefusal(nCode, m_strLastReply);
    return nCode;
}

int CSmtp::SendEnvelope(const CSmtpMessage& message)
{
    m_nEnvelopeCode = -1;
    if (message.m_From.m_strAddress.IsEmpty() || (message.m_To.empty() && message.m_Cc.empty()))
        return 0;
    const int nFrom = MailFrom(message.m_From.m_strAddress);
    if (nFrom != 0)
    {
        m_nEnvelopeCode = nFrom;
        return 0;
    }
    int nAccepted = 0;
    int nLast = -1;
    const std::vector<CSmtpContentType>* lists[] = {&message.m_To, &message.m_Cc, &message.m_Bcc};
    for (const auto* pList : lists)
    {
        for (const CSmtpContentType& recipient : *pList)
        {
            nLast = RcptTo(recipient.m_strAddress);
            if (nLast == 0)
                ++nAccepted;
        }
    }
    if (nAccepted > 0)
    {
        m_strContext.Empty();
        m_nEnvelopeCode = 0;
        return nAccepted;
    }
    m_nEnvelopeCode = nLast;
    const CString failure = m_strContext + m_strLastReply;
    m_strContext.Empty();
    if (nLast == -1)
        m_bGreeted = 0;
    OnError(nLast, failure);
    return 0;
}

CString CSmtp::PrepareData(const CString& original)
{
    // Blind copies must not be seen by the others.
    const CString text = RemoveHeaderField(original, "Bcc");
    const char* p = text;
    const char* pEnd = p + text.GetLength();

    std::string out;
    out.reserve(text.GetLength() + text.GetLength() / 50 + 8);
    // A line that starts with a dot gets a second one, so no line of the text can end the data.
    bool bLineStart = true;
    while (p < pEnd)
    {
        const char* pLineEnd = static_cast<const char*>(memchr(p, '\n', pEnd - p));
        pLineEnd = pLineEnd ? pLineEnd + 1 : pEnd;
        if (bLineStart && *p == '.')
            out.push_back('.');
        out.append(p, pLineEnd);
        bLineStart = pLineEnd[-1] == '\n';
        p = pLineEnd;
    }
    if (out.size() >= 2 && out.compare(out.size() - 2, 2, "\r\n") == 0)
        out.append(".\r\n");
    else
        out.append("\r\n.\r\n");
    return CString(out.data(), static_cast<int>(out.size()));
}

int CSmtp::SendData(const CString& text)
{
    try
    {
        int nCode = SendCmd("DATA\r\n");
        if (nCode != 354)
        {
            ReportFailure(nCode);
            return nCode;
        }
        nCode = SendCmd(PrepareData(text), TRACE_SHORT);
        if (nCode == 250)
            return 0;
        ReportFailure(nCode);
        return nCode;
    }
    catch (const char*)
    {
        throw;
    }
    catch (CException* pException)
    {
        CException* pAgain = new CException(pException->m_strMessage);
        delete pException;
        throw pAgain;
    }
    catch (...)
    {
        AppMessageBox(TransportText::kSmtpSendDataUnhandled, MB_ICONERROR);
        const int nCode = atoi(m_strLastReply);
        return nCode == 250 ? 0 : nCode;
    }
}

int CSmtp::SendBody(CSmtpMessage& message)
{
    CString text;
    message.BuildMime(text);
    return SendData(text);
}

int CSmtp::SendMessage(CSmtpMessage& message)
{
    if (SendEnvelope(message) <= 0)
        return m_nEnvelopeCode != 0 ? m_nEnvelopeCode : -1;
    return SendBody(message);
}

int CSmtp::SendMail(const char* pszFromName, const char* pszFromAddress, const char* pszTo,
                    const char* pszSubject, const char* pszBody, const char* const* ppszFiles, int nFileCount)
{
    CSmtpMessage message;
    message.m_From = CSmtpContentType(pszFromAddress, pszFromName);
    message.m_To.push_back(CSmtpContentType(pszTo));
    message.m_strSubject = pszSubject;
    message.m_BodyParts.push_back(CSmtpBodyPart(pszBody, "text/plain", "iso-8859-1", SMTP_ENCODING_AUTO));
    for (int i = nFileCount - 1; i >= 0; --i)
    {
        if (ppszFiles[i] && *ppszFiles[i])
            message.m_Attachments.push_back(CSmtpAttachment(ppszFiles[i]));
    }
    return SendMessage(message);
}

int CSmtp::SendCmd(const char* pszCommand, int nTrace)
{
    bool bSending = false;
    try
    {
        if (pszCommand)
        {
            bSending = true;
            const int nLength = lstrlenA(pszCommand);
            for (int nSent = 0; nSent < nLength;)
            {
                const int nPiece = nLength - nSent < kPieceLength ? nLength - nSent : kPieceLength;
                if (m_Server.Send(pszCommand + nSent, nPiece, 0, nTrace) == -1)
                    return -1;
                nSent += nPiece;
                if (nLength > kPieceLength && !OnProgress(0, nSent, nLength))
                    return -1;
            }
            bSending = false;
        }
        const int nCode = ReadReply();
        if (nCode == -1)
            return -1;
        OnReply(pszCommand, nCode, m_strLastReply);
        return nCode;
    }
    catch (const char*)
    {
        throw;
    }
    catch (CException* pException)
    {
        delete pException;
    }
    catch (...)
    {
    }
    AppMessageBox(bSending ? TransportText::kSmtpSendCmdLoopUnhandled : TransportText::kSmtpSendCmdUnhandled,
                  MB_ICONERROR);
    return -1;
}

int CSmtp::ReadReply()
{
    // Whole CRLF lines, up to the last line of the reply ("250 ..." or the bare code): a reply may come in
    // several pieces, and one piece may hold more than one line. The 60-second question counts from the
    // start of the reply, so a server cannot hold the client by trickling it.
    CSmtpReplyReader reply;
    std::string line;
    int nCode = -1;
    m_Server.StartAnswerClock();
    try
    {
        for (;;)
        {
            const CLineReader::Result result = m_Reader.NextLine(line);
            if (result == CLineReader::TOO_LONG)
                break;
            if (result == CLineReader::MORE)
            {
                char* pSpace = m_Reader.Space(kReceiveLength);
                const int nCount = m_Server.Receive(pSpace, kReceiveLength, 0, TRACE_FULL);
                m_Reader.Received(nCount > 0 ? nCount : 0);
                if (nCount <= 0)
                    break;
                continue;
            }
            if (reply.AddLine(line))
            {
                nCode = reply.Code();
                break;
            }
            if (reply.TooLong())
                break;
        }
    }
    catch (...)
    {
        m_Server.StopAnswerClock();
        throw;
    }
    m_Server.StopAnswerClock();
    m_strLastReply = CString(reply.Text().data(), static_cast<int>(reply.Text().size()));
    if (nCode == -1 && (reply.TooLong() || m_Reader.PendingSize() > CLineReader::kMaxLine))
        m_strLastReply = reply.TooLong() ? TransportText::kSmtpReplyTooLong : TransportText::kLineTooLong;
    return nCode;
}

CSmtpProgress::CSmtpProgress(HWND* phWndProgress, int* pnCancel, BOOL bAuthenticate)
    : CSmtp(pnCancel, bAuthenticate), m_phWndProgress(phWndProgress), m_pnCancel(pnCancel)
{
}

int CSmtpProgress::OnError(int, const char* pszMessage)
{
    if (!(m_pnCancel && *m_pnCancel))
        throw new CException(pszMessage);
    return 0;
}

int CSmtpProgress::OnProgress(int, int nSent, int nTotal)
{
    if (m_phWndProgress && *m_phWndProgress && nTotal > 0)
        ::SendMessageA(*m_phWndProgress, PBM_SETPOS,
                       static_cast<WPARAM>(static_cast<long long>(nSent) * 100 / nTotal), 0);
    return (m_pnCancel && *m_pnCancel) ? 0 : 1;
}

int CSmtpProgress::SendPrepared(const CSmtpMessage& message, const CString& text)
{
    if (SendEnvelope(message) <= 0)
        return m_nEnvelopeCode != 0 ? m_nEnvelopeCode : -1;
    return SendData(text);
}
