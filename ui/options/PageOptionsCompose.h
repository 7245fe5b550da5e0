// The Compose page: the business card attached to new messages and the contact it is made from.
#pragma once

#include "resources/resource.h"
#include "ui/options/PageOptionsImpl.h"

class CDatabaseBase;

class CPageOptionsCompose : public CPageOptionsImpl<CPageOptionsCompose>
{
public:
    enum
    {
        IDD = IDD_OPTIONS_COMPOSE
    };

    BEGIN_MSG_MAP(CPageOptionsCompose)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        COMMAND_ID_HANDLER(IDC_COMPOSE_INCLUDE_CARD, OnInclude)
        COMMAND_HANDLER(IDC_COMPOSE_CARD_CONTACT, CBN_SELCHANGE, OnContactChange)
        COMMAND_ID_HANDLER(IDC_COMPOSE_CARD_EDIT, OnEdit)
        CHAIN_MSG_MAP(CPageOptionsImpl<CPageOptionsCompose>)
    END_MSG_MAP()

    CPageOptionsCompose(HWND hWndOwner, CRegistry* pRegistry);

    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnInclude(WORD, WORD, HWND, BOOL&);
    LRESULT OnContactChange(WORD, WORD, HWND, BOOL&);
    LRESULT OnEdit(WORD, WORD, HWND, BOOL&);

    bool StoreValues();

private:
    // One entry per contact, "full name (address)" with the contact's ID; selects nSelectID.
    void FillContacts(LONG nSelectID);
    // The selected entry's contact ID, -1 with nothing selected.
    LONG SelectedContact();
    void EnableCard();
    void EditContact(LONG nID);

    CDatabaseBase* m_pContacts = NULL;
};
