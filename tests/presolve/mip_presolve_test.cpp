// Presolve of mixed-integer problems, through KRVmipopt, KRVpresolve and
// the record's queries: integer reductions keep every integer point (random
// small models against enumeration), integer-infeasible models are decided
// with their proof lines and statuses, the reduced problem keeps column
// types and the parts beyond the rows, and solutions map both ways.
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "mip/mip_test_support.h"

namespace {

using mip_test::Row;
using mip_test::SmallMip;

class MipPresolve : public mip_test::MipTest {
 protected:
  void SetUp() override {
    MipTest::SetUp();
    exact_answers_without_log();
  }
  void read_lp_text(const std::string& text) {
    const std::string file = dir.file("model.lp");
    korva_test::write_file(file, text);
    ASSERT_EQ(KRVreadcopyprob(env, lp, file.c_str(), nullptr), 0) << errors->text();
  }
  void set_int(int param, int value) { ASSERT_EQ(KRVsetintparam(env, param, value), 0); }
  KRVprob reduced() {
    KRVprob red = nullptr;
    EXPECT_EQ(KRVgetredlp(env, lp, &red), 0);
    return red;
  }
  int column(KRVprob p, const char* name) {
    int j = -1;
    EXPECT_EQ(KRVgetcolindex(env, p, name, &j), 0) << name;
    return j;
  }
  double coefficient(KRVprob p, const char* row, const char* col) {
    int i = -1;
    EXPECT_EQ(KRVgetrowindex(env, p, row, &i), 0) << row;
    double a = 0.0;
    EXPECT_EQ(KRVgetcoef(env, p, i, column(p, col), &a), 0);
    return a;
  }
  double objective() {
    double z = 0.0;
    EXPECT_EQ(KRVgetobjval(env, lp, &z), 0);
    return z;
  }
  korva_test::TempDir dir;
};

// Six columns (two general integers, three binaries, one continuous) and
// rows of the kinds integer presolve works on: equalities with integer
// coefficients, big-M switches, a set-packing row, a knapsack.
SmallMip random_model(std::mt19937& rng) {
  std::uniform_int_distribution<int> coef(-3, 3), cost(-6, 6), pick(0, 3), bigm(5, 60), rhs(-2, 9);
  SmallMip m;
  m.objsense = pick(rng) == 0 ? -1 : 1;
  const char types[] = {'I', 'I', 'B', 'B', 'B', 'C'};
  for (int j = 0; j < 6; ++j) {
    m.ctype.push_back(types[j]);
    m.obj.push_back(cost(rng));
    m.lb.push_back(types[j] == 'B' ? 0.0 : -1.0 + pick(rng) % 2);
    m.ub.push_back(types[j] == 'B' ? 1.0 : types[j] == 'C' ? 4.5 : 3.0 + pick(rng));
  }
  // An equality over integer columns (sometimes with the continuous one).
  Row eq;
  eq.sense = 'E';
  for (int j : {0, 1, 2, 5})
    if (int a = coef(rng); a != 0 && (j != 5 || pick(rng) == 0)) eq.entries.emplace_back(j, a);
  eq.rhs = rhs(rng);
  if (!eq.entries.empty()) m.rows.push_back(eq);
  // x_j <= M·y switches, in both senses.
  const double s = pick(rng) % 2 ? 1.0 : -1.0;
  m.rows.push_back({{{5, s}, {3, -s * bigm(rng)}}, s > 0 ? 'L' : 'G', 0.0});
  m.rows.push_back({{{0, 1.0}, {4, -static_cast<double>(bigm(rng))}}, 'L', 1.0});
  // At most one of the binaries, written twice: once alone and once with more.
  m.rows.push_back({{{2, 1.0}, {3, 1.0}}, 'L', 1.0});
  if (pick(rng) < 2) m.rows.push_back({{{2, 1.0}, {3, 1.0}, {4, 1.0}}, 'L', 1.0});
  // A knapsack with fractional capacity.
  Row knap;
  knap.sense = 'L';
  for (int j = 0; j < 6; ++j)
    if (int a = coef(rng); a != 0) knap.entries.emplace_back(j, std::abs(a));
  knap.rhs = rhs(rng) + 0.5;
  if (!knap.entries.empty()) m.rows.push_back(knap);
  return m;
}

TEST_F(MipPresolve, RandomModelsKeepTheirOptimumUnderEveryReductionSetting) {
  std::mt19937 rng(101);
  int feasible = 0, infeasible = 0;
  for (int k = 0; k < 120; ++k) {
    const SmallMip m = random_model(rng);
    const double expected = mip_test::enumerate_optimum(env, m);
    for (int reduce : {3, 1}) {
      const std::string what = "model " + std::to_string(k) + ", reduce " + std::to_string(reduce);
      set_int(KRV_PARAM_REDUCE, reduce);
      ASSERT_EQ(m.load(env, lp), 0) << what;
      ASSERT_EQ(KRVmipopt(env, lp), 0) << what << errors->text();
      const int status = KRVgetstat(env, lp);
      if (std::isnan(expected)) {
        EXPECT_EQ(status, reduce == 3 ? 119 : 103) << what;
        ++infeasible;
        continue;
      }
      ++feasible;
      ASSERT_EQ(status, 101) << what;
      EXPECT_NEAR(objective(), expected, 1e-6 * std::max(1.0, std::fabs(expected))) << what;
      std::vector<double> x(m.num_cols());
      ASSERT_EQ(KRVgetx(env, lp, x.data(), 0, m.num_cols() - 1), 0);
      EXPECT_TRUE(mip_test::satisfies(m, x, 1e-6)) << what;
    }
  }
  // Neither kind of answer may be vacuous.
  EXPECT_GE(feasible, 60);
  EXPECT_GE(infeasible, 10);
}

TEST_F(MipPresolve, AnIntegerColumnLeftWithoutAnIntegerValueIsNamed) {
  // The rows leave x in [0.2, 0.9]: no integer inside.
  read_lp_text(
      "Minimize\n obj: x + y\nSubject To\n up: x + y >= 0.7\n down: x - y <= 0.4\n"
      "Bounds\n 0 <= x <= 10\n 0 <= y <= 0.5\nGenerals\n x\nEnd\n");
  ASSERT_EQ(KRVpresolve(env, lp, 2), 0);
  EXPECT_NE(results->text().find("Integer infeasible column 'x'.\n"), std::string::npos) << results->text();
  EXPECT_EQ(KRVgetstat(env, lp), 119);
  set_int(KRV_PARAM_REDUCE, 1);
  set_int(KRV_PARAM_MIPDISPLAY, 2);
  ASSERT_EQ(KRVmipopt(env, lp), 0);
  EXPECT_EQ(KRVgetstat(env, lp), 103);
  EXPECT_EQ(KRVgetnodecnt(env, lp), 0);
  EXPECT_NE(results->text().find("Presolve time = "), std::string::npos);
}

TEST_F(MipPresolve, AnEqualityRowThatNoIntegerPointMeetsIsNamed) {
  read_lp_text("Minimize\n obj: x + y\nSubject To\n parity: 2 x + 4 y = 3\nBounds\n x <= 5\n y <= 5\nGenerals\n x y\nEnd\n");
  set_int(KRV_PARAM_MIPDISPLAY, 2);
  ASSERT_EQ(KRVmipopt(env, lp), 0);
  EXPECT_NE(results->text().find("Integer infeasible equality row 'parity'.\n"), std::string::npos);
  EXPECT_EQ(KRVgetstat(env, lp), 119);
  // Without reductions the search proves it.
  set_int(KRV_PARAM_REDUCE, 0);
  ASSERT_EQ(KRVmipopt(env, lp), 0);
  EXPECT_EQ(KRVgetstat(env, lp), 103);
}

TEST_F(MipPresolve, BigMCoefficientsShrinkToWhatTheRowNeeds) {
  read_lp_text(
      "Minimize\n obj: x + y + z - w - v\nSubject To\n"
      " switch: x - 100 y <= 0\n"   // y = 1 frees the row: -100 -> -10
      " flip: - x + 100 z >= 0\n"   // the same row written as >=
      " knap: x + 20 w <= 25\n"     // w = 0 frees the row: x + 5 w <= 10
      " eq: x - 10 y - 10 z = 0\n"  // equalities bind both ways
      " free: v - 100 y <= 0\n"     // v has no upper bound
      "Bounds\n 0 <= x <= 10\n v >= 0\nBinaries\n y z w\nEnd\n");
  set_int(KRV_PARAM_AGGIND, 0);
  set_int(KRV_PARAM_REDUCE, 1);
  ASSERT_EQ(KRVpresolve(env, lp, 2), 0);
  EXPECT_NE(results->text().find("MIP Presolve modified 3 coefficients.\n"), std::string::npos) << results->text();
  KRVprob red = reduced();
  ASSERT_NE(red, nullptr);
  EXPECT_NEAR(coefficient(red, "switch", "y"), -10.0, 1e-6);
  EXPECT_NEAR(coefficient(red, "flip", "z"), 10.0, 1e-6);
  EXPECT_NEAR(coefficient(red, "knap", "w"), 5.0, 1e-6);
  EXPECT_EQ(coefficient(red, "eq", "y"), -10.0);
  EXPECT_EQ(coefficient(red, "free", "y"), -100.0);
  // The original keeps its own coefficients.
  EXPECT_EQ(coefficient(lp, "switch", "y"), -100.0);
}

TEST_F(MipPresolve, TheReducedProblemKeepsColumnTypesAndThePartsBeyondTheRows) {
  read_lp_text(
      "Maximize\n obj: a + b + 2 c + s + t + u + f\nSubject To\n"
      " cap: a + b + c + s + t + u <= 6.5\n"
      " fix: f = 2\n"
      " ind: u = 1 -> a + s <= 2\n"
      "Bounds\n 0 <= a <= 3\n 0 <= b <= 1\n 0 <= c <= 2\n 1 <= s <= 4\n t <= 3\n"
      "Binaries\n u\nGenerals\n a c\nSemi-continuous\n s\n"
      "SOS\n s1: S1:: b:1 t:2\nEnd\n");
  ASSERT_EQ(KRVpresolve(env, lp, 2), 0) << errors->text();
  KRVprob red = reduced();
  ASSERT_NE(red, nullptr);
  const int n = KRVgetnumcols(env, lp);
  std::vector<int> pcstat(n);
  int prestat = 0;
  ASSERT_EQ(KRVgetprestat(env, lp, &prestat, pcstat.data(), nullptr, nullptr, nullptr), 0);
  EXPECT_EQ(prestat, 1);
  EXPECT_LT(pcstat[column(lp, "f")], 0);  // fixed by its row
  // The columns of the special ordered set, the indicator and the
  // semi-continuous column are all still there with their types.
  char type = 0;
  for (const char* name : {"a", "b", "c", "s", "t", "u"}) EXPECT_GE(pcstat[column(lp, name)], 0) << name;
  ASSERT_EQ(KRVgetctype(env, red, &type, column(red, "s"), column(red, "s")), 0);
  EXPECT_EQ(type, 'S');
  ASSERT_EQ(KRVgetctype(env, red, &type, column(red, "c"), column(red, "c")), 0);
  EXPECT_EQ(type, 'I');
  ASSERT_EQ(KRVgetctype(env, red, &type, column(red, "b"), column(red, "b")), 0);
  EXPECT_EQ(type, 'C');
  EXPECT_EQ(KRVgetnumsos(env, red), 1);
  EXPECT_EQ(KRVgetnumindconstrs(env, red), 1);
  double lb = 0.0;
  ASSERT_EQ(KRVgetlb(env, red, &lb, column(red, "s"), column(red, "s")), 0);
  EXPECT_EQ(lb, 1.0);  // the semi-continuous domain is not widened to 0

  // The search on it agrees with the search without presolve.
  set_int(KRV_PARAM_PREIND, 0);
  ASSERT_EQ(KRVmipopt(env, lp), 0);
  ASSERT_EQ(KRVgetstat(env, lp), 101);
  const double without = objective();
  set_int(KRV_PARAM_PREIND, 1);
  ASSERT_EQ(KRVmipopt(env, lp), 0);
  ASSERT_EQ(KRVgetstat(env, lp), 101);
  EXPECT_NEAR(objective(), without, 1e-9);
}

TEST_F(MipPresolve, ContinuousColumnsThatEveryPointMakesIntegralGetASearchOfTheirOwn) {
  // z = x + 2y makes z integral: the reduced problem treats it as integer
  // and is searched with a presolve of its own.
  read_lp_text(
      "Maximize\n obj: 3 x + 2 y - 0.5 z\nSubject To\n def: z - x - 2 y = 0\n cap: 2 x + 3 y + z <= 11.5\n"
      " lim: x - y <= 2.5\nBounds\n x <= 10\n y <= 10\n z <= 30\nGenerals\n x y\nEnd\n");
  set_int(KRV_PARAM_MIPDISPLAY, 2);
  set_int(KRV_PARAM_AGGIND, 0);
  ASSERT_EQ(KRVmipopt(env, lp), 0) << errors->text();
  ASSERT_EQ(KRVgetstat(env, lp), 101);
  const std::string log = results->text();
  const size_t first = log.find("Presolve time = ");
  ASSERT_NE(first, std::string::npos);
  EXPECT_NE(log.find("Presolve time = ", first + 1), std::string::npos) << log;
  KRVprob red = reduced();
  ASSERT_NE(red, nullptr);
  char type = 0;
  ASSERT_EQ(KRVgetctype(env, red, &type, column(red, "z"), column(red, "z")), 0);
  EXPECT_EQ(type, 'I');
  // x = 2, y = 1 (z = 4): 3·2 + 2·1 - 0.5·4 = 6.
  EXPECT_NEAR(objective(), 6.0, 1e-9);
  std::vector<double> x(3);
  ASSERT_EQ(KRVgetx(env, lp, x.data(), 0, 2), 0);
  EXPECT_NEAR(x[column(lp, "z")], x[column(lp, "x")] + 2 * x[column(lp, "y")], 1e-9);
}

TEST_F(MipPresolve, ColumnsOfLazyConstraintsAndUserCutsSurvivePresolve) {
  // z is in no row: without its lazy constraint presolve would put it at 8.
  read_lp_text(
      "Maximize\n obj: 3 x + 2 y + z + w\nSubject To\n c1: x + y <= 10\n fix: w = 1\n"
      "Bounds\n x <= 8\n y <= 8\n z <= 8\nGenerals\n x y z w\nEnd\n");
  const int x = column(lp, "x"), y = column(lp, "y"), z = column(lp, "z");
  const int beg = 0;
  const int lazy_ind[] = {x, z}, cut_ind[] = {y};
  const double lazy_val[] = {1.0, 1.0}, cut_val[] = {1.0};
  const double lazy_rhs = 7.0, cut_rhs = 8.0;
  const char sense = 'L';
  ASSERT_EQ(KRVaddlazyconstraints(env, lp, 1, 2, &lazy_rhs, &sense, &beg, lazy_ind, lazy_val, nullptr), 0);
  ASSERT_EQ(KRVaddusercuts(env, lp, 1, 1, &cut_rhs, &sense, &beg, cut_ind, cut_val, nullptr), 0);
  set_int(KRV_PARAM_MIPDISPLAY, 1);
  ASSERT_EQ(KRVmipopt(env, lp), 0) << errors->text();
  ASSERT_EQ(KRVgetstat(env, lp), 101);
  EXPECT_NEAR(objective(), 28.0, 1e-9);
  std::vector<double> v(4);
  ASSERT_EQ(KRVgetx(env, lp, v.data(), 0, 3), 0);
  EXPECT_LE(v[x] + v[z], 7.0 + 1e-6);
  const std::string log = results->text();
  EXPECT_NE(log.find("Problem contains 1 user cuts.\n"), std::string::npos) << log;
  EXPECT_NE(log.find("Problem contains 1 lazy constraints.\n"), std::string::npos);
  EXPECT_EQ(log.find("Could not crush"), std::string::npos);
  std::vector<int> pcstat(4);
  int prestat = 0;
  ASSERT_EQ(KRVgetprestat(env, lp, &prestat, pcstat.data(), nullptr, nullptr, nullptr), 0);
  EXPECT_EQ(prestat, 1);
  EXPECT_LT(pcstat[column(lp, "w")], 0);
  EXPECT_GE(pcstat[z], 0);
}

TEST_F(MipPresolve, AnIncumbentCrushedAndUncrushedComesBack) {
  KORVA_REQUIRE_SHARED_DATA();
  read_collection_model("egout");
  ASSERT_EQ(KRVmipopt(env, lp), 0);
  ASSERT_EQ(KRVgetstat(env, lp), 101);
  const int n = KRVgetnumcols(env, lp);
  std::vector<double> x(n), back(n);
  ASSERT_EQ(KRVgetx(env, lp, x.data(), 0, n - 1), 0);
  KRVprob red = reduced();
  ASSERT_NE(red, nullptr);
  EXPECT_LT(KRVgetnumcols(env, red), n);
  std::vector<double> prex(KRVgetnumcols(env, red));
  ASSERT_EQ(KRVcrushx(env, lp, x.data(), prex.data()), 0);
  ASSERT_EQ(KRVuncrushx(env, lp, back.data(), prex.data()), 0);
  for (int j = 0; j < n; ++j) EXPECT_NEAR(back[j], x[j], 1e-6 * std::max(1.0, std::fabs(x[j]))) << j;
}

TEST_F(MipPresolve, PresolveRepeatedAfterTheRootKeepsTheAnswer) {
  KORVA_REQUIRE_SHARED_DATA();
  read_collection_model("p0201");
  set_int(KRV_PARAM_MIPDISPLAY, 2);
  set_int(KRV_PARAM_REPEATPRESOLVE, 1);
  ASSERT_EQ(KRVmipopt(env, lp), 0) << errors->text();
  ASSERT_EQ(KRVgetstat(env, lp), 101);
  EXPECT_NEAR(objective(), 7615.0, 1e-6);
  double bound = 0.0;
  ASSERT_EQ(KRVgetbestobjval(env, lp, &bound), 0);
  EXPECT_NEAR(bound, 7615.0, 1e-6);
  const std::string log = results->text();
  const size_t repeating = log.find("Repeating presolve.\n");
  ASSERT_NE(repeating, std::string::npos) << log;
  EXPECT_NE(log.find("Represolve time = ", repeating), std::string::npos);
  EXPECT_GT(KRVgetnodecnt(env, lp), 1);
  EXPECT_EQ(KRVgetnodeleftcnt(env, lp), 0);
  // The node limit holds for both searches together.
  ASSERT_EQ(KRVsetlongparam(env, KRV_PARAM_NODELIM, 3), 0);
  ASSERT_EQ(KRVmipopt(env, lp), 0);
  EXPECT_LE(KRVgetnodecnt(env, lp), 3);
  const int limited = KRVgetstat(env, lp);
  EXPECT_TRUE(limited == 105 || limited == 106 || limited == 101) << limited;
  ASSERT_EQ(KRVsetlongparam(env, KRV_PARAM_NODELIM, 9223372036800000000LL), 0);
  // Off, the search goes on from the root.
  set_int(KRV_PARAM_REPEATPRESOLVE, 0);
  const size_t before = results->text().size();
  ASSERT_EQ(KRVmipopt(env, lp), 0);
  EXPECT_EQ(results->text().find("Repeating presolve.", before), std::string::npos);
}

TEST_F(MipPresolve, BasicPresolveRoundsIntegerBounds) {
  read_lp_text(
      "Minimize\n obj: x + y + s\nSubject To\n c1: 2 x <= 5\n c2: x + y >= 0.5\n c3: s + y <= 10\n"
      "Bounds\n y <= 1\n 2 <= s <= 6\nGenerals\n x\nSemi-continuous\n s\nEnd\n");
  double lb[3], ub[3];
  int rstat[3];
  ASSERT_EQ(KRVbasicpresolve(env, lp, lb, ub, rstat), 0);
  EXPECT_EQ(ub[0], 2.0);  // 2x <= 5 for an integer x
  EXPECT_EQ(rstat[0], 1);
  EXPECT_EQ(lb[2], 2.0);  // a semi-continuous column keeps its own bounds
  EXPECT_EQ(ub[2], 6.0);
}

}  // namespace
