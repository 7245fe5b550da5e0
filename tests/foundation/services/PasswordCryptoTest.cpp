// Tests of password encryption with CryptoAPI.
#include "foundation/PasswordCrypto.h"

#include <string.h>

#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "foundation/Exception.h"

namespace
{
const DWORD kColumnSize = 512;

DWORD ReadLength(const BYTE* p)
{
    return p[0] | (p[1] << 8) | (p[2] << 16) | ((DWORD)p[3] << 24);
}

void PutLength(BYTE* p, DWORD dwLength)
{
    p[0] = (BYTE)dwLength;
    p[1] = (BYTE)(dwLength >> 8);
    p[2] = (BYTE)(dwLength >> 16);
    p[3] = (BYTE)(dwLength >> 24);
}

// The message of the CException that the call throws, or "no exception".
template <typename F> std::string ThrownMessage(F call)
{
    try
    {
        call();
    }
    catch (CException* pException)
    {
        std::string strMessage = (const char*)pException->m_strMessage;
        delete pException;
        return strMessage;
    }
    return "no exception";
}

std::string Decrypt(const std::vector<BYTE>& block, DWORD* pdwStatus = NULL, const char* pszPassPhrase = NULL)
{
    DWORD dwStatus = 0xDEAD;
    CString strPlain = CAPIDecrypt(block.data(), (DWORD)block.size(), &dwStatus, pszPassPhrase);
    if (pdwStatus != NULL)
        *pdwStatus = dwStatus;
    return std::string(strPlain, strPlain.GetLength());
}

std::vector<BYTE> Encrypt(const std::string& strPlain, DWORD nSize = kColumnSize,
                          const char* pszPassPhrase = NULL)
{
    std::vector<BYTE> block(nSize, 0xCC);
    CAPIEncrypt(strPlain.c_str(), block.data(), nSize, pszPassPhrase);
    return block;
}

// A block of the program's layout whose session key is wrapped by the exchange key of another container,
// as a block copied from another user's profile would be.
std::vector<BYTE> EncryptUnderForeignContainer(const std::string& strPlain)
{
    const char* pszContainer = "OrbForeignUserTest";
    HCRYPTPROV hProv = 0;
    if (!CryptAcquireContextA(&hProv, pszContainer, NULL, PROV_RSA_FULL, 0))
    {
        EXPECT_TRUE(CryptAcquireContextA(&hProv, pszContainer, NULL, PROV_RSA_FULL, CRYPT_NEWKEYSET));
    }
    HCRYPTKEY hExchange = 0;
    if (!CryptGetUserKey(hProv, AT_KEYEXCHANGE, &hExchange))
    {
        EXPECT_TRUE(CryptGenKey(hProv, AT_KEYEXCHANGE, 0, &hExchange));
    }
    HCRYPTKEY hKey = 0;
    EXPECT_TRUE(CryptGenKey(hProv, CALG_RC4, CRYPT_EXPORTABLE, &hKey));
    DWORD dwBlob = 0;
    EXPECT_TRUE(CryptExportKey(hKey, hExchange, SIMPLEBLOB, 0, NULL, &dwBlob));
    std::vector<BYTE> block(kColumnSize, 0);
    EXPECT_TRUE(CryptExportKey(hKey, hExchange, SIMPLEBLOB, 0, block.data() + 4, &dwBlob));
    PutLength(block.data(), dwBlob);
    PutLength(block.data() + 4 + dwBlob, (DWORD)strPlain.size());
    BYTE* pCipher = block.data() + 8 + dwBlob;
    memcpy(pCipher, strPlain.data(), strPlain.size());
    DWORD dwLength = (DWORD)strPlain.size();
    EXPECT_TRUE(CryptEncrypt(hKey, 0, TRUE, 0, pCipher, &dwLength, dwLength));
    CryptDestroyKey(hKey);
    CryptDestroyKey(hExchange);
    CryptReleaseContext(hProv, 0);
    return block;
}
} // namespace

TEST(PasswordCrypto, RoundTripsPasswordsOfEverySize)
{
    struct Case
    {
        std::string strPlain;
        DWORD nSize;
    };
    const Case cases[] = {
        {"", kColumnSize},
        {"secret", kColumnSize},
        {"p\xE4ss w\xF6rd \x80\xFF", kColumnSize},
        {std::string(1500, 'x') + "end", 4096},
        {std::string(2000, '\x01'), 4096},
    };
    for (const Case& c : cases)
    {
        std::vector<BYTE> block = Encrypt(c.strPlain, c.nSize);
        DWORD dwStatus = 0xDEAD;
        EXPECT_EQ(c.strPlain, Decrypt(block, &dwStatus)) << c.strPlain.size();
        EXPECT_EQ(0u, dwStatus);
    }
}

TEST(PasswordCrypto, BlockHoldsWrappedKeyThenLengthThenCipherAndLeavesTheRestAlone)
{
    std::string strPlain = "hunter2";
    std::vector<BYTE> block = Encrypt(strPlain);
    DWORD dwBlob = ReadLength(block.data());
    ASSERT_GT(dwBlob, 0u);
    ASSERT_LT(dwBlob + 8 + strPlain.size(), kColumnSize);
    EXPECT_EQ(SIMPLEBLOB, block[4]);
    EXPECT_EQ(strPlain.size(), ReadLength(block.data() + 4 + dwBlob));
    const BYTE* pCipher = block.data() + 8 + dwBlob;
    EXPECT_NE(0, memcmp(pCipher, strPlain.data(), strPlain.size()));
    for (size_t i = 8 + dwBlob + strPlain.size(); i < block.size(); i++)
        ASSERT_EQ(0xCC, block[i]) << i;
}

TEST(PasswordCrypto, EmptyPasswordWritesZeroLengthAndNoCipher)
{
    std::vector<BYTE> block = Encrypt("");
    DWORD dwBlob = ReadLength(block.data());
    EXPECT_EQ(0u, ReadLength(block.data() + 4 + dwBlob));
    EXPECT_EQ(0xCC, block[8 + dwBlob]);
}

TEST(PasswordCrypto, EachEncryptionUsesAFreshSessionKey)
{
    std::vector<BYTE> first = Encrypt("same");
    std::vector<BYTE> second = Encrypt("same");
    EXPECT_NE(first, second);
}

TEST(PasswordCrypto, PassPhraseBlocksCarryOnlyLengthAndCipher)
{
    std::vector<BYTE> block = Encrypt("mail password", 64, "phrase");
    EXPECT_EQ(13u, ReadLength(block.data()));
    EXPECT_EQ("mail password", Decrypt(block, NULL, "phrase"));
    EXPECT_NE("mail password", Decrypt(block, NULL, "other phrase"));
}

TEST(PasswordCrypto, BlockOfAnotherUsersKeyAsksForThePasswordAgain)
{
    std::vector<BYTE> block = EncryptUnderForeignContainer("their secret");
    DWORD dwStatus = 0;
    EXPECT_EQ("", Decrypt(block, &dwStatus));
    EXPECT_EQ((DWORD)NTE_BAD_DATA, dwStatus);
}

TEST(PasswordCrypto, BlocksDecryptInLaterSessionsOfTheSameUser)
{
    std::vector<BYTE> block = Encrypt("kept across runs");
    // The key pair lives in the user's default container, not in a throwaway context.
    HCRYPTPROV hProv = 0;
    ASSERT_TRUE(CryptAcquireContextA(&hProv, NULL, NULL, PROV_RSA_FULL, 0));
    HCRYPTKEY hExchange = 0;
    EXPECT_TRUE(CryptGetUserKey(hProv, AT_KEYEXCHANGE, &hExchange));
    HCRYPTKEY hSignature = 0;
    EXPECT_TRUE(CryptGetUserKey(hProv, AT_SIGNATURE, &hSignature));
    CryptDestroyKey(hExchange);
    CryptDestroyKey(hSignature);
    CryptReleaseContext(hProv, 0);
    EXPECT_EQ("kept across runs", Decrypt(block));
}

// The public half of the container's exchange pair, read through a context of its own.
std::vector<BYTE> ExchangePublicKey(const char* pszContainer)
{
    std::vector<BYTE> blob;
    HCRYPTPROV hProv = 0;
    if (!CryptAcquireContextA(&hProv, pszContainer, NULL, PROV_RSA_FULL, 0))
        return blob;
    HCRYPTKEY hExchange = 0;
    DWORD dwBlob = 0;
    if (CryptGetUserKey(hProv, AT_KEYEXCHANGE, &hExchange) &&
        CryptExportKey(hExchange, 0, PUBLICKEYBLOB, 0, NULL, &dwBlob))
    {
        blob.resize(dwBlob);
        if (!CryptExportKey(hExchange, 0, PUBLICKEYBLOB, 0, blob.data(), &dwBlob))
            blob.clear();
    }
    if (hExchange != 0)
        CryptDestroyKey(hExchange);
    CryptReleaseContext(hProv, 0);
    return blob;
}

// Processes starting together on a new profile all find the pairs missing; a pair created by one must
// not be replaced by another's, or the passwords it wrapped are lost.
TEST(PasswordCrypto, ConcurrentFirstUsersOfAContainerEndWithOneExchangePair)
{
    const char* pszContainer = "OrbKeyPairRaceTest";
    HCRYPTPROV hDelete = 0;
    CryptAcquireContextA(&hDelete, pszContainer, NULL, PROV_RSA_FULL, CRYPT_DELETEKEYSET);
    HCRYPTPROV hCreate = 0;
    ASSERT_TRUE(CryptAcquireContextA(&hCreate, pszContainer, NULL, PROV_RSA_FULL, CRYPT_NEWKEYSET));
    CryptReleaseContext(hCreate, 0);

    const int kThreads = 6;
    std::vector<HCRYPTPROV> contexts(kThreads, 0);
    for (HCRYPTPROV& hProv : contexts)
        ASSERT_TRUE(CryptAcquireContextA(&hProv, pszContainer, NULL, PROV_RSA_FULL, 0));
    std::vector<std::vector<BYTE>> seen(kThreads);
    std::vector<std::string> errors(kThreads);
    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads; i++)
    {
        threads.emplace_back([&, i] {
            std::string strError = ThrownMessage([&] { EnsureUserKeyPairs(contexts[i]); });
            if (strError != "no exception")
                errors[i] = strError;
            seen[i] = ExchangePublicKey(pszContainer);
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    for (HCRYPTPROV hProv : contexts)
        CryptReleaseContext(hProv, 0);

    std::vector<BYTE> final = ExchangePublicKey(pszContainer);
    ASSERT_FALSE(final.empty());
    for (int i = 0; i < kThreads; i++)
    {
        EXPECT_EQ("", errors[i]) << i;
        EXPECT_TRUE(seen[i] == final) << "thread " << i << " saw another exchange pair";
    }
    CryptAcquireContextA(&hDelete, pszContainer, NULL, PROV_RSA_FULL, CRYPT_DELETEKEYSET);
}

TEST(PasswordCrypto, PasswordTooLongForTheBufferFailsWithoutWriting)
{
    std::vector<BYTE> block(kColumnSize, 0xCC);
    std::string strPlain(600, 'p');
    std::string strMessage = ThrownMessage([&] { CAPIEncrypt(strPlain.c_str(), block.data(), kColumnSize); });
    EXPECT_EQ("Error during CAPIEncrypt!\r\nThe password is too long for its buffer.", strMessage);
    EXPECT_EQ(std::vector<BYTE>(kColumnSize, 0xCC), block);

    std::vector<BYTE> small(20, 0xCC);
    strMessage = ThrownMessage([&] { CAPIEncrypt("1234567890123456789", small.data(), 20, "phrase"); });
    EXPECT_EQ("Error during CAPIEncrypt!\r\nThe password is too long for its buffer.", strMessage);
}

TEST(PasswordCrypto, DamagedBlocksFailCleanly)
{
    std::vector<BYTE> good = Encrypt("secret");
    DWORD dwBlob = ReadLength(good.data());
    struct Case
    {
        const char* pszWhat;
        DWORD dwOffset;
        DWORD dwValue;
        const char* pszMessage;
    };
    const Case cases[] = {
        {"blob length 0", 0, 0, "Error during CAPIDecrypt!\r\nNo data!"},
        {"blob length past the buffer", 0, 0x7FFFFFF0,
         "Error during CAPIDecrypt!\r\nThe encrypted password is damaged."},
        {"blob length leaving no room", 0, kColumnSize - 6,
         "Error during CAPIDecrypt!\r\nThe encrypted password is damaged."},
        {"text length past the buffer", 4 + dwBlob, kColumnSize,
         "Error during CAPIDecrypt!\r\nThe encrypted password is damaged."},
        {"huge text length", 4 + dwBlob, 0xFFFFFFFF,
         "Error during CAPIDecrypt!\r\nThe encrypted password is damaged."},
    };
    for (const Case& c : cases)
    {
        std::vector<BYTE> block = good;
        PutLength(block.data() + c.dwOffset, c.dwValue);
        EXPECT_EQ(c.pszMessage, ThrownMessage([&] { Decrypt(block); })) << c.pszWhat;
    }
    std::vector<BYTE> tiny(3, 0);
    EXPECT_EQ("Error during CAPIDecrypt!\r\nThe encrypted password is damaged.",
              ThrownMessage([&] { CAPIDecrypt(tiny.data(), 3, NULL); }));
}

TEST(PasswordCrypto, ErrorTextsNameTheCode)
{
    EXPECT_EQ("Error during CryptGenKey!\r\nNTE_BAD_KEY: The dwKeySpec parameter contains an invalid value.",
              ThrownMessage([] { ThrowCryptError(FALSE, (DWORD)NTE_BAD_KEY, "Error during CryptGenKey!"); }));
    EXPECT_EQ("ctx\r\nUnknown error: 0x1234.", ThrownMessage([] { ThrowCryptError(FALSE, 0x1234, "ctx"); }));
    EXPECT_EQ("no exception", ThrownMessage([] { ThrowCryptError(FALSE, 0, "ctx"); }));
    // A failed call that left no error code behind is still a failure.
    EXPECT_NE("no exception", ThrownMessage(
                                  []
                                  {
                                      SetLastError(0);
                                      HandleCryptError(TRUE, 0, "ctx");
                                  }));
}
