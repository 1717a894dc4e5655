#include "mip/node_lp.h"

#include <algorithm>
#include <cmath>

#include "mip/domain.h"
#include "model/model.h"
#include "simplex/core/answer_check.h"
#include "simplex/core/start_basis.h"
#include "simplex/dispatch/algorithms.h"
#include "simplex/lu/lu_codes.h"
#include "simplex/status.h"

namespace korva::mip {

namespace {

// A run a limit or the user stopped: nothing is known of the node yet.
void stopped_at_limit(int simplex_status, LpSolve& out) {
  switch (simplex_status) {
    case status::kAbortItLim:
    case status::kAbortTimeLim:
    case status::kAbortDetTimeLim:
    case status::kAbortUser:
      out.outcome = LpOutcome::Limit;
      out.bound = -kInf;
      break;
    default:
      break;
  }
}

using simplex::SimplexWork;

// Dual pricing of the node solves: steepest edge whose weights start at 1
// when a node brings its own basis (exact initial norms would cost a solve
// per row at every jump in the tree).
constexpr int kNodeDualPricing = 4;
// Certificate entries this small against the largest are rounding noise.
constexpr double kNoise = 1e-12;
// How far, in feasibility tolerances, an optimum may miss the node's
// bounds and rows before the run counts as broken.
constexpr double kHoldAllowance = 1e3;

double user_bound(double b) { return std::isinf(b) ? (b > 0 ? kInfinity : -kInfinity) : b; }

// The row as the problem object holds it.
void row_definition(double lo, double hi, char* sense, double* rhs, double* range) {
  *range = 0.0;
  if (lo == hi) {
    *sense = 'E';
    *rhs = lo;
  } else if (std::isinf(lo) && std::isinf(hi)) {
    *sense = 'G';
    *rhs = -kInfinity;
  } else if (std::isinf(lo)) {
    *sense = 'L';
    *rhs = hi;
  } else if (std::isinf(hi)) {
    *sense = 'G';
    *rhs = lo;
  } else {
    *sense = 'R';
    *rhs = lo;
    *range = hi - lo;
  }
}

}  // namespace

struct NodeLp::Saved {
  std::vector<uint8_t> status;
  std::vector<int> basic_index;
  std::vector<double> x, x_basic, dj, basic_lower, basic_upper, dual_weights;
  lu::LuFactor lu;
  bool factor_valid = false;
  int dual_weight_mode = -1;
};

NodeLp::NodeLp() = default;

NodeLp::~NodeLp() {
  if (relaxation_) model::free_problem(relaxation_);
}

int NodeLp::load(Environment& env, const MipModel& model, const Domain& domain, const NodeLpSettings& s) {
  if (relaxation_) {
    // Loaded again (the model's rows changed): everything starts afresh.
    model::free_problem(relaxation_);
    relaxation_ = nullptr;
    w_ = nullptr;
    saved_.reset();
  }
  env_ = &env;
  model_ = &model;
  cols_ = model.num_cols;
  rows_ = model.num_relaxation_rows;
  int status = 0;
  relaxation_ = model::create_problem(env, "relaxation", &status);
  if (!relaxation_) return status;

  std::vector<double> rhs(rows_), range(rows_), lb(cols_), ub(cols_);
  std::vector<char> sense(rows_);
  for (int i = 0; i < rows_; ++i) row_definition(model.row_lo[i], model.row_hi[i], &sense[i], &rhs[i], &range[i]);
  for (int j = 0; j < cols_; ++j) {
    lb[j] = user_bound(domain.lower(j));
    ub[j] = user_bound(domain.upper(j));
  }
  std::vector<int> count(cols_);
  for (int j = 0; j < cols_; ++j) count[j] = static_cast<int>(model.col_begin[j + 1] - model.col_begin[j]);
  const int* ind = model.col_row.empty() ? nullptr : model.col_row.data();
  const double* val = model.col_val.empty() ? nullptr : model.col_val.data();
  static const int kNoIndex = 0;
  static const double kNoValue = 0.0;
  if (int code = model::copy_lp(env, *relaxation_, cols_, rows_, 1, model.cost.data(), rhs.data(), sense.data(),
                                model.col_begin.data(), count.data(), ind ? ind : &kNoIndex,
                                val ? val : &kNoValue, lb.data(), ub.data(), range.data(), nullptr, nullptr))
    return code;

  settings_.display = s.display;
  settings_.feasibility_tol = s.feasibility_tol;
  settings_.optimality_tol = s.optimality_tol;
  settings_.scaling = s.scaling;
  settings_.iteration_base = s.iteration_base;
  settings_.advanced_start = true;
  settings_.final_verdict = false;
  w_ = &simplex::prepare_simplex_work(env, *relaxation_, false, s.scaling);
  w_->factor_control = lu::factor_control(env);
  w_->factor_control.markowitz = settings_.markowitz;
  row_lo_ = model.row_lo;
  row_hi_ = model.row_hi;
  for (int i = 0; i < rows_; ++i)
    if (!domain.row_active(i)) set_row_bounds(i, -kInf, kInf);
  simplex::refresh_basic_bounds(*w_);
  x_.assign(static_cast<size_t>(cols_), 0.0);
  return 0;
}

void NodeLp::set_col_bounds(int j, double lower, double upper) {
  SimplexWork& w = *w_;
  const double lo = w.lp.to_internal(j, lower), hi = w.lp.to_internal(j, upper);
  w.lp.lower[j] = w.work_lower[j] = lo;
  w.lp.upper[j] = w.work_upper[j] = hi;
  simplex::place_nonbasic_value(w, j);
}

void NodeLp::set_row_bounds(int row, double lower, double upper) {
  // The logical is -(row activity).
  SimplexWork& w = *w_;
  const int v = cols_ + row;
  const double lo = w.lp.to_internal(v, -upper), hi = w.lp.to_internal(v, -lower);
  w.lp.lower[v] = w.work_lower[v] = lo;
  w.lp.upper[v] = w.work_upper[v] = hi;
  simplex::place_nonbasic_value(w, v);
}

void NodeLp::sync(Domain& domain) {
  domain.take_changed_columns(changed_);
  const bool any = !changed_.empty();
  for (int j : changed_) set_col_bounds(j, domain.lower(j), domain.upper(j));
  domain.take_changed_rows(changed_);
  bool rows_changed = false;
  for (int row : changed_) {
    if (row < model_->num_rows) continue;
    rows_changed = true;
    if (domain.row_active(row)) set_row_bounds(row, row_lo_[row], row_hi_[row]);
    else set_row_bounds(row, -kInf, kInf);
  }
  if (any || rows_changed) simplex::refresh_basic_bounds(*w_);
}

bool NodeLp::take_optimum(LpSolve& out) {
  read_solution();
  if (!solution_holds()) return false;
  out.objective = model_->offset;
  for (int j = 0; j < cols_; ++j) out.objective += model_->cost[j] * x_[j];
  out.bound = std::min(model_->offset + recomputed_dual_bound(), out.objective);
  out.outcome = LpOutcome::Optimal;
  return true;
}

// Whether the run's solution satisfies the node's bounds and rows, with the
// activities computed here from the matrix. The simplex keeps its basic
// values by updates and its own factor; after repairs of a singular basis
// these can drift far from any point of the node, and the search must not
// take such a point for an optimum (or an integral one for a solution).
// The allowance is wide: this catches a broken run, not rounding.
bool NodeLp::solution_holds() {
  const SimplexWork& w = *w_;
  const simplex::SimplexLp& lp = w.lp;
  const double allowance = kHoldAllowance * settings_.feasibility_tol;
  activity_.assign(static_cast<size_t>(rows_), 0.0);
  activity_size_.assign(static_cast<size_t>(rows_), 0.0);
  for (int j = 0; j < cols_; ++j) {
    const double v = w.x[j];
    if (v < lp.lower[j] - allowance * std::max(1.0, std::fabs(lp.lower[j])) ||
        v > lp.upper[j] + allowance * std::max(1.0, std::fabs(lp.upper[j])))
      return false;
    if (v == 0.0) continue;
    for (int64_t k = lp.col_begin[j]; k < lp.col_begin[j + 1]; ++k) {
      const double t = lp.value[k] * v;
      activity_[lp.row_index[k]] += t;
      activity_size_[lp.row_index[k]] += std::fabs(t);
    }
  }
  for (int i = 0; i < rows_; ++i) {
    // The logical is -(row activity).
    const int v = cols_ + i;
    const double r = -activity_[i], slack = allowance * std::max(1.0, activity_size_[i]);
    if (r < lp.lower[v] - slack || r > lp.upper[v] + slack) return false;
  }
  return true;
}

// A bound on the node's optimum from row duals y = B⁻ᵀc_B solved here with
// the LP's own costs and reduced costs d = c − Aᵀy computed for every
// variable, basic ones included. The Lagrangian bound is valid for any y,
// so neither drift in the simplex's updated reduced costs nor a perturbed
// cost can lift it above the node's optimum.
double NodeLp::recomputed_dual_bound() {
  SimplexWork& w = *w_;
  const simplex::SimplexLp& lp = w.lp;
  if (!w.factor_valid) return -kInf;
  if (duals_.size != rows_) duals_.resize(rows_);
  duals_.clear();
  for (int r = 0; r < rows_; ++r) duals_.values[r] = lp.cost[w.basic_index[r]];
  duals_.indexed = false;
  w.lu.btran(duals_);
  check_dj_.resize(static_cast<size_t>(cols_ + rows_));
  for (int j = 0; j < cols_; ++j) {
    double d = lp.cost[j];
    for (int64_t k = lp.col_begin[j]; k < lp.col_begin[j + 1]; ++k) d -= lp.value[k] * duals_.values[lp.row_index[k]];
    check_dj_[j] = d;
  }
  for (int i = 0; i < rows_; ++i) check_dj_[cols_ + i] = lp.cost[cols_ + i] - duals_.values[i];
  env_->ticks.charge(static_cast<uint64_t>(lp.col_begin[cols_]) + static_cast<uint64_t>(cols_ + 2 * rows_));
  return simplex::lagrangian_bound(lp, check_dj_, settings_.optimality_tol);
}

void NodeLp::read_solution() {
  SimplexWork& w = *w_;
  w.sync_basic_values();
  for (int j = 0; j < cols_; ++j) x_[j] = w.lp.to_user(j, w.x[j]);
}

bool NodeLp::proves_infeasible() const {
  // The Farkas row combines the rows (with their logicals) into
  // Σ z_v·v = 0; no v within the node's bounds can satisfy it when the
  // range of the left side excludes 0 by more than the tolerance allows.
  const SimplexWork& w = *w_;
  if (w.farkas_row < 0 || static_cast<int>(w.farkas_y.size()) != rows_) return false;
  const simplex::SimplexLp& lp = w.lp;
  std::vector<double> rho(static_cast<size_t>(rows_));
  double largest = 0.0;
  for (int i = 0; i < rows_; ++i) {
    rho[i] = w.farkas_y[i] * lp.row_scale[i];
    largest = std::max(largest, std::fabs(rho[i]));
  }
  if (!(largest > 0.0)) return false;
  double low = 0.0, high = 0.0, allowance = 0.0;
  auto add = [&](double z, double size, int v) {
    if (std::fabs(z) <= kNoise * std::max(size, largest)) return;
    const double lo = lp.lower[v], hi = lp.upper[v];
    const double a = z > 0 ? lo : hi, b = z > 0 ? hi : lo;
    low += z * a;    // -inf when a is infinite
    high += z * b;
    const double scale = std::max(std::isinf(a) ? 0.0 : std::fabs(a), std::isinf(b) ? 0.0 : std::fabs(b));
    allowance += std::fabs(z) * settings_.feasibility_tol * std::max(1.0, scale);
  };
  for (int j = 0; j < cols_; ++j) {
    double z = 0.0, size = 0.0;
    for (int64_t k = lp.col_begin[j]; k < lp.col_begin[j + 1]; ++k) {
      const double t = rho[lp.row_index[k]] * lp.value[k];
      z += t;
      size += std::fabs(t);
    }
    add(z, size, j);
  }
  for (int i = 0; i < rows_; ++i) add(rho[i], std::fabs(rho[i]), cols_ + i);
  return low > allowance || high < -allowance;
}

int NodeLp::solve(Environment& env, double cutoff, int64_t iteration_limit, bool first, LpSolve& out) {
  out = LpSolve{};
  settings_.objective_cutoff = cutoff - model_->offset;  // the relaxation leaves the constant out
  settings_.run_iteration_limit = iteration_limit;
  settings_.dual_pricing = first ? 0 : kNodeDualPricing;
  simplex::SimplexOutcome oc;
  int code = simplex::run_algorithm(env, *relaxation_, simplex::dual_algorithm(), *w_, settings_, oc);
  out.iterations = oc.iterations;
  // A basis that no repair saves, or an optimum that does not hold on the
  // node: this node starts over once from the slack basis.
  auto start_over = [&] {
    simplex::set_slack_basis(*w_);
    simplex::refresh_basic_bounds(*w_);
    simplex::SimplexOutcome again;
    code = simplex::run_algorithm(env, *relaxation_, simplex::dual_algorithm(), *w_, settings_, again);
    out.iterations += again.iterations;
    oc = again;
  };
  bool started_over = false;
  if (code == lu::kSingular) {
    start_over();
    started_over = true;
    if (code == lu::kSingular) return 0;  // Failed
  }
  if (code != 0) return code;
  if (oc.status == status::kOptimal && !take_optimum(out) && !started_over) {
    start_over();
    if (code == lu::kSingular) return 0;  // Failed
    if (code != 0) return code;
  }
  out.status = oc.status;
  switch (oc.status) {
    case status::kOptimal:
      if (out.outcome != LpOutcome::Optimal) take_optimum(out);  // Failed when it still does not hold
      return 0;
    case status::kAbortObjLim:
      out.bound = model_->offset + recomputed_dual_bound();
      if (out.bound >= cutoff) {
        out.outcome = LpOutcome::Cutoff;
        return 0;
      }
      // The duals do not carry the cutoff on their own: solve to the end.
      return solve(env, kInf, iteration_limit, false, out);
    case status::kInfeasible:
      if (proves_infeasible()) {
        out.outcome = LpOutcome::Infeasible;
        out.bound = kInf;
      }
      return 0;
    case status::kUnbounded: {
      // The dual simplex only says that no dual feasible basis exists: the
      // primal simplex, from this primal feasible basis, finds the ray
      // (or the optimum after all).
      simplex::SimplexOutcome po;
      code = simplex::run_algorithm(env, *relaxation_, simplex::primal_algorithm(), *w_, settings_, po);
      out.iterations += po.iterations;
      if (code != 0) return code;
      out.status = po.status;
      if (po.status == status::kOptimal) {
        take_optimum(out);
      } else if (po.status == status::kUnbounded &&
                 simplex::is_unbounded_ray(env, *relaxation_, *w_, w_->ray_var, w_->ray_direction)) {
        read_solution();
        out.outcome = LpOutcome::Unbounded;
        out.objective = out.bound = -kInf;
      }
      return 0;
    }
    default:
      stopped_at_limit(oc.status, out);
      return 0;  // Failed unless a limit stopped it
  }
}

void NodeLp::write_cost(int j, double user_cost) {
  SimplexWork& w = *w_;
  const double internal = w.lp.scaled ? user_cost / w.lp.col_scale[j] : user_cost;
  w.lp.cost[j] = w.work_cost[j] = internal;
}

void NodeLp::set_objective(const std::vector<double>& cost) {
  for (int j = 0; j < cols_; ++j) write_cost(j, cost[j]);
}

void NodeLp::restore_objective() {
  for (int j = 0; j < cols_; ++j) write_cost(j, model_->cost[j]);
}

int NodeLp::solve_primal(Environment& env, int64_t iteration_limit, LpSolve& out) {
  out = LpSolve{};
  settings_.objective_cutoff = kInf;
  settings_.run_iteration_limit = iteration_limit;
  simplex::SimplexOutcome oc;
  int code = simplex::run_algorithm(env, *relaxation_, simplex::primal_algorithm(), *w_, settings_, oc);
  out.iterations = oc.iterations;
  if (code == lu::kSingular) {
    simplex::set_slack_basis(*w_);
    simplex::refresh_basic_bounds(*w_);
    simplex::SimplexOutcome again;
    code = simplex::run_algorithm(env, *relaxation_, simplex::primal_algorithm(), *w_, settings_, again);
    out.iterations += again.iterations;
    oc = again;
    if (code == lu::kSingular) return 0;  // Failed
  }
  if (code != 0) return code;
  out.status = oc.status;
  switch (oc.status) {
    case status::kOptimal:
      read_solution();
      if (!solution_holds()) return 0;  // Failed
      out.outcome = LpOutcome::Optimal;
      out.objective = model_->offset;
      for (int j = 0; j < cols_; ++j) out.objective += model_->cost[j] * x_[j];
      out.bound = -kInf;
      return 0;
    case status::kUnbounded:
      read_solution();
      out.outcome = LpOutcome::Unbounded;
      out.objective = out.bound = -kInf;
      return 0;
    default:
      stopped_at_limit(oc.status, out);
      return 0;  // Failed unless a limit stopped it
  }
}

void NodeLp::reduced_costs(std::vector<double>& dj) const {
  const SimplexWork& w = *w_;
  dj.resize(static_cast<size_t>(cols_));
  for (int j = 0; j < cols_; ++j) dj[j] = w.dj[j] * w.lp.col_scale[j];
}

void NodeLp::basic_columns(std::vector<std::pair<int, int>>& out) const {
  out.clear();
  for (int r = 0; r < rows_; ++r)
    if (w_->basic_index[r] < cols_) out.emplace_back(w_->basic_index[r], r);
}

bool NodeLp::tableau_multipliers(int position, std::vector<double>& lambda) {
  SimplexWork& w = *w_;
  if (!w.factor_valid) return false;
  if (duals_.size != rows_) duals_.resize(rows_);
  duals_.clear();
  duals_.values[position] = 1.0;
  duals_.indexed = false;
  w.lu.btran(duals_);
  // The scaled row i is the user's row divided by its factor r(i).
  lambda.resize(static_cast<size_t>(rows_));
  for (int i = 0; i < rows_; ++i) lambda[i] = duals_.values[i] / w.lp.row_scale[i];
  env_->ticks.charge(static_cast<uint64_t>(rows_));
  return true;
}

// Hager's estimate of the norm of B⁻¹: the largest |B⁻¹x|₁ over the
// vertices of the unit ball the gradient steps visit (a handful of solves).
double NodeLp::condition_estimate() {
  SimplexWork& w = *w_;
  const int m = rows_;
  if (!w.factor_valid || m == 0) return 0.0;
  constexpr int kSteps = 5;
  double inverse_norm = 0.0;
  SparseVector& v = duals_;
  if (v.size != m) v.resize(m);
  std::vector<double> x(static_cast<size_t>(m), 1.0 / m);
  int last = -1;
  for (int step = 0; step < kSteps; ++step) {
    v.clear();
    for (int i = 0; i < m; ++i) v.values[i] = x[i];
    v.indexed = false;
    w.lu.ftran(v);
    double norm = 0.0;
    for (int i = 0; i < m; ++i) norm += std::fabs(v.values[i]);
    inverse_norm = std::max(inverse_norm, norm);
    for (int i = 0; i < m; ++i) v.values[i] = v.values[i] >= 0.0 ? 1.0 : -1.0;
    v.indexed = false;
    w.lu.btran(v);
    int best = 0;
    double z_x = 0.0;
    for (int i = 0; i < m; ++i) {
      z_x += v.values[i] * x[i];
      if (std::fabs(v.values[i]) > std::fabs(v.values[best])) best = i;
    }
    if (std::fabs(v.values[best]) <= z_x || best == last) break;
    std::fill(x.begin(), x.end(), 0.0);
    x[best] = 1.0;
    last = best;
  }
  // The 1-norm of B: its largest column sum (a logical has one unit entry).
  double basis_norm = 0.0;
  for (int k = 0; k < m; ++k) {
    const int var = w.basic_index[k];
    double sum = 1.0;
    if (var < cols_) {
      sum = 0.0;
      for (int64_t e = w.lp.col_begin[var]; e < w.lp.col_begin[var + 1]; ++e) sum += std::fabs(w.lp.value[e]);
    }
    basis_norm = std::max(basis_norm, sum);
  }
  env_->ticks.charge(static_cast<uint64_t>(kSteps) * static_cast<uint64_t>(m) * 4);
  return basis_norm * inverse_norm;
}

void NodeLp::save_basis(CompactBasis& b) const { b.status = w_->status; }

void NodeLp::load_basis(const CompactBasis& given) {
  SimplexWork& w = *w_;
  const int n = cols_, m = rows_;
  // A basis saved before the pool grew lacks the new pool rows, which sit
  // just before the lazy constraints, and the rows callbacks added since,
  // which follow everything: they join basic.
  CompactBasis padded;
  const size_t wanted = static_cast<size_t>(n + m);
  if (given.status.size() < wanted) {
    padded = given;
    const int callback_first = model_->first_callback_row >= 0 ? model_->first_callback_row : m;
    const size_t head = static_cast<size_t>(n + callback_first);
    if (padded.status.size() < head) {
      const int64_t lazy = callback_first - model_->first_lazy_row;
      padded.status.insert(padded.status.end() - lazy, head - padded.status.size(), simplex::kBasic);
    }
    padded.status.resize(wanted, simplex::kBasic);
  }
  const CompactBasis& b = given.status.size() < wanted ? padded : given;
  int basics = 0;
  for (int v = 0; v < n + m; ++v) {
    w.status[v] = b.status[v] & 3;
    if (simplex::is_basic(w.status[v])) {
      if (basics < m) w.basic_index[basics++] = v;
      else w.status[v] = simplex::kAtLower;
    }
  }
  // Too few basics (cannot happen with a basis saved here): logicals fill in.
  for (int i = 0; i < m && basics < m; ++i) {
    if (simplex::is_basic(w.status[n + i])) continue;
    w.status[n + i] = simplex::kBasic;
    w.basic_index[basics++] = n + i;
  }
  w.has_basis = true;
  w.factor_valid = false;
  w.dual_weight_mode = -1;
  simplex::place_nonbasic_values(w);
  simplex::refresh_basic_bounds(w);
}

void NodeLp::checkpoint() {
  if (!saved_) saved_ = std::make_unique<Saved>();
  const SimplexWork& w = *w_;
  Saved& s = *saved_;
  s.status = w.status;
  s.basic_index = w.basic_index;
  s.x = w.x;
  s.x_basic = w.x_basic;
  s.dj = w.dj;
  s.basic_lower = w.basic_lower;
  s.basic_upper = w.basic_upper;
  s.dual_weights = w.dual_weights;
  s.dual_weight_mode = w.dual_weight_mode;
  s.factor_valid = w.factor_valid;
  if (w.factor_valid) s.lu = w.lu;
}

void NodeLp::rollback() {
  SimplexWork& w = *w_;
  Saved& s = *saved_;
  w.status = s.status;
  w.basic_index = s.basic_index;
  w.x = s.x;
  w.x_basic = s.x_basic;
  w.dj = s.dj;
  w.basic_lower = s.basic_lower;
  w.basic_upper = s.basic_upper;
  w.dual_weights = s.dual_weights;
  w.dual_weight_mode = s.dual_weight_mode;
  w.factor_valid = s.factor_valid;
  if (s.factor_valid) w.lu = s.lu;
}

}  // namespace korva::mip
