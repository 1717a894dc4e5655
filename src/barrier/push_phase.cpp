#include "barrier/push_phase.h"

#include <cmath>

#include "env/channel.h"
#include "env/time_limit.h"
#include "simplex/core/basis_factor.h"
#include "simplex/core/start_basis.h"
#include "simplex/lu/lu_codes.h"
#include "simplex/sparse_vector.h"

namespace korva::barrier {

namespace {

using simplex::kInf;

constexpr double kSmallPivot = 1e-9;      // entries of B⁻¹a_j ignored by the ratio test
constexpr double kProgressSeconds = 5.0;  // between the progress lines
// A push starts from one column or one unit row, and on a large basis its
// solves touch a small part of the factor: the index-list solves, which
// give up for the dense sweep when the reach grows, from the first move on
// rather than once the factor's updates have made them worthwhile.
constexpr lu::SolveKind kPushSolve = lu::SolveKind::Hypersparse;

// Loads column `var` (structural or logical) into `col` in row space.
void load_column(const simplex::SimplexLp& lp, int var, SparseVector& col) {
  col.clear();
  if (var < lp.num_cols) {
    for (int64_t k = lp.col_begin[var]; k < lp.col_begin[var + 1]; ++k) col.set_new(lp.row_index[k], lp.value[k]);
  } else {
    col.set_new(var - lp.num_cols, 1.0);
  }
}

double infeasibility(const simplex::SimplexWork& w) {
  double sum = 0;
  for (int r = 0; r < w.lp.num_rows; ++r) {
    const int var = w.basic_index[r];
    sum += std::max({w.lp.lower[var] - w.x_basic[r], w.x_basic[r] - w.lp.upper[var], 0.0});
  }
  return sum;
}

double objective(const simplex::SimplexWork& w) {
  double sum = 0;
  const int n = w.lp.num_cols;
  for (int j = 0; j < n; ++j) {
    if (!simplex::is_basic(w.status[j])) sum += w.lp.cost[j] * w.x[j];
  }
  for (int r = 0; r < w.lp.num_rows; ++r) {
    const int var = w.basic_index[r];
    if (var < n) sum += w.lp.cost[var] * w.x_basic[r];
  }
  return sum * w.lp.objsense;
}

// Sum of the reduced costs of nonbasic variables that point the wrong way.
double dual_infeasibility(const simplex::SimplexWork& w, const std::vector<double>& reduced) {
  double sum = 0;
  for (int var = 0; var < w.lp.num_vars(); ++var) {
    if (simplex::is_basic(w.status[var]) || w.lp.lower[var] == w.lp.upper[var]) continue;
    const uint8_t st = simplex::base_status(w.status[var]);
    if (st == simplex::kAtLower) sum += std::max(0.0, -reduced[var]);
    else if (st == simplex::kAtUpper) sum += std::max(0.0, reduced[var]);
    else sum += std::fabs(reduced[var]);
  }
  return sum;
}

// The column at `position` replaced by `entering` (its ftran kept for the
// update); a refactorisation when the update asks for one.
int update_factor(Environment& env, const Problem& p, simplex::SimplexWork& w, const SparseVector& entering,
                  int position) {
  if (w.lu.update(entering, position) != lu::UpdateResult::Refactorise) return 0;
  return refactor_push_basis(env, p, w);
}

}  // namespace

int refactor_push_basis(Environment& env, const Problem& p, simplex::SimplexWork& w) {
  simplex::RefactorRequest request;
  request.display = 0;
  const int code = simplex::refactor_basis(env, p, w, request);
  if (code != 0 && code != lu::kRepaired) return code;
  simplex::refresh_basic_bounds(w);
  return 0;
}

PushResult primal_push(Environment& env, const Problem& p, simplex::SimplexWork& w, const std::vector<int>& order,
                       double feasibility_tol, double optimality_tol, int display) {
  PushResult result;
  const simplex::SimplexLp& lp = w.lp;
  const int m = lp.num_rows;
  SparseVector col(m);
  const double start = current_time(env);
  double last_line = start;
  auto progress = [&](int64_t left) {
    msg(env.results(), "   %6lld PMoves:  Infeasibility %15.8e  Objective %15.8e\n", static_cast<long long>(left),
        infeasibility(w), objective(w));
  };
  if (display >= 1) progress(static_cast<int64_t>(order.size()));

  for (size_t k = 0; k < order.size(); ++k) {
    const int j = order[k];
    if (simplex::base_status(w.status[j]) != simplex::kSuperbasic) continue;
    const double lo = lp.lower[j], up = lp.upper[j], xj = w.x[j];
    load_column(lp, j, col);
    w.lu.ftran(col, kPushSolve, true);
    if (!col.indexed) col.rebuild_index();

    // Towards the bound that does not worsen the objective (by the current
    // basis' reduced cost), else the nearer one; a free variable has no
    // bound and only enters the basis.
    double dj = lp.cost[j];
    for (int t = 0; t < col.count; ++t) {
      const int r = col.index[t];
      dj -= lp.cost[w.basic_index[r]] * col.values[r];
    }
    // A favoured direction without a bound there still moves until a
    // basic variable blocks it, and the variable then enters the basis.
    int direction = 0;
    if (dj > optimality_tol) direction = -1;
    else if (dj < -optimality_tol) direction = 1;
    else if (lo > -kInf && (up == kInf || xj - lo <= up - xj)) direction = -1;
    else if (up < kInf) direction = 1;
    const double room = direction < 0 ? xj - lo : direction > 0 ? up - xj : kInf;

    // Ratio test in two passes: the largest step the tolerance allows,
    // then the largest pivot among the rows that block within it.
    int leave = -1;
    double step = room;
    if (direction != 0) {
      double bound_step = kInf;
      for (int t = 0; t < col.count; ++t) {
        const int r = col.index[t];
        const double alpha = direction * col.values[r];
        if (std::fabs(alpha) < kSmallPivot) continue;
        const int var = w.basic_index[r];
        // x_B moves by -alpha per unit step.
        const double limit = alpha > 0 ? (w.x_basic[r] - lp.lower[var] + feasibility_tol) / alpha
                                       : (lp.upper[var] + feasibility_tol - w.x_basic[r]) / -alpha;
        if (limit < bound_step) bound_step = limit;
      }
      if (bound_step < room) {
        double best = 0;
        for (int t = 0; t < col.count; ++t) {
          const int r = col.index[t];
          const double alpha = direction * col.values[r];
          if (std::fabs(alpha) < kSmallPivot) continue;
          const int var = w.basic_index[r];
          const double reach = alpha > 0 ? (w.x_basic[r] - lp.lower[var]) / alpha : (lp.upper[var] - w.x_basic[r]) / -alpha;
          if (reach <= bound_step && std::fabs(alpha) > best) {
            best = std::fabs(alpha);
            leave = r;
          }
        }
        if (leave >= 0) {
          const double alpha = direction * col.values[leave];
          const int var = w.basic_index[leave];
          step = std::max(0.0, alpha > 0 ? (w.x_basic[leave] - lp.lower[var]) / alpha
                                         : (lp.upper[var] - w.x_basic[leave]) / -alpha);
        }
      }
    } else {
      // A free variable enters at the row where it pivots best.
      double best = 0;
      for (int t = 0; t < col.count; ++t) {
        const int r = col.index[t];
        if (std::fabs(col.values[r]) > best) {
          best = std::fabs(col.values[r]);
          leave = r;
        }
      }
      if (leave < 0 || best < kSmallPivot) continue;
      step = 0;
    }

    if (leave < 0 && step == kInf) continue;  // nothing blocks a move with no bound: leave it be
    const double delta = direction * step;
    if (delta != 0.0) {
      for (int t = 0; t < col.count; ++t) {
        const int r = col.index[t];
        w.x_basic[r] -= delta * col.values[r];
      }
    }
    if (leave < 0) {
      w.status[j] = direction < 0 ? simplex::kAtLower : simplex::kAtUpper;
      w.x[j] = direction < 0 ? lo : up;
      ++result.pushed;
    } else {
      const int out = w.basic_index[leave];
      const double out_value = w.x_basic[leave];
      const double out_lo = lp.lower[out], out_up = lp.upper[out];
      const bool to_lower = out_lo > -kInf && (out_up == kInf || out_value - out_lo <= out_up - out_value);
      w.status[out] = to_lower ? simplex::kAtLower : simplex::kAtUpper;
      w.x[out] = to_lower ? out_lo : out_up;
      w.status[j] = simplex::kBasic;
      w.basic_index[leave] = j;
      w.x_basic[leave] = xj + delta;
      w.x[j] = xj + delta;
      ++result.exchanged;
      if ((result.code = update_factor(env, p, w, col, leave)) != 0) return result;
    }
    if (display >= 1 && current_time(env) - last_line >= kProgressSeconds) {
      last_line = current_time(env);
      progress(static_cast<int64_t>(order.size() - k - 1));
      msg(env.results(), "   Elapsed crossover time = %7.2f sec. (%lld PMoves)\n", last_line - start,
          static_cast<long long>(order.size() - k - 1));
    }
  }
  if (display >= 1) progress(0);
  return result;
}

PushResult dual_push(Environment& env, const Problem& p, simplex::SimplexWork& w, std::vector<double>& y,
                     std::vector<double>& reduced, double feasibility_tol, double optimality_tol, int display) {
  PushResult result;
  const simplex::SimplexLp& lp = w.lp;
  const int n = lp.num_cols, m = lp.num_rows, nv = n + m;
  SparseVector rho(m), col(m);
  std::vector<double> alpha(static_cast<size_t>(nv), 0.0);
  std::vector<int> touched;
  touched.reserve(static_cast<size_t>(nv));

  // The dual superbasics: basic, on a bound, with a reduced cost that
  // would be right for that bound once nonbasic.
  std::vector<int> positions;
  for (int r = 0; r < m; ++r) {
    const int var = w.basic_index[r];
    const double z = reduced[var], x = w.x_basic[r];
    if (std::fabs(z) <= optimality_tol) continue;
    const bool at_lower = lp.lower[var] > -kInf && x - lp.lower[var] <= feasibility_tol;
    const bool at_upper = lp.upper[var] < kInf && lp.upper[var] - x <= feasibility_tol;
    if ((z > 0 && at_lower) || (z < 0 && at_upper)) positions.push_back(r);
  }
  auto progress = [&](int64_t left) {
    msg(env.results(), "   %6lld DMoves:  Infeasibility %15.8e  Objective %15.8e\n", static_cast<long long>(left),
        dual_infeasibility(w, reduced), objective(w));
  };
  if (display >= 1) progress(static_cast<int64_t>(positions.size()));

  for (const int r : positions) {
    const int j = w.basic_index[r];
    const double zj = reduced[j];
    const double s = zj > 0 ? 1.0 : -1.0;
    rho.clear();
    rho.set_new(r, 1.0);
    w.lu.btran(rho, kPushSolve);
    if (!rho.indexed) rho.rebuild_index();
    // Row r of B⁻¹A over the nonbasic variables.
    touched.clear();
    for (int t = 0; t < rho.count; ++t) {
      const int i = rho.index[t];
      const double ri = rho.values[i];
      if (ri == 0.0) continue;
      for (int64_t k = lp.row_begin[i]; k < lp.row_begin[i + 1]; ++k) {
        const int var = lp.col_index[k];
        if (alpha[var] == 0.0) touched.push_back(var);
        alpha[var] += ri * lp.row_value[k];
        if (alpha[var] == 0.0) alpha[var] = 1e-300;
      }
      if (alpha[n + i] == 0.0) touched.push_back(n + i);
      alpha[n + i] += ri;
    }
    // Ratio test on t = |θ| with the reduced costs z_k - s·t·α_k.
    double bound_step = std::fabs(zj);
    for (const int k : touched) {
      const double a = s * alpha[k];
      if (simplex::is_basic(w.status[k]) || std::fabs(a) < kSmallPivot) continue;
      if (lp.lower[k] == lp.upper[k]) continue;  // fixed: either sign will do
      const uint8_t st = simplex::base_status(w.status[k]);
      const double zk = reduced[k];
      double limit = kInf;
      if (st == simplex::kAtLower && a > 0) limit = (zk + optimality_tol) / a;
      else if (st == simplex::kAtUpper && a < 0) limit = (optimality_tol - zk) / -a;
      else if (st == simplex::kSuperbasic) limit = (optimality_tol + std::fabs(zk)) / std::fabs(a);
      bound_step = std::min(bound_step, std::max(limit, 0.0));
    }
    int enter = -1;
    double step = std::fabs(zj);
    if (bound_step < std::fabs(zj)) {
      double best = 0;
      for (const int k : touched) {
        const double a = s * alpha[k];
        if (simplex::is_basic(w.status[k]) || std::fabs(a) < kSmallPivot || lp.lower[k] == lp.upper[k]) continue;
        const uint8_t st = simplex::base_status(w.status[k]);
        const double zk = reduced[k];
        double reach = kInf;
        if (st == simplex::kAtLower && a > 0) reach = zk / a;
        else if (st == simplex::kAtUpper && a < 0) reach = -zk / -a;
        else if (st == simplex::kSuperbasic) reach = std::fabs(zk) / std::fabs(a);
        if (reach <= bound_step && std::fabs(a) > best) {
          best = std::fabs(a);
          enter = k;
        }
      }
      if (enter >= 0) step = std::max(0.0, bound_step);
    }
    const double theta = s * step;
    for (int t = 0; t < rho.count; ++t) y[rho.index[t]] += theta * rho.values[rho.index[t]];
    for (const int k : touched) {
      if (!simplex::is_basic(w.status[k])) reduced[k] -= theta * alpha[k];
      alpha[k] = 0.0;
    }
    reduced[j] = zj - theta;
    if (enter < 0) {
      reduced[j] = 0.0;
      ++result.pushed;
      continue;
    }
    // A degenerate pivot: j leaves at the bound it sits on, the entering
    // variable keeps its value.
    load_column(lp, enter, col);
    w.lu.ftran(col, kPushSolve, true);
    if (std::fabs(col.values[r]) < kSmallPivot) continue;
    const bool at_lower = zj > 0;
    w.status[j] = at_lower ? simplex::kAtLower : simplex::kAtUpper;
    w.x[j] = at_lower ? lp.lower[j] : lp.upper[j];
    w.status[enter] = simplex::kBasic;
    w.basic_index[r] = enter;
    w.x_basic[r] = w.x[enter];
    reduced[enter] = 0.0;
    ++result.exchanged;
    if ((result.code = update_factor(env, p, w, col, r)) != 0) return result;
  }
  if (display >= 1) progress(0);
  return result;
}

}  // namespace korva::barrier
