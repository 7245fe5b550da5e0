// What the benchmarks against the loopback mail peers share: timing, host scripts (mpop, msmtp), the bench
// user's mailbox and the printed ratio.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// The bench user's mailbox holds this many messages for the POP3 benchmarks.
const int kPop3Messages = 2000;

double Seconds(const LARGE_INTEGER& start);
// A Linux path as Wine's Z: drive shows it.
std::string WindowsPath(const std::string& unixPath);
bool WriteFileText(const std::string& path, const std::string& bytes);
// Runs a shell script of the host and returns the seconds it reports, or -1.
double RunHostScript(const std::string& folder, const std::string& body);
void PrintRatio(const char* pszWhat, const char* pszPeer, double ours, double peer);
std::string BenchMessage(int n);
// The bench user's Maildir holds exactly the benchmark's messages afterwards.
void FillBenchMailbox(const std::string& peerDir);
// The same with the given messages, in their order.
void FillBenchMailbox(const std::string& peerDir, const std::vector<std::string>& messages);
// mpop fetching the bench mailbox of nMessages into a fresh Maildir, leaving the messages on the server;
// seconds or -1.
double RunMpop(const std::string& peerDir, UINT nPort, int nMessages = kPop3Messages);
