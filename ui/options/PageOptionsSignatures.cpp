// The Signatures page.
#include "ui/options/PageOptionsSignatures.h"

#include "foundation/Exception.h"
#include "foundation/SequentialStream.h"
#include "foundation/WindowMessages.h"
#include "store/DatabaseBase.h"
#include "store/OLEDBException.h"
#include "ui/compose/SignaturesTable.h"
#include "ui/options/OptionsStandIns.h"

namespace
{
const COptionsHelpEntry kHelp[] = {
    {IDC_SIGNATURES_ADD, 431}, {IDC_SIGNATURES_NOT_ON_REPLIES, 432}, {IDC_SIGNATURES_TEXT, 433}, {0, 0}};
const LONG kAddSignatures = 0x1;
const LONG kNotOnReplies = 0x2;
} // namespace

CPageOptionsSignatures::CPageOptionsSignatures(HWND hWndOwner) : CPageOptionsImpl(NULL, hWndOwner, kHelp) {}

LRESULT CPageOptionsSignatures::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&)
{
    m_pDatabase = FromOwner<CDatabaseBase>(LetrovaGetDatabase);
    if (m_pDatabase == NULL)
        return TRUE;
    try
    {
        while (m_bNoOptionsRow)
        {
            LONG nFlags = 0;
            if (ReadOptionsFlags(nFlags))
            {
                Check(IDC_SIGNATURES_ADD, (nFlags & kAddSignatures) != 0);
                Check(IDC_SIGNATURES_NOT_ON_REPLIES, (nFlags & kNotOnReplies) != 0);
                Enable(IDC_SIGNATURES_NOT_ON_REPLIES, (nFlags & kAddSignatures) != 0);
                m_bNoOptionsRow = false;
            }
            else if (AppMessageBoxId(IDS_NO_ACCOUNTS_ADD, MB_YESNO | MB_ICONQUESTION, m_hWnd) == IDYES)
            {
                COptionsStandIns::RunAccountsDialog(m_hWndOwner, ::GetActiveWindow());
            }
            else
            {
                Enable(IDC_SIGNATURES_ADD, false);
                Enable(IDC_SIGNATURES_NOT_ON_REPLIES, false);
                break;
            }
        }
        CSignaturesTable signatures(&m_pDatabase->m_session);
        SetDlgItemText(IDC_SIGNATURES_TEXT, signatures.ReadSignature(m_hWnd));
    }
    catch (COLEDBException* pException)
    {
        AppMessageBox(CString(OptionsText::kSignaturesInitFailed) + pException->m_strMessage, MB_ICONSTOP,
                      m_hWnd);
        delete pException;
    }
    catch (CException* pException)
    {
        AppMessageBox(CString(OptionsText::kSignaturesInitFailed) + pException->m_strMessage, MB_ICONSTOP,
                      m_hWnd);
        delete pException;
    }
    catch (const char* pszText)
    {
        AppMessageBox(CString(OptionsText::kSignaturesInitFailed) + pszText, MB_ICONSTOP, m_hWnd);
    }
    return TRUE;
}

LRESULT CPageOptionsSignatures::OnAddSignatures(WORD, WORD, HWND, BOOL&)
{
    Enable(IDC_SIGNATURES_NOT_ON_REPLIES, IsChecked(IDC_SIGNATURES_ADD));
    return 0;
}

bool CPageOptionsSignatures::ReadOptionsFlags(LONG& nFlags)
{
    COptionsTable options(&m_pDatabase->m_session);
    options.m_UserID = 1;
    options.Open(m_hWnd);
    if (options.MoveFirst() != S_OK)
        return false;
    nFlags = options.m_Flags;
    return true;
}

void CPageOptionsSignatures::WriteOptionsFlags()
{
    COptionsTable options(&m_pDatabase->m_session);
    options.m_UserID = 1;
    options.Open(m_hWnd);
    if (options.MoveFirst() != S_OK)
        return;
    LONG nFlags = options.m_Flags & ~(kAddSignatures | kNotOnReplies);
    if (IsChecked(IDC_SIGNATURES_ADD))
        nFlags |= kAddSignatures;
    if (IsChecked(IDC_SIGNATURES_NOT_ON_REPLIES))
        nFlags |= kNotOnReplies;
    CSession* pSession = options.GetSession();
    options.CloseTable();
    // A statement of its own: writing the row back would turn a NULL default account into a value.
    CString strSQL;
    strSQL.Format(OptionsText::kUpdateOptionsFlags, (long)nFlags);
    CCommand<CNoAccessor, CNoRowset> command;
    HRESULT hr = command.Open(*pSession, strSQL, NULL, NULL, DBGUID_DEFAULT, false);
    if (FAILED(hr))
        throw new COLEDBException(command.m_spCommand, IID_ICommand, OptionsText::kUpdateOptionsFailed,
                                  pSession, m_hWnd, FALSE, NULL, FALSE, FALSE, hr);
}

void CPageOptionsSignatures::WriteSignature()
{
    CSignaturesTable signatures(&m_pDatabase->m_session);
    signatures.Open(m_hWnd, true);
    CString strText = ItemText(IDC_SIGNATURES_TEXT);
    CSequentialStream stream;
    ULONG nWritten = 0;
    stream.Write(strText.GetString(), (ULONG)strText.GetLength(), &nWritten);
    bool bInsert = signatures.MoveFirst() != S_OK;
    signatures.m_pSignatureText = &stream;
    signatures.m_SignatureLength = strText.GetLength();
    signatures.m_SignatureStatus = DBSTATUS_S_OK;
    HRESULT hr = bInsert ? signatures.Insert(1) : signatures.SetData(1);
    signatures.m_pSignatureText = NULL;
    if (FAILED(hr))
        throw new COLEDBException(signatures.m_spRowset, IID_IRowsetChange,
                                  bInsert ? OptionsText::kInsertSignaturesFailed
                                          : OptionsText::kUpdateSignaturesFailed,
                                  signatures.GetSession(), m_hWnd, FALSE, NULL, FALSE, FALSE, hr);
}

bool CPageOptionsSignatures::StoreValues()
{
    if (m_pDatabase == NULL)
        return true;
    try
    {
        if (!m_bNoOptionsRow)
            WriteOptionsFlags();
        WriteSignature();
        return true;
    }
    catch (COLEDBException* pException)
    {
        pException->ShowDialog(m_hWnd);
        delete pException;
    }
    catch (CException* pException)
    {
        AppMessageBox(pException->m_strMessage, MB_ICONSTOP, m_hWnd);
        delete pException;
    }
    catch (const char* pszText)
    {
        AppMessageBox(pszText, MB_ICONSTOP, m_hWnd);
    }
    return false;
}
