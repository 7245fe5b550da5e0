// The leave-on-server bookkeeping's view of a POP3 connection.
#include "transport/Pop3ServerList.h"

const char* CPop3ServerList::GetUniqueID(int i)
{
    m_strUniqueID = m_Pop.GetStringAt(i);
    return m_strUniqueID;
}

void CPop3ServerList::Dele(LONG nMessage)
{
    int nNumber = static_cast<int>(nMessage);
    m_Pop.Dele(nNumber);
}
