// Loading the problem into the simplex work record. The matrix and its
// scaling are built when the record is new or the scaling mode changed;
// bounds, costs and right-hand sides are read again at every run, so warm
// starts after such edits only pay for those arrays.
#pragma once
#include "model/problem.h"
#include "simplex/core/simplex_work.h"

namespace korva::simplex {

// The problem must be complete (model::complete). Sizes every per-variable
// array of the work record. `scaling_mode` is a KRV_PARAM_SCAIND value.
void load_simplex_lp(Environment& env, const Problem& p, SimplexWork& w, int scaling_mode);

// Whether a lower bound exceeds an upper one by more than rounding.
bool bounds_cross(double lower, double upper);

// Row i's activity bounds in user units from sense, right-hand side and range.
void row_activity_bounds(char sense, double rhs, double range, double* lower, double* upper);

}  // namespace korva::simplex
