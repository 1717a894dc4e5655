#include "mip/cuts/cut_selection.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <unordered_map>

namespace korva::mip {

namespace {

constexpr double kMinEfficacy = 1e-4;
// Cosine of the angle between two cuts above which the second adds little.
constexpr double kMaxParallelism = 0.98;
// Cuts taken in one round at most.
constexpr size_t kPerRound = 200;

double cosine(const Cut& a, const Cut& b, std::unordered_map<int, double>& scratch) {
  scratch.clear();
  for (size_t k = 0; k < a.index.size(); ++k) scratch[a.index[k]] = a.value[k];
  double dot = 0.0;
  for (size_t k = 0; k < b.index.size(); ++k)
    if (auto it = scratch.find(b.index[k]); it != scratch.end()) dot += it->second * b.value[k];
  return dot / (a.norm() * b.norm());
}

}  // namespace

std::vector<Cut> select_cuts(std::vector<Cut>& found, const double* x, SelectionLimits& limits) {
  std::vector<double> efficacy(found.size());
  std::vector<size_t> order;
  for (size_t k = 0; k < found.size(); ++k) {
    efficacy[k] = found[k].efficacy(x);
    if (efficacy[k] >= kMinEfficacy) order.push_back(k);
  }
  std::stable_sort(order.begin(), order.end(), [&](size_t p, size_t q) { return efficacy[p] > efficacy[q]; });
  std::vector<Cut> chosen;
  std::unordered_map<int, double> scratch;
  for (size_t k : order) {
    if (chosen.size() >= kPerRound || limits.total <= 0) break;
    Cut& c = found[k];
    if (limits.per_family[c.family] <= 0 || c.index.size() > limits.max_support) continue;
    if (static_cast<int64_t>(c.index.size()) > limits.nonzeros) continue;
    bool parallel = false;
    for (const Cut& taken : chosen)
      if (cosine(taken, c, scratch) > kMaxParallelism) {
        parallel = true;
        break;
      }
    if (parallel) continue;
    --limits.total;
    --limits.per_family[c.family];
    limits.nonzeros -= static_cast<int64_t>(c.index.size());
    chosen.push_back(std::move(c));
  }
  return chosen;
}

}  // namespace korva::mip
