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
const char kRegExpStepsExhausted[] =
    "Regular expression gave up (too many steps): pattern \"%s\", text length %u";

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

// Settings store
const char kCompany[] = "Vorn";
const char kApplication[] = "Letrova";
const char kSoftwareKey[] = "software";
const char kOptions[] = "Options";
const char kVirusWarning[] = "Virus Warning";
const char kDefaultLocalDatabase[] = "\\email.mdb";
const char kDefaultAccountsDatabase[] = "\\Accounts.mdb";
const char kDefaultOrbDatabase[] = "Orb.mdb";
const char kOrbRegistryKey[] = "Software\\Vorn\\Orb";
const char kOrbRegistryValue[] = "Path";
const char kUpdateUrlPrefix[] = "ftp://vornuser:wubo@";
const char kUpdateUrlSuffix[] = "/Updates/Lv/";
const char kSameDatabaseWarning1[] = "WARNING.\r\n\r\nVornlVizozi database - ";
const char kSameDatabaseWarning2[] = "\r\n\r\nLocal database - ";
const char kSameDatabaseWarning3[] = "\r\n\r\nSome problems is possible";
const char kDateSettingFormat[] = "%02d day. %02d month. %d year %02d hour: %02d minute";
const char kDateSettingPattern[] = "^([0123456789]*) day. ([0123456789]*) month. ([0123456789]*) year "
                                   "([0123456789]*) hour: ([0123456789]*) minute";

// Password encryption
const char kEncryptFailed[] = "Error during CAPIEncrypt!\r\n";
const char kDecryptFailed[] = "Error during CAPIDecrypt!\r\n";
const char kAcquireContextFailed[] = "Error during CryptAcquireContext!";
const char kAcquireContextError[] = "CryptAcquireContext Error";
const char kGenKeyFailed[] = "Error during CryptGenKey!";
const char kGetUserKeyFailed[] = "Error during CryptGetUserKey!";
const char kCreateKeyContainerFailed[] = "Error creating key container!";
const char kBlobLengthFailed[] = "Error computing blob length";
const char kExportKeyFailed[] = "Error during CryptExportKey";
const char kImportKeyFailed[] = "Error during CryptImportKey!";
const char kCreateHashFailed[] = "Error during CryptCreateHash!";
const char kHashDataFailed[] = "Error during CryptHashData!";
const char kDeriveKeyFailed[] = "Error during CryptDeriveKey!";
const char kEncryptPieceFailed[] = "Error during CryptEncrypt!\r\n";
const char kEncryptBytesRequired[] = "bytes required:%d\n";
const char kDecryptPieceFailed[] = "Error during CryptDecrypt!";
const char kCryptOutOfMemory[] = "Out of memory!";
const char kBlobOutOfMemory[] = "Out of memory or improperly formatted source file!";
const char kNoData[] = "No data!";
const char kPasswordTooLong[] = "The password is too long for its buffer.";
const char kCorruptBlock[] = "The encrypted password is damaged.";
const char kCreateSignatureKey[] = "Create signature key pair\n";
const char kCreateExchangeKey[] = "Create key exchange key pair\n";
const char kUnknownCryptError[] = "Unknown error: 0x%x.";

struct CryptErrorText
{
    unsigned long dwCode;
    const char* pszText;
};
const CryptErrorText kCryptErrors[] = {
    {6, "ERROR_INVALID_HANDLE: One of the parameters specifies an invalid handle."},
    {8, "ERROR_NOT_ENOUGH_MEMORY: The operating system ran out of memory during the operation."},
    {87, "ERROR_INVALID_PARAMETER: One of the parameters contains an invalid value. This is most often an "
         "illegal "
         "pointer."},
    {170, "ERROR_BUSY: Some CSPs set this error if a private key is imported into a container while another "
          "thread or process is using this key."},
    {234, "ERROR_MORE_DATA: If the buffer specified by the pbData parameter is not large enough to hold the "
          "returned data, the function sets the ERROR_MORE_DATA code and stores the required buffer size, in "
          "bytes, in the variable pointed to by pdwDataLen."},
    {0x80090001, "NTE_BAD_UID: The hProv parameter does not contain a valid context handle."},
    {0x80090002, "NTE_BAD_HASH: Bad Hash."},
    {0x80090003, "NTE_BAD_KEY: The dwKeySpec parameter contains an invalid value."},
    {0x80090004, "NTE_BAD_LEN: Bad Length."},
    {0x80090005, "NTE_BAD_DATA: Either the algorithm that works with the public key to be imported is not "
                 "supported by this CSP, or an attempt was made to import a session key that was encrypted "
                 "with something other than one of your public keys."},
    {0x80090006,
     "NTE_BAD_SIGNATURE: The provider DLL signature did not verify correctly. Either the DLL or the "
     "digital signature has been tampered with."},
    {0x80090007, "NTE_BAD_VER: The key BLOB's version number does not match the CSP version. This usually "
                 "indicates that the CSP needs to be upgraded."},
    {0x80090008, "NTE_BAD_ALGID: The simple key BLOB to be imported is not encrypted with the expected key "
                 "exchange algorithm."},
    {0x80090009, "NTE_BAD_FLAGS: The dwFlags parameter has an illegal value."},
    {0x8009000A, "NTE_BAD_TYPE: The key BLOB type is not supported by this CSP and is possibly invalid."},
    {0x8009000B,
     "NTE_BAD_KEY_STATE: You do not have permission to export the key. That is, when the hKey key "
     "was created, the CRYPT_EXPORTABLE flag was not specified."},
    {0x8009000D, "NTE_NO_KEY: The key requested by the dwKeySpec parameter does not exist."},
    {0x8009000E, "NTE_NO_MEMORY: The CSP ran out of memory during the operation."},
    {0x8009000F,
     "NTE_EXISTS: The dwFlags parameter is CRYPT_NEWKEYSET, but the key container already exists."},
    {0x80090014,
     "NTE_BAD_PROV_TYPE: The value of the dwProvType parameter is out of range. All provider types "
     "must be from 1 to 999, inclusive."},
    {0x80090015,
     "NTE_BAD_PUBLIC_KEY: The key BLOB type specified by dwBlobType is PUBLICKEYBLOB, but hExpKey "
     "does not contain a public key handle."},
    {0x80090016, "NTE_BAD_KEYSET: The Registry entry for the key container could not be opened and may not "
                 "exist."},
    {0x80090017, "NTE_PROV_TYPE_NOT_DEF: No Registry entry exists for the provider type specified by "
                 "dwProvType."},
    {0x80090018,
     "NTE_PROV_TYPE_ENTRY_BAD: The Registry entry for the provider type specified by dwProvType is "
     "corrupt. This error may relate to either the user default CSP list or the machine default CSP "
     "list. See the section System Administration for details about CryptoAPI's Registry usage."},
    {0x80090019, "NTE_KEYSET_NOT_DEF: No Registry entry exists in the HKEY_CURRENT_USER window for the key "
                 "container specified by pszContainer."},
    {0x8009001A,
     "NTE_KEYSET_ENTRY_BAD: The Registry entry for the pszContainer key container was found (in the "
     "HKEY_CURRENT_USER window), but is corrupt. See the section System Administration for details "
     "about CryptoAPI's Registry usage."},
    {0x8009001B,
     "NTE_PROV_TYPE_NO_MATCH: The provider type specified by dwProvType does not match the provider "
     "type found in the Registry. Note that this error can only occur when pszProvider specifies an "
     "actual CSP name."},
    {0x8009001C, "NTE_SIGNATURE_FILE_BAD: An error occurred while loading the DLL file image, prior to "
                 "verifying its signature."},
    {0x8009001D, "NTE_PROVIDER_DLL_FAIL: The provider DLL file could not be loaded, and may not exist. If it "
                 "exists, then the file is not a valid DLL."},
    {0x8009001E,
     "NTE_PROV_DLL_NOT_FOUND: The provider DLL file does not exist or is not on the current path."},
    {0x8009001F,
     "NTE_BAD_KEYSET_PARAM: The pszContainer or pszProvider parameter is set to an illegal value."},
};

// Window and dialog services: string resources by id, with their built-in texts.
const unsigned kIdsFieldTooLarge = 159;
const unsigned kIdsChoiceRequired = 161;
const unsigned kIdsFieldEmpty = 173;
const unsigned kIdsHelpOk = 413;
const unsigned kIdsHelpCancel = 414;
const unsigned kIdsHelpNone = 415;

struct ServiceString
{
    unsigned nId;
    const char* pszText;
};
const ServiceString kServiceStrings[] = {
    {kIdsFieldTooLarge, "Field\n%s\ntoo large. Maximum char count: %d"},
    {kIdsChoiceRequired, "Choice a\n%s\nplease."},
    {kIdsFieldEmpty, "Field\n%s\nis empty."},
    {kIdsHelpOk, "Closes the dialog box and saves any changes you have made."},
    {kIdsHelpCancel, "Closes the dialog box without saving any changes you have made."},
    {kIdsHelpNone, "There is no help topic for this element"},
};
const char kContextualHelpClass[] = "CContextualHelp";
} // namespace FoundationText
