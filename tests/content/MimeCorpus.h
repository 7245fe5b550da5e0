// The message corpus of the MIME tests: our fixtures and Python's test messages, each with the outline of
// its part tree as Python's email package reads it.
#pragma once

#include <atlstr.h>

#include <string>
#include <vector>

class CMimePart;

struct CCorpusMessage
{
    std::string strName; // path below tests/data/mime
    std::string strText;
    std::string strOutline; // expected, from the .outline file
};

std::vector<CCorpusMessage> LoadMimeCorpus();
std::string ReadBinaryFile(const std::string& strPath);
std::string MimeDataPath(const char* pszName);
// Our tree in the outline's form; the preamble, which Python does not count as a part, is left out.
std::string OutlineOf(const CMimePart& part);
