#include "engine/ActivityLog.h"
#include "engine/LogReport.h"
#include "engine/SystemInfo.h"
#include "engine/Timestamp.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace sweepora;

namespace {

class Recorder final : public LogObserver {
public:
    void LineAdded(const LogLine& line) override { seen.push_back(line.task + "|" + line.status); }
    void Cleared() override { seen.push_back("cleared"); }
    std::vector<std::string> seen;
};

SYSTEMTIME FixedTime()
{
    SYSTEMTIME t = {};
    t.wYear = 2026;
    t.wMonth = 12;
    t.wDay = 4;
    t.wDayOfWeek = 5;
    t.wHour = 17;
    t.wMinute = 28;
    t.wSecond = 43;
    return t;
}

} // namespace

TEST(ActivityLog, MarksTestRunLinesAndNotifiesObservers)
{
    RunState run;
    ActivityLog log(run);
    Recorder recorder;
    log.AddObserver(&recorder);

    log.AddLogEntry("Recycle Bin Cleared ", "now");
    run.live = true;
    log.AddLogEntry("Recycle Bin Cleared ", "later");

    ASSERT_EQ(log.Lines().size(), 2u);
    EXPECT_EQ(log.Lines()[0].task, "Testing : Recycle Bin Cleared ");
    EXPECT_EQ(log.Lines()[1].task, "Recycle Bin Cleared ");

    log.RemoveObserver(&recorder);
    log.AddLogEntry("unseen", "");
    log.AddObserver(&recorder);
    log.Clear();
    EXPECT_TRUE(log.Lines().empty());
    EXPECT_EQ(recorder.seen, (std::vector<std::string>{"Testing : Recycle Bin Cleared |now",
                                                        "Recycle Bin Cleared |later", "cleared"}));
}

TEST(ActivityLog, TimestampUsesTheLongFormats)
{
    const SYSTEMTIME t = FixedTime();
    const std::string date = LongDateText(t);
    const std::string time = LongTimeText(t);
    EXPECT_NE(date.find("2026"), std::string::npos) << date;
    EXPECT_NE(date.find("December"), std::string::npos) << date;
    EXPECT_NE(time.find("28:43"), std::string::npos) << time;
    const std::string now = TimestampText();
    EXPECT_NE(now.find(" @ "), std::string::npos) << now;
}

TEST(LogReport, WritesHeaderAndTrimmedLinesReplacingTheFile)
{
    test::TempFolder folder;
    const std::string path = folder.File("report.txt");
    test::WriteFileBytes(path, std::string(4000, 'x'));

    RunState run; // a test run, so the first line carries the prefix
    ActivityLog log(run);
    log.AddLogEntry("Recycle Bin Cleared ", "  Friday @ 5 PM ");
    log.AddLogEntry("Finished :- Space saved : 0 MB", "");
    const ReportHeader header{"Microsoft Windows XP Build 2600", "alice", FixedTime()};
    int yields = 0;
    ASSERT_TRUE(WriteLogReport(path, log.Lines(), header, [&] { ++yields; }));

    const std::string expected = "Sweepora log Report\r\n"
                                 " Log generated at " + LongDateText(FixedTime()) + "  " +
                                 LongTimeText(FixedTime()) + "\r\n"
                                 "\r\n"
                                 "System Information :-\r\n"
                                 "Operating Sustem : Microsoft Windows XP Build 2600\r\n"
                                 "Current User : alice\r\n" +
                                 std::string(55, '-') + "\r\n"
                                 "Testing : Recycle Bin Cleared, Friday @ 5 PM\r\n"
                                 "Testing : Finished :- Space saved : 0 MB, \r\n";
    EXPECT_EQ(test::ReadFileBytes(path), expected);
    EXPECT_EQ(yields, 2);

    EXPECT_FALSE(WriteLogReport(folder.File("missing\\report.txt"), log.Lines(), header, nullptr));
}

TEST(SystemInfo, NamesEveryKnownVersion)
{
    const auto name = [](DWORD platform, DWORD major, DWORD minor, DWORD build) {
        OSVERSIONINFOA v = {};
        v.dwPlatformId = platform;
        v.dwMajorVersion = major;
        v.dwMinorVersion = minor;
        v.dwBuildNumber = build;
        return OSNameFromVersion(v);
    };
    EXPECT_EQ(name(0, 3, 1, 0), "Microsoft Win32s");
    EXPECT_EQ(name(1, 4, 0, 950), "Microsoft Windows 95");
    EXPECT_EQ(name(1, 3, 95, 0), "Microsoft Windows 95");
    EXPECT_EQ(name(1, 4, 10, 1998), "Microsoft Windows 98");
    EXPECT_EQ(name(1, 4, 90, 3000), "Microsoft Windows 98");
    EXPECT_EQ(name(2, 4, 0, 1381), "Microsoft Windows NT");
    EXPECT_EQ(name(2, 5, 0, 2195), "Microsoft Windows 2000");
    EXPECT_EQ(name(2, 5, 1, 2600), "Microsoft Windows XP Build 2600");
    EXPECT_EQ(name(2, 5, 2, 3790), "");
    EXPECT_EQ(name(2, 6, 1, 7601), "");

    OSVERSIONINFOA running = {};
    running.dwOSVersionInfoSize = sizeof running;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    ASSERT_TRUE(GetVersionExA(&running));
#pragma GCC diagnostic pop
    EXPECT_EQ(GetOSName(), OSNameFromVersion(running));
    EXPECT_FALSE(GetNetUserName().empty());
}
