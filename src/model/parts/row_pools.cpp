// User cut and lazy constraint pools: rows kept apart from the model.
#include "env/errors.h"
#include "model/datacheck.h"
#include "model/edit_support.h"

namespace korva::model {
namespace {

std::unique_ptr<RowPool>& pool_of(Problem& lp, int kind) {
  return kind == 0 ? lp.user_cuts : lp.lazy_constraints;
}

}  // namespace

const RowPool* row_pool(const Problem& lp, int kind) {
  return kind == 0 ? lp.user_cuts.get() : lp.lazy_constraints.get();
}

int add_row_pool(Environment& env, Problem& lp, int kind, int rcnt, int64_t nzcnt,
                 const double* rhs, const char* sense, const int64_t* rmatbeg,
                 const int* rmatind, const double* rmatval, const char* const* rownames) {
  if (int status = detail::begin_edit(env, lp)) return status;
  if (rcnt < 0 || nzcnt < 0) return err::kBadArgument;
  if (rcnt == 0) return 0;
  if (!rhs || !sense || !rmatbeg || (nzcnt > 0 && (!rmatind || !rmatval)))
    return err::kNullPointer;
  check::Packed m;
  m.vectors = rcnt;
  m.begin = rmatbeg;
  m.nzcnt = nzcnt;
  m.index = rmatind;
  m.value = rmatval;
  m.other_dim = lp.num_cols();
  m.column_major = false;
  if (check::enabled(env)) {
    if (int s = check::doubles(env, rhs, rcnt)) return s;
    if (int s = check::senses(env, sense, rcnt)) return s;
    if (int s = check::ranged_rows(sense, rcnt, nullptr)) return s;
    if (int s = check::matrix(env, m)) return s;
    if (int s = check::names(env, rownames, rcnt)) return s;
  } else if (int s = check::matrix_bounds(m)) {
    return s;
  }

  // Built aside and swapped in, so a failure leaves the pool as it was.
  std::unique_ptr<RowPool>& slot = pool_of(lp, kind);
  RowPool pool = slot ? *slot : RowPool();
  for (int r = 0; r < rcnt; ++r) {
    const int64_t first = m.start(r), last = first + m.length(r);
    pool.index.insert(pool.index.end(), rmatind + first, rmatind + last);
    pool.value.insert(pool.value.end(), rmatval + first, rmatval + last);
    pool.begin.push_back(static_cast<int64_t>(pool.index.size()));
    pool.rhs.push_back(rhs[r]);
    pool.sense.push_back(sense[r]);
    pool.names.emplace_back(rownames && rownames[r] ? rownames[r] : "");
  }
  if (!slot) slot = std::make_unique<RowPool>();
  std::swap(*slot, pool);
  raise_event(lp, ChangeEvent::Lazy);
  return 0;
}

int free_row_pool(Environment& env, Problem& lp, int kind) {
  if (int status = detail::begin_edit(env, lp)) return status;
  std::unique_ptr<RowPool>& slot = pool_of(lp, kind);
  if (!slot) return 0;
  slot.reset();
  raise_event(lp, ChangeEvent::Lazy);
  return 0;
}

}  // namespace korva::model
