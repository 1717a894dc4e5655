// Pieces the heuristics share: stopping, LP solves within the budget, the
// objective of a point, rounding a column's value into its domain, and
// turning a candidate point into a solution worth returning.
#pragma once
#include <cstddef>
#include <vector>

#include "mip/heuristics/heuristic_context.h"

namespace korva::mip {

// Time limit, deterministic time limit, terminate request or an empty
// iteration budget.
bool heuristic_should_stop(const HeuristicContext& ctx);

// Solves the LP where it stands within the budget (dual simplex, `cutoff`
// in the minimisation sense ends it early). Returns 0 or an error code.
int heuristic_solve(HeuristicContext& ctx, double cutoff, LpSolve& out);

double objective_of(const MipModel& model, const std::vector<double>& x);

// True when every column of the model is binary (integer within [0, 1]).
bool pure_binary(const MipModel& model);
bool is_binary(const MipModel& model, int j);

// Whether value v of integer column j is integral within the tolerance.
bool integral_value(const HeuristicContext& ctx, int j, double v);

// The value of column j nearest to `v` that its domain and kind admit,
// rounded down (direction -1), up (+1) or to the nearest (0).
double rounded_value(const HeuristicContext& ctx, int j, double v, int direction);

// x (integer columns at or near integers) settled on the model: true when
// its integer columns sit exactly on integers, it satisfies the model and
// beats the cutoff; `objective` is its objective then.
bool settle_candidate(const HeuristicContext& ctx, std::vector<double>& x, double* objective);

// The integer columns fixed at round(values) in the domain, propagated,
// and the LP solved for the other columns: true with a settled solution
// in x that beats the cutoff. The domain and the LP bounds are as before
// afterwards (the basis is not).
int complete_with_fixed_integers(HeuristicContext& ctx, const std::vector<double>& values, std::vector<double>& x,
                                 double* objective, bool* found);

// Accepts x as it is when it settles, else completes its integer part by
// the LP (when the model has other columns).
int accept_or_complete(HeuristicContext& ctx, std::vector<double>& x, double* objective, bool* found);

// Undoes the domain to the mark taken at construction and brings the
// LP's bounds along, on every exit.
class DomainScope {
 public:
  explicit DomainScope(HeuristicContext& ctx) : ctx_(ctx), mark_(ctx.domain.mark()) {}
  ~DomainScope() { restore(); }
  DomainScope(const DomainScope&) = delete;
  DomainScope& operator=(const DomainScope&) = delete;
  void restore() {
    ctx_.domain.undo(mark_);
    ctx_.lp.sync(ctx_.domain);
  }
  size_t mark() const { return mark_; }

 private:
  HeuristicContext& ctx_;
  size_t mark_;
};

}  // namespace korva::mip
