// KRVgetcallbackinfo, KRVgetcallbacknodeinfo and the queries about the
// node and the problem of a call.
#include "mip/callback_queries.h"

#include <algorithm>
#include <cmath>

#include "env/threads.h"
#include "mip/callback_node_lp.h"
#include "mip/callback_query_support.h"
#include "mip/callback_space.h"
#include "mip/cuts/cut.h"
#include "mip/kappa_stats.h"
#include "mip/node_log.h"
#include "simplex/core/run_monitor.h"

namespace korva::mip {

using cbq::Answer;

namespace {

constexpr double kNoValue = 1e75;

// The items that count the cuts of one family.
struct CutItem {
  int item;
  int family;
};
constexpr CutItem kCutItems[] = {
    {107, kCliqueCuts},      {108, kCoverCuts},     {110, kFlowCoverCuts}, {111, kGubCoverCuts},
    {112, kImpliedBoundCuts}, {115, kGomoryCuts},    {117, kDisjunctiveCuts}, {119, kFlowPathCuts},
    {120, kMirCuts},         {122, kZeroHalfCuts},  {126, kMcfCuts},
};

// Smallest bound over the open nodes and the node of the call; +inf when
// there is none.
double open_bound(const MipCallbackData& d) {
  double b = d.tree ? d.tree->lowest_bound() : std::numeric_limits<double>::infinity();
  if (d.node) b = std::min(b, d.node->bound);
  return b;
}

// Best bound, minimisation sense.
double best_bound(const MipCallbackData& d) {
  const MipSearchRecord& r = *d.record;
  const double open = open_bound(d);
  if (std::isinf(open) && open > 0) return r.best_bound;  // nothing left open
  return std::max(r.stored_bound, open);
}

int64_t nodes_left(const MipCallbackData& d) {
  const int64_t open = d.tree ? d.tree->size() : d.record->nodes_left;
  return open + (d.node ? 1 : 0);
}

bool has_incumbent(const MipCallbackData& d) {
  return d.record->has_incumbent && std::isfinite(d.record->incumbent_objective);
}

int kappa_item(const MipCallbackData& d, int which, Answer* a) {
  const KappaStats* k = d.kappa;
  if (!k || k->samples() == 0) return 1269;
  switch (which) {
    case 127: *a = Answer::of_double(k->share(k->stable)); break;
    case 128: *a = Answer::of_double(k->share(k->suspicious)); break;
    case 129: *a = Answer::of_double(k->share(k->unstable)); break;
    case 130: *a = Answer::of_double(k->share(k->ill_posed)); break;
    case 131: *a = Answer::of_double(k->max_kappa); break;
    default: *a = Answer::of_double(k->attention()); break;
  }
  return 0;
}

int mip_item(Environment& env, const MipCallbackData& d, int which, Answer* a) {
  for (const CutItem& c : kCutItems)
    if (c.item == which) {
      *a = Answer::of_int(d.record ? d.record->cuts[c.family] : 0);
      return 0;
    }
  const int sense = d.model ? d.model->objsense : (d.record ? d.record->objsense : 1);
  switch (which) {
    case 17:
      *a = Answer::of_pointer(CallbackSpace(d).problem());
      return 0;
    case 19:
      *a = Answer::of_pointer(&env);
      return 0;
    case 113: *a = Answer::of_int(d.clone_number); return 0;
    case 114: *a = Answer::of_int(d.node ? d.node->seqnum : -1); return 0;
    case 116: *a = Answer::of_int(d.node ? d.node->depth : -1); return 0;
    case 118: *a = Answer::of_int(static_cast<int64_t>(d.cuts.size())); return 0;
    case 121: *a = Answer::of_int(static_cast<int64_t>(d.children.size())); return 0;
    case 123: *a = Answer::of_int(d.candidate_source); return 0;
    case 124: *a = Answer::of_int(env.team ? env.team->size() : 1); return 0;
    default: break;
  }
  if (!d.record) return err::kCallbackError;
  const MipSearchRecord& r = *d.record;
  switch (which) {
    case 101:
      *a = Answer::of_double(has_incumbent(d) ? sense * r.incumbent_objective : sense * kNoValue);
      return 0;
    case 102: *a = Answer::of_double(cbq::user_objective(best_bound(d), sense)); return 0;
    case 103: *a = Answer::of_int(r.nodes + r.nested_nodes); return 0;
    case 140: *a = Answer::of_long(r.nodes + r.nested_nodes); return 0;
    case 104: *a = Answer::of_int(nodes_left(d)); return 0;
    case 141: *a = Answer::of_long(nodes_left(d)); return 0;
    case 105: *a = Answer::of_int(r.iterations + r.nested_iterations); return 0;
    case 142: *a = Answer::of_long(r.iterations + r.nested_iterations); return 0;
    case 106: *a = Answer::of_double(cbq::user_objective(r.cutoff, sense)); return 0;
    case 109: *a = Answer::of_int(has_incumbent(d) ? 1 : 0); return 0;
    case 125: {
      if (!has_incumbent(d)) {
        *a = Answer::of_double(kNoValue);
        return 0;
      }
      const double z = sense * r.incumbent_objective;
      const double b = cbq::user_objective(best_bound(d), sense);
      *a = Answer::of_double(relative_gap(sense, z, b));
      return 0;
    }
    default: break;
  }
  if (which >= 127 && which <= 132) return kappa_item(d, which, a);
  return err::kBadArgument;
}

// The continuous optimisers' items (where-values 1 to 10).
int lp_item(Environment& env, const simplex::LpCallbackData& d, int which, Answer* a) {
  switch (which) {
    case KRV_CALLBACK_INFO_PRIMAL_OBJ: *a = Answer::of_double(d.objective); return 0;
    case KRV_CALLBACK_INFO_INFEASIBILITY: *a = Answer::of_double(d.infeasibility); return 0;
    case KRV_CALLBACK_INFO_ITCOUNT: *a = Answer::of_int(d.iterations); return 0;
    case KRV_CALLBACK_INFO_ITCOUNT_LONG: *a = Answer::of_long(d.iterations); return 0;
    case KRV_CALLBACK_INFO_PRIMAL_FEAS: *a = Answer::of_int(d.primal_feasible ? 1 : 0); return 0;
    case KRV_CALLBACK_INFO_DUAL_FEAS: *a = Answer::of_int(d.dual_feasible ? 1 : 0); return 0;
    case KRV_CALLBACK_INFO_ENV: *a = Answer::of_pointer(&env); return 0;
    default: return err::kBadArgument;
  }
}

// The type letter of a node's branch: '0' a column, the set's type for a
// set, 'A' a callback's branch, 'X' anything else.
char type_letter(const MipCallbackData& d, const SearchNode& n) {
  switch (n.branch_type) {
    case 'D':
    case 'U':
      return '0';
    case 'L':
    case 'R':
      if (d.model && n.branch_set >= 0 && n.branch_set < static_cast<int>(d.model->sos.size()))
        return static_cast<char>('0' + d.model->sos[n.branch_set].type);
      return 'X';
    case 'A':
      return 'A';
    default:
      return 'X';
  }
}

int node_item(const MipCallbackData& d, const SearchNode& n, bool current, int which, Answer* a) {
  const int sense = d.model ? d.model->objsense : 1;
  switch (which) {
    case 201:
      *a = Answer::of_double(current ? d.sum_infeasibility : n.sum_infeasibility);
      return 0;
    case 202: *a = Answer::of_int(current ? d.num_infeasible : n.num_infeasible); return 0;
    case 203: *a = Answer::of_double(cbq::user_objective(n.estimate, sense)); return 0;
    case 204: *a = Answer::of_int(n.depth); return 0;
    case 222: *a = Answer::of_long(n.depth); return 0;
    case 205: *a = Answer::of_double(cbq::user_objective(n.bound, sense)); return 0;
    case 206: *a = Answer::of_char(type_letter(d, n)); return 0;
    case 207: *a = Answer::of_int(n.branch_col >= 0 ? CallbackSpace(d).space_col(n.branch_col) : -1); return 0;
    case 208: *a = Answer::of_int(n.branch_set >= 0 ? n.branch_set : -1); return 0;
    case 209: *a = Answer::of_int(n.seqnum); return 0;
    case 220: *a = Answer::of_long(n.seqnum); return 0;
    case 210: *a = Answer::of_pointer(n.user_handle); return 0;
    default: return err::kBadArgument;
  }
}

}  // namespace

bool answers_inside_info_callback(int wherefrom, int whichinfo) {
  // The continuous optimisers' items are all informational.
  if (wherefrom >= 1 && wherefrom <= 10) return true;
  const bool where_ok = wherefrom == 101 || (wherefrom >= 107 && wherefrom <= 111) || wherefrom == 117 ||
                        wherefrom == 118;
  const bool item_ok = whichinfo == 19 || (whichinfo >= 101 && whichinfo <= 123) ||
                       (whichinfo >= 125 && whichinfo <= 132) || (whichinfo >= 140 && whichinfo <= 142);
  return where_ok && item_ok;
}

int callback_info(Environment& env, void* cbdata, int wherefrom, int whichinfo, void* result) {
  if (wherefrom < 1 || wherefrom > 118 || wherefrom == 112 || (wherefrom > 10 && wherefrom < 101))
    return err::kBadArgument;
  if (!result) return err::kNullPointer;
  Answer a;
  if (wherefrom <= 10) {
    if (!cbdata) return err::kCallbackError;
    if (int code = lp_item(env, *static_cast<const simplex::LpCallbackData*>(cbdata), whichinfo, &a)) return code;
    return cbq::store(a, result);
  }
  const MipCallbackData* d = callback_data_of(cbdata);
  if (!d) return err::kCallbackError;
  if (int code = mip_item(env, *d, whichinfo, &a)) return code;
  return cbq::store(a, result);
}

int callback_node_info(Environment&, void* cbdata, int wherefrom, int64_t nodeindex, int whichinfo,
                       void* result) {
  MipCallbackData* d = nullptr;
  if (int code = cbq::find_record(cbdata, wherefrom, cbq::node_where, &d)) return code;
  const bool open = wherefrom == where::kNodeSelection;
  if (!open && nodeindex != 0) return err::kBadArgument;
  if (!result) return err::kNullPointer;
  const SearchNode* node = d->node;
  if (open) {
    bool in_file = false;
    node = d->tree ? d->tree->open_node(nodeindex, &in_file) : nullptr;
    if (in_file) return 3504;
    if (!node) return err::kIndexRange;
  } else if (!node && whichinfo != 201 && whichinfo != 202) {
    return err::kBadArgument;
  }
  Answer a;
  static const SearchNode kNoNode;
  if (int code = node_item(*d, node ? *node : kNoNode, !open, whichinfo, &a)) return code;
  return cbq::store(a, result);
}

int callback_seq_info(Environment&, void* cbdata, int wherefrom, int64_t* seqnum, int64_t* parent) {
  MipCallbackData* d = nullptr;
  if (int code = cbq::find_record(cbdata, wherefrom, cbq::node_where, &d)) return code;
  if (!d->node) return err::kBadArgument;
  if (!seqnum || !parent) return err::kNullPointer;
  *seqnum = d->node->seqnum;
  *parent = d->node->parent_seqnum;
  return 0;
}

int callback_node_lp(Environment&, void* cbdata, int wherefrom, Problem** out) {
  MipCallbackData* d = nullptr;
  if (int code = cbq::find_record(cbdata, wherefrom, cbq::node_where, &d)) return code;
  if (!d->domain || !d->model) return err::kBadArgument;
  if (!out) return err::kNullPointer;
  int status = 0;
  *out = build_node_lp(*d, &status);
  return status;
}

int callback_problem(Environment&, void* cbdata, int wherefrom, Problem** out) {
  MipCallbackData* d = nullptr;
  if (int code = cbq::find_record(cbdata, wherefrom, cbq::mip_where, &d)) return code;
  if (!out) return err::kNullPointer;
  Problem* p = CallbackSpace(*d).problem();
  if (!p) return err::kBadArgument;
  *out = p;
  return 0;
}

int callback_node_objective(Environment&, void* cbdata, int wherefrom, double* out) {
  MipCallbackData* d = nullptr;
  if (int code = cbq::find_record(cbdata, wherefrom, cbq::mip_where, &d)) return code;
  if (!d->x || !d->has_objective) return err::kBadArgument;
  if (!out) return err::kNullPointer;
  *out = (d->model ? d->model->objsense : 1) * d->objective;
  return 0;
}

int callback_node_status(Environment&, void* cbdata, int wherefrom, int* out) {
  MipCallbackData* d = nullptr;
  if (int code = cbq::find_record(cbdata, wherefrom, cbq::cut_where, &d)) return code;
  if (!out) return err::kNullPointer;
  *out = d->node_status;
  return 0;
}

}  // namespace korva::mip
