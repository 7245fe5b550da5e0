// The four-part version of a release on the update server, version-folder names and folder URLs.
#pragma once

#include <atlstr.h>

class CUpdateVersion
{
public:
    CUpdateVersion() = default;
    CUpdateVersion(unsigned short w1, unsigned short w2, unsigned short w3, unsigned short w4);

    // Four runs of digits separated by commas and nothing after them; a run may be empty.
    static bool IsVersionFolderName(const char* pszName);
    // Reads "%d, %d, %d, %d"; fewer than four numbers throws a CException with an empty text.
    void Parse(const char* pszText);
    // As Parse, but answers instead of throwing.
    bool TryParse(const char* pszText);
    // 0 equal, -1 this is older, 1 this is newer. The fourth number weighs more than the third.
    int Compare(const CUpdateVersion& other) const;
    CString Format() const;

    unsigned short m_w[4] = {0, 0, 0, 0};
};

// A folder URL with its closing "/" (an empty URL stays empty).
CString JoinFolderUrl(const char* pszUrl);
