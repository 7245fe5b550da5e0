// The Simple MAPI methods of the COM object: enumerating, reading, deleting, resolving and sending on the
// session's own databases, on the caller's thread. Records given to the caller are mapi32 blocks.
#include "app/Letrova.h"

#include <mapi.h>

#include <memory>
#include <vector>

#include "app/LetrovaGlobals.h"
#include "app/MainFrameHidden.h"
#include "app/MapiBlock.h"
#include "app/MapiTexts.h"
#include "app/ThreadManager.h"
#include "content/AddressList.h"
#include "content/CharsetDecoder.h"
#include "content/ContactLookup.h"
#include "content/EncodedWord.h"
#include "content/HtmlToText.h"
#include "content/TransferEncoding.h"
#include "foundation/ErrorUtil.h"
#include "foundation/Exception.h"
#include "foundation/File.h"
#include "foundation/FileException.h"
#include "foundation/FoundationUi.h"
#include "foundation/TextServices.h"
#include "foundation/TraceFile.h"
#include "store/AccountsTable.h"
#include "store/Folders.h"
#include "store/OLEDBException.h"
#include "transport/DlgProgress.h"
#include "transport/SmtpMessage.h"
#include "ui/compose/MainFrameNewMessage.h"

namespace
{
const int kMaxSubject = 256;

CString FromBstr(BSTR bstr)
{
    return CString(bstr != NULL ? bstr : L"");
}

CString LoadText(UINT nId)
{
    CString strText;
    strText.LoadString(nId);
    return strText;
}

// A failure inside a method: its text goes to the error-report prompt and the call gives 2, as the
// session layer reports it; the database layer has shown its own failures already.
void ReportFailure(const char* pszMethod)
{
    CString strText;
    try
    {
        throw;
    }
    catch (CException* pException)
    {
        strText = pException->m_strMessage;
        delete pException;
    }
    catch (COLEDBException* pException)
    {
        DebugTrace("CLetrova::%s: %s", pszMethod, pException->m_strMessage.GetString());
        delete pException;
        return;
    }
    catch (CFileException* pException)
    {
        char szError[255] = {};
        pException->GetErrorMessage(szError, sizeof(szError));
        strText = CString("ERROR: ") + szError;
        delete pException;
    }
    catch (const char* pszText)
    {
        strText = pszText;
    }
    catch (...)
    {
        strText.Format("Unhandled exception!!!\r\nCLetrova::%s", pszMethod);
    }
    if (IsTraceOn())
        g_pTraceFile->WriteText("\r\n" + strText);
    ShowErrorReportPrompt(strText, NULL);
}

void SetResult(LONG_PTR plResult, ULONG nResult)
{
    if (plResult != 0)
        *reinterpret_cast<ULONG*>(plResult) = nResult;
}

void FillRecipient(CMapiBlock& block, MapiRecipDesc& recipient, ULONG nClass, const CString& strEntry)
{
    CString strName, strAddress;
    SplitAddress(strEntry, strName, strAddress);
    recipient.ulRecipClass = nClass;
    recipient.lpszName = block.Copy(DecodeEncodedWord(strName));
    recipient.lpszAddress = block.Copy(DecodeEncodedWord(strAddress));
}

// The body as text: a plain alternative when there is one, else the HTML made plain.
CString NoteTextOf(CEmailsImpl<>& emails)
{
    CMimePart* pMessage = emails.GetMimeMessage();
    if (pMessage == NULL)
        return CString();
    CString strText;
    pMessage->ToHtml(strText, 1, pMessage->IsMultipart(), pMessage->IsMultipartAlternative(),
                     emails.GetCharsetName(), FALSE, TRUE);
    if (pMessage->GetBodyKind() == 2 && !pMessage->IsMultipartAlternative())
        strText = HtmlToPlainText(strText);
    return strText;
}

// The entries of a listed folder, at most nMax of them; with nMax 0 only counted.
ULONG ListFolder(const CString& strFolder, MapiFileDesc* pFiles, ULONG nMax, CMapiBlock* pBlock)
{
    WIN32_FIND_DATAA data;
    HANDLE hFind = ::FindFirstFileA(strFolder + "\\*.*", &data);
    if (hFind == INVALID_HANDLE_VALUE)
        return 0;
    ULONG nCount = 0;
    do
    {
        if (strcmp(data.cFileName, ".") == 0 || strcmp(data.cFileName, "..") == 0)
            continue;
        if (pFiles != NULL)
        {
            // The folder may have gained entries since it was counted: the array has room for the count.
            if (nCount >= nMax)
                break;
            pFiles[nCount].nPosition = static_cast<ULONG>(-1);
            pFiles[nCount].lpszPathName = pBlock->Copy(strFolder + "\\" + data.cFileName);
            pFiles[nCount].lpszFileName = pBlock->Copy(data.cFileName);
        }
        nCount++;
    } while (::FindNextFileA(hFind, &data));
    ::FindClose(hFind);
    return nCount;
}

// The length of a file to attach; -1 when it cannot be opened.
LONG AttachmentLength(const char* pszPath)
{
    try
    {
        CFile file(pszPath, CFile::modeRead | CFile::shareDenyNone);
        LONG nLength = static_cast<LONG>(file.GetLength());
        file.Close();
        return nLength;
    }
    catch (CFileException* pException)
    {
        delete pException;
        return -1;
    }
}

CString RecipientText(const MapiRecipDesc& recipient)
{
    CString strName = recipient.lpszName != NULL ? recipient.lpszName : "";
    CString strAddress = recipient.lpszAddress != NULL ? recipient.lpszAddress : "";
    CString strText;
    if (!strName.IsEmpty())
        strText = "\"" + strName + "\"";
    if (!strAddress.IsEmpty())
        strText += (strText.IsEmpty() ? "<" : " <") + strAddress + ">";
    return strText;
}
} // namespace

CLetrova::SelectRecipientsProc CLetrova::s_pfnSelectRecipients = NULL;
CLetrova::FindKnownContactProc CLetrova::s_pfnFindKnownContact = NULL;

STDMETHODIMP CLetrova::MAPIFindNext(LONG_PTR, BSTR, BSTR bstrSeedMessageID, long flFlags,
                                    LONG_PTR lpszMessageID)
{
    try
    {
        char* pszMessageID = reinterpret_cast<char*>(lpszMessageID);
        if (pszMessageID == NULL)
            return E_POINTER;
        CEmailsImpl<>& emails = m_database.m_Local.m_Emails;
        if (FromBstr(bstrSeedMessageID).IsEmpty())
        {
            emails.Close();
            emails.Clear();
            CFolders folders(&m_database.m_Local.m_session);
            LONG nInbox = folders.GetSystemFolder(FOLDER_INBOX, NULL);
            CString strSQL = CString(g_szEmailsSelect) + " WHERE FolderID = ?";
            if ((flFlags & MAPI_GUARANTEE_FIFO) != 0)
                strSQL += " ORDER BY EmDate";
            emails.m_FolderID = nInbox;
            emails.Open(NULL, "Emails", strSQL);
            m_bMapiEnumerating = true;
        }
        else if (!m_bMapiEnumerating)
            return S_FALSE;
        const int nLimit = (flFlags & MAPI_LONG_MSGID) != 0 ? 512 : 64;
        while (emails.MoveNext(0, 0) == S_OK)
        {
            if ((flFlags & MAPI_UNREAD_ONLY) != 0 && !emails.IsUnread())
                continue;
            CString strID;
            strID.Format("%ld", static_cast<long>(emails.m_EmailsID));
            if (strID.GetLength() >= nLimit)
                strID = strID.Left(nLimit - 1);
            strcpy(pszMessageID, strID);
            return S_OK;
        }
        return S_FALSE;
    }
    catch (...)
    {
        ReportFailure("MAPIFindNext");
    }
    return E_FAIL;
}

STDMETHODIMP CLetrova::MAPIReadMail(LONG_PTR, BSTR bstrMessageID, long flFlags, LONG_PTR lppMessage,
                                    LONG_PTR plResult)
{
    try
    {
        MapiMessage** ppMessage = reinterpret_cast<MapiMessage**>(lppMessage);
        if (ppMessage == NULL)
        {
            SetResult(plResult, MAPI_E_FAILURE);
            return S_OK;
        }
        *ppMessage = NULL;
        const bool bEnvelope = (flFlags & MAPI_ENVELOPE_ONLY) != 0;
        LONG nID = atol(FromBstr(bstrMessageID));
        CEmailsImpl<>& emails = m_database.m_Local.m_Emails;
        if (!(bEnvelope && nID == emails.m_EmailsID && nID != 0))
        {
            emails.SelectByID(nID, NULL);
            m_bMapiEnumerating = true;
        }
        emails.LoadMessage();

        CMapiBlock block(sizeof(MapiMessage));
        MapiMessage* pMessage = static_cast<MapiMessage*>(block.Root());
        pMessage->lpszSubject = block.Copy(DecodeEncodedWord(emails.m_Subject));
        pMessage->lpszMessageType = block.Copy("");
        pMessage->lpszConversationID = block.Copy("");
        SYSTEMTIME st = {};
        ::VariantTimeToSystemTime(emails.m_EmDate, &st);
        CString strDate;
        strDate.Format("%04d/%02d/%02d %02d:%02d", st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute);
        pMessage->lpszDateReceived = block.Copy(strDate);
        const bool bUnread = emails.IsUnread();
        if (!emails.GetHeaderField("Disposition-Notification-To").IsEmpty())
            pMessage->flFlags |= MAPI_RECEIPT_REQUESTED;
        if (bUnread)
            pMessage->flFlags |= MAPI_UNREAD;

        pMessage->lpOriginator = static_cast<MapiRecipDesc*>(block.More(sizeof(MapiRecipDesc)));
        CString strRef = emails.m_Ref;
        if (!strRef.IsEmpty())
            FillRecipient(block, *pMessage->lpOriginator, MAPI_ORIG, DecodeEncodedWord(strRef));
        else
        {
            pMessage->lpOriginator->lpszName = block.Copy("");
            pMessage->lpOriginator->lpszAddress = block.Copy("");
        }

        const char* fields[] = {"To", "Cc", "Bcc"};
        std::vector<std::pair<ULONG, CString>> recipients;
        for (ULONG nClass = MAPI_TO; nClass <= MAPI_BCC; nClass++)
        {
            std::vector<CString> entries;
            ParseAddressList(DecodeEncodedWord(emails.GetHeaderField(fields[nClass - 1])), entries, ',');
            for (const CString& strEntry : entries)
                recipients.push_back(std::make_pair(nClass, strEntry));
        }
        if (!recipients.empty())
        {
            pMessage->nRecipCount = static_cast<ULONG>(recipients.size());
            const ULONG cbRecips = static_cast<ULONG>(sizeof(MapiRecipDesc) * recipients.size());
            pMessage->lpRecips = static_cast<MapiRecipDesc*>(block.More(cbRecips));
            for (size_t i = 0; i < recipients.size(); i++)
                FillRecipient(block, pMessage->lpRecips[i], recipients[i].first, recipients[i].second);
        }

        if ((emails.m_Flags & EMAIL_FLAG_ATTACHMENTS) != 0)
        {
            if (bEnvelope)
            {
                // The count says there are files; the one record says nothing of them and nothing is written.
                pMessage->nFileCount = 1;
                pMessage->lpFiles = static_cast<MapiFileDesc*>(block.More(sizeof(MapiFileDesc)));
                pMessage->lpFiles->nPosition = static_cast<ULONG>(-1);
                pMessage->lpFiles->lpszPathName = block.Copy("");
                pMessage->lpFiles->lpszFileName = block.Copy("");
            }
            else
            {
                CString strFolder = emails.SaveMessageToTempFile();
                if (strFolder.Right(1) == "\\")
                    strFolder = strFolder.Left(strFolder.GetLength() - 1);
                ULONG nCount = ListFolder(strFolder, NULL, 0, NULL);
                if (nCount > 0)
                {
                    const ULONG cbFiles = static_cast<ULONG>(sizeof(MapiFileDesc) * nCount);
                    pMessage->lpFiles = static_cast<MapiFileDesc*>(block.More(cbFiles));
                    pMessage->nFileCount = ListFolder(strFolder, pMessage->lpFiles, nCount, &block);
                }
            }
        }

        if (!bEnvelope)
        {
            m_strNoteText = NoteTextOf(emails);
            pMessage->lpszNoteText = block.Copy(m_strNoteText);
        }
        if ((flFlags & MAPI_PEEK) == 0 && bUnread)
        {
            emails.m_Flags &= ~EMAIL_FLAG_UNREAD;
            emails.UpdateFlags(&m_database.m_Local, NULL);
        }
        *ppMessage = static_cast<MapiMessage*>(block.Detach());
        SetResult(plResult, SUCCESS_SUCCESS);
    }
    catch (...)
    {
        ReportFailure("MAPIReadMail");
        SetResult(plResult, MAPI_E_FAILURE);
    }
    return S_OK;
}

STDMETHODIMP CLetrova::MAPIAddress(LONG_PTR ulUIParam, BSTR bstrCaption, long nEditFields, BSTR bstrLabels,
                                   long nRecips, LONG_PTR lpRecips, long, LONG_PTR lpnNewRecips,
                                   LONG_PTR lppNewRecips, LONG_PTR plResult)
{
    try
    {
        ULONG* pnNewRecips = reinterpret_cast<ULONG*>(lpnNewRecips);
        MapiRecipDesc** ppNewRecips = reinterpret_cast<MapiRecipDesc**>(lppNewRecips);
        if (pnNewRecips == NULL || ppNewRecips == NULL)
        {
            SetResult(plResult, MAPI_E_FAILURE);
            return S_OK;
        }
        *pnNewRecips = 0;
        *ppNewRecips = NULL;
        CString strCaption = FromBstr(bstrCaption);
        if (strCaption.IsEmpty())
            strCaption = LoadText(IDS_ADDRESS_BOOK);
        CString strLabel = nEditFields == 1 ? FromBstr(bstrLabels) : CString();

        CString texts[3];
        const MapiRecipDesc* pGiven = reinterpret_cast<const MapiRecipDesc*>(lpRecips);
        for (long i = 0; pGiven != NULL && i < nRecips; i++)
        {
            ULONG nClass = pGiven[i].ulRecipClass;
            if (nClass > MAPI_BCC)
                continue;
            CString& strText = texts[nClass == MAPI_ORIG ? 0 : nClass - 1];
            if (!strText.IsEmpty())
                strText += "; ";
            strText += RecipientText(pGiven[i]);
        }
        int nFields = nEditFields < 0 ? 0 : static_cast<int>(nEditFields);
        for (int i = 2; i >= 0; i--)
        {
            if (!texts[i].IsEmpty() && nFields < i + 1)
                nFields = i + 1;
        }
        CString* shown[3] = {NULL, NULL, NULL};
        for (int i = 0; i < 3 && nFields >= 1 && nFields <= 3; i++)
            shown[i] = i < nFields ? &texts[i] : NULL;

        INT_PTR nAnswer = IDCANCEL;
        {
            CHiddenFrameHolder frame(this, ulUIParam);
            if (s_pfnSelectRecipients == NULL)
                throw new CException(MapiText::kNoRecipientPicker);
            nAnswer =
                s_pfnSelectRecipients(frame.Window(), strCaption, strLabel, shown[0], shown[1], shown[2]);
        }
        if (nAnswer != IDOK)
        {
            SetResult(plResult, MAPI_USER_ABORT);
            return S_OK;
        }
        std::vector<std::pair<ULONG, CString>> chosen;
        for (ULONG nClass = MAPI_TO; nClass <= MAPI_BCC; nClass++)
        {
            std::vector<CString> entries;
            ParseAddressList(texts[nClass - 1], entries, ';');
            for (const CString& strEntry : entries)
                chosen.push_back(std::make_pair(nClass, strEntry));
        }
        if (!chosen.empty())
        {
            CMapiBlock block(static_cast<ULONG>(sizeof(MapiRecipDesc) * chosen.size()));
            MapiRecipDesc* pRecips = static_cast<MapiRecipDesc*>(block.Root());
            for (size_t i = 0; i < chosen.size(); i++)
            {
                CString strName, strAddress;
                SplitAddress(chosen[i].second, strName, strAddress);
                pRecips[i].ulRecipClass = chosen[i].first;
                pRecips[i].lpszName = block.Copy(strName);
                pRecips[i].lpszAddress = block.Copy(strAddress);
            }
            *ppNewRecips = static_cast<MapiRecipDesc*>(block.Detach());
            *pnNewRecips = static_cast<ULONG>(chosen.size());
        }
        SetResult(plResult, SUCCESS_SUCCESS);
    }
    catch (...)
    {
        ReportFailure("MAPIAddress");
        SetResult(plResult, MAPI_E_FAILURE);
    }
    return S_OK;
}

STDMETHODIMP CLetrova::MAPIResolveName(LONG_PTR ulUIParam, BSTR bstrName, long flFlags, LONG_PTR lppRecip,
                                       LONG_PTR plResult)
{
    try
    {
        MapiRecipDesc** ppRecip = reinterpret_cast<MapiRecipDesc**>(lppRecip);
        if (ppRecip == NULL)
        {
            SetResult(plResult, MAPI_E_FAILURE);
            return S_OK;
        }
        *ppRecip = NULL;
        CString strName = FromBstr(bstrName);
        // Check Names asks the user when the name is unknown or ambiguous: only a caller that allowed a
        // dialog gets it; any other would wait on a window it never asked for, and gets the known contacts.
        FindContactsByNameProc pfnFind =
            (flFlags & MAPI_DIALOG) != 0 ? GetFindContactsByNameProc() : s_pfnFindKnownContact;
        if (strName.IsEmpty() || pfnFind == NULL)
        {
            SetResult(plResult, MAPI_E_FAILURE);
            return S_OK;
        }
        {
            CHiddenFrameHolder frame(this, ulUIParam);
            if (pfnFind(strName, frame.Window()) == 0 || strName.IsEmpty())
            {
                SetResult(plResult, MAPI_E_FAILURE);
                return S_OK;
            }
        }
        CString strDisplay, strAddress;
        SplitAddress(strName, strDisplay, strAddress);
        if (strDisplay.IsEmpty())
            strDisplay = strAddress;
        CMapiBlock block(sizeof(MapiRecipDesc));
        MapiRecipDesc* pRecip = static_cast<MapiRecipDesc*>(block.Root());
        pRecip->ulRecipClass = MAPI_TO;
        pRecip->lpszName = block.Copy(strDisplay);
        pRecip->lpszAddress = block.Copy(strAddress);
        *ppRecip = static_cast<MapiRecipDesc*>(block.Detach());
        SetResult(plResult, SUCCESS_SUCCESS);
    }
    catch (...)
    {
        ReportFailure("MAPIResolveName");
        SetResult(plResult, MAPI_E_FAILURE);
    }
    return S_OK;
}

STDMETHODIMP CLetrova::MAPIDeleteMail(LONG_PTR ulUIParam, BSTR bstrMessageID, long, LONG_PTR plResult)
{
    try
    {
        CHiddenFrameHolder frame(this, ulUIParam);
        LONG nID = atol(FromBstr(bstrMessageID));
        CEmailsImpl<> emails(&m_database.m_Local.m_session);
        emails.SelectByID(nID, NULL);
        CFolders folders(&m_database.m_Local.m_session);
        emails.MoveToFolder(NULL, folders.GetSystemFolder(FOLDER_DELETED_ITEMS, NULL));
        SetResult(plResult, SUCCESS_SUCCESS);
    }
    catch (...)
    {
        ReportFailure("MAPIDeleteMail");
        SetResult(plResult, MAPI_E_FAILURE);
    }
    return S_OK;
}

STDMETHODIMP CLetrova::MAPISendMail(LONG_PTR ulUIParam, LONG_PTR lpMessage, long flFlags, LONG_PTR plResult)
{
    try
    {
        m_strNoteText.Empty();
        MapiMessage* pMessage = reinterpret_cast<MapiMessage*>(lpMessage);
        if (pMessage == NULL)
        {
            SetResult(plResult, MAPI_E_FAILURE);
            return S_OK;
        }
        if ((flFlags & MAPI_DIALOG) != 0)
        {
            SetResult(plResult, SendWithDialog(pMessage));
            return S_OK;
        }
        SetResult(plResult, SendWithoutDialog(reinterpret_cast<HWND>(ulUIParam), *pMessage));
    }
    catch (...)
    {
        ReportFailure("MAPISendMail");
        SetResult(plResult, MAPI_E_FAILURE);
    }
    return S_OK;
}

namespace
{
void TraceText(const char* pszText)
{
    if (IsTraceOn())
        g_pTraceFile->WriteText(pszText);
}

// The calling thread's loop for the compose window: its own, or the one the thread already runs (a window
// thread of this library), which then runs once more inside itself until the window is gone.
class CCallerLoop
{
public:
    CCallerLoop() : m_bAdded(_Module.AddMessageLoop(&m_loop) != FALSE) {}
    ~CCallerLoop()
    {
        if (m_bAdded)
            _Module.RemoveMessageLoop();
    }
    // The exit code of the WM_QUIT that ended it.
    int Run()
    {
        CMessageLoop* pLoop = _Module.GetMessageLoop();
        return pLoop != NULL ? pLoop->Run() : 0;
    }

private:
    CMessageLoop m_loop;
    bool m_bAdded;
};

// The editor is an OLE control: the caller's thread may not have initialised OLE.
class COleOnThread
{
public:
    COleOnThread() : m_bInitialized(SUCCEEDED(::OleInitialize(NULL))) {}
    ~COleOnThread()
    {
        if (m_bInitialized)
            ::OleUninitialize();
    }

private:
    bool m_bInitialized;
};
} // namespace

ULONG CLetrova::SendWithDialog(MapiMessage* pMessage)
{
    COleOnThread ole;
    CCallerLoop loop;
    CNewMessageArgs args;
    args.pMapiMessage = pMessage;
    // A client running in this process sends the Outbox when the window asks it to.
    DWORD dwManagerThreadId = s_bManagerFinished ? 0 : g_dwManagerThreadId;
    CMainFrameNewMessage frame(&m_database, &m_registry, dwManagerThreadId, args);
    if (frame.CreateEx() == NULL)
    {
        DebugTrace("New Message window creation failed!\n");
        return MAPI_E_FAILURE;
    }
    frame.ShowWindow(SW_SHOW);
    ::SetForegroundWindow(frame.m_hWnd);
    TraceText("\r\nBegin of the New Message window loop");
    int nExitCode = loop.Run();
    TraceText("\r\nEnd of the New Message window loop");
    if (frame.IsWindow())
    {
        // The caller's own WM_QUIT ended the loop: the window goes (its object is about to) and the quit
        // is handed back to the caller's loop in place of the one the window posts as it goes.
        frame.DestroyWindow();
        MSG msg;
        ::PeekMessageA(&msg, NULL, WM_QUIT, WM_QUIT, PM_REMOVE);
        ::PostQuitMessage(nExitCode);
    }
    // With no client to hand it to, a sent message would wait in the Outbox until the client next runs;
    // the caller expects it gone, as a send without the window is.
    if (frame.m_dialog.m_bSent && dwManagerThreadId == 0)
    {
        CDlgProgress progress(&m_database, frame.m_dialog.m_fields.m_nAccountID, NULL, ::GetCurrentThreadId(), 0);
        progress.DoModal(NULL);
    }
    return SUCCESS_SUCCESS;
}

ULONG CLetrova::SendWithoutDialog(HWND hWndParent, const MapiMessage& message)
{
    CHiddenFrameHolder frame(this, reinterpret_cast<LONG_PTR>(hWndParent));
    CSession* pSession = &m_database.m_Local.m_session;

    CSmtpMessage smtp;
    LONG nAccountID = 0;
    {
        CAccountsImpl accounts(pSession);
        if (!accounts.SelectDefaultAccount(NULL))
        {
            AppMessageBox(MapiText::kNoAccount, MB_ICONSTOP, NULL);
            return MAPI_E_FAILURE;
        }
        nAccountID = accounts.m_Accounts.m_ID;
        // The builder encodes display names itself.
        smtp.m_From =
            CSmtpContentType(accounts.m_Accounts.m_szEmailAddress, accounts.m_Accounts.m_szDisplayName);
    }

    for (ULONG i = 0; message.lpRecips != NULL && i < message.nRecipCount; i++)
    {
        const MapiRecipDesc& recipient = message.lpRecips[i];
        if (recipient.lpszAddress == NULL || recipient.lpszAddress[0] == '\0')
            continue;
        CSmtpContentType address(recipient.lpszAddress, recipient.lpszName != NULL ? recipient.lpszName : "");
        switch (recipient.ulRecipClass)
        {
        case MAPI_ORIG:
        case MAPI_TO:
            smtp.m_To.push_back(address);
            break;
        case MAPI_CC:
            smtp.m_Cc.push_back(address);
            break;
        case MAPI_BCC:
            smtp.m_Bcc.push_back(address);
            break;
        default:
            break;
        }
    }

    CString strSubject = message.lpszSubject != NULL ? message.lpszSubject : "";
    if (strSubject.GetLength() >= kMaxSubject)
    {
        CString strText;
        strText.Format(LoadText(IDS_FIELD_TOO_LARGE), LoadText(IDS_SUBJECT_LABEL).GetString(), kMaxSubject);
        AppMessageBox(strText, MB_ICONSTOP, NULL);
        return MAPI_E_TEXT_TOO_LARGE;
    }
    smtp.m_strSubject = EncodeHeaderWord(strSubject);

    CString strNote = message.lpszNoteText != NULL ? message.lpszNoteText : "";
    if (!strNote.IsEmpty())
    {
        CCharsetDecoder decoder(::GetACP());
        smtp.m_BodyParts.push_back(
            CSmtpBodyPart(decoder.Encode(strNote), "text/plain", decoder.GetCharsetName()));
    }
    else
        smtp.m_BodyParts.push_back(CSmtpBodyPart("", "text/plain", "iso-8859-1"));

    std::vector<CStoredAttachment> stored;
    for (ULONG i = 0; message.lpFiles != NULL && i < message.nFileCount; i++)
    {
        const char* pszPath = message.lpFiles[i].lpszPathName;
        if (pszPath == NULL || pszPath[0] == '\0')
            continue;
        char szName[MAX_PATH] = "";
        GetFileNameFromPath(pszPath, szName, MAX_PATH);
        LONG nLength = AttachmentLength(pszPath);
        if (nLength < 0)
        {
            CString strText;
            strText.Format(MapiText::kAttachmentNotFound, pszPath);
            AppMessageBox(strText + GetLastErrorText(), MB_ICONSTOP, NULL);
            return MAPI_E_ATTACHMENT_NOT_FOUND;
        }
        if (nLength == 0)
        {
            CString strText;
            strText.Format(LoadText(IDS_ATTACHMENT_SIZE_ZERO), pszPath);
            if (AppMessageBox(strText, MB_YESNO | MB_ICONQUESTION, NULL) != IDYES)
                return MAPI_USER_ABORT;
            continue;
        }
        smtp.m_Attachments.push_back(CSmtpAttachment(pszPath, szName));
        stored.push_back({szName, nLength, false});
    }
    smtp.m_nReadReceipt = (message.flFlags & MAPI_RECEIPT_REQUESTED) != 0 ? 1 : 0;

    CString strMime;
    if (!smtp.BuildMime(strMime))
        return MAPI_E_FAILURE;

    CFolders folders(pSession);
    LONG nOutbox = folders.GetSystemFolder(FOLDER_OUTBOX, NULL);
    {
        CEmailsImpl<> store(pSession);
        store.Clear();
        store.m_Flags = 0;
        store.StoreOutgoingMessage(strMime, nOutbox, stored, frame.Window(), FALSE, FALSE, FALSE);
    }

    CDlgProgress progress(&m_database, nAccountID, NULL, ::GetCurrentThreadId(), 0);
    progress.DoModal(::GetActiveWindow());
    return SUCCESS_SUCCESS;
}
