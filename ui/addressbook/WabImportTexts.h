// What the Windows Address Book import tells the user.
#pragma once

namespace WabImportText
{
const char kNoLibrary[] =
    "The Windows Address Book could not be opened: its library (WAB32.DLL) was not found.";
const char kNoFile[] = "The Windows Address Book could not be opened: there is no address book file.";
const char kUnreadable[] =
    "The Windows Address Book could not be opened: its file is of another version or is damaged, and nothing "
    "was imported.";
const char kInsertSiteFailed[] = "ERROR: Insert to Site table failed!";
const char kInsertContactNameFailed[] = "ERROR: Insert to ContactName table failed!";
} // namespace WabImportText
