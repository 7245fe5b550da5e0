// The fixture of tests that store messages: a fresh local database with its Inbox and Outbox.
#pragma once

#include <gtest/gtest.h>

#include "store/Folders.h"
#include "StoreTestDatabase.h"

class CMessageDatabaseTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_db.OpenFile(m_path.m_strPath);
        CFolders folders(m_db.Session());
        m_nInbox = folders.GetSystemFolder(FOLDER_INBOX, NULL);
        m_nOutbox = folders.GetSystemFolder(FOLDER_OUTBOX, NULL);
    }

    LONG Insert(const CTestMessage& message)
    {
        CEmailsImpl<> store(m_db.Session());
        LONG nID = InsertTestMessage(store, message);
        EXPECT_GT(nID, 0);
        return nID;
    }

    CTempDatabasePath m_path{"emails"};
    CTestDatabase m_db;
    LONG m_nInbox = 0;
    LONG m_nOutbox = 0;
};
