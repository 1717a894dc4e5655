#include "mip/cuts/cover_cuts.h"

#include <algorithm>
#include <cmath>

#include "mip/cuts/base_row.h"

namespace korva::mip {

namespace {

// A cover must exceed the capacity by this much, relative to it: weights
// summing to the capacity within rounding are no proof.
constexpr double kCoverMargin = 1e-6;
constexpr double kMinViolation = 1e-4;
constexpr double kInfWeight = 1e300;
// Lifting reads items × cover size entries; beyond this the cover is
// extended instead.
constexpr double kLiftWork = 1e6;

struct Item {
  int col;
  double weight;     // > 0
  double value;      // LP value of y (x, or 1 - x when complemented)
  bool complemented;
};

// The knapsack of one row side with the LP values of its items, or false
// when there is none worth covering.
bool knapsack_of(const SeparationInput& in, const BaseRow& r, std::vector<KnapsackItem>& knapsack,
                 std::vector<Item>& items, double* capacity) {
  items.clear();
  if (!binary_knapsack(*in.model, r, in.lower, in.upper, knapsack, capacity)) return false;
  for (const KnapsackItem& k : knapsack) {
    const double x = std::clamp(in.x[k.col], 0.0, 1.0);
    items.push_back({k.col, k.weight, k.complemented ? 1.0 - x : x, k.complemented});
  }
  return *capacity >= 0.0 && items.size() >= 2;
}

// Sequential up-lifting of the cover inequality Σ_C y <= |C| - 1: the items
// outside the cover, nearest 1 first, each get the largest α_j that keeps
// the inequality valid with y_j = 1, i.e. |C| - 1 minus the most the items
// lifted so far can reach in the capacity left beside item j. least[v] is
// the least weight that reaches lifted value v. Counting a set as fitting
// when it is over by rounding only makes α_j smaller.
std::vector<int> lift_cover(const std::vector<Item>& items, const std::vector<int>& cover, double capacity,
                            bool lift) {
  const int top = static_cast<int>(cover.size()) - 1;
  std::vector<int> alpha(items.size(), 0);
  if (!lift || static_cast<double>(items.size()) * static_cast<double>(cover.size()) > kLiftWork) {
    // The extended cover: every item at least as heavy as the cover's
    // heaviest at 1.
    double heaviest = 0.0;
    for (int k : cover) heaviest = std::max(heaviest, items[k].weight);
    for (size_t k = 0; k < items.size(); ++k) alpha[k] = items[k].weight >= heaviest ? 1 : 0;
    return alpha;
  }
  std::vector<double> least(static_cast<size_t>(top) + 1, kInfWeight);
  least[0] = 0.0;
  auto take = [&](int value, double weight) {
    for (int v = top; v >= value; --v) least[v] = std::min(least[v], least[v - value] + weight);
  };
  std::vector<uint8_t> in_cover(items.size(), 0);
  for (int k : cover) {
    in_cover[k] = 1;
    alpha[k] = 1;
    take(1, items[k].weight);
  }
  std::vector<int> rest;
  for (size_t k = 0; k < items.size(); ++k)
    if (!in_cover[k]) rest.push_back(static_cast<int>(k));
  std::stable_sort(rest.begin(), rest.end(), [&](int p, int q) { return items[p].value > items[q].value; });
  for (int k : rest) {
    const double room = capacity - items[k].weight + kCoverMargin * std::max(1.0, std::fabs(capacity));
    int reach = -1;
    for (int v = top; v >= 0 && reach < 0; --v)
      if (least[v] <= room) reach = v;
    alpha[k] = reach < 0 ? top : top - reach;
    if (alpha[k] > 0) take(alpha[k], items[k].weight);
  }
  return alpha;
}

}  // namespace

void separate_covers(const SeparationInput& in, int rows, bool lift, std::vector<Cut>& out) {
  std::vector<KnapsackItem> knapsack;
  std::vector<Item> items;
  std::vector<int> order;
  for_each_row_side(*in.model, rows, [&](const BaseRow& r) {
    double capacity = 0.0;
    if (!knapsack_of(in, r, knapsack, items, &capacity)) return;
    double total = 0.0;
    for (const Item& it : items) total += it.weight;
    const double needed = capacity + kCoverMargin * std::max(1.0, capacity);
    if (total <= needed) return;  // no cover at all
    // Greedy: items near 1 with large weight first.
    order.resize(items.size());
    for (size_t k = 0; k < items.size(); ++k) order[k] = static_cast<int>(k);
    std::sort(order.begin(), order.end(), [&](int p, int q) {
      const double sp = (1.0 - items[p].value) / items[p].weight, sq = (1.0 - items[q].value) / items[q].weight;
      return sp != sq ? sp < sq : items[p].col < items[q].col;
    });
    std::vector<int> cover;
    double weight = 0.0;
    for (int k : order) {
      cover.push_back(k);
      weight += items[k].weight;
      if (weight > needed) break;
    }
    if (weight <= needed) return;
    // Minimal: drop the items furthest from 1 while the rest still covers.
    std::sort(cover.begin(), cover.end(), [&](int p, int q) {
      return items[p].value != items[q].value ? items[p].value < items[q].value : items[p].weight < items[q].weight;
    });
    for (size_t k = 0; k < cover.size() && cover.size() > 1;) {
      if (weight - items[cover[k]].weight > needed) {
        weight -= items[cover[k]].weight;
        cover.erase(cover.begin() + static_cast<std::ptrdiff_t>(k));
      } else {
        ++k;
      }
    }
    const std::vector<int> lifted = lift_cover(items, cover, capacity, lift);
    const int size = static_cast<int>(cover.size());
    double lhs = 0.0;
    for (size_t k = 0; k < items.size(); ++k) lhs += lifted[k] * items[k].value;
    if (lhs <= size - 1.0 + kMinViolation) return;
    // Σ α_j·y_j <= |C| - 1 with y_j = 1 - x_j for complemented items.
    Cut cut;
    cut.family = kCoverCuts;
    cut.rhs = size - 1.0;
    for (size_t k = 0; k < items.size(); ++k) {
      if (lifted[k] == 0) continue;
      cut.index.push_back(items[k].col);
      if (items[k].complemented) {
        cut.value.push_back(-lifted[k]);
        cut.rhs -= lifted[k];
      } else {
        cut.value.push_back(lifted[k]);
      }
    }
    out.push_back(std::move(cut));
  });
}

}  // namespace korva::mip
