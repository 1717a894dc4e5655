#include "mip/cuts/mir_cuts.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace korva::mip {

namespace {

constexpr double kMinFraction = 0.01;    // f0 must lie within (this, 1 - this)
constexpr double kMinEfficacy = 1e-4;
constexpr double kTinyCoefficient = 1e-9;
constexpr double kMaxDynamism = 1e6;     // largest over smallest coefficient of a cut
constexpr int kMaxDeltas = 8;

// One variable of the row after bound substitution: v = bound + sign·z,
// z >= 0, with coefficient c on z.
struct Term {
  int var;  // column, or columns + extra
  double c;
  double bound;
  double sign;  // +1: from the lower bound, -1: from the upper bound
  double z;     // LP value of z
  bool integer;
};

struct Variables {
  const SeparationInput& in;
  const std::vector<ExtraVariable>& extras;
  int columns() const { return in.model->num_cols; }
  double lower(int v) const { return v < columns() ? in.lower[v] : extras[v - columns()].lower; }
  double upper(int v) const { return v < columns() ? in.upper[v] : extras[v - columns()].upper; }
  double value(int v) const { return v < columns() ? in.x[v] : extras[v - columns()].value; }
  bool integer(int v) const { return v < columns() && in.model->kind[v] == ColKind::Integer; }
};

bool substitute(const Variables& vars, const BaseRow& r, std::vector<Term>& terms, double* rhs) {
  terms.clear();
  double b = r.rhs;
  for (size_t k = 0; k < r.index.size(); ++k) {
    const int v = r.index[k];
    const double a = r.value[k];
    if (a == 0.0) continue;
    const double l = vars.lower(v), u = vars.upper(v), x = vars.value(v);
    const bool has_l = !std::isinf(l), has_u = !std::isinf(u);
    if (!has_l && !has_u) return false;
    const bool use_lower = has_l && has_u ? x - l <= u - x : has_l;
    Term t;
    t.var = v;
    t.integer = vars.integer(v);
    t.bound = use_lower ? l : u;
    t.sign = use_lower ? 1.0 : -1.0;
    t.c = a * t.sign;
    t.z = std::max(0.0, t.sign * (x - t.bound));
    b -= a * t.bound;
    if (l == u) continue;  // a fixed variable is its bound
    terms.push_back(t);
  }
  *rhs = b;
  return true;
}

double fractional(double v) { return v - std::floor(v); }

// The cut of one δ in the model's columns; false when it is unusable.
// Scratch of the cut in the columns: dense values and the columns touched.
// Kept per thread between calls: all zero and unmarked outside mir_cut.
struct DenseRow {
  std::vector<double> value;
  std::vector<uint8_t> marked;
  std::vector<int> touched;
  void fit(int n) {
    if (value.size() >= static_cast<size_t>(n)) return;
    value.resize(static_cast<size_t>(n), 0.0);
    marked.resize(static_cast<size_t>(n), 0);
  }
  void add(int j, double v) {
    if (!marked[j]) {
      marked[j] = 1;
      touched.push_back(j);
    }
    value[j] += v;
  }
};

bool mir_cut(const Variables& vars, const std::vector<Term>& terms, double b, double delta, DenseRow& dense,
             Cut& cut) {
  const double beta = b / delta;
  const double f0 = fractional(beta);
  if (f0 < kMinFraction || f0 > 1.0 - kMinFraction) return false;
  double rhs = delta * std::floor(beta);
  dense.touched.clear();
  auto add = [&](int j, double v) { dense.add(j, v); };
  for (const Term& t : terms) {
    double g;
    if (t.integer) {
      const double a = t.c / delta;
      g = delta * (std::floor(a) + std::max(0.0, fractional(a) - f0) / (1.0 - f0));
    } else {
      if (t.c >= 0.0) continue;  // dropped: its term is nonnegative
      g = t.c / (1.0 - f0);
    }
    // g·z with z = sign·(v - bound).
    const double coef = g * t.sign;
    rhs += coef * t.bound;
    if (t.var < vars.columns()) {
      add(t.var, coef);
    } else {
      const ExtraVariable& e = vars.extras[t.var - vars.columns()];
      for (size_t k = 0; k < e.index.size(); ++k) add(e.index[k], coef * e.coefficient[k]);
    }
  }
  cut.index.clear();
  cut.value.clear();
  bool usable = std::isfinite(rhs);
  for (int j : dense.touched) {
    const double coef = dense.value[j];
    dense.value[j] = 0.0;
    dense.marked[j] = 0;
    if (!usable) continue;
    if (std::fabs(coef) < kTinyCoefficient) {
      // Gone, with the room its least value needs.
      const double least = coef > 0 ? vars.in.lower[j] : vars.in.upper[j];
      if (std::isinf(least)) usable = false;
      else rhs -= coef * least;
      continue;
    }
    cut.index.push_back(j);
    cut.value.push_back(coef);
  }
  if (!usable || cut.index.empty() || !std::isfinite(rhs)) return false;
  if (!cut.well_scaled(kMaxDynamism)) return false;
  cut.rhs = rhs;
  return true;
}

}  // namespace

bool best_mir_cut(const SeparationInput& in, const BaseRow& row, const std::vector<ExtraVariable>& extras,
                  const std::vector<int>& deltas_from, Cut& out) {
  const Variables vars{in, extras};
  std::vector<Term> terms;
  double b = 0.0;
  if (!substitute(vars, row, terms, &b)) return false;
  std::vector<double> deltas;
  for (const Term& t : terms) {
    if (!t.integer || t.z <= in.integrality) continue;
    if (t.z >= vars.upper(t.var) - vars.lower(t.var) - in.integrality) continue;
    if (!deltas_from.empty() && std::find(deltas_from.begin(), deltas_from.end(), t.var) == deltas_from.end())
      continue;
    const double d = std::fabs(t.c);
    if (d < kTinyCoefficient || std::find(deltas.begin(), deltas.end(), d) != deltas.end()) continue;
    deltas.push_back(d);
    if (static_cast<int>(deltas.size()) >= kMaxDeltas) break;
  }
  thread_local DenseRow dense;
  dense.fit(vars.columns());
  double best = kMinEfficacy;
  bool found = false;
  Cut trial;
  for (double d : deltas) {
    for (double scale : {1.0, 0.5, 0.25, 0.125}) {
      if (!mir_cut(vars, terms, b, d * scale, dense, trial)) continue;
      const double e = trial.efficacy(in.x);
      if (e <= best) continue;
      best = e;
      out = trial;
      found = true;
    }
  }
  return found;
}

namespace {

// The base row grows by rows that eliminate its continuous column furthest
// from its bounds: a flow that the row alone leaves free is often pinned by
// the next row along it.
class Aggregation {
 public:
  Aggregation(const SeparationInput& in, int rows) : in_(in), m_(*in.model), rows_(rows) {
    coef_.assign(static_cast<size_t>(m_.num_cols), 0.0);
    in_row_.assign(static_cast<size_t>(m_.num_cols), 0);
  }

  void start(const BaseRow& r) {
    clear();
    for (size_t k = 0; k < r.index.size(); ++k) add(r.index[k], r.value[k]);
    rhs_ = r.rhs;
  }
  void clear() {
    for (int j : support_) {
      coef_[j] = 0.0;
      in_row_[j] = 0;
    }
    support_.clear();
  }
  void read(BaseRow& r) const {
    r.index.clear();
    r.value.clear();
    for (int j : support_)
      if (coef_[j] != 0.0) {
        r.index.push_back(j);
        r.value.push_back(coef_[j]);
      }
    r.rhs = rhs_;
  }
  // Eliminates one continuous column through another row; false when none
  // can be.
  bool extend(std::vector<int>& used) {
    int col = -1;
    double distance = 1e-6;
    for (int j : support_) {
      if (coef_[j] == 0.0 || m_.kind[j] == ColKind::Integer) continue;
      const double d = std::min(in_.x[j] - in_.lower[j], in_.upper[j] - in_.x[j]);
      if (d > distance) {
        distance = d;
        col = j;
      }
    }
    if (col < 0) return false;
    for (int64_t k = m_.col_begin[col]; k < m_.col_begin[col + 1]; ++k) {
      const int r = m_.col_row[k];
      if (r >= rows_ || std::find(used.begin(), used.end(), r) != used.end()) continue;
      const double mu = -coef_[col] / m_.col_val[k];
      // Σ mu·a_r·x against the side that keeps the inequality's direction.
      const double side = mu > 0 ? m_.row_hi[r] : m_.row_lo[r];
      if (std::isinf(side)) continue;
      for (int64_t e = m_.row_begin[r]; e < m_.row_begin[r + 1]; ++e) add(m_.row_col[e], mu * m_.row_val[e]);
      coef_[col] = 0.0;
      rhs_ += mu * side;
      used.push_back(r);
      return true;
    }
    return false;
  }

 private:
  void add(int j, double v) {
    if (!in_row_[j]) {
      in_row_[j] = 1;
      support_.push_back(j);
    }
    coef_[j] += v;
  }
  const SeparationInput& in_;
  const MipModel& m_;
  int rows_;
  std::vector<double> coef_;
  std::vector<uint8_t> in_row_;
  std::vector<int> support_;
  double rhs_ = 0.0;
};

}  // namespace

void separate_mir(const SeparationInput& in, int rows, int aggregation_limit, std::vector<Cut>& out) {
  // Entries read per round at most, as a multiple of the matrix's entries.
  constexpr int64_t kWorkShare = 20;
  constexpr int64_t kLeastWork = 1000000;
  const int64_t budget =
      std::max<int64_t>(kLeastWork, kWorkShare * static_cast<int64_t>(in.model->row_col.size()));
  int64_t work = 0;
  const std::vector<ExtraVariable> none;
  const std::vector<int> any;
  Aggregation agg(in, rows);
  std::vector<int> used;
  BaseRow base;
  Cut cut;
  int row = 0;
  for_each_row_side(*in.model, rows, [&](const BaseRow& r) {
    if (work > budget) return;
    in.report(row, rows, work);
    agg.start(r);
    used.assign(1, row);
    for (int step = 0;; ++step) {
      agg.read(base);
      work += static_cast<int64_t>(base.index.size()) * 8;  // the deltas tried
      if (best_mir_cut(in, base, none, any, cut)) {
        cut.family = kMirCuts;
        out.push_back(cut);
        break;
      }
      if (step >= aggregation_limit || !agg.extend(used)) break;
    }
    agg.clear();
  }, &row);
}

}  // namespace korva::mip
