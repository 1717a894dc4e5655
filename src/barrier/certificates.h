// Certificates that a linear program has no optimum, read off the
// homogeneous embedding's point once τ has vanished, and checked on the
// data before anything is believed.
#pragma once
#include <vector>

#include "barrier/ipm_model.h"

namespace korva::barrier {

// A Farkas certificate (y, zl, zu) (bound duals only where bounds are
// finite): no x within the bounds satisfies A·x = b.
bool proves_primal_infeasible(const IpmModel& model, const std::vector<double>& y, const std::vector<double>& zl,
                              const std::vector<double>& zu);

// A ray v: A·v = 0, within every finite bound's direction, cᵀv < 0: the
// dual has no feasible point.
bool proves_dual_infeasible(const IpmModel& model, const std::vector<double>& v);

}  // namespace korva::barrier
