// Translation of Jet SQL into the dialect of the file, done once per command text.
#include "JetSql.h"

#include <windows.h>
#include <oleauto.h>

#include <cctype>
#include <cstdio>
#include <vector>

#include "JetFunctions.h"

namespace
{
std::string Upper(std::string s)
{
    for (char& c : s)
        c = (char)toupper((unsigned char)c);
    return s;
}

// Index just past a quoted part starting at i ('...', "..." or [...]), or i when none starts there.
size_t SkipQuoted(const std::string& s, size_t i)
{
    char c = s[i];
    char cEnd = c == '[' ? ']' : c;
    if (c != '\'' && c != '"' && c != '[')
        return i;
    size_t j = i + 1;
    while (j < s.size())
    {
        if (s[j] == cEnd)
        {
            if (cEnd != ']' && j + 1 < s.size() && s[j + 1] == cEnd)
            {
                j += 2;
                continue;
            }
            return j + 1;
        }
        ++j;
    }
    return s.size();
}

bool IsWordChar(char c)
{
    return isalnum((unsigned char)c) || c == '_';
}

// Next word (letters, digits, _ or a bracketed name) at or after i, skipping blanks; i moves past it.
std::string NextWord(const std::string& s, size_t& i)
{
    while (i < s.size() && isspace((unsigned char)s[i]))
        ++i;
    size_t start = i;
    if (i < s.size() && (s[i] == '[' || s[i] == '"'))
        i = SkipQuoted(s, i);
    else
        while (i < s.size() && IsWordChar(s[i]))
            ++i;
    return s.substr(start, i - start);
}

std::string StripName(const std::string& name)
{
    if (name.size() >= 2 && (name[0] == '[' || name[0] == '"'))
        return name.substr(1, name.size() - 2);
    return name;
}

// Replaces #date# literals outside quotes with exact OLE date numbers.
std::string ReplaceDateLiterals(const std::string& s)
{
    std::string out;
    size_t i = 0;
    while (i < s.size())
    {
        size_t j = SkipQuoted(s, i);
        if (j != i)
        {
            out.append(s, i, j - i);
            i = j;
            continue;
        }
        if (s[i] == '#')
        {
            size_t end = s.find('#', i + 1);
            double d = 0;
            if (end != std::string::npos && JetParseDateLiteral(s.substr(i + 1, end - i - 1), d))
            {
                char sz[64];
                snprintf(sz, sizeof(sz), "%.17g", d);
                out += sz;
                i = end + 1;
                continue;
            }
        }
        out += s[i++];
    }
    return out;
}

// Finds a keyword (whole word, case-insensitive) outside quotes, from position i.
size_t FindKeyword(const std::string& s, const std::string& kw, size_t i = 0)
{
    std::string up = Upper(kw);
    while (i < s.size())
    {
        size_t j = SkipQuoted(s, i);
        if (j != i)
        {
            i = j;
            continue;
        }
        if ((i == 0 || !IsWordChar(s[i - 1])) && Upper(s.substr(i, up.size())) == up &&
            (i + up.size() >= s.size() || !IsWordChar(s[i + up.size()])))
            return i;
        ++i;
    }
    return std::string::npos;
}

bool IsTextType(const std::string& upType)
{
    return upType.compare(0, 4, "TEXT") == 0 || upType == "LONGTEXT" || upType == "MEMO" ||
           upType.compare(0, 7, "VARCHAR") == 0 || upType.compare(0, 4, "CHAR") == 0 || upType == "NOTE";
}

// Rewrites one column definition: name type constraints.
std::string TranslateColumn(const std::string& def)
{
    size_t i = 0;
    std::string name = NextWord(def, i);
    std::string upName = Upper(name);
    if (name.empty() || upName == "CONSTRAINT" || upName == "PRIMARY" || upName == "UNIQUE" || upName == "FOREIGN" ||
        upName == "CHECK")
        return def;
    size_t typeStart = i;
    while (typeStart < def.size() && isspace((unsigned char)def[typeStart]))
        ++typeStart;
    std::string type = NextWord(def, i);
    size_t k = i;
    while (k < def.size() && isspace((unsigned char)def[k]))
        ++k;
    if (k < def.size() && def[k] == '(')
    {
        size_t close = def.find(')', k);
        if (close != std::string::npos)
            i = close + 1;
    }
    std::string typeText = def.substr(typeStart, i - typeStart);
    std::string rest = def.substr(i);
    std::string upType = Upper(type);
    std::string upRest = Upper(rest);

    size_t nNow = FindKeyword(rest, "NOW");
    size_t nDefault = FindKeyword(rest, "DEFAULT");
    if (nDefault != std::string::npos && nNow != std::string::npos && nNow > nDefault)
    {
        size_t close = rest.find(')', nNow);
        if (close != std::string::npos)
            rest = rest.substr(0, nDefault) + "DEFAULT (julianday('now','localtime') - 2415018.5)" +
                   rest.substr(close + 1);
    }

    std::string head = def.substr(0, typeStart);
    if (upType == "COUNTER" || upType == "AUTOINCREMENT" || upType == "IDENTITY")
    {
        // A rowid key is what gives the column its values; as written it would stay NULL.
        size_t nPk = FindKeyword(rest, "KEY");
        if (FindKeyword(rest, "PRIMARY") != std::string::npos && nPk != std::string::npos)
            rest.insert(nPk + 3, " AUTOINCREMENT");
        else
            rest += " PRIMARY KEY AUTOINCREMENT";
        return head + "INTEGER" + rest;
    }
    // Jet compares every text without case. UniqueID columns are the exception on purpose: they hold the
    // server's UIDLs, byte strings in which "abc" and "ABC" name two different messages.
    if (IsTextType(upType) && Upper(StripName(name)) != "UNIQUEID" && FindKeyword(rest, "COLLATE") == std::string::npos)
        return head + typeText + " COLLATE " JET_TEXT_COLLATION + rest;
    return head + typeText + rest;
}

std::string TranslateCreateTable(const std::string& s)
{
    size_t open = std::string::npos;
    for (size_t i = 0; i < s.size();)
    {
        size_t j = SkipQuoted(s, i);
        if (j != i)
        {
            i = j;
            continue;
        }
        if (s[i] == '(')
        {
            open = i;
            break;
        }
        ++i;
    }
    if (open == std::string::npos)
        return s;
    std::vector<std::string> defs;
    size_t start = open + 1, close = std::string::npos;
    int depth = 0;
    for (size_t i = open + 1; i < s.size();)
    {
        size_t j = SkipQuoted(s, i);
        if (j != i)
        {
            i = j;
            continue;
        }
        char c = s[i];
        if (c == '(')
            ++depth;
        else if (c == ')')
        {
            if (depth == 0)
            {
                close = i;
                defs.push_back(s.substr(start, i - start));
                break;
            }
            --depth;
        }
        else if (c == ',' && depth == 0)
        {
            defs.push_back(s.substr(start, i - start));
            start = i + 1;
        }
        ++i;
    }
    if (close == std::string::npos)
        return s;
    std::string out = s.substr(0, open + 1);
    for (size_t n = 0; n < defs.size(); ++n)
    {
        if (n > 0)
            out += ",";
        out += TranslateColumn(defs[n]);
    }
    return out + s.substr(close);
}
} // namespace

bool JetParseDateLiteral(const std::string& strText, double& dDate)
{
    int m = 0, d = 0, y = 0, hh = 0, mm = 0, ss = 0;
    char ampm[3] = {0};
    int n = sscanf(strText.c_str(), " %d/%d/%d %d:%d:%d %2s", &m, &d, &y, &hh, &mm, &ss, ampm);
    if (n < 3)
        return false;
    if (n == 4 || n == 5)
    {
        if (n == 4)
            return false;
        ss = 0;
    }
    if (y < 100)
        y += y < 30 ? 2000 : 1900;
    if ((ampm[0] == 'P' || ampm[0] == 'p') && hh < 12)
        hh += 12;
    if ((ampm[0] == 'A' || ampm[0] == 'a') && hh == 12)
        hh = 0;
    if (m < 1 || m > 12 || d < 1 || d > 31 || hh > 23 || mm > 59 || ss > 59)
        return false;
    SYSTEMTIME st = {};
    st.wYear = (WORD)y;
    st.wMonth = (WORD)m;
    st.wDay = (WORD)d;
    st.wHour = (WORD)hh;
    st.wMinute = (WORD)mm;
    st.wSecond = (WORD)ss;
    return SystemTimeToVariantTime(&st, &dDate) != FALSE;
}

std::string JetTranslateSql(const std::string& strSql)
{
    std::string s = ReplaceDateLiterals(strSql);
    size_t i = 0;
    std::string w1 = Upper(NextWord(s, i));
    if (w1 == "CREATE")
    {
        size_t k = i;
        if (Upper(NextWord(s, k)) == "TABLE")
            return TranslateCreateTable(s);
        return s;
    }
    if (w1 == "ALTER")
    {
        size_t k = i;
        if (Upper(NextWord(s, k)) != "TABLE")
            return s;
        NextWord(s, k); // table name
        size_t addEnd = k;
        std::string verb = Upper(NextWord(s, addEnd));
        if (verb != "ADD")
            return s;
        size_t colStart = addEnd;
        size_t k2 = addEnd;
        if (Upper(NextWord(s, k2)) == "COLUMN")
            colStart = k2;
        return s.substr(0, colStart) + TranslateColumn(s.substr(colStart));
    }
    return s;
}

bool JetSplitSingleTableSelect(const std::string& strSql, std::string& strTable, std::string& strTail,
                               bool& bOrdered)
{
    size_t i = 0;
    if (Upper(NextWord(strSql, i)) != "SELECT")
        return false;
    size_t k = i;
    std::string w = Upper(NextWord(strSql, k));
    if (w == "DISTINCT" || w == "DISTINCTROW" || w == "TOP" || w == "ALL")
        return false;
    size_t from = FindKeyword(strSql, "FROM", i);
    if (from == std::string::npos)
        return false;
    k = from + 4;
    strTable = NextWord(strSql, k);
    if (strTable.empty() || strTable[0] == '(')
        return false;
    std::string rest = strSql.substr(k);
    size_t r = 0;
    std::string next = Upper(NextWord(rest, r));
    if (!next.empty() && next != "WHERE" && next != "ORDER")
        return false;
    if (r < rest.size() && next.empty())
        return false; // a comma or another symbol after the table name
    for (const char* kw : {"JOIN", "UNION", "GROUP", "HAVING", "SELECT", "FROM"})
        if (FindKeyword(rest, kw) != std::string::npos)
            return false;
    bOrdered = FindKeyword(rest, "ORDER") != std::string::npos;
    strTail = rest;
    return true;
}

std::string JetDeferColumns(const std::string& strSql, const std::vector<bool>& defer,
                            std::vector<std::string>& tables, std::vector<std::string>& columns)
{
    tables.assign(defer.size(), std::string());
    columns.assign(defer.size(), std::string());
    size_t i = 0;
    if (Upper(NextWord(strSql, i)) != "SELECT")
        return std::string();
    size_t k = i;
    std::string w = Upper(NextWord(strSql, k));
    if (w == "DISTINCT" || w == "DISTINCTROW" || w == "TOP")
        return std::string();
    // The list's items end at commas outside quotes and parentheses; the list ends at FROM.
    std::vector<std::string> items;
    size_t nStart = i, nFrom = std::string::npos;
    int nDepth = 0;
    for (size_t j = i; j < strSql.size();)
    {
        size_t q = SkipQuoted(strSql, j);
        if (q != j)
        {
            j = q;
            continue;
        }
        char c = strSql[j];
        if (c == '(')
            ++nDepth;
        else if (c == ')')
            --nDepth;
        else if (c == ',' && nDepth == 0)
        {
            items.push_back(strSql.substr(nStart, j - nStart));
            nStart = j + 1;
        }
        else if (nDepth == 0 && (j == 0 || !IsWordChar(strSql[j - 1])) &&
                 Upper(strSql.substr(j, 4)) == "FROM" &&
                 (j + 4 >= strSql.size() || !IsWordChar(strSql[j + 4])))
        {
            nFrom = j;
            break;
        }
        ++j;
    }
    if (nFrom == std::string::npos)
        return std::string();
    items.push_back(strSql.substr(nStart, nFrom - nStart));
    if (items.size() != defer.size())
        return std::string();

    std::string strList, strRowids;
    bool bAny = false;
    for (size_t n = 0; n < items.size(); ++n)
    {
        size_t nBegin = items[n].find_first_not_of(" \t\r\n");
        size_t nEnd = items[n].find_last_not_of(" \t\r\n");
        std::string item;
        if (nBegin != std::string::npos)
            item = items[n].substr(nBegin, nEnd - nBegin + 1);
        strList += n > 0 ? ", " : " ";
        size_t p = 0;
        std::string strTable = NextWord(item, p);
        if (defer[n] && !strTable.empty() && p < item.size() && item[p] == '.')
        {
            ++p;
            std::string strColumn = NextWord(item, p);
            if (!strColumn.empty() && p == item.size())
            {
                tables[n] = StripName(strTable);
                columns[n] = StripName(strColumn);
                strList += "length(" + item + ")";
                strRowids += ", " + strTable + ".rowid";
                bAny = true;
                continue;
            }
        }
        strList += item;
    }
    if (!bAny)
        return std::string();
    return strSql.substr(0, i) + strList + strRowids + " " + strSql.substr(nFrom);
}
