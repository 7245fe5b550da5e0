// Shared pieces of the store tests.
#include "StoreTestSupport.h"

#include <atldbsch.h>
#include <msjetoledb.h>

#include <map>

#include "foundation/ErrorUtil.h"
#include "foundation/Registry.h"
#include "store/DatabaseDialogs.h"
#include "store/ExceptionDialog.h"

CScratchFolder::CScratchFolder(const char* pszName)
{
    char szTemp[MAX_PATH];
    GetTempPathA(MAX_PATH, szTemp);
    CString strRoot = CString(szTemp) + "orb-store-tests\\";
    CreateDirectoryA(strRoot, NULL);
    m_strPath = strRoot + pszName + "\\";
    // Leftovers of an earlier run would change what the test sees.
    SHFILEOPSTRUCTA op = {};
    CString strFrom = m_strPath.Left(m_strPath.GetLength() - 1) + '\0';
    std::string from((const char*)strFrom, strFrom.GetLength());
    from.push_back('\0');
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
    SHFileOperationA(&op);
    CreateDirectoryA(m_strPath, NULL);
}

CScratchFolder::~CScratchFolder()
{
    WIN32_FIND_DATAA data;
    HANDLE hFind = FindFirstFileA(m_strPath + "*", &data);
    if (hFind != INVALID_HANDLE_VALUE)
    {
        do
            DeleteFileA(m_strPath + data.cFileName);
        while (FindNextFileA(hFind, &data));
        FindClose(hFind);
    }
    RemoveDirectoryA(m_strPath);
}

CScriptedUser* CScriptedUser::s_pCurrent = NULL;

static int ScriptedBox(const char* pszText, const char*, UINT, HWND)
{
    CScriptedUser* p = CScriptedUser::s_pCurrent;
    p->m_boxes.push_back(pszText);
    if (p->m_boxAnswers.empty())
        return IDYES;
    int n = p->m_boxAnswers.front();
    p->m_boxAnswers.pop_front();
    return n;
}

static INT_PTR ScriptedDialog(int nDialog, const char* pszPrompt, CString& strPath)
{
    CScriptedUser* p = CScriptedUser::s_pCurrent;
    p->m_dialogs.push_back({nDialog, pszPrompt});
    if (p->m_dialogAnswers.empty())
        return IDOK;
    CScriptedUser::DialogAnswer answer = p->m_dialogAnswers.front();
    p->m_dialogAnswers.pop_front();
    if (answer.nResult == IDOK && !answer.strPath.empty())
        strPath = answer.strPath.c_str();
    if (answer.nResult == IDOK && answer.nPrivateContacts >= 0)
        g_bPrivateContacts = answer.nPrivateContacts;
    return answer.nResult;
}

static void ScriptedExceptionDialog(HWND, const char* pszText)
{
    CScriptedUser::s_pCurrent->m_exceptionDialogs.push_back(pszText);
}

CScriptedUser::CScriptedUser()
{
    s_pCurrent = this;
    SetAppMessageBoxHook(ScriptedBox);
    SetDatabaseDialogHook(ScriptedDialog);
    SetExceptionDialogHook(ScriptedExceptionDialog);
}

CScriptedUser::~CScriptedUser()
{
    SetAppMessageBoxHook(NULL);
    SetDatabaseDialogHook(NULL);
    SetExceptionDialogHook(NULL);
    s_pCurrent = NULL;
}

bool CreateDatabaseFile(const char* pszPath)
{
    IDBInitialize* pInit = NULL;
    if (FAILED(OleDbCoCreateInstance(CLSID_JETOLEDB_4_00, NULL, CLSCTX_INPROC_SERVER, IID_IDBInitialize,
                                     (void**)&pInit)))
        return false;
    IDBDataSourceAdmin* pAdmin = NULL;
    HRESULT hr = pInit->QueryInterface(IID_IDBDataSourceAdmin, (void**)&pAdmin);
    if (SUCCEEDED(hr))
    {
        CDBPropSet propSet(DBPROPSET_DBINIT);
        propSet.AddProperty(DBPROP_INIT_DATASOURCE, pszPath);
        hr = pAdmin->CreateDataSource(1, &propSet, NULL, IID_NULL, NULL);
        pAdmin->Release();
    }
    pInit->Release();
    return SUCCEEDED(hr);
}

HRESULT OpenSession(const char* pszPath, CSession& session)
{
    CDataSource dataSource;
    CDBPropSet propSet(DBPROPSET_DBINIT);
    propSet.AddProperty(DBPROP_INIT_DATASOURCE, pszPath);
    propSet.AddProperty(DBPROP_INIT_MODE, (long)DB_MODE_SHARE_DENY_NONE);
    HRESULT hr = dataSource.Open("Microsoft.Jet.OLEDB.4.0", &propSet, 1);
    if (FAILED(hr))
        return hr;
    return session.Open(dataSource);
}

bool Execute(CSession& session, const char* pszSQL)
{
    CCommand<CNoAccessor, CNoRowset> command;
    return SUCCEEDED(command.Open(session, pszSQL, NULL, NULL, DBGUID_DEFAULT, false));
}

std::vector<std::string> ColumnNames(CSession& session, const char* pszTable)
{
    std::map<ULONG, std::string> byOrdinal;
    CColumns columns;
    if (SUCCEEDED(columns.Open(session, NULL, NULL, pszTable, NULL)))
    {
        while (columns.MoveNext() == S_OK)
            byOrdinal[columns.m_nOrdinalPosition] = columns.m_szColumnName;
    }
    std::vector<std::string> names;
    for (auto& entry : byOrdinal)
        names.push_back(entry.second);
    return names;
}

namespace
{
class CLongRecord
{
public:
    LONG m_nValue;
    // clang-format off
    BEGIN_COLUMN_MAP(CLongRecord)
        COLUMN_ENTRY(1, m_nValue)
    END_COLUMN_MAP()
    // clang-format on
};
} // namespace

long QueryLong(CSession& session, const char* pszSQL)
{
    CCommand<CAccessor<CLongRecord>> command;
    if (FAILED(command.Open(session, pszSQL)) || command.MoveFirst() != S_OK)
        return -1;
    return command.m_nValue;
}
