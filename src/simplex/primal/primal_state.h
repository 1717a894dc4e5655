// The state of one primal simplex run, shared by its parts: the pricing
// (column_pricing), the ratio test (primal_ratio_test), the bound
// perturbation and shifts (primal_bounds) and the main loop (primal_loop).
//
// Reduced costs dj and row duals y belong to the phase's cost vector: the
// working costs in phase II, in phase I a cost of -1 for every basic
// variable below its lower bound and +1 for one above its upper bound
// (zero elsewhere), whose objective is the sum of infeasibilities.
#pragma once
#include <cmath>
#include <cstdint>
#include <vector>

#include "simplex/core/simplex_run.h"
#include "simplex/core/simplex_work.h"
#include "simplex/sparse_vector.h"

namespace korva::simplex {

struct PrimalScratch : AlgorithmScratch {
  SparseVector col_aq;   // B⁻¹ times the entering column (by position)
  SparseVector row_ep;   // row of B⁻¹ of the leaving position (by row)
  SparseVector row_ap;   // pivot row over the structural columns
  SparseVector col_tau;  // B⁻ᵀ·col_aq, for the steepest-edge update
  SparseVector y;        // row duals of the phase's costs (dense)
  SparseVector work_m;   // scratch for recomputations
  std::vector<double> phase1_cost;  // per variable
  std::vector<int8_t> move;         // per variable: move_of, kept current
  std::vector<double> weight;       // devex or steepest-edge weight per variable
  std::vector<char> reference;      // devex reference framework
  std::vector<int> enter_count;     // per structural: times it entered (ratio-test score)
  // Ratio-test candidates: position, step to the bound, |alpha|, and
  // whether the bound is the lower one.
  std::vector<int> candidate;
  std::vector<double> candidate_ratio, candidate_pivot;
  std::vector<char> candidate_lower;
  // Phase I breakpoints where an infeasible basic variable becomes
  // feasible: position, step, |alpha|, bound; and their order.
  std::vector<int> pass_row;
  std::vector<double> pass_ratio, pass_pivot;
  std::vector<char> pass_lower;
  std::vector<int> pass_order;

  void size(int m, int n);
};

// The value of move_of for a variable free to move either way.
constexpr int kMoveEither = 2;

// How fast the objective improves when a variable with move `mv` and
// reduced cost d moves its feasible way (0 when it cannot move; negative
// when moving would not improve).
inline double improvement_rate(int mv, double d) { return mv == kMoveEither ? std::fabs(d) : -mv * d; }

struct PrimalState {
  PrimalState(Environment& env, const Problem& p, SimplexWork& w, const SimplexSettings& settings,
              PrimalScratch& s);

  Environment& env;
  const Problem& problem;
  SimplexWork& w;
  const SimplexSettings& settings;
  PrimalScratch& s;
  const SimplexLp& lp;
  int m, n, nv;

  // Feasibility tolerance t_f, its working copy (perturbation lowers it,
  // the phase I rules tighten and relax it) and the optimality tolerance.
  double feas_tol;
  double feas_tol_work;
  double opt_tol;

  int phase = 2;
  double objective = 0.0;  // Σ work_cost·x in phase II
  int infeasible_count = 0;
  double infeasibility_sum = 0.0;

  // Counters of the run.
  int64_t iterations = 0;
  int64_t phase1_iterations = 0;
  bool after_repair = false;  // a singularity repair happened in this run

  const double* cost() const { return phase == 1 ? s.phase1_cost.data() : w.work_cost.data(); }

  // Signed violation of basic position r against its working bounds with
  // tolerance t: negative below the lower bound, positive above the upper.
  double violation(int r, double t) const {
    const double x = w.x_basic[r];
    if (x < w.basic_lower[r] - t) return x - w.basic_lower[r];
    if (x > w.basic_upper[r] + t) return x - w.basic_upper[r];
    return 0.0;
  }
  // Phase I costs of the basic variables from their values; counts and
  // sums the infeasibilities. True when a cost changed.
  bool refresh_phase1_costs();
  // Sum of infeasibilities with tolerance t (without changing anything).
  double measure_infeasibility(double t, int* count) const;

  // Values from scratch on the current factor.
  void recompute_primal();
  void recompute_duals();
  void recompute_objective();
  // Nonbasic j may move up (+1), down (-1), both ways (kMoveEither) or not
  // at all (0: basic, fixed, or dropped because of singularity).
  int move_of(int j) const;
  void refresh_moves();
  // Exact reduced cost of j from the current duals.
  double exact_reduced_cost(int j) const;
};

// row_ap = row_epᵀ·A over the structural columns (core/pivot_row.h).
void primal_pivot_row(PrimalState& st);

}  // namespace korva::simplex
