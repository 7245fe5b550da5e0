// The arithmetic and texts of the message view dialog that need no window: the layout of its panes, the To
// page and the choice of the neighbouring message file.
#pragma once

#include <windows.h>

#include <atlstr.h>

#include <vector>

namespace MessageViewLayout
{
const int kHeaderWithCc = 82;
const int kHeaderWithoutCc = 66;
const int kToLeft = 90;
const int kToTop = 35;
const int kToHeight = 16;
const int kWideToHeight = 48;
const int kRightMargin = 10;
const int kToRightMargin = 100;
const int kBodyGap = 5;

// The height of the painted header band.
int HeaderHeight(bool bCc, bool bWideTo);
// The To pane in a dialog nWidth wide; its width is what the paint handler compares the To text with.
RECT ToPaneRect(int nWidth, bool bWideTo);
// The To text is wider than its pane once the pane's vertical scroll bar is taken off.
bool IsToWide(int nTextWidth, int nToPaneWidth, int nScrollBarWidth);
// The body pane below the attachment list (nListBottom, or -1 when the list is hidden).
RECT BodyPaneRect(int nWidth, int nHeight, int nHeader, int nListBottom);
} // namespace MessageViewLayout

namespace MessageViewPage
{
// Six hexadecimal digits, two each for red, green and blue.
CString ColourHex(COLORREF colour);
// The To header as page text: encoded words decoded into UTF-8, markup escaped, addresses and URLs linked.
CString ToLineHtml(const CString& strTo);
// The page the To pane shows, its text in the font (face and em height in pixels) of the painted values.
CString BuildToPage(const CString& strColourHex, const CString& strToHtml, const CString& strFontFace,
                    int nFontPixels);
// A file name (with its leading backslash) of the temporary "HTML" folder that no other window of the
// process uses: "\To-<n>.htm" for pszStem "To".
CString UniqueFileName(const char* pszStem);
} // namespace MessageViewPage

namespace MessageFileSteps
{
// The ".eml" names of the folder sorted without regard to case: the listing order of a file system is no
// order at all under every system.
void SortNames(std::vector<CString>& names);
// Index into keys of the file to open from nCurrent (an index into keys, -1 when the current file is not
// among them): the one before or after; Next on the last gives the last again; -1 for nothing to open.
int Neighbour(int nCount, int nCurrent, bool bNext);
} // namespace MessageFileSteps
