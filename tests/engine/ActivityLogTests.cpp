#include "engine/ActivityLog.h"
#include "engine/LogReport.h"
#include "engine/SystemInfo.h"
#include "platform/Timestamp.h"

#include "support/TestSupport.h"

using namespace sweepora;

// Lines and their observers are the window tests' (the Status list mirrors the log).
TEST(LogReport, WritesHeaderAndTrimmedLinesReplacingTheFile)
{
    test::TempFolder folder;
    const std::string path = folder.File("report.txt");
    test::WriteFileBytes(path, std::string(4000, 'x'));
    const std::vector<LogLine> lines = {{"Testing : Recycle Bin Cleared ", "  Friday @ 5 PM "},
                                        {"Testing : Finished :- Space saved : 0 MB", ""}};
    const SYSTEMTIME at = {2026, 12, 5, 4, 17, 28, 43, 0};
    const ReportHeader header{"Microsoft Windows XP Build 2600", "alice", at};
    int yields = 0;
    ASSERT_TRUE(WriteLogReport(path, lines, header, [&] { ++yields; }));
    EXPECT_EQ(test::ReadFileBytes(path), "Sweepora log Report\r\n Log generated at " + LongDateText(at) + "  " +
                                             LongTimeText(at) +
                                             "\r\n\r\nSystem Information :-\r\n"
                                             "Operating Sustem : Microsoft Windows XP Build 2600\r\n"
                                             "Current User : alice\r\n" + std::string(55, '-') + "\r\n"
                                             "Testing : Recycle Bin Cleared, Friday @ 5 PM\r\n"
                                             "Testing : Finished :- Space saved : 0 MB, \r\n");
    EXPECT_EQ(yields, 2);
    EXPECT_FALSE(WriteLogReport(folder.File("missing\\report.txt"), lines, header, nullptr));
    EXPECT_NE(LongDateText(at).find("December"), std::string::npos);
    EXPECT_NE(LongTimeText(at).find("28:43"), std::string::npos);
}

TEST(SystemInfo, NamesTheReleasesAndTheSignedOnUser)
{
    // The rules: the 9x family, the server flag, and 11 as 10.0 from build 22000 on.
    const struct { DWORD platform, major, minor, build; bool server; const char* name; } rows[] = {
        {1, 3, 95, 0, false, "Microsoft Windows 95"}, {1, 4, 10, 1998, false, "Microsoft Windows 98"},
        {2, 5, 2, 3790, false, "Microsoft Windows XP x64 Build 3790"},
        {2, 5, 2, 3790, true, "Microsoft Windows Server 2003 Build 3790"},
        {2, 10, 0, 19045, false, "Microsoft Windows 10 Build 19045"},
        {2, 10, 0, 22000, false, "Microsoft Windows 11 Build 22000"},
        {2, 10, 0, 17763, true, "Microsoft Windows Server 2019 Build 17763"},
        {2, 10, 0, 14393, true, "Microsoft Windows Server 2016 Build 14393"},
        {2, 6, 4, 9841, false, ""}, // a preview nobody released
    };
    for (const auto& r : rows) {
        const OSVERSIONINFOA v = {sizeof v, r.major, r.minor, r.build, r.platform, {}};
        EXPECT_EQ(OSNameFromVersion(v, r.server), r.name) << r.major << "." << r.minor << "." << r.build;
    }
    // The signed-on user's name, not the fallback "None".
    char user[256] = {};
    DWORD length = sizeof user;
    ASSERT_TRUE(::GetUserNameA(user, &length));
    EXPECT_EQ(GetNetUserName(), user);
}
