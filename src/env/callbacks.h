// The callback registry of an environment: one function pointer and one
// user handle per slot. Optimisers read the slots; they never own them.
#pragma once
#include "korva/korva.h"

namespace korva {

template <class Fn>
struct CallbackSlot {
  Fn function = nullptr;
  void* handle = nullptr;
  bool is_set() const { return function != nullptr; }
};

struct CallbackRegistry {
  CallbackSlot<KRVcallbackfunc> mip_info;
  CallbackSlot<KRVcallbackfunc> info;
  CallbackSlot<KRVcallbackfunc> lp;
  CallbackSlot<KRVcallbackfunc> network;
  CallbackSlot<KRVcallbackfunc> tuning;
  CallbackSlot<KRVbranchcallbackfunc> branch;
  CallbackSlot<KRVbranchcallbackfunc> branch_nosoln;
  CallbackSlot<KRVcutcallbackfunc> cut;
  CallbackSlot<KRVcutcallbackfunc> lazy_constraint;
  CallbackSlot<KRVcutcallbackfunc> user_cut;
  CallbackSlot<KRVnodecallbackfunc> node;
  CallbackSlot<KRVheuristiccallbackfunc> heuristic;
  CallbackSlot<KRVincumbentcallbackfunc> incumbent;
  CallbackSlot<KRVsolvecallbackfunc> solve;
  CallbackSlot<KRVdeletenodecallbackfunc> delete_node;
  CallbackSlot<KRVprofcallbackfunc> profiling;

  // Control callbacks steer the MIP search and force it onto one thread
  // when the thread count is automatic.
  bool any_control_callback() const {
    return branch.is_set() || branch_nosoln.is_set() || cut.is_set() ||
           lazy_constraint.is_set() || user_cut.is_set() || node.is_set() ||
           heuristic.is_set() || incumbent.is_set() || solve.is_set() || delete_node.is_set();
  }
};

}  // namespace korva
