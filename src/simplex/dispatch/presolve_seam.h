// The seam through which the simplex driver uses a presolve subsystem. The
// driver only knows this interface: presolve the original problem into a
// reduced one, solve that, map the solution back, clean up on the original.
// The library's presolve serves unless another implementation is
// installed with install_presolve() (tests install their own).
#pragma once
#include "model/problem.h"

namespace korva::simplex {

struct PresolveRequest {
  int method = 2;             // the simplex that will solve the reduced problem (1 or 2)
  bool messages = true;       // hidden parameter 1043: presolve may write its summary
  bool force_predual_off = false;  // KRV_PARAM_ADVIND 2 with a start: KRV_PARAM_PREDUAL -1
};

struct PresolveResult {
  // The reduced problem, owned by the presolve record (null: presolve left
  // nothing to solve, or found a verdict).
  Problem* reduced = nullptr;
  // The reduced problem is the dual formulation of the original: the
  // driver solves it with the other simplex.
  bool dual_formulation = false;
  // Presolve removed every row and column: there is nothing to solve and
  // uncrush alone gives the solution.
  bool everything_removed = false;
  // A presolve verdict as a solution status (infeasible, unbounded,
  // infeasible or unbounded, aborted, time limits); 0 when none.
  int status = 0;
};

class PresolveSubsystem {
 public:
  virtual ~PresolveSubsystem() = default;
  // Whether a kept presolved problem still matches `original` and may be
  // reused under `request` (the driver discards it otherwise).
  virtual bool usable(Environment& env, Problem& original, const PresolveRequest& request) = 0;
  // Presolves `original`. Returns 0, 1001 when it ran out of memory (the
  // driver then goes on without presolve), or another error code.
  virtual int presolve(Environment& env, Problem& original, const PresolveRequest& request,
                       PresolveResult& result) = 0;
  // The reduced problem kept from an earlier presolve, when usable.
  virtual void kept(Environment& env, Problem& original, PresolveResult& result) = 0;
  // Maps the reduced solution back into `original` (solution record and
  // basis). *optimal tells whether the mapped basis is optimal there.
  virtual int uncrush(Environment& env, Problem& original, PresolveResult& result, bool* optimal) = 0;
  // Frees a kept presolved problem that is no longer valid.
  virtual void release(Environment& env, Problem& original) = 0;
};

void install_presolve(PresolveSubsystem* subsystem);
PresolveSubsystem* installed_presolve();

}  // namespace korva::simplex
