#include "ui/addressbook/ContactListImages.h"

#include "resources/resource.h"

CContactListImages::~CContactListImages()
{
    for (HBITMAP& hBitmap : m_hBitmaps)
    {
        if (hBitmap != NULL)
            ::DeleteObject(hBitmap);
        hBitmap = NULL;
    }
    if (!m_images.IsNull())
        m_images.Destroy();
}

void CContactListImages::Attach(CListViewCtrl& list)
{
    if (m_images.IsNull())
    {
        static const UINT kBitmapIds[3] = {IDB_CONTACT_ROW, IDB_CONTACT_SORT_UP, IDB_CONTACT_SORT_DOWN};
        COLORMAP map = {RGB(255, 0, 255), ::GetSysColor(COLOR_BTNFACE)};
        int nImages[3] = {-1, -1, -1};
        for (int i = 0; i < 3; i++)
        {
            m_hBitmaps[i] = ::CreateMappedBitmap(ATL::_AtlBaseModule.GetResourceInstance(), kBitmapIds[i], 0, &map, 1);
            if (m_hBitmaps[i] == NULL)
                continue;
            if (m_images.IsNull())
            {
                BITMAP info = {};
                ::GetObject(m_hBitmaps[i], sizeof(info), &info);
                m_images.Create(info.bmWidth, info.bmHeight, ILC_COLOR24 | ILC_MASK, 3, 0);
            }
            nImages[i] = ImageList_AddMasked(m_images, m_hBitmaps[i], RGB(255, 255, 255));
        }
        m_nImageUp = nImages[1];
        m_nImageDown = nImages[2];
    }
    if (m_images.IsNull())
        return;
    list.ModifyStyle(0, LVS_SHAREIMAGELISTS);
    ::SendMessageA(list.GetHeader(), HDM_SETIMAGELIST, 0, (LPARAM)(HIMAGELIST)m_images);
    list.SetImageList(m_images, LVSIL_NORMAL);
    list.SetImageList(m_images, LVSIL_SMALL);
}

void CContactListImages::SetArrow(HWND hHeader, int nColumn, bool bArrow, bool bAscending) const
{
    HDITEMA item = {};
    item.mask = HDI_FORMAT;
    ::SendMessageA(hHeader, HDM_GETITEMA, nColumn, (LPARAM)&item);
    item.fmt = (item.fmt & HDF_JUSTIFYMASK) | HDF_STRING;
    if (bArrow)
    {
        item.mask |= HDI_IMAGE;
        item.fmt |= HDF_IMAGE | HDF_BITMAP_ON_RIGHT;
        item.iImage = bAscending ? m_nImageUp : m_nImageDown;
    }
    ::SendMessageA(hHeader, HDM_SETITEMA, nColumn, (LPARAM)&item);
}
