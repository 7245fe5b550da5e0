// In-process drag and drop of message rows: the list's data object (a marker, no data), its format
// enumerator, the drop source of one drag, and the drop target that the folder tree derives from.
#pragma once

#include <windows.h>

#include <ole2.h>

extern const char kMessagesListClipboardFormat[];

class CEnumFormatEtc : public IEnumFORMATETC
{
public:
    CEnumFormatEtc() {}
    virtual ~CEnumFormatEtc() {}

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP Next(ULONG celt, FORMATETC* rgelt, ULONG* pceltFetched) override;
    STDMETHODIMP Skip(ULONG celt) override;
    STDMETHODIMP Reset() override;
    STDMETHODIMP Clone(IEnumFORMATETC** ppEnum) override;

    // Starts at 1: the owner's reference.
    LONG m_nRef = 1;
    ULONG m_nPosition = 0;
};

class CListDataObject : public IDataObject
{
public:
    CListDataObject();
    virtual ~CListDataObject() {}

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP GetData(FORMATETC* pFormat, STGMEDIUM* pMedium) override;
    STDMETHODIMP GetDataHere(FORMATETC* pFormat, STGMEDIUM* pMedium) override;
    STDMETHODIMP QueryGetData(FORMATETC* pFormat) override;
    STDMETHODIMP GetCanonicalFormatEtc(FORMATETC* pFormatIn, FORMATETC* pFormatOut) override;
    STDMETHODIMP SetData(FORMATETC* pFormat, STGMEDIUM* pMedium, BOOL fRelease) override;
    STDMETHODIMP EnumFormatEtc(DWORD dwDirection, IEnumFORMATETC** ppEnum) override;
    STDMETHODIMP DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override;
    STDMETHODIMP DUnadvise(DWORD) override;
    STDMETHODIMP EnumDAdvise(IEnumSTATDATA**) override;

    LONG m_nRef = 1;
    CLIPFORMAT m_cfFormat;
    CEnumFormatEtc m_enumerator;
};

class CDropSource : public IDropSource
{
public:
    virtual ~CDropSource() {}

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    // Escape does not cancel: only the button decides.
    STDMETHODIMP QueryContinueDrag(BOOL fEscapePressed, DWORD grfKeyState) override;
    STDMETHODIMP GiveFeedback(DWORD dwEffect) override;

    LONG m_nRef = 1;
};

class CDropTarget : public IDropTarget
{
public:
    CDropTarget();
    virtual ~CDropTarget() {}

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP DragEnter(IDataObject* pDataObject, DWORD grfKeyState, POINTL pt, DWORD* pdwEffect) override;
    STDMETHODIMP DragOver(DWORD grfKeyState, POINTL pt, DWORD* pdwEffect) override;
    STDMETHODIMP DragLeave() override;
    STDMETHODIMP Drop(IDataObject* pDataObject, DWORD grfKeyState, POINTL pt, DWORD* pdwEffect) override;

    // Makes the window a drop target. The system's registration waits for the first drag of the process:
    // under Wine every thread that registers one keeps a pipe and an event for good, which adds up over the
    // windows of a long run.
    bool Register(HWND hWnd);
    void Revoke();
    // The system's registration, on the window's own thread: its message map routes RegisterMessage here.
    void RegisterWithSystem();
    static UINT RegisterMessage();
    // Before a drag starts: every drop target of the process not yet registered with the system is now.
    static void RegisterPendingTargets();

    // The target's answers, points in its client coordinates.
    virtual DWORD OnDragOver(IDataObject* pDataObject, DWORD grfKeyState, POINT pt) = 0;
    virtual HRESULT OnDrop(IDataObject* pDataObject, DWORD dwEffect, POINT pt) = 0;

    // The wanted effect where the source allows it, else the nearest one it allows.
    static DWORD ReconcileEffect(DWORD dwWanted, DWORD dwAllowed);
    // Whether the data object offers the list's marker.
    static bool OffersMessages(IDataObject* pDataObject, CLIPFORMAT cfFormat);

    LONG m_nRef = 1;
    CLIPFORMAT m_cfFormat;
    HWND m_hWndTarget = NULL;
    IDataObject* m_pDataObject = NULL;
    bool m_bRegistered = false;
};
