#include "env/params.h"

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

bool polish_time_blocked(const Environment& env) {
  return env.dbl_param(KRV_PARAM_POLISHAFTEREPAGAP) != 0.0 ||
         env.dbl_param(KRV_PARAM_POLISHAFTEREPGAP) != 0.0 ||
         env.long_param(KRV_PARAM_POLISHAFTERNODE) < 210000000LL ||
         env.long_param(KRV_PARAM_POLISHAFTERINTSOL) < 210000000LL ||
         env.dbl_param(KRV_PARAM_POLISHAFTERTIME) < 1e74;
}

// The polishing parameters exclude each other: a time-based polish cannot be
// combined with any of the "polish after" triggers.
int check_combination(const Environment& env, int number, double value) {
  switch (number) {
    case KRV_PARAM_POLISHTIME:
      return value > 0 && polish_time_blocked(env) ? err::kIncompatibleParams : 0;
    case KRV_PARAM_POLISHAFTEREPAGAP:
    case KRV_PARAM_POLISHAFTEREPGAP:
      return env.dbl_param(KRV_PARAM_POLISHTIME) > 0 && value > 0 ? err::kIncompatibleParams : 0;
    case KRV_PARAM_POLISHAFTERNODE:
    case KRV_PARAM_POLISHAFTERINTSOL:
      return env.dbl_param(KRV_PARAM_POLISHTIME) > 0 && value < 2.1e9 ? err::kIncompatibleParams
                                                                      : 0;
    case KRV_PARAM_POLISHAFTERTIME:
      return env.dbl_param(KRV_PARAM_POLISHTIME) > 0 && value < 1e75 ? err::kIncompatibleParams
                                                                     : 0;
    default:
      return 0;
  }
}

void apply_side_effect(Environment& env, int number) {
  if (number == KRV_PARAM_SCRIND) set_screen_output(env, env.int_param(number) != 0);
  if (number == hidden_param::kRandomSeed)
    env.random.reseed(static_cast<uint32_t>(env.int_param(number)));
}

bool display_on(const Environment& env) {
  return env.int_param(hidden_param::kParamDisplay) != 0;
}

ParamSlot& slot_of(Environment& env, int number) { return env.params.slots[param_slot(number)]; }

int store_int(Environment& env, const ParamDef& def, long long value) {
  if (value < param_int_min(def)) return err::kParamTooSmall;
  if (value > param_int_max(def)) return err::kParamTooBig;
  if (int status = check_combination(env, def.number, static_cast<double>(value))) return status;
  slot_of(env, def.number).i = value;
  apply_side_effect(env, def.number);
  if (display_on(env)) {
    if (def.type == ParamType::Int)
      msg(env.results(), "Parameter %d set to %d.\n", def.number, static_cast<int>(value));
    else
      msg(env.results(), "Parameter %d set to %lld.\n", def.number, value);
  }
  return 0;
}

}  // namespace

const ParamDef* find_param(int number) {
  const int slot = param_slot(number);
  return slot < 0 ? nullptr : registry().by_slot[slot];
}

const ParamDef& param_at_slot(int slot) { return *registry().by_slot[slot]; }

const std::vector<const ParamDef*>& visible_params() { return registry().visible; }

const ParamDef* find_param_by_name(const char* name) {
  const Registry& r = registry();
  const int64_t i =
      r.names.find(name, [&](int64_t k) { return std::string_view(r.visible[k]->name); });
  return i < 0 ? nullptr : r.visible[i];
}

long long param_int_max(const ParamDef& def) {
  const int procs = machine_processor_count();
  switch (def.max_rule) {
    case BoundRule::UsableProcessors:
      return procs;
    case BoundRule::UsableProcessorsLessOne:
      return procs - 1;
    case BoundRule::Fixed:
      break;
  }
  return def.imax;
}

long long param_int_min(const ParamDef& def) { return def.imin; }

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
        v.s = def.sdefault ? def.sdefault : "";
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
      return v.s != (def.sdefault ? def.sdefault : "");
    case ParamType::None:
      break;
  }
  return false;
}

int set_long_param(Environment& env, int number, long long value);

int set_int_param(Environment& env, int number, int value) {
  const ParamDef* def = find_param(number);
  if (!def) return err::kBadParamNumber;
  if (def->type == ParamType::Int) return store_int(env, *def, value);
  if (def->type == ParamType::Long) {
    long long wide = value;
    if (value >= kIntInfinity) wide = kLongInfinity;
    if (value <= -kIntInfinity) wide = -kLongInfinity;
    return store_int(env, *def, wide);
  }
  return err::kBadParamNumber;
}

int set_long_param(Environment& env, int number, long long value) {
  const ParamDef* def = find_param(number);
  if (!def) return err::kBadParamNumber;
  if (def->type == ParamType::Long) return store_int(env, *def, value);
  if (def->type == ParamType::Int) {
    if (value < -2147483648LL) return err::kParamTooSmall;
    if (value > 2147483647LL) return err::kParamTooBig;
    return store_int(env, *def, value);
  }
  return err::kBadParamNumber;
}

int set_dbl_param(Environment& env, int number, double value) {
  const ParamDef* def = find_param(number);
  if (!def || def->type != ParamType::Double) return err::kBadParamNumber;
  if (def->dmin != def->dmax || std::isnan(def->dmin) || std::isnan(def->dmax)) {
    if (value < def->dmin) return err::kParamTooSmall;
    if (value > def->dmax) return err::kParamTooBig;
  }
  if (int status = check_combination(env, number, value)) return status;
  slot_of(env, number).d = value;
  if (display_on(env)) msg(env.results(), "Parameter %d set to %g.\n", number, value);
  return 0;
}

int set_str_param(Environment& env, int number, const char* value) {
  const ParamDef* def = find_param(number);
  if (!def || def->type != ParamType::String) return err::kBadParamNumber;
  if (std::strlen(value) >= kStringParamCapacity) return err::kStringParamTooLong;
  ParamSlot& slot = slot_of(env, number);
  if ((number == KRV_PARAM_FILEENCODING || number == KRV_PARAM_APIENCODING) && slot.s != value) {
    Converter probe;
    if (!probe.open(value)) return err::kBadArgument;
    if (number == KRV_PARAM_APIENCODING) env.api_converter = std::move(probe);
  }
  slot.s = value;
  if (display_on(env)) msg(env.results(), "Parameter %d set to \"%s\".\n", number, value);
  return 0;
}

void reset_params(Environment& env, bool keep_screen) {
  const int screen = env.int_param(KRV_PARAM_SCRIND);
  env.params.reset_to_defaults();
  if (keep_screen) {
    slot_of(env, KRV_PARAM_SCRIND).i = screen;
  } else {
    set_screen_output(env, false);
  }
  const std::string& api = env.str_param(KRV_PARAM_APIENCODING);
  if (env.api_converter.name() != api) env.api_converter.open(api);
}

}  // namespace korva
