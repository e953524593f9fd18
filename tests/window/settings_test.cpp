// The window's stored settings without a window: what each text in the INI file is taken as,
// and where the window goes for a stored place.
#include <gtest/gtest.h>

#include "files/wsFiles.h"
#include "tests/support/TestSupport.h"
#include "window/Settings.h"

namespace stellmark::test {
namespace {

namespace settings = window::settings;

class Settings : public ::testing::Test {
protected:
    Settings() { wsFiles::ResetIniFileForTests(); }
    ~Settings() override { wsFiles::ResetIniFileForTests(); }
    void Store(const std::string& lines)
    {
        WriteFile(prog / "Stellmark.ini", "[Settings]\r\n" + lines + "\r\n");
    }

    TempDir prog;
    ScopedProgramFile program{prog.Path()};
};

TEST_F(Settings, UseOnlyValidImagesIsRoundedToTheEvenNeighbourAndFallsBackToOn)
{
    const std::pair<const char*, int> cases[] = {
        {"", 1},
        {"UseOnlyValidImages=ja", 1},
        {"UseOnlyValidImages=0", 0},
        {"UseOnlyValidImages=2", 2},
        {"UseOnlyValidImages=0.5", 0},
        {"UseOnlyValidImages=1.5", 2},
        {"UseOnlyValidImages= 2.5 ", 2},
    };
    for (auto [line, value] : cases) {
        Store(line);
        EXPECT_EQ(settings::ReadUseOnlyValidImages(), value) << line;
    }
}

TEST_F(Settings, AStoredPlaceIsKeptUnlessTopOrLeftIsZeroWhichCentres)
{
    const settings::ScreenTwips screen{15, 15, 1024 * 15, 768 * 15};
    const settings::Pixels centred{(1024 - 398) / 2, (768 - 318) / 2};
    struct Case {
        const char* lines;
        settings::Pixels at;
    };
    const Case cases[] = {
        {"WindowTop=1500.4\r\nWindowLeft= 3000", {200, 100}},
        {"WindowTop=0\r\nWindowLeft=3000", centred},
        {"WindowTop=1500\r\nWindowLeft=nix", centred},
        {"WindowTop=1500", centred},
    };
    for (const Case& c : cases) {
        Store(c.lines);
        const auto at = settings::Place(settings::ReadTwips(settings::kTop),
                                        settings::ReadTwips(settings::kLeft), screen, 398, 318);
        EXPECT_EQ(std::pair(at.x, at.y), std::pair(c.at.x, c.at.y)) << c.lines;
    }
}

}  // namespace
}  // namespace stellmark::test
