// The set-up of a new message.
#include "ui/compose/ComposeSetup.h"

#include <errno.h>
#include <stdlib.h>

#include <algorithm>
#include <vector>

#include "content/AddressList.h"
#include "content/CharsetDecoder.h"
#include "content/EncodedWord.h"
#include "content/HtmlToText.h"
#include "content/SystemInfo.h"
#include "foundation/BuiltInHosts.h"
#include "foundation/Exception.h"
#include "foundation/File.h"
#include "foundation/FileException.h"
#include "foundation/Registry.h"
#include "foundation/TextServices.h"
#include "store/ContactsTable.h"
#include "store/OLEDBException.h"
#include "store/OptionsTable.h"
#include "ui/compose/ComposeStandIns.h"
#include "ui/compose/ComposeTexts.h"
#include "ui/compose/SignatureHtml.h"
#include "ui/compose/SignaturesTable.h"

namespace
{
const int kMaxEditableList = 32767;
const int kShownListLength = 32763;

CString ReadWholeFile(const CString& strPath)
{
    CFile file(strPath, CFile::modeRead | CFile::shareDenyNone);
    CString strText;
    UINT nLength = (UINT)file.GetLength();
    if (nLength > 0)
    {
        char* pBuffer = strText.GetBufferSetLength((int)nLength);
        UINT nRead = file.Read(pBuffer, nLength);
        strText.ReleaseBuffer((int)nRead);
    }
    file.Close();
    return strText;
}

CString TextOf(CException* pException)
{
    CString strText = pException->m_strMessage;
    delete pException;
    return strText;
}
} // namespace

void ParseComposeArgument(const char* pszArgument, LONG& nMode, CString& strAddressList)
{
    nMode = COMPOSE_NEW;
    strAddressList.Empty();
    CString strText = pszArgument != NULL ? pszArgument : "";
    if (strText.IsEmpty())
        return;
    const char* p = strText;
    const char* pDigits = (*p == '-' || *p == '+') ? p + 1 : p;
    bool bNumber = *pDigits != '\0' && strspn(pDigits, "0123456789") == strlen(pDigits);
    if (bNumber)
    {
        errno = 0;
        long nValue = strtol(p, NULL, 10);
        bNumber = errno == 0 && nValue >= -2147483647L - 1 && nValue <= 2147483647L;
        if (bNumber)
        {
            nMode = (LONG)nValue;
            return;
        }
    }
    strAddressList = strText;
}

CString NormalizeAddressList(const CString& strList)
{
    std::vector<CString> entries;
    ParseAddressList(strList, entries, ',');
    CString strResult;
    for (const CString& strEntry : entries)
    {
        CString strName, strAddress;
        SplitAddress(DecodeEncodedWord(strEntry), strName, strAddress);
        if (!strResult.IsEmpty())
            strResult += "; ";
        if (!strName.IsEmpty())
            strResult += "\"" + strName + "\" ";
        strResult += "<" + strAddress + ">";
    }
    return strResult;
}

CString MakeReplySubject(const CString& strSubject)
{
    CString strUpper = strSubject;
    strUpper.MakeUpper();
    if (strUpper.Left(4) == "RE: ")
        return strSubject;
    return "Re: " + strSubject;
}

CString MakeForwardSubject(const CString& strSubject)
{
    return "Fw: " + strSubject;
}

CString BuildInitialDocument(const CString& strCharset, const CString& strHtmlSignature)
{
    return "<HTML>\r\n<HEAD>\r\n<META NAME=\"GENERATOR\" Content=\"charset=" + strCharset +
           "\">\r\n</HEAD>\r\n<BODY>\r\n" + strHtmlSignature + "\r\n</BODY>\r\n</HTML>";
}

CString GetAnsiWebCharset()
{
    CString strCharset;
    try
    {
        IMultiLanguage* pLang = GetThreadMultiLanguage();
        MIMECPINFO info = {};
        if (SUCCEEDED(pLang->GetCodePageInfo(GetACP(), &info)))
            strCharset = CString(info.wszWebCharset);
        pLang->Release();
    }
    catch (CException* pException)
    {
        delete pException;
    }
    return strCharset.IsEmpty() ? CString("windows-1252") : strCharset;
}

void ListFolderFiles(const CString& strFolder, std::vector<CComposeAttachment>& attachments)
{
    std::vector<CString> names;
    WIN32_FIND_DATAA data;
    HANDLE hFind = ::FindFirstFileA(strFolder + "\\*", &data);
    if (hFind == INVALID_HANDLE_VALUE)
        return;
    do
    {
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
            names.push_back(data.cFileName);
    } while (::FindNextFileA(hFind, &data));
    ::FindClose(hFind);
    std::sort(names.begin(), names.end(), [](const CString& a, const CString& b) { return a.Compare(b) < 0; });
    for (const CString& strName : names)
        attachments.push_back({strFolder, strName});
}

void CComposeSetup::Run()
{
    try
    {
        if (m_fields.m_strCharset.IsEmpty())
            m_fields.m_strCharset = GetAnsiWebCharset();
        ReadBusinessCard();
        CString strSignature = ReadSignature();
        if (m_sources.pMapiMessage != NULL)
            FromMapiMessage();
        else if (m_fields.m_nMode == COMPOSE_NEW)
            SetInitialBody(strSignature);
        else if (m_fields.m_nMode > 0 || m_fields.m_nMode < COMPOSE_EDIT_DRAFT)
        {
            ToContact();
            SetInitialBody(strSignature);
        }
        else if (m_fields.m_nMode == COMPOSE_ERROR_REPORT)
        {
            m_fields.m_strTo = BuiltInHosts::kSupportMailbox;
            m_fields.m_strSubject = ComposeText::kErrorReportSubject;
            m_fields.m_strPlainBody = ComposeText::kErrorReportBody;
        }
        else if (m_fields.m_nMode == COMPOSE_PROBLEM_REPORT)
            ProblemReport();
        else
            FromSourceMessage(strSignature);

        if (!AddAccountWithWizard(m_sources.pLocalSession, m_sources.hOwner))
        {
            m_fields.m_bCloseWindow = 1;
            return;
        }
        m_fields.IsHtmlEditing();
        if (!m_fields.m_strAttachPath.IsEmpty())
        {
            CString strPath = m_fields.m_strAttachPath;
            int nSlash = strPath.ReverseFind('\\');
            CComposeAttachment attachment = {strPath.Left(nSlash < 0 ? 0 : nSlash), strPath.Mid(nSlash + 1)};
            m_fields.m_attachments.push_back(attachment);
            m_fields.m_strSubject = attachment.m_strName;
        }
        if (!m_fields.m_strAddressList.IsEmpty())
        {
            if (m_fields.m_strAddressList.GetLength() < kMaxEditableList)
            {
                m_fields.m_strTo = m_fields.m_strAddressList;
                m_fields.m_bToReadOnly = 0;
            }
            else
            {
                m_fields.m_strTo = m_fields.m_strAddressList.Left(kShownListLength) + "...";
                m_fields.m_bToReadOnly = 1;
            }
        }
    }
    catch (CException* pException)
    {
        m_fields.m_strError = TextOf(pException);
    }
    catch (COLEDBException* pException)
    {
        m_fields.m_strError = pException->m_strMessage;
        delete pException;
    }
    catch (CFileException* pException)
    {
        m_fields.m_strError = pException->GetErrorText();
        delete pException;
    }
    catch (const char* pszText)
    {
        m_fields.m_strError = pszText;
    }
}

CSession* CComposeSetup::ContactSession() const
{
    if (m_sources.pOrbSession != NULL && m_sources.pOrbSession->m_spOpenRowset != NULL)
        return m_sources.pOrbSession;
    return m_sources.pLocalSession;
}

void CComposeSetup::ReadBusinessCard()
{
    CRegistry* pRegistry = m_sources.pRegistry;
    if (pRegistry == NULL || !pRegistry->GetIncludeBusinessCard())
        return;
    CContactNameTable contact(ContactSession());
    m_fields.m_bBusinessCard = 1;
    if (!contact.OpenByID(ContactSession(), pRegistry->GetBusinessCardContactId(), m_sources.hOwner))
    {
        m_fields.m_bBusinessCard = 0;
        pRegistry->SetIncludeBusinessCard(0);
    }
}

CString CComposeSetup::ReadSignature()
{
    COptionsTable options(m_sources.pLocalSession);
    m_bNoSignatureOnReply = options.GetNoSignatureOnReply(m_sources.hOwner);
    if (!options.GetAddSignature(m_sources.hOwner))
        return CString();
    CSignaturesTable signatures(m_sources.pLocalSession);
    return signatures.ReadSignature(m_sources.hOwner);
}

void CComposeSetup::FromMapiMessage()
{
    const MapiMessage& message = *m_sources.pMapiMessage;
    // A caller's count without its array is taken as none.
    for (ULONG i = 0; message.lpRecips != NULL && i < message.nRecipCount; i++)
    {
        const MapiRecipDesc& recipient = message.lpRecips[i];
        CString strName = recipient.lpszName != NULL ? recipient.lpszName : "";
        CString strAddress = recipient.lpszAddress != NULL ? recipient.lpszAddress : "";
        CString strText;
        if (!strName.IsEmpty())
            strText = "\"" + strName + "\"";
        if (!strAddress.IsEmpty())
            strText += (strName.IsEmpty() ? "" : " ") + ("<" + strAddress + ">");
        CString* pField = recipient.ulRecipClass == MAPI_CC    ? &m_fields.m_strCc
                          : recipient.ulRecipClass == MAPI_BCC ? &m_fields.m_strBcc
                                                               : &m_fields.m_strTo;
        if (!pField->IsEmpty())
            *pField += "; ";
        *pField += strText;
    }
    m_fields.m_strSubject = message.lpszSubject != NULL ? message.lpszSubject : "";
    m_fields.m_strPlainBody = message.lpszNoteText != NULL ? message.lpszNoteText : "";
    m_fields.m_nBodyKind = 1;
    m_fields.m_bHtml = 0;
    m_fields.m_bReadReceipt = (message.flFlags & MAPI_RECEIPT_REQUESTED) != 0;
    for (ULONG i = 0; message.lpFiles != NULL && i < message.nFileCount; i++)
    {
        const char* pszPath = message.lpFiles[i].lpszPathName;
        if (pszPath == NULL || *pszPath == '\0')
            continue;
        CString strPath = pszPath;
        int nSlash = strPath.ReverseFind('\\');
        m_fields.m_attachments.push_back({strPath.Left(nSlash < 0 ? 0 : nSlash), strPath.Mid(nSlash + 1)});
    }
}

void CComposeSetup::ToContact()
{
    CContactsTableHolder contacts(ContactSession());
    if (!contacts.ReadContact(m_fields.m_nMode, m_sources.hOwner))
    {
        CString strText;
        strText.Format(ComposeText::kGetContactFailed, (long)m_fields.m_nMode);
        throw new CException(strText, "");
    }
    m_fields.m_strTo = contacts.GetRecipientText();
}

void CComposeSetup::ProblemReport()
{
    CEmailsImpl<>* pMessages = m_sources.pMessages;
    pMessages->SelectByID(m_sources.nSelectedID, m_sources.hOwner);
    m_fields.m_strTo = BuiltInHosts::kSupportMailbox;
    m_fields.m_strSubject = ComposeText::kErrorReportSubject;
    CString strBody;
    strBody.Format(ComposeText::kProblemReportBody, (const char*)pMessages->m_strLastError,
                   (const char*)SystemInfoText());
    m_fields.m_strPlainBody = strBody + pMessages->GetMessage();
}

void CComposeSetup::FromSourceMessage(const CString& strSignature)
{
    CEmailsImpl<>* pMessages = m_sources.pMessages;
    const LONG nMode = m_fields.m_nMode;
    pMessages->SelectByID(m_sources.nSelectedID, m_sources.hOwner);
    m_fields.m_nSourceID = m_sources.nSelectedID;
    m_fields.m_strFrom = DecodeEncodedWord(pMessages->GetHeaderField("From"));
    m_fields.m_strSent = DecodeEncodedWord(pMessages->GetHeaderField("Date"));
    m_fields.m_strSourceTo = DecodeEncodedWord(pMessages->GetHeaderField("To"));
    m_fields.m_strSourceCc = DecodeEncodedWord(pMessages->GetHeaderField("Cc"));
    m_fields.m_strSourceSubject = DecodeEncodedWord(pMessages->GetHeaderField("Subject"));
    if (nMode == COMPOSE_EDIT_DRAFT)
    {
        m_fields.m_strSubject = m_fields.m_strSourceSubject;
        m_fields.m_strTo = NormalizeAddressList(pMessages->GetHeaderField("To"));
        m_fields.m_strCc = NormalizeAddressList(pMessages->GetHeaderField("Cc"));
        m_fields.m_strBcc = NormalizeAddressList(pMessages->GetHeaderField("Bcc"));
    }
    else if (nMode == COMPOSE_FORWARD)
        m_fields.m_strSubject = MakeForwardSubject(m_fields.m_strSourceSubject);
    else
    {
        m_fields.m_strTo = m_fields.m_strFrom;
        m_fields.m_strSubject = MakeReplySubject(m_fields.m_strSourceSubject);
    }

    CString strPath;
    m_fields.m_nBodyKind = pMessages->GetMessageFile(strPath, ComposeText::kNewMessageFile, NULL, 0);
    m_fields.m_strBody = ReadWholeFile(strPath);
    CString strCharset = pMessages->GetMessageCharset(m_fields.m_nBodyKind, m_fields.m_strBody);
    if (!strCharset.IsEmpty())
    {
        CCharsetDecoder decoder(strCharset);
        m_fields.m_strBody = decoder.Decode(m_fields.m_strBody);
    }

    if (m_fields.m_nBodyKind != 2 || !m_fields.IsHtmlEditing())
    {
        // Quoted as text: an HTML source is made text first, not quoted as markup.
        CString strText = m_fields.m_nBodyKind == 2 ? HtmlToPlainText(m_fields.m_strBody) : m_fields.m_strBody;
        if (nMode == COMPOSE_REPLY)
        {
            strText.Replace("\r\n", "\r\n>");
            strText = ">" + strText;
        }
        if (nMode == COMPOSE_EDIT_DRAFT)
            m_fields.m_strPlainBody = strText;
        else
        {
            CString strBody;
            if (!strSignature.IsEmpty() && !m_bNoSignatureOnReply)
                strBody = "\r\n" + strSignature + "\r\n";
            strBody += ComposeText::kOriginalMessage;
            strBody += "\r\nFrom: " + m_fields.m_strFrom;
            strBody += "\r\nTo: " + m_fields.m_strSourceTo;
            if (!m_fields.m_strSourceCc.IsEmpty())
                strBody += "\r\nCc: " + m_fields.m_strSourceCc;
            strBody += "\r\nSent: " + m_fields.m_strSent;
            strBody += "\r\nSubject: " + m_fields.m_strSourceSubject;
            strBody += "\r\n\r\n" + strText;
            m_fields.m_strPlainBody = strBody;
        }
        m_fields.m_bHtml = 0;
    }
    else
    {
        m_fields.m_bLoadSourceHtml = 1;
        SetInitialBody(strSignature);
    }

    if (nMode == COMPOSE_FORWARD || nMode == COMPOSE_EDIT_DRAFT)
    {
        m_fields.m_strAttachFolder = pMessages->SaveMessageToTempFile();
        ListFolderFiles(m_fields.m_strAttachFolder, m_fields.m_attachments);
    }
}

void CComposeSetup::SetInitialBody(const CString& strSignature)
{
    if (strSignature.IsEmpty())
        return;
    if (!m_fields.IsHtmlEditing())
    {
        m_fields.m_strPlainBody = "\r\n" + strSignature;
        return;
    }
    CString strFont;
    int nSize = -1;
    if (m_sources.pRegistry != NULL)
    {
        strFont = m_sources.pRegistry->m_strHtmlSendFontName;
        nSize = m_sources.pRegistry->m_nHtmlSendFontSize;
    }
    m_fields.m_strHtmlDocument =
        BuildInitialDocument(m_fields.m_strCharset, SignatureToHtml(strSignature, strFont, nSize));
    m_fields.m_bDocumentSet = 1;
}
