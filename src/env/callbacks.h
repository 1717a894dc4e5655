// The callback registry of an environment: one function pointer and one
// user handle per slot. Optimisers read the slots; they never own them.
#pragma once
#include <cstdint>

#include "korva/korva.h"

struct krv_env_s;

namespace korva {
using Environment = krv_env_s;

template <class Fn>
struct CallbackSlot {
  Fn function = nullptr;
  void* handle = nullptr;
  bool is_set() const { return function != nullptr; }
};

// The node and delete-node callbacks work on 64-bit node indices and
// sequence numbers inside the library. The exported setters store the
// application's 32-bit functions behind adapters; sibling components install
// 64-bit versions directly.
using NodeCallback64 = int (*)(KRVenv env, void* cbdata, int wherefrom, void* cbhandle,
                               long long* nodeindex_p, int* useraction_p);
using DeleteNodeCallback64 = void (*)(KRVenv env, int wherefrom, void* cbhandle,
                                      long long seqnum, void* nodehandle);

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
  CallbackSlot<KRVnodecallbackfunc> node;        // 32-bit, behind the adapter
  CallbackSlot<NodeCallback64> node64;
  CallbackSlot<KRVheuristiccallbackfunc> heuristic;
  CallbackSlot<KRVincumbentcallbackfunc> incumbent;
  CallbackSlot<KRVsolvecallbackfunc> solve;
  CallbackSlot<KRVdeletenodecallbackfunc> delete_node;  // 32-bit, behind the adapter
  CallbackSlot<DeleteNodeCallback64> delete_node64;
  CallbackSlot<KRVprofcallbackfunc> profiling;

  bool has_node_callback() const { return node.is_set() || node64.is_set(); }
  bool has_delete_node_callback() const { return delete_node.is_set() || delete_node64.is_set(); }

  // Control callbacks steer the MIP search and force it onto one thread
  // when the thread count is automatic.
  bool any_control_callback() const {
    return branch.is_set() || branch_nosoln.is_set() || cut.is_set() ||
           lazy_constraint.is_set() || user_cut.is_set() || has_node_callback() ||
           heuristic.is_set() || incumbent.is_set() || solve.is_set() ||
           has_delete_node_callback();
  }
};

// Calls an informational callback (MIP informational, informational, LP,
// network, tuning) with the environment marked as running one, so that the
// library refuses other calls with 1804 meanwhile. Returns the callback's
// value (non-zero asks the optimiser to stop); 0 when the slot is empty.
int invoke_info_callback(Environment& env, const CallbackSlot<KRVcallbackfunc>& slot,
                         void* cbdata, int wherefrom);

// The node callback through its adapter: the chosen index comes back in
// `*nodeindex`. 1810 when the index does not fit the 32-bit callback.
int invoke_node_callback(Environment& env, void* cbdata, int wherefrom, int64_t* nodeindex,
                         int* useraction);
// The delete-node callback: 1810 (reported) when the sequence number does
// not fit the 32-bit callback, which is then not called.
int invoke_delete_node_callback(Environment& env, int wherefrom, int64_t seqnum,
                                void* nodehandle);

// Internal entry points for 64-bit node and delete-node callbacks. Changing
// the delete-node callback discards the searches of the environment's
// problems (see set_delete_node_slot).
void install_node_callback64(Environment& env, NodeCallback64 fn, void* handle);
void install_delete_node_callback64(Environment& env, DeleteNodeCallback64 fn, void* handle);
void set_delete_node_slot(Environment& env, KRVdeletenodecallbackfunc fn, void* handle);

}  // namespace korva
