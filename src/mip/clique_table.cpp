#include "mip/clique_table.h"

#include <algorithm>
#include <cmath>

#include "mip/cuts/base_row.h"

namespace korva::mip {

namespace {

// Two weights must exceed the capacity by this much, relative to it.
constexpr double kMargin = 1e-6;
// Cliques of at most this many members are grown.
constexpr size_t kGrownSize = 3;
// Cliques processed between two progress calls.
constexpr int kProgressStride = 256;

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

bool CliqueTable::conflict(int a, int b, int64_t* work) const {
  const std::vector<int>& of_a = cliques_of(a);
  const std::vector<int>& of_b = cliques_of(b);
  // Both lists are in increasing clique order: a merge finds a common one.
  size_t p = 0, q = 0;
  while (p < of_a.size() && q < of_b.size()) {
    ++*work;
    if (of_a[p] == of_b[q]) return true;
    if (of_a[p] < of_b[q]) ++p;
    else ++q;
  }
  return false;
}

void CliqueTable::grow(int64_t work_limit, const Progress& progress) {
  const int count = size();
  int64_t work = 0;
  std::vector<int> members, candidates;
  std::vector<uint8_t> seen(of_literal_.size(), 0);
  for (int c = 0; c < count && work < work_limit; ++c) {
    if (c % kProgressStride == 0 && progress && !progress(static_cast<double>(c) / count)) return;
    if (static_cast<size_t>(end(c) - begin(c)) > kGrownSize) continue;
    members.assign(begin(c), end(c));
    // Candidates: the literals in conflict with the first member.
    candidates.clear();
    for (int other : cliques_of(members[0]))
      for (const int* l = begin(other); l != end(other); ++l) {
        ++work;
        if (!seen[*l]) {
          seen[*l] = 1;
          candidates.push_back(*l);
        }
      }
    for (int l : candidates) seen[l] = 0;
    std::sort(candidates.begin(), candidates.end());
    const size_t original = members.size();
    for (int l : candidates) {
      if (work >= work_limit) break;
      bool all = true;
      for (int m : members)
        if (column_of(m) == column_of(l) || !conflict(m, l, &work)) {
          all = false;
          break;
        }
      if (all) members.push_back(l);
    }
    if (members.size() > original) add(members);
  }
}

void CliqueTable::merge(int64_t work_limit, const Progress& progress) {
  const int count = size();
  std::vector<uint8_t> keep(static_cast<size_t>(count), 1);
  std::vector<int> mark(of_literal_.size(), -1);
  int64_t work = 0;
  // Larger cliques first, so that each is compared with those that may
  // contain it; of two equal ones the earlier stays.
  std::vector<int> order(static_cast<size_t>(count));
  for (int c = 0; c < count; ++c) order[c] = c;
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return end(a) - begin(a) > end(b) - begin(b); });
  for (int pos = 0; pos < count && work < work_limit; ++pos) {
    if (pos % kProgressStride == 0 && progress && !progress(static_cast<double>(pos) / count)) break;
    const int c = order[pos];
    const int64_t length = end(c) - begin(c);
    for (const int* l = begin(c); l != end(c); ++l) mark[*l] = c;
    // A clique holding c holds its rarest literal.
    const int* rarest = std::min_element(begin(c), end(c), [&](int a, int b) {
      return cliques_of(a).size() < cliques_of(b).size();
    });
    for (int other : cliques_of(*rarest)) {
      if (other == c || !keep[other] || end(other) - begin(other) < length) continue;
      int64_t shared = 0;
      for (const int* l = begin(other); l != end(other); ++l) shared += mark[*l] == c;
      work += end(other) - begin(other);
      if (shared == length) {
        keep[c] = 0;
        break;
      }
    }
  }
  rebuild(keep);
}

void CliqueTable::rebuild(const std::vector<uint8_t>& keep) {
  std::vector<int64_t> begin{0};
  std::vector<int> literals;
  for (int c = 0; c < size(); ++c) {
    if (!keep[c]) continue;
    literals.insert(literals.end(), this->begin(c), end(c));
    begin.push_back(static_cast<int64_t>(literals.size()));
  }
  begin_ = std::move(begin);
  literals_ = std::move(literals);
  for (std::vector<int>& list : of_literal_) list.clear();
  for (int c = 0; c < size(); ++c)
    for (const int* l = this->begin(c); l != end(c); ++l) of_literal_[*l].push_back(c);
}

}  // namespace korva::mip
