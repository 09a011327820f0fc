#include "platform/LocaleNumber.h"

#include <gtest/gtest.h>

#include <optional>

namespace cz {
namespace {

struct DecimalCase {
  const char* text;
  const char* separator;
  std::optional<double> value;
};

class DecimalTexts : public ::testing::TestWithParam<DecimalCase> {};

TEST_P(DecimalTexts, ConvertOnlyWholeDecimalNumbers) {
  EXPECT_EQ(ParseDecimal(GetParam().text, GetParam().separator), GetParam().value)
      << "'" << GetParam().text << "'";
}

INSTANTIATE_TEST_SUITE_P(
    LocaleNumber, DecimalTexts,
    ::testing::Values(
        DecimalCase{"53.5", ".", 53.5}, DecimalCase{" -0.25\r", ".", -0.25},
        DecimalCase{"+4", ".", 4.0}, DecimalCase{".5", ".", 0.5}, DecimalCase{"5.", ".", 5.0},
        DecimalCase{"1e3", ".", 1000.0}, DecimalCase{"2.5E-1", ".", 0.25},
        DecimalCase{"53,5", ",", 53.5}, DecimalCase{"53.5", ",", std::nullopt},
        DecimalCase{"53,5", ".", std::nullopt}, DecimalCase{"", ".", std::nullopt},
        DecimalCase{".", ".", std::nullopt}, DecimalCase{"-", ".", std::nullopt},
        DecimalCase{"1e", ".", std::nullopt}, DecimalCase{"1.2.3", ".", std::nullopt},
        DecimalCase{"1 2", ".", std::nullopt}, DecimalCase{"inf", ".", std::nullopt},
        DecimalCase{"nan", ".", std::nullopt}, DecimalCase{"0x1p3", ".", std::nullopt},
        DecimalCase{"1e400", ".", std::nullopt}, DecimalCase{"--1", ".", std::nullopt}));

TEST(LocaleNumberTest, TheCLocaleUsesAPoint) {
  EXPECT_EQ(LocaleDecimalSeparator(), ".");
  EXPECT_EQ(ParseLocaleDecimal("0.001953125"), 0.001953125);
}

}  // namespace
}  // namespace cz
