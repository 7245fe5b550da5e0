// One MIME entity: its unfolded header, its still-encoded body and the map of its header fields.
#pragma once

#include <atlstr.h>

#include <string_view>
#include <vector>

struct CMimeParameter
{
    CString m_strName; // lower case; empty for the field's main value
    CString m_strValue;
};

struct CMimeField
{
    CString m_strName; // lower case
    std::vector<CMimeParameter> m_parameters;
};

// Splits a structured value (Content-Type, Content-Disposition) into its main value and parameters. A quoted
// value runs to its closing quote, so a ";" or "=" inside it stays in it; a token runs to the next ";".
// Quoted values keep their quotes; names are lowered.
void ParseParameterList(const CString& strValue, std::vector<CMimeParameter>& parameters);

// Removes the double quotes of a parameter value and undoes backslash escapes inside them.
CString UnquoteParameter(const CString& strValue);

// LF-only and CR-only line ends become CRLF; a text that already uses CRLF comes back unchanged.
CString NormalizeLineEnds(const CString& strText);

// The value of the nIndex-th (0: first) field of that name in a message text's header section, which ends
// where the part tree's does. Names match whole and without regard to case, with blanks allowed before the
// colon; continuation lines are joined without their line breaks, tabs become blanks, the value is
// trimmed. Empty when there is no such field.
CString ReadHeaderField(const CString& strText, const char* pszName, int nIndex);

class CMimeEntity
{
public:
    explicit CMimeEntity(const CString& strText);
    virtual ~CMimeEntity() {}

    // pszField in lower case; pszParameter "" gives the main value. Empty when absent.
    CString GetHeader(const char* pszField, const char* pszParameter) const;
    bool HasHeaderValue(const char* pszField, const char* pszValue) const;
    void GetContentType(CString& strType, CString& strSubtype) const;
    CString GetBoundary() const;
    // A parameter by name, also in its RFC 2231 forms (name*, name*0, name*0*...), unquoted and, for the
    // extended forms, percent-decoded. Empty when absent.
    CString GetParameter(const char* pszField, const char* pszParameter) const;

    CString m_strHeader;
    CString m_strBody;
    std::vector<CMimeField> m_fields;

protected:
    CMimeEntity() {}
    // bFieldsOnly: a line after the first that is no header field starts the body. bCrLfOnly: the text is
    // known to end its lines with CR LF only (a piece of a text that did). With pBody, a body that can be
    // read in place is not copied to m_strBody: *pBody gives it inside p (left empty when it was copied).
    void Parse(const char* p, int n, bool bFieldsOnly, bool bCrLfOnly, std::string_view* pBody = NULL);

private:
    void ParseFields();
    const CMimeField* FindField(const char* pszField) const;
};
