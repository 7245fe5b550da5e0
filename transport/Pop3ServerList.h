// A logged-on POP3 connection as the leave-on-server bookkeeping sees it: its UIDL list, DELE and STAT.
#pragma once

#include <atlstr.h>

#include "store/ServerMessageList.h"
#include "transport/Pop3.h"

class CPop3ServerList : public CServerMessageList
{
public:
    // bListed: the connection's Uidl() call succeeded; without it an empty list says nothing of the server.
    CPop3ServerList(CPop3& pop, bool bListed) : m_Pop(pop), m_bListed(bListed) {}

    bool IsListed() override { return m_bListed; }
    int GetCount() override { return m_Pop.GetUidlCount(); }
    // Valid until the next call on this object.
    const char* GetUniqueID(int i) override;
    LONG GetMessageNumber(int i) override { return m_Pop.GetNumberAt(i); }
    void RemoveAt(int i) override { m_Pop.RemoveAt(i); }
    // A refusal is thrown, so that the bookkeeping row of a message that stays on the server is kept.
    void Dele(LONG nMessage) override;
    void Stat() override { m_Pop.Stat(); }

private:
    CPop3& m_Pop;
    bool m_bListed;
    CString m_strUniqueID;
};
