// The message dialog of an ".eml" file.
#include "ui/main/DlgMessageFile.h"

#include <vector>

#include "ui/main/MessageProperties.h"

namespace
{
// Not a charset index: the file is read with its own charset.
const int kOwnCharset = 255;

// The short path, upper-cased: one file has one key whatever name it is asked by.
CString FileKey(const CString& strFolder, const CString& strName)
{
    CString strPath = strFolder + strName;
    char szShort[MAX_PATH] = "";
    DWORD nLength = ::GetShortPathNameA(strPath, szShort, MAX_PATH);
    CString strKey = nLength > 0 && nLength < MAX_PATH ? CString(szShort) : strName;
    strKey.MakeUpper();
    return strKey;
}
} // namespace

void CDlgMessageFile::OpenMessage()
{
    m_message.OpenMessageFile(m_strPath, kOwnCharset);
}

LRESULT CDlgMessageFile::OnSaveAs(WORD, WORD, HWND, BOOL&)
{
    try
    {
        m_message.SaveAs(OwnerWindow());
    }
    catch (CFileException* pException)
    {
        AppMessageBox(pException->GetErrorText(), MB_ICONSTOP, OwnerWindow());
        delete pException;
    }
    catch (...)
    {
    }
    return 0;
}

CString CDlgMessageFile::NeighbourPath(bool bNext) const
{
    CString strFolder = GetPathFolder(m_strPath);
    std::vector<CString> names;
    WIN32_FIND_DATAA data;
    HANDLE hFind = ::FindFirstFileA(strFolder + "*." + "eml", &data);
    if (hFind != INVALID_HANDLE_VALUE)
    {
        do
        {
            if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
                names.push_back(data.cFileName);
        } while (::FindNextFileA(hFind, &data));
        ::FindClose(hFind);
    }
    MessageFileSteps::SortNames(names);
    CString strCurrent = FileKey(strFolder, GetPathFileNameExt(m_strPath));
    int nCurrent = -1;
    for (size_t i = 0; i < names.size() && nCurrent < 0; i++)
        if (FileKey(strFolder, names[i]) == strCurrent)
            nCurrent = (int)i;
    int nChosen = MessageFileSteps::Neighbour((int)names.size(), nCurrent, bNext);
    return nChosen >= 0 ? strFolder + names[nChosen] : CString();
}

LRESULT CDlgMessageFile::Step(bool bNext)
{
    CString strPath = NeighbourPath(bNext);
    if (strPath.IsEmpty())
        return 1;
    try
    {
        m_strPath = strPath;
        m_message.OpenMessageFile(m_strPath, kOwnCharset);
        ShowMessage();
        Relayout();
    }
    catch (CException* pException)
    {
        ShowErrorReportPrompt(pException->m_strMessage, NULL);
        delete pException;
    }
    catch (COLEDBException* pException)
    {
        delete pException;
    }
    catch (const char* pszText)
    {
        OfferErrorReport(CString(MessageDialogText::kViewFailed) + pszText);
    }
    catch (...)
    {
    }
    return 1;
}

LRESULT CDlgMessageFile::OnProperties(WORD, WORD, HWND, BOOL&)
{
    try
    {
        ShowMessageProperties(m_hWnd, m_message);
    }
    catch (...)
    {
    }
    return 0;
}
