// DllRun's work: the client's whole life on the calling thread, from the databases to the last window.
#include "app/LetrovaRun.h"

#include "app/Letrova.h"
#include "app/LetrovaGlobals.h"
#include "foundation/ErrorUtil.h"
#include "foundation/Exception.h"
#include "foundation/FoundationUi.h"

namespace
{
// DllRun's result when the object could not be made or one of its calls failed unexpectedly.
const int kRunFailed = 2;

CString ComponentName()
{
    CString strName;
    strName.LoadString(IDS_PROJNAME);
    return strName + " (OrbMail.dll)";
}

// The object of this library itself, whatever server the registry names for the class.
CComPtr<ILetrova> CreateOwnLetrova()
{
    CComPtr<IClassFactory> pFactory;
    CComPtr<ILetrova> pLetrova;
    HRESULT hr =
        _Module.GetClassObject(CLSID_Letrova, IID_IClassFactory, reinterpret_cast<void**>(&pFactory));
    if (SUCCEEDED(hr))
        hr = pFactory->CreateInstance(NULL, IID_ILetrova, reinterpret_cast<void**>(&pLetrova));
    if (FAILED(hr))
    {
        CString strText;
        strText.Format("FATAL ERROR: Create %s component failed!\r\nHRESULT 0x%08lX",
                       ComponentName().GetString(), static_cast<unsigned long>(hr));
        throw new CException(strText);
    }
    return pLetrova;
}
} // namespace

// Opens the databases and the main window and returns when every window has closed: 0, 1 when the
// databases cannot be opened, 2 when the object could not be made or failed.
int RunLetrova()
{
    HRESULT hrInit = ::CoInitialize(NULL);
    int nResult = 0;
    try
    {
        CComPtr<ILetrova> pLetrova;
        try
        {
            pLetrova = CreateOwnLetrova();
        }
        catch (CException* pException)
        {
            ShowErrorReportPrompt(pException->m_strMessage, NULL);
            delete pException;
            nResult = kRunFailed;
        }
        if (pLetrova)
        {
            if (pLetrova->OpenDatabase() != S_OK)
                nResult = 1;
            else
            {
                pLetrova->Letrova();
                pLetrova->CloseNoWarning();
            }
        }
    }
    catch (CException* pException)
    {
        AppMessageBox(pException->m_strMessage, MB_ICONSTOP, NULL);
        delete pException;
        nResult = kRunFailed;
    }
    catch (...)
    {
        nResult = kRunFailed;
    }
    if (SUCCEEDED(hrInit))
        ::CoUninitialize();
    return nResult;
}
