// The settings store.
#include "foundation/Registry.h"

#include <string.h>

#include <memory>

#include "foundation/BuiltInHosts.h"
#include "foundation/ErrorUtil.h"
#include "foundation/Paths.h"
#include "foundation/RegExp.h"
#include "foundation/Texts.h"
#include "foundation/TraceFile.h"

CRegistry* g_pRegistry = NULL;
int g_bViewAllHeaders = 0;
int g_bViewHtmlSource = 0;
char g_szAttachmentsPath[MAX_PATH] = "";
int g_bPrivateContacts = 0;
int g_bConnectToOrb = 1;
int g_bNotLogToOrb = 1;
int g_bUseMyDatabase = 1;
int g_bSettingsReadOnly = 0;

namespace
{
const char kViewAllHeaders[] = "View all headers of the new message";
const char kViewHtmlSource[] = "View of the editor of HTML source of the new message";
const char kHtmlSendFontName[] = "HTML Send Font Name";
const char kHtmlSendFontSize[] = "HTML Send Font Size";
const char kOnlyWithEmail[] = "Only display users with an email address";
const char kDisplayAssociatePrompt[] = "Display associate prompt";
const char kAttachmentsPath[] = "Attachments Path";
const char kLocalDatabase[] = "Local Database File Name";
const char kOrbDatabase[] = "Vorn Vedura Database File Name";
const char kPrivateContacts[] = "Private Contacts";
const char kConnectToOrb[] = "Connect to Vorn Vedura";
const char kNotLogToOrb[] = "Not log to Vorn Vedura";
const char kAccountsDatabase[] = "Accounts Database FileName";
const char kUseMyDatabase[] = "Accounts";
const char kEmailMeServer[] = "Email me SMTP server";
const char kEmailMeFrom[] = "Email me from";
const char kEmailMeTo[] = "Email me to";
const char kLastSynchronization[] = "Last time of the synchronization with Vorn Vedura Database";
const char kStartReceiveNumber[] = "Start Receive Message Number";
const char kMarkReadTimeOut[] = "Mark Message Read After Displaying For TimeOut";
const char kMarkRead[] = "Mark Message Read After Displaying For";
const char kOrderByDate[] = "Mark Order By Date";
const char kCheckNewTimeOut[] = "Check New Messages TimeOut";
const char kCheckNew[] = "Check New Messages";
const char kUpdateUrl[] = "Internet Update URL";
const char kUpdateWhenStarting[] = "Internet Update When Starting";
const char kCheckSpelling[] = "Check Spelling Before Send";
const char kTraceFileName[] = "Trace File Name";
const char kServerLog[] =
    "Vorn Email can save all commands to and from a server in a log file for troubleshooting purposes.";
const char kMessageBodyHeight[] = "Message Body Height";
const char kFoldersContactsWidth[] = "Folders Contacts Width";
const char kContactsHeight[] = "Contacts Height";
const char kFrameRect[] = "Frame Rect";
const char kMaximized[] = "Maximized";
const char kColumnOrder[] = "AddressBook Column Order Array";
const char kColumnWidthName[] = "AddressBook Column Width Name";
const char kColumnWidthAddress[] = "AddressBook Column Width Address";
const char kColumnWidthCompany[] = "AddressBook Column Width Company";
const char kColumnWidthPosition[] = "AddressBook Column Width Position";
const char kColumnWidthDDI[] = "AddressBook Column Width DDI";
const char kColumnWidthMobile[] = "AddressBook Column Width Mobile";
const char kStartInInbox[] = "When starting, go directly to my 'Inbox' folder";
const char kIncludeBusinessCard[] = "Vcard. To include your business card in new messages";
const char kBusinessCardContactId[] = "Vcard. Contact's identifier of your business card";
const char kDefaultInstallDirectory[] = "Default Install Directory";

const DWORD kKeyAccess = KEY_READ | KEY_WRITE;
const DWORD kTextBufferSize = MAX_PATH;
const DWORD kDateBufferSize = 128;

class CRegKeyHolder
{
public:
    explicit CRegKeyHolder(HKEY hKey = NULL) : m_hKey(hKey) {}
    ~CRegKeyHolder()
    {
        if (m_hKey != NULL)
            ::RegCloseKey(m_hKey);
    }
    HKEY m_hKey;

private:
    CRegKeyHolder(const CRegKeyHolder&);
    CRegKeyHolder& operator=(const CRegKeyHolder&);
};

HKEY CreateSubKey(HKEY hParent, const char* pszName)
{
    HKEY hKey = NULL;
    DWORD dwDisposition = 0;
    if (::RegCreateKeyExA(hParent, pszName, 0, NULL, REG_OPTION_NON_VOLATILE, kKeyAccess, NULL, &hKey,
                          &dwDisposition) != ERROR_SUCCESS)
        return NULL;
    return hKey;
}

// The whole text of a REG_SZ value; false when it is missing or of another type.
bool QueryText(HKEY hKey, const char* pszEntry, CString& strValue)
{
    DWORD dwType = 0;
    DWORD cbData = 0;
    if (::RegQueryValueExA(hKey, pszEntry, NULL, &dwType, NULL, &cbData) != ERROR_SUCCESS)
        return false;
    if (dwType != REG_SZ && dwType != REG_EXPAND_SZ)
        return false;
    std::unique_ptr<char[]> buffer(new char[cbData + 1]);
    if (::RegQueryValueExA(hKey, pszEntry, NULL, &dwType, (BYTE*)buffer.get(), &cbData) != ERROR_SUCCESS)
        return false;
    buffer[cbData] = '\0';
    strValue = buffer.get();
    return true;
}

CString DataFolderFile(const char* pszName)
{
    return GetUserDataFolder() + pszName;
}
} // namespace

CRegistry::CRegistry(const char* pszApplication)
    : m_nHtmlSendFontSize(-1), m_strCompany(FoundationText::kCompany),
      m_strApplication(pszApplication != NULL ? pszApplication : FoundationText::kApplication),
      m_bOnlyWithEmail(1), m_bDisplayAssociatePrompt(1), m_nStartReceiveMessageNumber(0),
      m_dateLastSynchronization(0), m_nMarkReadTimeOut(5000), m_bMarkRead(1), m_bOrderByDate(1),
      m_nCheckNewTimeOut(900000), m_bCheckNew(1), m_bUpdateWhenStarting(1), m_bCheckSpelling(1)
{
    if (g_pRegistry == NULL)
        g_pRegistry = this;
    LoadDefaults();
}

CRegistry::~CRegistry()
{
    if (!g_bSettingsReadOnly)
        Save();
    if (g_pRegistry == this)
        g_pRegistry = NULL;
}

HKEY CRegistry::GetAppRegistryKey()
{
    HKEY hSoftware = NULL;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, FoundationText::kSoftwareKey, 0, kKeyAccess, &hSoftware) !=
        ERROR_SUCCESS)
        return NULL;
    CRegKeyHolder software(hSoftware);
    CRegKeyHolder company(CreateSubKey(software.m_hKey, m_strCompany));
    if (company.m_hKey == NULL)
        return NULL;
    return CreateSubKey(company.m_hKey, m_strApplication);
}

HKEY CRegistry::GetSectionKey(const char* pszSection)
{
    CRegKeyHolder app(GetAppRegistryKey());
    if (app.m_hKey == NULL)
        return NULL;
    return CreateSubKey(app.m_hKey, pszSection);
}

int CRegistry::GetProfileInt(const char* pszSection, const char* pszEntry, int nDefault)
{
    CRegKeyHolder section(GetSectionKey(pszSection));
    if (section.m_hKey == NULL)
        return nDefault;
    DWORD dwValue = 0;
    DWORD dwType = 0;
    DWORD cbData = sizeof(dwValue);
    if (::RegQueryValueExA(section.m_hKey, pszEntry, NULL, &dwType, (BYTE*)&dwValue, &cbData) !=
            ERROR_SUCCESS ||
        dwType != REG_DWORD || cbData != sizeof(dwValue))
        return nDefault;
    return (int)dwValue;
}

CString CRegistry::GetProfileString(const char* pszSection, const char* pszEntry, const char* pszDefault)
{
    CString strDefault = pszDefault != NULL ? pszDefault : "";
    CRegKeyHolder section(GetSectionKey(pszSection));
    if (section.m_hKey == NULL)
        return strDefault;
    CString strValue;
    if (!QueryText(section.m_hKey, pszEntry, strValue))
        return strDefault;
    return strValue;
}

BOOL CRegistry::GetProfileStringBuf(const char* pszSection, const char* pszEntry, char* pszBuffer,
                                    DWORD nSize, const char* pszDefault)
{
    if (pszBuffer == NULL || nSize == 0)
        return FALSE;
    pszBuffer[0] = '\0';
    CString strValue;
    CRegKeyHolder section(GetSectionKey(pszSection));
    if (section.m_hKey == NULL || !QueryText(section.m_hKey, pszEntry, strValue))
    {
        strValue = pszDefault != NULL ? pszDefault : "";
    }
    if ((DWORD)strValue.GetLength() >= nSize)
        return FALSE;
    memcpy(pszBuffer, strValue.GetString(), strValue.GetLength() + 1);
    return TRUE;
}

BOOL CRegistry::WriteProfileInt(const char* pszSection, const char* pszEntry, int nValue)
{
    CRegKeyHolder section(GetSectionKey(pszSection));
    if (section.m_hKey == NULL)
        return FALSE;
    DWORD dwValue = (DWORD)nValue;
    return ::RegSetValueExA(section.m_hKey, pszEntry, 0, REG_DWORD, (const BYTE*)&dwValue, sizeof(dwValue)) ==
           ERROR_SUCCESS;
}

BOOL CRegistry::GetProfileBinary(const char* pszSection, const char* pszEntry, BYTE** ppData, UINT* pnBytes)
{
    *ppData = NULL;
    *pnBytes = 0;
    CRegKeyHolder section(GetSectionKey(pszSection));
    if (section.m_hKey == NULL)
        return FALSE;
    DWORD dwType = 0;
    DWORD cbData = 0;
    if (::RegQueryValueExA(section.m_hKey, pszEntry, NULL, &dwType, NULL, &cbData) != ERROR_SUCCESS ||
        dwType != REG_BINARY)
        return FALSE;
    BYTE* pData = new BYTE[cbData ? cbData : 1];
    if (::RegQueryValueExA(section.m_hKey, pszEntry, NULL, &dwType, pData, &cbData) != ERROR_SUCCESS)
    {
        delete[] pData;
        return FALSE;
    }
    *ppData = pData;
    *pnBytes = cbData;
    return TRUE;
}

BOOL CRegistry::WriteProfileBinary(const char* pszSection, const char* pszEntry, const BYTE* pData,
                                   UINT nBytes)
{
    CRegKeyHolder section(GetSectionKey(pszSection));
    if (section.m_hKey == NULL)
        return FALSE;
    return ::RegSetValueExA(section.m_hKey, pszEntry, 0, REG_BINARY, pData, nBytes) == ERROR_SUCCESS;
}

BOOL CRegistry::WriteProfileString(const char* pszSection, const char* pszEntry, const char* pszValue)
{
    if (pszEntry == NULL)
    {
        CRegKeyHolder app(GetAppRegistryKey());
        if (app.m_hKey == NULL)
            return FALSE;
        return ::RegDeleteKeyA(app.m_hKey, pszSection) == ERROR_SUCCESS;
    }
    CRegKeyHolder section(GetSectionKey(pszSection));
    if (section.m_hKey == NULL)
        return FALSE;
    if (pszValue == NULL)
        return ::RegDeleteValueA(section.m_hKey, pszEntry) == ERROR_SUCCESS;
    return ::RegSetValueExA(section.m_hKey, pszEntry, 0, REG_SZ, (const BYTE*)pszValue,
                            (DWORD)strlen(pszValue) + 1) == ERROR_SUCCESS;
}

int CRegistry::GetMessageBodyHeight()
{
    return GetProfileInt(FoundationText::kOptions, kMessageBodyHeight, 185);
}

BOOL CRegistry::SetMessageBodyHeight(int nValue)
{
    return WriteProfileInt(FoundationText::kOptions, kMessageBodyHeight, nValue);
}

int CRegistry::GetFoldersContactsWidth()
{
    return GetProfileInt(FoundationText::kOptions, kFoldersContactsWidth, 370);
}

BOOL CRegistry::SetFoldersContactsWidth(int nValue)
{
    return WriteProfileInt(FoundationText::kOptions, kFoldersContactsWidth, nValue);
}

int CRegistry::GetContactsHeight()
{
    return GetProfileInt(FoundationText::kOptions, kContactsHeight, 185);
}

BOOL CRegistry::SetContactsHeight(int nValue)
{
    return WriteProfileInt(FoundationText::kOptions, kContactsHeight, nValue);
}

int CRegistry::GetColumnWidthName()
{
    return GetProfileInt(FoundationText::kOptions, kColumnWidthName, 100);
}

BOOL CRegistry::SetColumnWidthName(int nValue)
{
    return WriteProfileInt(FoundationText::kOptions, kColumnWidthName, nValue);
}

int CRegistry::GetColumnWidthAddress()
{
    return GetProfileInt(FoundationText::kOptions, kColumnWidthAddress, 100);
}

BOOL CRegistry::SetColumnWidthAddress(int nValue)
{
    return WriteProfileInt(FoundationText::kOptions, kColumnWidthAddress, nValue);
}

int CRegistry::GetColumnWidthCompany()
{
    return GetProfileInt(FoundationText::kOptions, kColumnWidthCompany, 100);
}

BOOL CRegistry::SetColumnWidthCompany(int nValue)
{
    return WriteProfileInt(FoundationText::kOptions, kColumnWidthCompany, nValue);
}

int CRegistry::GetColumnWidthPosition()
{
    return GetProfileInt(FoundationText::kOptions, kColumnWidthPosition, 100);
}

BOOL CRegistry::SetColumnWidthPosition(int nValue)
{
    return WriteProfileInt(FoundationText::kOptions, kColumnWidthPosition, nValue);
}

int CRegistry::GetColumnWidthDDI()
{
    return GetProfileInt(FoundationText::kOptions, kColumnWidthDDI, 100);
}

BOOL CRegistry::SetColumnWidthDDI(int nValue)
{
    return WriteProfileInt(FoundationText::kOptions, kColumnWidthDDI, nValue);
}

int CRegistry::GetColumnWidthMobile()
{
    return GetProfileInt(FoundationText::kOptions, kColumnWidthMobile, 100);
}

BOOL CRegistry::SetColumnWidthMobile(int nValue)
{
    return WriteProfileInt(FoundationText::kOptions, kColumnWidthMobile, nValue);
}

int CRegistry::GetIncludeBusinessCard()
{
    return GetProfileInt(FoundationText::kOptions, kIncludeBusinessCard, 0);
}

BOOL CRegistry::SetIncludeBusinessCard(int nValue)
{
    return WriteProfileInt(FoundationText::kOptions, kIncludeBusinessCard, nValue);
}

int CRegistry::GetBusinessCardContactId()
{
    return GetProfileInt(FoundationText::kOptions, kBusinessCardContactId, -1);
}

BOOL CRegistry::SetBusinessCardContactId(int nValue)
{
    return WriteProfileInt(FoundationText::kOptions, kBusinessCardContactId, nValue);
}

int CRegistry::GetStartInInbox()
{
    return GetProfileInt(FoundationText::kOptions, kStartInInbox, 1);
}

BOOL CRegistry::SetStartInInbox(int nValue)
{
    return WriteProfileInt(FoundationText::kOptions, kStartInInbox, nValue);
}

int CRegistry::GetServerLog()
{
    g_bTraceOn = GetProfileInt(FoundationText::kOptions, kServerLog, g_bTraceOn);
    return g_bTraceOn;
}

BOOL CRegistry::SetServerLog(int nValue)
{
    g_bTraceOn = nValue;
    return WriteProfileInt(FoundationText::kOptions, kServerLog, nValue);
}

void CRegistry::SaveFrameRect(const RECT& rc, BOOL bMaximized)
{
    INT32 values[4] = {(INT32)rc.left, (INT32)rc.top, (INT32)rc.right, (INT32)rc.bottom};
    WriteProfileBinary(FoundationText::kOptions, kFrameRect, (const BYTE*)values, sizeof(values));
    WriteProfileInt(FoundationText::kOptions, kMaximized, bMaximized);
}

BOOL CRegistry::LoadFrameRect(RECT& rc, int& nShowCmd)
{
    if (GetProfileInt(FoundationText::kOptions, kMaximized, 0) != 0)
        nShowCmd = SW_SHOWMAXIMIZED;
    BYTE* pData = NULL;
    UINT nBytes = 0;
    if (GetProfileBinary(FoundationText::kOptions, kFrameRect, &pData, &nBytes))
    {
        if (nBytes == 4 * sizeof(INT32))
        {
            INT32 values[4];
            memcpy(values, pData, sizeof(values));
            rc.left = values[0];
            rc.top = values[1];
            rc.right = values[2];
            rc.bottom = values[3];
        }
        delete[] pData;
    }
    int nScreenHeight = 0;
    HDC hdc = ::CreateDCA("DISPLAY", NULL, NULL, NULL);
    if (hdc != NULL)
    {
        nScreenHeight = ::GetDeviceCaps(hdc, VERTRES);
        ::DeleteDC(hdc);
    }
    long nWidth = rc.right - rc.left;
    long nHeight = rc.bottom - rc.top;
    return nWidth >= 1 && nHeight >= 1 && rc.top >= 1 && rc.top < nScreenHeight && nHeight < nScreenHeight;
}

void CRegistry::SetAddressBookColumnOrder(int nCount, const int* pIndexes)
{
    if (nCount < 0)
        return;
    std::unique_ptr<INT32[]> values(new INT32[nCount ? nCount : 1]);
    for (int i = 0; i < nCount; i++)
        values[i] = pIndexes[i];
    WriteProfileBinary(FoundationText::kOptions, kColumnOrder, (const BYTE*)values.get(),
                       nCount * sizeof(INT32));
}

void CRegistry::GetAddressBookColumnOrder(int nCount, int* pIndexes)
{
    if (nCount <= 0)
        return;
    BYTE* pData = NULL;
    UINT nBytes = 0;
    bool bStored = GetProfileBinary(FoundationText::kOptions, kColumnOrder, &pData, &nBytes) &&
                   nBytes == nCount * sizeof(INT32);
    for (int i = 0; i < nCount; i++)
    {
        INT32 nIndex = i;
        if (bStored)
            memcpy(&nIndex, pData + i * sizeof(INT32), sizeof(INT32));
        pIndexes[i] = nIndex;
    }
    delete[] pData;
}

CString CRegistry::GetAccountsDatabaseFileName(BOOL bFromRegistry)
{
    if (!bFromRegistry)
        return m_strAccountsDatabase;
    return ReadDatabaseName(kAccountsDatabase, m_strAccountsDatabase);
}

CString CRegistry::GetLocalDatabaseFileName(BOOL bFromRegistry)
{
    if (!bFromRegistry)
        return m_strLocalDatabase;
    return ReadDatabaseName(kLocalDatabase, m_strLocalDatabase);
}

void CRegistry::ReadOnlyWithEmailCheck(HWND hDlg, int nIdControl)
{
    if (hDlg != NULL && ::IsWindow(hDlg))
        m_bOnlyWithEmail = ::IsDlgButtonChecked(hDlg, nIdControl) == BST_CHECKED;
}

void CRegistry::ShowOnlyWithEmailCheck(HWND hDlg, int nIdControl)
{
    ::CheckDlgButton(hDlg, nIdControl, m_bOnlyWithEmail ? BST_CHECKED : BST_UNCHECKED);
}

CString CRegistry::GetDefaultInstallDirectory()
{
    char szPath[kTextBufferSize];
    GetProfileStringBuf(FoundationText::kOptions, kDefaultInstallDirectory, szPath, sizeof(szPath), "");
    CString strPath = szPath;
    if (strPath.IsEmpty())
        GetOrbRegistryPath(strPath);
    return strPath;
}

// A stored name too long for a path would otherwise load as empty and send the database open to nowhere.
CString CRegistry::ReadDatabaseName(const char* pszEntry, const CString& strDefault)
{
    char szName[kTextBufferSize];
    if (!GetProfileStringBuf(FoundationText::kOptions, pszEntry, szName, sizeof(szName), strDefault))
        return strDefault;
    return szName;
}

void CRegistry::LoadDefaults()
{
    const char* pszOptions = FoundationText::kOptions;
    g_bTraceOn = GetProfileInt(pszOptions, kServerLog, g_bTraceOn);

    g_bViewAllHeaders = GetProfileInt(pszOptions, kViewAllHeaders, 0);
    g_bViewHtmlSource = GetProfileInt(pszOptions, kViewHtmlSource, 0);
    m_strHtmlSendFontName = GetProfileString(pszOptions, kHtmlSendFontName, "");
    m_nHtmlSendFontSize = GetProfileInt(pszOptions, kHtmlSendFontSize, -1);
    m_bOnlyWithEmail = GetProfileInt(pszOptions, kOnlyWithEmail, 1);
    m_bDisplayAssociatePrompt = GetProfileInt(pszOptions, kDisplayAssociatePrompt, 1);
    GetProfileStringBuf(pszOptions, kAttachmentsPath, g_szAttachmentsPath, sizeof(g_szAttachmentsPath), "");
    m_strLocalDatabase =
        ReadDatabaseName(kLocalDatabase, DataFolderFile(FoundationText::kDefaultLocalDatabase));
    CString strOrbPath;
    GetOrbRegistryPath(strOrbPath);
    m_strOrbDatabase = ReadDatabaseName(kOrbDatabase, strOrbPath + FoundationText::kDefaultOrbDatabase);
    g_bPrivateContacts = GetProfileInt(pszOptions, kPrivateContacts, g_bPrivateContacts);
    g_bConnectToOrb = GetProfileInt(pszOptions, kConnectToOrb, 1);
    g_bNotLogToOrb = GetProfileInt(pszOptions, kNotLogToOrb, 1);
    m_strAccountsDatabase =
        ReadDatabaseName(kAccountsDatabase, DataFolderFile(FoundationText::kDefaultAccountsDatabase));
    g_bUseMyDatabase = GetProfileInt(pszOptions, kUseMyDatabase, 1);

    if (m_strLocalDatabase == m_strOrbDatabase)
    {
        CString strWarning = CString(FoundationText::kSameDatabaseWarning1) + m_strOrbDatabase +
                             FoundationText::kSameDatabaseWarning2 + m_strLocalDatabase +
                             FoundationText::kSameDatabaseWarning3;
        AppMessageBox(strWarning, 0, NULL);
    }

    char szText[kTextBufferSize];
    GetProfileStringBuf(pszOptions, kEmailMeServer, szText, sizeof(szText), BuiltInHosts::kSupportSmtpServer);
    m_strEmailMeServer = szText;
    GetProfileStringBuf(pszOptions, kEmailMeFrom, szText, sizeof(szText), "");
    m_strEmailMeFrom = szText;
    m_strEmailMeTo = BuiltInHosts::kSupportMailbox;
    char szDate[kDateBufferSize];
    GetProfileStringBuf(pszOptions, kLastSynchronization, szDate, sizeof(szDate), "");
    m_dateLastSynchronization = ParseDateSetting(szDate);
    m_nStartReceiveMessageNumber = GetProfileInt(pszOptions, kStartReceiveNumber, 0);
    m_nMarkReadTimeOut = GetProfileInt(pszOptions, kMarkReadTimeOut, 5000);
    m_bMarkRead = GetProfileInt(pszOptions, kMarkRead, 1);
    m_bOrderByDate = GetProfileInt(pszOptions, kOrderByDate, 1);
    m_nCheckNewTimeOut = GetProfileInt(pszOptions, kCheckNewTimeOut, 900000);
    m_bCheckNew = GetProfileInt(pszOptions, kCheckNew, 1);
    m_strUpdateUrl = GetProfileString(pszOptions, kUpdateUrl,
                                      CString(FoundationText::kUpdateUrlPrefix) +
                                          BuiltInHosts::kUpdateServerHost + FoundationText::kUpdateUrlSuffix);
    m_bUpdateWhenStarting = GetProfileInt(pszOptions, kUpdateWhenStarting, 1);
    m_bCheckSpelling = GetProfileInt(pszOptions, kCheckSpelling, 1);

    GetProfileString(pszOptions, kTraceFileName, "");
    if (g_pTraceFile == NULL)
        g_pTraceFile = new CTraceFile(NULL);
    // A read-only instance leaves the running one's settings alone, this path included.
    if (!g_bSettingsReadOnly)
        WriteProfileString(pszOptions, kTraceFileName, g_pTraceFile->GetFilePath());
}

void CRegistry::Save()
{
    const char* pszOptions = FoundationText::kOptions;
    WriteProfileInt(pszOptions, kViewAllHeaders, g_bViewAllHeaders);
    WriteProfileInt(pszOptions, kViewHtmlSource, g_bViewHtmlSource);
    WriteProfileString(pszOptions, kHtmlSendFontName, m_strHtmlSendFontName);
    WriteProfileInt(pszOptions, kHtmlSendFontSize, m_nHtmlSendFontSize);
    WriteProfileInt(pszOptions, kOnlyWithEmail, m_bOnlyWithEmail);
    WriteProfileInt(pszOptions, kDisplayAssociatePrompt, m_bDisplayAssociatePrompt);
    WriteProfileString(pszOptions, kAttachmentsPath, g_szAttachmentsPath);
    WriteProfileString(pszOptions, kTraceFileName, "");
    WriteProfileString(pszOptions, kLocalDatabase, m_strLocalDatabase);
    WriteProfileString(pszOptions, kOrbDatabase, m_strOrbDatabase);
    WriteProfileInt(pszOptions, kPrivateContacts, g_bPrivateContacts);
    WriteProfileInt(pszOptions, kConnectToOrb, g_bConnectToOrb);
    WriteProfileInt(pszOptions, kNotLogToOrb, g_bNotLogToOrb);
    WriteProfileString(pszOptions, kAccountsDatabase, m_strAccountsDatabase);
    WriteProfileInt(pszOptions, kUseMyDatabase, g_bUseMyDatabase);
    WriteProfileString(pszOptions, kEmailMeServer, m_strEmailMeServer);
    WriteProfileString(pszOptions, kEmailMeFrom, m_strEmailMeFrom);
    WriteProfileString(pszOptions, kEmailMeTo, m_strEmailMeTo);
    WriteProfileString(pszOptions, kLastSynchronization, FormatDateSetting(m_dateLastSynchronization));
    WriteProfileInt(pszOptions, kStartReceiveNumber, m_nStartReceiveMessageNumber);
    WriteProfileInt(pszOptions, kMarkReadTimeOut, m_nMarkReadTimeOut);
    WriteProfileInt(pszOptions, kMarkRead, m_bMarkRead);
    WriteProfileInt(pszOptions, kOrderByDate, m_bOrderByDate);
    WriteProfileInt(pszOptions, kCheckNewTimeOut, m_nCheckNewTimeOut);
    WriteProfileInt(pszOptions, kCheckNew, m_bCheckNew);
    WriteProfileString(pszOptions, kUpdateUrl, m_strUpdateUrl);
    WriteProfileInt(pszOptions, kUpdateWhenStarting, m_bUpdateWhenStarting);
    WriteProfileInt(pszOptions, kCheckSpelling, m_bCheckSpelling);
}

LONG GetOrbRegistryPath(CString& strPath)
{
    strPath.Empty();
    HKEY hKey = NULL;
    LONG lResult = ::RegOpenKeyExA(HKEY_LOCAL_MACHINE, FoundationText::kOrbRegistryKey, 0, KEY_READ, &hKey);
    if (lResult != ERROR_SUCCESS)
    {
        strPath = GetUserDataFolder();
    }
    else
    {
        CRegKeyHolder key(hKey);
        DWORD dwType = 0;
        DWORD cbData = 1024;
        std::unique_ptr<char[]> buffer(new char[cbData + 1]);
        lResult = ::RegQueryValueExA(hKey, FoundationText::kOrbRegistryValue, NULL, &dwType,
                                     (BYTE*)buffer.get(), &cbData);
        if (lResult == ERROR_MORE_DATA)
        {
            buffer.reset(new char[cbData + 1]);
            lResult = ::RegQueryValueExA(hKey, FoundationText::kOrbRegistryValue, NULL, &dwType,
                                         (BYTE*)buffer.get(), &cbData);
        }
        if (lResult == ERROR_SUCCESS && (dwType == REG_SZ || dwType == REG_EXPAND_SZ))
        {
            buffer[cbData] = '\0';
            strPath = buffer.get();
        }
    }
    if (strPath.IsEmpty())
        return -2;
    if (strPath[strPath.GetLength() - 1] != '\\')
        strPath += '\\';
    return lResult;
}

CString FormatDateSetting(DATE date)
{
    SYSTEMTIME st;
    memset(&st, 0, sizeof(st));
    ::VariantTimeToSystemTime(date, &st);
    CString strText;
    strText.Format(FoundationText::kDateSettingFormat, st.wDay, st.wMonth, st.wYear, st.wHour, st.wMinute);
    return strText;
}

DATE ParseDateSetting(const char* pszText)
{
    if (pszText == NULL)
        return 0;
    CRegExp regExp(FoundationText::kDateSettingPattern);
    if (!regExp.Match(pszText) || regExp.SubStrings() != 5)
        return 0;
    SYSTEMTIME st;
    memset(&st, 0, sizeof(st));
    st.wDay = (WORD)atoi(regExp.GetSubString(1));
    st.wMonth = (WORD)atoi(regExp.GetSubString(2));
    st.wYear = (WORD)atoi(regExp.GetSubString(3));
    st.wHour = (WORD)atoi(regExp.GetSubString(4));
    st.wMinute = (WORD)atoi(regExp.GetSubString(5));
    DATE date = 0;
    if (!::SystemTimeToVariantTime(&st, &date))
        return 0;
    return date;
}
