// Big-M strengthening on hand-worked rows: the coefficient a binary column
// needs, in rows of both senses, and the rows it must leave alone.
#include <cmath>
#include <string>
#include <vector>

#include "mip/coefficient_tightening.h"
#include "mip/mip_model.h"
#include "model/problem.h"
#include "support/lp_test.h"

namespace {

using korva::mip::MipModel;

class CoefficientTightening : public korva_test::LpTest {
 protected:
  // Reads the model text and strengthens its rows against its own bounds.
  MipModel tightened(const std::string& text, int* changed) {
    read_lp_text(text);
    MipModel m;
    korva::mip::build_mip_model(*lp, m);
    *changed = korva::mip::tighten_coefficients(m, m.lower, m.upper);
    return m;
  }
  // Coefficient of column j in row i, from the row-wise and the column-wise
  // copies, which must agree.
  static double coefficient(const MipModel& m, int i, int j) {
    double by_row = 0.0, by_col = 0.0;
    for (int64_t k = m.row_begin[i]; k < m.row_begin[i + 1]; ++k)
      if (m.row_col[k] == j) by_row = m.row_val[k];
    for (int64_t k = m.col_begin[j]; k < m.col_begin[j + 1]; ++k)
      if (m.col_row[k] == i) by_col = m.col_val[k];
    EXPECT_EQ(by_row, by_col) << "row " << i << ", column " << j;
    return by_row;
  }
};

TEST_F(CoefficientTightening, BigMCoefficientsShrinkToWhatTheRowNeeds) {
  int changed = 0;
  const MipModel m = tightened(
      "Minimize\n obj: x + y + z + w\nSubject To\n"
      " switch: x - 100 y <= 0\n"          // y = 1 frees the row: -100 -> -10
      " flip: - x + 100 z >= 0\n"          // the same row written as >=
      " knap: x + 20 w <= 25\n"            // w = 0 frees the row: x + 5 w <= 10
      " eq: x - 100 y - 100 z = 0\n"       // equalities bind both ways
      " free: v - 100 y <= 0\n"            // v has no upper bound
      " loose: x + y <= 12\n"              // redundant as it stands
      "Bounds\n 0 <= x <= 10\n v >= 0\nBinaries\n y z w\nEnd\n",
      &changed);
  const double tol = 1e-6;
  EXPECT_EQ(changed, 3);
  EXPECT_NEAR(coefficient(m, 0, 1), -10.0, tol);
  EXPECT_NEAR(m.row_hi[0], 0.0, tol);
  EXPECT_NEAR(coefficient(m, 1, 2), 10.0, tol);
  EXPECT_NEAR(coefficient(m, 2, 3), 5.0, tol);
  EXPECT_NEAR(m.row_hi[2], 10.0, tol);
  EXPECT_EQ(coefficient(m, 3, 1), -100.0);
  EXPECT_EQ(coefficient(m, 4, 1), -100.0);
  EXPECT_EQ(coefficient(m, 5, 1), 1.0);
  // Never further than the row allows: a point with y = 1 and x at its
  // bound still satisfies the strengthened switching row.
  EXPECT_LE(10.0 + coefficient(m, 0, 1), m.row_hi[0] + 1e-9);
}

}  // namespace
