// The History of exchanged messages: a copy of each message sent to or received from a contact of the
// central database, saved beside it, and one History row per contact address pointing to that copy.
#include "transport/History.h"

#include "content/EncodedWord.h"
#include "content/TextUtilities.h"
#include "foundation/ErrorUtil.h"
#include "foundation/Exception.h"
#include "foundation/Paths.h"
#include "foundation/TextServices.h"
#include "store/ContactsTable.h"
#include "store/EmailsImpl.h"
#include "store/OLEDBException.h"
#include "transport/ProgressTexts.h"

namespace
{
const int kMaxPathLength = 256;
const int kComputerNameSize = 51;

CString CentralFolder(CDatabaseSession* pCentral)
{
    CString strPath = pCentral->m_strDataSource;
    if (strPath.IsEmpty())
        strPath = pCentral->GetFileName();
    return GetPathFolder(strPath) + ProgressText::kEmailsFolder;
}

void Fail(const CString& strDetail)
{
    throw new CException(CString(ProgressText::kHistoryInsertFailed) + strDetail, "");
}
} // namespace

CHistoryLog::CHistoryLog(CDatabaseSession* pCentral, HWND hOwner)
    : m_History(pCentral != NULL ? &pCentral->m_session : NULL), m_pCentral(pCentral), m_hOwner(hOwner),
      m_nSiteID(0)
{
}

const char* CHistoryLog::DescribeDriveType(UINT nType)
{
    switch (nType)
    {
    case DRIVE_FIXED:
        return ProgressText::kLocationLocal;
    case DRIVE_REMOTE:
        return ProgressText::kLocationRemote;
    case DRIVE_UNKNOWN:
        return ProgressText::kDriveUnknownType;
    case DRIVE_NO_ROOT_DIR:
        return ProgressText::kDriveNoRoot;
    case DRIVE_REMOVABLE:
        return ProgressText::kDriveRemovable;
    case DRIVE_CDROM:
        return ProgressText::kDriveCdRom;
    case DRIVE_RAMDISK:
        return ProgressText::kDriveRamDisk;
    default:
        return ProgressText::kDriveOther;
    }
}

bool CHistoryLog::IsContactAddress(const char* pszAddress)
{
    CContactsTableHolder contacts(&m_pCentral->m_session);
    if (!contacts.FindByEmail(pszAddress, m_hOwner))
        return false;
    m_nSiteID = contacts.m_CustomerID;
    return true;
}

CString CHistoryLog::SaveCentralMessageCopy(const CString& strMessage)
{
    const CString strFolder = CentralFolder(m_pCentral);
    ::CreateDirectoryA(strFolder, NULL);
    const CString strStem = MakeFileName(DecodeEncodedWord(MessageText::GetHeaderField(strMessage, "Subject", 0)));
    // Created exclusively: a name another writer took in the meantime moves on to the next number.
    for (int nNumber = 1;; ++nNumber)
    {
        CString strPath = strFolder + strStem;
        if (nNumber == 1)
            strPath += ".eml";
        else
        {
            CString strNumber;
            strNumber.Format(" (%d).eml", nNumber);
            strPath += strNumber;
        }
        HANDLE hFile = ::CreateFileA(strPath, GENERIC_WRITE, 0, NULL, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, NULL);
        if (hFile == INVALID_HANDLE_VALUE)
        {
            const DWORD dwError = ::GetLastError();
            if ((dwError == ERROR_FILE_EXISTS || dwError == ERROR_ALREADY_EXISTS) && nNumber < 100000)
                continue;
            throw new CException(CString("ERROR: '") + strPath + "'\r\n" + GetLastErrorText(), "");
        }
        const char* pText = strMessage;
        int nLength = strMessage.GetLength();
        if (strncmp(pText, "\r\n", 2) == 0)
        {
            pText += 2;
            nLength -= 2;
        }
        DWORD dwWritten = 0;
        const BOOL bWritten = ::WriteFile(hFile, pText, (DWORD)nLength, &dwWritten, NULL);
        ::CloseHandle(hFile);
        if (!bWritten || dwWritten != (DWORD)nLength)
            throw new CException(CString("ERROR: '") + strPath + "'\r\n" + GetLastErrorText(), "");
        return strPath;
    }
}

int CHistoryLog::SetHistoryRecord(const char* pszAddress, const char* pszDirection, const CString& strMessage,
                                  const char* pszPath)
{
    CString strName, strAddress;
    SplitAddress(pszAddress, strName, strAddress);
    if (strAddress.IsEmpty())
        return 1;
    if (!IsContactAddress(strAddress))
        return 1;
    const CString strPath = pszPath != NULL ? CString(pszPath) : SaveCentralMessageCopy(strMessage);

    if (m_History.m_spRowset == NULL)
        m_History.Open(m_hOwner);
    CHistoryRecord& row = m_History;
    row = CHistoryRecord();
    row.m_SiteID = m_nSiteID;
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    ::SystemTimeToVariantTime(&now, &row.m_HDate);
    strncpy(row.m_HType, ProgressText::kHistoryType, sizeof(row.m_HType) - 1);
    strncpy(row.m_HDirection, pszDirection, sizeof(row.m_HDirection) - 1);

    if (strPath.GetLength() >= kMaxPathLength)
    {
        CString strDetail;
        strDetail.Format(ProgressText::kHistoryPathTooLong, (const char*)strPath, strPath.GetLength(),
                         kMaxPathLength);
        Fail(strDetail);
    }
    strncpy(row.m_HItem, strPath, sizeof(row.m_HItem) - 1);

    CString strRoot = GetDriveOrShare(strPath);
    if (!strRoot.IsEmpty() && strRoot.Right(1) != "\\")
        strRoot += "\\";
    const UINT nType = ::GetDriveTypeA(strRoot);
    if (nType != DRIVE_FIXED && nType != DRIVE_REMOTE)
    {
        CString strDetail;
        strDetail.Format(ProgressText::kHistoryDriveType, (const char*)strPath, DescribeDriveType(nType));
        Fail(strDetail);
    }
    strncpy(row.m_HLocation, DescribeDriveType(nType), sizeof(row.m_HLocation) - 1);

    char szComputer[kComputerNameSize] = {};
    DWORD dwSize = kComputerNameSize;
    if (!::GetComputerNameA(szComputer, &dwSize))
    {
        CString strDetail;
        strDetail.Format(ProgressText::kHistoryComputerName, (const char*)GetLastErrorText(), kComputerNameSize);
        Fail(strDetail);
    }
    strncpy(row.m_HWorkstation, szComputer, sizeof(row.m_HWorkstation) - 1);

    HRESULT hr = m_History.Insert(0);
    if (SUCCEEDED(hr))
        m_History.CloseTable();
    else
        delete new COLEDBException(m_History.m_spRowsetChange, IID_IRowsetChange,
                                   ProgressText::kHistoryInsertRowFailed, &m_pCentral->m_session, m_hOwner, FALSE,
                                   NULL, FALSE, FALSE, hr);
    return 1;
}
