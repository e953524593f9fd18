#include <gtest/gtest.h>

#include <climits>
#include <csignal>
#include <sys/resource.h>

#include "FakeServices.h"
#include "Proc.h"
#include "Program.h"
#include "Protocol.h"
#include "TestSupport.h"

using namespace stellmark;
using namespace std::string_literals;

namespace {

const std::string kSep(70, '-');
const std::string kInd(10, ' ');

std::tm At(int year, int month, int day, int h, int m, int s)
{
    std::tm tm {};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = h;
    tm.tm_min = m;
    tm.tm_sec = s;
    return tm;
}

OsVersion Debian() { return {"Linux", 6, 1, 0x10005, "Debian GNU/Linux 12 (bookworm)\0junk"s}; }

// A fresh error component with a fixed clock and system, and no log writer of its own.
class ProtocolTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        test::ResetPanne();
        clock_ = Panne().SetClock([] { return At(2024, 3, 7, 9, 5, 1); });
        os_ = SetOsVersionSource(Debian);
        writer_ = Panne().SetProtocolWriter(nullptr);
    }
    void TearDown() override
    {
        Panne().SetClock(clock_);
        SetOsVersionSource(os_);
        Panne().SetProtocolWriter(writer_);
    }
    static frmPanne& Panne() { return frmPanne::Instance(); }

    // Puts a failure into the error component the way a procedure's handler does.
    static void ShowFailure(const Failure& f, const std::string& module, const std::string& proc)
    {
        test::ScriptedPresenter chooser({kLeave});
        Panne().SetHandledFailure(f);
        Panne().OnError(module, proc);
    }

    // The lines between the line `caption` and the next separator.
    static std::vector<std::string> Section(const std::string& text, const std::string& caption)
    {
        std::vector<std::string> lines;
        std::size_t pos = text.find(caption + "\r\n");
        if (pos == std::string::npos)
            return {"<no " + caption + ">"};
        pos += caption.size() + 2;
        for (;;) {
            std::size_t eol = text.find("\r\n", pos);
            if (eol == std::string::npos)
                return lines;
            std::string line = text.substr(pos, eol - pos);
            if (line == kSep)
                return lines;
            lines.push_back(line);
            pos = eol + 2;
        }
    }

    test::TempDir dir_;

private:
    std::function<std::tm()> clock_;
    std::function<OsVersion()> os_;
    std::function<void(frmPanne&)> writer_;
};

}  // namespace

TEST_F(ProtocolTest, ReadsLineForLine)
{
    test::ScopedProgramFile program(dir_.Path(), "Stellmark");
    Panne().CallStack("[frmMain] Sub FillCombo(Optional Ausschluß As String = \"\")");
    Panne().CallStackParam("Ausschluß", std::string("1x mit Bootloader"));
    ShowFailure(Failure(53, "Datei nicht gefunden", 12), "modMain", "GetImageSize");

    const std::string expected =
        kSep + "\r\n"
        "F E H L E R P R O T O K O L L vom Pannenbuch\r\n" +
        kSep + "\r\n"
        "Stellmark  V0.1.1 - Fehlermeldung\r\n" +
        kSep + "\r\n"
        "FEHLERBESCHREIBUNG:\r\n" +
        kInd + "Fehler-Nr:\t53 (Datei nicht gefunden)\r\n" +
        kInd + "Modul:\tmodMain\r\n" +
        kInd + "Prozedur:\tGetImageSize\r\n" +
        kInd + "Zeilen-Nr.:\t12\r\n" +
        kInd + "Datum/Uhrzeit:\t03-07-2024 / 09:05:01\r\n" +
        kSep + "\r\n"
        "CALLSTACK:\r\n" +
        kInd + "09:05:01 [frmMain] Sub FillCombo(Optional Ausschlu\xc3\x9f As String = \"\")\r\n" +
        kInd + "\tAusschlu\xc3\x9f:\t1x mit Bootloader\r\n" +
        kSep + "\r\n"
        "SYSTEMINFO:\r\n" +
        kInd + "Plattform:\tLinux\r\n" +
        kInd + "Version:\t6.1\r\n" +
        kInd + "Build:\t5   Debian GNU/Linux 12 (bookworm)\r\n" +
        kSep + "\r\n";
    EXPECT_EQ(BuildProtocol(Panne()), expected);
}

TEST_F(ProtocolTest, CallStackSectionHoldsTheTraceListTopDown)
{
    struct Case {
        const char* what;
        int entries;
    };
    for (const Case& c : {Case {"empty list", 0}, Case {"one entry", 1}, Case {"full list", 45}}) {
        SCOPED_TRACE(c.what);
        test::ResetPanne();
        for (int i = 0; i < c.entries; ++i)
            Panne().CallStack("entry " + std::to_string(i));
        std::vector<std::string> expected;
        for (const auto& line : Panne().lstCallStack())
            expected.push_back(kInd + line);
        auto text = BuildProtocol(Panne());
        auto got = Section(text, "CALLSTACK:");
        EXPECT_EQ(got, expected);
        EXPECT_EQ(got.size(), static_cast<std::size_t>(std::min(c.entries, 40)));
        if (c.entries == 0) {
            EXPECT_NE(text.find("CALLSTACK:\r\n" + kSep + "\r\nSYSTEMINFO:\r\n"), std::string::npos);
        }
        if (c.entries > 40) {
            EXPECT_EQ(got.front(), kInd + "09:05:01 entry 44");
        }
    }
}

TEST_F(ProtocolTest, ParameterLinesKeepTheirOwnTabAfterTheIndent)
{
    Proc p("modMain", "CopyFile", "[sig]", {{"strSource", std::string("/a/b.img")}, {"lngStart", 1}});
    auto lines = Section(BuildProtocol(Panne()), "CALLSTACK:");
    std::vector<std::string> expected = {kInd + "09:05:01 [sig]", kInd + "\tstrSource:\t/a/b.img",
                                         kInd + "\tlngStart:\t1"};
    EXPECT_EQ(lines, expected);
}

TEST_F(ProtocolTest, SystemLines)
{
    struct Case {
        const char* what;
        OsVersion os;
        std::vector<std::string> lines;
    };
    std::vector<Case> cases = {
        {"patch number cut to its low 16 bits", {"Linux", 5, 10, 0x12345, "SP\0x"s},
         {kInd + "Plattform:\tLinux", kInd + "Version:\t5.10", kInd + "Build:\t9029   SP"}},
        {"empty name leaves the three spaces", {"Linux", 6, 1, 0, "\0"s},
         {kInd + "Plattform:\tLinux", kInd + "Version:\t6.1", kInd + "Build:\t0   "}},
        {"a field without NUL shows nothing", {"Linux", 6, 1, 7, "no terminator"},
         {kInd + "Plattform:\tLinux", kInd + "Version:\t6.1", kInd + "Build:\t7   "}},
        {"unknown system", {},
         {kInd + "Plattform:\t", kInd + "Version:\t0.0", kInd + "Build:\t0   "}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SetOsVersionSource([&] { return c.os; });
        EXPECT_EQ(Section(BuildProtocol(Panne()), "SYSTEMINFO:"), c.lines);
    }
}

TEST(OsVersion, KernelReleaseNumbers)
{
    struct Case {
        std::string release;
        int major, minor;
        uint32_t patch;
    };
    std::vector<Case> cases = {
        {"6.1.0-18-amd64", 6, 1, 0},   {"5.10.209", 5, 10, 209}, {"6.8", 6, 8, 0},
        {"4.19.0rc1", 4, 19, 0},       {"", 0, 0, 0},            {"abc", 0, 0, 0},
        {"3.99999999999.70000", 3, INT_MAX, 70000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.release);
        int major = -1, minor = -1;
        uint32_t patch = 99;
        ParseKernelRelease(c.release, major, minor, patch);
        EXPECT_EQ(major, c.major);
        EXPECT_EQ(minor, c.minor);
        EXPECT_EQ(patch, c.patch);
    }
}

TEST(OsVersion, PrettyNameOfOsRelease)
{
    struct Case {
        std::string text, name;
    };
    std::vector<Case> cases = {
        {"NAME=\"Debian GNU/Linux\"\nPRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\nID=debian\n",
         "Debian GNU/Linux 12 (bookworm)"},
        {"PRETTY_NAME=Plain\r\n", "Plain"},
        {"PRETTY_NAME='Single quoted'\n", "Single quoted"},
        {"PRETTY_NAME=\"Say \\\"hi\\\" \\\\ ok\"\n", "Say \"hi\" \\ ok"},
        {"#PRETTY_NAME=\"comment\"\nNAME=x\n", ""},
        {"XPRETTY_NAME=no\n", ""},
        {"PRETTY_NAME=\"first\"\nPRETTY_NAME=\"second\"", "second"},
        {"", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(PrettyNameFromOsRelease(c.text), c.name);
    }
}

TEST(OsVersion, TheRunningSystemAnswers)
{
    OsVersion v = QueryOsVersion();
    EXPECT_EQ(v.platform, "Linux");
    EXPECT_GT(v.major, 0);
    ASSERT_FALSE(v.servicePackField.empty());
    EXPECT_LE(v.servicePackField.size(), 128u);
    EXPECT_EQ(v.servicePackField.back(), '\0');
    EXPECT_FALSE(frmPanne::LPSTRToVBString(v.servicePackField).empty());  // Debian has a name
}

TEST(ProtocolPath, BesideTheProgramNamedAfterIt)
{
    struct Case {
        std::string programFile, ending, path;
    };
    std::vector<Case> cases = {
        {"/opt/tool/Stellmark", ".EPT", "/opt/tool/Stellmark.EPT"},
        {"/opt/tool/stellmark.bin", ".ERR", "/opt/tool/stellmark.ERR"},
        {"/Stellmark", ".EPT", "/Stellmark.EPT"},  // the root gets no second separator
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.programFile);
        program::OverrideFile(c.programFile);
        EXPECT_EQ(ProtocolPath(c.ending), c.path);
    }
    program::OverrideFile("");
}

TEST_F(ProtocolTest, EveryFailureAppendsToTheLogKeepingEarlierRuns)
{
    test::ScopedProgramFile program(dir_.Path(), "Stellmark");
    const std::string log = dir_ / "Stellmark.EPT";
    const std::string earlier = "protocol of an earlier run\r\n\r\n";
    test::WriteFile(log, earlier);

    std::vector<std::string> built;
    Panne().SetProtocolWriter([&](frmPanne& p) {
        built.push_back(BuildProtocol(p));
        EXPECT_TRUE(AppendProtocolLog(p));
    });
    test::ScriptedPresenter chooser({kNext, kNext});
    Proc p("modMain", "CopyFile", "[modMain] Public Function CopyFile(...)As Boolean");
    p.Run([&] {
        p.Step([] { throw Failure(err::FileNotFound); });
        p.Step([] { throw Failure(err::DiskFull); });
    });
    ASSERT_EQ(built.size(), 2u);
    EXPECT_NE(built[0].find("Fehler-Nr:\t53 (Datei nicht gefunden)"), std::string::npos);
    EXPECT_NE(built[1].find("Fehler-Nr:\t61 (Datenträger voll)"), std::string::npos);
    EXPECT_EQ(test::ReadFile(log), earlier + built[0] + "\r\n" + built[1] + "\r\n");
    EXPECT_EQ(test::ReadFile(log).find("\r\n\r\n" + kSep, earlier.size()),
              earlier.size() + built[0].size() - 2);
}

TEST_F(ProtocolTest, AMissingLogIsCreated)
{
    test::ScopedProgramFile program(dir_.Path(), "Stellmark");
    EXPECT_TRUE(AppendProtocolLog(Panne()));
    EXPECT_EQ(test::ReadFile(dir_ / "Stellmark.EPT"), BuildProtocol(Panne()) + "\r\n");
}

namespace {
// Lets a write fail past `limit` bytes of file size (root ignores permissions, not this).
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t limit)
    {
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &previous_);
        rlimit l = previous_;
        l.rlim_cur = limit;
        setrlimit(RLIMIT_FSIZE, &l);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &previous_);
        std::signal(SIGXFSZ, previousHandler_);
    }

private:
    rlimit previous_ {};
    void (*previousHandler_)(int);
};
}  // namespace

TEST_F(ProtocolTest, AnUnwritableLogCostsOnlyTheEntry)
{
    struct Case {
        const char* what;
        bool folderIsAFile;
        rlim_t roomForBytes;  // 0: no size limit
    };
    const std::string earlier(3000, 'e');
    for (const Case& c : {Case {"folder is a regular file", true, 0},
                          Case {"disk full after part of the entry", false, 500},
                          Case {"disk full before the entry", false, 1}}) {
        SCOPED_TRACE(c.what);
        test::ResetPanne();
        test::TempDir dir;
        std::string folder = dir.Path();
        if (c.folderIsAFile) {
            folder = dir / "notafolder";
            test::WriteFile(folder, "");
        } else {
            test::WriteFile(dir / "Stellmark.EPT", earlier);
        }
        test::ScopedProgramFile program(folder, "Stellmark");

        int writes = 0;
        bool written = true;
        Panne().SetProtocolWriter([&](frmPanne& p) {
            ++writes;
            std::optional<FileSizeLimit> limit;
            if (c.roomForBytes)
                limit.emplace(earlier.size() + c.roomForBytes - 1);
            written = AppendProtocolLog(p);
        });
        test::ScriptedPresenter chooser({kNext});
        Proc p("modMain", "ImageTest", "[sig]");
        bool nextStepRan = false;
        p.Run([&] {
            p.Step([] { throw Failure(err::DeviceIO); });
            p.Step([&] { nextStepRan = true; });
        });
        EXPECT_FALSE(written);
        EXPECT_EQ(writes, 1);
        EXPECT_EQ(chooser.calls.size(), 1u);  // the one failure, no dialog about the log
        EXPECT_TRUE(nextStepRan);
        if (c.folderIsAFile)
            EXPECT_EQ(test::ReadFile(folder), "");
        else
            EXPECT_EQ(test::ReadFile(dir / "Stellmark.EPT"), earlier);  // no half entry
    }
}

TEST_F(ProtocolTest, SavingAsksBeforeItReplacesAndSaysWhereItWrote)
{
    struct Case {
        const char* what;
        bool exists;
        std::deque<platform::Answer> answers;
        bool written;
    };
    const std::string old = test::Pattern(100000);  // longer than a protocol: replaced, not overlaid
    for (const Case& c : {Case {"new file", false, {}, true},
                          Case {"existing file, No", true, {platform::Answer::No}, false},
                          Case {"existing file, Yes", true, {platform::Answer::Yes}, true}}) {
        SCOPED_TRACE(c.what);
        test::TempDir dir;
        test::ScopedProgramFile program(dir.Path(), "Stellmark");
        const std::string path = dir / "Stellmark.ERR";
        if (c.exists)
            test::WriteFile(path, old);
        test::FakeServices services;
        services.answers = c.answers;

        cmdProtocol_Click(Panne(), 1, services);

        std::vector<test::FakeServices::Box> boxes = services.boxes;
        std::size_t next = 0;
        if (c.exists) {
            ASSERT_GE(boxes.size(), 1u);
            EXPECT_EQ(boxes[0].text, "Vorhandene Datei '" + path + "' \xc3\xbc" "berschreiben ?");
            EXPECT_EQ(boxes[0].buttons, platform::Buttons::YesNo);
            EXPECT_EQ(boxes[0].icon, platform::Icon::None);
            next = 1;
        }
        if (c.written) {
            ASSERT_EQ(boxes.size(), next + 1);
            EXPECT_EQ(boxes[next].text,
                      "Das Fehlerprotokoll wurde in die Datei '" + path + "' geschrieben !");
            EXPECT_EQ(boxes[next].buttons, platform::Buttons::Ok);
            EXPECT_EQ(boxes[next].icon, platform::Icon::None);
            EXPECT_EQ(test::ReadFile(path), BuildProtocol(Panne()) + "\r\n");
        } else {
            EXPECT_EQ(boxes.size(), next);
            EXPECT_EQ(test::ReadFile(path), old);
        }
        EXPECT_EQ(dir.Entries(), std::vector<std::string> {"Stellmark.ERR"});  // no temporary left
    }
}

TEST_F(ProtocolTest, AFailedSaveIsNotReportedAsWritten)
{
    test::TempDir dir;
    const std::string folder = dir / "notafolder";
    test::WriteFile(folder, "x");
    test::ScopedProgramFile program(folder, "Stellmark");
    test::FakeServices services;
    cmdProtocol_Click(Panne(), 1, services);
    ASSERT_EQ(services.boxes.size(), 1u);
    EXPECT_EQ(services.boxes[0].text, "Das Fehlerprotokoll konnte nicht in die Datei '" + folder +
                                          "/Stellmark.ERR' geschrieben werden !");
    EXPECT_EQ(services.boxes[0].icon, platform::Icon::Exclamation);
    EXPECT_EQ(test::ReadFile(folder), "x");
}

TEST_F(ProtocolTest, ProtocolButtonsByIndex)
{
    struct Case {
        int16_t index;
        std::vector<std::string> events;
        bool savedFile;
    };
    std::vector<Case> cases = {
        {1, {"box"}, true},
        {3, {"clipboard", "open"}, false},
        {0, {}, false},
        {2, {}, false},
        {-1, {}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.index);
        test::TempDir dir;
        test::ScopedProgramFile program(dir.Path(), "Stellmark");
        test::FakeServices services;
        services.shellWorks = false;  // no browser: still no message
        cmdProtocol_Click(Panne(), c.index, services);
        EXPECT_EQ(services.events, c.events);
        EXPECT_EQ(test::Exists(dir / "Stellmark.ERR"), c.savedFile);
        if (c.index == 3) {
            EXPECT_EQ(services.clipboard, BuildProtocol(Panne()));
            EXPECT_EQ(services.opened, std::vector<std::string> {program::kHomePage});
        }
    }
}
