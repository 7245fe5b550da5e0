// The Outlook Express import: folders.dbx gives the folder tree under Local Folders, each folder's file its
// messages, which are stored through the same insertion as received mail unless an equal one is stored.
#include "content/OEImport.h"

#include <fstream>
#include <memory>

#include "content/DbxReader.h"
#include "content/DlgImportOE.h"
#include "content/EncodedWord.h"
#include "content/SystemInfo.h"
#include "content/TextUtilities.h"
#include "foundation/ErrorUtil.h"
#include "foundation/Exception.h"
#include "foundation/TraceFile.h"
#include "foundation/WindowMessages.h"
#include "store/DatabaseSession.h"
#include "store/EmailsImpl.h"
#include "store/ExceptionDialog.h"
#include "store/FoldersTable.h"
#include "store/OLEDBException.h"

namespace
{
const WPARAM ID_ADD_MESSAGE_TO_CONTROL = 32804;
const WPARAM ID_ADD_FOLDER_TO_TREE = 33002;
const DWORD kHandOverWaitMs = 5000;
const int kMaxSubjectLength = 255;
const DWORD kLocalFoldersFlags[] = {0x900019, 0x100019};
const char kLocalFoldersNotFound[] = "ERROR: Import OE. The Local Folders was not found.\r\n\r\n";
const char kRootFolderNotFound[] = "ERROR: Import OE. Root folder was not found.\r\n\r\n";
const char kUnhandled[] = "CMainFrame::OnImportMessagesOE_50(...). Unhandled exception!!!\r\n\r\n";
const char kTimeConversion[] = "Error converting to system time !";
// Imported folders are ordinary folders of the user, which can be moved, renamed and deleted.
const LONG kImportedFolderType = 6;

HANDLE g_hHandOverEvent = NULL;

enum MessageResult
{
    MESSAGE_DONE,
    MESSAGE_SKIPPED,   // a bad message, counted
    MESSAGE_END_LEVEL, // a refused question: the folder level ends
};

CString LoadText(UINT nID)
{
    CString strText;
    strText.LoadString(nID);
    return strText;
}

CString FormatText(UINT nID, ...)
{
    va_list args;
    va_start(args, nID);
    CString strText;
    strText.FormatV(LoadText(nID), args);
    va_end(args);
    return strText;
}

bool PostToUiThread(DWORD dwThread, WPARAM nCommand, LPARAM lParam)
{
    if (g_hHandOverEvent != NULL)
    {
        ::WaitForSingleObject(g_hHandOverEvent, kHandOverWaitMs);
        ::ResetEvent(g_hHandOverEvent);
    }
    return ::PostThreadMessageA(dwThread, WM_USER, nCommand, lParam) != FALSE;
}

CString FieldText(const CDbxRecord& record, int nIndex)
{
    const char* pszText = record.GetText(nIndex);
    return pszText != NULL ? CString(pszText) : CString();
}

void TraceSkipped(const char* pszReason)
{
    if (IsTraceOn())
        g_pTraceFile->Write("\r\nImport OE: message skipped. %s", pszReason);
}

MessageResult ImportMessage(const CDbxMessageRecord& record, std::istream& stream, const OEFolderEntry& folder,
                            LONG nFolderID, CEmailsImpl<>& search, CEmailsImpl<>& insert,
                            COEImportContext& context)
{
    if ((record.GetMask() & (1u << 0x04)) == 0)
        return MESSAGE_DONE;
    const uint32_t nTextPosition = record.GetNumber(0x04);

    CString strSubject = DecodeEncodedWord(FieldText(record, 0x08));
    if (strSubject.GetLength() > kMaxSubjectLength)
    {
        CString strCut = strSubject.Left(kMaxSubjectLength);
        CString strQuestion = FormatText(IDS_OE_SUBJECT_TOO_LONG, (const char*)strSubject, kMaxSubjectLength,
                                         (const char*)strCut);
        if (AppMessageBox(strQuestion, MB_YESNO | MB_ICONQUESTION, context.m_hWndDialog) != IDYES)
            return MESSAGE_END_LEVEL;
        strSubject = strCut;
    }

    ::SetWindowTextA(context.m_hSubject, FormatText(IDS_OE_SUBJECT, (const char*)strSubject));
    ::SetWindowTextA(context.m_hFolder, FormatText(IDS_OE_FOLDER, (const char*)folder.m_strName));
    ::SetWindowTextA(context.m_hMessageNumber, FormatText(IDS_OE_MESSAGE, ++context.m_nMessageNumber));

    const CString strName = DecodeEncodedWord(FieldText(record, 0x0D));
    const CString strAddress = DecodeEncodedWord(FieldText(record, 0x0E));
    CString strPattern, strDisplay;
    if (!strName.IsEmpty())
    {
        strPattern = "%" + strName + "%";
        strDisplay = "\"" + strName + "\"";
    }
    if (!strAddress.IsEmpty())
    {
        if (!strPattern.IsEmpty())
        {
            strPattern += " <" + strAddress + ">";
            strDisplay += " <" + strAddress + ">";
        }
        else
        {
            strPattern = "%" + strAddress + "%";
            strDisplay = "\"" + strAddress + "\"";
        }
    }
    if (strPattern.GetLength() > kMaxSubjectLength)
    {
        CString strQuestion = FormatText(IDS_OE_SENDER_TOO_LONG, (const char*)strDisplay, kMaxSubjectLength,
                                         (const char*)strDisplay.Left(kMaxSubjectLength));
        if (AppMessageBox(strQuestion, MB_YESNO | MB_ICONQUESTION, context.m_hWndDialog) != IDYES)
            return MESSAGE_END_LEVEL;
        strPattern = strPattern.Left(kMaxSubjectLength);
        strDisplay = strDisplay.Left(kMaxSubjectLength);
    }

    uint32_t nTimeLength = 0;
    const unsigned char* pTime = record.GetValue(0x02, &nTimeLength);
    FILETIME fileTime = {};
    SYSTEMTIME sent = {};
    if (pTime == NULL || nTimeLength < sizeof(fileTime))
        throw DbxException(kTimeConversion);
    memcpy(&fileTime, pTime, sizeof(fileTime));
    if (!::FileTimeToSystemTime(&fileTime, &sent))
        throw DbxException(kTimeConversion);

    search.FindDuplicate(context.m_hWndOwner, nFolderID, strSubject, EscapeLikeChars(strPattern, '%'), sent);
    if (search.MoveNext(1, 0) == S_OK)
        return MESSAGE_DONE;

    CDbxBodyText text(stream, nTextPosition);
    DATE date = 0;
    if (!::SystemTimeToVariantTime(&sent, &date))
        throw DbxException(kTimeConversion);
    const BOOL bUnread = (record.GetNumber(0x01) & 0x80) == 0;
    insert.Clear();
    insert.InsertMessage(CString(text.GetText(), (int)text.GetLength()), nFolderID, 0, NULL, 0,
                         context.m_hWndOwner, NULL, date, strSubject, strDisplay, bUnread, FALSE, FALSE);

    ::SetWindowTextA(context.m_hCopied, FormatText(IDS_OE_COPIED, ++context.m_nCopied));
    if (context.m_dwUiThread != 0)
        PostToUiThread(context.m_dwUiThread, ID_ADD_MESSAGE_TO_CONTROL, (LPARAM)insert.m_EmailsID);
    return MESSAGE_DONE;
}

// One message, with the faults that are the message's own caught: they skip it and are counted.
MessageResult ImportOneMessage(uint32_t nPosition, std::istream& stream, const OEFolderEntry& folder,
                               LONG nFolderID, CEmailsImpl<>& search, CEmailsImpl<>& insert,
                               COEImportContext& context)
{
    const char* pszReason = NULL;
    CString strReason;
    try
    {
        CDbxMessageRecord record(stream, nPosition);
        return ImportMessage(record, stream, folder, nFolderID, search, insert, context);
    }
    catch (const DbxException& e)
    {
        strReason = e.GetText();
    }
    catch (const char* pszText)
    {
        pszReason = pszText;
    }
    catch (CException* pException)
    {
        strReason = pException->m_strMessage;
        delete pException;
    }
    TraceSkipped(pszReason != NULL ? pszReason : (const char*)strReason);
    context.m_nSkipped++;
    return MESSAGE_SKIPPED;
}

void ShowImportError(HWND hWndOwner, const CString& strText)
{
    ShowExceptionDialog(hWndOwner, strText + SystemInfoText());
}

int RunImport(CDlgImportOE* pDlg, COEImportContext& context)
{
    std::ifstream folders(context.m_strPath + "folders.dbx", std::ios::binary);
    if (!folders.is_open())
        throw DbxException(CString("The opening of the '") + context.m_strPath + "folders.dbx' file has failed!");
    CDbxFileHeader header(folders);
    const uint32_t nCount = header.GetWord(CDbxFileHeader::kFolderCount);
    const uint32_t nRoot = header.GetWord(CDbxFileHeader::kFolderRoot);
    if (nCount == 0 || nRoot == 0)
        return 1;

    CDbxIndexTree tree(folders, nRoot, nCount);
    for (uint32_t i = 0; i < tree.GetCount(); i++)
    {
        CDbxFolderRecord record(folders, tree.GetValue(i));
        if ((record.GetMask() & (1u << 0x02)) == 0)
            continue;
        OEFolderEntry entry;
        entry.m_nIndex = record.GetNumber(0x00);
        entry.m_nParentIndex = record.GetNumber(0x01);
        entry.m_nFlags = record.GetNumber(0x06);
        entry.m_strName = FieldText(record, 0x02);
        entry.m_strFileName = FieldText(record, 0x03);
        context.m_children[entry.m_nParentIndex].push_back(context.m_folders.size());
        context.m_folders.push_back(entry);
    }
    context.m_imported.assign(context.m_folders.size(), false);

    CDatabaseSession* pDatabase = NULL;
    ::SendMessageA(pDlg->m_hWndOwner, LetrovaGetDatabase, (WPARAM)&pDatabase, 0);
    if (pDatabase == NULL)
        throw "ERROR: Import OE. No database.";
    CFoldersTable table(&pDatabase->m_session);
    context.m_pFolders = &table;

    // The flags mark Local Folders; a store whose flags differ still keeps it at index 1 under the root.
    const OEFolderEntry* pLocal = NULL;
    const OEFolderEntry* pFallback = NULL;
    for (const OEFolderEntry& entry : context.m_folders)
    {
        if (entry.m_nIndex != 1 || entry.m_nParentIndex != 0)
            continue;
        if (pFallback == NULL)
            pFallback = &entry;
        if (pLocal == NULL && (entry.m_nFlags == kLocalFoldersFlags[0] || entry.m_nFlags == kLocalFoldersFlags[1]))
            pLocal = &entry;
    }
    if (pLocal == NULL)
        pLocal = pFallback;
    if (pLocal == NULL)
    {
        ShowImportError(pDlg->m_hWnd, kLocalFoldersNotFound);
        return 0;
    }

    const int nFound = table.FindByOwnerAndName(pDlg->m_hWndOwner, 0, NULL);
    if (nFound == -1)
        return 0;
    if (nFound == 0)
    {
        ShowImportError(pDlg->m_hWnd, kRootFolderNotFound);
        return 0;
    }
    const LONG nRootID = table.m_ID;
    ::SendMessageA(pDlg->m_hWndOwner, LetrovaGetIdThread, (WPARAM)&context.m_dwUiThread, 0);
    context.m_imported[pLocal - context.m_folders.data()] = true;
    ImportOEFolder(*pLocal, nRootID, context);
    return 1;
}
} // namespace

void SetImportHandOverEvent(HANDLE hEvent)
{
    g_hHandOverEvent = hEvent;
}

namespace
{
// A file name from folders.dbx names a file of the chosen store folder, nothing above or beside it.
bool IsBareFileName(const CString& strName)
{
    if (strName.IsEmpty() || strName == "." || strName == "..")
        return false;
    for (int i = 0; i < strName.GetLength(); i++)
    {
        const unsigned char c = (unsigned char)strName[i];
        if (c < 0x20 || c == '\\' || c == '/' || c == ':')
            return false;
    }
    return true;
}

// Imports the messages of one folder's file into nFolderID; false when a refused question ends the level.
bool ImportFolderMessages(const OEFolderEntry& folder, LONG nFolderID, CEmailsImpl<>& search,
                          CEmailsImpl<>& insert, COEImportContext& context)
{
    if (folder.m_strFileName.IsEmpty())
        return true;
    if (!IsBareFileName(folder.m_strFileName))
    {
        if (IsTraceOn())
            g_pTraceFile->Write("\r\nImport OE: the messages of folder '%s' are left: its file name '%s' is "
                                "not a file of the store folder.",
                                (const char*)folder.m_strName, (const char*)folder.m_strFileName);
        return true;
    }
    const CString strFile = context.m_strPath + folder.m_strFileName;
    std::ifstream stream(strFile, std::ios::binary);
    if (!stream.is_open())
        throw DbxException(CString("The opening of the '") + strFile + "' file has failed!");
    CDbxFileHeader header(stream);
    const uint32_t nCount = header.GetWord(CDbxFileHeader::kMessageCount);
    const uint32_t nRoot = header.GetWord(CDbxFileHeader::kMessageRoot);
    if (nCount == 0 || nRoot == 0)
        return true;
    CDbxIndexTree tree(stream, nRoot, nCount);
    for (uint32_t n = 0; n < tree.GetCount() && !context.Stopped(); n++)
    {
        if (ImportOneMessage(tree.GetValue(n), stream, folder, nFolderID, search, insert, context) ==
            MESSAGE_END_LEVEL)
            return false;
    }
    return true;
}
} // namespace

int ImportOEFolder(const OEFolderEntry& entry, LONG nFolderID, COEImportContext& context)
{
    if (context.Stopped())
        return 0;
    CFoldersTable& table = *context.m_pFolders;
    CEmailsImpl<> search(table.GetSession());
    CEmailsImpl<> insert(table.GetSession());

    // The walk keeps its own stack: a crafted store nests folders deeper than the thread's stack would allow.
    struct CLevel
    {
        std::vector<size_t> children;
        LONG nFolderID;
        size_t nNext;
    };
    std::vector<CLevel> levels;
    levels.push_back({context.m_children[entry.m_nIndex], nFolderID, 0});
    int nResult = 1;
    while (!levels.empty())
    {
        CLevel& level = levels.back();
        if (level.nNext >= level.children.size())
        {
            levels.pop_back();
            continue;
        }
        const size_t i = level.children[level.nNext++];
        if (context.m_imported[i])
            continue;
        context.m_imported[i] = true;
        const OEFolderEntry folder = context.m_folders[i];
        const LONG nParentID = level.nFolderID;

        const int nFound = table.FindByOwnerAndName(context.m_hWndOwner, nParentID, folder.m_strName);
        if (nFound == -1)
        {
            // The rest of this level is left; the level above goes on.
            if (levels.size() == 1)
                nResult = 0;
            levels.pop_back();
            continue;
        }
        if (nFound == 0)
        {
            table.InsertFolder(context.m_hWndOwner, nParentID, folder.m_strName, kImportedFolderType);
            if (context.m_dwUiThread != 0)
            {
                CFoldersRecord* pCopy = new (std::nothrow) CFoldersRecord(static_cast<const CFoldersRecord&>(table));
                // The UI thread frees the copy it takes; one that never reached it is ours to free.
                if (!PostToUiThread(context.m_dwUiThread, ID_ADD_FOLDER_TO_TREE, (LPARAM)pCopy))
                    delete pCopy;
            }
        }
        const LONG nChildID = table.m_ID;

        if (!ImportFolderMessages(folder, nChildID, search, insert, context))
        {
            if (levels.size() == 1)
                nResult = 0;
            levels.pop_back();
            continue;
        }
        if (context.Stopped())
            continue;
        if (levels.size() >= kMaxFolderDepth)
        {
            if (IsTraceOn())
                g_pTraceFile->Write("\r\nImport OE: the subfolders of '%s' are left: folders nest deeper than %d "
                                    "levels.",
                                    (const char*)folder.m_strName, (int)kMaxFolderDepth);
            continue;
        }
        levels.push_back({context.m_children[folder.m_nIndex], nChildID, 0});
    }
    return nResult;
}

int OnImportMessagesOE_50(CDlgImportOE* pDlg)
{
    COEImportContext context;
    context.m_hWndOwner = pDlg->m_hWndOwner;
    context.m_hWndDialog = pDlg->m_hWnd;
    context.m_strPath = pDlg->m_strPath;
    context.m_pStop = &pDlg->m_bStop;
    context.m_hMessageNumber = pDlg->m_hMessageNumber;
    context.m_hCopied = pDlg->m_hCopied;
    context.m_hSubject = pDlg->m_hSubject;
    context.m_hFolder = pDlg->m_hFolder;
    try
    {
        if (RunImport(pDlg, context) == 0)
            return 0;
    }
    catch (const DbxException& e)
    {
        ShowImportError(pDlg->m_hWnd, CString("DbxException: ") + e.GetText() + "\r\n\r\n");
        return 1;
    }
    catch (COLEDBException* pException)
    {
        delete pException;
        ShowImportError(pDlg->m_hWnd, kUnhandled);
        return 1;
    }
    catch (CException* pException)
    {
        delete pException;
        ShowImportError(pDlg->m_hWnd, kUnhandled);
        return 1;
    }
    catch (...)
    {
        ShowImportError(pDlg->m_hWnd, kUnhandled);
        return 1;
    }
    if (!context.Stopped())
    {
        CString strDone = LoadText(IDS_OE_IMPORT_COMPLETED) + "\r\n\r\n" +
                          FormatText(IDS_OE_COPIED_SKIPPED, context.m_nCopied, context.m_nSkipped);
        AppMessageBox(strDone, MB_ICONINFORMATION, pDlg->m_hWnd);
    }
    return 1;
}
