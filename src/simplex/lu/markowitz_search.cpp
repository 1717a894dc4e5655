// Markowitz pivot search on the nucleus. Candidates pass the threshold test
// against the largest magnitude of their row (kept first in every row) and
// the absolute pivot tolerance; the cheapest by (r-1)(c-1) wins, the larger
// magnitude on ties. Lines are visited by increasing count, columns before
// rows, and the search ends as soon as no cheaper pivot can follow or two
// lines have produced a candidate.
#include <cmath>
#include <limits>

#include "simplex/lu/factorizer.h"

namespace korva::lu {

bool Factorizer::search(int& best_row, int& best_col) {
  const double t = set.markowitz;
  const double tol = set.pivot_tolerance;
  double best_cost = std::numeric_limits<double>::infinity();
  double best_abs = 0.0;
  int lines = 0;
  best_row = best_col = -1;

  auto consider = [&](int i, int j, double a, double cost) {
    if (cost < best_cost || (cost == best_cost && a > best_abs)) {
      best_cost = cost;
      best_abs = a;
      best_row = i;
      best_col = j;
    }
  };

  for (int k = 1; k < col_buckets.buckets(); ++k) {
    const double enough = (k - 1.0) * (k - 1.0);
    for (int c = col_buckets.first(k); c >= 0;) {
      int next = col_buckets.next(c);
      ++lines;
      bool any = false;
      int len = cols.length(c);
      const int* ri = cols.indices(c);
      for (int q = 0; q < len; ++q) {
        int i = ri[q];
        int rlen = rows.length(i);
        work += static_cast<uint64_t>(rlen);
        double a = std::fabs(entry(i, c));
        if (a < tol || a < t * std::fabs(rows.values(i)[0])) continue;
        any = true;
        consider(i, c, a, (rlen - 1.0) * (len - 1.0));
      }
      if (!any) {
        col_buckets.remove(c);
        rejected_cols.push_back(c);
      }
      if (best_row >= 0 && (best_cost <= enough || lines >= 2)) return true;
      c = next;
    }
    for (int r = row_buckets.first(k); r >= 0;) {
      int next = row_buckets.next(r);
      ++lines;
      bool any = false;
      int len = rows.length(r);
      const int* idx = rows.indices(r);
      const double* val = rows.values(r);
      const double row_max = std::fabs(val[0]);
      work += static_cast<uint64_t>(len);
      for (int q = 0; q < len; ++q) {
        double a = std::fabs(val[q]);
        if (a < tol || a < t * row_max) continue;
        any = true;
        consider(r, idx[q], a, (len - 1.0) * (cols.length(idx[q]) - 1.0));
      }
      if (!any) {
        row_buckets.remove(r);
        rejected_rows.push_back(r);
      }
      if (best_row >= 0 && (best_cost <= enough || lines >= 2)) return true;
      r = next;
    }
  }
  return best_row >= 0;
}

}  // namespace korva::lu
