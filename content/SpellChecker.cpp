// The spelling checker over the spelling engine library.
#include "content/SpellChecker.h"

#include <string.h>

#include <algorithm>

#include "content/DlgSpelling.h"
#include "foundation/ErrorUtil.h"
#include "foundation/Exception.h"
#include "foundation/File.h"
#include "foundation/FileException.h"
#include "foundation/Paths.h"

const char* const g_pszSpellingKey = "SOFTWARE\\Microsoft\\Shared Tools\\Proofing Tools\\Spelling";

namespace
{
SpellCheckProc& InstalledProc()
{
    static SpellCheckProc s_proc;
    return s_proc;
}

HMODULE LoadEngineLibrary(const char* pszPath, DWORD* pdwError)
{
    HMODULE hModule = ::LoadLibraryA(pszPath);
    *pdwError = hModule ? 0 : ::GetLastError();
    return hModule;
}

void SystemBeep()
{
    ::MessageBeep(0);
}

SpellEngineLoader g_pfnLoader = LoadEngineLibrary;
SpellBeepProc g_pfnBeep = SystemBeep;

class CKey
{
public:
    ~CKey()
    {
        if (m_hKey)
            ::RegCloseKey(m_hKey);
    }
    HKEY m_hKey = NULL;
};

CString QueryString(HKEY hKey, const char* pszName)
{
    char szValue[MAX_PATH * 2] = "";
    DWORD dwType = 0, cb = sizeof(szValue) - 1;
    if (::RegQueryValueExA(hKey, pszName, NULL, &dwType, (BYTE*)szValue, &cb) != ERROR_SUCCESS ||
        (dwType != REG_SZ && dwType != REG_EXPAND_SZ))
        return CString();
    szValue[std::min<DWORD>(cb, sizeof(szValue) - 1)] = '\0';
    return szValue;
}

// Calls the function with each language key's "Normal" subkey until it returns true; the language key's
// name is passed too.
template <typename F> bool ForEachLanguage(REGSAM samDesired, F f)
{
    CKey spelling;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, g_pszSpellingKey, 0, samDesired, &spelling.m_hKey) !=
        ERROR_SUCCESS)
        return false;
    for (DWORD i = 0;; i++)
    {
        char szLanguage[256] = "";
        DWORD cch = sizeof(szLanguage);
        if (::RegEnumKeyExA(spelling.m_hKey, i, szLanguage, &cch, NULL, NULL, NULL, NULL) != ERROR_SUCCESS)
            return false;
        CKey normal;
        const CString strNormal = CString(szLanguage) + "\\Normal";
        if (::RegOpenKeyExA(spelling.m_hKey, strNormal, 0, KEY_READ, &normal.m_hKey) != ERROR_SUCCESS)
            continue;
        if (f(spelling.m_hKey, szLanguage, normal.m_hKey))
            return true;
    }
}

// The first registered engine with the dictionary of the same language.
void ReadRegistration(CString& strEngine, CString& strDictionary)
{
    strEngine.Empty();
    ForEachLanguage(KEY_READ, [&](HKEY, const char*, HKEY hNormal) {
        strEngine = QueryString(hNormal, "Engine");
        if (strEngine.IsEmpty())
            return false;
        strDictionary = QueryString(hNormal, "Dictionary");
        return true;
    });
}

void SetString(HKEY hKey, const char* pszName, const CString& strValue)
{
    // The stored length is the text's, without its terminator.
    ::RegSetValueExA(hKey, pszName, 0, REG_SZ, (const BYTE*)(const char*)strValue, strValue.GetLength());
}

void CheckFileReadable(const CString& strPath)
{
    CFile file(strPath, CFile::modeRead | CFile::shareDenyNone);
    file.Close();
}

// Ends the engine however the check returns, so it never keeps its user dictionary open.
class CEngineSession
{
public:
    explicit CEngineSession(const CSpellEngineEntries& entries) : m_entries(entries) {}
    ~CEngineSession()
    {
        if (m_hEngine)
            m_entries.pfnEnd(m_hEngine, 1);
    }
    const CSpellEngineEntries& m_entries;
    SPELL_ENGINE m_hEngine = nullptr;
};
} // namespace

CSpellChecker::CSpellChecker()
{
    if (InstalledProc())
        return;
    ReadRegistration(m_strEngine, m_strDictionary);
    if (m_strEngine.IsEmpty())
    {
        CString strShort, strLong;
        GetModulePaths(strShort, strLong);
        const CString strFolder = GetPathFolder(strLong) + "Spelling";
        const CString strDictionary = strFolder + "\\" SPELL_LEXICON_FILE_NAME;
        const CString strEngine = strFolder + "\\" SPELL_ENGINE_FILE_NAME;
        CheckFileReadable(strDictionary);
        CheckFileReadable(strEngine);
        CKey normal;
        const CString strKey = CString(g_pszSpellingKey) + "\\1033\\Normal";
        if (::RegCreateKeyExA(HKEY_LOCAL_MACHINE, strKey, 0, NULL, 0, KEY_READ | KEY_WRITE, NULL,
                              &normal.m_hKey, NULL) == ERROR_SUCCESS)
        {
            SetString(normal.m_hKey, "Engine", strEngine);
            SetString(normal.m_hKey, "Dictionary", strDictionary);
        }
        ReadRegistration(m_strEngine, m_strDictionary);
        if (m_strEngine.IsEmpty())
            throw new CFileException(CFileException::none, -1);
    }
    Load();
}

CSpellChecker::~CSpellChecker()
{
    if (m_hEngine)
        ::FreeLibrary(m_hEngine);
}

void CSpellChecker::Load()
{
    DWORD dwError = 0;
    m_hEngine = g_pfnLoader(m_strEngine, &dwError);
    const CString strProcedures = "ERROR:\nFailed " + m_strEngine + " procedures.";
    if (!m_hEngine)
    {
        // Access denied keeps the registration: the engine is there, this process may not load it.
        if (dwError == ERROR_ACCESS_DENIED)
            throw new CException(strProcedures);
        RemoveSpellEngineRegistration(m_strEngine);
        ::SetLastError(dwError);
        const CString strMessage = "ERROR:\nFailed " + m_strEngine + " load.\r\n" + GetLastErrorText();
        throw new CException(strMessage);
    }
    FARPROC entries[kSpellOrdinalLast] = {};
    entries[0] = ::GetProcAddress(m_hEngine, "SpellVer");
    bool bComplete = entries[0] != nullptr;
    for (int n = kSpellOrdinalStart; n <= kSpellOrdinalLast && bComplete; n++)
    {
        entries[n - 1] = ::GetProcAddress(m_hEngine, MAKEINTRESOURCEA(n));
        bComplete = entries[n - 1] != nullptr;
    }
    if (!bComplete)
    {
        ::FreeLibrary(m_hEngine);
        m_hEngine = NULL;
        throw new CException(strProcedures);
    }
    m_entries.pfnVer = (SpellVerProc)entries[0];
    m_entries.pfnStart = (SpellStartProc)entries[kSpellOrdinalStart - 1];
    m_entries.pfnOptions = (SpellOptionsProc)entries[kSpellOrdinalOptions - 1];
    m_entries.pfnCommand = (SpellCommandProc)entries[kSpellOrdinalCheck - 1];
    m_entries.pfnEnd = (SpellEndProc)entries[kSpellOrdinalEnd - 1];
    m_entries.pfnVerifyLexicon = (SpellVerifyLexiconProc)entries[kSpellOrdinalVerifyLexicon - 1];
    m_entries.pfnOpenLexicon = (SpellOpenLexiconProc)entries[kSpellOrdinalOpenLexicon - 1];
    m_entries.pfnOpenUserDictionary =
        (SpellOpenUserDictionaryProc)entries[kSpellOrdinalOpenUserDictionary - 1];
    m_entries.pfnAddWord = (SpellAddWordProc)entries[kSpellOrdinalAddWord - 1];
}

CString SpellCheckerVersionText()
{
    try
    {
        CSpellChecker checker;
        return checker.GetVersionText();
    }
    catch (CFileException* e)
    {
        const CString strText = e->GetErrorText();
        delete e;
        throw new CException(strText);
    }
}

void RemoveSpellEngineRegistration(const char* pszEngine)
{
    CString strLanguage;
    ForEachLanguage(KEY_READ | KEY_WRITE, [&](HKEY, const char* pszLanguage, HKEY hNormal) {
        if (QueryString(hNormal, "Engine") != pszEngine)
            return false;
        strLanguage = pszLanguage;
        return true;
    });
    if (strLanguage.IsEmpty())
        return;
    CKey spelling;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, g_pszSpellingKey, 0, KEY_READ | KEY_WRITE, &spelling.m_hKey) ==
        ERROR_SUCCESS)
        RegDeleteKeyTree(spelling.m_hKey, strLanguage);
}

CString CSpellChecker::GetVersionText()
{
    uint16_t wVersion = 0, wEngineId = 0, wSpellType = 0;
    if (m_entries.pfnVer)
        m_entries.pfnVer(&wVersion, &wEngineId, &wSpellType);
    CString strValues;
    strValues.Format("Ver = %d, IdEngine = %d, SpellType = %d", wVersion, wEngineId, wSpellType);
    return "Spell file:\r\n" + m_strEngine + "\r\nSpell file version: " + GetFileVersionText(m_strEngine) +
           "\r\n" + strValues;
}

int CSpellChecker::CheckText(const CString& strText, CString& strReplacement)
{
    strReplacement.Empty();
    if (InstalledProc())
        return InstalledProc()(strText, strReplacement);
    if (!m_hEngine)
        return 0;
    if (m_strDictionary.IsEmpty())
    {
        CString strEngine;
        ReadRegistration(strEngine, m_strDictionary);
    }
    CEngineSession session(m_entries);
    const BYTE init[kSpellInitBlockSize] = {};
    if (m_entries.pfnStart(&session.m_hEngine, init) != kSpellOk)
    {
        session.m_hEngine = nullptr;
        return 0;
    }
    return RunCheck(session.m_hEngine, strText, strReplacement);
}

int CSpellChecker::RunCheck(SPELL_ENGINE hEngine, const CString& strText, CString& strReplacement)
{
    uint16_t wLanguage = 0;
    SpellLexiconBlock lexicon = {};
    SPELL_USER_DICTIONARY hUserDictionary = nullptr;
    BOOL bReadOnly = FALSE;
    if (m_entries.pfnVerifyLexicon(m_strDictionary, 1033, &wLanguage) != kSpellOk ||
        m_entries.pfnOpenLexicon(hEngine, m_strDictionary, SPELL_EXCLUSION_FILE_NAME, 1, 1, 1033, &lexicon) !=
            kSpellOk ||
        m_entries.pfnOpenUserDictionary(hEngine, SPELL_USER_DICTIONARY_FILE_NAME, 1,
                                        kSpellUserDictionaryProperty, &hUserDictionary,
                                        &bReadOnly) != kSpellOk ||
        m_entries.pfnOptions(hEngine, kSpellOptionsDefault) != kSpellOk)
        return 0;

    // Lengths are 16-bit: a longer text is checked as far as they reach.
    const int nLength = std::min(strText.GetLength(), 0xFFFF);
    SpellInputBlock input = {};
    input.cLexicons = 1;
    input.cUserDictionaries = 1;
    input.wState = kSpellStateStart;
    input.pLexicons = &lexicon;
    input.pUserDictionaries = &hUserDictionary;
    int nPosition = 0;
    int nCopied = 0; // strText up to here is in strCorrected
    int nChanges = 0;
    CString strCorrected;
    for (;;)
    {
        input.cchText = (uint16_t)(nLength - nPosition);
        input.pszText = (const char*)strText + nPosition;
        SpellResultBlock result = {};
        result.cbSuggestions = kSpellSuggestionBufferSize;
        if (m_entries.pfnCommand(hEngine, kSpellCommandCheck, &input, &result) != kSpellOk)
            return 0;
        if (result.wStatus == kSpellResultNoError)
            break;
        if (result.ichError + result.cchError > input.cchText)
            return 0;
        const int nStart = nPosition + result.ichError;
        const CString strWord = strText.Mid(nStart, result.cchError);
        bool bChanged = false;
        CString strNew;
        if (result.wStatus == kSpellResultUnknownWord || result.wStatus == kSpellResultOtherWord)
        {
            const bool bIgnored =
                std::find(m_IgnoreAll.begin(), m_IgnoreAll.end(), strWord) != m_IgnoreAll.end();
            const auto itChange = std::find_if(m_ChangeAll.begin(), m_ChangeAll.end(),
                                               [&](const auto& pair) { return pair.first == strWord; });
            if (!bIgnored && itChange != m_ChangeAll.end())
            {
                strNew = itChange->second;
                bChanged = true;
            }
            else if (!bIgnored)
            {
                if (m_beforeAsking)
                    m_beforeAsking();
                CDlgSpelling dlg(m_entries, hEngine, input, strWord);
                switch (dlg.DoModal(::GetActiveWindow()))
                {
                case 0:
                case -1: // the dialog could not be shown
                    return 0;
                case IDCANCEL:
                    return -2;
                case IDC_SPELL_IGNORE:
                    break;
                case IDC_SPELL_IGNORE_ALL:
                    m_IgnoreAll.push_back(strWord);
                    break;
                case IDC_SPELL_CHANGE:
                    strNew = dlg.m_strChangeTo;
                    bChanged = true;
                    break;
                case IDC_SPELL_CHANGE_ALL:
                    strNew = dlg.m_strChangeTo;
                    m_ChangeAll.emplace_back(strWord, strNew);
                    bChanged = true;
                    break;
                case IDC_SPELL_ADD:
                    if (m_entries.pfnAddWord(hEngine, hUserDictionary, strWord) != kSpellOk)
                        return 0;
                    break;
                default:
                    g_pfnBeep();
                    g_pfnBeep();
                    break;
                }
            }
        }
        if (bChanged)
        {
            strCorrected += strText.Mid(nCopied, nStart - nCopied) + strNew;
            nCopied = nStart + result.cchError;
            nChanges++;
        }
        // An engine that reports an empty word at the start would hold the check for ever.
        nPosition = std::max(nStart + result.cchError, nPosition + 1);
        if (nPosition >= nLength)
            break;
        input.wState = kSpellStateContinue;
    }
    if (nChanges == 0)
        return -1;
    strReplacement = strCorrected + strText.Mid(nCopied);
    return nChanges;
}

void SetSpellCheckProc(const SpellCheckProc& proc)
{
    InstalledProc() = proc;
}

void SetSpellEngineLoader(SpellEngineLoader pfnLoader)
{
    g_pfnLoader = pfnLoader ? pfnLoader : LoadEngineLibrary;
}

void SetSpellBeepProc(SpellBeepProc pfnBeep)
{
    g_pfnBeep = pfnBeep ? pfnBeep : SystemBeep;
}
