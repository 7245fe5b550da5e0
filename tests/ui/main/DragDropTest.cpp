// The drag-and-drop objects without windows: the format enumerator, the data object's answers, the drop
// source's rule and the reconciliation of effects.
#include <windows.h>

#include <ole2.h>

#include <gtest/gtest.h>

#include "ui/main/DragDrop.h"

TEST(DragDropTest, EnumeratorHandsOutOneTextEntryThenStops)
{
    CListDataObject data;
    IEnumFORMATETC* pEnum = nullptr;
    ASSERT_EQ(S_OK, data.EnumFormatEtc(DATADIR_GET, &pEnum));
    ASSERT_NE(nullptr, pEnum);
    FORMATETC format = {};
    ULONG nFetched = 0;
    ASSERT_EQ(S_OK, pEnum->Next(1, &format, &nFetched));
    EXPECT_EQ(1u, nFetched);
    EXPECT_EQ(CF_TEXT, format.cfFormat);
    EXPECT_EQ(nullptr, format.ptd);
    EXPECT_EQ((DWORD)DVASPECT_CONTENT, format.dwAspect);
    EXPECT_EQ(-1, format.lindex);
    EXPECT_EQ((DWORD)TYMED_HGLOBAL, format.tymed);
    EXPECT_EQ(S_FALSE, pEnum->Next(1, &format, &nFetched));
    EXPECT_EQ(0u, nFetched);
    // A caller that does not want the count may pass none.
    pEnum->Reset();
    EXPECT_EQ(S_OK, pEnum->Next(1, &format, nullptr));
    pEnum->Reset();
    pEnum->Skip(1);
    EXPECT_EQ(S_FALSE, pEnum->Next(1, &format, nullptr));
    pEnum->Release();

    IEnumFORMATETC* pSet = reinterpret_cast<IEnumFORMATETC*>(1);
    data.EnumFormatEtc(DATADIR_SET, &pSet);
    EXPECT_EQ(nullptr, pSet);
}

TEST(DragDropTest, DataObjectOffersOnlyItsMarkerAndRefusesToHandOutData)
{
    CListDataObject data;
    FORMATETC marker = {(CLIPFORMAT)::RegisterClipboardFormatA("MessagesListClipboardFormat"), nullptr,
                        DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    FORMATETC text = {CF_TEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    EXPECT_EQ(S_OK, data.QueryGetData(&marker));
    EXPECT_EQ(E_INVALIDARG, data.QueryGetData(&text));

    STGMEDIUM medium;
    memset(&medium, 0xAB, sizeof(medium));
    EXPECT_EQ(DV_E_FORMATETC, data.GetData(&text, &medium));
    EXPECT_EQ((DWORD)TYMED_NULL, medium.tymed);
    EXPECT_EQ(nullptr, medium.hGlobal);
    EXPECT_EQ(nullptr, medium.pUnkForRelease);

    IUnknown* pUnknown = nullptr;
    EXPECT_EQ(S_OK, data.QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&pUnknown)));
    pUnknown->Release();
    IDropTarget* pTarget = nullptr;
    EXPECT_EQ(E_NOINTERFACE, data.QueryInterface(IID_IDropTarget, reinterpret_cast<void**>(&pTarget)));
}

TEST(DragDropTest, DropSourceDropsOnButtonUpAndIgnoresEscape)
{
    CDropSource source;
    EXPECT_EQ(S_OK, source.QueryContinueDrag(TRUE, MK_LBUTTON));
    EXPECT_EQ(S_OK, source.QueryContinueDrag(FALSE, MK_LBUTTON));
    EXPECT_EQ(DRAGDROP_S_DROP, source.QueryContinueDrag(TRUE, 0));
    EXPECT_EQ(DRAGDROP_S_USEDEFAULTCURSORS, source.GiveFeedback(DROPEFFECT_MOVE));
}

TEST(DragDropTest, WantedEffectIsReconciledWithTheAllowedOnes)
{
    const DWORD C = DROPEFFECT_COPY, M = DROPEFFECT_MOVE, L = DROPEFFECT_LINK, N = DROPEFFECT_NONE;
    struct Case
    {
        DWORD dwWanted, dwAllowed, dwResult;
    } cases[] = {
        {M, C | M | L, M}, {C, C | M | L, C}, {C, M | L, M}, {C, L, L}, {C, N, N}, {M, C | L, C},
        {M, L, L},         {M, N, N},         {L, C | M, N}, {N, C | M | L, N},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.dwResult, CDropTarget::ReconcileEffect(c.dwWanted, c.dwAllowed))
            << "wanted " << c.dwWanted << " allowed " << c.dwAllowed;
}
