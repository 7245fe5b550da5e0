// Schema rowsets of the consumer templates: TABLES and COLUMNS with their restrictions.
#pragma once

#include "atldbcli.h"

namespace ATL
{

class CTablesInfo
{
public:
    char m_szCatalog[129];
    char m_szSchema[129];
    char m_szName[129];
    char m_szType[129];
    GUID m_guidTable;
    char m_szDescription[129];

    BEGIN_COLUMN_MAP(CTablesInfo)
        COLUMN_ENTRY(1, m_szCatalog)
        COLUMN_ENTRY(2, m_szSchema)
        COLUMN_ENTRY(3, m_szName)
        COLUMN_ENTRY(4, m_szType)
        COLUMN_ENTRY(5, m_guidTable)
        COLUMN_ENTRY(6, m_szDescription)
    END_COLUMN_MAP()
};

class CColumnsInfo
{
public:
    char m_szTableCatalog[129];
    char m_szTableSchema[129];
    char m_szTableName[129];
    char m_szColumnName[129];
    GUID m_guidColumn;
    ULONG m_nColumnPropID;
    ULONG m_nOrdinalPosition;
    VARIANT_BOOL m_bColumnHasDefault;
    char m_szColumnDefault[129];
    ULONG m_nColumnFlags;
    VARIANT_BOOL m_bIsNullable;
    USHORT m_nDataType;
    GUID m_guidType;
    ULONG m_nMaxLength;
    ULONG m_nOctetLength;
    USHORT m_nNumericPrecision;
    short m_nNumericScale;
    ULONG m_nDateTimePrecision;
    char m_szCharSetCatalog[129];
    char m_szCharSetSchema[129];
    char m_szCharSetName[129];
    char m_szCollationCatalog[129];
    char m_szCollationSchema[129];
    char m_szCollationName[129];
    char m_szDomainCatalog[129];
    char m_szDomainSchema[129];
    char m_szDomainName[129];
    char m_szDescription[129];

    BEGIN_COLUMN_MAP(CColumnsInfo)
        COLUMN_ENTRY(1, m_szTableCatalog)
        COLUMN_ENTRY(2, m_szTableSchema)
        COLUMN_ENTRY(3, m_szTableName)
        COLUMN_ENTRY(4, m_szColumnName)
        COLUMN_ENTRY(5, m_guidColumn)
        COLUMN_ENTRY(6, m_nColumnPropID)
        COLUMN_ENTRY(7, m_nOrdinalPosition)
        COLUMN_ENTRY_TYPE(8, DBTYPE_BOOL, m_bColumnHasDefault)
        COLUMN_ENTRY(9, m_szColumnDefault)
        COLUMN_ENTRY(10, m_nColumnFlags)
        COLUMN_ENTRY_TYPE(11, DBTYPE_BOOL, m_bIsNullable)
        COLUMN_ENTRY(12, m_nDataType)
        COLUMN_ENTRY(13, m_guidType)
        COLUMN_ENTRY(14, m_nMaxLength)
        COLUMN_ENTRY(15, m_nOctetLength)
        COLUMN_ENTRY(16, m_nNumericPrecision)
        COLUMN_ENTRY(17, m_nNumericScale)
        COLUMN_ENTRY(18, m_nDateTimePrecision)
        COLUMN_ENTRY(19, m_szCharSetCatalog)
        COLUMN_ENTRY(20, m_szCharSetSchema)
        COLUMN_ENTRY(21, m_szCharSetName)
        COLUMN_ENTRY(22, m_szCollationCatalog)
        COLUMN_ENTRY(23, m_szCollationSchema)
        COLUMN_ENTRY(24, m_szCollationName)
        COLUMN_ENTRY(25, m_szDomainCatalog)
        COLUMN_ENTRY(26, m_szDomainSchema)
        COLUMN_ENTRY(27, m_szDomainName)
        COLUMN_ENTRY(28, m_szDescription)
    END_COLUMN_MAP()
};

// A schema rowset whose restrictions are texts given in order; NULL leaves a restriction out.
template <class T, short nRestrictions, const GUID* pguid>
class CRestrictions : public CAccessorRowset<T, CRowset>
{
public:
    HRESULT Open(const CSession& session, LPCSTR lpszParam1 = NULL, LPCSTR lpszParam2 = NULL,
                 LPCSTR lpszParam3 = NULL, LPCSTR lpszParam4 = NULL, LPCSTR lpszParam5 = NULL,
                 LPCSTR lpszParam6 = NULL, LPCSTR lpszParam7 = NULL, bool bBind = true)
    {
        CAccessorRowset<T, CRowset>::Close();
        if (session.m_spOpenRowset == NULL)
            return E_UNEXPECTED;
        COleDbPtr<IDBSchemaRowset> spSchema;
        HRESULT hr = session.m_spOpenRowset->QueryInterface(IID_IDBSchemaRowset, (void**)&spSchema);
        if (FAILED(hr))
            return hr;
        LPCSTR params[7] = {lpszParam1, lpszParam2, lpszParam3, lpszParam4, lpszParam5, lpszParam6, lpszParam7};
        VARIANT restrictions[7];
        for (int i = 0; i < nRestrictions && i < 7; ++i)
        {
            VariantInit(&restrictions[i]);
            if (params[i] == NULL)
                continue;
            int n = MultiByteToWideChar(CP_ACP, 0, params[i], -1, NULL, 0);
            restrictions[i].vt = VT_BSTR;
            restrictions[i].bstrVal = SysAllocStringLen(NULL, n > 0 ? n - 1 : 0);
            MultiByteToWideChar(CP_ACP, 0, params[i], -1, restrictions[i].bstrVal, n);
        }
        hr = spSchema->GetRowset(NULL, *pguid, nRestrictions, restrictions, IID_IRowset, 0, NULL,
                                 (IUnknown**)&this->m_spRowset);
        for (int i = 0; i < nRestrictions && i < 7; ++i)
            VariantClear(&restrictions[i]);
        if (FAILED(hr) || !bBind)
            return hr;
        return CAccessorRowset<T, CRowset>::Bind();
    }
};

typedef CRestrictions<CAccessor<CTablesInfo>, 4, &DBSCHEMA_TABLES> CTables;
typedef CRestrictions<CAccessor<CColumnsInfo>, 4, &DBSCHEMA_COLUMNS> CColumns;

} // namespace ATL
