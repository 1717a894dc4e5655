// Parallel rows: a row that is a multiple of another one either adds
// nothing, tightens the other one's range (which may make an inequality
// an equality), or contradicts it.
#include "presolve/reducer.h"

#include <algorithm>
#include <vector>

#include "env/channel.h"

namespace korva::presolve {

uint64_t Reducer::row_key(int i) const { return parallel_key(rows_view(), i); }

// Ratio r with row(other) = r·row(keep) over the active entries, or 0.
double Reducer::multiple_of(int keep, int other) {
  if (w_.row_len[keep] != w_.row_len[other]) return 0.0;
  return parallel_ratio(rows_view(), keep, other, next_stamp(), col_mark_, col_value_);
}

int Reducer::dependent_row_pass(bool& changed) {
  std::vector<KeyedLine> lines;
  for (int i = 0; i < w_.m; ++i)
    if (w_.row_alive[i] && w_.row_len[i] >= 2) lines.push_back({row_key(i), i});
  int64_t work = w_.m;
  int code = 0;
  for_each_parallel_group(lines, [&](std::vector<int>& rows) {
    // Equalities first: they are the rows to keep.
    std::stable_partition(rows.begin(), rows.end(), [&](int i) { return w_.rlo[i] == w_.rhi[i]; });
    for (size_t p = 0; p < rows.size(); ++p) {
      const int keep = rows[p];
      if (!w_.row_alive[keep]) continue;
      for (size_t q = p + 1; q < rows.size(); ++q) {
        const int other = rows[q];
        if (!w_.row_alive[other]) continue;
        work += 2 * w_.row_len[keep];
        const double ratio = multiple_of(keep, other);
        if (ratio == 0.0) continue;
        if ((code = merge_rows(keep, other, ratio, changed)) != 0) return true;
      }
    }
    return false;
  });
  if (code) return code;
  env_.ticks.charge(static_cast<uint64_t>(work));
  return 0;
}

// row(other) = ratio·row(keep): other's range, divided by the ratio, is
// intersected with keep's; other goes.
int Reducer::merge_rows(int keep, int other, double ratio, bool& changed) {
  double lo = ratio > 0 ? w_.rlo[other] / ratio : w_.rhi[other] / ratio;
  double hi = ratio > 0 ? w_.rhi[other] / ratio : w_.rlo[other] / ratio;
  if (lo == kInf || std::isnan(lo)) lo = -kInf;
  if (hi == -kInf || std::isnan(hi)) hi = kInf;
  double& klo = w_.rlo[keep];
  double& khi = w_.rhi[keep];
  const bool lo_from_other = lo > klo + redundant_tol(klo);
  const bool hi_from_other = hi < khi - redundant_tol(khi);
  const double new_lo = lo_from_other ? lo : klo;
  const double new_hi = hi_from_other ? hi : khi;
  if (new_lo > new_hi + feas_tol(new_hi)) {
    if (const char* name = row_name(other)) msg(env_.results(), "Row '%.255s' is dependent and infeasible.\n", name);
    return kInfeasible;
  }
  changed = true;
  if (!lo_from_other && !hi_from_other) {
    w_.remove_row(other);
    return 0;
  }
  Reduction r;
  r.kind = ReductionKind::DuplicateRow;
  r.row = other;
  r.other = keep;
  r.a = ratio;
  r.side = (lo_from_other ? 1 : 0) | (hi_from_other ? 2 : 0);
  if (new_lo >= new_hi) {
    // Met (within the tolerance): an equality, at the end an equality had.
    const double at = klo == khi ? klo : (lo == hi ? lo : (lo_from_other ? new_lo : new_hi));
    klo = khi = at;
  } else {
    klo = new_lo;
    khi = new_hi;
  }
  w_.stack.push_back(r);
  w_.drop_row(other);
  return 0;
}

}  // namespace korva::presolve
