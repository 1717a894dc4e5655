// The basis kept in the problem: one status per column and row. Edits keep
// it (deletions compact it, additions extend it) unless the event table
// says otherwise.
#include <algorithm>

#include "env/errors.h"
#include "model/edit_support.h"

namespace korva::model {
namespace {

int check_statuses(Environment& env, const int* stat, int n) {
  for (int k = 0; k < n; ++k)
    if (stat[k] < KRV_AT_LOWER || stat[k] > KRV_FREE_SUPER)
      return report_formatted(&env, err::kBadBasisStatus, static_cast<long long>(k));
  return 0;
}

}  // namespace

int copy_basis(Environment& env, Problem& lp, const int* cstat, const int* rstat) {
  if (int status = detail::begin_edit(env, lp)) return status;
  const int n = lp.num_cols(), m = lp.num_rows();
  if ((n > 0 && !cstat) || (m > 0 && !rstat)) return err::kNullPointer;
  if (int s = check_statuses(env, cstat, n)) return s;
  if (int s = check_statuses(env, rstat, m)) return s;
  auto basis = std::make_unique<Basis>();
  basis->cstat.assign(cstat, cstat + n);
  basis->rstat.assign(rstat, rstat + m);
  raise_event(lp, ChangeEvent::BasisLoaded);
  lp.derived.basis = std::move(basis);
  return 0;
}

int get_basis(Environment& env, Problem& lp, int* cstat, int* rstat) {
  if (int status = detail::begin_read(env, lp)) return status;
  const Basis* basis = lp.derived.basis.get();
  if (!basis) return err::kNoBasis;
  if (cstat) std::copy(basis->cstat.begin(), basis->cstat.end(), cstat);
  if (rstat) std::copy(basis->rstat.begin(), basis->rstat.end(), rstat);
  return 0;
}

}  // namespace korva::model
