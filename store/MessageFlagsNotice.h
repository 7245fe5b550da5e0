// The record through which the message list, its commands and the store's move tell the main window and the
// folder tree how a folder's counts changed; written before ID_UPDATE_MESSAGE_FLAGS or ID_SET_FOLDER_UNREAD
// is sent.
#pragma once

#include <windows.h>

enum
{
    NOTICE_NONE = 0,
    NOTICE_MESSAGE_READ = 1,
    NOTICE_MESSAGE_UNREAD = 2,
    NOTICE_FOLDER_COUNTED = 3,
    NOTICE_MESSAGE_MOVED = 4
};

// The lParam of ID_UPDATE_MESSAGE_FLAGS from a writer that stores many messages one after another: the window
// may show the new counts a moment later, once for a whole run of such notices.
const LPARAM NOTICE_SHOW_LATER = 1;

struct CMessageFlagsNotice
{
    LONG nFolderID;
    LONG nPreviousFolderID;
    // The pending change of the unread count.
    LONG nUnreadDelta;
    LONG nKind;
    // The folder summary of the current folder.
    LONG nMessages;
    LONG nUnread;
    // Kind 4 only: the moved message was unread.
    BOOL bMovedUnread;
    LONG nMessageID;
};

extern CMessageFlagsNotice MessageFlagsNotice;

#include <vector>

// The messages whose flags the last command changed, announced with ID_UPDATE_MESSAGE_FLAGS.
extern std::vector<LONG> ChangedMessageIDs;
