// A session's transaction, aborted unless committed.
#include "ui/addressbook/TransactionGuard.h"

#include "store/OLEDBException.h"
#include "ui/addressbook/AddressBookTexts.h"

CTransactionGuard::CTransactionGuard(CSession* pSession, HWND hOwner) : m_pSession(pSession), m_hOwner(hOwner)
{
    HRESULT hr = m_pSession->StartTransaction(ISOLATIONLEVEL_READCOMMITTED);
    if (FAILED(hr))
        throw new COLEDBException(m_pSession->m_spOpenRowset, IID_ITransactionLocal,
                                  AddressBookText::kStartTransactionFailed, m_pSession, hOwner, TRUE, NULL, FALSE,
                                  TRUE, hr);
    m_bOpen = true;
}

void CTransactionGuard::Commit()
{
    if (!m_bOpen)
        return;
    HRESULT hr = m_pSession->Commit(FALSE, XACTTC_SYNC, 0);
    if (FAILED(hr))
    {
        COLEDBException* pException =
            new COLEDBException(m_pSession->m_spOpenRowset, IID_ITransactionLocal, AddressBookText::kCommitFailed,
                                m_pSession, m_hOwner, TRUE, NULL, FALSE, TRUE, hr);
        Abort();
        throw pException;
    }
    m_bOpen = false;
}

void CTransactionGuard::Abort()
{
    if (!m_bOpen)
        return;
    m_bOpen = false;
    m_pSession->Abort();
}
