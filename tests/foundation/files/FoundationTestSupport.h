// Test helpers of the foundation tests: a scratch folder, recorded message boxes and debug output.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// A fresh folder under the process's temporary folder, removed with everything in it afterwards.
class CScratchFolder
{
public:
    CScratchFolder();
    ~CScratchFolder();
    std::string Path(const std::string& strName = "") const;

private:
    std::string m_strPath;
};

void WriteWholeFile(const std::string& strPath, const std::string& strContent);
std::string ReadWholeFile(const std::string& strPath);

struct RecordedBox
{
    std::string text;
    std::string caption;
    UINT style;
    HWND owner;
};

// Records every AppMessageBox while it lives and answers with the given button.
class CMessageBoxRecorder
{
public:
    explicit CMessageBoxRecorder(int nAnswer = IDOK);
    ~CMessageBoxRecorder();
    std::vector<RecordedBox> Boxes() const;
    void SetAnswer(int nAnswer);
};

// Records every debug string while it lives.
class CDebugOutputRecorder
{
public:
    CDebugOutputRecorder();
    ~CDebugOutputRecorder();
    std::vector<std::string> Lines() const;
};

// Points the process's temporary folder (TMP and TEMP) at a scratch folder while it lives.
class CTempRedirect
{
public:
    CTempRedirect();
    ~CTempRedirect();
    // The scratch folder, with a trailing backslash, as GetTempPath now reports it.
    std::string TempPath() const;

private:
    CScratchFolder m_folder;
    std::string m_strOldTmp;
    std::string m_strOldTemp;
};
