#include <gtest/gtest.h>

#include <climits>
#include <fcntl.h>
#include <filesystem>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include "errors/Program.h"
#include "generated/StellmarkVersion.h"
#include "errors/Protocol.h"
#include "tests/support/Process.h"
#include "tests/support/TestSupport.h"

using namespace stellmark;
using namespace std::string_literals;

namespace {

const std::string kSep = std::string(70, '-') + "\r\n", kInd(10, ' ');  // separator line, indent

// A fresh error component at a fixed time on a fixed system, without a log writer of its own,
// the program file "Stellmark" in a temporary folder.
class ProtocolTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        test::ResetPanne();
        previousOs_ = SetOsVersionSource([] {
            return OsVersion{"Linux", 6, 1, 0x10005, "Debian 12\0junk"s};
        });
    }
    void TearDown() override { SetOsVersionSource(previousOs_); }
    std::function<OsVersion()> previousOs_;
    test::ScopedFailureServices services_{[](FailureServices& s) {
        s.clock = [] {
            std::tm t{};
            t.tm_year = 124, t.tm_mon = 2, t.tm_mday = 7, t.tm_hour = 9, t.tm_min = 5, t.tm_sec = 1;
            return t;
        };
        s.protocolWriter = nullptr;
    }};
    static frmPanne& Panne() { return frmPanne::Instance(); }
    test::TempDir dir_;
    test::ScopedProgramFile program_{dir_.Path()};
};

}  // namespace

TEST_F(ProtocolTest, WholeTextWithAFullTraceListAppendedToTheLog)
{
    // 41 entries and a parameter line under the newest: the oldest two drop.
    for (int i = 0; i <= 40; ++i)
        Panne().CallStack("[m] Sub S" + std::to_string(i) + "()");
    Panne().CallStackParam("Ausschluß", std::string("1x mit Bootloader"));
    std::string stack =
        kInd + "09:05:01 [m] Sub S40()\r\n" + kInd + "\tAusschlu\xc3\x9f:\t1x mit Bootloader\r\n";
    for (int i = 39; i >= 2; --i)
        stack += kInd + "09:05:01 [m] Sub S" + std::to_string(i) + "()\r\n";
    Panne().SetHandledFailure(Failure(53, "Datei nicht gefunden", 12));
    Panne().OnError("modMain", "GetImageSize");
    const std::string text = kSep + "F E H L E R P R O T O K O L L vom Pannenbuch\r\n" + kSep +
                             "Stellmark  V" STELLMARK_VERSION " - Fehlermeldung\r\n" + kSep +
                             "FEHLERBESCHREIBUNG:\r\n" + kInd + "Fehler-Nr:\t53 (Datei nicht gefunden)\r\n" +
                             kInd + "Modul:\tmodMain\r\n" + kInd + "Prozedur:\tGetImageSize\r\n" + kInd +
                             "Zeilen-Nr.:\t12\r\n" + kInd + "Datum/Uhrzeit:\t03-07-2024 / 09:05:01\r\n" +
                             kSep + "CALLSTACK:\r\n" + stack + kSep + "SYSTEMINFO:\r\n" + kInd +
                             "Plattform:\tLinux\r\n" + kInd + "Version:\t6.1\r\n" + kInd +
                             "Build:\t5   Debian 12\r\n" + kSep;
    EXPECT_EQ(BuildProtocol(Panne()), text);
    const bool hadInput = ::fcntl(0, F_GETFD) != -1;
    ASSERT_TRUE(AppendProtocolLog(Panne()));  // the first creates the log, the second appends
    // Started without standard input, the log may get descriptor 0: written and closed all the same.
    const int in = ::dup(0);
    EXPECT_EQ(in >= 0, hadInput);  // the first closed its own descriptor only
    ::close(0);
    const bool written = AppendProtocolLog(Panne()), leftOpen = ::fcntl(0, F_GETFD) != -1;
    if (in >= 0)
        ::dup2(in, 0), ::close(in);
    EXPECT_TRUE(written && !leftOpen);
    EXPECT_EQ(test::ReadFile(dir_ / "Stellmark.EPT"),
              text + "\r\n" + text + "\r\n");  // one empty line after each
    struct stat st {};
    EXPECT_TRUE(::stat((dir_ / "Stellmark.EPT").c_str(), &st) == 0 && (st.st_mode & 0111) == 0);
}

TEST(LPSTRToVBString, TextUpToTheFirstNul)
{
    for (const auto& [field, text] : std::vector<std::pair<std::string, std::string>>{
             {"SP 1\0rest\0"s, "SP 1"}, {"\0x"s, ""}, {"no terminator", ""}, {"", ""}})
        EXPECT_EQ(frmPanne::LPSTRToVBString(field), text) << field;
}

TEST(OsVersion, KernelReleaseAndPrettyName)
{
    // Too big a number is capped; a number counts only after a dot.
    for (const auto& [release, parts] : std::vector<std::pair<std::string, std::tuple<int, int, uint32_t>>>{
             {"3.99999999999.7-amd64", {3, INT_MAX, 7}}, {"6.1-2-amd64", {6, 1, 0}}}) {
        int major = -1, minor = -1;
        uint32_t patch = 99;
        ParseKernelRelease(release, major, minor, patch);
        EXPECT_EQ(std::tuple(major, minor, patch), parts) << release;
    }
    // As the shell reads it: the last assignment counts; in double quotes a backslash escapes the
    // next character, in single quotes it is a letter; an unclosed quote ends with its line.
    for (const auto& [text, name] : std::vector<std::pair<std::string, std::string>>{
             {"#PRETTY_NAME=no\nPRETTY_NAME=\"Say \\\"hi\\\"\"\r\nID=x\n", "Say \"hi\""},
             {"PRETTY_NAME=Debian 12 \t\r\n\n", "Debian 12"},
             {"PRETTY_NAME='a\\b'", "a\\b"},
             {"PRETTY_NAME=\"a\\\"\nX", "a\""},
             {"PRETTY_NAME=\"a\\", "a\\"}})
        EXPECT_EQ(PrettyNameFromOsRelease(text), name) << text;
}

// The system's own files, in a mount namespace of a child where /etc and /usr/lib/os-release are
// the test's: the name fills a field of 128 bytes, cut where a character ends.
TEST(OsVersion, TheSystemsNameIsReadFromItsFirst64KiBIntoAFieldOf128Bytes)
{
    test::TempDir dir;
    ::mkdir((dir / "etc").c_str(), 0755);
    test::WriteFile(dir / "usr", "PRETTY_NAME=usr\n");
    const std::string a126(126, 'a');
    for (const auto& [etc, field] : std::vector<std::pair<std::string, std::string>>{
             {"PRETTY_NAME=" + a126 + "\xC3\xA9" + "b", a126},  // no half "é"
             {"PRETTY_NAME=" + a126 + "c", a126 + "c"},
             {"PRETTY_NAME=" + std::string(200, '\x80'), ""},            // no character ends anywhere
             {"#" + std::string(4081, 'x') + "\nPRETTY_NAME=ab", "ab"},  // the last of 4097 bytes
             {"ID=x\n" + std::string(66000, '#') + "\nPRETTY_NAME=far\n", "usr"}}) {
        test::WriteFile(dir / "etc/os-release", etc);
        auto r = test::RunForked([&] {
            if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) ||
                ::mount((dir / "etc").c_str(), "/etc", nullptr, MS_BIND, nullptr) ||
                ::mount((dir / "usr").c_str(), "/usr/lib/os-release", nullptr, MS_BIND, nullptr))
                ::_exit(2);
            const OsVersion v = QueryOsVersion();
            const std::string shown = v.platform + (v.major > 0 ? " " : " ? ") + v.servicePackField;
            (void)!::write(1, shown.data(), shown.size());
        });
        if (r.exitCode == 2)
            GTEST_SKIP() << "no mount namespace of our own";
        EXPECT_EQ(r.out, "Linux " + field + '\0') << etc.substr(0, 40);
    }
}

TEST_F(ProtocolTest, PathBesideTheProgramNamedAfterItInAFolderMadeForItOrTheRoot)
{
    program::OverrideFile(dir_ / "neu/Stellmark.bin");
    EXPECT_EQ(ProtocolPath(".EPT"), dir_ / "neu/Stellmark.EPT");
    EXPECT_TRUE(std::filesystem::is_directory(dir_ / "neu"));
    program::OverrideFile("/Stellmark.bin");
    EXPECT_EQ(ProtocolPath(".EPT"), "/Stellmark.EPT");
}

TEST_F(ProtocolTest, AnUnwritableLogCostsOnlyTheEntry)
{
    const std::string earlier(3000, 'e'), log = dir_ / "Stellmark.EPT";
    for (rlim_t room : {500, 1}) {  // bytes the disk has left: for part of the entry, for none
        SCOPED_TRACE(room);
        test::WriteFile(log, earlier);
        int writes = 0;
        bool written = true;
        test::ScopedFailureServices writer([&](FailureServices& s) {
            s.protocolWriter = [&](frmPanne& p) { ++writes, written = AppendProtocolLog(p); };
        });
        test::ScriptedPresenter chooser({kNext});
        {
            test::ScopedFileSizeLimit full(earlier.size() + room - 1);
            Panne().OnError("modMain", "ImageTest");
        }
        EXPECT_FALSE(written);
        EXPECT_EQ(writes, 1);
        EXPECT_EQ(chooser.calls.size(), 1u);      // the one failure, no dialog about the log
        EXPECT_EQ(test::ReadFile(log), earlier);  // no half entry
    }
}
