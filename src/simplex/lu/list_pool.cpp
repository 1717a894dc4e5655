#include "simplex/lu/list_pool.h"

#include <algorithm>

namespace korva::lu {

namespace {
constexpr double kHeadroom = 0.2;
constexpr double kGrowth = 1.3;
}  // namespace

void ListPool::reset(int lists, int64_t capacity) {
  start_.assign(static_cast<size_t>(lists), 0);
  len_.assign(static_cast<size_t>(lists), 0);
  cap_.assign(static_cast<size_t>(lists), 0);
  order_.resize(static_cast<size_t>(lists));
  if (capacity < 16) capacity = 16;
  if (static_cast<int64_t>(index_.size()) < capacity) grow_to(capacity);
  end_ = 0;
}

void ListPool::layout(int lists, const int* counts, int64_t capacity) {
  int64_t total = 0;
  for (int k = 0; k < lists; ++k) total += counts[k];
  reset(lists, std::max(capacity, total + 16));
  int64_t at = 0;
  for (int k = 0; k < lists; ++k) {
    start_[k] = at;
    cap_[k] = counts[k];
    at += counts[k];
  }
  end_ = at;
}

int ListPool::find(int k, int index) const {
  const int* idx = index_.data() + start_[k];
  for (int p = 0; p < len_[k]; ++p)
    if (idx[p] == index) return p;
  return -1;
}

bool ListPool::remove_index(int k, int index) {
  int p = find(k, index);
  if (p < 0) return false;
  remove_at(k, p);
  return true;
}

void ListPool::reserve(int k, int extra, bool exact) {
  int need = len_[k] + extra;
  if (need <= cap_[k]) return;
  // The last list can simply extend into the free tail.
  if (start_[k] + cap_[k] == end_ && start_[k] + need <= capacity()) {
    end_ = start_[k] + need;
    cap_[k] = need;
    return;
  }
  // Give a moved list some slack: lists that grow once tend to grow again.
  int room = exact ? need : need + need / 4 + 4;
  if (end_ + room > capacity()) {
    compress();
    if (end_ + room > capacity() || capacity() - end_ < kHeadroom * capacity()) {
      int64_t target = static_cast<int64_t>(kGrowth * static_cast<double>(capacity()));
      grow_to(std::max(target, end_ + room + 16));
    }
  }
  int64_t from = start_[k];
  int64_t to = end_;
  std::copy(index_.begin() + from, index_.begin() + from + len_[k], index_.begin() + to);
  std::copy(value_.begin() + from, value_.begin() + from + len_[k], value_.begin() + to);
  start_[k] = to;
  cap_[k] = room;
  end_ = to + room;
}

void ListPool::keep_headroom() {
  if (capacity() - end_ >= kHeadroom * capacity()) return;
  compress();
  if (capacity() - end_ < kHeadroom * capacity())
    grow_to(static_cast<int64_t>(kGrowth * static_cast<double>(capacity())) + 16);
}

int64_t ListPool::used() const {
  int64_t n = 0;
  for (int l : len_) n += l;
  return n;
}

// Packs the lists in the order of their positions, so that each moves
// towards the front without overwriting one not yet moved.
void ListPool::compress() {
  ++compressions_;
  int lists = static_cast<int>(start_.size());
  int n = 0;
  for (int k = 0; k < lists; ++k) {
    if (len_[k] > 0) {
      order_[n++] = k;
    } else {
      cap_[k] = 0;
      start_[k] = 0;
    }
  }
  std::sort(order_.begin(), order_.begin() + n, [&](int a, int b) { return start_[a] < start_[b]; });
  int64_t to = 0;
  for (int t = 0; t < n; ++t) {
    int k = order_[t];
    int64_t from = start_[k];
    if (from != to) {
      std::copy(index_.begin() + from, index_.begin() + from + len_[k], index_.begin() + to);
      std::copy(value_.begin() + from, value_.begin() + from + len_[k], value_.begin() + to);
    }
    start_[k] = to;
    cap_[k] = len_[k];
    to += len_[k];
  }
  end_ = to;
}

void ListPool::grow_to(int64_t size) {
  index_.resize(static_cast<size_t>(size));
  value_.resize(static_cast<size_t>(size));
}

}  // namespace korva::lu
