#include <gtest/gtest.h>

#include <climits>
#include <unistd.h>

#include "errors/Program.h"
#include "generated/StellmarkVersion.h"
#include "errors/Protocol.h"
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
    ASSERT_TRUE(AppendProtocolLog(Panne()));  // the first creates the log, the second appends
    ASSERT_TRUE(AppendProtocolLog(Panne()));
    EXPECT_EQ(test::ReadFile(dir_ / "Stellmark.EPT"),
              text + "\r\n" + text + "\r\n");  // one empty line after each
}

TEST(LPSTRToVBString, TextUpToTheFirstNul)
{
    for (const auto& [field, text] : std::vector<std::pair<std::string, std::string>>{
             {"SP 1\0rest\0"s, "SP 1"}, {"\0x"s, ""}, {"no terminator", ""}, {"", ""}})
        EXPECT_EQ(frmPanne::LPSTRToVBString(field), text) << field;
}

TEST(OsVersion, KernelReleaseAndPrettyName)
{
    int major = -1, minor = -1;
    uint32_t patch = 99;
    ParseKernelRelease("3.99999999999.7-amd64", major, minor, patch);  // too big a number: capped
    EXPECT_EQ(std::tuple(major, minor, patch), std::tuple(3, INT_MAX, 7u));
    EXPECT_EQ(PrettyNameFromOsRelease("#PRETTY_NAME=no\nPRETTY_NAME=\"Say \\\"hi\\\"\"\r\nID=x\n"),
              "Say \"hi\"");
}

TEST_F(ProtocolTest, PathBesideTheProgramNamedAfterItEvenInTheRoot)
{
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
