// The callback registry: one setter and one getter per slot.
#include "env/frame.h"

using namespace korva;

namespace {

// Tells whether storing a slot conflicts with another one (1006).
using ConflictRule = bool (*)(const CallbackRegistry&);

template <class Fn>
int set_slot(KRVenv env, CallbackSlot<Fn> CallbackRegistry::*slot, Fn fn, void* handle,
             ConflictRule conflict = nullptr) {
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
bool cut_conflicts(const CallbackRegistry& r) {
  return r.lazy_constraint.is_set() || r.user_cut.is_set();
}
bool lazy_or_user_conflicts(const CallbackRegistry& r) { return r.cut.is_set(); }

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
KORVA_CALLBACK_PAIR(KRVsetheuristiccallbackfunc, KRVgetheuristiccallbackfunc,
                    KRVheuristiccallbackfunc, heuristic, nullptr)
KORVA_CALLBACK_PAIR(KRVsetincumbentcallbackfunc, KRVgetincumbentcallbackfunc,
                    KRVincumbentcallbackfunc, incumbent, nullptr)
KORVA_CALLBACK_PAIR(KRVsetsolvecallbackfunc, KRVgetsolvecallbackfunc, KRVsolvecallbackfunc, solve, nullptr)

// The node callback replaces a 64-bit one installed internally.
int KRVsetnodecallbackfunc(KRVenv env, KRVnodecallbackfunc callback, void* cbhandle) {
  return api::call(env, api::kNone, [&](Environment& e) {
    e.callbacks.node64 = {};
    e.callbacks.node = {callback, cbhandle};
    return 0;
  });
}

int KRVgetnodecallbackfunc(KRVenv env, KRVnodecallbackfunc* callback_p, void** cbhandle_p) {
  return get_slot(env, &CallbackRegistry::node, callback_p, cbhandle_p);
}

int KRVsetdeletenodecallbackfunc(KRVenv env, KRVdeletenodecallbackfunc callback,
                                 void* cbhandle) {
  return api::call(env, api::kNone, [&](Environment& e) {
    set_delete_node_slot(e, callback, cbhandle);
    return 0;
  });
}

int KRVgetdeletenodecallbackfunc(KRVenv env, KRVdeletenodecallbackfunc* callback_p,
                                 void** cbhandle_p) {
  return get_slot(env, &CallbackRegistry::delete_node, callback_p, cbhandle_p);
}

int KRVsetprofcallbackfunc(KRVenv env, KRVprofcallbackfunc callback, void* cbhandle) {
  return set_slot(env, &CallbackRegistry::profiling, callback, cbhandle);
}

}  // extern "C"
