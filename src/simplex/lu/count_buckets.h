// Doubly linked bucket lists of rows (or columns) by their active count, so
// that the pivot search starts at the sparsest lines without sorting.
// Counts above kLastBucket share the last bucket.
#pragma once
#include <algorithm>
#include <vector>

namespace korva::lu {

class CountBuckets {
 public:
  static constexpr int kLastBucket = 32767;

  void reset(int items, int max_count) {
    buckets_ = std::min(max_count, kLastBucket) + 1;
    head_.assign(static_cast<size_t>(buckets_), -1);
    next_.assign(static_cast<size_t>(items), -1);
    prev_.assign(static_cast<size_t>(items), -1);
    where_.assign(static_cast<size_t>(items), -1);
  }

  int buckets() const { return buckets_; }
  int first(int bucket) const { return head_[bucket]; }
  int next(int item) const { return next_[item]; }
  bool contains(int item) const { return where_[item] >= 0; }

  void insert(int item, int count) {
    int b = std::min(count, buckets_ - 1);
    where_[item] = b;
    prev_[item] = -1;
    next_[item] = head_[b];
    if (head_[b] >= 0) prev_[head_[b]] = item;
    head_[b] = item;
  }

  void remove(int item) {
    int b = where_[item];
    if (b < 0) return;
    if (prev_[item] >= 0) {
      next_[prev_[item]] = next_[item];
    } else {
      head_[b] = next_[item];
    }
    if (next_[item] >= 0) prev_[next_[item]] = prev_[item];
    where_[item] = -1;
  }

  void move(int item, int count) {
    remove(item);
    insert(item, count);
  }

 private:
  int buckets_ = 0;
  std::vector<int> head_, next_, prev_, where_;
};

}  // namespace korva::lu
