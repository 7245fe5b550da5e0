// The signature as HTML for the editor, the clipboard text that pastes it there, and the editor commands.
#pragma once

#include <windows.h>

#include <atlstr.h>

#include "platform/htmledit/HtmlEditCommands.h"

// The HTML form of a signature: escaped, lines joined by BR, links made, in a DIV after an empty one and in
// the send font when one is set (nFontSize is the "HTML Send Font Size" setting).
CString SignatureToHtml(const CString& strSignature, const CString& strFontName, int nFontSize);

// The "HTML Format" clipboard text that carries a UTF-8 fragment.
CString BuildHtmlClipboardText(const CString& strUtf8Fragment);

// What the compose code needs of the DHTML Edit control: the status of a command and its execution.
class CDHTMLEditCommands
{
public:
    virtual ~CDHTMLEditCommands() {}
    virtual HRESULT QueryStatus(long nCommand, long* pnStatus) = 0;
    virtual HRESULT ExecCommand(long nCommand, long nOption) = 0;
};

const long OLECMDEXECOPT_DONTPROMPTUSER_ = 2;

// Runs the command when the editor reports it enabled (status 3) or enabled and latched (7). A failed
// status query or execution throws its text.
void ExecDHTMLCommand(CDHTMLEditCommands& editor, long nCommand, long nOption);
