// Indicator constraints.
#include <algorithm>

#include "env/errors.h"
#include "model/datacheck.h"
#include "model/edit_support.h"

namespace korva::model {

int num_indicators(const Problem& lp) {
  return lp.mip ? static_cast<int>(lp.mip->indicators.size()) : 0;
}

int add_indicator(Environment& env, Problem& lp, int indvar, int complemented, int nzcnt,
                  double rhs, char sense, const int* linind, const double* linval,
                  const char* name_utf8) {
  if (int status = detail::begin_edit(env, lp)) return status;
  if (nzcnt < 0) return err::kBadArgument;
  if (nzcnt > 0 && (!linind || !linval)) return err::kNullPointer;
  if (int s = check::index_list(env, &indvar, 1, lp.num_cols(), false)) return s;
  if (sense != 'L' && sense != 'G' && sense != 'E')
    return report_formatted(&env, err::kBadSense, 0LL);
  if (int s = check::index_list(env, linind, nzcnt, lp.num_cols(), false)) return s;
  if (check::enabled(env)) {
    if (int s = check::doubles(env, &rhs, 1)) return s;
    if (int s = check::doubles(env, linval, nzcnt)) return s;
  }
  IndicatorConstraint ic;
  ic.indicator = indvar;
  ic.complemented = complemented ? 1 : 0;
  ic.linind.assign(linind, linind + nzcnt);
  ic.linval.assign(linval, linval + nzcnt);
  ic.sense = sense;
  ic.rhs = rhs;
  if (name_utf8) ic.name = name_utf8;
  std::unique_ptr<MipData> fresh = lp.mip ? nullptr : detail::new_mip_data(lp.num_cols());
  MipData& mip = fresh ? *fresh : *lp.mip;
  reserve_more(mip.indicators, 1);
  if (fresh) lp.mip = std::move(fresh);
  lp.mip->indicators.push_back(std::move(ic));
  raise_event(lp, ChangeEvent::Indicators);
  detail::follow_parts(lp);
  return 0;
}

int get_indicator(Environment& env, Problem& lp, int* indvar, int* complemented, int* nzcnt,
                  double* rhs, char* sense, int* linind, double* linval, int space,
                  int* surplus, int which) {
  if (int status = detail::begin_read(env, lp)) return status;
  if (!nzcnt || !surplus) return err::kNullPointer;
  if (which < 0 || which >= num_indicators(lp)) return err::kIndexRange;
  const IndicatorConstraint& ic = lp.mip->indicators[which];
  if (indvar) *indvar = ic.indicator;
  if (complemented) *complemented = ic.complemented;
  if (rhs) *rhs = ic.rhs;
  if (sense) *sense = ic.sense;
  const int needed = static_cast<int>(ic.linind.size());
  *surplus = space - needed;
  if (needed > space) {
    *nzcnt = 0;
    return surplus_status(space, needed);
  }
  if (needed > 0 && (!linind || !linval)) return err::kNullPointer;
  std::copy(ic.linind.begin(), ic.linind.end(), linind);
  std::copy(ic.linval.begin(), ic.linval.end(), linval);
  *nzcnt = needed;
  return 0;
}

}  // namespace korva::model
