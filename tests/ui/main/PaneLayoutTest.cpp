// The three layout rules of the main window's panes, one table of cases.
#include <gtest/gtest.h>

#include "ui/main/PaneLayout.h"

namespace
{
struct CBox
{
    int x, y, cx, cy;
};

void ExpectBox(const CBox& expected, const CPaneBox& box, const char* pszWhat)
{
    EXPECT_EQ(expected.x, box.x) << pszWhat;
    EXPECT_EQ(expected.y, box.y) << pszWhat;
    EXPECT_EQ(expected.cx, box.cx) << pszWhat;
    EXPECT_EQ(expected.cy, box.cy) << pszWhat;
}
} // namespace

TEST(PaneLayoutTest, LeftPaneStacksFoldersOverContactsWithinTheirMinimums)
{
    struct Case
    {
        const char* pszName;
        int h, nFolders, nContacts;
        bool bAlone;
        CBox folders, bar, contacts;
    } cases[] = {
        {"plain", 400, 200, 150, false, {0, 0, 300, 245}, {0, 245, 300, 5}, {0, 250, 300, 150}},
        {"contacts below its title grow to it", 400, 200, 10, false, {0, 0, 300, 371}, {0, 371, 300, 5},
         {0, 376, 300, 24}},
        {"folders keep their title", 400, 200, 390, false, {0, 0, 300, 15}, {0, 15, 300, 5}, {0, 20, 300, 390}},
        {"contacts alone before take what folders leave", 400, 100, 400, true, {0, 0, 300, 95}, {0, 95, 300, 5},
         {0, 100, 300, 300}},
    };
    for (const Case& c : cases)
    {
        CLeftLayout layout = LayOutLeftPane(300, c.h, true, true, c.nFolders, c.nContacts, c.bAlone, 20, 24);
        ExpectBox(c.folders, layout.folders, c.pszName);
        ExpectBox(c.bar, layout.bar, c.pszName);
        ExpectBox(c.contacts, layout.contacts, c.pszName);
        EXPECT_FALSE(layout.bContactsAlone) << c.pszName;
        EXPECT_FALSE(layout.bHideLeftPane) << c.pszName;
    }
}

TEST(PaneLayoutTest, LeftPaneWithOnePaneHiddenGivesTheOtherTheWholeHeight)
{
    CLeftLayout contactsOnly = LayOutLeftPane(300, 400, false, true, 200, 150, false, 20, 24);
    ExpectBox({0, 0, 300, 400}, contactsOnly.contacts, "contacts alone");
    EXPECT_TRUE(contactsOnly.bContactsAlone);
    EXPECT_FALSE(contactsOnly.bar.bVisible);

    CLeftLayout foldersOnly = LayOutLeftPane(300, 400, true, false, 200, 150, false, 20, 24);
    ExpectBox({0, 0, 300, 400}, foldersOnly.folders, "folders alone");
    EXPECT_FALSE(foldersOnly.bar.bVisible);

    CLeftLayout none = LayOutLeftPane(300, 400, false, false, 200, 150, false, 20, 24);
    EXPECT_TRUE(none.bHideLeftPane);
}

TEST(PaneLayoutTest, RightPaneKeepsTheListHeaderAndThePreviewMinimum)
{
    struct Case
    {
        const char* pszName;
        int h, nPreview;
        bool bPreviewVisible;
        CBox list, bar, preview;
    } cases[] = {
        {"plain", 500, 200, true, {0, 0, 400, 295}, {0, 295, 400, 5}, {0, 300, 400, 200}},
        {"preview below its minimum", 500, 10, true, {0, 0, 400, 455}, {0, 455, 400, 5}, {0, 460, 400, 40}},
        {"list keeps its header", 500, 495, true, {0, 0, 400, 22}, {0, 22, 400, 5}, {0, 27, 400, 495}},
        {"preview hidden", 500, 200, false, {0, 0, 400, 500}, {0, 295, 400, 5}, {0, 300, 400, 200}},
    };
    for (const Case& c : cases)
    {
        CRightLayout layout = LayOutRightPane(400, c.h, c.bPreviewVisible, c.nPreview, 40, 22);
        ExpectBox(c.list, layout.list, c.pszName);
        EXPECT_EQ(c.bPreviewVisible, layout.bar.bVisible) << c.pszName;
        if (c.bPreviewVisible)
        {
            ExpectBox(c.bar, layout.bar, c.pszName);
            ExpectBox(c.preview, layout.preview, c.pszName);
        }
    }
}

TEST(PaneLayoutTest, ContainerNarrowsTheLeftPaneSoTheBarStaysAndHidesItWithTheLeftPane)
{
    struct Case
    {
        const char* pszName;
        bool bLeftVisible;
        int nLeft;
        CBox left, bar, right;
    } cases[] = {
        {"plain", true, 200, {0, 0, 200, 300}, {200, 0, 5, 300}, {205, 0, 395, 300}},
        {"too wide", true, 700, {0, 0, 595, 300}, {595, 0, 5, 300}, {600, 0, 0, 300}},
        {"left hidden", false, 200, {0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 600, 300}},
    };
    for (const Case& c : cases)
    {
        CContainerLayout layout = LayOutPaneContainer(600, 300, c.bLeftVisible, c.nLeft);
        EXPECT_EQ(c.bLeftVisible, layout.bar.bVisible) << c.pszName;
        if (c.bLeftVisible)
        {
            ExpectBox(c.left, layout.left, c.pszName);
            ExpectBox(c.bar, layout.bar, c.pszName);
        }
        ExpectBox(c.right, layout.right, c.pszName);
    }
}
