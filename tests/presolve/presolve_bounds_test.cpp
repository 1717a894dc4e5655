// Bound changes of a presolved model: KRVchgbds carries them into the kept
// reduced problem when it can, and the next optimisation reuses it; when it
// cannot, the warning says so, the presolved model goes, and the next
// optimisation presolves afresh. Either way the result is that of a fresh
// solve of the edited model.
#include <cmath>
#include <string>
#include <vector>

#include "presolve/presolve_support.h"

namespace {

using presolve_test::near_reference;
using presolve_test::PresolveTest;

constexpr const char* kFails = "Warning: Changing bounds of the presolved model fails.\n";

struct BoundChange {
  int col = -1;
  char lu = 'U';
  double value = 0.0;
};

class PresolveBoundsTest : public PresolveTest {
 protected:
  void SetUp() override {
    PresolveTest::SetUp();
    KORVA_REQUIRE_SHARED_DATA();
  }
  void solve(const std::string& name) {
    read_collection(name);
    ASSERT_EQ(KRVlpopt(env, lp), 0) << name;
    ASSERT_EQ(KRVgetstat(env, lp), 1) << name;
  }
  std::vector<double> x() {
    std::vector<double> v(KRVgetnumcols(env, lp));
    EXPECT_EQ(KRVgetx(env, lp, v.data(), 0, static_cast<int>(v.size()) - 1), 0);
    return v;
  }
  // Per original column its index in the reduced problem or a negative code.
  std::vector<int> column_map() {
    int prestat = 0;
    std::vector<int> pcstat(KRVgetnumcols(env, lp));
    EXPECT_EQ(KRVgetprestat(env, lp, &prestat, pcstat.data(), nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(prestat, 1);
    return pcstat;
  }
  // A change that moves the optimum: the upper bound of a column with a
  // positive value goes to half of it.
  static BoundChange halve(const std::vector<double>& v, int j) { return {j, 'U', 0.5 * v[j]}; }

  // Status and objective of a fresh solve of model `name` with `change`.
  std::pair<int, double> fresh(const std::string& name, const BoundChange& change) {
    int status = 0;
    KRVprob other = KRVcreateprob(env, &status, "fresh");
    EXPECT_EQ(KRVreadcopyprob(env, other, korva_test::data_path("netlib/" + name + ".mps.gz").c_str(), nullptr), 0);
    EXPECT_EQ(KRVchgbds(env, other, 1, &change.col, &change.lu, &change.value), 0);
    EXPECT_EQ(KRVlpopt(env, other), 0);
    double obj = 0.0;
    const int stat = KRVgetstat(env, other);
    if (stat == 1) {
      EXPECT_EQ(KRVgetobjval(env, other, &obj), 0);
    }
    KRVfreeprob(env, &other);
    return {stat, obj};
  }
  // Re-solves `lp` and compares with a fresh solve; *presolved tells
  // whether the re-solve ran presolve again.
  void expect_fresh_result(const std::string& name, const BoundChange& change, bool* presolved = nullptr) {
    results->clear();
    ASSERT_EQ(KRVlpopt(env, lp), 0);
    if (presolved) *presolved = results->text().find("Presolve time") != std::string::npos;
    const auto [stat, obj] = fresh(name, change);
    ASSERT_EQ(KRVgetstat(env, lp), stat) << name << " column " << change.col;
    if (stat != 1) return;
    EXPECT_TRUE(near_reference(objective(), obj)) << name << " column " << change.col << ": " << objective()
                                                  << " vs " << obj;
    EXPECT_LE(quality(1), 1e-5) << name;
    EXPECT_LE(dual_violation(), 1e-6) << name;
  }
};

TEST_F(PresolveBoundsTest, ChangeOfAKeptColumnIsCarriedIntoTheReducedProblem) {
  for (const std::string name : {"bandm", "ship08l"}) {
    solve(name);
    const std::vector<double> v = x();
    const std::vector<int> map = column_map();
    // Columns whose rows presolve left alone take the change; the first
    // such column with a positive value is the one tested.
    bool carried = false;
    int tried = 0;
    for (int j = 0; j < static_cast<int>(v.size()) && !carried && tried < 40; ++j) {
      if (map[j] < 0 || v[j] <= 1e-3) continue;
      ++tried;
      const BoundChange change = halve(v, j);
      warnings->clear();
      ASSERT_EQ(KRVchgbds(env, lp, 1, &change.col, &change.lu, &change.value), 0);
      if (warnings->text().find(kFails) != std::string::npos) {
        solve(name);  // the presolved model went with the warning: start again
        continue;
      }
      carried = true;
      KRVprob red = nullptr;
      ASSERT_EQ(KRVgetredlp(env, lp, &red), 0);
      ASSERT_NE(red, nullptr) << name;
      double ub = 0.0;
      ASSERT_EQ(KRVgetub(env, red, &ub, map[j], map[j]), 0);
      EXPECT_EQ(ub, change.value) << name;
      bool presolved = true;
      expect_fresh_result(name, change, &presolved);
      EXPECT_FALSE(presolved) << name << ": the kept reduced problem was not reused";
    }
    EXPECT_TRUE(carried) << name << ": no column took the change";
  }
}

TEST_F(PresolveBoundsTest, ChangeOfARemovedColumnWarnsAndThePresolveStartsAfresh) {
  for (const std::string name : {"bandm", "ship08l"}) {
    solve(name);
    const std::vector<double> v = x();
    const std::vector<int> map = column_map();
    int j = 0;
    while (j < static_cast<int>(v.size()) && map[j] >= 0) ++j;
    ASSERT_LT(j, static_cast<int>(v.size())) << name;
    // Widening a removed column's bounds can undo the reduction that removed it.
    const BoundChange change{j, 'U', v[j] + 10.0};
    warnings->clear();
    ASSERT_EQ(KRVchgbds(env, lp, 1, &change.col, &change.lu, &change.value), 0);
    EXPECT_NE(warnings->text().find(kFails), std::string::npos) << name;
    int prestat = -1;
    ASSERT_EQ(KRVgetprestat(env, lp, &prestat, nullptr, nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(prestat, 0);
    expect_fresh_result(name, change);
  }
}

// An edit drops the presolved model; the next optimisation presolves again
// and must start from the basis the last one ended with, not from scratch.
TEST_F(PresolveBoundsTest, ReoptimisingAfterACostChangeStartsFromTheLastBasis) {
  for (const std::string name : {"bandm", "25fv47", "greenbea", "scfxm2", "pilot4"}) {
    solve(name);
    const int first = KRVgetitcnt(env, lp);
    const int j = KRVgetnumcols(env, lp) / 2;
    double c = 0.0;
    ASSERT_EQ(KRVgetobj(env, lp, &c, j, j), 0);
    c = 1.01 * c + 0.01;
    ASSERT_EQ(KRVchgobj(env, lp, 1, &j, &c), 0);
    results->clear();
    ASSERT_EQ(KRVlpopt(env, lp), 0);
    EXPECT_NE(results->text().find("Presolve time"), std::string::npos) << name;
    ASSERT_EQ(KRVgetstat(env, lp), 1) << name;
    EXPECT_LE(KRVgetitcnt(env, lp), first / 20) << name;
    EXPECT_LE(dual_violation(), 1e-6) << name;
  }
}

TEST_F(PresolveBoundsTest, DualFormulationTakesNoBoundChanges) {
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_PREDUAL, 1), 0);
  solve("ship08l");
  const std::vector<double> v = x();
  int j = 0;
  while (v[j] <= 1e-3) ++j;
  const BoundChange change = halve(v, j);
  warnings->clear();
  ASSERT_EQ(KRVchgbds(env, lp, 1, &change.col, &change.lu, &change.value), 0);
  EXPECT_NE(warnings->text().find(kFails), std::string::npos);
  expect_fresh_result("ship08l", change);
}

TEST_F(PresolveBoundsTest, WithoutAPresolvedModelNothingIsSaid) {
  read_collection("afiro");
  const int j = 0;
  const char lu = 'U';
  const double ub = 50.0;
  ASSERT_EQ(KRVchgbds(env, lp, 1, &j, &lu, &ub), 0);
  EXPECT_EQ(warnings->text().find(kFails), std::string::npos);
}

}  // namespace
