// Tests of the COM smart types: reference balance, out-parameter addresses and code-page conversion.
#include <atlbase.h>

#include <utility>

#include <gtest/gtest.h>

namespace
{

// Counts its references; lives on the stack, so a missing or extra Release shows in the count.
class CCountedObject : public IUnknown
{
public:
    STDMETHOD(QueryInterface)(REFIID riid, void** ppv)
    {
        if (InlineIsEqualGUID(riid, IID_IUnknown))
        {
            *ppv = this;
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHOD_(ULONG, AddRef)() { return static_cast<ULONG>(++m_nRef); }
    STDMETHOD_(ULONG, Release)() { return static_cast<ULONG>(--m_nRef); }

    LONG m_nRef = 1;
};

TEST(CComPtrTest, CopiesMovesAndAssignmentsKeepTheReferenceCountBalanced)
{
    CCountedObject object;
    {
        CComPtr<IUnknown> a(&object);
        EXPECT_EQ(2, object.m_nRef);
        CComPtr<IUnknown> b = a;
        EXPECT_EQ(3, object.m_nRef);
        CComPtr<IUnknown> c = std::move(b);
        EXPECT_EQ(3, object.m_nRef);
        EXPECT_FALSE(b);
        a = a.p;
        c = c;
        EXPECT_EQ(3, object.m_nRef);
        b = c;
        EXPECT_EQ(4, object.m_nRef);
        c = nullptr;
        EXPECT_EQ(3, object.m_nRef);
        b = std::move(a);
        EXPECT_EQ(2, object.m_nRef);
    }
    EXPECT_EQ(1, object.m_nRef);
}

TEST(CComPtrTest, AttachAndDetachHandOverWithoutCounting)
{
    CCountedObject object;
    {
        CComPtr<IUnknown> p;
        object.AddRef();
        p.Attach(&object);
        EXPECT_EQ(2, object.m_nRef);
        IUnknown* pRaw = p.Detach();
        EXPECT_EQ(&object, pRaw);
        EXPECT_EQ(2, object.m_nRef);
        p.Attach(pRaw);
    }
    EXPECT_EQ(1, object.m_nRef);
}

TEST(CComPtrTest, TakingTheAddressForAnOutParameterReleasesWhatWasHeld)
{
    CCountedObject object;
    CComPtr<IUnknown> p(&object);
    IUnknown** pp = &p;
    EXPECT_EQ(1, object.m_nRef);
    EXPECT_EQ(nullptr, *pp);

    CComBSTR bstr(L"held");
    BSTR* pbstr = &bstr;
    EXPECT_EQ(nullptr, *pbstr);
}

TEST(CComPtrTest, QueryInterfacePointerIsEmptyWhenTheInterfaceIsMissing)
{
    CCountedObject object;
    {
        CComQIPtr<IDispatch> pDisp(&object);
        EXPECT_FALSE(pDisp);
        CComQIPtr<IUnknown> pUnk(&object);
        EXPECT_EQ(&object, pUnk.p);
        EXPECT_EQ(2, object.m_nRef);
    }
    EXPECT_EQ(1, object.m_nRef);
}

TEST(CComBSTRTest, AnsiTextConvertsThroughTheCodePageWithItsWholeLength)
{
    const CComBSTR bstr("caf\xE9 \x80");
    EXPECT_EQ(6u, bstr.Length());
    EXPECT_TRUE(bstr == L"caf\x00E9 \x20AC");

    const CComBSTR bstrWithNul(CString("a\0b", 3));
    EXPECT_EQ(3u, bstrWithNul.Length());
    EXPECT_EQ(L'b', bstrWithNul.m_str[2]);

    CComBSTR bstrAppended(L"ab");
    bstrAppended += L"cd";
    bstrAppended.Append(bstrWithNul);
    EXPECT_EQ(7u, bstrAppended.Length());
    EXPECT_EQ(0, memcmp(L"abcda\0b", bstrAppended.m_str, 7 * sizeof(OLECHAR)));

    // An empty and a missing string are the same text at the COM boundary.
    EXPECT_TRUE(CComBSTR() == L"");
    EXPECT_TRUE(CComBSTR(L"") == nullptr);
}

TEST(CComVariantTest, CopiesConvertsAndHandsOverValues)
{
    CCountedObject object;
    {
        CComVariant varText("42");
        ASSERT_EQ(S_OK, varText.ChangeType(VT_I4));
        EXPECT_EQ(VT_I4, varText.vt);
        EXPECT_EQ(42, varText.lVal);

        CComVariant varObject(static_cast<IUnknown*>(&object));
        CComVariant varCopy(varObject);
        EXPECT_EQ(3, object.m_nRef);
        VARIANT varOut;
        VariantInit(&varOut);
        ASSERT_EQ(S_OK, varCopy.Detach(&varOut));
        EXPECT_EQ(VT_EMPTY, varCopy.vt);
        EXPECT_EQ(3, object.m_nRef);
        VariantClear(&varOut);
        EXPECT_EQ(2, object.m_nRef);

        EXPECT_EQ(DISP_E_TYPEMISMATCH, CComVariant("not a number").ChangeType(VT_I4));
    }
    EXPECT_EQ(1, object.m_nRef);
}

} // namespace
