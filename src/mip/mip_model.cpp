#include "mip/mip_model.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "mip/callback_data.h"
#include "mip/cuts/cut.h"
#include "simplex/core/load_lp.h"

namespace korva::mip {

namespace {

ColKind kind_of(char type) {
  switch (type) {
    case 'B':
    case 'I':
      return ColKind::Integer;
    case 'S':
      return ColKind::SemiContinuous;
    case 'N':
      return ColKind::SemiInteger;
    default:
      return ColKind::Continuous;
  }
}

// Appends one row given by (column, value) pairs.
void append_row(MipModel& m, const std::vector<std::pair<int, double>>& entries, double lo, double hi) {
  for (const auto& [col, value] : entries) {
    if (value == 0.0) continue;
    m.row_col.push_back(col);
    m.row_val.push_back(value);
  }
  m.row_begin.push_back(static_cast<int64_t>(m.row_col.size()));
  m.row_lo.push_back(lo);
  m.row_hi.push_back(hi);
}

void sense_bounds(char sense, double rhs, double* lo, double* hi) {
  *lo = sense == 'L' ? -kInf : rhs;
  *hi = sense == 'G' ? kInf : rhs;
}

// The column-wise copy of the relaxation rows.
void build_columns(MipModel& m) {
  const int n = m.num_cols, rows = m.num_relaxation_rows;
  m.col_begin.assign(static_cast<size_t>(n) + 1, 0);
  for (int c : m.row_col) ++m.col_begin[c + 1];
  for (int j = 0; j < n; ++j) m.col_begin[j + 1] += m.col_begin[j];
  m.col_row.resize(m.row_col.size());
  m.col_val.resize(m.row_col.size());
  std::vector<int64_t> fill(m.col_begin.begin(), m.col_begin.end() - 1);
  for (int i = 0; i < rows; ++i) {
    for (int64_t k = m.row_begin[i]; k < m.row_begin[i + 1]; ++k) {
      const int64_t at = fill[m.row_col[k]]++;
      m.col_row[at] = i;
      m.col_val[at] = m.row_val[k];
    }
  }
}

}  // namespace

void build_mip_model(const Problem& p, MipModel& m) {
  const int n = p.num_cols(), rows = p.num_rows();
  m.problem = &p;
  m.num_cols = n;
  m.num_rows = rows;
  m.objsense = p.objsense();
  m.kind.resize(n);
  m.ctype.resize(n);
  m.lower.resize(n);
  m.upper.resize(n);
  m.cost.resize(n);
  for (int j = 0; j < n; ++j) {
    m.ctype[j] = p.ctype(j);
    m.kind[j] = kind_of(m.ctype[j]);
    m.lower[j] = lower_of(p.lower(j));
    m.upper[j] = upper_of(p.upper(j));
    // Bounds that cross by a rounding error (the driver lets them through)
    // meet at the lower one.
    if (m.lower[j] > m.upper[j]) m.upper[j] = m.lower[j];
    m.cost[j] = m.objsense * p.obj(j);
  }

  // The model's rows, by rows.
  const RowCopy& rc = p.row_copy();
  m.row_begin.assign(1, 0);
  m.row_col.clear();
  m.row_val.clear();
  m.row_lo.clear();
  m.row_hi.clear();
  m.row_col.reserve(static_cast<size_t>(p.num_nonzeros()));
  m.row_val.reserve(static_cast<size_t>(p.num_nonzeros()));
  for (int i = 0; i < rows; ++i) {
    for (int64_t k = rc.begin[i]; k < rc.begin[i + 1]; ++k) {
      if (rc.value[k] == 0.0) continue;
      m.row_col.push_back(rc.index[k]);
      m.row_val.push_back(rc.value[k]);
    }
    m.row_begin.push_back(static_cast<int64_t>(m.row_col.size()));
    double lo, hi;
    simplex::row_activity_bounds(p.sense(i), p.rhs(i), p.range(i), &lo, &hi);
    m.row_lo.push_back(lo);
    m.row_hi.push_back(hi);
  }

  // Indicator constraints, each a row of its own.
  m.indicators.clear();
  if (p.mip) {
    for (const IndicatorConstraint& ic : p.mip->indicators) {
      std::vector<std::pair<int, double>> entries;
      for (size_t k = 0; k < ic.linind.size(); ++k) entries.emplace_back(ic.linind[k], ic.linval[k]);
      std::sort(entries.begin(), entries.end());
      double lo, hi;
      sense_bounds(ic.sense, ic.rhs, &lo, &hi);
      IndicatorLink link;
      link.indicator = ic.indicator;
      link.active_value = ic.complemented ? 0.0 : 1.0;
      link.row = static_cast<int>(m.row_lo.size());
      append_row(m, entries, lo, hi);
      m.indicators.push_back(link);
    }
  }

  // Lazy constraints.
  m.first_lazy_row = m.first_pool_row = static_cast<int>(m.row_lo.size());
  if (const RowPool* lazy = p.lazy_constraints.get()) {
    for (int r = 0; r < lazy->num_rows(); ++r) {
      std::vector<std::pair<int, double>> entries;
      for (int64_t k = lazy->begin[r]; k < lazy->begin[r + 1]; ++k) entries.emplace_back(lazy->index[k], lazy->value[k]);
      std::sort(entries.begin(), entries.end());
      double lo, hi;
      sense_bounds(lazy->sense[r], lazy->rhs[r], &lo, &hi);
      append_row(m, entries, lo, hi);
    }
  }
  m.num_relaxation_rows = static_cast<int>(m.row_lo.size());
  build_columns(m);

  // Special ordered sets in increasing weight order.
  m.sos.clear();
  if (p.mip) {
    for (const SosSet& set : p.mip->sos) {
      SosConstraint s;
      s.type = set.type == '2' ? 2 : 1;
      std::vector<size_t> order(set.indices.size());
      std::iota(order.begin(), order.end(), 0);
      std::stable_sort(order.begin(), order.end(),
                       [&](size_t a, size_t b) { return set.weights[a] < set.weights[b]; });
      for (size_t k : order) {
        s.cols.push_back(set.indices[k]);
        s.weights.push_back(set.weights[k]);
      }
      m.sos.push_back(std::move(s));
    }
  }
}

namespace {

// Replaces the rows [first, last) by `cuts`; returns the change in the
// row count.
int replace_rows(MipModel& m, int first, int last, const std::vector<Cut>& cuts) {
  std::vector<int64_t> begin(1, 0);
  std::vector<int> col;
  std::vector<double> val, lo, hi;
  auto copy_row = [&](int i) {
    for (int64_t k = m.row_begin[i]; k < m.row_begin[i + 1]; ++k) {
      col.push_back(m.row_col[k]);
      val.push_back(m.row_val[k]);
    }
    begin.push_back(static_cast<int64_t>(col.size()));
    lo.push_back(m.row_lo[i]);
    hi.push_back(m.row_hi[i]);
  };
  for (int i = 0; i < first; ++i) copy_row(i);
  for (const Cut& c : cuts) {
    for (size_t k = 0; k < c.index.size(); ++k) {
      col.push_back(c.index[k]);
      val.push_back(c.value[k]);
    }
    begin.push_back(static_cast<int64_t>(col.size()));
    lo.push_back(-kInf);
    hi.push_back(c.rhs);
  }
  for (int i = last; i < m.num_relaxation_rows; ++i) copy_row(i);
  m.row_begin = std::move(begin);
  m.row_col = std::move(col);
  m.row_val = std::move(val);
  m.row_lo = std::move(lo);
  m.row_hi = std::move(hi);
  m.num_relaxation_rows = static_cast<int>(m.row_lo.size());
  build_columns(m);
  return static_cast<int>(cuts.size()) - (last - first);
}

}  // namespace

void set_cut_rows(MipModel& m, const std::vector<Cut>& cuts) {
  const int base = m.num_rows - m.num_cuts;
  const int shift = replace_rows(m, base, m.num_rows, cuts);
  m.num_cuts = static_cast<int>(cuts.size());
  m.num_rows = base + m.num_cuts;
  m.first_pool_row += shift;
  m.first_lazy_row += shift;
  for (IndicatorLink& link : m.indicators) link.row += shift;
}

void set_pool_rows(MipModel& m, const std::vector<Cut>& cuts) {
  m.first_lazy_row += replace_rows(m, m.first_pool_row, m.first_lazy_row, cuts);
}

void append_pool_rows(MipModel& m, const std::vector<Cut>& cuts) {
  m.first_lazy_row += replace_rows(m, m.first_lazy_row, m.first_lazy_row, cuts);
}

void change_coefficients(MipModel& m, const std::vector<CoefficientChange>& changes) {
  if (changes.empty()) return;
  // Changes by row; an entry a row lacks joins it.
  std::vector<std::vector<const CoefficientChange*>> of_row(static_cast<size_t>(m.num_relaxation_rows));
  for (const CoefficientChange& c : changes) {
    of_row[c.row].push_back(&c);
    if (!std::isinf(m.row_lo[c.row])) m.row_lo[c.row] += c.side_shift;
    if (!std::isinf(m.row_hi[c.row])) m.row_hi[c.row] += c.side_shift;
  }
  std::vector<int64_t> begin(1, 0);
  std::vector<int> col;
  std::vector<double> val;
  col.reserve(m.row_col.size() + changes.size());
  val.reserve(m.row_col.size() + changes.size());
  std::vector<std::pair<int, double>> entries;
  for (int i = 0; i < m.num_relaxation_rows; ++i) {
    entries.clear();
    for (int64_t k = m.row_begin[i]; k < m.row_begin[i + 1]; ++k) entries.emplace_back(m.row_col[k], m.row_val[k]);
    for (const CoefficientChange* c : of_row[i]) {
      auto it = std::find_if(entries.begin(), entries.end(), [&](const auto& e) { return e.first == c->col; });
      if (it != entries.end()) it->second = c->value;
      else entries.emplace_back(c->col, c->value);
    }
    if (!of_row[i].empty()) std::sort(entries.begin(), entries.end());
    for (const auto& [j, a] : entries) {
      if (a == 0.0) continue;
      col.push_back(j);
      val.push_back(a);
    }
    begin.push_back(static_cast<int64_t>(col.size()));
  }
  m.row_begin = std::move(begin);
  m.row_col = std::move(col);
  m.row_val = std::move(val);
  build_columns(m);
}

int append_callback_rows(MipModel& m, const std::vector<CallbackRow>& rows) {
  const int first = m.num_relaxation_rows;
  if (m.first_callback_row < 0) m.first_callback_row = first;
  m.local_row.resize(static_cast<size_t>(first), 0);
  for (const CallbackRow& r : rows) {
    for (size_t k = 0; k < r.ind.size(); ++k) {
      m.row_col.push_back(r.ind[k]);
      m.row_val.push_back(r.val[k]);
    }
    m.row_begin.push_back(static_cast<int64_t>(m.row_col.size()));
    m.row_lo.push_back(r.sense == 'L' ? -kInf : r.rhs);
    m.row_hi.push_back(r.sense == 'G' ? kInf : r.rhs);
    m.local_row.push_back(r.local ? 1 : 0);
  }
  m.num_relaxation_rows = static_cast<int>(m.row_lo.size());
  build_columns(m);
  return first;
}

double row_activity(const MipModel& m, int row, const double* x) {
  double a = 0.0;
  for (int64_t k = m.row_begin[row]; k < m.row_begin[row + 1]; ++k) a += m.row_val[k] * x[m.row_col[k]];
  return a;
}

bool objective_is_integral(const MipModel& model) {
  if (model.offset != std::round(model.offset)) return false;
  for (int j = 0; j < model.num_cols; ++j) {
    const double c = model.cost[j];
    if (c != 0.0 && (model.kind[j] != ColKind::Integer || c != std::round(c))) return false;
  }
  return true;
}

}  // namespace korva::mip
