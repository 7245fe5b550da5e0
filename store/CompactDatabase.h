// Compaction of a closed database file through the provider's own compaction interface.
#pragma once

#include <windows.h>

// Writes a packed copy of pszSource to pszDestination (an existing destination is deleted first). S_OK when
// the copy was written; a failure to reach the provider's interfaces is returned; a failed compaction
// throws a CException. The source is never changed.
HRESULT CompactDatabase(const char* pszSource, const char* pszDestination);

// The Jet engine type of an existing database file, 0 without a path.
LONG GetJetEngineType(const char* pszPath);

// Compacts a closed database in place in the safe order: into a new file beside it, then that file replaces
// the database. On every failure the database stays as it was and the new file is removed. Returns what
// CompactDatabase returned; a failed replacement throws a CException.
HRESULT CompactDatabaseFile(const char* pszPath);
