// Where the panes of the main window go for a given size: pure rules, so they can be checked apart from
// any window.
#pragma once

#include <windows.h>

const int kSplitterBar = 5;

struct CPaneBox
{
    int x, y, cx, cy;
    bool bVisible;
};

// Folders above, contacts below. nContactsHeight is the contacts pane's current height; bContactsAlone
// says it had the pane to itself before (it is cleared once both show again).
struct CLeftLayout
{
    CPaneBox folders, bar, contacts;
    bool bHideLeftPane;
    bool bContactsAlone;
};
CLeftLayout LayOutLeftPane(int w, int h, bool bFoldersVisible, bool bContactsVisible, int nFoldersHeight,
                           int nContactsHeight, bool bContactsAlone, int nFoldersTitle, int nContactsTitle);

// Message list above, preview below; the list keeps its column header.
struct CRightLayout
{
    CPaneBox list, bar, preview;
};
CRightLayout LayOutRightPane(int w, int h, bool bPreviewVisible, int nPreviewHeight, int nPreviewMinimum,
                             int nListHeader);

// Left pane, vertical bar, right pane side by side.
struct CContainerLayout
{
    CPaneBox left, bar, right;
};
CContainerLayout LayOutPaneContainer(int w, int h, bool bLeftVisible, int nLeftWidth);
