// Mailbox names on the wire: UTF-16 text to IMAP's modified UTF-7 and back.
#pragma once

#include <string>

std::string EncodeModifiedUtf7(const std::u16string& strName);
// Bytes that are not valid modified UTF-7 are kept as they came (as Latin-1), so a server's odd name still
// round-trips to the same bytes.
std::u16string DecodeModifiedUtf7(const std::string& strName);
