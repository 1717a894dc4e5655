#include "simplex/basis_queries/basis_queries.h"

#include "env/errors.h"
#include "simplex/basis_queries/basis_access.h"

namespace korva::simplex {

namespace {

// The user's B⁻¹ is D·B̃⁻¹·R⁻¹ with D the inverse factors of the basic
// variables: an entry in basis position p for the variable k of its
// column becomes internal · f(k) / f(basic p).
double to_user_entry(const BasisAccess& a, double internal, int var, int position) {
  return internal * a.factor(var) / a.factor(a.w->basic_index[position]);
}

}  // namespace

int get_basis_head(Environment& env, Problem& p, int* head, double* x) {
  BasisAccess a;
  if (int code = open_basis(env, p, Needs::Basis, a)) return code;
  const SimplexWork& w = a.work();
  for (int r = 0; r < a.m; ++r) {
    const int var = w.basic_index[r];
    if (head) head[r] = a.user_index(var);
    if (x) x[r] = a.user_value(var, w.x_basic[r]);
  }
  return 0;
}

int binv_column(Environment& env, Problem& p, const char* fname, int j, double* x) {
  if (!x) return err::kNullPointer;
  if (int code = check_range(&env, fname, j, j, p.num_rows())) return code;
  BasisAccess a;
  if (int code = open_basis(env, p, Needs::Basis, a)) return code;
  SparseVector v(a.m);
  v.values[j] = 1.0;
  a.ftran(v);
  for (int r = 0; r < a.m; ++r) x[r] = to_user_entry(a, v.values[r], a.n + j, r);
  return 0;
}

int binv_row(Environment& env, Problem& p, const char* fname, int i, double* y) {
  if (!y) return err::kNullPointer;
  if (int code = check_range(&env, fname, i, i, p.num_rows())) return code;
  BasisAccess a;
  if (int code = open_basis(env, p, Needs::Basis, a)) return code;
  SparseVector rho(a.m);
  a.binv_row(i, rho);
  for (int k = 0; k < a.m; ++k) y[k] = to_user_entry(a, rho.values[k], a.n + k, i);
  return 0;
}

int binv_a_column(Environment& env, Problem& p, const char* fname, int j, double* x) {
  if (!x) return err::kNullPointer;
  if (int code = check_range(&env, fname, j, j, p.num_cols())) return code;
  BasisAccess a;
  if (int code = open_basis(env, p, Needs::Basis, a)) return code;
  SparseVector v(a.m);
  a.load_column(j, v);
  a.ftran(v);
  for (int r = 0; r < a.m; ++r) x[r] = to_user_entry(a, v.values[r], j, r);
  return 0;
}

int binv_a_row(Environment& env, Problem& p, const char* fname, int i, double* z) {
  if (!z) return err::kNullPointer;
  if (int code = check_range(&env, fname, i, i, p.num_rows())) return code;
  BasisAccess a;
  if (int code = open_basis(env, p, Needs::Basis, a)) return code;
  SparseVector rho(a.m), alpha(a.n);
  a.binv_row(i, rho);
  a.tableau_row(rho, alpha, true);
  for (int k = 0; k < a.n; ++k) z[k] = to_user_entry(a, alpha.values[k], k, i);
  return 0;
}

int basis_row_of(Environment& env, Problem& p, const char* fname, int i, int j, int* row) {
  if (!row) return err::kNullPointer;
  *row = -1;
  if ((i >= 0) == (j >= 0)) return err::kIndexRange;
  if (i >= 0) {
    if (int code = check_range(&env, fname, i, i, p.num_rows())) return code;
  } else if (int code = check_range(&env, fname, j, j, p.num_cols())) {
    return code;
  }
  BasisAccess a;
  if (int code = open_basis(env, p, Needs::Basis, a)) return code;
  const int position = a.position_of(i >= 0 ? a.n + i : j);
  if (position < 0) return kNotBasicIndex;
  *row = position;
  return 0;
}

}  // namespace korva::simplex
