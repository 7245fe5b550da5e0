// The spelling checker of a client with no "Spelling" folder beside it (this test runs from a folder
// without one).
#include "content/SpellChecker.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "foundation/ErrorUtil.h"
#include "foundation/FileException.h"

TEST(SpellCheckerMissingFilesTest, AMissingSpellingFileGivesTheFileExceptionAndRegistersNothing)
{
    RegDeleteKeyTree(HKEY_LOCAL_MACHINE, g_pszSpellingKey);
    CFileException* pCaught = nullptr;
    try
    {
        CSpellChecker checker;
    }
    catch (CFileException* e)
    {
        pCaught = e;
    }
    ASSERT_NE(pCaught, nullptr);
    // The folder itself is missing.
    EXPECT_EQ(pCaught->m_cause, CFileException::badPath);
    EXPECT_NE(pCaught->m_strFileName.Find("\\Spelling\\"), -1) << (const char*)pCaught->m_strFileName;
    delete pCaught;
    HKEY hKey = NULL;
    EXPECT_NE(::RegOpenKeyExA(HKEY_LOCAL_MACHINE, g_pszSpellingKey, 0, KEY_READ, &hKey), ERROR_SUCCESS);
}
