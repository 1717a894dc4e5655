#include "simplex/core/start_basis.h"

#include <cmath>

namespace korva::simplex {

bool rhs_end_is_lower(char sense, double range) {
  switch (sense) {
    case 'G':
      return false;
    case 'R':
      return range < 0;
    default:
      return true;
  }
}

void set_slack_basis(SimplexWork& w) {
  const int n = w.lp.num_cols, m = w.lp.num_rows;
  for (int j = 0; j < n; ++j) w.status[j] = kAtLower;
  for (int i = 0; i < m; ++i) {
    w.status[n + i] = kBasic;
    w.basic_index[i] = n + i;
  }
  w.has_basis = true;
  w.factor_valid = false;
  w.dual_weight_mode = -1;
  place_nonbasic_values(w);
}

void set_user_basis(SimplexWork& w, const Basis& b) {
  const int n = w.lp.num_cols, m = w.lp.num_rows;
  int basics = 0;
  auto take = [&](int var, int user) {
    switch (user) {
      case KRV_BASIC:
        if (basics < m) {
          w.status[var] = kBasic;
          w.basic_index[basics++] = var;
        } else {
          w.status[var] = kAtLower;  // one too many: leaves at a bound
        }
        break;
      case KRV_AT_UPPER:
        w.status[var] = kAtUpper;
        break;
      case KRV_FREE_SUPER:
        w.status[var] = kSuperbasic;
        break;
      default:
        w.status[var] = kAtLower;
        break;
    }
  };
  for (int j = 0; j < n; ++j) take(j, j < static_cast<int>(b.cstat.size()) ? b.cstat[j] : KRV_AT_LOWER);
  for (int i = 0; i < m; ++i) {
    int user = i < static_cast<int>(b.rstat.size()) ? b.rstat[i] : KRV_BASIC;
    if (user == KRV_AT_LOWER || user == KRV_AT_UPPER) {
      const bool lower_is_rhs = rhs_end_is_lower(w.lp.sense[i], w.lp.range[i]);
      const bool at_rhs = user == KRV_AT_LOWER;
      user = (at_rhs == lower_is_rhs) ? KRV_AT_LOWER : KRV_AT_UPPER;
    }
    take(n + i, user);
  }
  // Too few basic variables: complete with nonbasic logicals; a dependent
  // choice is repaired by the factorisation.
  for (int i = 0; i < m && basics < m; ++i) {
    if (is_basic(w.status[n + i])) continue;
    w.status[n + i] = kBasic;
    w.basic_index[basics++] = n + i;
  }
  w.has_basis = true;
  w.factor_valid = false;
  w.dual_weight_mode = -1;
  place_nonbasic_values(w);
}

void get_user_basis(const SimplexWork& w, Basis& b) {
  const int n = w.lp.num_cols, m = w.lp.num_rows;
  b.cstat.resize(static_cast<size_t>(n));
  b.rstat.resize(static_cast<size_t>(m));
  b.row_activity.clear();
  auto user = [&](int var) {
    switch (base_status(w.status[var])) {
      case kBasic:
        return KRV_BASIC;
      case kAtUpper:
        return KRV_AT_UPPER;
      case kSuperbasic:
        return KRV_FREE_SUPER;
      default:
        return KRV_AT_LOWER;
    }
  };
  for (int j = 0; j < n; ++j) b.cstat[j] = user(j);
  for (int i = 0; i < m; ++i) {
    int s = user(n + i);
    if (s == KRV_AT_LOWER || s == KRV_AT_UPPER) {
      // Which end the logical sits at, told as the row's activity: at the
      // right-hand side or at the far end of the range.
      // An equality row's logical is fixed: it sits at the right-hand side.
      const bool at_lower = s == KRV_AT_LOWER || w.lp.sense[i] == 'E';
      const bool lower_is_rhs = w.lp.sense[i] == 'E' || rhs_end_is_lower(w.lp.sense[i], w.lp.range[i]);
      s = (at_lower == lower_is_rhs) ? KRV_AT_LOWER : KRV_AT_UPPER;
    }
    b.rstat[i] = s;
  }
}

void place_nonbasic_value(SimplexWork& w, int j) {
  uint8_t s = base_status(w.status[j]);
  if (s == kBasic) return;
  const uint8_t flag = w.status[j] & kFixedBySingularity;
  const double lo = w.work_lower[j], up = w.work_upper[j];
  const bool has_lo = lo > -kInf, has_up = up < kInf;
  if (s == kSuperbasic) {
    if (!has_lo && !has_up) return;  // free: keeps its value
    if (w.x[j] >= lo && w.x[j] <= up) return;
    s = has_lo && (!has_up || w.x[j] < lo) ? kAtLower : kAtUpper;
  }
  if (s == kAtLower && !has_lo) s = has_up ? kAtUpper : kSuperbasic;
  if (s == kAtUpper && !has_up) s = has_lo ? kAtLower : kSuperbasic;
  w.status[j] = s | flag;
  if (s == kAtLower) w.x[j] = lo;
  else if (s == kAtUpper) w.x[j] = up;
  else w.x[j] = 0.0;
}

void place_nonbasic_values(SimplexWork& w) {
  const int nv = w.lp.num_vars();
  for (int j = 0; j < nv; ++j) place_nonbasic_value(w, j);
}

void refresh_basic_bounds(SimplexWork& w) {
  const int m = w.lp.num_rows;
  for (int r = 0; r < m; ++r) {
    const int var = w.basic_index[r];
    w.basic_lower[r] = w.work_lower[var];
    w.basic_upper[r] = w.work_upper[var];
  }
}

bool is_slack_basis(const SimplexWork& w) {
  const int n = w.lp.num_cols, m = w.lp.num_rows;
  for (int r = 0; r < m; ++r)
    if (w.basic_index[r] < n) return false;
  return true;
}

}  // namespace korva::simplex
