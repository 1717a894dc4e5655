// How much memory a factor may take before its panels go to temporary
// files, where those files go and where the messages about them go.
#pragma once
#include <string>

#include "env/channel.h"
#include "env/environment.h"

namespace korva::barrier {

// Where a factor that does not fit in memory goes, and who hears about it.
struct FactorStorage {
  // Memory for the factor, in megabytes; beyond it the factor goes to files.
  // The default keeps every factor in memory.
  double memory_megabytes = 1e75;
  std::string directory = ".";
  Channel* log = nullptr;  // null: nothing printed
  int display = 0;         // the barrier display level

  // Where the messages of a display level go: null below it.
  Channel* channel(int level) const { return display >= level ? log : nullptr; }
};

inline constexpr double kDoublesPerMegabyte = 131072.0;
inline constexpr double kMegabytesPerDouble = 7.62939453125e-6;
inline constexpr int kMaxFactorFiles = 12;

// The barrier's storage: KRV_PARAM_WORKMEM and KRV_PARAM_WORKDIR, messages
// on the results channel at the given barrier display level.
FactorStorage factor_storage_from_params(Environment& env, int display);

}  // namespace korva::barrier
