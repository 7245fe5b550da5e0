// GDI object holders (fonts, pens, brushes, bitmaps) and device contexts; a managed holder deletes its
// object.
#pragma once

#include <windows.h>

#include <atlwin.h>

namespace WTL
{

template <class THandle, bool t_bManaged>
class CGdiObjectT
{
public:
    THandle m_hObj;

    CGdiObjectT(THandle h = NULL) : m_hObj(h) {}
    ~CGdiObjectT()
    {
        if (t_bManaged && m_hObj != NULL)
            ::DeleteObject(m_hObj);
    }
    CGdiObjectT(const CGdiObjectT&) = delete;
    CGdiObjectT& operator=(const CGdiObjectT&) = delete;

    operator THandle() const { return m_hObj; }
    bool IsNull() const { return m_hObj == NULL; }
    void Attach(THandle h)
    {
        if (t_bManaged && m_hObj != NULL && m_hObj != h)
            ::DeleteObject(m_hObj);
        m_hObj = h;
    }
    THandle Detach()
    {
        THandle h = m_hObj;
        m_hObj = NULL;
        return h;
    }
    BOOL DeleteObject()
    {
        if (m_hObj == NULL)
            return FALSE;
        BOOL bRet = ::DeleteObject(m_hObj);
        if (bRet)
            m_hObj = NULL;
        return bRet;
    }

protected:
    THandle Set(THandle h)
    {
        Attach(h);
        return m_hObj;
    }
};

template <bool t_bManaged>
class CFontT : public CGdiObjectT<HFONT, t_bManaged>
{
public:
    CFontT(HFONT h = NULL) : CGdiObjectT<HFONT, t_bManaged>(h) {}
    CFontT& operator=(HFONT h)
    {
        this->Attach(h);
        return *this;
    }
    HFONT CreateFontIndirect(const LOGFONTA* lpLogFont)
    {
        return this->Set(::CreateFontIndirectA(lpLogFont));
    }
    HFONT CreateFont(int nHeight, int nWidth, int nEscapement, int nOrientation, int nWeight, BYTE bItalic,
                     BYTE bUnderline, BYTE cStrikeOut, BYTE nCharSet, BYTE nOutPrecision, BYTE nClipPrecision,
                     BYTE nQuality, BYTE nPitchAndFamily, LPCSTR lpszFacename)
    {
        return this->Set(::CreateFontA(nHeight, nWidth, nEscapement, nOrientation, nWeight, bItalic,
                                       bUnderline, cStrikeOut, nCharSet, nOutPrecision, nClipPrecision,
                                       nQuality, nPitchAndFamily, lpszFacename));
    }
    // nPointSize is in tenths of a point, as the common font dialogs give it.
    HFONT CreatePointFont(int nPointSize, LPCSTR lpszFaceName, HDC hDC = NULL, bool bBold = false,
                          bool bItalic = false)
    {
        LOGFONTA lf = {};
        lf.lfCharSet = DEFAULT_CHARSET;
        HDC hDCScreen = hDC ? hDC : ::GetDC(NULL);
        lf.lfHeight = -::MulDiv(nPointSize, ::GetDeviceCaps(hDCScreen, LOGPIXELSY), 720);
        if (hDC == NULL)
            ::ReleaseDC(NULL, hDCScreen);
        lf.lfWeight = bBold ? FW_BOLD : FW_NORMAL;
        lf.lfItalic = (BYTE)bItalic;
        lstrcpynA(lf.lfFaceName, lpszFaceName, LF_FACESIZE);
        return CreateFontIndirect(&lf);
    }
    int GetLogFont(LOGFONTA* pLogFont) const
    {
        return ::GetObjectA(this->m_hObj, sizeof(LOGFONTA), pLogFont);
    }
};
typedef CFontT<true> CFont;
typedef CFontT<false> CFontHandle;

template <bool t_bManaged>
class CPenT : public CGdiObjectT<HPEN, t_bManaged>
{
public:
    CPenT(HPEN h = NULL) : CGdiObjectT<HPEN, t_bManaged>(h) {}
    HPEN CreatePen(int nPenStyle, int nWidth, COLORREF crColor)
    {
        return this->Set(::CreatePen(nPenStyle, nWidth, crColor));
    }
};
typedef CPenT<true> CPen;
typedef CPenT<false> CPenHandle;

template <bool t_bManaged>
class CBrushT : public CGdiObjectT<HBRUSH, t_bManaged>
{
public:
    CBrushT(HBRUSH h = NULL) : CGdiObjectT<HBRUSH, t_bManaged>(h) {}
    HBRUSH CreateSolidBrush(COLORREF crColor) { return this->Set(::CreateSolidBrush(crColor)); }
    HBRUSH CreateSysColorBrush(int nIndex) { return this->Set(::GetSysColorBrush(nIndex)); }
};
typedef CBrushT<true> CBrush;
typedef CBrushT<false> CBrushHandle;

template <bool t_bManaged>
class CBitmapT : public CGdiObjectT<HBITMAP, t_bManaged>
{
public:
    CBitmapT(HBITMAP h = NULL) : CGdiObjectT<HBITMAP, t_bManaged>(h) {}
    CBitmapT& operator=(HBITMAP h)
    {
        this->Attach(h);
        return *this;
    }
    HBITMAP LoadBitmap(ATL::_U_STRINGorID bitmap)
    {
        return this->Set(::LoadBitmapA(ATL::AtlGetResourceInstance(), bitmap.m_lpstr));
    }
    HBITMAP CreateCompatibleBitmap(HDC hDC, int nWidth, int nHeight)
    {
        return this->Set(::CreateCompatibleBitmap(hDC, nWidth, nHeight));
    }
    int GetBitmap(BITMAP* pBitMap) const { return ::GetObjectA(this->m_hObj, sizeof(BITMAP), pBitMap); }
    bool GetSize(SIZE& size) const
    {
        BITMAP bm = {};
        if (!GetBitmap(&bm))
            return false;
        size.cx = bm.bmWidth;
        size.cy = bm.bmHeight;
        return true;
    }
};
typedef CBitmapT<true> CBitmap;
typedef CBitmapT<false> CBitmapHandle;

// ---------------------------------------------------------------------------------------------------------

template <bool t_bManaged>
class CDCT
{
public:
    HDC m_hDC;

    CDCT(HDC hDC = NULL) : m_hDC(hDC) {}
    ~CDCT()
    {
        if (t_bManaged && m_hDC != NULL)
            ::DeleteDC(m_hDC);
    }
    CDCT(const CDCT&) = delete;
    CDCT& operator=(const CDCT&) = delete;

    operator HDC() const { return m_hDC; }
    bool IsNull() const { return m_hDC == NULL; }
    void Attach(HDC hDC)
    {
        if (t_bManaged && m_hDC != NULL && m_hDC != hDC)
            ::DeleteDC(m_hDC);
        m_hDC = hDC;
    }
    HDC Detach()
    {
        HDC hDC = m_hDC;
        m_hDC = NULL;
        return hDC;
    }
    HDC CreateCompatibleDC(HDC hDC = NULL)
    {
        Attach(::CreateCompatibleDC(hDC));
        return m_hDC;
    }

    int SaveDC() { return ::SaveDC(m_hDC); }
    BOOL RestoreDC(int nSavedDC) { return ::RestoreDC(m_hDC, nSavedDC); }
    int GetDeviceCaps(int nIndex) const { return ::GetDeviceCaps(m_hDC, nIndex); }

    HFONT SelectFont(HFONT hFont) { return (HFONT)::SelectObject(m_hDC, hFont); }
    HPEN SelectPen(HPEN hPen) { return (HPEN)::SelectObject(m_hDC, hPen); }
    HBRUSH SelectBrush(HBRUSH hBrush) { return (HBRUSH)::SelectObject(m_hDC, hBrush); }
    HBITMAP SelectBitmap(HBITMAP hBitmap) { return (HBITMAP)::SelectObject(m_hDC, hBitmap); }
    HGDIOBJ SelectStockObject(int nIndex) { return ::SelectObject(m_hDC, ::GetStockObject(nIndex)); }

    COLORREF SetTextColor(COLORREF crColor) { return ::SetTextColor(m_hDC, crColor); }
    COLORREF SetBkColor(COLORREF crColor) { return ::SetBkColor(m_hDC, crColor); }
    int SetBkMode(int nBkMode) { return ::SetBkMode(m_hDC, nBkMode); }
    int SetMapMode(int nMapMode) { return ::SetMapMode(m_hDC, nMapMode); }

    BOOL MoveTo(int x, int y, LPPOINT lpPoint = NULL) { return ::MoveToEx(m_hDC, x, y, lpPoint); }
    BOOL LineTo(int x, int y) { return ::LineTo(m_hDC, x, y); }
    BOOL Rectangle(int x1, int y1, int x2, int y2) { return ::Rectangle(m_hDC, x1, y1, x2, y2); }
    BOOL Rectangle(LPCRECT lpRect)
    {
        return ::Rectangle(m_hDC, lpRect->left, lpRect->top, lpRect->right, lpRect->bottom);
    }
    BOOL Polyline(const POINT* lpPoints, int nCount) { return ::Polyline(m_hDC, lpPoints, nCount); }
    BOOL Polygon(const POINT* lpPoints, int nCount) { return ::Polygon(m_hDC, lpPoints, nCount); }
    COLORREF SetPixel(int x, int y, COLORREF crColor) { return ::SetPixel(m_hDC, x, y, crColor); }
    COLORREF GetPixel(int x, int y) const { return ::GetPixel(m_hDC, x, y); }
    int FillRect(LPCRECT lpRect, HBRUSH hBrush) { return ::FillRect(m_hDC, lpRect, hBrush); }
    int FillRect(LPCRECT lpRect, int nColorIndex)
    {
        return ::FillRect(m_hDC, lpRect, (HBRUSH)(INT_PTR)(nColorIndex + 1));
    }
    int FrameRect(LPCRECT lpRect, HBRUSH hBrush) { return ::FrameRect(m_hDC, lpRect, hBrush); }
    BOOL FillSolidRect(LPCRECT lpRect, COLORREF clr)
    {
        COLORREF clrOld = ::SetBkColor(m_hDC, clr);
        BOOL bRet = ::ExtTextOutA(m_hDC, 0, 0, ETO_OPAQUE, lpRect, NULL, 0, NULL);
        ::SetBkColor(m_hDC, clrOld);
        return bRet;
    }
    void Draw3dRect(LPCRECT lpRect, COLORREF clrTopLeft, COLORREF clrBottomRight)
    {
        int x = lpRect->left, y = lpRect->top, cx = lpRect->right - x, cy = lpRect->bottom - y;
        RECT r;
        ::SetRect(&r, x, y, x + cx - 1, y + 1);
        FillSolidRect(&r, clrTopLeft);
        ::SetRect(&r, x, y, x + 1, y + cy - 1);
        FillSolidRect(&r, clrTopLeft);
        ::SetRect(&r, x + cx - 1, y, x + cx, y + cy);
        FillSolidRect(&r, clrBottomRight);
        ::SetRect(&r, x, y + cy - 1, x + cx, y + cy);
        FillSolidRect(&r, clrBottomRight);
    }
    BOOL DrawEdge(LPRECT lpRect, UINT nEdge, UINT nFlags) { return ::DrawEdge(m_hDC, lpRect, nEdge, nFlags); }
    BOOL DrawFocusRect(LPCRECT lpRect) { return ::DrawFocusRect(m_hDC, lpRect); }
    BOOL DrawFrameControl(LPRECT lpRect, UINT nType, UINT nState)
    {
        return ::DrawFrameControl(m_hDC, lpRect, nType, nState);
    }
    BOOL DrawIcon(int x, int y, HICON hIcon) { return ::DrawIcon(m_hDC, x, y, hIcon); }
    BOOL DrawIconEx(int x, int y, HICON hIcon, int cx, int cy, UINT uStepIfAniCur = 0,
                    HBRUSH hbrFlickerFreeDraw = NULL, UINT uFlags = DI_NORMAL)
    {
        return ::DrawIconEx(m_hDC, x, y, hIcon, cx, cy, uStepIfAniCur, hbrFlickerFreeDraw, uFlags);
    }

    BOOL TextOut(int x, int y, LPCSTR lpszString, int nCount = -1)
    {
        return ::TextOutA(m_hDC, x, y, lpszString, nCount == -1 ? lstrlenA(lpszString) : nCount);
    }
    BOOL ExtTextOut(int x, int y, UINT nOptions, LPCRECT lpRect, LPCSTR lpszString, UINT nCount = (UINT)-1,
                    const INT* lpDxWidths = NULL)
    {
        return ::ExtTextOutA(m_hDC, x, y, nOptions, lpRect, lpszString,
                             nCount == (UINT)-1 ? (UINT)lstrlenA(lpszString) : nCount, lpDxWidths);
    }
    int DrawText(LPCSTR lpstrText, int cchText, LPRECT lpRect, UINT uFormat)
    {
        return ::DrawTextA(m_hDC, lpstrText, cchText, lpRect, uFormat);
    }
    BOOL GetTextExtent(LPCSTR lpszString, int nCount, LPSIZE lpSize) const
    {
        return ::GetTextExtentPoint32A(m_hDC, lpszString, nCount == -1 ? lstrlenA(lpszString) : nCount,
                                       lpSize);
    }
    BOOL GetTextMetrics(LPTEXTMETRICA lpMetrics) const { return ::GetTextMetricsA(m_hDC, lpMetrics); }

    BOOL BitBlt(int x, int y, int nWidth, int nHeight, HDC hSrcDC, int xSrc, int ySrc, DWORD dwRop)
    {
        return ::BitBlt(m_hDC, x, y, nWidth, nHeight, hSrcDC, xSrc, ySrc, dwRop);
    }
    BOOL StretchBlt(int x, int y, int nWidth, int nHeight, HDC hSrcDC, int xSrc, int ySrc, int nSrcWidth,
                    int nSrcHeight, DWORD dwRop)
    {
        return ::StretchBlt(m_hDC, x, y, nWidth, nHeight, hSrcDC, xSrc, ySrc, nSrcWidth, nSrcHeight, dwRop);
    }
    BOOL PatBlt(int x, int y, int nWidth, int nHeight, DWORD dwRop)
    {
        return ::PatBlt(m_hDC, x, y, nWidth, nHeight, dwRop);
    }
    int IntersectClipRect(LPCRECT lpRect)
    {
        return ::IntersectClipRect(m_hDC, lpRect->left, lpRect->top, lpRect->right, lpRect->bottom);
    }
    int SelectClipRgn(HRGN hRgn) { return ::SelectClipRgn(m_hDC, hRgn); }
};
typedef CDCT<true> CDC;
typedef CDCT<false> CDCHandle;

class CPaintDC : public CDCHandle
{
public:
    HWND m_hWnd;
    PAINTSTRUCT m_ps;

    CPaintDC(HWND hWnd) : m_hWnd(hWnd) { m_hDC = ::BeginPaint(hWnd, &m_ps); }
    ~CPaintDC()
    {
        ::EndPaint(m_hWnd, &m_ps);
        Detach();
    }
};

class CClientDC : public CDCHandle
{
public:
    HWND m_hWnd;

    CClientDC(HWND hWnd) : m_hWnd(hWnd) { m_hDC = ::GetDC(hWnd); }
    ~CClientDC()
    {
        ::ReleaseDC(m_hWnd, m_hDC);
        Detach();
    }
};

class CWindowDC : public CDCHandle
{
public:
    HWND m_hWnd;

    CWindowDC(HWND hWnd) : m_hWnd(hWnd) { m_hDC = ::GetWindowDC(hWnd); }
    ~CWindowDC()
    {
        ::ReleaseDC(m_hWnd, m_hDC);
        Detach();
    }
};

} // namespace WTL

#ifndef _WTL_NO_AUTOMATIC_NAMESPACE
using namespace WTL;
#endif
