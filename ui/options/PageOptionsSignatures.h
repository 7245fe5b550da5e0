// The Signatures page: the user's signature option bits in the Options row and the signature text.
#pragma once

#include "resources/resource.h"
#include "ui/options/PageOptionsImpl.h"

class CDatabaseBase;

class CPageOptionsSignatures : public CPageOptionsImpl<CPageOptionsSignatures>
{
public:
    enum
    {
        IDD = IDD_OPTIONS_SIGNATURES
    };

    BEGIN_MSG_MAP(CPageOptionsSignatures)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        COMMAND_ID_HANDLER(IDC_SIGNATURES_ADD, OnAddSignatures)
        CHAIN_MSG_MAP(CPageOptionsImpl<CPageOptionsSignatures>)
    END_MSG_MAP()

    explicit CPageOptionsSignatures(HWND hWndOwner);

    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnAddSignatures(WORD, WORD, HWND, BOOL&);

    bool StoreValues();

private:
    // The Flags of the user's Options row; false when the user has none.
    bool ReadOptionsFlags(LONG& nFlags);
    void WriteOptionsFlags();
    void WriteSignature();

    CDatabaseBase* m_pDatabase = NULL;
    // The user has no Options row: the option bits are neither shown nor stored.
    bool m_bNoOptionsRow = true;
};
