// The compose window's edit controls: they carry out the frame's Edit commands while they have the focus,
// and the recipient fields complete a typed name or address from the address book.
#pragma once

#include <windows.h>

#include <atlbase.h>
#include <atldbcli.h>
#include <atlstr.h>
#include <atlwin.h>

// Private queries of the frame's Edit state.
const UINT EM_CAN_PASTE_TEXT = 1074; // wParam 1: text is on the clipboard
const UINT EM_HAS_SELECTION = 1090;

class CCtrlEdit : public CWindowImpl<CCtrlEdit>
{
public:
    BEGIN_MSG_MAP(CCtrlEdit)
        MESSAGE_HANDLER(EM_CAN_PASTE_TEXT, OnCanPaste)
        MESSAGE_HANDLER(EM_HAS_SELECTION, OnHasSelection)
        MESSAGE_HANDLER(WM_COMMAND, OnCommand)
    END_MSG_MAP()

    explicit CCtrlEdit(bool bRichEdit = false) : m_bRichEdit(bRichEdit) {}

    // The control's text in the user's code page (read as wide text); marks the field as read.
    CString GetText();

    LRESULT OnCanPaste(UINT, WPARAM wParam, LPARAM, BOOL&);
    LRESULT OnHasSelection(UINT, WPARAM, LPARAM, BOOL&);
    // Edit commands while focused: 1 when carried out, 0 (not handled) otherwise.
    LRESULT OnCommand(UINT, WPARAM wParam, LPARAM, BOOL& bHandled);

    int m_bReadOnly = 0;
    int m_bRead = 0;

protected:
    void Find();

    bool m_bRichEdit;
};

// A recipient field (a rich-edit control).
class CEditAddress : public CCtrlEdit
{
public:
    BEGIN_MSG_MAP(CEditAddress)
        MESSAGE_HANDLER(WM_CHAR, OnChar)
        CHAIN_MSG_MAP(CCtrlEdit)
    END_MSG_MAP()

    CEditAddress() : CCtrlEdit(true) {}

    LRESULT OnChar(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL&);

    // The owner that answers "LetrovaGetOrbDatabase" and "LetrovaGetDatabase".
    HWND m_hWndOwner = NULL;

private:
    void Complete();
};

// The recipient being typed: from the previous ";" (or the start) past blanks and ";" to the caret. Empty
// when the caret stands inside a word (the next character is not a blank).
CString TypedRecipient(const CString& strText, int nSelStart, int nSelEnd);

// What completes the typed entry from the contacts of the session: the rest of the first contact whose
// name ("first surname"), else whose address, begins with the entry, ignoring case; empty when none does.
CString CompleteRecipient(const CString& strEntry, CSession* pSession, HWND hOwner);
