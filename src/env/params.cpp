#include "env/params.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "env/environment.h"
#include "env/errors.h"
#include "env/name_hash.h"

namespace korva {

extern const ParamDef kParamTable[];
extern const int kParamTableSize;

namespace {

struct Registry {
  const ParamDef* by_slot[kParamSlotCount] = {};
  ParamDef unused[kParamSlotCount];
  std::vector<const ParamDef*> visible;
  NameHash names;

  Registry() {
    for (int i = 0; i < kParamTableSize; ++i) by_slot[param_slot(kParamTable[i].number)] = &kParamTable[i];
    for (int s = 0; s < kParamSlotCount; ++s) {
      if (by_slot[s]) continue;
      unused[s] = ParamDef{-1, nullptr, ParamType::None, 0, 0, 0, 0.0, 0.0, 0.0, nullptr, true,
                           BoundRule::Fixed};
      by_slot[s] = &unused[s];
    }
    for (int s = 0; s < kParamSlotCount; ++s)
      if (by_slot[s]->type != ParamType::None && !by_slot[s]->hidden) visible.push_back(by_slot[s]);
    names.build(static_cast<int64_t>(visible.size()),
                [&](int64_t i) { return std::string_view(visible[i]->name); });
  }
};

const Registry& registry() {
  static const Registry r;
  return r;
}

const char* string_default(const ParamDef& def) { return def.sdefault ? def.sdefault : ""; }

bool polish_time_blocked(const Environment& env) {
  return env.dbl_param(KRV_PARAM_POLISHAFTEREPAGAP) != 0.0 ||
         env.dbl_param(KRV_PARAM_POLISHAFTEREPGAP) != 0.0 ||
         env.long_param(KRV_PARAM_POLISHAFTERNODE) < 210000000LL ||
         env.long_param(KRV_PARAM_POLISHAFTERINTSOL) < 210000000LL ||
         env.dbl_param(KRV_PARAM_POLISHAFTERTIME) < 1e74;
}

bool polish_time_on(const Environment& env) { return env.dbl_param(KRV_PARAM_POLISHTIME) > 0; }

// Polishing is started either after a fixed time at the end of the search
// or by one of the "polish after" triggers, never both: the second request
// would silently change what the first one means.
int check_combination(const Environment& env, int number, double value) {
  bool refused = false;
  switch (number) {
    case KRV_PARAM_POLISHTIME:
      refused = value > 0 && polish_time_blocked(env);
      break;
    case KRV_PARAM_POLISHAFTEREPAGAP:
    case KRV_PARAM_POLISHAFTEREPGAP:
      refused = polish_time_on(env) && value > 0;
      break;
    case KRV_PARAM_POLISHAFTERNODE:
    case KRV_PARAM_POLISHAFTERINTSOL:
      refused = polish_time_on(env) && value < 2.1e9;
      break;
    case KRV_PARAM_POLISHAFTERTIME:
      refused = polish_time_on(env) && value < 1e75;
      break;
    default:
      break;
  }
  return refused ? err::kIncompatibleParams : 0;
}

// The integer widening of the int setter: the 32-bit "no limit" means the
// 64-bit one.
long long widen_to_long(int value) {
  if (value >= kIntInfinity) return kLongInfinity;
  if (value <= -kIntInfinity) return -kLongInfinity;
  return value;
}

bool display_on(const Environment& env) {
  return env.int_param(hidden_param::kParamDisplay) != 0;
}

void sync_screen_output(Environment& env) {
  set_screen_output(env, env.int_param(KRV_PARAM_SCRIND) != 0);
}

void sync_api_converter(Environment& env) {
  const std::string& api = env.str_param(KRV_PARAM_APIENCODING);
  if (!env.api_converter.is_open() || env.api_converter.name() != api) env.api_converter.open(api);
}

void sync_random_seed(Environment& env) {
  env.random.reseed(static_cast<uint32_t>(env.int_param(hidden_param::kRandomSeed)));
}

void apply_side_effect(Environment& env, int number) {
  if (number == KRV_PARAM_SCRIND) sync_screen_output(env);
  if (number == hidden_param::kRandomSeed) sync_random_seed(env);
}

int check_integral(Environment& env, const ParamDef& def, long long value) {
  if (value < param_int_min(def)) return err::kParamTooSmall;
  if (value > param_int_max(def, env)) return err::kParamTooBig;
  return check_combination(env, def.number, static_cast<double>(value));
}

// Stores an already validated integer or long value.
void store_integral(Environment& env, const ParamDef& def, long long value) {
  env.params.slot(def.number).i = value;
  apply_side_effect(env, def.number);
  if (!display_on(env)) return;
  if (def.type == ParamType::Int)
    msg(env.results(), "Parameter %d set to %d.\n", def.number, static_cast<int>(value));
  else
    msg(env.results(), "Parameter %d set to %lld.\n", def.number, value);
}

// Opens a converter for an encoding name; 1003 when the name is unknown.
int open_encoding(const char* name, Converter& out) {
  return out.open(name) ? 0 : err::kBadArgument;
}

bool is_encoding_param(int number) {
  return number == KRV_PARAM_FILEENCODING || number == KRV_PARAM_APIENCODING;
}

// Integer values for an integer or long parameter, after the int setter's
// widening (or none, from the long setter and the files).
int validate_integral(Environment& env, const ParamDef* def, long long value) {
  if (!def) return err::kBadParamNumber;
  if (def->type == ParamType::Int) {
    if (value < -2147483648LL) return err::kParamTooSmall;
    if (value > 2147483647LL) return err::kParamTooBig;
    return check_integral(env, *def, value);
  }
  if (def->type == ParamType::Long) return check_integral(env, *def, value);
  return err::kBadParamNumber;
}

}  // namespace

const ParamDef* find_param(int number) {
  const int slot = param_slot(number);
  return slot < 0 ? nullptr : registry().by_slot[slot];
}

const ParamDef* find_param(Environment& env, int number) {
  constexpr uint64_t kLookupWork = 2 * (sizeof kParamRanges / sizeof kParamRanges[0]) + 1;
  env.ticks.charge(kLookupWork);
  return find_param(number);
}

const ParamDef& param_at_slot(int slot) { return *registry().by_slot[slot]; }

const std::vector<const ParamDef*>& visible_params() { return registry().visible; }

const ParamDef* find_param_by_name(const char* name) {
  const Registry& r = registry();
  const int64_t i =
      r.names.find(name, [&](int64_t k) { return std::string_view(r.visible[k]->name); });
  return i < 0 ? nullptr : r.visible[i];
}

long long param_int_min(const ParamDef& def) { return def.imin; }

long long param_int_max(const ParamDef& def, const Environment& env) {
  switch (def.max_rule) {
    case BoundRule::UsableProcessors:
      return usable_processors(env);
    case BoundRule::UsableProcessorsLessOne:
      return usable_processors(env) - 1;
    case BoundRule::ThreadLimit:
      return env.thread_limit;
    case BoundRule::Fixed:
      break;
  }
  return def.imax;
}

bool is_raw_string_param(int number) {
  switch (number) {
    case KRV_PARAM_WORKDIR:
    case hidden_param::kLpReadDefaultExt:
    case hidden_param::kLpWriteDefaultExt:
    case KRV_PARAM_FILEENCODING:
    case KRV_PARAM_APIENCODING:
    case hidden_param::kFunctionDestEncoding:
    case KRV_PARAM_INTSOLFILEPREFIX:
      return true;
    default:
      return false;
  }
}

void ParamValues::reset_to_defaults() {
  for (int s = 0; s < kParamSlotCount; ++s) {
    const ParamDef& def = param_at_slot(s);
    ParamSlot& v = slots[s];
    switch (def.type) {
      case ParamType::Int:
      case ParamType::Long:
        v.i = def.idefault;
        break;
      case ParamType::Double:
        v.d = def.ddefault;
        break;
      case ParamType::String:
        v.s = string_default(def);
        break;
      case ParamType::None:
        break;
    }
  }
}

bool ParamValues::differs_from_default(const ParamDef& def) const {
  const ParamSlot& v = slots[param_slot(def.number)];
  switch (def.type) {
    case ParamType::Int:
    case ParamType::Long:
      return v.i != def.idefault;
    case ParamType::Double:
      return v.d != def.ddefault;
    case ParamType::String:
      return v.s != string_default(def);
    case ParamType::None:
      break;
  }
  return false;
}

int validate_long_param(Environment& env, int number, long long value) {
  return validate_integral(env, find_param(env, number), value);
}

int validate_dbl_param(Environment& env, int number, double value) {
  const ParamDef* def = find_param(env, number);
  if (!def || def->type != ParamType::Double) return err::kBadParamNumber;
  // Equal bounds mark a parameter that takes any value (objective limits and
  // cutoffs); NaN bounds are never equal, so they are checked.
  if (def->dmin != def->dmax) {
    if (value < def->dmin) return err::kParamTooSmall;
    if (value > def->dmax) return err::kParamTooBig;
  }
  return check_combination(env, number, value);
}

int validate_str_param(Environment& env, int number, const char* utf8) {
  const ParamDef* def = find_param(env, number);
  if (!def || def->type != ParamType::String) return err::kBadParamNumber;
  if (!utf8) return err::kNullPointer;
  if (std::strlen(utf8) >= kStringParamCapacity) return err::kStringParamTooLong;
  if (is_encoding_param(number) && env.str_param(number) != utf8) {
    Converter probe;
    return open_encoding(utf8, probe);
  }
  return 0;
}

int set_int_param(Environment& env, int number, int value) {
  const ParamDef* def = find_param(number);
  if (def && def->type == ParamType::Long) return set_long_param(env, number, widen_to_long(value));
  return set_long_param(env, number, value);
}

int set_long_param(Environment& env, int number, long long value) {
  if (int status = validate_long_param(env, number, value)) return status;
  store_integral(env, *find_param(number), value);
  return 0;
}

int set_dbl_param(Environment& env, int number, double value) {
  if (int status = validate_dbl_param(env, number, value)) return status;
  env.params.slot(number).d = value;
  if (display_on(env)) {
    ScopedCLocale c_locale;
    msg(env.results(), "Parameter %d set to %g.\n", number, value);
  }
  return 0;
}

int set_str_param(Environment& env, int number, const char* value) {
  const ParamDef* def = find_param(env, number);
  if (!def || def->type != ParamType::String) return err::kBadParamNumber;
  if (!value) return err::kNullPointer;
  if (std::strlen(value) >= kStringParamCapacity) return err::kStringParamTooLong;
  ParamSlot& slot = env.params.slot(number);
  if (is_encoding_param(number) && slot.s != value) {
    // A name no converter exists for is refused before anything changes.
    // Destinations keep the converters they were created with; only the
    // interface converter follows the new interface encoding.
    Converter probe;
    if (int status = open_encoding(value, probe)) return status;
    if (number == KRV_PARAM_APIENCODING) env.api_converter = std::move(probe);
  }
  if (number == KRV_PARAM_WORKDIR && env.node_file_users > 0 && slot.s != value) {
    // A search writes its node file where it started: the directory stays.
    msg(env.warning(), "Warning:  Cannot change node file directory during solution.\n");
    msg(env.warning(), "Using original directory\n");
    return 0;
  }
  slot.s = value;
  if (display_on(env)) msg(env.results(), "Parameter %d set to \"%s\".\n", number, value);
  return 0;
}

void reset_params(Environment& env, bool keep_screen) {
  const int screen = env.int_param(KRV_PARAM_SCRIND);
  env.params.reset_to_defaults();
  if (keep_screen)
    env.params.slot(KRV_PARAM_SCRIND).i = screen;
  else
    sync_screen_output(env);
  // The interface converter always matches the interface encoding it is
  // reported as; otherwise names would be converted with a stale encoding.
  sync_api_converter(env);
}

void restore_params(Environment& env, const ParamValues& saved) {
  const bool screen_changed = env.int_param(KRV_PARAM_SCRIND) != saved.get_int(KRV_PARAM_SCRIND);
  const bool seed_changed =
      env.int_param(hidden_param::kRandomSeed) != saved.get_int(hidden_param::kRandomSeed);
  // The log file and the termination pointer are not parameters: whatever
  // the application set meanwhile stays.
  FILE* const log_file = env.params.log_file;
  volatile int* const terminate = env.params.terminate;
  env.params = saved;
  env.params.log_file = log_file;
  env.params.terminate = terminate;
  if (screen_changed) sync_screen_output(env);
  if (seed_changed) sync_random_seed(env);
  sync_api_converter(env);
}

}  // namespace korva
