#include "mip/pool_sink.h"

#include "mip/mip_presolve.h"

namespace korva::mip {

void PoolSink::offer(const std::vector<double>& x, double objective) {
  // The gap filter's reference follows the best objective seen.
  pool_.note_incumbent(p_, objective);
  if (!rec_) {
    offer_original(x);
    return;
  }
  uncrush_values(p_, *rec_, x, scratch_);
  offer_original(scratch_);
}

void PoolSink::offer_original(const std::vector<double>& x) {
  double objective = 0.0;
  for (int j = 0; j < p_.num_cols(); ++j) objective += p_.obj(j) * x[j];
  pool_.offer(p_, x, objective, p_.objsense());
}

double PoolSink::populate_cutoff(bool has_incumbent, double incumbent_objective) const {
  if (!has_incumbent) return kNoPoolLimit;
  return pool_cutoff(incumbent_objective, pool_.settings.rel_gap, pool_.settings.abs_gap);
}

bool PoolSink::gap_limited() const {
  return pool_.settings.rel_gap < kNoPoolLimit || pool_.settings.abs_gap < kNoPoolLimit;
}

}  // namespace korva::mip
