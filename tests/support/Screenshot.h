// Saves what a window shows on the screen as a PNG file, so people can look at a window a test drove.
#pragma once

#include <windows.h>

#include <string>

// Writes <folder of the test executable>\screenshots\<name>.png and prints its Linux path to the test
// output. Returns the Windows path, or "" when the capture failed.
std::string SaveWindowScreenshot(HWND hWnd, const char* pszName);
