// Texts of the settings store, password encryption and the window and dialog services, verbatim.
#pragma once

namespace ServiceText
{
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
} // namespace ServiceText
