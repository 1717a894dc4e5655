// ftran: x <- B⁻¹x = U⁻¹ R L⁻¹ x. The L and U stages run either as dense
// sweeps over the factor (cost: the factor's length plus the entries
// touched) or, for sparse right-hand sides, over the nodes a depth-first
// reach finds (cost: the entries touched only). Both keep the index list of
// the vector current, so the result always comes with its nonzeros listed.
#include <algorithm>
#include <climits>
#include <cmath>

#include "simplex/lu/lu_codes.h"
#include "simplex/lu/lu_factor.h"

namespace korva::lu {

void LuFactor::ftran(SparseVector& x, SolveKind kind, bool keep_spike) {
  if (!x.indexed) {
    x.rebuild_index();
    charge(static_cast<uint64_t>(m_));
  }
  ftran_lower(x, use_hyper(kind, x, ftran_lower_density_));
  ftran_lower_density_.observe(x.count, m_);
  ftran_updates(x);
  if (keep_spike) this->keep_spike(x);
  ftran_upper(x, use_hyper(kind, x, ftran_upper_density_));
  ftran_upper_density_.observe(x.count, m_);
  x.tidy(kSolveDropTolerance);
  charge(static_cast<uint64_t>(x.count));
  observe_fill();
}

// The partial result after L and the updates: what update() needs of the
// entering column.
void LuFactor::keep_spike(const SparseVector& x) {
  spike_.clear();
  for (int k = 0; k < x.count; ++k) {
    const int i = x.index[k];
    if (x.values[i] != 0.0) spike_.set_new(i, x.values[i]);
  }
  spike_valid_ = true;
  charge(static_cast<uint64_t>(x.count));
}

void LuFactor::ftran_lower(SparseVector& x, bool hyper) {
  uint64_t work = 0;
  if (hyper) {
    auto edges = [&](int r, const int*& succ, int& count) {
      int e = L_.eta_of_row[r];
      if (e < 0) {
        count = 0;
        return;
      }
      succ = L_.index.data() + L_.start[e];
      count = static_cast<int>(L_.start[e + 1] - L_.start[e]);
    };
    int n = reach(reach_, x.index.data(), x.count, edges, reach_limit(), work);
    if (n >= 0) {
      for (int k = n - 1; k >= 0; --k) {
        int r = reach_.post[k];
        double xr = x.values[r];
        int e = L_.eta_of_row[r];
        if (xr == 0.0 || e < 0) continue;
        for (int64_t q = L_.start[e]; q < L_.start[e + 1]; ++q) x.values[L_.index[q]] -= L_.value[q] * xr;
        work += static_cast<uint64_t>(L_.start[e + 1] - L_.start[e]);
      }
      x.list_nonzeros_among(reach_.post.data(), n);
      charge(work);
      return;
    }
  }
  // A dense sweep: one scan lists the result afterwards, cheaper than
  // keeping the list current entry by entry.
  const int etas = L_.etas();
  double* xv = x.values.data();
  for (int e = 0; e < etas; ++e) {
    const double xr = xv[L_.pivot_row[e]];
    if (xr == 0.0) continue;
    for (int64_t q = L_.start[e]; q < L_.start[e + 1]; ++q) xv[L_.index[q]] -= L_.value[q] * xr;
    work += static_cast<uint64_t>(L_.start[e + 1] - L_.start[e]);
  }
  x.rebuild_index();
  charge(work + static_cast<uint64_t>(etas) + static_cast<uint64_t>(m_));
}

// The row transformations in order. None before the first one that reads a
// nonzero of the vector can change it, so a sparse vector starts there.
void LuFactor::ftran_updates(SparseVector& x) {
  const int count = R_.count();
  if (count == 0) return;
  int first = 0;
  uint64_t work = 0;
  if (x.count < 2 * R_.nonzeros()) {
    first = INT_MAX;
    for (int k = 0; k < x.count; ++k) first = std::min(first, R_.first_reader[x.index[k]]);
    work += static_cast<uint64_t>(x.count);
  }
  for (int t = first; t < count; ++t) {
    double dot = 0.0;
    for (int64_t q = R_.start[t]; q < R_.start[t + 1]; ++q) dot += R_.value[q] * x.values[R_.index[q]];
    work += static_cast<uint64_t>(R_.start[t + 1] - R_.start[t]) + 1;
    if (dot != 0.0) x.add(R_.pivot_row[t], -dot);
  }
  charge(work);
}

// U⁻¹ in row space; each finished value moves to its basis position in
// permuted_, which then becomes the result by an exchange of arrays.
void LuFactor::ftran_upper(SparseVector& x, bool hyper) {
  uint64_t work = 0;
  SparseVector& out = permuted_;
  auto solve_node = [&](int r) {
    double xr = x.values[r];
    if (xr == 0.0) return;
    x.values[r] = 0.0;
    xr *= U_.inv_diag[r];
    int len = U_.cols.length(r);
    const int* idx = U_.cols.indices(r);
    const double* val = U_.cols.values(r);
    for (int q = 0; q < len; ++q) x.add(idx[q], -val[q] * xr);
    work += static_cast<uint64_t>(len) + 1;
    out.set_new(U_.pos_of_row[r], xr);
  };
  bool done = false;
  if (hyper) {
    auto edges = [&](int r, const int*& succ, int& count) {
      succ = U_.cols.indices(r);
      count = U_.cols.length(r);
    };
    int n = reach(reach_, x.index.data(), x.count, edges, reach_limit(), work);
    if (n >= 0) {
      for (int k = n - 1; k >= 0; --k) solve_node(reach_.post[k]);
      done = true;
    }
  }
  if (!done) {
    // Every row is visited after all the rows that write into it, so the
    // sweep consumes x completely and needs no index list of it.
    double* xv = x.values.data();
    for (int s = U_.num_slots - 1; s >= 0; --s) {
      const int r = U_.slot_row[s];
      if (r < 0) continue;
      double xr = xv[r];
      if (xr == 0.0) continue;
      xv[r] = 0.0;
      xr *= U_.inv_diag[r];
      const int len = U_.cols.length(r);
      const int* idx = U_.cols.indices(r);
      const double* val = U_.cols.values(r);
      for (int q = 0; q < len; ++q) xv[idx[q]] -= val[q] * xr;
      work += static_cast<uint64_t>(len) + 1;
      out.set_new(U_.pos_of_row[r], xr);
    }
    work += static_cast<uint64_t>(U_.num_slots);
  } else {
    // Everything left in x was consumed; clear the listed leftovers (markers
    // of cancelled entries) so the work vector goes back all zero.
    for (int k = 0; k < x.count; ++k) x.values[x.index[k]] = 0.0;
  }
  x.count = 0;
  x.swap(out);
  charge(work);
}

}  // namespace korva::lu
