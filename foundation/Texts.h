// The foundation's user-visible and diagnostic texts, verbatim, in one place.
#pragma once

namespace FoundationText
{
// Error reporting utilities
const char kUnhandledException[] = "Unhandled exception!!!\r\n";
const char kMissingPromptString[] = "Error: failed to load message box prompt string 0x%04x.\n";
const char kReceivePrefix[] = "\r\nReceive>";
const char kRegistrationFailed[] = "Warning: registration database update failed for key '%s'.\n";
const char kCreateComponentPrefix[] = "FATAL ERROR: Create ";
const char kCreateComponentSuffix[] = " component failed!\r\n";
const char kNoAggregation[] = "This class cannot be created as part of an aggregate.";
const char kClassNotRegistered[] =
    "A specified class is not registered in the registration database. Also can indicate that the type of "
    "server you requested in the CLSCTX enumeration is not registered or the values for the server types in "
    "the registry are corrupt.";
const char kNotInitialized[] = "CoInitialize has not been called.";
const char kUnknownHResult[] = "Unknown error. HRESULT = 0x%x";
const char kVersionFormat[] = "%d, %d, %d, %d";
const char kVersionFailedPrefix[] = "ERROR: Get '";
const char kVersionFailedSuffix[] = "' file version failed!";

// Shell "open" results, indexed by the ShellExecute result where listed.
struct ShellResultText
{
    int nResult;
    const char* pszText;
};
const ShellResultText kShellResults[] = {
    {0, "The operating system is out of memory or resources. "},
    {2, "The specified file was not found.  "},
    {3, "The specified path was not found. "},
    {5, "The operating system denied access to the specified file.  "},
    {8, "There was not enough memory to complete the operation. "},
    {11, "The .exe file is invalid (non-Win32\xAE .exe or error in .exe image). "},
    {26, "A sharing violation occurred."},
    {27, "The file name association is incomplete or invalid. "},
    {28, "The DDE transaction could not be completed because the request timed out. "},
    {29, "The DDE transaction failed. "},
    {30, "The DDE transaction could not be completed because other DDE transactions were being processed. "},
    {31, "There is no application associated with the given file name extension. "},
    {32, "The specified dynamic-link library was not found.  "},
};
const char kShellUnknown[] = "Unknown error.";

// File exceptions: string 61446 and strings 61856 + cause.
const char kUnnamedFile[] = "an unnamed file";
const char* const kFileCauseTexts[] = {
    "No error occurred.",
    "An unknown error occurred while accessing %1.",
    "%1 was not found.",
    "%1 contains an invalid path.",
    "%1 could not be opened because there are too many open files.",
    "Access to %1 was denied.",
    "An invalid file handle was associated with %1.",
    "%1 could not be removed because it is the current directory.",
    "%1 could not be created because the directory is full.",
    "Seek failed on %1",
    "A hardware I/O error was reported while accessing %1.",
    "A sharing violation occurred while accessing %1.",
    "A locking violation occurred while accessing %1.",
    "Disk full while accessing %1.",
    "An attempt was made to access %1 past its end.",
};

// Regular expressions: the text of error code n is kRegExpErrors[n - 1].
const char* const kRegExpErrors[] = {
    "NULL argument to regexec",
    "corrupted regexp",
    "regexp corruption",
    "corrupted pointers",
    "internal error: bad call of regrepeat",
    "corrupted opcode",
    "NULL parm to regsub",
    "damaged regexp fed to regsub",
    "damaged match string",
    "NULL argument to regcomp",
    "regexp too big",
    "too many ()",
    "unterminated ()",
    "unmatched ()",
    "internal error: junk on end",
    "*+ operand could be empty",
    "nested *?+",
    "invalid [] range",
    "unmatched []",
    "internal error: \\0|) unexpected",
    "?+* follows nothing",
    "trailing \\",
    "internal error: strcspn 0",
    "NULL regexp",
};
const char kRegExpUnknownError[] = "Unknown error";

// Trace file
const char kTraceName[] = "Trace";
const char kTraceExtension[] = "log";
const char kTraceNumberedName[] = "%s_%d.%s";
const char kTraceHeader[] = "%d %d %d\r\n%s\r\n";
const char kTraceFileName[] = "Trace File name: ";
const char kTraceRecordPrefix[] = "\r\n%02d:%02d:%02d %04d> ";
const char kTraceErrorPrefix[] = "ERROR: '";
const char kTraceErrorSuffix[] = "'\r\n";

// Paths, folders, shell and COM services
const char kDataFolder[] = "\\Vorn";
const char kTempFolder[] = "Lv";
const char kAttachFolder[] = "Attach";
const char kHtmlFolder[] = "HTML";
const char kDeleteFileFailed[] = "ERROR: Delete a file failed!\r\n\r\n";
const char kHtmlHelpKey[] = "CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32";
const char kHtmlHelpLibrary[] = "hhctrl.ocx";
const char kQueryWebBrowserFailed[] = "Query IID_IWebBrowser2 interface failed!";
const char kOutOfMemory[] = "Out of memory.";
const char kInvalidArgs[] = "One or more parameters are invalid.";
const char kUnknownError[] = "Unknown error.";
const char kHResultFormat[] = "HRESULT = 0x%x";

struct HResultText
{
    unsigned long hr;
    const char* pszText;
};
const HResultText kCreateObjectTexts[] = {
    {0x80070002, "The system cannot find the file specified."},
    {0x80070003, "The system cannot find the path specified."},
    {0x8007000E, "Ran out of memory."},
    {0x80070433, "The dependency service does not exist or has been marked for deletion."},
    {0x800736B1, "This application has failed to start because the application configuration is incorrect. "
                 "Reinstalling the application may fix this problem."},
    {0x80080005, "Server execution failed."},
    {0x80004002, "No such interface supported."},
    {0x80040110, kNoAggregation},
    {0x80040154, kClassNotRegistered},
    {0x800401F0, kNotInitialized},
    {0x800401F3, "Invalid class string."},
};
} // namespace FoundationText
