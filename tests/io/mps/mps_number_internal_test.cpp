// Numbers of MPS files: reading, the round trip through the 15-digit layout
// (exact for values of at most 15 significant digits) and the 12-character
// layout by magnitude.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>

#include "io/mps/mps_number.h"
#include "io/number_format.h"

namespace {

// The writers' common 15-digit layout.
std::string text15(double v) {
  char buffer[korva::kNumberTextSize];
  bool ok = true;
  return std::string(buffer, korva::format_number(v, buffer, ok));
}

std::string text12(double v) {
  char buffer[korva::mps::kMaxNumberText];
  bool ok = true;
  return std::string(buffer, korva::mps::format_number12(v, buffer, ok));
}

TEST(MpsNumber, ParsesDecimalsWithAnyExponentLetter) {
  double v = 0;
  for (const auto& [text, value] : std::initializer_list<std::pair<const char*, double>>{
           {"1", 1}, {"-2.5", -2.5}, {"+.5", 0.5}, {"1.5D+03", 1500}, {"2d-1", 0.2},
           {"3E2", 300}, {"-0", 0}, {"1e-400", 0}, {"Inf", 1e20}, {"-infinity", -1e20}}) {
    ASSERT_TRUE(korva::mps::parse_number(text, v)) << text;
    EXPECT_EQ(v, value) << text;
  }
  for (const char* bad : {"", "+", "-", "1x", "1e", "1D", "e5", "+-1", "nan", "1e400", "0x10",
                          "1,5"})
    EXPECT_FALSE(korva::mps::parse_number(bad, v)) << bad;
}

TEST(MpsNumber, FifteenDigitsReadBackExactly) {
  std::mt19937_64 random(7);
  std::uniform_int_distribution<long long> mantissa(1, 999999999999999LL);
  std::uniform_int_distribution<int> exponent(-30, 30);
  for (int k = 0; k < 100000; ++k) {
    const std::string decimal =
        std::to_string(mantissa(random)) + "e" + std::to_string(exponent(random) - 14);
    double v = 0, back = 0;
    ASSERT_TRUE(korva::mps::parse_number(decimal, v));
    ASSERT_TRUE(korva::mps::parse_number(text15(v), back));
    ASSERT_EQ(v, back) << decimal << " -> " << text15(v);
  }
}

TEST(MpsNumber, TwelveCharacterLayoutByMagnitude) {
  const std::pair<double, const char*> cases[] = {
      {0.1, "0.1"},
      {0, "0"},
      {1.0 / 3, "0.3333333333"},
      {-1.0 / 3, "-0.333333333"},
      {2.0 / 3 * 100, "66.666666667"},
      {-2.0 / 3 * 100, "-66.66666667"},
      {1234567890123.0, "1.234568E+12"},
      {123456789012.0, "123456800000"},
      {-12345678901.0, "-12345700000"},
      {1.0 / 3 * 1e-3, "3.3333333E-4"},
      {-1.0 / 3 * 1e-3, "-3.333333E-4"},
      {-0.0123456789, "-0.012345679"},
      {0.0123456789012, "0.0123456789"},
      {1.0 / 3 * 1e-50, "3.333333E-51"},
      {-1.0 / 3 * 1e-50, "-3.33333E-51"},
      {1.0 / 3 * 1e-150, "3.33333E-151"},
      {-1.0 / 3 * 1e-150, "-3.3333E-151"},
      {1.0 / 3 * 1e150, "3.33333E+149"},
      {-1.0 / 3 * 1e150, "-3.3333E+149"},
      {1e20, "1E+20"},
  };
  for (const auto& [value, text] : cases) EXPECT_EQ(text12(value), text) << value;
}

TEST(MpsNumber, TwelveCharacterLayoutNeverExceedsItsField) {
  std::mt19937_64 random(11);
  std::uniform_real_distribution<double> mantissa(-10, 10);
  std::uniform_int_distribution<int> exponent(-300, 300);
  for (int k = 0; k < 200000; ++k) {
    const double v = mantissa(random) * std::pow(10.0, exponent(random));
    const std::string t = text12(v);
    ASSERT_LE(t.size(), 12u) << v;
    double back = 0;
    ASSERT_TRUE(korva::mps::parse_number(t, back));
    if (v != 0) {
      ASSERT_LE(std::fabs(back - v) / std::fabs(v), 5e-5) << v << " " << t;
    }
  }
}

// The column layout (names with blanks): the shortest exact text within 12
// characters, fixed notation when it fits.
std::string shortest12(double v) {
  char buffer[korva::mps::kMaxNumberText];
  bool ok = true;
  return std::string(buffer, korva::mps::format_shortest12(v, buffer, ok));
}

TEST(MpsNumber, ColumnLayoutKeepsEveryTwelveCharacterValueExact) {
  EXPECT_EQ(shortest12(200000), "200000");
  EXPECT_EQ(shortest12(-0.1234567891), "-.1234567891");
  EXPECT_EQ(shortest12(1.2345678e-5), "1.2345678E-5");
  EXPECT_EQ(shortest12(9311669565e9), "9311669565E9");
  EXPECT_EQ(shortest12(1e-300), "1E-300");
  EXPECT_EQ(shortest12(2.5e20), "25E19");
  EXPECT_EQ(shortest12(0.0), "0");
  // Any value read from a 12-character field comes back bit-identical.
  std::mt19937_64 random(7);
  std::uniform_int_distribution<long long> mantissa(-9999999999LL, 9999999999LL);
  std::uniform_int_distribution<int> exponent(-30, 30);
  for (int k = 0; k < 20000; ++k) {
    char field[32];
    std::snprintf(field, sizeof field, "%lldE%d", mantissa(random), exponent(random));
    if (std::strlen(field) > 12) continue;
    double value = 0, back = 0;
    ASSERT_TRUE(korva::mps::parse_number(field, value));
    const std::string text = shortest12(value);
    ASSERT_LE(text.size(), 12u) << field;
    ASSERT_TRUE(korva::mps::parse_number(text, back));
    ASSERT_EQ(back, value) << field << " " << text;
  }
}

}  // namespace
