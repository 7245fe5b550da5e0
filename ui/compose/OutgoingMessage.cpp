// Sending from the compose window: building and storing the outgoing message.
#include "ui/compose/OutgoingMessage.h"

#include <ctype.h>
#include <objbase.h>
#include <stdlib.h>

#include <vector>

#include "app/ManagerCommands.h"
#include "content/AddressList.h"
#include "content/CharsetDecoder.h"
#include "content/EncodedWord.h"
#include "content/TransferEncoding.h"
#include "foundation/ErrorUtil.h"
#include "foundation/File.h"
#include "foundation/FileException.h"
#include "foundation/Paths.h"
#include "foundation/RegExp.h"
#include "foundation/TextServices.h"
#include "store/AccountsTable.h"
#include "store/EmailsImpl.h"
#include "store/Folders.h"
#include "store/TableSchema.h"
#include "ui/compose/ComposeStandIns.h"
#include "ui/compose/ComposeTexts.h"

namespace
{
LONG s_nUpdatedEmailsID = 0;
LONG s_nUpdatedFlags = 0;

const int kMaxSubject = 254;
const DWORD kHandOverWait = 5000;

LONG FileLength(const CString& strPath)
{
    CFile file(strPath, CFile::modeRead | CFile::shareDenyNone);
    LONG nLength = (LONG)file.GetLength();
    file.Close();
    return nLength;
}

// True for a source the sender's computer must supply: a file: URL or a path without a scheme (a drive
// letter is no scheme).
bool IsLocalImageSource(const CString& strSource)
{
    CString strUpper = strSource;
    strUpper.MakeUpper();
    if (strUpper.Left(5) == "FILE:")
        return true;
    int nColon = strSource.Find(':');
    if (nColon < 2)
        return true;
    for (int i = 0; i < nColon; i++)
    {
        char c = strSource[i];
        if (!isalnum((unsigned char)c) && c != '+' && c != '-' && c != '.')
            return true;
    }
    return false;
}

// The local path of a file: URL or a path.
CString LocalImagePath(const CString& strSource)
{
    CString strUpper = strSource;
    strUpper.MakeUpper();
    if (strUpper.Left(5) != "FILE:")
        return strSource;
    CString strPath = strSource.Mid(strUpper.Left(7) == "FILE://" ? 7 : 5);
    // "file:///C:/x" names C:/x; a host before the path makes a UNC name.
    if (strPath.GetLength() > 2 && strPath[0] == '/' && strPath[2] == ':')
        strPath = strPath.Mid(1);
    CString strDecoded;
    for (int i = 0; i < strPath.GetLength(); i++)
    {
        if (strPath[i] == '%' && i + 2 < strPath.GetLength() && isxdigit((unsigned char)strPath[i + 1]) &&
            isxdigit((unsigned char)strPath[i + 2]))
        {
            strDecoded += (char)strtol(strPath.Mid(i + 1, 2), NULL, 16);
            i += 2;
        }
        else
            strDecoded += strPath[i];
    }
    strDecoded.Replace('/', '\\');
    return strDecoded;
}

// Each "<?xml ... />" instruction up to its own "/>".
void CutXmlInstructions(CString& strHtml)
{
    CString strUpper = strHtml;
    strUpper.MakeUpper();
    CString strOut;
    int nFrom = 0;
    for (;;)
    {
        int nStart = strUpper.Find("<?XML", nFrom);
        int nEnd = nStart < 0 ? -1 : strUpper.Find("/>", nStart);
        if (nEnd < 0)
            break;
        strOut += strHtml.Mid(nFrom, nStart - nFrom);
        nFrom = nEnd + 2;
    }
    strHtml = strOut + strHtml.Mid(nFrom);
}
} // namespace

void SetUpdatedMessageFlags(LONG nEmailsID, LONG nFlags)
{
    s_nUpdatedEmailsID = nEmailsID;
    s_nUpdatedFlags = nFlags;
}

void GetUpdatedMessageFlags(LONG& nEmailsID, LONG& nFlags)
{
    nEmailsID = s_nUpdatedEmailsID;
    nFlags = s_nUpdatedFlags;
}

CString MakeContentId()
{
    GUID guid;
    CoCreateGuid(&guid);
    CString strId;
    strId.Format("%08lX-%04X-%04x-%02X%02X-%02X%02X%02X%02X%02X%02X", (unsigned long)guid.Data1, guid.Data2,
                 guid.Data3, guid.Data4[0], guid.Data4[1], guid.Data4[2], guid.Data4[3], guid.Data4[4],
                 guid.Data4[5], guid.Data4[6], guid.Data4[7]);
    return strId;
}

bool PrepareHtmlBody(CString& strHtml, const CString& strCharset, CSmtpMessage& message, HWND hOwner)
{
    CRegExp image("^(.*<IMG .*src=\")([^\"]*)(\"[^>]*>.*)", true);
    CString strRest = strHtml;
    CString strTail;
    CCharsetDecoder decoder(strCharset);
    while (image.Match(strRest))
    {
        CString strBefore = image.GetSubString(1);
        CString strSource = image.GetSubString(2);
        CString strAfter = image.GetSubString(3);
        CString strLocal = decoder.Decode(strSource);
        if (IsLocalImageSource(strLocal))
        {
            CString strPath = LocalImagePath(strLocal);
            CString strId = MakeContentId();
            LONG nLength = FileLength(strPath);
            if (nLength == 0)
            {
                CString strText;
                strText.Format(ComposeText::kInlineImageEmpty, (const char*)strPath);
                AppMessageBox(strText, MB_ICONSTOP, hOwner);
                return false;
            }
            char szFull[MAX_PATH * 2] = "";
            GetFullPathNameA(strPath, sizeof(szFull), szFull, NULL);
            CSmtpAttachment attachment(szFull, GetPathFileNameExt(szFull), 1);
            attachment.m_strContentId = strId;
            message.m_Attachments.push_back(attachment);
            strSource = "cid:" + strId;
        }
        strTail = strSource + strAfter + strTail;
        strRest = strBefore;
    }
    strHtml = strRest + strTail;
    CutXmlInstructions(strHtml);
    return true;
}

bool COutgoingMessage::AddRecipients(const CString& strText, std::vector<CSmtpContentType>& list,
                                     bool& bCancelled)
{
    int bOk = 1;
    CString strResolved = ResolveRecipients(strText, bOk, m_target.hOwner);
    if (!bOk)
    {
        bCancelled = true;
        return false;
    }
    std::vector<CString> entries;
    ParseAddressList(strResolved, entries, ';');
    // From the last entry to the first, as the list is read from its end.
    for (size_t i = entries.size(); i-- > 0;)
    {
        CString strName, strAddress;
        SplitAddress(entries[i], strName, strAddress);
        if (strAddress.IsEmpty())
            continue;
        // Names are encoded once, when the message is built.
        list.push_back(CSmtpContentType(strAddress, DecodeEncodedWord(strName)));
    }
    return !list.empty();
}

LONG COutgoingMessage::StoreMessage(int nFolderType, BOOL bIndividual)
{
    HWND hOwner = m_target.hOwner;
    CString strBody;
    bool bHtml = m_fields.IsHtmlEditing();
    if (bHtml)
        strBody = m_fields.m_strHtmlDocument;
    else
    {
        strBody = m_fields.m_strPlainBody;
        // A koi8-r body typed here is in the system code page: it is labelled so.
        if (m_fields.m_strCharset.CompareNoCase("koi8-r") == 0)
            m_fields.m_strCharset = "windows-1251";
    }
    CString strTo = m_fields.m_bToReadOnly ? m_fields.m_strAddressList : m_fields.m_strTo;

    CSmtpMessage message;
    {
        CAccountsTable accounts(m_target.pLocalSession, NULL);
        accounts.m_ID = m_fields.m_nAccountID;
        accounts.Open(hOwner, "Accounts", CString(CAccountsTable::DefaultSelect()) + " WHERE ID = ?");
        if (accounts.MoveFirst() != S_OK)
            throw ComposeText::kInvalidAccount;
        message.m_From = CSmtpContentType(accounts.m_szEmailAddress, accounts.m_szDisplayName);
    }

    bool bCancelled = false;
    if (!AddRecipients(strTo, message.m_To, bCancelled))
    {
        if (!bCancelled)
            AppMessageBox(ComposeText::kNoRecipients, MB_ICONSTOP, hOwner);
        return 0;
    }
    AddRecipients(m_fields.m_strCc, message.m_Cc, bCancelled);
    if (!bCancelled)
        AddRecipients(m_fields.m_strBcc, message.m_Bcc, bCancelled);
    if (bCancelled)
        return 0;

    if (m_fields.m_strSubject.GetLength() > kMaxSubject)
    {
        CString strText;
        strText.Format(ComposeText::kFieldTooLarge, ComposeText::kSubjectLabel, kMaxSubject);
        AppMessageBox(strText, MB_ICONINFORMATION, hOwner);
        return 0;
    }
    if (m_fields.m_strSubject.IsEmpty() &&
        AppMessageBox(ComposeText::kNoSubject, MB_OKCANCEL | MB_ICONSTOP, hOwner) == IDCANCEL)
        return 0;
    message.m_strSubject = EncodeHeaderWord(m_fields.m_strSubject);

    if (!m_fields.m_strAlternativeText.IsEmpty())
    {
        CCharsetDecoder decoder(m_fields.m_strCharset);
        message.m_BodyParts.push_back(
            CSmtpBodyPart(decoder.Encode(m_fields.m_strAlternativeText), "text/plain", m_fields.m_strCharset));
    }
    if (bHtml)
    {
        if (!PrepareHtmlBody(strBody, m_fields.m_strCharset, message, hOwner))
            return 0;
        message.m_BodyParts.push_back(CSmtpBodyPart(strBody, "text/html", m_fields.m_strCharset));
    }
    else
        message.m_BodyParts.push_back(CSmtpBodyPart(strBody, "text/plain", m_fields.m_strCharset));

    std::vector<CStoredAttachment> stored;
    for (const CComposeAttachment& attachment : m_fields.m_attachments)
    {
        CString strPath = attachment.GetPath();
        LONG nLength = FileLength(strPath);
        if (nLength == 0)
        {
            CString strText;
            strText.Format(ComposeText::kAttachmentEmpty, (const char*)strPath);
            if (AppMessageBox(strText, MB_YESNO | MB_ICONQUESTION, hOwner) != IDYES)
                return 0;
            continue;
        }
        message.m_Attachments.push_back(CSmtpAttachment(strPath, attachment.m_strName));
        stored.push_back({attachment.m_strName, nLength, false});
    }
    CString strVcard;
    if (m_target.bIncludeBusinessCard && WriteOwnVcard(m_target.pLocalSession, m_target.nBusinessCardID, strVcard))
    {
        CString strName = GetPathFileNameExt(strVcard);
        message.m_Attachments.push_back(CSmtpAttachment(strVcard, strName));
        stored.push_back({strName, FileLength(strVcard), false});
    }

    message.m_nPriority = m_fields.m_nPriority;
    message.m_nReadReceipt = m_fields.m_bReadReceipt;
    CString strMime;
    BOOL bBuilt = message.BuildMime(strMime);
    if (!strVcard.IsEmpty())
        ::DeleteFileA(strVcard);
    if (!bBuilt)
        return 0;
    m_strMime = strMime;

    CFolders folders(m_target.pLocalSession);
    LONG nFolderID = folders.GetSystemFolder(nFolderType, hOwner);
    CEmailsImpl<> store(m_target.pLocalSession);
    store.Clear();
    store.m_Flags = 0;
    LONG nEmailsID = store.StoreOutgoingMessage(strMime, nFolderID, stored, hOwner, bIndividual, m_target.nMerge,
                                                m_target.nMergeContacts);

    if (m_target.hHandOverEvent != NULL)
    {
        if (::WaitForSingleObject(m_target.hHandOverEvent, kHandOverWait) == WAIT_TIMEOUT)
            ::SetEvent(m_target.hHandOverEvent);
        else
        {
            ::ResetEvent(m_target.hHandOverEvent);
            ::PostThreadMessageA(m_target.dwManagerThreadId, WM_USER, ID_ADD_MESSAGE_TO_CONTROL, nEmailsID);
        }
    }

    if (m_fields.m_nSourceID != 0)
    {
        CEmailsImpl<> source(m_target.pLocalSession);
        source.SelectByID(m_fields.m_nSourceID, hOwner);
        source.m_Flags |= 4;
        LONG nFlags = source.m_Flags;
        source.Close();
        CString strSQL;
        strSQL.Format("UPDATE Emails SET Flags = %ld WHERE EmailsID = %ld", (long)nFlags, (long)m_fields.m_nSourceID);
        ExecuteOnSession(m_target.pLocalSession, strSQL, hOwner, "ERROR: Update Emails table failed!");
        SetUpdatedMessageFlags(m_fields.m_nSourceID, nFlags);
        if (m_target.dwMainThreadId != 0)
            ::PostThreadMessageA(m_target.dwMainThreadId, WM_USER, ID_UPDATE_MESSAGE_FLAGS, 0);
    }
    return nEmailsID;
}
