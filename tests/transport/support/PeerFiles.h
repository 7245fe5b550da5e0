// The loopback mail peers that ./test starts, and whole-file helpers, shared by the transport test programs.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// The port of a peer from the environment ./test sets (ORB_POP3_PORT, ORB_SMTP_PORT); 0 when unset.
UINT PeerPort(const char* pszVariable);
// The peers' state folder as a Windows path ("Z:\..."), with a trailing backslash; empty when unset.
std::string PeerFolder();

std::string ReadWholeFile(const std::string& path);
void WriteWholeFile(const std::string& path, const std::string& bytes);
bool FileExists(const std::string& path);
// Names of the plain files in a folder.
std::vector<std::string> ListFiles(const std::string& folder);
