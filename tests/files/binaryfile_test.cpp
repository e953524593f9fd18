#include <gtest/gtest.h>

#include "files/BinaryFile.h"
#include "errors/Failure.h"
#include "tests/support/TestSupport.h"

#include <sys/stat.h>
#include <unistd.h>

using namespace stellmark;

TEST(BinaryFile, OpenFailuresCarryTheirNumbers)
{
    test::TempDir dir;
    test::WriteFile(dir / "file", "x");
    for (const auto& [path, number] : std::vector<std::pair<std::string, int>>{{dir / "missing", 53},
                                                                               {dir / "no/folder/x", 76},
                                                                               {dir.Path(), 75},
                                                                               {"", 52},
                                                                               {dir / "file/x", 76}}) {
        BinaryFile f;
        EXPECT_EQ(
            [&] {
                try {
                    f.OpenRead(path);
                } catch (const Failure& e) {
                    return e.Number();
                }
                return 0;
            }(),
            number)
            << path;
        EXPECT_FALSE(f.IsOpen());
    }
    // Moved into another: the open file goes along.
    BinaryFile a, b;
    a.OpenRead(dir / "file"), b.OpenRead(dir / "file");
    b = std::move(a);
    EXPECT_TRUE(b.IsOpen() && !a.IsOpen());
    TempOutput out;
    EXPECT_EQ(
        [&] {
            try {
                out.Create(dir / "file/x");
            } catch (const Failure& e) {
                return e.Number();
            }
            return 0;
        }(),
        76);
}

TEST(TempOutput, TheNameIsTakenOnlyWhenFreeOrReplacedWholeAndOddTargetsAreNeverOpened)
{
    test::TempDir dir;
    auto failureOf = [](auto&& f) {
        try {
            f();
        } catch (const Failure& e) {
            return e.Number();
        }
        return 0;
    };
    // Another writer takes the name between the start and the end of a write.
    {
        TempOutput out;
        out.Create(dir / "new");
        out.WriteAt(0, "mine", 4);
        test::WriteFile(dir / "new", "theirs");
        EXPECT_FALSE(out.Commit(Overwrite::Refuse));
        EXPECT_EQ(test::ReadFile(dir / "new"), "theirs");
        EXPECT_TRUE(out.Commit(Overwrite::Replace));  // asked again, the user may replace it
        EXPECT_EQ(test::ReadFile(dir / "new"), "mine");
    }
    {
        TempOutput dropped;
        dropped.Create(dir / "new");
        EXPECT_EQ(dropped.TempPath().substr(dir.Path().size() + 1).size(), 17u);  // .stellmark-XXXXXX
        EXPECT_EQ(dir.Entries().size(), 2u);
    }
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"new"});
    // Kinds that are never replaced, whatever a caller checked before.
    ::mkdir((dir / "folder").c_str(), 0755);
    ::mkfifo((dir / "fifo").c_str(), 0644);
    ::symlink((dir / "nowhere").c_str(), (dir / "dangling").c_str());
    for (const auto& [path, number] : std::vector<std::pair<std::string, int>>{
             {dir / "folder", 75}, {dir / "fifo", 75}, {"/dev/null", 75}, {dir / "dangling", 53}}) {
        TempOutput out;
        EXPECT_EQ(failureOf([&] { out.Create(path); }), number) << path;
        EXPECT_FALSE(out.IsOpen());
    }
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"dangling", "fifo", "folder", "new"}));
}
