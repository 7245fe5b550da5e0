// What the leave-on-server bookkeeping needs of a logged-on POP3 connection: its unique-identifier list
// in server order, and the two commands it sends.
#pragma once

#include <windows.h>

class CServerMessageList
{
public:
    virtual ~CServerMessageList() {}

    // True when the last UIDL listing was read completely; an empty list means "nothing on the server"
    // only then.
    virtual bool IsListed() = 0;
    virtual int GetCount() = 0;
    // The unique identifier and the message number of entry i (0-based, i < GetCount()).
    virtual const char* GetUniqueID(int i) = 0;
    virtual LONG GetMessageNumber(int i) = 0;
    // Takes entry i out of the list; later entries move up by one.
    virtual void RemoveAt(int i) = 0;
    // POP3 "DELE n"; a connection may throw when the server refuses it.
    virtual void Dele(LONG nMessage) = 0;
    // POP3 "STAT", sent to keep a long bookkeeping pass from timing out.
    virtual void Stat() = 0;
};
