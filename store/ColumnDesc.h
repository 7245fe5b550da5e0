// One column of a table schema; a static array of them, ended by an empty name, defines each table.
#pragma once

#include <windows.h>
#include <oledb.h>

#include <atlstr.h>

// An auto-increment key: COUNTER in the file, checked as DBTYPE_I4.
const DBTYPE DBTYPE_COUNTER = 0xFFFF;

struct CColumnDesc
{
    const char* m_pszName;
    int m_nOrdinal;
    DBTYPE m_wType;
    ULONG m_nSize;               // characters of a DBTYPE_STR column, else 0
    const char* m_pszConstraint; // written behind the type in CREATE and ALTER
    const char* m_pszSqlType;    // explicit Jet type; NULL: derived from m_wType
    int m_bStrictType;           // 0: the schema check accepts any data type

    // Name, blank, Jet type and constraint; empty for a type it does not know.
    void GetDefinition(CString& strDefinition) const;
};

// The Jet type text of an OLE DB type, empty when there is none.
CString JetTypeText(DBTYPE wType, ULONG nSize);
