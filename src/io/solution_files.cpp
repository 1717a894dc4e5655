#include "io/solution_files.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "env/channel.h"
#include "env/errors.h"
#include "io/mip_start_files.h"
#include "io/xml/mip_start_xml_writer.h"
#include "io/xml/solution_document.h"
#include "io/xml/solution_xml_writer.h"
#include "korva/korva.h"
#include "mip/mip_queries.h"
#include "mip/pool_errors.h"
#include "mip/solution_pool.h"
#include "model/model.h"
#include "simplex/solution/basis_solves.h"
#include "simplex/solution/lp_solution.h"
#include "simplex/solution/mip_incumbent.h"
#include "simplex/solution/quality.h"
#include "simplex/solution/solution_queries.h"

namespace korva {
namespace {

constexpr int kPoolMemberStatus = 127;  // integer feasible solution of the pool
constexpr int kMipMethod = 12;
constexpr double kInfiniteBound = 1e20;

// The quality selectors written for a continuous solution, in file order.
struct QualityItem {
  const char* name;
  int selector;
  bool needs_duals;
};
constexpr QualityItem kLpQuality[] = {
    {"maxPrimalInfeas", 1, false}, {"maxDualInfeas", 13, true}, {"maxPrimalResidual", 41, false},
    {"maxDualResidual", 43, true}, {"maxX", 25, false},          {"maxPi", 29, true},
    {"maxSlack", 27, false},       {"maxRedCost", 31, true},     {"kappa", 50, false},
};

// Primal measures of a point x with slacks rhs - a·x, for solutions that
// have no record of their own quality (incumbents and pool members).
struct PrimalQuality {
  double max_int_infeas = 0.0, max_primal_infeas = 0.0, max_primal_residual = 0.0;
  double max_x = 0.0, max_slack = 0.0;
};

double bound_violation(double v, double lo, double up) {
  if (lo > -kInfiniteBound && v < lo) return lo - v;
  if (up < kInfiniteBound && v > up) return v - up;
  return 0.0;
}

double row_violation(const Problem& p, int i, double slack) {
  switch (p.sense(i)) {
    case 'L': return std::max(0.0, -slack);
    case 'G': return std::max(0.0, slack);
    case 'R': {
      // rhs - a·x must lie between -range and 0 (or 0 and -range).
      const double r = p.range(i);
      const double lo = std::min(0.0, -r), up = std::max(0.0, -r);
      return bound_violation(slack, lo, up);
    }
    default: return std::fabs(slack);
  }
}

PrimalQuality primal_quality(const Problem& p, const double* x, const double* slack) {
  PrimalQuality q;
  const int n = p.num_cols(), m = p.num_rows();
  std::vector<double> activity(static_cast<size_t>(m), 0.0);
  for (int j = 0; j < n; ++j) {
    const SparseSpan col = p.column(j);
    for (int64_t k = 0; k < col.size(); ++k) activity[col.index[k]] += col.value[k] * x[j];
    q.max_x = std::max(q.max_x, std::fabs(x[j]));
    q.max_primal_infeas = std::max(q.max_primal_infeas, bound_violation(x[j], p.lower(j), p.upper(j)));
    const char t = p.ctype(j);
    if (t != 'C' && t != 'S') {
      const double frac = std::fabs(x[j] - std::round(x[j]));
      // A semi-integer column at zero or integral is fine either way.
      q.max_int_infeas = std::max(q.max_int_infeas, frac);
    }
  }
  for (int i = 0; i < m; ++i) {
    q.max_slack = std::max(q.max_slack, std::fabs(slack[i]));
    q.max_primal_infeas = std::max(q.max_primal_infeas, row_violation(p, i, slack[i]));
    q.max_primal_residual = std::max(q.max_primal_residual, std::fabs(p.rhs(i) - activity[i] - slack[i]));
  }
  return q;
}

void add_mip_quality(Environment& env, const Problem& p, const double* x, const double* slack,
                     xml::SolutionContent& s) {
  const PrimalQuality q = primal_quality(p, x, slack);
  s.quality = {{"epInt", env.dbl_param(KRV_PARAM_EPINT)},
               {"epRHS", env.dbl_param(KRV_PARAM_EPRHS)},
               {"maxIntInfeas", q.max_int_infeas},
               {"maxPrimalInfeas", q.max_primal_infeas},
               {"maxPrimalResidual", q.max_primal_residual},
               {"maxX", q.max_x},
               {"maxSlack", q.max_slack}};
}

void add_qc_quality(xml::SolutionContent& s) {
  if (s.qconstraint_slack.empty()) return;
  double infeas = 0.0, largest = 0.0;
  for (double v : s.qconstraint_slack) {
    infeas = std::max(infeas, std::max(0.0, -v));
    largest = std::max(largest, std::fabs(v));
  }
  s.quality.emplace_back("maxQCSlackInfeas", infeas);
  s.quality.emplace_back("maxQCSlack", largest);
}

// Slacks of the quadratic and indicator constraints at x.
void add_constraint_slacks(const Problem& p, const double* x, xml::SolutionContent& s) {
  const int nq = model::num_qconstraints(p);
  if (nq > 0) {
    s.qconstraint_slack.resize(static_cast<size_t>(nq));
    mip::pool_qconstr_slacks(p, x, 0, nq - 1, s.qconstraint_slack.data());
  }
  const int ni = model::num_indicators(p);
  s.indicator_slack.resize(static_cast<size_t>(ni));
  for (int k = 0; k < ni; ++k) {
    const IndicatorConstraint& ic = p.mip->indicators[static_cast<size_t>(k)];
    double a = 0.0;
    for (size_t t = 0; t < ic.linind.size(); ++t) a += ic.linval[t] * x[ic.linind[t]];
    s.indicator_slack[static_cast<size_t>(k)] = ic.rhs - a;
  }
}

int write_level(Environment& env) { return xml::write_level_in_force(env.int_param(KRV_PARAM_WRITELEVEL)); }

// The continuous solution of p, with its own quality record.
int gather_lp_solution(Environment& env, Problem& p, simplex::LpSolution& sol, std::vector<double>& slack,
                       xml::SolutionContent& s) {
  s.has_objective = true;
  s.objective = sol.objective;
  s.type = sol.type;
  s.status = p.derived.status;
  s.method = sol.method;
  s.primal_feasible = sol.primal_feasible;
  s.dual_feasible = sol.dual_feasible;
  s.simplex_counter = sol.method == simplex::kMethodPrimal || sol.method == simplex::kMethodDual;
  s.simplex_iterations = sol.iterations;
  s.barrier_counter = sol.barrier_iterations != 0 || sol.method == simplex::kMethodBarrier;
  s.barrier_iterations = sol.barrier_iterations;
  s.x = sol.x.data();
  slack.resize(static_cast<size_t>(p.num_rows()));
  for (int i = 0; i < p.num_rows(); ++i) slack[static_cast<size_t>(i)] = sol.reported_slack(p, i);
  s.slack = slack.data();
  if (sol.has_dual) {
    s.pi = sol.pi.data();
    s.dj = sol.dj.data();
  }
  if (sol.type == simplex::kBasicSolution && p.derived.basis) {
    const Basis& b = *p.derived.basis;
    if (static_cast<int>(b.cstat.size()) == p.num_cols() && static_cast<int>(b.rstat.size()) == p.num_rows()) {
      s.cstat = b.cstat.data();
      s.rstat = b.rstat.data();
    }
  }
  s.quality.emplace_back("epRHS", env.dbl_param(KRV_PARAM_EPRHS));
  if (sol.has_dual) s.quality.emplace_back("epOpt", env.dbl_param(KRV_PARAM_EPOPT));
  for (const QualityItem& item : kLpQuality) {
    if (item.needs_duals && !sol.has_dual) continue;
    double value = 0.0;
    int index = 0;
    if (simplex::solution_quality(env, p, item.selector, &value, &index) == 0)
      s.quality.emplace_back(item.name, value);
  }
  if (sol.method == simplex::kMethodBarrier) {
    s.quality.emplace_back("barEpComp", env.dbl_param(KRV_PARAM_BAREPCOMP));
    double comp = 0.0;
    int index = 0;
    if (simplex::solution_quality(env, p, 55, &comp, &index) == 0) s.quality.emplace_back("maxCompSlack", comp);
  }
  add_constraint_slacks(p, s.x, s);
  add_qc_quality(s);
  return 0;
}

int gather_incumbent(Environment& env, Problem& p, const simplex::MipIncumbentStore& store,
                     xml::SolutionContent& s) {
  s.has_objective = true;
  s.objective = store.objective();
  s.type = simplex::kPrimalOnly;
  s.status = store.mip_status();
  s.method = simplex::mip_method(s.status);
  s.primal_feasible = true;
  int64_t nodes = 0, iterations = 0;
  if (mip::get_mip_counter(env, p, mip::MipCounter::Nodes, &nodes) == 0 &&
      mip::get_mip_counter(env, p, mip::MipCounter::Iterations, &iterations) == 0) {
    s.mip_counters = true;
    s.mip_nodes = nodes;
    s.mip_iterations = iterations;
  }
  s.x = store.x();
  s.slack = store.slack();
  add_mip_quality(env, p, s.x, s.slack, s);
  double gap = 0.0;
  add_constraint_slacks(p, s.x, s);
  add_qc_quality(s);
  if (mip::get_mip_value(env, p, mip::MipValue::RelativeGap, &gap) == 0) s.quality.emplace_back("objGap", gap);
  return 0;
}

const simplex::MipIncumbentStore* incumbent_of(Problem& p) {
  const simplex::MipIncumbentStore* store = simplex::find_mip_incumbent(p);
  if (!store || !store->has_values() || !p.derived.values_valid) return nullptr;
  return store;
}

// Pool member k of `pool` (its slacks kept in `slack`).
void gather_pool_member(Environment& env, const Problem& p, const mip::SolutionPool& pool, int k,
                        std::vector<double>& slack, xml::SolutionContent& s) {
  const mip::PoolSolution& sol = pool.solutions[static_cast<size_t>(k)];
  s.named_member = true;
  s.solution_name = sol.name;
  s.solution_index = k;
  s.has_objective = true;
  s.objective = sol.objective;
  s.type = simplex::kPrimalOnly;
  s.status = kPoolMemberStatus;
  s.method = kMipMethod;
  s.primal_feasible = true;
  s.x = sol.x.data();
  slack.resize(static_cast<size_t>(p.num_rows()));
  if (p.num_rows() > 0) mip::pool_row_slacks(p, s.x, 0, p.num_rows() - 1, slack.data());
  s.slack = slack.data();
  add_mip_quality(env, p, s.x, s.slack, s);
  add_constraint_slacks(p, s.x, s);
  add_qc_quality(s);
}

int pool_of(Environment& env, Problem& p, mip::SolutionPool*& pool) {
  if (int status = model::complete(env, p)) return status;
  if (!p.is_mip()) return err::kNotMip;
  pool = mip::find_solution_pool(p);
  return pool ? 0 : mip::poolcode::kNoPool;
}

}  // namespace

int write_solution_file(Environment& env, Problem& p, const char* filename) {
  if (int status = model::complete(env, p)) return status;
  xml::SolutionContent s;
  s.write_level = write_level(env);
  std::vector<double> slack;
  // The solution slot holds the incumbent after a MIP optimisation and an
  // LP record after a continuous one (a fixed MIP included).
  if (simplex::find_mip_incumbent(p)) {
    const simplex::MipIncumbentStore* store = incumbent_of(p);
    if (!store) return err::kNoSolution;
    if (int status = gather_incumbent(env, p, *store, s)) return status;
  } else {
    simplex::LpSolution* sol = simplex::current_lp_solution(p);
    if (!sol || !sol->has_primal || !p.derived.values_valid) return err::kNoSolution;
    if (int status = gather_lp_solution(env, p, *sol, slack, s)) return status;
  }
  return xml::write_solution_document(env, p, filename, {s}, false);
}

int write_pool_solution_file(Environment& env, Problem& p, int soln, const char* filename) {
  mip::SolutionPool* pool = nullptr;
  if (int status = pool_of(env, p, pool)) return status;
  xml::SolutionContent s;
  s.write_level = write_level(env);
  std::vector<double> slack;
  if (soln == -1) {
    const simplex::MipIncumbentStore* store = incumbent_of(p);
    if (!store) return err::kNoSolution;
    if (int status = gather_incumbent(env, p, *store, s)) return status;
    s.named_member = true;
    s.solution_name = "incumbent";
    s.solution_index = -1;
  } else {
    if (soln < 0 || soln >= pool->num_solutions()) return err::kIndexRange;
    gather_pool_member(env, p, *pool, soln, slack, s);
  }
  return xml::write_solution_document(env, p, filename, {s}, false);
}

int write_pool_file(Environment& env, Problem& p, const char* filename) {
  mip::SolutionPool* pool = nullptr;
  if (int status = pool_of(env, p, pool)) return status;
  if (pool->num_solutions() == 0) return err::kNoSolution;
  const int level = write_level(env);
  std::vector<xml::SolutionContent> all(static_cast<size_t>(pool->num_solutions()));
  std::vector<std::vector<double>> slacks(all.size());
  for (int k = 0; k < pool->num_solutions(); ++k) {
    all[static_cast<size_t>(k)].write_level = level;
    gather_pool_member(env, p, *pool, k, slacks[static_cast<size_t>(k)], all[static_cast<size_t>(k)]);
  }
  return xml::write_solution_document(env, p, filename, all, true);
}

int write_pool_mip_starts_file(Environment& env, Problem& p, const char* filename) {
  mip::SolutionPool* pool = nullptr;
  if (int status = pool_of(env, p, pool)) return status;
  if (pool->num_solutions() == 0) return err::kNoSolution;
  const int level = write_level(env);
  std::vector<xml::SolutionContent> all(static_cast<size_t>(pool->num_solutions()));
  for (int k = 0; k < pool->num_solutions(); ++k) {
    xml::SolutionContent& s = all[static_cast<size_t>(k)];
    const mip::PoolSolution& sol = pool->solutions[static_cast<size_t>(k)];
    s.mip_start = true;
    s.named_member = true;
    s.solution_name = sol.name;
    s.solution_index = k;
    s.write_level = level;
    s.x = sol.x.data();
  }
  return xml::write_solution_document(env, p, filename, all, true);
}

int read_solution_file(Environment& env, Problem& p, const char* filename) {
  if (int status = model::complete(env, p)) return status;
  if (p.is_mip()) return read_mip_start_file(env, p, filename, StartFileRead::Solution);
  if (int status = model::check_modifiable(p)) return status;
  xml::SolutionDocument doc;
  if (int status = read_start_document(env, p, filename, StartFileRead::Solution, doc)) return status;
  if (doc.solution_elements > 1)
    msg(env.warning(), "Warning: more than one solution read, only first one processed.\n");
  if (doc.solutions.empty()) return 0;
  const xml::SolutionRecord& r = doc.solutions.front();
  const size_t n = static_cast<size_t>(p.num_cols()), m = static_cast<size_t>(p.num_rows());
  std::vector<double> x(n, 0.0), dj(n, 0.0), slack(m, 0.0), pi(m, 0.0);
  std::vector<int> cstat(n, KRV_AT_LOWER), rstat(m, KRV_BASIC);
  bool any_x = false, any_dj = false, any_slack = false, any_pi = false, any_status = false;
  for (const xml::VariableEntry& v : r.variables) {
    const size_t j = static_cast<size_t>(v.index);
    if (v.has_value) x[j] = v.value, any_x = true;
    if (v.has_reduced_cost) dj[j] = v.reduced_cost, any_dj = true;
    if (v.status != xml::kNoStatus) cstat[j] = v.status, any_status = true;
  }
  for (const xml::ConstraintEntry& c : r.constraints) {
    const size_t i = static_cast<size_t>(c.index);
    if (c.has_slack) slack[i] = c.slack, any_slack = true;
    if (c.has_dual) pi[i] = c.dual, any_pi = true;
    if (c.status != xml::kNoStatus) rstat[i] = c.status, any_status = true;
  }
  return simplex::copy_start(env, p, any_status ? cstat.data() : nullptr, any_status ? rstat.data() : nullptr,
                             any_x ? x.data() : nullptr, any_slack ? slack.data() : nullptr,
                             any_dj ? dj.data() : nullptr, any_pi ? pi.data() : nullptr);
}

}  // namespace korva
