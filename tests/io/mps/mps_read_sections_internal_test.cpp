// The MPS reader's sections in order: NAME, the objective sections, ROWS,
// USERCUTS and LAZYCONS, COLUMNS with its markers, and the end of the file.
#include "mps_read_fixture.h"

using korva::ReaderArrays;
using mps_test::count_of;
using mps_test::MpsReadTest;

namespace {

const char* const kSmall =
    "NAME          small\n"
    "ROWS\n"
    " N  cost\n"
    " L  lim\n"
    " G  dem\n"
    " E  bal\n"
    "COLUMNS\n"
    "    x  cost  1  lim  2\n"
    "    x  dem  1\n"
    "    y  cost  -3  bal  1\n"
    "RHS\n"
    "    rhs  lim  4  dem  1\n"
    "    rhs  bal  2\n"
    "ENDATA\n";

TEST_F(MpsReadTest, ReadsRowsColumnsAndRightHandSides) {
  const ReaderArrays m = read_ok(kSmall);
  EXPECT_EQ(m.objname, "cost");
  EXPECT_EQ(m.objsense, 1);
  EXPECT_EQ(m.row_names, (std::vector<std::string>{"lim", "dem", "bal"}));
  EXPECT_EQ(m.sense, (std::vector<char>{'L', 'G', 'E'}));
  EXPECT_EQ(m.rhs, (std::vector<double>{4, 1, 2}));
  EXPECT_EQ(m.col_names, (std::vector<std::string>{"x", "y"}));
  EXPECT_EQ(m.obj, (std::vector<double>{1, -3}));
  EXPECT_EQ(m.lb, (std::vector<double>{0, 0}));
  EXPECT_EQ(m.ub, (std::vector<double>{1e20, 1e20}));
  EXPECT_EQ(m.matbeg, (std::vector<int64_t>{0, 2}));
  EXPECT_EQ(m.matcnt, (std::vector<int>{2, 1}));
  EXPECT_EQ(m.matind, (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(m.matval, (std::vector<double>{2, 1, 1}));
  EXPECT_TRUE(m.ctype.empty());
  EXPECT_TRUE(m.range.empty());
  EXPECT_EQ(warnings->text(), "");
}

TEST_F(MpsReadTest, SkipsCommentsAndBlankLinesAndAcceptsCrLfAndTabs) {
  const ReaderArrays m = read_ok(
      "* a comment before NAME\r\n"
      "NAME          crlf\r\n"
      "ROWS\r\n"
      "\r\n"
      "\t N\tcost\r\n"
      "* comment inside a section\r\n"
      " L  lim\r\n"
      "\x01 control characters start comments too\r\n"
      "COLUMNS\r\n"
      "    x\tcost\t1\tlim\t1\r\n"
      "   \r\n"
      "RHS\r\n"
      "    rhs  lim  5\r\n"
      "ENDATA\r\n");
  EXPECT_EQ(m.row_names, (std::vector<std::string>{"lim"}));
  EXPECT_EQ(m.rhs, (std::vector<double>{5}));
  EXPECT_EQ(m.obj, (std::vector<double>{1}));
}

TEST_F(MpsReadTest, ReadsFortranExponentsAndSignedNumbers) {
  const ReaderArrays m = read_ok(
      "NAME\nROWS\n N obj\n L r\nCOLUMNS\n"
      "    a  obj  1.5D+03  r  -2.5d-1\n"
      "    b  obj  +4E2  r  .5\n"
      "    c  obj  1e-400  r  -7.\n"
      "ENDATA\n");
  EXPECT_EQ(m.obj, (std::vector<double>{1500, 400, 0}));
  EXPECT_EQ(m.matval, (std::vector<double>{-0.25, 0.5, -7}));
}

TEST_F(MpsReadTest, SectionHeadersIgnoreCase) {
  const ReaderArrays m = read_ok(
      "name lower\nrows\n n obj\n l r\ncolumns\n    x obj 1 r 1\nrhs\n    rhs r 2\nendata\n");
  EXPECT_EQ(m.sense, (std::vector<char>{'L'}));
  EXPECT_EQ(m.rhs, (std::vector<double>{2}));
}

TEST_F(MpsReadTest, ObjectiveIsTheFirstNRowAndOtherFreeRowsAreDeleted) {
  const ReaderArrays m = read_ok(
      "NAME\nROWS\n L r1\n N first\n N second\n N third\nCOLUMNS\n"
      "    x  first  1  second  2\n    x  third  3  r1  4\nENDATA\n");
  EXPECT_EQ(m.objname, "first");
  EXPECT_EQ(m.obj, (std::vector<double>{1}));
  EXPECT_EQ(m.row_names, (std::vector<std::string>{"r1"}));
  EXPECT_EQ(m.matval, (std::vector<double>{4}));
  EXPECT_EQ(results->text(), "  [2 free rows deleted]\n");
}

TEST_F(MpsReadTest, OneFreeRowDeletedIsSingular) {
  read_ok("NAME\nROWS\n N obj\n N spare\n E r\nCOLUMNS\n    x obj 1 spare 1\nENDATA\n");
  EXPECT_EQ(results->text(), "  [1 free row deleted]\n");
}

TEST_F(MpsReadTest, ObjnameSelectsTheObjectiveRow) {
  const ReaderArrays m = read_ok(
      "NAME\nOBJNAME\n    second\nROWS\n N first\n N second\nCOLUMNS\n"
      "    x  first  1  second  2\nENDATA\n");
  EXPECT_EQ(m.objname, "second");
  EXPECT_EQ(m.obj, (std::vector<double>{2}));
}

TEST_F(MpsReadTest, UnknownObjnameFallsBackToTheFirstNRow) {
  const ReaderArrays m =
      read_ok("NAME\nOBJNAME\n    nothere\nROWS\n N first\nCOLUMNS\n    x first 1\nENDATA\n");
  EXPECT_EQ(m.objname, "first");
  EXPECT_EQ(warnings->text(), "Warning:  Specified objective 'nothere' not found.\n");
}

TEST_F(MpsReadTest, ObjsenseAcceptsWordsBeginningWithMaxOrMin) {
  for (const char* word : {"MAX", "maximize", "Maximise", "MAXIMUM"}) {
    const ReaderArrays m = read_ok(std::string("NAME\nOBJSENSE\n    ") + word +
                                   "\nROWS\n N obj\nCOLUMNS\n    x obj 1\nENDATA\n");
    EXPECT_EQ(m.objsense, -1) << word;
  }
  const ReaderArrays m =
      read_ok("NAME\nOBJSENSE\n    MINIMIZE\nROWS\n N obj\nCOLUMNS\n    x obj 1\nENDATA\n");
  EXPECT_EQ(m.objsense, 1);
}

TEST_F(MpsReadTest, VerboseSwitchReportsSenseAndSelectedNames) {
  ASSERT_EQ(KRVsetintparam(env, korva::mps::kVerboseReadParam, 1), 0);
  read_ok(
      "NAME\nROWS\n N obj\n L r\nCOLUMNS\n    x obj 1 r 1\nRHS\n    set1 r 1\n"
      "RANGES\n    rng r 2\nBOUNDS\n UP bnd x 4\nENDATA\n");
  EXPECT_EQ(results->text(),
            "Selected objective sense:  MINIMIZE\n"
            "Selected objective  name:  obj\n"
            "Selected RHS        name:  set1\n"
            "Selected RANGES     name:  rng\n"
            "Selected BOUNDS     name:  bnd\n");
  results->clear();
  read_ok("NAME\nOBJSENSE\n    MAX\nROWS\n N obj\nCOLUMNS\n    x obj 1\nENDATA\n");
  EXPECT_EQ(results->text(),
            "Specified objective sense: MAXIMIZE\nSelected objective  name:  obj\n");
}

TEST_F(MpsReadTest, VerboseLinesAreOffByDefault) {
  read_ok(kSmall);
  EXPECT_EQ(results->text(), "");
}

TEST_F(MpsReadTest, OtherSectionsBeforeRowsAreSkippedWithAWarning) {
  const ReaderArrays m = read_ok(
      "NAME\nRANGES\n    junk  here  1\nROWS\n N obj\nCOLUMNS\n    x obj 1\nENDATA\n");
  EXPECT_EQ(m.num_cols(), 1);
  EXPECT_EQ(warnings->text(), "Warning, line 2:  RANGES section illegal or out of order.\n");
}

TEST_F(MpsReadTest, UserCutsAndLazyConstraintsBecomeRowPools) {
  const ReaderArrays m = read_ok(
      "NAME\nROWS\n N obj\n L r\nUSERCUTS\n G cut\nLAZYCONS\n E lazy1\n L lazy2\nCOLUMNS\n"
      "    x  obj  1  r  1\n    x  cut  2  lazy1  3\n    y  lazy2  4  cut  5\n"
      "RHS\n    rhs  cut  6  lazy2  7\nENDATA\n");
  EXPECT_EQ(m.row_names, (std::vector<std::string>{"r"}));
  EXPECT_EQ(m.matind, (std::vector<int>{0}));
  EXPECT_EQ(m.user_cuts.names, (std::vector<std::string>{"cut"}));
  EXPECT_EQ(m.user_cuts.sense, (std::vector<char>{'G'}));
  EXPECT_EQ(m.user_cuts.rhs, (std::vector<double>{6}));
  EXPECT_EQ(m.user_cuts.begin, (std::vector<int64_t>{0}));
  EXPECT_EQ(m.user_cuts.index, (std::vector<int>{0, 1}));
  EXPECT_EQ(m.user_cuts.value, (std::vector<double>{2, 5}));
  EXPECT_EQ(m.lazy_constraints.names, (std::vector<std::string>{"lazy1", "lazy2"}));
  EXPECT_EQ(m.lazy_constraints.begin, (std::vector<int64_t>{0, 1}));
  EXPECT_EQ(m.lazy_constraints.index, (std::vector<int>{0, 1}));
  EXPECT_EQ(m.lazy_constraints.rhs, (std::vector<double>{0, 7}));
}

TEST_F(MpsReadTest, IntegerMarkersStartBinaryColumns) {
  const ReaderArrays m = read_ok(
      "NAME\nROWS\n N obj\n L r\nCOLUMNS\n"
      "    MARKER  'MARKER'  'INTORG'\n"
      "    b  obj  1  r  1\n"
      "    i  obj  1  r  1\n"
      "    MARKER  'MARKER'  'INTEND'\n"
      "    c  obj  1  r  1\n"
      "BOUNDS\n UP bnd i 10\nENDATA\n");
  EXPECT_EQ(m.ctype, (std::vector<char>{'B', 'I', 'C'}));
  EXPECT_EQ(m.ub, (std::vector<double>{1, 10, 1e20}));
}

TEST_F(MpsReadTest, UnknownMarkerIsIgnoredWithAWarning) {
  const ReaderArrays m =
      read_ok("NAME\nROWS\n N obj\nCOLUMNS\n    M  'MARKER'  'OTHER'\n    x obj 1\nENDATA\n");
  EXPECT_EQ(m.num_cols(), 1);
  EXPECT_EQ(warnings->text(), "Line 5:  Unidentified MARKER found. Ignored.\n");
}

TEST_F(MpsReadTest, SosMarkersGroupColumnsWeightedByTheReferenceRow) {
  const ReaderArrays m = read_ok(
      "NAME\nREFROW\n    cap\nROWS\n N obj\n L cap\nCOLUMNS\n"
      "    S2set  'MARKER'  'SOSORG'\n"
      "    a  obj  1  cap  3\n"
      "    b  obj  1\n"
      "    S2set  'MARKER'  'SOSEND'\n"
      "ENDATA\n");
  ASSERT_EQ(m.sos.size(), 1u);
  EXPECT_EQ(m.sos[0].type, '2');
  EXPECT_EQ(m.sos[0].name, "S2set");
  EXPECT_EQ(m.sos[0].indices, (std::vector<int>{0, 1}));
  EXPECT_EQ(m.sos[0].weights, (std::vector<double>{3, 2}));
}

TEST_F(MpsReadTest, ColumnNameAloneDeclaresAnEmptyColumn) {
  const ReaderArrays m = read_ok("NAME\nROWS\n N obj\nCOLUMNS\n    x\n    y obj 2\nENDATA\n");
  EXPECT_EQ(m.col_names, (std::vector<std::string>{"x", "y"}));
  EXPECT_EQ(m.matcnt, (std::vector<int>{0, 0}));
}

TEST_F(MpsReadTest, ExplicitZeroCoefficientsAreKept) {
  const ReaderArrays m = read_ok("NAME\nROWS\n N obj\n L r\nCOLUMNS\n    x r 0\nENDATA\n");
  EXPECT_EQ(m.matcnt, (std::vector<int>{1}));
  EXPECT_EQ(m.matval, (std::vector<double>{0}));
}

TEST_F(MpsReadTest, MissingEndataWarnsWithTheLastLine) {
  const ReaderArrays m = read_ok("NAME\nROWS\n N obj\nCOLUMNS\n    x obj 1\n");
  EXPECT_EQ(m.num_cols(), 1);
  EXPECT_EQ(warnings->text(), "Warning, line 5:  'ENDATA' missing.\n");
}

TEST_F(MpsReadTest, LinesAfterEndataAreNotRead) {
  const ReaderArrays m =
      read_ok("NAME\nROWS\n N obj\nCOLUMNS\n    x obj 1\nENDATA\nanything at all\n");
  EXPECT_EQ(m.num_cols(), 1);
}

TEST_F(MpsReadTest, MissingNumberReadsAsZeroWithOneWarning) {
  const ReaderArrays m =
      read_ok("NAME\nROWS\n N obj\n L r\nCOLUMNS\n    x obj\n    y r\nENDATA\n");
  EXPECT_EQ(m.matval, (std::vector<double>{0}));
  EXPECT_EQ(count_of(warnings->text(), "Warning:  Empty numeric fields read as zeros.\n"), 1);
}

}  // namespace
