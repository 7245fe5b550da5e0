// The row copies of the message list.
#include "ui/main/MessageRows.h"

#include "content/TextUtilities.h"
#include "foundation/TextServices.h"

CMessageRow MakeMessageRow(const CEmailsRecord& record)
{
    CMessageRow row;
    row.nEmailsID = record.m_EmailsID;
    row.emDate = record.m_EmDate;
    row.nFolderID = record.m_FolderID;
    row.nFlags = record.m_Flags;
    row.nAccountID = record.m_AccountID;
    row.nEncode = record.m_Encode;
    row.strRef = record.m_Ref;
    row.strSubject = record.m_Subject;
    row.strUniqueID = record.m_UniqueID;
    return row;
}

int FromImage(const CMessageRow& row)
{
    if (row.nFlags & EMAIL_FLAG_BODY_PRESENT)
        return IMAGE_FLAG_80;
    if (row.nFlags & 0x04)
        return IMAGE_FLAG_04;
    if (row.IsUnread())
        return row.IsNoBody() ? IMAGE_UNREAD_NOBODY : IMAGE_UNREAD;
    return IMAGE_READ;
}

int RefreshedFromImage(const CMessageRow& row)
{
    if (row.nFlags & EMAIL_FLAG_BODY_PRESENT)
        return IMAGE_FLAG_80;
    if (row.IsUnread())
        return IMAGE_UNREAD;
    if (row.nFlags & 0x04)
        return IMAGE_FLAG_04;
    return IMAGE_READ;
}

int PriorityImage(LONG nFlags)
{
    if (nFlags & EMAIL_FLAG_HIGH_PRIORITY)
        return IMAGE_HIGH_PRIORITY;
    if (nFlags & EMAIL_FLAG_LOW_PRIORITY)
        return IMAGE_LOW_PRIORITY;
    return IMAGE_BLANK;
}

int CompareMessageRows(const CMessageRow& a, const CMessageRow& b, LONG nType, BOOL bAscending)
{
    int n = 0;
    switch (nType)
    {
    case COLUMN_PRIORITY:
    case COLUMN_ATTACHMENT:
        n = (a.nFlags & EMAIL_FLAG_ATTACHMENTS) - (b.nFlags & EMAIL_FLAG_ATTACHMENTS);
        break;
    case COLUMN_FROM:
        n = lstrcmpiA(a.strRef, b.strRef);
        break;
    case COLUMN_SUBJECT:
        n = lstrcmpiA(a.strSubject, b.strSubject);
        break;
    case COLUMN_SENT:
        n = a.emDate < b.emDate ? -1 : (a.emDate > b.emDate ? 1 : 0);
        break;
    case COLUMN_FOLDER:
        n = a.nFolderID < b.nFolderID ? -1 : (a.nFolderID > b.nFolderID ? 1 : 0);
        break;
    }
    n = n < 0 ? -1 : (n > 0 ? 1 : 0);
    return bAscending ? n : -n;
}

CString BuildFillQuery(LONG nFolderID, LONG nFolderType, const CString& strWhere, BOOL bOrderByDate)
{
    CString strSQL = g_szEmailsSelect;
    if (!strWhere.IsEmpty())
        strSQL += strWhere;
    else if (nFolderType != 8)
    {
        CString strCondition;
        strCondition.Format(" WHERE FolderID = %ld", (long)nFolderID);
        strSQL += strCondition;
    }
    if (bOrderByDate)
        strSQL += " ORDER BY EmDate DESC";
    return strSQL;
}

CString BuildFillPageQuery(LONG nFolderID, LONG nFolderType, const CString& strWhere, BOOL bOrderByDate,
                           const CFillKey& after, int nLimit)
{
    CString strCondition = strWhere;
    strCondition.TrimLeft();
    if (strCondition.Left(5).CompareNoCase("WHERE") == 0)
        strCondition = strCondition.Mid(5);
    else if (strCondition.IsEmpty() && nFolderType != 8)
        strCondition.Format("FolderID = %ld", (long)nFolderID);
    CString strKey;
    if (after.bAny && !bOrderByDate)
        strKey.Format("Emails.EmailsID > %ld", (long)after.nEmailsID);
    else if (after.bAny && after.bDateNull)
        strKey.Format("(Emails.EmDate IS NULL AND Emails.EmailsID < %ld)", (long)after.nEmailsID);
    else if (after.bAny)
        // Dates go as round-trip text: a rounded bound would skip or repeat the rows of that date.
        strKey.Format("(Emails.EmDate < %.17g OR Emails.EmDate IS NULL OR (Emails.EmDate = %.17g AND "
                      "Emails.EmailsID < %ld))",
                      after.emDate, after.emDate, (long)after.nEmailsID);
    // A decimal comma of the C runtime's locale would end the number early.
    if (after.bAny && bOrderByDate && !after.bDateNull)
        strKey.Replace(',', '.');
    CString strSQL = g_szEmailsSelect;
    if (!strCondition.IsEmpty() && !strKey.IsEmpty())
        strSQL += " WHERE (" + strCondition + ") AND " + strKey;
    else if (!strCondition.IsEmpty() || !strKey.IsEmpty())
        strSQL += " WHERE " + strCondition + strKey;
    strSQL +=
        bOrderByDate ? " ORDER BY Emails.EmDate DESC, Emails.EmailsID DESC" : " ORDER BY Emails.EmailsID";
    if (nLimit > 0)
    {
        CString strLimit;
        strLimit.Format(" LIMIT %d", nLimit);
        strSQL += strLimit;
    }
    return strSQL;
}

CString BuildAccountViewWhere(LONG nFolderID, const CString& strAddress)
{
    const CString strLike = SqlQuote(EscapeLikeChars(strAddress));
    CString strWhere;
    strWhere.Format(" WHERE Emails.FolderId = %ld AND (Emails.Ref LIKE '%%%s%%' OR Emails.EmailsID IN (SELECT "
                    "Address.EmailID FROM Address WHERE Address.Address LIKE '%%%s%%'))",
                    (long)nFolderID, (const char*)strLike, (const char*)strLike);
    return strWhere;
}
