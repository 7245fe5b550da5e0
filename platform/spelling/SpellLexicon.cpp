// Lexicons over hunspell and the user dictionaries of the spelling engine.
#include "platform/spelling/SpellLexicon.h"

#include <shlobj.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <hunspell.hxx>

#include "platform/spelling/SpellText.h"

namespace
{
std::string FolderOf(const std::string& strPath)
{
    const size_t n = strPath.find_last_of("\\/");
    return n == std::string::npos ? std::string() : strPath.substr(0, n + 1);
}

bool FileExists(const std::string& strPath)
{
    const DWORD dwAttributes = ::GetFileAttributesA(strPath.c_str());
    return dwAttributes != INVALID_FILE_ATTRIBUTES && !(dwAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string Trim(const std::string& str)
{
    size_t b = 0, e = str.size();
    while (b < e && (unsigned char)str[b] <= ' ')
        b++;
    while (e > b && (unsigned char)str[e - 1] <= ' ')
        e--;
    return str.substr(b, e - b);
}

// Calls the function with each line of the file, its line end removed; false when the file cannot be read.
template <typename F> bool ForEachLine(const std::string& strPath, F f)
{
    FILE* pFile = fopen(strPath.c_str(), "rb");
    if (!pFile)
        return false;
    std::string strLine;
    int c;
    while ((c = fgetc(pFile)) != EOF)
    {
        if (c == '\n')
        {
            f(Trim(strLine));
            strLine.clear();
        }
        else
            strLine += (char)c;
    }
    if (!strLine.empty())
        f(Trim(strLine));
    fclose(pFile);
    return true;
}
} // namespace

bool CSpellLexiconFile::Read(const std::string& strPath)
{
    strAffix.clear();
    strDictionary.clear();
    wLanguage = 0;
    const std::string strFolder = FolderOf(strPath);
    const bool bRead = ForEachLine(strPath, [&](const std::string& strLine) {
        const size_t n = strLine.find('=');
        if (strLine.empty() || strLine[0] == ';' || n == std::string::npos)
            return;
        const std::string strKey = Trim(strLine.substr(0, n));
        const std::string strValue = Trim(strLine.substr(n + 1));
        if (_stricmp(strKey.c_str(), "Affix") == 0)
            strAffix = strFolder + strValue;
        else if (_stricmp(strKey.c_str(), "Dictionary") == 0)
            strDictionary = strFolder + strValue;
        else if (_stricmp(strKey.c_str(), "Language") == 0)
            wLanguage = (WORD)strtoul(strValue.c_str(), NULL, 10);
    });
    return bRead && wLanguage != 0 && FileExists(strAffix) && FileExists(strDictionary);
}

std::string ResolveDataFile(const std::string& strName)
{
    if (strName.find_first_of("\\/:") != std::string::npos)
        return strName;
    char szAppData[MAX_PATH] = "";
    ::SHGetFolderPathA(NULL, CSIDL_APPDATA | CSIDL_FLAG_CREATE, NULL, 0, szAppData);
    std::string strFolder = std::string(szAppData) + "\\Vorn";
    ::CreateDirectoryA(strFolder.c_str(), NULL);
    return strFolder + "\\" + strName;
}

void CSpellWordSet::Add(const std::string& strWord)
{
    m_words.insert(strWord);
}

bool CSpellWordSet::Holds(const std::string& strWord) const
{
    return m_words.count(strWord) != 0 || m_words.count(AnsiLower(strWord)) != 0;
}

bool CSpellWordSet::HoldsExactly(const std::string& strWord) const
{
    return m_words.count(strWord) != 0;
}

bool CSpellWordSet::Load(const std::string& strPath)
{
    m_words.clear();
    if (!FileExists(strPath))
        return true;
    return ForEachLine(strPath, [&](const std::string& strLine) {
        if (!strLine.empty())
            m_words.insert(strLine);
    });
}

CSpellLexicon::CSpellLexicon() {}

CSpellLexicon::~CSpellLexicon() {}

bool CSpellLexicon::Open(const CSpellLexiconFile& file, const std::string& strExclusionPath)
{
    m_pHunspell.reset(new Hunspell(file.strAffix.c_str(), file.strDictionary.c_str()));
    m_nCodePage = CodePageForEncoding(m_pHunspell->get_dict_encoding());
    m_wLanguage = file.wLanguage;
    return m_exclusions.Load(strExclusionPath);
}

bool CSpellLexicon::Accepts(const std::string& strWord) const
{
    if (m_exclusions.Holds(strWord))
        return false;
    std::string strEncoded;
    if (!ConvertCodePage(strWord, CP_ACP, m_nCodePage, strEncoded))
        return false;
    return m_pHunspell->spell(strEncoded);
}

std::vector<std::string> CSpellLexicon::Suggest(const std::string& strWord) const
{
    std::vector<std::string> suggestions;
    std::string strEncoded;
    if (!ConvertCodePage(strWord, CP_ACP, m_nCodePage, strEncoded))
        return suggestions;
    for (const std::string& strSuggestion : m_pHunspell->suggest(strEncoded))
    {
        std::string strAnsi;
        if (ConvertCodePage(strSuggestion, m_nCodePage, CP_ACP, strAnsi) && !strAnsi.empty())
            suggestions.push_back(strAnsi);
    }
    return suggestions;
}

bool CSpellUserDictionary::Open(const std::string& strPath, bool bCreate)
{
    m_strPath = strPath;
    if (!FileExists(strPath))
    {
        if (!bCreate)
            return false;
        HANDLE hFile = ::CreateFileA(strPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, NULL, CREATE_NEW,
                                     FILE_ATTRIBUTE_NORMAL, NULL);
        if (hFile == INVALID_HANDLE_VALUE)
            return false;
        ::CloseHandle(hFile);
    }
    const DWORD dwAttributes = ::GetFileAttributesA(strPath.c_str());
    m_bReadOnly = (dwAttributes & FILE_ATTRIBUTE_READONLY) != 0;
    return m_words.Load(strPath);
}

bool CSpellUserDictionary::Add(const std::string& strWord)
{
    if (m_bReadOnly || strWord.empty() || strWord.find_first_of("\r\n") != std::string::npos)
        return false;
    if (m_words.HoldsExactly(strWord))
        return true;
    FILE* pFile = fopen(m_strPath.c_str(), "ab");
    if (!pFile)
        return false;
    const bool bWritten = fprintf(pFile, "%s\r\n", strWord.c_str()) > 0;
    if (fclose(pFile) != 0 || !bWritten)
        return false;
    m_words.Add(strWord);
    return true;
}
