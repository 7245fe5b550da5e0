// CRegistry: the program's settings, loaded from HKEY_CURRENT_USER\software\Vorn\Letrova when it is built
// and written back when it is destroyed.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <atlstr.h>

class CRegistry
{
public:
    // Loads every setting. pszApplication names the application key (tests keep their own); null is
    // the program's own.
    explicit CRegistry(const char* pszApplication = NULL);
    // Saves, unless the settings are read-only in this process.
    virtual ~CRegistry();

    // Generic access to one named value of a section.
    int GetProfileInt(const char* pszSection, const char* pszEntry, int nDefault);
    CString GetProfileString(const char* pszSection, const char* pszEntry, const char* pszDefault = NULL);
    // A stored text that does not fit leaves the buffer empty and returns FALSE; so does a missing value
    // whose default does not fit.
    BOOL GetProfileStringBuf(const char* pszSection, const char* pszEntry, char* pszBuffer, DWORD nSize,
                             const char* pszDefault);
    BOOL WriteProfileInt(const char* pszSection, const char* pszEntry, int nValue);
    // *ppData is allocated with new[]; the caller delete[]s it.
    BOOL GetProfileBinary(const char* pszSection, const char* pszEntry, BYTE** ppData, UINT* pnBytes);
    BOOL WriteProfileBinary(const char* pszSection, const char* pszEntry, const BYTE* pData, UINT nBytes);
    // A null entry deletes the whole section; a null value deletes the entry.
    BOOL WriteProfileString(const char* pszSection, const char* pszEntry, const char* pszValue);
    // Open keys (created when missing) that the caller closes, or NULL.
    HKEY GetAppRegistryKey();
    HKEY GetSectionKey(const char* pszSection);

    // Values kept only in the registry. The setters write at once, also in a read-only instance: they
    // carry a value the user has just chosen, not a stale copy.
    int GetMessageBodyHeight();
    BOOL SetMessageBodyHeight(int nValue);
    int GetFoldersContactsWidth();
    BOOL SetFoldersContactsWidth(int nValue);
    int GetContactsHeight();
    BOOL SetContactsHeight(int nValue);
    int GetColumnWidthName();
    BOOL SetColumnWidthName(int nValue);
    int GetColumnWidthAddress();
    BOOL SetColumnWidthAddress(int nValue);
    int GetColumnWidthCompany();
    BOOL SetColumnWidthCompany(int nValue);
    int GetColumnWidthPosition();
    BOOL SetColumnWidthPosition(int nValue);
    int GetColumnWidthDDI();
    BOOL SetColumnWidthDDI(int nValue);
    int GetColumnWidthMobile();
    BOOL SetColumnWidthMobile(int nValue);
    int GetIncludeBusinessCard();
    BOOL SetIncludeBusinessCard(int nValue);
    int GetBusinessCardContactId();
    BOOL SetBusinessCardContactId(int nValue);
    int GetStartInInbox();
    BOOL SetStartInInbox(int nValue);
    // Both keep the trace switch in step.
    int GetServerLog();
    BOOL SetServerLog(int nValue);

    void SaveFrameRect(const RECT& rc, BOOL bMaximized);
    // TRUE only for a stored rectangle that is usable on this screen; "Maximized" sets nShowCmd either way.
    BOOL LoadFrameRect(RECT& rc, int& nShowCmd);
    void SetAddressBookColumnOrder(int nCount, const int* pIndexes);
    // The stored order when it holds exactly nCount entries, else 0 .. nCount - 1.
    void GetAddressBookColumnOrder(int nCount, int* pIndexes);

    CString GetAccountsDatabaseFileName(BOOL bFromRegistry);
    CString GetLocalDatabaseFileName(BOOL bFromRegistry);
    void ReadOnlyWithEmailCheck(HWND hDlg, int nIdControl);
    void ShowOnlyWithEmailCheck(HWND hDlg, int nIdControl);
    CString GetDefaultInstallDirectory();

    void LoadDefaults();
    void Save();

    CString m_strHtmlSendFontName;
    int m_nHtmlSendFontSize;
    CString m_strCompany;
    CString m_strApplication;
    int m_bOnlyWithEmail;
    int m_bDisplayAssociatePrompt;
    int m_nStartReceiveMessageNumber;
    CString m_strLocalDatabase;
    CString m_strAccountsDatabase;
    CString m_strOrbDatabase;
    CString m_strEmailMeServer;
    CString m_strEmailMeFrom;
    CString m_strEmailMeTo;
    DATE m_dateLastSynchronization;
    int m_nMarkReadTimeOut;
    int m_bMarkRead;
    int m_bOrderByDate;
    int m_nCheckNewTimeOut;
    int m_bCheckNew;
    int m_bUpdateWhenStarting;
    CString m_strUpdateUrl;
    int m_bCheckSpelling;

private:
    CRegistry(const CRegistry&);
    CRegistry& operator=(const CRegistry&);

    CString ReadDatabaseName(const char* pszEntry, const CString& strDefault);
};

// Reads "Path" of HKEY_LOCAL_MACHINE\Software\Vorn\Orb into strPath, with a trailing backslash. Without the
// key the path is the per-user data folder. Returns the registry result, or -2 for an empty path.
LONG GetOrbRegistryPath(CString& strPath);

// The stored form of the last synchronization time; text that does not parse gives date 0.
CString FormatDateSetting(DATE date);
DATE ParseDateSetting(const char* pszText);

// The one settings object of the process (null before the first load).
extern CRegistry* g_pRegistry;

// Settings that other code reads directly, without locks.
extern int g_bViewAllHeaders;
extern int g_bViewHtmlSource;
extern char g_szAttachmentsPath[MAX_PATH];
extern int g_bPrivateContacts;
extern int g_bConnectToOrb;
extern int g_bNotLogToOrb;
// The "Accounts" setting: the accounts database is the user's own file.
extern int g_bUseMyDatabase;
// Set when another instance of the program runs: this one loads but does not write on its own.
extern int g_bSettingsReadOnly;
