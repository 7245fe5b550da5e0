// The body walker over a stored message text.
#include "content/BodyWalker.h"

#include <commctrl.h>

#include "content/AttachmentName.h"
#include "content/MimePart.h"
#include "content/TextUtilities.h"
#include "content/TransferEncoding.h"
#include "foundation/ErrorUtil.h"
#include "foundation/File.h"
#include "foundation/Paths.h"

namespace
{
RewriteHtmlForViewProc g_pfnRewriteHtml = NULL;
HANDLE g_hTempFileEvent = NULL;

const char kUnknownContentType[] = "Unknown Content Type Encoding: ";
const char kUnknownDisposition[] = "Unknown Content-Disposition: ";
const char kNoFileName[] = "File name of the attachment was not detected.";
const char kSignedWarning[] =
    "This message is digitally signed. The %s does not supports digitally signed messages.";

void RewriteHtml(CString& strHtml, const char* pszPath)
{
    if (g_pfnRewriteHtml != NULL)
        g_pfnRewriteHtml(strHtml, pszPath);
}

// A part's header as the shared reader takes it: without the line break that ends the delimiter line.
CMimeEntity ParseHeader(const CString& strHeader)
{
    CString strText = strHeader;
    while (strText.Left(2) == "\r\n")
        strText = strText.Mid(2);
    return CMimeEntity(strText + "\r\n\r\n");
}

bool IsKnownMultipart(const CString& strSubtype)
{
    return strSubtype == "alternative" || strSubtype == "mixed" || strSubtype == "report" ||
           strSubtype == "related" || strSubtype == "signed";
}
} // namespace

void SetRewriteHtmlForViewProc(RewriteHtmlForViewProc pfnProc)
{
    g_pfnRewriteHtml = pfnProc;
}

void SetTempFileEvent(HANDLE hEvent)
{
    g_hTempFileEvent = hEvent;
}

HANDLE GetTempFileEvent()
{
    return g_hTempFileEvent;
}

CString DecodeByTransferEncoding(const CString& strHeader, const CString& strBody)
{
    CMimeEntity header = ParseHeader(strHeader);
    return DecodePartBodyText(header.GetHeader("content-transfer-encoding", ""), strBody);
}

void DecodePartBody(const CString& strHeader, const CString& strBody, const CString& strPath)
{
    CString strFolder = GetPathFolder(strPath);
    CString strFile = strFolder + MakeFileName(GetPathFileNameExt(strPath));
    CString strData = DecodeByTransferEncoding(strHeader, strBody);
    CFile file(strFile, CFile::modeCreate | CFile::modeWrite);
    file.Write((const char*)strData, (UINT)strData.GetLength());
    file.Close();
}

void CBodyWalker::Fail(const CString& strText)
{
    m_strParseError = strText;
    throw(const char*) m_strParseError;
}

int CBodyWalker::ExtractPart(const CString& strMessage, CString* pTarget, int* pKind, int nMode,
                             const char* pszName, HWND* phList, int* pCancelled, int* pSize)
{
    m_pTarget = pTarget;
    m_pKind = pKind;
    m_nMode = nMode;
    m_strName = pszName != NULL ? pszName : "";
    m_phList = phList;
    m_pCancelled = pCancelled;
    m_pSize = pSize;

    int nHeaderEnd = strMessage.Find("\r\n\r\n");
    CString strHeader = nHeaderEnd < 0 ? strMessage : strMessage.Left(nHeaderEnd);
    int nBodyLength = strMessage.GetLength() - strHeader.GetLength() - 4;
    CString strBody = nBodyLength > 0 ? strMessage.Right(nBodyLength) : CString();
    if (strHeader.IsEmpty())
        return 0;
    CString strType, strSubtype, strValue;
    try
    {
        strValue = GetContentTypeValue(strHeader, &strType, &strSubtype);
    }
    catch (const char*)
    {
        strType.Empty();
        strSubtype.Empty();
    }
    if (strValue.IsEmpty() && strBody.IsEmpty())
        strBody = strHeader;
    if (strType.IsEmpty())
        strType = "text";
    strType.MakeLower();
    if (strType == "text" && strSubtype.IsEmpty())
        strSubtype = "plain";
    // A message that is one attachment is found by the name its own header gives.
    return WalkParts(strBody, strHeader, strType, strSubtype, GetRawAttachmentName(ParseHeader(strHeader)),
                     0);
}

int CBodyWalker::WalkParts(CString& strBody, const CString& strHeader, CString& strType, CString strSubtype,
                           const CString& strPartName, int nDepth)
{
    strType.MakeLower();
    strSubtype.MakeLower();
    if (strType == "multipart" && nDepth < CMimePart::kMaxDepth)
    {
        // Unknown multipart kinds are read as mixed.
        if (!IsKnownMultipart(strSubtype))
            strSubtype = "mixed";
        CMimeEntity header = ParseHeader(strHeader);
        if (strSubtype == "report")
        {
            CString strReportType = header.GetParameter("content-type", "report-type");
            if (!strReportType.IsEmpty() && strReportType != "delivery-status")
            {
                CString strValue = GetContentTypeValue(strHeader);
                strValue.Trim();
                Fail(kUnknownContentType + strValue);
            }
        }
        if (strSubtype == "signed" && m_bSearch)
            AppMessageBoxF(MB_ICONINFORMATION, kSignedWarning, AppCaption);

        const CString strSeparator = "--" + header.GetBoundary();
        CString strCollected;
        bool bFirst = true;
        while (!strBody.IsEmpty())
        {
            // A separator counts only at the start of a line and when its line ends right after it.
            int nAt = -1;
            for (int nFrom = 0;; nFrom = nAt + 1)
            {
                nAt = strBody.Find(strSeparator, nFrom);
                if (nAt < 0)
                    break;
                bool bLineStart =
                    nAt == 0 || (nAt >= 2 && strBody[nAt - 2] == '\r') || strBody[nAt - 1] == '\n';
                int nAfter = nAt + strSeparator.GetLength();
                bool bLineEnd = strBody.Find("\r\n", nAfter) == nAfter ||
                                strBody.Find("--\r\n", nAfter) == nAfter || (strBody.Mid(nAfter) == "--");
                if (bLineStart && bLineEnd)
                    break;
            }
            CString strPart, strRest;
            if (nAt < 0)
                strPart = strBody;
            else
            {
                strPart = strBody.Left(nAt);
                // The line break before a separator belongs to the separator, not to the part.
                if (strPart.Right(2) == "\r\n")
                    strPart = strPart.Left(strPart.GetLength() - 2);
                strRest = strBody.Mid(nAt + strSeparator.GetLength());
            }
            strBody = strRest;
            bool bPreamble = bFirst;
            bFirst = false;
            if (strPart.IsEmpty())
                continue;
            CString strPartHeader, strPartBody = strPart;
            int nCut = bPreamble ? -1 : strPart.Find("\r\n\r\n");
            if (nCut >= 0)
            {
                strPartHeader = strPart.Left(nCut);
                strPartBody = strPart.Mid(nCut + 4);
            }
            int nResult = WalkPart(strPartHeader, strPartBody, strSubtype, strCollected,
                                   strPart.Left(2) == "--", nDepth);
            if (nResult >= 0)
                return nResult;
        }
        if (strCollected.IsEmpty())
            return 0;
        strBody = strCollected;
        return WriteResult(strCollected);
    }

    if (strType == "text")
    {
        if (strSubtype == "html")
        {
            if (*m_pKind != 2)
                return 0;
            CString strText = DecodeByTransferEncoding(strHeader, strBody);
            RewriteHtml(strText, NULL);
            strBody = strText;
            return WriteResult(strText);
        }
        // Every other text kind reads as plain text.
        if (*m_pKind != 1)
            return 0;
        strBody = DecodeByTransferEncoding(strHeader, strBody);
        return WriteResult(strBody);
    }
    if (strType == "message" && (strSubtype == "rfc822" || strSubtype == "delivery-status"))
    {
        CString strFixed = MakeUniqueAttachmentName(strSubtype == "rfc822" ? "ATT.eml" : "ATT.dat", m_used);
        if (m_phList != NULL)
        {
            AddToList(strFixed);
            return 2;
        }
        if (strFixed != m_strName)
            return 2;
        if (m_nMode != 1)
            return 0;
        CString strPath = *m_pTarget + "\\" + strFixed;
        int nAnswer = ConfirmReplaceFile(strPath);
        if (nAnswer == IDCANCEL)
            return 0;
        if (nAnswer == IDNO)
            return 1;
        DecodePartBody(strHeader, strBody, strPath);
        return 1;
    }
    if (strType == "message" && strSubtype == "external-body")
        return 2;
    if (strType == "image")
        return 2;

    // Application parts, and every type not named above, are data.
    if (m_nMode == 0)
    {
        strBody.Empty();
        return 2;
    }
    if (m_nMode != 1)
        return 0;
    // Only the part of the name looked for is saved; a listing writes nothing.
    if (m_phList != NULL && nDepth == 0 && !strPartName.IsEmpty())
        AddToList(MakeAttachmentFileName(strPartName));
    if (m_phList != NULL || strPartName.IsEmpty() || MakeAttachmentFileName(strPartName) != m_strName)
        return 2;
    CString strPath = *m_pTarget + "\\" + m_strName;
    int nAnswer = ConfirmReplaceFile(strPath);
    if (nAnswer == IDCANCEL)
        return 0;
    if (nAnswer == IDNO)
        return 1;
    *m_pKind = 1;
    CString strSavedTarget = *m_pTarget;
    *m_pTarget = strPath;
    strBody = DecodeByTransferEncoding(strHeader, strBody);
    int nResult = WriteResult(strBody);
    *m_pTarget = strSavedTarget;
    return nResult;
}

// One part of a multipart body: -1 to go on with the next part, else the walk's result.
int CBodyWalker::WalkPart(const CString& strHeader, const CString& strBody, const CString& strParentSubtype,
                          CString& strCollected, bool bAfterClosing, int nDepth)
{
    CMimeEntity header = ParseHeader(strHeader);
    CString strDisposition = header.GetHeader("content-disposition", "");
    strDisposition.Trim(" \t");
    CString strRawName = GetRawAttachmentName(header);
    bool bAttachment = false;
    if (!strDisposition.IsEmpty())
    {
        if (m_nMode == 0)
        {
            if (strDisposition.CompareNoCase("inline") != 0)
                return -1;
        }
        else if (m_nMode == 1)
        {
            if (strDisposition.CompareNoCase("attachment") == 0)
                bAttachment = true;
            else if (strDisposition.CompareNoCase("inline") == 0)
                bAttachment = !strRawName.IsEmpty(); // an inline part without a name is body text
            else
                Fail(kUnknownDisposition + strDisposition);
        }
        else
            return 0;
    }

    CString strType, strSubtype;
    header.GetContentType(strType, strSubtype);
    if (bAttachment)
    {
        CString strName = strRawName.IsEmpty()
                              ? MakeGeneratedAttachmentName(strType, strSubtype, (int)m_used.size() + 1)
                              : MakeAttachmentFileName(strRawName);
        strName = MakeUniqueAttachmentName(strName, m_used);
        if (m_phList != NULL)
        {
            AddToList(strName);
            return -1;
        }
        if (strName != m_strName)
            return -1;
        return SaveStep(strName, strHeader, strBody);
    }

    if (strParentSubtype == "report" && m_nMode == 0 && strType != "text")
        return -1;
    if (strType != "text")
    {
        CString strInnerBody = strBody;
        int nResult = WalkParts(strInnerBody, strHeader, strType, strSubtype,
                                header.GetParameter("content-type", "name"), nDepth + 1);
        return nResult == 1 ? 1 : -1;
    }
    if (strSubtype == "dat")
    {
        if (m_nMode == 1)
        {
            CString strName = GetRawAttachmentName(header);
            strName = MakeUniqueAttachmentName(
                strName.IsEmpty() ? CString("ATT.dat") : MakeAttachmentFileName(strName), m_used);
            if (m_phList != NULL)
                AddToList(strName);
            else if (strName == m_strName)
                return SaveStep(strName, strHeader, strBody);
        }
        return -1;
    }
    if (strSubtype == "html")
    {
        if (*m_pKind != 2)
            return -1;
        CString strText = DecodeByTransferEncoding(strHeader, strBody);
        RewriteHtml(strText, *m_pTarget);
        return WriteResult(strText);
    }
    if (strSubtype == "plain")
    {
        if (*m_pKind == 1 && !bAfterClosing)
            strCollected = DecodeByTransferEncoding(strHeader, strBody);
        return -1;
    }
    if (strSubtype != "rfc822-headers" && *m_pKind == 1)
        strCollected = DecodeByTransferEncoding(strHeader, strBody) + strCollected;
    return -1;
}

int CBodyWalker::SaveStep(const CString& strName, const CString& strHeader, const CString& strBody)
{
    CString strPath = *m_pTarget + "\\" + strName;
    int nAnswer = ConfirmReplaceFile(strPath);
    if (nAnswer == IDCANCEL)
    {
        if (m_pCancelled != NULL)
            *m_pCancelled = 1;
        return 0;
    }
    if (nAnswer == IDNO)
        return 1;
    if (m_pSize != NULL)
        *m_pSize = DecodeByTransferEncoding(strHeader, strBody).GetLength();
    else
        DecodePartBody(strHeader, strBody, strPath);
    return 1;
}

int CBodyWalker::WriteResult(const CString& strText)
{
    if (g_hTempFileEvent != NULL)
    {
        WaitForSingleObject(g_hTempFileEvent, 5000);
        ResetEvent(g_hTempFileEvent);
    }
    try
    {
        CFile file(*m_pTarget, CFile::modeCreate | CFile::modeWrite);
        file.Write((const char*)strText, (UINT)strText.GetLength());
        file.Close();
    }
    catch (...)
    {
        if (g_hTempFileEvent != NULL)
            SetEvent(g_hTempFileEvent);
        throw;
    }
    if (g_hTempFileEvent != NULL)
        SetEvent(g_hTempFileEvent);
    return 1;
}

void CBodyWalker::AddToList(const CString& strName)
{
    LVITEMA item = {};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = 0;
    item.pszText = const_cast<char*>((const char*)strName);
    item.lParam = -1;
    SendMessageA(*m_phList, LVM_INSERTITEMA, 0, (LPARAM)&item);
}
