// The vCard handler on a scratch store: a stored contact written to a file and read back, and the
// compose window's business card.
#include "ui/addressbook/VcardHandler.h"

#include <gtest/gtest.h>

#include "ComposeTestStore.h"
#include "foundation/Paths.h"
#include "ui/compose/ComposeStandIns.h"

namespace
{
class VcardHandlerTest : public ComposeStoreTest
{
protected:
    VcardHandlerTest() : ComposeStoreTest("vcardhandler") {}
};
} // namespace

TEST_F(VcardHandlerTest, AStoredContactWrittenReadsBack)
{
    const LONG nID = AddContact("J\xFCrgen", "M\xFCller;Jr", "j@example.de");
    Exec("UPDATE ContactName SET cNotes = 'line one\r\nline two', cIndType2 = 'Golf,Tennis' "
         "WHERE cEmail = 'j@example.de'");
    Exec("UPDATE Site SET TEL = '0113 1', Type1 = 'Supplier', ADDRESS1 = 'High St\\5' WHERE COMPANY = "
         "'Company of M\xFCller;Jr'");
    CVcardFiles handler(NULL);
    CString strPath = m_folder.Path("card.vcf");
    CString strName = "card.vcf";
    ASSERT_EQ(1, handler.WriteVcard(LocalSession(), strPath, strName, nID));

    std::vector<CVcardContact> cards;
    CVcardFiles::ReadVcardFile(strPath, cards);
    ASSERT_EQ(1u, cards.size());
    const CVcardContact& c = cards[0];
    EXPECT_EQ("J\xFCrgen", std::string(c.m_cFirstname));
    EXPECT_EQ("M\xFCller;Jr", std::string(c.m_cSurname));
    EXPECT_EQ("j@example.de", std::string(c.m_cEmail));
    EXPECT_EQ("Company of M\xFCller;Jr", std::string(c.m_Company));
    EXPECT_EQ("line one\r\nline two", std::string(c.m_cNotes));
    EXPECT_EQ("", std::string(c.m_cIndType[0]));
    EXPECT_EQ("Golf,Tennis", std::string(c.m_cIndType[1]));
    EXPECT_EQ("Supplier", std::string(c.m_Type[0]));
    EXPECT_EQ("0113 1", std::string(c.m_Tel));
    EXPECT_EQ("High St\\5", std::string(c.m_Address1));
    EXPECT_TRUE(c.m_AddDate.IsSet());

    // Into records again: the company's row is not a person's own, and keeps the card's date.
    CContactNameRecord person;
    CSiteRecord site;
    VcardToRecords(c, person, site);
    EXPECT_STREQ("J\xFCrgen", person.m_cFirstname);
    EXPECT_STREQ("Golf,Tennis", person.m_cIndType[1]);
    EXPECT_EQ(VARIANT_FALSE, site.m_Ind);
    SYSTEMTIME st = {};
    VariantTimeToSystemTime(site.m_AddDate, &st);
    EXPECT_EQ(c.m_AddDate.nYear, st.wYear);
    EXPECT_EQ(c.m_AddDate.nDay, st.wDay);
}

TEST_F(VcardHandlerTest, TheBusinessCardGoesToTheTemporaryFolderUnderTheContactsName)
{
    const LONG nID = AddContact("Anna", "Berg", "anna@example.com");
    CString strPath;
    ASSERT_TRUE(WriteOwnVcard(LocalSession(), nID, strPath));
    EXPECT_EQ(std::string(GetTempFolder() + "Anna Berg.vcf"), std::string(strPath));
    std::vector<CVcardContact> cards;
    CVcardFiles::ReadVcardFile(strPath, cards);
    ASSERT_EQ(1u, cards.size());
    EXPECT_EQ("anna@example.com", std::string(cards[0].m_cEmail));
    ::DeleteFileA(strPath);

    // None chosen: nothing written.
    EXPECT_FALSE(WriteOwnVcard(LocalSession(), -1, strPath));
    EXPECT_TRUE(strPath.IsEmpty());
    // A name that is no file name is made one.
    const LONG nOdd = AddContact("a\\b", "c:d", "odd@example.com");
    ASSERT_TRUE(WriteOwnVcard(LocalSession(), nOdd, strPath));
    EXPECT_EQ(std::string(GetTempFolder()), std::string(strPath.Left(GetTempFolder().GetLength())));
    EXPECT_EQ(-1, strPath.Mid(GetTempFolder().GetLength()).FindOneOf("\\/:"));
    ::DeleteFileA(strPath);
}
