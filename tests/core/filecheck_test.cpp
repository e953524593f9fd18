#include <gtest/gtest.h>

#include "TestSupport.h"
#include "modMain.h"

using namespace stellmark;
using namespace stellmark::modMain;

TEST(FileCheck, ListsTheMissingDataFilesInFixedOrder)
{
    const std::vector<std::string> names = {"1zu2.dat", "2zu1.dat", "boot.dat"};
    for (int present = 0; present < 8; ++present) {
        test::ResetPanne();
        test::TempDir dir;
        test::ScopedProgramFile exe(dir.Path());
        strFile1zu2 = strFile2zu1 = strFileBoot = "";
        std::string expected;
        for (int i = 0; i < 3; ++i) {
            if (present & (1 << i))
                test::WriteFile(dir / names[i], "");  // only existence counts
            else
                expected += names[i] + "\r\n";
        }
        if (expected.empty()) {
            EXPECT_EQ(FileCheck(), "ok");
            EXPECT_EQ(strFile1zu2, dir / "1zu2.dat");
            EXPECT_EQ(strFile2zu1, dir / "2zu1.dat");
            EXPECT_EQ(strFileBoot, dir / "boot.dat");
        } else {
            EXPECT_EQ(FileCheck(), expected + "\r\nkonnten nicht gefunden werden!") << present;
            EXPECT_EQ(strFile1zu2 + strFile2zu1 + strFileBoot, "");
        }
    }
}

TEST(FileCheck, LooksBesideTheProgramNotInTheWorkingFolder)
{
    test::TempDir exeDir, work;
    test::InstallDataFiles(work.Path());
    test::ScopedProgramFile exe(exeDir.Path());
    char old[4096];
    ASSERT_TRUE(::getcwd(old, sizeof old));
    ASSERT_EQ(::chdir(work.Path().c_str()), 0);
    std::string got = FileCheck();
    ASSERT_EQ(::chdir(old), 0);
    EXPECT_EQ(got, "1zu2.dat\r\n2zu1.dat\r\nboot.dat\r\n\r\nkonnten nicht gefunden werden!");
}
