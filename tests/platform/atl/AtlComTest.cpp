// Tests of the COM template layer through the test-only server: registration, creation, automation,
// events across threads and module lifetime.
#include <atlbase.h>
#include <atlcom.h>

#include <initguid.h>

#include "AtlTestServer.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace
{

const char kServerDll[] = "AtlTestServer.dll";
const char kClsidKey[] = "CLSID\\{6B1C3E2A-5D47-4F0B-9A61-2C8E7D4F1A03}";
const char kTypeLibKey[] = "TypeLib\\{6B1C3E2A-5D47-4F0B-9A61-2C8E7D4F1A00}\\1.0";
const DWORD kWaitMilliseconds = 20000;

std::string ServerPath()
{
    char szPath[MAX_PATH];
    const DWORD nLength = GetModuleFileNameA(nullptr, szPath, MAX_PATH);
    std::string strPath(szPath, nLength);
    return strPath.substr(0, strPath.find_last_of('\\') + 1) + kServerDll;
}

DWORD RunRegsvr32(const std::string& strArgs)
{
    std::string strCommand = "regsvr32.exe /s " + strArgs + " \"" + ServerPath() + "\"";
    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(nullptr, &strCommand[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return GetLastError();
    WaitForSingleObject(pi.hProcess, INFINITE);
    DWORD dwExit = 1;
    GetExitCodeProcess(pi.hProcess, &dwExit);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return dwExit;
}

// The value of HKCR\strKey[, strValue]; "<missing>" when the key or value is absent.
std::string ReadClassesValue(const std::string& strKey, const char* pszValue = nullptr)
{
    HKEY hKey = nullptr;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, strKey.c_str(), 0, KEY_READ, &hKey) != ERROR_SUCCESS)
        return "<missing>";
    char szData[1024] = {};
    DWORD cbData = sizeof(szData) - 1;
    DWORD dwType = 0;
    const LONG lResult =
        RegQueryValueExA(hKey, pszValue, nullptr, &dwType, reinterpret_cast<BYTE*>(szData), &cbData);
    RegCloseKey(hKey);
    return lResult == ERROR_SUCCESS ? std::string(szData) : "<missing>";
}

bool KeyExists(const std::string& strKey)
{
    HKEY hKey = nullptr;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, strKey.c_str(), 0, KEY_READ, &hKey) != ERROR_SUCCESS)
        return false;
    RegCloseKey(hKey);
    return true;
}

// Runs this thread's message loop (where calls from other apartments arrive) until done() holds or the
// time-out passes; done() is checked again at least every few milliseconds.
template <class F>
bool PumpUntil(F done)
{
    const DWORD dwStart = GetTickCount();
    while (!done())
    {
        if (GetTickCount() - dwStart >= kWaitMilliseconds)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    return true;
}

// Waits until the worker thread of the object has dropped its own reference, leaving only the caller's.
bool PumpUntilSoleReference(IUnknown* pUnk)
{
    return PumpUntil([pUnk] {
        pUnk->AddRef();
        return pUnk->Release() == 1;
    });
}

struct CPing
{
    long n;
    std::wstring from;
    DWORD dwThreadId;
};

class CPingSink
    : public IDispEventImpl<1, CPingSink, &DIID__IAtlTestObjectEvents, &LIBID_AtlTestServerLib, 1, 0>
{
public:
    BEGIN_SINK_MAP(CPingSink)
    SINK_ENTRY_EX(1, DIID__IAtlTestObjectEvents, 1, OnPing)
    END_SINK_MAP()

    HRESULT STDMETHODCALLTYPE OnPing(long n, BSTR bstrFrom)
    {
        m_pings.push_back({n, bstrFrom ? bstrFrom : L"", GetCurrentThreadId()});
        return S_OK;
    }

    std::vector<CPing> m_pings;
};

// A sink called directly, to show how arguments reach its handlers.
class CTypedSink : public IDispEventImpl<2, CTypedSink, &DIID__IAtlTestObjectEvents>
{
public:
    BEGIN_SINK_MAP(CTypedSink)
    SINK_ENTRY_EX(2, DIID__IAtlTestObjectEvents, 1, OnPing)
    SINK_ENTRY_EX(2, DIID__IAtlTestObjectEvents, 2, OnAny)
    END_SINK_MAP()

    HRESULT STDMETHODCALLTYPE OnPing(long n, BSTR bstrFrom)
    {
        m_n = n;
        m_from = bstrFrom ? bstrFrom : L"";
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnAny(VARIANT* pvar)
    {
        m_vtAny = pvar->vt;
        return S_FALSE;
    }

    long m_n = 0;
    std::wstring m_from;
    VARTYPE m_vtAny = VT_EMPTY;
};

TEST(DispEventSinkTest, HandlersGetConvertedArgumentsAndMismatchesAreRefused)
{
    CTypedSink sink;
    CComPtr<IDispatch> pDisp;
    ASSERT_EQ(S_OK, sink._LocDEQueryInterface(IID_IDispatch, reinterpret_cast<void**>(&pDisp)));

    // Arguments go last first: (n = "12", bstrFrom = "from").
    CComVariant args[2] = {CComVariant(L"from"), CComVariant(L"12")};
    DISPPARAMS params = {args, nullptr, 2, 0};
    EXPECT_EQ(S_OK, pDisp->Invoke(1, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr));
    EXPECT_EQ(12, sink.m_n);
    EXPECT_EQ(L"from", sink.m_from);

    DISPPARAMS tooFew = {args, nullptr, 1, 0};
    EXPECT_EQ(DISP_E_BADPARAMCOUNT,
              pDisp->Invoke(1, IID_NULL, 0, DISPATCH_METHOD, &tooFew, nullptr, nullptr, nullptr));
    CComVariant badArgs[2] = {CComVariant(L"from"), CComVariant(L"twelve")};
    DISPPARAMS mismatch = {badArgs, nullptr, 2, 0};
    EXPECT_EQ(DISP_E_TYPEMISMATCH,
              pDisp->Invoke(1, IID_NULL, 0, DISPATCH_METHOD, &mismatch, nullptr, nullptr, nullptr));
    EXPECT_EQ(12, sink.m_n);

    // A VARIANT* parameter sees the caller's own value; the handler's result is passed back.
    CComVariant varAny(3.5);
    DISPPARAMS any = {&varAny, nullptr, 1, 0};
    EXPECT_EQ(S_FALSE, pDisp->Invoke(2, IID_NULL, 0, DISPATCH_METHOD, &any, nullptr, nullptr, nullptr));
    EXPECT_EQ(VT_R8, sink.m_vtAny);

    // Events the map does not name are accepted and ignored.
    EXPECT_EQ(S_OK, pDisp->Invoke(77, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr));
}

class AtlComTest : public testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        ASSERT_EQ(0u, RunRegsvr32(""));
    }
    static void TearDownTestSuite()
    {
        RunRegsvr32("/u");
        CoUninitialize();
    }

    static HRESULT ServerCanUnloadNow()
    {
        HMODULE hServer = GetModuleHandleA(kServerDll);
        auto pfn =
            hServer ? reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(GetProcAddress(hServer, "DllCanUnloadNow"))
                    : nullptr;
        return pfn ? pfn() : E_FAIL;
    }
};

TEST_F(AtlComTest, RegistrationWritesProgIdsClassAndTypeLibrary)
{
    const std::string strClsid = "{6B1C3E2A-5D47-4F0B-9A61-2C8E7D4F1A03}";
    EXPECT_EQ(strClsid, ReadClassesValue("AtlTest.TestObject.1\\CLSID"));
    EXPECT_EQ(strClsid, ReadClassesValue("AtlTest.TestObject\\CLSID"));
    EXPECT_EQ("AtlTest.TestObject.1", ReadClassesValue("AtlTest.TestObject\\CurVer"));
    EXPECT_EQ("AtlTest TestObject Class", ReadClassesValue(kClsidKey));
    EXPECT_EQ("AtlTest.TestObject.1", ReadClassesValue(std::string(kClsidKey) + "\\ProgID"));
    EXPECT_EQ("AtlTest.TestObject", ReadClassesValue(std::string(kClsidKey) + "\\VersionIndependentProgID"));
    EXPECT_EQ("Apartment", ReadClassesValue(std::string(kClsidKey) + "\\InprocServer32", "ThreadingModel"));
    EXPECT_EQ("{6B1C3E2A-5D47-4F0B-9A61-2C8E7D4F1A00}",
              ReadClassesValue(std::string(kClsidKey) + "\\TypeLib"));

    // %MODULE% became the server's own path.
    const std::string strServer = ReadClassesValue(std::string(kClsidKey) + "\\InprocServer32");
    EXPECT_EQ(0, lstrcmpiA(ServerPath().c_str(), strServer.c_str())) << strServer;
    EXPECT_TRUE(KeyExists(kTypeLibKey));
}

TEST_F(AtlComTest, UnregistrationRemovesWhatRegistrationWrote)
{
    ASSERT_EQ(0u, RunRegsvr32("/u"));
    EXPECT_FALSE(KeyExists(kClsidKey));
    EXPECT_FALSE(KeyExists("AtlTest.TestObject"));
    EXPECT_FALSE(KeyExists("AtlTest.TestObject.1"));
    EXPECT_FALSE(KeyExists(kTypeLibKey));
    EXPECT_TRUE(KeyExists("CLSID"));

    ASSERT_EQ(0u, RunRegsvr32(""));
    EXPECT_TRUE(KeyExists(kClsidKey));
}

TEST_F(AtlComTest, CreatesByProgIdAndClsidAndCallsThroughTheVtable)
{
    CComPtr<IAtlTestObject> pByProgId;
    ASSERT_EQ(S_OK, pByProgId.CoCreateInstance(L"AtlTest.TestObject"));
    CComPtr<IAtlTestObject> pByClsid;
    ASSERT_EQ(S_OK, pByClsid.CoCreateInstance(CLSID_AtlTestObject, nullptr, CLSCTX_INPROC_SERVER));

    long nSum = 0;
    EXPECT_EQ(S_OK, pByClsid->Add(40, 2, &nSum));
    EXPECT_EQ(42, nSum);
    EXPECT_EQ(S_OK, pByProgId->put_Name(CComBSTR("Vorn")));
    CComBSTR bstrName;
    EXPECT_EQ(S_OK, pByProgId->get_Name(&bstrName));
    EXPECT_TRUE(bstrName == L"Vorn");

    // Two objects, and every interface of one object answers the same IUnknown.
    CComPtr<IUnknown> pUnk1, pUnk2, pUnkViaCpc;
    pByProgId->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&pUnk1));
    pByClsid->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&pUnk2));
    EXPECT_NE(pUnk1.p, pUnk2.p);
    CComQIPtr<IConnectionPointContainer> pCpc(pByProgId);
    ASSERT_TRUE(pCpc);
    pCpc->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&pUnkViaCpc));
    EXPECT_EQ(pUnk1.p, pUnkViaCpc.p);
    CComQIPtr<IPersist> pNotThere(pByProgId);
    EXPECT_FALSE(pNotThere);
}

TEST_F(AtlComTest, DispatchCallsByDispidAndByName)
{
    CComPtr<IDispatch> pDisp;
    ASSERT_EQ(S_OK, pDisp.CoCreateInstance(CLSID_AtlTestObject));

    LPOLESTR names[] = {const_cast<LPOLESTR>(L"Add")};
    DISPID dispidAdd = 0;
    ASSERT_EQ(S_OK, pDisp->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &dispidAdd));
    EXPECT_EQ(1, dispidAdd);
    LPOLESTR unknown[] = {const_cast<LPOLESTR>(L"Subtract")};
    DISPID dispidUnknown = 0;
    EXPECT_EQ(DISP_E_UNKNOWNNAME,
              pDisp->GetIDsOfNames(IID_NULL, unknown, 1, LOCALE_USER_DEFAULT, &dispidUnknown));

    // Arguments go last first; the second is text that must be converted to long.
    CComVariant args[2] = {CComVariant(L"5"), CComVariant(37)};
    DISPPARAMS params = {args, nullptr, 2, 0};
    CComVariant varResult;
    ASSERT_EQ(S_OK, pDisp->Invoke(dispidAdd, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params,
                                  &varResult, nullptr, nullptr));
    EXPECT_EQ(VT_I4, varResult.vt);
    EXPECT_EQ(42, varResult.lVal);

    CComVariant varName(L"by dispid");
    DISPID dispidPut = DISPID_PROPERTYPUT;
    DISPPARAMS putParams = {&varName, &dispidPut, 1, 1};
    ASSERT_EQ(S_OK, pDisp->Invoke(2, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &putParams, nullptr,
                                  nullptr, nullptr));
    DISPPARAMS noParams = {nullptr, nullptr, 0, 0};
    varResult.Clear();
    ASSERT_EQ(S_OK, pDisp->Invoke(2, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &noParams,
                                  &varResult, nullptr, nullptr));
    ASSERT_EQ(VT_BSTR, varResult.vt);
    EXPECT_STREQ(L"by dispid", varResult.bstrVal);

    EXPECT_EQ(DISP_E_MEMBERNOTFOUND, pDisp->Invoke(99, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD,
                                                   &noParams, nullptr, nullptr, nullptr));
}

TEST_F(AtlComTest, ClassInfoNamesTheCoclassAndItsEventInterface)
{
    CComPtr<IProvideClassInfo2> pInfo;
    ASSERT_EQ(S_OK, pInfo.CoCreateInstance(CLSID_AtlTestObject));
    GUID guid = GUID_NULL;
    EXPECT_EQ(S_OK, pInfo->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &guid));
    EXPECT_TRUE(InlineIsEqualGUID(DIID__IAtlTestObjectEvents, guid));

    CComPtr<ITypeInfo> pTypeInfo;
    ASSERT_EQ(S_OK, pInfo->GetClassInfo(&pTypeInfo));
    TYPEATTR* pAttr = nullptr;
    ASSERT_EQ(S_OK, pTypeInfo->GetTypeAttr(&pAttr));
    EXPECT_EQ(TKIND_COCLASS, pAttr->typekind);
    EXPECT_TRUE(InlineIsEqualGUID(CLSID_AtlTestObject, pAttr->guid));
    pTypeInfo->ReleaseTypeAttr(pAttr);
}

TEST_F(AtlComTest, EventsReachTheSinkOnItsOwnThreadFromCallerAndWorker)
{
    CComPtr<IAtlTestObject> pObject;
    ASSERT_EQ(S_OK, pObject.CoCreateInstance(CLSID_AtlTestObject));
    CPingSink sink;
    EXPECT_EQ(0xFEFEFEFEu, sink.m_dwEventCookie);
    ASSERT_EQ(S_OK, sink.DispEventAdvise(pObject));
    EXPECT_NE(0xFEFEFEFEu, sink.m_dwEventCookie);

    ASSERT_EQ(S_OK, pObject->FireOnCallerThread(7));
    ASSERT_EQ(1u, sink.m_pings.size());
    EXPECT_EQ(7, sink.m_pings[0].n);
    EXPECT_EQ(L"caller", sink.m_pings[0].from);
    EXPECT_EQ(GetCurrentThreadId(), sink.m_pings[0].dwThreadId);

    ASSERT_EQ(S_OK, pObject->FireOnWorkerThread(8));
    ASSERT_TRUE(PumpUntil([&] { return sink.m_pings.size() >= 2; }));
    EXPECT_EQ(8, sink.m_pings[1].n);
    EXPECT_EQ(L"worker", sink.m_pings[1].from);
    EXPECT_EQ(GetCurrentThreadId(), sink.m_pings[1].dwThreadId);

    ASSERT_EQ(S_OK, sink.DispEventUnadvise(pObject));
    EXPECT_EQ(0xFEFEFEFEu, sink.m_dwEventCookie);
    ASSERT_EQ(S_OK, pObject->FireOnCallerThread(9));
    EXPECT_EQ(2u, sink.m_pings.size());
    EXPECT_TRUE(PumpUntilSoleReference(pObject));
}

TEST_F(AtlComTest, ConnectionPointRefusesForeignSinksAndUnknownCookies)
{
    CComPtr<IConnectionPointContainer> pCpc;
    ASSERT_EQ(S_OK, pCpc.CoCreateInstance(CLSID_AtlTestObject));
    CComPtr<IConnectionPoint> pCp;
    EXPECT_EQ(CONNECT_E_NOCONNECTION, pCpc->FindConnectionPoint(IID_IAtlTestObject, &pCp));
    ASSERT_EQ(S_OK, pCpc->FindConnectionPoint(DIID__IAtlTestObjectEvents, &pCp));
    IID iid = IID_NULL;
    EXPECT_EQ(S_OK, pCp->GetConnectionInterface(&iid));
    EXPECT_TRUE(InlineIsEqualGUID(DIID__IAtlTestObjectEvents, iid));
    CComPtr<IConnectionPointContainer> pBack;
    EXPECT_EQ(S_OK, pCp->GetConnectionPointContainer(&pBack));
    EXPECT_EQ(pCpc.p, pBack.p);

    // The object itself does not speak the event interface.
    DWORD dwCookie = 0;
    EXPECT_EQ(CONNECT_E_CANNOTCONNECT, pCp->Advise(pCpc, &dwCookie));
    EXPECT_EQ(CONNECT_E_NOCONNECTION, pCp->Unadvise(12345));
}

TEST_F(AtlComTest, ReleasingEveryReferenceLetsTheModuleUnload)
{
    {
        CComPtr<IAtlTestObject> pObject;
        ASSERT_EQ(S_OK, pObject.CoCreateInstance(CLSID_AtlTestObject));
        EXPECT_EQ(S_FALSE, ServerCanUnloadNow());

        CComPtr<IClassFactory> pFactory;
        ASSERT_EQ(S_OK, CoGetClassObject(CLSID_AtlTestObject, CLSCTX_INPROC_SERVER, nullptr,
                                         IID_IClassFactory, reinterpret_cast<void**>(&pFactory)));
        IUnknown* pOuterRefused = nullptr;
        EXPECT_EQ(CLASS_E_NOAGGREGATION,
                  pFactory->CreateInstance(pObject, IID_IUnknown, reinterpret_cast<void**>(&pOuterRefused)));
        EXPECT_EQ(nullptr, pOuterRefused);
        EXPECT_EQ(S_OK, pFactory->LockServer(TRUE));
        pObject.Release();
        pFactory.Release();
        // The server lock alone keeps the module loaded.
        EXPECT_EQ(S_FALSE, ServerCanUnloadNow());
        ASSERT_EQ(S_OK, CoGetClassObject(CLSID_AtlTestObject, CLSCTX_INPROC_SERVER, nullptr,
                                         IID_IClassFactory, reinterpret_cast<void**>(&pFactory)));
        EXPECT_EQ(S_OK, pFactory->LockServer(FALSE));
        EXPECT_EQ(S_FALSE, ServerCanUnloadNow());
    }
    EXPECT_EQ(S_OK, ServerCanUnloadNow());

    // An object with an advised sink and a finished worker leaves nothing behind either.
    CComPtr<IAtlTestObject> pObject;
    ASSERT_EQ(S_OK, pObject.CoCreateInstance(CLSID_AtlTestObject));
    EXPECT_EQ(2u, pObject.p->AddRef());
    EXPECT_EQ(1u, pObject.p->Release());
    CPingSink sink;
    ASSERT_EQ(S_OK, sink.DispEventAdvise(pObject));
    ASSERT_EQ(S_OK, pObject->FireOnWorkerThread(1));
    ASSERT_TRUE(PumpUntil([&] { return !sink.m_pings.empty(); }));
    ASSERT_EQ(S_OK, sink.DispEventUnadvise(pObject));
    ASSERT_TRUE(PumpUntilSoleReference(pObject));
    EXPECT_EQ(0u, pObject.Detach()->Release());
    EXPECT_EQ(S_OK, ServerCanUnloadNow());
}

} // namespace

TEST(ConnectionListTest, DirectSinksGetTheArgumentsInOrderUntilRemoved)
{
    CPingSink sink;
    IUnknown* pSinkUnknown =
        reinterpret_cast<IUnknown*>(static_cast<_IDispEventLocator<1, &DIID__IAtlTestObjectEvents>*>(&sink));
    DWORD dwCookie = 0;
    {
        CComConnectionList connections;
        connections.CallSinksDirectly();
        ASSERT_EQ(S_OK, connections.Add(pSinkUnknown, DIID__IAtlTestObjectEvents, &dwCookie));
        EXPECT_NE(0u, dwCookie);
        // Arguments in declaration order, as the event proxies pass them.
        CComVariant args[2] = {CComVariant(5L), CComVariant(L"direct")};
        ASSERT_EQ(S_OK, connections.Fire(1, args, 2));
        ASSERT_EQ(1u, sink.m_pings.size());
        EXPECT_EQ(5, sink.m_pings[0].n);
        EXPECT_EQ(L"direct", sink.m_pings[0].from);
        EXPECT_EQ(GetCurrentThreadId(), sink.m_pings[0].dwThreadId);

        EXPECT_EQ(CONNECT_E_NOCONNECTION, connections.Remove(dwCookie + 1));
        ASSERT_EQ(S_OK, connections.Remove(dwCookie));
        EXPECT_EQ(CONNECT_E_NOCONNECTION, connections.Remove(dwCookie));
        ASSERT_EQ(S_OK, connections.Fire(1, args, 2));
        EXPECT_EQ(1u, sink.m_pings.size());
    }
}
