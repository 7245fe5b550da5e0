// Texts of the error report by e-mail that are not in the string table, kept verbatim in one place.
#pragma once

namespace ErrorReportText
{
const char kSmtpErrorResponse[] = "SMTP server error response:\r\n\r\n";
const char kErrorPrefix[] = "ERROR: ";
const char kFileErrorPrefix[] = "ERROR: '";
const int kMaxViewedLength = 32767;
const int kViewedCut = 32763;
} // namespace ErrorReportText
