// The simplex state a problem object keeps between optimisations: the
// internal problem (simplex_lp.h) with its scaling, the basis, the values of
// every variable, the factor and the pricing weights. Both simplex methods
// work on this record; it hangs in the problem's derived.work slot, so an
// edit that invalidates it discards it (model/events.cpp) and one that
// only changes bounds, costs or right-hand sides keeps it for a warm start.
//
// Arrays by variable have n + m entries (structurals, then logicals); arrays
// by basis position have m.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "model/problem.h"
#include "simplex/core/simplex_lp.h"
#include "simplex/lu/lu_factor.h"
#include "simplex/lu/refactor_driver.h"
#include "simplex/lu/singular_repair.h"
#include "simplex/scaling.h"
#include "simplex/sparse_vector.h"

namespace korva::simplex {

// Status of a variable. A nonbasic structural that the singularity repair
// took out of the basis carries kFixedBySingularity on top of its status
// until the run that made it clears it.
enum VarStatus : uint8_t {
  kAtLower = 0,
  kBasic = 1,
  kAtUpper = 2,
  kSuperbasic = 3,  // nonbasic between its bounds, or free
  kFixedBySingularity = 32,
};
inline uint8_t base_status(uint8_t s) { return s & 3; }
inline bool is_basic(uint8_t s) { return (s & 3) == kBasic; }

// Scratch arrays an algorithm keeps between its runs (sized once, reused by
// warm starts). Each algorithm derives its own.
struct AlgorithmScratch {
  virtual ~AlgorithmScratch() = default;
};

// Values given by KRVcopystart, kept until the next run uses them (user
// units, any of them may be empty).
struct StartVectors {
  std::vector<double> col_primal, row_primal, col_dual, row_dual;
};

struct SimplexWork : AttachedPart {
  SimplexLp lp;
  ScalingRecord scaling;
  int scaling_mode = -3;       // KRV_PARAM_SCAIND the data were loaded with
  bool matrix_loaded = false;  // lp holds the problem's matrix

  // Basis: the variable basic in each position and every variable's status.
  bool has_basis = false;
  std::vector<int> basic_index;
  std::vector<uint8_t> status;

  // Values. x holds nonbasic values (basic entries are refreshed by
  // sync_basic_values); x_basic, by position, is authoritative for basic
  // variables. dj is the reduced cost of every variable (0 for basics).
  std::vector<double> x;
  std::vector<double> x_basic;
  std::vector<double> dj;
  // Bounds and costs the algorithm works with (perturbation, shifts, the
  // dual phase I boxes change these; lp keeps the originals), and the
  // working bounds of the basic variables by position.
  std::vector<double> work_lower, work_upper, work_cost;
  std::vector<double> basic_lower, basic_upper;

  // Factor of the current basis.
  lu::LuFactor lu;
  lu::FactorControl factor_control;
  bool factor_valid = false;
  const TickArea* factor_ticks = nullptr;  // the tick area the factor charges
  std::vector<lu::RepairRecord> repairs;  // scratch of the refactorisation driver
  // Scratch of the recomputations of basic values and duals (residuals,
  // the sizes of the terms they sum, the correction solve).
  std::vector<double> residual_work, residual_size;
  SparseVector refine_work;

  // Dual pricing weights by position and the pricing mode they belong to
  // (-1: none); kept for warm starts when the basis is unchanged.
  std::vector<double> dual_weights;
  int dual_weight_mode = -1;
  // Whether the problem has the ±1 structure that the dual prices by devex
  // (-1: not decided yet; decided once per loaded matrix).
  int unit_structure = -1;

  std::unique_ptr<AlgorithmScratch> dual_scratch, primal_scratch;
  std::unique_ptr<StartVectors> start;

  // The row that proved infeasibility in the last dual run (-1: none) and
  // the row of the basis inverse it defines, by row, in user units.
  int farkas_row = -1;
  std::vector<double> farkas_y;
  double farkas_proof = 0.0;
  // The variable whose move proved unboundedness in the last primal run,
  // and its direction (+1 up, -1 down); -1 when none did.
  int ray_var = -1;
  int ray_direction = 0;

  // Bounds, costs and right-hand sides are read again at every run, so
  // edits of those keep the basis, its factor and the weights.
  bool keep_after_partial_reset(int event) override;

  int num_rows() const { return lp.num_rows; }
  int num_vars() const { return lp.num_vars(); }
  // Copies x_basic into x for the basic variables.
  void sync_basic_values();
};

// The work record of a problem, created when missing.
SimplexWork& simplex_work(Problem& p);
// The work record when one exists (null otherwise).
SimplexWork* find_simplex_work(Problem& p);

}  // namespace korva::simplex
