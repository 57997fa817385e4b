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

// Year, month, day of the week, day, hour, minute, second: Friday 4 December 2026, 17:28:43.
const SYSTEMTIME kFixedTime = {2026, 12, 5, 4, 17, 28, 43, 0};

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
    EXPECT_EQ(log.Lines()[1].task, "Recycle Bin Cleared ");
    log.RemoveObserver(&recorder);
    log.AddLogEntry("unseen", "");
    log.AddObserver(&recorder);
    log.Clear();
    EXPECT_TRUE(log.Lines().empty());
    EXPECT_EQ(recorder.seen, (std::vector<std::string>{"Testing : Recycle Bin Cleared |now",
                                                        "Recycle Bin Cleared |later", "cleared"}));
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
    const ReportHeader header{"Microsoft Windows XP Build 2600", "alice", kFixedTime};
    int yields = 0;
    ASSERT_TRUE(WriteLogReport(path, log.Lines(), header, [&] { ++yields; }));

    const std::string expected = "Sweepora log Report\r\n"
                                 " Log generated at " + LongDateText(kFixedTime) + "  " +
                                 LongTimeText(kFixedTime) + "\r\n"
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
    EXPECT_NE(LongDateText(kFixedTime).find("December"), std::string::npos);
    EXPECT_NE(LongTimeText(kFixedTime).find("28:43"), std::string::npos);
    EXPECT_NE(TimestampText().find(" @ "), std::string::npos);
}

TEST(SystemInfo, NamesEveryKnownVersion)
{
    struct Row {
        DWORD platform, major, minor, build;
        const char* name;
    };
    const Row rows[] = {
        {0, 3, 1, 0, "Microsoft Win32s"},          {1, 4, 0, 950, "Microsoft Windows 95"},
        {1, 3, 95, 0, "Microsoft Windows 95"},     {1, 4, 10, 1998, "Microsoft Windows 98"},
        {2, 4, 0, 1381, "Microsoft Windows NT"},   {2, 5, 0, 2195, "Microsoft Windows 2000"},
        {2, 5, 1, 2600, "Microsoft Windows XP Build 2600"}, {2, 5, 2, 3790, ""}, {2, 6, 1, 7601, ""},
    };
    for (const Row& r : rows) {
        const OSVERSIONINFOA v = {sizeof v, r.major, r.minor, r.build, r.platform, {}};
        EXPECT_EQ(OSNameFromVersion(v), r.name) << r.major << "." << r.minor;
    }
    EXPECT_FALSE(GetNetUserName().empty());
}
