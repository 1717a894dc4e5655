// The one sparse-vector type of the simplex engine: a dense value array of
// full length plus a list of the positions that may be nonzero. Solves,
// pricing and ratio tests read and write it. Keeping the dense array lets a
// kernel address entries directly; keeping the list lets it touch only the
// nonzeros, so that clearing and scanning cost the count, not the length.
#pragma once
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

namespace korva {

struct SparseVector {
  int size = 0;
  int count = 0;          // entries of `index` in use when `indexed`
  bool indexed = true;    // false: `index` is stale, only `values` is valid
  std::vector<double> values;  // length `size`
  std::vector<int> index;      // `size` entries and a spare for branchless appends

  SparseVector() = default;
  explicit SparseVector(int n) { resize(n); }

  // Sets the length and clears every entry (allocates only when it grows).
  void resize(int n) {
    size = n;
    values.assign(static_cast<size_t>(n), 0.0);
    index.resize(static_cast<size_t>(n) + 1);
    count = 0;
    indexed = true;
  }

  // Zeroes the vector: the listed entries when the list is valid and short,
  // the whole array otherwise.
  void clear() {
    if (indexed && count < size / 3) {
      for (int k = 0; k < count; ++k) values[index[k]] = 0.0;
    } else {
      std::fill(values.begin(), values.end(), 0.0);
    }
    count = 0;
    indexed = true;
  }

  // Writes a value known to be new (its position is not yet listed).
  void set_new(int i, double v) {
    values[i] = v;
    index[count++] = i;
  }

  // Adds to entry i, listing it when it was zero. An entry that cancels to
  // exactly zero stays listed; tidy() removes it.
  // No branches: in the scatters that use it, whether an entry is new is
  // unpredictable, and a mispredicted branch costs more than the store.
  void add(int i, double v) {
    const double old = values[i];
    index[count] = i;
    count += old == 0.0;
    const double sum = old + v;
    values[i] = sum == 0.0 ? kCancelled : sum;
  }

  // Lists the nonzeros by a scan of the dense array (branchless, as add).
  void rebuild_index() {
    const double* v = values.data();
    int* list = index.data();
    int n = 0;
    for (int i = 0; i < size; ++i) {
      list[n] = i;
      n += v[i] != 0.0;
    }
    count = n;
    indexed = true;
  }

  // Lists the nonzeros among `n` given positions (which hold every nonzero,
  // as the nodes a reach visited do).
  void list_nonzeros_among(const int* positions, int n) {
    const double* v = values.data();
    int* list = index.data();
    int kept = 0;
    for (int k = 0; k < n; ++k) {
      list[kept] = positions[k];
      kept += v[positions[k]] != 0.0;
    }
    count = kept;
    indexed = true;
  }

  // Zeroes entries below `tolerance` in magnitude and drops them (and any
  // cancelled entries) from the list.
  void tidy(double tolerance) {
    if (!indexed) rebuild_index();
    int kept = 0;
    for (int k = 0; k < count; ++k) {
      int i = index[k];
      if (std::fabs(values[i]) < tolerance) {
        values[i] = 0.0;
      } else {
        index[kept++] = i;
      }
    }
    count = kept;
  }

  // O(1) exchange of contents, used by kernels that permute into a work vector.
  void swap(SparseVector& other) {
    std::swap(size, other.size);
    std::swap(count, other.count);
    std::swap(indexed, other.indexed);
    values.swap(other.values);
    index.swap(other.index);
  }

  // A value that is zero for every tolerance but still marks a listed entry,
  // so that an exact cancellation does not list the position twice when it
  // is filled again.
  static constexpr double kCancelled = 1e-300;
};

}  // namespace korva
