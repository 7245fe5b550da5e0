// The pictures of a contact list: the row icon and the header's two sort arrows.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <atlapp.h>
#include <atlctrls.h>

class CContactListImages
{
public:
    CContactListImages() = default;
    CContactListImages(const CContactListImages&) = delete;
    CContactListImages& operator=(const CContactListImages&) = delete;
    ~CContactListImages();

    // Loads the pictures once and gives them to the list and its header. They stay this object's: the list
    // is told not to destroy them with itself.
    void Attach(CListViewCtrl& list);
    // The header of nColumn with the arrow of the direction, or with none.
    void SetArrow(HWND hHeader, int nColumn, bool bArrow, bool bAscending) const;

private:
    CImageList m_images;
    HBITMAP m_hBitmaps[3] = {};
    int m_nImageUp = -1;
    int m_nImageDown = -1;
};
