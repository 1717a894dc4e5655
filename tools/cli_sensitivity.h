// The sensitivity report of the korva tool (--sensitivity).
#pragma once
#include <korva/korva.h>

namespace korva_cli {

// After an LP solve: for each column its cost range, for each row its
// right-hand side range, for each column the ranges of its two bounds, one
// line per entity, by name. Prints a note instead when the solution allows
// no analysis.
void print_sensitivity(KRVenv env, KRVprob lp);

}  // namespace korva_cli
