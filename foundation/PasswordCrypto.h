// Account password encryption with CryptoAPI: RC4 under a session key wrapped by the user's exchange key.
#pragma once

#include <windows.h>
#include <wincrypt.h>

#include <atlstr.h>

// Block layout, little-endian lengths: without a pass phrase [L][SIMPLEBLOB, L bytes][N][cipher, N bytes];
// with one [N][cipher]. Bytes behind the block are left as they were.
// Throws a CException pointer when the block does not fit the buffer or CryptoAPI fails.
void CAPIEncrypt(const char* pszPlain, BYTE* pBuffer, DWORD nBufferSize, const char* pszPassPhrase = NULL);

// A session key that this user's exchange key cannot unwrap (another user, another machine) gives the
// empty text and *pdwStatus = NTE_BAD_DATA, so the caller asks for the password again; otherwise
// *pdwStatus is 0. Damaged blocks and CryptoAPI failures throw a CException pointer.
CString CAPIDecrypt(const BYTE* pBuffer, DWORD nBufferSize, DWORD* pdwStatus,
                    const char* pszPassPhrase = NULL);

// Creates the signature and exchange key pairs of the container when they are missing.
void EnsureUserKeyPairs(HCRYPTPROV hProv);

// With bUseLastError the code is GetLastError(); a failed call whose last error is 0 still throws.
void HandleCryptError(BOOL bUseLastError, DWORD dwCode, const char* pszContext);
void ThrowCryptError(BOOL bUseLastError, DWORD dwCode, const char* pszContext);
// The text of a CryptoAPI or system error code.
CString GetCryptErrorText(DWORD dwCode);
