// The message dialog of a stored message.
#include "ui/main/DlgMessage.h"

#include "ui/main/MessageProperties.h"

void CDlgMessage::OpenMessage()
{
    m_message.SelectByID(m_nEmailsID, OwnerWindow());
    LONG nFolderID = m_message.m_FolderID;
    m_message.OpenByFolder(nFolderID, OwnerWindow());
    if (!SeekTo(m_nEmailsID))
    {
        CString strText;
        strText.Format(MessageStoreText::kMessageNotFound, (long)m_nEmailsID);
        throw new CException(strText, "");
    }
}

bool CDlgMessage::SeekTo(LONG nEmailsID)
{
    while (m_message.MoveNext(FALSE, FALSE) == S_OK)
    {
        if (m_message.m_EmailsID == nEmailsID)
        {
            m_message.GetMessage();
            return true;
        }
        m_message.ReleaseMessageStream();
    }
    return false;
}

LRESULT CDlgMessage::Step(bool bForward, const char* pszFailure)
{
    try
    {
        m_message.ReleaseMessageStream();
        HRESULT hr = bForward ? m_message.MoveNext(FALSE, TRUE) : m_message.MovePrevious(TRUE);
        if (hr != S_OK)
        {
            // A move past either end leaves no current row: stand on the shown message again.
            OpenMessage();
            return 1;
        }
        ShowMessage();
        Relayout();
        m_nEmailsID = m_message.m_EmailsID;
    }
    catch (CException* pException)
    {
        delete pException;
        if (IsTraceOn())
            g_pTraceFile->WriteText(pszFailure);
    }
    catch (COLEDBException* pException)
    {
        delete pException;
        if (IsTraceOn())
            g_pTraceFile->WriteText(pszFailure);
    }
    catch (...)
    {
        if (IsTraceOn())
            g_pTraceFile->WriteText(pszFailure);
    }
    return 1;
}

LRESULT CDlgMessage::OnNext(WORD, WORD, HWND, BOOL&)
{
    return Step(true, "CDlgMessage::OnNext(...). Unhandled exception!!!\r\n");
}

LRESULT CDlgMessage::OnPrevious(WORD, WORD, HWND, BOOL&)
{
    return Step(false, "CDlgMessage::OnPrevious(...). Unhandled exception!!!\r\n");
}

LRESULT CDlgMessage::OnProperties(WORD, WORD, HWND, BOOL&)
{
    try
    {
        CEmailsImpl<> store(m_message.m_pSession);
        if (store.OpenByKey(m_nEmailsID, TRUE, OwnerWindow()))
            ShowMessageProperties(m_hWnd, store);
    }
    catch (COLEDBException* pException)
    {
        delete pException;
    }
    catch (CException* pException)
    {
        delete pException;
    }
    catch (...)
    {
    }
    return 0;
}
