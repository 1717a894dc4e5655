#include "mip/mip_presolve.h"

#include "env/channel.h"
#include "env/errors.h"
#include "env/time_limit.h"
#include "mip/search_record.h"
#include "presolve/postsolve.h"
#include "presolve/presolve_driver.h"

namespace korva::mip {

int presolve_for_search(Environment& env, Problem& p, int display, PresolveRound round, MipPresolve& out) {
  out = MipPresolve{};
  if (env.int_param(KRV_PARAM_PREIND) == 0) return 0;
  const double start = current_time(env);
  const bool messages = display != 0 && env.int_param(hidden_param::kPresolveMessages) != 0;
  const presolve::PresolveSettings settings = presolve::settings_from_params(env, 2, messages);
  const int code = presolve::presolve_mip(env, p, settings, round != PresolveRound::First, false);
  if (display != 0)
    msg(env.results(), round == PresolveRound::Repeated ? "Represolve time = %7.2f sec.\n" : "Presolve time = %7.2f sec.\n",
        current_time(env) - start);
  if (code == err::kNoMemory) {
    // The search can do without: it takes the problem as it is.
    msg(env.results(), "Insufficient memory for presolve.\n");
    return 0;
  }
  out.reduce = settings.reduce;
  if (presolve::is_verdict(code)) {
    out.code = code;
    return 0;
  }
  if (code != 0) return code;
  out.record = presolve::find_record(p);
  return 0;
}

int verdict_mip_status(int code) {
  switch (code) {
    case presolve::kPresolveInfeasible:
      return 103;
    case presolve::kPresolveUnbounded:
      return 118;
    case presolve::kPresolveInfOrUnbd:
      return 119;
    case presolve::kPresolveAborted:
      return 114;
    case presolve::kPresolveTimeLimit:
      return 108;
    case presolve::kPresolveDetTimeLimit:
      return 132;
    default:
      return 0;
  }
}

int reduction_status(int status, int reduce, bool has_incumbent) {
  if (status == 103 && (reduce == 2 || reduce == 3)) status = 119;
  if (status == 118 && (reduce == 1 || reduce == 3)) status = 119;
  if (status == 119 && has_incumbent) status = 118;
  return status;
}

void store_presolve_verdict(Problem& p, int code, int reduce) {
  auto record = std::make_unique<MipSearchRecord>();
  record->objsense = p.objsense();
  record->status = reduction_status(verdict_mip_status(code), reduce, false);
  if (record->status == 103 || record->status == 118 || record->status == 119) record->finished_status = record->status;
  auto sol = std::make_unique<MipSolution>();
  sol->status = record->status;
  p.derived.status = record->status;
  p.derived.values_valid = false;
  p.derived.solution = std::move(sol);
  p.derived.mip_search = std::move(record);
}

void uncrush_values(const Problem& original, const presolve::PresolveRecord& rec, const std::vector<double>& reduced,
                    std::vector<double>& x) {
  // Postsolve reads a null x as "no values": a reduced problem without
  // columns still has its (empty) solution.
  static const double kNoColumns = 0.0;
  presolve::ReducedSolution in;
  in.x = reduced.empty() ? &kNoColumns : reduced.data();
  presolve::OriginalSolution out;
  presolve::postsolve(original, rec, in, out);
  x = std::move(out.x);
}

PriorityOrder crush_order(const PriorityOrder& order, const presolve::PresolveRecord& rec) {
  PriorityOrder crushed;
  for (size_t k = 0; k < order.indices.size(); ++k) {
    const int j = rec.col_map[order.indices[k]];
    if (j < 0) continue;
    crushed.indices.push_back(j);
    crushed.priority.push_back(order.priority[k]);
    crushed.direction.push_back(order.direction[k]);
  }
  return crushed;
}

}  // namespace korva::mip
