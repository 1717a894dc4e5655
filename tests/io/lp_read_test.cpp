// Reading LP files through KRVreadcopyprob: sections, expressions, bounds,
// types, sets, names and the messages of each rule.
#include "io/lp_test_support.h"

namespace korva_test {
namespace {

using LpRead = LpFileTest;

TEST_F(LpRead, ReadsAllSensesAndLabels) {
  ASSERT_EQ(read_text("\\ a comment\nMaximize\n obj: 3 x + 2 y - z\nSubject To\n"
                      " c1: x + y <= 4\n c2: x + z >= 1\n c3: y - z = 0\n"
                      " x + y =< 7\n r5: x => 0.5\n r6: y < 3\n r7: z > -2\nEnd\n"),
            0);
  EXPECT_EQ(KRVgetobjsen(env, lp), -1);
  EXPECT_EQ(col_names(), (std::vector<std::string>{"x", "y", "z"}));
  EXPECT_EQ(row_names(), (std::vector<std::string>{"c1", "c2", "c3", "c4", "r5", "r6", "r7"}));
  EXPECT_EQ(senses(), "LGELGLG");
  EXPECT_EQ(rhs(), (std::vector<double>{4, 1, 0, 7, 0.5, 3, -2}));
  EXPECT_EQ(obj(), (std::vector<double>{3, 2, -1}));
  EXPECT_EQ(objname(), "obj");
  EXPECT_EQ(coef(2, 2), -1.0);
  EXPECT_EQ(warnings->text(), "");
}

TEST_F(LpRead, ObjectiveWithoutLabelIsNamedObjAndMinIsAccepted) {
  ASSERT_EQ(read_text("MIN x + y\nst\n x + y >= 1\nend\n"), 0);
  EXPECT_EQ(objname(), "obj");
  EXPECT_EQ(KRVgetobjsen(env, lp), 1);
}

TEST_F(LpRead, KeywordOnTheObjectiveLine) {
  ASSERT_EQ(read_text("Minimize cost: 2 a + b\nsubject to c: a + b >= 2\nEnd\n"), 0);
  EXPECT_EQ(objname(), "cost");
  EXPECT_EQ(row_names(), std::vector<std::string>{"c"});
}

TEST_F(LpRead, MinimiseIsNotAKeyword) {
  EXPECT_EQ(read_text("Minimise\n x\nSubject To\n x >= 1\nEnd\n"), 1436);
  EXPECT_EQ(errors->text(), "KORVA Error  1436: Max or Min missing.\n");
}

TEST_F(LpRead, BlanksInsideExpressionsDoNotMatter) {
  ASSERT_EQ(read_text("min\n x1+2x2\nst\n c: 3 x1 + 2   x2 - x 1 >= 1\nend\n"), 0);
  EXPECT_EQ(col_names(), (std::vector<std::string>{"x1", "x2"}));
  EXPECT_EQ(coef(0, 0), 2.0);  // 3 x1 - x1
  EXPECT_EQ(coef(0, 1), 2.0);
}

TEST_F(LpRead, ExpressionsContinueOverLines) {
  ASSERT_EQ(read_text("min\n x +\n y\nst\n c1: x\n + 2\n y\n <=\n 3\n c2: x -\n y >\n= -1\nend\n"), 0);
  EXPECT_EQ(obj(), (std::vector<double>{1, 1}));
  EXPECT_EQ(coef(0, 1), 2.0);
  EXPECT_EQ(senses(), "LG");
  EXPECT_EQ(rhs(), (std::vector<double>{3, -1}));
}

TEST_F(LpRead, ExponentLetterRules) {
  ASSERT_EQ(read_text("min\n 2e1x + 2ex\nend\n"), 0);
  EXPECT_EQ(col_names(), (std::vector<std::string>{"x", "ex"}));
  EXPECT_EQ(obj(), (std::vector<double>{20, 2}));
}

TEST_F(LpRead, NameThatLooksLikeAnExponentIsRejected) {
  EXPECT_EQ(read_text("min\n x + e1\nend\n"), 1617);
  EXPECT_EQ(errors->text(), "KORVA Error  1617: Line 2: 'e1' not valid identifier.\n");
}

TEST_F(LpRead, ExponentRange) {
  EXPECT_EQ(read_text("min\n 1e38 x\nend\n"), 1435);
  EXPECT_EQ(errors->text(), "KORVA Error  1435: Line 2: Exponent '1e38' out of range.\n");
  errors->clear();
  ASSERT_EQ(read_text("min\n x + 1e-38 y + 1e37 z + 1.5e-7 w\nend\n"), 0);
  EXPECT_EQ(obj(), (std::vector<double>{1, 0, 1e37, 1.5e-7}));
}

TEST_F(LpRead, UnfinishedExponents) {
  EXPECT_EQ(read_text("min\n x\nst\n x <= 2e+\nend\n"), 1618);
  EXPECT_EQ(errors->text(), "KORVA Error  1618: Line 4: Exponent '2e+' not ended with number.\n");
  errors->clear();
  EXPECT_EQ(read_text("min\n x\nst\n x <= -e5\nend\n"), 1618);
  EXPECT_EQ(errors->text(), "KORVA Error  1618: Line 4: Exponent '-e' not started with number.\n");
}

TEST_F(LpRead, ExpressionErrors) {
  struct Case {
    const char* text;
    int code;
    const char* message;
  } cases[] = {
      {"min\n x + - y\nend\n", 1602, "Lines 2,2: Adjacent signs"},
      {"min\n x +\n - y\nend\n", 1602, "Lines 2,3: Adjacent signs"},
      {"min\n x <= 2\nend\n", 1603, "Line 2: RHS sense in objective"},
      {"min\n x\nst\n x + <= 2\nend\n", 1604, "Lines 4,4: Adjacent sign and sense"},
      {"min\n x\nlazy constraints\n x + [ x ^ 2 ] <= 2\nend\n", 1605,
       "Line 4: Illegal quadratic term in a constraint"},
      {"min\n x + ^ 2\nend\n", 1606, "Lines 2,2: Adjacent sign and quadratic character"},
      // "x : y" would be the label x; the colon after a term is the error.
      {"min\n x + y : z\nend\n", 1607, "Line 2: Expected '+' or '-', found ':'"},
      {"min\n x\nst\n x | y <= 2\nend\n", 1608, "Line 4: Expected '+','-' or sense, found '|'"},
      {"min\n x + 2\n + y\nend\n", 1609, "Line 3: Expected identifier first"},
      {"min\n x\nst\n x <= y\nend\n", 1610, "Line 4: Expected RHS coefficient"},
      {"min\n x\nst\n x <= -\n y\nend\n", 1611, "Line 5: Expected number first"},
      {"min\n x + [ x ^ ] / 2\nend\n", 1612, "Line 2: Expected quadratic exponent"},
      {"min\n x + [ x ^ 3 ] / 2\nend\n", 1613, "Line 2: Quadratic exponent must be 2"},
      {"min\n x + [ x y ] / 2\nend\n", 1614, "Line 2: Expected '^' or '*'"},
      {"min\n x + :\nend\n", 1615, "Line 2: Expected number, found ':'"},
      {"min\n x + 3 <\nend\n", 1616, "Line 2: Expected identifier, found '<'"},
      {"min\n x + [ x ^ 2 ] / 3\nend\n", 1619, "Line 2: Missing or incorrect divisor for Q terms"},
  };
  for (const Case& c : cases) {
    errors->clear();
    EXPECT_EQ(read_text(c.text), c.code) << c.text;
    EXPECT_EQ(errors->text(),
              "KORVA Error  " + std::to_string(c.code) + ": " + c.message + ".\n")
        << c.text;
  }
}

TEST_F(LpRead, RhsFollowedByTextWarns) {
  ASSERT_EQ(read_text("min\n x\nst\n c1: x <= 2 junk\nend\n"), 0);
  EXPECT_EQ(warnings->text(), "Warning, line 4: Characters after RHS value are ignored.\n");
}

TEST_F(LpRead, UnfinishedConstraintIsDiscarded) {
  ASSERT_EQ(read_text("min\n x\nst\n c1: x <= 2\n c2: x +\nbounds\n x <= 4\nend\n"), 0);
  EXPECT_EQ(KRVgetnumrows(env, lp), 1);
  EXPECT_EQ(warnings->text(), "Warning, line 6: Unfinished constraint is discarded.\n");
}

TEST_F(LpRead, ObjectiveEndedUnexpectedly) {
  ASSERT_EQ(read_text("min\n x +\nst\n x >= 1\nend\n"), 0);
  EXPECT_EQ(warnings->text(), "Warning, line 3: Objective ended unexpectedly.\n");
}

TEST_F(LpRead, MissingEndWarns) {
  ASSERT_EQ(read_text("min\n x\nst\n x >= 1\n"), 0);
  EXPECT_EQ(warnings->text(), "Warning: 'End' missing.\n");
  EXPECT_EQ(KRVgetnumrows(env, lp), 1);
}

TEST_F(LpRead, BoundForms) {
  ASSERT_EQ(read_text("min\n a + b + c + d + k + f + g + h\nbounds\n a <= 4\n -2 <= b <= 3\n c >= -1\n"
                      " 5 >= d\n k = 7\n f free\n g >= -inf\n -INFINITY <= h <= +Inf\nend\n"),
            0);
  const double inf = 1e20;
  EXPECT_EQ(lb(), (std::vector<double>{0, -2, -1, 0, 7, -inf, -inf, -inf}));
  EXPECT_EQ(ub(), (std::vector<double>{4, 3, inf, 5, 7, inf, inf, inf}));
}

TEST_F(LpRead, FreeWithAndWithoutBlanks) {
  ASSERT_EQ(read_text("min\n x + y + z\nbounds\n x free\n yfree\n z FREE\nend\n"), 0);
  EXPECT_EQ(lb(), (std::vector<double>(3, -1e20)));
  EXPECT_EQ(ub(), (std::vector<double>(3, 1e20)));
}

TEST_F(LpRead, LaterBoundsOverrideEarlierOnes) {
  ASSERT_EQ(read_text("min\n x\nbounds\n x <= 4\n x <= 6\n 1 <= x\nend\n"), 0);
  EXPECT_EQ(lb(), std::vector<double>{1});
  EXPECT_EQ(ub(), std::vector<double>{6});
}

TEST_F(LpRead, BoundErrorsAndWarnings) {
  EXPECT_EQ(read_text("min\n x\nbounds\n <= 4\nend\n"), 1623);
  EXPECT_EQ(errors->text(), "KORVA Error  1623: Line 4: Missing bound number.\n");
  errors->clear();
  EXPECT_EQ(read_text("min\n x\nbounds\n x\nend\n"), 1621);
  EXPECT_EQ(errors->text(), "KORVA Error  1621: Line 4: No bound sense.\n");
  errors->clear();
  EXPECT_EQ(read_text("min\n x\nbounds\n 4 x\nend\n"), 1622);
  EXPECT_EQ(errors->text(), "KORVA Error  1622: Line 4: Invalid bound sense.\n");
  errors->clear();
  EXPECT_EQ(read_text("min\n x\nbounds\n x <= 4q\nend\n"), 1434);
  EXPECT_EQ(errors->text(), "KORVA Error  1434: Line 4: Couldn't convert '4q' to a number.\n");
  errors->clear();
  ASSERT_EQ(read_text("min\n x\nbounds\n 0 <= x >= 3\n y <= 2\n e2 <= 1\nend\n"), 0);
  EXPECT_EQ(warnings->text(),
            "Warning, line 4: Possible sense conflict.\n"
            "Warning, line 5: Name 'y' does not exist.\n"
            "Warning, line 6: 'e2' not valid identifier.\n");
}

TEST_F(LpRead, NameWarningsStopAfterTwenty) {
  std::string text = "min\n x\nbounds\n";
  for (int k = 0; k < 23; ++k) text += " u" + std::to_string(k) + " <= 1\n";
  ASSERT_EQ(read_text(text + "end\n"), 0);
  const std::string& w = warnings->text();
  EXPECT_NE(w.find("Name 'u19' does not exist"), std::string::npos);
  EXPECT_EQ(w.find("Name 'u20' does not exist"), std::string::npos);
  EXPECT_NE(w.find("3 name warnings not printed.\n"), std::string::npos);
}

TEST_F(LpRead, VariableTypeRules) {
  ASSERT_EQ(read_text("min\n a + b + c + d + k + f + g\nbounds\n b <= 5\n 0 <= c <= 1\n"
                      "general\n a\nintegers\n b c d\nsemi-continuous\n k a\n"
                      "generals\n k\nend\n"),
            0);
  // a: general then semi -> N; b: integer with bounds -> I; c: bounds 0,1 -> B;
  // d: integer without bounds -> B with upper bound 1; k: semi then general -> N.
  EXPECT_EQ(ctypes(), "NIBBNCC");
  EXPECT_EQ(ub()[3], 1.0);
  EXPECT_EQ(ub()[1], 5.0);
}

TEST_F(LpRead, BinariesWithOtherBoundsWarnOnce) {
  ASSERT_EQ(read_text("min\n x + y + z + w\nbounds\n x <= 3\n y = 1\n z >= 2\nbinaries\n x y z w\nend\n"), 0);
  EXPECT_EQ(ctypes(), "BBBB");
  // Stated bounds remain; the binary type gives z's infinite upper bound
  // the value 1, as it does for every column made binary.
  EXPECT_EQ(lb(), (std::vector<double>{0, 1, 2, 0}));
  EXPECT_EQ(ub(), (std::vector<double>{3, 1, 1, 1}));
  EXPECT_EQ(warnings->text(),
            "Warning:  Binary variables declared with bounds other than 0 and 1.\n");
}

TEST_F(LpRead, AllContinuousStaysAnLp) {
  ASSERT_EQ(read_text("min\n x\nst\n x >= 1\nend\n"), 0);
  EXPECT_EQ(KRVgetprobtype(env, lp), KRVPROB_LP);
}

TEST_F(LpRead, IndicatorConstraints) {
  ASSERT_EQ(read_text("min\n x + y\nst\n c0: x + y >= 1\n c1: b = 0 -> x + y <= 2\n"
                      " c2: b = 1 -> x - y >= -1\nbinaries\n b\nend\n"),
            0);
  ASSERT_EQ(KRVgetnumindconstrs(env, lp), 2);
  int indvar = -1, complemented = -1, nz = 0, surplus = 0;
  double irhs = 0;
  char sense = 0;
  int ind[4];
  double val[4];
  ASSERT_EQ(KRVgetindconstr(env, lp, &indvar, &complemented, &nz, &irhs, &sense, ind, val, 4,
                            &surplus, 0),
            0);
  EXPECT_EQ(indvar, 2);
  EXPECT_EQ(complemented, 1);
  EXPECT_EQ(sense, 'L');
  EXPECT_EQ(irhs, 2.0);
  EXPECT_EQ(nz, 2);
  ASSERT_EQ(KRVgetindconstr(env, lp, &indvar, &complemented, &nz, &irhs, &sense, ind, val, 4,
                            &surplus, 1),
            0);
  EXPECT_EQ(complemented, 0);
  EXPECT_EQ(KRVgetnumrows(env, lp), 1);
}

TEST_F(LpRead, IllegalIndicators) {
  EXPECT_EQ(read_text("min\n x\nst\n c1: b = 2 -> x <= 2\nend\n"), 1439);
  EXPECT_EQ(errors->text(), "KORVA Error  1439: Line 4: Illegal indicator constraint.\n");
  EXPECT_EQ(read_text("min\n x\nuser cuts\n c1: b = 1 -> x <= 2\nend\n"), 1439);
  EXPECT_EQ(read_text("min\n x\nst\n c1: 2 b = 1 -> x <= 2\nend\n"), 1439);
}

TEST_F(LpRead, UserCutsAndLazyConstraints) {
  ASSERT_EQ(read_text("min\n x + y\nst\n x + y >= 1\nuser cuts\n u: x <= 5\n"
                      "lazy constraints\n l: y <= 6\n y - x <= 7\nsubject to\n x - y <= 3\nend\n"),
            0);
  EXPECT_EQ(KRVgetnumrows(env, lp), 2);
  EXPECT_EQ(KRVgetnumusercuts(env, lp), 1);
  EXPECT_EQ(KRVgetnumlazyconstraints(env, lp), 2);
  EXPECT_EQ(row_names(), (std::vector<std::string>{"c1", "c2"}));
}

TEST_F(LpRead, QuadraticObjectiveAndConstraints) {
  ASSERT_EQ(read_text("min\n obj: x + [ 2 x ^ 2 + 3 x * y - y ^ 2 ] / 2\nst\n"
                      " q1: x + y + [ x ^ 2 + 2 x * y ] <= 4\nend\n"),
            0);
  EXPECT_EQ(KRVgetprobtype(env, lp), KRVPROB_QCP);
  int nz = 0, surplus = 0;
  int beg[2], ind[8];
  double val[8];
  ASSERT_EQ(KRVgetquad(env, lp, &nz, beg, ind, val, 8, &surplus, 0, 1), 0);
  ASSERT_EQ(nz, 4);
  EXPECT_EQ(val[0], 2.0);   // Q(x,x)
  EXPECT_EQ(val[1], 1.5);   // Q(y,x)
  EXPECT_EQ(val[2], 1.5);   // Q(x,y)
  EXPECT_EQ(val[3], -1.0);  // Q(y,y)
  EXPECT_EQ(KRVgetnumqconstrs(env, lp), 1);
  EXPECT_EQ(KRVgetnumrows(env, lp), 0);
}

TEST_F(LpRead, DeprecatedBracketWithoutDivisor) {
  ASSERT_EQ(read_text("min\n x + [ x ^ 2 ]\nend\n"), 0);
  EXPECT_EQ(warnings->text(), "Warning, line 2: Deprecated format, expecting '] / 2'.\n");
}

TEST_F(LpRead, SpecialOrderedSets) {
  ASSERT_EQ(read_text("min\n x + y + z\nst\n x + y + z <= 1\nsos\n s1: S1:: x:1 y:2\n"
                      " S2 :: y : 1\n   z : 2 w:3\nend\n"),
            0);
  ASSERT_EQ(KRVgetnumsos(env, lp), 2);
  int nz = 0, surplus = 0;
  char types[2];
  int beg[2], ind[4];
  double wt[4];
  ASSERT_EQ(KRVgetsos(env, lp, &nz, types, beg, ind, wt, 4, &surplus, 0, 1), 0);
  EXPECT_EQ(nz, 4);
  EXPECT_EQ(types[0], '1');
  EXPECT_EQ(types[1], '2');
  EXPECT_EQ(ind[3], 2);
  EXPECT_EQ(wt[3], 2.0);
  EXPECT_EQ(warnings->text(), "Warning, line 8: Name 'w' does not exist.\n");
}

TEST_F(LpRead, DefaultNamesAvoidNamesFromTheFile) {
  ASSERT_EQ(read_text("min\n x\nst\n x >= 1\n c1: x <= 5\nend\n"), 0);
  const std::vector<std::string> names = row_names();
  ASSERT_EQ(names.size(), 2u);
  EXPECT_NE(names[0], "c1");
  EXPECT_EQ(names[1], "c1");
}

TEST_F(LpRead, RepeatedRowNamesReportedFiveTimes) {
  std::string text = "min\n x\nst\n";
  for (int k = 0; k < 8; ++k) text += " r: x >= " + std::to_string(k) + "\n";
  ASSERT_EQ(read_text(text + "end\n"), 0);
  std::string expected;
  for (int k = 0; k < 5; ++k) expected += "Row 'r' repeats.\n";
  EXPECT_EQ(warnings->text(), expected);
}

TEST_F(LpRead, LongNamesAreTruncated) {
  const std::string name(300, 'n');
  ASSERT_EQ(read_text("min\n " + name + "\nend\n"), 0);
  EXPECT_EQ(col_names(), std::vector<std::string>{std::string(255, 'n')});
  EXPECT_EQ(warnings->text(), "Warning, line 2: '" + std::string(255, 'n') + "' truncated.\n");
}

TEST_F(LpRead, InvalidCharactersAreSkipped) {
  ASSERT_EQ(read_text("min\n x + \x01y\nend\n"), 0);
  EXPECT_EQ(col_names(), (std::vector<std::string>{"x", "y"}));
  EXPECT_EQ(warnings->text(), "Warning, line 2: Unexpected character code 1 skipped.\n");
}

TEST_F(LpRead, LongLinesAreCutAtASign) {
  std::string text = "min\n obj:";
  int n = 0;
  while (text.size() < 100000) text += " + x" + std::to_string(n++);
  ASSERT_EQ(read_text(text + "\nend\n"), 0);
  EXPECT_EQ(KRVgetnumcols(env, lp), n);
  EXPECT_EQ(col_names().back(), "x" + std::to_string(n - 1));
}

TEST_F(LpRead, LineWithoutSignTooLong) {
  EXPECT_EQ(read_text("min\n x" + std::string(100000, 'y') + "\nend\n"), 1464);
  EXPECT_EQ(errors->text(), "KORVA Error  1464: Line 2: Identifier/name too long to process.\n");
}

TEST_F(LpRead, WindowsLineEndingsAndComments) {
  ASSERT_EQ(read_text("\\ header\r\nMinimize\r\n obj: x \\ trailing\r\nSubject To\r\n"
                      " c1: x >= 1\r\nEnd\r\n"),
            0);
  EXPECT_EQ(rhs(), std::vector<double>{1});
}

TEST_F(LpRead, ProblemIsNamedAfterTheFile) {
  ASSERT_EQ(read_text("min\n x\nend\n", "named.lp"), 0);
  EXPECT_EQ(probname(), path("named.lp"));
}

TEST_F(LpRead, Latin1FileEncoding) {
  // The default file encoding is ISO-8859-1: the byte 0xE9 is é.
  ASSERT_EQ(read_text("min\n caf\xe9\nend\n"), 0);
  KRVsetstrparam(env, KRV_PARAM_APIENCODING, "UTF-8");
  EXPECT_EQ(col_names(), std::vector<std::string>{"caf\xc3\xa9"});
}

TEST_F(LpRead, Utf8FileIsNormalised) {
  ASSERT_EQ(KRVsetstrparam(env, KRV_PARAM_FILEENCODING, "UTF-8"), 0);
  ASSERT_EQ(KRVsetstrparam(env, KRV_PARAM_APIENCODING, "UTF-8"), 0);
  // e followed by a combining acute accent becomes the precomposed é.
  ASSERT_EQ(read_text("min\n cafe\xcc\x81 + x\nend\n"), 0);
  EXPECT_EQ(col_names(), (std::vector<std::string>{"caf\xc3\xa9", "x"}));
}

TEST_F(LpRead, ErrorLeavesNoPartialModelBehind) {
  ASSERT_EQ(read_text("min\n x + y\nst\n x + y >= 1\nend\n"), 0);
  EXPECT_EQ(read_text("min\n x + - y\nend\n"), 1602);
  // The previous model is still there: a failed read copies nothing.
  EXPECT_EQ(KRVgetnumcols(env, lp), 2);
}

}  // namespace
}  // namespace korva_test
