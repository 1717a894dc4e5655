#include "simplex/dispatch/presolve_seam.h"

#include <atomic>

#include "presolve/lp_subsystem.h"

namespace korva::simplex {

namespace {
std::atomic<PresolveSubsystem*> g_presolve{nullptr};
}

void install_presolve(PresolveSubsystem* subsystem) { g_presolve.store(subsystem); }

PresolveSubsystem* installed_presolve() {
  if (PresolveSubsystem* installed = g_presolve.load()) return installed;
  return presolve::lp_presolve();
}

}  // namespace korva::simplex
