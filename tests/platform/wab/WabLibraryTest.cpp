// wab32.dll as the address-book import uses it: loaded by path, WABOpen on a generated file, the personal
// address book's contents table and each person's properties.
#include <windows.h>

#include <wabdefs.h>
#include <wabcode.h>
#include <wabtags.h>
#include <wabiab.h>
#include <wabapi.h>

#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <vector>

namespace
{
std::string WabPath(const char* pszName)
{
    return std::string(ORB_TEST_DATA_DIR) + "/wab/" + pszName;
}

class CWabLibrary
{
public:
    CWabLibrary()
    {
        char szPath[MAX_PATH] = "";
        GetModuleFileNameA(NULL, szPath, MAX_PATH);
        std::string dll = szPath;
        dll = dll.substr(0, dll.find_last_of('\\') + 1) + "wab32.dll";
        m_hModule = LoadLibraryA(dll.c_str());
        m_pOpen = m_hModule ? reinterpret_cast<LPWABOPEN>(GetProcAddress(m_hModule, "WABOpen")) : nullptr;
    }
    ~CWabLibrary()
    {
        if (m_pBook)
            m_pBook->Release();
        if (m_pObject)
            m_pObject->Release();
        if (m_hModule)
            FreeLibrary(m_hModule);
    }
    HRESULT Open(const char* pszName, ULONG cbSize = sizeof(WAB_PARAM))
    {
        std::string path = pszName ? WabPath(pszName) : std::string();
        WAB_PARAM param = {};
        param.cbSize = cbSize;
        param.szFileName = const_cast<LPSTR>(path.c_str());
        return m_pOpen(&m_pBook, &m_pObject, &param, 0);
    }

    HMODULE m_hModule = NULL;
    LPWABOPEN m_pOpen = nullptr;
    LPADRBOOK m_pBook = nullptr;
    LPWABOBJECT m_pObject = nullptr;
};

struct CRow
{
    std::string strName;
    ULONG ulObjectType = 0; // 0: not stored
    std::vector<BYTE> entryId;
};

std::vector<CRow> ReadContents(CWabLibrary& wab)
{
    std::vector<CRow> rows;
    ULONG cbPab = 0;
    LPENTRYID pPab = nullptr;
    EXPECT_EQ(S_OK, wab.m_pBook->GetPAB(&cbPab, &pPab));
    ULONG ulType = 0;
    IUnknown* pUnknown = nullptr;
    EXPECT_EQ(S_OK, wab.m_pBook->OpenEntry(cbPab, pPab, NULL, 0, &ulType, &pUnknown));
    wab.m_pObject->FreeBuffer(pPab);
    EXPECT_EQ(static_cast<ULONG>(MAPI_ABCONT), ulType);
    IABContainer* pContainer = static_cast<IABContainer*>(pUnknown);
    IMAPITable* pTable = nullptr;
    EXPECT_EQ(S_OK, pContainer->GetContentsTable(0, &pTable));
    SizedSPropTagArray(3, columns) = {3, {PR_DISPLAY_NAME_A, PR_ENTRYID, PR_OBJECT_TYPE}};
    EXPECT_EQ(S_OK, pTable->SetColumns(reinterpret_cast<LPSPropTagArray>(&columns), 0));
    EXPECT_EQ(S_OK, pTable->SeekRow(BOOKMARK_BEGINNING, 0, NULL));
    for (;;)
    {
        LPSRowSet pRows = nullptr;
        if (FAILED(pTable->QueryRows(1, 0, &pRows)) || pRows->cRows == 0)
        {
            if (pRows)
                wab.m_pObject->FreeBuffer(pRows);
            break;
        }
        CRow row;
        const SPropValue* props = pRows->aRow[0].lpProps;
        EXPECT_EQ(3u, pRows->aRow[0].cValues);
        if (props[0].ulPropTag == PR_DISPLAY_NAME_A)
            row.strName = props[0].Value.lpszA;
        EXPECT_EQ(static_cast<ULONG>(PR_ENTRYID), props[1].ulPropTag);
        row.entryId.assign(props[1].Value.bin.lpb, props[1].Value.bin.lpb + props[1].Value.bin.cb);
        if (props[2].ulPropTag == PR_OBJECT_TYPE)
            row.ulObjectType = props[2].Value.l;
        else
            EXPECT_EQ(static_cast<ULONG>(PROP_TAG(PT_ERROR, 0x0FFE)), props[2].ulPropTag);
        rows.push_back(row);
        wab.m_pObject->FreeBuffer(pRows->aRow[0].lpProps);
        wab.m_pObject->FreeBuffer(pRows);
    }
    pTable->Release();
    pContainer->Release();
    return rows;
}
} // namespace

TEST(WabLibraryTest, ListsEveryRecordWithTheObjectTypeItStores)
{
    CWabLibrary wab;
    ASSERT_NE(nullptr, wab.m_pOpen);
    ASSERT_EQ(S_OK, wab.Open("people.wab"));
    const std::vector<CRow> rows = ReadContents(wab);
    ASSERT_EQ(14u, rows.size());
    EXPECT_EQ(static_cast<ULONG>(MAPI_MAILUSER), rows[0].ulObjectType);
    EXPECT_EQ(static_cast<ULONG>(MAPI_DISTLIST), rows[2].ulObjectType);
    EXPECT_EQ("Team", rows[2].strName);
    EXPECT_EQ(static_cast<ULONG>(MAPI_ABCONT), rows[3].ulObjectType);
    EXPECT_EQ(0u, rows[4].ulObjectType);
}

TEST(WabLibraryTest, APersonsPropertiesComeAsAnsiStrings)
{
    CWabLibrary wab;
    ASSERT_EQ(S_OK, wab.Open("people.wab"));
    const std::vector<CRow> rows = ReadContents(wab);
    ASSERT_EQ(14u, rows.size());
    // The person with UTF-16 names, one of them Greek.
    std::vector<BYTE> id = rows[6].entryId;
    ULONG ulType = 0;
    IUnknown* pUnknown = nullptr;
    ASSERT_EQ(S_OK,
              wab.m_pBook->OpenEntry(static_cast<ULONG>(id.size()), reinterpret_cast<LPENTRYID>(id.data()),
                                     NULL, 0, &ulType, &pUnknown));
    EXPECT_EQ(static_cast<ULONG>(MAPI_MAILUSER), ulType);
    IMailUser* pUser = static_cast<IMailUser*>(pUnknown);
    ULONG cValues = 0;
    LPSPropValue pProps = nullptr;
    ASSERT_EQ(S_OK, pUser->GetProps(NULL, 0, &cValues, &pProps));
    std::string given, surname, email;
    for (ULONG i = 0; i < cValues; ++i)
    {
        EXPECT_NE(static_cast<ULONG>(PT_UNICODE), PROP_TYPE(pProps[i].ulPropTag));
        if (pProps[i].ulPropTag == PR_GIVEN_NAME_A)
            given = pProps[i].Value.lpszA;
        else if (pProps[i].ulPropTag == PR_SURNAME_A)
            surname = pProps[i].Value.lpszA;
        else if (pProps[i].ulPropTag == PR_EMAIL_ADDRESS_A)
            email = pProps[i].Value.lpszA;
    }
    EXPECT_EQ("Zo\xEB", given);
    EXPECT_EQ("????", surname);
    EXPECT_EQ("zoe@example.gr", email);
    wab.m_pObject->FreeBuffer(pProps);

    // Asked by tag: a missing property is an error value, a UTF-16 one may be asked for as such.
    SizedSPropTagArray(2, tags) = {2, {PR_GIVEN_NAME_W, PR_COMPANY_NAME_A}};
    ASSERT_EQ(MAPI_W_ERRORS_RETURNED,
              pUser->GetProps(reinterpret_cast<LPSPropTagArray>(&tags), 0, &cValues, &pProps));
    ASSERT_EQ(2u, cValues);
    EXPECT_EQ(static_cast<ULONG>(PR_GIVEN_NAME_W), pProps[0].ulPropTag);
    EXPECT_EQ(std::wstring(L"Zo\u00eb"), std::wstring(pProps[0].Value.lpszW));
    EXPECT_EQ(static_cast<ULONG>(PROP_TAG(PT_ERROR, 0x3A16)), pProps[1].ulPropTag);
    wab.m_pObject->FreeBuffer(pProps);
    pUser->Release();

    ULONG cb = 8;
    BYTE unknown[8] = {0, 0, 0, 0, 99, 0, 0, 0};
    EXPECT_EQ(MAPI_E_NOT_FOUND,
              wab.m_pBook->OpenEntry(cb, reinterpret_cast<LPENTRYID>(unknown), NULL, 0, &ulType, &pUnknown));
    EXPECT_EQ(MAPI_E_INVALID_ENTRYID,
              wab.m_pBook->OpenEntry(5, reinterpret_cast<LPENTRYID>(unknown), NULL, 0, &ulType, &pUnknown));
}

TEST(WabLibraryTest, EachWayOfNotOpeningHasItsResult)
{
    const struct
    {
        const char* pszFile;
        ULONG cbSize;
        HRESULT expected;
    } cases[] = {
        {"people.wab", sizeof(WAB_PARAM), S_OK},
        {"people.wab", offsetof(WAB_PARAM, guidPSExt), S_OK},
        {"people.wab", sizeof(WAB_PARAM) + 4, MAPI_E_INVALID_PARAMETER},
        {"people.wab", 0, MAPI_E_INVALID_PARAMETER},
        {"missing.wab", sizeof(WAB_PARAM), MAPI_E_NOT_FOUND},
        {"older-format.wab", sizeof(WAB_PARAM), MAPI_E_VERSION},
        {"record-cut.wab", sizeof(WAB_PARAM), MAPI_E_CORRUPT_DATA},
        {"not-an-address-book.wab", sizeof(WAB_PARAM), MAPI_E_CORRUPT_DATA},
    };
    for (const auto& c : cases)
    {
        CWabLibrary wab;
        EXPECT_EQ(c.expected, wab.Open(c.pszFile, c.cbSize)) << c.pszFile << " " << c.cbSize;
        EXPECT_EQ(c.expected == S_OK, wab.m_pBook != nullptr) << c.pszFile;
    }
}

TEST(WabLibraryTest, CallsBeyondTheImportAreNotSupported)
{
    CWabLibrary wab;
    ASSERT_EQ(S_OK, wab.Open("people.wab"));
    EXPECT_EQ(MAPI_E_NO_SUPPORT, wab.m_pBook->SetPAB(0, NULL));
    EXPECT_EQ(MAPI_E_NO_SUPPORT, wab.m_pBook->SaveChanges(0));
    EXPECT_EQ(MAPI_E_NO_SUPPORT, wab.m_pObject->Find(wab.m_pBook, NULL));
    // A buffer with children (and a child's child) goes in one FreeBuffer.
    LPVOID parent = nullptr, child = nullptr, grandchild = nullptr;
    ASSERT_EQ(S_OK, wab.m_pObject->AllocateBuffer(16, &parent));
    ASSERT_EQ(S_OK, wab.m_pObject->AllocateMore(32, parent, &child));
    ASSERT_EQ(S_OK, wab.m_pObject->AllocateMore(8, child, &grandchild));
    EXPECT_EQ(0, reinterpret_cast<uintptr_t>(child) % 8);
    EXPECT_EQ(S_OK, wab.m_pObject->FreeBuffer(parent));
}
