// Small models of the shared MIP collection solved by KRVmipopt with default
// settings: the answer must match the catalogue's best known integer
// solution, the incumbent must be an integral point of the model as it was
// read, and the search's queries must describe a finished search whose
// bound and gap agree with that answer.
#include <algorithm>
#include <cmath>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "mip/mip_test_support.h"

namespace {

// Each solves in well under a second with default settings; the suite as
// a whole must stay fast on a two-core CI machine.
const char* const kModels[] = {"p0033", "egout", "flugpl", "gt2", "enigma", "stein27", "khb05250", "misc06"};

struct CatalogueEntry {
  double best_integer = 0.0;
  bool proven_optimal = false;
};

// name,rows,cols,integers,binaries,best_integer,proven_optimal,lp_relaxation
std::map<std::string, CatalogueEntry> read_catalogue() {
  std::map<std::string, CatalogueEntry> entries;
  std::ifstream in(korva_test::data_path("miplib3/catalogue.csv"));
  std::string line;
  std::getline(in, line);
  while (std::getline(in, line)) {
    std::vector<std::string> fields;
    std::stringstream s(line);
    for (std::string f; std::getline(s, f, ',');) fields.push_back(f);
    if (fields.size() < 7) continue;
    entries[fields[0]] = {std::stod(fields[5]), fields[6] == "1"};
  }
  return entries;
}

// The rows of the model read back through the interface, as intervals.
struct RowData {
  std::vector<int> beg, ind;
  std::vector<double> val, lo, hi;
};

RowData read_rows(KRVenv env, KRVprob lp) {
  const int m = KRVgetnumrows(env, lp);
  RowData r;
  std::vector<double> rhs(m), range(m);
  std::vector<char> sense(m);
  EXPECT_EQ(KRVgetrhs(env, lp, rhs.data(), 0, m - 1), 0);
  EXPECT_EQ(KRVgetsense(env, lp, sense.data(), 0, m - 1), 0);
  // Range values exist only for a model with ranged rows.
  if (std::count(sense.begin(), sense.end(), 'R') > 0) {
    EXPECT_EQ(KRVgetrngval(env, lp, range.data(), 0, m - 1), 0);
  }
  int nz = 0, surplus = 0;
  r.beg.resize(m + 1);
  KRVgetrows(env, lp, &nz, r.beg.data(), nullptr, nullptr, 0, &surplus, 0, m - 1);
  r.ind.resize(-surplus);
  r.val.resize(-surplus);
  EXPECT_EQ(KRVgetrows(env, lp, &nz, r.beg.data(), r.ind.data(), r.val.data(), -surplus, &surplus, 0, m - 1), 0);
  r.beg[m] = nz;
  for (int i = 0; i < m; ++i) {
    double lo = -1e30, hi = 1e30;
    switch (sense[i]) {
      case 'L':
        hi = rhs[i];
        break;
      case 'G':
        lo = rhs[i];
        break;
      case 'E':
        lo = hi = rhs[i];
        break;
      default:  // 'R': from rhs to rhs + range, whatever the sign of the range
        lo = std::min(rhs[i], rhs[i] + range[i]);
        hi = std::max(rhs[i], rhs[i] + range[i]);
        break;
    }
    r.lo.push_back(lo);
    r.hi.push_back(hi);
  }
  return r;
}

class CollectionModel : public mip_test::MipTest {
 protected:
  void SetUp() override {
    MipTest::SetUp();
    ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_MIPDISPLAY, 0), 0);
  }
};

class MipCollection : public CollectionModel, public ::testing::WithParamInterface<const char*> {};

// Solves one model of the collection and checks the answer, the incumbent
// and the queries.
void expect_solved(KRVenv env, KRVprob lp, const korva_test::Capture& errors, const korva_test::Capture& warnings,
                   const std::string& name) {
  const auto catalogue = read_catalogue();
  ASSERT_TRUE(catalogue.count(name)) << name;
  const CatalogueEntry expected = catalogue.at(name);
  ASSERT_EQ(KRVreadcopyprob(env, lp, korva_test::data_path("miplib3/" + name + ".mps.gz").c_str(), nullptr), 0);
  const int n = KRVgetnumcols(env, lp);
  const int objsense = KRVgetobjsen(env, lp);

  ASSERT_EQ(KRVmipopt(env, lp), 0) << errors.text();
  const int status = KRVgetstat(env, lp);
  ASSERT_TRUE(status == 101 || status == 102) << name << " ended with status " << status;
  EXPECT_EQ(warnings.text().find("unscaled infeasibilities"), std::string::npos) << warnings.text();

  double z = 0.0;
  ASSERT_EQ(KRVgetobjval(env, lp, &z), 0);
  if (expected.proven_optimal) {
    EXPECT_LE(std::fabs(z - expected.best_integer), 1e-4 * std::max(1.0, std::fabs(expected.best_integer)))
        << name << ": " << z << " against the catalogue's " << expected.best_integer;
  }

  // The incumbent, checked on the model's own data.
  std::vector<double> x(n), lb(n), ub(n), obj(n);
  std::vector<char> ctype(n);
  ASSERT_EQ(KRVgetx(env, lp, x.data(), 0, n - 1), 0);
  ASSERT_EQ(KRVgetlb(env, lp, lb.data(), 0, n - 1), 0);
  ASSERT_EQ(KRVgetub(env, lp, ub.data(), 0, n - 1), 0);
  ASSERT_EQ(KRVgetobj(env, lp, obj.data(), 0, n - 1), 0);
  ASSERT_EQ(KRVgetctype(env, lp, ctype.data(), 0, n - 1), 0);
  // The worst violation of each kind, with where it is.
  double recomputed = 0.0, bound_violation = 0.0, fraction = 0.0;
  int bound_at = -1, fraction_at = -1;
  for (int j = 0; j < n; ++j) {
    recomputed += obj[j] * x[j];
    const double v = std::max(lb[j] - x[j], x[j] - ub[j]);
    if (v > bound_violation) {
      bound_violation = v;
      bound_at = j;
    }
    const double f = std::fabs(x[j] - std::round(x[j]));
    if ((ctype[j] == 'I' || ctype[j] == 'B') && f > fraction) {
      fraction = f;
      fraction_at = j;
    }
  }
  EXPECT_LE(bound_violation, 1e-6) << name << " column " << bound_at;
  EXPECT_LE(fraction, 1e-5) << name << " integer column " << fraction_at;
  EXPECT_NEAR(recomputed, z, 1e-9 * std::max(1.0, std::fabs(z))) << name;
  const RowData rows = read_rows(env, lp);
  double row_violation = 0.0;
  size_t row_at = 0, violated_rows = 0;
  for (size_t i = 0; i < rows.lo.size(); ++i) {
    double a = 0.0;
    for (int k = rows.beg[i]; k < rows.beg[i + 1]; ++k) a += rows.val[k] * x[rows.ind[k]];
    const double v = std::max(rows.lo[i] - a, a - rows.hi[i]);
    if (v > 1e-6) ++violated_rows;
    if (v > row_violation) {
      row_violation = v;
      row_at = i;
    }
  }
  EXPECT_LE(row_violation, 1e-6) << name << ": row " << row_at << " is the worst of " << violated_rows
                                 << " rows violated";

  // The bound lies on the far side of the incumbent, within the gap the
  // default tolerances allow.
  double b = 0.0, gap = -1.0, epgap = 0.0, epagap = 0.0;
  ASSERT_EQ(KRVgetbestobjval(env, lp, &b), 0);
  ASSERT_EQ(KRVgetmiprelgap(env, lp, &gap), 0);
  ASSERT_EQ(KRVgetdblparam(env, KRV_PARAM_EPGAP, &epgap), 0);
  ASSERT_EQ(KRVgetdblparam(env, KRV_PARAM_EPAGAP, &epagap), 0);
  EXPECT_LE(objsense * (b - z), 1e-9 * std::max(1.0, std::fabs(z))) << name << ": bound " << b << ", incumbent " << z;
  EXPECT_LE(std::fabs(z - b), std::max(epagap * 1.0000000000001, epgap * (std::fabs(z) + 1e-10)) + 1e-9) << name;
  double expected_gap = objsense * (z - b) / (std::fabs(z) + 1e-10);
  if (std::fabs(expected_gap) <= 1e-10 || std::fabs(z - b) <= 1e-9) expected_gap = 0.0;
  EXPECT_NEAR(gap, expected_gap, 1e-12) << name;
  if (status == 101) {
    EXPECT_LE(gap, epgap) << name;
  }

  // The search is over: nothing is left, and the incumbent came from one
  // of the nodes processed.
  const long long nodes = KRVLgetnodecnt(env, lp);
  EXPECT_GE(nodes, 1) << name;
  EXPECT_EQ(KRVgetnodeleftcnt(env, lp), 0) << name;
  const long long found_at = KRVLgetnodeint(env, lp);
  EXPECT_GE(found_at, 0) << name;
  EXPECT_LT(found_at, nodes) << name;
  EXPECT_GT(KRVLgetmipitcnt(env, lp), 0) << name;
  EXPECT_EQ(errors.text(), "") << name;
}

TEST_P(MipCollection, SolvesToTheCatalogueOptimumWithAnIntegralFeasibleIncumbent) {
  KORVA_REQUIRE_SHARED_DATA();
  expect_solved(env, lp, *errors, *warnings, GetParam());
}

INSTANTIATE_TEST_SUITE_P(MipSet, MipCollection, ::testing::ValuesIn(kModels),
                         [](const ::testing::TestParamInfo<const char*>& info) { return std::string(info.param); });

// Every found solution passes the feasibility check on the original model,
// and one violating a constraint by more than the tolerances never becomes
// the incumbent. Gen's LP solutions used to miss rows by 1.00014e-6 with a
// feasibility tolerance of 1e-6: rows that scaling shrinks hide their
// violations from the LP's tolerance.
class MipCollectionIncumbent : public CollectionModel {};

TEST_F(MipCollectionIncumbent, GenIncumbentIsFeasibleWithinTheTolerances) {
  KORVA_REQUIRE_SHARED_DATA();
  expect_solved(env, lp, *errors, *warnings, "gen");
}

}  // namespace

namespace {

// A deterministic parallel search repeats itself exactly: the same nodes,
// iterations and incumbent on every run with the same thread count, and
// the same answer as one thread.
TEST_F(CollectionModel, DeterministicParallelRunsRepeatNodeForNode) {
  KORVA_REQUIRE_SHARED_DATA();
  ASSERT_EQ(KRVreadcopyprob(env, lp, korva_test::data_path("miplib3/stein27.mps.gz").c_str(), nullptr), 0);
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_PARALLELMODE, 1), 0);
  const int n = KRVgetnumcols(env, lp);
  struct Run {
    long long nodes, iterations;
    double objective;
    std::vector<double> x;
  };
  auto run = [&](int threads) {
    EXPECT_EQ(KRVsetintparam(env, KRV_PARAM_THREADS, threads), 0);
    EXPECT_EQ(KRVmipopt(env, lp), 0);
    Run r{KRVLgetnodecnt(env, lp), KRVLgetmipitcnt(env, lp), 0.0, std::vector<double>(n)};
    EXPECT_EQ(KRVgetobjval(env, lp, &r.objective), 0);
    EXPECT_EQ(KRVgetx(env, lp, r.x.data(), 0, n - 1), 0);
    return r;
  };
  if (std::thread::hardware_concurrency() < 2) GTEST_SKIP() << "one processor";
  const Run first = run(2), second = run(2), single = run(1);
  EXPECT_EQ(first.nodes, second.nodes);
  EXPECT_EQ(first.iterations, second.iterations);
  EXPECT_EQ(first.objective, second.objective);
  EXPECT_EQ(first.x, second.x);
  EXPECT_EQ(first.objective, single.objective);
  EXPECT_EQ(KRVgetstat(env, lp), 101);
}

}  // namespace

namespace {

// Deep in arki001's tree the dual simplex repairs singular bases again and
// again, and a node LP once came back "optimal" at a point far outside the
// node (objective 0, rows missed by 7e5) that was taken as an integral
// incumbent and pruned the whole tree. Whatever the LP does, the search
// must stop with a bound below the best known solution and no incumbent
// that the model rejects.
TEST_F(CollectionModel, BrokenNodeLpsNeverBecomeIncumbentsOrBounds) {
  KORVA_REQUIRE_SHARED_DATA();
  read_collection_model("arki001");
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_THREADS, 1), 0);
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_CUTPASS, -1), 0);
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_HEURFREQ, -1), 0);
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_NODELIM, 4500), 0);
  ASSERT_EQ(KRVmipopt(env, lp), 0) << errors->text();
  const double best_known = 7580813.0459, lp_relaxation = 7579599.80787;
  double bound = 0.0;
  ASSERT_EQ(KRVgetbestobjval(env, lp, &bound), 0);
  EXPECT_GE(bound, lp_relaxation - 1e-3);
  EXPECT_LE(bound, best_known * (1 + 1e-9));
  const int status = KRVgetstat(env, lp);
  EXPECT_NE(status, 115);
  double z = 0.0;
  if (KRVgetobjval(env, lp, &z) == 0) {
    EXPECT_GE(z, best_known * (1 - 1e-6)) << "status " << status;
  }
  EXPECT_EQ(warnings->text().find("unscaled infeasibilities"), std::string::npos) << warnings->text();
}

}  // namespace
