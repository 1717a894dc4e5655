// Special ordered sets.
#include <algorithm>
#include <iterator>

#include "env/errors.h"
#include "model/datacheck.h"
#include "model/edit_support.h"
#include "model/model_errors.h"

namespace korva::model {
namespace {

int check_types(Environment& env, const char* sostype, int numsos) {
  for (int k = 0; k < numsos; ++k)
    if (sostype[k] != '1' && sostype[k] != '2')
      return report_formatted(&env, mipcode::kBadSosType, static_cast<long long>(k));
  return 0;
}

// Weights order the members of a set, so no two may be equal.
int check_unique_weights(const check::Packed& m) {
  std::vector<double> w;
  for (int64_t k = 0; k < m.vectors; ++k) {
    w.assign(m.value + m.start(k), m.value + m.start(k) + m.length(k));
    std::sort(w.begin(), w.end());
    if (std::adjacent_find(w.begin(), w.end()) != w.end()) return mipcode::kSosWeights;
  }
  return 0;
}

int count_of_sets(const Problem& lp) { return lp.mip ? static_cast<int>(lp.mip->sos.size()) : 0; }

}  // namespace

int num_sos(const Problem& lp) { return count_of_sets(lp); }

int add_sos(Environment& env, Problem& lp, int numsos, int64_t numsosnz, const char* sostype,
            const int64_t* sosbeg, const int* sosind, const double* soswt,
            const char* const* sosnames) {
  if (int status = detail::begin_edit(env, lp)) return status;
  if (numsos < 0 || numsosnz < 0) return err::kBadArgument;
  if ((numsos > 0 && (!sostype || !sosbeg)) || (numsosnz > 0 && (!sosind || !soswt)))
    return err::kNullPointer;
  if (int s = check_types(env, sostype, numsos)) return s;
  check::Packed m;
  m.vectors = numsos;
  m.begin = sosbeg;
  m.nzcnt = numsosnz;
  m.index = sosind;
  m.value = soswt;
  m.other_dim = lp.num_cols();
  m.column_major = false;
  if (check::enabled(env)) {
    if (int s = check::matrix(env, m)) return s;
    if (int s = check_unique_weights(m)) return s;
    if (int s = check::names(env, sosnames, numsos)) return s;
  } else if (int s = check::matrix_bounds(m)) {
    return s;
  }

  std::vector<SosSet> sets(static_cast<size_t>(numsos));
  for (int k = 0; k < numsos; ++k) {
    SosSet& s = sets[k];
    s.type = sostype[k];
    if (sosnames && sosnames[k]) s.name = sosnames[k];
    const int64_t first = m.start(k), last = first + m.length(k);
    s.indices.assign(sosind + first, sosind + last);
    s.weights.assign(soswt + first, soswt + last);
  }
  std::unique_ptr<MipData> fresh = lp.mip ? nullptr : detail::new_mip_data(lp.num_cols());
  MipData& mip = fresh ? *fresh : *lp.mip;
  reserve_more(mip.sos, sets.size());
  if (fresh) lp.mip = std::move(fresh);
  std::move(sets.begin(), sets.end(), std::back_inserter(lp.mip->sos));
  raise_event(lp, ChangeEvent::ColumnTypes);
  detail::follow_parts(lp);
  return 0;
}

int get_sos(Environment& env, Problem& lp, const char* fname, int64_t* numsosnz, char* sostype,
            int64_t* sosbeg, int* sosind, double* soswt, int64_t space, int64_t* surplus,
            int begin, int end) {
  if (int status = detail::begin_read(env, lp)) return status;
  if (!numsosnz || !surplus) return err::kNullPointer;
  const int n = count_of_sets(lp);
  if (n == 0) return mipcode::kNoSos;
  if (int status = check_range(&env, fname, begin, end, n)) return status;
  const std::vector<SosSet>& sos = lp.mip->sos;
  int64_t needed = 0;
  for (int k = begin; k <= end; ++k) needed += static_cast<int64_t>(sos[k].indices.size());
  *surplus = space - needed;
  if (needed > space) {
    *numsosnz = 0;
    return surplus_status(space, needed);
  }
  if ((begin <= end && (!sostype || !sosbeg)) || (needed > 0 && (!sosind || !soswt)))
    return err::kNullPointer;
  int64_t pos = 0;
  for (int k = begin; k <= end; ++k) {
    sostype[k - begin] = sos[k].type;
    sosbeg[k - begin] = pos;
    std::copy(sos[k].indices.begin(), sos[k].indices.end(), sosind + pos);
    std::copy(sos[k].weights.begin(), sos[k].weights.end(), soswt + pos);
    pos += static_cast<int64_t>(sos[k].indices.size());
  }
  *numsosnz = pos;
  return 0;
}

int del_sos(Environment& env, Problem& lp, const char* fname, int begin, int end) {
  if (int status = detail::begin_edit(env, lp)) return status;
  const int n = count_of_sets(lp);
  if (n == 0) return mipcode::kNoSos;
  if (int status = check_range(&env, fname, begin, end, n)) return status;
  if (begin > end) return 0;
  std::vector<SosSet>& sos = lp.mip->sos;
  sos.erase(sos.begin() + begin, sos.begin() + end + 1);
  raise_event(lp, ChangeEvent::ColumnTypes);
  return 0;
}

}  // namespace korva::model
