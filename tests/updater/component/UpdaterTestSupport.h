// What the updater's tests share: the FTP peer's folders and URLs, the recorded message boxes, scratch
// folders and the object under test.
#pragma once

#include <windows.h>

#include <atlbase.h>
#include <atlcom.h>

#include <string>
#include <vector>

#include "updater/CoUpdate.h"

// The peer's root as this process sees it, with a closing backslash.
std::string FtpRoot();
// ftp://updater:<password>@127.0.0.1:<port>/<folder> (no closing slash unless given).
std::string FtpUrl(const std::string& folder, const char* pszPassword = "secret");
// A fresh folder of the peer's root for one test, named for it; returns its name.
std::string NewServerFolder(const char* pszName);
void WriteServerFile(const std::string& relativePath, const std::string& bytes);
void MakeServerFolder(const std::string& relativePath);
// Peer control: a transfer of a file so named ends after that many bytes (-1: no more), and throttling.
void SetCut(const char* pszFileName, long nBytes);
void SetThrottle(long nBytesPerSecond);

std::string ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& bytes);
std::string NewScratchFolder(const char* pszName); // with its closing backslash
void DeleteTree(const std::string& folder);
std::vector<std::string> FolderNames(const std::string& folder); // sorted, without "." and ".."

struct CRecordedBox
{
    std::string text;
    std::string caption;
    UINT style;
};
// Stands in for every message box of the updater while it lives: records each and answers with the
// given button (an answer per style: Yes/No questions get answerYesNo, others IDOK).
class CMessageBoxRecorder
{
public:
    explicit CMessageBoxRecorder(int answerYesNo = IDNO);
    ~CMessageBoxRecorder();
    std::vector<CRecordedBox> Boxes() const;
    std::vector<std::string> Texts() const;
};

// A new CoUpdate object held by one reference.
CComPtr<ICoUpdate> NewUpdate(CoUpdate** ppObject = nullptr);
