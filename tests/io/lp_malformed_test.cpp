// Malformed LP files never crash the reader: truncated files, binary
// garbage, enormous names and expressions continued over very many lines
// end in an error with its line number, or in a model.
#include <random>

#include "io/lp_test_support.h"

namespace korva_test {
namespace {

using LpMalformed = LpFileTest;

const char* const kModel =
    "Maximize\n obj: 3 x + 2 y - z + [ x ^ 2 + 2 x * y ] / 2\nSubject To\n c1: x + y <= 4\n"
    " c2: x - z >= -2\n i1: b = 1 -> x + z <= 3\n q1: x + [ y ^ 2 ] <= 9\nBounds\n"
    " -1 <= z <= 5\n y free\nGenerals\n z\nBinaries\n b\nSOS\n s1: S1:: x:1 y:2\nEnd\n";

TEST_F(LpMalformed, EveryTruncationReadsOrFailsCleanly) {
  const std::string text = kModel;
  for (size_t cut = 0; cut < text.size(); ++cut) {
    errors->clear();
    const int status = read_text(text.substr(0, cut), "cut.lp", "LP");
    if (status != 0) {
      EXPECT_NE(errors->text().find("KORVA Error"), std::string::npos) << cut;
    }
  }
}

TEST_F(LpMalformed, BinaryGarbage) {
  std::mt19937 random(7);
  for (int round = 0; round < 50; ++round) {
    std::string text = "min\n";
    for (int k = 0; k < 2000; ++k) text.push_back(static_cast<char>(random() & 0xff));
    read_text(text, "garbage.lp", "LP");  // any outcome but a crash
    std::string noise;
    for (int k = 0; k < 2000; ++k) noise.push_back(static_cast<char>(random() & 0xff));
    read_text(noise, "noise.lp", "LP");
  }
}

TEST_F(LpMalformed, HundredThousandCharacterNames) {
  const std::string name(100000, 'n');
  // Alone, or after a sign: what is left after the cut has no sign to cut at.
  EXPECT_EQ(read_text("min\n " + name + "\nend\n"), 1464);
  EXPECT_EQ(errors->text(), "KORVA Error  1464: Line 2: Identifier/name too long to process.\n");
  errors->clear();
  EXPECT_EQ(read_text("min\n x + " + name + "\nend\n"), 1464);
  // As a label and in the bounds.
  EXPECT_EQ(read_text("min\n x\nst\n " + name + ": x >= 1\nend\n"), 1464);
  EXPECT_EQ(read_text("min\n x\nbounds\n " + name + " <= 1\nend\n"), 1464);
}

TEST_F(LpMalformed, DeeplyContinuedExpressions) {
  std::string text = "min\n obj: x0\n";
  const int n = 200000;
  for (int k = 1; k < n; ++k) text += "+\nx" + std::to_string(k % 1000) + "\n";
  text += "st\n c: x0\n";
  for (int k = 0; k < n; ++k) text += "+\n";
  text += "x1 <= 1\nend\n";
  EXPECT_EQ(read_text(text), 1602);
  // The objective takes lines 2 to 2n, the row starts on line 2n + 2.
  EXPECT_EQ(errors->text(), "KORVA Error  1602: Lines " + std::to_string(2 * n + 3) + "," +
                                std::to_string(2 * n + 4) + ": Adjacent signs.\n");
}

}  // namespace
}  // namespace korva_test
