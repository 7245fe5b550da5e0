// The drag-and-drop objects: the format enumerator, the data object's answers, the drop source's rule, the
// reconciliation of effects, and when a drop target is registered with the system.
#include <windows.h>

#include <ole2.h>

#include <atlapp.h>
#include <gtest/gtest.h>

#include "app/LetrovaGlobals.h"
#include "tests/support/UiThread.h"
#include "ui/main/DragDrop.h"

namespace
{
class CTestDropTarget : public CWindowImpl<CTestDropTarget>, public CDropTarget
{
public:
    BEGIN_MSG_MAP(CTestDropTarget)
        MESSAGE_HANDLER(CDropTarget::RegisterMessage(), OnRegisterDropTarget)
    END_MSG_MAP()

    LRESULT OnRegisterDropTarget(UINT, WPARAM, LPARAM, BOOL&)
    {
        RegisterWithSystem();
        return 1;
    }
    DWORD OnDragOver(IDataObject*, DWORD, POINT) override { return DROPEFFECT_NONE; }
    HRESULT OnDrop(IDataObject*, DWORD, POINT) override { return S_OK; }
};
} // namespace

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

TEST(DragDropTest, TargetsRegisterWithTheSystemOnTheirOwnThreadOnlyWhenADragStarts)
{
    CUiThread ui(_Module);
    CTestDropTarget target;
    HWND hWnd = ui.Start([&]() -> HWND {
        RECT rc = {0, 0, 50, 50};
        HWND hCreated = target.Create(NULL, rc, "", WS_POPUP);
        if (hCreated != NULL)
            target.Register(hCreated);
        return hCreated;
    });
    ASSERT_NE(nullptr, hWnd);
    // A window that is never dragged onto costs its thread nothing of the system's.
    EXPECT_FALSE(target.m_bRegistered);
    CDropTarget::RegisterPendingTargets();
    EXPECT_TRUE(target.m_bRegistered);
    HRESULT hrAgain = S_OK;
    ui.Invoke([&]() {
        CTestDropTarget other;
        hrAgain = ::RegisterDragDrop(hWnd, &other);
        if (SUCCEEDED(hrAgain))
            ::RevokeDragDrop(hWnd);
        target.Revoke();
        target.DestroyWindow();
    });
    EXPECT_EQ(DRAGDROP_E_ALREADYREGISTERED, hrAgain);
    EXPECT_FALSE(target.m_bRegistered);
    ui.PostQuit();
    EXPECT_TRUE(ui.WaitForExit());
}
