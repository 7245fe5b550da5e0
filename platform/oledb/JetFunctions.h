// Connections to a database file with Jet's text comparison, LIKE and functions registered.
#pragma once

#include "JetCommon.h"

// Name of the collation that text columns get: Jet compares text without regard to case in the
// user's locale, for every letter.
#define JET_TEXT_COLLATION "JETTEXT"

// Opens an existing file (bCreate false never creates one) and prepares the connection for Jet SQL.
int JetOpenDatabase(const std::string& strPathUtf8, bool bCreate, sqlite3** ppDb);

// Jet LIKE over UTF-16: % and _ wildcards, [set], [!set] and ranges; callers fold both texts to one case first.
bool JetLikeMatch(const wchar_t* pPattern, size_t cchPattern, const wchar_t* pText, size_t cchText);
