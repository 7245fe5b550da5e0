// The folder choice and file writing of the message dialog.
#include "ui/main/DlgMessageImpl.h"

namespace
{
bool BrowseForAttachmentFolder(HWND hWndOwner, const char* pszName, CString& strFolder)
{
    CString strTitle;
    char szFormat[256] = "";
    ::LoadStringA(_Module.GetResourceInstance(), IDS_SAVE_ATTACHMENT_FOLDER, szFormat, sizeof(szFormat));
    strTitle.Format(szFormat, pszName);
    char szDisplay[MAX_PATH] = "";
    BROWSEINFOA info = {};
    info.hwndOwner = hWndOwner;
    info.pszDisplayName = szDisplay;
    info.lpszTitle = strTitle;
    info.ulFlags = BIF_RETURNONLYFSDIRS;
    LPITEMIDLIST pidl = ::SHBrowseForFolderA(&info);
    if (pidl == NULL)
        return false;
    char szPath[MAX_PATH] = "";
    bool bPath = ::SHGetPathFromIDListA(pidl, szPath) != FALSE;
    ::CoTaskMemFree(pidl);
    if (bPath)
        strFolder = szPath;
    return bPath;
}

AttachmentFolderChooser s_pfnChooser = BrowseForAttachmentFolder;
} // namespace

AttachmentFolderChooser SetAttachmentFolderChooser(AttachmentFolderChooser pfnChooser)
{
    AttachmentFolderChooser pfnOld = s_pfnChooser;
    s_pfnChooser = pfnChooser != NULL ? pfnChooser : BrowseForAttachmentFolder;
    return pfnOld;
}

bool ChooseAttachmentFolder(HWND hWndOwner, const char* pszName, CString& strFolder)
{
    return s_pfnChooser(hWndOwner, pszName, strFolder);
}

void WriteTextFile(const char* pszPath, const CString& strText)
{
    CFile file(pszPath, CFile::modeCreate | CFile::modeWrite);
    file.Write((const char*)strText, (UINT)strText.GetLength());
    file.Close();
}
