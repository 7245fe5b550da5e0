// Connections to a database file with Jet's text comparison, LIKE and functions registered.
#include "JetFunctions.h"

#include <cmath>
#include <string>

namespace
{
// The central database is shared with other programs of the family, so a writer may hold it briefly.
const int kBusyTimeoutMs = 10000;

int CompareText(void*, int cb1, const void* p1, int cb2, const void* p2)
{
    int n = CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, (LPCWSTR)p1, cb1 / (int)sizeof(wchar_t),
                           (LPCWSTR)p2, cb2 / (int)sizeof(wchar_t));
    return n == 0 ? 0 : n - CSTR_EQUAL;
}

// Matches a [...] set at pPattern[0] == '['; returns the length of the set text, 0 when unterminated.
size_t MatchSet(const wchar_t* p, size_t cch, wchar_t c, bool& bMatch)
{
    size_t i = 1;
    bool bNegate = false;
    if (i < cch && p[i] == L'!')
    {
        bNegate = true;
        ++i;
    }
    bool bFound = false;
    bool bFirst = true;
    while (i < cch && (p[i] != L']' || bFirst))
    {
        bFirst = false;
        wchar_t lo = p[i];
        if (i + 2 < cch && p[i + 1] == L'-' && p[i + 2] != L']')
        {
            wchar_t hi = p[i + 2];
            if (c >= lo && c <= hi)
                bFound = true;
            i += 3;
        }
        else
        {
            if (lo == c)
                bFound = true;
            ++i;
        }
    }
    if (i >= cch)
        return 0;
    bMatch = bFound != bNegate;
    return i + 1;
}

void LikeFunction(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL)
    {
        sqlite3_result_null(ctx);
        return;
    }
    std::wstring pattern((const wchar_t*)sqlite3_value_text16(argv[0]),
                         sqlite3_value_bytes16(argv[0]) / sizeof(wchar_t));
    std::wstring text((const wchar_t*)sqlite3_value_text16(argv[1]), sqlite3_value_bytes16(argv[1]) / sizeof(wchar_t));
    // Folded once here, so that the matcher compares characters as they are.
    if (!pattern.empty())
        CharUpperBuffW(&pattern[0], (DWORD)pattern.size());
    if (!text.empty())
        CharUpperBuffW(&text[0], (DWORD)text.size());
    sqlite3_result_int(ctx, JetLikeMatch(pattern.data(), pattern.size(), text.data(), text.size()) ? 1 : 0);
}

// Jet's Int(): the largest whole number not above the value.
void IntFunction(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    switch (sqlite3_value_numeric_type(argv[0]))
    {
    case SQLITE_NULL:
        sqlite3_result_null(ctx);
        break;
    case SQLITE_INTEGER:
        sqlite3_result_int64(ctx, sqlite3_value_int64(argv[0]));
        break;
    default:
    {
        double d = std::floor(sqlite3_value_double(argv[0]));
        if (d >= -9.2e18 && d <= 9.2e18)
            sqlite3_result_int64(ctx, (sqlite3_int64)d);
        else
            sqlite3_result_double(ctx, d);
        break;
    }
    }
}

bool IsLocalFile(const std::string& strPathUtf8)
{
    std::wstring path = JetUtf8ToWide(strPathUtf8);
    if (path.size() < 3 || path[1] != L':')
        return false;
    wchar_t szRoot[4] = {path[0], L':', L'\\', 0};
    UINT type = GetDriveTypeW(szRoot);
    return type == DRIVE_FIXED || type == DRIVE_RAMDISK;
}

void NowFunction(sqlite3_context* ctx, int, sqlite3_value**)
{
    sqlite3_result_double(ctx, JetNowOleDate());
}
} // namespace

bool JetLikeMatch(const wchar_t* p, size_t cchP, const wchar_t* t, size_t cchT)
{
    size_t ip = 0, it = 0;
    size_t starP = (size_t)-1, starT = 0;
    while (it < cchT)
    {
        bool bStep = false;
        if (ip < cchP)
        {
            wchar_t c = p[ip];
            if (c == L'%')
            {
                starP = ip++;
                starT = it;
                continue;
            }
            if (c == L'_')
            {
                bStep = true;
                ++ip;
            }
            else if (c == L'[')
            {
                bool bMatch = false;
                size_t n = MatchSet(p + ip, cchP - ip, t[it], bMatch);
                if (n == 0)
                {
                    bStep = t[it] == L'[';
                    if (bStep)
                        ++ip;
                }
                else if (bMatch)
                {
                    bStep = true;
                    ip += n;
                }
            }
            else if (c == t[it])
            {
                bStep = true;
                ++ip;
            }
        }
        if (bStep)
        {
            ++it;
            continue;
        }
        if (starP == (size_t)-1)
            return false;
        ip = starP + 1;
        it = ++starT;
    }
    while (ip < cchP && p[ip] == L'%')
        ++ip;
    return ip == cchP;
}

int JetOpenDatabase(const std::string& strPathUtf8, bool bCreate, sqlite3** ppDb)
{
    *ppDb = NULL;
    int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_FULLMUTEX | (bCreate ? SQLITE_OPEN_CREATE : 0);
    sqlite3* db = NULL;
    int rc = sqlite3_open_v2(strPathUtf8.c_str(), &db, flags, NULL);
    if (rc == SQLITE_OK)
    {
        sqlite3_extended_result_codes(db, 1);
        sqlite3_busy_timeout(db, kBusyTimeoutMs);
        rc = sqlite3_create_collation_v2(db, JET_TEXT_COLLATION, SQLITE_UTF16_ALIGNED, NULL, CompareText, NULL);
    }
    if (rc == SQLITE_OK)
        rc = sqlite3_create_function(db, "like", 2, SQLITE_UTF16 | SQLITE_DETERMINISTIC, NULL, LikeFunction, NULL,
                                     NULL);
    if (rc == SQLITE_OK)
        rc = sqlite3_create_function(db, "int", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, NULL, IntFunction, NULL,
                                     NULL);
    if (rc == SQLITE_OK)
        rc = sqlite3_create_function(db, "now", 0, SQLITE_UTF8, NULL, NowFunction, NULL, NULL);
    if (rc == SQLITE_OK)
        rc = sqlite3_exec(db, "PRAGMA foreign_keys=ON", NULL, NULL, NULL);
    // Jet writes lazily; a flush to disk at every single-row commit would make storing mail crawl.
    // With a write-ahead log a commit is safe against a crash of the program without waiting for the disk,
    // but the log's shared memory works only among programs of one machine: files on other machines keep
    // the rollback journal.
    if (rc == SQLITE_OK)
        rc = sqlite3_exec(db,
                          IsLocalFile(strPathUtf8) ? "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL"
                                                   : "PRAGMA journal_mode=DELETE",
                          NULL, NULL, NULL);
    // Reading the schema proves the file is a database before anyone relies on it.
    if (rc == SQLITE_OK)
        rc = sqlite3_exec(db, "SELECT count(*) FROM sqlite_master", NULL, NULL, NULL);
    if (rc != SQLITE_OK)
    {
        if (db != NULL)
        {
            *ppDb = db; // the caller reads the error text, then closes
            return rc;
        }
        return rc;
    }
    *ppDb = db;
    return SQLITE_OK;
}
