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
  std::vector<Item> items;
  std::vector<int> clique;
  for_each_row_side(m, rows, [&](const BaseRow& r) {
    items.clear();
    double b = r.rhs;
    for (size_t k = 0; k < r.index.size(); ++k) {
      const int j = r.index[k];
      const double a = r.value[k];
      if (a == 0.0) continue;
      const bool binary = m.kind[j] == ColKind::Integer && lower[j] == 0.0 && upper[j] == 1.0;
      if (!binary) {
        const double least = a > 0 ? lower[j] : upper[j];
        if (std::isinf(least)) return;
        b -= a * least;
        continue;
      }
      if (a > 0) {
        items.push_back({literal_of(j, false), a});
      } else {
        b -= a;
        items.push_back({literal_of(j, true), -a});
      }
    }
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
