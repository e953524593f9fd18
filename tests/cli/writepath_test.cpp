// The command-line tool where the user's files are at stake: full disks, outputs that must never
// be written, links, modes and long names, two runs on one name, and signals in the middle of a
// copy. These run as root: refusals come from mounts and file kinds, not from permission bits.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <thread>
#include <unistd.h>

#include "tests/cli/CliTest.h"

using namespace stellmark;
using test::EX;

namespace {

// Every temporary file the tool could have left anywhere below `dir`.
std::vector<std::string> Leftovers(const std::string& dir)
{
    std::vector<std::string> found;
    for (const auto& e : std::filesystem::recursive_directory_iterator(dir))
        if (e.path().filename().string().starts_with(".stellmark-"))
            found.push_back(e.path().string());
    return found;
}

class WritePath : public test::CliTest {
protected:
    // The bytes "2x extrahieren" cuts from the 2x image without boot loader.
    std::string Block() { return test::ReadFile(images[22]).substr(0, 0x20000); }
    // The whole call with the test shim preloaded, playing the medium its words name
    // (tests/support/FsShim.cpp); `env` adds variables, `user` runs it as that user id.
    std::vector<std::string> Shimmed(const std::string& words, std::vector<std::string> args,
                                     std::vector<std::string> env = {}, uid_t user = 0)
    {
        args = Args(std::move(args));
        std::vector<std::string> head = {"/usr/bin/env", "STELLMARK_SHIM=" + words,
                                         "LD_PRELOAD=" STELLMARK_FSSHIM,
                                         "ASAN_OPTIONS=verify_asan_link_order=0"};
        head.insert(head.end(), env.begin(), env.end());
        if (user != 0) {
            const std::string id = std::to_string(user);
            head.insert(head.begin(),
                        {"/usr/bin/setpriv", "--reuid=" + id, "--regid=" + id, "--clear-groups"});
        }
        args.insert(args.begin(), head.begin(), head.end());
        return args;
    }
    test::ProcessResult Run(const std::vector<std::string>& argv)
    {
        return test::RunProcess(argv, dir.Path());
    }
};

// Bytes of memory the system could give without swapping (MemAvailable), 0 when unknown.
long long AvailableMemory()
{
    std::ifstream meminfo("/proc/meminfo");
    std::string key;
    long long kib = 0;
    while (meminfo >> key >> kib)
        if (key == "MemAvailable:")
            return kib * 1024;
        else
            meminfo.ignore(1 << 10, '\n');
    return 0;
}
}  // namespace

// A full disk with no old output (nothing left behind) is the copy tests' row under a file size
// limit; here a real one, with an old output to keep.
TEST_F(WritePath, AFullDiskKeepsTheOldOutputAndLeavesNothingBehind)
{
    ::mkdir((dir / "small").c_str(), 0755);
    if (::mount("tmpfs", (dir / "small").c_str(), "tmpfs", 0, "size=256k") != 0)
        GTEST_SKIP() << "no tmpfs can be mounted here";
    test::Finally unmount([&] { ::umount2((dir / "small").c_str(), MNT_DETACH); });
    const std::string out = dir / "small/new.img";
    test::WriteFile(out, "old image");
    auto r = Cmd({"run", "2x mit Bootloader erzeugen", images[11], out, "--force"});
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_NE(r.err.find("Datenträger voll (Fehler 61)"), std::string::npos) << r.err;
    EXPECT_EQ(test::ReadFile(out), "old image");
    EXPECT_EQ(test::RunProcess({"/bin/ls", "-A", dir / "small"}).out, "new.img\n");
    // A file-size limit (ulimit -f) is a failed write, not a death by SIGXFSZ.
    auto args = Args({"run", "2x mit Bootloader erzeugen", images[11], Out("limited.img")});
    args.insert(args.begin(), {"/usr/bin/prlimit", "--fsize=65536"});
    r = test::RunProcess(args, dir.Path());
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_NE(r.err.find("Datei zu groß (Fehler 61)"), std::string::npos) << r.err;
    EXPECT_TRUE(Leftovers(dir.Path()).empty() && !test::Exists(Out("limited.img")));
    // A range of 2 GiB, past 31 bits, is copied whole: from a sparse source to a tmpfs that holds
    // the copy in memory only for the moment of the test, where the machine has that to spare.
    ::umount2((dir / "small").c_str(), MNT_DETACH);
    if (AvailableMemory() < (6LL << 30))
        GTEST_SKIP() << "less than 6 GiB of memory to spare for a 2 GiB copy";
    ASSERT_EQ(::mount("tmpfs", (dir / "small").c_str(), "tmpfs", 0, "size=2049m"), 0);
    test::WriteFile(dir / "small/sparse", "");
    ASSERT_EQ(::truncate((dir / "small/sparse").c_str(), 0x80000001LL), 0);
    r = Cmd({"run", "bereich", dir / "small/sparse", dir / "small/wide.img", "--start", "1"});
    EXPECT_EQ(r.out, "geschrieben: '" + dir / "small/wide.img" + "' 0x80000000 [2147483648] Bytes\n")
        << r.err;
}

TEST_F(WritePath, WhereTheSystemRefusesTheOldOutputStaysAndTheFailureIsNamed)
{
    const std::string ro = dir / "ro", immutable = dir / "out/immutable.img";
    ::mkdir(ro.c_str(), 0755);
    test::WriteFile(ro + "/old.img", "old image"), test::WriteFile(immutable, "old image");
    // set: makes the system refuse, false where this machine cannot; undo: takes it back
    struct Case {
        const char* what;
        std::string path;
        std::function<bool()> set, undo;
        const char* failure;
    };
    const std::vector<Case> cases = {
        {.what = "a read-only mount",
         .path = ro + "/old.img",
         .set =
             [&] {
                 return ::mount(ro.c_str(), ro.c_str(), nullptr, MS_BIND, nullptr) == 0 &&
                        ::mount(nullptr, ro.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) == 0;
             },
         .undo = [&] { return ::umount2(ro.c_str(), MNT_DETACH) == 0; },
         .failure = "kann nicht geschrieben werden: Fehler beim Zugriff auf Pfad/Datei (Fehler 75)"},
        {.what = "an immutable file",
         .path = immutable,
         .set =
             [&] {
                 return test::RunProcess({"/usr/bin/chattr", "+i", immutable}).exitCode == 0;
             },
         .undo =
             [&] {
                 return test::RunProcess({"/usr/bin/chattr", "-i", immutable}).exitCode == 0;
             },
         .failure = "kann nicht geschrieben werden: Zugriff verweigert (Fehler 70)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        test::Finally undo(c.undo);
        if (!c.set()) {
            std::cout << "[ SKIPPED  ] " << c.what << ": not possible on this machine\n";
            continue;
        }
        auto r = Cmd({"run", "2x extrahieren", images[22], c.path, "--force"});
        EXPECT_EQ(r.exitCode, 3);
        EXPECT_NE(r.err.find(c.failure), std::string::npos) << r.err;
        EXPECT_EQ(test::ReadFile(c.path), "old image");
    }
    EXPECT_TRUE(Leftovers(dir.Path()).empty());
}

TEST_F(WritePath, OutputsThatMustNeverBeWrittenAreRefusedBeforeAnythingIsTouched)
{
    const std::string d = dir / "data", o = dir / "other";
    ::symlink((d + "/1zu2.dat").c_str(), (o + "/link-to-data").c_str());
    ::link((d + "/boot.dat").c_str(), (o + "/hard-to-data").c_str());
    ::mkfifo((o + "/fifo").c_str(), 0644);
    ::mknod((o + "/null").c_str(), S_IFCHR | 0666, makedev(1, 3));
    ::symlink((o + "/nowhere").c_str(), (o + "/dangling").c_str());
    ::symlink(o.c_str(), (o + "/link-to-folder").c_str());
    ASSERT_EQ(::mknod((o + "/socket").c_str(), S_IFSOCK | 0666, 0),
              0);  // a socket's file, as bind(2) leaves one
    struct Case {
        std::string path, reason;
    };
    const std::vector<Case> cases = {
        {.path = d + "/boot.dat", .reason = "das ist eine Datendatei des Programms"},
        {.path = d + "/../data/./2zu1.dat", .reason = "das ist eine Datendatei des Programms"},
        {.path = d + "//1zu2.dat", .reason = "das ist eine Datendatei des Programms"},
        {.path = o + "/link-to-data", .reason = "das ist eine Datendatei des Programms"},
        {.path = o + "/hard-to-data", .reason = "das ist eine Datendatei des Programms"},
        {.path = o, .reason = "das ist ein Ordner"},
        {.path = o + "/fifo", .reason = "das ist eine benannte Pipe (FIFO)"},
        {.path = o + "/null", .reason = "das ist ein Gerät"},
        {.path = o + "/socket", .reason = "das ist ein Socket"},
        {.path = o + "/dangling", .reason = "der symbolische Link zeigt auf keine Datei"},
        {.path = o + "/link-to-folder", .reason = "der symbolische Link zeigt auf einen Ordner"},
    };
    auto kinds = [&] {
        std::string all;
        for (const auto& e : std::filesystem::directory_iterator(o))
            all += e.path().filename().string() + ":" + std::to_string(int(e.symlink_status().type())) + " ";
        return all;
    };
    const std::string before = kinds();
    for (const auto& c : cases) {
        for (bool force : {false, true}) {
            SCOPED_TRACE(c.path + (force ? " --force" : ""));
            std::vector<std::string> args = {"run",     EX,  images[12], c.path,
                                             "--start", "0", "--end",    "0x20000"};
            if (force)
                args.push_back("--force");
            auto r = Cmd(args);
            EXPECT_EQ(r.exitCode, 1);
            EXPECT_EQ(r.err, "stellmark-cli: In '" + c.path + "' kann nicht gespeichert werden: " + c.reason +
                                 ".\nBitte anderen Dateinamen angeben!\n");
        }
    }
    EXPECT_EQ(kinds(), before);
    EXPECT_TRUE(Leftovers(dir.Path()).empty());
    EXPECT_TRUE(test::ReadFile(d + "/1zu2.dat") + test::ReadFile(d + "/2zu1.dat") +
                    test::ReadFile(d + "/boot.dat") ==
                data.f1zu2 + data.f2zu1 + data.boot);
    // One data file missing: the others are still data files, never outputs.
    ::unlink((d + "/boot.dat").c_str());
    EXPECT_EQ(Cmd({"run", EX, images[12], d + "/2zu1.dat", "--force"}).exitCode, 1);
    EXPECT_TRUE(test::ReadFile(d + "/2zu1.dat") == data.f2zu1);
}

TEST_F(WritePath, ReplacingWritesThroughLinksKeepsModeAndOwnerAndTakesAnyName)
{
    const std::string target = dir / "other/target.img", link = dir / "out/link.img";
    const std::string longName = dir / ("out/" + std::string(251, 'n') + ".img");  // 255 bytes
    // path: what the user names; file: where the bytes must land; old: what stood there before
    struct Case {
        const char* what;
        std::string path, file;
        const char* old;
        mode_t mode;
        uid_t uid;
    };
    const std::string kept = dir / "out/kept.img", setId = dir / "out/setid.img";
    const std::vector<Case> cases = {
        {"a link to a file", link, target, "old", 0644, 0},
        {"mode and owner", kept, kept, "old", 0640, 65534},
        {"a set-id file of another user", setId, setId, "old", 02750, 65534},
        {"a new name of 255 bytes", longName, longName, nullptr, 0, 0},
        {"an old file of 255 bytes' name", longName, longName, "old", 0600, 0},
    };
    ::symlink(target.c_str(), link.c_str());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.old) {
            test::WriteFile(c.file, c.old);
            ASSERT_EQ(::chown(c.file.c_str(), c.uid, c.uid), 0);
            ASSERT_EQ(::chmod(c.file.c_str(), c.mode), 0);
        }
        auto r = Cmd({"run", "2x extrahieren", images[22], c.path, "--force"});
        ASSERT_EQ(r.exitCode, 0) << r.err;
        EXPECT_TRUE(test::ReadFile(c.file) == Block());
        struct stat st {};
        ASSERT_EQ(::stat(c.file.c_str(), &st), 0);
        if (c.old)
            EXPECT_EQ(std::make_tuple(st.st_mode & 07777, st.st_uid, st.st_gid),
                      std::make_tuple(c.mode, c.uid, c.uid));
        else
            EXPECT_EQ(
                st.st_mode & 0777, 0666 & ~[] {
                    mode_t m = ::umask(0);
                    ::umask(m);
                    return m;
                }());
    }
    struct stat st {};
    EXPECT_TRUE(::lstat(link.c_str(), &st) == 0 && S_ISLNK(st.st_mode));
    EXPECT_TRUE(Leftovers(dir.Path()).empty());
    EXPECT_EQ(test::RunProcess({"/bin/ls", "-A", dir / "other"}).out, "target.img\n");
}

TEST_F(WritePath, OfTwoRunsOnOneNewNameOneWritesAndTheOtherRefuses)
{
    const std::string out = dir / "out/race.img";
    // Whole-file cuts of two images: the result shows whose bytes stand.
    const std::string bytes[2] = {test::ReadFile(images[11]), test::ReadFile(images[22])};
    for (int round = 0; round < 12; ++round) {
        SCOPED_TRACE(round);
        ::unlink(out.c_str());
        test::Child a = test::Spawn(Args({"run", EX, images[11], out}));
        test::Child b = test::Spawn(Args({"run", EX, images[22], out}));
        test::ProcessResult ra = test::Wait(a), rb = test::Wait(b);
        ASSERT_EQ(ra.exitCode + rb.exitCode, 1) << ra.err << rb.err;
        const auto& loser = ra.exitCode ? ra : rb;
        EXPECT_EQ(loser.err, "stellmark-cli: Die Datei '" + out +
                                 "' ist schon vorhanden. Zum Überschreiben --force angeben.\n");
        EXPECT_TRUE(test::ReadFile(out) == bytes[ra.exitCode == 0 ? 0 : 1]);
        EXPECT_TRUE(Leftovers(dir.Path()).empty());
    }
}

TEST_F(WritePath, ASignalMidCopyLeavesNothingAndKeepsTheOldOutput)
{
    // A large sparse source makes a copy long enough to be interrupted.
    const std::string source = dir / "big.img", out = dir / "out/big.img";
    test::WriteFile(source, "");
    ASSERT_EQ(::truncate(source.c_str(), 0x40000000), 0);
    // True while the child has a file open in out/: the output, named or not.
    auto writing = [&](pid_t pid) {
        std::error_code ec;
        for (const auto& fd : std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/fd", ec))
            if (std::filesystem::read_symlink(fd.path(), ec).string().starts_with(dir / "out/"))
                return true;
        return false;
    };
    // Unnamed temporary files where the file system offers them (this one), and named ones
    // where it does not; an unnamed one is not left even by SIGKILL.
    for (const char* shim : {"", "no-tmpfile"}) {
        std::vector<int> signals = {SIGINT,  SIGTERM, SIGHUP,    SIGQUIT, SIGUSR1,
                                    SIGUSR2, SIGALRM, SIGVTALRM, SIGPROF};
        const int probe = ::open((dir / "out").c_str(), O_TMPFILE | O_RDWR, 0600);
        if (!*shim && probe >= 0)
            signals.push_back(SIGKILL);
        if (probe >= 0)
            ::close(probe);
        for (int sig : signals) {
            SCOPED_TRACE(std::string(shim) + " " + ::strsignal(sig));
            test::WriteFile(out, "the old output");
            test::Child child =
                test::Spawn(Shimmed(shim, {"run", EX, source, out, "--end", "0x40000000", "--force"}));
            bool copying = false;
            for (auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
                 !copying && std::chrono::steady_clock::now() < until;)
                copying =
                    writing(child.pid) || (std::this_thread::sleep_for(std::chrono::milliseconds(1)), false);
            ::kill(child.pid, sig);
            auto r = test::Wait(child);
            ASSERT_TRUE(copying) << r.err;
            if (sig != SIGKILL) {
                EXPECT_EQ(r.exitCode, 128 + sig) << r.err;
            }
            EXPECT_EQ(test::ReadFile(out), "the old output");
            EXPECT_EQ(test::RunProcess({"/bin/ls", "-A", dir / "out"}).out, "big.img\n");
        }
    }
}

TEST_F(WritePath, AMediumThatReturnsOtherBytesFailsTheCheckAndKeepsTheOldOutput)
{
    const std::string out = Out("checked.img");
    struct Case {
        const char* old;   // what stood there before, or nothing
        const char* from;  // the first byte the medium does not keep
    };
    for (const Case& c : {Case{nullptr, "0x1FFFF"}, Case{"old image", "0"}, Case{"old image", "0x12345"}}) {
        SCOPED_TRACE(c.from);
        ::unlink(out.c_str());
        if (c.old)
            test::WriteFile(out, c.old);
        auto r = Run(Shimmed("bad-readback", {"run", "2x extrahieren", images[22], out, "--force"},
                             {std::string("STELLMARK_SHIM_FROM=") + c.from}));
        EXPECT_EQ(r.exitCode, 3);
        char where[16];
        std::snprintf(where, sizeof where, "0x%08lX", std::strtol(c.from, nullptr, 0));
        EXPECT_EQ(
            r.err,
            "stellmark-cli: '" + out +
                "' kann nicht geschrieben werden: Prüfung nach dem Schreiben fehlgeschlagen: an Position " +
                where + " steht etwas anderes als geschrieben (Fehler 57)\n");
        EXPECT_EQ(test::Exists(out) ? test::ReadFile(out) : "(none)", c.old ? c.old : "(none)");
        EXPECT_TRUE(Leftovers(dir.Path()).empty());
    }
}

TEST_F(WritePath, WithoutRenameFlagsOrHardLinksATakenNameIsStillNeverOverwrittenWithoutForce)
{
    struct Medium {
        const char* what;
        std::string folder;
        const char* shim;
    };
    std::vector<Medium> media = {
        {"a shim: renameat2 EINVAL, link EPERM", dir / "out", "no-rename-flags no-tmpfile"}};
    // The real thing where FUSE is at hand: a FAT image mounted by fusefat.
    const std::string fat = dir / "fat", image = dir / "fat.img";
    bool mounted = ::access("/dev/fuse", R_OK | W_OK) == 0 && ::access("/usr/bin/fusefat", X_OK) == 0 &&
                   ::mkdir(fat.c_str(), 0755) == 0 &&
                   test::RunProcess({"/usr/bin/truncate", "-s", "4M", image}).exitCode == 0 &&
                   test::RunProcess({"/usr/sbin/mkfs.vfat", image}).exitCode == 0 &&
                   test::RunProcess({"/usr/bin/fusefat", "-o", "rw+", image, fat}).exitCode == 0;
    test::Finally unmount([&] {
        if (mounted)
            ::umount2(fat.c_str(), MNT_DETACH);
    });
    if (mounted)
        media.push_back({"FAT over FUSE", fat, ""});
    else
        std::cout << "[ SKIPPED  ] FAT over FUSE: no /dev/fuse or fusefat here\n";
    for (const auto& m : media) {
        SCOPED_TRACE(m.what);
        const std::string out = m.folder + "/new.img";
        auto run = [&](bool force) {
            std::vector<std::string> args = {"run", "2x extrahieren", images[22], out};
            if (force)
                args.push_back("--force");
            return Run(Shimmed(m.shim, args));
        };
        auto r = run(false);
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_TRUE(test::ReadFile(out) == Block());
        ::unlink(out.c_str());  // fusefat ignores O_TRUNC
        test::WriteFile(out, "theirs");
        r = run(false);
        EXPECT_EQ(r.exitCode, 1) << r.err;
        EXPECT_TRUE(test::ReadFile(out) == "theirs");
        r = run(true);
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_TRUE(test::ReadFile(out) == Block());
        EXPECT_EQ(test::RunProcess({"/bin/ls", "-A", m.folder}).out, "new.img\n");
    }
}

TEST_F(WritePath, ReplacingKeepsAclAndAttributesOrSaysWhatItCouldNotKeep)
{
    const std::string out = Out("kept.img"), other = dir / "other/link.img";
    auto tool = [](std::vector<std::string> argv) { return test::RunProcess(argv).out; };
    test::WriteFile(out, "probe");
    if (test::RunProcess({"/usr/bin/setfacl", "-m", "u:bin:rw-", out}).exitCode != 0 ||
        test::RunProcess({"/usr/bin/setfattr", "-n", "user.note", "-v", "kept", out}).exitCode != 0)
        GTEST_SKIP() << "no setfacl/setfattr, or no ACL and user attributes on " << dir.Path();
    // A lowered user can write the file but neither chown it nor, below, create in a closed folder.
    ::chmod(dir.Path().c_str(), 0755), ::chmod((dir / "out").c_str(), 0777);
    const std::string who = "stellmark-cli: '" + out + "'";
    struct Case {
        const char* what;
        const char* shim;
        uid_t user;                     // who runs the tool
        std::function<void()> prepare;  // after the old file is written
        std::string notes;              // the lines on stderr
        std::string acl;                // getfacl -c afterwards, empty: not checked
        mode_t mode;
        uid_t owner;
    };
    const std::string acl = "user::rw-\nuser:bin:rw-\ngroup::r--\nmask::rw-\nother::---\n\n";
    const std::vector<Case> cases = {
        {"an ACL and a user attribute", "", 0, [] {}, "", acl, 0660, 0},
        {"a file system that takes neither", "no-xattr", 0, [] {},
         who + ": nicht übernommen: system.posix_acl_access, user.note.\n", "", 0640, 0},
        {"a second hard link", "", 0, [&] { ::link(out.c_str(), other.c_str()); },
         who + " hatte 1 weitere(n) harte(n) Link(s); diese behalten den alten Inhalt.\n", acl, 0660, 0},
        {"another user's file", "", 1,
         [&] { ::chown(out.c_str(), 65534, 65534), ::chmod(out.c_str(), 0666); },
         who + " gehörte nobody und gehört jetzt daemon.\n" + who +
             " hatte die Gruppe nogroup und hat jetzt daemon.\n",
         "", 0666, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ::unlink(out.c_str()), ::unlink(other.c_str());
        test::WriteFile(out, "old");
        ::chmod(out.c_str(), 0640);
        tool({"/usr/bin/setfacl", "-m", "u:bin:rw-,o::---", out});
        tool({"/usr/bin/setfattr", "-n", "user.note", "-v", "kept", out});
        c.prepare();
        auto r = Run(
            Shimmed(c.shim, {"run", "2x extrahieren", images[22], out, "--force", "--quiet"}, {}, c.user));
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(r.err, c.notes);
        EXPECT_TRUE(test::ReadFile(out) == Block());
        struct stat st {};
        ASSERT_EQ(::stat(out.c_str(), &st), 0);
        EXPECT_EQ(std::make_pair(st.st_mode & 07777, st.st_uid), std::make_pair(c.mode, c.owner));
        if (!c.acl.empty()) {
            EXPECT_EQ(tool({"/usr/bin/getfacl", "-cp", out}), c.acl);
            EXPECT_EQ(tool({"/usr/bin/getfattr", "--only-values", "-n", "user.note", out}), "kept");
        }
        if (test::Exists(other)) {
            EXPECT_EQ(test::ReadFile(other), "old");
        }
    }
    // A writable file in a folder that takes no new file: the folder is named as the cause.
    ::chmod((dir / "out").c_str(), 0755);
    auto r = Run(Shimmed("", {"run", "2x extrahieren", images[22], out, "--force"}, {}, 1));
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_EQ(r.err, who + " kann nicht geschrieben werden: Zugriff verweigert: im Ordner '" + dir / "out" +
                         "' darf keine Datei angelegt werden (Fehler 70)\n");
    EXPECT_TRUE(Leftovers(dir.Path()).empty());
}

TEST_F(WritePath, ASlowWriteShowsProgressOnATerminalOnly)
{
    // Every write of the 8 MiB output takes 15 ms more: about two seconds in all.
    const std::string out = Out("slow.img");
    auto words = [&](std::vector<std::string> args) {
        std::string line;
        for (const auto& word : Shimmed("slow-write", std::move(args)))
            line += "'" + word + "' ";
        return line;
    };
    struct Case {
        const char* what;
        bool terminal;
        bool quiet, shown;
    };
    for (const Case& c : {Case{"a terminal", true, false, true}, Case{"a pipe", false, false, false},
                          Case{"--quiet", true, true, false}}) {
        SCOPED_TRACE(c.what);
        std::vector<std::string> args = {"run", "bereich", images[22], out, "-f"};
        if (c.quiet)
            args.push_back("-q");
        // script(1) gives the call a terminal and copies what it shows to its own stdout.
        auto r = c.terminal ? Run({"/usr/bin/script", "-qec", words(args), "/dev/null"})
                            : Run(Shimmed("slow-write", args));
        EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
        const std::string shown = r.out + r.err;
        EXPECT_EQ(shown.find("\rschreiben ") != std::string::npos, c.shown) << shown;
        if (c.shown) {
            // Percent and rate, and the line blanked before the summary.
            EXPECT_NE(shown.find(" % ("), std::string::npos) << shown;
            EXPECT_NE(shown.find(" MiB/s)"), std::string::npos) << shown;
            EXPECT_NE(shown.find(" \rgeschrieben: '"), std::string::npos) << shown;
        }
        EXPECT_EQ(test::ReadFile(out), test::ReadFile(images[22]));
    }
}
