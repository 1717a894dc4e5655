// The calls of the MIP callbacks with their return-action protocol: which
// slot serves a context, what the useraction values mean, and when a
// callback broke the protocol (1006). The search decides where to call;
// these functions decide what the answer means.
#pragma once
#include <cstdint>

#include "env/callbacks.h"
#include "mip/callback_data.h"

namespace korva::mip {

// What the search does after a control callback.
struct CallbackOutcome {
  int error = 0;       // the search ends with this error (1006, or the callback's own code)
  bool abort = false;  // the callback asked to stop: 113 with an incumbent, 114 without
  int useraction = 0;  // the accepted useraction
  bool stop() const { return error != 0 || abort; }
};

// The slot of a cut context: the cut callback when set, else the lazy
// constraint callback (lazy contexts) or the user cut callback.
const CallbackSlot<KRVcutcallbackfunc>* cut_slot(const CallbackRegistry& r, int wherefrom);
bool has_lazy_callback(const CallbackRegistry& r);
bool has_user_cut_callback(const CallbackRegistry& r);

// The informational calls (101, 107..110): the MIP informational callback,
// then the informational one (not from worker clones). True when either
// asks to stop.
bool progress_call(Environment& env, MipCallbackData& d, int wherefrom);

// Cut contexts (106, 114, 115, 116). The rows added are in d.cuts. A
// useraction of 3 in a user cut context comes back in `useraction`.
CallbackOutcome cut_call(Environment& env, MipCallbackData& d, int wherefrom);

// An incumbent candidate (objective and x in the callback's terms); false
// in `accepted` when the callback turned it down.
CallbackOutcome incumbent_call(Environment& env, MipCallbackData& d, int wherefrom, double objective, double* x,
                               bool* accepted);

// The heuristic callback (104) on the node's solution `x` (the callback's
// terms). useraction 2 hands back a solution in x with its objective and
// whether the search should check it.
CallbackOutcome heuristic_call(Environment& env, MipCallbackData& d, double* objective, double* x, int* check);

// The solve callback (105): useraction 0 lets the search solve the node
// LP, 2 says the callback solved it.
CallbackOutcome solve_call(Environment& env, MipCallbackData& d);

// A branch callback (102 with a node solution, 113 without) on the
// proposed children; children it created are in d.children.
CallbackOutcome branch_call(Environment& env, MipCallbackData& d, int wherefrom, const ProposedChildren& proposed);

// The node callback: `index` comes in as the search's choice among the
// open nodes and goes out as the callback's.
CallbackOutcome node_call(Environment& env, MipCallbackData& d, int64_t* index);

}  // namespace korva::mip
