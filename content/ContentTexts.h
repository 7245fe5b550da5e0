// Exact texts of the message content code, kept in one place so callers and tests can compare them.
#pragma once

#include <atlstr.h>

#include "resources/resource.h"

inline const char* const kContentTypeNotDetected = "Content Type was not detected.";
inline const char* const kTransferEncodingNotDefined = "ERROR: Content-Transfer-Encoding is not defined";
inline const char* const kUnknownTransferEncoding = "Unknown Content Transfer Encoding: ";
inline const char* const kCharsetInitFailed =
    "CCharsetDecoder::Init(). m_pLang->GetCharsetInfo(...) failed!!!";
inline const char* const kMultiLanguageName = "MultiLanguage (MLANG.DLL)";
inline const char* const kMLangProblem = "ERROR: MLang problem.\r\n";
inline const char* const kHtmlBaseTargetBlank = "\r\n<base target=\"_blank\">";

// Asks whether a body in an unknown transfer encoding should be shown as it is: returns text when the
// user agrees, throws a CException otherwise.
CString ConfirmUnknownTransferEncoding(const CString& upperName, const CString& text);
