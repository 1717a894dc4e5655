// The mixed-integer driver seen from the outside: what KRVmipopt decides
// before any search (bound infeasibility), the settings it changes for lazy
// constraints and gives back, the limits and the statuses they end with,
// the queries on a finished or stopped search, polishing start conditions,
// and the node log, its summaries and the incumbent files.
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <regex>
#include <sstream>
#include <thread>

#include "mip/mip_test_support.h"

namespace {

using mip_test::Row;
using mip_test::easy_model;
using mip_test::SmallMip;

// max sum a_j x_j subject to sum a_j x_j <= rhs, binary x, every a_j even
// and rhs odd: the relaxation reaches rhs, no integer point does, and the
// linear relaxation cannot see parity, so proving the optimum rhs - 1 takes
// a tree far larger than any test here lets the search build. Good
// solutions are easy to find.
SmallMip parity_knapsack(int n) {
  SmallMip m;
  m.objsense = -1;
  Row r;
  r.sense = 'L';
  double total = 0.0;
  for (int j = 0; j < n; ++j) {
    const double a = 2.0 * (10 + (j * 7) % 23);
    m.obj.push_back(a);
    m.lb.push_back(0.0);
    m.ub.push_back(1.0);
    m.ctype.push_back('B');
    r.entries.emplace_back(j, a);
    total += a;
  }
  r.rhs = 2.0 * std::floor(total / 4.0) + 1.0;
  m.rows.push_back(r);
  return m;
}

// sum 2 x_j = n (n odd), binary x: no integer point, and a fractional one
// at nearly every node, so the search neither finds an incumbent nor ends
// soon.
SmallMip parity_equation(int n) {
  SmallMip m;
  Row r;
  r.sense = 'E';
  r.rhs = n;
  for (int j = 0; j < n; ++j) {
    m.obj.push_back(1.0 + j % 3);
    m.lb.push_back(0.0);
    m.ub.push_back(1.0);
    m.ctype.push_back('B');
    r.entries.emplace_back(j, 2.0);
  }
  m.rows.push_back(r);
  return m;
}

// The relative gap as the queries and the log compute it.
double relative_gap(int objsense, double z, double b) {
  const double gap = objsense * (z - b) / (std::fabs(z) + 1e-10);
  if (std::fabs(gap) <= 1e-10 || std::fabs(z - b) <= 1e-9) return 0.0;
  return gap;
}

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// One line of the node log, cut at its column positions.
struct NodeLine {
  bool star = false, plus = false;
  long long node = -1, left = -1;
  std::string objective, best_integer, best_bound, itcnt, gap;
};

// "%c%6lld%c%5lld %19s %13s %13s %8s %8s": 79 characters.
bool parse_node_line(const std::string& s, NodeLine* out) {
  static const std::regex shape(R"(^[ *][ 0-9]{5}[0-9][ +][ 0-9]{4}[0-9] .{19} .{13} .{13} .{8} .{8}$)");
  if (s.size() != 79 || !std::regex_match(s, shape)) return false;
  out->star = s[0] == '*';
  out->node = std::stoll(s.substr(1, 6));
  out->plus = s[7] == '+';
  out->left = std::stoll(s.substr(8, 5));
  out->objective = s.substr(14, 19);
  out->best_integer = s.substr(34, 13);
  out->best_bound = s.substr(48, 13);
  out->itcnt = s.substr(62, 8);
  out->gap = s.substr(71, 8);
  return true;
}

bool blank(const std::string& s) { return s.find_first_not_of(' ') == std::string::npos; }

class MipDriver : public mip_test::MipTest {
 protected:
  // These suites watch the search itself, on models built to need a long
  // one; presolve and cuts see through them (the parity of an all-even
  // row), symmetry breaking shortens them (their columns come in classes
  // of equal cost), and each has suites of its own.
  void SetUp() override {
    MipTest::SetUp();
    set_int(KRV_PARAM_PREIND, 0);
    set_int(KRV_PARAM_SYMMETRY, 0);
    ASSERT_EQ(KRVsetlongparam(env, KRV_PARAM_CUTPASS, -1), 0);
  }

  void load(const SmallMip& m) { ASSERT_EQ(m.load(env, lp), 0); }
  void name_column(int j, const char* name) { ASSERT_EQ(KRVchgname(env, lp, 'c', j, name), 0); }

  // Loads and solves; the call itself must succeed.
  int solve(const SmallMip& m) {
    EXPECT_EQ(m.load(env, lp), 0);
    EXPECT_EQ(KRVmipopt(env, lp), 0) << errors->text();
    return KRVgetstat(env, lp);
  }

  double objective() {
    double z = 0.0;
    EXPECT_EQ(KRVgetobjval(env, lp, &z), 0);
    return z;
  }

  std::vector<double> incumbent(int n) {
    std::vector<double> x(n);
    EXPECT_EQ(KRVgetx(env, lp, x.data(), 0, n - 1), 0);
    return x;
  }

  // A search stopped early with an incumbent: the incumbent is a solution
  // of the model, the bound lies beyond it but not beyond the relaxation,
  // and the gap follows the relative gap formula.
  void expect_stopped_with_incumbent(const SmallMip& m, double relaxation_bound) {
    const std::vector<double> x = incumbent(m.num_cols());
    EXPECT_TRUE(mip_test::satisfies(m, x, 1e-6));
    double z = 0.0, b = 0.0, gap = 0.0;
    ASSERT_EQ(KRVgetobjval(env, lp, &z), 0);
    ASSERT_EQ(KRVgetbestobjval(env, lp, &b), 0);
    ASSERT_EQ(KRVgetmiprelgap(env, lp, &gap), 0);
    EXPECT_LE(m.objsense * (b - z), 1e-9);
    EXPECT_LE(m.objsense * (relaxation_bound - b), 1e-6);
    EXPECT_NEAR(gap, relative_gap(m.objsense, z, b), 1e-12);
    const long long nodes = KRVLgetnodecnt(env, lp);
    EXPECT_GE(KRVLgetnodeint(env, lp), 0);
    EXPECT_LT(KRVLgetnodeint(env, lp), nodes);
    EXPECT_GT(KRVgetnodeleftcnt(env, lp), 0);
  }

  // A search stopped early without an incumbent.
  void expect_stopped_without_incumbent() {
    EXPECT_EQ(KRVgetnodeint(env, lp), -1);
    EXPECT_EQ(KRVLgetnodeint(env, lp), -1);
    double b = 0.0;
    EXPECT_EQ(KRVgetbestobjval(env, lp, &b), 0);
    EXPECT_GT(KRVgetnodeleftcnt(env, lp), 0);
    std::vector<double> x(1);
    EXPECT_NE(KRVgetx(env, lp, x.data(), 0, 0), 0);
  }

  void set_int(int which, int value) { ASSERT_EQ(KRVsetintparam(env, which, value), 0) << which; }
  void set_long(int which, long long value) { ASSERT_EQ(KRVsetlongparam(env, which, value), 0) << which; }
  void set_dbl(int which, double value) { ASSERT_EQ(KRVsetdblparam(env, which, value), 0) << which; }
  int get_int(int which) {
    int v = 0;
    EXPECT_EQ(KRVgetintparam(env, which, &v), 0);
    return v;
  }
  double get_dbl(int which) {
    double v = 0;
    EXPECT_EQ(KRVgetdblparam(env, which, &v), 0);
    return v;
  }

};

// ---- bound infeasibility ----------------------------------------------------------

class BoundInfeasibility : public MipDriver {
 protected:
  // An integer column, a second column of the given type and bounds, and a
  // row between them.
  SmallMip two_columns(char type, double lo, double hi) {
    SmallMip m;
    m.obj = {1.0, 1.0};
    m.lb = {0.0, lo};
    m.ub = {5.0, hi};
    m.ctype = {'I', type};
    m.rows.push_back({{{0, 1.0}, {1, 1.0}}, 'L', 10.0});
    return m;
  }
  void expect_bound_infeasible(const SmallMip& m, const std::string& column) {
    load(m);
    name_column(1, column.c_str());
    ASSERT_EQ(KRVmipopt(env, lp), 0);
    EXPECT_EQ(KRVgetstat(env, lp), 103);
    EXPECT_EQ(warnings->text(), "Warning:  Bound infeasibility column '" + column + "'.\n");
    EXPECT_EQ(errors->text(), "");
    EXPECT_EQ(KRVgetnodeint(env, lp), -1);
  }
};

TEST_F(BoundInfeasibility, ContinuousColumnWithLowerAboveUpperEndsAtOnceWithAWarning) {
  expect_bound_infeasible(two_columns('C', 2.0, 1.0), "flow");
}

TEST_F(BoundInfeasibility, TheWarningIsLeftOutWithoutDisplay) {
  set_int(KRV_PARAM_MIPDISPLAY, 0);
  load(two_columns('C', 2.0, 1.0));
  ASSERT_EQ(KRVmipopt(env, lp), 0);
  EXPECT_EQ(KRVgetstat(env, lp), 103);
  EXPECT_EQ(warnings->text(), "");
  EXPECT_EQ(errors->text(), "");
}

TEST_F(BoundInfeasibility, IntegerBoundsThatRoundToAnEmptyRange) {
  expect_bound_infeasible(two_columns('I', 0.3, 0.7), "count");
}

TEST_F(BoundInfeasibility, IntegerBoundsWithinTheToleranceOfAnIntegerCountAsThatInteger) {
  // 0.999999 and 0.9999995 both lie within 1e-5 of 1: the range is {1}.
  set_int(KRV_PARAM_MIPDISPLAY, 0);
  const SmallMip m = two_columns('I', 0.999999, 0.9999995);
  EXPECT_EQ(solve(m), 101);
  EXPECT_EQ(warnings->text(), "");
  EXPECT_NEAR(incumbent(2)[1], 1.0, 1e-5);
}

TEST_F(BoundInfeasibility, BinaryColumnAboveOne) { expect_bound_infeasible(two_columns('B', 2.0, 3.0), "flag"); }

TEST_F(BoundInfeasibility, BinaryColumnBelowZero) { expect_bound_infeasible(two_columns('B', -2.0, -1.0), "flag"); }

TEST_F(BoundInfeasibility, OnlyTheFirstFailingColumnIsNamed) {
  SmallMip m = two_columns('C', 2.0, 1.0);
  m.obj.push_back(0.0);
  m.lb.push_back(4.0);
  m.ub.push_back(3.0);
  m.ctype.push_back('C');
  load(m);
  name_column(1, "first");
  name_column(2, "second");
  ASSERT_EQ(KRVmipopt(env, lp), 0);
  EXPECT_EQ(KRVgetstat(env, lp), 103);
  EXPECT_EQ(warnings->text(), "Warning:  Bound infeasibility column 'first'.\n");
}

TEST_F(BoundInfeasibility, SemiContinuousColumnsAreNotChecked) {
  // A semi-continuous column with lb > ub can still be 0.
  set_int(KRV_PARAM_MIPDISPLAY, 0);
  EXPECT_EQ(solve(two_columns('S', 3.0, 2.0)), 101);
  EXPECT_EQ(warnings->text().find("Bound infeasibility"), std::string::npos) << warnings->text();
  EXPECT_EQ(incumbent(2)[1], 0.0);
}

// ---- lazy constraints ---------------------------------------------------------------

class LazyConstraints : public MipDriver {
 protected:
  void SetUp() override {
    MipDriver::SetUp();
    log = std::make_unique<korva_test::Capture>(env, channel(3));
  }
  void TearDown() override {
    log.reset();
    MipDriver::TearDown();
  }
  // x + y <= 7 as a lazy constraint: the relaxation's optimum (5, 10)
  // violates it.
  void add_lazy() {
    const double rhs = 7.0;
    const char sense = 'L';
    const int beg = 0, ind[] = {0, 1};
    const double val[] = {1.0, 1.0};
    ASSERT_EQ(KRVaddlazyconstraints(env, lp, 1, 2, &rhs, &sense, &beg, ind, val, nullptr), 0);
  }
  std::unique_ptr<korva_test::Capture> log;
};

const char* const kLazyPresent = "Lazy constraint(s) or lazy constraint callback is present.\n";
const char* const kDualOff = "    Disabling dual reductions (KRV_PARAM_REDUCE) in presolve.\n";
const char* const kNonLinearOff = "    Disabling non-linear reductions (KRV_PARAM_PRELINEAR) in presolve.\n";

TEST_F(LazyConstraints, AConstraintTheRelaxationViolatesIsRespectedByTheAnswer) {
  set_int(KRV_PARAM_MIPDISPLAY, 0);
  const SmallMip m = easy_model();
  load(m);
  add_lazy();
  ASSERT_EQ(KRVmipopt(env, lp), 0);
  ASSERT_EQ(KRVgetstat(env, lp), 101);
  const std::vector<double> x = incumbent(2);
  EXPECT_LE(x[0] + x[1], 7.0 + 1e-6);
  double z = 0.0;
  ASSERT_EQ(KRVgetobjval(env, lp, &z), 0);
  EXPECT_NEAR(z, 21.0, 1e-6);  // x = 7, y = 0
}

TEST_F(LazyConstraints, DefaultReductionsAreNarrowedWithBothLinesAndRestoredAfterwards) {
  load(easy_model());
  add_lazy();
  ASSERT_EQ(KRVmipopt(env, lp), 0);
  EXPECT_NE(log->text().find(std::string(kLazyPresent) + kDualOff + kNonLinearOff), std::string::npos)
      << log->text();
  EXPECT_EQ(get_int(KRV_PARAM_REDUCE), 3);
  EXPECT_EQ(get_int(KRV_PARAM_PRELINEAR), 1);
}

TEST_F(LazyConstraints, DualReductionsOnlyLeaveReduce2AsWell) {
  set_int(KRV_PARAM_REDUCE, 2);
  set_int(KRV_PARAM_PRELINEAR, 0);
  load(easy_model());
  add_lazy();
  ASSERT_EQ(KRVmipopt(env, lp), 0);
  EXPECT_NE(log->text().find(std::string(kLazyPresent) + kDualOff), std::string::npos) << log->text();
  EXPECT_EQ(log->text().find(kNonLinearOff), std::string::npos);
  EXPECT_EQ(get_int(KRV_PARAM_REDUCE), 2);
  EXPECT_EQ(get_int(KRV_PARAM_PRELINEAR), 0);
}

TEST_F(LazyConstraints, PrimalReductionsAloneKeepReduceAndItsLine) {
  set_int(KRV_PARAM_REDUCE, 1);
  load(easy_model());
  add_lazy();
  ASSERT_EQ(KRVmipopt(env, lp), 0);
  EXPECT_NE(log->text().find(std::string(kLazyPresent) + kNonLinearOff), std::string::npos) << log->text();
  EXPECT_EQ(log->text().find(kDualOff), std::string::npos);
  EXPECT_EQ(get_int(KRV_PARAM_REDUCE), 1);
  EXPECT_EQ(get_int(KRV_PARAM_PRELINEAR), 1);
}

TEST_F(LazyConstraints, NothingToChangeWritesNothing) {
  set_int(KRV_PARAM_REDUCE, 0);
  set_int(KRV_PARAM_PRELINEAR, 0);
  load(easy_model());
  add_lazy();
  ASSERT_EQ(KRVmipopt(env, lp), 0);
  EXPECT_EQ(log->text().find("Lazy constraint"), std::string::npos) << log->text();
  EXPECT_EQ(KRVgetstat(env, lp), 101);
}

TEST_F(LazyConstraints, WithoutLazyConstraintsNothingIsChangedOrWritten) {
  load(easy_model());
  ASSERT_EQ(KRVmipopt(env, lp), 0);
  EXPECT_EQ(log->text().find("Lazy constraint"), std::string::npos) << log->text();
}

TEST_F(LazyConstraints, SettingsComeBackAfterABoundInfeasibleExitToo) {
  SmallMip m = easy_model();
  m.lb[1] = 0.4;
  m.ub[1] = 0.6;
  load(m);
  add_lazy();
  ASSERT_EQ(KRVmipopt(env, lp), 0);
  EXPECT_EQ(KRVgetstat(env, lp), 103);
  EXPECT_EQ(get_int(KRV_PARAM_REDUCE), 3);
  EXPECT_EQ(get_int(KRV_PARAM_PRELINEAR), 1);
}

TEST_F(LazyConstraints, ALazyConstraintCallbackAloneCountsAsLazyConstraints) {
  // The callback adds nothing; its presence is what matters. It is a
  // control callback too.
  const KRVcutcallbackfunc nothing = [](KRVenv, void*, int, void*, int* useraction) {
    if (useraction) *useraction = 0;
    return 0;
  };
  ASSERT_EQ(KRVsetlazyconstraintcallbackfunc(env, nothing, nullptr), 0);
  load(easy_model());
  ASSERT_EQ(KRVmipopt(env, lp), 0);
  EXPECT_EQ(KRVgetstat(env, lp), 101);
  EXPECT_NE(log->text().find(std::string(kLazyPresent) + kDualOff + kNonLinearOff), std::string::npos)
      << log->text();
  EXPECT_NE(warnings->text().find("Warning: Control callbacks may disable some MIP features.\n"), std::string::npos)
      << warnings->text();
  EXPECT_EQ(get_int(KRV_PARAM_REDUCE), 3);
  EXPECT_EQ(get_int(KRV_PARAM_PRELINEAR), 1);
}

TEST_F(LazyConstraints, AFeasibilityToleranceAboveTheIntegralityToleranceIsWarnedAbout) {
  const char* const warning =
      "Warning: Lazy constraints are present for the setting with smaller integrality\n"
      "    tolerance than feasibility tolerance.\n";
  load(easy_model());
  add_lazy();
  ASSERT_EQ(KRVmipopt(env, lp), 0);
  EXPECT_EQ(warnings->text().find(warning), std::string::npos);  // 1e-6 and 1e-5 by default
  set_dbl(KRV_PARAM_EPRHS, 1e-5);
  set_dbl(KRV_PARAM_EPINT, 1e-6);
  ASSERT_EQ(KRVmipopt(env, lp), 0);
  EXPECT_NE(warnings->text().find(warning), std::string::npos) << warnings->text();
}

// ---- parameters the driver gives back ----------------------------------------------------

TEST_F(MipDriver, ParametersTheDriverMayChangeAreUnchangedAfterTheCall) {
  set_dbl(KRV_PARAM_EPINT, 1e-6);
  set_int(KRV_PARAM_CLOCKTYPE, 1);
  set_int(KRV_PARAM_SOLNPOOLINTENSITY, 2);
  set_int(KRV_PARAM_MIPCBREDLP, 0);
  set_dbl(KRV_PARAM_POLISHAFTERTIME, 1e6);
  set_int(KRV_PARAM_MIPDISPLAY, 0);
  set_long(KRV_PARAM_NODELIM, 30);
  solve(parity_knapsack(20));
  EXPECT_EQ(get_dbl(KRV_PARAM_EPINT), 1e-6);
  EXPECT_EQ(get_int(KRV_PARAM_CLOCKTYPE), 1);
  EXPECT_EQ(get_int(KRV_PARAM_SOLNPOOLINTENSITY), 2);
  EXPECT_EQ(get_int(KRV_PARAM_MIPCBREDLP), 0);
  EXPECT_EQ(get_dbl(KRV_PARAM_POLISHAFTERTIME), 1e6);
  EXPECT_EQ(get_int(KRV_PARAM_REDUCE), 3);
  EXPECT_EQ(get_int(KRV_PARAM_PRELINEAR), 1);
}

// ---- outcomes and limits -------------------------------------------------------------------

TEST_F(MipDriver, InfeasibleModelEndsWith103AndNoIncumbent) {
  set_int(KRV_PARAM_MIPDISPLAY, 0);
  EXPECT_EQ(solve(parity_equation(5)), 103);
  EXPECT_EQ(KRVgetnodeint(env, lp), -1);
  EXPECT_EQ(KRVgetnodeleftcnt(env, lp), 0);
  EXPECT_GE(KRVgetnodecnt(env, lp), 1);
  EXPECT_EQ(errors->text(), "");
}

TEST_F(MipDriver, InfeasibilityAfterDualReductionsIsReportedAs119) {
  // Presolve proves the parity row infeasible; with dual reductions allowed
  // the proof cannot tell infeasible from unbounded.
  set_int(KRV_PARAM_MIPDISPLAY, 0);
  set_int(KRV_PARAM_PREIND, 1);
  EXPECT_EQ(solve(parity_equation(5)), 119);
  EXPECT_EQ(KRVgetnodecnt(env, lp), 0);
  set_int(KRV_PARAM_REDUCE, 2);
  EXPECT_EQ(solve(parity_equation(5)), 119);
  set_int(KRV_PARAM_REDUCE, 1);
  EXPECT_EQ(solve(parity_equation(5)), 103);
  set_int(KRV_PARAM_REDUCE, 0);
  EXPECT_EQ(solve(parity_equation(5)), 103);
}

TEST_F(MipDriver, UnboundedRelaxationWithoutAnIntegerSolutionEndsWith119) {
  // max x - y with 2x - 2y = 1: no integer point; the relaxation is unbounded.
  set_int(KRV_PARAM_MIPDISPLAY, 0);
  SmallMip m;
  m.objsense = -1;
  m.obj = {1.0, 0.0};
  m.lb = {0.0, 0.0};
  m.ub = {KRV_INFBOUND, KRV_INFBOUND};
  m.ctype = {'I', 'I'};
  m.rows.push_back({{{0, 2.0}, {1, -2.0}}, 'E', 1.0});
  EXPECT_EQ(solve(m), 119);
  EXPECT_EQ(KRVgetnodeint(env, lp), -1);
}

TEST_F(MipDriver, UnboundedModelWithAnIntegerSolutionEndsWith118) {
  // max x + y with x - y <= 0: every (k, k) is a solution.
  set_int(KRV_PARAM_MIPDISPLAY, 0);
  SmallMip m;
  m.objsense = -1;
  m.obj = {1.0, 1.0};
  m.lb = {0.0, 0.0};
  m.ub = {KRV_INFBOUND, KRV_INFBOUND};
  m.ctype = {'I', 'C'};
  m.rows.push_back({{{0, 1.0}, {1, -1.0}}, 'L', 0.0});
  EXPECT_EQ(solve(m), 118);
  EXPECT_TRUE(mip_test::satisfies(m, incumbent(2), 1e-6));
}

TEST_F(MipDriver, NodeLimitWithAnIncumbentEndsWith105) {
  set_int(KRV_PARAM_MIPDISPLAY, 0);
  set_dbl(KRV_PARAM_EPGAP, 0.0);
  set_long(KRV_PARAM_NODELIM, 20);
  const SmallMip m = parity_knapsack(24);
  EXPECT_EQ(solve(m), 105);
  EXPECT_EQ(KRVgetnodecnt(env, lp), 20);
  expect_stopped_with_incumbent(m, m.rows[0].rhs);
}

TEST_F(MipDriver, NodeLimitWithoutAnIncumbentEndsWith106) {
  set_int(KRV_PARAM_MIPDISPLAY, 0);
  set_long(KRV_PARAM_NODELIM, 20);
  EXPECT_EQ(solve(parity_equation(31)), 106);
  // The count adds the nodes of the heuristics' nested searches.
  EXPECT_GE(KRVgetnodecnt(env, lp), 20);
  expect_stopped_without_incumbent();
}

TEST_F(MipDriver, SolutionLimitEndsWith104AtTheFirstIncumbent) {
  set_int(KRV_PARAM_MIPDISPLAY, 0);
  set_dbl(KRV_PARAM_EPGAP, 0.0);
  set_long(KRV_PARAM_INTSOLLIM, 1);
  const SmallMip m = parity_knapsack(24);
  EXPECT_EQ(solve(m), 104);
  expect_stopped_with_incumbent(m, m.rows[0].rhs);
}

TEST_F(MipDriver, SolutionLimitOfTwoNeedsTwoImprovements) {
  // With display 1 each improvement is one "Best integer" line.
  set_int(KRV_PARAM_MIPDISPLAY, 1);
  set_dbl(KRV_PARAM_EPGAP, 0.0);
  set_long(KRV_PARAM_INTSOLLIM, 2);
  const SmallMip m = parity_knapsack(24);
  const int status = solve(m);
  if (status == 104) {
    size_t count = 0;
    for (size_t at = results->text().find("Best integer = "); at != std::string::npos;
         at = results->text().find("Best integer = ", at + 1))
      ++count;
    EXPECT_EQ(count, 2u) << results->text();
  } else {
    // The second improvement may already be optimal within no gap.
    EXPECT_EQ(status, 101);
  }
}

TEST_F(MipDriver, IterationLimitWithoutAnIncumbentEndsWith134) {
  set_int(KRV_PARAM_MIPDISPLAY, 0);
  set_long(KRV_PARAM_ITLIM, 40);
  EXPECT_EQ(solve(parity_equation(31)), 134);
  EXPECT_GE(KRVgetmipitcnt(env, lp), 40);
  EXPECT_EQ(KRVgetnodeint(env, lp), -1);
  double b = 0.0;
  EXPECT_EQ(KRVgetbestobjval(env, lp, &b), 0);
}

TEST_F(MipDriver, IterationLimitWithAnIncumbentEndsWith133) {
  set_int(KRV_PARAM_MIPDISPLAY, 0);
  set_dbl(KRV_PARAM_EPGAP, 0.0);
  set_long(KRV_PARAM_ITLIM, 300);
  const SmallMip m = parity_knapsack(24);
  EXPECT_EQ(solve(m), 133);
  EXPECT_GE(KRVgetmipitcnt(env, lp), 300);
  expect_stopped_with_incumbent(m, m.rows[0].rhs);
}

TEST_F(MipDriver, TimeLimitWithoutAnIncumbentEndsWith108) {
  set_int(KRV_PARAM_MIPDISPLAY, 0);
  set_dbl(KRV_PARAM_TILIM, 0.2);
  const auto started = std::chrono::steady_clock::now();
  EXPECT_EQ(solve(parity_equation(41)), 108);
  EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count(), 2.0);
  expect_stopped_without_incumbent();
}

TEST_F(MipDriver, TimeLimitWithAnIncumbentEndsWith107) {
  set_int(KRV_PARAM_MIPDISPLAY, 0);
  set_dbl(KRV_PARAM_EPGAP, 0.0);
  set_dbl(KRV_PARAM_TILIM, 0.2);
  const SmallMip m = parity_knapsack(40);
  const auto started = std::chrono::steady_clock::now();
  EXPECT_EQ(solve(m), 107);
  EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count(), 2.0);
  expect_stopped_with_incumbent(m, m.rows[0].rhs);
}

TEST_F(MipDriver, GapToleranceStopsWith102AndZeroToleranceProvesOptimality) {
  // The parity knapsack's gap is 1/(rhs - 1): a 1% tolerance closes it at
  // once, no tolerance never does.
  set_int(KRV_PARAM_MIPDISPLAY, 0);
  set_dbl(KRV_PARAM_EPGAP, 0.01);
  const SmallMip m = parity_knapsack(24);
  EXPECT_EQ(solve(m), 102);
  double z = 0.0, b = 0.0, gap = 0.0;
  ASSERT_EQ(KRVgetobjval(env, lp, &z), 0);
  ASSERT_EQ(KRVgetbestobjval(env, lp, &b), 0);
  ASSERT_EQ(KRVgetmiprelgap(env, lp, &gap), 0);
  EXPECT_NEAR(gap, relative_gap(-1, z, b), 1e-12);
  EXPECT_GT(gap, 0.0);
  EXPECT_LE(gap, 0.01);
  // Any solution within the tolerance will do; none beats rhs - 1.
  EXPECT_LE(z, m.rows[0].rhs - 1.0);
}

TEST_F(MipDriver, SolutionLimitIsTestedBeforeTheNodeLimit) {
  // Both hold once the root has given an incumbent and one node is done.
  set_int(KRV_PARAM_MIPDISPLAY, 0);
  set_dbl(KRV_PARAM_EPGAP, 0.0);
  set_long(KRV_PARAM_INTSOLLIM, 1);
  set_long(KRV_PARAM_NODELIM, 1);
  EXPECT_EQ(solve(parity_knapsack(24)), 104);
}

TEST_F(MipDriver, IterationLimitIsTestedBeforeTheNodeLimit) {
  set_int(KRV_PARAM_MIPDISPLAY, 0);
  set_long(KRV_PARAM_ITLIM, 1);
  set_long(KRV_PARAM_NODELIM, 1);
  EXPECT_EQ(solve(parity_equation(31)), 134);
}

TEST_F(MipDriver, AFinishedSearchWithoutGapToleranceEndsWith101) {
  set_int(KRV_PARAM_MIPDISPLAY, 0);
  const SmallMip m = easy_model();
  EXPECT_EQ(solve(m), 101);
  double z = 0.0, b = 0.0, gap = 1.0, cutoff = 0.0;
  ASSERT_EQ(KRVgetobjval(env, lp, &z), 0);
  ASSERT_EQ(KRVgetbestobjval(env, lp, &b), 0);
  ASSERT_EQ(KRVgetmiprelgap(env, lp, &gap), 0);
  ASSERT_EQ(KRVgetcutoff(env, lp, &cutoff), 0);
  EXPECT_EQ(z, 35.0);
  EXPECT_EQ(b, 35.0);
  EXPECT_EQ(gap, 0.0);
  EXPECT_EQ(cutoff, 35.0);  // no objective difference: the incumbent itself, in the user's sense
  EXPECT_EQ(KRVgetnodeleftcnt(env, lp), 0);
  EXPECT_EQ(KRVgetnodeint(env, lp), 0);
  // The last subproblem was the root's LP, solved to optimality by the
  // dual simplex.
  EXPECT_EQ(KRVgetsubstat(env, lp), 1);
  EXPECT_EQ(KRVgetsubmethod(env, lp), 2);
}

TEST_F(MipDriver, LowerCutoffOfAMaximisationExcludesEveryWorseSolution) {
  set_int(KRV_PARAM_MIPDISPLAY, 0);
  set_dbl(KRV_PARAM_CUTLO, 40.0);  // the optimum is 35
  EXPECT_EQ(solve(easy_model()), 103);
  double cutoff = 0.0;
  ASSERT_EQ(KRVgetcutoff(env, lp, &cutoff), 0);
  EXPECT_EQ(cutoff, 40.0);
  EXPECT_EQ(KRVgetnodeint(env, lp), -1);
  set_dbl(KRV_PARAM_CUTLO, 30.0);
  EXPECT_EQ(solve(easy_model()), 101);
  ASSERT_EQ(KRVgetcutoff(env, lp, &cutoff), 0);
  EXPECT_EQ(cutoff, 35.0);
}

TEST_F(MipDriver, UpperCutoffOfAMinimisationExcludesEveryWorseSolution) {
  set_int(KRV_PARAM_MIPDISPLAY, 0);
  SmallMip m = easy_model();
  m.objsense = 1;
  m.rows[0].sense = 'G';  // min 3x + 2y with 2x + y >= 20: optimum 30 at (10, 0)
  set_dbl(KRV_PARAM_CUTUP, 29.0);
  EXPECT_EQ(solve(m), 103);
  set_dbl(KRV_PARAM_CUTUP, 31.0);
  EXPECT_EQ(solve(m), 101);
  double z = 0.0;
  ASSERT_EQ(KRVgetobjval(env, lp, &z), 0);
  EXPECT_EQ(z, 30.0);
}

TEST_F(MipDriver, ATerminateRequestStopsTheSearchWith114WithoutIncumbent) {
  set_int(KRV_PARAM_MIPDISPLAY, 0);
  volatile int terminate = 1;
  ASSERT_EQ(KRVsetterminate(env, &terminate), 0);
  EXPECT_EQ(solve(parity_equation(31)), 114);
  EXPECT_EQ(KRVgetnodeint(env, lp), -1);
  ASSERT_EQ(KRVsetterminate(env, nullptr), 0);
}

TEST_F(MipDriver, TheProfileCallbackBracketsTheSearch) {
  static std::vector<int> events;
  events.clear();
  ASSERT_EQ(KRVsetprofcallbackfunc(
                env, [](KRVenv, int event, void*) { events.push_back(event); }, nullptr),
            0);
  set_int(KRV_PARAM_MIPDISPLAY, 0);
  solve(easy_model());
  EXPECT_EQ(events, (std::vector<int>{0, 1}));
}

// ---- queries ---------------------------------------------------------------------------------

TEST_F(MipDriver, QueriesWithoutASearchReport1217) {
  load(easy_model());
  EXPECT_EQ(KRVgetnodecnt(env, lp), 0);
  EXPECT_EQ(errors->text(), "KORVA Error  1217: No solution exists.\n");
  EXPECT_EQ(KRVLgetnodecnt(env, lp), 0);
  EXPECT_EQ(KRVgetnodeleftcnt(env, lp), 0);
  EXPECT_EQ(KRVLgetnodeleftcnt(env, lp), 0);
  EXPECT_EQ(KRVgetmipitcnt(env, lp), 0);
  EXPECT_EQ(KRVLgetmipitcnt(env, lp), 0);
  EXPECT_EQ(KRVgetnodeint(env, lp), -1);
  EXPECT_EQ(KRVLgetnodeint(env, lp), -1);
  EXPECT_EQ(KRVgetsubstat(env, lp), 0);
  double v = 0.0;
  EXPECT_EQ(KRVgetbestobjval(env, lp, &v), 1217);
  EXPECT_EQ(KRVgetmiprelgap(env, lp, &v), 1217);
  EXPECT_EQ(KRVgetcutoff(env, lp, &v), 1217);
  EXPECT_EQ(KRVLgetbestobjval(env, lp, &v), 1217);
  EXPECT_EQ(KRVLgetmiprelgap(env, lp, &v), 1217);
  EXPECT_EQ(KRVLgetcutoff(env, lp, &v), 1217);
}

TEST_F(MipDriver, QueriesOnAContinuousProblemReport3003) {
  ASSERT_EQ(easy_model().load(env, lp, true), 0);
  ASSERT_EQ(KRVlpopt(env, lp), 0);
  ASSERT_EQ(KRVgetstat(env, lp), 1);
  errors->clear();
  EXPECT_EQ(KRVgetnodecnt(env, lp), 0);
  EXPECT_EQ(errors->text(), "KORVA Error  3003: Not a mixed-integer problem.\n");
  EXPECT_EQ(KRVgetnodeint(env, lp), -1);
  double v = 0.0;
  EXPECT_EQ(KRVgetbestobjval(env, lp, &v), 3003);
  EXPECT_EQ(KRVgetmiprelgap(env, lp, &v), 3003);
  EXPECT_EQ(KRVgetcutoff(env, lp, &v), 3003);
}

TEST_F(MipDriver, NullOutputPointersReport1004BeforeAnythingElse) {
  load(easy_model());
  // Without a search, the null pointer is found first.
  EXPECT_EQ(KRVgetbestobjval(env, lp, nullptr), 1004);
  EXPECT_EQ(errors->text(), "KORVA Error  1004: Null pointer for required data.\n");
  set_int(KRV_PARAM_MIPDISPLAY, 0);
  ASSERT_EQ(KRVmipopt(env, lp), 0);
  EXPECT_EQ(KRVgetbestobjval(env, lp, nullptr), 1004);
  EXPECT_EQ(KRVgetmiprelgap(env, lp, nullptr), 1004);
  EXPECT_EQ(KRVgetcutoff(env, lp, nullptr), 1004);
  EXPECT_EQ(KRVLgetbestobjval(env, lp, nullptr), 1004);
  EXPECT_EQ(KRVLgetmiprelgap(env, lp, nullptr), 1004);
  EXPECT_EQ(KRVLgetcutoff(env, lp, nullptr), 1004);
}

TEST_F(MipDriver, MipoptOnAContinuousProblemFails) {
  ASSERT_EQ(easy_model().load(env, lp, true), 0);
  EXPECT_EQ(KRVmipopt(env, lp), 3003);
}

// ---- polishing -------------------------------------------------------------------------------

const char* const kPolishAfterNode =
    "\nStarting condition for polishing reached (PolishAfterNode).\nStarting solution polishing.\n\n";

TEST_F(MipDriver, PolishAfterNodeReachedStartsPolishing) {
  set_int(KRV_PARAM_MIPDISPLAY, 1);
  set_dbl(KRV_PARAM_EPGAP, 0.0);
  set_long(KRV_PARAM_POLISHAFTERNODE, 5);
  const SmallMip m = parity_knapsack(24);
  solve(m);
  EXPECT_NE(results->text().find(kPolishAfterNode), std::string::npos) << results->text();
  EXPECT_TRUE(mip_test::satisfies(m, incumbent(m.num_cols()), 1e-6));
}

TEST_F(MipDriver, PolishingImprovesTheIncumbentTheSearchStoppedWith) {
  // p0201 (optimum 7615): twenty nodes without heuristics end far from it.
  set_int(KRV_PARAM_MIPDISPLAY, 1);
  set_int(KRV_PARAM_PREIND, 1);
  set_int(KRV_PARAM_SYMMETRY, -1);
  ASSERT_EQ(KRVsetlongparam(env, KRV_PARAM_CUTPASS, 0), 0);
  set_int(KRV_PARAM_HEURFREQ, -1);
  set_int(KRV_PARAM_THREADS, 1);
  read_collection_model("p0201");
  set_long(KRV_PARAM_NODELIM, 20);
  ASSERT_EQ(KRVmipopt(env, lp), 0);
  ASSERT_EQ(KRVgetstat(env, lp), 105);
  const double unpolished = objective();
  ASSERT_GT(unpolished, 7615.5);

  set_long(KRV_PARAM_NODELIM, 9223372036800000000LL);
  set_long(KRV_PARAM_POLISHAFTERNODE, 20);
  ASSERT_EQ(KRVmipopt(env, lp), 0);
  EXPECT_NE(results->text().find("(PolishAfterNode).\nStarting solution polishing.\n\n"), std::string::npos);
  const int status = KRVgetstat(env, lp);
  EXPECT_TRUE(status == 101 || status == 105) << status;
  EXPECT_LT(objective(), unpolished);
  EXPECT_GE(objective(), 7615.0 - 1e-6);
  // Polishing that searched the whole model around its incumbent proved it.
  if (status == 101) {
    EXPECT_NEAR(objective(), 7615.0, 1e-6);
  }
}

TEST_F(MipDriver, PolishAfterNodeAtTheThresholdIsNoStartCondition) {
  // 210000000 is not below the threshold: a node limit is just a node limit.
  set_int(KRV_PARAM_MIPDISPLAY, 1);
  set_dbl(KRV_PARAM_EPGAP, 0.0);
  set_long(KRV_PARAM_NODELIM, 10);
  set_long(KRV_PARAM_POLISHAFTERNODE, 210000000);
  EXPECT_EQ(solve(parity_knapsack(24)), 105);
  EXPECT_EQ(results->text().find("polishing"), std::string::npos) << results->text();
}

TEST_F(MipDriver, PolishingWithoutAnIncumbentEndsWith110) {
  set_int(KRV_PARAM_MIPDISPLAY, 1);
  set_long(KRV_PARAM_POLISHAFTERNODE, 5);
  EXPECT_EQ(solve(parity_equation(31)), 110);
  EXPECT_NE(results->text().find("\nPolishing requested, but no solution to polish.\n\n"), std::string::npos)
      << results->text();
  EXPECT_EQ(results->text().find("Starting solution polishing"), std::string::npos);
}

TEST_F(MipDriver, PolishingTimeAfterALimitNamesTheStatus) {
  set_int(KRV_PARAM_MIPDISPLAY, 1);
  set_dbl(KRV_PARAM_EPGAP, 0.0);
  set_long(KRV_PARAM_NODELIM, 10);
  set_dbl(KRV_PARAM_POLISHTIME, 0.25);
  solve(parity_knapsack(24));
  EXPECT_NE(results->text().find("\nNode limit exceeded.\nSpending an additional 0 seconds polishing solution.\n\n"),
            std::string::npos)
      << results->text();
}

TEST_F(MipDriver, PolishingTimeAndPolishingStartConditionsExcludeEachOther) {
  // A start condition in force refuses a polishing time...
  set_long(KRV_PARAM_POLISHAFTERNODE, 209999999);
  EXPECT_EQ(KRVsetdblparam(env, KRV_PARAM_POLISHTIME, 5.0), 1807);
  EXPECT_EQ(get_dbl(KRV_PARAM_POLISHTIME), 0.0);
  // ...and 210000000 is not in force.
  set_long(KRV_PARAM_POLISHAFTERNODE, 210000000);
  EXPECT_EQ(KRVsetdblparam(env, KRV_PARAM_POLISHTIME, 5.0), 0);
  // While a polishing time is set, no start condition can be set.
  EXPECT_EQ(KRVsetlongparam(env, KRV_PARAM_POLISHAFTERNODE, 2099999999LL), 1807);
  long long node = 0;
  ASSERT_EQ(KRVgetlongparam(env, KRV_PARAM_POLISHAFTERNODE, &node), 0);
  EXPECT_EQ(node, 210000000);
  EXPECT_EQ(KRVsetlongparam(env, KRV_PARAM_POLISHAFTERNODE, 2100000000LL), 0);
  EXPECT_EQ(KRVsetlongparam(env, KRV_PARAM_POLISHAFTERINTSOL, 5), 1807);
  EXPECT_EQ(KRVsetdblparam(env, KRV_PARAM_POLISHAFTEREPGAP, 0.1), 1807);
  EXPECT_EQ(KRVsetdblparam(env, KRV_PARAM_POLISHAFTEREPAGAP, 1.0), 1807);
  EXPECT_EQ(KRVsetdblparam(env, KRV_PARAM_POLISHAFTERTIME, 1e74), 1807);
  EXPECT_EQ(KRVsetdblparam(env, KRV_PARAM_POLISHAFTEREPGAP, 0.0), 0);
  // The other way round: each condition in force refuses the time.
  set_dbl(KRV_PARAM_POLISHTIME, 0.0);
  set_dbl(KRV_PARAM_POLISHAFTERTIME, 1e74);
  EXPECT_EQ(KRVsetdblparam(env, KRV_PARAM_POLISHTIME, 5.0), 0);  // 1e74 is not below 1e74
  set_dbl(KRV_PARAM_POLISHTIME, 0.0);
  set_dbl(KRV_PARAM_POLISHAFTERTIME, 9e73);
  EXPECT_EQ(KRVsetdblparam(env, KRV_PARAM_POLISHTIME, 5.0), 1807);
  set_dbl(KRV_PARAM_POLISHAFTERTIME, 1e75);
  set_dbl(KRV_PARAM_POLISHAFTEREPAGAP, 1.0);
  EXPECT_EQ(KRVsetdblparam(env, KRV_PARAM_POLISHTIME, 5.0), 1807);
  set_dbl(KRV_PARAM_POLISHAFTEREPAGAP, 0.0);
  set_long(KRV_PARAM_POLISHAFTERINTSOL, 3);
  EXPECT_EQ(KRVsetdblparam(env, KRV_PARAM_POLISHTIME, 5.0), 1807);
  EXPECT_EQ(errors->text().find("KORVA Error  1807: Incompatible parameters.\n"), 0u) << errors->text();
}

// ---- node log ----------------------------------------------------------------------------------

class NodeLog : public MipDriver {
 protected:
  // The node lines of the results text, in order.
  std::vector<NodeLine> node_lines() {
    std::vector<NodeLine> out;
    for (const std::string& s : lines_of(results->text())) {
      NodeLine l;
      if (parse_node_line(s, &l)) out.push_back(l);
    }
    return out;
  }
};

const char* const kHeader =
    "\n        Nodes                                         Cuts/\n"
    "   Node  Left     Objective  IInf  Best Integer    Best Bound    ItCnt     Gap\n\n";

TEST_F(NodeLog, Display1WritesTheShortHeaderAndOneLinePerIncumbent) {
  set_int(KRV_PARAM_MIPDISPLAY, 1);
  set_dbl(KRV_PARAM_EPGAP, 0.0);
  set_long(KRV_PARAM_NODELIM, 200);
  const SmallMip m = parity_knapsack(24);
  solve(m);
  const std::string& text = results->text();
  EXPECT_NE(text.find("\nNode log . . .\n"), std::string::npos) << text;
  EXPECT_EQ(text.find("   Node  Left"), std::string::npos);
  EXPECT_TRUE(node_lines().empty());
  static const std::regex best(R"(Best integer = ([ 0-9.e+-]{14})  Node = ([ 0-9]{7})  Best node = ([ 0-9.e+-]{14}))");
  int count = 0;
  double last = 0.0;
  for (const std::string& s : lines_of(text)) {
    if (s.rfind("Best integer", 0) != 0) continue;
    std::smatch match;
    ASSERT_TRUE(std::regex_match(s, match, best)) << "[" << s << "]";
    ++count;
    last = std::stod(match[1]);
    EXPECT_GE(std::stod(match[3]), last - 1e-6);  // maximisation: the bound is above
  }
  EXPECT_GE(count, 1);
  double z = 0.0;
  ASSERT_EQ(KRVgetobjval(env, lp, &z), 0);
  EXPECT_NEAR(last, z, 1e-6 * z);
  EXPECT_EQ(text.find("Root node processing"), std::string::npos);
}

TEST_F(NodeLog, Display0WritesNoLog) {
  set_int(KRV_PARAM_MIPDISPLAY, 0);
  set_long(KRV_PARAM_NODELIM, 50);
  solve(parity_knapsack(24));
  EXPECT_EQ(results->text().find("Node log"), std::string::npos);
  EXPECT_EQ(results->text().find("Best integer"), std::string::npos);
  EXPECT_TRUE(node_lines().empty());
  EXPECT_EQ(results->text().find("Root node processing"), std::string::npos);
  EXPECT_EQ(results->text().find("cuts applied"), std::string::npos);
}

TEST_F(NodeLog, Display2WritesTheHeaderOnceAndLinesInTheirColumns) {
  set_int(KRV_PARAM_MIPDISPLAY, 2);
  set_dbl(KRV_PARAM_EPGAP, 0.0);
  set_long(KRV_PARAM_NODELIM, 300);
  set_long(KRV_PARAM_MIPINTERVAL, 1);
  const SmallMip m = parity_knapsack(24);
  ASSERT_EQ(solve(m), 105);
  const std::string& text = results->text();
  const size_t header = text.find(kHeader);
  ASSERT_NE(header, std::string::npos) << text;
  EXPECT_EQ(text.find(kHeader, header + 1), std::string::npos);

  const std::vector<NodeLine> lines = node_lines();
  ASSERT_GE(lines.size(), 300u);
  bool seen_incumbent = false;
  int stars = 0;
  for (const NodeLine& l : lines) {
    EXPECT_GE(l.node, 0);
    EXPECT_LT(l.node, 300);
    if (l.star) {
      ++stars;
      seen_incumbent = true;
      if (l.plus) {
        EXPECT_TRUE(blank(l.objective)) << "[" << l.objective << "]";
      } else {
        EXPECT_EQ(l.objective, "     integral     0");
      }
    } else {
      EXPECT_FALSE(l.plus);
    }
    // Best Integer and Gap are blank exactly while there is no incumbent.
    EXPECT_EQ(blank(l.best_integer), !seen_incumbent) << l.node;
    if (!seen_incumbent) {
      EXPECT_TRUE(blank(l.gap));
    }
    if (seen_incumbent && !blank(l.best_bound)) {
      const double z = std::stod(l.best_integer), b = std::stod(l.best_bound);
      EXPECT_LE(z, b + 1e-4);
      const std::string gap = l.gap.substr(l.gap.find_first_not_of(' '));
      ASSERT_EQ(gap.back(), '%') << l.gap;
      EXPECT_NEAR(std::stod(gap), 100.0 * relative_gap(-1, z, b), 0.011) << l.node;
    }
    if (!l.star && !l.plus && l.objective.find("infeasible") == std::string::npos &&
        l.objective.find("cutoff") == std::string::npos) {
      // "%13.4f %5lld": the node's objective and its integer infeasibilities.
      static const std::regex solved(R"( *-?[0-9]+\.[0-9]{4} [ 0-9]{4}[0-9])");
      EXPECT_TRUE(std::regex_match(l.objective, solved)) << "[" << l.objective << "]";
    }
    EXPECT_FALSE(blank(l.itcnt));
  }
  EXPECT_GE(stars, 1);
  // The last incumbent line shows the final incumbent.
  double z = 0.0;
  ASSERT_EQ(KRVgetobjval(env, lp, &z), 0);
  const NodeLine* last_star = nullptr;
  for (const NodeLine& l : lines)
    if (l.star) last_star = &l;
  ASSERT_NE(last_star, nullptr);
  EXPECT_NEAR(std::stod(last_star->best_integer), z, 1e-4);
}

TEST_F(NodeLog, AnIncumbentFromAHeuristicIsMarkedWithPlus) {
  // Rounding the root relaxation of the knapsack gives an incumbent that
  // no node's LP produced.
  set_int(KRV_PARAM_MIPDISPLAY, 2);
  set_dbl(KRV_PARAM_EPGAP, 0.0);
  set_long(KRV_PARAM_NODELIM, 20);
  solve(parity_knapsack(24));
  bool plus = false;
  for (const NodeLine& l : node_lines())
    if (l.plus) {
      plus = true;
      EXPECT_TRUE(l.star);
      EXPECT_TRUE(blank(l.objective));
      EXPECT_FALSE(blank(l.best_integer));
    }
  EXPECT_TRUE(plus) << results->text();
}

TEST_F(NodeLog, LargeObjectivesAreShownInExponentForm) {
  // The knapsack scaled by 1e6: objectives and bounds of 1e7 and more.
  SmallMip m = parity_knapsack(24);
  for (double& c : m.obj) c *= 1e6;
  for (auto& [j, a] : m.rows[0].entries) a *= 1e6;
  m.rows[0].rhs *= 1e6;
  set_int(KRV_PARAM_MIPDISPLAY, 2);
  set_dbl(KRV_PARAM_EPGAP, 0.0);
  set_long(KRV_PARAM_NODELIM, 30);
  set_long(KRV_PARAM_MIPINTERVAL, 1);
  solve(m);
  static const std::regex solved(R"( *[0-9]\.[0-9]{5}e\+[0-9]{2} [ 0-9]{4}[0-9])");
  static const std::regex value(R"( *[0-9]\.[0-9]{5}e\+[0-9]{2})");
  int solved_lines = 0;
  for (const NodeLine& l : node_lines()) {
    if (!blank(l.best_integer)) {
      EXPECT_TRUE(std::regex_match(l.best_integer, value)) << "[" << l.best_integer << "]";
    }
    if (!blank(l.best_bound)) {
      EXPECT_TRUE(std::regex_match(l.best_bound, value)) << "[" << l.best_bound << "]";
    }
    if (l.star || l.objective.find_first_of("0123456789") == std::string::npos) continue;
    ++solved_lines;
    EXPECT_TRUE(std::regex_match(l.objective, solved)) << "[" << l.objective << "]";
  }
  EXPECT_GE(solved_lines, 1);
}

TEST_F(NodeLog, IntervalLogsOnlyMultiplesBesidesIncumbents) {
  set_int(KRV_PARAM_MIPDISPLAY, 2);
  set_dbl(KRV_PARAM_EPGAP, 0.0);
  set_long(KRV_PARAM_NODELIM, 350);
  set_long(KRV_PARAM_MIPINTERVAL, 100);
  solve(parity_knapsack(24));
  std::vector<long long> logged;
  for (const NodeLine& l : node_lines()) {
    if (l.star) continue;
    logged.push_back(l.node);
    EXPECT_EQ(l.node % 100, 0) << l.node;
  }
  EXPECT_NE(std::find(logged.begin(), logged.end(), 100), logged.end());
  EXPECT_NE(std::find(logged.begin(), logged.end(), 200), logged.end());
  EXPECT_NE(std::find(logged.begin(), logged.end(), 300), logged.end());
}

TEST_F(NodeLog, ElapsedTimeFollowsTheFirstAndEveryTenthLine) {
  set_int(KRV_PARAM_MIPDISPLAY, 2);
  set_dbl(KRV_PARAM_EPGAP, 0.0);
  set_long(KRV_PARAM_NODELIM, 35);
  set_long(KRV_PARAM_MIPINTERVAL, 1);
  solve(parity_knapsack(24));
  static const std::regex elapsed(R"(Elapsed real time = [ 0-9]{3}\.[0-9]{2} sec\. \(tree size = [ 0-9]{2}\.[0-9]{2} MB\))");
  const std::vector<std::string> lines = lines_of(results->text());
  int count = 0, elapsed_lines = 0;
  for (size_t k = 0; k < lines.size(); ++k) {
    NodeLine l;
    if (!parse_node_line(lines[k], &l)) {
      if (lines[k].rfind("Elapsed", 0) == 0) {
        ++elapsed_lines;
        EXPECT_TRUE(std::regex_match(lines[k], elapsed)) << "[" << lines[k] << "]";
      }
      continue;
    }
    ++count;
    const bool follows = k + 1 < lines.size() && lines[k + 1].rfind("Elapsed", 0) == 0;
    EXPECT_EQ(follows, count % 10 == 1) << "line " << count;
  }
  EXPECT_GE(count, 35);
  EXPECT_EQ(elapsed_lines, (count + 9) / 10);
}

TEST_F(NodeLog, ElapsedTimeNamesTheClock) {
  set_int(KRV_PARAM_MIPDISPLAY, 2);
  set_int(KRV_PARAM_CLOCKTYPE, 1);
  set_long(KRV_PARAM_NODELIM, 5);
  solve(parity_knapsack(24));
  EXPECT_NE(results->text().find("\nElapsed time = "), std::string::npos) << results->text();
  EXPECT_EQ(results->text().find("Elapsed real time"), std::string::npos);
}

TEST_F(NodeLog, RootMessagesNameEmphasisSearchAndParallelMode) {
  set_int(KRV_PARAM_MIPDISPLAY, 1);
  set_int(KRV_PARAM_THREADS, 1);
  const char* const emphasis[] = {"MIP emphasis: balance optimality and feasibility.\n",
                                  "MIP emphasis: integer feasibility.\n", "MIP emphasis: optimality.\n",
                                  "MIP emphasis: best bound.\n", "MIP emphasis: hidden feasible solutions.\n"};
  for (int e = 0; e <= 4; ++e) {
    results->clear();
    set_int(KRV_PARAM_MIPEMPHASIS, e);
    set_int(KRV_PARAM_MIPSEARCH, e % 2 == 0 ? 1 : 2);
    solve(easy_model());
    const std::string search =
        e % 2 == 0 ? "MIP search method: traditional branch-and-cut.\n" : "MIP search method: dynamic search.\n";
    EXPECT_NE(results->text().find(std::string(emphasis[e]) + search + "Parallel mode: none, using 1 thread.\n"),
              std::string::npos)
        << results->text();
  }
}

TEST_F(NodeLog, CutSummaryListsAFamilyWhoseSwitchIsOn) {
  set_int(KRV_PARAM_MIPDISPLAY, 1);
  set_int(KRV_PARAM_MIRCUTS, 1);
  solve(easy_model());  // integral at the root: nothing to cut
  EXPECT_NE(results->text().find("\nMixed integer rounding cuts applied:  0\n"), std::string::npos)
      << results->text();
}

TEST_F(NodeLog, CutSummaryLeavesOutAFamilyWithoutCutsOrSwitch) {
  set_int(KRV_PARAM_MIPDISPLAY, 2);
  solve(easy_model());
  EXPECT_EQ(results->text().find("Mixed integer rounding cuts applied"), std::string::npos) << results->text();
  EXPECT_EQ(results->text().find("cuts applied"), std::string::npos) << results->text();
}

TEST_F(NodeLog, TimeSummaryAtDisplay2AddsUp) {
  set_int(KRV_PARAM_MIPDISPLAY, 2);
  set_int(KRV_PARAM_THREADS, 1);
  set_long(KRV_PARAM_NODELIM, 50);
  solve(parity_knapsack(24));
  static const std::regex summary(
      "\nRoot node processing \\(before b&c\\):\n"
      "  Real time             = ([ 0-9]{4}\\.[0-9]{2})\n"
      "Sequential b&c:\n"
      "  Real time             = ([ 0-9]{4}\\.[0-9]{2})\n"
      "                          -------\n"
      "Total \\(root\\+branch&cut\\) = ([ 0-9]{4}\\.[0-9]{2}) sec\\.\n");
  std::smatch match;
  ASSERT_TRUE(std::regex_search(results->text(), match, summary)) << results->text();
  EXPECT_NEAR(std::stod(match[3]), std::stod(match[1]) + std::stod(match[2]), 0.011);
}

// ---- incumbent files --------------------------------------------------------------------------

TEST_F(NodeLog, EveryNewIncumbentIsWrittenToANumberedFile) {
  korva_test::TempDir dir;
  const std::string prefix = dir.file("inc");
  ASSERT_EQ(KRVsetstrparam(env, KRV_PARAM_INTSOLFILEPREFIX, prefix.c_str()), 0);
  set_int(KRV_PARAM_MIPDISPLAY, 2);
  set_dbl(KRV_PARAM_EPGAP, 0.0);
  set_long(KRV_PARAM_NODELIM, 200);
  solve(parity_knapsack(24));
  int stars = 0;
  for (const NodeLine& l : node_lines()) stars += l.star ? 1 : 0;
  ASSERT_GE(stars, 1);
  for (int k = 1; k <= stars; ++k) {
    char name[64];
    std::snprintf(name, sizeof name, "-%05d.sol", k);
    const std::string file = prefix + name;
    EXPECT_TRUE(std::filesystem::exists(file)) << file;
    EXPECT_GT(std::filesystem::file_size(file), 0u) << file;
    EXPECT_NE(results->text().find("New incumbent written to file '" + file + "'.\n"), std::string::npos) << file;
  }
  char next[64];
  std::snprintf(next, sizeof next, "-%05d.sol", stars + 1);
  EXPECT_FALSE(std::filesystem::exists(prefix + next));
  EXPECT_EQ(errors->text(), "");
}

TEST_F(NodeLog, AnUnwritableIncumbentFileIsReportedAndTheSearchGoesOn) {
  korva_test::TempDir dir;
  const std::string prefix = dir.file("missing-directory/inc");
  ASSERT_EQ(KRVsetstrparam(env, KRV_PARAM_INTSOLFILEPREFIX, prefix.c_str()), 0);
  set_int(KRV_PARAM_MIPDISPLAY, 0);
  const SmallMip m = easy_model();
  EXPECT_EQ(solve(m), 101);
  EXPECT_NE(errors->text().find("Unable to write new incumbent to file '" + prefix + "-00001.sol'.\n"),
            std::string::npos)
      << errors->text();
  EXPECT_TRUE(mip_test::satisfies(m, incumbent(2), 1e-9));
}

// ---- rules first broken, then fixed ----------------------------------------------------------
// Each test below states a rule of the interface that an earlier version
// of the library broke.

class DriverRule : public NodeLog {};

TEST_F(DriverRule, AStartConditionInForceStartsPolishingAtANodeLimit) {
  // 209999999 is below 210000000, so a start condition is in force; the
  // search stops at its node limit with status 105, and the polishing
  // messages name that status.
  set_int(KRV_PARAM_MIPDISPLAY, 1);
  set_dbl(KRV_PARAM_EPGAP, 0.0);
  set_long(KRV_PARAM_NODELIM, 10);
  set_long(KRV_PARAM_POLISHAFTERNODE, 209999999);
  solve(parity_knapsack(24));
  EXPECT_NE(results->text().find(kPolishAfterNode), std::string::npos) << results->text();
}

}  // namespace

namespace {

TEST_F(DriverRule, ContinuousBoundsEqualUpToRoundingAreNotInfeasible) {
  // The bound check lets a lower bound exceed the upper one by a rounding
  // error; the relaxation solves (KRVlpopt says optimal), so the MIP must
  // not end as integer infeasible either.
  set_int(KRV_PARAM_MIPDISPLAY, 0);
  SmallMip m;
  m.obj = {1.0, 1.0};
  m.lb = {0.0, 1.0 + 1e-13};
  m.ub = {5.0, 1.0};
  m.ctype = {'I', 'C'};
  m.rows.push_back({{{0, 1.0}, {1, 1.0}}, 'L', 10.0});
  ASSERT_EQ(m.load(env, lp, true), 0);
  ASSERT_EQ(KRVlpopt(env, lp), 0);
  ASSERT_EQ(KRVgetstat(env, lp), 1);
  EXPECT_EQ(solve(m), 101);
  EXPECT_EQ(warnings->text(), "");
}

TEST_F(DriverRule, BinaryColumnReachingOutsideZeroOneIsBoundInfeasible) {
  // "a binary column must lie within [0, 1]": bounds [0, 2] fail the check.
  // The search instead returns the binary column at 2.
  SmallMip m;
  m.obj = {1.0, -1.0};
  m.lb = {0.0, 0.0};
  m.ub = {5.0, 2.0};
  m.ctype = {'I', 'B'};
  m.rows.push_back({{{0, 1.0}, {1, 1.0}}, 'L', 10.0});
  load(m);
  const int j = 1;
  const char lu = 'U';
  const double two = 2.0;
  ASSERT_EQ(KRVchgbds(env, lp, 1, &j, &lu, &two), 0);  // a binary's bound set after its type
  name_column(1, "flag");
  ASSERT_EQ(KRVmipopt(env, lp), 0);
  EXPECT_EQ(KRVgetstat(env, lp), 103);
  EXPECT_EQ(warnings->text(), "Warning:  Bound infeasibility column 'flag'.\n");
  if (KRVgetstat(env, lp) == 101) {
    EXPECT_LE(incumbent(2)[1], 1.0) << "a binary column above 1";
  }
}

TEST_F(DriverRule, EveryNodeOfTheIntervalHasItsOwnLine) {
  // With MIPINTERVAL 1 every node number is due. A heuristic incumbent
  // found at the root gets its '+' line, and the root node still needs the
  // line that shows its own objective.
  set_int(KRV_PARAM_MIPDISPLAY, 2);
  set_dbl(KRV_PARAM_EPGAP, 0.0);
  set_long(KRV_PARAM_NODELIM, 5);
  set_long(KRV_PARAM_MIPINTERVAL, 1);
  solve(parity_knapsack(24));
  std::vector<bool> seen(5, false);
  for (const NodeLine& l : node_lines())
    if (!l.plus && l.node >= 0 && l.node < 5) seen[l.node] = true;
  for (int k = 0; k < 5; ++k) EXPECT_TRUE(seen[k]) << "no line of node " << k << "\n" << results->text();
}

TEST_F(DriverRule, RootRelaxationTimeIsReported) {
  set_int(KRV_PARAM_MIPDISPLAY, 1);
  set_long(KRV_PARAM_NODELIM, 5);
  solve(parity_knapsack(24));
  static const std::regex line("Root relaxation solution time = [ 0-9]{4}\\.[0-9]{2} sec\\.\n");
  EXPECT_TRUE(std::regex_search(results->text(), line)) << results->text();
}

TEST_F(DriverRule, TraditionalSearchLogsTheBranchingColumn) {
  // With MIPSEARCH 1 each line of a node created by branching on a column
  // carries that column's name, the direction letter, node id, parent id
  // and depth on the log channel.
  korva_test::Capture log(env, channel(3));
  set_int(KRV_PARAM_MIPDISPLAY, 2);
  set_int(KRV_PARAM_MIPSEARCH, 1);
  set_dbl(KRV_PARAM_EPGAP, 0.0);
  set_long(KRV_PARAM_NODELIM, 30);
  set_long(KRV_PARAM_MIPINTERVAL, 1);
  const SmallMip m = parity_knapsack(24);
  load(m);
  for (int j = 0; j < m.num_cols(); ++j) {
    char name[16];
    std::snprintf(name, sizeof name, "item%02d", j);
    name_column(j, name);
  }
  ASSERT_EQ(KRVmipopt(env, lp), 0);
  EXPECT_NE(log.text().find("         Variable B NodeID Parent  Depth"), std::string::npos) << log.text();
  static const std::regex branched("item[0-9]{2} +[DU] +[0-9]+ +[0-9]+ +[0-9]+");
  EXPECT_TRUE(std::regex_search(log.text(), branched)) << log.text();
}

TEST_F(DriverRule, AutomaticThreadCountUsesTheAvailableProcessors) {
  // KRV_PARAM_THREADS 0 with no callbacks: min(available, 32) threads,
  // deterministic by default, and the time summary says so.
  const unsigned available = std::thread::hardware_concurrency();
  if (available < 2) GTEST_SKIP() << "one processor";
  set_int(KRV_PARAM_MIPDISPLAY, 2);
  solve(easy_model());
  const std::string threads = std::to_string(std::min(available, 32u));
  EXPECT_NE(results->text().find("Parallel mode: deterministic, using up to " + threads + " threads.\n"),
            std::string::npos)
      << results->text();
  EXPECT_NE(results->text().find("Parallel b&c, " + threads + " threads:\n"), std::string::npos);
}

}  // namespace
