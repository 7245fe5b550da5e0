// The spelling dialog: one unknown word, the engine's suggestions for it and the user's choice.
#pragma once

#include <windows.h>

#include <atlbase.h>
#include <atlapp.h>
#include <atlwin.h>
#include <atlstr.h>

#include "platform/spelling/SpellEngine.h"
#include "resources/resource.h"

struct CSpellEngineEntries;

class CDlgSpelling : public CDialogImpl<CDlgSpelling>
{
public:
    enum
    {
        IDD = IDD_SPELLING
    };

    BEGIN_MSG_MAP(CDlgSpelling)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        COMMAND_HANDLER(IDC_SPELL_SUGGESTIONS, LBN_SELCHANGE, OnSuggestionChanged)
        COMMAND_RANGE_HANDLER(IDOK, IDCANCEL, OnButton)
        COMMAND_RANGE_HANDLER(IDC_SPELL_IGNORE, IDC_SPELL_ADD, OnButton)
    END_MSG_MAP()

    // The input block is the check's, at the unknown word.
    CDlgSpelling(const CSpellEngineEntries& entries, SPELL_ENGINE hEngine, const SpellInputBlock& input,
                 const CString& strWord);

    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnSuggestionChanged(WORD, WORD, HWND, BOOL&);
    // Every button ends the dialog with its own identifier; Change and Change All keep "Change to:" first.
    LRESULT OnButton(WORD, WORD wID, HWND, BOOL&);

    // The text of "Change to:" when the dialog ended with Change or Change All.
    CString m_strChangeTo;

private:
    // False when the engine failed.
    bool FillSuggestions();

    const CSpellEngineEntries& m_entries;
    SPELL_ENGINE m_hEngine;
    SpellInputBlock m_input;
    CString m_strWord;
};
