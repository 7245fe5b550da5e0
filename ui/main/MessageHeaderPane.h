// The header lines above the preview's body: From, To, Cc and Subject of the selected message, painted in
// its charset.
#pragma once

#include <windows.h>

#include <atlstr.h>
#include <atlwin.h>

#include "store/EmailsImpl.h"

class CMessageHeaderPane : public CWindowImpl<CMessageHeaderPane>
{
public:
    DECLARE_WND_CLASS_EX("LetrovaMessageHeaderPane", CS_HREDRAW | CS_VREDRAW, COLOR_BTNFACE)

    BEGIN_MSG_MAP(CMessageHeaderPane)
        MESSAGE_HANDLER(WM_PAINT, OnPaint)
    END_MSG_MAP()

    // The longest To value painted; a longer one keeps its first kMaxTo - 1 characters.
    static const int kMaxTo = 512;

    // Takes the header of the message at the store's current row and repaints at once.
    void SetMessage(CEmailsImpl<>& message);
    // The same from values already read (the undecoded header texts).
    void SetHeader(const CString& strCharset, const CString& strFrom, const CString& strTo, const CString& strCc,
                   const CString& strSubject, LONG nFlags);

    // The string of the To label: a message sent to each recipient on its own says so.
    UINT ToLabelId() const;
    // The height of one header line in the bold font.
    int LineHeight() const;

    LRESULT OnPaint(UINT, WPARAM, LPARAM, BOOL&);

    HFONT m_hFontBold = NULL;   // owned by the header area
    HFONT m_hFontNormal = NULL; // owned by the header area
    CString m_strCharset, m_strFrom, m_strTo, m_strCc, m_strSubject;
    bool m_bIndividually = false;

private:
    void DrawLabel(HDC hDC, RECT& rc, UINT nID);
    void DrawValue(HDC hDC, RECT& rc, const CString& strValue);
};
