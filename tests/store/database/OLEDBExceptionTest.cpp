// The report text of a database failure: provider records, fixed HRESULT texts, the question and the dialog.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "StoreTestSupport.h"
#include "store/OLEDBException.h"
#include "store/StoreTexts.h"
#include "store/SystemInfoLink.h"

namespace
{
struct FakeRecord
{
    const wchar_t* pszSource;
    const wchar_t* pszDescription;
    GUID guid;
    DWORD dwHelpContext;
    const wchar_t* pszHelpFile;
};

// One provider record as IErrorInfo.
class CFakeRecordInfo : public IErrorInfo
{
public:
    explicit CFakeRecordInfo(const FakeRecord& record) : m_record(record) {}
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        if (riid == IID_IUnknown || riid == IID_IErrorInfo)
        {
            *ppv = this;
            AddRef();
            return S_OK;
        }
        *ppv = NULL;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++m_cRef; }
    STDMETHODIMP_(ULONG) Release() override
    {
        ULONG c = --m_cRef;
        if (c == 0)
            delete this;
        return c;
    }
    STDMETHODIMP GetGUID(GUID* p) override
    {
        *p = m_record.guid;
        return S_OK;
    }
    STDMETHODIMP GetSource(BSTR* p) override
    {
        *p = SysAllocString(m_record.pszSource);
        return S_OK;
    }
    STDMETHODIMP GetDescription(BSTR* p) override
    {
        *p = SysAllocString(m_record.pszDescription);
        return S_OK;
    }
    STDMETHODIMP GetHelpFile(BSTR* p) override
    {
        *p = SysAllocString(m_record.pszHelpFile);
        return S_OK;
    }
    STDMETHODIMP GetHelpContext(DWORD* p) override
    {
        *p = m_record.dwHelpContext;
        return S_OK;
    }

private:
    virtual ~CFakeRecordInfo() = default;
    ULONG m_cRef = 1;
    FakeRecord m_record;
};

// The thread's error object of a failed call: the records as IErrorRecords.
class CFakeErrorObject : public IErrorInfo, public IErrorRecords
{
public:
    explicit CFakeErrorObject(const std::vector<FakeRecord>& records) : m_records(records) {}
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        if (riid == IID_IUnknown || riid == IID_IErrorInfo)
            *ppv = static_cast<IErrorInfo*>(this);
        else if (riid == IID_IErrorRecords)
            *ppv = static_cast<IErrorRecords*>(this);
        else
        {
            *ppv = NULL;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++m_cRef; }
    STDMETHODIMP_(ULONG) Release() override
    {
        ULONG c = --m_cRef;
        if (c == 0)
            delete this;
        return c;
    }
    STDMETHODIMP GetGUID(GUID* p) override { return E_NOTIMPL; }
    STDMETHODIMP GetSource(BSTR* p) override { return E_NOTIMPL; }
    STDMETHODIMP GetDescription(BSTR* p) override { return E_NOTIMPL; }
    STDMETHODIMP GetHelpFile(BSTR* p) override { return E_NOTIMPL; }
    STDMETHODIMP GetHelpContext(DWORD* p) override { return E_NOTIMPL; }
    STDMETHODIMP AddErrorRecord(ERRORINFO*, DWORD, DISPPARAMS*, IUnknown*, DWORD) override
    {
        return E_NOTIMPL;
    }
    STDMETHODIMP GetBasicErrorInfo(ULONG, ERRORINFO*) override { return E_NOTIMPL; }
    STDMETHODIMP GetCustomErrorObject(ULONG, REFIID, IUnknown**) override { return E_NOTIMPL; }
    STDMETHODIMP GetErrorInfo(ULONG i, LCID, IErrorInfo** pp) override
    {
        if (i >= m_records.size())
            return DB_E_BADRECORDNUM;
        *pp = new CFakeRecordInfo(m_records[i]);
        return S_OK;
    }
    STDMETHODIMP GetErrorParameters(ULONG, DISPPARAMS*) override { return E_NOTIMPL; }
    STDMETHODIMP GetRecordCount(ULONG* p) override
    {
        *p = (ULONG)m_records.size();
        return S_OK;
    }

private:
    virtual ~CFakeErrorObject() = default;
    ULONG m_cRef = 1;
    std::vector<FakeRecord> m_records;
};

// A failing object that says it supports error info and leaves the records on the thread.
class CFailingObject : public ISupportErrorInfo
{
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        if (riid == IID_IUnknown || riid == IID_ISupportErrorInfo)
        {
            *ppv = this;
            return S_OK;
        }
        *ppv = NULL;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP InterfaceSupportsErrorInfo(REFIID) override { return S_OK; }

    void Fail(const std::vector<FakeRecord>& records)
    {
        CFakeErrorObject* p = new CFakeErrorObject(records);
        SetErrorInfo(0, static_cast<IErrorInfo*>(p));
        p->Release();
    }
};

// IID_IDBInitialize, as the records of an open failure carry it.
const GUID kGuid = {0x0C733A8B, 0x2A1C, 0x11CE, {0xAD, 0xE5, 0x00, 0xAA, 0x00, 0x44, 0x77, 0x3D}};

std::string Tail()
{
    return std::string("\r\n\r\n") + (const char*)SystemInfoText();
}
} // namespace

TEST(OLEDBException, ReportListsEveryRecordBehindTheCallersText)
{
    CScriptedUser user;
    CFailingObject failing;
    failing.Fail(
        {{L"Microsoft JET Database Engine", L"Could not find file 'C:\\x.mdb'.", kGuid, 5003024, L""},
         {L"Microsoft JET Database Engine", L"Second record.", kGuid, 5003043, L"help.hlp"}});
    COLEDBException exception(&failing, IID_IDBInitialize, "FATAL ERROR. Open Local Database session failed!",
                              NULL);

    std::string expected =
        "FATAL ERROR. Open Local Database session failed!\r\n\r\n"
        "OLEDB Exception:\r\n"
        "\r\nSource: Microsoft JET Database Engine\r\nDescription: Could not find file "
        "'C:\\x.mdb'.\r\nGUID: {0C733A8B-2A1C-11CE-ADE5-00AA0044773D}\r\nHelpContext: "
        "5003024\r\nHelpFile: "
        "\r\n\r\n"
        "\r\nSource: Microsoft JET Database Engine\r\nDescription: Second record.\r\nGUID: "
        "{0C733A8B-2A1C-11CE-ADE5-00AA0044773D}\r\nHelpContext: 5003043\r\nHelpFile: help.hlp" +
        Tail();
    EXPECT_EQ(expected, (const char*)exception.m_strMessage);
    ASSERT_EQ(2u, exception.m_records.size());
    EXPECT_EQ(5003024u, exception.m_records[0].dwHelpContext);
    EXPECT_STREQ("Second record.", exception.m_records[1].strDescription);
    EXPECT_EQ(1, exception.m_bContinue);
    EXPECT_TRUE(user.m_boxes.empty());
    EXPECT_TRUE(user.m_exceptionDialogs.empty());
}

TEST(OLEDBException, WithoutRecordsTheHResultIsDescribed)
{
    struct Case
    {
        HRESULT hr;
        const char* pszDescription;
    } cases[] = {
        {(HRESULT)0x80040E37, "Table does not exist."},
        {(HRESULT)0x80004005, "Unspecified error"},
        {(HRESULT)0x80070057, "One or more arguments are invalid"},
        {(HRESULT)0x8000000A, "The data necessary to complete this operation is not yet available."},
        {(HRESULT)0x80041234, ""},
    };
    CScriptedUser user;
    CFailingObject failing;
    for (const Case& c : cases)
    {
        SetErrorInfo(0, NULL);
        COLEDBException exception(&failing, IID_ICommand, "Text", NULL, NULL, FALSE, NULL, FALSE, FALSE,
                                  c.hr);
        char szCode[16];
        sprintf(szCode, "%x", (unsigned)c.hr);
        std::string expected = std::string("Text\r\n\r\nOLE DB Error Record dump for hr = 0x") + szCode +
                               "\r\nNo OLE DB Error Information found: hr = 0x" + szCode + "\r\n" +
                               c.pszDescription + "\r\n" + Tail();
        EXPECT_EQ(expected, (const char*)exception.m_strMessage) << szCode;
    }
}

TEST(OLEDBException, NoInterfaceAndNoCodeSaySo)
{
    CScriptedUser user;
    COLEDBException exception(NULL, IID_NULL, NULL, NULL);
    EXPECT_EQ(std::string(StoreText::kNoInterface) + Tail(), (const char*)exception.m_strMessage);
}

TEST(OLEDBException, FullDatabaseIsToldAtOnceAndNoAnswersWithTheDialog)
{
    CScriptedUser user;
    user.m_boxAnswers = {IDOK, IDNO};
    CFailingObject failing;
    failing.Fail({{L"Jet", L"Database has reached maximum size.", kGuid, 5003026, L""}});
    COLEDBException exception(&failing, IID_IRowsetChange, "ERROR: Insert", NULL, NULL, FALSE, NULL, TRUE,
                              TRUE);

    ASSERT_EQ(2u, user.m_boxes.size());
    EXPECT_EQ("FATAL ERROR: Database has reached maximum size.", user.m_boxes[0]);
    EXPECT_EQ("ERROR: Insert\r\nDatabase has reached maximum size.\r\n\r\nDo you want to continue?",
              user.m_boxes[1]);
    EXPECT_EQ(0, exception.m_bContinue);
    ASSERT_EQ(1u, user.m_exceptionDialogs.size());
    EXPECT_EQ((const char*)exception.m_strMessage, user.m_exceptionDialogs[0]);
}

TEST(OLEDBException, YesToTheQuestionShowsNoDialogUnlessForced)
{
    for (BOOL bForce : {FALSE, TRUE})
    {
        CScriptedUser user;
        user.m_boxAnswers = {IDYES};
        CFailingObject failing;
        failing.Fail({{L"Jet", L"Disk error.", kGuid, 5003043, L""}});
        COLEDBException exception(&failing, IID_ICommand, "Open", NULL, NULL, bForce, NULL, TRUE, TRUE);
        EXPECT_EQ(1, exception.m_bContinue);
        EXPECT_EQ(bForce ? 1u : 0u, user.m_exceptionDialogs.size());
    }
}

TEST(OLEDBException, DialogShowsAtMost2046Characters)
{
    CScriptedUser user;
    COLEDBException exception(NULL, IID_NULL, NULL, NULL);
    exception.m_strMessage = CString('x', 5000);
    exception.ShowDialog(NULL);
    ASSERT_EQ(1u, user.m_exceptionDialogs.size());
    EXPECT_EQ(std::string(2046, 'x'), user.m_exceptionDialogs[0]);
    EXPECT_EQ(std::string(2046, 'x'), g_szLastExceptionText);

    exception.m_strMessage = CString('y', 2047);
    exception.ShowDialog(NULL);
    EXPECT_EQ(std::string(2047, 'y'), user.m_exceptionDialogs[1]);
}
