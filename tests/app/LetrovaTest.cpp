// The Letrova COM object: registration, creation, the command line of each method through the vtable and
// through IDispatch, and the opening of the databases.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "app/Letrova.h"
#include "app/LetrovaGlobals.h"
#include "app/LetrovaRun.h"
#include "app/ThreadManager.h"
#include "tests/app/AppTestSupport.h"
#include "tests/support/WindowReaders.h"

namespace
{
const char kClsidKey[] = "CLSID\\{B31C39C4-4122-4659-9FFC-EB98547834F8}";
const char kTypeLibKey[] = "TypeLib\\{4358AB36-2A03-4F41-8127-3B89757B95A7}";
const char kInterfaceKey[] = "Interface\\{5DDFA8D8-91B7-4987-8221-6374A3489EE5}";

DWORD RunAndWait(std::string strCommandLine)
{
    STARTUPINFOA si = {sizeof(si)};
    PROCESS_INFORMATION pi = {};
    if (!::CreateProcessA(nullptr, &strCommandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                          &pi))
        return ::GetLastError();
    ::WaitForSingleObject(pi.hProcess, 120000);
    DWORD dwExitCode = 1;
    ::GetExitCodeProcess(pi.hProcess, &dwExitCode);
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
    return dwExitCode;
}

bool KeyExists(const char* pszKey)
{
    HKEY hKey = nullptr;
    if (::RegOpenKeyExA(HKEY_CLASSES_ROOT, pszKey, 0, KEY_READ, &hKey) != ERROR_SUCCESS)
        return false;
    ::RegCloseKey(hKey);
    return true;
}

// Every key below and including pszKey as "path" and every value as "path\[name]=data", the module path
// replaced by "%MODULE%".
void DumpKey(HKEY hRoot, const std::string& strKey, const std::string& strModule,
             std::vector<std::string>& out)
{
    HKEY hKey = nullptr;
    if (::RegOpenKeyExA(hRoot, strKey.c_str(), 0, KEY_READ, &hKey) != ERROR_SUCCESS)
        return;
    out.push_back(strKey);
    for (DWORD i = 0;; i++)
    {
        char szName[256] = {};
        DWORD cchName = sizeof(szName);
        char szData[1024] = {};
        DWORD cbData = sizeof(szData) - 1;
        DWORD dwType = 0;
        if (::RegEnumValueA(hKey, i, szName, &cchName, nullptr, &dwType, reinterpret_cast<BYTE*>(szData),
                            &cbData) != ERROR_SUCCESS)
            break;
        std::string strData = szData;
        size_t nAt = strData.find(strModule);
        if (!strModule.empty() && nAt != std::string::npos)
            strData.replace(nAt, strModule.size(), "%MODULE%");
        out.push_back(strKey + "\\[" + szName + "]=" + strData);
    }
    std::vector<std::string> subKeys;
    for (DWORD i = 0;; i++)
    {
        char szName[256] = {};
        DWORD cchName = sizeof(szName);
        if (::RegEnumKeyExA(hKey, i, szName, &cchName, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        subKeys.push_back(szName);
    }
    ::RegCloseKey(hKey);
    for (const std::string& strSub : subKeys)
        DumpKey(hRoot, strKey + "\\" + strSub, strModule, out);
}

std::string InprocServerPath()
{
    char szPath[MAX_PATH] = {};
    LONG cb = sizeof(szPath);
    ::RegQueryValueA(HKEY_CLASSES_ROOT, (std::string(kClsidKey) + "\\InprocServer32").c_str(), szPath, &cb);
    return szPath;
}

class LetrovaTest : public ::testing::Test
{
protected:
    void SetUp() override { ReleaseInstanceRole(); }
    void TearDown() override { ReleaseInstanceRole(); }

    CFreshSettings m_settings;
    CRecordingUser m_user;
    CThreadStarts m_starts;
};

CComBSTR Bstr(const wchar_t* psz)
{
    return CComBSTR(psz);
}
} // namespace

TEST_F(LetrovaTest, Regsvr32WritesTheScriptsKeysAndTheTypeLibraryAndCreationFindsTheClass)
{
    const std::string strDll = ORB_MAIL_DLL;
    ASSERT_EQ(0u, RunAndWait("regsvr32.exe /s \"" + strDll + "\""));

    std::vector<std::string> keys;
    const std::string strModule = InprocServerPath();
    EXPECT_NE(std::string::npos, strModule.find("OrbMail.dll")) << strModule;
    DumpKey(HKEY_CLASSES_ROOT, "LetrovaObject.Letrova.1", strModule, keys);
    DumpKey(HKEY_CLASSES_ROOT, "LetrovaObject.Letrova", strModule, keys);
    DumpKey(HKEY_CLASSES_ROOT, kClsidKey, strModule, keys);
    const std::string c = kClsidKey;
    const std::vector<std::string> expected = {
        "LetrovaObject.Letrova.1",
        "LetrovaObject.Letrova.1\\[]=Vorn Vedura Letrova Class",
        "LetrovaObject.Letrova.1\\CLSID",
        "LetrovaObject.Letrova.1\\CLSID\\[]={B31C39C4-4122-4659-9FFC-EB98547834F8}",
        "LetrovaObject.Letrova",
        "LetrovaObject.Letrova\\[]=Vorn Vedura Letrova Class",
        "LetrovaObject.Letrova\\CLSID",
        "LetrovaObject.Letrova\\CLSID\\[]={B31C39C4-4122-4659-9FFC-EB98547834F8}",
        "LetrovaObject.Letrova\\CurVer",
        "LetrovaObject.Letrova\\CurVer\\[]=LetrovaObject.Letrova.1",
        c,
        c + "\\[]=Vorn Vedura Letrova Class",
        c + "\\Control",
        c + "\\InprocServer32",
        c + "\\InprocServer32\\[]=%MODULE%",
        c + "\\InprocServer32\\[ThreadingModel]=Apartment",
        c + "\\Insertable",
        c + "\\MiscStatus",
        c + "\\MiscStatus\\[]=0",
        c + "\\MiscStatus\\1",
        c + "\\MiscStatus\\1\\[]=131473",
        c + "\\ProgID",
        c + "\\ProgID\\[]=LetrovaObject.Letrova.1",
        c + "\\Programmable",
        c + "\\ToolboxBitmap32",
        c + "\\ToolboxBitmap32\\[]=%MODULE%, 101",
        c + "\\TypeLib",
        c + "\\TypeLib\\[]={4358AB36-2A03-4F41-8127-3B89757B95A7}",
        c + "\\Version",
        c + "\\Version\\[]=1.0",
        c + "\\VersionIndependentProgID",
        c + "\\VersionIndependentProgID\\[]=LetrovaObject.Letrova",
    };
    std::vector<std::string> sortedKeys = keys;
    std::vector<std::string> sortedExpected = expected;
    std::sort(sortedKeys.begin(), sortedKeys.end());
    std::sort(sortedExpected.begin(), sortedExpected.end());
    EXPECT_EQ(sortedExpected, sortedKeys);
    EXPECT_TRUE(KeyExists((std::string(kTypeLibKey) + "\\1.0").c_str()));
    EXPECT_TRUE(KeyExists(kInterfaceKey));

    // The class object of this process stands in for the library's own.
    CLSID clsid = {};
    ASSERT_EQ(S_OK, ::CLSIDFromProgID(L"LetrovaObject.Letrova", &clsid));
    EXPECT_TRUE(::IsEqualCLSID(CLSID_Letrova, clsid));
    ASSERT_EQ(S_OK, ::CLSIDFromProgID(L"LetrovaObject.Letrova.1", &clsid));
    for (const CLSID& classId : {clsid, CLSID_Letrova})
    {
        CComPtr<ILetrova> pLetrova;
        ASSERT_EQ(S_OK, ::CoCreateInstance(classId, nullptr, CLSCTX_INPROC_SERVER, IID_ILetrova,
                                           reinterpret_cast<void**>(&pLetrova)));
        CComPtr<IProvideClassInfo2> pClassInfo;
        EXPECT_EQ(S_OK,
                  pLetrova->QueryInterface(IID_IProvideClassInfo2, reinterpret_cast<void**>(&pClassInfo)));
    }

    ASSERT_EQ(0u, RunAndWait("regsvr32.exe /s /u \"" + strDll + "\""));
    for (const char* pszKey :
         {"LetrovaObject.Letrova.1", "LetrovaObject.Letrova", kClsidKey, kTypeLibKey, kInterfaceKey})
        EXPECT_FALSE(KeyExists(pszKey)) << pszKey;
}

TEST_F(LetrovaTest, EachMethodFormsItsCommandLineAndAThreadRunsIt)
{
    CLetrova* pObject = nullptr;
    CComPtr<ILetrova> pLetrova = NewLetrova(&pObject);
    ASSERT_TRUE(pLetrova);
    ASSERT_EQ(S_OK, pLetrova->OpenDatabase());

    struct Case
    {
        std::function<HRESULT(ILetrova*)> call;
        const char* pszCmdLine;
    };
    const Case cases[] = {
        {[](ILetrova* p) { return p->Letrova(); }, ""},
        {[](ILetrova* p) { return p->NewMessage(0); }, "/n 0"},
        {[](ILetrova* p) { return p->NewMessage(12); }, "/n 12"},
        {[](ILetrova* p) { return p->SendAndReceiveAll(-1); }, "/p -1"},
        {[](ILetrova* p) { return p->AddressBook(); }, "/a"},
        {[](ILetrova* p) { return p->EmailMerge(Bstr(L"a@b.example; c@d.example")); },
         "/n a@b.example; c@d.example"},
        {[](ILetrova* p) { return p->Message(Bstr(L"C:\\mail\\one.eml")); }, "/f C:\\mail\\one.eml"},
        {[](ILetrova* p) { return p->MailTo(Bstr(L"/m mailto:x@y.example")); }, "/m mailto:x@y.example"},
        {[](ILetrova* p) { return p->MailAttach(Bstr(L"C:\\R\u00e9sum\u00e9.txt")); },
         "/ma C:\\R\xe9sum\xe9.txt"},
        {[](ILetrova* p) { return p->MessageID(Bstr(L"/m 42")); }, "/m 42"},
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(S_OK, c.call(pLetrova));
        EXPECT_STREQ(c.pszCmdLine, pObject->m_strCmdLine.GetString());
        EXPECT_TRUE(m_starts.WaitForLine(c.pszCmdLine)) << c.pszCmdLine;
    }
    // Every one but the send-and-receive run opened a window (a fresh profile has no account, so the run ends
    // at once and its window closes); "/n", "/ma" and "/m mailto:" opened new-message windows.
    EXPECT_TRUE(WaitFor([] { return OwnWindows().size() == 9; })) << OwnWindows().size();
    EXPECT_EQ(5u, OwnWindows("New Message").size());

    EXPECT_EQ(S_OK, pLetrova->WindowProc(0, WM_NULL, 0, 0));
    EXPECT_EQ(S_OK, pLetrova->put_ExeModulePath(Bstr(L"C:\\Vorn\\Vedura.exe")));
    EXPECT_STREQ("C:\\Vorn\\Vedura.exe", pObject->m_strExePath.GetString());

    CloseAllAndWait(pLetrova);
    EXPECT_EQ(0, g_nThreadCount);
    EXPECT_TRUE(m_user.Boxes().empty());
}

TEST_F(LetrovaTest, IDispatchReachesEveryMethodByNameAndByDispid)
{
    CLetrova* pObject = nullptr;
    CComPtr<ILetrova> pLetrova = NewLetrova(&pObject);
    CComPtr<IDispatch> pDispatch;
    ASSERT_EQ(S_OK, pLetrova->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&pDispatch)));

    const std::map<std::wstring, DISPID> dispids = {
        {L"Letrova", 1},          {L"Close", 2},
        {L"NewMessage", 3},       {L"SendAndReceiveAll", 4},
        {L"AddressBook", 5},      {L"WindowProc", 6},
        {L"EmailMerge", 7},       {L"RegisterShellFileTypes", 8},
        {L"Message", 9},          {L"MailTo", 10},
        {L"MailAttach", 11},      {L"MessageID", 12},
        {L"ExeModulePath", 13},   {L"OpenDatabase", 14},
        {L"CloseNoWarning", 15},  {L"MAPIFindNext", 17},
        {L"MAPIReadMail", 18},    {L"MAPIAddress", 19},
        {L"MAPIResolveName", 20}, {L"MAPIDeleteMail", 21},
        {L"MAPISendMail", 22},
    };
    for (const auto& entry : dispids)
    {
        LPOLESTR pszName = const_cast<LPOLESTR>(entry.first.c_str());
        DISPID dispid = 0;
        EXPECT_EQ(S_OK, pDispatch->GetIDsOfNames(IID_NULL, &pszName, 1, LOCALE_USER_DEFAULT, &dispid));
        EXPECT_EQ(entry.second, dispid) << std::string(entry.first.begin(), entry.first.end());
    }

    auto invoke = [&](DISPID dispid, WORD wFlags, std::vector<CComVariant> args) {
        // Arguments go in reverse order.
        std::vector<VARIANTARG> reversed(args.rbegin(), args.rend());
        DISPID named = DISPID_PROPERTYPUT;
        DISPPARAMS params = {reversed.data(), wFlags == DISPATCH_PROPERTYPUT ? &named : nullptr,
                             static_cast<UINT>(reversed.size()), wFlags == DISPATCH_PROPERTYPUT ? 1u : 0u};
        CComVariant result;
        return pDispatch->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, wFlags, &params, &result, nullptr,
                                 nullptr);
    };
    ASSERT_EQ(S_OK, invoke(14, DISPATCH_METHOD, {}));
    EXPECT_EQ(S_OK, invoke(11, DISPATCH_METHOD, {CComVariant(L"C:\\a.txt")}));
    EXPECT_STREQ("/ma C:\\a.txt", pObject->m_strCmdLine.GetString());
    EXPECT_EQ(S_OK, invoke(3, DISPATCH_METHOD, {CComVariant(7L)}));
    EXPECT_STREQ("/n 7", pObject->m_strCmdLine.GetString());
    EXPECT_EQ(S_OK, invoke(13, DISPATCH_PROPERTYPUT, {CComVariant(L"C:\\Host.exe")}));
    EXPECT_STREQ("C:\\Host.exe", pObject->m_strExePath.GetString());
    EXPECT_EQ(S_OK, invoke(6, DISPATCH_METHOD,
                           {CComVariant(0L), CComVariant(0L), CComVariant(0L), CComVariant(0L)}));
    // No dispid 16: the property has no getter.
    CComVariant ignored;
    DISPPARAMS none = {};
    EXPECT_NE(S_OK, pDispatch->Invoke(16, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &none, &ignored,
                                      nullptr, nullptr));
    EXPECT_TRUE(m_starts.WaitForLine("/ma C:\\a.txt"));
    EXPECT_TRUE(m_starts.WaitForLine("/n 7"));
    EXPECT_TRUE(WaitFor([] { return OwnWindows().size() == 2; }));
    for (HWND hWnd : OwnWindows())
        ::PostMessageA(hWnd, WM_CLOSE, 0, 0);
    EXPECT_EQ(S_OK, invoke(15, DISPATCH_METHOD, {}));
    EXPECT_EQ(0, g_nThreadCount);
}

TEST_F(LetrovaTest, OpenDatabaseShowsTheSplashForEachDatabaseOnAFreshProfile)
{
    static int s_nSplashes = 0;
    s_nSplashes = 0;
    HHOOK hHook = ::SetWindowsHookExA(
        WH_CBT,
        [](int nCode, WPARAM wParam, LPARAM lParam) -> LRESULT {
            if (nCode == HCBT_CREATEWND)
            {
                char szClass[64] = {};
                ::GetClassNameA(reinterpret_cast<HWND>(wParam), szClass, sizeof(szClass));
                if (std::string(szClass) == "LetrovaSplashWnd")
                    s_nSplashes++;
            }
            return ::CallNextHookEx(nullptr, nCode, wParam, lParam);
        },
        nullptr, ::GetCurrentThreadId());
    CComPtr<ILetrova> pLetrova = NewLetrova();
    EXPECT_EQ(S_OK, pLetrova->OpenDatabase());
    ::UnhookWindowsHookEx(hHook);
    EXPECT_EQ(3, s_nSplashes);
    EXPECT_TRUE(m_user.Boxes().empty());
    for (const char* pszFile : {"Accounts.mdb", "email.mdb", "Orb.mdb"})
        EXPECT_NE(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesA((m_settings.m_strFolder + pszFile).c_str()))
            << pszFile;
}

TEST(LetrovaOpenFailure, AnUnopenableDatabaseGivesSFalseAndDllRunOne)
{
    CFreshSettings settings(true);
    CRecordingUser user;
    CThreadStarts starts;
    {
        CComPtr<ILetrova> pLetrova = NewLetrova();
        EXPECT_EQ(S_FALSE, pLetrova->OpenDatabase());
    }
    EXPECT_EQ(1, RunLetrova());
    EXPECT_TRUE(starts.Lines().empty());
    EXPECT_TRUE(OwnWindows().empty());
}
