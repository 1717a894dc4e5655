// btran: y <- B⁻ᵀy = L⁻ᵀ Rᵀ U⁻ᵀ y. The input is indexed by basis position
// and first moved to row space; U is then solved by rows, the row
// transformations are applied transposed in reverse order, and L is solved
// through its row-wise copy. Dense sweeps or reach-driven hypersparse
// passes as in ftran, always keeping the index list current.
#include <algorithm>
#include <cmath>

#include "simplex/lu/lu_codes.h"
#include "simplex/lu/lu_factor.h"

namespace korva::lu {
namespace {

// Fewer nonzeros than the transformations over this ratio: the sparse pass.
constexpr int kSparseUpdatesRatio = 4;

}  // namespace

void LuFactor::btran(SparseVector& y, SolveKind kind) {
  if (!y.indexed) {
    y.rebuild_index();
    charge(static_cast<uint64_t>(m_));
  }
  to_row_space(y);
  btran_upper(y, use_hyper(kind, y, btran_upper_density_));
  btran_upper_density_.observe(y.count, m_);
  btran_updates(y);
  btran_lower(y, use_hyper(kind, y, btran_lower_density_));
  btran_lower_density_.observe(y.count, m_);
  y.tidy(kSolveDropTolerance);
  charge(static_cast<uint64_t>(y.count));
  observe_fill();
}

void LuFactor::to_row_space(SparseVector& y) {
  SparseVector& out = permuted_;
  for (int k = 0; k < y.count; ++k) {
    int p = y.index[k];
    double v = y.values[p];
    y.values[p] = 0.0;
    if (v != 0.0) out.set_new(U_.row_of_pos[p], v);
  }
  y.count = 0;
  y.swap(out);
  charge(static_cast<uint64_t>(y.count));
}

void LuFactor::btran_upper(SparseVector& x, bool hyper) {
  uint64_t work = 0;
  if (hyper) {
    auto edges = [&](int r, const int*& succ, int& count) {
      succ = U_.rows.indices(r);
      count = U_.rows.length(r);
    };
    int n = reach(reach_, x.index.data(), x.count, edges, reach_limit(), work);
    if (n >= 0) {
      for (int k = n - 1; k >= 0; --k) {
        int r = reach_.post[k];
        double xr = x.values[r];
        if (xr == 0.0) continue;
        xr *= U_.inv_diag[r];
        x.values[r] = xr;
        int len = U_.rows.length(r);
        const int* idx = U_.rows.indices(r);
        const double* val = U_.rows.values(r);
        for (int q = 0; q < len; ++q) x.values[idx[q]] -= val[q] * xr;
        work += static_cast<uint64_t>(len) + 1;
      }
      x.list_nonzeros_among(reach_.post.data(), n);
      charge(work);
      return;
    }
  }
  double* xv = x.values.data();
  for (int s = 0; s < U_.num_slots; ++s) {
    const int r = U_.slot_row[s];
    if (r < 0) continue;
    double xr = xv[r];
    if (xr == 0.0) continue;
    xr *= U_.inv_diag[r];
    xv[r] = xr;
    const int len = U_.rows.length(r);
    const int* idx = U_.rows.indices(r);
    const double* val = U_.rows.values(r);
    for (int q = 0; q < len; ++q) xv[idx[q]] -= val[q] * xr;
    work += static_cast<uint64_t>(len) + 1;
  }
  x.rebuild_index();
  charge(work + static_cast<uint64_t>(U_.num_slots) + static_cast<uint64_t>(m_));
}

// Transformation t is x[p] -= sum v_j x[j]; transposed it spreads x[p]
// over the x[j]. Applied from the latest to the first; only those whose
// x[p] is nonzero do anything.
void LuFactor::btran_updates(SparseVector& x) {
  const int count = R_.count();
  // Charged as one look per transformation whichever way the nonzero ones
  // are found, so that the work count does not depend on the path.
  uint64_t work = static_cast<uint64_t>(count);
  if (!x.indexed || x.count * kSparseUpdatesRatio >= count) {
    for (int t = count - 1; t >= 0; --t) {
      const double xp = x.values[R_.pivot_row[t]];
      if (xp == 0.0) continue;
      for (int64_t q = R_.start[t]; q < R_.start[t + 1]; ++q) x.add(R_.index[q], -R_.value[q] * xp);
      work += static_cast<uint64_t>(R_.start[t + 1] - R_.start[t]);
    }
    charge(work);
    return;
  }
  // A few nonzeros among many transformations: visit only those pivoting
  // on a nonzero row, latest first, through the chains of each row's
  // transformations. A row that becomes nonzero joins with its latest
  // transformation below the current one. The visits and their order are
  // those of the sweep above, so the result is the same.
  std::vector<int>& due = due_;
  due.clear();
  for (int k = 0; k < x.count; ++k) {
    const int i = x.index[k];
    if (x.values[i] != 0.0 && R_.last_on_row[i] >= 0) due.push_back(R_.last_on_row[i]);
  }
  std::make_heap(due.begin(), due.end());
  int visited = count;
  while (!due.empty()) {
    std::pop_heap(due.begin(), due.end());
    const int t = due.back();
    due.pop_back();
    if (t == visited) continue;  // queued twice
    visited = t;
    const double xp = x.values[R_.pivot_row[t]];
    if (xp == 0.0) continue;
    if (R_.earlier_on_row[t] >= 0) {
      due.push_back(R_.earlier_on_row[t]);
      std::push_heap(due.begin(), due.end());
    }
    for (int64_t q = R_.start[t]; q < R_.start[t + 1]; ++q) {
      const int j = R_.index[q];
      const bool fresh = x.values[j] == 0.0;
      x.add(j, -R_.value[q] * xp);
      if (!fresh) continue;
      int e = R_.last_on_row[j];
      while (e >= t) e = R_.earlier_on_row[e];
      if (e >= 0) {
        due.push_back(e);
        std::push_heap(due.begin(), due.end());
      }
    }
    work += static_cast<uint64_t>(R_.start[t + 1] - R_.start[t]);
  }
  charge(work);
}

void LuFactor::btran_lower(SparseVector& x, bool hyper) {
  uint64_t work = 0;
  if (hyper) {
    auto edges = [&](int i, const int*& succ, int& count) {
      succ = L_.row_index.data() + L_.row_start[i];
      count = static_cast<int>(L_.row_start[i + 1] - L_.row_start[i]);
    };
    int n = reach(reach_, x.index.data(), x.count, edges, reach_limit(), work);
    if (n >= 0) {
      for (int k = n - 1; k >= 0; --k) {
        int i = reach_.post[k];
        double xi = x.values[i];
        if (xi == 0.0) continue;
        for (int64_t q = L_.row_start[i]; q < L_.row_start[i + 1]; ++q) x.values[L_.row_index[q]] -= L_.row_value[q] * xi;
        work += static_cast<uint64_t>(L_.row_start[i + 1] - L_.row_start[i]) + 1;
      }
      x.list_nonzeros_among(reach_.post.data(), n);
      charge(work);
      return;
    }
  }
  // A dense sweep fills the vector anyway: one scan lists the result,
  // cheaper than keeping the list current entry by entry.
  double* xv = x.values.data();
  for (int i : L_.rows_latest_first) {
    const double xi = xv[i];
    if (xi == 0.0) continue;
    for (int64_t q = L_.row_start[i]; q < L_.row_start[i + 1]; ++q) xv[L_.row_index[q]] -= L_.row_value[q] * xi;
    work += static_cast<uint64_t>(L_.row_start[i + 1] - L_.row_start[i]);
  }
  x.rebuild_index();
  charge(work + L_.rows_latest_first.size() + static_cast<uint64_t>(m_));
}

}  // namespace korva::lu
