#include "presolve/reducer.h"

#include <unordered_map>
#include <vector>

#include "env/channel.h"

namespace korva::presolve {

// Hash of a row's pattern and its coefficients relative to the first, so
// that multiples of one row meet in one bucket.
uint64_t Reducer::row_key(int i) const {
  uint64_t h = 1469598103934665603ull;
  double first = 0.0;
  for (int64_t k = w_.rbeg[i]; k < w_.rbeg[i + 1]; ++k) {
    const int j = w_.ridx[k];
    if (!w_.col_alive[j]) continue;
    if (first == 0.0) first = w_.rval[k];
    const long long scaled = std::llround(w_.rval[k] / first * 1e6);
    h = (h ^ static_cast<uint64_t>(j)) * 1099511628211ull;
    h = (h ^ static_cast<uint64_t>(scaled)) * 1099511628211ull;
  }
  return h;
}

// Ratio r with row(other) = r·row(eq) over the active entries, or 0.
double Reducer::multiple_of(int eq, int other) const {
  if (w_.row_len[eq] != w_.row_len[other]) return 0.0;
  int64_t a = w_.rbeg[eq], b = w_.rbeg[other];
  double ratio = 0.0;
  for (;;) {
    while (a < w_.rbeg[eq + 1] && !w_.col_alive[w_.ridx[a]]) ++a;
    while (b < w_.rbeg[other + 1] && !w_.col_alive[w_.ridx[b]]) ++b;
    const bool end_a = a == w_.rbeg[eq + 1], end_b = b == w_.rbeg[other + 1];
    if (end_a || end_b) return end_a && end_b ? ratio : 0.0;
    if (w_.ridx[a] != w_.ridx[b]) return 0.0;
    const double r = w_.rval[b] / w_.rval[a];
    if (ratio == 0.0)
      ratio = r;
    else if (std::fabs(r - ratio) > 1e-12 * std::fabs(ratio))
      return 0.0;
    ++a;
    ++b;
  }
}

// A row that is a multiple of an equality row either always holds (it
// goes) or never does.
int Reducer::dependent_row_pass(bool& changed) {
  std::unordered_map<uint64_t, std::vector<int>> buckets;
  for (int i = 0; i < w_.m; ++i)
    if (w_.row_alive[i] && w_.row_len[i] >= 2) buckets[row_key(i)].push_back(i);
  for (auto& [key, rows] : buckets) {
    if (rows.size() < 2) continue;
    for (size_t p = 0; p < rows.size(); ++p) {
      const int eq = rows[p];
      if (!w_.row_alive[eq] || w_.rlo[eq] != w_.rhi[eq]) continue;
      for (size_t q = 0; q < rows.size(); ++q) {
        const int other = rows[q];
        if (other == eq || !w_.row_alive[other]) continue;
        const double ratio = multiple_of(eq, other);
        if (ratio == 0.0) continue;
        const double value = ratio * w_.rlo[eq];
        const double lo = w_.rlo[other], hi = w_.rhi[other];
        if (value < lo - feas_tol(lo) || value > hi + feas_tol(hi)) {
          if (const char* name = row_name(other))
            msg(env_.results(), "Row '%.255s' is dependent and infeasible.\n", name);
          return kInfeasible;
        }
        w_.remove_row(other);
        changed = true;
      }
    }
  }
  return 0;
}
}  // namespace korva::presolve
