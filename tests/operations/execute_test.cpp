#include <gtest/gtest.h>

#include <unistd.h>

#include "operations/Actions.h"
#include "tests/support/TestSupport.h"
#include "core/modMain.h"

using namespace stellmark;
using namespace stellmark::ops;

namespace {
class Execution : public ::testing::Test {
protected:
    void SetUp() override
    {
        test::ResetPanne(), data = test::InstallDataFiles(dir.Path()),
                            images = test::WriteImages(dir / "images", data.files);
    }
    Outcome Run(std::string_view action, const std::string& source, const std::string& output,
                ExpertInput expert = {}, std::string* proposed = nullptr)
    {
        Proc p("[frmMain] Private Sub cmdStart_Click()");
        Outcome o;
        p.Run([&] {
            o = Start(p, {std::string(action), source, expert, std::nullopt, data.files},
                      [&](const std::string& name) {
                          return (proposed ? *proposed = name : name), Choice{output};
                      });
        });
        return o;
    }
    test::TempDir dir;
    test::DataFiles data;
    std::map<int, std::string> images;
};
}  // namespace

TEST_F(Execution, EveryActionOnEveryClassAndExpertRangesWriteExactlyTheirBytes)
{
    const int32_t B = 0x20000;
    // lead: data files in front; offset/length of the source for a class without boot loader;
    // shift: moved by a block in a class with one; built: the class of the output, -1 for a cut
    struct Case {
        std::string_view action;
        std::string lead;
        int64_t offset, length;
        bool shift;
        int32_t built;
    };
    std::vector<Case> cases = {
        {k1xOhne, data.f2zu1, B, 0x7C0000, true, 21},
        {k2xOhne, data.f1zu2, B, 0x7C0000, true, 22},
        {k1xMit, data.boot + data.f2zu1, B, 0x7C0000, true, 11},
        {k2xMit, data.boot + data.f1zu2, B, 0x7C0000, true, 12},
        {kBootExtract, "", 0, B, false, -1},
        {kIdxfsExtract, "", B, 0x7C0000, true, -1},
        {kRootExtract, "", B, 0x600000, true, -1},
        {k1xExtract, "", 0, B, true, -1},
        {k2xExtract, "", 0, B, true, -1},
    };
    for (int cls : {11, 12, 21, 22}) {
        std::string source = test::ReadFile(images[cls]);
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(c.action) + " on class " + std::to_string(cls));
            std::string out = dir / "out.img";
            Outcome o = Run(c.action, images[cls], out);
            if (c.action == kBootExtract && cls > 20) {
                EXPECT_EQ(
                    std::make_pair(o.kind, o.message.text),
                    std::make_pair(Outcome::Refused, std::string("Dieses Image besitzt keinen Bootloader!")));
                EXPECT_FALSE(test::Exists(out));
                continue;
            }
            ASSERT_EQ(o.kind, Outcome::Written);
            int64_t offset = c.offset + (c.shift && cls < 20 ? B : 0);
            EXPECT_TRUE(test::ReadFile(out) == c.lead + source.substr(offset, c.length));
            EXPECT_EQ(c.built < 0 || modMain::ImageTest(out, data.files) == c.built, true);
            ::unlink(out.c_str());
        }
    }
    // Expert ranges are exact, down to the first byte alone.
    std::string source = test::ReadFile(images[11]), out = dir / "expert";
    for (auto [start, end, offset, length] :
         std::vector<std::tuple<std::string, std::string, int64_t, int64_t>>{
             {"0", "1", 0, 1},
             {"0x20000", "0x40000", 0x20000, 0x20000},
             {"0x00000000", "0x00800000", 0, 0x800000},
             {"8388607", "8388608", 8388607, 1}}) {
        ASSERT_EQ(Run(kExpert, images[11], out, {start, end, 0x800000}).kind, Outcome::Written);
        EXPECT_TRUE(test::ReadFile(out) == source.substr(offset, length)) << start;
    }
}

TEST_F(Execution, TheSourceIsNeverItsOwnOutput)
{
    std::string src = images[21], before = test::ReadFile(src);
    ::symlink(src.c_str(), (dir / "link.img").c_str());
    ::link(src.c_str(), (dir / "hard.img").c_str());
    test::ScopedWorkingFolder inDir(dir.Path());
    ASSERT_TRUE(inDir.Entered());
    for (const std::string& out :
         {src, std::string("images/demo_1x_ohne_bootloader.img"),
          std::string("./images/../images/demo_1x_ohne_bootloader.img"), dir / "link.img", dir / "hard.img",
          dir / "images//demo_1x_ohne_bootloader.img"}) {
        Outcome o = Run(k2xOhne, src, out);
        EXPECT_EQ(std::tie(o.kind, o.message.icon, o.message.title),
                  std::make_tuple(Outcome::Refused, Icon::Critical, std::string("Stellmark - Info")))
            << out;
        EXPECT_EQ(o.message.text, "Das Image kann nicht in sich selbst gespeichert werden!\r\nBitte anderen "
                                  "Dateinamen angeben!\r\n");
    }
    EXPECT_TRUE(test::ReadFile(src) == before);
}

TEST_F(Execution, RefusalsCancelAndAVanishedSourceWriteAndDeleteNothing)
{
    std::string out = dir / "keep.img", proposed = "unset";
    test::WriteFile(out, "precious");
    EXPECT_EQ(Run(k1xMit, images[22], "", {}, &proposed).kind, Outcome::Cancelled);
    EXPECT_EQ(proposed, "demo_1x_ohne_bootloader");
    EXPECT_EQ(Run(kRootInsert, images[22], out).kind, Outcome::Refused);
    EXPECT_EQ(Run("unbekannt", images[22], out).kind, Outcome::Nothing);
    EXPECT_EQ(test::ReadFile(out), "precious");

    test::ScriptedPresenter chooser({kLeave, kLeave});
    EXPECT_EQ(Run(kRootExtract, dir / "gone.img", dir / "out.img").kind, Outcome::Failed);
    EXPECT_EQ(chooser.calls.empty() ? "" : chooser.calls[0].proc, "ImageTest");
    EXPECT_FALSE(test::Exists(dir / "out.img"));
}
