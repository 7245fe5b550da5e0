// Texts that the mail transport shows or raises, kept verbatim in one place.
#pragma once

namespace TransportText
{
const char kCancelled[] = "Cancelled by user.";
const char kConnectError[] = "Connect to server error: ";
const char kServerNotResponding[] =
    "Your server has not responded in 60 seconds. Would you like to wait another 60 "
    "seconds for the server to respond?";
const char kSendUnhandled[] = "CMySocket::Send(...). Unhandled exception!!!\r\n";

const char kConnectionFailed[] = "The connection to the server has failed. ";
const char kBadConnection[] = "Bad Connection. ";
const char kCanceledLogon[] = "Canceled by user";
const char kQuitError[] = "Error occured during QUIT. ";
const char kDeleError[] = "Error occured during DELE. ";
const char kStatError[] = "Error occured during STAT. ";
const char kListError[] = "Error occured during LIST";
const char kUidlError[] = "Error occured during UIDL";
const char kRetrRefused[] = "Error occured during RETR\r\n";
const char kRetrEmpty[] = "RETR command response error! Communication problems is possible.\r\n\r\n";
const char kRetrBadReply[] = "RETR command response error!\r\n\r\n%s";
const char kReceiveDataError[] = "Receive data error.\r\n\r\n";
const char kSocketError[] = "Socket error.\r\n\r\n";
// A status, listing or reply line with no end in sight: the server is broken or hostile.
const char kLineTooLong[] = "The server sent a line longer than 65536 bytes without a line end.\r\n\r\n";
const char kSmtpReplyTooLong[] = "The server sent a reply longer than 1 MB.";
const char kSocketCreateError[] = "Error of creating of the socket.";

const char kSmtpSendCmdLoopUnhandled[] =
    "CSmtp::SendCmd(...), while(...) m_Server.Send(...). Unhandled exception!!!\r\n";
const char kSmtpSendCmdUnhandled[] = "CSmtp::SendCmd(...). Unhandled exception!!!\r\n";
const char kSmtpSendDataUnhandled[] = "CSmtp::SendData(...). Unhandled exception!!!\r\n";
} // namespace TransportText
