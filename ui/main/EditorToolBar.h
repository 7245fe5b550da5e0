// The HTML editor's formatting toolbar: the buttons of toolbar resource 144 with the font-name and font-size
// boxes standing in its first two places.
#pragma once

#include <windows.h>

#include <vector>

const WORD ID_FONT_NAME_BOX = 32947;
const WORD ID_FONT_SIZE_BOX = 32948;

class CEditorToolBar
{
public:
    // Creates the toolbar as a child of hWndParent; NULL when the toolbar window cannot be made.
    HWND Create(HWND hWndParent, UINT nID);

    // The command of each item of a toolbar resource (0 a separator) and its image size.
    static bool ReadToolBarResource(UINT nResource, SIZE& imageSize, std::vector<WORD>& items);

    HWND m_hWnd = NULL;
    HWND m_hWndFontName = NULL;
    HWND m_hWndFontSize = NULL;

private:
    // The item's place, as the toolbar lays it out.
    RECT ItemRect(WORD nCommand);
};
