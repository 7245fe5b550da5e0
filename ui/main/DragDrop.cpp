// The drag-and-drop objects of the message list and the folder tree.
#include "ui/main/DragDrop.h"

#include <set>
#include <vector>

const char kMessagesListClipboardFormat[] = "MessagesListClipboardFormat";

// ---- format enumerator

STDMETHODIMP CEnumFormatEtc::QueryInterface(REFIID riid, void** ppv)
{
    if (ppv == NULL)
        return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IEnumFORMATETC)
    {
        *ppv = static_cast<IEnumFORMATETC*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = NULL;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) CEnumFormatEtc::AddRef()
{
    return ::InterlockedIncrement(&m_nRef);
}

STDMETHODIMP_(ULONG) CEnumFormatEtc::Release()
{
    // Embedded in its data object, which frees it.
    return ::InterlockedDecrement(&m_nRef);
}

STDMETHODIMP CEnumFormatEtc::Next(ULONG celt, FORMATETC* rgelt, ULONG* pceltFetched)
{
    if (pceltFetched != NULL)
        *pceltFetched = 0;
    if (celt == 0 || rgelt == NULL || m_nPosition >= 1)
        return S_FALSE;
    rgelt->cfFormat = CF_TEXT;
    rgelt->ptd = NULL;
    rgelt->dwAspect = DVASPECT_CONTENT;
    rgelt->lindex = -1;
    rgelt->tymed = TYMED_HGLOBAL;
    m_nPosition++;
    if (pceltFetched != NULL)
        *pceltFetched = 1;
    return celt == 1 ? S_OK : S_FALSE;
}

STDMETHODIMP CEnumFormatEtc::Skip(ULONG celt)
{
    m_nPosition += celt;
    return S_OK;
}

STDMETHODIMP CEnumFormatEtc::Reset()
{
    m_nPosition = 0;
    return S_OK;
}

STDMETHODIMP CEnumFormatEtc::Clone(IEnumFORMATETC** ppEnum)
{
    if (ppEnum != NULL)
        *ppEnum = NULL;
    return E_NOTIMPL;
}

// ---- list data object

CListDataObject::CListDataObject() : m_cfFormat((CLIPFORMAT)::RegisterClipboardFormatA(kMessagesListClipboardFormat))
{
}

STDMETHODIMP CListDataObject::QueryInterface(REFIID riid, void** ppv)
{
    if (ppv == NULL)
        return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDataObject)
    {
        *ppv = static_cast<IDataObject*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = NULL;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) CListDataObject::AddRef()
{
    return ::InterlockedIncrement(&m_nRef);
}

STDMETHODIMP_(ULONG) CListDataObject::Release()
{
    // A member of the message list: the list's own reference keeps it.
    return ::InterlockedDecrement(&m_nRef);
}

STDMETHODIMP CListDataObject::GetData(FORMATETC*, STGMEDIUM* pMedium)
{
    // The object carries no data: a reader of the offered text gets a refusal, not garbage.
    if (pMedium != NULL)
        ZeroMemory(pMedium, sizeof(*pMedium));
    return DV_E_FORMATETC;
}

STDMETHODIMP CListDataObject::GetDataHere(FORMATETC*, STGMEDIUM*)
{
    return E_NOTIMPL;
}

STDMETHODIMP CListDataObject::QueryGetData(FORMATETC* pFormat)
{
    return pFormat != NULL && pFormat->cfFormat == m_cfFormat ? S_OK : E_INVALIDARG;
}

STDMETHODIMP CListDataObject::GetCanonicalFormatEtc(FORMATETC*, FORMATETC* pFormatOut)
{
    if (pFormatOut != NULL)
        pFormatOut->ptd = NULL;
    return E_NOTIMPL;
}

STDMETHODIMP CListDataObject::SetData(FORMATETC*, STGMEDIUM*, BOOL)
{
    return E_NOTIMPL;
}

STDMETHODIMP CListDataObject::EnumFormatEtc(DWORD dwDirection, IEnumFORMATETC** ppEnum)
{
    if (ppEnum == NULL)
        return E_POINTER;
    *ppEnum = NULL;
    if (dwDirection != DATADIR_GET)
        return E_NOTIMPL;
    m_enumerator.AddRef();
    *ppEnum = &m_enumerator;
    return S_OK;
}

STDMETHODIMP CListDataObject::DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*)
{
    return S_OK;
}

STDMETHODIMP CListDataObject::DUnadvise(DWORD)
{
    return S_OK;
}

STDMETHODIMP CListDataObject::EnumDAdvise(IEnumSTATDATA**)
{
    return S_OK;
}

// ---- drop source

STDMETHODIMP CDropSource::QueryInterface(REFIID riid, void** ppv)
{
    if (ppv == NULL)
        return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDropSource)
    {
        *ppv = static_cast<IDropSource*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = NULL;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) CDropSource::AddRef()
{
    return ::InterlockedIncrement(&m_nRef);
}

STDMETHODIMP_(ULONG) CDropSource::Release()
{
    // Lives on the stack for one drag.
    return ::InterlockedDecrement(&m_nRef);
}

STDMETHODIMP CDropSource::QueryContinueDrag(BOOL, DWORD grfKeyState)
{
    return (grfKeyState & MK_LBUTTON) ? S_OK : DRAGDROP_S_DROP;
}

STDMETHODIMP CDropSource::GiveFeedback(DWORD)
{
    return DRAGDROP_S_USEDEFAULTCURSORS;
}

// ---- drop target

CDropTarget::CDropTarget() : m_cfFormat((CLIPFORMAT)::RegisterClipboardFormatA(kMessagesListClipboardFormat))
{
}

STDMETHODIMP CDropTarget::QueryInterface(REFIID riid, void** ppv)
{
    if (ppv == NULL)
        return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDropTarget)
    {
        *ppv = static_cast<IDropTarget*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = NULL;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) CDropTarget::AddRef()
{
    return ::InterlockedIncrement(&m_nRef);
}

STDMETHODIMP_(ULONG) CDropTarget::Release()
{
    // A base of its window class: the window owns it.
    return ::InterlockedDecrement(&m_nRef);
}

STDMETHODIMP CDropTarget::DragEnter(IDataObject* pDataObject, DWORD grfKeyState, POINTL, DWORD* pdwEffect)
{
    if (pdwEffect == NULL)
        return E_INVALIDARG;
    *pdwEffect = DROPEFFECT_NONE;
    m_pDataObject = NULL;
    if (pDataObject == NULL || !(grfKeyState & MK_LBUTTON))
        return S_OK;
    IEnumFORMATETC* pEnum = NULL;
    if (FAILED(pDataObject->EnumFormatEtc(DATADIR_GET, &pEnum)) || pEnum == NULL)
        return S_OK;
    pEnum->Reset();
    FORMATETC format = {};
    ULONG nFetched = 0;
    while (pEnum->Next(1, &format, &nFetched) == S_OK && nFetched == 1)
    {
        if (format.ptd != NULL)
            ::CoTaskMemFree(format.ptd);
        if (format.cfFormat == CF_TEXT && (format.tymed & TYMED_HGLOBAL))
        {
            m_pDataObject = pDataObject;
            *pdwEffect = DROPEFFECT_COPY;
            break;
        }
    }
    pEnum->Release();
    return S_OK;
}

STDMETHODIMP CDropTarget::DragOver(DWORD grfKeyState, POINTL pt, DWORD* pdwEffect)
{
    if (pdwEffect == NULL)
        return E_INVALIDARG;
    if (!(grfKeyState & MK_LBUTTON) || m_pDataObject == NULL)
    {
        *pdwEffect = DROPEFFECT_NONE;
        return S_OK;
    }
    POINT point = {pt.x, pt.y};
    ::ScreenToClient(m_hWndTarget, &point);
    *pdwEffect = ReconcileEffect(OnDragOver(m_pDataObject, grfKeyState, point), *pdwEffect);
    return S_OK;
}

STDMETHODIMP CDropTarget::DragLeave()
{
    m_pDataObject = NULL;
    return E_NOTIMPL;
}

STDMETHODIMP CDropTarget::Drop(IDataObject*, DWORD, POINTL pt, DWORD* pdwEffect)
{
    POINT point = {pt.x, pt.y};
    ::ScreenToClient(m_hWndTarget, &point);
    if (m_pDataObject != NULL)
        OnDrop(m_pDataObject, pdwEffect != NULL ? *pdwEffect : DROPEFFECT_NONE, point);
    m_pDataObject = NULL;
    return S_OK;
}

namespace
{
// The windows made drop targets and not yet registered with the system, of every thread.
struct CPendingTargets
{
    CPendingTargets() { ::InitializeCriticalSection(&m_lock); }
    CRITICAL_SECTION m_lock;
    std::set<HWND> m_windows;
};

CPendingTargets& PendingTargets()
{
    // Never destroyed: windows may still be revoked while the process ends.
    static CPendingTargets* s_pTargets = new CPendingTargets;
    return *s_pTargets;
}
} // namespace

bool CDropTarget::Register(HWND hWnd)
{
    m_hWndTarget = hWnd;
    CPendingTargets& pending = PendingTargets();
    ::EnterCriticalSection(&pending.m_lock);
    pending.m_windows.insert(hWnd);
    ::LeaveCriticalSection(&pending.m_lock);
    return true;
}

void CDropTarget::Revoke()
{
    CPendingTargets& pending = PendingTargets();
    ::EnterCriticalSection(&pending.m_lock);
    pending.m_windows.erase(m_hWndTarget);
    ::LeaveCriticalSection(&pending.m_lock);
    if (m_bRegistered)
        ::RevokeDragDrop(m_hWndTarget);
    m_bRegistered = false;
}

void CDropTarget::RegisterWithSystem()
{
    if (!m_bRegistered && m_hWndTarget != NULL)
        m_bRegistered = SUCCEEDED(::RegisterDragDrop(m_hWndTarget, this));
    CPendingTargets& pending = PendingTargets();
    ::EnterCriticalSection(&pending.m_lock);
    pending.m_windows.erase(m_hWndTarget);
    ::LeaveCriticalSection(&pending.m_lock);
}

UINT CDropTarget::RegisterMessage()
{
    static const UINT s_uMessage = ::RegisterWindowMessageA("OrbRegisterDropTarget");
    return s_uMessage;
}

void CDropTarget::RegisterPendingTargets()
{
    CPendingTargets& pending = PendingTargets();
    ::EnterCriticalSection(&pending.m_lock);
    std::vector<HWND> windows(pending.m_windows.begin(), pending.m_windows.end());
    ::LeaveCriticalSection(&pending.m_lock);
    // Sent, not held under the lock: a target on another thread registers itself there.
    for (HWND hWnd : windows)
    {
        DWORD_PTR dwResult = 0;
        ::SendMessageTimeoutA(hWnd, RegisterMessage(), 0, 0, SMTO_NORMAL | SMTO_ABORTIFHUNG, 5000, &dwResult);
    }
}

DWORD CDropTarget::ReconcileEffect(DWORD dwWanted, DWORD dwAllowed)
{
    if (dwWanted != DROPEFFECT_NONE && (dwWanted & dwAllowed) == dwWanted)
        return dwWanted;
    if (dwWanted == DROPEFFECT_COPY)
        return (dwAllowed & DROPEFFECT_MOVE) ? DROPEFFECT_MOVE
                                             : (dwAllowed & DROPEFFECT_LINK) ? DROPEFFECT_LINK : DROPEFFECT_NONE;
    if (dwWanted == DROPEFFECT_MOVE)
        return (dwAllowed & DROPEFFECT_COPY) ? DROPEFFECT_COPY
                                             : (dwAllowed & DROPEFFECT_LINK) ? DROPEFFECT_LINK : DROPEFFECT_NONE;
    return DROPEFFECT_NONE;
}

bool CDropTarget::OffersMessages(IDataObject* pDataObject, CLIPFORMAT cfFormat)
{
    FORMATETC format = {cfFormat, NULL, DVASPECT_CONTENT, -1, TYMED_HGLOBAL | TYMED_FILE | TYMED_ISTREAM |
                                                              TYMED_ISTORAGE | TYMED_GDI | TYMED_MFPICT |
                                                              TYMED_ENHMF};
    return pDataObject != NULL && pDataObject->QueryGetData(&format) == S_OK;
}
