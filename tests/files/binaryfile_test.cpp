#include <gtest/gtest.h>

#include "files/BinaryFile.h"
#include "files/PieceWriter.h"
#include "errors/Failure.h"
#include "tests/support/Process.h"
#include "tests/support/TestSupport.h"

#include <fcntl.h>
#include <grp.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/xattr.h>
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
        EXPECT_EQ(test::FailureNumber([&f, &p = path] { f.OpenRead(p); }), number) << path;
        EXPECT_FALSE(f.IsOpen());
    }
    // Moved into another: the open file goes along.
    BinaryFile a, b;
    a.OpenRead(dir / "file"), b.OpenRead(dir / "file");
    b = std::move(a);
    EXPECT_TRUE(b.IsOpen() && !a.IsOpen());
    EXPECT_EQ(test::FailureNumber([&] { TempOutput{}.Create(dir / "file/x"); }), 76);
}

TEST(TempOutput, TheNameIsTakenOnlyWhenFreeOrReplacedWholeAndOddTargetsAreNeverOpened)
{
    test::TempDir dir;
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
        EXPECT_EQ(out.TempPath(), "");  // no name is left to remove again at the end
    }
    {
        // Started without standard input, the output may get descriptor 0: closed all the same.
        // An attribute without a value is kept like any other.
        ASSERT_EQ(::setxattr((dir / "new").c_str(), "user.empty", "", 0, 0), 0);
        const int in = ::dup(0);
        ::close(0);
        {
            TempOutput again;
            again.Create(dir / "new");
            EXPECT_TRUE(again.Commit(Overwrite::Replace) && again.Notes().empty());
        }
        BinaryFile{}.OpenRead(dir / "new");
        BinaryFile read;
        read.OpenRead(dir / "new");
        read.Close();
        const bool leftOpen = ::fcntl(0, F_GETFD) != -1;
        if (in >= 0)
            ::dup2(in, 0), ::close(in);
        EXPECT_FALSE(leftOpen);
        EXPECT_EQ(::getxattr((dir / "new").c_str(), "user.empty", nullptr, 0), 0);
    }
    // Unnamed where the file system and /proc offer it, else .stellmark-XXXXXX beside the output;
    // dropped, either is gone and forgotten, as often as the program may drop one.
    TempOutput{}.Create(dir / "new");
    auto named = test::RunForked([&] {
        if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) ||
            ::mount("none", "/proc", "tmpfs", 0, nullptr))
            ::_exit(2);
        ::close(0);  // descriptor 0 may be the temporary file's here too
        TempOutput dropped;
        std::string temp;
        for (int i = 0; i < 9; ++i) {
            dropped.Create(dir / "new");
            temp = dropped.TempPath();
            dropped.Discard();
        }
        TempOutput kept;  // and a free name taken in one step
        kept.Create(dir / "kept");
        kept.WriteAt(0, "k", 1);
        const bool taken = kept.Commit(Overwrite::Refuse);
        const std::string said = temp.substr(0, temp.size() - 6) + "|" + dropped.TempPath() + "|" +
                                 (taken ? test::ReadFile(dir / "kept") : "");
        ::unlink((dir / "kept").c_str());
        (void)!::write(1, said.data(), said.size());
    });
    EXPECT_TRUE(named.exitCode == 2 || named.out == dir / ".stellmark-||k") << named.out;
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"new"});
    // Kinds that are never replaced, whatever a caller checked before.
    ::mkdir((dir / "folder").c_str(), 0755);
    ::mkfifo((dir / "fifo").c_str(), 0644);
    ::symlink((dir / "nowhere").c_str(), (dir / "dangling").c_str());
    for (const auto& [path, number] : std::vector<std::pair<std::string, int>>{
             {dir / "folder", 75}, {dir / "fifo", 75}, {"/dev/null", 75}, {dir / "dangling", 53}}) {
        TempOutput out;
        EXPECT_EQ(test::FailureNumber([&out, &p = path] { out.Create(p); }), number) << path;
        EXPECT_FALSE(out.IsOpen());
    }
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"dangling", "fifo", "folder", "new"}));
}

TEST(TempOutput, AUserWhoMayNotKeepTheOwnerKeepsTheGroupHeBelongsToAndIsToldOnlyOfTheOwner)
{
    test::TempDir dir;
    const std::string file = dir / "theirs";
    test::WriteFile(file, "old");
    // Set-id bits are never lent to another owner.
    ASSERT_EQ(::chmod(dir.Path().c_str(), 0777) | ::chown(file.c_str(), 65534, 65534) |
                  ::chmod(file.c_str(), 06666),
              0);
    auto r = test::RunForked([&] {
        const gid_t nogroup = 65534;  // among the groups of daemon (1) here
        if (::setgroups(1, &nogroup) != 0 || ::setresgid(1, 1, 1) != 0 || ::setresuid(1, 1, 1) != 0)
            ::_exit(2);
        TempOutput out;
        out.Create(file);
        out.WriteAt(0, "new", 3);
        if (out.Commit(Overwrite::Replace))
            for (const std::string& note : out.Notes())
                (void)!::write(1, (note + "\n").data(), note.size() + 1);
    });
    struct stat st {};
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_EQ(std::tuple(r.exitCode, r.out, st.st_uid, st.st_gid, st.st_mode & 07777),
              std::tuple(0, "'" + file + "' gehörte nobody und gehört jetzt daemon.\n", 1u, 65534u, 0666u));
}

TEST(PieceWriter, RangesAndFillsLandInOrderAndAShrunkSourceOrATakenNameWritesNothing)
{
    test::TempDir dir;
    test::WriteFile(dir / "src", "0123456789");
    BinaryFile src;
    src.OpenRead(dir / "src");
    std::vector<std::string> notes;
    ASSERT_TRUE(WritePieces(
        dir / "out",
        {Piece::Range(src, 2, 3), Piece::Fill(0xFF, 2), Piece::Range(src, 0, 0), Piece::Range(src, 9, 1)},
        Overwrite::Refuse, &notes));
    EXPECT_EQ(test::ReadFile(dir / "out"), "234\xFF\xFF"
                                           "9");
    EXPECT_TRUE(notes.empty());
    // The name is taken now: nothing changes.
    EXPECT_FALSE(WritePieces(dir / "out", {Piece::Fill('x', 1)}, Overwrite::Refuse));
    for (const Piece& bad : {Piece::Range(src, 8, 3), Piece::Range(src, -1, 1)})
        EXPECT_EQ(test::FailureNumber([&] {
                      WritePieces(dir / "out", {Piece::Fill('x', 1), bad}, Overwrite::Replace);
                  }),
                  bad.offset < 0 ? err::BadRecordNumber : err::InputPastEnd);
    EXPECT_EQ(test::ReadFile(dir / "out"), "234\xFF\xFF"
                                           "9");
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"out", "src"}));
}
