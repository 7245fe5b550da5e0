// The compose window's Spelling command.
#include "ui/compose/ComposeSpelling.h"

#include <string.h>

#include "content/MergePlaceholders.h"
#include "foundation/ErrorUtil.h"
#include "foundation/Exception.h"
#include "foundation/FileException.h"
#include "foundation/Registry.h"
#include "store/DatabaseSession.h"
#include "ui/compose/ComposeSetup.h"
#include "ui/compose/ComposeTexts.h"
#include "ui/compose/DHTMLEditHost.h"
#include "ui/compose/HtmlSpellingWalk.h"

bool CheckComposeSpelling(CDHTMLEditHost* pEditor, HWND hWndPlainEdit, BOOL bAnnounce, CRegistry* pRegistry,
                          HWND hWndOwner)
{
    CString strError;
    try
    {
        if (pEditor != NULL)
        {
            CComPtr<IHtmlEditDocument> spDocument;
            if (pEditor->m_spEdit != NULL)
                pEditor->m_spEdit->get_DOM(&spDocument);
            pEditor->SetFocus();
            return SpellCheckHtmlDocument(spDocument, bAnnounce, hWndOwner);
        }
        CPlainTextEdit edit;
        edit.m_hWnd = hWndPlainEdit;
        return SpellCheckEditControl(edit, TRUE, bAnnounce);
    }
    catch (CException* pException)
    {
        strError = pException->m_strMessage;
        delete pException;
    }
    catch (CFileException* pException)
    {
        strError = pException->GetErrorText();
        delete pException;
    }
    OfferSpellingDownload(strError, pRegistry, hWndOwner);
    return false;
}

void OfferSpellingDownload(const CString& strError, CRegistry* pRegistry, HWND hWndOwner)
{
    CString strQuestion;
    strQuestion.Format(ComposeText::kSpellingMissing, (const char*)strError);
    if (AppMessageBox(strQuestion, MB_YESNO | MB_ICONQUESTION, hWndOwner) != IDYES)
        return;
    const char* pszLanguage = _stricmp(GetAnsiWebCharset(), "koi8-r") == 0 ? "1049" : "1033";
    CString strURL = pRegistry != NULL ? pRegistry->m_strUpdateUrl : CString();
    if (strURL.Right(1) != "/")
        strURL += "/";
    InstallComponent(CString(ComposeText::kSpellingComponent) + pszLanguage, strURL,
                     pRegistry != NULL ? pRegistry->GetDefaultInstallDirectory() : CString());
}
