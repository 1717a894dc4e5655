// Rows that are multiples of other rows, and columns that are multiples of
// other columns, are found the same way: a hash that multiples share, then
// an exact check of the ratio. A "line" here is one row or one column of
// the working matrix; its entries in removed items of the other dimension
// do not count.
#pragma once
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

}  // namespace korva::presolve
