// The row copies of the message list: what a row shows and sorts by, the images chosen by the flags, and
// the fill's SQL.
#pragma once

#include <windows.h>

#include <atlstr.h>

#include "store/EmailsTable.h"

// Positions in the list's image list, in the order the bitmaps are added.
enum
{
    IMAGE_SORT_UP = 0,        // 148
    IMAGE_SORT_DOWN = 1,      // 149
    IMAGE_CLIP_HEADER = 2,    // 206
    IMAGE_CLIP = 3,           // 208
    IMAGE_BLANK = 4,          // 207
    IMAGE_UNREAD = 5,         // 214
    IMAGE_READ = 6,           // 215
    IMAGE_FLAG_04 = 7,        // 218
    IMAGE_UNREAD_NOBODY = 8,  // 296
    IMAGE_FLAG_80 = 9,        // 297
    IMAGE_HIGH_PRIORITY = 10, // 222
    IMAGE_LOW_PRIORITY = 11,  // 223
    IMAGE_PRIORITY_HEADER = 12, // 224
    IMAGE_COUNT = 13
};

// Column types of the list.
enum
{
    COLUMN_PRIORITY = 0,
    COLUMN_ATTACHMENT = 1,
    COLUMN_FROM = 2,
    COLUMN_SUBJECT = 3,
    COLUMN_SENT = 4,
    COLUMN_FOLDER = 5
};

// A row copy: the columns the list shows and compares, never the Message stream.
struct CMessageRow
{
    LONG nEmailsID = 0;
    DATE emDate = 0;
    LONG nFolderID = 0;
    LONG nFlags = 0;
    LONG nAccountID = 0;
    BYTE nEncode = 0;
    CString strRef;
    CString strSubject;
    CString strUniqueID;

    bool IsUnread() const { return (nFlags & EMAIL_FLAG_BODY_PRESENT) == 0 && (nFlags & EMAIL_FLAG_UNREAD) != 0; }
    bool IsNoBody() const { return (nFlags & EMAIL_FLAG_BODY_PRESENT) == 0 && (nFlags & EMAIL_FLAG_NO_BODY) != 0; }
};

CMessageRow MakeMessageRow(const CEmailsRecord& record);

// The image of the From column while filling: 0x80, then 0x04, then unread (without or with body), else read.
int FromImage(const CMessageRow& row);
// The image the refresh after a flag change sets: 0x80, unread, 0x04, else read.
int RefreshedFromImage(const CMessageRow& row);
int PriorityImage(LONG nFlags);

// Ascending order of one column type; a zero bAscending reverses it.
int CompareMessageRows(const CMessageRow& a, const CMessageRow& b, LONG nType, BOOL bAscending);

// The fill's SELECT for a folder: no condition for Type 8 (All Emails), the caller's WHERE text when given.
CString BuildFillQuery(LONG nFolderID, LONG nFolderType, const CString& strWhere, BOOL bOrderByDate);
// Where a page of the fill ends: the next page starts after this row in the fill's order.
struct CFillKey
{
    bool bAny = false;
    LONG nEmailsID = 0;
    DATE emDate = 0;
    bool bDateNull = false;
};
// One page of the fill: the rows after the key in the fill's order, at most nLimit of them (0: all). Equal
// dates are ordered by EmailsID, newest first, so pages never split a run of equal dates differently.
// strWhere: empty or a condition of this module's own (the account view), never a caller's query.
CString BuildFillPageQuery(LONG nFolderID, LONG nFolderType, const CString& strWhere, BOOL bOrderByDate,
                           const CFillKey& after, int nLimit);
// The per-account view of a system folder: each message once, however many of its recipients match.
CString BuildAccountViewWhere(LONG nFolderID, const CString& strAddress);
