#include "mip/cuts/flow_cover_cuts.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include "mip/cuts/base_row.h"
#include "mip/cuts/variable_bounds.h"
#include "mip/mip_model.h"

namespace korva::mip {

namespace {

constexpr double kMinEfficacy = 1e-4;
constexpr double kMinFraction = 0.005;  // λ/δ must lie within (this, 1 - this)
constexpr double kCoverMargin = 1e-6;   // λ relative to the capacities: less is no cover
constexpr double kTinyCoefficient = 1e-9;
constexpr double kMaxDynamism = 1e6;
constexpr double kSafety = 1e-9;  // relative slack on the cut's right-hand side
constexpr double kHugeCapacity = 1e12;  // beyond this a capacity is no bound
constexpr int kMaxCuts = 200;
constexpr int kMaxDivisors = 6;
constexpr size_t kMaxRowLength = 5000;

// One flow of the single-node flow set.
struct Arc {
  int col;                // the column the flow is made of
  double slope, offset;   // y = slope·x_col + offset
  int binary;             // z with y <= capacity·z, or -1: z fixed at 1
  double capacity;        // u; infinite when the flow is unbounded
  bool self;              // the column is the binary itself: y = u·z exactly
  bool positive;          // in N+ (else N-)
  double y, z;            // LP values
};

enum Role : uint8_t { kOutside = 0, kCoverPlus = 1, kCoverMinus = 2 };

// A semi-continuous column may also be 0, below its lower bound.
double least_value(const SeparationInput& in, int j) {
  const ColKind kind = in.model->kind[j];
  const bool semi = kind == ColKind::SemiContinuous || kind == ColKind::SemiInteger;
  return semi ? std::min(in.lower[j], 0.0) : in.lower[j];
}

double floor_part(double v) { return std::floor(v); }
double fraction(double v) { return v - std::floor(v); }

class FlowCoverSeparator {
 public:
  FlowCoverSeparator(const SeparationInput& in, const VariableUpperBounds& vubs)
      : in_(in), vubs_(vubs) {
    value_.assign(static_cast<size_t>(in.model->num_cols), 0.0);
    marked_.assign(static_cast<size_t>(in.model->num_cols), 0);
  }

  // The flow set of one row side; false when some column has no finite
  // bound to shift to, or no binary is fractional (nothing to cut).
  bool read(const BaseRow& r) {
    arcs_.clear();
    double b = r.rhs;
    bool fractional = false;
    for (size_t k = 0; k < r.index.size(); ++k) {
      const int j = r.index[k];
      const double a = r.value[k];
      if (a == 0.0) continue;
      const double l = least_value(in_, j), u = in_.upper[j], x = in_.x[j];
      Arc arc{j, std::fabs(a), 0.0, -1, kInf, false, a > 0.0, 0.0, 1.0};
      if (is_binary(in_, j)) {
        arc.binary = j;
        arc.capacity = std::fabs(a);
        arc.self = true;
      } else if (l == u) {
        b -= a * l;
        continue;
      } else if (std::isfinite(l)) {
        // a·x = a·l + sign(a)·y with y = |a|·(x - l).
        arc.offset = -std::fabs(a) * l;
        b -= a * l;
        arc.capacity = std::fabs(a) * (u - l);
        if (l == 0.0) {
          if (const VariableUpperBound* v = vubs_.tightest(j, in_.x)) {
            arc.binary = v->binary;
            arc.capacity = std::fabs(a) * v->bound;
          }
        }
      } else if (std::isfinite(u)) {
        // a·x = a·u - sign(a)·y with y = |a|·(u - x), unbounded.
        arc.slope = -std::fabs(a);
        arc.offset = std::fabs(a) * u;
        arc.positive = a < 0.0;
        b -= a * u;
      } else {
        return false;
      }
      if (!(arc.capacity <= kHugeCapacity)) arc.capacity = kInf;
      if (arc.binary >= 0 && !std::isfinite(arc.capacity)) arc.binary = -1;
      arc.y = arc.slope * x + arc.offset;
      if (arc.binary >= 0) {
        arc.z = in_.x[arc.binary];
        if (arc.z > in_.integrality && arc.z < 1.0 - in_.integrality) fractional = true;
      }
      arcs_.push_back(arc);
    }
    rhs_ = b;
    return fractional && std::isfinite(b);
  }

  // The most efficacious cut over the covers tried, or false.
  bool best_cut(Cut& out) {
    bool found = false;
    best_efficacy_ = kMinEfficacy;
    for (int variant = 0; variant < 2; ++variant) {
      if (!choose_cover(variant == 1)) continue;
      collect_divisors();
      for (double delta : divisors_)
        if (cut_for(delta, trial_)) {
          const double e = trial_.efficacy(in_.x);
          if (e > best_efficacy_) {
            best_efficacy_ = e;
            out = trial_;
            found = true;
          }
        }
      if (!any_at_capacity_) break;  // the second variant would repeat the first
    }
    return found;
  }

  size_t arcs() const { return arcs_.size(); }

 private:
  // C- is empty, or (`minus_at_capacity`) every bounded N- flow without a
  // switch that the LP point runs at capacity: there y_j <= u_j costs nothing
  // and lowers λ. C+ is the greedy knapsack cover preferring flows whose
  // switch is nearly on, per unit of capacity; then the least promising are
  // dropped while the rest still covers, which keeps λ small.
  bool choose_cover(bool minus_at_capacity) {
    role_.assign(arcs_.size(), kOutside);
    any_at_capacity_ = false;
    double b = rhs_;
    for (size_t k = 0; k < arcs_.size(); ++k) {
      const Arc& a = arcs_[k];
      if (a.positive || a.binary >= 0 || !std::isfinite(a.capacity)) continue;
      if (a.y < a.capacity - 1e-6 * std::max(1.0, a.capacity)) continue;
      any_at_capacity_ = true;
      if (!minus_at_capacity) continue;
      role_[k] = kCoverMinus;
      b += a.capacity;
    }
    order_.clear();
    for (size_t k = 0; k < arcs_.size(); ++k) {
      const Arc& a = arcs_[k];
      if (a.positive && std::isfinite(a.capacity) && a.capacity > kTinyCoefficient && a.y > 0.0)
        order_.push_back(static_cast<int>(k));
    }
    auto key = [&](int k) { return (1.0 - std::clamp(arcs_[k].z, 0.0, 1.0)) / arcs_[k].capacity; };
    std::sort(order_.begin(), order_.end(), [&](int p, int q) {
      const double kp = key(p), kq = key(q);
      if (kp != kq) return kp < kq;
      if (arcs_[p].y != arcs_[q].y) return arcs_[p].y > arcs_[q].y;
      return p < q;
    });
    double total = 0.0, scale = std::fabs(b);
    for (int k : order_) scale = std::max(scale, arcs_[k].capacity);
    const double needed = b + kCoverMargin * std::max(1.0, scale);
    size_t used = 0;
    while (used < order_.size() && total <= needed) total += arcs_[order_[used++]].capacity;
    if (total <= needed) return false;
    order_.resize(used);
    for (size_t p = order_.size(); p-- > 0;) {
      const double cap = arcs_[order_[p]].capacity;
      if (total - cap > needed) {
        total -= cap;
        order_.erase(order_.begin() + static_cast<std::ptrdiff_t>(p));
      }
    }
    bool switched = false;
    for (int k : order_) {
      role_[k] = kCoverPlus;
      switched = switched || arcs_[k].binary >= 0;
    }
    lambda_ = total - b;
    beta_ = b - total;
    return switched;
  }

  // Divisors: the capacities of the cover's switched flows above λ, largest
  // first (the largest gives the classic flow cover inequality).
  void collect_divisors() {
    divisors_.clear();
    for (size_t k = 0; k < arcs_.size(); ++k) {
      const Arc& a = arcs_[k];
      if (role_[k] != kCoverPlus || a.binary < 0 || a.capacity <= lambda_ * (1.0 + kMinFraction)) continue;
      if (std::find(divisors_.begin(), divisors_.end(), a.capacity) == divisors_.end())
        divisors_.push_back(a.capacity);
    }
    std::sort(divisors_.begin(), divisors_.end(), std::greater<double>());
    if (divisors_.size() > static_cast<size_t>(kMaxDivisors)) divisors_.resize(kMaxDivisors);
  }

  void add(int j, double v) {
    if (!marked_[j]) {
      marked_[j] = 1;
      touched_.push_back(j);
    }
    value_[j] += v;
  }
  // c·y in the columns.
  void add_flow(const Arc& a, double c) {
    add(a.col, c * a.slope);
    shift(c * a.offset);
  }
  // A constant c on the left-hand side.
  void shift(double c) {
    cut_rhs_ -= c;
    magnitude_ = std::max(magnitude_, std::fabs(c));
  }
  // c·t with t = u·z - y (t = u - y without a switch, t = 0 for a binary's own flow).
  void add_slack(const Arc& a, double c) {
    if (a.self) return;
    if (a.binary >= 0) add(a.binary, c * a.capacity);
    else shift(c * a.capacity);
    add_flow(a, -c);
  }

  // The rounding of the flow set's mixed-integer row, with the cover's
  // switches complemented (w = 1 - z), by δ:
  //   Σ δ·F(g/δ)·w + Σ_{c<0} c/(1 - f0)·s <= δ·⌊β/δ⌋,
  // F(a) = ⌊a⌋ + max(0, frac(a) - f0)/(1 - f0), f0 = frac(β/δ), which holds
  // for every integer w >= 0 and continuous s >= 0 satisfying the row.
  bool cut_for(double delta, Cut& cut) {
    const double q = beta_ / delta;
    const double f0 = fraction(q);
    if (f0 < kMinFraction || f0 > 1.0 - kMinFraction) return false;
    const double keep = 1.0 / (1.0 - f0);
    auto rounded = [&](double g) {
      const double a = g / delta;
      return delta * (floor_part(a) + std::max(0.0, fraction(a) - f0) * keep);
    };
    touched_.clear();
    cut_rhs_ = delta * std::floor(q);
    magnitude_ = std::fabs(cut_rhs_);
    for (size_t k = 0; k < arcs_.size(); ++k) {
      const Arc& a = arcs_[k];
      if (role_[k] == kCoverMinus) continue;  // -y = -u + (u - y), the slack dropped
      if (role_[k] == kCoverPlus) {
        // y = u·(1 - w) - t: the constant u went into β.
        if (a.binary >= 0) {
          const double g = rounded(-a.capacity);
          add(a.binary, -g);  // g·w = g - g·z
          shift(g);
        }
        add_slack(a, -keep);
        continue;
      }
      if (a.positive) {
        // y = u·z - t, or dropped (y >= 0): whichever is tighter at x.
        if (a.binary < 0) continue;
        const double g = rounded(a.capacity);
        const double t = a.capacity * a.z - a.y;
        const double substituted = g * a.z - (a.self ? 0.0 : keep * t);
        if (substituted <= 0.0) continue;
        add(a.binary, g);
        add_slack(a, -keep);
        continue;
      }
      // N-: -y kept, or -y = -u·z + t with t dropped.
      const double kept = -keep * a.y;
      if (a.binary >= 0) {
        const double g = rounded(-a.capacity);
        if (g * a.z > kept) {
          add(a.binary, g);
          continue;
        }
      }
      add_flow(a, -keep);
    }
    return finish(cut);
  }

  // The dense cut into `cut`: tiny coefficients bounded out, doubtful ones
  // refused, the right-hand side relaxed against rounding.
  bool finish(Cut& cut) {
    cut.index.clear();
    cut.value.clear();
    cut.family = kFlowCoverCuts;
    double rhs = cut_rhs_;
    bool usable = std::isfinite(rhs);
    for (int j : touched_) {
      const double c = value_[j];
      value_[j] = 0.0;
      marked_[j] = 0;
      if (!usable || c == 0.0) continue;
      if (std::fabs(c) < kTinyCoefficient) {
        const double least = c > 0 ? least_value(in_, j) : in_.upper[j];
        if (std::isinf(least)) usable = false;
        else rhs -= c * least;
        continue;
      }
      cut.index.push_back(j);
      cut.value.push_back(c);
      magnitude_ = std::max(magnitude_, std::fabs(c));
    }
    touched_.clear();
    if (!usable || cut.index.empty() || !std::isfinite(rhs)) return false;
    if (!cut.well_scaled(kMaxDynamism)) return false;
    cut.rhs = rhs + kSafety * std::max(1.0, magnitude_);
    return true;
  }

  const SeparationInput& in_;
  const VariableUpperBounds& vubs_;
  std::vector<Arc> arcs_;
  std::vector<uint8_t> role_;
  std::vector<int> order_;
  std::vector<double> divisors_;
  double rhs_ = 0.0, lambda_ = 0.0, beta_ = 0.0;
  bool any_at_capacity_ = false;
  double best_efficacy_ = 0.0;
  // The cut being written, dense over the columns; all zero between cuts.
  std::vector<double> value_;
  std::vector<uint8_t> marked_;
  std::vector<int> touched_;
  double cut_rhs_ = 0.0, magnitude_ = 0.0;
  Cut trial_;
};

}  // namespace

void separate_flow_covers(const SeparationInput& in, int rows, std::vector<Cut>& out) {
  const MipModel& m = *in.model;
  // Row entries read per call at most, as a multiple of the matrix's.
  constexpr int64_t kWorkShare = 10;
  constexpr int64_t kLeastWork = 500000;
  const int64_t budget = std::max<int64_t>(kLeastWork, kWorkShare * static_cast<int64_t>(m.row_col.size()));
  int64_t work = 0;
  VariableUpperBounds vubs;
  vubs.build(in, rows);
  work += rows;
  FlowCoverSeparator separator(in, vubs);
  Cut cut;
  int found = 0, row = 0;
  for_each_row_side(m, rows, [&](const BaseRow& r) {
    if (found >= kMaxCuts || work > budget) return;
    in.report(row, rows, work);
    if (r.index.size() < 2 || r.index.size() > kMaxRowLength) return;
    if (vubs.is_bound_row(row)) return;  // a single switched flow: nothing beyond the row
    work += static_cast<int64_t>(r.index.size());
    if (!separator.read(r)) return;
    work += static_cast<int64_t>(separator.arcs()) * 2 * (kMaxDivisors + 2);
    if (!separator.best_cut(cut)) return;
    out.push_back(cut);
    ++found;
  }, &row);
}

}  // namespace korva::mip
