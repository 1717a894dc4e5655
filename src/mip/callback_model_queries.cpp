// The queries of a callback about the model's special ordered sets and
// indicator constraints and about the children a branch callback is
// offered.
#include <algorithm>
#include <cmath>
#include <vector>

#include "mip/callback_queries.h"
#include "mip/callback_query_support.h"
#include "mip/callback_space.h"

namespace korva::mip {

using cbq::Answer;

namespace {

constexpr double kZeroTol = 1e-6;

// A set as the answers see it, in the space's columns.
struct SetView {
  char type = '1';
  std::vector<int> cols;
  std::vector<double> weights;
};

// An indicator constraint as the answers see it, in the space's columns.
struct IndicatorView {
  int indicator = -1;
  bool complemented = false;
  char sense = 'L';
  double rhs = 0.0;
  std::vector<int> ind;
  std::vector<double> val;
};

// In the original space the original problem's own sets and indicator
// constraints are the ones the user gave; presolve may have changed the
// searched model's.
int num_sets(const MipCallbackData& d, const CallbackSpace& space) {
  if (space.original()) return d.original->mip ? static_cast<int>(d.original->mip->sos.size()) : 0;
  return static_cast<int>(d.model->sos.size());
}

SetView set_view(const MipCallbackData& d, const CallbackSpace& space, int k) {
  SetView v;
  if (space.original()) {
    const SosSet& s = d.original->mip->sos[k];
    v.type = s.type;
    v.cols = s.indices;
    v.weights = s.weights;
  } else {
    const SosConstraint& s = d.model->sos[k];
    v.type = static_cast<char>('0' + s.type);
    v.cols = s.cols;
    v.weights = s.weights;
  }
  return v;
}

int num_indicators(const MipCallbackData& d, const CallbackSpace& space) {
  if (space.original()) return d.original->mip ? static_cast<int>(d.original->mip->indicators.size()) : 0;
  return static_cast<int>(d.model->indicators.size());
}

IndicatorView indicator_view(const MipCallbackData& d, const CallbackSpace& space, int k) {
  IndicatorView v;
  if (space.original()) {
    const IndicatorConstraint& c = d.original->mip->indicators[k];
    v.indicator = c.indicator;
    v.complemented = c.complemented != 0;
    v.sense = c.sense;
    v.rhs = c.rhs;
    v.ind = c.linind;
    v.val = c.linval;
    return v;
  }
  const MipModel& m = *d.model;
  const IndicatorLink& link = m.indicators[k];
  v.indicator = link.indicator;
  v.complemented = link.active_value == 0.0;
  const double lo = m.row_lo[link.row], hi = m.row_hi[link.row];
  if (lo == hi) v.sense = 'E', v.rhs = lo;
  else if (std::isinf(lo)) v.sense = 'L', v.rhs = hi;
  else v.sense = 'G', v.rhs = lo;
  for (int64_t e = m.row_begin[link.row]; e < m.row_begin[link.row + 1]; ++e) {
    v.ind.push_back(m.row_col[e]);
    v.val.push_back(m.row_val[e]);
  }
  return v;
}

bool set_satisfied(const SetView& s, const std::vector<double>& x) {
  int nonzeros = 0, first = -1, last = -1;
  for (size_t k = 0; k < s.cols.size(); ++k) {
    if (std::fabs(x[s.cols[k]]) <= kZeroTol) continue;
    ++nonzeros;
    if (first < 0) first = static_cast<int>(k);
    last = static_cast<int>(k);
  }
  if (s.type == '1') return nonzeros <= 1;
  return nonzeros <= 1 || (nonzeros == 2 && last == first + 1);
}

bool indicator_satisfied(const IndicatorView& c, const std::vector<double>& x, double tol) {
  const double active = c.complemented ? 0.0 : 1.0;
  if (std::fabs(x[c.indicator] - active) > tol) return true;
  double a = 0.0;
  for (size_t k = 0; k < c.ind.size(); ++k) a += c.val[k] * x[c.ind[k]];
  if (c.sense == 'L') return a <= c.rhs + tol;
  if (c.sense == 'G') return a >= c.rhs - tol;
  return std::fabs(a - c.rhs) <= tol;
}

// The node's values in the space's columns; 1003 when the call has none.
int space_x(const MipCallbackData& d, const CallbackSpace& space, std::vector<double>& x) {
  if (!d.x) return err::kBadArgument;
  space.values(d.x->data(), x);
  return 0;
}

}  // namespace

int callback_sos_info(Environment&, void* cbdata, int wherefrom, int sosindex, int member, int whichinfo,
                      void* result) {
  MipCallbackData* d = nullptr;
  if (int code = cbq::find_record(cbdata, wherefrom, cbq::mip_where, &d)) return code;
  if (!d->model) return err::kBadArgument;
  if (!result) return err::kNullPointer;
  const CallbackSpace space(*d);
  const int count = num_sets(*d, space);
  if (whichinfo == KRV_CALLBACK_INFO_SOS_NUM) return cbq::store(Answer::of_int(count), result);
  if (sosindex < 0 || sosindex >= count) return err::kIndexRange;
  const SetView s = set_view(*d, space, sosindex);
  const int size = static_cast<int>(s.cols.size());
  Answer a;
  switch (whichinfo) {
    case KRV_CALLBACK_INFO_SOS_TYPE: a = Answer::of_char(s.type); break;
    case KRV_CALLBACK_INFO_SOS_SIZE: a = Answer::of_int(size); break;
    case KRV_CALLBACK_INFO_SOS_IS_FEASIBLE: {
      std::vector<double> x;
      if (int code = space_x(*d, space, x)) return code;
      a = Answer::of_int(set_satisfied(s, x) ? 1 : 0);
      break;
    }
    case KRV_CALLBACK_INFO_SOS_MEMBER_INDEX:
    case KRV_CALLBACK_INFO_SOS_MEMBER_REFVAL:
      if (member < 0 || member >= size) return err::kIndexRange;
      a = whichinfo == KRV_CALLBACK_INFO_SOS_MEMBER_INDEX ? Answer::of_int(s.cols[member])
          : Answer::of_double(member < static_cast<int>(s.weights.size()) ? s.weights[member] : 0.0);
      break;
    default: return err::kBadArgument;
  }
  return cbq::store(a, result);
}

int callback_indicator_info(Environment&, void* cbdata, int wherefrom, int iindex, int whichinfo, void* result) {
  MipCallbackData* d = nullptr;
  if (int code = cbq::find_record(cbdata, wherefrom, cbq::mip_where, &d)) return code;
  if (!d->model) return err::kBadArgument;
  if (!result) return err::kNullPointer;
  const CallbackSpace space(*d);
  const int count = num_indicators(*d, space);
  if (whichinfo == KRV_CALLBACK_INFO_IC_NUM) return cbq::store(Answer::of_int(count), result);
  if (iindex < 0 || iindex >= count) return err::kIndexRange;
  const IndicatorView c = indicator_view(*d, space, iindex);
  Answer a;
  switch (whichinfo) {
    case KRV_CALLBACK_INFO_IC_IMPLYING_VAR: a = Answer::of_int(c.indicator); break;
    case KRV_CALLBACK_INFO_IC_IMPLIED_VAR: a = Answer::of_int(-1); break;
    case KRV_CALLBACK_INFO_IC_SENSE: a = Answer::of_char(c.sense); break;
    case KRV_CALLBACK_INFO_IC_COMPL: a = Answer::of_int(c.complemented ? 1 : 0); break;
    case KRV_CALLBACK_INFO_IC_RHS: a = Answer::of_double(c.rhs); break;
    case KRV_CALLBACK_INFO_IC_IS_FEASIBLE: {
      std::vector<double> x;
      if (int code = space_x(*d, space, x)) return code;
      const double tol = d->settings ? d->settings->feasibility : 1e-6;
      a = Answer::of_int(indicator_satisfied(c, x, tol) ? 1 : 0);
      break;
    }
    default: return err::kBadArgument;
  }
  return cbq::store(a, result);
}

int callback_branch_rows(Environment&, void* cbdata, int wherefrom, int which_branch, const BranchRowsOut& out) {
  MipCallbackData* d = nullptr;
  if (int code = cbq::find_record(cbdata, wherefrom, cbq::branch_where, &d)) return code;
  if (!d->proposed) return err::kBadArgument;
  if (!out.rows || !out.nzcnt || !out.surplus) return err::kNullPointer;
  const ProposedChildren& p = *d->proposed;
  if (which_branch < 0 || which_branch >= static_cast<int>(p.begin.size())) return err::kIndexRange;
  static const std::vector<CallbackRow> kNoRows;
  const std::vector<CallbackRow>& rows =
      which_branch < static_cast<int>(p.rows.size()) ? p.rows[which_branch] : kNoRows;
  int64_t needed = 0;
  for (const CallbackRow& r : rows) needed += static_cast<int64_t>(r.ind.size());
  *out.rows = static_cast<int64_t>(rows.size());
  *out.surplus = out.space - needed;
  if (needed > out.space) {
    *out.nzcnt = 0;
    return surplus_status(out.space, needed);
  }
  if ((!rows.empty() && !out.begin) || (needed > 0 && (!out.ind || !out.val))) return err::kNullPointer;
  const CallbackSpace space(*d);
  out.begin->assign(rows.size(), 0);
  int64_t pos = 0;
  for (size_t i = 0; i < rows.size(); ++i) {
    const CallbackRow& r = rows[i];
    (*out.begin)[i] = pos;
    if (out.rhs) out.rhs[i] = r.rhs;
    if (out.sense) out.sense[i] = r.sense;
    for (size_t k = 0; k < r.ind.size(); ++k, ++pos) {
      out.ind[pos] = space.space_col(r.ind[k]);
      out.val[pos] = r.val[k];
    }
  }
  *out.nzcnt = pos;
  return 0;
}

}  // namespace korva::mip
