// The presolve the simplex driver uses: presolve, the kept reduced
// problem, and the mapping of the reduced solution back into the original
// problem's solution record and basis.
#include "presolve/lp_subsystem.h"

#include <memory>
#include <new>

#include "env/errors.h"

#include "presolve/dual_formulation.h"
#include "presolve/postsolve.h"
#include "presolve/presolve_driver.h"
#include "simplex/solution/lp_solution.h"

namespace korva::presolve {

namespace {

using simplex::LpSolution;

void fill_result(PresolveRecord& rec, simplex::PresolveResult& result) {
  result.reduced = rec.reduced;
  result.dual_formulation = rec.dual_formulation;
  result.everything_removed = rec.everything_removed;
}

bool stops_without_cleanup(int status) {
  // Limits and aborts: the clean-up would run past them.
  return status != 1 && status != 2 && status != 3 && status != 4 && status != 5 && status != 6;
}

void store_mapped(Problem& p, const OriginalSolution& sol, const LpSolution* reduced, int status, int method) {
  auto rec = std::make_unique<LpSolution>();
  rec->status = status;
  rec->method = method;
  rec->type = simplex::kBasicSolution;
  rec->primal_feasible = sol.primal_feasible;
  rec->dual_feasible = sol.dual_feasible;
  if (reduced) {
    rec->iterations = reduced->iterations;
    rec->phase1_iterations = reduced->phase1_iterations;
    rec->barrier_iterations = reduced->barrier_iterations;
    rec->cross_primal_push = reduced->cross_primal_push;
    rec->cross_primal_exchange = reduced->cross_primal_exchange;
    rec->cross_dual_push = reduced->cross_dual_push;
    rec->cross_dual_exchange = reduced->cross_dual_exchange;
  }
  rec->has_primal = true;
  rec->has_dual = true;
  rec->objective = sol.objective;
  rec->x = sol.x;
  rec->pi = sol.pi;
  rec->dj = sol.dj;
  const int m = p.num_rows();
  rec->slack.resize(m);
  for (int i = 0; i < m; ++i) {
    const double slack = p.rhs(i) - sol.activity[i];
    rec->slack[i] = p.sense(i) == 'G' ? -slack : slack;
  }
  p.derived.status = status;
  p.derived.values_valid = true;
  p.derived.solution = std::move(rec);
}

// The mapped basis, with the presolved problem's basis it came from.
void store_basis(Problem& p, const OriginalSolution& sol, const PresolveRecord& rec, const Basis* reduced) {
  auto basis = std::make_unique<Basis>();
  basis->cstat = sol.cstat;
  basis->rstat = sol.rstat;
  if (reduced && !rec.dual_formulation) {
    auto kept = std::make_shared<PresolvedBasis>();
    kept->orig_cstat = sol.cstat;
    kept->orig_rstat = sol.rstat;
    kept->orig_col = rec.orig_col;
    kept->orig_row = rec.orig_row;
    kept->cstat = reduced->cstat;
    kept->rstat = reduced->rstat;
    basis->presolved = std::move(kept);
  }
  p.derived.basis = std::move(basis);
}

class LpPresolve final : public simplex::PresolveSubsystem {
 public:
  bool usable(Environment&, Problem& original, const simplex::PresolveRequest&) override {
    const PresolveRecord* rec = find_record(original);
    return rec && rec->valid && rec->orig_cols == original.num_cols() && rec->orig_rows == original.num_rows();
  }

  int presolve(Environment& env, Problem& original, const simplex::PresolveRequest& request,
               simplex::PresolveResult& result) override {
    PresolveSettings settings = settings_from_params(env, request.method, request.messages);
    if (request.force_predual_off) settings.dual_form = -1;
    int code = 0;
    try {
      code = presolve_lp(env, original, settings, false);
    } catch (const std::bad_alloc&) {
      original.derived.presolve.reset();
      code = err::kNoMemory;  // the driver goes on without presolve
    }
    if (is_verdict(code)) {
      result.status = verdict_status(original, code);
      return 0;
    }
    if (code != 0) return code;
    if (PresolveRecord* rec = find_record(original)) fill_result(*rec, result);
    return 0;
  }

  void kept(Environment&, Problem& original, simplex::PresolveResult& result) override {
    if (PresolveRecord* rec = find_record(original)) fill_result(*rec, result);
  }

  int uncrush(Environment&, Problem& original, simplex::PresolveResult&, bool* optimal) override {
    *optimal = false;
    PresolveRecord* rec = find_record(original);
    if (!rec) return 0;
    const LpSolution* reduced = rec->reduced ? simplex::find_lp_solution(*rec->reduced) : nullptr;
    const Basis* basis = rec->reduced ? rec->reduced->derived.basis.get() : nullptr;
    const std::vector<double> none;
    ReducedSolution in;
    PrimalFromDual from_dual;
    int status = 1;
    // The solution is reported as one of the method the caller asked for,
    // also when the other simplex solved the dual formulation.
    int method = reduced ? reduced->method : simplex::kMethodDual;
    if (rec->dual_formulation && rec->reduced) {
      if (!reduced || !reduced->has_primal || !reduced->has_dual || !rec->dual) return 0;
      status = reduced->status;
      // The dual formulation unbounded or infeasible says the LP is
      // infeasible, or unbounded or infeasible: the solve of the original
      // problem that follows tells which and gives its vectors.
      if (status == 2 || status == 3 || status == 4) return 0;
      method = rec->settings.method;
      primal_from_dual(*rec->dual, reduced->x.data(), reduced->pi.data(), basis ? basis->cstat.data() : nullptr,
                       basis ? basis->rstat.data() : nullptr, from_dual);
      in.x = from_dual.x.data();
      in.pi = from_dual.pi.data();
      if (basis) {
        in.cstat = from_dual.cstat.data();
        in.rstat = from_dual.rstat.data();
      }
    } else if (rec->reduced) {
      if (!reduced || !reduced->has_primal) return 0;  // the clean-up starts afresh
      status = reduced->status;
      in.x = reduced->x.data();
      if (reduced->has_dual) in.pi = reduced->pi.data();
      if (basis) {
        in.cstat = basis->cstat.data();
        in.rstat = basis->rstat.data();
      }
    } else {
      // Nothing left to solve: the replay alone gives the solution.
      static const int kNone[1] = {0};
      static const double kZero[1] = {0.0};
      in.x = kZero;
      in.pi = kZero;
      in.cstat = kNone;
      in.rstat = kNone;
    }
    OriginalSolution sol;
    postsolve(original, *rec, in, sol);
    if (!sol.cstat.empty()) store_basis(original, sol, *rec, basis);
    // An optimum the reduced problem could not confirm on its own data
    // (status 5) is mapped like any other: the checks on the original
    // problem, and the clean-up solve there, judge it again.
    if (status == 1 || status == 5) {
      const bool proven = sol.primal_feasible && sol.dual_feasible && sol.basis_complete;
      store_mapped(original, sol, reduced, proven ? 1 : 6, method);
      // Values read off the dual formulation's prices carry its dual
      // tolerance as primal error; the clean-up refactors the mapped basis
      // on the original problem (no iterations when it is optimal).
      *optimal = proven && !rec->dual_formulation;
    } else if (stops_without_cleanup(status)) {
      store_mapped(original, sol, reduced, status, method);
      *optimal = true;
    }
    return 0;
  }

  void release(Environment&, Problem& original) override { original.derived.presolve.reset(); }
};

}  // namespace

simplex::PresolveSubsystem* lp_presolve() {
  static LpPresolve instance;
  return &instance;
}

}  // namespace korva::presolve
