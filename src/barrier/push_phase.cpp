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

}  // namespace

PushResult primal_push(Environment& env, const Problem& p, simplex::SimplexWork& w, const std::vector<int>& order,
                       const std::vector<double>& reduced, double feasibility_tol, int display) {
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
    // Towards the bound the reduced cost favours, else the nearer one; a
    // free variable has no bound and only enters the basis.
    int direction = 0;
    if (lo > -kInf || up < kInf) {
      const bool down_possible = lo > -kInf, up_possible = up < kInf;
      if (reduced[j] > 0 && down_possible) direction = -1;
      else if (reduced[j] < 0 && up_possible) direction = 1;
      else if (!up_possible || (down_possible && xj - lo <= up - xj)) direction = -1;
      else direction = 1;
    }
    const double room = direction < 0 ? xj - lo : direction > 0 ? up - xj : kInf;

    load_column(lp, j, col);
    w.lu.ftran(col, lu::SolveKind::Automatic, true);
    if (!col.indexed) col.rebuild_index();

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
      if (w.lu.update(col, leave) == lu::UpdateResult::Refactorise) {
        simplex::RefactorRequest request;
        request.display = 0;
        result.code = simplex::refactor_basis(env, p, w, request);
        if (result.code == lu::kRepaired) result.code = 0;
        if (result.code != 0) return result;
        simplex::refresh_basic_bounds(w);
      }
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

}  // namespace korva::barrier
