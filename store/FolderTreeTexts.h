// The folder tree's texts, verbatim.
#pragma once

namespace FolderTreeText
{
const char kAddressBook[] = "Address Book"; // string 297
const char kCompanies[] = "Companies";      // string 296
const char kMoveToDeletedQuestion[] =
    "Are you sure you want delete the '%s' folder and move it to the '%s' folder?"; // string 292
const char kMoveIntoSubfolder[] = "A folder cannot be moved into one of its subfolders."; // string 293
const char kDeleteForGoodQuestion[] = "Are you sure you want to permanently delete the '%s' folder?\r\n\r\nThis "
                                      "action cannot be undone."; // string 294
const char kUseAccountForRename[] = "Please use appropriate account for renaming of the folder."; // string 351
const char kSystemFolderRefused[] = "The '%s' folder cannot be deleted or moved.";
const char kCreateTreeUnhandled[] = "CFolders::CreateTree. Unhandled exception!!!\r\n";
const char kDeleteEmailsFailed[] = "ERROR: Delete Emails table failed!";
const char kDeleteFoldersFailed[] = "ERROR: Delete Folders table failed!";
const char kUpdateFoldersFailed[] = "ERROR: Update of the Foldres table failed!";
const char kCreateFolderCaption[] = "Create Folder";
const char kRenameFolderCaption[] = "Rename Folder";
const char kFolderNameLabel[] = "&Folder Name:";
} // namespace FolderTreeText
