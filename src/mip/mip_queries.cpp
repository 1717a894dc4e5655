#include "mip/mip_queries.h"

#include <cmath>

#include "env/errors.h"
#include "mip/node_log.h"
#include "mip/search_record.h"

namespace korva::mip {

namespace {

constexpr double kNoValue = 1e75;

int find(Problem& p, MipSearchRecord** out) {
  if (!p.is_mip()) return 3003;
  *out = find_search_record(p);
  return *out ? 0 : err::kNoSolution;
}

// An infinite internal value is reported as 1e75 in the user's sense.
double reported(double internal, int objsense) {
  const double v = std::isinf(internal) ? (internal > 0 ? kNoValue : -kNoValue) : internal;
  return objsense * v;
}

}  // namespace

int get_mip_counter(Environment&, Problem& p, MipCounter which, int64_t* value) {
  MipSearchRecord* r = nullptr;
  if (int code = find(p, &r)) return code;
  switch (which) {
    case MipCounter::Nodes:
      *value = r->nodes + r->nested_nodes;
      break;
    case MipCounter::NodesLeft:
      *value = r->nodes_left;
      break;
    case MipCounter::Iterations:
      *value = r->iterations + r->nested_iterations;
      break;
    case MipCounter::IncumbentNode:
      *value = r->has_incumbent ? r->incumbent_node : -1;
      break;
    case MipCounter::SubStatus:
      *value = r->sub_status;
      break;
    case MipCounter::SubMethod:
      *value = r->sub_method;
      break;
  }
  return 0;
}

int get_mip_value(Environment&, Problem& p, MipValue which, double* value) {
  if (!value) return err::kNullPointer;
  MipSearchRecord* r = nullptr;
  if (int code = find(p, &r)) return code;
  switch (which) {
    case MipValue::BestBound:
      *value = reported(r->best_bound, r->objsense);
      break;
    case MipValue::Cutoff:
      *value = reported(r->cutoff, r->objsense);
      break;
    case MipValue::RelativeGap:
      *value = relative_gap(r->objsense, reported(r->incumbent_objective, r->objsense),
                            reported(r->best_bound, r->objsense));
      break;
  }
  return 0;
}

}  // namespace korva::mip
