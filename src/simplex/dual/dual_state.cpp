#include "simplex/dual/dual_state.h"

#include "env/environment.h"

namespace korva::simplex {

namespace {
constexpr double kWorkingOptimalityShare = 0.1;
}  // namespace

void DualScratch::size(int m, int n) {
  const int nv = m + n;
  if (row_ep.size != m) {
    row_ep.resize(m);
    col_aq.resize(m);
    col_bfrt.resize(m);
    col_dse.resize(m);
    work_m.resize(m);
  }
  if (row_ap.size != n) row_ap.resize(n);
  move.assign(static_cast<size_t>(nv), kMoveNone);
  infeas.assign(static_cast<size_t>(m), 0.0);
  infeasible_rows.assign((static_cast<size_t>(m) + 63) / 64, 0);
  candidate.resize(static_cast<size_t>(nv));
  candidate_alpha.resize(static_cast<size_t>(nv));
  candidate_dual.resize(static_cast<size_t>(nv));
  group_end.reserve(static_cast<size_t>(nv) + 1);
  flips.reserve(static_cast<size_t>(nv));
  reference.resize(static_cast<size_t>(nv), 0);
  fixed_vars.clear();
}

DualState::DualState(Environment& e, const Problem& p, SimplexWork& work, const SimplexSettings& st,
                     DualScratch& scratch)
    : env(e), problem(p), w(work), settings(st), s(scratch), lp(work.lp) {
  m = lp.num_rows;
  n = lp.num_cols;
  nv = m + n;
  primal_tol = st.feasibility_tol;
  // The run works a decade inside the optimality tolerance: reduced costs
  // that the Harris ratio test lets stray up to the tolerance would
  // otherwise add up, on long unbounded columns, to a visible loss of
  // objective.
  dual_tol_original = st.optimality_tol * kWorkingOptimalityShare;
  dual_tol = dual_tol_original;
  base_cost = &lp.cost;
}

void DualState::refresh_all_infeasibilities() {
  for (int r = 0; r < m; ++r) refresh_infeasibility(r);
  env.ticks.charge(static_cast<uint64_t>(m));
}

int8_t DualState::move_of(int j) const {
  if (is_basic(w.status[j])) return kMoveNone;
  const double lo = w.work_lower[j], up = w.work_upper[j];
  if (lo == up) return kMoveNone;
  switch (base_status(w.status[j])) {
    case kAtLower:
      return kMoveUp;
    case kAtUpper:
      return kMoveDown;
    default:
      return lo == -kInf && up == kInf ? kMoveFree : kMoveNone;
  }
}

void DualState::refresh_moves() {
  for (int j = 0; j < nv; ++j) s.move[j] = move_of(j);
  env.ticks.charge(static_cast<uint64_t>(nv));
}

void DualState::recompute_objective() {
  w.sync_basic_values();
  double obj = 0.0;
  for (int j = 0; j < nv; ++j)
    if (w.work_cost[j] != 0.0) obj += w.work_cost[j] * w.x[j];
  objective = obj;
  env.ticks.charge(static_cast<uint64_t>(nv));
}

}  // namespace korva::simplex
