// The case count of ./test: real ctest runs of tiny fake tests, counted by tools/count-cases.py.
#include <gtest/gtest.h>

#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace
{
std::string Output(const std::string& strCommand)
{
    std::string strOutput;
    FILE* pPipe = popen(strCommand.c_str(), "r");
    if (pPipe == nullptr)
        return strOutput;
    char buffer[256];
    size_t nRead;
    while ((nRead = fread(buffer, 1, sizeof(buffer), pPipe)) > 0)
        strOutput.append(buffer, nRead);
    pclose(pPipe);
    return strOutput;
}

void WriteFile(const std::filesystem::path& path, const std::string& strText)
{
    std::ofstream(path) << strText;
}
} // namespace

TEST(CountCases, AGoogleTestExecutableThatExitsWithoutItsReportFailsAndAFuzzTargetDoesNot)
{
    char szDir[] = "/tmp/count-cases-XXXXXX";
    ASSERT_NE(nullptr, mkdtemp(szDir));
    const std::filesystem::path dir = szDir;
    const std::filesystem::path results = dir / "test-results";
    std::filesystem::create_directory(results);

    // The registrations as orb_add_test (a report to write) and orb_add_fuzz (none) make them.
    struct Registered
    {
        const char* pszName;
        bool bReporting;
        int nExitCode;
    };
    const Registered tests[] = {
        {"reporting_with_report", true, 0}, // its report, written below, has a failed case
        {"reporting_silent_exit", true, 0}, // a stall that was ended, or an early exit
        {"reporting_crashed", true, 3},
        {"fuzz_passed", false, 0},
        {"fuzz_failed", false, 1},
    };
    std::string strTestFile;
    for (const Registered& t : tests)
    {
        strTestFile += std::string("add_test(") + t.pszName + " /bin/sh -c \"exit " +
                       std::to_string(t.nExitCode) + "\")\n";
        if (t.bReporting)
            strTestFile += std::string("set_tests_properties(") + t.pszName +
                           " PROPERTIES ENVIRONMENT \"GTEST_OUTPUT=xml:" + results.string() + "/\")\n";
    }
    WriteFile(dir / "CTestTestfile.cmake", strTestFile);
    WriteFile(results / "reporting_with_report.xml",
              "<testsuites><testsuite name=\"S\">"
              "<testcase name=\"Good\" classname=\"S\" status=\"run\" result=\"completed\"/>"
              "<testcase name=\"Bad\" classname=\"S\" status=\"run\" result=\"completed\">"
              "<failure message=\"x\"/></testcase>"
              "</testsuite></testsuites>");

    const std::string strLog = (dir / "ctest.log").string();
    Output(std::string(ORB_CTEST_COMMAND) + " --test-dir " + dir.string() + " > " + strLog + " 2>&1");
    const std::string strCount = Output("/usr/bin/python3 " ORB_SOURCE_DIR "/tools/count-cases.py --ctest-dir " +
                                     dir.string() + " " + results.string() + " " + strLog + " 2>&1");

    EXPECT_EQ("2 4\n"
              "fuzz_failed (crashed, timed out or failed without a report)\n"
              "reporting_crashed (crashed, timed out or failed without a report)\n"
              "reporting_silent_exit (exited 0 without its report: it did not run to its end)\n"
              "reporting_with_report: S.Bad\n",
              strCount);
    std::filesystem::remove_all(dir);
}
