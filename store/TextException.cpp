// Plain text exceptions whose text is built at run time.
#include "store/TextException.h"

#include <mutex>
#include <set>
#include <string>

void ThrowText(const char* pszText)
{
    static std::mutex s_lock;
    static std::set<std::string>* s_pTexts = new std::set<std::string>; // never freed: thrown texts live on
    const char* psz;
    {
        std::lock_guard<std::mutex> lock(s_lock);
        psz = s_pTexts->insert(pszText != NULL ? pszText : "").first->c_str();
    }
    throw psz;
}
