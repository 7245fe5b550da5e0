// The WHERE text of a message search.
#include "ui/main/FindQuery.h"

#include <set>

#include "foundation/TextServices.h"

namespace
{
void AppendFolders(LONG nFolderID, const FolderChildren& children, std::set<LONG>& visited, CString& strList)
{
    if (!visited.insert(nFolderID).second)
        return;
    CString strPart;
    strPart.Format(" FolderID = %ld", (long)nFolderID);
    if (!strList.IsEmpty())
        strList += " OR";
    strList += strPart;
    for (LONG nChild : children(nFolderID))
        AppendFolders(nChild, children, visited, strList);
}

void Join(CString& strText, const char* pszJoint, const CString& strPart)
{
    if (!strText.IsEmpty())
        strText += pszJoint;
    strText += strPart;
}
} // namespace

CString BuildFindWhere(const CFindCriteria& criteria, const FolderChildren& children)
{
    CString strWhere = " WHERE ";
    if (criteria.bSubfolders)
    {
        std::set<LONG> visited;
        CString strList;
        AppendFolders(criteria.nFolderID, children, visited, strList);
        strWhere += "(" + strList + ")";
    }
    else
    {
        CString strFolder;
        strFolder.Format(" FolderID = %ld", (long)criteria.nFolderID);
        strWhere += strFolder;
    }

    CString strTexts;
    if (!criteria.strFrom.IsEmpty())
        Join(strTexts, " OR ", "Emails.Ref LIKE '%" + SqlQuote(criteria.strFrom) + "%'");
    if (!criteria.strTo.IsEmpty())
    {
        const CString strTo = SqlQuote(criteria.strTo);
        Join(strTexts, " OR ",
             "(Emails.EmailsID IN (SELECT Address.EmailID FROM Address WHERE Address.Address LIKE '%" + strTo +
                 "%' OR Address.Name LIKE '%" + strTo + "%'))");
    }
    if (!criteria.strSubject.IsEmpty())
        Join(strTexts, " OR ", "Emails.Subject LIKE '%" + SqlQuote(criteria.strSubject) + "%'");

    CString strConditions;
    if (!strTexts.IsEmpty())
        strConditions = "(" + strTexts + ")";
    CString strPart;
    if (criteria.sentBefore != 0)
    {
        strPart.Format("Emails.EmDate < %ld", (long)criteria.sentBefore);
        Join(strConditions, " AND ", strPart);
    }
    if (criteria.sentAfter != 0)
    {
        strPart.Format("Emails.EmDate > %ld", (long)criteria.sentAfter);
        Join(strConditions, " AND ", strPart);
    }
    if (criteria.bAttachment)
        Join(strConditions, " AND ", "((int(Emails.Flags / 2)) * 2) <> Emails.Flags");
    if (!strConditions.IsEmpty())
        strWhere += " AND (" + strConditions + ")";
    return strWhere;
}
