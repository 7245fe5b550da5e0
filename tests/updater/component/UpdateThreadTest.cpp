// Tests of UpdateThread: the check runs on a thread of its own, its event reaches the thread that advised
// the sink, and Close waits for it.
#include <gtest/gtest.h>

#include <atomic>

#include "UpdaterTestSupport.h"
#include "tests/support/WindowReaders.h"

namespace
{

// Counts UpdateThreadCompleted and notes the thread it arrived on.
class CCompletedSink : public IDispatch
{
public:
    STDMETHOD(QueryInterface)(REFIID riid, void** ppv) override
    {
        if (riid == IID_IUnknown || riid == IID_IDispatch || riid == DIID__ICoUpdateEvents)
        {
            *ppv = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHOD_(ULONG, AddRef)() override { return ++m_nRef; }
    STDMETHOD_(ULONG, Release)() override { return --m_nRef; }
    STDMETHOD(GetTypeInfoCount)(UINT* pn) override
    {
        *pn = 0;
        return S_OK;
    }
    STDMETHOD(GetTypeInfo)(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHOD(GetIDsOfNames)(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHOD(Invoke)(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override
    {
        if (id == 1)
        {
            m_dwThread = GetCurrentThreadId();
            ++m_nCompleted;
        }
        return S_OK;
    }

    std::atomic<ULONG> m_nRef{1};
    std::atomic<int> m_nCompleted{0};
    std::atomic<DWORD> m_dwThread{0};
};

struct CAdvised
{
    CComPtr<ICoUpdate2> pUpdate2;
    CComPtr<IConnectionPoint> pPoint;
    DWORD dwCookie = 0;
};

CAdvised Advise(ICoUpdate* pUpdate, CCompletedSink* pSink)
{
    CAdvised advised;
    pUpdate->QueryInterface(IID_ICoUpdate2, reinterpret_cast<void**>(&advised.pUpdate2));
    CComPtr<IConnectionPointContainer> pContainer;
    pUpdate->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&pContainer));
    pContainer->FindConnectionPoint(DIID__ICoUpdateEvents, &advised.pPoint);
    advised.pPoint->Advise(pSink, &advised.dwCookie);
    return advised;
}

TEST(UpdateThreadTest, TheEventReachesTheAdvisingThreadWithTheOutcome)
{
    std::string folder = NewServerFolder("thread-no-version");
    MakeServerFolder(folder + "\\not-a-version");
    std::string temp = NewScratchFolder("thread-temp");
    temp.pop_back(); // without its closing backslash: UpdateThread adds it

    CMessageBoxRecorder boxes(IDNO);
    CoUpdate* pObject = nullptr;
    CComPtr<ICoUpdate> pUpdate = NewUpdate(&pObject);
    CCompletedSink sink;
    CAdvised advised = Advise(pUpdate, &sink);
    CComBSTR url(FtpUrl(folder).c_str()), caption(L"Vorn Email"), tempFolder(temp.c_str()), install(L"");
    EXPECT_EQ(S_OK, advised.pUpdate2->UpdateThread(url, caption, 0, 1, 0, 0, 0, tempFolder, install));
    EXPECT_EQ(temp + "\\", pObject->m_strTempFolder.GetString());
    ASSERT_TRUE(WaitFor([&] { return sink.m_nCompleted == 1; }));
    EXPECT_EQ(GetCurrentThreadId(), sink.m_dwThread.load());
    CComBSTR error;
    pUpdate->get_Error(&error);
    EXPECT_EQ("ERROR: " + FtpUrl(folder) + "\r\nThe version folder was not detected.",
              CString(static_cast<const wchar_t*>(error)).GetString());
    advised.pPoint->Unadvise(advised.dwCookie);
    pUpdate->Close();
}

// Releasing the object right after Close must not free it under the check: Close waits, and meanwhile the
// event still reaches this thread.
TEST(UpdateThreadTest, CloseDuringTheCheckWaitsForIt)
{
    std::string folder = NewServerFolder("thread-close");
    MakeServerFolder(folder + "\\1,0,0,0");
    std::string temp = NewScratchFolder("thread-close");
    CMessageBoxRecorder boxes(IDNO);
    CCompletedSink sink;
    CoUpdate* pObject = nullptr;
    CComPtr<ICoUpdate> pUpdate = NewUpdate(&pObject);
    CAdvised advised = Advise(pUpdate, &sink);
    CComBSTR url(FtpUrl(folder).c_str()), caption(L"Vorn Email"), tempFolder(temp.c_str()), install(L"");
    EXPECT_EQ(S_OK, advised.pUpdate2->UpdateThread(url, caption, 0, 1, 0, 0, 0, tempFolder, install));
    EXPECT_EQ(S_OK, pUpdate->Close());
    EXPECT_EQ(1, sink.m_nCompleted.load());
    EXPECT_EQ(nullptr, pObject->m_hUpdateThread);
    CComBSTR error;
    pUpdate->get_Error(&error);
    EXPECT_EQ(0u, error.Length());
    advised.pPoint->Unadvise(advised.dwCookie);
}

} // namespace
