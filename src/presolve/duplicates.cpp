// Parallel columns: column k = t·column j. With proportional costs the two
// act as one variable x_j + t·x_k whose bounds combine; otherwise moving
// along (t·ε, -ε) keeps every row and changes the cost by the sign of
// c_k - t·c_j, so x_k goes to the bound that direction prefers when x_j has
// no bound to stop it. Integer columns pair only with integer columns and
// only for t = 1: the sum of two integers is an integer, and any integer
// sum splits into two.
#include <vector>

#include "presolve/parallel_lines.h"
#include "presolve/reducer.h"

namespace korva::presolve {

uint64_t Reducer::column_key(int j) const { return parallel_key(columns_view(), j); }

// Ratio t with column(other) = t·column(keep) over the active entries, or 0.
double Reducer::column_multiple(int keep, int other) {
  if (w_.col_len[keep] != w_.col_len[other]) return 0.0;
  return parallel_ratio(columns_view(), keep, other, next_stamp(), row_mark_, row_value_);
}

void Reducer::duplicate_column_pass(bool& changed) {
  next_stamp();  // sizes the scratch
  std::vector<KeyedLine> lines;
  for (int j = 0; j < w_.n; ++j)
    if (w_.col_alive[j] && w_.col_len[j] >= 1 && !w_.frozen[j]) lines.push_back({column_key(j), j});
  int64_t work = w_.n;
  for_each_parallel_group(lines, [&](const std::vector<int>& cols) {
    for (size_t p = 0; p < cols.size(); ++p) {
      const int keep = cols[p];
      for (size_t q = p + 1; q < cols.size() && w_.col_alive[keep]; ++q) {
        const int other = cols[q];
        if (!w_.col_alive[other] || w_.integer[keep] != w_.integer[other]) continue;
        work += 2 * w_.col_len[keep];
        const double t = column_multiple(keep, other);
        if (t == 0.0 || (w_.integer[keep] && t != 1.0)) continue;
        if (parallel_columns(keep, other, t)) changed = true;
      }
    }
    return false;
  });
  env_.ticks.charge(static_cast<uint64_t>(work));
}

// column(k) = t·column(j). Returns whether a column went.
bool Reducer::parallel_columns(int j, int k, double t) {
  const double cj = w_.cost[j], ck = w_.cost[k];
  const double delta = ck - t * cj;
  if (std::fabs(delta) <= 1e-12 * std::max({1.0, std::fabs(ck), std::fabs(t * cj)})) {
    // Splitting the sum again is not a linear map back.
    if (s_.linear == 0) return false;
    merge_columns(j, k, t);
    return true;
  }
  if (!dual_ok()) return false;
  // x_k down by ε, x_j by t·ε: rows unchanged, cost -δ·ε. Needs room for
  // x_j in that direction without end.
  const bool j_unbounded_up = w_.ub[j] == kInf, j_unbounded_down = w_.lb[j] == -kInf;
  if (delta > 0 && (t > 0 ? j_unbounded_up : j_unbounded_down) && w_.lb[k] > -kInf) {
    w_.fix_column(k, w_.lb[k]);
    return true;
  }
  if (delta < 0 && (t > 0 ? j_unbounded_down : j_unbounded_up) && w_.ub[k] < kInf) {
    w_.fix_column(k, w_.ub[k]);
    return true;
  }
  // The same seen from x_k: x_j = column(k) / t.
  const double delta_j = cj - ck / t;  // = -δ / t
  const bool k_unbounded_up = w_.ub[k] == kInf, k_unbounded_down = w_.lb[k] == -kInf;
  if (delta_j > 0 && (t > 0 ? k_unbounded_up : k_unbounded_down) && w_.lb[j] > -kInf) {
    w_.fix_column(j, w_.lb[j]);
    return true;
  }
  if (delta_j < 0 && (t > 0 ? k_unbounded_down : k_unbounded_up) && w_.ub[j] < kInf) {
    w_.fix_column(j, w_.ub[j]);
    return true;
  }
  return false;
}

// x_j + t·x_k becomes the new x_j; x_k goes.
void Reducer::merge_columns(int j, int k, double t) {
  Reduction r;
  r.kind = ReductionKind::DuplicateColumn;
  r.col = k;
  r.other = j;
  r.a = t;
  r.cost = w_.cost[k];
  r.lb = w_.lb[k];
  r.ub = w_.ub[k];
  r.old_lb = w_.lb[j];
  r.old_ub = w_.ub[j];
  w_.stack.push_back(r);
  const double add_lo = t > 0 ? t * w_.lb[k] : t * w_.ub[k];
  const double add_hi = t > 0 ? t * w_.ub[k] : t * w_.lb[k];
  w_.lb[j] = w_.lb[j] + add_lo;
  w_.ub[j] = w_.ub[j] + add_hi;
  w_.drop_column(k);
}

}  // namespace korva::presolve
