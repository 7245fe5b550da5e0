// The program's regular-expression engine: a backtracking matcher over a compiled node program.
#pragma once

#include <atlstr.h>

#include <vector>

// What counts as a letter for case folding and as a word character for \< and \>: digits, "_" and the
// letters of the ANSI code page. Built once per process from the code page (code page 1251 where there
// is none, natively).
struct CRegExpCharClass
{
    unsigned char lower[256];
    unsigned char upper[256];
    bool letter[256];
};

// The built-in table of code page 1251: ASCII letters, 0xC0-0xFF with 0xA8/0xB8 (Cyrillic).
const CRegExpCharClass& RegExpCharClass1251();
// The table in use; changing it is for start-up and tests only, never while another thread matches.
const CRegExpCharClass& GetRegExpCharClass();
void SetRegExpCharClass(const CRegExpCharClass& charClass);
#ifdef _WIN32
CRegExpCharClass RegExpCharClassForCodePage(unsigned int nCodePage);
#endif

// Outside sets every letter becomes "[" + lower + upper + "]". A set is copied unchanged from "[" to its
// closing "]", where a "]" right after "[" or "[^" belongs to the set, as the compiler reads it. Outside
// sets an escape is read as the literal it stands for: an escaped letter folds like any letter, and an
// escaped "[" opens no set. This is deliberate: a rewrite that copied a set up to the very next "]" and
// knew no escapes would split "[]a]" and turn "\a" into an escaped "[" followed by stray letters.
CString MakeCaseInsensitivePattern(const char* pszPattern);

// A choice point of the matcher: defined with the matcher.
struct CRegExpFrame;

class CRegExpProgram
{
public:
    enum
    {
        kMaxGroups = 10
    };
    static const long long kStepsPerChar = 100;
    static const long long kMinSteps = 1000000;

    CRegExpProgram(const char* pszPattern, bool bIgnoreCase);
    CRegExpProgram(const CRegExpProgram& other);
    ~CRegExpProgram();

    CRegExpProgram* Clone() const;
    // A match may take kStepsPerChar steps per character of the text (kMinSteps at least); past that it
    // fails as no match, without an error text, and the trace file names the pattern. Realistic patterns
    // need a few steps per character; hostile text over nested repeats would need quadratic time or worse.
    bool Execute(const char* pszText);
    void SetError(int nCode);

    CString m_strError;
    int m_nSize;
    const char* m_startp[kMaxGroups];
    const char* m_endp[kMaxGroups];
    char m_chStart;
    bool m_bAnchored;
    const char* m_pszMust;
    int m_nMust;
    unsigned char* m_pProgram;
    bool m_bCompiled;
    int m_nShareCount;
    int m_nSubStrings;

private:
    bool Compile(const char* pszPattern);
    bool TryAt(const char* pszText, const char* pszStart);
    CRegExpProgram& operator=(const CRegExpProgram&);

    bool TakeSteps(long long nSteps);

    void BuildSetTables();
    const bool* SetTable(const unsigned char* pNode) const;
    const bool* FirstCharTable(const unsigned char* pNode) const;

    int m_nCompileError;
    CString m_strPattern; // as the caller gave it, for the trace
    long long m_nStepsLeft;
    bool m_bOutOfSteps;
    // Membership of each character set, 256 entries a set, found by the set node's offset: a lookup per
    // character instead of a scan of the set's text.
    std::vector<unsigned char> m_setTables;
    std::vector<short> m_setIndex;
    // Kept between matches so that a try at each start position allocates nothing.
    std::vector<CRegExpFrame> m_stack;
};

class CRegExp
{
public:
    CRegExp(const char* pszPattern, bool bIgnoreCase = false);
    // Copies share the compiled program; a shared one is copied before it matches.
    CRegExp(const CRegExp& other);
    CRegExp& operator=(const CRegExp& other);
    ~CRegExp();

    bool Match(const char* pszText);
    // Groups matched after group 0, counted up to the first unmatched one; -1 after a failed match.
    int SubStrings();
    int SubLength(int i);
    // Group texts point into the matched text: valid only while it lives.
    CString GetSubString(int i);
    void ClearErrorString();
    CString GetErrorString() const;

    static int SafeIndex(int i);

private:
    void Release();

    const char* m_pszText;
    CString m_strError;
    CRegExpProgram* m_pProgram;
};
