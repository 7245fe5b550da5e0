// The view file of a stored message.
#include "store/MessageView.h"

#include "content/AttachmentName.h"
#include "content/BodyWalker.h"
#include "content/MimePart.h"
#include "content/TextUtilities.h"
#include "foundation/Exception.h"
#include "foundation/File.h"
#include "foundation/FileException.h"
#include "foundation/FoundationUi.h"
#include "foundation/Paths.h"
#include "foundation/RegExp.h"
#include "store/MessageStoreTexts.h"

namespace
{
const char* const kEncodeNames[] = {"windows-1256", "iso-8859-4",  "windows-1257", "iso-8859-2", "windows-1250",
                                    "iso-8859-5",   "koi8-r",      "koi8-u",       "windows-1251", "iso-8859-7",
                                    "windows-1253", "windows-1255", "iso-8859-15", "windows-874", "iso-8859-9",
                                    "windows-1254", "utf-7",       "utf-8",        "windows-1258", "iso-8859-1",
                                    "windows-1252"};

const int kMaxPathNotFoundRetries = 3;

void WriteWholeFile(const CString& strPath, const CString& strText)
{
    CFile file(strPath, CFile::modeCreate | CFile::modeWrite);
    file.Write((const char*)strText, (UINT)strText.GetLength());
    file.Close();
}

void DeleteIfPresent(const CString& strPath)
{
    CMessageFileLock lock;
    ::DeleteFileA(strPath);
}

// Saves the message for the error report and offers it.
void OfferErrorReport(const CString& strMessage, const char* pszProblem)
{
    CString strPath = GetTempFolder() + MessageStoreText::kSavedMessageName;
    try
    {
        WriteWholeFile(strPath, strMessage);
    }
    catch (CFileException* pException)
    {
        delete pException;
    }
    ShowErrorReportPrompt(pszProblem, strPath);
}

int WriteViewFileOnce(const CString& strMessage, const CMimePart* pMessage, const char* pszCharset,
                      bool bReplaceCharset, const CString& strPath, int nFlags, CString& strLastError)
{
    DeleteIfPresent(strPath);
    int nKind = pMessage->GetBodyKind();
    if (nKind != 2 && pMessage->IsMessagePartial())
        OfferErrorReport(strMessage, MessageViewText::kMessagePartial);
    CString strHtml;
    CString strProblems = pMessage->ToHtml(strHtml, nKind, pMessage->IsMultipart(), pMessage->IsMultipartAlternative(),
                                           pszCharset, (nFlags & 1) != 0, (nFlags & 2) != 0);
    if (!strProblems.IsEmpty())
        OfferErrorReport(strMessage, strProblems);
    if (nKind == 2)
    {
        CString strUpper = strHtml;
        strUpper.MakeUpper();
        int nAt = strUpper.Find("<HTML>");
        if (nAt >= 0)
            strHtml = strHtml.Mid(nAt + 6);
        strHtml = "<HTML>" + BuildViewHead(pszCharset) + "\r\n<BODY>\r\n<DIV>" + strHtml +
                  "</DIV>\r\n</BODY>\r\n</HTML>";
        CViewFileRewriter rewriter(pMessage, pszCharset, bReplaceCharset, strPath, strLastError);
        strHtml = rewriter.Rewrite(strHtml);
    }
    CMessageFileLock lock;
    WriteWholeFile(strPath, strHtml);
    return nKind;
}
} // namespace

const char* GetEncodeCharsetName(int nEncode)
{
    if (nEncode < 1 || nEncode > (int)(sizeof(kEncodeNames) / sizeof(kEncodeNames[0])))
        return NULL;
    return kEncodeNames[nEncode - 1];
}

CMessageFileLock::CMessageFileLock()
{
    HANDLE hEvent = GetTempFileEvent();
    if (hEvent != NULL)
    {
        ::WaitForSingleObject(hEvent, 5000);
        ::ResetEvent(hEvent);
    }
}

CMessageFileLock::~CMessageFileLock()
{
    HANDLE hEvent = GetTempFileEvent();
    if (hEvent != NULL)
        ::SetEvent(hEvent);
}

void WritePartBodyFile(const CString& strHeader, const CString& strBody, const CString& strPath,
                       CString& strLastError)
{
    CString strData;
    try
    {
        strData = DecodeByTransferEncoding(strHeader, strBody);
    }
    catch (CException* pException)
    {
        delete pException;
        throw MessageViewText::kEncodingError;
    }
    catch (const char*)
    {
        throw MessageViewText::kEncodingError;
    }
    try
    {
        WriteWholeFile(strPath, strData);
    }
    catch (CFileException* pException)
    {
        char szReason[256] = "";
        pException->GetErrorMessage(szReason, sizeof(szReason));
        delete pException;
        strLastError = "ERROR: '" + strPath + "'\r\n" + szReason;
        throw (const char*)strLastError;
    }
}

CViewFileRewriter::CViewFileRewriter(const CMimePart* pMessage, const char* pszCharset, bool bReplaceCharset,
                                     const char* pszViewPath, CString& strLastError)
    : CHtmlViewRewriter(pszCharset, bReplaceCharset), m_pMessage(pMessage), m_strPartCharset(pszCharset),
      m_strLastError(strLastError)
{
    if (pszViewPath != NULL)
        m_strFolder = GetPathFolder(pszViewPath);
}

bool CViewFileRewriter::WriteContentIdPart(const CString& strId, CString& strPath)
{
    if (m_pMessage == NULL || m_strFolder.IsEmpty() || strId.IsEmpty())
        return false;
    auto found = m_written.find(strId);
    if (found != m_written.end())
    {
        strPath = found->second;
        return true;
    }
    CString strHeader, strBody;
    CString strName = m_pMessage->FindByContentId(strId, strHeader, strBody, m_strPartCharset);
    if (strName.IsEmpty())
        return false;
    // The name is the sender's: made a plain file name of this folder, and one no other part of the view
    // took already.
    // Leading dots are cut as well: the file layer refuses a name that starts like "..".
    CString strSafe = MakeFileName(strName);
    strSafe.TrimLeft(".");
    if (strSafe.IsEmpty())
        strSafe = "_";
    strPath = m_strFolder + MakeUniqueAttachmentName(strSafe, m_used);
    WritePartBodyFile(strHeader, strBody, strPath, m_strLastError);
    m_written[strId] = strPath;
    return true;
}

int WriteMessageViewFile(const CString& strMessage, const CMimePart* pMessage, const char* pszCharset,
                         bool bReplaceCharset, CString& strPath, const char* pszName, int* pnNoMessage, int nFlags,
                         CString& strLastError)
{
    CString strFolder = GetTempHtmlPath();
    strPath = strFolder + pszName;
    bool bNoMessage = strMessage.IsEmpty() || pMessage == NULL;
    if (bNoMessage)
        strPath = strFolder + "\\" + MessageViewText::kNoMessageFile;
    if (pnNoMessage != NULL)
        *pnNoMessage = bNoMessage ? 1 : 0;
    for (int nAttempt = 1;; nAttempt++)
    {
        try
        {
            // Made before the work, so that a folder removed meanwhile does not make the work (and its
            // questions) run twice; a failure of cause "path not found" still makes it and starts again.
            if (!bNoMessage)
                ::CreateDirectoryA(strFolder, NULL);
            if (bNoMessage)
            {
                if (::GetFileAttributesA(strPath) == INVALID_FILE_ATTRIBUTES)
                    WriteWholeFile(strPath, nAttempt == 1 ? "" : MessageViewText::kNoMessagePage);
                return 2;
            }
            return WriteViewFileOnce(strMessage, pMessage, pszCharset, bReplaceCharset, strPath, nFlags,
                                     strLastError);
        }
        catch (CFileException* pException)
        {
            bool bRetry = pException->m_cause == CFileException::badPath && nAttempt <= kMaxPathNotFoundRetries;
            if (bRetry)
            {
                delete pException;
                ::CreateDirectoryA(strFolder, NULL);
                continue;
            }
            CString strReason = pException->GetErrorText();
            delete pException;
            strLastError = MessageViewText::kViewFailed + strReason;
            throw (const char*)strLastError;
        }
        catch (CException* pException)
        {
            strLastError = MessageViewText::kViewFailed + pException->m_strMessage;
            delete pException;
            throw (const char*)strLastError;
        }
        catch (const char* pszText)
        {
            strLastError = MessageViewText::kViewFailed + CString(pszText);
            throw (const char*)strLastError;
        }
        catch (...)
        {
            throw MessageViewText::kGetMessageFileError;
        }
    }
}

CString GetMessageCharset(int nKind, const CString& strBody, const CString& strDefault)
{
    if (nKind != 2)
        return strDefault;
    CRegExp meta(".*<META.*content=\".*charset=([^ \"]*)\">.*", true);
    if (!meta.Match(strBody))
        return CString();
    return meta.GetSubString(1);
}

CString SaveAttachmentsToTempFolder(const CMimePart* pMessage, const char* pszCharset)
{
    CString strFolder = CreateUniqueAttachFolder();
    DeleteFolderContents(strFolder);
    if (pMessage != NULL)
        pMessage->SaveAttachments(strFolder, FALSE, pszCharset);
    return strFolder;
}
