#include "erasure/FileReplace.h"
#include "erasure/FolderSwap.h"
#include "erasure/InterruptedSwap.h"
#include "platform/LongPath.h"
#include "platform/Paths.h"

#include "support/TestSupport.h"

using namespace sweepora;

namespace {

struct SwapFixture : test::SessionFixture {
    SwapFixture() { session.run.live = true; }

    std::string Read(const std::string& path) const { return FileExists(path) ? test::ReadFileBytes(path) : "(none)"; }
    static void MakeFolder(const std::string& path, const std::string& file, const std::string& bytes)
    {
        ::CreateDirectoryA(path.c_str(), nullptr);
        test::WriteFileBytes(path + "\\" + file, bytes);
    }
};

} // namespace

TEST_F(SwapFixture, AFileReplaceCutShortNeverErasesWhatMayBeTheOnlyOriginal)
{
    const std::string path = folder.File("Preferences"), aside = path + ".sweepora-old", fresh = path + ".sweepora-new";
    EraseContext c = session.Erasure();
    // Cut short between the two moves, and the application wrote a new file meanwhile.
    test::WriteFileBytes(aside, "original");
    test::WriteFileBytes(fresh, "edited");
    test::WriteFileBytes(path, "made since");
    const std::string kept = "an earlier clean was cut short: " + aside + " is the original from before it, and " + path +
                             " was made since by another program; both are kept, as either may be the one to keep (" + fresh +
                             ", the cleaned copy, stays until one of them is removed)";
    EXPECT_EQ(RecoverReplace(c, LongPath(path)), kept);
    EXPECT_EQ(Read(aside) + "|" + Read(path) + "|" + Read(fresh), "original|made since|edited");
    // Nor does a new replace go ahead over it, however often it is asked.
    const ReplaceOutcome again = ReplaceFileBytes(c, LongPath(path), "made since", "cleaned");
    EXPECT_FALSE(again.replaced);
    EXPECT_EQ(again.problem, kept);
    EXPECT_EQ(Read(aside) + "|" + Read(path) + "|" + Read(fresh), "original|made since|edited");

    // The three other states: put back, old data erased, a lone new copy erased.
    ::DeleteFileA(path.c_str());
    EXPECT_EQ(RecoverReplace(c, LongPath(path)), "");
    EXPECT_EQ(Read(aside) + "|" + Read(path) + "|" + Read(fresh), "(none)|original|(none)");
    test::WriteFileBytes(aside, "old data");
    EXPECT_EQ(RecoverReplace(c, LongPath(path)), "");
    EXPECT_EQ(Read(aside) + "|" + Read(path), "(none)|original");
    test::WriteFileBytes(fresh, "edited");
    EXPECT_EQ(RecoverReplace(c, LongPath(path)), "");
    EXPECT_EQ(Read(fresh) + "|" + Read(path), "(none)|original");
}

TEST_F(SwapFixture, AFolderSwapCutShortFollowsTheSameRule)
{
    const std::string real = folder.File("Local Storage"), aside = real + ".sweepora-old", fresh = real + ".sweepora-new";
    EraseContext c = session.Erasure();
    MakeFolder(aside, "000003.log", "original");
    MakeFolder(fresh, "000003.log", "rewritten");
    MakeFolder(real, "000001.log", "made since");
    EXPECT_EQ(RestoreFolderSwap(c, LongPath(real)),
              "an earlier clean was cut short: " + aside + " is the original from before it, and " + real +
                  " was made since by another program; both are kept, as either may be the one to keep (" + fresh +
                  ", the cleaned copy, stays until one of them is removed)");
    EXPECT_EQ(Read(aside + "\\000003.log") + "|" + Read(real + "\\000001.log") + "|" + Read(fresh + "\\000003.log"),
              "original|made since|rewritten");

    // With the real name free the original goes back, and says so; the new copy goes.
    ::DeleteFileA((real + "\\000001.log").c_str());
    ::RemoveDirectoryA(real.c_str());
    EXPECT_EQ(RestoreFolderSwap(c, LongPath(real)), "");
    EXPECT_EQ(Read(real + "\\000003.log"), "original");
    EXPECT_FALSE(FileExists(fresh));
    bool said = false;
    for (const LogLine& l : session.log.Lines()) said = said || l.task + "|" + l.status == real + "|put back after an interrupted clean";
    EXPECT_TRUE(said);

    // A swap that runs through names the old files where their data lived, not by the aside name.
    MakeFolder(fresh, "000004.log", "rewritten");
    session.log.Clear();
    EXPECT_EQ(SwapInFreshFolder(c, LongPath(real)), "");
    EXPECT_EQ(Read(real + "\\000004.log") + "|" + Read(aside), "rewritten|(none)");
    ASSERT_FALSE(session.log.Lines().empty());
    EXPECT_EQ(session.log.Lines().front().task, real + "\\000003.log deleted, not overwritten");
    EXPECT_EQ(JudgeLeftOver(true, true, false), LeftOver::EraseOld);
    EXPECT_EQ(JudgeLeftOver(true, false, true), LeftOver::Nothing);
}
