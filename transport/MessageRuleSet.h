// The message rules as the receive worker applies them to each received message.
#pragma once

#include <windows.h>

#include <atlstr.h>

class CMessageRuleSet
{
public:
    virtual ~CMessageRuleSet() {}

    virtual bool HasRules() const { return false; }
    // The enabled rules in chain order up to the first that fires. Folder results: 0 none, -1 the rule's
    // folder no longer exists (the rule code has told the user). strForward: empty for none; several
    // addresses are separated by ";".
    virtual void Apply(HWND hOwner, const CString& strMessage, LONG& nFolderID, LONG& nCopyFolderID,
                       CString& strForward)
    {
        nFolderID = 0;
        nCopyFolderID = 0;
        strForward.Empty();
    }
};

// The rule set of the local database; the rules code installs its own. Null: no rules.
typedef CMessageRuleSet* (*MessageRuleSetSource)();
MessageRuleSetSource SetMessageRuleSetSource(MessageRuleSetSource pfnSource);
CMessageRuleSet* GetMessageRuleSet();
