// The linear program as the interior-point iterations see it:
//
//     minimise cᵀx + ½·xᵀQx  subject to  A·x = b,  l <= x <= u,
//
// built from the simplex's scaled view of a problem (structural columns,
// then one unit logical per row). Fixed variables (equality rows' logicals
// among them) are moved into b, so every remaining variable has room to
// move; infinite bounds are IEEE infinities.
#pragma once
#include <limits>
#include <vector>

#include "barrier/column_ops.h"
#include "barrier/linalg/csc_matrix.h"
#include "model/problem.h"
#include "simplex/core/simplex_lp.h"

namespace korva::barrier {

struct IpmModel {
  int rows = 0;
  int cols = 0;  // variables kept in the model
  CscMatrix a;   // rows × cols
  CscMatrix q;   // cols × cols, both triangles; empty (0 columns) for a linear objective
  std::vector<double> b, c, lower, upper;
  // Per kept column: the simplex variable it stands for.
  std::vector<int> simplex_var;
  // Per simplex variable: its value when fixed (moved into b), or NaN.
  std::vector<double> fixed_value;
  double objective_constant = 0.0;  // cost of the fixed variables
  double b_norm = 0.0;              // ‖b‖∞ and ‖c‖∞, for relative measures
  double c_norm = 0.0;

  bool has_lower(int j) const { return lower[j] > -std::numeric_limits<double>::infinity(); }
  bool has_upper(int j) const { return upper[j] < std::numeric_limits<double>::infinity(); }
};

// `quad`: the problem's quadratic objective (user units), or null.
IpmModel build_ipm_model(const simplex::SimplexLp& lp, const QuadObjective* quad);

}  // namespace korva::barrier
