// The regular-expression engine: compiler (a sizing and an emitting pass) and backtracking matcher.
#include "foundation/RegExp.h"

#include <cstddef>
#include <new>
#include <string.h>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

#include "foundation/Texts.h"
#ifdef _WIN32
#include "foundation/TraceFile.h"
#endif

namespace
{
enum Opcode
{
    END = 0,
    BOL = 1,
    EOL = 2,
    ANY = 3,
    ANYOF = 4,
    ANYBUT = 5,
    BRANCH = 6,
    BACK = 7,
    EXACTLY = 8,
    NOTHING = 9,
    STAR = 10,
    PLUS = 11,
    WORDA = 12,
    WORDZ = 13,
    OPEN = 20,
    CLOSE = 30
};

enum PieceFlags
{
    WORST = 0,
    HASWIDTH = 1,
    SIMPLE = 2,
    SPSTART = 4
};

enum ErrorCode
{
    kNullText = 1,
    kCorruptedProgram = 2,
    kCorruption = 3,
    kCorruptedPointers = 4,
    kBadRepeat = 5,
    kNullPattern = 10,
    kTooBig = 11,
    kTooManyParens = 12,
    kUnterminatedParen = 13,
    kUnmatchedParen = 14,
    kJunkOnEnd = 15,
    kEmptyOperand = 16,
    kNestedRepeat = 17,
    kInvalidRange = 18,
    kUnmatchedBracket = 19,
    kUnexpected = 20,
    kFollowsNothing = 21,
    kTrailingBackslash = 22,
    kStrcspnZero = 23,
    kNullRegExp = 24
};

const unsigned char kMagic = 0x9C;
const int kMaxProgramSize = 32767;
const int kNone = -1;
// A literal run ends at these; a newline is an ordinary character.
const char kMeta[] = "^$.[()|?+*\\";

inline bool IsRepeat(char c)
{
    return c == '*' || c == '+' || c == '?';
}

inline int Op(const unsigned char* p)
{
    return p[0];
}

inline const unsigned char* Operand(const unsigned char* p)
{
    return p + 3;
}

const unsigned char* NextNode(const unsigned char* p)
{
    if (p == NULL)
        return NULL;
    int nOffset = (p[1] << 8) | p[2];
    if (nOffset == 0)
        return NULL;
    return Op(p) == BACK ? p - nOffset : p + nOffset;
}

// The two passes of compilation emit through this one interface; nodes are offsets into the program.
class CRegExpBuilder
{
public:
    virtual ~CRegExpBuilder() {}
    virtual int Node(int op) = 0;
    virtual void Byte(int c) = 0;
    virtual void Insert(int op, int nOperand) = 0;
    virtual void Tail(int p, int nTarget) = 0;
    virtual void OpTail(int p, int nTarget) = 0;
    virtual int Next(int p) = 0;
};

class CRegExpSizer : public CRegExpBuilder
{
public:
    CRegExpSizer() : m_nSize(1) {}
    int Node(int) override
    {
        m_nSize += 3;
        return 0;
    }
    void Byte(int) override { m_nSize += 1; }
    void Insert(int, int) override { m_nSize += 3; }
    void Tail(int, int) override {}
    void OpTail(int, int) override {}
    int Next(int) override { return kNone; }

    long m_nSize;
};

class CRegExpEmitter : public CRegExpBuilder
{
public:
    CRegExpEmitter(unsigned char* pCode, int nSize)
        : m_pCode(pCode), m_nSize(nSize), m_nPos(0), m_bOverrun(false)
    {
    }

    int Node(int op) override
    {
        int nNode = m_nPos;
        if (!Room(3))
            return nNode;
        m_pCode[m_nPos++] = (unsigned char)op;
        m_pCode[m_nPos++] = 0;
        m_pCode[m_nPos++] = 0;
        return nNode;
    }

    void Byte(int c) override
    {
        if (Room(1))
            m_pCode[m_nPos++] = (unsigned char)c;
    }

    void Insert(int op, int nOperand) override
    {
        if (!Room(3))
            return;
        memmove(m_pCode + nOperand + 3, m_pCode + nOperand, m_nPos - nOperand);
        m_nPos += 3;
        m_pCode[nOperand] = (unsigned char)op;
        m_pCode[nOperand + 1] = 0;
        m_pCode[nOperand + 2] = 0;
    }

    void Tail(int p, int nTarget) override
    {
        int nScan = p;
        for (int nNext = Next(nScan); nNext != kNone; nNext = Next(nScan))
            nScan = nNext;
        int nOffset = (m_pCode[nScan] == BACK) ? nScan - nTarget : nTarget - nScan;
        m_pCode[nScan + 1] = (unsigned char)((nOffset >> 8) & 0xFF);
        m_pCode[nScan + 2] = (unsigned char)(nOffset & 0xFF);
    }

    void OpTail(int p, int nTarget) override
    {
        if (p == kNone || m_pCode[p] != BRANCH)
            return;
        Tail(p + 3, nTarget);
    }

    int Next(int p) override
    {
        const unsigned char* pNext = NextNode(m_pCode + p);
        return pNext == NULL ? kNone : (int)(pNext - m_pCode);
    }

    bool Overrun() const { return m_bOverrun; }

private:
    bool Room(int n)
    {
        if (m_nPos + n > m_nSize)
            m_bOverrun = true;
        return !m_bOverrun;
    }

    unsigned char* m_pCode;
    int m_nSize;
    int m_nPos;
    bool m_bOverrun;
};

// One parser serves both passes; a failure returns kNone with m_nError set.
class CRegExpParser
{
public:
    CRegExpParser(const char* pszPattern, CRegExpBuilder& builder)
        : m_p(pszPattern), m_nParens(1), m_nError(0), m_builder(builder)
    {
    }

    int Parse(int& nFlags) { return Group(false, nFlags); }
    int Error() const { return m_nError; }

private:
    int Fail(int nCode)
    {
        if (m_nError == 0)
            m_nError = nCode;
        return kNone;
    }

    int Group(bool bParen, int& nFlags)
    {
        nFlags = HASWIDTH;
        int nGroup = 0;
        int nRet = kNone;
        if (bParen)
        {
            if (m_nParens >= CRegExpProgram::kMaxGroups)
                return Fail(kTooManyParens);
            nGroup = m_nParens++;
            nRet = m_builder.Node(OPEN + nGroup);
        }

        int nBranchFlags;
        int nBranch = Branch(nBranchFlags);
        if (nBranch == kNone)
            return kNone;
        if (nRet != kNone)
            m_builder.Tail(nRet, nBranch);
        else
            nRet = nBranch;
        if (!(nBranchFlags & HASWIDTH))
            nFlags &= ~HASWIDTH;
        nFlags |= nBranchFlags & SPSTART;
        while (*m_p == '|')
        {
            ++m_p;
            nBranch = Branch(nBranchFlags);
            if (nBranch == kNone)
                return kNone;
            m_builder.Tail(nRet, nBranch);
            if (!(nBranchFlags & HASWIDTH))
                nFlags &= ~HASWIDTH;
            nFlags |= nBranchFlags & SPSTART;
        }

        int nEnder = m_builder.Node(bParen ? CLOSE + nGroup : END);
        m_builder.Tail(nRet, nEnder);
        for (int nScan = nRet; nScan != kNone; nScan = m_builder.Next(nScan))
            m_builder.OpTail(nScan, nEnder);

        if (bParen)
        {
            if (*m_p != ')')
                return Fail(kUnterminatedParen);
            ++m_p;
        }
        else if (*m_p != '\0')
        {
            return Fail(*m_p == ')' ? kUnmatchedParen : kJunkOnEnd);
        }
        return nRet;
    }

    int Branch(int& nFlags)
    {
        nFlags = WORST;
        int nRet = m_builder.Node(BRANCH);
        int nChain = kNone;
        while (*m_p != '\0' && *m_p != '|' && *m_p != ')')
        {
            int nPieceFlags;
            int nLatest = Piece(nPieceFlags);
            if (nLatest == kNone)
                return kNone;
            nFlags |= nPieceFlags & HASWIDTH;
            if (nChain == kNone)
                nFlags |= nPieceFlags & SPSTART;
            else
                m_builder.Tail(nChain, nLatest);
            nChain = nLatest;
        }
        if (nChain == kNone)
            m_builder.Node(NOTHING);
        return nRet;
    }

    int Piece(int& nFlags)
    {
        int nAtomFlags;
        int nRet = Atom(nAtomFlags);
        if (nRet == kNone)
            return kNone;
        char op = *m_p;
        if (!IsRepeat(op))
        {
            nFlags = nAtomFlags;
            return nRet;
        }
        if (!(nAtomFlags & HASWIDTH) && op != '?')
            return Fail(kEmptyOperand);
        if (op == '*')
            nFlags = WORST | SPSTART;
        else if (op == '+')
            nFlags = WORST | SPSTART | HASWIDTH;
        else
            nFlags = WORST;

        if (op == '*' && (nAtomFlags & SIMPLE))
        {
            m_builder.Insert(STAR, nRet);
        }
        else if (op == '*')
        {
            // x* as (x&|), where & loops back to the branch.
            m_builder.Insert(BRANCH, nRet);
            m_builder.OpTail(nRet, m_builder.Node(BACK));
            m_builder.OpTail(nRet, nRet);
            m_builder.Tail(nRet, m_builder.Node(BRANCH));
            m_builder.Tail(nRet, m_builder.Node(NOTHING));
        }
        else if (op == '+' && (nAtomFlags & SIMPLE))
        {
            m_builder.Insert(PLUS, nRet);
        }
        else if (op == '+')
        {
            // x+ as x(&|), where & loops back to x.
            int nNext = m_builder.Node(BRANCH);
            m_builder.Tail(nRet, nNext);
            m_builder.Tail(m_builder.Node(BACK), nRet);
            m_builder.Tail(nNext, m_builder.Node(BRANCH));
            m_builder.Tail(nRet, m_builder.Node(NOTHING));
        }
        else
        {
            // x? as (x|).
            m_builder.Insert(BRANCH, nRet);
            m_builder.Tail(nRet, m_builder.Node(BRANCH));
            int nNothing = m_builder.Node(NOTHING);
            m_builder.Tail(nRet, nNothing);
            m_builder.OpTail(nRet, nNothing);
        }
        ++m_p;
        if (IsRepeat(*m_p))
            return Fail(kNestedRepeat);
        return nRet;
    }

    int Atom(int& nFlags)
    {
        nFlags = WORST;
        int nRet = kNone;
        switch (*m_p++)
        {
        case '^':
            nRet = m_builder.Node(BOL);
            break;
        case '$':
            nRet = m_builder.Node(EOL);
            break;
        case '.':
            nRet = m_builder.Node(ANY);
            nFlags |= HASWIDTH | SIMPLE;
            break;
        case '[':
            nRet = Set();
            if (nRet == kNone)
                return kNone;
            nFlags |= HASWIDTH | SIMPLE;
            break;
        case '(':
        {
            int nGroupFlags;
            nRet = Group(true, nGroupFlags);
            if (nRet == kNone)
                return kNone;
            nFlags |= nGroupFlags & (HASWIDTH | SPSTART);
            break;
        }
        case '\0':
        case '|':
        case ')':
            return Fail(kUnexpected);
        case '?':
        case '+':
        case '*':
            return Fail(kFollowsNothing);
        case '\\':
            if (*m_p == '\0')
                return Fail(kTrailingBackslash);
            if (*m_p == '<')
            {
                nRet = m_builder.Node(WORDA);
            }
            else if (*m_p == '>')
            {
                nRet = m_builder.Node(WORDZ);
            }
            else
            {
                nRet = m_builder.Node(EXACTLY);
                m_builder.Byte((unsigned char)*m_p);
                m_builder.Byte('\0');
                nFlags |= HASWIDTH | SIMPLE;
            }
            ++m_p;
            break;
        default:
        {
            --m_p;
            size_t nLen = strcspn(m_p, kMeta);
            if (nLen == 0)
                return Fail(kStrcspnZero);
            // A repeat after a run applies to its last character alone.
            if (nLen > 1 && IsRepeat(m_p[nLen]))
                --nLen;
            nFlags |= HASWIDTH;
            if (nLen == 1)
                nFlags |= SIMPLE;
            nRet = m_builder.Node(EXACTLY);
            for (; nLen > 0; --nLen)
                m_builder.Byte((unsigned char)*m_p++);
            m_builder.Byte('\0');
            break;
        }
        }
        return nRet;
    }

    int Set()
    {
        int nRet;
        if (*m_p == '^')
        {
            nRet = m_builder.Node(ANYBUT);
            ++m_p;
        }
        else
        {
            nRet = m_builder.Node(ANYOF);
        }
        if (*m_p == ']' || *m_p == '-')
            m_builder.Byte((unsigned char)*m_p++);
        while (*m_p != '\0' && *m_p != ']')
        {
            if (*m_p != '-')
            {
                m_builder.Byte((unsigned char)*m_p++);
                continue;
            }
            ++m_p;
            if (*m_p == ']' || *m_p == '\0')
            {
                m_builder.Byte('-');
                continue;
            }
            // Ranges compare signed bytes: the first character was emitted already.
            int nFirst = (signed char)m_p[-2] + 1;
            int nLast = (signed char)m_p[0];
            if (nFirst > nLast + 1)
                return Fail(kInvalidRange);
            for (int c = nFirst; c <= nLast; ++c)
            {
                if (c != 0)
                    m_builder.Byte((unsigned char)c);
            }
            ++m_p;
        }
        m_builder.Byte('\0');
        if (*m_p != ']')
            return Fail(kUnmatchedBracket);
        ++m_p;
        return nRet;
    }

    const char* m_p;
    int m_nParens;
    int m_nError;
    CRegExpBuilder& m_builder;
};

CRegExpCharClass Build1251()
{
    CRegExpCharClass cc;
    for (int c = 0; c < 256; ++c)
    {
        cc.lower[c] = cc.upper[c] = (unsigned char)c;
        cc.letter[c] = false;
    }
    static const unsigned char kPairs[][2] = {
        {0x80, 0x90}, {0x81, 0x83}, {0x8A, 0x9A}, {0x8C, 0x9C}, {0x8D, 0x9D},
        {0x8E, 0x9E}, {0x8F, 0x9F}, {0xA1, 0xA2}, {0xA3, 0xBC}, {0xA5, 0xB4},
        {0xA8, 0xB8}, {0xAA, 0xBA}, {0xAF, 0xBF}, {0xB2, 0xB3}, {0xBD, 0xBE},
    };
    for (const auto& pair : kPairs)
    {
        cc.letter[pair[0]] = cc.letter[pair[1]] = true;
        cc.lower[pair[0]] = pair[1];
        cc.upper[pair[1]] = pair[0];
    }
    for (int c = 0; c < 26; ++c)
    {
        cc.letter['A' + c] = cc.letter['a' + c] = true;
        cc.lower['A' + c] = (unsigned char)('a' + c);
        cc.upper['a' + c] = (unsigned char)('A' + c);
    }
    for (int c = 0; c < 32; ++c)
    {
        cc.letter[0xC0 + c] = cc.letter[0xE0 + c] = true;
        cc.lower[0xC0 + c] = (unsigned char)(0xE0 + c);
        cc.upper[0xE0 + c] = (unsigned char)(0xC0 + c);
    }
    cc.letter[0xB5] = true; // micro sign: a letter without a capital in this code page
    return cc;
}

CRegExpCharClass BuildDefault()
{
#ifdef _WIN32
    return RegExpCharClassForCodePage(::GetACP());
#else
    return Build1251();
#endif
}

CRegExpCharClass& CurrentCharClass()
{
    static CRegExpCharClass s_charClass = BuildDefault();
    return s_charClass;
}

inline bool IsWordChar(char c)
{
    unsigned char uc = (unsigned char)c;
    return (uc >= '0' && uc <= '9') || uc == '_' || GetRegExpCharClass().letter[uc];
}

const char* ErrorText(int nCode)
{
    const int nCount =
        (int)(sizeof(FoundationText::kRegExpErrors) / sizeof(FoundationText::kRegExpErrors[0]));
    if (nCode >= 1 && nCode <= nCount)
        return FoundationText::kRegExpErrors[nCode - 1];
    return FoundationText::kRegExpUnknownError;
}

} // namespace

// One saved choice or one group position to restore when the matcher backs up.
struct CRegExpFrame
{
    enum Kind
    {
        kUndo,
        kAlternative,
        kRepeat
    };
    Kind kind;
    const unsigned char* pNode; // the alternative's BRANCH, or the STAR/PLUS node
    const char* pPos;           // the input position to resume at, or the saved group pointer
    const char** ppSlot;        // the group pointer to restore
    int nCount;                 // next repeat count to try
};

namespace
{
typedef CRegExpFrame Frame;
} // namespace

const CRegExpCharClass& RegExpCharClass1251()
{
    static const CRegExpCharClass s_charClass = Build1251();
    return s_charClass;
}

const CRegExpCharClass& GetRegExpCharClass()
{
    return CurrentCharClass();
}

void SetRegExpCharClass(const CRegExpCharClass& charClass)
{
    CurrentCharClass() = charClass;
}

#ifdef _WIN32
CRegExpCharClass RegExpCharClassForCodePage(unsigned int nCodePage)
{
    CRegExpCharClass cc;
    for (int c = 0; c < 256; ++c)
    {
        cc.lower[c] = cc.upper[c] = (unsigned char)c;
        cc.letter[c] = false;
        char ch = (char)c;
        WCHAR wch = 0;
        if (c == 0 || ::MultiByteToWideChar(nCodePage, MB_ERR_INVALID_CHARS, &ch, 1, &wch, 1) != 1)
            continue;
        cc.letter[c] = ::IsCharAlphaW(wch) != FALSE;
        if (!cc.letter[c])
            continue;
        WCHAR wchCase[2] = {(WCHAR)(ULONG_PTR)::CharLowerW((LPWSTR)(ULONG_PTR)wch),
                            (WCHAR)(ULONG_PTR)::CharUpperW((LPWSTR)(ULONG_PTR)wch)};
        unsigned char* rgOut[2] = {&cc.lower[c], &cc.upper[c]};
        for (int i = 0; i < 2; ++i)
        {
            char chOut = 0;
            BOOL bDefault = FALSE;
            if (wchCase[i] != wch &&
                ::WideCharToMultiByte(nCodePage, 0, &wchCase[i], 1, &chOut, 1, NULL, &bDefault) == 1 &&
                !bDefault)
                *rgOut[i] = (unsigned char)chOut;
        }
    }
    return cc;
}
#endif

CString MakeCaseInsensitivePattern(const char* pszPattern)
{
    CString strOut;
    if (pszPattern == NULL)
        return strOut;
    const CRegExpCharClass& cc = GetRegExpCharClass();
    const char* p = pszPattern;
    while (*p != '\0')
    {
        unsigned char c = (unsigned char)*p;
        if (c == '[')
        {
            // Copy the set unchanged, with the set's own rule for a leading "]".
            strOut += *p++;
            if (*p == '^')
                strOut += *p++;
            if (*p == ']')
                strOut += *p++;
            while (*p != '\0' && *p != ']')
                strOut += *p++;
            if (*p == ']')
                strOut += *p++;
            continue;
        }
        if (c == '\\' && p[1] != '\0')
        {
            unsigned char e = (unsigned char)p[1];
            // An escaped letter is a literal letter, so it folds like any other.
            if (cc.letter[e] && cc.lower[e] != cc.upper[e])
            {
                strOut += '[';
                strOut += (char)cc.lower[e];
                strOut += (char)cc.upper[e];
                strOut += ']';
            }
            else
            {
                strOut += *p;
                strOut += p[1];
            }
            p += 2;
            continue;
        }
        if (cc.letter[c] && cc.lower[c] != cc.upper[c])
        {
            strOut += '[';
            strOut += (char)cc.lower[c];
            strOut += (char)cc.upper[c];
            strOut += ']';
        }
        else
        {
            strOut += *p;
        }
        ++p;
    }
    return strOut;
}

CRegExpProgram::CRegExpProgram(const char* pszPattern, bool bIgnoreCase)
    : m_nSize(0), m_chStart(0), m_bAnchored(false), m_pszMust(NULL), m_nMust(0), m_pProgram(NULL),
      m_bCompiled(false), m_nShareCount(0), m_nSubStrings(-1), m_nCompileError(0),
      m_strPattern(pszPattern != NULL ? pszPattern : ""), m_nStepsLeft(0), m_bOutOfSteps(false)
{
    for (int i = 0; i < kMaxGroups; ++i)
        m_startp[i] = m_endp[i] = NULL;
    if (pszPattern != NULL && bIgnoreCase)
    {
        CString strPattern = MakeCaseInsensitivePattern(pszPattern);
        Compile(strPattern);
    }
    else
    {
        Compile(pszPattern);
    }
}

CRegExpProgram::CRegExpProgram(const CRegExpProgram& other)
    : m_strError(other.m_strError), m_nSize(other.m_nSize), m_chStart(other.m_chStart),
      m_bAnchored(other.m_bAnchored), m_pszMust(NULL), m_nMust(other.m_nMust), m_pProgram(NULL),
      m_bCompiled(other.m_bCompiled), m_nShareCount(0), m_nSubStrings(other.m_nSubStrings),
      m_nCompileError(other.m_nCompileError), m_strPattern(other.m_strPattern), m_nStepsLeft(0),
      m_bOutOfSteps(false), m_setTables(other.m_setTables), m_setIndex(other.m_setIndex)
{
    for (int i = 0; i < kMaxGroups; ++i)
    {
        m_startp[i] = other.m_startp[i];
        m_endp[i] = other.m_endp[i];
    }
    if (other.m_pProgram != NULL)
    {
        m_pProgram = new (std::nothrow) unsigned char[m_nSize];
        if (m_pProgram == NULL)
        {
            m_bCompiled = false;
            return;
        }
        memcpy(m_pProgram, other.m_pProgram, m_nSize);
        if (other.m_pszMust != NULL)
            m_pszMust = (const char*)m_pProgram + ((const unsigned char*)other.m_pszMust - other.m_pProgram);
    }
}

CRegExpProgram::~CRegExpProgram()
{
    delete[] m_pProgram;
}

CRegExpProgram* CRegExpProgram::Clone() const
{
    return new (std::nothrow) CRegExpProgram(*this);
}

void CRegExpProgram::SetError(int nCode)
{
    m_strError = ErrorText(nCode);
}

bool CRegExpProgram::Compile(const char* pszPattern)
{
    if (pszPattern == NULL)
    {
        m_nCompileError = kNullPattern;
        SetError(m_nCompileError);
        return false;
    }

    int nFlags = 0;
    CRegExpSizer sizer;
    {
        CRegExpParser parser(pszPattern, sizer);
        if (parser.Parse(nFlags) == kNone)
        {
            m_nCompileError = parser.Error();
            SetError(m_nCompileError);
            return false;
        }
    }
    if (sizer.m_nSize >= kMaxProgramSize)
    {
        m_nCompileError = kTooBig;
        SetError(m_nCompileError);
        return false;
    }

    m_nSize = (int)sizer.m_nSize;
    m_pProgram = new (std::nothrow) unsigned char[m_nSize];
    if (m_pProgram == NULL)
    {
        m_nCompileError = kTooBig;
        SetError(m_nCompileError);
        return false;
    }
    CRegExpEmitter emitter(m_pProgram, m_nSize);
    emitter.Byte(kMagic);
    CRegExpParser parser(pszPattern, emitter);
    if (parser.Parse(nFlags) == kNone || emitter.Overrun())
    {
        m_nCompileError = parser.Error() ? parser.Error() : kCorruption;
        SetError(m_nCompileError);
        delete[] m_pProgram;
        m_pProgram = NULL;
        return false;
    }

    const unsigned char* pScan = m_pProgram + 1;
    const unsigned char* pTopNext = NextNode(pScan);
    if (pTopNext != NULL && Op(pTopNext) == END)
    {
        // One top-level alternative: its first node gives the hints.
        pScan = Operand(pScan);
        if (Op(pScan) == EXACTLY)
            m_chStart = *(const char*)Operand(pScan);
        else if (Op(pScan) == BOL)
            m_bAnchored = true;
        if (nFlags & SPSTART)
        {
            const unsigned char* pLongest = NULL;
            size_t nLongest = 0;
            for (; pScan != NULL; pScan = NextNode(pScan))
            {
                if (Op(pScan) == EXACTLY && strlen((const char*)Operand(pScan)) >= nLongest)
                {
                    pLongest = Operand(pScan);
                    nLongest = strlen((const char*)pLongest);
                }
            }
            m_pszMust = (const char*)pLongest;
            m_nMust = (int)nLongest;
        }

        // A pattern that opens with ".*" (inside its first groups too) matches from the start of the text
        // whenever it matches anywhere, so later start positions need no try: failures stay linear.
        const unsigned char* pFirst = Operand(m_pProgram + 1);
        for (;;)
        {
            if (Op(pFirst) > OPEN && Op(pFirst) < OPEN + kMaxGroups)
                pFirst = NextNode(pFirst);
            else if (Op(pFirst) == BRANCH && NextNode(pFirst) != NULL && Op(NextNode(pFirst)) != BRANCH)
                pFirst = Operand(pFirst);
            else
                break;
            if (pFirst == NULL)
                break;
        }
        if (pFirst != NULL && Op(pFirst) == STAR && Op(Operand(pFirst)) == ANY)
            m_bAnchored = true;
    }
    BuildSetTables();
    m_bCompiled = true;
    return true;
}

void CRegExpProgram::BuildSetTables()
{
    m_setIndex.assign(m_nSize, -1);
    m_setTables.clear();
    // Nodes lie one after another from the magic byte on; a node is its opcode, two link bytes and, for
    // literals and sets, a NUL-terminated operand.
    for (int nOffset = 1; nOffset < m_nSize;)
    {
        const unsigned char* pNode = m_pProgram + nOffset;
        const int op = Op(pNode);
        nOffset += 3;
        if (op == ANYOF || op == ANYBUT || op == EXACTLY)
        {
            const char* pszOperand = (const char*)Operand(pNode);
            const size_t nLength = strlen(pszOperand);
            if (op == EXACTLY && nLength > 0)
            {
                // The set of one: the literal's first character, for the lookahead after a repeat.
                m_setIndex[pNode - m_pProgram] = (short)(m_setTables.size() / 256);
                m_setTables.resize(m_setTables.size() + 256, 0);
                m_setTables[m_setTables.size() - 256 + (unsigned char)pszOperand[0]] = 1;
                m_setTables[m_setTables.size() - 256] = 0;
            }
            else if (op != EXACTLY)
            {
                m_setIndex[pNode - m_pProgram] = (short)(m_setTables.size() / 256);
                m_setTables.resize(m_setTables.size() + 256, op == ANYBUT);
                unsigned char* pTable = &m_setTables[m_setTables.size() - 256];
                for (size_t i = 0; i < nLength; ++i)
                    pTable[(unsigned char)pszOperand[i]] = (op == ANYOF);
                pTable[0] = 0; // the end of the text is in no set
            }
            nOffset += (int)nLength + 1;
        }
    }
}

// What the text must hold right after a simple repeat: the first character of the next node that
// consumes one, looking past group marks, which consume nothing. NULL when anything may follow.
const bool* CRegExpProgram::FirstCharTable(const unsigned char* pNode) const
{
    while (pNode != NULL && ((Op(pNode) > OPEN && Op(pNode) < OPEN + kMaxGroups) ||
                             (Op(pNode) > CLOSE && Op(pNode) < CLOSE + kMaxGroups)))
        pNode = NextNode(pNode);
    if (pNode == NULL || (Op(pNode) != EXACTLY && Op(pNode) != ANYOF && Op(pNode) != ANYBUT))
        return NULL;
    const ptrdiff_t nOffset = pNode - m_pProgram;
    if (nOffset <= 0 || nOffset >= (ptrdiff_t)m_setIndex.size() || m_setIndex[nOffset] < 0)
        return NULL;
    return SetTable(pNode);
}

inline const bool* CRegExpProgram::SetTable(const unsigned char* pNode) const
{
    static const bool s_empty[256] = {};
    const ptrdiff_t nOffset = pNode - m_pProgram;
    if (nOffset <= 0 || nOffset >= (ptrdiff_t)m_setIndex.size() || m_setIndex[nOffset] < 0)
        return s_empty;
    return (const bool*)&m_setTables[(size_t)m_setIndex[nOffset] * 256];
}

bool CRegExpProgram::Execute(const char* pszText)
{
    if (pszText == NULL)
    {
        SetError(kNullText);
        return false;
    }
    if (!m_bCompiled || m_pProgram == NULL)
    {
        SetError(m_nCompileError ? m_nCompileError : kNullRegExp);
        return false;
    }
    if (m_pProgram[0] != kMagic)
    {
        SetError(kCorruptedProgram);
        return false;
    }
    if (m_pszMust != NULL && strstr(pszText, m_pszMust) == NULL)
        return false;

    const size_t nLength = strlen(pszText);
    m_nStepsLeft = (long long)nLength * kStepsPerChar;
    if (m_nStepsLeft < kMinSteps)
        m_nStepsLeft = kMinSteps;
    m_bOutOfSteps = false;
    bool bMatched = false;
    if (m_bAnchored)
    {
        bMatched = TryAt(pszText, pszText);
    }
    else if (m_chStart != '\0')
    {
        for (const char* s = pszText; (s = strchr(s, m_chStart)) != NULL; ++s)
        {
            bMatched = TryAt(pszText, s);
            if (bMatched || m_bOutOfSteps || !m_strError.IsEmpty())
                break;
        }
    }
    else
    {
        const char* s = pszText;
        do
        {
            bMatched = TryAt(pszText, s);
            if (bMatched || m_bOutOfSteps || !m_strError.IsEmpty())
                break;
        } while (*s++ != '\0');
    }
    if (m_bOutOfSteps)
    {
        // The search stopped midway: no group of it may look matched.
        for (int i = 0; i < kMaxGroups; ++i)
            m_startp[i] = m_endp[i] = NULL;
#ifdef _WIN32
        if (IsTraceOn())
            g_pTraceFile->Write(FoundationText::kRegExpStepsExhausted, (const char*)m_strPattern,
                                (unsigned int)nLength);
#endif
        return false;
    }
    return bMatched;
}

bool CRegExpProgram::TakeSteps(long long nSteps)
{
    m_nStepsLeft -= nSteps;
    if (m_nStepsLeft < 0)
        m_bOutOfSteps = true;
    return !m_bOutOfSteps;
}

namespace
{
// pSet is the operand's membership table when the operand is a set.
int Repeat(const unsigned char* pNode, const bool* pSet, const char* pszIn, bool& bBadOperand)
{
    const char* pszOperand = (const char*)Operand(pNode);
    const char* s = pszIn;
    switch (Op(pNode))
    {
    case ANY:
        s += strlen(s);
        break;
    case EXACTLY:
        while (*s != '\0' && *s == *pszOperand)
            ++s;
        break;
    case ANYOF:
    case ANYBUT:
        while (pSet[(unsigned char)*s])
            ++s;
        break;
    default:
        bBadOperand = true;
        break;
    }
    return (int)(s - pszIn);
}

// The largest count from nCount down to nMin after which the following literal can match; -1 when none.
// nExamined grows by the counts looked at, which the step budget pays for.
// pNextSet, when not NULL, is the membership table of the character the rest must start with.
int FeasibleCount(const char* pszSave, int nCount, int nMin, const bool* pNextSet, long long& nExamined)
{
    if (pNextSet == NULL)
    {
        ++nExamined;
        return nCount >= nMin ? nCount : -1;
    }
    for (; nCount >= nMin; --nCount)
    {
        ++nExamined;
        if (pNextSet[(unsigned char)pszSave[nCount]])
            return nCount;
    }
    return -1;
}
} // namespace

// Depth-first search with an explicit stack of choices, so that long texts cannot exhaust the thread's
// stack. Group pointers are written as the path passes them and restored when it backs up, so a
// repeated group keeps its last iteration.
bool CRegExpProgram::TryAt(const char* pszText, const char* pszStart)
{
    for (int i = 0; i < kMaxGroups; ++i)
        m_startp[i] = m_endp[i] = NULL;

    std::vector<Frame>& stack = m_stack;
    stack.clear();
    const unsigned char* pScan = m_pProgram + 1;
    const char* pszIn = pszStart;
    for (;;)
    {
        if (!TakeSteps(1))
            return false;
        if (pScan == NULL)
        {
            SetError(kCorruptedPointers);
            break;
        }
        const unsigned char* pNext = NextNode(pScan);
        bool bOk = true;
        int op = Op(pScan);
        switch (op)
        {
        case END:
            m_startp[0] = pszStart;
            m_endp[0] = pszIn;
            return true;
        case BOL:
            bOk = (pszIn == pszText);
            break;
        case EOL:
            bOk = (*pszIn == '\0');
            break;
        case ANY:
            bOk = (*pszIn != '\0');
            if (bOk)
                ++pszIn;
            break;
        case EXACTLY:
        {
            const char* pszOperand = (const char*)Operand(pScan);
            size_t nLen = strlen(pszOperand);
            bOk = (*pszOperand == *pszIn) && strncmp(pszOperand, pszIn, nLen) == 0;
            if (bOk)
                pszIn += nLen;
            break;
        }
        case ANYOF:
        case ANYBUT:
            bOk = SetTable(pScan)[(unsigned char)*pszIn];
            if (bOk)
                ++pszIn;
            break;
        case NOTHING:
        case BACK:
            break;
        case WORDA:
            bOk = IsWordChar(*pszIn) && !(pszIn > pszText && IsWordChar(pszIn[-1]));
            break;
        case WORDZ:
            bOk = !IsWordChar(*pszIn);
            break;
        case BRANCH:
            if (pNext != NULL && Op(pNext) == BRANCH)
                stack.push_back(Frame{Frame::kAlternative, pNext, pszIn, NULL, 0});
            pNext = Operand(pScan);
            break;
        case STAR:
        case PLUS:
        {
            bool bBadOperand = false;
            int nMin = (op == STAR) ? 0 : 1;
            const bool* pNextSet = FirstCharTable(pNext);
            const unsigned char* pOperand = Operand(pScan);
            const bool* pSet = (Op(pOperand) == ANYOF || Op(pOperand) == ANYBUT) ? SetTable(pOperand) : NULL;
            int nCount = Repeat(pOperand, pSet, pszIn, bBadOperand);
            if (bBadOperand)
            {
                SetError(kBadRepeat);
                return false;
            }
            long long nExamined = nCount;
            nCount = FeasibleCount(pszIn, nCount, nMin, pNextSet, nExamined);
            if (!TakeSteps(nExamined))
                return false;
            bOk = nCount >= 0;
            if (bOk)
            {
                if (nCount - 1 >= nMin)
                    stack.push_back(Frame{Frame::kRepeat, pScan, pszIn, NULL, nCount - 1});
                pszIn += nCount;
            }
            break;
        }
        default:
            if (op > OPEN && op < OPEN + kMaxGroups)
            {
                stack.push_back(Frame{Frame::kUndo, NULL, m_startp[op - OPEN], &m_startp[op - OPEN], 0});
                m_startp[op - OPEN] = pszIn;
            }
            else if (op > CLOSE && op < CLOSE + kMaxGroups)
            {
                stack.push_back(Frame{Frame::kUndo, NULL, m_endp[op - CLOSE], &m_endp[op - CLOSE], 0});
                m_endp[op - CLOSE] = pszIn;
            }
            else
            {
                SetError(kCorruption);
                return false;
            }
            break;
        }
        if (bOk)
        {
            pScan = pNext;
            continue;
        }

        // Back up to the latest choice, restoring group pointers on the way.
        for (;;)
        {
            if (stack.empty() || !TakeSteps(1))
                return false;
            Frame& frame = stack.back();
            if (frame.kind == Frame::kUndo)
            {
                *frame.ppSlot = frame.pPos;
                stack.pop_back();
                continue;
            }
            if (frame.kind == Frame::kAlternative)
            {
                const unsigned char* pAlternative = frame.pNode;
                pszIn = frame.pPos;
                stack.pop_back();
                const unsigned char* pFollowing = NextNode(pAlternative);
                if (pFollowing != NULL && Op(pFollowing) == BRANCH)
                    stack.push_back(Frame{Frame::kAlternative, pFollowing, pszIn, NULL, 0});
                pScan = Operand(pAlternative);
                break;
            }
            const unsigned char* pRepeat = frame.pNode;
            const unsigned char* pAfter = NextNode(pRepeat);
            int nMin = (Op(pRepeat) == STAR) ? 0 : 1;
            const bool* pNextSet = FirstCharTable(pAfter);
            long long nExamined = 0;
            int nCount = FeasibleCount(frame.pPos, frame.nCount, nMin, pNextSet, nExamined);
            if (!TakeSteps(nExamined))
                return false;
            if (nCount < 0)
            {
                stack.pop_back();
                continue;
            }
            pszIn = frame.pPos + nCount;
            if (nCount - 1 >= nMin)
                frame.nCount = nCount - 1;
            else
                stack.pop_back();
            pScan = pAfter;
            break;
        }
    }
    return false;
}

CRegExp::CRegExp(const char* pszPattern, bool bIgnoreCase)
    : m_pszText(NULL), m_pProgram(new (std::nothrow) CRegExpProgram(pszPattern, bIgnoreCase))
{
}

CRegExp::CRegExp(const CRegExp& other)
    : m_pszText(other.m_pszText), m_strError(other.m_strError), m_pProgram(other.m_pProgram)
{
    if (m_pProgram != NULL)
        ++m_pProgram->m_nShareCount;
}

CRegExp& CRegExp::operator=(const CRegExp& other)
{
    if (this != &other)
    {
        Release();
        m_pszText = other.m_pszText;
        m_strError = other.m_strError;
        m_pProgram = other.m_pProgram;
        if (m_pProgram != NULL)
            ++m_pProgram->m_nShareCount;
    }
    return *this;
}

CRegExp::~CRegExp()
{
    Release();
}

void CRegExp::Release()
{
    if (m_pProgram == NULL)
        return;
    if (m_pProgram->m_nShareCount == 0)
        delete m_pProgram;
    else
        --m_pProgram->m_nShareCount;
    m_pProgram = NULL;
}

bool CRegExp::Match(const char* pszText)
{
    ClearErrorString();
    if (m_pProgram == NULL)
    {
        m_strError = ErrorText(kNullRegExp);
        return false;
    }
    if (m_pProgram->m_nShareCount != 0)
    {
        CRegExpProgram* pPrivate = m_pProgram->Clone();
        --m_pProgram->m_nShareCount;
        m_pProgram = pPrivate;
        if (m_pProgram == NULL)
        {
            m_strError = ErrorText(kNullRegExp);
            return false;
        }
    }
    m_pszText = pszText;
    if (!m_pProgram->Execute(pszText))
    {
        m_pProgram->m_nSubStrings = -1;
        return false;
    }
    int nGroups = 0;
    while (nGroups < CRegExpProgram::kMaxGroups && m_pProgram->m_startp[nGroups] != NULL)
        ++nGroups;
    m_pProgram->m_nSubStrings = nGroups - 1;
    return true;
}

int CRegExp::SubStrings()
{
    if (m_pProgram == NULL)
    {
        m_strError = ErrorText(kNullRegExp);
        return -1;
    }
    return m_pProgram->m_nSubStrings;
}

int CRegExp::SubLength(int i)
{
    if (m_pProgram == NULL)
    {
        m_strError = ErrorText(kNullRegExp);
        return -1;
    }
    i = SafeIndex(i);
    const char* pszStart = m_pProgram->m_startp[i];
    const char* pszEnd = m_pProgram->m_endp[i];
    if (pszStart == NULL || pszEnd == NULL || pszEnd < pszStart)
        return 0;
    return (int)(pszEnd - pszStart);
}

CString CRegExp::GetSubString(int i)
{
    if (m_pProgram == NULL)
    {
        m_strError = ErrorText(kNullRegExp);
        return CString();
    }
    i = SafeIndex(i);
    const char* pszStart = m_pProgram->m_startp[i];
    const char* pszEnd = m_pProgram->m_endp[i];
    if (pszStart == NULL || pszEnd == NULL || pszEnd < pszStart)
        return CString();
    return CString(pszStart, (int)(pszEnd - pszStart));
}

void CRegExp::ClearErrorString()
{
    m_strError.Empty();
    if (m_pProgram != NULL)
        m_pProgram->m_strError.Empty();
}

CString CRegExp::GetErrorString() const
{
    if (!m_strError.IsEmpty() || m_pProgram == NULL)
        return m_strError;
    return m_pProgram->m_strError;
}

int CRegExp::SafeIndex(int i)
{
    if (i < 0)
        return 0;
    if (i >= CRegExpProgram::kMaxGroups)
        return CRegExpProgram::kMaxGroups - 1;
    return i;
}
