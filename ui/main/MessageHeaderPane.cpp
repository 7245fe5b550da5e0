// The preview's header lines.
#include "ui/main/MessageHeaderPane.h"

#include <atlapp.h>

#include "content/EncodedWord.h"
#include "resources/resource.h"

namespace
{
const int kMargin = 5;
const int kTop = 2;
const UINT kTextFormat = DT_SINGLELINE | DT_NOPREFIX | DT_WORD_ELLIPSIS | DT_LEFT | DT_TOP;
} // namespace

void CMessageHeaderPane::SetMessage(CEmailsImpl<>& message)
{
    SetHeader(message.GetCharsetName(), message.GetHeaderField("From"), message.GetHeaderField("To"),
              message.GetHeaderField("Cc"), message.GetHeaderField("Subject"), message.m_Flags);
}

void CMessageHeaderPane::SetHeader(const CString& strCharset, const CString& strFrom, const CString& strTo,
                                   const CString& strCc, const CString& strSubject, LONG nFlags)
{
    m_strCharset = strCharset;
    m_strFrom = strFrom;
    m_strTo = strTo.GetLength() > kMaxTo ? strTo.Left(kMaxTo - 1) : strTo;
    m_strCc = strCc;
    m_strSubject = strSubject;
    m_bIndividually = (nFlags & 0x08) != 0;
    if (IsWindow())
    {
        Invalidate();
        UpdateWindow();
    }
}

UINT CMessageHeaderPane::ToLabelId() const
{
    return m_bIndividually ? IDS_HEADER_INDIVIDUALLY_TO : IDS_HEADER_TO;
}

int CMessageHeaderPane::LineHeight() const
{
    HDC hDC = ::GetDC(m_hWnd);
    HGDIOBJ hOld = ::SelectObject(hDC, m_hFontBold != NULL ? (HGDIOBJ)m_hFontBold : ::GetStockObject(DEFAULT_GUI_FONT));
    TEXTMETRICA tm = {};
    ::GetTextMetricsA(hDC, &tm);
    ::SelectObject(hDC, hOld);
    ::ReleaseDC(m_hWnd, hDC);
    return tm.tmHeight;
}

LRESULT CMessageHeaderPane::OnPaint(UINT, WPARAM, LPARAM, BOOL&)
{
    PAINTSTRUCT ps;
    HDC hDC = ::BeginPaint(m_hWnd, &ps);
    RECT rcClient;
    GetClientRect(&rcClient);
    ::FillRect(hDC, &rcClient, ::GetSysColorBrush(COLOR_BTNFACE));
    ::SetBkMode(hDC, TRANSPARENT);
    ::SetTextColor(hDC, ::GetSysColor(COLOR_BTNTEXT));
    HGDIOBJ hOld = ::SelectObject(hDC, ::GetStockObject(DEFAULT_GUI_FONT));

    const int nLine = LineHeight();
    RECT rc = {rcClient.left + kMargin, rcClient.top + kTop, rcClient.right, rcClient.top + kTop + nLine};
    DrawLabel(hDC, rc, IDS_HEADER_FROM);
    rc.left += kMargin;
    DrawValue(hDC, rc, m_strFrom);
    rc.left += kMargin;
    DrawLabel(hDC, rc, ToLabelId());
    rc.left += kMargin;
    DrawValue(hDC, rc, m_strTo);
    if (!m_strCc.IsEmpty())
    {
        rc.left += kMargin;
        DrawLabel(hDC, rc, IDS_HEADER_CC);
        rc.left += kMargin;
        DrawValue(hDC, rc, m_strCc);
    }

    rc = {rcClient.left + kMargin, rc.bottom, rcClient.right, rc.bottom + nLine};
    DrawLabel(hDC, rc, IDS_HEADER_SUBJECT);
    if (!m_strSubject.IsEmpty())
    {
        rc.left += kMargin;
        DrawValue(hDC, rc, m_strSubject);
    }
    ::SelectObject(hDC, hOld);
    ::EndPaint(m_hWnd, &ps);
    return 0;
}

void CMessageHeaderPane::DrawLabel(HDC hDC, RECT& rc, UINT nID)
{
    if (rc.left >= rc.right)
        return;
    ::SelectObject(hDC, m_hFontBold != NULL ? (HGDIOBJ)m_hFontBold : ::GetStockObject(DEFAULT_GUI_FONT));
    CString strLabel = AtlLoadString(nID);
    CTextRun::DrawAndAdvance(hDC, strLabel, strLabel.GetLength(), &rc);
}

void CMessageHeaderPane::DrawValue(HDC hDC, RECT& rc, const CString& strValue)
{
    if (rc.left >= rc.right || strValue.IsEmpty())
        return;
    ::SelectObject(hDC, m_hFontNormal != NULL ? (HGDIOBJ)m_hFontNormal : ::GetStockObject(DEFAULT_GUI_FONT));
    DecodeEncodedWord(strValue, hDC, &rc, m_strCharset, TRUE);
}
