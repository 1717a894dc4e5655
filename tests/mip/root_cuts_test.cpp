// The root's preparation and cut rounds seen from the outside: probing's
// fixings and lines, the clique table line, the node log's cut lines, the
// cut summary (a family switched on is listed even without cuts), the pass
// limit, the user cut pool separated like a family, and optima that none
// of them may change.
#include <string>

#include "mip/mip_test_support.h"

namespace {

class RootCuts : public mip_test::MipTest {
 protected:
  void SetUp() override {
    MipTest::SetUp();
    ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_SIMDISPLAY, 0), 0);
    ASSERT_EQ(KRVsetdblparam(env, KRV_PARAM_EPGAP, 0.0), 0);
  }
  double solve() {
    EXPECT_EQ(KRVmipopt(env, lp), 0) << errors->text();
    EXPECT_EQ(KRVgetstat(env, lp), 101);
    double z = 0.0;
    EXPECT_EQ(KRVgetobjval(env, lp, &z), 0);
    return z;
  }
  bool logged(const std::string& text) const { return results->text().find(text) != std::string::npos; }
  // Reads a model written in LP format.
  void read_lp(const char* name, const std::string& text) {
    const std::string file = dir.file(name);
    korva_test::write_file(file, text);
    ASSERT_EQ(KRVreadcopyprob(env, lp, file.c_str(), nullptr), 0);
  }
  korva_test::TempDir dir;
};

TEST_F(RootCuts, CutRoundsAreLoggedAndSummedUpWithoutChangingTheOptimum) {
  KORVA_REQUIRE_SHARED_DATA();
  read_collection_model("p0033");
  EXPECT_NEAR(solve(), 3089.0, 1e-6);
  // A root line whose Best Bound column names the cuts of the round.
  const std::string log = results->text();
  EXPECT_TRUE(log.find("Cuts: ") != std::string::npos || log.find("MIRcuts: ") != std::string::npos ||
              log.find("Fract: ") != std::string::npos)
      << log;
  EXPECT_TRUE(logged("cuts applied:  ")) << log;
  EXPECT_LT(log.find("Root relaxation solution time"), log.find("cuts applied"));
  // The cuts closed part of the gap: the search needs few nodes.
  EXPECT_LT(KRVgetnodecnt(env, lp), 100);
}

TEST_F(RootCuts, CutsServingTheTreeKeepTheOptimumAndTwoThreadsRepeatThemselves) {
  // The tree switches pool cuts on and adds the cuts its nodes find, in
  // batches merged in worker order: a run repeats exactly.
  KORVA_REQUIRE_SHARED_DATA();
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_THREADS, 2), 0);
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_MIPDISPLAY, 0), 0);
  long long nodes[2], iterations[2];
  for (int run = 0; run < 2; ++run) {
    read_collection_model("mod008");
    EXPECT_NEAR(solve(), 307.0, 1e-6);
    nodes[run] = KRVgetnodecnt(env, lp);
    iterations[run] = KRVgetmipitcnt(env, lp);
  }
  EXPECT_EQ(nodes[0], nodes[1]);
  EXPECT_EQ(iterations[0], iterations[1]);
}

TEST_F(RootCuts, NoPassesMeansNoCuts) {
  KORVA_REQUIRE_SHARED_DATA();
  read_collection_model("p0033");
  ASSERT_EQ(KRVsetlongparam(env, KRV_PARAM_CUTPASS, -1), 0);
  EXPECT_NEAR(solve(), 3089.0, 1e-6);
  EXPECT_FALSE(logged("Cuts: "));
  EXPECT_FALSE(logged("cuts applied"));
}

TEST_F(RootCuts, AFamilySwitchedOnIsListedEvenWithoutCuts) {
  // The relaxation's optimum is integral: no round runs.
  ASSERT_EQ(mip_test::easy_model().load(env, lp), 0);
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_MIRCUTS, 1), 0);
  EXPECT_NEAR(solve(), 35.0, 1e-9);
  EXPECT_TRUE(logged("Mixed integer rounding cuts applied:  0\n")) << results->text();
  EXPECT_FALSE(logged("Cover cuts applied"));
}

TEST_F(RootCuts, RowsWhoseBinariesConflictFillTheCliqueTable) {
  KORVA_REQUIRE_SHARED_DATA();
  read_collection_model("p0201");
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_MIPDISPLAY, 1), 0);
  EXPECT_NEAR(solve(), 7615.0, 1e-6);
  EXPECT_TRUE(logged("Clique table members: ")) << results->text();
}

TEST_F(RootCuts, ProbingFixesABinaryWhoseOneValueNoRowAloneRulesOut) {
  // x = 1 forces y = 1 and z = 1, which row b forbids: x is 0.
  read_lp("probe.lp",
          "Maximize\n obj: 2 x + y + z\nSubject To\n a: x - y <= 0\n b: y + z <= 1\n"
          " c: z - x >= 0\nBinaries\n x y z\nEnd\n");
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_PREIND, 0), 0);
  EXPECT_NEAR(solve(), 1.0, 1e-9);
  EXPECT_TRUE(logged("Probing fixed 1 vars, tightened 0 bounds.\n")) << results->text();
  EXPECT_TRUE(logged("Probing time = "));
  // Its implications join the clique table.
  EXPECT_TRUE(logged("Clique table members: "));
  // Switched off, nothing is said.
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_PROBE, -1), 0);
  const size_t before = results->text().size();
  EXPECT_NEAR(solve(), 1.0, 1e-9);
  EXPECT_EQ(results->text().find("Probing", before), std::string::npos);
}

TEST_F(RootCuts, ProbingShrinksCoefficientsAndTurnsRowsHeldAtTheirSideIntoEqualities) {
  // z = 0 empties y, so row k's 3 z adds nothing y <= 10 does not already
  // say: the entry goes. Rows p and q together hold x + w at 1 whatever x
  // is: both become equalities.
  read_lp("shrink.lp",
          "Maximize\n obj: 2 z + y + x + w\nSubject To\n v: y - 10 z <= 0\n k: 3 z + y <= 13\n"
          " p: x + w <= 1\n q: x + w >= 1\nBounds\n y <= 20\nBinaries\n z x w\nEnd\n");
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_PREIND, 0), 0);
  EXPECT_NEAR(solve(), 13.0, 1e-9);
  EXPECT_TRUE(logged("Probing removed 1 nonzeros.\n")) << results->text();
  EXPECT_TRUE(logged("Probing changed sense of 2 constraints.\n")) << results->text();
  // The problem itself keeps its rows.
  char sense[4];
  ASSERT_EQ(KRVgetsense(env, lp, sense, 0, 3), 0);
  EXPECT_EQ(std::string(sense, 4), "LLLG");
  EXPECT_EQ(KRVgetnumnz(env, lp), 8);
}

TEST_F(RootCuts, ProbingGivesARowTheBinaryThatEmptiesIt) {
  // z = 0 empties y1 and y2, so row cap holds as y1 + y2 - 10 z <= 0.
  read_lp("lift.lp",
          "Maximize\n obj: y1 + y2 - 3 z\nSubject To\n v1: y1 - 5 z <= 0\n v2: y2 - 5 z <= 0\n"
          " cap: y1 + y2 <= 10\nBounds\n y1 <= 20\n y2 <= 20\nBinaries\n z\nEnd\n");
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_PREIND, 0), 0);
  EXPECT_NEAR(solve(), 7.0, 1e-9);
  EXPECT_TRUE(logged("Probing added 1 nonzeros.\n")) << results->text();
  EXPECT_EQ(KRVgetnumnz(env, lp), 6);
}

// Σ 2·x_j = n over n interchangeable binaries has no solution for odd n,
// and every ordering of the columns is a symmetry of it.
mip_test::SmallMip odd_parity(int n) {
  mip_test::SmallMip m;
  mip_test::Row r;
  r.sense = 'E';
  r.rhs = n;
  for (int j = 0; j < n; ++j) {
    m.obj.push_back(1.0);
    m.lb.push_back(0.0);
    m.ub.push_back(1.0);
    m.ctype.push_back('B');
    r.entries.emplace_back(j, 2.0);
  }
  m.rows.push_back(r);
  return m;
}

TEST_F(RootCuts, SymmetryIsReportedAndItsBreakingShortensTheSearch) {
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_PREIND, 0), 0);  // presolve sees the parity itself
  ASSERT_EQ(KRVsetlongparam(env, KRV_PARAM_CUTPASS, -1), 0);
  ASSERT_EQ(odd_parity(11).load(env, lp), 0);
  auto nodes_to_prove_infeasible = [&] {
    EXPECT_EQ(KRVmipopt(env, lp), 0);
    EXPECT_EQ(KRVgetstat(env, lp), 103);
    return KRVgetnodecnt(env, lp);
  };
  const int broken = nodes_to_prove_infeasible();
  EXPECT_TRUE(logged("Found 39916800 symmetric permutations.\nOne symmetric pattern found.\n")) << results->text();
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_SYMMETRY, 0), 0);
  const size_t before = results->text().size();
  const int plain = nodes_to_prove_infeasible();
  EXPECT_EQ(results->text().find("symmetric", before), std::string::npos);
  EXPECT_LT(broken * 5, plain);
  // Too many permutations for a 64-bit count: mantissa and exponent.
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_SYMMETRY, -1), 0);
  ASSERT_EQ(odd_parity(21).load(env, lp), 0);
  nodes_to_prove_infeasible();
  EXPECT_TRUE(logged("Found 5.109094e+19 symmetric permutations.\n")) << results->text();
}

TEST_F(RootCuts, ViolatedUserCutsJoinTheRelaxationAndAreCounted) {
  // max x + y with 2x + 2y <= 3 over integers: the relaxation reaches 1.5;
  // the user's x + y <= 1 cuts it off and leaves the optimum 1.
  mip_test::SmallMip m;
  m.objsense = -1;
  m.obj = {1.0, 1.0};
  m.lb = {0.0, 0.0};
  m.ub = {5.0, 5.0};
  m.ctype = {'I', 'I'};
  m.rows.push_back({{{0, 2.0}, {1, 2.0}}, 'L', 3.0});
  ASSERT_EQ(m.load(env, lp), 0);
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_PREIND, 0), 0);  // presolve would round the row itself
  for (int family : {KRV_PARAM_COVERS, KRV_PARAM_MIRCUTS, KRV_PARAM_FRACCUTS, KRV_PARAM_CLIQUES})
    ASSERT_EQ(KRVsetintparam(env, family, -1), 0);
  const int beg = 0, ind[] = {0, 1};
  const double val[] = {1.0, 1.0}, rhs = 1.0;
  const char sense = 'L';
  ASSERT_EQ(KRVaddusercuts(env, lp, 1, 2, &rhs, &sense, &beg, ind, val, nullptr), 0);
  EXPECT_NEAR(solve(), 1.0, 1e-9);
  EXPECT_TRUE(logged("User cuts applied:  1\n")) << results->text();
  EXPECT_TRUE(logged("User: 1")) << results->text();
  EXPECT_EQ(KRVgetnodecnt(env, lp), 1);
}

TEST_F(RootCuts, UserCutsFollowPresolveOrAreDroppedWhenTheyCannot) {
  // Presolve substitutes y = 4 - x out of the equality and fixes z: the
  // cut on y has no form without y; the cut on x and z becomes x <= 2.
  read_lp("crush.lp",
          "Maximize\n obj: x + 0.5 y + z + 3 w\nSubject To\n e: x + y = 4\n k: x + w <= 3.5\n"
          "Bounds\n y <= 10\n z = 1\n x <= 4\nGenerals\n x w\nEnd\n");
  const int beg[] = {0, 1}, ind[] = {1, 0, 2};
  const double val[] = {1.0, 1.0, 1.0}, rhs[] = {3.0, 3.0};
  const char sense[] = {'L', 'L'};
  ASSERT_EQ(KRVaddusercuts(env, lp, 2, 3, rhs, sense, beg, ind, val, nullptr), 0);
  // max x + 0.5(4 - x) + 1 + 3w with x <= 2 and x + w <= 3.5: x = 0, w = 3.
  EXPECT_NEAR(solve(), 12.0, 1e-9);
  EXPECT_TRUE(logged("Problem contains 2 user cuts.\n")) << results->text();
  EXPECT_TRUE(logged("Could not crush 1 user cuts.")) << results->text();
}

}  // namespace
