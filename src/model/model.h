// Internal operations on problems: the 64-bit implementations behind the
// exported model functions, used by the API wrappers, the file readers and
// the optimisers. Names passed here are UTF-8 (the wrappers convert from the
// interface encoding). Each returns 0 or an error code, positive when not
// yet printed and negated once printed; a failed operation leaves the
// problem unchanged. `fname` arguments name the exported function in the
// 1205/1206 range messages.
//
// Operations that read the model apply the modification buffer first; so do
// the editors, except chg_coef and chg_bounds, which write into the buffer
// when they address a pending row or column.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "model/problem.h"

namespace korva::model {

// ---- problem object -------------------------------------------------------
// Creation and destruction (the problem is tracked in env's owned list).
Problem* create_problem(Environment& env, const char* name_utf8, int* status);
void free_problem(Problem* lp);
// Independent copy in `env` of the model, names and optional parts; derived
// state is not copied.
Problem* clone_problem(Environment& env, Problem& src, int* status);
// 1023 for a problem that cannot be edited, else 0.
int check_modifiable(const Problem& lp);

// Replaces the whole model (KRVcopylp / KRVcopylpwnames). Name arrays may be
// null; rngval may be null.
int copy_lp(Environment& env, Problem& lp, int ncols, int nrows, int objsense,
            const double* obj, const double* rhs, const char* sense, const int64_t* matbeg,
            const int* matcnt, const int* matind, const double* matval, const double* lb,
            const double* ub, const double* rngval, const char* const* colnames,
            const char* const* rownames);

// The arrays of a whole model handed over by their owner (the file readers),
// so that take_lp keeps them instead of copying them.
struct LpHandover {
  int objsense = 1;
  std::vector<double> obj, lb, ub;  // per column
  std::vector<double> rhs, range;   // per row; range empty when no row is ranged
  std::vector<char> sense;          // per row
  // Column-major: column j's entries at matbeg[j] .. matbeg[j] + matcnt[j] - 1.
  std::vector<int64_t> matbeg;
  std::vector<int> matcnt, matind;
  std::vector<double> matval;
  NameStore col_names, row_names;  // not present: unnamed
};

// copy_lp with the arrays of `parts`: the same checks, errors and result,
// but the arrays are moved into the model where their layout allows (the
// matrix when its columns lie back to back in column order). They keep
// their spare capacity: room a reader reserved and never wrote is address
// space only, and later additions to the model grow into it. `parts` is
// left unspecified on success and untouched on failure.
int take_lp(Environment& env, Problem& lp, LpHandover& parts);

int set_problem_name(Environment& env, Problem& lp, const char* name_utf8);
int set_objective_name(Environment& env, Problem& lp, const char* name_utf8);
int change_type(Environment& env, Problem& lp, int type);

// ---- queries (begin/end inclusive, surplus convention) ----------------------
// Values of one per-row or per-column array.
enum class Field { Obj, Lb, Ub, Rhs, Range };
int get_values(Environment& env, Problem& lp, const char* fname, Field field, double* out,
               int begin, int end);
int get_senses(Environment& env, Problem& lp, const char* fname, char* out, int begin, int end);
int get_coef(Environment& env, Problem& lp, int i, int j, double* value);
// Matrix slices: vectors begin..end of the column-wise (get_cols) or the
// row-wise matrix. Null nzcnt/surplus give 1004.
int get_cols(Environment& env, Problem& lp, const char* fname, int64_t* nzcnt, int64_t* beg,
             int* ind, double* val, int64_t space, int64_t* surplus, int begin, int end);
int get_rows(Environment& env, Problem& lp, const char* fname, int64_t* nzcnt, int64_t* beg,
             int* ind, double* val, int64_t space, int64_t* surplus, int begin, int end);
// Problem and objective names in the interface encoding.
int get_problem_name(Environment& env, Problem& lp, char* buf, int64_t space, int64_t* surplus);
int get_objective_name(Environment& env, Problem& lp, char* buf, int64_t space,
                       int64_t* surplus);

// ---- additions --------------------------------------------------------------
int new_rows(Environment& env, Problem& lp, int rcnt, const double* rhs, const char* sense,
             const double* rngval, const char* const* rownames);
int add_rows(Environment& env, Problem& lp, int ccnt, int rcnt, int64_t nzcnt,
             const double* rhs, const char* sense, const int64_t* rmatbeg, const int* rmatind,
             const double* rmatval, const char* const* colnames, const char* const* rownames);
int new_cols(Environment& env, Problem& lp, int ccnt, const double* obj, const double* lb,
             const double* ub, const char* ctype, const char* const* colnames);
int add_cols(Environment& env, Problem& lp, int ccnt, int64_t nzcnt, const double* obj,
             const int64_t* cmatbeg, const int* cmatind, const double* cmatval, const double* lb,
             const double* ub, const char* const* colnames);

// ---- deletions --------------------------------------------------------------
int del_rows(Environment& env, Problem& lp, const char* fname, int begin, int end);
int del_cols(Environment& env, Problem& lp, const char* fname, int begin, int end);
// delstat[i] == 1 deletes; on return delstat holds the new indices (-1 deleted).
int del_set_rows(Environment& env, Problem& lp, int* delstat);
int del_set_cols(Environment& env, Problem& lp, int* delstat);

// ---- changes ----------------------------------------------------------------
int chg_coef(Environment& env, Problem& lp, int i, int j, double value);
int chg_coef_list(Environment& env, Problem& lp, int64_t count, const int* rows,
                  const int* cols, const double* values);
// KRVchgbds and KRVtightenbds.
int chg_bounds(Environment& env, Problem& lp, int count, const int* indices, const char* lu,
               const double* bd);
int chg_obj(Environment& env, Problem& lp, int count, const int* indices, const double* values);
int chg_rhs(Environment& env, Problem& lp, int count, const int* indices, const double* values);
int chg_sense(Environment& env, Problem& lp, int count, const int* indices, const char* sense);
int chg_range(Environment& env, Problem& lp, int count, const int* indices,
              const double* values);
int chg_objsense(Environment& env, Problem& lp, int objsense);

// ---- names ------------------------------------------------------------------
enum class Dim { Rows, Cols };
int chg_name(Environment& env, Problem& lp, int key, int index, const char* name_utf8);
int chg_names(Environment& env, Problem& lp, Dim dim, int count, const int* indices,
              const char* const* names);
int del_names(Environment& env, Problem& lp);
// Names begin..end in the interface encoding, back to back in `store`.
int get_names(Environment& env, Problem& lp, Dim dim, const char* fname, char** name,
              char* store, int64_t space, int64_t* surplus, int begin, int end);
// `name` is UTF-8. 1210 (not printed) when no item has that name.
int find_index(Environment& env, Problem& lp, Dim dim, const char* name_utf8, int* index);

// Name of row i / column j for writers: the stored name, else the
// environment's name provider, else the default "c%lld" / "x%lld"; an index
// outside the problem gives "".
std::string row_name(Environment& env, const Problem& lp, int i);
std::string col_name(Environment& env, const Problem& lp, int j);
// Names of the optional parts, stored or default ("s%lld", "i%lld",
// "q%lld", "u%lld", "l%lld"), and whether any is stored.
std::string sos_name(const Problem& lp, int k);
std::string indicator_name(const Problem& lp, int k);
std::string qconstraint_name(const Problem& lp, int k);
std::string pool_row_name(const Problem& lp, int kind, int k);
bool has_sos_names(const Problem& lp);
bool has_indicator_names(const Problem& lp);
bool has_qconstraint_names(const Problem& lp);
bool has_pool_names(const Problem& lp, int kind);

// ---- optional parts carried by the model files ------------------------------
int copy_ctype(Environment& env, Problem& lp, const char* ctype);
int chg_ctype(Environment& env, Problem& lp, int count, const int* indices, const char* ctype);
int get_ctype(Environment& env, Problem& lp, const char* fname, char* ctype, int begin, int end);

int add_sos(Environment& env, Problem& lp, int numsos, int64_t numsosnz, const char* sostype,
            const int64_t* sosbeg, const int* sosind, const double* soswt,
            const char* const* sosnames);
int get_sos(Environment& env, Problem& lp, const char* fname, int64_t* numsosnz, char* sostype,
            int64_t* sosbeg, int* sosind, double* soswt, int64_t space, int64_t* surplus,
            int begin, int end);
int del_sos(Environment& env, Problem& lp, const char* fname, int begin, int end);
int num_sos(const Problem& lp);

int add_indicator(Environment& env, Problem& lp, int indvar, int complemented, int nzcnt,
                  double rhs, char sense, const int* linind, const double* linval,
                  const char* name_utf8);
int get_indicator(Environment& env, Problem& lp, int* indvar, int* complemented, int* nzcnt,
                  double* rhs, char* sense, int* linind, double* linval, int space,
                  int* surplus, int which);
int num_indicators(const Problem& lp);

// kind 0: user cuts, 1: lazy constraints.
int add_row_pool(Environment& env, Problem& lp, int kind, int rcnt, int64_t nzcnt,
                 const double* rhs, const char* sense, const int64_t* rmatbeg,
                 const int* rmatind, const double* rmatval, const char* const* rownames);
int free_row_pool(Environment& env, Problem& lp, int kind);
const RowPool* row_pool(const Problem& lp, int kind);

int copy_quad(Environment& env, Problem& lp, const int64_t* qmatbeg, const int* qmatcnt,
              const int* qmatind, const double* qmatval);
int copy_qpsep(Environment& env, Problem& lp, const double* qsepvec);
int get_quad(Environment& env, Problem& lp, const char* fname, int64_t* nzcnt, int64_t* beg,
             int* ind, double* val, int64_t space, int64_t* surplus, int begin, int end);
int chg_qpcoef(Environment& env, Problem& lp, int i, int j, double value);
int num_quad_cols(const Problem& lp);
int64_t num_quad_nonzeros(const Problem& lp);

int add_qconstr(Environment& env, Problem& lp, int linnzcnt, int64_t quadnzcnt, double rhs,
                char sense, const int* linind, const double* linval, const int* quadrow,
                const int* quadcol, const double* quadval, const char* name_utf8);
int get_qconstr(Environment& env, Problem& lp, int* linnzcnt, int64_t* quadnzcnt, double* rhs,
                char* sense, int* linind, double* linval, int linspace, int* linsurplus,
                int* quadrow, int* quadcol, double* quadval, int64_t quadspace,
                int64_t* quadsurplus, int which);
int del_qconstrs(Environment& env, Problem& lp, const char* fname, int begin, int end);
int num_qconstraints(const Problem& lp);

int copy_order(Environment& env, Problem& lp, int count, const int* indices,
               const int* priority, const int* direction);
int get_order(Environment& env, Problem& lp, int* count, int* indices, int* priority,
              int* direction, int space, int* surplus);

// ---- basis ------------------------------------------------------------------
int copy_basis(Environment& env, Problem& lp, const int* cstat, const int* rstat);
int get_basis(Environment& env, Problem& lp, int* cstat, int* rstat);

// ---- modification buffer ----------------------------------------------------
// Applies the modification buffer (KRVcompletelp and every reader of the model).
int complete(Environment& env, Problem& lp);
// Pending columns, rows and nonzeros (null pointers are skipped).
void cache_counts(const Problem& lp, int* cols, int* rows, int64_t* nonzeros);
int cache_new_cols(Environment& env, Problem& lp, int ccnt, const double* obj, const double* lb,
                   const double* ub, const char* ctype, const char* const* colnames);
int cache_new_rows(Environment& env, Problem& lp, int rcnt, const double* rhs,
                   const char* sense, const double* rngval, const char* const* rownames);
int cache_new_nonzeros(Environment& env, Problem& lp, int64_t nzcnt, const int* rows,
                       const int* cols, const double* values);

// ---- change events ----------------------------------------------------------
// Raises a change event: discards the derived state the event table names.
void raise_event(Problem& lp, ChangeEvent event);

}  // namespace korva::model
