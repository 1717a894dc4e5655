#include "mip/callback_node_lp.h"

#include <algorithm>
#include <cmath>

#include "env/errors.h"
#include "model/model.h"
#include "presolve/presolve_record.h"

namespace korva::mip {

namespace {

double user_bound(double v) { return std::clamp(v, -kInfinity, kInfinity); }

// The rows of the node LP: the model's own rows and the optional rows the
// node has switched on, except indicator rows (their indicators say when
// they hold, which an LP cannot).
std::vector<int> node_rows(const MipModel& m, const Domain& domain) {
  std::vector<char> indicator_row(static_cast<size_t>(m.num_relaxation_rows), 0);
  for (const IndicatorLink& link : m.indicators)
    if (link.row >= 0 && link.row < m.num_relaxation_rows) indicator_row[link.row] = 1;
  std::vector<int> rows;
  rows.reserve(static_cast<size_t>(m.num_rows));
  for (int r = 0; r < m.num_relaxation_rows; ++r)
    if (r < m.num_rows || (domain.row_active(r) && !indicator_row[r])) rows.push_back(r);
  return rows;
}

struct RowSides {
  double rhs;
  char sense;
  double range;
};

RowSides sides_of(double lo, double hi) {
  const bool has_lo = lo > -kInfinity, has_hi = hi < kInfinity;
  if (has_lo && has_hi) return lo == hi ? RowSides{lo, 'E', 0.0} : RowSides{lo, 'R', hi - lo};
  if (has_hi) return {hi, 'L', 0.0};
  if (has_lo) return {lo, 'G', 0.0};
  return {kInfinity, 'L', 0.0};  // a free row
}

}  // namespace

Problem* build_node_lp(MipCallbackData& d, int* status) {
  *status = 0;
  if (d.node_lp) return d.node_lp;
  if (!d.model || !d.domain || !d.env) {
    *status = err::kBadArgument;
    return nullptr;
  }
  const MipModel& m = *d.model;
  const Domain& domain = *d.domain;
  const int n = m.num_cols;
  const std::vector<int> rows = node_rows(m, domain);
  const int nrows = static_cast<int>(rows.size());

  std::vector<double> obj(static_cast<size_t>(n)), lb(static_cast<size_t>(n)), ub(static_cast<size_t>(n));
  for (int j = 0; j < n; ++j) {
    obj[j] = m.objsense * m.cost[j];
    lb[j] = user_bound(domain.lower(j));
    ub[j] = user_bound(domain.upper(j));
  }
  std::vector<double> rhs(static_cast<size_t>(nrows)), range(static_cast<size_t>(nrows));
  std::vector<char> sense(static_cast<size_t>(nrows));
  bool ranged = false;
  // Column-major copy of the chosen rows: count, then place.
  std::vector<int> count(static_cast<size_t>(n), 0);
  for (int i = 0; i < nrows; ++i) {
    const int r = rows[i];
    const RowSides s = sides_of(m.row_lo[r], m.row_hi[r]);
    rhs[i] = s.rhs;
    sense[i] = s.sense;
    range[i] = s.range;
    ranged |= s.sense == 'R';
    for (int64_t k = m.row_begin[r]; k < m.row_begin[r + 1]; ++k) ++count[m.row_col[k]];
  }
  std::vector<int64_t> begin(static_cast<size_t>(n) + 1, 0);
  for (int j = 0; j < n; ++j) begin[j + 1] = begin[j] + count[j];
  std::vector<int> ind(static_cast<size_t>(std::max<int64_t>(begin[n], 1)));
  std::vector<double> val(ind.size());
  std::vector<int64_t> next(begin.begin(), begin.end() - 1);
  for (int i = 0; i < nrows; ++i) {
    const int r = rows[i];
    for (int64_t k = m.row_begin[r]; k < m.row_begin[r + 1]; ++k) {
      const int64_t at = next[m.row_col[k]]++;
      ind[at] = i;
      val[at] = m.row_val[k];
    }
  }

  Problem* lp = presolve::new_owned_problem(*d.env);
  lp->lp.name = "nodelp";
  const int code = model::copy_lp(*d.env, *lp, n, nrows, m.objsense, obj.data(), rhs.data(), sense.data(),
                                  begin.data(), count.data(), ind.data(), val.data(), lb.data(), ub.data(),
                                  ranged ? range.data() : nullptr, nullptr, nullptr);
  if (code != 0) {
    presolve::free_owned_problem(lp);
    *status = code < 0 ? -code : code;
    return nullptr;
  }
  // A callback may solve the node LP and change its bounds; one that adds
  // or removes rows or columns breaks the protocol (checked after the call).
  d.node_lp = lp;
  return lp;
}

}  // namespace korva::mip
