// A 1-norm condition estimate of the basis of the last simplex run:
// ||B||₁ times Hager's estimate of ||B⁻¹||₁, which needs only a few solves
// with the existing factor.
#pragma once
#include "model/problem.h"

namespace korva::simplex {

// `scaled`: of the basis the simplex factorised; otherwise of the basis in
// the user's units. 1258 without a factor.
int basis_condition(Environment& env, Problem& p, bool scaled, double* kappa);

}  // namespace korva::simplex
