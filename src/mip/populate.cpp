#include "mip/populate.h"

#include <algorithm>
#include <cstdint>

#include "env/channel.h"
#include "env/time_limit.h"
#include "mip/mip_optimize.h"
#include "mip/mip_run.h"
#include "mip/search_record.h"
#include "mip/search_settings.h"
#include "mip/solution_pool.h"
#include "model/model.h"

namespace korva::mip {

namespace {

constexpr long long kNoCountLimit = 9223372036800000000LL;
constexpr long long kNoPopulateLimit = 2100000000LL;
constexpr double kNoTimeLimit = 1e74;

// The parameters populate may change for its phases, given back on return.
class SavedPopulateParams {
 public:
  explicit SavedPopulateParams(Environment& env) : env_(env) {
    for (int number : kCutFamilyParams) keep(number);
    for (int number : kOthers) keep(number);
  }
  ~SavedPopulateParams() {
    for (const auto& [number, slot] : saved_) env_.params.slot(number) = slot;
  }
  SavedPopulateParams(const SavedPopulateParams&) = delete;
  SavedPopulateParams& operator=(const SavedPopulateParams&) = delete;

 private:
  void keep(int number) { saved_.push_back({number, env_.params.slot(number)}); }
  static constexpr int kOthers[] = {
      KRV_PARAM_CUTPASS,     KRV_PARAM_HEURFREQ,      KRV_PARAM_RINSHEUR,   KRV_PARAM_LBHEUR,
      KRV_PARAM_FPHEUR,      KRV_PARAM_POPULATELIM,   KRV_PARAM_INTSOLLIM,  KRV_PARAM_NODELIM,
      KRV_PARAM_NODESEL,     KRV_PARAM_BTTOL,         KRV_PARAM_REPEATPRESOLVE, KRV_PARAM_SOLNPOOLINTENSITY,
      KRV_PARAM_TILIM,       KRV_PARAM_DETTILIM,      KRV_PARAM_ITLIM,      KRV_PARAM_REDUCE,
      KRV_PARAM_SYMMETRY};
  Environment& env_;
  std::vector<std::pair<int, ParamSlot>> saved_;
};

// The status populate ends with, as the solution queries read it.
void set_status(Problem& p, int status) {
  if (MipSearchRecord* record = find_search_record(p)) record->status = status;
  if (auto* sol = dynamic_cast<MipSolution*>(p.derived.solution.get())) sol->status = status;
  p.derived.status = status;
}

bool stops_populate(int status) {
  switch (status) {
    case 103: case 110: case 112: case 117: case 118: case 119: case 134:
      return true;
    default:
      return false;
  }
}

// Charges phase I's use to a limit; true when nothing is left of it.
bool charge(ParamSlot& limit, long long used) {
  limit.i = std::max(0LL, limit.i - used);
  return limit.i <= 0;
}

// The settings of the enumeration: nothing may remove solutions that are
// not optimal (dual reductions, symmetry breaking), and a higher
// intensity trades the bound for enumeration speed.
void enumeration_settings(Environment& env, int intensity) {
  ParamSlot& reduce = env.params.slot(KRV_PARAM_REDUCE);
  if (reduce.i == 2) reduce.i = 0;
  if (reduce.i == 3) reduce.i = 1;
  env.params.slot(KRV_PARAM_SYMMETRY).i = 0;
  env.params.slot(KRV_PARAM_REPEATPRESOLVE).i = 0;
  if (intensity >= 3)
    for (int number : kCutFamilyParams) env.params.slot(number).i = -1;
  if (intensity >= 4) {
    env.params.slot(KRV_PARAM_CUTPASS).i = -1;
    env.params.slot(KRV_PARAM_HEURFREQ).i = -1;
  }
}

}  // namespace

int populate(Environment& env, Problem& p) {
  if (int code = model::complete(env, p)) return code;
  if (p.type != KRVPROB_MILP && p.type != KRVPROB_MIQP && p.type != KRVPROB_MIQCP) return 3003;
  if (env.int_param(KRV_PARAM_SOLNPOOLCAPACITY) == 0) {
    msg(env.warning(), "Warning: the solution pool needs a positive capacity in order to be populated.\n");
    return 0;
  }
  SavedPopulateParams saved(env);
  const bool display = env.int_param(KRV_PARAM_MIPDISPLAY) != 0;
  const MipSearchRecord* earlier = find_search_record(p);
  const bool proved = earlier && (earlier->status == 101 || earlier->status == 102);
  int intensity = env.int_param(KRV_PARAM_SOLNPOOLINTENSITY);
  if (intensity == 0) intensity = proved ? 2 : 1;

  SolutionPool& pool = prepare_solution_pool(env, p);
  const int64_t offered_before = pool.offered_total();
  const int before = pool.num_solutions();
  if (!proved) {
    if (display) msg(env.results(), "\nPopulate: phase I \n");
    const double started = current_time(env);
    const uint64_t ticks_started = env.ticks.now();
    if (int code = mip_optimize(env, p)) return code;
    const MipSearchRecord* record = find_search_record(p);
    if (!record) return 0;
    if (stops_populate(record->status)) return 0;
    const bool incumbent = record->has_incumbent;
    ParamSlot& tilim = env.params.slot(KRV_PARAM_TILIM);
    if (tilim.d < kNoTimeLimit) {
      tilim.d -= current_time(env) - started;
      if (tilim.d <= 0.0) {
        set_status(p, incumbent ? 107 : 108);
        return 0;
      }
    }
    ParamSlot& dettilim = env.params.slot(KRV_PARAM_DETTILIM);
    if (dettilim.d < kNoTimeLimit) {
      dettilim.d -= static_cast<double>(env.ticks.now() - ticks_started) / kTicksPerDetSecond;
      if (dettilim.d <= 0.0) {
        set_status(p, incumbent ? 131 : 132);
        return 0;
      }
    }
    ParamSlot& nodelim = env.params.slot(KRV_PARAM_NODELIM);
    if (nodelim.i < kNoCountLimit && charge(nodelim, record->nodes + record->nested_nodes)) {
      set_status(p, incumbent ? 105 : 106);
      return 0;
    }
    ParamSlot& itlim = env.params.slot(KRV_PARAM_ITLIM);
    if (itlim.i < kNoCountLimit && charge(itlim, record->iterations + record->nested_iterations)) {
      set_status(p, incumbent ? 133 : 134);
      return 0;
    }
    const long long limit = env.int_param(KRV_PARAM_POPULATELIM);
    if (limit < kNoPopulateLimit && limit + before - pool.num_solutions() < 1) return 0;
  }

  if (display) msg(env.results(), "\nPopulate: phase II \n");
  const MipSearchRecord* record = find_search_record(p);
  if (record && (record->status == 101 || record->status == 102)) pool.proved_optimal = true;
  enumeration_settings(env, intensity);
  const int64_t stop = offered_before + env.int_param(KRV_PARAM_POPULATELIM);
  return mip_populate_search(env, p, stop);
}

}  // namespace korva::mip
