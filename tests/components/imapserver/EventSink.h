// Records the OrbIMAP component's events, and lets a test act inside one.
#pragma once

#include <windows.h>

#include <ocidl.h>

#include <functional>
#include <string>
#include <vector>

struct CImapEvent
{
    DISPID nId;
    std::vector<std::wstring> args; // texts as given, numbers in decimal
};

class CEventSink : public IDispatch
{
public:
    CEventSink();
    ~CEventSink();

    bool Advise(IUnknown* pComponent);
    void Unadvise();

    std::vector<CImapEvent> Take();
    // Called inside each event, after it is recorded.
    std::function<void(const CImapEvent&)> m_OnEvent;

    STDMETHOD(QueryInterface)(REFIID riid, void** ppv) override;
    STDMETHOD_(ULONG, AddRef)() override { return 2; }
    STDMETHOD_(ULONG, Release)() override { return 1; }
    STDMETHOD(GetTypeInfoCount)(UINT* pn) override
    {
        *pn = 0;
        return S_OK;
    }
    STDMETHOD(GetTypeInfo)(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHOD(GetIDsOfNames)(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHOD(Invoke)(DISPID id, REFIID, LCID, WORD, DISPPARAMS* pParams, VARIANT*, EXCEPINFO*, UINT*) override;

private:
    CRITICAL_SECTION m_cs;
    std::vector<CImapEvent> m_Events;
    IConnectionPoint* m_pPoint = nullptr;
    DWORD m_dwCookie = 0;
};

// The bytes of a message text that holds one byte to a character.
std::string Narrow(const std::wstring& text);
