// The test server's one class.
#include "AtlTestObject.h"

void CAtlTestObject::FinalRelease()
{
    if (!m_hWorker)
        return;
    // The worker may hold the last reference itself; it must not wait for its own end.
    if (GetThreadId(m_hWorker) != GetCurrentThreadId())
        WaitForSingleObject(m_hWorker, INFINITE);
    CloseHandle(m_hWorker);
}

STDMETHODIMP CAtlTestObject::Add(long a, long b, long* pSum)
{
    if (!pSum)
        return E_POINTER;
    *pSum = a + b;
    return S_OK;
}

STDMETHODIMP CAtlTestObject::get_Name(BSTR* pbstrName)
{
    return m_bstrName.CopyTo(pbstrName);
}

STDMETHODIMP CAtlTestObject::put_Name(BSTR bstrName)
{
    m_bstrName = bstrName;
    return S_OK;
}

STDMETHODIMP CAtlTestObject::FireOnCallerThread(long n)
{
    return Fire_Ping(n, CComBSTR(L"caller"));
}

STDMETHODIMP CAtlTestObject::FireOnWorkerThread(long n)
{
    // An earlier worker may still be firing into this thread's apartment; waiting for it here would block it.
    if (m_hWorker)
        CloseHandle(m_hWorker);
    m_nWorkerValue = n;
    AddRef();
    m_hWorker = CreateThread(nullptr, 0, WorkerThreadProc, this, 0, nullptr);
    if (!m_hWorker)
    {
        Release();
        return HRESULT_FROM_WIN32(GetLastError());
    }
    return S_OK;
}

DWORD WINAPI CAtlTestObject::WorkerThreadProc(LPVOID pParam)
{
    CAtlTestObject* pThis = static_cast<CAtlTestObject*>(pParam);
    pThis->Fire_Ping(pThis->m_nWorkerValue, CComBSTR(L"worker"));
    pThis->GetUnknown()->Release();
    return 0;
}
