// The main window as it runs on a German desktop: the process starts under LC_ALL=de_DE.UTF-8
// on a screen of 100 dpi, where a pixel is 14.4 twips and stored positions have a fraction.
// The settings must keep "." as their only decimal separator all the same.
#include <QApplication>
#include <QLocale>
#include <QScreen>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

#include "tests/window/MainWindowTest.h"

namespace stellmark::test {
namespace {

using GermanDesktop = MainWindowTest;

TEST_F(GermanDesktop, WindowPositionsAreWrittenAndReadWithAFullStop)
{
    // The run is German for the C library and for Qt (else nothing here would be tested).
    char number[16];
    std::snprintf(number, sizeof number, "%.1f", 1.5);
    ASSERT_STREQ(number, "1,5") << "de_DE.UTF-8 is not generated; scripts/setup.sh does it";
    ASSERT_EQ(QLocale().toString(1.5), "1,5");
    ASSERT_EQ(QGuiApplication::primaryScreen()->logicalDotsPerInchX(), 100);

    // Written by hand: fractions that decide the pixel (1447.9 twips are 100.55 pixels, 1447
    // would be 100.49), beside a comment and a key the program does not know.
    WriteFile(Ini(), "; von Hand\r\n[Settings]\r\nWindowTop = 583.9\r\nWindowLeft=1447.9\r\nFarbe=blau\r\n");
    frmMain& f = Load();
    EXPECT_EQ(f.pos(), QPoint(101, 41));

    f.move(102, 42);  // 1468.8 and 604.8 twips
    f.close();
    EXPECT_EQ(ReadFile(Ini()), "; von Hand\r\n[Settings]\r\nWindowTop = 604.8\r\nWindowLeft=1468.8\r\n"
                               "Farbe=blau\r\nLastDir=" +
                                   std::filesystem::current_path().string() + "\r\nUseOnlyValidImages=1\r\n");
    EXPECT_EQ(Load().pos(), QPoint(102, 42));
    EXPECT_TRUE(presenter.calls.empty());
    EXPECT_TRUE(fakes.boxes.empty());
    EXPECT_TRUE(ends.empty());
}

}  // namespace
}  // namespace stellmark::test

int main(int argc, char** argv)
{
    // Set before Qt starts, which takes the locale and the screen from the environment.
    ::setenv("LC_ALL", "de_DE.UTF-8", 1);
    ::setenv("QT_QPA_PLATFORM", "offscreen:configfile=" STELLMARK_SCREEN_CONFIG, 1);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
