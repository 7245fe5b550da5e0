// How the compose window reports what its handlers catch.
#pragma once

#include <windows.h>

#include <atlstr.h>

// Call only inside a catch block: the text of the exception being handled (the pointer types of the
// program are freed); "Unhandled exception!!!" after pszWhere for anything unknown.
CString CaughtExceptionText(const char* pszWhere);

// Call only inside a catch block: traces and shows the exception being handled.
void ShowCaughtInCompose(const char* pszWhere, HWND hWndOwner);
