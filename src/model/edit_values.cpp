// Changes of values: objective, right-hand sides, senses, ranges, bounds and
// matrix coefficients.
#include <cmath>
#include <vector>

#include "env/channel.h"
#include "env/errors.h"
#include "model/datacheck.h"
#include "model/edit_support.h"

namespace korva::model {
namespace {

// Argument checks shared by the list editors: count, null arrays, indices.
int check_list(Environment& env, int64_t count, const int* indices, const void* values,
               int limit, bool rows) {
  if (count < 0) return err::kBadArgument;
  if (count > 0 && (!indices || !values)) return err::kNullPointer;
  return check::index_list(env, indices, count, limit, rows);
}

int change_doubles(Environment& env, Problem& lp, int count, const int* indices,
                   const double* values, bool rows, ChangeEvent event) {
  if (int status = detail::begin_edit(env, lp)) return status;
  const int limit = rows ? lp.num_rows() : lp.num_cols();
  if (int status = check_list(env, count, indices, values, limit, rows)) return status;
  if (check::enabled(env))
    if (int s = check::doubles(env, values, count)) return s;
  std::vector<double>* target = nullptr;
  switch (event) {
    case ChangeEvent::ObjList: target = &lp.lp.obj; break;
    case ChangeEvent::RhsList: target = &lp.lp.rhs; break;
    default: target = &lp.lp.range; lp.lp.has_range = lp.lp.has_range || count > 0; break;
  }
  for (int k = 0; k < count; ++k) (*target)[indices[k]] = values[k];
  raise_event(lp, event);
  return 0;
}

// Value of a nonbasic column in the basis's primal point.
double nonbasic_value(const Problem& lp, int j, int status) {
  if (status == KRV_AT_UPPER) return lp.upper(j);
  if (status == KRV_AT_LOWER) return lp.lower(j);
  return 0.0;
}

void set_matrix_entry(Problem& lp, int i, int j, double value) {
  ColumnMatrix& a = lp.lp.matrix;
  a.ensure_free(a.room_needed(j, 1));
  const int k = a.find(j, i);
  const double old = k < 0 ? 0.0 : a.values(j)[k];
  a.set(i, j, value);
  Basis* basis = lp.derived.basis.get();
  const int status = basis && j < static_cast<int>(basis->cstat.size()) ? basis->cstat[j] : KRV_BASIC;
  if (status == KRV_BASIC) {
    raise_event(lp, ChangeEvent::Pattern);
    return;
  }
  // A nonbasic column keeps its value, so the rows' activities move by the
  // change of the coefficient times that value and the basis stays valid.
  if (!basis->row_activity.empty())
    basis->row_activity[i] += (value - old) * nonbasic_value(lp, j, status);
  raise_event(lp, ChangeEvent::MatrixNonbasic);
}

// Bound normalisation: tiny values become 0, infinite ones are clipped to
// 1e20 or ignored with a warning when they would make the column empty.
bool normalise_lower(Environment& env, double& v) {
  if (std::fabs(v) < 1e-10) v = 0.0;
  if (v >= kInfinity) {
    msg(env.warning(), "Warning:  Infinity lower bound ignored.\n");
    return false;
  }
  if (v <= -kInfinity) v = -kInfinity;
  return true;
}

bool normalise_upper(Environment& env, double& v) {
  if (std::fabs(v) < 1e-10) v = 0.0;
  if (v <= -kInfinity) {
    msg(env.warning(), "Warning:  -Infinity upper bound ignored.\n");
    return false;
  }
  if (v >= kInfinity) v = kInfinity;
  return true;
}

}  // namespace

int chg_obj(Environment& env, Problem& lp, int count, const int* indices, const double* values) {
  return change_doubles(env, lp, count, indices, values, false, ChangeEvent::ObjList);
}

int chg_rhs(Environment& env, Problem& lp, int count, const int* indices, const double* values) {
  return change_doubles(env, lp, count, indices, values, true, ChangeEvent::RhsList);
}

int chg_range(Environment& env, Problem& lp, int count, const int* indices,
              const double* values) {
  return change_doubles(env, lp, count, indices, values, true, ChangeEvent::Ranges);
}

int chg_sense(Environment& env, Problem& lp, int count, const int* indices, const char* sense) {
  if (int status = detail::begin_edit(env, lp)) return status;
  if (int status = check_list(env, count, indices, sense, lp.num_rows(), true)) return status;
  if (check::enabled(env))
    if (int s = check::senses(env, sense, count)) return s;
  for (int k = 0; k < count; ++k) lp.lp.sense[indices[k]] = sense[k];
  raise_event(lp, ChangeEvent::Senses);
  return 0;
}

int chg_objsense(Environment& env, Problem& lp, int objsense) {
  if (int status = detail::begin_edit(env, lp)) return status;
  if (int status = check::objsense(objsense)) return status;
  lp.lp.objsense = objsense;
  raise_event(lp, ChangeEvent::ObjSense);
  return 0;
}

int chg_coef(Environment& env, Problem& lp, int i, int j, double value) {
  if (int status = check_modifiable(lp)) return status;
  // Pending rows and columns of the modification buffer are addressable.
  const ModificationBuffer& buf = lp.buffer;
  const int rows = lp.num_rows() + buf.num_rows, cols = lp.num_cols() + buf.num_cols;
  if (i < -1 || i >= rows || j < -2 || j >= cols) return err::kIndexRange;
  if (i == -1 && j < 0) return err::kRhsObjCoef;
  if (check::enabled(env))
    if (int s = check::doubles(env, &value, 1)) return s;
  const bool pending_row = i >= lp.num_rows(), pending_col = j >= lp.num_cols();
  if (pending_row || pending_col) return detail::cache_coefficient(env, lp, i, j, value);

  if (i == -1) {
    lp.lp.obj[j] = value;
    raise_event(lp, ChangeEvent::ObjCoef);
  } else if (j == -1) {
    lp.lp.rhs[i] = value;
    raise_event(lp, ChangeEvent::RhsCoef);
  } else if (j == -2) {
    lp.lp.range[i] = value;
    lp.lp.has_range = true;
    raise_event(lp, ChangeEvent::RangeCoef);
  } else {
    set_matrix_entry(lp, i, j, value);
  }
  return 0;
}

int chg_coef_list(Environment& env, Problem& lp, int64_t count, const int* rows,
                  const int* cols, const double* values) {
  if (int status = detail::begin_edit(env, lp)) return status;
  if (count < 0) return err::kBadArgument;
  if (count > 0 && (!rows || !cols || !values)) return err::kNullPointer;
  if (int s = check::index_list(env, rows, count, lp.num_rows(), true)) return s;
  if (int s = check::index_list(env, cols, count, lp.num_cols(), false)) return s;
  if (check::enabled(env))
    if (int s = check::doubles(env, values, count)) return s;

  // Room for every entry as if each were new, so that nothing below fails.
  ColumnMatrix& a = lp.lp.matrix;
  std::vector<int>& scratch = a.column_scratch();
  for (int64_t k = 0; k < count; ++k) ++scratch[cols[k]];
  int64_t room = 0;
  for (int64_t k = 0; k < count; ++k) {
    if (scratch[cols[k]] == 0) continue;
    room += a.room_needed(cols[k], scratch[cols[k]]);
    scratch[cols[k]] = 0;
  }
  a.ensure_free(room);
  for (int64_t k = 0; k < count; ++k) a.set(rows[k], cols[k], values[k]);
  raise_event(lp, ChangeEvent::Pattern);
  return 0;
}

int chg_bounds(Environment& env, Problem& lp, int count, const int* indices, const char* lu,
               const double* bd) {
  if (int status = check_modifiable(lp)) return status;
  ModificationBuffer& buf = lp.buffer;
  const int n = lp.num_cols();
  if (count < 0) return err::kBadArgument;
  if (count > 0 && (!indices || !lu || !bd)) return err::kNullPointer;
  if (int s = check::index_list(env, indices, count, n + buf.num_cols, false)) return s;
  for (int k = 0; k < count; ++k)
    if (lu[k] != 'L' && lu[k] != 'U' && lu[k] != 'B')
      return report_formatted(&env, err::kBadBoundIndicator, static_cast<long long>(k));
  if (check::enabled(env))
    if (int s = check::doubles(env, bd, count)) return s;

  bool changed = false;
  // The model's columns that change, with their bounds before the call,
  // for a presolved model that takes the same changes.
  std::vector<int> touched;
  std::vector<double> old_lb, old_ub;
  const bool carry = lp.derived.presolve != nullptr;
  for (int k = 0; k < count; ++k) {
    const int j = indices[k];
    // Columns still waiting in the buffer are changed there.
    double& lower = j < n ? lp.lp.lb[j] : buf.lb[j - n];
    double& upper = j < n ? lp.lp.ub[j] : buf.ub[j - n];
    if (carry && j < n) {
      touched.push_back(j);
      old_lb.push_back(lower);
      old_ub.push_back(upper);
    }
    if (lu[k] != 'U') {
      double v = bd[k];
      if (normalise_lower(env, v)) {
        lower = v;
        changed = true;
      }
    }
    if (lu[k] != 'L') {
      double v = bd[k];
      if (normalise_upper(env, v)) {
        upper = v;
        changed = true;
      }
    }
  }
  if (changed && carry &&
      !lp.derived.presolve->carry_bounds(env, lp, static_cast<int>(touched.size()), touched.data(), old_lb.data(),
                                         old_ub.data()))
    lp.derived.presolve.reset();
  if (changed) raise_event(lp, ChangeEvent::Bounds);
  return 0;
}

}  // namespace korva::model
