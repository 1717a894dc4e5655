#include "mip/cuts/zero_half_cuts.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <unordered_map>
#include <unordered_set>

#include "mip/mip_model.h"

namespace korva::mip {

namespace {

constexpr double kMinEfficacy = 1e-4;
constexpr double kMinViolation = 1e-6;
// A set of rows whose weight (its slacks plus the values of its odd
// columns) reaches this gives a cut violated by less than 1e-4 in x'.
constexpr double kMaxWeight = 1.0 - 2e-4;
constexpr double kAtZero = 1e-6;              // x' this small costs nothing to leave odd
constexpr double kBoundTolerance = 1e-6;      // an integer column's bound rounds inward beyond this
constexpr double kIntegralTolerance = 1e-9;   // relative: a coefficient this close to an integer is one
constexpr double kMaxTerm = 1e9;              // larger |a·bound| or |b|: the row is not exact enough
constexpr double kMaxCoefficient = 1e6;       // of a scaled integer row
constexpr double kMaxExact = 1e15;            // integers up to here are exact in doubles, with room
constexpr double kMaxDynamism = 1e6;          // largest over smallest coefficient of a cut
constexpr int kMaxScale = 12;
constexpr int kMaxRowLength = 1000;           // integer columns of one row
constexpr int kMaxCuts = 200;
constexpr int kMaxParityRows = 10000;   // rows of least slack looked at in sets of several
constexpr int kMaxSystemRows = 512;      // of those, the ones the elimination works on
constexpr int kMaxSystemColumns = 4096;
constexpr double kMaxNeighbourSlack = 0.5;  // a row reached through a column joins below this slack
constexpr int64_t kWorkBudget = 20'000'000;   // entries and words read, per call

bool odd(double integral) { return std::fmod(std::fabs(integral), 2.0) == 1.0; }

// How a column enters the integer rows.
enum class ColumnUse : uint8_t { Unusable, Continuous, Fixed, Shifted };

struct Column {
  ColumnUse use = ColumnUse::Unusable;
  double lower = 0.0, upper = 0.0;  // Continuous: the values it can take
  double bound = 0.0;  // Fixed: its value; Shifted: where x' counts from
  double sign = 1.0;   // Shifted: x' = sign·(x - bound)
  double value = 0.0;  // Shifted: x' at the LP point
  double range = 0.0;  // Shifted: the largest x' (may be infinite)
};

// Integer columns become nonnegative integers counted from the bound
// nearer the LP point, so that x' is small where the point is near a bound.
void classify_columns(const SeparationInput& in, std::vector<Column>& cols) {
  const MipModel& m = *in.model;
  cols.assign(static_cast<size_t>(m.num_cols), Column{});
  for (int j = 0; j < m.num_cols; ++j) {
    Column& c = cols[j];
    const double l = in.lower[j], u = in.upper[j];
    if (m.kind[j] != ColKind::Integer) {
      // Semi-continuous and semi-integer columns may also rest at 0; their
      // integrality is not used.
      const bool semi = m.kind[j] != ColKind::Continuous;
      c.use = ColumnUse::Continuous;
      c.lower = semi ? std::min(0.0, l) : l;
      c.upper = semi ? std::max(0.0, u) : u;
      continue;
    }
    const double lo = std::isinf(l) ? l : std::ceil(l - kBoundTolerance);
    const double hi = std::isinf(u) ? u : std::floor(u + kBoundTolerance);
    if (lo > hi) continue;
    if (lo == hi) {
      if (std::fabs(lo) <= kMaxTerm) {
        c.use = ColumnUse::Fixed;
        c.bound = lo;
      }
      continue;
    }
    const bool has_lo = std::fabs(lo) <= kMaxTerm, has_hi = std::fabs(hi) <= kMaxTerm;
    if (!has_lo && !has_hi) continue;
    const double x = in.x[j];
    const bool from_lower = has_lo && (!has_hi || x - lo <= hi - x);
    c.use = ColumnUse::Shifted;
    c.bound = from_lower ? lo : hi;
    c.sign = from_lower ? 1.0 : -1.0;
    c.value = std::max(0.0, c.sign * (x - c.bound));
    c.range = hi - lo;
  }
}

// Row sides in integer form: Σ coef·x' <= rhs over shifted columns, coef
// and rhs integral.
struct IntegerRows {
  std::vector<int64_t> begin{0};
  std::vector<int> col;
  std::vector<double> coef;
  std::vector<double> rhs;
  std::vector<double> slack;       // rhs - coef·x' at the LP point, at least 0
  std::vector<double> odd_weight;  // Σ x' over the columns with an odd coefficient
  int size() const { return static_cast<int>(rhs.size()); }
};

// Appends side `s` of row i (+1: a·x <= row_hi, -1: -a·x <= -row_lo);
// false when it has no integer form worth using.
bool append_side(const MipModel& m, const std::vector<Column>& cols, int i, double s, IntegerRows& out,
                 int64_t& work) {
  const int64_t first = m.row_begin[i], last = m.row_begin[i + 1];
  work += 2 * (last - first);
  double b = s > 0 ? m.row_hi[i] : -m.row_lo[i];
  double largest = std::fabs(b), total = std::fabs(b);
  int integers = 0;
  bool integral = true;
  // Everything but x' moves to the right-hand side: a continuous column at
  // the bound where a·x is least (so the row without it still holds), a
  // fixed column at its value, a shifted one at the bound x' counts from.
  for (int64_t k = first; k < last; ++k) {
    const double a = s * m.row_val[k];
    if (a == 0.0) continue;
    const Column& c = cols[m.row_col[k]];
    double term = 0.0;
    switch (c.use) {
      case ColumnUse::Unusable:
        return false;
      case ColumnUse::Continuous:
        term = a * (a > 0 ? c.lower : c.upper);
        break;
      case ColumnUse::Fixed:
        term = a * c.bound;
        break;
      case ColumnUse::Shifted:
        term = a * c.bound;
        ++integers;
        integral = integral && a == std::round(a);
        break;
    }
    if (!std::isfinite(term)) return false;
    b -= term;
    largest = std::max(largest, std::fabs(term));
    total += std::fabs(term);
  }
  if (integers == 0 || integers > kMaxRowLength || largest > kMaxTerm) return false;

  // The smallest multiplier that makes the integer coefficients integral.
  int scale = integral ? 1 : 0;
  for (int t = 1; t <= kMaxScale && scale == 0; ++t) {
    bool near = true;
    for (int64_t k = first; k < last && near; ++k) {
      if (cols[m.row_col[k]].use != ColumnUse::Shifted) continue;
      const double v = t * s * m.row_val[k];
      near = std::fabs(v - std::round(v)) <= kIntegralTolerance * std::max(1.0, std::fabs(v));
    }
    work += last - first;
    if (near) scale = t;
  }
  if (scale == 0) return false;

  const double t = scale;
  // Rounding in the moves above, and a margin before the floor below.
  double rhs = t * b + t * (1e-9 + 4e-16 * static_cast<double>(last - first + 1) * total);
  double activity = 0.0, odd_weight = 0.0;
  const size_t rollback = out.col.size();
  for (int64_t k = first; k < last; ++k) {
    const int j = m.row_col[k];
    const Column& c = cols[j];
    if (c.use != ColumnUse::Shifted) continue;
    const double v = t * s * m.row_val[k];
    const double q = std::round(v);
    if (std::fabs(q) > kMaxCoefficient) {
      out.col.resize(rollback);
      out.coef.resize(rollback);
      return false;
    }
    // v·x = v·bound + v·sign·x' with 0 <= x' <= range: writing q for v
    // moves the left-hand side by at most |v - q|·range.
    if (v != q) {
      if (std::isinf(c.range)) {
        out.col.resize(rollback);
        out.coef.resize(rollback);
        return false;
      }
      rhs += std::fabs(v - q) * c.range;
    }
    if (q == 0.0) continue;
    out.col.push_back(j);
    out.coef.push_back(c.sign * q);
    activity += c.sign * q * c.value;
    if (odd(q)) odd_weight += c.value;
  }
  rhs = std::floor(rhs);  // the left-hand side is an integer
  if (out.col.size() == rollback || std::fabs(rhs) > kMaxExact) {
    out.col.resize(rollback);
    out.coef.resize(rollback);
    return false;
  }
  out.begin.push_back(static_cast<int64_t>(out.col.size()));
  out.rhs.push_back(rhs);
  out.slack.push_back(std::max(0.0, rhs - activity));
  out.odd_weight.push_back(odd_weight);
  return true;
}

uint64_t mix(uint64_t h, uint64_t v) {
  h ^= v + 0x9e3779b97f4a7c15ULL + (h << 6) + (h >> 2);
  return h;
}

// Turns sets of integer rows into cuts in the model's columns, each set
// at most once.
class CutMaker {
 public:
  CutMaker(const SeparationInput& in, const std::vector<Column>& cols, const IntegerRows& rows, std::vector<Cut>& out)
      : in_(in), cols_(cols), rows_(rows), out_(out), value_(cols.size(), 0.0), marked_(cols.size(), 0) {}

  int made() const { return made_; }
  bool full() const { return made_ >= kMaxCuts; }

  // Half the sum of the rows `used` (indices into the integer rows), each
  // coefficient and the right-hand side rounded down; kept when its sum's
  // right-hand side is odd and the cut is new, violated enough and safe.
  void make(std::vector<int>& used, int64_t& work) {
    std::sort(used.begin(), used.end());
    uint64_t h = used.size();
    for (int i : used) h = mix(h, static_cast<uint64_t>(i));
    if (!seen_.insert(h).second) return;
    double beta = 0.0;
    touched_.clear();
    for (int i : used) {
      beta += rows_.rhs[i];
      work += rows_.begin[i + 1] - rows_.begin[i];
      for (int64_t k = rows_.begin[i]; k < rows_.begin[i + 1]; ++k) {
        const int j = rows_.col[k];
        if (!marked_[j]) {
          marked_[j] = 1;
          touched_.push_back(j);
        }
        value_[j] += rows_.coef[k];
      }
    }
    std::sort(touched_.begin(), touched_.end());
    Cut cut;
    cut.family = kZeroHalfCuts;
    bool usable = std::fabs(beta) <= kMaxExact && odd(beta);
    double rhs = std::floor(beta / 2.0), smallest = INFINITY, largest = 0.0;
    for (int j : touched_) {
      const double c = value_[j];
      value_[j] = 0.0;
      marked_[j] = 0;
      if (!usable) continue;
      const double g = std::floor(c / 2.0);  // c is an integer: exact
      if (g == 0.0) continue;
      // g·x' = g·sign·x - g·sign·bound.
      const double coef = g * cols_[j].sign;
      const double term = coef * cols_[j].bound;
      if (std::fabs(coef) > kMaxExact || std::fabs(term) > kMaxExact) usable = false;
      rhs += term;
      cut.index.push_back(j);
      cut.value.push_back(coef);
      smallest = std::min(smallest, std::fabs(coef));
      largest = std::max(largest, std::fabs(coef));
    }
    if (!usable || cut.index.empty() || std::fabs(rhs) > kMaxExact || largest > kMaxDynamism * smallest) return;
    cut.rhs = rhs;
    const double violation = cut.activity(in_.x) - cut.rhs;
    if (violation <= kMinViolation || violation <= kMinEfficacy * cut.norm()) return;
    // Different sets of rows can round to the same cut.
    uint64_t c = mix(cut.index.size(), static_cast<uint64_t>(static_cast<int64_t>(cut.rhs)));
    for (size_t k = 0; k < cut.index.size(); ++k)
      c = mix(mix(c, static_cast<uint64_t>(cut.index[k])), static_cast<uint64_t>(static_cast<int64_t>(cut.value[k])));
    if (!cuts_seen_.insert(c).second) return;
    out_.push_back(std::move(cut));
    ++made_;
  }

 private:
  const SeparationInput& in_;
  const std::vector<Column>& cols_;
  const IntegerRows& rows_;
  std::vector<Cut>& out_;
  std::vector<double> value_;
  std::vector<uint8_t> marked_;
  std::vector<int> touched_;
  std::unordered_set<uint64_t> seen_, cuts_seen_;
  int made_ = 0;
};

// The rows that can take part in a violated set, as parity patterns over
// the columns away from zero (numbered in order of first appearance):
// odd columns, right-hand side parity, and weight.
struct ParitySystem {
  std::vector<int> row;  // index into the integer rows
  std::vector<int64_t> begin{0};
  std::vector<int> col;  // parity columns with an odd coefficient
  std::vector<uint8_t> rhs_odd;
  std::vector<double> slack;
  std::vector<double> odd_weight;     // Σ x' over the odd columns
  std::vector<double> column_weight;  // x' of each parity column
  std::vector<int> column_of;         // model column → parity column, or -1
  std::vector<int64_t> column_begin;  // by columns: the rows with it odd, in increasing slack
  std::vector<int> column_row;
  int rows() const { return static_cast<int>(row.size()); }
  int columns() const { return static_cast<int>(column_weight.size()); }
};

// The odd columns away from zero of integer row i, and their total x'.
double odd_pattern(const std::vector<Column>& cols, const IntegerRows& rows, int i, std::vector<int>& pattern) {
  pattern.clear();
  double weight = 0.0;
  for (int64_t k = rows.begin[i]; k < rows.begin[i + 1]; ++k) {
    const int j = rows.col[k];
    if (!odd(rows.coef[k]) || cols[j].value <= kAtZero) continue;
    pattern.push_back(j);
    weight += cols[j].value;
  }
  return weight;
}

// Each row alone: its odd columns must weigh little.
void single_rows(const IntegerRows& rows, CutMaker& maker, int64_t& work) {
  std::vector<int> used;
  for (int i = 0; i < rows.size() && !maker.full() && work <= kWorkBudget; ++i) {
    if (!odd(rows.rhs[i]) || rows.slack[i] + rows.odd_weight[i] >= kMaxWeight) continue;
    used.assign(1, i);
    maker.make(used, work);
  }
}

// The rows of least slack, in increasing slack; a row whose pattern and
// parity repeat one already taken adds nothing (the earlier one has less
// slack).
void build_parity_system(const std::vector<Column>& cols, const IntegerRows& rows, ParitySystem& sys,
                         int64_t& work) {
  std::vector<int> order;
  for (int i = 0; i < rows.size(); ++i)
    if (rows.slack[i] < kMaxWeight) order.push_back(i);
  auto less_slack = [&](int p, int q) {
    return rows.slack[p] != rows.slack[q] ? rows.slack[p] < rows.slack[q] : p < q;
  };
  if (order.size() > static_cast<size_t>(kMaxParityRows)) {
    std::nth_element(order.begin(), order.begin() + kMaxParityRows, order.end(), less_slack);
    order.resize(kMaxParityRows);
  }
  std::sort(order.begin(), order.end(), less_slack);
  work += rows.size() + static_cast<int64_t>(order.size()) * 8;
  sys.column_of.assign(cols.size(), -1);
  std::unordered_multimap<uint64_t, int> patterns;
  patterns.reserve(order.size());
  std::vector<int> pattern;
  for (int i : order) {
    work += rows.begin[i + 1] - rows.begin[i];
    const double weight = odd_pattern(cols, rows, i, pattern);
    const uint8_t rhs_odd = odd(rows.rhs[i]) ? 1 : 0;
    if (pattern.empty() && !rhs_odd) continue;  // sums to nothing with any set
    std::sort(pattern.begin(), pattern.end());
    uint64_t h = mix(pattern.size(), rhs_odd);
    for (int j : pattern) h = mix(h, static_cast<uint64_t>(j));
    bool repeated = false;
    for (auto [it, end] = patterns.equal_range(h); it != end && !repeated; ++it) {
      const int r = it->second;
      if (sys.rhs_odd[r] != rhs_odd || sys.begin[r + 1] - sys.begin[r] != static_cast<int64_t>(pattern.size()))
        continue;
      repeated = true;
      for (size_t p = 0; p < pattern.size() && repeated; ++p)
        repeated = sys.col[sys.begin[r] + static_cast<int64_t>(p)] == sys.column_of[pattern[p]];
    }
    if (repeated) continue;
    patterns.emplace(h, sys.rows());
    for (int j : pattern) {
      if (sys.column_of[j] < 0) {
        sys.column_of[j] = sys.columns();
        sys.column_weight.push_back(cols[j].value);
      }
      sys.col.push_back(sys.column_of[j]);
    }
    sys.row.push_back(i);
    sys.begin.push_back(static_cast<int64_t>(sys.col.size()));
    sys.rhs_odd.push_back(rhs_odd);
    sys.slack.push_back(rows.slack[i]);
    sys.odd_weight.push_back(weight);
  }
  sys.column_begin.assign(static_cast<size_t>(sys.columns()) + 1, 0);
  for (int c : sys.col) ++sys.column_begin[c + 1];
  for (int c = 0; c < sys.columns(); ++c) sys.column_begin[c + 1] += sys.column_begin[c];
  sys.column_row.resize(sys.col.size());
  std::vector<int64_t> fill(sys.column_begin.begin(), sys.column_begin.end() - 1);
  for (int r = 0; r < sys.rows(); ++r)
    for (int64_t k = sys.begin[r]; k < sys.begin[r + 1]; ++k) sys.column_row[fill[sys.col[k]]++] = r;
  work += static_cast<int64_t>(sys.col.size());
}

// Pairs of rows sharing an odd column whose right-hand sides differ in
// parity.
void row_pairs(const ParitySystem& sys, CutMaker& maker, int64_t& work) {
  std::vector<int> used;
  const std::vector<int64_t>& start = sys.column_begin;
  const std::vector<int>& rows_of = sys.column_row;
  std::vector<uint8_t> in_first(static_cast<size_t>(sys.columns()), 0);
  std::vector<int> last_partner(static_cast<size_t>(sys.rows()), -1);
  for (int p = 0; p < sys.rows() && !maker.full() && work <= kWorkBudget; ++p) {
    if (!sys.rhs_odd[p] || sys.slack[p] >= kMaxWeight) continue;
    for (int64_t k = sys.begin[p]; k < sys.begin[p + 1]; ++k) in_first[sys.col[k]] = 1;
    for (int64_t k = sys.begin[p]; k < sys.begin[p + 1] && work <= kWorkBudget; ++k) {
      const int c = sys.col[k];
      work += start[c + 1] - start[c];
      for (int64_t e = start[c]; e < start[c + 1]; ++e) {
        const int q = rows_of[e];
        if (q == p || last_partner[q] == p || sys.rhs_odd[q]) continue;
        last_partner[q] = p;
        if (sys.slack[p] + sys.slack[q] >= kMaxWeight) break;  // the rest have more slack
        double weight = sys.slack[p] + sys.slack[q] + sys.odd_weight[p];
        work += sys.begin[q + 1] - sys.begin[q];
        for (int64_t f = sys.begin[q]; f < sys.begin[q + 1]; ++f) {
          const int d = sys.col[f];
          weight += in_first[d] ? -sys.column_weight[d] : sys.column_weight[d];
        }
        if (weight < kMaxWeight) {
          used = {sys.row[p], sys.row[q]};
          maker.make(used, work);
        }
      }
    }
    for (int64_t k = sys.begin[p]; k < sys.begin[p + 1]; ++k) in_first[sys.col[k]] = 0;
  }
}

// Gaussian elimination mod 2 over a few hundred rows of small slack that
// share columns: columns of largest x' are cleared first, each by the row of least weight that has
// it; every row an elimination step changes is a new set of rows, tried
// when its right-hand side is odd and its weight small.
class Elimination {
 public:
  explicit Elimination(const ParitySystem& sys) : sys_(sys) {}

  void run(CutMaker& maker, int64_t& work) {
    choose(work);
    if (rows_ == 0 || columns_ == 0) return;
    std::vector<uint8_t> pivoted(static_cast<size_t>(rows_), 0);
    std::vector<int> used;
    for (int c = 0; c < columns_ && !maker.full() && work <= kWorkBudget; ++c) {
      const int word = c >> 6;
      const uint64_t bit = uint64_t{1} << (c & 63);
      int pivot = -1;
      for (int r = 0; r < rows_; ++r)
        if (!pivoted[r] && (bits(r)[word] & bit) && (pivot < 0 || weight_[r] < weight_[pivot])) pivot = r;
      work += rows_;
      if (pivot < 0) continue;
      pivoted[pivot] = 1;
      const uint64_t* p = bits(pivot);
      for (int r = 0; r < rows_ && !maker.full(); ++r) {
        uint64_t* row = bits(r);
        if (r == pivot || !(row[word] & bit)) continue;
        // The pivot row has no bit left in the columns before c.
        for (int w = word; w < words_; ++w) row[w] ^= p[w];
        rhs_odd_[r] ^= rhs_odd_[pivot];
        weight_[r] = weight_of(r);
        work += 2 * (words_ - word);
        if (rhs_odd_[r] && weight_[r] < kMaxWeight) {
          used.clear();
          const uint64_t* set = row + column_words_;
          for (int w = 0; w < words_ - column_words_; ++w)
            for (uint64_t v = set[w]; v; v &= v - 1) used.push_back(sys_.row[chosen_[64 * w + std::countr_zero(v)]]);
          maker.make(used, work);
        }
      }
    }
  }

 private:
  // The rows taking part, up to the size limits; their columns merged
  // where two have the same rows, ordered by decreasing weight.
  void choose(int64_t& work) {
    std::vector<int> place(static_cast<size_t>(sys_.columns()), -1);
    std::vector<int> columns;
    // Odd sets are cycles through shared columns: starting from the row of
    // least slack, rows of small slack sharing a column with a chosen one
    // come next, then the next row of least slack not yet reached.
    std::vector<uint8_t> reached(static_cast<size_t>(sys_.rows()), 0), expanded(static_cast<size_t>(sys_.columns()), 0);
    std::vector<int> queue;
    for (int seed = 0; seed < sys_.rows() && static_cast<int>(chosen_.size()) < kMaxSystemRows; ++seed) {
      if (reached[seed]) continue;
      reached[seed] = 1;
      queue.assign(1, seed);
      for (size_t h = 0; h < queue.size() && static_cast<int>(chosen_.size()) < kMaxSystemRows; ++h) {
        const int r = queue[h];
        if (sys_.begin[r + 1] == sys_.begin[r]) continue;  // no column to clear: a single row at most
        int fresh = 0;
        for (int64_t k = sys_.begin[r]; k < sys_.begin[r + 1]; ++k) fresh += place[sys_.col[k]] < 0;
        if (static_cast<int>(columns.size()) + fresh > kMaxSystemColumns) continue;
        for (int64_t k = sys_.begin[r]; k < sys_.begin[r + 1]; ++k) {
          const int c = sys_.col[k];
          if (place[c] < 0) {
            place[c] = static_cast<int>(columns.size());
            columns.push_back(c);
          }
          if (expanded[c]) continue;
          expanded[c] = 1;
          work += sys_.column_begin[c + 1] - sys_.column_begin[c];
          for (int64_t e = sys_.column_begin[c]; e < sys_.column_begin[c + 1]; ++e) {
            const int q = sys_.column_row[e];
            if (sys_.slack[q] >= kMaxNeighbourSlack) break;  // the rest have more
            if (!reached[q]) {
              reached[q] = 1;
              queue.push_back(q);
            }
          }
        }
        chosen_.push_back(r);
        work += 2 * (sys_.begin[r + 1] - sys_.begin[r]);
      }
    }
    rows_ = static_cast<int>(chosen_.size());
    // Each column's rows, to find columns with the same rows.
    const int n = static_cast<int>(columns.size());
    std::vector<int64_t> start(static_cast<size_t>(n) + 1, 0);
    for (int r : chosen_)
      for (int64_t k = sys_.begin[r]; k < sys_.begin[r + 1]; ++k) ++start[place[sys_.col[k]] + 1];
    for (int c = 0; c < n; ++c) start[c + 1] += start[c];
    std::vector<int> rows_of(static_cast<size_t>(start[n])), fill(start.begin(), start.end() - 1);
    for (int x = 0; x < rows_; ++x)
      for (int64_t k = sys_.begin[chosen_[x]]; k < sys_.begin[chosen_[x] + 1]; ++k)
        rows_of[fill[place[sys_.col[k]]]++] = x;
    std::unordered_multimap<uint64_t, int> lists;
    std::vector<int> merged_into(static_cast<size_t>(n), -1);
    std::vector<double> weight(static_cast<size_t>(n), 0.0);
    std::vector<int> kept;
    for (int c = 0; c < n; ++c) {
      uint64_t h = static_cast<uint64_t>(start[c + 1] - start[c]);
      for (int64_t e = start[c]; e < start[c + 1]; ++e) h = mix(h, static_cast<uint64_t>(rows_of[e]));
      int same = -1;
      for (auto [it, end] = lists.equal_range(h); it != end && same < 0; ++it) {
        const int d = it->second;
        if (std::equal(rows_of.begin() + start[c], rows_of.begin() + start[c + 1], rows_of.begin() + start[d],
                       rows_of.begin() + start[d + 1]))
          same = d;
      }
      work += start[c + 1] - start[c];
      if (same >= 0) {
        merged_into[c] = same;
        weight[same] += sys_.column_weight[columns[c]];
        continue;
      }
      lists.emplace(h, c);
      merged_into[c] = c;
      weight[c] = sys_.column_weight[columns[c]];
      kept.push_back(c);
    }
    std::sort(kept.begin(), kept.end(),
              [&](int p, int q) { return weight[p] != weight[q] ? weight[p] > weight[q] : p < q; });
    std::vector<int> position(static_cast<size_t>(n), -1);
    columns_ = static_cast<int>(kept.size());
    column_weight_.resize(static_cast<size_t>(columns_));
    for (int k = 0; k < columns_; ++k) {
      position[kept[k]] = k;
      column_weight_[k] = weight[kept[k]];
    }
    column_words_ = (columns_ + 63) / 64;
    words_ = column_words_ + (rows_ + 63) / 64;
    bits_.assign(static_cast<size_t>(rows_) * static_cast<size_t>(words_), 0);
    rhs_odd_.resize(static_cast<size_t>(rows_));
    weight_.resize(static_cast<size_t>(rows_));
    for (int x = 0; x < rows_; ++x) {
      const int r = chosen_[x];
      uint64_t* row = bits(x);
      for (int64_t k = sys_.begin[r]; k < sys_.begin[r + 1]; ++k) {
        const int b = position[merged_into[place[sys_.col[k]]]];
        row[b >> 6] |= uint64_t{1} << (b & 63);  // merged columns share a bit
      }
      row[column_words_ + (x >> 6)] |= uint64_t{1} << (x & 63);
      rhs_odd_[x] = sys_.rhs_odd[r];
      weight_[x] = weight_of(x);
    }
    work += static_cast<int64_t>(rows_) * words_;
  }

  uint64_t* bits(int r) { return bits_.data() + static_cast<size_t>(r) * static_cast<size_t>(words_); }

  // The slacks of the rows combined plus the weights of the odd columns.
  double weight_of(int r) {
    const uint64_t* row = bits(r);
    double w = 0.0;
    for (int k = 0; k < column_words_; ++k)
      for (uint64_t v = row[k]; v; v &= v - 1) w += column_weight_[64 * k + std::countr_zero(v)];
    for (int k = column_words_; k < words_; ++k)
      for (uint64_t v = row[k]; v; v &= v - 1) w += sys_.slack[chosen_[64 * (k - column_words_) + std::countr_zero(v)]];
    return w;
  }

  const ParitySystem& sys_;
  std::vector<int> chosen_;  // parity-system rows taking part
  std::vector<double> column_weight_;
  std::vector<uint64_t> bits_;  // per row: its columns, then the chosen rows it sums
  std::vector<uint8_t> rhs_odd_;
  std::vector<double> weight_;
  int rows_ = 0, columns_ = 0, column_words_ = 0, words_ = 0;
};

}  // namespace

void separate_zero_half(const SeparationInput& in, int rows, std::vector<Cut>& out) {
  const MipModel& m = *in.model;
  int64_t work = 0;
  std::vector<Column> cols;
  classify_columns(in, cols);
  work += m.num_cols;
  IntegerRows integer_rows;
  integer_rows.col.reserve(static_cast<size_t>(m.row_begin[rows]));
  integer_rows.coef.reserve(static_cast<size_t>(m.row_begin[rows]));
  for (auto* v : {&integer_rows.rhs, &integer_rows.slack, &integer_rows.odd_weight})
    v->reserve(static_cast<size_t>(rows));
  integer_rows.begin.reserve(static_cast<size_t>(rows) + 1);
  for (int i = 0; i < rows && work <= kWorkBudget; ++i) {
    if (!std::isinf(m.row_hi[i])) append_side(m, cols, i, 1.0, integer_rows, work);
    if (!std::isinf(m.row_lo[i])) append_side(m, cols, i, -1.0, integer_rows, work);
  }
  CutMaker maker(in, cols, integer_rows, out);
  single_rows(integer_rows, maker, work);
  if (maker.full() || work > kWorkBudget) return;
  ParitySystem sys;
  build_parity_system(cols, integer_rows, sys, work);
  row_pairs(sys, maker, work);
  if (maker.full() || work > kWorkBudget) return;
  Elimination(sys).run(maker, work);
}

}  // namespace korva::mip
