// Recipient lists: splitting a typed or received list into entries and formatting each entry.
#include "content/AddressList.h"
#include "content/ContactLookup.h"

#include "content/ContentTexts.h"
#include "content/TransferEncoding.h"
#include "foundation/ErrorUtil.h"
#include "foundation/TextServices.h"

namespace
{

FindContactsByNameProc s_pfnFindContactsByName = nullptr;

void ShowInvalidAddress(const CString& text)
{
    CString format;
    if (!format.LoadString(IDS_INVALID_ADDRESS))
        format = "Invalid address:\r\n%s";
    CString message;
    message.Format(format, static_cast<const char*>(text));
    AppMessageBox(message, 0, NULL);
}

bool IsBlankOrBreak(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// One entry of a recipient list read by RFC 5322: the display name (quotes and quoted pairs resolved,
// white space runs as one blank; the first comment when there is no other), the address (inside the
// angle brackets, or the whole entry without comments and blanks), and whether brackets were there.
void ReadEntry(const CString& text, CString& name, CString& address, bool& angle)
{
    CString phrase, bare, inner, comment;
    bool commentDone = false;
    bool inQuotes = false;
    bool inAngle = false;
    int depth = 0;
    angle = false;
    const int n = text.GetLength();
    for (int i = 0; i < n; ++i)
    {
        char c = text[i];
        if (depth > 0)
        {
            if (c == '\\' && i + 1 < n)
                c = text[++i];
            else if (c == '(')
                ++depth;
            else if (c == ')' && --depth == 0)
            {
                commentDone = commentDone || !comment.IsEmpty();
                continue;
            }
            if (!commentDone)
                comment += IsBlankOrBreak(c) ? ' ' : c;
            continue;
        }
        if (inQuotes)
        {
            const bool pair = c == '\\' && i + 1 < n;
            if (pair)
                c = text[++i];
            else if (c == '"')
            {
                inQuotes = false;
                (inAngle ? inner : bare) += '"';
                continue;
            }
            if (inAngle)
                inner += c;
            else
            {
                phrase += c;
                bare += pair ? CString('\\') + c : CString(c);
            }
            continue;
        }
        if (c == '"')
        {
            inQuotes = true;
            (inAngle ? inner : bare) += '"';
        }
        else if (c == '(')
            depth = 1;
        else if (inAngle)
        {
            if (c == '>')
                inAngle = false;
            else if (!IsBlankOrBreak(c))
                inner += c;
        }
        else if (c == '<')
        {
            inAngle = angle = true;
            inner.Empty();
        }
        else if (c == '>')
            continue; // a stray one in a received list is no part of a name or address
        else if (IsBlankOrBreak(c))
        {
            if (!phrase.IsEmpty() && phrase[phrase.GetLength() - 1] != ' ')
                phrase += ' ';
        }
        else
        {
            phrase += c;
            bare += c;
        }
    }
    phrase.Trim();
    comment.Trim();
    if (angle)
    {
        // An obsolete source route ("<@relay:a@x.com>") is not part of the address.
        if (!inner.IsEmpty() && inner[0] == '@' && inner.Find(':') > 0)
            inner = inner.Mid(inner.Find(':') + 1);
        address = inner;
        name = phrase.IsEmpty() ? comment : phrase;
    }
    else
    {
        address = bare;
        name = comment;
    }
}

// True when the name can stand outside quotes: RFC 2047 5(3) forbids encoded words inside them.
bool IsEncodedWordPhrase(const CString& name)
{
    if (name.Find("=?") < 0 || name.Find("?=") < 0)
        return false;
    for (int i = 0; i < name.GetLength(); ++i)
    {
        const char c = name[i];
        if (static_cast<unsigned char>(c) < 0x21 && c != ' ')
            return false;
        if (c != ' ' && strchr("()<>[]:;@\\,.\"", c))
            return false;
    }
    return true;
}

CString QuotedName(const CString& name)
{
    CString quoted = "\"";
    for (int i = 0; i < name.GetLength(); ++i)
    {
        if (name[i] == '"' || name[i] == '\\')
            quoted += '\\';
        quoted += name[i];
    }
    return quoted + "\"";
}

int AddFormatted(std::vector<CString>& list, const CString& name, const CString& address, CString& entry)
{
    if (name.IsEmpty())
        entry = "<" + address + ">";
    else
    {
        // RFC 2047 5: an encoded word must not stand inside a quoted string, where decoders leave it as is.
        const CString encoded = EncodeHeaderWord(name);
        if (encoded != name)
            entry = encoded + " <" + address + ">";
        else
            entry = (IsEncodedWordPhrase(name) ? name : QuotedName(name)) + " <" + address + ">";
    }
    list.push_back(entry);
    return static_cast<int>(list.size()) - 1;
}

void AddEntry(CString entry, std::vector<CString>& list, const char* pszNameTag, BOOL bResolve,
              HWND hWndOwner)
{
    entry.Trim();
    if (entry.IsEmpty())
        return;
    CString name, address;
    bool angle = false;
    ReadEntry(entry, name, address, angle);
    if (!angle && address.Find('@') < 0)
    {
        // A typed name for the address book; in received mail a local mailbox name such as "root".
        if (bResolve || pszNameTag)
        {
            name = entry;
            address.Empty();
        }
        else if (entry.FindOneOf(" \t\r\n\"(") >= 0)
            return;
    }
    // A received list never yields a recipient without an address.
    if (!bResolve && address.IsEmpty())
        return;
    if (pszNameTag)
        entry = QuotedName(name + (name.IsEmpty() ? "" : " ") + pszNameTag) + " <" + address + ">";
    else if (!bResolve)
    {
        AddFormatted(list, name, address, entry);
        return;
    }
    // Every entry, the last one too, is looked up only when the caller asks: the parser of received mail
    // must never stop on an address-book dialog.
    if (bResolve && s_pfnFindContactsByName && !s_pfnFindContactsByName(entry, hWndOwner))
        return;
    AddAddressToList(list, entry);
}

} // namespace

FindContactsByNameProc GetFindContactsByNameProc()
{
    return s_pfnFindContactsByName;
}

void SetFindContactsByNameProc(FindContactsByNameProc pfnProc)
{
    s_pfnFindContactsByName = pfnProc;
}

BOOL ParseAddressList(const CString& text, std::vector<CString>& list, char separator, const char* pszNameTag,
                      BOOL bResolve, HWND hWndOwner)
{
    // Quoted strings and comments may hold any character, quoted pairs included. A group ("Team: a, b;")
    // gives its members; its name is no recipient. Only a list typed by the user (bResolve) is refused
    // with a message box: a received header is read as well as it goes.
    bool inQuotes = false;
    bool inAngle = false;
    bool inGroup = false;
    int depth = 0;
    int entryStart = 0;
    for (int i = 0; i < text.GetLength(); ++i)
    {
        const char c = text[i];
        if (depth > 0 || inQuotes)
        {
            if (c == '\\')
                ++i;
            else if (inQuotes && c == '"')
                inQuotes = false;
            else if (!inQuotes && c == '(')
                ++depth;
            else if (!inQuotes && c == ')')
                --depth;
            continue;
        }
        bool bad = false;
        if (c == '"')
        {
            bad = inAngle;
            inQuotes = true;
        }
        else if (c == '(')
            depth = 1;
        else if (c == '<')
        {
            bad = inAngle;
            inAngle = true;
        }
        else if (c == '>')
        {
            bad = !inAngle;
            inAngle = false;
        }
        else if (!inAngle && c == ':' && !inGroup)
        {
            inGroup = true;
            entryStart = i + 1;
        }
        else if (!inAngle && (c == separator || (inGroup && (c == ',' || c == ';'))))
        {
            AddEntry(text.Mid(entryStart, i - entryStart), list, pszNameTag, bResolve, hWndOwner);
            entryStart = i + 1;
            if (c == ';')
                inGroup = false;
        }
        if (bad && bResolve)
        {
            ShowInvalidAddress(text.Left(i + 1));
            return FALSE;
        }
    }
    // An entry still inside quotes or brackets at the end would be stored cut.
    if ((inQuotes || inAngle) && bResolve)
    {
        ShowInvalidAddress(text);
        return FALSE;
    }
    AddEntry(text.Mid(entryStart), list, pszNameTag, bResolve, hWndOwner);
    return TRUE;
}

int AddAddressToList(std::vector<CString>& list, CString& entry)
{
    CString name, address;
    bool angle = false;
    ReadEntry(entry, name, address, angle);
    if (!angle && address.Find('@') < 0)
    {
        CString typed(entry);
        typed.Trim();
        name = typed;
        address.Empty();
    }
    return AddFormatted(list, name, address, entry);
}
