// What the message tables share beyond the table pattern: the database that runs their DELETE statements.
#pragma once

#include <windows.h>

#include <atldbcli.h>

class CDatabaseSession;

// The database the owner window answers "LetrovaGetDatabase" with; without an answer, the database whose
// session the table uses. Throws the no-session text when there is neither.
CDatabaseSession* GetOwnerDatabase(HWND hWndOwner, CSession* pSession);
