// How the compose window reports what its handlers catch.
#include "ui/compose/ComposeErrors.h"

#include "foundation/ErrorUtil.h"
#include "foundation/Exception.h"
#include "foundation/FileException.h"
#include "foundation/TraceFile.h"
#include "store/OLEDBException.h"

CString CaughtExceptionText(const char* pszWhere)
{
    try
    {
        throw;
    }
    catch (CException* pException)
    {
        CString strText = pException->m_strMessage;
        delete pException;
        return strText;
    }
    catch (COLEDBException* pException)
    {
        CString strText = pException->m_strMessage;
        delete pException;
        return strText;
    }
    catch (CFileException* pException)
    {
        CString strText = pException->GetErrorText();
        delete pException;
        return strText;
    }
    catch (const char* pszText)
    {
        return CString("ERROR: ") + pszText;
    }
    catch (...)
    {
        return CString(pszWhere) + "\r\nUnhandled exception!!!\r\n";
    }
}

void ShowCaughtInCompose(const char* pszWhere, HWND hWndOwner)
{
    CString strText = CaughtExceptionText(pszWhere);
    if (IsTraceOn())
        g_pTraceFile->Write("\r\n%s", strText.GetString());
    AppMessageBox(strText, MB_ICONSTOP, hWndOwner);
}
