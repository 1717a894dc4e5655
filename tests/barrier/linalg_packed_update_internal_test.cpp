// The packed 512-bit product of the dense updates against plain sums, on
// row chunks and column counts that leave partial tiles at every edge.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "barrier/linalg/packed_update.h"
#include "barrier/linalg/wide_vectors.h"

namespace korva::barrier {
namespace {

TEST(LinalgPackedUpdate, RowChunkGetsPlainSumsAndNothingElseChanges) {
  if (!has_wide_vectors()) GTEST_SKIP() << "no 512-bit vectors on this machine";
  const int rows = 61, width = 45, columns = 7;
  std::mt19937 rng(17);
  std::uniform_real_distribution<double> value(-1.0, 1.0);
  std::vector<double> p(static_cast<size_t>(rows) * columns);
  for (double& x : p) x = value(rng);
  const int64_t stride = static_cast<int64_t>(kPackRows) * columns;
  std::vector<double> packed(static_cast<size_t>(packed_rows(rows) * columns), 0.0);
  for (int i = 0; i < rows; ++i)
    for (int k = 0; k < columns; ++k) packed[packed_index(i, k, stride)] = p[k * rows + i];
  std::vector<double> before(static_cast<size_t>(rows) * width);
  for (double& x : before) x = value(rng);

  // Chunks whose last tile stops inside its second and its first group of rows.
  for (const auto& [lo, hi] : {std::pair{16, 45}, std::pair{48, 53}}) {
    std::vector<double> c = before;
    const int n = std::min(hi, width);
    subtract_packed_product(packed.data(), stride, columns, lo, hi, n, c.data(), rows);
    for (int j = 0; j < width; ++j) {
      for (int i = 0; i < rows; ++i) {
        const double old = before[j * rows + i], now = c[j * rows + i];
        if (i < lo || i >= hi || j >= n) {
          EXPECT_EQ(now, old) << "outside the chunk: " << i << "," << j;
        } else if (i >= j) {
          double sum = 0;
          for (int k = 0; k < columns; ++k) sum += p[k * rows + i] * p[k * rows + j];
          EXPECT_NEAR(now, old - sum, 1e-14) << i << "," << j;
        }
      }
    }
  }
}

}  // namespace
}  // namespace korva::barrier
