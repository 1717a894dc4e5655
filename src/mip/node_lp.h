// The LP relaxation of a search, kept alive across nodes: one internal
// problem object holding the model's rows, the indicator rows and the lazy
// constraints, and the simplex work record on it (scaled data, basis,
// factor, pricing weights). A node changes column bounds and row
// activations in place and re-solves with the dual simplex from the basis
// it has; diving to a child costs a handful of iterations and no
// refactorisation.
//
// Verdicts are checked before the search acts on them: an infeasible node
// needs its Farkas row to prove it on the node's bounds, and the bound a
// node passes on is the Lagrangian bound of its duals on the node's bounds,
// which no rounding of the simplex can push above the node's optimum.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "mip/mip_model.h"
#include "simplex/core/simplex_run.h"
#include "simplex/core/simplex_work.h"
#include "simplex/sparse_vector.h"

namespace korva::mip {

class Domain;

// A basis to hand from a node to its children: one status per variable
// (columns, then the relaxation's rows).
struct CompactBasis {
  std::vector<uint8_t> status;
};

enum class LpOutcome {
  Optimal,     // x and bound valid
  Infeasible,  // proven on the node's bounds
  Cutoff,      // the bound passed the cutoff
  Limit,       // iteration, time or deterministic time limit, or abort (see status)
  Unbounded,   // a feasible point and a ray of unboundedness (x valid)
  Failed,      // no trustworthy answer (numerical trouble)
};

struct LpSolve {
  LpOutcome outcome = LpOutcome::Failed;
  int status = 0;             // the simplex status
  double objective = 0.0;     // minimisation sense (Optimal)
  double bound = 0.0;         // minimisation sense, valid whenever not Failed
  int64_t iterations = 0;
};

struct NodeLpSettings {
  double feasibility_tol = 1e-6;
  double optimality_tol = 1e-6;
  int scaling = 0;
  int display = 0;             // simplex display inside the search
  int64_t iteration_base = 0;  // iterations of the search so far (for KRV_PARAM_ITLIM)
};

class NodeLp {
 public:
  NodeLp();
  ~NodeLp();
  NodeLp(const NodeLp&) = delete;
  NodeLp& operator=(const NodeLp&) = delete;

  // Builds the relaxation of `model` with the domain's bounds and rows
  // (again, when called twice).
  int load(Environment& env, const MipModel& model, const Domain& domain, const NodeLpSettings& settings);

  // Takes over the bound and row changes the domain made since the last call.
  void sync(Domain& domain);

  // Solves from the current basis. `cutoff` (minimisation sense) ends the
  // solve early once the objective passes it. `first` runs the full
  // dual simplex with its exact initial norms (the root).
  int solve(Environment& env, double cutoff, int64_t iteration_limit, bool first, LpSolve& out);

  // Column values in user units of the last solve.
  const std::vector<double>& x() const { return x_; }
  // Reduced costs in user units and the minimisation sense (after Optimal).
  void reduced_costs(std::vector<double>& dj) const;

  void save_basis(CompactBasis& b) const;
  // A basis saved before pool rows joined the model takes them basic.
  void load_basis(const CompactBasis& b);
  // A checkpoint of everything the simplex keeps (basis, values, factor,
  // weights): strong branching tries a child and comes back cheaply.
  void checkpoint();
  void rollback();

  // The basic columns with their positions in the basis (after a solve).
  void basic_columns(std::vector<std::pair<int, int>>& out) const;
  // Row `position` of the basis inverse as multipliers of the user's rows
  // a_i·x + s_i = 0 (s_i the row's logical, -a_i·x): the combination is the
  // tableau row of the column basic there. False without a factor.
  bool tableau_multipliers(int position, std::vector<double>& lambda);
  // An estimate of the 1-norm condition number of the (scaled) basis of
  // the last solve, by a few solves with the factor; 0 without a factor.
  double condition_estimate();

  // Another objective (minimisation sense, one entry per column) for the
  // heuristics that steer the relaxation (the feasibility pump), until
  // restore_objective puts the model's back. Bounds, rows and basis stay.
  void set_objective(const std::vector<double>& cost);
  void restore_objective();
  // Solves with the primal simplex from the current basis: after a change
  // of the objective alone that basis stays primal feasible. The outcome
  // is Optimal (x valid, objective by the model's costs), Unbounded,
  // Limit or Failed; no bound is computed.
  int solve_primal(Environment& env, int64_t iteration_limit, LpSolve& out);

  void set_feasibility_tolerance(double t) { settings_.feasibility_tol = t; }
  double feasibility_tolerance() const { return settings_.feasibility_tol; }
  int num_rows() const { return rows_; }
  const Problem* relaxation() const { return relaxation_; }

 private:
  void set_col_bounds(int j, double lower, double upper);
  void write_cost(int j, double user_cost);
  void set_row_bounds(int row, double lower, double upper);
  bool proves_infeasible() const;
  double recomputed_dual_bound();
  bool solution_holds();
  void read_solution();
  bool take_optimum(LpSolve& out);

  Environment* env_ = nullptr;
  const MipModel* model_ = nullptr;
  Problem* relaxation_ = nullptr;
  simplex::SimplexWork* w_ = nullptr;
  simplex::SimplexSettings settings_;
  int cols_ = 0, rows_ = 0;
  std::vector<double> x_;
  std::vector<int> changed_;
  std::vector<double> row_lo_, row_hi_;  // per relaxation row, when active
  // Scratch of the checks of an optimum: row duals, reduced costs of every
  // variable, row activities and the sizes of their terms.
  SparseVector duals_;
  std::vector<double> check_dj_, activity_, activity_size_;
  struct Saved;
  std::unique_ptr<Saved> saved_;
};

}  // namespace korva::mip
