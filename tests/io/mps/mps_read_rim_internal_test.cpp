// RHS and RANGES: set names, the objective and free rows, repeats and the
// direction of ranges by row type.
#include "mps_read_fixture.h"

using korva::ReaderArrays;
using mps_test::count_of;
using mps_test::MpsReadTest;

namespace {

std::string model(const std::string& rim) {
  return "NAME\nROWS\n N obj\n N spare\n G g\n L l\n E e\nCOLUMNS\n"
         "    x  obj  1  g  1\n    x  l  1  e  1\n" +
         rim + "ENDATA\n";
}

TEST_F(MpsReadTest, OnlyTheFirstRhsSetIsUsed) {
  const ReaderArrays m = read_ok(model("RHS\n    first  g  1\n    second  l  5\n    first  e  3\n"));
  EXPECT_EQ(m.rhs, (std::vector<double>{1, 0, 3}));
}

TEST_F(MpsReadTest, BlankRhsSetNameBecomesRhs) {
  const ReaderArrays m = read_ok(model("RHS\n    g  1  l  2\n    e  3\n"));
  EXPECT_EQ(m.rhs, (std::vector<double>{1, 2, 3}));
  EXPECT_EQ(warnings->text(), "Warning:  Blank RHS name changed to 'rhs'.\n");
}

TEST_F(MpsReadTest, BlankRhsSetNameStaysWhenAColumnIsNamedRhs) {
  read_ok("NAME\nROWS\n N obj\n L r\nCOLUMNS\n    rhs  obj  1\nRHS\n    r  4\nENDATA\n");
  EXPECT_EQ(warnings->text(),
            "Warning:  Blank RHS name unchanged.  Column with name 'rhs' already exists.\n");
}

TEST_F(MpsReadTest, ObjectiveEntriesInRhsAreIgnoredAndCountedAfterTwenty) {
  std::string rim = "RHS\n";
  for (int k = 0; k < 23; ++k) rim += "    rhs  obj  7\n";
  const ReaderArrays m = read_ok(model(rim));
  EXPECT_EQ(m.rhs, (std::vector<double>{0, 0, 0}));
  const std::string& w = warnings->text();
  EXPECT_EQ(count_of(w, "OBJ coefficient in RHS section ignored.\n"), 20);
  EXPECT_NE(w.find("Warning, line 12:  OBJ coefficient in RHS section ignored.\n"),
            std::string::npos);
  EXPECT_NE(w.find("3 OBJ warnings not printed.\n"), std::string::npos);
}

TEST_F(MpsReadTest, RhsOnAFreeRowIsIgnored) {
  const ReaderArrays m = read_ok(model("RHS\n    rhs  spare  7  g  1\n"));
  EXPECT_EQ(m.rhs, (std::vector<double>{1, 0, 0}));
  EXPECT_EQ(warnings->text(), "Warning:  RHS 'rhs' value for free row 'spare' ignored.\n");
}

TEST_F(MpsReadTest, RangeDirectionFollowsTheRowType) {
  const ReaderArrays m = read_ok(
      model("RHS\n    rhs  g  1  l  10\n    rhs  e  10\n"
            "RANGES\n    rng  g  -3  l  3\n    rng  e  -4\n"));
  EXPECT_EQ(m.sense, (std::vector<char>{'R', 'R', 'R'}));
  // G: [1, 4]; L: [7, 10]; E with -4: [6, 10].
  EXPECT_EQ(m.rhs, (std::vector<double>{1, 10, 10}));
  EXPECT_EQ(m.range, (std::vector<double>{3, -3, -4}));
}

TEST_F(MpsReadTest, PositiveRangeOnAnEqualityGoesUp) {
  const ReaderArrays m = read_ok(model("RHS\n    rhs  e  10\nRANGES\n    rng  e  4\n"));
  EXPECT_EQ(m.sense, (std::vector<char>{'G', 'L', 'R'}));
  EXPECT_EQ(m.range, (std::vector<double>{0, 0, 4}));
}

TEST_F(MpsReadTest, RangeOnAFreeRowOrTheObjectiveIsIgnored) {
  const ReaderArrays m = read_ok(model("RANGES\n    rng  spare  1  obj  2\n"));
  EXPECT_TRUE(m.range.empty());
  EXPECT_EQ(warnings->text(),
            "Warning:  RANGES 'rng' value for free row 'spare' ignored.\n"
            "Warning:  Objective coefficient in RANGES section ignored.\n");
}

TEST_F(MpsReadTest, RepeatedRangeOrRhsIsAnError) {
  EXPECT_EQ(error_of(model("RANGES\n    rng  g  1\n    rng  g  2\n")),
            "KORVA Error  1444: RANGES 'rng' has repeated row 'g'.\n");
  EXPECT_EQ(error_of(model("RHS\n    rhs  g  1  g  2\n")),
            "KORVA Error  1444: RHS 'rhs' has repeated row 'g'.\n");
}

TEST_F(MpsReadTest, RangesAfterBoundsIsOutOfOrder) {
  EXPECT_EQ(error_of(model("BOUNDS\n UP bnd x 1\nRANGES\n    rng g 1\n")),
            "KORVA Error  1474: Line 13: 'RANGES' section out of order.\n");
}

TEST_F(MpsReadTest, RangesOnUserCutsAreIllegal) {
  EXPECT_EQ(error_of("NAME\nROWS\n N obj\nUSERCUTS\n L cut\nCOLUMNS\n    x cut 1\n"
                     "RANGES\n    rng cut 1\nENDATA\n"),
            "KORVA Error  1438: Line 9: Illegal lazy constraint or user cut.\n");
}

}  // namespace
