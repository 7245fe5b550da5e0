// Shell registration: the keys written from each starting state, the values kept for restoring, the
// question and its "Do not prompt" box, the shortcut, and the shell starting the host program through them.
#include <windows.h>

#include <shlobj.h>

#include <gtest/gtest.h>

#include <atlbase.h>

#include <fstream>
#include <iterator>
#include <map>
#include <string>

#include "app/Letrova.h"
#include "app/ShellFileTypes.h"
#include "tests/app/AppTestSupport.h"
#include "tests/support/DialogResponder.h"
#include "tests/support/Screenshot.h"

namespace
{
const char kShellFolders[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
const char kOptionsKey[] = "software\\Vorn\\Letrova\\Options";

std::string ReadValue(HKEY hRoot, const std::string& strKey, const char* pszName, bool* pbPresent = nullptr)
{
    char szValue[1024] = {};
    DWORD cbValue = sizeof(szValue);
    bool bPresent =
        ::RegGetValueA(hRoot, strKey.c_str(), pszName, RRF_RT_REG_SZ, nullptr, szValue, &cbValue) == ERROR_SUCCESS;
    if (pbPresent != nullptr)
        *pbPresent = bPresent;
    return bPresent ? szValue : "";
}

std::string ReadBinary(HKEY hRoot, const std::string& strKey, const char* pszName)
{
    BYTE data[16] = {};
    DWORD cbData = sizeof(data);
    if (::RegGetValueA(hRoot, strKey.c_str(), pszName, RRF_RT_REG_BINARY, nullptr, data, &cbData) != ERROR_SUCCESS)
        return "missing";
    return std::string(reinterpret_cast<char*>(data), cbData);
}

DWORD ReadNumber(HKEY hRoot, const std::string& strKey, const char* pszName)
{
    DWORD dwValue = 99;
    DWORD cbValue = sizeof(dwValue);
    ::RegGetValueA(hRoot, strKey.c_str(), pszName, RRF_RT_REG_DWORD, nullptr, &dwValue, &cbValue);
    return dwValue;
}

void WriteRaw(HKEY hRoot, const std::string& strKey, const char* pszName, DWORD dwType, const void* pData,
              DWORD cbData)
{
    HKEY hKey = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExA(hRoot, strKey.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &hKey,
                                               nullptr));
    EXPECT_EQ(ERROR_SUCCESS, ::RegSetValueExA(hKey, pszName, 0, dwType, static_cast<const BYTE*>(pData), cbData));
    ::RegCloseKey(hKey);
}

void WriteValue(HKEY hRoot, const std::string& strKey, const char* pszName, const std::string& strValue)
{
    WriteRaw(hRoot, strKey, pszName, REG_SZ, strValue.c_str(), static_cast<DWORD>(strValue.size() + 1));
}

std::string Option(const char* pszName, bool* pbPresent = nullptr)
{
    return ReadValue(HKEY_CURRENT_USER, kOptionsKey, pszName, pbPresent);
}

std::string TempFolder(const char* pszName)
{
    char szTemp[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, szTemp);
    std::string strFolder = std::string(szTemp) + pszName + "\\";
    ::SHCreateDirectoryExA(nullptr, strFolder.c_str(), nullptr);
    return strFolder;
}

std::string ReadText(const std::string& strPath)
{
    std::ifstream file(strPath, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

const char kBackupKey[] = "Software\\Vorn\\ShellTestBackup";
const char* const kClassKeys[] = {".eml", ".vcf", "mailto", "VornVizozi.Document", "VornVizozi.vcard"};

// The classes and keys the registration touches, copied aside before a test and put back after it, so each
// test starts from the state it seeds and the prefix keeps its own.
class CShellKeysGuard
{
public:
    CShellKeysGuard()
    {
        ::RegDeleteTreeA(HKEY_CURRENT_USER, kBackupKey);
        for (const char* pszKey : kClassKeys)
            Copy(HKEY_CLASSES_ROOT, pszKey, HKEY_CURRENT_USER, std::string(kBackupKey) + "\\classes\\" + pszKey);
        Copy(HKEY_LOCAL_MACHINE, ShellText::kMailClientsKey, HKEY_CURRENT_USER, std::string(kBackupKey) + "\\clients");
        Copy(HKEY_CURRENT_USER, kShellFolders, HKEY_CURRENT_USER, std::string(kBackupKey) + "\\folders");
        Clear();
    }
    ~CShellKeysGuard()
    {
        Clear();
        ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, ShellText::kMailClientsKey);
        for (const char* pszKey : kClassKeys)
            Copy(HKEY_CURRENT_USER, std::string(kBackupKey) + "\\classes\\" + pszKey, HKEY_CLASSES_ROOT, pszKey);
        Copy(HKEY_CURRENT_USER, std::string(kBackupKey) + "\\clients", HKEY_LOCAL_MACHINE, ShellText::kMailClientsKey);
        Copy(HKEY_CURRENT_USER, std::string(kBackupKey) + "\\folders", HKEY_CURRENT_USER, kShellFolders);
        ::RegDeleteTreeA(HKEY_CURRENT_USER, kBackupKey);
    }
    // The registration's classes, the mail clients' default and our client's key, gone.
    static void Clear()
    {
        for (const char* pszKey : kClassKeys)
        {
            ::RegDeleteTreeA(HKEY_CLASSES_ROOT, pszKey);
            ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, (std::string("Software\\Classes\\") + pszKey).c_str());
            ::RegDeleteTreeA(HKEY_CURRENT_USER, (std::string("Software\\Classes\\") + pszKey).c_str());
        }
        ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, (std::string(ShellText::kMailClientsKey) + "\\OrbMail").c_str());
        ::RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, ShellText::kMailClientsKey, nullptr);
    }

private:
    static void Copy(HKEY hFromRoot, const std::string& strFrom, HKEY hToRoot, const std::string& strTo)
    {
        HKEY hFrom = nullptr;
        if (::RegOpenKeyExA(hFromRoot, strFrom.c_str(), 0, KEY_READ, &hFrom) != ERROR_SUCCESS)
            return;
        HKEY hTo = nullptr;
        if (::RegCreateKeyExA(hToRoot, strTo.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &hTo, nullptr) ==
            ERROR_SUCCESS)
        {
            ::RegCopyTreeA(hFrom, nullptr, hTo);
            ::RegCloseKey(hTo);
        }
        ::RegCloseKey(hFrom);
    }
};

class ShellFileTypesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_strHostFolder = TempFolder("shell tests\\Vorn Host");
        m_strExe = m_strHostFolder + "Host App.exe";
        ASSERT_TRUE(::CopyFileA(ORB_SHELL_RECORDER_EXE, m_strExe.c_str(), FALSE));
        m_strSendTo = TempFolder("shell tests\\Send To");
        ::DeleteFileA((m_strSendTo + "Email To.lnk").c_str());
        WriteValue(HKEY_CURRENT_USER, kShellFolders, "SendTo", m_strSendTo.substr(0, m_strSendTo.size() - 1));
    }

    // A Letrova object for the host program, with the prompt setting given (absent when -1).
    CComPtr<ILetrova> NewHostObject(int nDisplayPrompt, CLetrova** ppObject)
    {
        if (nDisplayPrompt >= 0)
        {
            DWORD dwPrompt = static_cast<DWORD>(nDisplayPrompt);
            WriteRaw(HKEY_CURRENT_USER, kOptionsKey, "Display associate prompt", REG_DWORD, &dwPrompt,
                     sizeof(dwPrompt));
        }
        CComPtr<ILetrova> pLetrova = NewLetrova(ppObject);
        (*ppObject)->m_strExePath = m_strExe.c_str();
        return pLetrova;
    }

    std::string OurMailTo() const { return "\"" + m_strExe + "\" /mailurl:%1"; }

    // Another client on ".eml" and mailto, as a machine would have it.
    static void SeedOtherClient(const std::string& strMailTo)
    {
        WriteValue(HKEY_CLASSES_ROOT, ".eml", nullptr, "Other.Message");
        WriteValue(HKEY_CLASSES_ROOT, ".vcf", nullptr, "Other.vCard");
        WriteValue(HKEY_CLASSES_ROOT, "mailto\\shell\\open\\command", nullptr, strMailTo);
        WriteValue(HKEY_CLASSES_ROOT, "mailto\\DefaultIcon", nullptr, "C:\\Other\\other.exe,3");
        WriteValue(HKEY_LOCAL_MACHINE, ShellText::kMailClientsKey, nullptr, "Other Mail");
    }

    void ExpectRegistered()
    {
        const std::string strClient = "SOFTWARE\\Clients\\Mail\\OrbMail";
        const std::string strQuoted = "\"" + m_strExe + "\"";
        const struct
        {
            HKEY hRoot;
            std::string strKey;
            const char* pszName;
            std::string strData;
        } expected[] = {
            {HKEY_LOCAL_MACHINE, strClient, nullptr, "Vorn Email"},
            {HKEY_LOCAL_MACHINE, strClient + "\\Protocols\\mailto", nullptr, "URL:MailTo Protocol"},
            {HKEY_LOCAL_MACHINE, strClient + "\\Protocols\\mailto", "URL Protocol", ""},
            {HKEY_LOCAL_MACHINE, strClient + "\\Protocols\\mailto\\DefaultIcon", nullptr, m_strExe},
            {HKEY_LOCAL_MACHINE, strClient + "\\Protocols\\mailto\\shell\\open\\command", nullptr,
             strQuoted + " /mailurl:%1"},
            {HKEY_LOCAL_MACHINE, strClient + "\\shell\\open\\command", nullptr, strQuoted},
            {HKEY_LOCAL_MACHINE, "SOFTWARE\\Clients\\Mail", nullptr, "OrbMail"},
            {HKEY_CLASSES_ROOT, "VornVizozi.Document", nullptr, "Vorn Vedura Mail Message"},
            {HKEY_CLASSES_ROOT, "VornVizozi.Document\\DefaultIcon", nullptr, m_strExe + ",1"},
            {HKEY_CLASSES_ROOT, "VornVizozi.Document\\shell\\open\\command", nullptr, strQuoted + " /f %1"},
            {HKEY_CLASSES_ROOT, ".eml", nullptr, "VornVizozi.Document"},
            {HKEY_CLASSES_ROOT, "mailto", nullptr, "URL:MailTo Protocol"},
            {HKEY_CLASSES_ROOT, "mailto", "URL Protocol", ""},
            {HKEY_CLASSES_ROOT, "mailto\\DefaultIcon", nullptr, m_strExe + ",-2"},
            {HKEY_CLASSES_ROOT, "mailto\\shell\\open\\command", nullptr, OurMailTo()},
            {HKEY_CLASSES_ROOT, "VornVizozi.vcard", nullptr, "vCard File"},
            {HKEY_CLASSES_ROOT, "VornVizozi.vcard\\DefaultIcon", nullptr, m_strExe + ",2"},
            {HKEY_CLASSES_ROOT, "VornVizozi.vcard\\shell\\open\\command", nullptr, strQuoted + " /vcard %1"},
            {HKEY_CLASSES_ROOT, ".vcf", nullptr, "VornVizozi.vcard"},
        };
        for (const auto& value : expected)
        {
            bool bPresent = false;
            EXPECT_EQ(value.strData, ReadValue(value.hRoot, value.strKey, value.pszName, &bPresent))
                << value.strKey << " " << (value.pszName ? value.pszName : "(default)");
            EXPECT_TRUE(bPresent) << value.strKey;
        }
        const std::string strFlags("\x02\x00\x00\x00", 4);
        EXPECT_EQ(strFlags, ReadBinary(HKEY_CLASSES_ROOT, "mailto", "EditFlags"));
        EXPECT_EQ(strFlags, ReadBinary(HKEY_LOCAL_MACHINE, strClient + "\\Protocols\\mailto", "EditFlags"));
        char szModule[MAX_PATH] = {};
        ::GetModuleFileNameA(nullptr, szModule, MAX_PATH);
        EXPECT_STRCASEEQ(szModule, ReadValue(HKEY_LOCAL_MACHINE, strClient, "DLLPath").c_str());
    }

    void ExpectShortcut()
    {
        CComPtr<IShellLinkA> pLink;
        ASSERT_HRESULT_SUCCEEDED(pLink.CoCreateInstance(CLSID_ShellLink));
        CComPtr<IPersistFile> pFile;
        ASSERT_HRESULT_SUCCEEDED(pLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&pFile)));
        CComBSTR bstrPath((m_strSendTo + "Email To.lnk").c_str());
        ASSERT_HRESULT_SUCCEEDED(pFile->Load(bstrPath, STGM_READ));
        char szTarget[MAX_PATH] = {}, szArguments[MAX_PATH] = {}, szDescription[MAX_PATH] = {};
        pLink->GetPath(szTarget, MAX_PATH, nullptr, SLGP_RAWPATH);
        pLink->GetArguments(szArguments, MAX_PATH);
        pLink->GetDescription(szDescription, MAX_PATH);
        EXPECT_STRCASEEQ(m_strExe.c_str(), szTarget);
        EXPECT_STREQ("", szArguments);
        EXPECT_STREQ("Email by Vorn Email", szDescription);
    }

    CFreshSettings m_settings;
    CShellKeysGuard m_keys;
    std::string m_strHostFolder;
    std::string m_strExe;
    std::string m_strSendTo;
};

TEST_F(ShellFileTypesTest, EachStartingStateEndsRegisteredWithTheReplacedValuesKept)
{
    const std::string strOtherMailTo = "C:\\Other\\other.exe /mailto %1";
    const struct
    {
        const char* pszState;
        int nSeed; // 0 fresh, 1 another client, 2 ours already, 3 mailto naming the host unquoted
        bool bAsks;
        const char* pszOldFileType;
        const char* pszOldMailTo;
        const char* pszOldVcard;
    } cases[] = {
        {"fresh", 0, false, "", "", ""},
        {"another client", 1, true, "Other.Message", "C:\\Other\\other.exe /mailto %1", "Other.vCard"},
        {"ours already", 2, false, "", "", ""},
        {"mailto naming the host", 3, true, "Other.Message", "", "Other.vCard"},
    };
    for (const auto& test : cases)
    {
        SCOPED_TRACE(test.pszState);
        CShellKeysGuard::Clear();
        ::RegDeleteTreeA(HKEY_CURRENT_USER, kOptionsKey);
        if (test.nSeed == 1)
            SeedOtherClient(strOtherMailTo);
        if (test.nSeed == 3)
            SeedOtherClient(m_strExe + " /mailurl:%1");
        if (test.nSeed == 2)
        {
            WriteValue(HKEY_CLASSES_ROOT, ".eml", nullptr, "VornVizozi.Document");
            WriteValue(HKEY_CLASSES_ROOT, "mailto\\shell\\open\\command", nullptr, OurMailTo());
        }
        CLetrova* pObject = nullptr;
        CComPtr<ILetrova> pLetrova = NewHostObject(1, &pObject);
        CDialogResponder responder(::GetCurrentThreadId(), [](HWND hWnd) {
            return CDialogResponder::Press(hWnd, IDOK);
        });
        CComBSTR bstrExe(m_strExe.c_str());
        ASSERT_HRESULT_SUCCEEDED(pLetrova->RegisterShellFileTypes(bstrExe));
        EXPECT_EQ(test.bAsks ? 1u : 0u, responder.Answered().size());

        if (test.nSeed == 2)
        {
            // Nothing replaced, nothing kept: the classes it did not own are not written.
            EXPECT_EQ("", ReadValue(HKEY_CLASSES_ROOT, ".vcf", nullptr));
            EXPECT_EQ("", ReadValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\Clients\\Mail", nullptr));
            bool bPresent = true;
            Option("Old Default Mail Client", &bPresent);
            EXPECT_FALSE(bPresent);
            EXPECT_EQ(OurMailTo(), ReadValue(HKEY_CLASSES_ROOT, "mailto\\shell\\open\\command", nullptr));
        }
        else
        {
            ExpectRegistered();
            EXPECT_EQ(test.nSeed == 0 ? "" : "Other Mail", Option("Old Default Mail Client"));
        }
        EXPECT_EQ(test.pszOldFileType, Option("Old File TypeId"));
        EXPECT_EQ(test.pszOldMailTo, Option("Old Mail To"));
        EXPECT_EQ(test.nSeed == 1 ? "C:\\Other\\other.exe,3" : "", Option("Old Mail To Default Icon"));
        EXPECT_EQ(test.pszOldVcard, Option("Old Vcard Id"));
        ExpectShortcut();
        pLetrova.Release();
    }
}

TEST_F(ShellFileTypesTest, RestoreOldPutsBackWhatTheRegistrationReplaced)
{
    SeedOtherClient("C:\\Other\\other.exe /mailto %1");
    CLetrova* pObject = nullptr;
    CComPtr<ILetrova> pLetrova = NewHostObject(1, &pObject);
    CShellFileTypes::Register(pObject, FALSE);
    ASSERT_TRUE(CShellFileTypes::IsDocumentTypeRegistered());
    ASSERT_TRUE(CShellFileTypes::HasOldFileTypeId(&pObject->m_registry));

    EXPECT_EQ("Other.Message", std::string(CShellFileTypes::RestoreOld(pObject)));
    EXPECT_EQ("Other.Message", ReadValue(HKEY_CLASSES_ROOT, ".eml", nullptr));
    EXPECT_EQ("Other.vCard", ReadValue(HKEY_CLASSES_ROOT, ".vcf", nullptr));
    EXPECT_EQ("C:\\Other\\other.exe /mailto %1", ReadValue(HKEY_CLASSES_ROOT, "mailto\\shell\\open\\command", nullptr));
    EXPECT_EQ("C:\\Other\\other.exe,3", ReadValue(HKEY_CLASSES_ROOT, "mailto\\DefaultIcon", nullptr));
    EXPECT_EQ("Other Mail", ReadValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\Clients\\Mail", nullptr));
    EXPECT_FALSE(CShellFileTypes::IsDocumentTypeRegistered());

    // After a registration on a clean machine there is nothing to go back to: empty values.
    CShellKeysGuard::Clear();
    ::RegDeleteTreeA(HKEY_CURRENT_USER, kOptionsKey);
    CShellFileTypes::Register(pObject, FALSE);
    EXPECT_FALSE(CShellFileTypes::HasOldFileTypeId(&pObject->m_registry));
    EXPECT_EQ("", std::string(CShellFileTypes::RestoreOld(pObject)));
    bool bPresent = false;
    EXPECT_EQ("", ReadValue(HKEY_CLASSES_ROOT, ".eml", nullptr, &bPresent));
    EXPECT_TRUE(bPresent);
    EXPECT_EQ("", ReadValue(HKEY_CLASSES_ROOT, "mailto\\shell\\open\\command", nullptr));
}

TEST_F(ShellFileTypesTest, TheQuestionDecidesAndCanBeTurnedOff)
{
    const struct
    {
        const char* pszAnswer;
        int nButton;
        bool bDoNotPrompt;
        bool bRegistered;
        int nPromptAfter;
    } cases[] = {
        {"No", IDCANCEL, false, false, 1},
        {"No, do not prompt", IDCANCEL, true, false, 0},
        {"Yes, do not prompt", IDOK, true, true, 0},
    };
    for (const auto& test : cases)
    {
        SCOPED_TRACE(test.pszAnswer);
        CShellKeysGuard::Clear();
        ::RegDeleteTreeA(HKEY_CURRENT_USER, kOptionsKey);
        SeedOtherClient("C:\\Other\\other.exe /mailto %1");
        CLetrova* pObject = nullptr;
        CComPtr<ILetrova> pLetrova = NewHostObject(1, &pObject);
        std::string strQuestion;
        std::string strShot;
        CDialogResponder responder(::GetCurrentThreadId(), [&](HWND hWnd) {
            strQuestion = CDialogResponder::ItemText(hWnd, IDC_PROMPT_QUESTION);
            if (strShot.empty())
                strShot = SaveWindowScreenshot(hWnd, "associate-prompt");
            CDialogResponder::SetCheck(hWnd, IDC_DO_NOT_PROMPT, test.bDoNotPrompt);
            return CDialogResponder::Press(hWnd, test.nButton);
        });
        CShellFileTypes::Register(pObject, TRUE);
        ASSERT_EQ(1u, responder.Answered().size());
        EXPECT_EQ("Vorn Email is not currently your default mail client.\r\nWould you like to make it your "
                  "default mail client?\r\n\r\nAlso you can associate by choice the Associate item of the Tools "
                  "menu any time. Choice the Restore Old Associate menu item for restoring associating of the "
                  "email messages with previous mail client.",
                  strQuestion);
        EXPECT_EQ(test.bRegistered, CShellFileTypes::IsDocumentTypeRegistered());
        EXPECT_EQ(test.bRegistered ? "Other.Message" : "", Option("Old File TypeId"));
        EXPECT_EQ(static_cast<DWORD>(test.nPromptAfter),
                  ReadNumber(HKEY_CURRENT_USER, kOptionsKey, "Display associate prompt"));
        // The shortcut is kept whatever the answer.
        ExpectShortcut();
        pLetrova.Release();

        if (test.nPromptAfter == 0 && !test.bRegistered)
        {
            // Told not to ask, the COM method leaves the other client in place without a question.
            CComPtr<ILetrova> pAgain = NewHostObject(-1, &pObject);
            CComBSTR bstrExe(m_strExe.c_str());
            pAgain->RegisterShellFileTypes(bstrExe);
            EXPECT_EQ(1u, responder.Answered().size());
            EXPECT_EQ("Other.Message", ReadValue(HKEY_CLASSES_ROOT, ".eml", nullptr));
        }
    }
}

TEST_F(ShellFileTypesTest, TheShellStartsTheHostWithTheRawArgumentAfterItsSwitch)
{
    CLetrova* pObject = nullptr;
    CComPtr<ILetrova> pLetrova = NewHostObject(1, &pObject);
    CShellFileTypes::Register(pObject, FALSE);
    std::string strFiles = TempFolder("shell tests\\My Mail");
    std::string strEml = strFiles + "a message.eml";
    std::string strVcf = strFiles + "a card.vcf";
    std::ofstream(strEml) << "Subject: x\r\n\r\nbody\r\n";
    std::ofstream(strVcf) << "BEGIN:VCARD\r\nEND:VCARD\r\n";

    const std::string strQuoted = "\"" + m_strExe + "\"";
    const struct
    {
        std::string strTarget;
        std::string strCommandLine;
    } cases[] = {
        {"mailto:someone@example.com", strQuoted + " /mailurl:mailto:someone@example.com"},
        {strEml, strQuoted + " /f " + strEml},
        {strVcf, strQuoted + " /vcard " + strVcf},
    };
    const std::string strRecord = m_strHostFolder + "command-line.txt";
    for (const auto& test : cases)
    {
        SCOPED_TRACE(test.strTarget);
        ::DeleteFileA(strRecord.c_str());
        SHELLEXECUTEINFOA info = {sizeof(info)};
        info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
        info.lpVerb = "open";
        info.lpFile = test.strTarget.c_str();
        info.nShow = SW_HIDE;
        ASSERT_TRUE(::ShellExecuteExA(&info)) << ::GetLastError();
        ASSERT_NE(nullptr, info.hProcess);
        EXPECT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(info.hProcess, 60000));
        ::CloseHandle(info.hProcess);
        EXPECT_EQ(test.strCommandLine, ReadText(strRecord));
    }
}
} // namespace
