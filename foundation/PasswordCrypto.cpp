// Account password encryption with CryptoAPI.
#include "foundation/PasswordCrypto.h"

#include <stdlib.h>
#include <string.h>

#include "foundation/ErrorUtil.h"
#include "foundation/Exception.h"
#include "foundation/FileException.h"
#include "foundation/MemFile.h"
#include "foundation/Texts.h"

namespace
{
const UINT kPieceSize = 1000;
const int kAttempts = 2;
// Stands for a failure that left no error code behind.
const DWORD kFailedWithoutCode = (DWORD)NTE_FAIL;

void ReleaseProv(HCRYPTPROV hProv)
{
    ::CryptReleaseContext(hProv, 0);
}

void DestroyKey(HCRYPTKEY hKey)
{
    ::CryptDestroyKey(hKey);
}

void DestroyHash(HCRYPTHASH hHash)
{
    ::CryptDestroyHash(hHash);
}

// Owns one CryptoAPI handle; 0 is none. A failed call may have written into the handle, so callers reset
// it to 0 on failure.
template <typename THandle, void (*pfnFree)(THandle)> class CCryptHolder
{
public:
    CCryptHolder() : m_h(0) {}
    ~CCryptHolder() { Free(); }
    void Free()
    {
        if (m_h != 0)
            pfnFree(m_h);
        m_h = 0;
    }
    THandle m_h;

private:
    CCryptHolder(const CCryptHolder&);
    CCryptHolder& operator=(const CCryptHolder&);
};

typedef CCryptHolder<HCRYPTPROV, ReleaseProv> CCryptProvHolder;
typedef CCryptHolder<HCRYPTKEY, DestroyKey> CCryptKeyHolder;
typedef CCryptHolder<HCRYPTHASH, DestroyHash> CCryptHashHolder;

// Holds a named mutex for its lifetime. An abandoned mutex is still ours; without one we go on unlocked,
// as every process did before the lock existed.
class CMutexLock
{
public:
    explicit CMutexLock(const char* pszName) : m_hMutex(::CreateMutexA(NULL, FALSE, pszName)), m_bOwned(false)
    {
        if (m_hMutex != NULL)
        {
            DWORD dwWait = ::WaitForSingleObject(m_hMutex, INFINITE);
            m_bOwned = dwWait == WAIT_OBJECT_0 || dwWait == WAIT_ABANDONED;
        }
    }
    ~CMutexLock()
    {
        if (m_bOwned)
            ::ReleaseMutex(m_hMutex);
        if (m_hMutex != NULL)
            ::CloseHandle(m_hMutex);
    }

private:
    HANDLE m_hMutex;
    bool m_bOwned;
    CMutexLock(const CMutexLock&);
    CMutexLock& operator=(const CMutexLock&);
};

class CHeapBlock
{
public:
    explicit CHeapBlock(size_t nSize, const char* pszFailure) : m_p((BYTE*)malloc(nSize ? nSize : 1))
    {
        if (m_p == NULL)
            throw new CException(pszFailure);
    }
    ~CHeapBlock() { free(m_p); }
    BYTE* m_p;

private:
    CHeapBlock(const CHeapBlock&);
    CHeapBlock& operator=(const CHeapBlock&);
};

// The user's default container of the default RSA full provider, created on first use. Another process
// may create it between our two calls, so NTE_EXISTS means: open it after all.
void AcquireUserContext(CCryptProvHolder& prov)
{
    if (::CryptAcquireContextA(&prov.m_h, NULL, NULL, PROV_RSA_FULL, 0))
        return;
    DWORD dwError = ::GetLastError();
    prov.m_h = 0;
    if (dwError != (DWORD)NTE_BAD_KEYSET)
        HandleCryptError(FALSE, dwError != 0 ? dwError : kFailedWithoutCode,
                         FoundationText::kAcquireContextError);
    if (::CryptAcquireContextA(&prov.m_h, NULL, NULL, PROV_RSA_FULL, CRYPT_NEWKEYSET))
        return;
    prov.m_h = 0;
    if (::GetLastError() == (DWORD)NTE_EXISTS &&
        ::CryptAcquireContextA(&prov.m_h, NULL, NULL, PROV_RSA_FULL, 0))
        return;
    prov.m_h = 0;
    HandleCryptError(TRUE, 0, FoundationText::kAcquireContextFailed);
}

void DeriveKeyFromPassPhrase(HCRYPTPROV hProv, const char* pszPassPhrase, CCryptKeyHolder& key)
{
    CCryptHashHolder hash;
    if (!::CryptCreateHash(hProv, CALG_MD5, 0, 0, &hash.m_h))
        HandleCryptError(TRUE, 0, FoundationText::kCreateHashFailed);
    if (!::CryptHashData(hash.m_h, (const BYTE*)pszPassPhrase, (DWORD)strlen(pszPassPhrase), 0))
        HandleCryptError(TRUE, 0, FoundationText::kHashDataFailed);
    if (!::CryptDeriveKey(hProv, CALG_RC4, hash.m_h, 0, &key.m_h))
        HandleCryptError(TRUE, 0, FoundationText::kDeriveKeyFailed);
}

void WriteLength(CMemFile& file, DWORD dwLength)
{
    BYTE bytes[4] = {(BYTE)dwLength, (BYTE)(dwLength >> 8), (BYTE)(dwLength >> 16), (BYTE)(dwLength >> 24)};
    file.Write(bytes, 4);
}

// False when fewer than four bytes are left.
bool ReadLength(CMemFile& file, DWORD& dwLength)
{
    BYTE bytes[4];
    if (file.Read(bytes, 4) != 4)
        return false;
    dwLength = bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) | ((DWORD)bytes[3] << 24);
    return true;
}

CString FileExceptionText(CFileException* pException)
{
    CString strText = pException->GetErrorText();
    delete pException;
    return strText;
}

// Returns true when the block was written, false when the exchange key pair had to be created first.
bool EncryptAttempt(const char* pszPlain, DWORD nPlain, BYTE* pBuffer, DWORD nBufferSize,
                    const char* pszPassPhrase, bool bLastAttempt)
{
    CMemFile output(pBuffer, nBufferSize, 0);
    CMemFile input((BYTE*)pszPlain, nPlain, 0);
    CCryptProvHolder prov;
    CCryptKeyHolder key;
    AcquireUserContext(prov);

    if (pszPassPhrase == NULL)
    {
        if (!::CryptGenKey(prov.m_h, CALG_RC4, CRYPT_EXPORTABLE, &key.m_h))
            HandleCryptError(TRUE, 0, FoundationText::kGenKeyFailed);
        CCryptKeyHolder exchangeKey;
        if (!::CryptGetUserKey(prov.m_h, AT_KEYEXCHANGE, &exchangeKey.m_h))
        {
            DWORD dwError = ::GetLastError();
            if (dwError == (DWORD)NTE_NO_KEY && !bLastAttempt)
            {
                EnsureUserKeyPairs(prov.m_h);
                return false;
            }
            HandleCryptError(FALSE, dwError != 0 ? dwError : kFailedWithoutCode,
                             FoundationText::kGetUserKeyFailed);
        }
        DWORD dwBlobLength = 0;
        if (!::CryptExportKey(key.m_h, exchangeKey.m_h, SIMPLEBLOB, 0, NULL, &dwBlobLength))
            HandleCryptError(TRUE, 0, FoundationText::kBlobLengthFailed);
        // The block must fit before anything is written: the buffer cannot grow.
        if (8ull + dwBlobLength + nPlain > nBufferSize)
            throw new CException(FoundationText::kPasswordTooLong);
        CHeapBlock blob(dwBlobLength, FoundationText::kCryptOutOfMemory);
        if (!::CryptExportKey(key.m_h, exchangeKey.m_h, SIMPLEBLOB, 0, blob.m_p, &dwBlobLength))
            HandleCryptError(TRUE, 0, FoundationText::kExportKeyFailed);
        exchangeKey.Free();
        WriteLength(output, dwBlobLength);
        output.Write(blob.m_p, dwBlobLength);
    }
    else
    {
        if (4ull + nPlain > nBufferSize)
            throw new CException(FoundationText::kPasswordTooLong);
        DeriveKeyFromPassPhrase(prov.m_h, pszPassPhrase, key);
    }

    CHeapBlock piece(kPieceSize, FoundationText::kCryptOutOfMemory);
    WriteLength(output, nPlain);
    for (;;)
    {
        DWORD dwCount = input.Read(piece.m_p, kPieceSize);
        if (dwCount == 0)
            break;
        BOOL bFinal = input.GetPosition() >= nPlain;
        DWORD dwLength = dwCount;
        if (!::CryptEncrypt(key.m_h, 0, bFinal, 0, piece.m_p, &dwLength, kPieceSize))
        {
            CString strContext;
            strContext.Format(FoundationText::kEncryptBytesRequired, (int)dwLength);
            HandleCryptError(TRUE, 0, CString(FoundationText::kEncryptPieceFailed) + strContext);
        }
        output.Write(piece.m_p, dwCount);
    }
    return true;
}

enum DecryptOutcome
{
    decrypted,
    foreignKey,
    retryWithNewKeys
};

DecryptOutcome DecryptAttempt(const BYTE* pBuffer, DWORD nBufferSize, const char* pszPassPhrase,
                              bool bLastAttempt, CString& strPlain)
{
    CMemFile input((BYTE*)pBuffer, nBufferSize, 0);
    CCryptProvHolder prov;
    CCryptKeyHolder key;
    AcquireUserContext(prov);

    if (pszPassPhrase != NULL)
    {
        DeriveKeyFromPassPhrase(prov.m_h, pszPassPhrase, key);
    }
    else
    {
        DWORD dwBlobLength = 0;
        if (!ReadLength(input, dwBlobLength))
            throw new CException(FoundationText::kCorruptBlock);
        if (dwBlobLength == 0)
            throw new CException(FoundationText::kNoData);
        // The blob and the plain-text length behind it must lie inside the buffer.
        if (4ull + dwBlobLength + 4 > nBufferSize)
            throw new CException(FoundationText::kCorruptBlock);
        CHeapBlock blob(dwBlobLength, FoundationText::kBlobOutOfMemory);
        input.Read(blob.m_p, dwBlobLength);
        // The exchange key is named explicitly: not every provider falls back to it for a SIMPLEBLOB.
        CCryptKeyHolder exchangeKey;
        BOOL bImported = ::CryptGetUserKey(prov.m_h, AT_KEYEXCHANGE, &exchangeKey.m_h);
        if (!bImported)
            exchangeKey.m_h = 0;
        else
            bImported =
                ::CryptImportKey(prov.m_h, blob.m_p, dwBlobLength, exchangeKey.m_h, 0, &key.m_h);
        if (!bImported)
        {
            key.m_h = 0;
            DWORD dwError = ::GetLastError();
            if (dwError == (DWORD)NTE_BAD_DATA)
                return foreignKey;
            if (dwError == (DWORD)NTE_NO_KEY && !bLastAttempt)
            {
                EnsureUserKeyPairs(prov.m_h);
                return retryWithNewKeys;
            }
            HandleCryptError(FALSE, dwError != 0 ? dwError : kFailedWithoutCode,
                             FoundationText::kImportKeyFailed);
        }
    }

    CHeapBlock piece(kPieceSize, FoundationText::kCryptOutOfMemory);
    DWORD dwPlain = 0;
    if (!ReadLength(input, dwPlain))
        throw new CException(FoundationText::kCorruptBlock);
    if (dwPlain > nBufferSize - input.GetPosition())
        throw new CException(FoundationText::kCorruptBlock);
    CString strResult;
    DWORD dwDone = 0;
    while (dwDone < dwPlain)
    {
        DWORD dwCount = dwPlain - dwDone < kPieceSize ? dwPlain - dwDone : kPieceSize;
        if (input.Read(piece.m_p, dwCount) != dwCount)
            throw new CException(FoundationText::kCorruptBlock);
        BOOL bFinal = dwDone + dwCount >= dwPlain;
        DWORD dwLength = dwCount;
        if (!::CryptDecrypt(key.m_h, 0, bFinal, 0, piece.m_p, &dwLength))
            HandleCryptError(TRUE, 0, FoundationText::kDecryptPieceFailed);
        strResult += CString((const char*)piece.m_p, (int)dwCount);
        dwDone += dwCount;
    }
    strPlain = strResult;
    return decrypted;
}
} // namespace

void CAPIEncrypt(const char* pszPlain, BYTE* pBuffer, DWORD nBufferSize, const char* pszPassPhrase)
{
    if (pszPlain == NULL)
        pszPlain = "";
    DWORD nPlain = (DWORD)strlen(pszPlain);
    CString strError;
    try
    {
        for (int nAttempt = 1; nAttempt <= kAttempts; nAttempt++)
        {
            if (EncryptAttempt(pszPlain, nPlain, pBuffer, nBufferSize, pszPassPhrase, nAttempt == kAttempts))
                return;
        }
        return;
    }
    catch (CException* pException)
    {
        strError = pException->m_strMessage;
        delete pException;
    }
    catch (CFileException* pException)
    {
        strError = FileExceptionText(pException);
    }
    throw new CException(CString(FoundationText::kEncryptFailed) + strError);
}

CString CAPIDecrypt(const BYTE* pBuffer, DWORD nBufferSize, DWORD* pdwStatus, const char* pszPassPhrase)
{
    if (pdwStatus != NULL)
        *pdwStatus = 0;
    CString strError;
    try
    {
        for (int nAttempt = 1; nAttempt <= kAttempts; nAttempt++)
        {
            CString strPlain;
            DecryptOutcome outcome =
                DecryptAttempt(pBuffer, nBufferSize, pszPassPhrase, nAttempt == kAttempts, strPlain);
            if (outcome == decrypted)
                return strPlain;
            if (outcome == foreignKey)
            {
                if (pdwStatus != NULL)
                    *pdwStatus = (DWORD)NTE_BAD_DATA;
                return CString();
            }
        }
        return CString();
    }
    catch (CException* pException)
    {
        strError = pException->m_strMessage;
        delete pException;
    }
    catch (CFileException* pException)
    {
        strError = FileExceptionText(pException);
    }
    throw new CException(CString(FoundationText::kDecryptFailed) + strError);
}

void EnsureUserKeyPairs(HCRYPTPROV hProv)
{
    struct KeyPair
    {
        DWORD dwKeySpec;
        const char* pszCreating;
        const char* pszFailure;
    };
    const KeyPair pairs[] = {
        {AT_SIGNATURE, FoundationText::kCreateSignatureKey, FoundationText::kCreateKeyContainerFailed},
        {AT_KEYEXCHANGE, FoundationText::kCreateExchangeKey, FoundationText::kGenKeyFailed},
    };
    // Two processes that both find no pair would each create one, and the later pair would replace the
    // one that already wraps the other's passwords. So creation is serialized per container across
    // processes, and the container is read afresh under the lock: hProv may predate another's pair.
    char szContainer[MAX_PATH] = "";
    DWORD dwContainer = sizeof(szContainer);
    if (!::CryptGetProvParam(hProv, PP_CONTAINER, (BYTE*)szContainer, &dwContainer, 0))
        HandleCryptError(TRUE, 0, FoundationText::kAcquireContextFailed);
    szContainer[sizeof(szContainer) - 1] = '\0';
    CString strMutex = "VornEmail.KeyPairs.";
    for (const char* p = szContainer; *p != '\0'; p++)
        strMutex += (*p == '\\') ? '_' : *p;
    CMutexLock lock(strMutex);
    CCryptProvHolder prov;
    if (!::CryptAcquireContextA(&prov.m_h, szContainer, NULL, PROV_RSA_FULL, 0))
    {
        prov.m_h = 0;
        HandleCryptError(TRUE, 0, FoundationText::kAcquireContextFailed);
    }
    for (const KeyPair& pair : pairs)
    {
        CCryptKeyHolder key;
        if (::CryptGetUserKey(prov.m_h, pair.dwKeySpec, &key.m_h))
            continue;
        key.m_h = 0;
        DWORD dwError = ::GetLastError();
        if (dwError != (DWORD)NTE_NO_KEY)
            HandleCryptError(FALSE, dwError != 0 ? dwError : kFailedWithoutCode,
                             FoundationText::kGetUserKeyFailed);
        DebugTrace("%s", pair.pszCreating);
        if (!::CryptGenKey(prov.m_h, pair.dwKeySpec, 0, &key.m_h))
        {
            key.m_h = 0;
            HandleCryptError(TRUE, 0, pair.pszFailure);
        }
    }
    // The pairs are stored for good once this context is released, and that must happen under the lock.
    prov.Free();
}

void HandleCryptError(BOOL bUseLastError, DWORD dwCode, const char* pszContext)
{
    ThrowCryptError(bUseLastError, dwCode, pszContext);
}

void ThrowCryptError(BOOL bUseLastError, DWORD dwCode, const char* pszContext)
{
    if (bUseLastError)
    {
        dwCode = ::GetLastError();
        if (dwCode == 0)
            dwCode = kFailedWithoutCode;
    }
    if (dwCode == 0)
        return;
    CString strMessage = pszContext ? pszContext : "";
    strMessage += "\r\n";
    strMessage += GetCryptErrorText(dwCode);
    throw new CException(strMessage);
}

CString GetCryptErrorText(DWORD dwCode)
{
    for (const FoundationText::CryptErrorText& entry : FoundationText::kCryptErrors)
    {
        if (entry.dwCode == dwCode)
            return entry.pszText;
    }
    CString strText;
    strText.Format(FoundationText::kUnknownCryptError, (unsigned)dwCode);
    return strText;
}
