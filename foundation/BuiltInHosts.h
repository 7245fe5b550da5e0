// The program's built-in servers: each is only the default of a setting, so tests and installs can
// point it elsewhere.
#pragma once

namespace BuiltInHosts
{
// Default of "Email me SMTP server": where error reports go.
const char kSupportSmtpServer[] = "smtp.vorn.example";
// The recipient of error reports ("Email me to").
const char kSupportMailbox[] = "support@vorn.example";
// The update FTP server, given by its address; part of the default "Internet Update URL".
const char kUpdateServerHost[] = "192.0.2.17";
} // namespace BuiltInHosts
