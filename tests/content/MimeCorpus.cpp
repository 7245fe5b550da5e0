// Loading the MIME corpus and writing a part tree as an outline.
#include "MimeCorpus.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "content/AttachmentName.h"
#include "content/MimePart.h"

std::string MimeDataPath(const char* pszName)
{
    return std::string(ORB_TEST_DATA_DIR) + "/mime/" + pszName;
}

std::string ReadBinaryFile(const std::string& strPath)
{
    std::ifstream file(strPath, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

namespace
{
void AddFolder(const char* pszFolder, std::vector<CCorpusMessage>& corpus)
{
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(MimeDataPath(pszFolder), error))
    {
        std::string strFile = entry.path().filename().string();
        if (strFile.size() < 4 || strFile.substr(strFile.size() - 4) != ".eml")
            continue;
        CCorpusMessage message;
        message.strName = std::string(pszFolder) + strFile;
        message.strText = ReadBinaryFile(MimeDataPath(message.strName.c_str()));
        std::string strOutline = message.strName.substr(0, message.strName.size() - 4) + ".outline";
        message.strOutline = ReadBinaryFile(MimeDataPath(strOutline.c_str()));
        corpus.push_back(message);
    }
}

void Outline(const CMimePart& part, int nDepth, std::ostringstream& out)
{
    CString strType, strSubtype;
    part.GetContentType(strType, strSubtype);
    const CMimePart* pChild = part.m_pFirstChild;
    if (pChild != NULL && part.m_strBody.Find("--" + part.GetBoundary()) != 0)
        pChild = pChild->m_pNextSibling; // the preamble
    if (strType == "multipart" && pChild != NULL)
    {
        int nChildren = 0;
        for (const CMimePart* p = pChild; p != NULL; p = p->m_pNextSibling)
            nChildren++;
        out << nDepth << " " << strType << "/" << strSubtype << " boundary=" << part.GetBoundary()
            << " children=" << nChildren << "\n";
        for (; pChild != NULL; pChild = pChild->m_pNextSibling)
            Outline(*pChild, nDepth + 1, out);
        return;
    }
    out << nDepth << " " << strType << "/" << strSubtype << " name=" << GetRawAttachmentName(part)
        << " length=";
    if (strType == "message")
        out << "-";
    else
        out << DecodePartBodyText(part.GetHeader("content-transfer-encoding", ""), part.m_strBody)
                   .GetLength();
    out << "\n";
}
} // namespace

std::vector<CCorpusMessage> LoadMimeCorpus()
{
    std::vector<CCorpusMessage> corpus;
    AddFolder("", corpus);
    AddFolder("python/", corpus);
    std::sort(corpus.begin(), corpus.end(),
              [](const CCorpusMessage& a, const CCorpusMessage& b) { return a.strName < b.strName; });
    return corpus;
}

std::string OutlineOf(const CMimePart& part)
{
    std::ostringstream out;
    Outline(part, 0, out);
    return out.str();
}
