#include "mip/cuts/mir_cuts.h"

#include <algorithm>
#include <cmath>

#include "mip/cuts/base_row.h"

namespace korva::mip {

namespace {

constexpr double kMinFraction = 0.01;    // f0 must lie within (this, 1 - this)
constexpr double kMinEfficacy = 1e-4;
constexpr double kTinyCoefficient = 1e-9;
constexpr double kMaxDynamism = 1e6;     // largest over smallest coefficient of a cut
constexpr int kMaxDeltas = 8;

// One column of the row after bound substitution: x_j = bound + sign·z,
// z >= 0, with coefficient c on z.
struct Term {
  int col;
  double c;
  double bound;
  double sign;  // +1: from the lower bound, -1: from the upper bound
  double z;     // LP value of z
  bool integer;
};

bool substitute(const SeparationInput& in, const BaseRow& r, std::vector<Term>& terms, double* rhs) {
  terms.clear();
  double b = r.rhs;
  for (size_t k = 0; k < r.index.size(); ++k) {
    const int j = r.index[k];
    const double a = r.value[k];
    if (a == 0.0) continue;
    const double l = in.lower[j], u = in.upper[j], x = in.x[j];
    const bool has_l = !std::isinf(l), has_u = !std::isinf(u);
    if (!has_l && !has_u) return false;
    const bool integer = in.model->kind[j] == ColKind::Integer;
    bool use_lower;
    if (has_l && has_u) use_lower = x - l <= u - x;
    else use_lower = has_l;
    Term t;
    t.col = j;
    t.integer = integer;
    t.bound = use_lower ? l : u;
    t.sign = use_lower ? 1.0 : -1.0;
    t.c = a * t.sign;
    t.z = std::max(0.0, t.sign * (x - t.bound));
    b -= a * t.bound;
    terms.push_back(t);
  }
  *rhs = b;
  return true;
}

double fractional(double v) { return v - std::floor(v); }

// The cut of one δ in the original columns; false when it is unusable.
bool mir_cut(const SeparationInput& in, const std::vector<Term>& terms, double b, double delta, Cut& cut) {
  const double beta = b / delta;
  const double f0 = fractional(beta);
  if (f0 < kMinFraction || f0 > 1.0 - kMinFraction) return false;
  cut.index.clear();
  cut.value.clear();
  double rhs = delta * std::floor(beta);
  for (const Term& t : terms) {
    double g;
    if (t.integer) {
      const double a = t.c / delta;
      g = delta * (std::floor(a) + std::max(0.0, fractional(a) - f0) / (1.0 - f0));
    } else {
      if (t.c >= 0.0) continue;  // dropped: its term is nonnegative
      g = t.c / (1.0 - f0);
    }
    // g·z with z = sign·(x - bound).
    const double coef = g * t.sign;
    rhs += coef * t.bound;
    if (std::fabs(coef) < kTinyCoefficient) {
      // Gone, with the room its least value needs.
      const double least = coef > 0 ? in.lower[t.col] : in.upper[t.col];
      if (std::isinf(least)) return false;
      rhs -= coef * least;
      continue;
    }
    cut.index.push_back(t.col);
    cut.value.push_back(coef);
  }
  if (cut.index.empty() || !std::isfinite(rhs)) return false;
  double largest = 0.0, smallest = std::numeric_limits<double>::infinity();
  for (double v : cut.value) {
    largest = std::max(largest, std::fabs(v));
    smallest = std::min(smallest, std::fabs(v));
  }
  if (largest > kMaxDynamism * smallest) return false;
  cut.rhs = rhs;
  cut.family = kMirCuts;
  return true;
}

}  // namespace

void separate_mir(const SeparationInput& in, int rows, std::vector<Cut>& out) {
  std::vector<Term> terms;
  std::vector<double> deltas;
  Cut trial, best;
  for_each_row_side(*in.model, rows, [&](const BaseRow& r) {
    double b = 0.0;
    if (!substitute(in, r, terms, &b)) return;
    deltas.clear();
    for (const Term& t : terms) {
      if (!t.integer || t.z <= in.integrality) continue;
      const double range = in.upper[t.col] - in.lower[t.col];
      if (t.z >= range - in.integrality) continue;
      const double d = std::fabs(t.c);
      if (d < kTinyCoefficient || std::find(deltas.begin(), deltas.end(), d) != deltas.end()) continue;
      deltas.push_back(d);
      if (static_cast<int>(deltas.size()) >= kMaxDeltas) break;
    }
    double best_efficacy = kMinEfficacy;
    bool found = false;
    for (double d : deltas) {
      for (double scale : {1.0, 0.5, 0.25, 0.125}) {
        if (!mir_cut(in, terms, b, d * scale, trial)) continue;
        const double e = trial.efficacy(in.x);
        if (e <= best_efficacy) continue;
        best_efficacy = e;
        best = trial;
        found = true;
      }
    }
    if (found) out.push_back(best);
  });
}

}  // namespace korva::mip
