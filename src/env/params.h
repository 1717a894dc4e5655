// Parameters: the process-wide registry of descriptors and the per-
// environment values, with the get/set rules shared by the C API, the
// parameter files and the optimisers.
#pragma once
#include <locale.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "env/c_locale.h"

struct krv_env_s;

namespace korva {
using Environment = krv_env_s;

enum class ParamType : int { None = 0, Int = 1, Double = 2, String = 3, Long = 4 };

inline constexpr long long kLongInfinity = 9223372036800000000LL;
inline constexpr int kIntInfinity = 2100000000;
inline constexpr size_t kStringParamCapacity = 512;  // 511 bytes and the terminator

// Upper bounds that depend on the environment are resolved when read: the
// processor count is only known at run time, and a child may inherit a
// lower thread limit than the machine offers.
enum class BoundRule : int { Fixed, UsableProcessors, UsableProcessorsLessOne, ThreadLimit };

struct ParamDef {
  int number;
  const char* name;  // "" for a hidden parameter, nullptr for an unused number
  ParamType type;
  long long idefault;
  long long imin;
  long long imax;
  double ddefault;
  double dmin;
  double dmax;
  const char* sdefault;
  bool hidden;
  BoundRule max_rule;
};

// The registry. Ranges are scanned in the order general, mixed-integer,
// barrier, quadratic, network; a number inside a range without a parameter
// has a descriptor of type None.
struct ParamRange {
  int first;
  int last;
  int slot_offset;  // position of `first` in the value array
};
inline constexpr ParamRange kParamRanges[] = {
    {1001, 1137, 0}, {2000, 2145, 137}, {3001, 3037, 283}, {4001, 4011, 320}, {5001, 5005, 331}};
inline constexpr int kParamSlotCount = 336;

// Slot of a number in the value array, or -1 outside every range.
inline int param_slot(int number) {
  int slot = -1;
  for (const ParamRange& r : kParamRanges)
    if (number >= r.first && number <= r.last) slot = r.slot_offset + (number - r.first);
  return slot;
}

// Descriptor by number: nullptr outside every range, a type-None descriptor
// for an unused number inside a range.
const ParamDef* find_param(int number);
// As find_param, charging the environment's work counter for the scan of the
// ranges (two comparisons per range and one for the slot), so that settings
// changed inside deterministic runs cost the same everywhere.
const ParamDef* find_param(Environment& env, int number);
// Descriptor by position of the value array (registry order).
const ParamDef& param_at_slot(int slot);
// Visible (named) parameters in registry order, and lookup by exact name.
const std::vector<const ParamDef*>& visible_params();
const ParamDef* find_param_by_name(const char* name);

// Integer bounds with the environment-dependent ones resolved.
long long param_int_min(const ParamDef& def);
long long param_int_max(const ParamDef& def, const Environment& env);

struct ParamSlot {
  long long i = 0;  // int and long values
  double d = 0.0;
  std::string s;
};

// The values of one environment. A child environment copies them, which also
// shares the termination pointer and the log file pointer. Copying the whole
// record is also how an operation saves parameters it changes temporarily
// (restore with restore_params).
struct ParamValues {
  std::vector<ParamSlot> slots = std::vector<ParamSlot>(kParamSlotCount);
  FILE* log_file = nullptr;
  volatile int* terminate = nullptr;

  void reset_to_defaults();
  int get_int(int number) const { return static_cast<int>(slots[param_slot(number)].i); }
  long long get_long(int number) const { return slots[param_slot(number)].i; }
  double get_dbl(int number) const { return slots[param_slot(number)].d; }
  const std::string& get_str(int number) const { return slots[param_slot(number)].s; }
  ParamSlot& slot(int number) { return slots[param_slot(number)]; }
  bool differs_from_default(const ParamDef& def) const;
};

// Checks a value as the setter would (type, bounds, combination rules,
// string length and encoding name) without storing anything. 0 or an
// unreported error code.
int validate_long_param(Environment& env, int number, long long value);
int validate_dbl_param(Environment& env, int number, double value);
int validate_str_param(Environment& env, int number, const char* utf8);

// Setters with every rule of the C API (bounds, combinations, side effects,
// parameter display). Return 0 or an unreported error code.
int set_int_param(Environment& env, int number, int value);
int set_long_param(Environment& env, int number, long long value);
int set_dbl_param(Environment& env, int number, double value);
// `value` is UTF-8 (or raw bytes for the raw-byte parameters).
int set_str_param(Environment& env, int number, const char* value);

// Resets every parameter to its default. `keep_screen` keeps the current
// screen indicator and leaves the channels alone (used by tuning).
void reset_params(Environment& env, bool keep_screen = false);
// Puts saved values back and brings what depends on them (screen output,
// interface converter, random seed) into line.
void restore_params(Environment& env, const ParamValues& saved);

// Hidden parameter numbers read by several subsystems.
namespace hidden_param {
inline constexpr int kPeriodicHookInterval = 1004;  // long: iterations between periodic hooks
inline constexpr int kObjectiveLimitCheck = 1017;   // dual simplex objective-limit test
inline constexpr int kPresolveMessages = 1043;
inline constexpr int kPrmNamesOnly = 1053;
inline constexpr int kParamDisplay = 1075;
inline constexpr int kFactorBuildA = 1093;  // factor kernel selection, on when > 0
inline constexpr int kLpReadDefaultExt = 1106;
inline constexpr int kLpWriteDefaultExt = 1116;
inline constexpr int kRowCopyRebuild = 1120;  // >= 0: rebuild the row-wise copy periodically
inline constexpr int kRandomSeed = 1124;
inline constexpr int kFactorBuildB = 1133;  // factor kernel selection, off when > 0
inline constexpr int kFunctionDestEncoding = 1134;
inline constexpr int kMipThreads = 2014;
inline constexpr int kBarrierThreads = 3016;
inline constexpr int kBarrierOrderingThreads = 3022;
inline constexpr int kBarrierStepFactor = 3025;
inline constexpr int kBarrierTolScale = 3037;
}  // namespace hidden_param

// String parameters whose bytes are stored and returned without encoding
// conversion (paths and encoding names).
bool is_raw_string_param(int number);


}  // namespace korva
