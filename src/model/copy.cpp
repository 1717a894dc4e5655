// Whole-model replacement (KRVcopylp, KRVcopylpwnames and the file
// readers). The new LP data is built completely before the old model is
// touched, so a failure leaves the problem as it was.
#include "env/errors.h"
#include "model/datacheck.h"
#include "model/edit_support.h"

namespace korva::model {
namespace {

struct LpArrays {
  int ncols, nrows, objsense;
  const double *obj, *rhs;
  const char* sense;
  const int64_t* matbeg;
  const int *matcnt, *matind;
  const double *matval, *lb, *ub, *rngval;
  const char* const* colnames;
  const char* const* rownames;
};

int check_nulls(const LpArrays& a) {
  if (a.ncols > 0 && (!a.obj || !a.lb || !a.ub || !a.matbeg || !a.matcnt))
    return err::kNullPointer;
  if (a.nrows > 0 && (!a.rhs || !a.sense)) return err::kNullPointer;
  for (int j = 0; j < a.ncols; ++j)
    if (a.matcnt[j] > 0 && (!a.matind || !a.matval)) return err::kNullPointer;
  return 0;
}

int check_input(Environment& env, const LpArrays& a, const check::Packed& m) {
  if (!check::enabled(env)) return check::matrix_bounds(m);
  if (int s = check::objsense(a.objsense)) return s;
  if (int s = check::doubles(env, a.obj, a.ncols)) return s;
  if (int s = check::doubles(env, a.rhs, a.nrows)) return s;
  if (int s = check::doubles(env, a.lb, a.ncols)) return s;
  if (int s = check::doubles(env, a.ub, a.ncols)) return s;
  if (int s = check::doubles(env, a.rngval, a.nrows)) return s;
  if (int s = check::senses(env, a.sense, a.nrows)) return s;
  if (int s = check::ranged_rows(a.sense, a.nrows, a.rngval)) return s;
  if (int s = check::matrix(env, m)) return s;
  if (int s = check::names(env, a.colnames, a.ncols)) return s;
  return check::names(env, a.rownames, a.nrows);
}

void fill_names(NameStore& store, const char* const* names, int n, char letter) {
  if (!names) return;
  detail::NameAppend append;
  append.plan(store, 0, n, names, letter);
  append.write(store, 0, n, names, letter);
}

LpData build(const LpData& old, const LpArrays& a) {
  LpData d;
  d.name = old.name;
  d.objname = old.objname;
  d.num_cols = a.ncols;
  d.num_rows = a.nrows;
  d.objsense = a.objsense;
  d.obj.assign(a.obj, a.obj + a.ncols);
  d.lb.assign(a.lb, a.lb + a.ncols);
  d.ub.assign(a.ub, a.ub + a.ncols);
  d.rhs.assign(a.rhs, a.rhs + a.nrows);
  d.sense.assign(a.sense, a.sense + a.nrows);
  d.has_range = a.rngval != nullptr;
  if (a.rngval)
    d.range.assign(a.rngval, a.rngval + a.nrows);
  else
    d.range.assign(static_cast<size_t>(a.nrows), 0.0);
  d.matrix.assign(a.ncols, a.matbeg, a.matcnt, a.matind, a.matval);
  fill_names(d.col_names, a.colnames, a.ncols, 'x');
  fill_names(d.row_names, a.rownames, a.nrows, 'c');
  return d;
}

// Everything copy_lp checks before it builds the new data.
int check_lp(Environment& env, const Problem& lp, const LpArrays& a) {
  if (int status = check_modifiable(lp)) return status;
  if (a.ncols < 0 || a.nrows < 0) return err::kBadArgument;
  if (int status = check_nulls(a)) return status;
  check::Packed m;
  m.vectors = a.ncols;
  m.begin = a.matbeg;
  m.count = a.matcnt;
  m.index = a.matind;
  m.value = a.matval;
  m.other_dim = a.nrows;
  m.column_major = true;
  return check_input(env, a, m);
}

// Puts the fully built replacement in place. Nothing here allocates: the
// replacement cannot fail half-way.
void install(Environment& env, Problem& lp, LpData& fresh) {
  lp.buffer = ModificationBuffer();
  detail::discard_parts(env, lp, true, true, true);
  lp.user_cuts.reset();
  lp.lazy_constraints.reset();
  std::swap(lp.lp, fresh);
  if (!detail::is_internal_type(lp.type)) lp.type = KRVPROB_LP;
  raise_event(lp, ChangeEvent::ReplaceModel);
}

// What build() makes of the handed-over arrays, moving them.
LpData build_taken(const LpData& old, LpHandover& p) {
  LpData d;
  d.name = old.name;
  d.objname = old.objname;
  d.num_cols = static_cast<int>(p.obj.size());
  d.num_rows = static_cast<int>(p.rhs.size());
  d.objsense = p.objsense;
  d.has_range = !p.range.empty();
  // The allocations come first: until the moves the handover is intact.
  if (!d.has_range) d.range.assign(p.rhs.size(), 0.0);
  d.matrix.adopt(std::move(p.matbeg), std::move(p.matcnt), std::move(p.matind),
                 std::move(p.matval));
  if (d.has_range) d.range = std::move(p.range);
  d.obj = std::move(p.obj);
  d.lb = std::move(p.lb);
  d.ub = std::move(p.ub);
  d.rhs = std::move(p.rhs);
  d.sense = std::move(p.sense);
  d.col_names = std::move(p.col_names);
  d.row_names = std::move(p.row_names);
  return d;
}

}  // namespace

int copy_lp(Environment& env, Problem& lp, int ncols, int nrows, int objsense,
            const double* obj, const double* rhs, const char* sense, const int64_t* matbeg,
            const int* matcnt, const int* matind, const double* matval, const double* lb,
            const double* ub, const double* rngval, const char* const* colnames,
            const char* const* rownames) {
  const LpArrays a{ncols, nrows, objsense, obj,    rhs, sense,   matbeg,  matcnt,
                   matind, matval, lb,       ub,    rngval, colnames, rownames};
  if (int status = check_lp(env, lp, a)) return status;
  LpData fresh = build(lp.lp, a);
  install(env, lp, fresh);
  return 0;
}

int take_lp(Environment& env, Problem& lp, LpHandover& p) {
  // Pointers into possibly empty arrays: a count of 0 reads none of them.
  static const double kNoDouble = 0.0;
  static const char kNoChar = 0;
  static const int64_t kNoPosition = 0;
  static const int kNoIndex = 0;
  auto doubles = [](const std::vector<double>& v) { return v.empty() ? &kNoDouble : v.data(); };
  // The names are stored already and cannot be null, which is all that
  // copy_lp checks of them.
  const LpArrays a{static_cast<int>(p.obj.size()),
                   static_cast<int>(p.rhs.size()),
                   p.objsense,
                   doubles(p.obj),
                   doubles(p.rhs),
                   p.sense.empty() ? &kNoChar : p.sense.data(),
                   p.matbeg.empty() ? &kNoPosition : p.matbeg.data(),
                   p.matcnt.empty() ? &kNoIndex : p.matcnt.data(),
                   p.matind.empty() ? &kNoIndex : p.matind.data(),
                   doubles(p.matval),
                   doubles(p.lb),
                   doubles(p.ub),
                   p.range.empty() ? nullptr : p.range.data(),
                   nullptr,
                   nullptr};
  if (int status = check_lp(env, lp, a)) return status;
  LpData fresh = build_taken(lp.lp, p);
  install(env, lp, fresh);
  return 0;
}

}  // namespace korva::model
