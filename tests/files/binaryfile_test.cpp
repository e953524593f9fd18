#include <gtest/gtest.h>

#include "BinaryFile.h"
#include "Failure.h"
#include "TestSupport.h"

using namespace stellmark;

TEST(BinaryFile, OpenFailuresCarryTheirNumbers) {
    test::TempDir dir;
    test::WriteFile(dir / "file", "x");
    for (const auto& [path, number] : std::vector<std::pair<std::string, int>> {
             {dir / "missing", 53}, {dir / "no/folder/x", 76}, {dir.Path(), 75}, {"", 52}, {dir / "file/x", 76}}) {
        BinaryFile f;
        EXPECT_EQ([&] { try { f.OpenRead(path); } catch (const Failure& e) { return e.Number(); } return 0; }(), number) << path;
        EXPECT_FALSE(f.IsOpen());
    }
    TempOutput out;
    EXPECT_EQ([&] { try { out.Create(dir / "file/x"); } catch (const Failure& e) { return e.Number(); } return 0; }(), 76);
}
