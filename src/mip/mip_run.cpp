#include "mip/mip_run.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "env/channel.h"
#include "mip/mip_presolve.h"
#include "model/model.h"

namespace korva::mip {

// A "no solution" status once an incumbent exists.
int feasible_twin(int status) {
  switch (status) {
    case 106:
      return 105;
    case 108:
      return 107;
    case 114:
      return 113;
    case 132:
      return 131;
    case 134:
      return 133;
    default:
      return status;
  }
}

void take_reduced_incumbent(const Problem& p, const MipModel& model, const presolve::PresolveRecord& rec,
                            MipSearchRecord& record) {
  if (!record.has_incumbent) return;
  std::vector<double> x;
  uncrush_values(p, rec, record.incumbent, x);
  double objective = 0.0;
  for (int j = 0; j < model.num_cols; ++j) objective += model.cost[j] * x[j];
  record.incumbent = std::move(x);
  record.incumbent_objective = objective;
}

int nested_search(Environment& env, Problem& p, const MipModel& model, const presolve::PresolveRecord& rec,
                  std::unique_ptr<MipSearchRecord>& record, int* status_out) {
  Problem& red = *rec.reduced;
  const int code = run_mip(env, red, MipRun::Presolved);
  if (find_search_record(red)) {
    record.reset(static_cast<MipSearchRecord*>(red.derived.mip_search.release()));
    take_reduced_incumbent(p, model, rec, *record);
  }
  *status_out = record->status;
  return code;
}

int repeat_presolve(Environment& env, Problem& sp, const std::vector<BoundChange>& fixings, double offset,
                    int display, MipSearchRecord& record, int* status_out) {
  if (display != 0) msg(env.results(), "Repeating presolve.\n");
  int code = 0;
  Problem* copy = model::clone_problem(env, sp, &code);
  if (!copy) return code;
  struct Owned {
    Problem* p;
    ~Owned() { model::free_problem(p); }
  } owned{copy};
  std::vector<int> cols;
  std::vector<char> sides;
  std::vector<double> values;
  for (const BoundChange& c : fixings) {
    if (std::isfinite(c.lower) && c.lower > copy->lower(c.col)) {
      cols.push_back(c.col);
      sides.push_back('L');
      values.push_back(c.lower);
    }
    if (std::isfinite(c.upper) && c.upper < copy->upper(c.col)) {
      cols.push_back(c.col);
      sides.push_back('U');
      values.push_back(c.upper);
    }
  }
  if (!cols.empty())
    if (int e = model::chg_bounds(env, *copy, static_cast<int>(cols.size()), cols.data(), sides.data(), values.data()))
      return e < 0 ? -e : e;
  const int cutoff_param = record.objsense > 0 ? KRV_PARAM_CUTUP : KRV_PARAM_CUTLO;
  ParamSlot& cutoff = env.params.slot(cutoff_param);
  const ParamSlot saved_cutoff = cutoff;
  if (record.has_incumbent) {
    const double z = record.objsense * (record.incumbent_objective - offset);
    cutoff.d = record.objsense > 0 ? std::min(cutoff.d, z) : std::max(cutoff.d, z);
  }
  // The node and iteration limits hold for both searches together.
  ParamSlot& node_limit = env.params.slot(KRV_PARAM_NODELIM);
  ParamSlot& iteration_limit = env.params.slot(KRV_PARAM_ITLIM);
  const ParamSlot saved_nodes = node_limit, saved_iterations = iteration_limit;
  node_limit.i = std::max<long long>(0, node_limit.i - record.nodes);
  iteration_limit.i = std::max<long long>(0, iteration_limit.i - record.iterations);
  // The root's incumbent carries over as the first incumbent.
  const int error = run_mip(env, *copy, MipRun::Repeated, 0, record.has_incumbent ? &record.incumbent : nullptr);
  cutoff = saved_cutoff;
  node_limit = saved_nodes;
  iteration_limit = saved_iterations;
  MipSearchRecord* inner = find_search_record(*copy);
  if (!inner) return error;
  record.nodes += inner->nodes;
  record.nested_nodes += inner->nested_nodes;
  record.iterations += inner->iterations;
  record.nested_iterations += inner->nested_iterations;
  record.sub_status = inner->sub_status;
  record.sub_method = inner->sub_method;
  record.bc_time += inner->root_time + inner->bc_time;
  int status = inner->status;
  if (inner->has_incumbent) {
    // The root's incumbent started the inner search and counted there once.
    const bool started = record.has_incumbent;
    if (!started || inner->incumbent_objective + offset < record.incumbent_objective) {
      record.incumbent = inner->incumbent;
      record.incumbent_objective = inner->incumbent_objective + offset;
      record.incumbent_node = inner->incumbent_node;
    }
    record.has_incumbent = true;
    record.improvements += started ? std::max<int64_t>(0, inner->improvements - 1) : inner->improvements;
  } else if (record.has_incumbent) {
    // Nothing better than the root's incumbent exists, or none was found.
    status = status == 103 || status == 119 ? 101 : feasible_twin(status);
  }
  record.best_bound = inner->best_bound + offset;
  if (record.has_incumbent) record.best_bound = std::min(record.best_bound, record.incumbent_objective);
  record.stored_bound = record.best_bound;
  record.cutoff = std::min(record.cutoff, inner->cutoff + offset);
  record.tree = std::move(inner->tree);
  record.nodes_left = inner->nodes_left;
  *status_out = status;
  return error;
}

}  // namespace korva::mip
