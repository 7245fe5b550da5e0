// Twenty message rules applied to the fixture messages, beside procmail filing the same messages by the same
// twenty rules, written as recipes, into Maildir folders; prints both times and the ratio.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "PeerBench.h"
#include "StoreTestDatabase.h"
#include "store/Folders.h"
#include "store/MessageRuleSet.h"

namespace
{
const int kRules = 20;
// The fixture is small: it is applied this many times over, on both sides, for a measurable time.
const int kRounds = 4;

struct BenchRule
{
    BYTE nType;
    std::string strValue;
};

// Mostly values no fixture message holds, so that a message meets every rule; the last one fires for
// most of them. Every condition kind is there four times.
std::vector<BenchRule> MakeRules()
{
    const BYTE types[] = {RULE_FROM, RULE_SUBJECT, RULE_TO, RULE_BODY, RULE_CC};
    std::vector<BenchRule> rules;
    for (int i = 0; i < kRules - 1; i++)
    {
        const BYTE nType = types[i % 5];
        const bool bPeople = nType == RULE_FROM || nType == RULE_TO || nType == RULE_CC;
        rules.push_back(
            {nType, bPeople ? "rule" + std::to_string(i) + "@nowhere.invalid" : "Zqx" + std::to_string(i)});
    }
    rules.push_back({RULE_BODY, "the"});
    return rules;
}

// procmail's recipe of one rule: headers matched as the rule compares them, words with case.
std::string Recipe(const BenchRule& rule, int nFolder)
{
    std::string strPattern;
    for (char c : rule.strValue)
    {
        if (strchr(".^$*+?()[]{}|\\", c) != NULL)
            strPattern += '\\';
        strPattern += c;
    }
    std::string strHead;
    switch (rule.nType)
    {
    case RULE_FROM: strHead = ":0\n* ^From:.*" + strPattern; break;
    case RULE_TO: strHead = ":0\n* ^To:.*" + strPattern; break;
    case RULE_CC: strHead = ":0\n* ^Cc:.*" + strPattern; break;
    case RULE_SUBJECT: strHead = ":0 D\n* ^Subject:.*" + strPattern; break;
    default: strHead = ":0 BD\n* " + strPattern; break;
    }
    return strHead + "\nfolder" + std::to_string(nFolder) + "/\n\n";
}

std::string ReadFileBytes(const std::string& strPath)
{
    std::string bytes;
    FILE* f = fopen(strPath.c_str(), "rb");
    if (f == NULL)
        return bytes;
    char buffer[65536];
    for (size_t n; (n = fread(buffer, 1, sizeof(buffer), f)) > 0;)
        bytes.append(buffer, n);
    fclose(f);
    return bytes;
}

std::vector<std::string> FixtureMessages()
{
    std::vector<std::string> messages;
    const std::string folder = std::string(ORB_TEST_DATA_DIR) + "\\real-mail\\";
    WIN32_FIND_DATAA data;
    HANDLE hFind = FindFirstFileA((folder + "*.eml").c_str(), &data);
    if (hFind == INVALID_HANDLE_VALUE)
        return messages;
    do
        messages.push_back(ReadFileBytes(folder + data.cFileName));
    while (FindNextFileA(hFind, &data));
    FindClose(hFind);
    return messages;
}

// The folder of this program as Linux sees it.
std::string WorkFolder()
{
    char szPath[MAX_PATH] = {};
    GetModuleFileNameA(NULL, szPath, MAX_PATH);
    std::string path = szPath;
    path = path.substr(0, path.rfind('\\')) + "\\apply-rules-bench";
    if (path.size() > 2 && path[1] == ':')
        path = path.substr(2);
    for (char& c : path)
    {
        if (c == '\\')
            c = '/';
    }
    return path;
}
} // namespace

int main()
{
    CoInitialize(NULL);
    const std::vector<std::string> messages = FixtureMessages();
    if (messages.empty())
    {
        printf("apply rules: no fixture messages under %s\n", ORB_TEST_DATA_DIR);
        return 0;
    }
    const std::vector<BenchRule> bench = MakeRules();

    double dOurs = -1;
    int nFiled = 0;
    {
        CTempDatabasePath path("rulesbench");
        CTestDatabase db;
        db.OpenFile(path.m_strPath);
        CFolders folders(db.Session());
        folders.GetSystemFolder(FOLDER_INBOX, NULL);
        CMessageRuleSet rules(db.Session());
        for (int i = 0; i < kRules; i++)
        {
            const std::string strName = "folder" + std::to_string(i);
            folders.InsertFolder(NULL, 0, strName.c_str(), FOLDER_COMPANY);
            CMessageRule* pRule = rules.AddRule();
            snprintf(pRule->m_Name, sizeof(pRule->m_Name), "Rule %d", i);
            std::unique_ptr<CRuleCondition> pCondition(
                new CRuleCondition(bench[i].nType, CONDITION_CONTAINS));
            pCondition->AddValue(bench[i].strValue.c_str());
            pRule->m_Conditions.push_back(std::move(pCondition));
            std::unique_ptr<CRuleCondition> pMove(new CRuleCondition(RULE_MOVE, 1));
            pMove->AddValue(std::to_string(folders.m_ID).c_str());
            pRule->m_Actions.push_back(std::move(pMove));
        }
        folders.Close();
        std::vector<CString> texts;
        for (const std::string& message : messages)
            texts.push_back(CString(message.c_str(), (int)message.size()));
        LARGE_INTEGER start;
        QueryPerformanceCounter(&start);
        for (int nRound = 0; nRound < kRounds; nRound++)
        {
            for (const CString& strText : texts)
            {
                LONG nFolder = 0, nCopy = 0;
                CString strForward;
                rules.Apply(NULL, strText, nFolder, nCopy, strForward);
                nFiled += nFolder != 0;
            }
        }
        dOurs = Seconds(start);
    }

    // procmail reads one message per run, as a delivery agent does; the last recipe is the Inbox.
    const std::string work = WorkFolder();
    CreateDirectoryA(WindowsPath(work).c_str(), NULL);
    CreateDirectoryA(WindowsPath(work + "/messages").c_str(), NULL);
    for (size_t i = 0; i < messages.size(); i++)
    {
        std::string text;
        for (char c : messages[i])
        {
            if (c != '\r')
                text += c;
        }
        if (text.compare(0, 5, "From ") != 0)
            text = "From bench@example.org Mon Dec  7 10:00:00 2026\n" + text;
        WriteFileText(WindowsPath(work + "/messages/" + std::to_string(1000 + i) + ".eml"), text);
    }
    std::string rc = "MAILDIR=" + work + "/maildir\nLOGFILE=/dev/null\nVERBOSE=no\n\n";
    for (int i = 0; i < kRules; i++)
        rc += Recipe(bench[i], i);
    rc += ":0\ninbox/\n";
    WriteFileText(WindowsPath(work + "/rules.rc"), rc);
    const std::string strTotal = std::to_string(messages.size() * kRounds);
    const double dProcmail = RunHostScript(
        work, "rm -rf " + work + "/maildir && mkdir -p " + work + "/maildir && for round in $(seq " +
                  std::to_string(kRounds) + "); do for f in " + work + "/messages/*.eml; do procmail -m " +
                  work + "/rules.rc < $f || exit 1; done; done && [ $(find " + work +
                  "/maildir -path '*/new/*' -type f | wc -l) -eq " + strTotal + " ]");

    printf("apply rules: %d rules over %d messages, %d filed by a rule\n", kRules,
           (int)messages.size() * kRounds, nFiled);
    PrintRatio("apply 20 rules", "procmail", dOurs, dProcmail);
    CoUninitialize();
    return 0;
}
