// The sections after BOUNDS: quadratic objective, quadratic constraints,
// special ordered sets and indicator constraints.
#include "mps_read_fixture.h"

using korva::ReaderArrays;
using mps_test::count_of;
using mps_test::MpsReadTest;

namespace {

std::string with(const std::string& tail) {
  return "NAME\nROWS\n N obj\n L q\n G g\n E e\n L lim\nCOLUMNS\n"
         "    x  obj  1  q  1\n    y  g  1  e  1\n    z  lim  1\n"
         "RHS\n    rhs  q  4  g  2\n    rhs  e  1\nBOUNDS\n UP bnd z 1\n" +
         tail + "ENDATA\n";
}

TEST_F(MpsReadTest, QmatrixIsTheFullSymmetricMatrix) {
  const ReaderArrays m = read_ok(with("QMATRIX\n    x  x  2\n    x  y  -1\n    y  x  -1\n"));
  EXPECT_EQ(m.qmatbeg, (std::vector<int64_t>{0, 2, 3}));
  EXPECT_EQ(m.qmatcnt, (std::vector<int>{2, 1, 0}));
  EXPECT_EQ(m.qmatind, (std::vector<int>{0, 1, 0}));
  EXPECT_EQ(m.qmatval, (std::vector<double>{2, -1, -1}));
}

TEST_F(MpsReadTest, QuadobjGivesEachPairOnce) {
  const ReaderArrays m = read_ok(with("QUADOBJ\n    x  x  2\n    x  y  -1\n"));
  EXPECT_EQ(m.qmatind, (std::vector<int>{0, 1, 0}));
  EXPECT_EQ(m.qmatval, (std::vector<double>{2, -1, -1}));
}

TEST_F(MpsReadTest, QcmatrixTurnsItsRowIntoAQuadraticConstraint) {
  const ReaderArrays m =
      read_ok(with("QCMATRIX   q\n    x  x  1\n    x  y  0.5\n    y  x  0.5\n"));
  EXPECT_EQ(m.row_names, (std::vector<std::string>{"g", "e", "lim"}));
  ASSERT_EQ(m.qconstraints.size(), 1u);
  const korva::ReaderQConstraint& qc = m.qconstraints[0];
  EXPECT_EQ(qc.name, "q");
  EXPECT_EQ(qc.sense, 'L');
  EXPECT_EQ(qc.rhs, 4);
  EXPECT_EQ(qc.linind, (std::vector<int>{0}));
  EXPECT_EQ(qc.quadrow, (std::vector<int>{0, 0}));
  EXPECT_EQ(qc.quadcol, (std::vector<int>{0, 1}));
  EXPECT_EQ(qc.quadval, (std::vector<double>{1, 1}));
}

TEST_F(MpsReadTest, QuadraticConstraintsCanBeSwitchedOff) {
  korva::mps::ReadOptions options;
  options.quadratic_constraints = false;
  ReaderArrays m;
  ASSERT_EQ(read(with("QCMATRIX   q\n    x  x  1\n"), m, options), 0);
  EXPECT_TRUE(m.qconstraints.empty());
  EXPECT_EQ(m.num_rows(), 4);
  EXPECT_EQ(warnings->text(), "Warning:  Quadratic constraints ignored.\n");
}

TEST_F(MpsReadTest, QcmatrixOnAnEqualityIsAnError) {
  EXPECT_EQ(error_of(with("QCMATRIX   e\n    x  x  1\n")),
            "KORVA Error  1437: Line 17: Illegal quadratic constraint sense.\n");
}

TEST_F(MpsReadTest, SosSectionReadsSetsAndMembers) {
  const ReaderArrays m =
      read_ok(with("SOS\n S1 first\n    x  1\n    y  2\n S2 second\n    z  1.5\n    w  3\n"));
  ASSERT_EQ(m.sos.size(), 2u);
  EXPECT_EQ(m.sos[0].type, '1');
  EXPECT_EQ(m.sos[0].name, "first");
  EXPECT_EQ(m.sos[0].indices, (std::vector<int>{0, 1}));
  EXPECT_EQ(m.sos[0].weights, (std::vector<double>{1, 2}));
  EXPECT_EQ(m.sos[1].type, '2');
  EXPECT_EQ(m.sos[1].indices, (std::vector<int>{2}));
  EXPECT_EQ(warnings->text(), "Warning, line 23: 'w' is not a variable.\n");
}

TEST_F(MpsReadTest, SosHeaderErrors) {
  EXPECT_EQ(error_of(with("SOS\n S\n")), "KORVA Error  3301: Line 18: Missing SOS type.\n");
  EXPECT_EQ(error_of(with("SOS\n S3 set\n")),
            "KORVA Error  1442: Line 18: Unrecognized SOS type: S3.\n");
  EXPECT_EQ(error_of(with("SOS\n    x  1\n")), "KORVA Error  3301: Line 18: Missing SOS type.\n");
}

TEST_F(MpsReadTest, IndicatorsTakeTheirRowOutOfTheModel) {
  const ReaderArrays m = read_ok(with("INDICATORS\n IF g z 1\n IF e z 0\n"));
  EXPECT_EQ(m.row_names, (std::vector<std::string>{"q", "lim"}));
  ASSERT_EQ(m.indicators.size(), 2u);
  EXPECT_EQ(m.indicators[0].name, "g");
  EXPECT_EQ(m.indicators[0].indicator, 2);
  EXPECT_EQ(m.indicators[0].complemented, 0);
  EXPECT_EQ(m.indicators[0].sense, 'G');
  EXPECT_EQ(m.indicators[0].rhs, 2);
  EXPECT_EQ(m.indicators[0].linind, (std::vector<int>{1}));
  EXPECT_EQ(m.indicators[1].complemented, 1);
  EXPECT_EQ(warnings->text(), "");
}

TEST_F(MpsReadTest, IndicatorErrors) {
  EXPECT_EQ(error_of(with("INDICATORS\n IF g z 2\n")),
            "KORVA Error  1439: Line 18: Illegal indicator constraint.\n");
  EXPECT_EQ(error_of(with("INDICATORS\n XX g z 1\n")),
            "KORVA Error  1439: Line 18: Illegal indicator constraint.\n");
  EXPECT_EQ(error_of(with("INDICATORS\n IF obj z 1\n")),
            "KORVA Error  1439: Line 18: Illegal indicator constraint.\n");
  EXPECT_EQ(error_of(with("INDICATORS\n IF g z 1\n IF g z 1\n")),
            "KORVA Error  1445: Row 'g' repeats.\n");
  EXPECT_EQ(error_of(with("QCMATRIX   q\n    x x 1\nINDICATORS\n IF q z 1\n")),
            "KORVA Error  1605: Line 20: Illegal quadratic term in a constraint.\n");
}

TEST_F(MpsReadTest, IndicatorColumnsWithOtherBoundsWarn) {
  read_ok(with("INDICATORS\n IF g x 1\n"));
  EXPECT_EQ(warnings->text(),
            "Warning: indicator variable 'x' has upper bound other than 1.0.\n");
}

}  // namespace
