// Recipient lists: splitting a typed or received list into entries and formatting each entry.
#include "content/AddressList.h"

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

void AddEntry(CString entry, std::vector<CString>& list, const char* pszNameTag, BOOL bResolve,
              HWND hWndOwner)
{
    entry.TrimLeft();
    if (entry.IsEmpty())
        return;
    if (pszNameTag)
    {
        CString name, address;
        SplitAddress(entry, name, address);
        entry = "\"" + name + (name.IsEmpty() ? "" : " ") + pszNameTag + "\" <" + address + ">";
    }
    // Every entry, the last one too, is looked up only when the caller asks: the parser of received mail
    // must never stop on an address-book dialog.
    if (bResolve && s_pfnFindContactsByName && !s_pfnFindContactsByName(entry, hWndOwner))
        return;
    AddAddressToList(list, entry);
}

} // namespace

void SetFindContactsByNameProc(FindContactsByNameProc pfnProc)
{
    s_pfnFindContactsByName = pfnProc;
}

BOOL ParseAddressList(const CString& text, std::vector<CString>& list, char separator, const char* pszNameTag,
                      BOOL bResolve, HWND hWndOwner)
{
    bool inQuotes = false;
    bool inAngle = false;
    int entryStart = 0;
    for (int i = 0; i < text.GetLength(); ++i)
    {
        const char c = text[i];
        bool bad = false;
        if (c == '"')
        {
            bad = inAngle;
            inQuotes = !inQuotes;
        }
        else if (c == '<')
        {
            bad = inQuotes || inAngle;
            inAngle = true;
        }
        else if (c == '>')
        {
            bad = !inAngle || inQuotes;
            inAngle = false;
        }
        else if (c == separator && !inQuotes && !inAngle)
        {
            AddEntry(text.Mid(entryStart, i - entryStart), list, pszNameTag, bResolve, hWndOwner);
            entryStart = i + 1;
        }
        if (bad)
        {
            ShowInvalidAddress(text.Left(i + 1));
            return FALSE;
        }
    }
    // An entry still inside quotes or brackets at the end would be stored cut.
    if (inQuotes || inAngle)
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
    SplitAddress(entry, name, address);
    if (name.IsEmpty())
        entry = "<" + address + ">";
    else
    {
        // RFC 2047 5: an encoded word must not stand inside a quoted string, where decoders leave it as is.
        const CString encoded = EncodeHeaderWord(name);
        entry = (encoded == name ? "\"" + name + "\"" : encoded) + " <" + address + ">";
    }
    list.push_back(entry);
    return static_cast<int>(list.size()) - 1;
}
