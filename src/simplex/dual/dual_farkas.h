// KRVdualfarkas: the infeasibility certificate the dual simplex leaves when
// its ratio test finds no entering variable. The row of B⁻¹ of the leaving
// row, y, combines the rows into z = Aᵀy with
//     sup { zᵀx : l <= x <= u }  <  inf { yᵀr : r within the row bounds },
// which no x can satisfy. The proof returned is the difference of the two
// sides (positive); y is oriented so that it is.
#pragma once
#include "model/problem.h"

namespace korva::simplex {

// y (one value per row) and proof may be null. 1265 unless the last
// solution is a dual simplex one with status 3; 1018/1031 for quadratic
// models.
int dual_farkas(Environment& env, Problem& p, double* y, double* proof);

// The proof value of a candidate y, in user units.
double farkas_proof(const Problem& p, const double* y);

}  // namespace korva::simplex
