#include <gtest/gtest.h>

#include <sys/stat.h>

#include "tests/support/TestSupport.h"
#include "core/DataFiles.h"

using namespace stellmark;
using namespace stellmark::modMain;

TEST(FileCheck, ListsTheMissingDataFilesOfTheFolderInFixedOrder)
{
    const std::vector<std::string> names = {"1zu2.dat", "2zu1.dat", "boot.dat"};
    test::TempDir work;
    test::InstallDataFiles(work.Path());  // the working folder does not count
    test::ScopedWorkingFolder inWork(work.Path());
    ASSERT_TRUE(inWork.Entered());
    for (int present = 0; present < 8; ++present) {
        test::ResetPanne();
        test::TempDir dir;
        std::string expected;
        for (int i = 0; i < 3; ++i)  // only existence counts
            present&(1 << i) ? test::WriteFile(dir / names[i], "") : void(expected += names[i] + "\r\n");
        DataFiles files = LookIn(dir.Path());
        EXPECT_EQ(FileCheck(files), expected.empty() ? "ok" : expected + "\r\nkonnten nicht gefunden werden!")
            << present;
        EXPECT_EQ(files.file1zu2 + "|" + files.file2zu1 + "|" + files.fileBoot,
                  expected.empty() ? (dir / "1zu2.dat") + "|" + (dir / "2zu1.dat") + "|" + (dir / "boot.dat")
                                   : "||");
    }
}

TEST(FileCheck, SaysWhatStandsUnderANameAndLocatesInTheGivenOrder)
{
    test::TempDir a, b, none;
    test::InstallDataFiles(b.Path());
    test::WriteFile(a / "2zu1.dat", "short");
    ::mkdir((a / "1zu2.dat").c_str(), 0755);
    ::mkfifo((a / "boot.dat").c_str(), 0644);
    DataFiles files = LookIn(a.Path());
    EXPECT_EQ(FileCheck(files), "1zu2.dat\r\nboot.dat\r\n\r\nkonnten nicht gefunden werden!");
    EXPECT_EQ(files.Problem(0) + "|" + files.Problem(1) + "|" + files.Problem(2),
              "ist ein Ordner|ist 0x00000005 [5] Bytes lang statt 0x00020000 [131072] Bytes|ist keine "
              "normale Datei");
    EXPECT_EQ(LookIn(b.Path()).Problem(2), "");
    // The first folder with all three wins; else the first with any; else the first named.
    EXPECT_EQ(Locate({none.Path(), a.Path(), b.Path()}).folder, b / "");
    EXPECT_EQ(Locate({none.Path(), a.Path()}).folder, a / "");
    EXPECT_EQ(Locate({none.Path(), a.Path() + "/x"}).folder, none / "");
    EXPECT_EQ(Locate({}).folder, "");
}
