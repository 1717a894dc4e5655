#include "mip/clique_table.h"

#include <algorithm>
#include <cmath>

#include "mip/cuts/base_row.h"

namespace korva::mip {

namespace {

// Two weights must exceed the capacity by this much, relative to it.
constexpr double kMargin = 1e-6;

struct Item {
  int literal;
  double weight;
};

}  // namespace

void CliqueTable::add(const std::vector<int>& literals) {
  for (int l : literals)
    if (static_cast<size_t>(l) >= of_literal_.size()) of_literal_.resize(static_cast<size_t>(l) + 2);
  const int id = size();
  for (int l : literals) {
    literals_.push_back(l);
    of_literal_[l].push_back(id);
  }
  begin_.push_back(static_cast<int64_t>(literals_.size()));
}

void CliqueTable::build(const MipModel& m, int rows, const double* lower, const double* upper) {
  of_literal_.resize(static_cast<size_t>(2 * m.num_cols));
  std::vector<KnapsackItem> knapsack;
  std::vector<Item> items;
  std::vector<int> clique;
  for_each_row_side(m, rows, [&](const BaseRow& r) {
    double b = 0.0;
    if (!binary_knapsack(m, r, lower, upper, knapsack, &b)) return;
    items.clear();
    for (const KnapsackItem& k : knapsack) items.push_back({literal_of(k.col, k.complemented), k.weight});
    if (items.size() < 2) return;
    std::sort(items.begin(), items.end(), [](const Item& p, const Item& q) {
      return p.weight != q.weight ? p.weight > q.weight : p.literal < q.literal;
    });
    const double needed = b + kMargin * std::max(1.0, std::fabs(b));
    // The longest prefix whose two lightest items still exceed b.
    size_t k = 1;
    while (k < items.size() && items[k - 1].weight + items[k].weight > needed) ++k;
    if (k < 2) return;
    clique.clear();
    for (size_t p = 0; p < k; ++p) clique.push_back(items[p].literal);
    add(clique);
  });
}

}  // namespace korva::mip
