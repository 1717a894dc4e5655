// Making room in a full solution pool, by KRV_PARAM_SOLNPOOLREPLACE:
//   0  the oldest solution goes (first in, first out);
//   1  the solution with the worst objective goes; a newcomer that is no
//      better than the worst stored one is the one dropped;
//   2  the solution nearest to the others goes, so that the pool stays
//      spread out: each solution's distance to its nearest neighbour is
//      kept, and the one with the smallest distance is dropped (on ties
//      the worse objective, then the later arrival). The distance of two
//      solutions is the sum of |x_j - y_j| over the integer-like columns,
//      or over all columns when the problem has none.
// Every drop counts as a replacement. Under policy 2 the distances are
// kept up to date as solutions come and go; under the others they are
// recomputed when the policy changes to 2.
#include <algorithm>
#include <cmath>
#include <limits>

#include "mip/solution_pool.h"

namespace korva::mip {
namespace {

constexpr double kFar = std::numeric_limits<double>::infinity();

double distance(const Problem& p, const PoolSolution& a, const PoolSolution& b, double integrality) {
  double integer_part = 0.0, all = 0.0;
  bool any_integer = false;
  const int n = static_cast<int>(std::min(a.x.size(), b.x.size()));
  for (int j = 0; j < n; ++j) {
    const double va = settled_value(p, j, a.x[j], integrality), vb = settled_value(p, j, b.x[j], integrality);
    const double d = std::fabs(va - vb);
    all += d;
    if (is_integer_like(p.ctype(j))) {
      any_integer = true;
      integer_part += d;
    }
  }
  return any_integer ? integer_part : all;
}

PoolReplace policy_of(int replace) {
  switch (replace) {
    case 1: return PoolReplace::Worst;
    case 2: return PoolReplace::Crowded;
    default: return PoolReplace::Oldest;
  }
}

}  // namespace

bool SolutionPool::store(const Problem& p, PoolSolution&& s) {
  const bool crowded = policy_of(settings.replace) == PoolReplace::Crowded;
  if (crowded && nearest_known_) {
    s.nearest = kFar;
    for (PoolSolution& other : solutions) {
      const double d = distance(p, s, other, settings.integrality);
      s.nearest = std::min(s.nearest, d);
      other.nearest = std::min(other.nearest, d);
    }
  }
  solutions.push_back(std::move(s));
  if (!crowded) nearest_known_ = false;
  if (solutions.size() <= static_cast<size_t>(settings.capacity)) return true;
  const size_t k = victim(p);
  const bool newcomer = k + 1 == solutions.size();
  erase_at(p, k);
  ++replaced;
  return !newcomer;
}

void SolutionPool::shrink_to(const Problem& p, size_t limit) {
  while (solutions.size() > limit) {
    erase_at(p, victim(p));
    ++replaced;
  }
}

size_t SolutionPool::victim(const Problem& p) {
  switch (policy_of(settings.replace)) {
    case PoolReplace::Oldest:
      return 0;
    case PoolReplace::Worst: {
      size_t worst = 0;
      for (size_t k = 1; k < solutions.size(); ++k)
        if (solutions[k].minimised >= solutions[worst].minimised) worst = k;
      return worst;
    }
    case PoolReplace::Crowded:
      break;
  }
  if (!nearest_known_) refresh_nearest(p);
  size_t pick = 0;
  for (size_t k = 1; k < solutions.size(); ++k) {
    const PoolSolution& a = solutions[k];
    const PoolSolution& b = solutions[pick];
    if (a.nearest < b.nearest || (a.nearest == b.nearest && a.minimised >= b.minimised)) pick = k;
  }
  return pick;
}

void SolutionPool::erase_at(const Problem& p, size_t k) {
  if (nearest_known_) {
    // Solutions whose nearest neighbour may have been k look again.
    const PoolSolution& gone = solutions[k];
    std::vector<size_t>& stale = stale_scratch_;
    stale.clear();
    for (size_t i = 0; i < solutions.size(); ++i)
      if (i != k && distance(p, solutions[i], gone, settings.integrality) <= solutions[i].nearest) stale.push_back(i);
    for (size_t i : stale) {
      PoolSolution& s = solutions[i];
      s.nearest = kFar;
      for (size_t o = 0; o < solutions.size(); ++o)
        if (o != i && o != k) s.nearest = std::min(s.nearest, distance(p, s, solutions[o], settings.integrality));
    }
  }
  solutions.erase(solutions.begin() + static_cast<std::ptrdiff_t>(k));
}

void SolutionPool::refresh_nearest(const Problem& p) {
  for (PoolSolution& s : solutions) s.nearest = kFar;
  for (size_t i = 0; i < solutions.size(); ++i) {
    for (size_t o = i + 1; o < solutions.size(); ++o) {
      const double d = distance(p, solutions[i], solutions[o], settings.integrality);
      solutions[i].nearest = std::min(solutions[i].nearest, d);
      solutions[o].nearest = std::min(solutions[o].nearest, d);
    }
  }
  nearest_known_ = true;
}

void SolutionPool::purge_beyond_gap(const Problem& p) {
  for (size_t k = solutions.size(); k-- > 0;) {
    if (!gap.rejects(solutions[k].minimised)) continue;
    erase_at(p, k);
    ++replaced;
  }
}

}  // namespace korva::mip
