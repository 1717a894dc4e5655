// Forrest–Tomlin update. The column of U pivoted in row r (basis position
// p) is replaced by the spike, the partial ftran of the entering column.
// Row r of U is then eliminated against the rows of the later pivots, and
// the pair (r, p) moves to the end of the pivot order, where the eliminated
// row holds only the new diagonal. The eliminating multipliers form one row
// transformation of the update file.
//
// Everything is computed before U changes, so a refused update leaves the
// factor as it was.
#include <algorithm>
#include <climits>
#include <cmath>
#include <functional>
#include <new>

#include "simplex/lu/lu_codes.h"
#include "simplex/lu/lu_factor.h"

namespace korva::lu {

namespace {
// The new diagonal must equal the old one times the pivot of the simplex
// step (the ratio of the two determinants); a larger disagreement means the
// factor has lost accuracy and should be rebuilt.
constexpr double kDiagonalAgreement = 1e-6;
constexpr double kSmallestPivot = 1e-11;
}  // namespace

UpdateResult LuFactor::update(const SparseVector& entering, int position) {
  if (!factorised_ || !spike_valid_ || R_.count() >= max_updates_) return UpdateResult::Refactorise;
  // Operation count: once the updates have made the solves as costly as a
  // fresh factor's, refactorising is cheaper than carrying on.
  if (options.reinv <= 0 && R_.nonzeros() + (U_.nonzeros - base_u_nonzeros_) > base_fill_)
    return UpdateResult::Refactorise;
  const double alpha = entering.values[position];
  if (std::fabs(alpha) < kSmallestPivot) return UpdateResult::Refactorise;
  const int r = U_.row_of_pos[position];
  uint64_t work = 0;

  // Eliminate row r against later rows, taken by increasing pivot slot.
  auto later = [&](int a, int b) { return U_.slot_of_row[a] > U_.slot_of_row[b]; };
  heap_.clear();
  ft_rows_.clear();
  ft_mults_.clear();
  {
    int len = U_.rows.length(r);
    const int* idx = U_.rows.indices(r);
    const double* val = U_.rows.values(r);
    for (int q = 0; q < len; ++q) {
      row_work_[idx[q]] = val[q];
      in_heap_[idx[q]] = 1;
      heap_.push_back(idx[q]);
    }
    std::make_heap(heap_.begin(), heap_.end(), later);
    work += static_cast<uint64_t>(len);
  }
  while (!heap_.empty()) {
    std::pop_heap(heap_.begin(), heap_.end(), later);
    int j = heap_.back();
    heap_.pop_back();
    in_heap_[j] = 0;
    double v = row_work_[j];
    row_work_[j] = 0.0;
    if (std::fabs(v) < kSolveDropTolerance) continue;
    double mult = v / U_.diag[j];
    ft_rows_.push_back(j);
    ft_mults_.push_back(mult);
    int len = U_.rows.length(j);
    const int* idx = U_.rows.indices(j);
    const double* val = U_.rows.values(j);
    for (int q = 0; q < len; ++q) {
      int k = idx[q];
      if (!in_heap_[k]) {
        in_heap_[k] = 1;
        heap_.push_back(k);
        std::push_heap(heap_.begin(), heap_.end(), later);
      }
      row_work_[k] -= mult * val[q];
    }
    work += static_cast<uint64_t>(len) + 1;
  }

  double new_diag = spike_.values[r];
  for (size_t q = 0; q < ft_rows_.size(); ++q) new_diag -= ft_mults_[q] * spike_.values[ft_rows_[q]];
  const double old_diag = U_.diag[r];
  charge(work + ft_rows_.size());
  if (std::fabs(new_diag) < kSmallestPivot ||
      std::fabs(new_diag / old_diag - alpha) > kDiagonalAgreement * std::max(1.0, std::fabs(alpha)))
    return UpdateResult::Refactorise;

  try {
    int64_t need = R_.nonzeros() + static_cast<int64_t>(ft_rows_.size());
    if (need > R_.nonzero_capacity) {
      R_.nonzero_capacity = std::max(need, 2 * R_.nonzero_capacity);
      R_.index.reserve(static_cast<size_t>(R_.nonzero_capacity));
      R_.value.reserve(static_cast<size_t>(R_.nonzero_capacity));
    }
    const int t = R_.count();
    R_.append(r);
    for (size_t q = 0; q < ft_rows_.size(); ++q) {
      int j = ft_rows_[q];
      R_.index.push_back(j);
      R_.value.push_back(ft_mults_[q]);
      if (R_.first_reader[j] == INT_MAX) {
        R_.first_reader[j] = t;
        R_.readers_set.push_back(j);
      }
    }
    R_.start.push_back(R_.nonzeros());

    // The old column leaves the rows that held it, row r leaves the columns.
    int64_t removed = 0;
    {
      int len = U_.cols.length(r);
      const int* idx = U_.cols.indices(r);
      for (int q = 0; q < len; ++q) {
        work += static_cast<uint64_t>(U_.rows.length(idx[q]));
        U_.rows.remove_index(idx[q], r);
      }
      removed += len;
      U_.cols.clear_list(r);
    }
    {
      int len = U_.rows.length(r);
      const int* idx = U_.rows.indices(r);
      for (int q = 0; q < len; ++q) {
        work += static_cast<uint64_t>(U_.cols.length(idx[q]));
        U_.cols.remove_index(idx[q], r);
      }
      removed += len;
      U_.rows.clear_list(r);
    }
    // The spike becomes the column; r's own entry is the new diagonal.
    int added = 0;
    U_.cols.reserve(r, spike_.count);
    for (int k = 0; k < spike_.count; ++k) {
      int i = spike_.index[k];
      double s = spike_.values[i];
      if (i == r || std::fabs(s) < kSolveDropTolerance) continue;
      U_.cols.push(r, i, s);
      U_.rows.reserve(i, 1);
      U_.rows.push(i, r, s);
      ++added;
    }
    U_.nonzeros += added - removed;
    U_.set_diag(r, new_diag);
    U_.slot_row[U_.slot_of_row[r]] = -1;
    U_.slot_of_row[r] = U_.num_slots++;
    U_.slot_row.push_back(r);
    U_.rows.keep_headroom();
    U_.cols.keep_headroom();
    work += static_cast<uint64_t>(2 * spike_.count);
  } catch (const std::bad_alloc&) {
    // The factor may be half changed: it can only be rebuilt.
    factorised_ = false;
    return UpdateResult::Refactorise;
  }
  spike_valid_ = false;
  charge(work);
  observe_fill();
  return UpdateResult::Done;
}

}  // namespace korva::lu
