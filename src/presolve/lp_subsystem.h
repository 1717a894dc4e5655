// The presolve subsystem the simplex driver finds through its seam.
#pragma once
#include "simplex/dispatch/presolve_seam.h"

namespace korva::presolve {

simplex::PresolveSubsystem* lp_presolve();

}  // namespace korva::presolve
