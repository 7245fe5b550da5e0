// The compose window's Spelling command: the HTML document or the plain-text body checked word by word,
// and the offer to fetch the spelling component when no checker can be made.
#pragma once

#include <windows.h>

#include <atlstr.h>

class CDHTMLEditHost;
class CRegistry;

// Checks the editor's document when pEditor is given, else the plain-text edit. True when the check came
// to the end; false when it was halted: cancelled, failed, or no checker (then the download was offered).
// bAnnounce shows "Spell Check Complete." at the end.
bool CheckComposeSpelling(CDHTMLEditHost* pEditor, HWND hWndPlainEdit, BOOL bAnnounce, CRegistry* pRegistry,
                          HWND hWndOwner);
// Asks whether to fetch the spelling component for the system's language and, on Yes, hands the request
// to the component installer.
void OfferSpellingDownload(const CString& strError, CRegistry* pRegistry, HWND hWndOwner);
