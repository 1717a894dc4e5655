// KRVpresolve and the record's interface: maps, the reduced problem, crush
// and uncrush of vectors and forms, the basic presolve, and their errors.
#include "presolve/presolve_support.h"

namespace {

using presolve_test::near_reference;
using presolve_test::PresolveTest;

class PresolveApiTest : public PresolveTest {
 protected:
  // The original optimum of `name`, solved without presolve.
  std::vector<double> original_optimum(const std::string& name) {
    read_collection(name);
    EXPECT_EQ(KRVsetintparam(env, KRV_PARAM_PREIND, 0), 0);
    EXPECT_EQ(KRVlpopt(env, lp), 0);
    EXPECT_EQ(KRVsetintparam(env, KRV_PARAM_PREIND, 1), 0);
    std::vector<double> x(KRVgetnumcols(env, lp));
    EXPECT_EQ(KRVgetx(env, lp, x.data(), 0, static_cast<int>(x.size()) - 1), 0);
    return x;
  }
  KRVprob reduced() {
    KRVprob red = nullptr;
    EXPECT_EQ(KRVgetredlp(env, lp, &red), 0);
    return red;
  }
};

TEST_F(PresolveApiTest, CrushingWithoutPresolveFails) {
  KORVA_REQUIRE_SHARED_DATA();
  read_collection("afiro");
  std::vector<double> x(KRVgetnumcols(env, lp)), prex(x.size());
  EXPECT_EQ(KRVcrushx(env, lp, x.data(), prex.data()), 1103);
  EXPECT_EQ(KRVuncrushx(env, lp, x.data(), prex.data()), 1103);
  EXPECT_EQ(KRVcrushpi(env, lp, x.data(), prex.data()), 1103);
  EXPECT_NE(errors->text().find("No presolved problem created"), std::string::npos);
  int prestat = -1;
  EXPECT_EQ(KRVgetprestat(env, lp, &prestat, nullptr, nullptr, nullptr, nullptr), 0);
  EXPECT_EQ(prestat, 0);
  EXPECT_EQ(KRVgetprestat(env, lp, nullptr, nullptr, nullptr, nullptr, nullptr), 1004);
  KRVprob red = lp;
  EXPECT_EQ(KRVgetredlp(env, lp, &red), 0);
  EXPECT_EQ(red, nullptr);
  EXPECT_EQ(KRVgetredlp(env, lp, nullptr), 1004);
}

TEST_F(PresolveApiTest, MapsDescribeTheReducedProblem) {
  KORVA_REQUIRE_SHARED_DATA();
  read_collection("afiro");
  ASSERT_EQ(KRVpresolve(env, lp, 2), 0);
  KRVprob red = reduced();
  ASSERT_NE(red, nullptr);
  const int n = KRVgetnumcols(env, lp), m = KRVgetnumrows(env, lp);
  const int rn = KRVgetnumcols(env, red), rm = KRVgetnumrows(env, red);
  EXPECT_LE(rn, n);
  EXPECT_LT(rm, m);
  int prestat = 0;
  std::vector<int> pcstat(n), prstat(m), ocstat(rn), orstat(rm);
  ASSERT_EQ(KRVgetprestat(env, lp, &prestat, pcstat.data(), prstat.data(), ocstat.data(), orstat.data()), 0);
  EXPECT_EQ(prestat, 1);
  for (int k = 0; k < rn; ++k) {
    EXPECT_EQ(pcstat[ocstat[k]], k);
    int orig = -1;
    ASSERT_EQ(KRVEgetorigcolind(env, lp, k, &orig), 0);
    EXPECT_EQ(orig, ocstat[k]);
  }
  for (int k = 0; k < rm; ++k) {
    EXPECT_EQ(prstat[orstat[k]], k);
    int orig = -1;
    ASSERT_EQ(KRVEgetorigrowind(env, lp, k, &orig), 0);
    EXPECT_EQ(orig, orstat[k]);
  }
  int kept = 0;
  for (int v : pcstat) kept += v >= 0;
  EXPECT_EQ(kept, rn);
  int orig = 0;
  EXPECT_EQ(KRVEgetorigcolind(env, lp, rn, &orig), 1200);

  // Any edit of the original drops the record.
  double one = 1.0;
  int zero = 0;
  ASSERT_EQ(KRVchgobj(env, lp, 1, &zero, &one), 0);
  EXPECT_EQ(reduced(), nullptr);
  ASSERT_EQ(KRVgetprestat(env, lp, &prestat, nullptr, nullptr, nullptr, nullptr), 0);
  EXPECT_EQ(prestat, 0);

  ASSERT_EQ(KRVpresolve(env, lp, 1), 0);
  EXPECT_NE(reduced(), nullptr);
  ASSERT_EQ(KRVfreepresolve(env, lp), 0);
  EXPECT_EQ(reduced(), nullptr);
}

TEST_F(PresolveApiTest, CrushedOptimumUncrushesToAFeasiblePointOfTheSameObjective) {
  KORVA_REQUIRE_SHARED_DATA();
  const auto ref = presolve_test::reference_optima();
  for (const char* name : {"afiro", "sc105", "scagr7", "boeing2", "kb2"}) {
    const std::vector<double> xstar = original_optimum(name);
    ASSERT_EQ(KRVpresolve(env, lp, 2), 0) << name;
    KRVprob red = reduced();
    ASSERT_NE(red, nullptr) << name;
    std::vector<double> prex(KRVgetnumcols(env, red)), back(xstar.size());
    ASSERT_EQ(KRVcrushx(env, lp, xstar.data(), prex.data()), 0);
    ASSERT_EQ(KRVuncrushx(env, lp, back.data(), prex.data()), 0);
    EXPECT_LE(violation(back), 1e-6) << name;
    EXPECT_TRUE(near_reference(objective_of(back), ref.at(name))) << name << " " << objective_of(back);

    // The objective as a form: its crushed form with the offset gives the
    // same value on the crushed point.
    const int n = static_cast<int>(xstar.size());
    std::vector<double> c(n);
    std::vector<int> ind(n);
    ASSERT_EQ(KRVgetobj(env, lp, c.data(), 0, n - 1), 0);
    for (int j = 0; j < n; ++j) ind[j] = j;
    int plen = -1;
    double offset = 0.0;
    std::vector<int> pind(prex.size());
    std::vector<double> pval(prex.size());
    ASSERT_EQ(KRVcrushform(env, lp, n, ind.data(), c.data(), &plen, &offset, pind.data(), pval.data()), 0);
    double value = offset;
    for (int k = 0; k < plen; ++k) value += pval[k] * prex[pind[k]];
    EXPECT_TRUE(near_reference(value, ref.at(name))) << name << " " << value;

    // Back from the reduced problem's columns to the original ones.
    int len = -1;
    double back_offset = 1.0;
    std::vector<int> oind(plen);
    std::vector<double> oval(plen);
    ASSERT_EQ(KRVuncrushform(env, lp, plen, pind.data(), pval.data(), &len, &back_offset, oind.data(),
                             oval.data()), 0);
    EXPECT_EQ(len, plen);
    EXPECT_EQ(back_offset, 0.0);
    for (int k = 0; k < len; ++k) {
      int orig = -1;
      ASSERT_EQ(KRVEgetorigcolind(env, lp, pind[k], &orig), 0);
      EXPECT_EQ(oind[k], orig);
    }
  }
}

TEST_F(PresolveApiTest, UncrushedReducedOptimumIsOptimalForTheOriginal) {
  KORVA_REQUIRE_SHARED_DATA();
  const auto ref = presolve_test::reference_optima();
  for (const char* name : {"afiro", "sc50a", "share2b", "israel"}) {
    read_collection(name);
    ASSERT_EQ(KRVpresolve(env, lp, 2), 0) << name;
    KRVprob red = reduced();
    ASSERT_NE(red, nullptr);
    ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_PREIND, 0), 0);
    ASSERT_EQ(KRVdualopt(env, red), 0);
    ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_PREIND, 1), 0);
    ASSERT_EQ(KRVgetstat(env, red), 1) << name;
    const int rn = KRVgetnumcols(env, red), rm = KRVgetnumrows(env, red);
    std::vector<double> prex(rn), prepi(rm);
    ASSERT_EQ(KRVgetx(env, red, prex.data(), 0, rn - 1), 0);
    ASSERT_EQ(KRVgetpi(env, red, prepi.data(), 0, rm - 1), 0);
    std::vector<double> x(KRVgetnumcols(env, lp)), pi(KRVgetnumrows(env, lp));
    ASSERT_EQ(KRVuncrushx(env, lp, x.data(), prex.data()), 0);
    ASSERT_EQ(KRVuncrushpi(env, lp, pi.data(), prepi.data()), 0);
    EXPECT_LE(violation(x), 1e-6) << name;
    EXPECT_TRUE(near_reference(objective_of(x), ref.at(name))) << name << " " << objective_of(x);
    // The duals crush back to the reduced ones.
    std::vector<double> again(rm);
    ASSERT_EQ(KRVcrushpi(env, lp, pi.data(), again.data()), 0);
    for (int k = 0; k < rm; ++k) EXPECT_DOUBLE_EQ(again[k], prepi[k]) << name;
  }
}

TEST_F(PresolveApiTest, NullArraysAndIndicesAreRejected) {
  KORVA_REQUIRE_SHARED_DATA();
  read_collection("afiro");
  ASSERT_EQ(KRVpresolve(env, lp, 2), 0);
  std::vector<double> x(KRVgetnumcols(env, lp));
  EXPECT_EQ(KRVcrushx(env, lp, nullptr, x.data()), 1004);
  EXPECT_EQ(KRVuncrushpi(env, lp, x.data(), nullptr), 1004);
  int ind = 1000, plen = 0, pind[1];
  double val = 1.0, offset = 0.0, pval[1];
  EXPECT_EQ(KRVcrushform(env, lp, 1, &ind, &val, &plen, &offset, pind, pval), 1200);
  EXPECT_EQ(KRVEgetorigrowind(env, lp, -1, &ind), 1200);
  EXPECT_EQ(KRVEgetorigrowind(env, lp, 0, nullptr), 1004);
}

TEST_F(PresolveApiTest, CompletingTheOriginalAppliesThePresolvedProblemsPendingColumns) {
  KORVA_REQUIRE_SHARED_DATA();
  read_collection("afiro");
  ASSERT_EQ(KRVpresolve(env, lp, 2), 0);
  KRVprob red = reduced();
  ASSERT_NE(red, nullptr);
  int cols_before = 0, pending = 0, rows_pending = 0;
  long long nzs = 0;
  ASSERT_EQ(KRVEgetCache(env, red, &cols_before, &rows_pending, &nzs), 0);
  EXPECT_EQ(cols_before, 0);
  const double obj = 1.0, lo = 0.0, up = 5.0;
  ASSERT_EQ(KRVEcacheNewCols(env, red, 1, &obj, &lo, &up, nullptr, nullptr), 0);
  ASSERT_EQ(KRVEgetCache(env, red, &pending, &rows_pending, &nzs), 0);
  EXPECT_EQ(pending, 1);
  ASSERT_EQ(KRVcompletelp(env, lp), 0);
  ASSERT_EQ(KRVEgetCache(env, red, &pending, &rows_pending, &nzs), 0);
  EXPECT_EQ(pending, 0);
}

TEST_F(PresolveApiTest, BasicPresolveReportsBoundsAndRemovedRows) {
  read_lp_text(
      "Minimize\n obj: x1 + x2 + x3\nSubject To\n c1: x1 <= 4\n c2: x1 + x2 + x3 >= 1\n c3: x2 + x3 <= 50\n"
      "Bounds\n x2 <= 10\n x3 <= 10\nEnd\n");
  double lb[3], ub[3];
  int rstat[3];
  ASSERT_EQ(KRVbasicpresolve(env, lp, lb, ub, rstat), 0);
  EXPECT_EQ(ub[0], 4.0);
  EXPECT_EQ(lb[0], 0.0);
  EXPECT_EQ(rstat[0], 1);  // became the bound of x1
  EXPECT_EQ(rstat[1], 0);
  EXPECT_EQ(rstat[2], 1);  // can never be violated
  EXPECT_EQ(KRVgetnumrows(env, lp), 3);  // the problem itself is untouched
}

}  // namespace
