// Column types. Setting types makes a continuous problem a mixed-integer
// one; a binary column whose upper bound is still infinite gets the upper
// bound 1 it would have had if it had been created binary.
#include "env/errors.h"
#include "model/datacheck.h"
#include "model/edit_support.h"

namespace korva::model {
namespace {

// Applies type t to column j; true when the bounds changed.
bool set_type(Problem& lp, int j, char t) {
  lp.mip->ctype[j] = t;
  if (t != 'B' || lp.lp.ub[j] < kInfinity) return false;
  lp.lp.ub[j] = 1.0;
  return true;
}

void finish(Problem& lp, bool bounds_changed) {
  raise_event(lp, ChangeEvent::ColumnTypes);
  if (bounds_changed) raise_event(lp, ChangeEvent::Bounds);
  detail::follow_parts(lp);
}

}  // namespace

int copy_ctype(Environment& env, Problem& lp, const char* ctype) {
  if (int status = detail::begin_edit(env, lp)) return status;
  const int n = lp.num_cols();
  if (!ctype && n > 0) return err::kNullPointer;
  if (int s = detail::check_column_types(env, ctype, n)) return s;
  if (!lp.mip) lp.mip = detail::new_mip_data(n);
  bool bounds_changed = false;
  for (int j = 0; j < n; ++j) bounds_changed |= set_type(lp, j, ctype[j]);
  finish(lp, bounds_changed);
  return 0;
}

int chg_ctype(Environment& env, Problem& lp, int count, const int* indices, const char* ctype) {
  if (int status = detail::begin_edit(env, lp)) return status;
  if (count < 0) return err::kBadArgument;
  if (count > 0 && (!indices || !ctype)) return err::kNullPointer;
  if (int s = check::index_list(env, indices, count, lp.num_cols(), false)) return s;
  if (int s = detail::check_column_types(env, ctype, count)) return s;
  if (!lp.mip) lp.mip = detail::new_mip_data(lp.num_cols());
  bool bounds_changed = false;
  for (int k = 0; k < count; ++k) bounds_changed |= set_type(lp, indices[k], ctype[k]);
  finish(lp, bounds_changed);
  return 0;
}

int get_ctype(Environment& env, Problem& lp, const char* fname, char* ctype, int begin, int end) {
  if (int status = detail::begin_read(env, lp)) return status;
  if (!ctype && begin <= end) return err::kNullPointer;
  if (int status = check_range(&env, fname, begin, end, lp.num_cols())) return status;
  if (!lp.mip) return err::kNotMip;
  for (int j = begin; j <= end; ++j) ctype[j - begin] = lp.ctype(j);
  return 0;
}

}  // namespace korva::model
