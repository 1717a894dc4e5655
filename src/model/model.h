// Internal operations on problems: the 64-bit implementations behind the
// exported model functions, used by the API wrappers, the file readers and
// the optimisers. Names passed here are UTF-8 (the wrappers convert from the
// interface encoding). Each returns 0 or an error code, positive when not
// yet printed and negated once printed; a failed operation leaves the
// problem unchanged.
#pragma once
#include <cstdint>

#include "model/problem.h"

namespace korva::model {

// Creation and destruction (the problem is tracked in env's owned list).
Problem* create_problem(Environment& env, const char* name_utf8, int* status);
void free_problem(Problem* lp);

// Replaces the whole model (KRVcopylp / KRVcopylpwnames). Name arrays may be
// null; rngval may be null.
int copy_lp(Environment& env, Problem& lp, int ncols, int nrows, int objsense,
            const double* obj, const double* rhs, const char* sense, const int64_t* matbeg,
            const int* matcnt, const int* matind, const double* matval, const double* lb,
            const double* ub, const double* rngval, const char* const* colnames,
            const char* const* rownames);

int set_problem_name(Environment& env, Problem& lp, const char* name_utf8);
int set_objective_name(Environment& env, Problem& lp, const char* name_utf8);

// Optional parts carried by the model files.
int copy_ctype(Environment& env, Problem& lp, const char* ctype);
int add_sos(Environment& env, Problem& lp, int numsos, int64_t numsosnz, const char* sostype,
            const int64_t* sosbeg, const int* sosind, const double* soswt,
            const char* const* sosnames);
// kind 0: user cuts, 1: lazy constraints.
int add_row_pool(Environment& env, Problem& lp, int kind, int rcnt, int64_t nzcnt,
                 const double* rhs, const char* sense, const int64_t* rmatbeg,
                 const int* rmatind, const double* rmatval, const char* const* rownames);
int copy_quad(Environment& env, Problem& lp, const int64_t* qmatbeg, const int* qmatcnt,
              const int* qmatind, const double* qmatval);
int copy_qpsep(Environment& env, Problem& lp, const double* qsepvec);
int add_qconstr(Environment& env, Problem& lp, int linnzcnt, int64_t quadnzcnt, double rhs,
                char sense, const int* linind, const double* linval, const int* quadrow,
                const int* quadcol, const double* quadval, const char* name_utf8);
int add_indicator(Environment& env, Problem& lp, int indvar, int complemented, int nzcnt,
                  double rhs, char sense, const int* linind, const double* linval,
                  const char* name_utf8);
int copy_basis(Environment& env, Problem& lp, const int* cstat, const int* rstat);

// Applies the modification buffer (KRVcompletelp and every reader of the model).
int complete(Environment& env, Problem& lp);

// Raises a change event: discards the derived state the event table names.
void raise_event(Problem& lp, ChangeEvent event);

// Name of row i / column j for writers: the stored name, else the
// environment's name provider, else the default "c%lld" / "x%lld".
std::string row_name(Environment& env, const Problem& lp, int i);
std::string col_name(Environment& env, const Problem& lp, int j);

}  // namespace korva::model
