#include <gtest/gtest.h>

#include "tests/support/TestSupport.h"
#include "core/modMain.h"

using namespace stellmark;
using namespace stellmark::modMain;

TEST(FileCheck, ListsTheMissingDataFilesBesideTheProgramInFixedOrder)
{
    const std::vector<std::string> names = {"1zu2.dat", "2zu1.dat", "boot.dat"};
    test::TempDir work;
    test::InstallDataFiles(work.Path());  // the working folder does not count
    test::ScopedWorkingFolder inWork(work.Path());
    ASSERT_TRUE(inWork.Entered());
    for (int present = 0; present < 8; ++present) {
        test::ResetPanne();
        test::TempDir dir;
        test::ScopedProgramFile exe(dir.Path());
        strFile1zu2 = strFile2zu1 = strFileBoot = "";
        std::string expected;
        for (int i = 0; i < 3; ++i)  // only existence counts
            present&(1 << i) ? test::WriteFile(dir / names[i], "") : void(expected += names[i] + "\r\n");
        EXPECT_EQ(FileCheck(), expected.empty() ? "ok" : expected + "\r\nkonnten nicht gefunden werden!")
            << present;
        EXPECT_EQ(strFile1zu2 + "|" + strFile2zu1 + "|" + strFileBoot,
                  expected.empty() ? (dir / "1zu2.dat") + "|" + (dir / "2zu1.dat") + "|" + (dir / "boot.dat")
                                   : "||");
    }
}
