#include "barrier/crossover.h"

#include <algorithm>
#include <cmath>

#include "barrier/push_phase.h"
#include "env/channel.h"
#include "simplex/core/basis_factor.h"
#include "simplex/core/start_basis.h"
#include "simplex/lu/refactor_driver.h"

namespace korva::barrier {

namespace {

using simplex::kInf;

constexpr double kAtBound = 1e-9;  // relative distance that counts as on the bound

bool on_bound(double x, double bound) { return std::fabs(x - bound) <= kAtBound * (1.0 + std::fabs(bound)); }

}  // namespace

int crossover_to_basis(Environment& env, const Problem& p, simplex::SimplexWork& w, const IpmModel& model,
                       const IpmResult& result, int display, CrossoverCounts& counts) {
  const simplex::SimplexLp& lp = w.lp;
  const int n = lp.num_cols, m = lp.num_rows, nv = n + m;
  std::vector<double> value(static_cast<size_t>(nv)), reduced(static_cast<size_t>(nv), 0.0);
  for (int var = 0; var < nv; ++var) value[var] = model.fixed_value[var];
  for (int j = 0; j < model.cols; ++j) {
    const int var = model.simplex_var[j];
    // An iterate that went to pieces leaves the bounds to start from.
    const double x = std::isfinite(result.x[j]) ? result.x[j] : 0.0;
    value[var] = std::min(std::max(x, lp.lower[var]), lp.upper[var]);
    if (!std::isfinite(value[var])) value[var] = 0.0;
    reduced[var] = std::isfinite(result.zl[j] - result.zu[j]) ? result.zl[j] - result.zu[j] : 0.0;
  }

  // The slack basis; columns on a bound sit there, the others keep their
  // interior values as superbasics.
  w.status.assign(static_cast<size_t>(nv), simplex::kAtLower);
  w.x.assign(value.begin(), value.end());
  w.basic_index.resize(static_cast<size_t>(m));
  for (int i = 0; i < m; ++i) {
    w.status[n + i] = simplex::kBasic;
    w.basic_index[i] = n + i;
  }
  struct Candidate {
    double score;
    int var;
  };
  std::vector<Candidate> superbasics;
  for (int j = 0; j < n; ++j) {
    const double lo = lp.lower[j], up = lp.upper[j], x = value[j];
    if (lo > -kInf && on_bound(x, lo)) {
      w.x[j] = lo;
    } else if (up < kInf && on_bound(x, up)) {
      w.status[j] = simplex::kAtUpper;
      w.x[j] = up;
    } else {
      w.status[j] = simplex::kSuperbasic;
      // Farthest inside relative to its reduced cost first: the columns
      // surest to be basic take the basis positions before the others.
      const double room = std::min(lo > -kInf ? x - lo : kInf, up < kInf ? up - x : kInf);
      superbasics.push_back({room == kInf ? kInf : room / (std::fabs(reduced[j]) + 1e-14), j});
    }
  }
  std::stable_sort(superbasics.begin(), superbasics.end(),
                   [](const Candidate& a, const Candidate& b) { return a.score > b.score; });
  std::vector<int> order;
  order.reserve(superbasics.size());
  for (const Candidate& c : superbasics) order.push_back(c.var);

  w.has_basis = true;
  w.dual_weight_mode = -1;
  w.x_basic.assign(static_cast<size_t>(m), 0.0);
  w.dj.assign(static_cast<size_t>(nv), 0.0);
  w.factor_control = lu::factor_control(env);
  if (int code = refactor_push_basis(env, p, w)) return code;
  SparseVector work(m);
  simplex::compute_basic_values(w, work, env.ticks);

  const double feasibility_tol = env.dbl_param(KRV_PARAM_EPRHS);
  const double optimality_tol = env.dbl_param(KRV_PARAM_EPOPT);
  const PushResult push = primal_push(env, p, w, order, feasibility_tol, optimality_tol, display);
  counts.primal_push = push.pushed;
  counts.primal_exchange = push.exchanged;
  if (push.code != 0) return push.code;

  // The interior prices, and the reduced costs they give exactly.
  std::vector<double> y(result.y);
  for (double& v : y)
    if (!std::isfinite(v)) v = 0.0;
  for (int var = 0; var < nv; ++var) {
    if (var < n) {
      double z = lp.cost[var];
      for (int64_t k = lp.col_begin[var]; k < lp.col_begin[var + 1]; ++k) z -= lp.value[k] * y[lp.row_index[k]];
      reduced[var] = z;
    } else {
      reduced[var] = -y[var - n];
    }
  }
  const PushResult dual = dual_push(env, p, w, y, reduced, feasibility_tol, optimality_tol, display);
  counts.dual_push = dual.pushed;
  counts.dual_exchange = dual.exchanged;
  w.sync_basic_values();
  // The last refactorisation had to replace dependent columns by slacks.
  if (dual.code == 0 && !w.repairs.empty())
    msg(env.warning(), "Warning: Crossover terminates with a singular basis.\n");
  return dual.code;
}

}  // namespace korva::barrier
