// A fresh local database with the system folders and a rule set on it, and a builder of rules.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/ErrorUtil.h"
#include "store/Folders.h"
#include "store/MessageRuleSet.h"
#include "StoreTestDatabase.h"

struct RuleItem
{
    BYTE nType;
    LONG nFlags;
    std::vector<std::string> values;
};

inline CMessageRule* BuildRule(CMessageRuleSet& rules, const char* pszName, LONG nFlags,
                               const std::vector<RuleItem>& items)
{
    CMessageRule* pRule = rules.AddRule();
    strcpy(pRule->m_Name, pszName);
    pRule->m_Flags = nFlags;
    for (const RuleItem& item : items)
    {
        std::unique_ptr<CRuleCondition> pItem(new CRuleCondition(item.nType, item.nFlags));
        for (const std::string& value : item.values)
            pItem->AddValue(value.c_str());
        (IsActionType(item.nType) ? pRule->m_Actions : pRule->m_Conditions).push_back(std::move(pItem));
    }
    return pRule;
}

// Message boxes are answered and recorded instead of shown.
class CRuleBoxes
{
public:
    CRuleBoxes() { m_pfnPrevious = SetAppMessageBoxHook(Hook); s_texts.clear(); }
    ~CRuleBoxes() { SetAppMessageBoxHook(m_pfnPrevious); }
    static std::vector<std::string> s_texts;

private:
    static int Hook(const char* pszText, const char*, UINT, HWND)
    {
        s_texts.push_back(pszText);
        return IDOK;
    }
    AppMessageBoxHook m_pfnPrevious;
};

class CRuleDatabaseTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_db.OpenFile(m_path.m_strPath);
        CFolders folders(m_db.Session());
        m_nInbox = folders.GetSystemFolder(FOLDER_INBOX, NULL);
    }
    LONG AddFolder(const char* pszName)
    {
        CFolders folders(m_db.Session());
        folders.InsertFolder(NULL, 0, pszName, FOLDER_COMPANY);
        return folders.m_ID;
    }
    // Names in chain order.
    static std::vector<std::string> Names(const CMessageRuleSet& rules)
    {
        std::vector<std::string> names;
        for (CMessageRule* pRule : rules.ChainOrder())
            names.push_back(pRule->m_Name);
        return names;
    }

    CTempDatabasePath m_path{"rules"};
    CTestDatabase m_db;
    LONG m_nInbox = 0;
    CRuleBoxes m_boxes;
};
