#include "mip/branching.h"

#include <algorithm>
#include <cmath>

namespace korva::mip {

namespace {

constexpr double kScoreFloor = 1e-6;

double infeasibility_of(double fraction) { return fraction <= 0.5 ? fraction : 1.0 - fraction; }

bool nonzero(double v, double tol) { return std::fabs(v) > tol; }

}  // namespace

void find_candidates(const MipModel& m, const Domain& d, const std::vector<double>& x, double int_tol,
                     double feas_tol, Candidates& out) {
  out.columns.clear();
  out.others.clear();
  out.sum_infeasibility = 0.0;
  for (int j = 0; j < m.num_cols; ++j) {
    const ColKind kind = m.kind[j];
    if (kind == ColKind::Continuous) continue;
    const double v = x[j];
    const bool semi = kind == ColKind::SemiContinuous || kind == ColKind::SemiInteger;
    if (semi && m.lower[j] > 0 && v > feas_tol && v < m.lower[j] - feas_tol) {
      Candidate c;
      c.kind = CandidateKind::SemiContinuous;
      c.index = j;
      c.value = v;
      c.infeasibility = std::min(v, m.lower[j] - v) / std::max(1.0, m.lower[j]);
      out.others.push_back(c);
      out.sum_infeasibility += c.infeasibility;
      continue;
    }
    if (kind == ColKind::SemiContinuous) continue;
    const double fraction = v - std::floor(v);
    if (fraction <= int_tol || fraction >= 1.0 - int_tol) continue;
    if (d.lower(j) == d.upper(j)) continue;  // fixed: the LP's value is rounding
    Candidate c;
    c.index = j;
    c.value = v;
    c.fraction = fraction;
    c.infeasibility = infeasibility_of(fraction);
    out.columns.push_back(c);
    out.sum_infeasibility += c.infeasibility;
  }
  for (int s = 0; s < static_cast<int>(m.sos.size()); ++s) {
    const SosConstraint& set = m.sos[s];
    int first = -1, last = -1, count = 0;
    double total = 0.0;
    for (int p = 0; p < static_cast<int>(set.cols.size()); ++p) {
      const double v = x[set.cols[p]];
      if (!nonzero(v, feas_tol)) continue;
      if (first < 0) first = p;
      last = p;
      ++count;
      total += std::fabs(v);
    }
    const bool violated = set.type == 1 ? count > 1 : (count > 2 || (count == 2 && last - first > 1));
    if (!violated) continue;
    Candidate c;
    c.kind = CandidateKind::Sos;
    c.index = s;
    c.infeasibility = total;
    out.others.push_back(c);
    out.sum_infeasibility += c.infeasibility;
  }
  for (int k = 0; k < static_cast<int>(m.indicators.size()); ++k) {
    const IndicatorLink& ind = m.indicators[k];
    if (d.row_active(ind.row)) continue;
    if (std::fabs(x[ind.indicator] - ind.active_value) > int_tol) continue;
    const double a = row_activity(m, ind.row, x.data());
    const double lo = m.row_lo[ind.row], hi = m.row_hi[ind.row];
    const double violation = a < lo ? lo - a : a - hi;
    const double against = a < lo ? lo : hi;
    if (violation <= feas_tol * std::max(1.0, std::fabs(against))) continue;
    Candidate c;
    c.kind = CandidateKind::Indicator;
    c.index = k;
    c.value = x[ind.indicator];
    c.infeasibility = violation;
    out.others.push_back(c);
    out.sum_infeasibility += std::min(violation, 1.0);
  }
}

Branch column_branch(const Domain& d, int col, double value) {
  Branch b;
  b.col = col;
  const double down = std::floor(value), up = down + 1.0;
  b.child[0].push_back({col, d.lower(col), std::max(down, d.lower(col))});
  b.child[1].push_back({col, std::min(up, d.upper(col)), d.upper(col)});
  b.type[0] = 'D';
  b.type[1] = 'U';
  b.change[0] = down - value;
  b.change[1] = up - value;
  b.first = value - down >= 0.5 ? 1 : 0;
  return b;
}

Branch other_branch(const MipModel& m, const Domain& d, const Candidate& c, const std::vector<double>& x) {
  Branch b;
  switch (c.kind) {
    case CandidateKind::Column:
      return column_branch(d, c.index, c.value);
    case CandidateKind::SemiContinuous: {
      const int j = c.index;
      b.col = j;
      b.child[0].push_back({j, d.lower(j), 0.0});
      b.child[1].push_back({j, std::max(d.lower(j), m.lower[j]), d.upper(j)});
      b.type[0] = 'D';
      b.type[1] = 'U';
      b.change[0] = -c.value;
      b.change[1] = m.lower[j] - c.value;
      b.first = c.value >= 0.5 * m.lower[j] ? 1 : 0;
      return b;
    }
    case CandidateKind::Indicator: {
      const IndicatorLink& ind = m.indicators[c.index];
      const int j = ind.indicator;
      const double off = 1.0 - ind.active_value;
      b.col = j;
      // Child 0 switches the indicator off, child 1 makes its row hold.
      b.child[0].push_back({j, off, off});
      b.child[1].push_back({j, ind.active_value, ind.active_value});
      b.type[0] = ind.active_value > 0.5 ? 'D' : 'U';
      b.type[1] = ind.active_value > 0.5 ? 'U' : 'D';
      b.first = 1;
      return b;
    }
    case CandidateKind::Sos: {
      const SosConstraint& set = m.sos[c.index];
      const int size = static_cast<int>(set.cols.size());
      b.set = c.index;
      // Split at the weighted centre of the nonzeros, strictly between the
      // first and the last of them so that both children exclude x.
      int first = -1, last = -1;
      double weight_sum = 0.0, total = 0.0;
      for (int p = 0; p < size; ++p) {
        const double v = std::fabs(x[set.cols[p]]);
        if (v <= 0.0) continue;
        if (first < 0) first = p;
        last = p;
        weight_sum += v * set.weights[p];
        total += v;
      }
      const double centre = total > 0 ? weight_sum / total : 0.0;
      // Left keeps positions up to `split` (SOS2: and split + 1 shared), right from split + 1.
      int split = first;
      while (split + 1 < last && set.weights[split + 1] <= centre) ++split;
      if (set.type == 1) {
        for (int p = split + 1; p < size; ++p) b.child[0].push_back({set.cols[p], 0.0, 0.0});
        for (int p = 0; p <= split; ++p) b.child[1].push_back({set.cols[p], 0.0, 0.0});
      } else {
        // SOS2: left allows positions 0..split+1, right split+1..end.
        if (split + 1 >= last) split = std::max(first, last - 2);
        for (int p = split + 2; p < size; ++p) b.child[0].push_back({set.cols[p], 0.0, 0.0});
        for (int p = 0; p <= split; ++p) b.child[1].push_back({set.cols[p], 0.0, 0.0});
      }
      b.type[0] = 'L';
      b.type[1] = 'R';
      b.first = 0;
      return b;
    }
  }
  return b;
}

bool blind_branch(const MipModel& m, const Domain& d, Branch& out) {
  int best = -1;
  double widest = 0.0;
  for (int j = 0; j < m.num_cols; ++j) {
    if (!m.is_integer(j) && m.kind[j] != ColKind::SemiContinuous) continue;
    const double range = d.upper(j) - d.lower(j);
    if (range > widest) {
      widest = range;
      best = j;
    }
  }
  if (best < 0) return false;
  const double lo = d.lower(best), hi = d.upper(best);
  double middle;
  if (std::isinf(lo) && std::isinf(hi)) middle = 0.0;
  else if (std::isinf(lo)) middle = std::min(0.0, hi - 1.0);
  else if (std::isinf(hi)) middle = std::max(0.0, lo);
  else middle = std::floor(0.5 * (lo + hi));
  if (m.kind[best] == ColKind::SemiContinuous && m.lower[best] > 0 && lo <= 0.0 && hi >= m.lower[best]) {
    Candidate c;
    c.kind = CandidateKind::SemiContinuous;
    c.index = best;
    c.value = 0.5 * m.lower[best];
    out = other_branch(m, d, c, std::vector<double>());
    return true;
  }
  out = column_branch(d, best, middle + 0.5);
  return true;
}

const Candidate& most_infeasible(const Candidates& c) {
  const Candidate* best = nullptr;
  for (const Candidate& k : c.columns)
    if (!best || k.infeasibility > best->infeasibility) best = &k;
  for (const Candidate& k : c.others)
    if (!best || k.infeasibility > best->infeasibility) best = &k;
  return *best;
}

const Candidate& least_infeasible(const Candidates& c) {
  const Candidate* best = nullptr;
  for (const Candidate& k : c.columns)
    if (!best || k.infeasibility < best->infeasibility) best = &k;
  if (!best)
    for (const Candidate& k : c.others)
      if (!best || k.infeasibility < best->infeasibility) best = &k;
  return *best;
}

double score_of(double down, double up) { return std::max(down, kScoreFloor) * std::max(up, kScoreFloor); }

double pseudocost_score(const Pseudocosts& pc, const Candidate& c) {
  return score_of(pc.cost(c.index, -c.fraction), pc.cost(c.index, 1.0 - c.fraction));
}

}  // namespace korva::mip
