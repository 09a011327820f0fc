#include "imaging/TilePalette.h"

#include <gtest/gtest.h>

#include "platform/Error.h"
#include "support/TempFolder.h"

namespace cz {
namespace {

struct PaletteCase {
  const char* name;
  std::string text;
  bool hasPalette;
  std::vector<PaletteColour> colours;
};

class PaletteParsing : public ::testing::TestWithParam<PaletteCase> {};

TEST_P(PaletteParsing, ReadsAsTheFileDescribes) {
  const PaletteCase& c = GetParam();
  const std::optional<TilePalette> palette = ParseTilePalette(c.text);
  ASSERT_EQ(palette.has_value(), c.hasPalette);
  if (palette) {
    EXPECT_EQ(palette->Colours, c.colours);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Examples, PaletteParsing,
    ::testing::Values(
        PaletteCase{"SpacedNumbers", "x\ny\n1\n255 128 7\n", true, {{255, 128, 7}}},
        PaletteCase{"CommasAfterBlanks", "x\ny\n1\n  12,34,56\n", true, {{12, 34, 56}}},
        PaletteCase{"LowEightBitsKept", "x\ny\n1\n300 0 0\n", true, {{44, 0, 0}}},
        PaletteCase{
            "HugeNumberKeepsItsLowBits", "x\ny\n1\n4294967297 256 511\n", true, {{1, 0, 255}}},
        PaletteCase{
            "CountWithLeadingBlanks", "a\nb\n   2\n1 2 3\n4 5 6", true, {{1, 2, 3}, {4, 5, 6}}},
        PaletteCase{
            "MissingLinesAreBlack", "a\nb\n3\n9 9 9\n", true, {{9, 9, 9}, {0, 0, 0}, {0, 0, 0}}},
        PaletteCase{
            "NumbersWithoutDigitsAreZero", "a\nb\n2\nx7 8\n\n", true, {{0, 7, 8}, {0, 0, 0}}},
        PaletteCase{"CrLfAndLoneCr",
                    "a\r\nb\r3\r\n1 1 1\r2 2 2\r\n3 3 3\r\n",
                    true,
                    {{1, 1, 1}, {2, 2, 2}, {3, 3, 3}}},
        PaletteCase{"CountZeroIgnored", "a\nb\n0\n1 2 3\n", false, {}},
        PaletteCase{"NegativeCountIgnored", "a\nb\n-4\n1 2 3\n", false, {}},
        PaletteCase{"TextCountIgnored", "a\nb\nsixteen\n1 2 3\n", false, {}},
        PaletteCase{"TrailingTextAfterCountIgnored", "a\nb\n2 colours\n1 2 3\n", false, {}},
        PaletteCase{"CountBeyond32BitsIgnored", "a\nb\n99999999999\n1 2 3\n", false, {}},
        PaletteCase{"TooShortFile", "only one line", false, {}},
        PaletteCase{"EmptyFile", "", false, {}}),
    [](const auto& info) { return info.param.name; });

TEST(TilePaletteTest, KeepsTheFirst256ColoursOfALongerPalette) {
  std::string text = "palette\nfor tiles\n300\n";
  for (int i = 0; i < 300; ++i) text += std::to_string(i) + " 0 0\n";
  const std::optional<TilePalette> palette = ParseTilePalette(text);
  ASSERT_TRUE(palette);
  EXPECT_EQ(palette->DeclaredCount, 300);
  ASSERT_EQ(palette->Colours.size(), 256u);
  EXPECT_EQ(palette->Colours[255], (PaletteColour{255, 0, 0}));
}

TEST(TilePaletteTest, AHugeDeclaredCountDoesNotAllocateForIt) {
  const std::optional<TilePalette> palette = ParseTilePalette("a\nb\n2147483647\n1 2 3\n");
  ASSERT_TRUE(palette);
  EXPECT_EQ(palette->Colours.size(), 256u);
  EXPECT_EQ(palette->Colours[0], (PaletteColour{1, 2, 3}));
}

TEST(TilePaletteTest, UnreadableFileIsAnErrorNamingIt) {
  testing::TempFolder folder;
  const std::string path = folder / "Palette.txt";
  std::filesystem::create_directory(path);  // exists, but is no readable file
  try {
    LoadTilePalette(path);
    FAIL() << "expected an error";
  } catch (const CartozenError& error) {
    EXPECT_NE(std::string(error.what()).find(path), std::string::npos) << error.what();
  }
}

}  // namespace
}  // namespace cz
