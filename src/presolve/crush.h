// Crush and uncrush of vectors and linear forms between the original and
// the reduced problem, and the basic presolve that only reports bounds.
#pragma once
#include "model/problem.h"
#include "presolve/presolve_record.h"

namespace korva::presolve {

// The record the crush functions need: 1103 without a reduced problem,
// 1031 for quadratic constraints, 1018 for a quadratic objective.
int crushable_record(Problem& p, PresolveRecord** rec);

void crush_x(const PresolveRecord& rec, const double* x, double* prex);
void crush_pi(const Problem& p, const PresolveRecord& rec, const double* pi, double* prepi);
// Substitutes the removed columns of the form sum val[k]·x[ind[k]] by their
// values or defining rows. 1200 for an index outside the problem.
int crush_form(const Problem& p, const PresolveRecord& rec, int len, const int* ind, const double* val,
               int* plen, double* offset, int* pind, double* pval);

void uncrush_x(const Problem& p, const PresolveRecord& rec, const double* prex, double* x);
void uncrush_pi(const Problem& p, const PresolveRecord& rec, const double* prepi, double* pi);
int uncrush_form(const PresolveRecord& rec, int plen, const int* pind, const double* pval, int* len,
                 double* offset, int* ind, double* val);

// Bounds after a presolve of primal reductions only and the rows it
// removes (rstat 1). Any output may be null. Returns 0 or a verdict code.
int basic_presolve(Environment& env, Problem& p, double* lb, double* ub, int* rstat);

}  // namespace korva::presolve
