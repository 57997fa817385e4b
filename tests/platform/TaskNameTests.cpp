// The names Windows' Task Scheduler refuses, which Wine's takes: checked before registering.
#include "platform/TaskName.h"

#include <gtest/gtest.h>

using namespace sweepora;

TEST(TaskName, RefusesForbiddenCharactersBlankOrDottedEndsAndOverlongNamesAndTakesTheRest)
{
    for (const char c : std::string("\\/:*?\"<>|")) {
        const std::string why = TaskNameRefusal(std::string("Sweepora clean daily 18") + c + "30");
        EXPECT_EQ(why, std::string("'") + c + "' is not allowed in a task name") << c;
    }
    for (const char c : {'\x01', '\t', '\n', '\x1F', '\x7F'})
        EXPECT_NE(TaskNameRefusal(std::string("a") + c + "b").find("control character"), std::string::npos) << int(c);
    EXPECT_NE(TaskNameRefusal("a\tb").find("0x09"), std::string::npos);
    for (const char* bad : {"", " clean", "clean ", ".clean", "clean.", ".", ".."})
        EXPECT_NE(TaskNameRefusal(bad), "") << '"' << bad << '"';
    EXPECT_EQ(TaskNameRefusal(std::string(kLongestTaskName, 'x')), "");
    EXPECT_NE(TaskNameRefusal(std::string(kLongestTaskName + 1, 'x')).find("longer than"), std::string::npos);
    // Counted in characters, not UTF-8 bytes.
    std::string accented;
    for (std::size_t i = 0; i < kLongestTaskName; ++i) accented += "\xC3\xA9";
    EXPECT_EQ(TaskNameRefusal(accented), "");
    for (const char* good : {"Sweepora clean daily 18-30", "Sweepora preview weekly Mon,Fri 09-00", "1830",
                             "S-1-5-21-3623811015-3361044348-30300820-1013", "a.b c", "Zo\xC3\xAB's run"})
        EXPECT_EQ(TaskNameRefusal(good), "") << good;
}
