#include <gtest/gtest.h>

#include "BinaryFile.h"
#include "Failure.h"
#include "TestSupport.h"

using namespace stellmark;

TEST(TempOutput, TheDestinationAppearsOnlyOnCommit)
{
    test::TempDir dir;
    std::string dest = dir / "out.img";
    test::WriteFile(dest, std::string(10000, 'o'));
    {
        TempOutput out;
        out.Create(dest);
        out.WriteAt(0, "new", 3);
        EXPECT_EQ(test::ReadFile(dest), std::string(10000, 'o'));
        EXPECT_EQ(dir.Entries().size(), 2u);
        out.Commit();
    }
    EXPECT_EQ(test::ReadFile(dest), "new");
    EXPECT_EQ(dir.Entries(), std::vector<std::string> {"out.img"});
    {
        TempOutput dropped;
        dropped.Create(dir / "other.img");
        dropped.WriteAt(0, "half", 4);
    }
    EXPECT_EQ(dir.Entries(), std::vector<std::string> {"out.img"});
}

TEST(BinaryFile, OpenFailuresCarryTheirNumbers)
{
    test::TempDir dir;
    test::WriteFile(dir / "file", "x");
    std::vector<std::pair<std::string, int>> cases = {
        {dir / "missing", 53}, {dir / "no/folder/x", 76}, {dir.Path(), 75},
        {"", 52}, {dir / "file/x", 76}};
    for (const auto& [path, number] : cases) {
        BinaryFile f;
        try {
            f.OpenRead(path);
            ADD_FAILURE() << "opened " << path;
        } catch (const Failure& e) {
            EXPECT_EQ(e.Number(), number) << path;
        }
        EXPECT_FALSE(f.IsOpen());
    }
    TempOutput out;
    try {
        out.Create(dir / "file/x");
        ADD_FAILURE() << "created below a file";
    } catch (const Failure& e) {
        EXPECT_EQ(e.Number(), 76);
    }
}
