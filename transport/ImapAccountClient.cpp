// The shared per-account IMAP client behind the store's folder commands.
#include "transport/ImapAccountClient.h"

#include <map>
#include <mutex>
#include <string>

#include "foundation/ErrorUtil.h"
#include "foundation/Exception.h"
#include "transport/ImapUidReconcile.h"

namespace
{
std::mutex s_lock;
std::map<LONG, std::weak_ptr<CIMAPwrapperAccount>> s_accounts;

// The last part of a path: the folder's own name.
CString LastName(const char* pszPath, const CString& strDelimiter)
{
    const std::vector<std::string> parts = SplitImapFolderName(pszPath, (const char*)strDelimiter);
    return parts.empty() ? CString(pszPath) : CString(parts.back().c_str());
}
} // namespace

CImapAccountClient::CImapAccountClient(std::shared_ptr<CIMAPwrapperAccount> account, HWND hOwner)
    : m_pAccount(std::move(account)), m_hOwner(hOwner)
{
}

bool CImapAccountClient::Shown(const std::function<void()>& command)
{
    try
    {
        command();
        return true;
    }
    catch (CException* pException)
    {
        AppMessageBox(pException->m_strMessage, MB_OK | MB_ICONERROR, m_hOwner);
        delete pException;
    }
    catch (const char* pszText)
    {
        if (*pszText != '\0')
            AppMessageBox(pszText, MB_OK | MB_ICONERROR, m_hOwner);
    }
    return false;
}

void CImapAccountClient::CreateFolder(const char* pszPath)
{
    Shown([&] { m_pAccount->CreateFolder(pszPath, LastName(pszPath, m_pAccount->Delimiter())); });
    m_pAccount->UseTree(NULL, NULL);
}

void CImapAccountClient::RenameFolder(const char* pszOldPath, const char* pszNewPath)
{
    // The folder itself first; its subfolders follow on the same connection.
    if (m_bRenameFailed)
        return;
    const bool bFirst = m_nRenames++ == 0;
    m_bRenameFailed = !Shown([&] {
        if (bFirst)
            m_pAccount->RenameFolder(pszOldPath, pszNewPath, LastName(pszNewPath, m_pAccount->Delimiter()));
        else
            m_pAccount->RenameSubfolder(pszOldPath, pszNewPath);
    });
}

void CImapAccountClient::DeleteFolder(LONG nFolderID, const char* pszPath)
{
    Shown([&] { m_pAccount->DeleteFolder(nFolderID, pszPath); });
}

void CImapAccountClient::SelectFolder(LONG nFolderID, const char* pszPath, LONG nMessages)
{
    m_pAccount->FetchUids(nFolderID, pszPath, nMessages);
}

void CImapAccountClient::DeleteMessage(LONG nFolderID, const char* pszPath, const char* pszUniqueID)
{
    uint32_t nUid = 0;
    if (!ParseImapUid(pszUniqueID, nUid))
        return; // not a server message: nothing there to delete
    Shown([&] { m_pAccount->DeleteMessages(nFolderID, pszPath, FormatImapUid(nUid).c_str()); });
}

void CImapAccountClient::CallComponent(int nSlot)
{
    if (nSlot == 13)
        Shown([&] { m_pAccount->SetCaption(); });
    else if (nSlot == 15)
    {
        m_nRenames = 0;
        m_bRenameFailed = false;
        Shown([&] { m_pAccount->EndFolderCommand(); });
        // The tree may be refilled now: no later event may reach for its items.
        m_pAccount->UseTree(NULL, NULL);
    }
}

bool CImapAccountClient::ListFolders()
{
    const bool bListed = Shown([&] { m_pAccount->List(); });
    m_pAccount->UseTree(NULL, NULL);
    return bListed;
}

void CImapAccountClient::UseTree(HWND hTree, HTREEITEM hItem)
{
    m_pAccount->UseTree(hTree, hItem);
}

CImapFolderClient* MakeImapAccountClient(const CAccountsRecord& account, HWND hOwner)
{
    std::lock_guard<std::mutex> guard(s_lock);
    std::shared_ptr<CIMAPwrapperAccount> pAccount = s_accounts[account.m_ID].lock();
    if (pAccount == NULL)
    {
        try
        {
            pAccount = std::make_shared<CIMAPwrapperAccount>(hOwner, account, (HWND)NULL);
        }
        catch (const char*)
        {
            return NULL; // declined or not installed: the account works without its server
        }
        s_accounts[account.m_ID] = pAccount;
    }
    return new CImapAccountClient(pAccount, hOwner);
}

void InstallImapClient()
{
    SetImapFolderClientFactory(MakeImapAccountClient);
}
