// Stands in for the product family's main program: creates the mail client's object from OrbMail.dll beside
// it, gives it its own path and opens what its command line asks for.
#include <windows.h>

#include <ole2.h>
#include <shellapi.h>

// The interface identifiers are defined here, from the type library's header.
#include <initguid.h>

#include <cstdio>
#include <string>
#include <vector>

#include "OrbMail.h"

namespace
{
std::wstring ExePath()
{
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return path;
}

// The command line after the program's own name, as the shell or a second start gave it.
std::wstring CommandTail()
{
    const wchar_t* p = GetCommandLineW();
    if (*p == L'"')
    {
        for (p++; *p && *p != L'"'; p++)
        {
        }
        if (*p)
            p++;
    }
    else
    {
        while (*p && *p != L' ' && *p != L'\t')
            p++;
    }
    while (*p == L' ' || *p == L'\t')
        p++;
    std::wstring tail(p);
    while (!tail.empty() && (tail.back() == L' ' || tail.back() == L'\t'))
        tail.pop_back();
    return tail;
}

bool StartsWith(const std::wstring& text, const wchar_t* prefix)
{
    return text.compare(0, wcslen(prefix), prefix) == 0;
}

// The files of a SendTo start: the tail split as the shell quotes it.
std::vector<std::wstring> SplitPaths(const std::wstring& tail)
{
    std::vector<std::wstring> paths;
    int count = 0;
    std::wstring line = L"Host " + tail;
    LPWSTR* args = CommandLineToArgvW(line.c_str(), &count);
    for (int i = 1; args && i < count; i++)
        paths.push_back(args[i]);
    LocalFree(args);
    return paths;
}

HRESULT CreateLetrova(ILetrova** ppLetrova)
{
    std::wstring dll = ExePath();
    dll.resize(dll.find_last_of(L"\\/") + 1);
    dll += L"OrbMail.dll";
    HMODULE hOrbMail = LoadLibraryW(dll.c_str());
    if (!hOrbMail)
        return HRESULT_FROM_WIN32(GetLastError());
    typedef HRESULT(STDAPICALLTYPE * GetClassObjectProc)(REFCLSID, REFIID, LPVOID*);
    auto pGetClassObject =
        reinterpret_cast<GetClassObjectProc>(GetProcAddress(hOrbMail, "DllGetClassObject"));
    if (!pGetClassObject)
        return E_FAIL;
    IClassFactory* pFactory = nullptr;
    HRESULT hr = pGetClassObject(CLSID_Letrova, IID_IClassFactory, reinterpret_cast<void**>(&pFactory));
    if (FAILED(hr))
        return hr;
    hr = pFactory->CreateInstance(nullptr, IID_ILetrova, reinterpret_cast<void**>(ppLetrova));
    pFactory->Release();
    return hr;
}

void CallWithText(ILetrova* pLetrova, HRESULT (STDMETHODCALLTYPE ILetrova::*method)(BSTR),
                  const std::wstring& text)
{
    BSTR bstr = SysAllocString(text.c_str());
    (pLetrova->*method)(bstr);
    SysFreeString(bstr);
}

// One method for each form of command line the shell registration and the family's program use.
void OpenWhatIsAsked(ILetrova* pLetrova, const std::wstring& tail)
{
    if (tail.empty())
        pLetrova->Letrova();
    else if (StartsWith(tail, L"/mailurl:") || StartsWith(tail, L"/m mailto:"))
        CallWithText(pLetrova, &ILetrova::MailTo, tail);
    else if (StartsWith(tail, L"/vcard "))
        CallWithText(pLetrova, &ILetrova::MailTo, tail);
    else if (StartsWith(tail, L"/f "))
        CallWithText(pLetrova, &ILetrova::Message, tail.substr(3));
    else if (StartsWith(tail, L"/ma "))
        CallWithText(pLetrova, &ILetrova::MailAttach, tail.substr(4));
    else if (StartsWith(tail, L"/n "))
        CallWithText(pLetrova, &ILetrova::EmailMerge, tail.substr(3));
    else if (tail == L"/p" || StartsWith(tail, L"/p "))
        pLetrova->SendAndReceiveAll(tail.size() > 3 ? _wtol(tail.c_str() + 3) : 0);
    else if (tail == L"/a")
        pLetrova->AddressBook();
    else
    {
        for (const std::wstring& path : SplitPaths(tail))
            CallWithText(pLetrova, &ILetrova::MailAttach, path);
    }
}
} // namespace

int main()
{
    if (FAILED(CoInitialize(nullptr)))
        return 2;
    ILetrova* pLetrova = nullptr;
    HRESULT hr = CreateLetrova(&pLetrova);
    if (FAILED(hr))
    {
        std::fprintf(stderr, "Cannot create the Letrova object of OrbMail.dll (0x%08lX)\n",
                     static_cast<unsigned long>(hr));
        CoUninitialize();
        return 2;
    }
    int result = 0;
    BSTR bstrPath = SysAllocString(ExePath().c_str());
    pLetrova->put_ExeModulePath(bstrPath);
    SysFreeString(bstrPath);
    if (pLetrova->OpenDatabase() != S_OK)
        result = 1;
    else
    {
        OpenWhatIsAsked(pLetrova, CommandTail());
        pLetrova->CloseNoWarning();
    }
    pLetrova->Release();
    CoUninitialize();
    return result;
}
