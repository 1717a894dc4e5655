// Many short lists of (index, value) pairs in one pair of arrays: the row
// and column files of the factorisation and of U. A list that outgrows its
// room moves to the end of the pool; when the pool runs short it is
// compressed (lists packed in place), and when compression does not free
// enough it grows by 30%. Growth may throw std::bad_alloc; the callers turn
// that into the out-of-memory code.
#pragma once
#include <cstdint>
#include <vector>

namespace korva::lu {

class ListPool {
 public:
  // `lists` empty lists in a pool of `capacity` entries.
  void reset(int lists, int64_t capacity);

  int64_t start(int k) const { return start_[k]; }
  int length(int k) const { return len_[k]; }
  int* indices(int k) { return index_.data() + start_[k]; }
  double* values(int k) { return value_.data() + start_[k]; }
  const int* indices(int k) const { return index_.data() + start_[k]; }
  const double* values(int k) const { return value_.data() + start_[k]; }

  // Lays the lists out back to back with room for counts[k] entries each,
  // all empty, in a pool of at least `capacity` entries.
  void layout(int lists, const int* counts, int64_t capacity);

  // Ensures list k can take `extra` more entries without moving. May move
  // list k and, through compression, every other list: pointers into the
  // pool are invalid afterwards, and so is room reserved for other lists
  // that is still unused (compression keeps only their entries).
  // `exact`: no spare room when the list moves (lists that are written
  // once, such as the rows of a fresh U).
  void reserve(int k, int extra, bool exact = false);
  // Appends to list k; the room must have been reserved.
  void push(int k, int index, double value) {
    int64_t p = start_[k] + len_[k]++;
    index_[p] = index;
    value_[p] = value;
  }
  // Removes the entry at offset `pos` of list k by moving the last one there.
  void remove_at(int k, int pos) {
    int64_t base = start_[k];
    int last = --len_[k];
    index_[base + pos] = index_[base + last];
    value_[base + pos] = value_[base + last];
  }
  // Removes the entry with `index` from list k; false when absent.
  bool remove_index(int k, int index);
  // Offset of `index` in list k, or -1.
  int find(int k, int index) const;
  void clear_list(int k) { len_[k] = 0; }

  // Keeps at least a fifth of the pool free: compresses, then grows by 30%.
  void keep_headroom();
  // Entries in use (sum of lengths) and the pool size.
  int64_t used() const;
  int64_t capacity() const { return static_cast<int64_t>(index_.size()); }
  int64_t compressions() const { return compressions_; }

 private:
  void compress();
  void grow_to(int64_t size);

  std::vector<int64_t> start_;
  std::vector<int> len_, cap_;
  std::vector<int> index_;
  std::vector<double> value_;
  std::vector<int> order_;  // scratch for compression, sized with the lists
  int64_t end_ = 0;         // first position never handed out
  int64_t compressions_ = 0;
};

}  // namespace korva::lu
