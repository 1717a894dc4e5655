// The parameter values one search runs with, read once at its start.
#pragma once
#include <cstdint>

#include "env/environment.h"

namespace korva::mip {

struct SearchSettings {
  double gap = 1e-4;            // KRV_PARAM_EPGAP
  double absolute_gap = 1e-6;   // KRV_PARAM_EPAGAP
  double integrality = 1e-5;    // KRV_PARAM_EPINT
  double feasibility = 1e-6;    // KRV_PARAM_EPRHS
  double optimality = 1e-6;     // KRV_PARAM_EPOPT
  double cutoff_user = 1e75;    // KRV_PARAM_CUTUP (minimise) or KRV_PARAM_CUTLO (maximise), user sense
  double objdif = 0.0;          // KRV_PARAM_OBJDIF
  double relobjdif = 0.0;       // KRV_PARAM_RELOBJDIF
  int64_t node_limit = 0;       // KRV_PARAM_NODELIM
  int64_t solution_limit = 0;   // KRV_PARAM_INTSOLLIM
  int64_t iteration_limit = 0;  // KRV_PARAM_ITLIM
  double tree_limit_bytes = 0;  // KRV_PARAM_TRELIM in bytes
  int display = 2;              // KRV_PARAM_MIPDISPLAY
  int64_t interval = 0;         // KRV_PARAM_MIPINTERVAL
  int search_method = 0;        // KRV_PARAM_MIPSEARCH
  int varsel = 0;               // KRV_PARAM_VARSEL
  int nodesel = 1;              // KRV_PARAM_NODESEL
  double backtrack = 0.9999;    // KRV_PARAM_BTTOL
  int brdir = 0;                // KRV_PARAM_BRDIR
  int divetype = 0;             // KRV_PARAM_DIVETYPE
  int kappa_stats = 0;          // KRV_PARAM_MIPKAPPASTATS: 1 a sample of the node LPs, 2 all
  bool use_order = true;        // KRV_PARAM_MIPORDIND
  int strong_candidates = 10;   // KRV_PARAM_STRONGCANDLIM
  int64_t strong_iterations = 0;// KRV_PARAM_STRONGITLIM (0: automatic)
  int64_t heuristic_frequency = 0;  // KRV_PARAM_HEURFREQ (-1 off, 0 automatic)
  // Heuristics. RINS runs every rins_frequency nodes (-1: never, see
  // stored_rins_frequency); the sub-MIP heuristics search with
  // submip_node_limit nodes.
  int64_t rins_frequency = -1;       // KRV_PARAM_RINSHEUR as stored
  bool local_branching = false;      // KRV_PARAM_LBHEUR
  int feasibility_pump = 0;          // KRV_PARAM_FPHEUR (-1 off, 0 automatic, 1 feasibility, 2 then objective)
  int64_t submip_node_limit = 500;   // KRV_PARAM_SUBMIPNODELIM
  int64_t repair_tries = 0;          // KRV_PARAM_REPAIRTRIES
  int emphasis = 0;                  // KRV_PARAM_MIPEMPHASIS
  uint32_t random_seed = 201109222;  // the environment's random seed
  // Internal switches of the root sequence: the special heuristic of pure
  // binary problems, and when the end-of-root heuristic runs (-1 never,
  // 0 without incumbent unless the pump is off, 1 without incumbent, 2 always).
  bool binary_heuristic = true;
  int end_of_root_heuristic = 0;
  int scaling = 0;              // KRV_PARAM_SCAIND
  int simplex_display = 0;      // simplex log inside the search (display 5)
  int threads = 1;
  bool deterministic = false;
  int clock_type = 2;           // KRV_PARAM_CLOCKTYPE
  int repeat_presolve = -1;     // KRV_PARAM_REPEATPRESOLVE (0 in a search that is itself repeated)
  // Root cuts: pass limit (-1 none, 0 automatic), growth of the row count,
  // cuts per family, rows aggregated for one MIR cut, and the family
  // switches by family index (-1 off, 0 automatic, 1 and up on).
  long long cut_passes = 0;     // KRV_PARAM_CUTPASS
  double cuts_factor = 4.0;     // KRV_PARAM_CUTSFACTOR
  long long each_cut_limit = 2100000000;  // KRV_PARAM_EACHCUTLIM
  int aggregation_limit = 3;    // KRV_PARAM_AGGCUTLIM
  long long fraction_passes = 0;  // KRV_PARAM_FRACPASS (0 automatic)
  int probe = 0;                // KRV_PARAM_PROBE (-1 off, 0 automatic, 1 to 3 harder)
  double probe_time = 1e75;     // KRV_PARAM_PROBETIME
  int fraction_candidates = 200;  // KRV_PARAM_FRACCAND
  int cut_switch[11] = {};      // KRV_PARAM_COVERS ... KRV_PARAM_MCFCUTS
  int symmetry = -1;            // KRV_PARAM_SYMMETRY (-1 automatic, 0 off, 1 to 5 harder)
  bool root_lp_reported = false;  // the root cut rounds wrote the root relaxation time
  // Polishing start conditions (polishing replaces the search from there).
  double polish_after_gap = 0.0;           // KRV_PARAM_POLISHAFTEREPGAP (0: none)
  double polish_after_absolute_gap = 0.0;  // KRV_PARAM_POLISHAFTEREPAGAP (0: none)
  int64_t polish_after_node = 0;           // KRV_PARAM_POLISHAFTERNODE
  int64_t polish_after_solutions = 0;      // KRV_PARAM_POLISHAFTERINTSOL
  double polish_after_time = 1e75;         // KRV_PARAM_POLISHAFTERTIME as the caller set it
};

// The switch parameters of the cut families 0 to 10, in family order.
inline constexpr int kCutFamilyParams[11] = {KRV_PARAM_COVERS,    KRV_PARAM_GUBCOVERS, KRV_PARAM_FLOWCOVERS,
                                             KRV_PARAM_CLIQUES,   KRV_PARAM_FRACCUTS,  KRV_PARAM_MIRCUTS,
                                             KRV_PARAM_FLOWPATHS, KRV_PARAM_DISJCUTS,  KRV_PARAM_IMPLBD,
                                             KRV_PARAM_ZEROHALFCUTS, KRV_PARAM_MCFCUTS};

SearchSettings read_search_settings(Environment& env, int objsense);

// KRV_PARAM_RINSHEUR as the search keeps it: 0 and -1 mean no periodic
// run (-1), -2 means every 100 nodes, any other value stays.
int64_t stored_rins_frequency(long long value);

}  // namespace korva::mip
