// A lexicon (a hunspell dictionary with its list of words always reported) and a user dictionary, both
// spoken to in ANSI text.
#pragma once

#include <windows.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

class Hunspell;

// What a lexicon file says: the .aff and .dic beside it and the language.
struct CSpellLexiconFile
{
    std::string strAffix;
    std::string strDictionary;
    WORD wLanguage = 0;

    // False when the file cannot be read, lacks a field or names a missing file.
    bool Read(const std::string& strPath);
};

// A bare file name lies in the program's data folder; anything else is taken as given.
std::string ResolveDataFile(const std::string& strName);

// A set of words compared as the engine does: exactly, or in lowercase when the entry is lowercase.
class CSpellWordSet
{
public:
    void Add(const std::string& strWord);
    bool Holds(const std::string& strWord) const;
    bool HoldsExactly(const std::string& strWord) const;
    // Reads a word a line; a missing file gives an empty set.
    bool Load(const std::string& strPath);

private:
    std::set<std::string> m_words;
};

class CSpellLexicon
{
public:
    CSpellLexicon();
    ~CSpellLexicon();

    bool Open(const CSpellLexiconFile& file, const std::string& strExclusionPath);
    // Known to hunspell and not on the exclusion list.
    bool Accepts(const std::string& strWord) const;
    // In ANSI, without the ones the code page cannot hold.
    std::vector<std::string> Suggest(const std::string& strWord) const;

    WORD m_wLanguage = 0;

private:
    std::unique_ptr<Hunspell> m_pHunspell;
    unsigned m_nCodePage = 0;
    CSpellWordSet m_exclusions;
};

class CSpellUserDictionary
{
public:
    bool Open(const std::string& strPath, bool bCreate);
    bool Holds(const std::string& strWord) const { return m_words.Holds(strWord); }
    // Saved at once: the word is appended to the file.
    bool Add(const std::string& strWord);

    bool m_bReadOnly = false;

private:
    std::string m_strPath;
    CSpellWordSet m_words;
};
