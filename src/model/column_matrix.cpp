#include "model/column_matrix.h"

#include <algorithm>

namespace korva {
namespace {

// Room given to a column that has to move: half as much again as it needs,
// so that a column receiving k entries one by one moves O(log k) times.
int grown_capacity(int needed) { return needed + needed / 2 + 2; }

}  // namespace

int ColumnMatrix::find(int j, int i) const {
  const int* r = rows(j);
  for (int k = 0; k < count_[j]; ++k)
    if (r[k] == i) return k;
  return -1;
}

const RowCopy& ColumnMatrix::row_copy(int num_rows) const {
  if (row_copy_valid_ && row_copy_rows_ == num_rows) return row_copy_;
  RowCopy& rc = row_copy_;
  rc.begin.assign(static_cast<size_t>(num_rows) + 1, 0);
  rc.index.resize(static_cast<size_t>(nonzeros_));
  rc.value.resize(static_cast<size_t>(nonzeros_));
  for (int j = 0; j < num_cols(); ++j) {
    const int* r = rows(j);
    for (int k = 0; k < count_[j]; ++k) ++rc.begin[r[k] + 1];
  }
  for (int i = 0; i < num_rows; ++i) rc.begin[i + 1] += rc.begin[i];
  // Scatter in column order, so each row lists its columns increasingly; the
  // begin array is shifted by one while filling and restored afterwards.
  for (int j = 0; j < num_cols(); ++j) {
    const int* r = rows(j);
    const double* v = values(j);
    for (int k = 0; k < count_[j]; ++k) {
      const int64_t p = rc.begin[r[k]]++;
      rc.index[p] = j;
      rc.value[p] = v[k];
    }
  }
  for (int i = num_rows; i > 0; --i) rc.begin[i] = rc.begin[i - 1];
  rc.begin[0] = 0;
  row_copy_valid_ = true;
  row_copy_rows_ = num_rows;
  return rc;
}

void ColumnMatrix::clear() {
  ColumnMatrix empty;
  std::swap(*this, empty);
}

void ColumnMatrix::assign(int ncols, const int64_t* beg, const int* cnt, const int* ind,
                          const double* val) {
  ColumnMatrix m;
  int64_t total = 0;
  for (int j = 0; j < ncols; ++j) total += cnt[j];
  m.begin_.resize(ncols);
  m.count_.resize(ncols);
  m.capacity_.resize(ncols);
  m.scratch_.assign(ncols, 0);
  m.index_.resize(static_cast<size_t>(total));
  m.value_.resize(static_cast<size_t>(total));
  int64_t pos = 0;
  for (int j = 0; j < ncols; ++j) {
    m.begin_[j] = pos;
    m.count_[j] = m.capacity_[j] = cnt[j];
    std::copy_n(ind + beg[j], cnt[j], m.index_.begin() + pos);
    std::copy_n(val + beg[j], cnt[j], m.value_.begin() + pos);
    pos += cnt[j];
  }
  m.used_ = m.reserved_ = m.nonzeros_ = total;
  std::swap(*this, m);
}

void ColumnMatrix::adopt(std::vector<int64_t>&& beg, std::vector<int>&& cnt,
                         std::vector<int>&& ind, std::vector<double>&& val) {
  const int ncols = static_cast<int>(cnt.size());
  int64_t total = 0;
  bool packed = beg.size() == cnt.size();
  for (int j = 0; j < ncols && packed; ++j) {
    packed = beg[j] == total;
    total += cnt[j];
  }
  if (!packed || ind.size() < static_cast<size_t>(total) ||
      val.size() < static_cast<size_t>(total)) {
    assign(ncols, beg.data(), cnt.data(), ind.data(), val.data());
    return;
  }
  ColumnMatrix m;
  // Everything that allocates comes before the first move, so a failure
  // leaves the caller's arrays and this matrix as they were.
  m.capacity_.assign(cnt.begin(), cnt.end());
  m.scratch_.assign(ncols, 0);
  ind.resize(static_cast<size_t>(total));
  val.resize(static_cast<size_t>(total));
  m.begin_ = std::move(beg);
  m.count_ = std::move(cnt);
  m.index_ = std::move(ind);
  m.value_ = std::move(val);
  m.used_ = m.reserved_ = m.nonzeros_ = total;
  std::swap(*this, m);
}

void ColumnMatrix::reserve_columns(int extra) {
  reserve_more(begin_, extra);
  reserve_more(count_, extra);
  reserve_more(capacity_, extra);
  reserve_more(scratch_, extra);
}

void ColumnMatrix::ensure_free(int64_t slots) {
  if (used_ + slots <= pool_size()) return;
  if (holes() > reserved_ / 2) {
    compact(std::max(slots, reserved_));
    return;
  }
  const auto size = static_cast<size_t>(std::max(used_ + slots, 2 * pool_size()));
  index_.resize(size);
  value_.resize(size);
}

int64_t ColumnMatrix::room_needed(int j, int extra) const {
  const int needed = count_[j] + extra;
  // A column at the end of the pool grows in place and takes less, but
  // whether it is still at the end when its turn comes depends on the
  // columns moved before it; the estimate must hold either way.
  return needed <= capacity_[j] ? 0 : grown_capacity(needed);
}

int64_t ColumnMatrix::room_for_new_column(int entries) {
  return entries > 0 ? grown_capacity(entries) : 0;
}

void ColumnMatrix::reclaim() noexcept {
  if (holes() <= reserved_ || holes() < 4096) return;
  try {
    compact();
  } catch (...) {
    // Keeping the holes is harmless; the next growth compacts again.
  }
}

void ColumnMatrix::make_room(int j, int extra) {
  const int needed = count_[j] + extra;
  if (needed <= capacity_[j]) return;
  if (begin_[j] + capacity_[j] == used_) {
    // The last column of the pool grows in place.
    const int more = needed - capacity_[j];
    capacity_[j] = needed;
    used_ += more;
    reserved_ += more;
    return;
  }
  relocate(j, grown_capacity(needed));
}

void ColumnMatrix::relocate(int j, int new_capacity) {
  std::copy_n(index_.begin() + begin_[j], count_[j], index_.begin() + used_);
  std::copy_n(value_.begin() + begin_[j], count_[j], value_.begin() + used_);
  reserved_ += new_capacity - capacity_[j];
  begin_[j] = used_;
  capacity_[j] = new_capacity;
  used_ += new_capacity;
}

void ColumnMatrix::push(int j, int row, double value) {
  const int64_t p = begin_[j] + count_[j]++;
  index_[p] = row;
  value_[p] = value;
  ++nonzeros_;
  invalidate_rows();
}

void ColumnMatrix::append_column(const int* rows, const double* values, int n) {
  begin_.push_back(used_);
  count_.push_back(n);
  capacity_.push_back(n);
  scratch_.push_back(0);
  std::copy_n(rows, n, index_.begin() + used_);
  std::copy_n(values, n, value_.begin() + used_);
  used_ += n;
  reserved_ += n;
  nonzeros_ += n;
  invalidate_rows();
}

void ColumnMatrix::append_empty_columns(int n) {
  for (int k = 0; k < n; ++k) {
    begin_.push_back(used_);
    count_.push_back(0);
    capacity_.push_back(0);
    scratch_.push_back(0);
  }
}

void ColumnMatrix::set(int i, int j, double value) {
  const int k = find(j, i);
  invalidate_rows();
  if (k >= 0) {
    const int64_t p = begin_[j] + k;
    if (value != 0.0) {
      value_[p] = value;
      return;
    }
    // Removal: the column's last entry fills the gap.
    const int64_t last = begin_[j] + --count_[j];
    index_[p] = index_[last];
    value_[p] = value_[last];
    --nonzeros_;
    return;
  }
  if (value == 0.0) return;
  make_room(j, 1);
  push(j, i, value);
}

void ColumnMatrix::renumber_rows(const int* map) {
  for (int j = 0; j < num_cols(); ++j) {
    int* r = index_.data() + begin_[j];
    double* v = value_.data() + begin_[j];
    int kept = 0;
    for (int k = 0; k < count_[j]; ++k) {
      const int to = map[r[k]];
      if (to < 0) continue;
      r[kept] = to;
      v[kept] = v[k];
      ++kept;
    }
    nonzeros_ -= count_[j] - kept;
    count_[j] = kept;
  }
  invalidate_rows();
}

void ColumnMatrix::remove_columns(const int* map) {
  const int n = num_cols();
  int kept = 0;
  for (int j = 0; j < n; ++j) {
    if (map[j] < 0) {
      reserved_ -= capacity_[j];
      nonzeros_ -= count_[j];
      continue;
    }
    begin_[kept] = begin_[j];
    count_[kept] = count_[j];
    capacity_[kept] = capacity_[j];
    ++kept;
  }
  begin_.resize(kept);
  count_.resize(kept);
  capacity_.resize(kept);
  scratch_.resize(kept);
  invalidate_rows();
}

void ColumnMatrix::compact(int64_t extra_free) {
  std::vector<int> index(static_cast<size_t>(reserved_ + extra_free));
  std::vector<double> value(index.size());
  int64_t pos = 0;
  for (int j = 0; j < num_cols(); ++j) {
    std::copy_n(index_.begin() + begin_[j], count_[j], index.begin() + pos);
    std::copy_n(value_.begin() + begin_[j], count_[j], value.begin() + pos);
    begin_[j] = pos;
    pos += capacity_[j];
  }
  index_.swap(index);
  value_.swap(value);
  used_ = reserved_;
}

}  // namespace korva
