// The state of one dual simplex run, shared by its parts: the leaving-row
// pricing (row_pricing), the pivot row (pivot_row), the ratio test
// (dual_ratio_test), the updates (dual_update), the cost perturbation and
// the phase I boxes (dual_phase), sequenced by the main loop (dual_loop).
//
// Everything by position has m entries, everything by variable n + m. The
// arrays live in DualScratch, which the work record keeps between runs, so
// a warm start allocates nothing.
#pragma once
#include <algorithm>
#include <cstdint>
#include <vector>

#include "simplex/core/simplex_run.h"
#include "simplex/core/simplex_work.h"
#include "simplex/sparse_vector.h"

namespace korva::simplex {

// Direction a nonbasic variable may move in: up from its lower bound, down
// from its upper bound, both ways (free), or not at all (basic, fixed).
enum Move : int8_t { kMoveNone = 0, kMoveUp = 1, kMoveDown = -1, kMoveFree = 2 };

struct DualScratch : AlgorithmScratch {
  SparseVector row_ep;    // row of B⁻¹ of the leaving position (by row)
  SparseVector row_ap;    // pivot row over the structural columns
  SparseVector col_aq;    // B⁻¹ times the entering column (by position)
  SparseVector col_bfrt;  // B⁻¹ times the bound flips' columns
  SparseVector col_dse;   // B⁻¹ times row_ep, for the steepest-edge update
  SparseVector work_m;    // scratch for recomputations
  std::vector<int8_t> move;     // per variable
  std::vector<double> infeas;   // per position: squared primal infeasibility, 0 when feasible
  // Bit r of word r / 64 is set exactly when infeas[r] is not 0, so that
  // leaving-row pricing visits the infeasible rows only, still in row order.
  std::vector<uint64_t> infeasible_rows;
  void set_infeas(int r, double value) {
    infeas[r] = value;
    const uint64_t bit = uint64_t{1} << (r & 63);
    uint64_t& word = infeasible_rows[static_cast<size_t>(r) >> 6];
    word = (word & ~bit) | (value != 0.0 ? bit : 0);
  }
  bool any_infeasible() const {
    return std::any_of(infeasible_rows.begin(), infeasible_rows.end(), [](uint64_t word) { return word != 0; });
  }
  // Ratio test candidates and the flips it chose.
  std::vector<int> candidate;
  std::vector<double> candidate_alpha;  // |alpha| of the candidate
  std::vector<double> candidate_dual;   // its reduced cost in its feasible direction
  std::vector<int> group_end;           // candidate groups of the bound-flipping test
  std::vector<int> flips;
  std::vector<double> zero_cost;  // per variable, for the feasibility test
  // Devex reference framework (per variable).
  std::vector<char> reference;
  // Rows whose duals a singularity repair fixed: the variable removed there.
  std::vector<int> fixed_vars;

  void size(int m, int n);
};

struct DualState {
  DualState(Environment& env, const Problem& p, SimplexWork& w, const SimplexSettings& settings,
            DualScratch& s);

  Environment& env;
  const Problem& problem;
  SimplexWork& w;
  const SimplexSettings& settings;
  DualScratch& s;
  const SimplexLp& lp;
  int m, n, nv;

  // Tolerances: primal feasibility, and the working and original dual
  // (optimality) tolerances; perturbation lowers the working one.
  double primal_tol;
  double dual_tol;
  double dual_tol_original;

  int phase = 2;
  // The costs the working costs return to when perturbation and shifts
  // are removed: the problem's, or zeros while only feasibility matters.
  const std::vector<double>* base_cost = nullptr;
  double objective = 0.0;  // Σ work_cost·x, kept up to date by the updates

  // The current iteration.
  int row_out = -1;       // leaving position
  int var_out = -1;       // leaving variable
  double delta = 0.0;     // its infeasibility: value minus the violated bound
  int var_in = -1;        // entering variable
  double alpha_row = 0.0; // pivot from the pivot row
  double alpha_col = 0.0; // pivot from the entering column
  double theta_dual = 0.0;
  double theta_primal = 0.0;

  // Counters of the run.
  int64_t iterations = 0;
  int64_t phase1_iterations = 0;
  int64_t shifts = 0;
  int64_t shift_limit = 0;
  bool shifted = false;

  // Row r's primal infeasibility against its basic variable's working bounds.
  double infeasibility(int r) const {
    const double x = w.x_basic[r];
    if (x < w.basic_lower[r] - primal_tol) return x - w.basic_lower[r];
    if (x > w.basic_upper[r] + primal_tol) return x - w.basic_upper[r];
    return 0.0;
  }
  void refresh_infeasibility(int r) {
    const double d = infeasibility(r);
    s.set_infeas(r, d * d);
  }
  void refresh_all_infeasibilities();
  // The move of nonbasic variable j from its status and working bounds.
  int8_t move_of(int j) const;
  void refresh_moves();
  // Objective recomputed from scratch.
  void recompute_objective();
};

}  // namespace korva::simplex
