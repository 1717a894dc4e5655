// Two ftrans at once: the entering column and the dual steepest-edge column
// of a dual iteration. When both take the dense sweeps, one pass over L and
// one over U serve both vectors, which saves reading the factor a second
// time in the iteration's two largest solves. Each vector sees exactly the
// operations of its own solve, in the same order, so the results and the
// charged work are those of two separate calls.
#include "simplex/lu/lu_codes.h"
#include "simplex/lu/lu_factor.h"

namespace korva::lu {

void LuFactor::ftran_pair(SparseVector& column, SparseVector& other) {
  for (SparseVector* v : {&column, &other}) {
    if (!v->indexed) {
      v->rebuild_index();
      charge(static_cast<uint64_t>(m_));
    }
  }
  if (use_hyper(SolveKind::Automatic, column) || use_hyper(SolveKind::Automatic, other)) {
    ftran(column, SolveKind::Automatic, true);
    ftran(other);
    return;
  }
  ftran_lower_pair(column, other);
  ftran_lower_density_.observe(column.count, m_);
  ftran_lower_density_.observe(other.count, m_);
  ftran_updates(column);
  ftran_updates(other);
  keep_spike(column);
  const bool hyper_column = use_hyper(SolveKind::Automatic, column, ftran_upper_density_);
  const bool hyper_other = use_hyper(SolveKind::Automatic, other, ftran_upper_density_);
  if (hyper_column || hyper_other) {
    ftran_upper(column, hyper_column);
    ftran_upper(other, hyper_other);
  } else {
    ftran_upper_pair(column, other);
  }
  ftran_upper_density_.observe(column.count, m_);
  ftran_upper_density_.observe(other.count, m_);
  for (SparseVector* v : {&column, &other}) {
    v->tidy(kSolveDropTolerance);
    charge(static_cast<uint64_t>(v->count));
  }
  observe_fill();
}

void LuFactor::ftran_lower_pair(SparseVector& a, SparseVector& b) {
  const int etas = L_.etas();
  double* av = a.values.data();
  double* bv = b.values.data();
  uint64_t work = 0;
  for (int e = 0; e < etas; ++e) {
    const int r = L_.pivot_row[e];
    const double ar = av[r], br = bv[r];
    if (ar == 0.0 && br == 0.0) continue;
    const int64_t begin = L_.start[e], end = L_.start[e + 1];
    if (ar != 0.0 && br != 0.0) {
      for (int64_t q = begin; q < end; ++q) {
        const int i = L_.index[q];
        const double l = L_.value[q];
        av[i] -= l * ar;
        bv[i] -= l * br;
      }
      work += 2 * static_cast<uint64_t>(end - begin);
    } else {
      double* v = ar != 0.0 ? av : bv;
      const double xr = ar != 0.0 ? ar : br;
      for (int64_t q = begin; q < end; ++q) v[L_.index[q]] -= L_.value[q] * xr;
      work += static_cast<uint64_t>(end - begin);
    }
  }
  a.rebuild_index();
  b.rebuild_index();
  charge(work + 2 * (static_cast<uint64_t>(etas) + static_cast<uint64_t>(m_)));
}

void LuFactor::ftran_upper_pair(SparseVector& a, SparseVector& b) {
  SparseVector& out_a = permuted_;
  SparseVector& out_b = permuted_pair_;
  double* av = a.values.data();
  double* bv = b.values.data();
  uint64_t work = 0;
  for (int s = U_.num_slots - 1; s >= 0; --s) {
    const int r = U_.slot_row[s];
    if (r < 0) continue;
    double ar = av[r], br = bv[r];
    if (ar == 0.0 && br == 0.0) continue;
    const int len = U_.cols.length(r);
    const int* idx = U_.cols.indices(r);
    const double* val = U_.cols.values(r);
    const int pos = U_.pos_of_row[r];
    if (ar != 0.0 && br != 0.0) {
      av[r] = bv[r] = 0.0;
      ar *= U_.inv_diag[r];
      br *= U_.inv_diag[r];
      for (int q = 0; q < len; ++q) {
        av[idx[q]] -= val[q] * ar;
        bv[idx[q]] -= val[q] * br;
      }
      work += 2 * (static_cast<uint64_t>(len) + 1);
      out_a.set_new(pos, ar);
      out_b.set_new(pos, br);
    } else {
      const bool in_a = ar != 0.0;
      double* v = in_a ? av : bv;
      double xr = in_a ? ar : br;
      v[r] = 0.0;
      xr *= U_.inv_diag[r];
      for (int q = 0; q < len; ++q) v[idx[q]] -= val[q] * xr;
      work += static_cast<uint64_t>(len) + 1;
      (in_a ? out_a : out_b).set_new(pos, xr);
    }
  }
  work += 2 * static_cast<uint64_t>(U_.num_slots);
  a.count = 0;
  b.count = 0;
  a.swap(out_a);
  b.swap(out_b);
  charge(work);
}

}  // namespace korva::lu
