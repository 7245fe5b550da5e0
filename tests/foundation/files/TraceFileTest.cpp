// Tests of the trace file: header and record format, numbered names, reopening and concurrent writers.
#include "foundation/TraceFile.h"

#include <regex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "FoundationTestSupport.h"

namespace
{

std::string Str(const CString& str)
{
    return std::string(str.GetString(), static_cast<size_t>(str.GetLength()));
}

const char kStamp[] = "\r\n[0-9]{2}:[0-9]{2}:[0-9]{2} [0-9]{4}> ";

CString FixedSystemInfo()
{
    return CString("Vorn Email 1.0\r\nMicrosoft Windows NT family");
}

// The records of a trace file, without their time stamps.
std::vector<std::string> Records(const std::string& strContent)
{
    std::vector<std::string> records;
    const std::regex stamp(kStamp);
    std::sregex_token_iterator it(strContent.begin(), strContent.end(), stamp, -1), end;
    if (it != end)
        ++it; // the empty text before the first record
    for (; it != end; ++it)
        records.push_back(*it);
    return records;
}

class TraceFileTest : public ::testing::Test
{
protected:
    void SetUp() override { SetTraceSystemInfoProvider(FixedSystemInfo); }
    void TearDown() override { SetTraceSystemInfoProvider(NULL); }

    CTempRedirect m_temp;
};

TEST_F(TraceFileTest, DefaultFileStartsWithTheHeaderAndWritesOneStampedRecordPerCall)
{
    std::string strPath;
    {
        CTraceFile trace;
        strPath = Str(trace.GetFilePath());
        EXPECT_EQ(m_temp.TempPath() + "Lv\\Trace.log", strPath);
        trace.Write("\r\nSend>%s %d", "USER", 7);
        trace.Write("Send>%s %d", "USER", 7);
        trace.WriteText("Receive>+OK 100% %s %n sure");
    }
    const std::string strContent = ReadWholeFile(strPath);
    EXPECT_TRUE(std::regex_search(strContent, std::regex(std::string("^") + kStamp))) << strContent;
    EXPECT_NE("\r\n", strContent.substr(strContent.size() - 2)) << "no line end after the last record";

    SYSTEMTIME st;
    ::GetLocalTime(&st);
    const std::vector<std::string> records = Records(strContent);
    ASSERT_EQ(5u, records.size()) << strContent;
    EXPECT_EQ(std::to_string(st.wDay) + " " + std::to_string(st.wMonth) + " " + std::to_string(st.wYear) +
                  "\r\nVorn Email 1.0\r\nMicrosoft Windows NT family\r\n",
              records[0]);
    EXPECT_EQ("Trace File name: " + strPath, records[1]);
    EXPECT_EQ("Send>USER 7", records[2]);
    EXPECT_EQ("Send>USER 7", records[3]) << "a leading CR LF makes no empty line";
    EXPECT_EQ("Receive>+OK 100% %s %n sure", records[4]) << "text is written as it is, never as a format";
}

TEST_F(TraceFileTest, HeldFilesMakeLaterTracesTakeNumberedNames)
{
    std::string strThird;
    {
        CTraceFile first;
        CTraceFile second;
        CTraceFile third;
        EXPECT_EQ(m_temp.TempPath() + "Lv\\Trace.log", Str(first.GetFilePath()));
        EXPECT_EQ(m_temp.TempPath() + "Lv\\Trace_2.log", Str(second.GetFilePath()));
        strThird = Str(third.GetFilePath());
        EXPECT_EQ(m_temp.TempPath() + "Lv\\Trace_3.log", strThird);
        third.Write("third");
    }
    const std::vector<std::string> records = Records(ReadWholeFile(strThird));
    ASSERT_EQ(3u, records.size());
    EXPECT_EQ("third", records[2]);
}

TEST_F(TraceFileTest, ReopeningAPathAppendsToWhatTheFileHolds)
{
    CString strPath;
    {
        CTraceFile trace;
        strPath = trace.GetFilePath();
        trace.Write("before the viewer");
    }
    {
        CTraceFile reopened(strPath);
        EXPECT_EQ(Str(strPath), Str(reopened.GetFilePath()));
        reopened.Write("after the viewer");
    }
    const std::vector<std::string> records = Records(ReadWholeFile(Str(strPath)));
    ASSERT_EQ(6u, records.size());
    EXPECT_EQ("before the viewer", records[2]);
    EXPECT_EQ("Trace File name: " + Str(strPath), records[4]);
    EXPECT_EQ("after the viewer", records[5]);
}

TEST_F(TraceFileTest, ReopeningAMissingPathShowsTheErrorAndTracesNothing)
{
    CMessageBoxRecorder boxes;
    const std::string strMissing = m_temp.TempPath() + "gone.log";
    CTraceFile trace(strMissing.c_str());
    trace.Write("lost");
    ASSERT_EQ(1u, boxes.Boxes().size());
    EXPECT_EQ("ERROR: '" + strMissing + "'\r\n" + strMissing + " was not found.", boxes.Boxes()[0].text);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesA(strMissing.c_str()));
}

TEST_F(TraceFileTest, AWriteFailureShowsOneBoxAndSilencesTheTrace)
{
    CMessageBoxRecorder boxes;
    CTraceFile trace;
    // Take the handle away so that the next write fails as a lost disk would.
    HANDLE hStolen = trace.m_hFile;
    ::CloseHandle(hStolen);
    trace.Write("first");
    trace.Write("second");
    ASSERT_EQ(1u, boxes.Boxes().size());
    EXPECT_EQ(0u, boxes.Boxes()[0].text.find("ERROR: '" + Str(trace.GetFilePath()) + "'\r\n"));
    EXPECT_EQ(NULL, trace.m_hFile);
}

TEST_F(TraceFileTest, RecordsOfTwoThreadsNeverInterleave)
{
    const int kRecords = 1000;
    std::string strPath;
    {
        CTraceFile trace;
        strPath = Str(trace.GetFilePath());
        auto writer = [&trace](char chName) {
            const std::string strBody(300, chName);
            for (int i = 0; i < kRecords; ++i)
                trace.Write("%c%04d %s", chName, i, strBody.c_str());
        };
        std::thread first(writer, 'A');
        std::thread second(writer, 'B');
        first.join();
        second.join();
    }
    const std::vector<std::string> records = Records(ReadWholeFile(strPath));
    ASSERT_EQ(2u + 2 * kRecords, records.size());
    std::set<std::string> expected;
    for (char chName : {'A', 'B'})
    {
        for (int i = 0; i < kRecords; ++i)
        {
            char szHead[8];
            snprintf(szHead, sizeof(szHead), "%c%04d ", chName, i);
            expected.insert(szHead + std::string(300, chName));
        }
    }
    for (size_t i = 2; i < records.size(); ++i)
        EXPECT_EQ(1u, expected.erase(records[i])) << "record " << i << " is mixed or repeated";
    EXPECT_TRUE(expected.empty());
}

} // namespace
