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

}  // namespace

void separate_covers(const SeparationInput& in, int rows, std::vector<Cut>& out) {
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
    double lhs = 0.0, heaviest = 0.0;
    for (int k : cover) {
      lhs += items[k].value;
      heaviest = std::max(heaviest, items[k].weight);
    }
    const double size = static_cast<double>(cover.size());
    // Extended cover: every item at least as heavy as the cover's heaviest.
    std::vector<uint8_t> in_cover(items.size(), 0);
    for (int k : cover) in_cover[k] = 1;
    for (size_t k = 0; k < items.size(); ++k)
      if (!in_cover[k] && items[k].weight >= heaviest) {
        in_cover[k] = 1;
        lhs += items[k].value;
      }
    if (lhs <= size - 1.0 + kMinViolation) return;
    // Σ y_j <= |C| - 1 with y_j = 1 - x_j for complemented items.
    Cut cut;
    cut.family = kCoverCuts;
    cut.rhs = size - 1.0;
    for (size_t k = 0; k < items.size(); ++k) {
      if (!in_cover[k]) continue;
      cut.index.push_back(items[k].col);
      if (items[k].complemented) {
        cut.value.push_back(-1.0);
        cut.rhs -= 1.0;
      } else {
        cut.value.push_back(1.0);
      }
    }
    out.push_back(std::move(cut));
  });
}

}  // namespace korva::mip
