// The queries a callback makes about the search it is called from, answered
// from the record the search handed it as cbdata (see callback_data.h).
// Each checks, in this order, its where-value (1003), the record behind
// cbdata (1006), that the data it reports exist at this call (1003), its
// output pointers (1004) and its index range (1200 after the 1205/1206
// line); then it answers in the index space KRV_PARAM_MIPCBREDLP chose.
// Codes are returned unprinted: the calling frame reports them.
#pragma once
#include <cstdint>
#include <vector>

#include "env/environment.h"
#include "model/problem.h"

namespace korva::mip {

// KRVgetcallbackinfo inside an informational callback: the where-values and
// items it still answers there (every other query gives 1804).
bool answers_inside_info_callback(int wherefrom, int whichinfo);

// KRVgetcallbackinfo: MIP where-values 101 to 118 (not 112) and the
// continuous optimisers' 1 to 10.
int callback_info(Environment& env, void* cbdata, int wherefrom, int whichinfo, void* result);
// KRVgetcallbacknodeinfo.
int callback_node_info(Environment& env, void* cbdata, int wherefrom, int64_t nodeindex, int whichinfo,
                       void* result);
// KRVgetcallbackseqinfo: the current node's sequence number and its parent's
// (-1 for the root).
int callback_seq_info(Environment& env, void* cbdata, int wherefrom, int64_t* seqnum, int64_t* parent);

// KRVgetcallbacknodelp and KRVgetcallbacklp.
int callback_node_lp(Environment& env, void* cbdata, int wherefrom, Problem** out);
int callback_problem(Environment& env, void* cbdata, int wherefrom, Problem** out);
// KRVgetcallbacknodeobjval (user's sense) and KRVgetcallbacknodestat.
int callback_node_objective(Environment& env, void* cbdata, int wherefrom, double* out);
int callback_node_status(Environment& env, void* cbdata, int wherefrom, int* out);

// Per-column values over begin..end; `fname` names the exported function in
// the range messages.
enum class CallbackVector { NodeX, Incumbent, GlobalLower, GlobalUpper, NodeLower, NodeUpper };
int callback_vector(Environment& env, const char* fname, void* cbdata, int wherefrom, CallbackVector which,
                    double* out, int begin, int end);
int callback_ctype(Environment& env, const char* fname, void* cbdata, int wherefrom, char* out, int begin, int end);
// Columns outside the order report priority 0 and direction 0; either
// output may be null.
int callback_order(Environment& env, const char* fname, void* cbdata, int wherefrom, int* priority,
                   int* direction, int begin, int end);
int callback_pseudocosts(Environment& env, const char* fname, void* cbdata, int wherefrom, double* up,
                         double* down, int begin, int end);
// 0 integer infeasible at the node, 1 feasible, 2 fixed (by the node's
// bounds, or by presolve in the original space).
int callback_int_feasibility(Environment& env, const char* fname, void* cbdata, int wherefrom, int* feas,
                             int begin, int end);

// KRVgetcallbackbranchconstraints in 64-bit positions: the rows of proposed
// child `which_branch`, with the surplus convention.
struct BranchRowsOut {
  int64_t* rows = nullptr;
  int64_t* nzcnt = nullptr;
  double* rhs = nullptr;
  char* sense = nullptr;
  std::vector<int64_t>* begin = nullptr;  // resized to the row count
  int* ind = nullptr;
  double* val = nullptr;
  int64_t space = 0;
  int64_t* surplus = nullptr;
};
int callback_branch_rows(Environment& env, void* cbdata, int wherefrom, int which_branch, const BranchRowsOut& out);

// KRVgetcallbacksosinfo and KRVgetcallbackindicatorinfo.
int callback_sos_info(Environment& env, void* cbdata, int wherefrom, int sosindex, int member, int whichinfo,
                      void* result);
int callback_indicator_info(Environment& env, void* cbdata, int wherefrom, int iindex, int whichinfo,
                            void* result);

}  // namespace korva::mip
