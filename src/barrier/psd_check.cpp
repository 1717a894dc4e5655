#include "barrier/psd_check.h"

#include <algorithm>
#include <cmath>

#include "barrier/linalg/cholesky.h"

namespace korva::barrier {

namespace {

// Q + shift·I with shift this share of the largest diagonal entry: a
// semidefinite Q then has pivots no smaller than the shift, an indefinite
// one meets a pivot of the wrong sign.
constexpr double kShift = 1e-9;
constexpr double kPivotFloor = 1e-13;

}  // namespace

int is_positive_semidefinite(const CscMatrix& q) {
  const int n = q.cols;
  double largest = 0;
  for (int j = 0; j < n; ++j)
    for (int64_t p = q.start[j]; p < q.start[j + 1]; ++p)
      if (q.index[p] == j) largest = std::max(largest, std::fabs(q.value[p]));
  if (largest == 0) largest = 1;
  // Lower triangle with the diagonal first in each column.
  CscMatrix lower;
  lower.rows = lower.cols = n;
  lower.start.assign(1, 0);
  for (int j = 0; j < n; ++j) {
    double diagonal = kShift * largest;
    for (int64_t p = q.start[j]; p < q.start[j + 1]; ++p)
      if (q.index[p] == j) diagonal += q.value[p];
    lower.index.push_back(j);
    lower.value.push_back(diagonal);
    for (int64_t p = q.start[j]; p < q.start[j + 1]; ++p) {
      if (q.index[p] <= j) continue;
      lower.index.push_back(q.index[p]);
      lower.value.push_back(q.value[p]);
    }
    lower.start.push_back(static_cast<int64_t>(lower.index.size()));
  }
  CholeskyFactor factor;
  if (int code = factor.analyse(lower, Ordering::min_degree, 1, 1)) return -code;
  const int dropped = factor.factor(lower.value.data(), kPivotFloor);
  if (dropped < 0) return 0;
  return dropped == 0 ? 1 : 0;
}

}  // namespace korva::barrier
