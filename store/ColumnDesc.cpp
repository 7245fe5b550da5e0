// One column of a table schema.
#include "store/ColumnDesc.h"

CString JetTypeText(DBTYPE wType, ULONG nSize)
{
    CString str;
    switch (wType)
    {
    case DBTYPE_I4: str = "INTEGER"; break;
    case DBTYPE_DATE: str = "DATETIME"; break;
    case DBTYPE_BOOL: str = "LOGICAL"; break;
    case DBTYPE_UI1: str = "BYTE"; break;
    case DBTYPE_BYTES: str = "LONGBINARY"; break;
    case DBTYPE_STR: str.Format("TEXT(%lu)", (unsigned long)nSize); break;
    case DBTYPE_COUNTER: str = "COUNTER"; break;
    default: break;
    }
    return str;
}

void CColumnDesc::GetDefinition(CString& strDefinition) const
{
    CString strType = m_pszSqlType != NULL ? CString(m_pszSqlType) : JetTypeText(m_wType, m_nSize);
    if (strType.IsEmpty())
    {
        strDefinition.Empty();
        return;
    }
    strDefinition = CString(m_pszName) + " " + strType + (m_pszConstraint != NULL ? m_pszConstraint : "");
}
