// The quadratic objective, kept as data: the full symmetric matrix Q by
// columns. Replacing or changing it discards the basis, since the optimal
// basis of a quadratic problem need not be a vertex.
#include "env/errors.h"
#include "model/datacheck.h"
#include "model/edit_support.h"
#include "model/model_errors.h"

namespace korva::model {
namespace {

void install(Problem& lp, std::unique_ptr<QuadObjective> quad, ChangeEvent event) {
  lp.quad = std::move(quad);
  raise_event(lp, event);
  detail::follow_parts(lp);
}

}  // namespace

int copy_quad(Environment& env, Problem& lp, const int64_t* qmatbeg, const int* qmatcnt,
              const int* qmatind, const double* qmatval) {
  if (int status = detail::begin_edit(env, lp)) return status;
  const int n = lp.num_cols();
  if (n > 0 && (!qmatbeg || !qmatcnt)) return err::kNullPointer;
  for (int j = 0; j < n; ++j)
    if (qmatcnt[j] > 0 && (!qmatind || !qmatval)) return err::kNullPointer;
  check::Packed m;
  m.vectors = n;
  m.begin = qmatbeg;
  m.count = qmatcnt;
  m.index = qmatind;
  m.value = qmatval;
  m.other_dim = n;
  m.column_major = true;
  if (int s = check::enabled(env) ? check::matrix(env, m) : check::matrix_bounds(m)) return s;
  auto quad = std::make_unique<QuadObjective>();
  quad->q.assign(n, qmatbeg, qmatcnt, qmatind, qmatval);
  install(lp, std::move(quad), ChangeEvent::QuadReplaced);
  return 0;
}

int copy_qpsep(Environment& env, Problem& lp, const double* qsepvec) {
  if (int status = detail::begin_edit(env, lp)) return status;
  const int n = lp.num_cols();
  if (n > 0 && !qsepvec) return err::kNullPointer;
  if (check::enabled(env))
    if (int s = check::doubles(env, qsepvec, n)) return s;
  // The diagonal as a packed matrix: column j holds entry (j, j) when the
  // value is not zero.
  std::vector<int64_t> beg(static_cast<size_t>(n));
  std::vector<int> cnt(static_cast<size_t>(n)), ind(static_cast<size_t>(n));
  for (int j = 0; j < n; ++j) {
    beg[j] = j;
    cnt[j] = qsepvec[j] != 0.0 ? 1 : 0;
    ind[j] = j;
  }
  auto quad = std::make_unique<QuadObjective>();
  quad->q.assign(n, beg.data(), cnt.data(), ind.data(), qsepvec);
  install(lp, std::move(quad), ChangeEvent::QuadReplaced);
  return 0;
}

int get_quad(Environment& env, Problem& lp, const char* fname, int64_t* nzcnt, int64_t* beg,
             int* ind, double* val, int64_t space, int64_t* surplus, int begin, int end) {
  if (int status = detail::begin_read(env, lp)) return status;
  if (!nzcnt || !surplus) return err::kNullPointer;
  if (int status = check_range(&env, fname, begin, end, lp.num_cols())) return status;
  if (!lp.quad) return mipcode::kNotQp;
  const ColumnMatrix& q = lp.quad->q;
  int64_t needed = 0;
  for (int j = begin; j <= end; ++j) needed += q.count(j);
  *surplus = space - needed;
  if (needed > space) {
    *nzcnt = 0;
    return surplus_status(space, needed);
  }
  if ((begin <= end && !beg) || (needed > 0 && (!ind || !val))) return err::kNullPointer;
  int64_t pos = 0;
  for (int j = begin; j <= end; ++j) {
    beg[j - begin] = pos;
    std::copy_n(q.rows(j), q.count(j), ind + pos);
    std::copy_n(q.values(j), q.count(j), val + pos);
    pos += q.count(j);
  }
  *nzcnt = pos;
  return 0;
}

int chg_qpcoef(Environment& env, Problem& lp, int i, int j, double value) {
  if (int status = detail::begin_edit(env, lp)) return status;
  const int n = lp.num_cols();
  if (i < 0 || i >= n || j < 0 || j >= n) return err::kIndexRange;
  if (check::enabled(env))
    if (int s = check::doubles(env, &value, 1)) return s;
  std::unique_ptr<QuadObjective> fresh;
  if (!lp.quad) {
    fresh = std::make_unique<QuadObjective>();
    fresh->q.reserve_columns(n);
    fresh->q.append_empty_columns(n);
  }
  ColumnMatrix& q = fresh ? fresh->q : lp.quad->q;
  // Q stays symmetric: both (i, j) and (j, i) change.
  q.ensure_free(q.room_needed(i, 1) + q.room_needed(j, 1));
  q.set(i, j, value);
  if (i != j) q.set(j, i, value);
  if (fresh) lp.quad = std::move(fresh);
  raise_event(lp, ChangeEvent::QuadChanged);
  detail::follow_parts(lp);
  return 0;
}

int num_quad_cols(const Problem& lp) {
  if (!lp.quad) return 0;
  int n = 0;
  for (int j = 0; j < lp.quad->q.num_cols(); ++j) n += lp.quad->q.count(j) > 0;
  return n;
}

int64_t num_quad_nonzeros(const Problem& lp) { return lp.quad ? lp.quad->q.nonzeros() : 0; }

}  // namespace korva::model
