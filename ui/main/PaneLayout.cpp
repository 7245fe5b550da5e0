// The layout rules of the panes.
#include "ui/main/PaneLayout.h"

CLeftLayout LayOutLeftPane(int w, int h, bool bFoldersVisible, bool bContactsVisible, int nFoldersHeight,
                           int nContactsHeight, bool bContactsAlone, int nFoldersTitle, int nContactsTitle)
{
    CLeftLayout layout = {};
    layout.bContactsAlone = bContactsAlone;
    layout.folders.bVisible = bFoldersVisible;
    layout.contacts.bVisible = bContactsVisible;
    if (!bFoldersVisible)
    {
        layout.contacts = {0, 0, w, h, bContactsVisible};
        if (bContactsVisible)
            layout.bContactsAlone = true;
        else
            layout.bHideLeftPane = true;
        return layout;
    }
    if (!bContactsVisible)
    {
        layout.folders = {0, 0, w, h, true};
        return layout;
    }
    int nContacts = nContactsHeight;
    if (bContactsAlone)
    {
        nContacts = h - nFoldersHeight;
        layout.bContactsAlone = false;
    }
    if (nContacts < nContactsTitle)
        nContacts = nContactsTitle;
    int nTop = h - nContacts;
    if (nTop < nFoldersTitle)
        nTop = nFoldersTitle;
    if (nTop < kSplitterBar)
    {
        nTop = kSplitterBar;
        nContacts = h - kSplitterBar;
    }
    layout.contacts = {0, nTop, w, nContacts, true};
    layout.bar = {0, nTop - kSplitterBar, w, kSplitterBar, true};
    layout.folders = {0, 0, w, nTop - kSplitterBar, true};
    return layout;
}

CRightLayout LayOutRightPane(int w, int h, bool bPreviewVisible, int nPreviewHeight, int nPreviewMinimum,
                             int nListHeader)
{
    CRightLayout layout = {};
    int nPreview = nPreviewHeight < nPreviewMinimum ? nPreviewMinimum : nPreviewHeight;
    int nTop = h - nPreview;
    if (nTop < nListHeader + kSplitterBar)
        nTop = nListHeader + kSplitterBar;
    if (nTop < kSplitterBar)
    {
        nTop = kSplitterBar;
        nPreview = h - kSplitterBar;
    }
    layout.preview = {0, nTop, w, nPreview, bPreviewVisible};
    layout.bar = {0, nTop - kSplitterBar, w, kSplitterBar, bPreviewVisible};
    layout.list = bPreviewVisible ? CPaneBox{0, 0, w, nTop - kSplitterBar, true} : CPaneBox{0, 0, w, h, true};
    return layout;
}

CContainerLayout LayOutPaneContainer(int w, int h, bool bLeftVisible, int nLeftWidth)
{
    CContainerLayout layout = {};
    if (!bLeftVisible)
    {
        layout.left.bVisible = false;
        layout.bar.bVisible = false;
        layout.right = {0, 0, w, h, true};
        return layout;
    }
    int nWidth = nLeftWidth > w - kSplitterBar ? w - kSplitterBar : nLeftWidth;
    layout.left = {0, 0, nWidth, h, true};
    layout.bar = {nWidth, 0, kSplitterBar, h, true};
    layout.right = {nWidth + kSplitterBar, 0, w - nWidth - kSplitterBar, h, true};
    return layout;
}
