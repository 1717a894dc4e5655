#include "mip/search_settings.h"

namespace korva::mip {

namespace {
constexpr double kMegabyte = 1048576.0;
// Tree limits at or above this many megabytes are no limit.
constexpr double kNoTreeLimit = 1e69;
// KRV_PARAM_RINSHEUR -2: RINS at this node frequency.
constexpr int64_t kAutomaticRinsFrequency = 100;
}  // namespace

int64_t stored_rins_frequency(long long value) {
  if (value == 0 || value == -1) return -1;
  if (value == -2) return kAutomaticRinsFrequency;
  return value;
}

SearchSettings read_search_settings(Environment& env, int objsense) {
  SearchSettings s;
  s.gap = env.dbl_param(KRV_PARAM_EPGAP);
  s.absolute_gap = env.dbl_param(KRV_PARAM_EPAGAP);
  s.integrality = env.dbl_param(KRV_PARAM_EPINT);
  s.feasibility = env.dbl_param(KRV_PARAM_EPRHS);
  s.optimality = env.dbl_param(KRV_PARAM_EPOPT);
  s.cutoff_user = objsense > 0 ? env.dbl_param(KRV_PARAM_CUTUP) : env.dbl_param(KRV_PARAM_CUTLO);
  s.objdif = env.dbl_param(KRV_PARAM_OBJDIF);
  s.relobjdif = env.dbl_param(KRV_PARAM_RELOBJDIF);
  s.node_limit = env.long_param(KRV_PARAM_NODELIM);
  s.solution_limit = env.long_param(KRV_PARAM_INTSOLLIM);
  s.iteration_limit = env.long_param(KRV_PARAM_ITLIM);
  const double trelim = env.dbl_param(KRV_PARAM_TRELIM);
  s.tree_limit_bytes = trelim < kNoTreeLimit ? trelim * kMegabyte : 1e300;
  s.display = env.int_param(KRV_PARAM_MIPDISPLAY);
  s.interval = env.long_param(KRV_PARAM_MIPINTERVAL);
  s.search_method = env.int_param(KRV_PARAM_MIPSEARCH);
  s.varsel = env.int_param(KRV_PARAM_VARSEL);
  s.nodesel = env.int_param(KRV_PARAM_NODESEL);
  s.backtrack = env.dbl_param(KRV_PARAM_BTTOL);
  s.brdir = env.int_param(KRV_PARAM_BRDIR);
  s.divetype = env.int_param(KRV_PARAM_DIVETYPE);
  s.use_order = env.int_param(KRV_PARAM_MIPORDIND) != 0;
  s.strong_candidates = env.int_param(KRV_PARAM_STRONGCANDLIM);
  s.strong_iterations = env.long_param(KRV_PARAM_STRONGITLIM);
  s.heuristic_frequency = env.long_param(KRV_PARAM_HEURFREQ);
  s.rins_frequency = stored_rins_frequency(env.long_param(KRV_PARAM_RINSHEUR));
  s.local_branching = env.int_param(KRV_PARAM_LBHEUR) != 0;
  s.feasibility_pump = env.int_param(KRV_PARAM_FPHEUR);
  s.submip_node_limit = env.long_param(KRV_PARAM_SUBMIPNODELIM);
  s.repair_tries = env.long_param(KRV_PARAM_REPAIRTRIES);
  s.emphasis = env.int_param(KRV_PARAM_MIPEMPHASIS);
  s.random_seed = static_cast<uint32_t>(env.int_param(hidden_param::kRandomSeed));
  s.scaling = env.int_param(KRV_PARAM_SCAIND);
  s.simplex_display = s.display >= 5 ? env.int_param(KRV_PARAM_SIMDISPLAY) : 0;
  s.clock_type = env.int_param(KRV_PARAM_CLOCKTYPE);
  s.polish_after_gap = env.dbl_param(KRV_PARAM_POLISHAFTEREPGAP);
  s.polish_after_absolute_gap = env.dbl_param(KRV_PARAM_POLISHAFTEREPAGAP);
  s.polish_after_node = env.long_param(KRV_PARAM_POLISHAFTERNODE);
  s.repeat_presolve = env.int_param(KRV_PARAM_REPEATPRESOLVE);
  s.cut_passes = env.long_param(KRV_PARAM_CUTPASS);
  s.cuts_factor = env.dbl_param(KRV_PARAM_CUTSFACTOR);
  s.each_cut_limit = env.long_param(KRV_PARAM_EACHCUTLIM);
  s.aggregation_limit = env.int_param(KRV_PARAM_AGGCUTLIM);
  s.fraction_passes = env.long_param(KRV_PARAM_FRACPASS);
  s.probe = env.int_param(KRV_PARAM_PROBE);
  s.probe_time = env.dbl_param(KRV_PARAM_PROBETIME);
  s.symmetry = env.int_param(KRV_PARAM_SYMMETRY);
  s.kappa_stats = env.int_param(KRV_PARAM_MIPKAPPASTATS);
  s.fraction_candidates = env.int_param(KRV_PARAM_FRACCAND);
  for (int k = 0; k < 11; ++k) s.cut_switch[k] = env.int_param(kCutFamilyParams[k]);
  s.polish_after_solutions = env.long_param(KRV_PARAM_POLISHAFTERINTSOL);
  s.polish_after_time = env.dbl_param(KRV_PARAM_POLISHAFTERTIME);
  return s;
}

}  // namespace korva::mip
