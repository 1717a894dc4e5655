#include "simplex/solution/basis_solves.h"

#include "env/errors.h"
#include "model/model.h"
#include "simplex/scaling.h"

namespace korva::simplex {

namespace {

void dense_solve(SimplexWork& w, double* v, bool forward) {
  const int m = w.lp.num_rows;
  SparseVector s(m);
  for (int i = 0; i < m; ++i) s.values[i] = v[i];
  s.indexed = false;
  if (forward)
    w.lu.ftran(s, lu::SolveKind::Dense);
  else
    w.lu.btran(s, lu::SolveKind::Dense);
  for (int i = 0; i < m; ++i) v[i] = s.values[i];
}

}  // namespace

SimplexWork* factored_work(Problem& p) {
  SimplexWork* w = find_simplex_work(p);
  if (!w || !w->factor_valid || !w->has_basis || w->lp.num_rows != p.num_rows() ||
      w->lp.num_cols != p.num_cols() || w->lu.num_rows() != p.num_rows())
    return nullptr;
  return w;
}

void scaled_ftran(SimplexWork& w, double* x) { dense_solve(w, x, true); }
void scaled_btran(SimplexWork& w, double* y) { dense_solve(w, y, false); }

int user_ftran(Environment&, Problem& p, double* x) {
  SimplexWork* w = factored_work(p);
  if (!w) return err::kNoFactor;
  const int m = w->lp.num_rows;
  const lu::BasisSource source = w->lp.basis_source();
  scale_ftran_input(w->scaling, x, m);
  dense_solve(*w, x, true);
  unscale_ftran_result(w->scaling, source, w->basic_index.data(), x, m);
  return 0;
}

int user_btran(Environment&, Problem& p, double* y) {
  SimplexWork* w = factored_work(p);
  if (!w) return err::kNoFactor;
  const int m = w->lp.num_rows;
  const lu::BasisSource source = w->lp.basis_source();
  scale_btran_input(w->scaling, source, w->basic_index.data(), y, m);
  dense_solve(*w, y, false);
  unscale_btran_result(w->scaling, y, m);
  return 0;
}

int unscale_problem(Environment& env, Problem& p) {
  SimplexWork* w = find_simplex_work(p);
  if (!w) return 0;
  SimplexLp& lp = w->lp;
  ScalableLp view;
  view.num_rows = lp.num_rows;
  view.num_cols = lp.num_cols;
  view.col_begin = lp.col_begin.data();
  view.row_index = lp.row_index.data();
  view.value = lp.value.data();
  view.lower = lp.lower.data();
  view.upper = lp.upper.data();
  view.obj = lp.cost.data();
  view.rhs = lp.lower.data() + lp.num_cols;
  view.range = lp.upper.data() + lp.num_cols;
  unscale_and_forget(env, w->scaling, view);
  // The copy is in user units now; the next run loads and scales afresh,
  // and the factor of the scaled basis is gone.
  lp.scaled = false;
  w->matrix_loaded = false;
  w->factor_valid = false;
  w->dual_weight_mode = -1;
  return 0;
}

int copy_start(Environment& env, Problem& p, const int* cstat, const int* rstat, const double* cprim,
               const double* rprim, const double* cdual, const double* rdual) {
  if (int code = model::check_modifiable(p)) return code;
  if (int code = model::complete(env, p)) return code;
  if (cstat && rstat) {
    if (int code = model::copy_basis(env, p, cstat, rstat)) return code;
  }
  if (!cprim && !rprim && !cdual && !rdual) return 0;
  const int n = p.num_cols(), m = p.num_rows();
  auto start = std::make_unique<StartVectors>();
  if (cprim) start->col_primal.assign(cprim, cprim + n);
  if (rprim) start->row_primal.assign(rprim, rprim + m);
  if (cdual) start->col_dual.assign(cdual, cdual + n);
  if (rdual) start->row_dual.assign(rdual, rdual + m);
  simplex_work(p).start = std::move(start);
  return 0;
}

}  // namespace korva::simplex
