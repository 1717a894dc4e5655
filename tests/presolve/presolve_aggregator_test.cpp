// Substitutions with fill (the aggregator and its parameters), parallel
// columns and parallel rows: the reduced problem they leave, their map
// codes, and solutions mapped back that match a solve without presolve,
// with a basis that needs no further iteration.
#include "presolve/presolve_support.h"

namespace {

using presolve_test::near_reference;
using presolve_test::PresolveTest;

class AggregatorTest : public PresolveTest {
 protected:
  // Solves the model in `text` with and without presolve; both optima
  // agree, the mapped solution is feasible and dual feasible, and its
  // basis is optimal for the original model at once.
  void solves_like_without_presolve(const std::string& text) {
    read_lp_text(text);
    ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_PREIND, 0), 0);
    ASSERT_EQ(KRVlpopt(env, lp), 0);
    ASSERT_EQ(KRVgetstat(env, lp), 1);
    const double plain = objective();
    ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_PREIND, 1), 0);

    read_lp_text(text);
    ASSERT_EQ(KRVlpopt(env, lp), 0);
    ASSERT_EQ(KRVgetstat(env, lp), 1);
    EXPECT_TRUE(near_reference(objective(), plain)) << objective() << " vs " << plain;
    const int n = KRVgetnumcols(env, lp), m = KRVgetnumrows(env, lp);
    std::vector<double> x(n);
    ASSERT_EQ(KRVgetx(env, lp, x.data(), 0, n - 1), 0);
    EXPECT_LE(violation(x), 1e-9);
    EXPECT_LE(dual_violation(), 1e-9);
    std::vector<int> cstat(n), rstat(m);
    ASSERT_EQ(KRVgetbase(env, lp, cstat.data(), rstat.data()), 0);
    int basic = 0;
    for (int s : cstat) basic += s == KRV_BASIC;
    for (int s : rstat) basic += s == KRV_BASIC;
    EXPECT_EQ(basic, m);

    read_lp_text(text);
    ASSERT_EQ(KRVcopybase(env, lp, cstat.data(), rstat.data()), 0);
    ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_PREIND, 0), 0);
    ASSERT_EQ(KRVlpopt(env, lp), 0);
    ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_PREIND, 1), 0);
    EXPECT_EQ(KRVgetstat(env, lp), 1);
    EXPECT_EQ(KRVgetitcnt(env, lp), 0);
  }

  KRVprob reduced() {
    KRVprob red = nullptr;
    EXPECT_EQ(KRVgetredlp(env, lp, &red), 0);
    return red;
  }

  bool substituted() const { return results->text().find("Aggregator did") != std::string::npos; }
};

// x1 = 1 + 2 x2 from c1: x2 (two entries) goes, and its entry in c4 turns
// into a new entry of x1 there; c1 then only bounds x1.
const char* const kDoubletonModel =
    "Minimize\n obj: x1 + 2 x2 + 3 x3 + x4\nSubject To\n c1: x1 - 2 x2 = 1\n c2: x1 + x3 + x4 >= 4\n"
    " c3: x1 + x3 - x4 <= 6\n c4: x2 + x3 >= 1\nBounds\n x1 <= 10\n x2 <= 3\nEnd\n";

TEST_F(AggregatorTest, DoubletonEquationSubstitutesOneColumnIntoTheOtherOnesRows) {
  read_lp_text(kDoubletonModel);
  ASSERT_EQ(KRVpresolve(env, lp, 2), 0);
  EXPECT_NE(results->text().find("Aggregator did 1 substitutions.\n"), std::string::npos) << results->text();
  KRVprob red = reduced();
  ASSERT_NE(red, nullptr);
  EXPECT_EQ(KRVgetnumcols(env, red), 3);
  EXPECT_EQ(KRVgetnumrows(env, red), 3);
  int pcstat[4], prstat[4];
  ASSERT_EQ(KRVgetprestat(env, lp, nullptr, pcstat, prstat, nullptr, nullptr), 0);
  EXPECT_LT(pcstat[1], 0);
  EXPECT_LT(prstat[0], 0);
  // c4 now holds x1 in x2's place.
  int nz = 0, beg = 0, surplus = 0, ind[4];
  double val[4];
  ASSERT_GE(prstat[3], 0);
  ASSERT_EQ(KRVgetrows(env, red, &nz, &beg, ind, val, 4, &surplus, prstat[3], prstat[3]), 0);
  ASSERT_EQ(nz, 2);
  bool has_x1 = false;
  for (int k = 0; k < nz; ++k)
    if (ind[k] == pcstat[0]) {
      has_x1 = true;
      EXPECT_DOUBLE_EQ(val[k], 0.5);
    }
  EXPECT_TRUE(has_x1);

  solves_like_without_presolve(kDoubletonModel);
}

// x1 is free and appears in four rows besides the equality e that defines
// it; substituting it creates three entries in each of them and removes
// four: a fill of 8.
const char* const kFillModel =
    "Minimize\n obj: x1 + y1 + 2 y2 + 3 y3 + z1 + z2 + z3 + z4\nSubject To\n"
    " e: x1 + y1 + 2 y2 + 3 y3 = 5\n s: y1 + y2 + y3 <= 20\n r1: x1 + z1 >= 1\n r2: x1 + 2 z2 >= 2\n"
    " r3: x1 + 3 z3 >= 3\n r4: - x1 + z4 >= -4\nBounds\n x1 free\n y1 <= 10\n y2 <= 10\n y3 <= 10\nEnd\n";

TEST_F(AggregatorTest, FillLimitDecidesWhetherALongerRowSubstitutes) {
  read_lp_text(kFillModel);
  ASSERT_EQ(KRVpresolve(env, lp, 2), 0);
  EXPECT_NE(results->text().find("Aggregator did 1 substitutions.\n"), std::string::npos) << results->text();
  int pcstat[8], prstat[6];
  ASSERT_EQ(KRVgetprestat(env, lp, nullptr, pcstat, prstat, nullptr, nullptr), 0);
  EXPECT_LT(pcstat[0], 0);
  EXPECT_LT(prstat[0], 0);
  KRVprob red = reduced();
  ASSERT_NE(red, nullptr);
  EXPECT_EQ(KRVgetnumnz(env, red), 3 + 4 * 4);

  results->clear();
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_AGGFILL, 7), 0);
  read_lp_text(kFillModel);
  ASSERT_EQ(KRVpresolve(env, lp, 2), 0);
  EXPECT_FALSE(substituted()) << results->text();

  results->clear();
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_AGGFILL, 8), 0);
  read_lp_text(kFillModel);
  ASSERT_EQ(KRVpresolve(env, lp, 2), 0);
  EXPECT_TRUE(substituted()) << results->text();

  results->clear();
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_AGGIND, 0), 0);
  read_lp_text(kFillModel);
  ASSERT_EQ(KRVpresolve(env, lp, 2), 0);
  EXPECT_FALSE(substituted()) << results->text();
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_AGGIND, -1), 0);
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_AGGFILL, 10), 0);

  solves_like_without_presolve(kFillModel);
}

TEST_F(AggregatorTest, AggregatorApplicationsFollowTheParameter) {
  KORVA_REQUIRE_SHARED_DATA();
  read_collection("afiro");
  ASSERT_EQ(KRVpresolve(env, lp, 2), 0);
  EXPECT_NE(results->text().find("Tried aggregator 2 times.\n"), std::string::npos) << results->text();
  results->clear();
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_AGGIND, 1), 0);
  read_collection("afiro");
  ASSERT_EQ(KRVpresolve(env, lp, 2), 0);
  EXPECT_NE(results->text().find("Tried aggregator 1 time.\n"), std::string::npos) << results->text();
  ASSERT_EQ(KRVlpopt(env, lp), 0);
  EXPECT_EQ(KRVgetstat(env, lp), 1);
  EXPECT_TRUE(near_reference(objective(), presolve_test::reference_optima().at("afiro")));
}

// Column x2 is twice x1 with twice its cost: one variable x1 + 2 x2 in
// [0, 3]; the split puts one of them at a bound.
const char* const kParallelColumns =
    "Minimize\n obj: - x1 - 2 x2 + x3\nSubject To\n c1: x1 + 2 x2 + x3 >= 2\n c2: x1 + 2 x2 - x3 <= 2.5\n"
    "Bounds\n x1 <= 1\n x2 <= 1\n x3 <= 4\nEnd\n";

TEST_F(AggregatorTest, ParallelColumnsWithProportionalCostsMerge) {
  read_lp_text(kParallelColumns);
  ASSERT_EQ(KRVpresolve(env, lp, 2), 0);
  int pcstat[3];
  ASSERT_EQ(KRVgetprestat(env, lp, nullptr, pcstat, nullptr, nullptr, nullptr), 0);
  EXPECT_EQ(pcstat[0] < 0, pcstat[1] >= 0);
  KRVprob red = reduced();
  ASSERT_NE(red, nullptr);
  EXPECT_EQ(KRVgetnumcols(env, red), 2);
  const int kept = pcstat[0] >= 0 ? pcstat[0] : pcstat[1];
  double lb = 0, ub = 0;
  ASSERT_EQ(KRVgetlb(env, red, &lb, kept, kept), 0);
  ASSERT_EQ(KRVgetub(env, red, &ub, kept, kept), 0);
  EXPECT_EQ(ub - lb, pcstat[0] >= 0 ? 3.0 : 1.5);

  solves_like_without_presolve(kParallelColumns);
  double x[3];
  ASSERT_EQ(KRVgetx(env, lp, x, 0, 2), 0);
  EXPECT_NEAR(x[0] + 2 * x[1] - x[2], 2.5, 1e-9);
}

TEST_F(AggregatorTest, ParallelColumnWithTheWorseCostGoesToItsBound) {
  // x2 does what 2 x1 does at a higher cost, and x1 can grow without end.
  const char* model =
      "Minimize\n obj: x1 + 3 x2 + x3\nSubject To\n c1: x1 + 2 x2 + x3 >= 2\n c2: x1 + 2 x2 - x3 <= 1\n"
      "Bounds\n x2 <= 1\nEnd\n";
  read_lp_text(model);
  ASSERT_EQ(KRVpresolve(env, lp, 2), 0);
  int pcstat[3];
  ASSERT_EQ(KRVgetprestat(env, lp, nullptr, pcstat, nullptr, nullptr, nullptr), 0);
  EXPECT_LT(pcstat[1], 0);
  EXPECT_GE(pcstat[0], 0);
  solves_like_without_presolve(model);
  double x2 = -1;
  ASSERT_EQ(KRVgetx(env, lp, &x2, 1, 1), 0);
  EXPECT_EQ(x2, 0.0);
}

// c2 is twice c1: its upper end meets c1's lower end, so c1 becomes the
// equality x1 + x2 + 2 x3 = 2.
const char* const kParallelRows =
    "Minimize\n obj: x1 + 2 x2 - x3\nSubject To\n c1: x1 + x2 + 2 x3 >= 2\n c2: 2 x1 + 2 x2 + 4 x3 <= 4\n"
    " c3: x1 - x3 >= -0.5\nBounds\n x3 <= 3\nEnd\n";

TEST_F(AggregatorTest, ParallelInequalitiesMeetInAnEquality) {
  read_lp_text(kParallelRows);
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_AGGIND, 0), 0);
  ASSERT_EQ(KRVpresolve(env, lp, 2), 0);
  int prstat[3];
  ASSERT_EQ(KRVgetprestat(env, lp, nullptr, nullptr, prstat, nullptr, nullptr), 0);
  KRVprob red = reduced();
  ASSERT_NE(red, nullptr);
  ASSERT_GE(prstat[0], 0);
  char sense = 0;
  ASSERT_EQ(KRVgetsense(env, red, &sense, prstat[0], prstat[0]), 0);
  EXPECT_EQ(sense, 'E');
  EXPECT_LT(prstat[1], 0);
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_AGGIND, -1), 0);

  solves_like_without_presolve(kParallelRows);
}

// Needs the presolve driver to apply the reduction codes to its maps.
TEST_F(AggregatorTest, InequalityMergedIntoAnEqualityHasRowCodeMinusThree) {
  read_lp_text(kParallelRows);
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_AGGIND, 0), 0);
  ASSERT_EQ(KRVpresolve(env, lp, 2), 0);
  int prstat[3];
  ASSERT_EQ(KRVgetprestat(env, lp, nullptr, nullptr, prstat, nullptr, nullptr), 0);
  EXPECT_GE(prstat[0], 0);
  EXPECT_EQ(prstat[1], -3);
  EXPECT_GE(prstat[2], 0);
}

TEST_F(AggregatorTest, ParallelRowsKeepTheTighterEnds) {
  // c2 = -c1 with a range that cuts c1's from above; c3 = 3 c1 adds nothing.
  const char* model =
      "Maximize\n obj: x1 + x2 + x3\nSubject To\n c1: x1 + 2 x2 + x3 >= 1\n c2: - x1 - 2 x2 - x3 >= -6\n"
      " c3: 3 x1 + 6 x2 + 3 x3 >= 0\n c4: x1 - x3 <= 2\nBounds\n x1 <= 5\nEnd\n";
  read_lp_text(model);
  ASSERT_EQ(KRVpresolve(env, lp, 2), 0);
  int prstat[4];
  ASSERT_EQ(KRVgetprestat(env, lp, nullptr, nullptr, prstat, nullptr, nullptr), 0);
  EXPECT_EQ((prstat[0] >= 0) + (prstat[1] >= 0) + (prstat[2] >= 0), 1);
  solves_like_without_presolve(model);
}

// Crush after uncrush gives back the reduced vectors, and the crushed
// objective at the reduced solution is the original objective.
TEST_F(AggregatorTest, CrushUndoesUncrushOnModelsWithSubstitutions) {
  KORVA_REQUIRE_SHARED_DATA();
  for (const char* name : {"afiro", "standgub", "shell", "scagr7"}) {
    read_collection(name);
    ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_SIMDISPLAY, 0), 0);
    ASSERT_EQ(KRVlpopt(env, lp), 0) << name;
    KRVprob red = reduced();
    ASSERT_NE(red, nullptr) << name;
    const int n = KRVgetnumcols(env, lp), m = KRVgetnumrows(env, lp);
    const int rn = KRVgetnumcols(env, red), rm = KRVgetnumrows(env, red);
    std::vector<double> rx(rn), rpi(rm), x(n), pi(m), back_x(rn), back_pi(rm);
    ASSERT_EQ(KRVgetx(env, red, rx.data(), 0, rn - 1), 0) << name;
    ASSERT_EQ(KRVgetpi(env, red, rpi.data(), 0, rm - 1), 0) << name;
    ASSERT_EQ(KRVuncrushx(env, lp, x.data(), rx.data()), 0);
    ASSERT_EQ(KRVuncrushpi(env, lp, pi.data(), rpi.data()), 0);
    ASSERT_EQ(KRVcrushx(env, lp, x.data(), back_x.data()), 0);
    ASSERT_EQ(KRVcrushpi(env, lp, pi.data(), back_pi.data()), 0);
    for (int k = 0; k < rn; ++k) EXPECT_NEAR(back_x[k], rx[k], 1e-9 * (1 + std::fabs(rx[k]))) << name << " " << k;
    for (int k = 0; k < rm; ++k)
      EXPECT_NEAR(back_pi[k], rpi[k], 1e-9 * (1 + std::fabs(rpi[k]))) << name << " " << k;

    std::vector<int> ind(n), pind(rn);
    std::vector<double> obj(n), pval(rn);
    for (int j = 0; j < n; ++j) ind[j] = j;
    ASSERT_EQ(KRVgetobj(env, lp, obj.data(), 0, n - 1), 0);
    int plen = 0;
    double offset = 0.0;
    ASSERT_EQ(KRVcrushform(env, lp, n, ind.data(), obj.data(), &plen, &offset, pind.data(), pval.data()), 0);
    double reduced_value = offset;
    for (int k = 0; k < plen; ++k) reduced_value += pval[k] * rx[pind[k]];
    const double original_value = objective_of(x);
    EXPECT_NEAR(reduced_value, original_value, 1e-7 * (1 + std::fabs(original_value))) << name;
  }
}

}  // namespace
