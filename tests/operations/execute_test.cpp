#include <gtest/gtest.h>

#include <unistd.h>

#include "Actions.h"
#include "DemoImages.h"
#include "TestSupport.h"
#include "modMain.h"

using namespace stellmark;
using namespace stellmark::ops;

namespace {
class Execution : public ::testing::Test {
protected:
    void SetUp() override
    {
        test::ResetPanne();
        data = test::InstallDataFiles(dir.Path());
        for (const auto& image : demo::WriteDemoImages(dir / "images"))
            images[image.expectedClass] = image.path;
    }
    Outcome Run(const std::string& action, const std::string& source, const std::string& output,
                ExpertInput expert = {}, std::string* proposed = nullptr)
    {
        Proc p("frmMain", "cmdStart_Click", "[frmMain] Private Sub cmdStart_Click()");
        Outcome o;
        p.Run([&] {
            o = Start(p, {action, source, expert, std::nullopt}, [&](const std::string& name) {
                if (proposed)
                    *proposed = name;
                return output;
            });
        });
        return o;
    }
    test::TempDir dir;
    test::DataFiles data;
    std::map<int, std::string> images;
};
}  // namespace

TEST_F(Execution, EveryWritingActionOnEveryClassWritesExactlyItsPieces)
{
    const int32_t B = 0x20000;
    struct Case {
        std::string_view action;
        std::string lead;  // data files in front
        int64_t offset, length;  // of the source, for a class without boot loader
        bool shift;
    };
    std::vector<Case> cases = {
        {k1xOhne, data.f2zu1, B, 0x7C0000, true},
        {k2xOhne, data.f1zu2, B, 0x7C0000, true},
        {k1xMit, data.boot + data.f2zu1, B, 0x7C0000, true},
        {k2xMit, data.boot + data.f1zu2, B, 0x7C0000, true},
        {kBootExtract, "", 0, B, false},
        {kIdxfsExtract, "", B, 0x7C0000, true},
        {kRootExtract, "", B, 0x600000, true},
        {k1xExtract, "", 0, B, true},
        {k2xExtract, "", 0, B, true},
    };
    for (int cls : {11, 12, 21, 22}) {
        std::string source = test::ReadFile(images[cls]);
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(c.action) + " on class " + std::to_string(cls));
            std::string out = dir / "out.img";
            Outcome o = Run(std::string(c.action), images[cls], out);
            if (c.action == kBootExtract && cls > 20) {
                EXPECT_EQ(o.kind, Outcome::Refused);
                EXPECT_EQ(o.message.text, "Dieses Image besitzt keinen Bootloader!");
                EXPECT_FALSE(test::Exists(out));
                continue;
            }
            ASSERT_EQ(o.kind, Outcome::Written);
            int64_t offset = c.offset + (c.shift && cls < 20 ? B : 0);
            std::string want = c.lead + source.substr(offset, c.length);
            std::string got = test::ReadFile(out);
            EXPECT_EQ(got.size(), want.size());
            EXPECT_TRUE(got == want);
            ::unlink(out.c_str());
        }
    }
}

TEST_F(Execution, BuiltImagesAreClassifiedAsWhatWasBuilt)
{
    struct Case {
        std::string_view action;
        int32_t cls;
    };
    for (auto [action, want] : {Case {k1xOhne, 21}, Case {k2xOhne, 22}, Case {k1xMit, 11},
                                Case {k2xMit, 12}}) {
        for (int cls : {11, 12, 21, 22}) {
            std::string out = dir / "built.img";
            ASSERT_EQ(Run(std::string(action), images[cls], out).kind, Outcome::Written);
            EXPECT_EQ(modMain::ImageTest(out), want) << action << " from " << cls;
        }
    }
}

TEST_F(Execution, ExpertRangesAreExactIncludingTheFirstByteAlone)
{
    std::string source = test::ReadFile(images[11]);
    struct Case {
        std::string start, end;
        int64_t offset, length;
    };
    std::vector<Case> cases = {{"0", "1", 0, 1},
                               {"0x20000", "0x40000", 0x20000, 0x20000},
                               {"0x00000000", "0x00800000", 0, 0x800000},
                               {"8388607", "8388608", 8388607, 1}};
    for (const auto& c : cases) {
        std::string out = dir / "expert";
        ASSERT_EQ(Run(std::string(kExpert), images[11], out, {c.start, c.end, 0x800000}).kind,
                  Outcome::Written);
        EXPECT_TRUE(test::ReadFile(out) == source.substr(c.offset, c.length)) << c.start;
    }
}

TEST_F(Execution, TheSourceIsNeverItsOwnOutput)
{
    std::string src = images[21];
    std::string before = test::ReadFile(src);
    ::symlink(src.c_str(), (dir / "link.img").c_str());
    ::link(src.c_str(), (dir / "hard.img").c_str());
    char cwd[4096];
    ASSERT_TRUE(::getcwd(cwd, sizeof cwd));
    ASSERT_EQ(::chdir(dir.Path().c_str()), 0);
    std::vector<std::string> spellings = {src, "images/demo_1x_ohne_bootloader.img",
                                          "./images/../images/demo_1x_ohne_bootloader.img",
                                          dir / "link.img", dir / "hard.img",
                                          dir / "images//demo_1x_ohne_bootloader.img"};
    for (const auto& out : spellings) {
        Outcome o = Run(std::string(k2xOhne), src, out);
        EXPECT_EQ(o.kind, Outcome::Refused) << out;
        EXPECT_EQ(o.message.text, "Das Image kann nicht in sich selbst gespeichert werden!\r\n"
                                  "Bitte anderen Dateinamen angeben!\r\n");
        EXPECT_EQ(o.message.icon, Icon::Critical);
        EXPECT_EQ(o.message.title, "Stellmark - Info");
    }
    ASSERT_EQ(::chdir(cwd), 0);
    EXPECT_TRUE(test::ReadFile(src) == before);
}

TEST_F(Execution, RefusalsAndCancelWriteAndDeleteNothing)
{
    std::string out = dir / "keep.img";
    test::WriteFile(out, "precious");
    std::string proposed = "unset";
    EXPECT_EQ(Run(std::string(k1xMit), images[22], "", {}, &proposed).kind, Outcome::Cancelled);
    EXPECT_EQ(proposed, "demo_1x_ohne_bootloader");
    EXPECT_EQ(Run(std::string(kRootInsert), images[22], out).message.text, "Funktion noch nicht vorhanden");
    EXPECT_EQ(Run(std::string(kExpert), images[22], out, {"5", "5", 100}).kind, Outcome::Refused);
    EXPECT_EQ(Run("unbekannt", images[22], out).kind, Outcome::Nothing);
    EXPECT_EQ(test::ReadFile(out), "precious");
}

TEST_F(Execution, ASourceGoneBeforeStartFailsAndLeavesNoOutput)
{
    test::ScriptedPresenter chooser({kLeave, kLeave});
    std::string src = dir / "gone.img";
    test::WriteFile(src, test::ReadFile(images[11]));
    ::unlink(src.c_str());
    Outcome o = Run(std::string(kRootExtract), src, dir / "out.img");
    EXPECT_EQ(o.kind, Outcome::Failed);
    ASSERT_FALSE(chooser.calls.empty());
    EXPECT_EQ(chooser.calls[0].proc, "ImageTest");
    EXPECT_FALSE(test::Exists(dir / "out.img"));
}
