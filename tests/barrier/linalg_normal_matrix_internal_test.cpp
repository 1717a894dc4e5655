// The normal-equations matrix against a dense product.
#include <gtest/gtest.h>

#include <vector>

#include "barrier/linalg/normal_matrix.h"

namespace korva::barrier {
namespace {

// 4×5, row 3 empty; column 4 is dense and left out.
CscMatrix small_matrix() {
  CscMatrix a;
  a.rows = 4;
  a.cols = 5;
  a.start = {0, 2, 3, 5, 6, 9};
  a.index = {0, 2, 1, 0, 1, 2, 0, 1, 2};
  a.value = {1.0, 2.0, 3.0, -1.0, 4.0, 5.0, 1.0, 1.0, 1.0};
  return a;
}

double dense_entry(const CscMatrix& a, const std::vector<char>& in, const double* d, const double* r, int i, int k) {
  double sum = i == k ? r[i] : 0.0;
  for (int j = 0; j < a.cols; ++j) {
    if (!in[j]) continue;
    double ai = 0, ak = 0;
    for (int64_t p = a.start[j]; p < a.start[j + 1]; ++p) {
      if (a.index[p] == i) ai = a.value[p];
      if (a.index[p] == k) ak = a.value[p];
    }
    sum += ai * d[j] * ak;
  }
  return sum;
}

TEST(LinalgNormalMatrix, LowerTriangleMatchesDenseProductWithoutDenseColumns) {
  const CscMatrix a = small_matrix();
  const std::vector<char> in = {1, 1, 1, 1, 0};
  NormalMatrix normal;
  normal.analyse(a, in);
  const double d[] = {2.0, 0.5, 1.5, 3.0, 7.0};
  const double r[] = {0.1, 0.2, 0.3, 0.4};
  normal.assemble(d, r);
  const CscMatrix& m = normal.matrix();
  ASSERT_EQ(m.rows, 4);
  ASSERT_EQ(m.cols, 4);
  // Without column 4, rows 1 and 2 do not meet: (2,1) is absent.
  EXPECT_EQ(normal.lower_nonzeros(), 4 + 2);
  for (int i = 0; i < 4; ++i) {
    ASSERT_LT(m.start[i], m.start[i + 1]) << "every column keeps its diagonal";
    EXPECT_EQ(m.index[m.start[i]], i);
    for (int64_t p = m.start[i]; p < m.start[i + 1]; ++p) {
      if (p > m.start[i]) {
        EXPECT_LT(m.index[p - 1], m.index[p]);
      }
      EXPECT_DOUBLE_EQ(m.value[p], dense_entry(a, in, d, r, m.index[p], i));
    }
  }
  EXPECT_DOUBLE_EQ(m.value[m.start[3]], 0.4);

  // New values reuse the pattern.
  const double d2[] = {1.0, 1.0, 1.0, 1.0, 1.0};
  normal.assemble(d2, r);
  for (int i = 0; i < 4; ++i)
    for (int64_t p = m.start[i]; p < m.start[i + 1]; ++p)
      EXPECT_DOUBLE_EQ(m.value[p], dense_entry(a, in, d2, r, m.index[p], i));
}

TEST(LinalgNormalMatrix, AllColumnsIncludedCouplesEveryRowPair) {
  const CscMatrix a = small_matrix();
  NormalMatrix normal;
  normal.analyse(a, std::vector<char>(5, 1));
  // Column 4 also couples rows 1 and 2.
  EXPECT_EQ(normal.lower_nonzeros(), 4 + 3);
}

}  // namespace
}  // namespace korva::barrier
