#include "mip/cuts/cut_generating_lp.h"

#include <algorithm>
#include <cmath>

#include "mip/mip_model.h"
#include "model/model.h"
#include "simplex/core/simplex_run.h"
#include "simplex/core/start_basis.h"
#include "simplex/dispatch/algorithms.h"
#include "simplex/lu/lu_codes.h"
#include "simplex/lu/refactor_driver.h"
#include "simplex/status.h"

namespace korva::mip {

namespace {

// Tight tolerances: the cut is rebuilt from the multipliers, and every
// bound or equality they miss weakens it or makes it unusable.
constexpr double kCglpFeasibility = 1e-9;
constexpr double kCglpOptimality = 1e-9;

}  // namespace

double relaxation_lower(const SeparationInput& in, int col) {
  const ColKind k = in.model->kind[col];
  const bool semi = k == ColKind::SemiContinuous || k == ColKind::SemiInteger;
  return semi ? std::min(0.0, in.lower[col]) : in.lower[col];
}

void list_inequalities(const SeparationInput& in, int rows, std::vector<Inequality>& out) {
  const MipModel& m = *in.model;
  out.clear();
  for (int i = 0; i < rows; ++i) {
    if (m.row_begin[i] == m.row_begin[i + 1]) continue;
    if (!std::isinf(m.row_lo[i])) out.push_back({i, -1, 1.0, m.row_lo[i]});
    if (!std::isinf(m.row_hi[i])) out.push_back({i, -1, -1.0, -m.row_hi[i]});
  }
  for (int j = 0; j < m.num_cols; ++j) {
    const double lo = relaxation_lower(in, j), up = in.upper[j];
    if (!std::isinf(lo)) out.push_back({-1, j, 1.0, lo});
    if (!std::isinf(up)) out.push_back({-1, j, -1.0, -up});
  }
}

CglpSize cglp_size(const MipModel& m, int rows, int candidates) {
  // Bounds are counted as if finite: this is a cheap upper estimate.
  CglpSize s;
  int64_t sides = 0, entries = 0;
  for (int i = 0; i < rows; ++i) {
    const int64_t len = m.row_begin[i + 1] - m.row_begin[i];
    if (len == 0) continue;
    const int64_t n = (std::isinf(m.row_lo[i]) ? 0 : 1) + (std::isinf(m.row_hi[i]) ? 0 : 1);
    sides += n;
    entries += n * (len + 2);  // the row, its β row and the normalisation
  }
  sides += 2 * static_cast<int64_t>(m.num_cols);
  entries += 2 * static_cast<int64_t>(m.num_cols) * 3;
  s.multipliers = 2 * sides + 2 * static_cast<int64_t>(candidates);
  s.entries = 2 * entries + 2 + 6 * static_cast<int64_t>(candidates);
  return s;
}

CutGeneratingLp::~CutGeneratingLp() {
  if (problem_) model::free_problem(problem_);
}

int CutGeneratingLp::build(Environment& env, const SeparationInput& in, const std::vector<Inequality>& list,
                           const std::vector<SplitCandidate>& candidates) {
  const MipModel& m = *in.model;
  const int n = m.num_cols;
  const int q = static_cast<int>(list.size());
  const int c = static_cast<int>(candidates.size());
  inequalities_ = q;
  const int cols = 2 * q + 1 + 2 * c;
  const int rows = n + 3;
  const int beta0_row = n, beta1_row = n + 1, normal_row = n + 2;

  // β lies between -L and L at any optimum: the multipliers sum to at most
  // 1, so |u·g - u0·π| <= max(|g|, |π|). Bounding it keeps every column
  // of the LP off the free kind.
  double reach = 1.0;
  for (const Inequality& e : list) reach = std::max(reach, std::fabs(e.rhs));
  for (const SplitCandidate& s : candidates) reach = std::max(reach, std::fabs(std::floor(s.value)) + 1.0);
  reach = 2.0 * reach + 1.0;

  std::vector<double> obj(static_cast<size_t>(cols), 0.0), lb(static_cast<size_t>(cols), 0.0),
      ub(static_cast<size_t>(cols), kInfinity);
  std::vector<int64_t> begin(static_cast<size_t>(cols) + 1, 0);
  std::vector<int> count(static_cast<size_t>(cols), 0);
  std::vector<int> index;
  std::vector<double> value;
  auto entry = [&](int row, double v) {
    index.push_back(row);
    value.push_back(v);
  };
  // u then v: side s's inequality columns, with β rows beta0/beta1.
  for (int side = 0; side < 2; ++side) {
    const double s = side == 0 ? 1.0 : -1.0;
    const int beta_row = side == 0 ? beta0_row : beta1_row;
    for (int k = 0; k < q; ++k) {
      const Inequality& e = list[k];
      const int col = side * q + k;
      begin[col] = static_cast<int64_t>(index.size());
      double activity = 0.0;
      if (e.row >= 0) {
        for (int64_t p = m.row_begin[e.row]; p < m.row_begin[e.row + 1]; ++p) {
          const double a = e.sign * m.row_val[p];
          entry(m.row_col[p], s * a);
          activity += a * in.x[m.row_col[p]];
        }
      } else {
        entry(e.col, s * e.sign);
        activity = e.sign * in.x[e.col];
      }
      if (e.rhs != 0.0) entry(beta_row, -e.rhs);
      entry(normal_row, 1.0);
      // α·x* in its side-0 form: the side-0 multipliers carry the cost.
      if (side == 0) obj[col] = activity;
    }
  }
  const int beta = 2 * q;
  begin[beta] = static_cast<int64_t>(index.size());
  entry(beta0_row, 1.0);
  entry(beta1_row, 1.0);
  obj[beta] = -1.0;
  lb[beta] = -reach;
  ub[beta] = reach;
  for (int k = 0; k < c; ++k) {
    const SplitCandidate& s = candidates[k];
    const double pi = std::floor(s.value);
    const int u0 = beta + 1 + 2 * k, v0 = u0 + 1;
    begin[u0] = static_cast<int64_t>(index.size());
    entry(s.col, -1.0);
    if (pi != 0.0) entry(beta0_row, pi);
    entry(normal_row, 1.0);
    obj[u0] = -s.value;
    begin[v0] = static_cast<int64_t>(index.size());
    entry(s.col, -1.0);
    entry(beta1_row, -(pi + 1.0));
    entry(normal_row, 1.0);
    ub[u0] = ub[v0] = 0.0;  // until their candidate is solved
  }
  begin[cols] = static_cast<int64_t>(index.size());
  for (int k = 0; k < cols; ++k) count[k] = static_cast<int>(begin[k + 1] - begin[k]);
  obj_ = obj;

  std::vector<double> rhs(static_cast<size_t>(rows), 0.0);
  std::vector<char> sense(static_cast<size_t>(rows), 'E');
  sense[beta0_row] = sense[beta1_row] = 'L';
  rhs[normal_row] = 1.0;

  int status = 0;
  problem_ = model::create_problem(env, "disjd", &status);
  if (!problem_) return status;
  if (int code = model::copy_lp(env, *problem_, cols, rows, 1, obj.data(), rhs.data(), sense.data(), begin.data(),
                                count.data(), index.data(), value.data(), lb.data(), ub.data(), nullptr, nullptr,
                                nullptr))
    return code;

  settings_.display = 0;  // the search's log shows nothing of these solves
  settings_.feasibility_tol = kCglpFeasibility;
  settings_.optimality_tol = kCglpOptimality;
  settings_.scaling = 0;
  settings_.advanced_start = true;
  settings_.final_verdict = false;
  w_ = &simplex::prepare_simplex_work(env, *problem_, false, settings_.scaling);
  w_->factor_control = lu::factor_control(env);
  w_->factor_control.markowitz = settings_.markowitz;
  first_candidate_ = beta + 1;
  active_ = -1;
  rows_ = rows;
  iterations_ = 0;
  return 0;
}

void CutGeneratingLp::set_upper(int var, double upper) {
  simplex::SimplexWork& w = *w_;
  const double hi = w.lp.to_internal(var, upper);
  w.lp.upper[var] = w.work_upper[var] = hi;
  simplex::place_nonbasic_value(w, var);
}

int CutGeneratingLp::solve(Environment& env, int c, int64_t iteration_limit, bool* solved, CglpMultipliers& out) {
  *solved = false;
  settings_.run_iteration_limit = std::max<int64_t>(1, iteration_limit);
  if (active_ != c) {
    if (active_ >= 0) {
      set_upper(first_candidate_ + 2 * active_, 0.0);
      set_upper(first_candidate_ + 2 * active_ + 1, 0.0);
    }
    set_upper(first_candidate_ + 2 * c, kInf);
    set_upper(first_candidate_ + 2 * c + 1, kInf);
    simplex::refresh_basic_bounds(*w_);
    active_ = c;
  }
  simplex::SimplexOutcome oc;
  int code = simplex::run_algorithm(env, *problem_, simplex::dual_algorithm(), *w_, settings_, oc);
  iterations_ += oc.iterations;
  if (code == lu::kSingular || (code == 0 && oc.numerical_failure)) {
    // A basis no repair saves: this candidate starts over from the slack basis.
    settings_.run_iteration_limit = std::max<int64_t>(1, iteration_limit - oc.iterations);
    simplex::set_slack_basis(*w_);
    simplex::refresh_basic_bounds(*w_);
    code = simplex::run_algorithm(env, *problem_, simplex::dual_algorithm(), *w_, settings_, oc);
    iterations_ += oc.iterations;
    if (code == lu::kSingular) return 0;
  }
  if (code != 0) return code;
  if (oc.status != status::kOptimal) return 0;
  simplex::SimplexWork& w = *w_;
  w.sync_basic_values();
  const int q = inequalities_;
  auto value = [&](int var) { return std::max(0.0, w.lp.to_user(var, w.x[var])); };
  out.u.resize(static_cast<size_t>(q));
  out.v.resize(static_cast<size_t>(q));
  out.objective = 0.0;
  for (int k = 0; k < q; ++k) {
    out.u[k] = value(k);
    out.v[k] = value(q + k);
    out.objective += obj_[k] * out.u[k];
  }
  out.u0 = value(first_candidate_ + 2 * c);
  out.v0 = value(first_candidate_ + 2 * c + 1);
  out.objective += obj_[first_candidate_ + 2 * c] * out.u0;
  out.objective -= w.lp.to_user(2 * q, w.x[2 * q]);
  *solved = true;
  return 0;
}

}  // namespace korva::mip
