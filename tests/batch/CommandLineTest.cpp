#include "batch/CommandLine.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>

namespace cz {
namespace {

TEST(StartUpTimer, ShortWithArgumentsLongWithout) {
  EXPECT_EQ(StartUpTimerInterval(0), 3000);
  EXPECT_EQ(StartUpTimerInterval(1), 100);
  EXPECT_EQ(StartUpTimerInterval(12), 100);
}

struct NumberCase {
  const char* text;
  bool ok;
  float value;
};

class LocaleNumbers : public ::testing::TestWithParam<NumberCase> {};

TEST_P(LocaleNumbers, CLocale) {
  float value = -1.0f;
  EXPECT_EQ(ParseLocaleFloat(GetParam().text, value), GetParam().ok) << GetParam().text;
  if (GetParam().ok) {
    EXPECT_EQ(value, GetParam().value);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, LocaleNumbers,
    ::testing::Values(NumberCase{"48", true, 48}, NumberCase{" 6.5 ", true, 6.5f},
                      NumberCase{"-0.25", true, -0.25f}, NumberCase{"+2", true, 2},
                      NumberCase{"1e1", true, 10}, NumberCase{"48.1", true, 48.1f},
                      NumberCase{"", false, 0}, NumberCase{"x", false, 0},
                      NumberCase{"4,5", false, 0}, NumberCase{"4.5.", false, 0},
                      NumberCase{"inf", false, 0}, NumberCase{"nan", false, 0},
                      NumberCase{"1e40", false, 0}, NumberCase{"0x10", false, 0}));

TEST(LocaleNumbers, CommaLocaleTakesOnlyItsSeparator) {
  const std::string previous = std::setlocale(LC_NUMERIC, nullptr);
  if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8")) GTEST_SKIP() << "no de_DE locale";
  float value = 0;
  EXPECT_TRUE(ParseLocaleFloat("48,5", value));
  EXPECT_EQ(value, 48.5f);
  EXPECT_FALSE(ParseLocaleFloat("48.5", value));
  std::setlocale(LC_NUMERIC, previous.c_str());
}

TEST(SwitchValues, ResolutionTextsAndIntegers) {
  EXPECT_EQ(ResolutionBit("0.25"), 1);
  EXPECT_EQ(ResolutionBit("0.5"), 2);
  EXPECT_EQ(ResolutionBit("1"), 4);
  EXPECT_EQ(ResolutionBit("2"), 8);
  EXPECT_EQ(ResolutionBit("4"), 16);
  EXPECT_EQ(ResolutionBit("1.0"), 0);
  EXPECT_EQ(ResolutionBit(" 1"), 0);
  EXPECT_EQ(IntegerOrZero("-47"), -47);
  EXPECT_EQ(IntegerOrZero("+8"), 8);
  EXPECT_EQ(IntegerOrZero("8x"), 0);
  EXPECT_EQ(IntegerOrZero("99999999999"), 0);
}

}  // namespace
}  // namespace cz
