// Column-compressed sparse matrix used by the barrier's linear algebra.
#pragma once
#include <cstdint>
#include <vector>

namespace korva::barrier {

// Row indices are sorted within each column; start has cols + 1 entries.
struct CscMatrix {
  int rows = 0;
  int cols = 0;
  std::vector<int64_t> start;
  std::vector<int> index;
  std::vector<double> value;
};

}  // namespace korva::barrier
