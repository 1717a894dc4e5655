// BOUNDS: the ten bound types, the errors for bounds given before, the
// first-set rule, and what the bounds of each column imply afterwards.
#include "mps_read_fixture.h"

using korva::ReaderArrays;
using mps_test::count_of;
using mps_test::MpsReadTest;

namespace {

// Columns c (continuous), i (between integer markers) and s.
std::string with_bounds(const std::string& bounds) {
  return "NAME\nROWS\n N obj\n L r\nCOLUMNS\n    c  obj  1  r  1\n"
         "    MARKER  'MARKER'  'INTORG'\n    i  obj  1  r  1\n"
         "    MARKER  'MARKER'  'INTEND'\n    s  obj  1  r  1\n"
         "BOUNDS\n" +
         bounds + "ENDATA\n";
}

struct BoundCase {
  const char* lines;
  double lb[3], ub[3];
  const char* types;  // c i s
};

TEST_F(MpsReadTest, EachBoundTypeSetsItsBoundsAndType) {
  const BoundCase cases[] = {
      {" UP bnd c 4\n", {0, 0, 0}, {4, 1, 1e20}, "CBC"},
      {" lo bnd c 2\n", {2, 0, 0}, {1e20, 1, 1e20}, "CBC"},
      {" FX bnd c 3\n", {3, 0, 0}, {3, 1, 1e20}, "CBC"},
      {" FR bnd c\n", {-1e20, 0, 0}, {1e20, 1, 1e20}, "CBC"},
      {" MI bnd c\n UP bnd c 5\n", {-1e20, 0, 0}, {5, 1, 1e20}, "CBC"},
      {" PL bnd c\n", {0, 0, 0}, {1e20, 1, 1e20}, "CBC"},
      {" BV bnd c\n", {0, 0, 0}, {1, 1, 1e20}, "BBC"},
      {" UI bnd c 7\n", {0, 0, 0}, {7, 1, 1e20}, "IBC"},
      {" LI bnd c 2\n", {2, 0, 0}, {1e20, 1, 1e20}, "IBC"},
      {" SC bnd s 8\n", {0, 0, 1}, {1e20, 1, 8}, "CBS"},
      {" SC bnd i 8\n", {0, 1, 0}, {1e20, 8, 1e20}, "CNC"},
      {" SC bnd s 8\n LI bnd s 2\n", {0, 0, 2}, {1e20, 1, 8}, "CBN"},
      {" UP bnd i 1\n", {0, 0, 0}, {1e20, 1, 1e20}, "CBC"},
      {" UI bnd c 1\n", {0, 0, 0}, {1, 1, 1e20}, "BBC"},
  };
  for (const BoundCase& k : cases) {
    warnings->clear();
    const ReaderArrays m = read_ok(with_bounds(k.lines));
    EXPECT_EQ(m.lb, (std::vector<double>{k.lb[0], k.lb[1], k.lb[2]})) << k.lines;
    EXPECT_EQ(m.ub, (std::vector<double>{k.ub[0], k.ub[1], k.ub[2]})) << k.lines;
    EXPECT_EQ(std::string(m.ctype.begin(), m.ctype.end()), k.types) << k.lines;
  }
}

TEST_F(MpsReadTest, BoundLinesWithoutSetNameOrValue) {
  const ReaderArrays m = read_ok(with_bounds(" UP c 4\n FR s\n"));
  EXPECT_EQ(m.ub[0], 4);
  EXPECT_EQ(m.lb[2], -1e20);
  warnings->clear();
  const ReaderArrays n = read_ok(with_bounds(" LO bnd c\n"));
  EXPECT_EQ(n.lb[0], 0);
  EXPECT_EQ(warnings->text(), "Warning:  Empty numeric fields read as zeros.\n");
}

TEST_F(MpsReadTest, PriorBoundsMakeTheLineAnError) {
  const struct {
    const char* lines;
    const char* error;
  } cases[] = {
      {" UP b c 1\n UP b c 2\n", "KORVA Error  1458: Line 13: Repeated upper bound.\n"},
      {" LO b c 1\n LO b c 2\n", "KORVA Error  1459: Line 13: Repeated lower bound.\n"},
      {" LO b c 1\n FX b c 2\n",
       "KORVA Error  1454: Line 13: 'FX' bound type illegal when prior bound given.\n"},
      {" UP b c 1\n FR b c\n",
       "KORVA Error  1455: Line 13: 'FR' bound type illegal when prior bound given.\n"},
      {" MI b c\n LO b c 1\n", "KORVA Error  1459: Line 13: Repeated lower bound.\n"},
      {" UP b c 3\n PL b c\n", "KORVA Error  1458: Line 13: Repeated upper bound.\n"},
      {" LO b c 1\n BV b c\n",
       "KORVA Error  1456: Line 13: 'BV' bound type illegal when prior bound given.\n"},
      {" UP b c 1\n UI b c 2\n", "KORVA Error  1458: Line 13: Repeated upper bound.\n"},
      {" LO b c 1\n LI b c 2\n", "KORVA Error  1459: Line 13: Repeated lower bound.\n"},
      {" UP b s 1\n SC b s 2\n", "KORVA Error  1458: Line 13: Repeated upper bound.\n"},
      {" XX b c 1\n", "KORVA Error  1457: Line 12: Unrecognized bound type 'XX'.\n"},
      {" UP\n", "KORVA Error  1460: Line 12: Bound type missing.\n"},
      {" UP b nosuch 1\n", "KORVA Error  1449: Line 12: 'nosuch' is not a column name.\n"},
      {" UP b c 1x\n", "KORVA Error  1434: Line 12: Couldn't convert '1x' to a number.\n"},
  };
  for (const auto& k : cases) EXPECT_EQ(error_of(with_bounds(k.lines)), k.error) << k.lines;
}

TEST_F(MpsReadTest, OnlyTheFirstBoundSetIsUsed) {
  const ReaderArrays m = read_ok(with_bounds(" UP one c 4\n UP two s 5\n LO two c 1\n"));
  EXPECT_EQ(m.ub[0], 4);
  EXPECT_EQ(m.ub[2], 1e20);
  EXPECT_EQ(m.lb[0], 0);
  EXPECT_EQ(warnings->text(),
            "Warning:  More than one bound set specified. Only the first set is used.\n");
}

TEST_F(MpsReadTest, NegativeUpperBoundWithoutLowerMovesTheLowerToMinusInfinity) {
  const ReaderArrays m = read_ok(with_bounds(" UP bnd c -2\n"));
  EXPECT_EQ(m.lb[0], -1e20);
  EXPECT_EQ(m.ub[0], -2);
  EXPECT_EQ(warnings->text(),
            "Warning:  Lower bound on column 'c' in bound 'bnd'\n"
            "          changed to minus infinity.\n");
}

TEST_F(MpsReadTest, FreeAndFixedColumnsAreAnnounced) {
  read_ok(with_bounds(" MI bnd c\n UP bnd s 0\n"));
  EXPECT_EQ(warnings->text(),
            "Warning:  Column 'c' in bound 'bnd' is Free.\n"
            "Warning:  Column 's' in bound 'bnd' is Fixed.\n");
}

TEST_F(MpsReadTest, SemiContinuousColumnWithoutLowerBoundGetsOne) {
  read_ok(with_bounds(" SC bnd s 8\n"));
  EXPECT_EQ(warnings->text(),
            "Warning:  Lower bound of 1.0 assumed for semi-continuous column \n"
            "          's' in bound 'bnd'\n");
}

TEST_F(MpsReadTest, NonIntegralBoundOfAnIntegerColumnWarns) {
  const ReaderArrays m = read_ok(with_bounds(" UP bnd i 2.5\n"));
  EXPECT_EQ(m.ctype[1], 'I');
  EXPECT_EQ(warnings->text(), "Warning:  Non-integral bound value 2.5 for integer column 'i'.\n");
}

TEST_F(MpsReadTest, BoundRuleWarningsStopAfterTwentyOfEachKind) {
  std::string text = "NAME\nROWS\n N obj\nCOLUMNS\n";
  for (int k = 0; k < 25; ++k) text += "    x" + std::to_string(k) + "  obj  1\n";
  text += "BOUNDS\n";
  for (int k = 0; k < 25; ++k) text += " MI bnd x" + std::to_string(k) + "\n";
  text += "ENDATA\n";
  read_ok(text);
  EXPECT_EQ(count_of(warnings->text(), "is Free.\n"), 20);
  EXPECT_NE(warnings->text().find("5 Column-free warnings not printed.\n"), std::string::npos);
}

}  // namespace
