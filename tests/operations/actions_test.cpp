#include <gtest/gtest.h>

#include <map>
#include <unistd.h>

#include "Actions.h"
#include "TestSupport.h"
#include "modMain.h"

using namespace stellmark;
using namespace stellmark::ops;

namespace {
using List = std::vector<std::string>;
const std::string O1 = "1x ohne Bootloader erzeugen", O2 = "2x ohne Bootloader erzeugen",
                  M1 = "1x mit Bootloader erzeugen", M2 = "2x mit Bootloader erzeugen",
                  X1 = "1x extrahieren", X2 = "2x extrahieren", BR = "BR Bootloader extrahieren",
                  EX = "Experte - auszulesenden Bereich angeben", RX = "root [CramFS] extrahieren",
                  RI = "root [CramFS] einfügen";
}  // namespace

TEST(Catalogue, ListsPerClassInTheOrderAdded)
{
    std::vector<std::pair<int32_t, List>> cases = {
        {11, {O1, O2, M2, X1, BR, EX, RX, RI}},
        {12, {O1, O2, M1, X2, BR, EX, RX, RI}},
        {21, {O2, M1, M2, X1, EX, RX, RI}},
        {22, {O1, M1, M2, X2, EX, RX, RI}},
    };
    for (const auto& [cls, want] : cases) {
        ListState s = ListFor(true, cls, 1);
        EXPECT_EQ(s.entries, want) << cls;
        EXPECT_TRUE(s.enabled && s.filled);
    }
    EXPECT_EQ(ComboEntries(""), (List {O1, O2, M1, M2, EX, RX, RI}));
    EXPECT_EQ(ComboEntries("erzeugen"), (List {EX, RX, RI}));
}

TEST(Catalogue, CheckBoxAndMissingFilesDecideTheOtherStates)
{
    struct Case {
        bool chosen;
        int32_t cls;
        int16_t useOnly;
        List entries;
        bool enabled;
    };
    std::vector<Case> cases = {
        {false, 11, 1, {}, false}, {true, 0, 1, {}, false},  {true, 22, 0, {EX}, true},
        {true, 0, 0, {EX}, true},  {true, 11, 2, {EX}, true}, {false, 0, 0, {}, false},
    };
    for (const auto& c : cases) {
        ListState s = ListFor(c.chosen, c.cls, c.useOnly);
        EXPECT_EQ(s.entries, c.entries);
        EXPECT_EQ(s.enabled, c.enabled);
    }
    for (int32_t cls : {11, 12, 21, 22}) {
        List l = ListFor(true, cls, 1).entries;
        bool both = std::count(l.begin(), l.end(), X1) && std::count(l.begin(), l.end(), X2);
        EXPECT_FALSE(both);
        for (auto never : {kIdxfsExtract, kVarExtract, kPpcbootExtract, kIdxfsInsert, kVarInsert,
                           kPpcbootInsert})
            EXPECT_EQ(std::count(l.begin(), l.end(), std::string(never)), 0);
    }
}

TEST(Plan, EveryActionForEveryClass)
{
    test::ResetPanne();
    modMain::strFile1zu2 = "/d/1zu2.dat";
    modMain::strFile2zu1 = "/d/2zu1.dat";
    modMain::strFileBoot = "/d/boot.dat";
    const std::string src = "/images/base_2x.img";
    struct Want {
        Plan::Kind kind;
        std::string name;
        int32_t first, last;  // without boot loader; shifted adds 0x20000 where `shift`
        bool shift;
        std::string prev, prev1;
        const Message* refusal;
    };
    const int32_t B = 0x20000;
    std::map<std::string_view, Want> table = {
        {k1xOhne, {Plan::Write, "base_1x", B + 1, 0x7E0000, true, "", "/d/2zu1.dat", nullptr}},
        {k2xOhne, {Plan::Write, "base_2x_[2x]", B + 1, 0x7E0000, true, "", "/d/1zu2.dat", nullptr}},
        {k1xMit, {Plan::Write, "base_1x", B + 1, 0x7E0000, true, "/d/boot.dat", "/d/2zu1.dat", nullptr}},
        {k2xMit, {Plan::Write, "base_2x_[2x]", B + 1, 0x7E0000, true, "/d/boot.dat", "/d/1zu2.dat", nullptr}},
        {kBootExtract, {Plan::Write, "br_boot", 1, B, false, "", "", nullptr}},
        {kIdxfsExtract, {Plan::Write, "", B + 1, 0x7E0000, true, "", "", nullptr}},
        {kRootExtract, {Plan::Write, "cramfs", B + 1, 0x620000, true, "", "", nullptr}},
        {k1xExtract, {Plan::Write, "1xFile", 1, B, true, "", "", nullptr}},
        {k2xExtract, {Plan::Write, "2xFile", 1, B, true, "", "", nullptr}},
        {kExpert, {Plan::Write, "expert", 0x20001, 0x40000, false, "", "", nullptr}},
        {kVarExtract, {Plan::Refuse, "", 0, 0, false, "", "", &kNotAvailable}},
        {kPpcbootExtract, {Plan::Refuse, "", 0, 0, false, "", "", &kNotAvailable}},
        {kIdxfsInsert, {Plan::Refuse, "", 0, 0, false, "", "", &kNotAvailable}},
        {kVarInsert, {Plan::Refuse, "", 0, 0, false, "", "", &kNotAvailable}},
        {kRootInsert, {Plan::Refuse, "", 0, 0, false, "", "", &kNotAvailable}},
        {kPpcbootInsert, {Plan::Refuse, "", 0, 0, false, "", "", &kNotAvailable}},
    };
    ASSERT_EQ(table.size(), kActionTexts.size());
    ExpertInput expert {"0x20000", "0x40000", 0x800000};
    for (auto text : kActionTexts) {
        for (int32_t cls : {0, 11, 12, 21, 22}) {
            SCOPED_TRACE(std::string(text) + " class " + std::to_string(cls));
            Want w = table.at(text);
            if (text == kBootExtract && cls >= 20)
                w = {Plan::Refuse, "", 0, 0, false, "", "", &kNoBootLoader};
            Plan p = PlanAction(std::string(text), cls, src, expert);
            ASSERT_EQ(p.kind, w.kind);
            if (p.kind == Plan::Refuse) {
                EXPECT_EQ(p.refusal.text, w.refusal->text);
                continue;
            }
            int32_t shift = w.shift && cls < 20 ? B : 0;
            EXPECT_EQ(p.initialName, w.name);
            EXPECT_EQ(p.first, w.first + shift);
            EXPECT_EQ(p.last, w.last + shift);
            EXPECT_EQ(p.prevFile, w.prev);
            EXPECT_EQ(p.prevFile1, w.prev1);
        }
    }
    EXPECT_EQ(PlanAction("1X OHNE BOOTLOADER ERZEUGEN", 11, src).kind, Plan::Nothing);
}

TEST(Plan, ExpertRangeCheck)
{
    test::ResetPanne();
    struct Case {
        std::string start, end;
        int32_t size;
        bool ok;
    };
    std::vector<Case> cases = {
        {"0x00000000", "0x00800000", 0x800000, true}, {"0", "1", 10, true},
        {"5", "5", 10, false},   {"6", "5", 10, false},  {"0", "11", 10, false},
        {"-1", "5", 10, false},  {"abc", "5", 10, false}, {"0", "", 10, false},
        {"0xFFFFFFFF", "5", 10, false}, {"0", "10", 10, true},
    };
    for (const auto& c : cases) {
        Plan p = PlanAction(std::string(kExpert), 11, "x", {c.start, c.end, c.size});
        EXPECT_EQ(p.kind == Plan::Write, c.ok) << c.start << ".." << c.end;
        if (!c.ok) {
            EXPECT_EQ(p.refusal.text, "Die angegebene Größe kann nicht verarbeitet werden.\r\nBitte die Angaben prüfen");
            EXPECT_EQ(p.refusal.icon, Icon::Exclamation);
            EXPECT_EQ(p.refusal.title, "Stellmark - Fehler");
        }
    }
}

TEST(GetInputValue, HexDecimalAndRefusals)
{
    test::ResetPanne();
    test::ScriptedPresenter chooser;
    std::vector<std::pair<std::string, int32_t>> cases = {
        {"0x20000", 131072},  {"0x7e0000", 8257536}, {"0x7E0000", 8257536}, {"131072", 131072},
        {" 42 ", 42},         {"+7", 7},             {"-12", -12},          {"&h20000", -1},
        {"&H20000", -1},      {"0X20000", -1},       {"0x", -1},            {"0x1G", -1},
        {"12abc", -1},        {"", -1},              {"   ", -1},           {"0xFFFFFFFF", -1},
        {"0x80000000", -2147483647 - 1}, {"0x7FFFFFFF", 2147483647}, {"0x000000001", -1},
        {"2.5", 2},           {"3.5", 4},            {"-2.5", -2},          {"2.51", 3},
        {"0.5", 0},           {".5", 0},             {"7.", 7},             {"1,5", -1},
        {"1e3", -1},          {"2147483647", 2147483647}, {"-2147483648", -2147483647 - 1},
        {"1 000", -1},        {"12&h", -1},          {" 0x20", -1},
    };
    for (const auto& [text, want] : cases)
        EXPECT_EQ(GetInputValue(text), want) << "'" << text << "'";
    EXPECT_TRUE(chooser.calls.empty());
}

TEST(GetInputValue, DecimalsBeyond32BitsAreAnOverflowAndNeverPassAsZero)
{
    for (std::string text : {"2147483648", "-2147483649", "99999999999999999999", "2147483647.5"}) {
        test::ResetPanne();
        test::ScriptedPresenter chooser({kLeave});
        EXPECT_EQ(GetInputValue(text), -1) << text;
        ASSERT_EQ(chooser.calls.size(), 1u) << text;
        EXPECT_EQ(chooser.calls[0].number, "6 (Überlauf)");
        EXPECT_EQ(chooser.calls[0].proc, "GetInputValue");
    }
}

TEST(CreateFileName, ProposesTheNameOfTheBuiltImage)
{
    struct Case {
        std::string source, tag, want;
    };
    std::vector<Case> cases = {
        {"/x/image.img", "1x", "image_[1x]"},
        {"/x/base_2x.img", "1x", "base_1x"},
        {"/x/my.image.2x.final.img", "1x", "my.image.1x.final"},
        {"base_1x.img", "2x", "base_2x"},
        {"/x/base_1x.img", "1x", "base_1x_[1x]"},
        {"/x/2x_and_2x", "1x", "1x_and_2x"},
        {"/x/image", "2x", "image_[2x]"},
        {"/x/.img", "1x", "_[1x]"},
        {"/x/base_2x.img", "1X", "base_1X"},
        {"/x/base_2X.img", "1x", "base_2X_[1x]"},
        {"/x/a\\2x.img", "1x", "a\\1x"},
        {"/x/base_2x.img", "3x", "base_2x_[3x]"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CreateFileName(c.tag, c.source), c.want) << c.source << " " << c.tag;
}

TEST(Cramfs, VerdictAgainstTheRootArea)
{
    EXPECT_EQ(CramfsVerdict(0x600000), "0x00600000 [6291456] Bytes - im Limit!");
    EXPECT_EQ(CramfsVerdict(0x600001), "0x00600001 [6291457] Bytes - zu groß!");
    EXPECT_EQ(CramfsVerdict(0), "0x00000000 [0] Bytes - im Limit!");
    EXPECT_EQ(SizeText(0x800000), "0x00800000 [8388608] Bytes");
}
