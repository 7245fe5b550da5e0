// The exception of the database layer.
#include "store/OLEDBException.h"

#include <oledberr.h>

#include "foundation/ErrorUtil.h"
#include "store/DatabaseSession.h"
#include "store/ExceptionDialog.h"
#include "store/StoreTexts.h"
#include "store/SystemInfoLink.h"

char g_szLastExceptionText[2048];

namespace
{
struct HResultDescription
{
    unsigned long hr;
    const char* pszText;
};

const HResultDescription kDescriptions[] = {
    {0x8000000A, "The data necessary to complete this operation is not yet available."},
    {0x80004001, "Not implemented"},
    {0x80004002, "No such interface supported"},
    {0x80004003, "Invalid pointer"},
    {0x80004004, "Operation aborted"},
    {0x80004005, "Unspecified error"},
    {0x80040E00, "Accessor is invalid."},
    {0x80040E01, "Row could not be inserted into the rowset without exceeding provider's maximum number of "
                 "active rows."},
    {0x80040E02, "Accessor is read-only. Operation failed."},
    {0x80040E03, "Values violate the database schema."},
    {0x80040E04, "Row handle is invalid."},
    {0x80040E05, "Object was open."},
    {0x80040E06, "Chapter is invalid."},
    {0x80040E07, "Data or literal value could not be converted to the type of the column in the data source, "
                 "and the provider was unable to determine which columns could not be converted.  Data "
                 "overflow or sign mismatch was not the cause."},
    {0x80040E08, "Binding information is invalid."},
    {0x80040E09, "Permission denied."},
    {0x80040E0A, "Column does not contain bookmarks or chapters."},
    {0x80040E0C, "Command text was not set for the command object."},
    {0x80040E0E, "Bookmark is invalid."},
    {0x80040E0F, "Lock mode is invalid."},
    {0x80040E10, "No value given for one or more required parameters."},
    {0x80040E11, "Column ID is invalid."},
    {0x80040E12, "Numerator was greater than denominator. Values must express ratio between zero and 1."},
    {0x80040E13, "Value is invalid."},
    {0x80040E14, "One or more errors occurred during processing of command."},
    {0x80040E15, "Command cannot be canceled."},
    {0x80040E16, "Command dialect is not supported by this provider."},
    {0x80040E17, "Data source object could not be created because the named data source already exists."},
    {0x80040E18, "Rowset position cannot be restarted."},
    {0x80040E19, "Object or data matching the name, range, or selection criteria was not found within the "
                 "scope of this operation."},
    {0x80040E1B, "Identity cannot be determined for newly inserted rows."},
    {0x80040E1D, "Requested conversion is not supported."},
    {0x80040E1E, "No rows were returned because the offset value moves the position before the beginning or "
                 "after the end of the rowset."},
    {0x80040E1F, "Information was requested for a query and the query was not set."},
    {0x80040E20, "Consumer's event handler called a non-reentrant method in the provider."},
    {0x80040E21, "Multiple-step OLE DB operation generated errors. Check each OLE DB status value, if "
                 "available. No work was done."},
    {0x80040E22, "Non-NULL controlling IUnknown was specified, and either the requested interface was not "
                 "IUnknown, or the provider does not support COM aggregation."},
    {0x80040E23, "Row handle referred to a deleted row or a row marked for deletion."},
    {0x80040E24, "Rowset does not support fetching backward."},
    {0x80040E25, "Row handles must all be released before new ones can be obtained."},
    {0x80040E26, "One or more storage flags are not supported."},
    {0x80040E27, "Comparison operator is invalid."},
    {0x80040E28, "Status flag was neither DBCOLUMNSTATUS_OK nor DBCOLUMNSTATUS_ISNULL."},
    {0x80040E29, "Rowset does not support scrolling backward."},
    {0x80040E2E, "Multiple-statement commands are not supported by this provider."},
    {0x80040E2F, "Value violated the integrity constraints for a column or table."},
    {0x80040E30, "Type name is invalid."},
    {0x80040E31, "Execution stopped because a resource limit was reached. No results were returned."},
    {0x80040E32, "Command object whose command tree contains a rowset or rowsets cannot be cloned."},
    {0x80040E33, "Current tree cannot be represented as text."},
    {0x80040E34, "Index already exists."},
    {0x80040E35, "Index does not exist."},
    {0x80040E36, "Index is in use."},
    {0x80040E37, "Table does not exist."},
    {0x80040E38, "Rowset used optimistic concurrency and the value of a column has changed since it was last "
                 "read."},
    {0x80040E39, "Errors detected during the copy."},
    {0x80040E3A, "Precision is invalid."},
    {0x80040E3B, "Scale is invalid."},
    {0x80040E3C, "Table ID is invalid."},
    {0x80040E3D, "Type is invalid."},
    {0x80040E3E, "Column ID already exists or occurred more than once in the array of columns."},
    {0x80040E3F, "Table already exists."},
    {0x80040E40, "Table is in use."},
    {0x80040E41, "Locale ID is not supported."},
    {0x80040E42, "Record number is invalid."},
    {0x80040E43, "Form of bookmark is valid, but no row was found to match it."},
    {0x80040E44, "Property value is invalid."},
    {0x80040E45, "Rowset is not chaptered."},
    {0x80040E46, "One or more accessor flags were invalid."},
    {0x80040E47, "One or more storage flags are invalid."},
    {0x80040E48, "Reference accessors are not supported by this provider."},
    {0x80040E49, "Null accessors are not supported by this provider."},
    {0x80040E4A, "Command was not prepared."},
    {0x80040E4B, "Accessor is not a parameter accessor."},
    {0x80040E4C, "Accessor is write-only."},
    {0x80040E4D, "Authentication failed."},
    {0x80040E4E, "Operation was canceled."},
    {0x80040E4F, "Rowset is single-chaptered. The chapter was not released."},
    {0x80040E50, "Source handle is invalid."},
    {0x80040E51, "Provider cannot derive parameter information and SetParameterInfo has not been called."},
    {0x80040E52, "Data source object is already initialized."},
    {0x80040E53, "Method is not supported by this provider."},
    {0x80040E54, "Number of rows with pending changes exceeded the limit."},
    {0x80040E55, "Column does not exist."},
    {0x80040E56, "Pending changes exist on a row with a reference count of zero."},
    {0x80040E57, "Literal value in the command exceeded the range of the type of the associated column."},
    {0x80040E58, "HRESULT is invalid."},
    {0x80040E59, "Lookup ID is invalid."},
    {0x80040E5A, "DynamicError ID is invalid."},
    {0x80040E5B, "Most recent data for a newly inserted row could not be retrieved because the insert is "
                 "pending."},
    {0x80040E5C, "Conversion flag is invalid."},
    {0x80040E5D, "Parameter name is unrecognized."},
    {0x80040E5E, "Multiple storage objects cannot be open simultaneously."},
    {0x80040E5F, "Filter cannot be opened."},
    {0x80040E60, "Order cannot be opened."},
    {0x80070005, "General access denied error"},
    {0x80070006, "Invalid handle"},
    {0x8007000E, "Ran out of memory"},
    {0x80070057, "One or more arguments are invalid"},
};

CString TakeBstr(BSTR bstr)
{
    CString str(bstr != NULL ? (const wchar_t*)bstr : L"");
    SysFreeString(bstr);
    return str;
}

CString GuidText(const GUID& guid)
{
    wchar_t wsz[40] = {0};
    StringFromGUID2(guid, wsz, 40);
    return CString(wsz);
}
} // namespace

const char* OLEDBErrorDescription(HRESULT hr)
{
    for (const HResultDescription& d : kDescriptions)
    {
        if (d.hr == (unsigned long)hr)
            return d.pszText;
    }
    return "";
}

CString FormatErrorRecords(IUnknown* pUnk, REFIID iid, std::vector<COLEDBException::CErrorRecord>* pRecords,
                           CString* pDescriptions)
{
    CString strText;
    if (pUnk == NULL)
        return strText;
    ISupportErrorInfo* pSupport = NULL;
    if (FAILED(pUnk->QueryInterface(IID_ISupportErrorInfo, (void**)&pSupport)) || pSupport == NULL)
        return strText;
    HRESULT hrSupports = pSupport->InterfaceSupportsErrorInfo(iid);
    pSupport->Release();
    if (hrSupports != S_OK)
        return strText;

    IErrorInfo* pInfo = NULL;
    if (GetErrorInfo(0, &pInfo) != S_OK || pInfo == NULL)
        return strText;
    IErrorRecords* pErrorRecords = NULL;
    HRESULT hr = pInfo->QueryInterface(IID_IErrorRecords, (void**)&pErrorRecords);
    pInfo->Release();
    if (FAILED(hr) || pErrorRecords == NULL)
        return strText;

    ULONG cRecords = 0;
    pErrorRecords->GetRecordCount(&cRecords);
    LCID lcid = GetUserDefaultLCID();
    int nFormatted = 0;
    for (ULONG i = 0; i < cRecords; i++)
    {
        IErrorInfo* pRecord = NULL;
        if (FAILED(pErrorRecords->GetErrorInfo(i, lcid, &pRecord)) || pRecord == NULL)
            continue; // a record that cannot be read is skipped
        COLEDBException::CErrorRecord record;
        BSTR bstr = NULL;
        if (SUCCEEDED(pRecord->GetSource(&bstr)))
            record.strSource = TakeBstr(bstr);
        bstr = NULL;
        if (SUCCEEDED(pRecord->GetDescription(&bstr)))
            record.strDescription = TakeBstr(bstr);
        bstr = NULL;
        if (SUCCEEDED(pRecord->GetHelpFile(&bstr)))
            record.strHelpFile = TakeBstr(bstr);
        pRecord->GetHelpContext(&record.dwHelpContext);
        pRecord->GetGUID(&record.guid);
        pRecord->Release();

        if (strText.IsEmpty())
            strText = StoreText::kExceptionHeader;
        if (pDescriptions != NULL)
        {
            if (!pDescriptions->IsEmpty())
                *pDescriptions += "\r\n";
            *pDescriptions += record.strDescription;
        }
        // The database is full: the user must hear it now, whatever the caller does with the exception.
        if (record.strDescription == StoreText::kMaximumSize)
            AppMessageBox(CString(StoreText::kFatalErrorPrefix) + record.strDescription, MB_ICONSTOP);
        if (nFormatted++ > 0)
            strText += "\r\n\r\n";
        CString strRecord;
        strRecord.Format(StoreText::kRecordFormat, (const char*)record.strSource,
                         (const char*)record.strDescription, (const char*)GuidText(record.guid),
                         (long)record.dwHelpContext, (const char*)record.strHelpFile);
        strText += strRecord;
        if (pRecords != NULL)
            pRecords->push_back(record);
    }
    pErrorRecords->Release();
    return strText;
}

COLEDBException::COLEDBException(IUnknown* pFailing, REFIID iid, const char* pszText, CSession* pSession,
                                 HWND hOwner, BOOL bForceDialog, ICommand* pCommandText, BOOL bAsk,
                                 BOOL bShow, HRESULT hr, ICommand* pCommand, IRowset* pRowset,
                                 IRowsetChange* pRowsetChange)
    : m_pSession(pSession), m_bContinue(1)
{
    CString strDescriptions;
    if (pFailing == NULL)
        m_strMessage = StoreText::kNoInterface;
    else
        m_strMessage = FormatErrorRecords(pFailing, iid, &m_records, &strDescriptions);

    if (m_records.empty())
    {
        CString strOthers = FormatErrorRecords(pCommand, IID_ICommand, &m_records, &strDescriptions);
        strOthers += FormatErrorRecords(pRowset, IID_IRowset, &m_records, &strDescriptions);
        strOthers += FormatErrorRecords(pRowsetChange, IID_IRowsetChange, &m_records, &strDescriptions);
        if (!strOthers.IsEmpty())
            m_strMessage += strOthers;
        else if (hr != 0)
        {
            CString strLine;
            strLine.Format(StoreText::kDumpHeader, (unsigned)hr);
            m_strMessage += strLine;
            strLine.Format(StoreText::kNoErrorInformation, (unsigned)hr);
            m_strMessage += strLine;
            m_strMessage += OLEDBErrorDescription(hr);
            m_strMessage += "\r\n";
        }
    }

    if (pCommandText != NULL)
    {
        ICommandText* pText = NULL;
        if (SUCCEEDED(pCommandText->QueryInterface(IID_ICommandText, (void**)&pText)) && pText != NULL)
        {
            GUID guidDialect = DBGUID_DEFAULT;
            LPOLESTR pwszCommand = NULL;
            if (SUCCEEDED(pText->GetCommandText(&guidDialect, &pwszCommand)) && pwszCommand != NULL)
            {
                m_strMessage = CString(pwszCommand) + "\r\n\r\n" + m_strMessage;
                CoTaskMemFree(pwszCommand);
            }
            pText->Release();
        }
    }
    if (pszText != NULL)
        m_strMessage = CString(pszText) + "\r\n\r\n" + m_strMessage;

    CDatabaseSession* databases[] = {g_pDatabaseLocal, g_pDatabaseOrb, g_pDatabaseAccounts};
    for (CDatabaseSession* pDatabase : databases)
    {
        if (pDatabase != NULL)
            pDatabase->GetInfoText(pSession, m_strMessage);
    }
    m_strMessage += "\r\n\r\n";
    m_strMessage += SystemInfoText();

    if (bAsk && !strDescriptions.IsEmpty())
    {
        CString strQuestion = CString(pszText != NULL ? pszText : "") + "\r\n" + strDescriptions +
                              "\r\n\r\n" + StoreText::kContinueQuestion;
        if (AppMessageBox(strQuestion, MB_YESNO | MB_ICONQUESTION, hOwner) == IDNO)
            m_bContinue = 0;
    }
    if (bShow && (bForceDialog || m_bContinue == 0))
        ShowDialog(hOwner);
}

COLEDBException::~COLEDBException() {}

CString COLEDBException::Summary() const
{
    CString strText = m_strMessage;
    const int nEnd = strText.Find("\r\n\r\n");
    if (nEnd > 0)
        strText = strText.Left(nEnd);
    for (const CErrorRecord& record : m_records)
    {
        if (!record.strDescription.IsEmpty())
            strText += " " + record.strDescription;
    }
    return strText;
}

void COLEDBException::ShowDialog(HWND hOwner)
{
    CString strText = m_strMessage;
    if (strText.GetLength() > 2047)
        strText = strText.Left(2046);
    lstrcpynA(g_szLastExceptionText, strText, sizeof(g_szLastExceptionText));
    ShowExceptionDialog(hOwner, strText);
}
