// The callback registry: one setter and one getter per slot.
#include "env/frame.h"

using namespace korva;

namespace {

template <class Fn>
int set_slot(KRVenv env, CallbackSlot<Fn> CallbackRegistry::*slot, Fn fn, void* handle,
             int (*conflict)(const CallbackRegistry&) = nullptr) {
  return api::call(env, api::kNone, [&](Environment& e) {
    (e.callbacks.*slot).function = fn;
    (e.callbacks.*slot).handle = handle;
    // The slot is stored even when it conflicts with another; the caller
    // learns of the conflict through the status.
    return conflict && fn && conflict(e.callbacks) ? err::kCallbackError : 0;
  });
}

template <class Fn>
int get_slot(KRVenv env, CallbackSlot<Fn> CallbackRegistry::*slot, Fn* fn_p, void** handle_p) {
  return api::call(env, api::kInfoCallbackOk, [&](Environment& e) {
    if (fn_p) *fn_p = (e.callbacks.*slot).function;
    if (handle_p) *handle_p = (e.callbacks.*slot).handle;
    return 0;
  });
}

// The cut callback serves every cut context; it cannot be combined with the
// dedicated lazy constraint and user cut callbacks.
int cut_conflicts(const CallbackRegistry& r) {
  return r.lazy_constraint.is_set() || r.user_cut.is_set();
}
int lazy_or_user_conflicts(const CallbackRegistry& r) { return r.cut.is_set(); }

}  // namespace

#define KORVA_CALLBACK_PAIR(setname, getname, type, member, conflict)                  \
  int setname(KRVenv env, type callback, void* cbhandle) {                             \
    return set_slot(env, &CallbackRegistry::member, callback, cbhandle, conflict);     \
  }                                                                                    \
  int getname(KRVenv env, type* callback_p, void** cbhandle_p) {                       \
    return get_slot(env, &CallbackRegistry::member, callback_p, cbhandle_p);           \
  }

extern "C" {

KORVA_CALLBACK_PAIR(KRVsetmipcallbackfunc, KRVgetmipcallbackfunc, KRVcallbackfunc, mip_info, nullptr)
KORVA_CALLBACK_PAIR(KRVsetinfocallbackfunc, KRVgetinfocallbackfunc, KRVcallbackfunc, info, nullptr)
KORVA_CALLBACK_PAIR(KRVsetlpcallbackfunc, KRVgetlpcallbackfunc, KRVcallbackfunc, lp, nullptr)
KORVA_CALLBACK_PAIR(KRVsetnetcallbackfunc, KRVgetnetcallbackfunc, KRVcallbackfunc, network, nullptr)
KORVA_CALLBACK_PAIR(KRVsettuningcallbackfunc, KRVgettuningcallbackfunc, KRVcallbackfunc, tuning, nullptr)
KORVA_CALLBACK_PAIR(KRVsetbranchcallbackfunc, KRVgetbranchcallbackfunc, KRVbranchcallbackfunc, branch, nullptr)
KORVA_CALLBACK_PAIR(KRVsetbranchnosolncallbackfunc, KRVgetbranchnosolncallbackfunc,
                    KRVbranchcallbackfunc, branch_nosoln, nullptr)
KORVA_CALLBACK_PAIR(KRVsetcutcallbackfunc, KRVgetcutcallbackfunc, KRVcutcallbackfunc, cut, cut_conflicts)
KORVA_CALLBACK_PAIR(KRVsetlazyconstraintcallbackfunc, KRVgetlazyconstraintcallbackfunc,
                    KRVcutcallbackfunc, lazy_constraint, lazy_or_user_conflicts)
KORVA_CALLBACK_PAIR(KRVsetusercutcallbackfunc, KRVgetusercutcallbackfunc, KRVcutcallbackfunc,
                    user_cut, lazy_or_user_conflicts)
KORVA_CALLBACK_PAIR(KRVsetnodecallbackfunc, KRVgetnodecallbackfunc, KRVnodecallbackfunc, node, nullptr)
KORVA_CALLBACK_PAIR(KRVsetheuristiccallbackfunc, KRVgetheuristiccallbackfunc,
                    KRVheuristiccallbackfunc, heuristic, nullptr)
KORVA_CALLBACK_PAIR(KRVsetincumbentcallbackfunc, KRVgetincumbentcallbackfunc,
                    KRVincumbentcallbackfunc, incumbent, nullptr)
KORVA_CALLBACK_PAIR(KRVsetsolvecallbackfunc, KRVgetsolvecallbackfunc, KRVsolvecallbackfunc, solve, nullptr)
KORVA_CALLBACK_PAIR(KRVsetdeletenodecallbackfunc, KRVgetdeletenodecallbackfunc,
                    KRVdeletenodecallbackfunc, delete_node, nullptr)

int KRVsetprofcallbackfunc(KRVenv env, KRVprofcallbackfunc callback, void* cbhandle) {
  return set_slot(env, &CallbackRegistry::profiling, callback, cbhandle);
}

}  // extern "C"
