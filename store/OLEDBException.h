// The exception of the database layer: the caller's text with the provider's error records and the
// connection data of the database involved, verbose enough to be mailed as an error report.
#pragma once

#include <windows.h>
#include <oledb.h>

#include <atldbcli.h>
#include <atlstr.h>

#include <vector>

class COLEDBException
{
public:
    struct CErrorRecord
    {
        CString strSource;
        CString strDescription;
        DWORD dwHelpContext = 0; // Jet: its error number + 5000000
        GUID guid = GUID_NULL;
        CString strHelpFile;
    };

    // pFailing gives the error records; when it has none, those of pCommand, pRowset and pRowsetChange are
    // used, and when they have none either, the description of hr. bAsk asks "Do you want to continue?";
    // bShow lets the constructor show the dialog, always with bForceDialog, else after a No.
    COLEDBException(IUnknown* pFailing, REFIID iid, const char* pszText, CSession* pSession,
                    HWND hOwner = NULL, BOOL bForceDialog = FALSE, ICommand* pCommandText = NULL,
                    BOOL bAsk = FALSE, BOOL bShow = FALSE, HRESULT hr = 0, ICommand* pCommand = NULL,
                    IRowset* pRowset = NULL, IRowsetChange* pRowsetChange = NULL);
    virtual ~COLEDBException();

    void ShowDialog(HWND hOwner);
    // What failed and the provider's reasons, for a line of a list: without the connection data and system
    // description of the full text.
    CString Summary() const;

    std::vector<CErrorRecord> m_records;
    CString m_strMessage;
    CSession* m_pSession;
    int m_bContinue;
};

// The record text of one interface ("OLEDB Exception:" and one block per record); empty when the
// interface is null or reports no records. pDescriptions, when given, collects the descriptions.
CString FormatErrorRecords(IUnknown* pUnk, REFIID iid,
                           std::vector<COLEDBException::CErrorRecord>* pRecords = NULL,
                           CString* pDescriptions = NULL);
// The fixed description of an OLE DB or COM failure code; empty for a code it does not know.
const char* OLEDBErrorDescription(HRESULT hr);

// The text of the last exception dialog, taken by the error-report message.
extern char g_szLastExceptionText[2048];
