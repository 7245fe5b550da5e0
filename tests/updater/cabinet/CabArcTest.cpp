// Tests of CABARC.EXE: extraction into the current folder, and refusal of archives that would write outside
// it or that are cut or damaged, with nothing left behind.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

namespace
{

std::string CabinetDir()
{
    const char* pszDir = getenv("ORB_CABINET_DIR");
    std::string dir = pszDir ? std::string("Z:") + pszDir + "/made/" : std::string();
    for (char& c : dir)
    {
        if (c == '/')
            c = '\\';
    }
    return dir;
}

std::string ReadFileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

// Every file and folder below folder, as relative paths.
void ListTree(const std::string& folder, const std::string& prefix, std::set<std::string>& names)
{
    WIN32_FIND_DATAA data;
    HANDLE hFind = FindFirstFileA((folder + "*").c_str(), &data);
    if (hFind == INVALID_HANDLE_VALUE)
        return;
    do
    {
        std::string name = data.cFileName;
        if (name == "." || name == "..")
            continue;
        names.insert(prefix + name);
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            ListTree(folder + name + "\\", prefix + name + "\\", names);
    } while (FindNextFileA(hFind, &data));
    FindClose(hFind);
}

std::set<std::string> Tree(const std::string& folder)
{
    std::set<std::string> names;
    ListTree(folder, "", names);
    return names;
}

// Wide and with the long-path prefix: a member name may be 255 characters long.
void DeleteTreeW(const std::wstring& folder)
{
    WIN32_FIND_DATAW data;
    HANDLE hFind = FindFirstFileW((folder + L"*").c_str(), &data);
    if (hFind != INVALID_HANDLE_VALUE)
    {
        do
        {
            std::wstring name = data.cFileName;
            if (name == L"." || name == L"..")
                continue;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                DeleteTreeW(folder + name + L"\\");
            else
                DeleteFileW((folder + name).c_str());
        } while (FindNextFileW(hFind, &data));
        FindClose(hFind);
    }
    RemoveDirectoryW(folder.c_str());
}

void DeleteTree(const std::string& folder)
{
    DeleteTreeW(L"\\\\?\\" + std::wstring(folder.begin(), folder.end()));
}

struct CRun
{
    DWORD exitCode = 0xFFFFFFFF;
    std::string errors;
};

class CabArcTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_FALSE(CabinetDir().empty()) << "ORB_CABINET_DIR is not set (./test sets it)";
        char szTemp[MAX_PATH];
        GetTempPathA(MAX_PATH, szTemp);
        m_root = std::string(szTemp) + "cabarc-test-" + std::to_string(GetCurrentProcessId()) + "\\";
        DeleteTree(m_root);
        CreateDirectoryA(m_root.c_str(), nullptr);
        m_work = m_root + "work\\";
        CreateDirectoryA(m_work.c_str(), nullptr);
    }
    void TearDown() override { DeleteTree(m_root); }

    // Runs the tool as the updater does: its exact command line, in the folder to extract into.
    CRun Run(const std::string& arguments)
    {
        CRun run;
        std::string errorsPath = m_root + "stderr.txt";
        SECURITY_ATTRIBUTES sa = {sizeof(sa), nullptr, TRUE};
        HANDLE hErrors =
            CreateFileA(errorsPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &sa, CREATE_ALWAYS, 0, nullptr);
        STARTUPINFOA startup = {};
        startup.cb = sizeof(startup);
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdError = hErrors;
        startup.hStdOutput = hErrors;
        PROCESS_INFORMATION process = {};
        std::string command = std::string("\"") + ORB_CABARC_EXE + "\" " + arguments;
        // Wine now and then fails to bring up a new process under load (error 1359, the child dying in its
        // loader before it runs a line of ours): that start is tried again, a tool that ran never is.
        BOOL bStarted = FALSE;
        for (int nTry = 0; nTry < 3 && !bStarted; ++nTry)
        {
            if (nTry)
                Sleep(500);
            bStarted = CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, m_work.c_str(),
                                      &startup, &process);
        }
        if (bStarted)
        {
            WaitForSingleObject(process.hProcess, 60000);
            GetExitCodeProcess(process.hProcess, &run.exitCode);
            CloseHandle(process.hProcess);
            CloseHandle(process.hThread);
        }
        DWORD dwStartError = run.exitCode == 0xFFFFFFFF ? GetLastError() : 0;
        CloseHandle(hErrors);
        run.errors = ReadFileBytes(errorsPath);
        // Seen once under a full parallel run: say why the tool did not start, should it happen again.
        if (dwStartError)
            run.errors += "(the tool did not start: error " + std::to_string(dwStartError) + ")";
        return run;
    }
    CRun Extract(const std::string& cabinet) { return Run("-o x \"" + CabinetDir() + cabinet + "\""); }

    std::string m_root;
    std::string m_work;
};

TEST_F(CabArcTest, WholeCabinetsAreExtractedExactlyWithTheirSubfolders)
{
    const std::string expected = ReadFileBytes(CabinetDir() + "expected-data.bin");
    ASSERT_FALSE(expected.empty());
    for (const char* cabinet : {"stored.cab", "mszip.cab"})
    {
        SCOPED_TRACE(cabinet);
        // An older copy is overwritten.
        WriteFileBytes(m_work + "readme.txt", "old");
        CRun run = Extract(cabinet);
        EXPECT_EQ(0u, run.exitCode) << run.errors;
        EXPECT_EQ((std::set<std::string>{"readme.txt", "sub", "sub\\data.bin"}), Tree(m_work));
        EXPECT_EQ("The first member.\r\n", ReadFileBytes(m_work + "readme.txt"));
        EXPECT_TRUE(ReadFileBytes(m_work + "sub\\data.bin") == expected);
        DeleteTree(m_work);
        CreateDirectoryA(m_work.c_str(), nullptr);
    }
}

TEST_F(CabArcTest, ArchivesThatAreHostileCutOrDamagedAreRefusedWithNothingWritten)
{
    struct Case
    {
        const char* cabinet;
        const char* reason;
    } cases[] = {
        {"dotdot.cab", "leaves the folder"},
        {"drive.cab", "leaves the folder"},
        {"rooted.cab", "leaves the folder"},
        {"unc.cab", "leaves the folder"},
        {"device.cab", "leaves the folder"},
        {"colon.cab", "leaves the folder"},
        {"truncated.cab", ""},
        {"bitflip.cab", ""},
        {"expected-data.bin", "not a cabinet"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.cabinet);
        // What the folder held before stays as it was: the first member of every archive is readme.txt.
        WriteFileBytes(m_work + "readme.txt", "kept");
        std::set<std::string> rootBefore = Tree(m_root);
        CRun run = Extract(c.cabinet);
        EXPECT_NE(0u, run.exitCode);
        EXPECT_NE(std::string::npos, run.errors.find("was not extracted")) << run.errors;
        EXPECT_NE(std::string::npos, run.errors.find(c.reason)) << run.errors;
        std::set<std::string> rootAfter = Tree(m_root);
        rootAfter.erase("stderr.txt");
        rootBefore.erase("stderr.txt");
        EXPECT_EQ(rootBefore, rootAfter);
        EXPECT_EQ("kept", ReadFileBytes(m_work + "readme.txt"));
        EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA("C:\\x"));
    }
}

TEST_F(CabArcTest, AnyOtherCommandLineIsRefused)
{
    for (const char* arguments : {"", "x \"a.cab\"", "-o a \"a.cab\"", "-o x"})
    {
        SCOPED_TRACE(arguments);
        CRun run = Run(arguments);
        EXPECT_EQ(2u, run.exitCode);
        EXPECT_NE(std::string::npos, run.errors.find("usage")) << run.errors;
    }
    CRun run = Run("-o x \"" + m_root + "missing.cab\"");
    EXPECT_NE(0u, run.exitCode);
    EXPECT_TRUE(Tree(m_work).empty());
}

// Debian's cabinets (libmspack's, libarchive's and libgcab's test files): each is extracted exactly as gcab
// extracts it, or refused clearly with nothing written; none crashes the tool. Whole ones come out.
TEST_F(CabArcTest, RealCabinetsAreExtractedExactlyOrRefusedClearly)
{
    const char* pszReal = getenv("ORB_REAL_CABINETS");
    ASSERT_NE(nullptr, pszReal) << "ORB_REAL_CABINETS is not set (./test sets it)";
    std::string real = std::string("Z:") + pszReal + "\\";
    for (char& c : real)
    {
        if (c == '/')
            c = '\\';
    }
    const std::set<std::string> whole = {"gcab-test-none.cab",
                                         "gcab-test-mszip.cab",
                                         "mspack-normal_2files_1folder.cab",
                                         "mspack-normal_2files_2folders.cab",
                                         "libarchive-test_read_format_cab_1.cab",
                                         "libarchive-test_read_format_cab_2.cab",
                                         "libarchive-test_read_format_cab_3.cab"};
    std::set<std::string> cabinets;
    ListTree(real + "cabs\\", "", cabinets);
    ASSERT_GT(cabinets.size(), 50u);
    int nExtracted = 0, nRefused = 0;
    for (const std::string& cabinet : cabinets)
    {
        SCOPED_TRACE(cabinet);
        DeleteTree(m_work);
        CreateDirectoryA(m_work.c_str(), nullptr);
        CRun run = Run("-o x \"" + real + "cabs\\" + cabinet + "\"");
        ASSERT_TRUE(run.exitCode == 0 || run.exitCode == 1)
            << "exit code " << std::hex << run.exitCode << " " << run.errors;
        std::string reference = real + "reference\\" + cabinet.substr(0, cabinet.size() - 4) + "\\";
        if (whole.count(cabinet))
            EXPECT_EQ(0u, run.exitCode) << run.errors;
        if (run.exitCode != 0)
        {
            ++nRefused;
            EXPECT_NE(std::string::npos, run.errors.find("was not extracted")) << run.errors;
            EXPECT_TRUE(Tree(m_work).empty());
            continue;
        }
        ++nExtracted;
        if (GetFileAttributesA(reference.c_str()) == INVALID_FILE_ATTRIBUTES)
            continue;
        std::set<std::string> expected = Tree(reference);
        // gcab writes names of another code page than the system's as "?": only the count can be compared.
        if (std::any_of(expected.begin(), expected.end(),
                        [](const std::string& name) { return name.find('?') != std::string::npos; }))
        {
            EXPECT_FALSE(Tree(m_work).empty());
            continue;
        }
        EXPECT_EQ(expected, Tree(m_work));
        for (const std::string& name : expected)
        {
            if (!(GetFileAttributesA((reference + name).c_str()) & FILE_ATTRIBUTE_DIRECTORY))
                EXPECT_TRUE(ReadFileBytes(reference + name) == ReadFileBytes(m_work + name)) << name;
        }
    }
    printf("real cabinets: %d extracted, %d refused\n", nExtracted, nRefused);
}

} // namespace
