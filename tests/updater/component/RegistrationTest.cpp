// End to end: a scratch copy of OrbUpdate.dll registered with regsvr32, created by class identifier and
// called by vtable and by dispid, then unregistered.
#include <windows.h>

#include <gtest/gtest.h>

#include "UpdaterTestSupport.h"

namespace
{

DWORD RunRegsvr32(const std::string& arguments)
{
    char szSystem[MAX_PATH];
    GetSystemDirectoryA(szSystem, MAX_PATH);
    std::string command = std::string("\"") + szSystem + "\\regsvr32.exe\" /s " + arguments;
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return GetLastError();
    WaitForSingleObject(process.hProcess, 60000);
    DWORD dwExit = 1;
    GetExitCodeProcess(process.hProcess, &dwExit);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return dwExit;
}

std::string RegText(const char* pszKey, const char* pszValue = nullptr)
{
    char szText[1024] = "";
    DWORD cb = sizeof(szText);
    if (RegGetValueA(HKEY_CLASSES_ROOT, pszKey, pszValue, RRF_RT_REG_SZ, nullptr, szText, &cb) !=
        ERROR_SUCCESS)
        return "<missing>";
    return szText;
}

bool KeyExists(const char* pszKey)
{
    HKEY hKey = nullptr;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, pszKey, 0, KEY_READ, &hKey) != ERROR_SUCCESS)
        return false;
    RegCloseKey(hKey);
    return true;
}

const char kCoUpdateKey[] = "CLSID\\{9DE46FC9-BD2C-4CC1-AEE9-4578F970E8B6}";
const char kCoUpdate2Key[] = "CLSID\\{9DE46FC9-BD2C-4CC1-AEE9-4578F970E8B7}";
const char kTypeLibKey[] = "TypeLib\\{2A3201A2-931B-4131-9461-CCAF76DF1C21}";

TEST(RegistrationTest, Regsvr32WritesAndRemovesTheClassesAndTheTypeLibrary)
{
    std::string folder = NewScratchFolder("updater-registration");
    std::string dll = folder + "OrbUpdate.dll";
    ASSERT_TRUE(CopyFileA(ORB_UPDATE_DLL, dll.c_str(), FALSE));
    ASSERT_EQ(0u, RunRegsvr32("\"" + dll + "\""));

    EXPECT_EQ("CoUpdate Class", RegText("Update.CoUpdate.1"));
    EXPECT_EQ("{9DE46FC9-BD2C-4CC1-AEE9-4578F970E8B6}", RegText("Update.CoUpdate.1\\CLSID"));
    EXPECT_EQ("Update.CoUpdate.1", RegText("Update.CoUpdate\\CurVer"));
    EXPECT_EQ("{9DE46FC9-BD2C-4CC1-AEE9-4578F970E8B6}", RegText("Update.CoUpdate\\CLSID"));
    EXPECT_EQ("CoUpdate Class", RegText(kCoUpdateKey));
    EXPECT_EQ("Update.CoUpdate.1", RegText((std::string(kCoUpdateKey) + "\\ProgID").c_str()));
    EXPECT_EQ("Update.CoUpdate", RegText((std::string(kCoUpdateKey) + "\\VersionIndependentProgID").c_str()));
    EXPECT_TRUE(KeyExists((std::string(kCoUpdateKey) + "\\Programmable").c_str()));
    EXPECT_EQ(
        0, lstrcmpiA(dll.c_str(), RegText((std::string(kCoUpdateKey) + "\\InprocServer32").c_str()).c_str()));
    EXPECT_EQ("Apartment",
              RegText((std::string(kCoUpdateKey) + "\\InprocServer32").c_str(), "ThreadingModel"));
    EXPECT_EQ("{2A3201A2-931B-4131-9461-CCAF76DF1C21}",
              RegText((std::string(kCoUpdateKey) + "\\TypeLib").c_str()));
    EXPECT_EQ("CoUpdate2 Class", RegText(kCoUpdate2Key));
    EXPECT_EQ("Apartment",
              RegText((std::string(kCoUpdate2Key) + "\\InprocServer32").c_str(), "ThreadingModel"));
    EXPECT_FALSE(KeyExists((std::string(kCoUpdate2Key) + "\\ProgID").c_str()));
    EXPECT_TRUE(KeyExists(kTypeLibKey));

    {
        CComPtr<ICoUpdate> pUpdate;
        ASSERT_EQ(S_OK, pUpdate.CoCreateInstance(CLSID_CoUpdate, nullptr, CLSCTX_INPROC_SERVER));
        CComBSTR error(L"unset");
        EXPECT_EQ(S_OK, pUpdate->get_Error(&error));
        EXPECT_EQ(0u, error.Length());

        // By dispid: the names, and a property get through Invoke.
        struct Name
        {
            const wchar_t* name;
            DISPID id;
        } names[] = {{L"Update", 1}, {L"Error", 2}, {L"Close", 3}, {L"DownloadAndInstall", 4}};
        for (const Name& n : names)
        {
            LPOLESTR pszName = const_cast<LPOLESTR>(n.name);
            DISPID id = 0;
            EXPECT_EQ(S_OK, pUpdate->GetIDsOfNames(IID_NULL, &pszName, 1, LOCALE_USER_DEFAULT, &id));
            EXPECT_EQ(n.id, id);
        }
        DISPPARAMS none = {};
        CComVariant result;
        EXPECT_EQ(S_OK, pUpdate->Invoke(2, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none,
                                        &result, nullptr, nullptr));
        EXPECT_EQ(VT_BSTR, result.vt);
        EXPECT_EQ(S_OK, pUpdate->Invoke(3, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &none, nullptr,
                                        nullptr, nullptr));
        EXPECT_EQ(S_OK, pUpdate->Close());

        // DownloadAndInstall (4) and Update (1) by dispid, each on a new object as the client uses them: the
        // outcome is read back through Error (2).
        std::string missing = FtpUrl("no-such-root") + "/";
        std::string empty = NewServerFolder("registration-empty");
        std::string temp = NewScratchFolder("registration-temp");
        struct Call
        {
            DISPID id;
            std::vector<CComVariant> args; // in declaration order
            std::string expectedStart;
        } calls[] = {
            {4,
             {CComVariant(missing.c_str()), CComVariant("1,0,0,0"), CComVariant("Vorn Email"),
              CComVariant(temp.c_str()), CComVariant(temp.c_str())},
             "FATAL ERROR OF THE  VERSION UPDATING: Open " + missing + "1,0,0,0 failed!"},
            {1,
             {CComVariant(FtpUrl(empty).c_str()), CComVariant("Vorn Email"), CComVariant(0L),
              CComVariant(static_cast<unsigned short>(1)), CComVariant(static_cast<unsigned short>(0)),
              CComVariant(static_cast<unsigned short>(0)), CComVariant(static_cast<unsigned short>(0)),
              CComVariant(temp.c_str()), CComVariant(temp.c_str())},
             "ERROR: " + FtpUrl(empty) + "\r\nThe version folder was not detected."},
        };
        for (Call& call : calls)
        {
            CComPtr<IDispatch> pDispatch;
            ASSERT_EQ(S_OK, pDispatch.CoCreateInstance(CLSID_CoUpdate, nullptr, CLSCTX_INPROC_SERVER));
            std::vector<CComVariant> reversed(call.args.rbegin(), call.args.rend());
            DISPPARAMS params = {reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
            EXPECT_TRUE(SUCCEEDED(pDispatch->Invoke(call.id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD,
                                                    &params, nullptr, nullptr, nullptr)));
            CComVariant text;
            EXPECT_EQ(S_OK, pDispatch->Invoke(2, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none,
                                              &text, nullptr, nullptr));
            ASSERT_EQ(VT_BSTR, text.vt);
            std::string error = CString(static_cast<const wchar_t*>(text.bstrVal)).GetString();
            EXPECT_EQ(0u, error.find(call.expectedStart)) << error;
            pDispatch->Invoke(3, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &none, nullptr, nullptr,
                              nullptr);
        }

        CComPtr<ICoUpdate2> pUpdate2;
        ASSERT_EQ(S_OK, pUpdate2.CoCreateInstance(CLSID_CoUpdate2, nullptr, CLSCTX_INPROC_SERVER));
        LPOLESTR pszName = const_cast<LPOLESTR>(L"UpdateThread");
        DISPID id = 0;
        EXPECT_EQ(S_OK, pUpdate2->GetIDsOfNames(IID_NULL, &pszName, 1, LOCALE_USER_DEFAULT, &id));
        EXPECT_EQ(1, id);
        CComPtr<IConnectionPointContainer> pContainer;
        ASSERT_EQ(S_OK, pUpdate2->QueryInterface(IID_IConnectionPointContainer,
                                                 reinterpret_cast<void**>(&pContainer)));
        CComPtr<IConnectionPoint> pPoint;
        EXPECT_EQ(S_OK, pContainer->FindConnectionPoint(DIID__ICoUpdateEvents, &pPoint));
    }
    CoFreeUnusedLibraries();

    ASSERT_EQ(0u, RunRegsvr32("/u \"" + dll + "\""));
    for (const char* key : {"Update.CoUpdate.1", "Update.CoUpdate", kCoUpdateKey, kCoUpdate2Key, kTypeLibKey})
        EXPECT_FALSE(KeyExists(key)) << key;
}

} // namespace
