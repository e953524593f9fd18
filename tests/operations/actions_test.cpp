#include <gtest/gtest.h>

#include <unistd.h>

#include "operations/Actions.h"
#include "tests/support/TestSupport.h"
#include "core/modMain.h"

using namespace stellmark;
using namespace stellmark::ops;

namespace {
using List = std::vector<std::string>;
const std::string O1 = "1x ohne Bootloader erzeugen", O2 = "2x ohne Bootloader erzeugen",
                  M1 = "1x mit Bootloader erzeugen", M2 = "2x mit Bootloader erzeugen", X1 = "1x extrahieren",
                  X2 = "2x extrahieren", BR = "BR Bootloader extrahieren",
                  EX = "Experte - auszulesenden Bereich angeben", RX = "root [CramFS] extrahieren",
                  RI = "root [CramFS] einfügen";
}  // namespace

TEST(Catalogue, ListsPerClassAndOtherStates)
{
    struct Case {
        bool chosen;
        int32_t cls;
        int16_t useOnly;
        List entries;
        bool enabled;
    };
    std::vector<Case> cases = {
        {true, 11, 1, {O1, O2, M2, X1, BR, EX, RX, RI}, true},
        {true, 12, 1, {O1, O2, M1, X2, BR, EX, RX, RI}, true},
        {true, 21, 1, {O2, M1, M2, X1, EX, RX, RI}, true},
        {true, 22, 1, {O1, M1, M2, X2, EX, RX, RI}, true},
        {false, 11, 1, {}, false},
        {true, 0, 1, {}, false},
        {true, 22, 0, {EX}, true},
        {true, 0, 0, {EX}, true},
        {true, 11, 2, {EX}, true},
        {false, 0, 0, {}, false},
    };
    for (const auto& c : cases) {
        ListState s = ListFor(c.chosen, c.cls, c.useOnly);
        EXPECT_EQ(std::tie(s.entries, s.enabled), std::tie(c.entries, c.enabled))
            << c.cls << " " << c.useOnly;
    }
    EXPECT_TRUE(ListFor(true, 11, 1).filled);
}

TEST(Plan, RefusalsNamesDataFilesAndExpertRange)
{
    test::ResetPanne();
    test::TempDir dir;
    const auto data = test::InstallDataFiles(dir.Path());
    // What each written action takes and writes is checked byte for byte in execute_test; here
    // the proposed names, and the refusals before any dialog.
    for (int32_t cls : {0, 11, 12, 21, 22}) {
        SCOPED_TRACE(cls);
        auto plan = [&](std::string_view text) {
            return PlanAction(std::string(text), cls, "/images/base_2x.img", data.files,
                              {"0x20000", "0x40000", 0x800000});
        };
        auto refusal = [&](std::string_view text) {
            Plan p = plan(text);
            return p.kind == Plan::Refuse ? p.refusal.text : "(none)";
        };
        for (auto [text, name] :
             std::vector<std::pair<std::string_view, std::string>>{{k1xOhne, "base_1x"},
                                                                   {k2xMit, "base_2x_[2x]"},
                                                                   {kIdxfsExtract, ""},
                                                                   {kRootExtract, "cramfs"},
                                                                   {k2xExtract, "2xFile"},
                                                                   {kExpert, "expert"}})
            EXPECT_EQ(std::make_pair(plan(text).kind, plan(text).initialName),
                      std::make_pair(Plan::Write, name))
                << text;
        EXPECT_EQ(refusal(kBootExtract), cls > 20 ? kNoBootLoader.text : "(none)");
        for (auto text :
             {kVarExtract, kPpcbootExtract, kIdxfsInsert, kVarInsert, kRootInsert, kPpcbootInsert})
            EXPECT_EQ(refusal(text), kNotAvailable.text) << text;
    }
    EXPECT_EQ(PlanAction("1X OHNE BOOTLOADER ERZEUGEN", 11, "x", data.files).kind, Plan::Nothing);
    // The expert range must lie inside the image and hold at least one byte.
    struct Case {
        std::string start, end;
        int32_t size;
        bool ok;
    };
    std::vector<Case> cases = {
        {"0x00000000", "0x00800000", 0x800000, true},
        {"0", "1", 10, true},
        {"0", "10", 10, true},
        {"5", "5", 10, false},
        {"6", "5", 10, false},
        {"0", "11", 10, false},
        {"-1", "5", 10, false},
        {"abc", "5", 10, false},
        {"0", "", 10, false},
        {"0xFFFFFFFF", "5", 10, false},
    };
    for (const auto& c : cases) {
        Plan p = PlanAction(std::string(kExpert), 11, "x", {}, {c.start, c.end, c.size});
        EXPECT_EQ(p.kind == Plan::Write, c.ok) << c.start << ".." << c.end;
        EXPECT_EQ(c.ok ||
                      (p.refusal.icon == Icon::Exclamation && p.refusal.title == "Stellmark - Fehler" &&
                       p.refusal.text ==
                           "Die angegebene Größe kann nicht verarbeitet werden.\r\nBitte die Angaben prüfen"),
                  true);
    }
}

TEST(Plan, ABuildRefusesADataFileOfAnotherLengthBeforeTheDialog)
{
    test::ResetPanne();
    test::TempDir dir;
    const auto data = test::InstallDataFiles(dir.Path());
    const std::string boot = dir / "boot.dat", d21 = dir / "2zu1.dat";
    // file: the data file spoiled; content: its new bytes, or nullptr when it is removed
    struct Case {
        std::string file;
        const char* content;
        std::string_view action;
        std::string says;
    };
    auto ofLength = [](const std::string& file, const std::string& size) {
        return "Die Datendatei '" + file + "' ist " + size +
               " lang; sie muss genau 0x00020000 [131072] Bytes lang sein.";
    };
    std::vector<Case> cases = {
        {boot, "", k1xMit, ofLength(boot, "0x00000000 [0] Bytes")},
        {d21, "short", k1xOhne, ofLength(d21, "0x00000005 [5] Bytes")},
        {d21, nullptr, k1xMit, "Die Datendatei '" + d21 + "' fehlt oder ist nicht lesbar."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.says);
        std::string keep = test::ReadFile(c.file);
        c.content ? test::WriteFile(c.file, c.content) : (void)::unlink(c.file.c_str());
        Plan p = PlanAction(std::string(c.action), 21, "/images/base_2x.img", data.files);
        EXPECT_EQ(p.kind, Plan::Refuse);
        EXPECT_EQ(
            std::tie(p.refusal.text, p.refusal.title),
            std::make_tuple(c.says + "\r\nEs wird kein Image erzeugt.", std::string("Stellmark - Fehler")));
        // A longer file is refused alike; actions that do not use the file go on.
        test::WriteFile(c.file, keep + "x");
        EXPECT_EQ(PlanAction(std::string(c.action), 21, "/images/base_2x.img", data.files).kind,
                  Plan::Refuse);
        EXPECT_EQ(
            PlanAction(std::string(c.file == boot ? k1xOhne : k2xMit), 21, "/images/base_2x.img", data.files)
                .kind,
            Plan::Write);
        test::WriteFile(c.file, keep);
    }
}

TEST(GetInputValue, HexDecimalRefusalsAndOverflow)
{
    test::ResetPanne();
    test::ScriptedPresenter chooser;
    std::vector<std::pair<std::string, int32_t>> cases = {
        {"0x20000", 131072},
        {"0x7e0000", 8257536},
        {"0x7E0000", 8257536},
        {"0xaf", 175},
        {"131072", 131072},
        {" 42 ", 42},
        {"+7", 7},
        {"-12", -12},
        {"&h20000", -1},
        {"0X20000", -1},
        {"0x", -1},
        {"0x1G", -1},
        {"12abc", -1},
        {"", -1},
        {"   ", -1},
        {"0xFFFFFFFF", -1},
        {"0x000000001", -1},
        {"0x80000000", -2147483647 - 1},
        {"0x7FFFFFFF", 2147483647},
        {"2.5", 2},
        {"3.5", 4},
        {"-2.5", -2},
        {"2.51", 3},
        {"0.5", 0},
        {".5", 0},
        {"7.", 7},
        {"1,5", -1},
        {"1e3", -1},
        {"1 000", -1},
        {"2147483647", 2147483647},
        {"-2147483648", -2147483647 - 1},
        {"12&h", -1},
        {" 0x20", -1},
    };
    for (const auto& [text, want] : cases)
        EXPECT_EQ(GetInputValue(text), want) << "'" << text << "'";
    EXPECT_TRUE(chooser.calls.empty());
    for (std::string text : {"2147483648", "-2147483649", "99999999999999999999", "2147483647.5"}) {
        test::ResetPanne();
        test::ScriptedPresenter overflow({kLeave});
        EXPECT_EQ(GetInputValue(text), -1) << text;
        EXPECT_EQ(overflow.calls.size() == 1 ? overflow.calls[0].number + " " + overflow.calls[0].proc : "",
                  "6 (Überlauf) GetInputValue");
    }
    // The command line's positions: the same rules in 64 bits.
    for (const auto& [text, want] :
         std::vector<std::pair<std::string, int64_t>>{{"0x140000000", 0x140000000},
                                                      {"0x7FFFFFFFFFFFFFFF", INT64_MAX},
                                                      {"0xFFFFFFFFFFFFFFFF", -1},
                                                      {"0x10000000000000000", -1},
                                                      {"0xFFFFFFFF", 0xFFFFFFFF},
                                                      {"5368709120", 5368709120},
                                                      {"9223372036854775807", INT64_MAX},
                                                      {"2.5", 2},
                                                      {"&h10", -1}})
        EXPECT_EQ(GetPosition(text), want) << text;
    test::ScriptedPresenter overflow({kLeave});
    EXPECT_EQ(GetPosition("9223372036854775808"), -1);
    EXPECT_EQ(overflow.calls.size(), 1u);
}

TEST(CreateFileName, ProposesTheNameOfTheBuiltImage)
{
    struct Case {
        std::string source, tag, want;
    };
    std::vector<Case> cases = {
        {"/x/image.img", "1x", "image_[1x]"},     {"/x/base_2x.img", "1x", "base_1x"},
        {"base_1x.img", "2x", "base_2x"},         {"/x/my.image.2x.final.img", "1x", "my.image.1x.final"},
        {"/x/base_1x.img", "1x", "base_1x_[1x]"}, {"/x/2x_and_2x", "1x", "1x_and_2x"},
        {"/x/image", "2x", "image_[2x]"},         {"/x/.img", "1x", "_[1x]"},
        {"/x/base_2x.img", "1X", "base_1X"},      {"/x/base_2X.img", "1x", "base_2X_[1x]"},
        {"/x/a\\2x.img", "1x", "a\\1x"},          {"/x/base_2x.img", "3x", "base_2x_[3x]"}};
    for (const auto& c : cases)
        EXPECT_EQ(CreateFileName(c.tag, c.source), c.want) << c.source << " " << c.tag;
}
