#include "simplex/dispatch/presolve_seam.h"

#include <atomic>

namespace korva::simplex {

namespace {
std::atomic<PresolveSubsystem*> g_presolve{nullptr};
}

void install_presolve(PresolveSubsystem* subsystem) { g_presolve.store(subsystem); }
PresolveSubsystem* installed_presolve() { return g_presolve.load(); }

}  // namespace korva::simplex
