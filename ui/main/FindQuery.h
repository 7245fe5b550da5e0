// The WHERE text of a message search: folder (with its subfolders), sender, recipient, subject, dates and
// the attachment bit.
#pragma once

#include <windows.h>

#include <functional>
#include <vector>

#include <atlstr.h>

struct CFindCriteria
{
    LONG nFolderID = 0;
    BOOL bSubfolders = FALSE;
    CString strFrom, strTo, strSubject;
    // Whole OLE dates; 0 when the picker is unset.
    DATE sentBefore = 0, sentAfter = 0;
    BOOL bAttachment = FALSE;
};

// The children of a folder, in the order the table gives them.
typedef std::function<std::vector<LONG>(LONG nFolderID)> FolderChildren;

// The text parts are one parenthesised OR group, so a date or the attachment bit limits all of them; a
// recipient matches through a subquery, so a message with several matching recipients is listed once.
CString BuildFindWhere(const CFindCriteria& criteria, const FolderChildren& children);
