// Names of internal variables for the iteration log: a structural column by
// its name, a logical by its row's name followed by " slack", " range" (a
// ranged row) or " artif" (an equality row, whose logical is fixed).
#pragma once
#include <string>

#include "model/problem.h"
#include "simplex/core/simplex_lp.h"

namespace korva::simplex {

std::string variable_name(Environment& env, const Problem& p, const SimplexLp& lp, int var);

}  // namespace korva::simplex
