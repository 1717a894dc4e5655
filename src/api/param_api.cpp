// Parameter entry points: thin wrappers over the registry in env/params and
// the files in env/prm_file. Checks run in the order number (1013), value
// (1014, 1015, 1807, ...), name (1028), then missing outputs (1004).
#include <cstring>
#include <initializer_list>

#include "env/frame.h"
#include "env/prm_file.h"

using namespace korva;

namespace {

constexpr bool in_param_space(int number) { return number >= 1001 && number < 6000; }

// The descriptor of `number` when its type is one of `accepted`, else 1013.
int lookup(Environment& env, int number, std::initializer_list<ParamType> accepted,
           const ParamDef*& def) {
  def = in_param_space(number) ? find_param(env, number) : nullptr;
  if (!def) return err::kBadParamNumber;
  for (ParamType t : accepted)
    if (def->type == t) return 0;
  return err::kBadParamNumber;
}

constexpr std::initializer_list<ParamType> kIntegral = {ParamType::Int, ParamType::Long};
constexpr std::initializer_list<ParamType> kDouble = {ParamType::Double};
constexpr std::initializer_list<ParamType> kString = {ParamType::String};
constexpr std::initializer_list<ParamType> kAnyType = {ParamType::None, ParamType::Int,
                                                       ParamType::Double, ParamType::String,
                                                       ParamType::Long};

// Long values read through the int interface saturate instead of failing:
// a "no limit" long still reads as a very large int.
int clamp_int(long long v) {
  if (v > 2147483647LL) return 2147483647;
  if (v < -2147483648LL) return -2147483647 - 1;
  return static_cast<int>(v);
}

// Copies a stored string out in the interface encoding (raw-byte parameters
// unchanged), cut to the caller's 512-byte buffer.
int copy_out(Environment& e, int number, std::string_view value, char* out) {
  std::string converted;
  if (is_raw_string_param(number)) {
    converted = value;
  } else if (int status = utf8_to_api(e, value, converted)) {
    return status;
  }
  const size_t n = std::min(converted.size(), kStringParamCapacity - 1);
  std::memcpy(out, converted.data(), n);
  out[n] = '\0';
  return 0;
}

// Holds the screen indicator and the callback reduced-LP switch at their
// defaults while a parameter file is written for another layer: they
// describe the calling program's session, not the settings being saved.
class SessionParamsAtDefaults {
 public:
  explicit SessionParamsAtDefaults(Environment& env) : env_(env) {
    for (Saved& s : saved_) {
      s.value = env_.long_param(s.number);
      env_.params.slot(s.number).i = find_param(s.number)->idefault;
    }
  }
  ~SessionParamsAtDefaults() {
    for (const Saved& s : saved_) env_.params.slot(s.number).i = s.value;
  }
  SessionParamsAtDefaults(const SessionParamsAtDefaults&) = delete;
  SessionParamsAtDefaults& operator=(const SessionParamsAtDefaults&) = delete;

 private:
  struct Saved {
    int number;
    long long value;
  };
  Environment& env_;
  Saved saved_[2] = {{KRV_PARAM_SCRIND, 0}, {KRV_PARAM_MIPCBREDLP, 0}};
};

}  // namespace

extern "C" {

int KRVsetintparam(KRVenv env, int whichparam, int newvalue) {
  return api::call(env, api::kNone, [&](Environment& e) {
    if (!in_param_space(whichparam)) return err::kBadParamNumber;
    return set_int_param(e, whichparam, newvalue);
  });
}

int KRVsetlongparam(KRVenv env, int whichparam, long long newvalue) {
  return api::call(env, api::kNone, [&](Environment& e) {
    if (!in_param_space(whichparam)) return err::kBadParamNumber;
    return set_long_param(e, whichparam, newvalue);
  });
}

int KRVsetdblparam(KRVenv env, int whichparam, double newvalue) {
  return api::call(env, api::kNone, [&](Environment& e) {
    if (!in_param_space(whichparam)) return err::kBadParamNumber;
    return set_dbl_param(e, whichparam, newvalue);
  });
}

int KRVsetstrparam(KRVenv env, int whichparam, const char* newvalue_str) {
  return api::call(env, api::kNone, [&](Environment& e) {
    const ParamDef* def = nullptr;
    if (int status = lookup(e, whichparam, kString, def)) return status;
    if (!newvalue_str) return err::kNullPointer;
    if (is_raw_string_param(whichparam)) return set_str_param(e, whichparam, newvalue_str);
    std::string utf8;
    if (int status = api_to_utf8(e, newvalue_str, utf8)) return status;
    return set_str_param(e, whichparam, utf8.c_str());
  });
}

int KRVgetintparam(KRVenv env, int whichparam, int* value_p) {
  return api::call(env, api::kInfoCallbackOk, [&](Environment& e) {
    const ParamDef* def = nullptr;
    if (int status = lookup(e, whichparam, kIntegral, def)) return status;
    if (!value_p) return err::kNullPointer;
    *value_p = clamp_int(e.long_param(whichparam));
    return 0;
  });
}

int KRVgetlongparam(KRVenv env, int whichparam, long long* value_p) {
  return api::call(env, api::kInfoCallbackOk, [&](Environment& e) {
    const ParamDef* def = nullptr;
    if (int status = lookup(e, whichparam, kIntegral, def)) return status;
    if (!value_p) return err::kNullPointer;
    *value_p = e.long_param(whichparam);
    return 0;
  });
}

int KRVgetdblparam(KRVenv env, int whichparam, double* value_p) {
  return api::call(env, api::kInfoCallbackOk, [&](Environment& e) {
    const ParamDef* def = nullptr;
    if (int status = lookup(e, whichparam, kDouble, def)) return status;
    if (!value_p) return err::kNullPointer;
    *value_p = e.dbl_param(whichparam);
    return 0;
  });
}

int KRVgetstrparam(KRVenv env, int whichparam, char* value_str) {
  return api::call(env, api::kInfoCallbackOk, [&](Environment& e) {
    const ParamDef* def = nullptr;
    if (int status = lookup(e, whichparam, kString, def)) return status;
    if (!value_str) return err::kNullPointer;
    return copy_out(e, whichparam, e.str_param(whichparam), value_str);
  });
}

int KRVinfointparam(KRVenv env, int whichparam, int* defvalue_p, int* minvalue_p,
                    int* maxvalue_p) {
  return api::call(env, api::kInfoCallbackOk, [&](Environment& e) {
    const ParamDef* def = nullptr;
    if (int status = lookup(e, whichparam, kIntegral, def)) return status;
    if (defvalue_p) *defvalue_p = clamp_int(def->idefault);
    if (minvalue_p) *minvalue_p = clamp_int(param_int_min(*def));
    if (maxvalue_p) *maxvalue_p = clamp_int(param_int_max(*def, e));
    return 0;
  });
}

int KRVinfolongparam(KRVenv env, int whichparam, long long* defvalue_p, long long* minvalue_p,
                     long long* maxvalue_p) {
  return api::call(env, api::kInfoCallbackOk, [&](Environment& e) {
    const ParamDef* def = nullptr;
    if (int status = lookup(e, whichparam, kIntegral, def)) return status;
    if (defvalue_p) *defvalue_p = def->idefault;
    if (minvalue_p) *minvalue_p = param_int_min(*def);
    if (maxvalue_p) *maxvalue_p = param_int_max(*def, e);
    return 0;
  });
}

int KRVinfodblparam(KRVenv env, int whichparam, double* defvalue_p, double* minvalue_p,
                    double* maxvalue_p) {
  return api::call(env, api::kInfoCallbackOk, [&](Environment& e) {
    const ParamDef* def = nullptr;
    if (int status = lookup(e, whichparam, kDouble, def)) return status;
    if (defvalue_p) *defvalue_p = def->ddefault;
    if (minvalue_p) *minvalue_p = def->dmin;
    if (maxvalue_p) *maxvalue_p = def->dmax;
    return 0;
  });
}

int KRVinfostrparam(KRVenv env, int whichparam, char* defvalue_str) {
  return api::call(env, api::kInfoCallbackOk, [&](Environment& e) {
    const ParamDef* def = nullptr;
    if (int status = lookup(e, whichparam, kString, def)) return status;
    if (!defvalue_str) return err::kNullPointer;
    return copy_out(e, whichparam, def->sdefault ? def->sdefault : "", defvalue_str);
  });
}

int KRVgetparamname(KRVenv env, int whichparam, char* name_str) {
  return api::call(env, api::kInfoCallbackOk, [&](Environment& e) {
    const ParamDef* def = nullptr;
    if (int status = lookup(e, whichparam, kAnyType, def)) return status;
    if (!name_str) return err::kNullPointer;
    std::string converted;
    if (int status = utf8_to_api(e, def->name ? def->name : "", converted)) return status;
    std::snprintf(name_str, kStringParamCapacity, "%s", converted.c_str());
    return 0;
  });
}

int KRVgetparamnum(KRVenv env, const char* name_str, int* whichparam_p) {
  return api::call(env, api::kInfoCallbackOk, [&](Environment& e) {
    if (!name_str) return err::kNullPointer;
    std::string utf8;
    if (int status = api_to_utf8(e, name_str, utf8)) return status;
    const ParamDef* def = find_param_by_name(utf8.c_str());
    if (!def) return err::kBadParamName;
    if (!whichparam_p) return err::kNullPointer;
    *whichparam_p = def->number;
    return 0;
  });
}

int KRVgetparamtype(KRVenv env, int whichparam, int* paramtype) {
  return api::call(env, api::kInfoCallbackOk, [&](Environment& e) {
    const ParamDef* def = nullptr;
    if (int status = lookup(e, whichparam, kAnyType, def)) return status;
    if (!paramtype) return err::kNullPointer;
    *paramtype = static_cast<int>(def->type);
    return 0;
  });
}

int KRVgetchgparam(KRVenv env, int* cnt_p, int* paramnum, int pspace, int* surplus_p) {
  return api::call(env, api::kInfoCallbackOk, [&](Environment& e) {
    if (!cnt_p || !surplus_p || (pspace > 0 && !paramnum)) return err::kNullPointer;
    int changed = 0;
    int written = 0;
    for (const ParamDef* def : visible_params()) {
      if (!e.params.differs_from_default(*def)) continue;
      if (written < pspace) paramnum[written++] = def->number;
      ++changed;
    }
    *cnt_p = written;
    *surplus_p = pspace - changed;
    // An empty array is how callers ask how many numbers to make room for,
    // so it succeeds; only a real array that is too short is an error.
    if (pspace == 0) return 0;
    return surplus_status(pspace, changed);
  });
}

int KRVsetdefaults(KRVenv env) {
  return api::call(env, api::kNone, [&](Environment& e) {
    reset_params(e);
    return 0;
  });
}

int KRVwriteparam(KRVenv env, const char* filename_str) {
  return api::call(env, api::kNone,
                   [&](Environment& e) { return write_param_file(e, filename_str); });
}

int KRVEwriteparam(KRVenv env, const char* filename_str) {
  return api::call(env, api::kNone, [&](Environment& e) {
    if (!filename_str || !*filename_str) return err::kNoFileName;
    SessionParamsAtDefaults session(e);
    return write_param_file(e, filename_str);
  });
}

int KRVreadcopyparam(KRVenv env, const char* filename_str) {
  return api::call(env, api::kNone,
                   [&](Environment& e) { return read_param_file(e, filename_str); });
}

}  // extern "C"
