// The store the compose tests work on: local, accounts and central databases in a scratch folder, one
// account, scripted answers for every box, and helpers that put contacts and messages into it.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "StoreTestSupport.h"
#include "foundation/Registry.h"
#include "store/DatabaseMy.h"

class ComposeStoreTest : public ::testing::Test
{
protected:
    // Test programs that may run at the same time keep their stores in folders of their own.
    explicit ComposeStoreTest(const char* pszFolder = "compose") : m_folder(pszFolder) {}
    void SetUp() override;
    void TearDown() override;

    CSession* LocalSession() { return &m_pDatabase->m_Local.m_session; }
    LONG AddAccount(const char* pszDisplayName, const char* pszAddress);
    // A company and a person in it; returns the person's ID.
    LONG AddContact(const char* pszFirst, const char* pszSurname, const char* pszEmail);
    // Stores a message text in the folder of that Type; returns its EmailsID.
    LONG StoreText(const std::string& strText, LONG nFolderType, BYTE nEncode = 0);
    LONG FolderOfType(LONG nType);
    long Query(const char* pszSQL) { return QueryLong(*LocalSession(), pszSQL); }
    void Exec(const char* pszSQL) { ASSERT_TRUE(Execute(*LocalSession(), pszSQL)) << pszSQL; }

    CScratchFolder m_folder;
    CScriptedUser m_user;
    std::unique_ptr<CRegistry> m_pRegistry;
    std::unique_ptr<CDatabaseMy> m_pDatabase;
    LONG m_nAccountID = 0;

private:
    int m_nSaved[3] = {};
};

std::string ReadFileBytes(const CString& strPath);
void WriteFileBytes(const CString& strPath, const std::string& strBytes);
