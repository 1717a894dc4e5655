// Rows that are multiples of other rows, and columns that are multiples of
// other columns, are found the same way: a hash that multiples share, then
// an exact check of the ratio. A "line" here is one row or one column of
// the working matrix; its entries in removed items of the other dimension
// do not count.
#pragma once
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace korva::presolve {

struct LineView {
  const int64_t* begin;         // per line: first entry
  const int64_t* end;           // per line: one past the last entry
  const int* index;             // per entry: the item of the other dimension
  const double* value;          // per entry
  const uint8_t* other_alive;   // per item of the other dimension
};

// Hash of a line's pattern and its coefficients relative to the entry of
// its first item, so that multiples of one line meet in one bucket. A sum
// of per-entry hashes: the order of the entries does not matter.
uint64_t parallel_key(const LineView& v, int line);

// Ratio r with line(other) = r·line(keep) over the active entries, or 0.
// `mark`/`value` are scratch per item of the other dimension; `stamp` is
// a value no entry of `mark` holds yet.
double parallel_ratio(const LineView& v, int keep, int other, int stamp, std::vector<int>& mark,
                      std::vector<double>& value);

// The lines that share a key, in groups of two or more, each group in
// ascending line order: visit(group) for each. One sorted array rather than
// a hash map of small lists, which on models with hundreds of thousands of
// lines costs more in allocation than the whole comparison.
struct KeyedLine {
  uint64_t key;
  int line;
};
template <class Visit>
void for_each_parallel_group(std::vector<KeyedLine>& lines, Visit&& visit) {
  std::sort(lines.begin(), lines.end(),
            [](const KeyedLine& a, const KeyedLine& b) { return a.key != b.key ? a.key < b.key : a.line < b.line; });
  std::vector<int> group;
  for (size_t first = 0; first < lines.size();) {
    size_t last = first + 1;
    while (last < lines.size() && lines[last].key == lines[first].key) ++last;
    if (last - first >= 2) {
      group.clear();
      for (size_t k = first; k < last; ++k) group.push_back(lines[k].line);
      if (visit(group)) return;
    }
    first = last;
  }
}

}  // namespace korva::presolve
