#include "mip/cuts/gub_cover_cuts.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include "mip/cuts/base_row.h"

namespace korva::mip {

namespace {

// A cover must exceed the capacity by this much, relative to it: weights
// summing to the capacity within rounding are no proof.
constexpr double kCoverMargin = 1e-6;
constexpr double kMinViolation = 1e-4;
constexpr double kMinEfficacy = 1e-4;
// LP value the group members must add over the plain extended cover of the
// same items; below it the cover family finds as good a cut.
constexpr double kLeastGain = 1e-6;
constexpr int kMaxCuts = 200;
// Entries read per call at most, as a multiple of the matrix's entries.
constexpr int64_t kWorkShare = 20;
constexpr int64_t kLeastWork = 1000000;

double margin_of(double capacity) { return kCoverMargin * std::max(1.0, std::fabs(capacity)); }

// Whether no two literals of the knapsack can both be 1: its two lightest
// items together already exceed the capacity.
bool excludes_pairs(const std::vector<KnapsackItem>& items, double capacity) {
  if (items.size() < 2 || capacity < 0.0) return false;
  double first = std::numeric_limits<double>::infinity(), second = first;
  for (const KnapsackItem& it : items) {
    if (it.weight < first) {
      second = first;
      first = it.weight;
    } else if (it.weight < second) {
      second = it.weight;
    }
  }
  return first + second > capacity + margin_of(capacity);
}

struct Item {
  int col;
  double weight;  // > 0
  double value;   // LP value of the literal
  bool complemented;
};

// A group's possible cover item, by position in the group's members sorted
// by weight downwards: the last of a run of equal weights, so that `value`
// sums every member at least as heavy.
struct Choice {
  int last;  // position in the group
  double weight;
  double value;
};

// Scratch of one call, reused across the knapsacks.
struct Workspace {
  std::vector<KnapsackItem> knapsack;
  std::vector<Item> items;
  std::vector<std::pair<int, int>> membership;  // (set-packing row, item)
  std::vector<int> item_group;
  std::vector<std::pair<int, int>> row_ranges;  // into membership
  // Groups: members by weight downwards, and their choices.
  std::vector<int> group_begin, group_member;
  std::vector<int> choice_begin;
  std::vector<Choice> choices;
  std::vector<int> chosen;  // per group, index into choices
  std::vector<int> order, cover;
  std::vector<uint8_t> in_cover, included;
};

// Splits the knapsack's items into disjoint groups, each within one
// set-packing row; items in none stand alone. Rows sharing most items go
// first. False when no group holds two items (a plain cover then).
bool group_items(const MipModel& m, int rows, const std::vector<int8_t>& packing_side, Workspace& w,
                 int64_t* work) {
  const std::vector<Item>& items = w.items;
  w.membership.clear();
  for (size_t t = 0; t < items.size(); ++t) {
    const int j = items[t].col;
    *work += m.col_begin[j + 1] - m.col_begin[j];
    for (int64_t k = m.col_begin[j]; k < m.col_begin[j + 1]; ++k) {
      const int r = m.col_row[k];
      if (r >= rows || packing_side[r] == 0) continue;
      // The row holds x_j's literal, or its complement's where the side's
      // coefficient is negative; only the knapsack's own literal counts.
      const bool complemented = packing_side[r] * m.col_val[k] < 0.0;
      if (complemented == items[t].complemented) w.membership.emplace_back(r, static_cast<int>(t));
    }
  }
  if (w.membership.size() < 2) return false;
  std::sort(w.membership.begin(), w.membership.end());
  w.row_ranges.clear();
  for (size_t a = 0; a < w.membership.size();) {
    size_t b = a;
    while (b < w.membership.size() && w.membership[b].first == w.membership[a].first) ++b;
    if (b - a >= 2) w.row_ranges.emplace_back(static_cast<int>(a), static_cast<int>(b));
    a = b;
  }
  if (w.row_ranges.empty()) return false;
  std::sort(w.row_ranges.begin(), w.row_ranges.end(), [](const auto& p, const auto& q) {
    return p.second - p.first != q.second - q.first ? p.second - p.first > q.second - q.first : p.first < q.first;
  });
  w.item_group.assign(items.size(), -1);
  w.group_begin.assign(1, 0);
  w.group_member.clear();
  bool shared = false;
  for (const auto& [a, b] : w.row_ranges) {
    const size_t start = w.group_member.size();
    for (int k = a; k < b; ++k) {
      const int t = w.membership[k].second;
      if (w.item_group[t] < 0) w.group_member.push_back(t);
    }
    if (w.group_member.size() - start < 2) {
      w.group_member.resize(start);
      continue;
    }
    const int g = static_cast<int>(w.group_begin.size()) - 1;
    for (size_t k = start; k < w.group_member.size(); ++k) w.item_group[w.group_member[k]] = g;
    w.group_begin.push_back(static_cast<int>(w.group_member.size()));
    shared = true;
  }
  if (!shared) return false;
  for (size_t t = 0; t < items.size(); ++t) {
    if (w.item_group[t] >= 0) continue;
    w.item_group[t] = static_cast<int>(w.group_begin.size()) - 1;
    w.group_member.push_back(static_cast<int>(t));
    w.group_begin.push_back(static_cast<int>(w.group_member.size()));
  }
  return true;
}

// Each group's choices, members sorted by weight downwards.
void list_choices(Workspace& w) {
  const int groups = static_cast<int>(w.group_begin.size()) - 1;
  w.choice_begin.assign(1, 0);
  w.choices.clear();
  for (int g = 0; g < groups; ++g) {
    int* first = w.group_member.data() + w.group_begin[g];
    int* last = w.group_member.data() + w.group_begin[g + 1];
    std::sort(first, last, [&](int p, int q) {
      return w.items[p].weight != w.items[q].weight ? w.items[p].weight > w.items[q].weight : p < q;
    });
    const int n = static_cast<int>(last - first);
    double sum = 0.0;
    for (int p = 0; p < n; ++p) {
      sum += w.items[first[p]].value;
      if (p + 1 < n && w.items[first[p + 1]].weight == w.items[first[p]].weight) continue;
      w.choices.push_back({p, w.items[first[p]].weight, sum});
    }
    w.choice_begin.push_back(static_cast<int>(w.choices.size()));
  }
}

// What a group costs the violation per unit of weight it brings.
double ratio(const Choice& c) { return (1.0 - std::min(1.0, c.value)) / c.weight; }

// Picks a group cover: one choice per group in w.cover. False when the
// groups' heaviest items together do not exceed the capacity.
bool choose_cover(Workspace& w, double needed, int64_t* work) {
  const int groups = static_cast<int>(w.group_begin.size()) - 1;
  w.chosen.resize(static_cast<size_t>(groups));
  double total = 0.0;
  for (int g = 0; g < groups; ++g) {
    int best = w.choice_begin[g];
    for (int c = best + 1; c < w.choice_begin[g + 1]; ++c)
      if (ratio(w.choices[c]) < ratio(w.choices[best])) best = c;
    w.chosen[g] = best;
    total += w.choices[best].weight;
  }
  // Too light: move groups to heavier items, each time the move that
  // loses least LP value per unit of weight gained.
  while (total <= needed) {
    int best = -1;
    double best_rate = std::numeric_limits<double>::infinity();
    for (int g = 0; g < groups; ++g) {
      const int c = w.chosen[g];
      if (c == w.choice_begin[g]) continue;
      const Choice &now = w.choices[c], &heavier = w.choices[c - 1];
      const double rate = (now.value - heavier.value) / (heavier.weight - now.weight);
      if (rate < best_rate) {
        best_rate = rate;
        best = g;
      }
    }
    *work += groups;
    if (best < 0) return false;  // every group at its heaviest item
    total += w.choices[w.chosen[best] - 1].weight - w.choices[w.chosen[best]].weight;
    --w.chosen[best];
  }
  // Greedy: groups that lose least violation per unit of weight first.
  w.order.resize(static_cast<size_t>(groups));
  for (int g = 0; g < groups; ++g) w.order[g] = g;
  std::sort(w.order.begin(), w.order.end(), [&](int p, int q) {
    const double rp = ratio(w.choices[w.chosen[p]]), rq = ratio(w.choices[w.chosen[q]]);
    return rp != rq ? rp < rq : p < q;
  });
  w.cover.clear();
  double weight = 0.0;
  for (int g : w.order) {
    w.cover.push_back(g);
    weight += w.choices[w.chosen[g]].weight;
    if (weight > needed) break;
  }
  // Each group in the cover costs 1 - value of violation: drop the dearest
  // while the rest still covers.
  std::sort(w.cover.begin(), w.cover.end(), [&](int p, int q) {
    const double vp = w.choices[w.chosen[p]].value, vq = w.choices[w.chosen[q]].value;
    return vp != vq ? vp < vq : p < q;
  });
  for (size_t k = 0; k < w.cover.size() && w.cover.size() > 1;) {
    const double wk = w.choices[w.chosen[w.cover[k]]].weight;
    if (weight - wk > needed) {
      weight -= wk;
      w.cover.erase(w.cover.begin() + static_cast<std::ptrdiff_t>(k));
    } else {
      ++k;
    }
  }
  // A lighter cover item lets more of its group in; take the lightest the
  // spare weight allows.
  for (int g : w.cover) {
    for (int c = w.chosen[g] + 1; c < w.choice_begin[g + 1]; ++c) {
      const double lighter = weight - w.choices[w.chosen[g]].weight + w.choices[c].weight;
      if (lighter <= needed) break;
      weight = lighter;
      w.chosen[g] = c;
    }
  }
  return true;
}

// The cut of the chosen cover, or false when it is not violated enough or
// adds nothing to the plain extended cover of the same items.
bool cover_cut(const SeparationInput& in, Workspace& w, Cut& cut) {
  const int groups = static_cast<int>(w.group_begin.size()) - 1;
  w.in_cover.assign(static_cast<size_t>(groups), 0);
  double heaviest = 0.0;
  for (int g : w.cover) {
    w.in_cover[g] = 1;
    heaviest = std::max(heaviest, w.choices[w.chosen[g]].weight);
  }
  w.included.assign(w.items.size(), 0);
  double lhs = 0.0, gain = 0.0;
  for (int g = 0; g < groups; ++g) {
    const double least = w.in_cover[g] ? w.choices[w.chosen[g]].weight : heaviest;
    double below = 0.0, largest_below = 0.0;
    for (int p = w.group_begin[g]; p < w.group_begin[g + 1]; ++p) {
      const Item& it = w.items[w.group_member[p]];
      if (it.weight < least) break;
      w.included[w.group_member[p]] = 1;
      lhs += it.value;
      if (it.weight < heaviest) {
        below += it.value;
        largest_below = std::max(largest_below, it.value);
      }
    }
    // The plain cover keeps one item of a group below the heaviest weight.
    gain += below - largest_below;
  }
  const double size = static_cast<double>(w.cover.size());
  if (gain <= kLeastGain || lhs <= size - 1.0 + kMinViolation) return false;
  cut.index.clear();
  cut.value.clear();
  cut.family = kGubCoverCuts;
  cut.rhs = size - 1.0;
  for (size_t t = 0; t < w.items.size(); ++t) {
    if (!w.included[t]) continue;
    cut.index.push_back(w.items[t].col);
    // y = 1 - x for a complemented literal.
    if (w.items[t].complemented) {
      cut.value.push_back(-1.0);
      cut.rhs -= 1.0;
    } else {
      cut.value.push_back(1.0);
    }
  }
  return cut.efficacy(in.x) > kMinEfficacy;
}

}  // namespace

void separate_gub_covers(const SeparationInput& in, int rows, std::vector<Cut>& out) {
  const MipModel& m = *in.model;
  rows = std::min(rows, m.num_rows);
  if (rows <= 1) return;
  const int64_t budget = std::max<int64_t>(kLeastWork, kWorkShare * static_cast<int64_t>(m.row_col.size()));
  int64_t work = 0;
  Workspace w;
  BaseRow side;
  // The side of each row that makes it a set-packing row: +1 its upper
  // side, -1 its lower side, 0 neither.
  std::vector<int8_t> packing_side(static_cast<size_t>(rows), 0);
  bool any_packing = false;
  for (int i = 0; i < rows; ++i) {
    work += m.row_begin[i + 1] - m.row_begin[i];
    for (const double s : {1.0, -1.0}) {
      if (!read_row_side(m, i, s, side)) continue;
      double capacity = 0.0;
      if (!binary_knapsack(m, side, in.lower, in.upper, w.knapsack, &capacity)) continue;
      if (!excludes_pairs(w.knapsack, capacity)) continue;
      packing_side[i] = static_cast<int8_t>(s);
      any_packing = true;
      break;
    }
  }
  if (!any_packing) return;
  int found = 0;
  Cut cut;
  for (int i = 0; i < rows && work <= budget && found < kMaxCuts; ++i) {
    for (const double s : {1.0, -1.0}) {
      if (!read_row_side(m, i, s, side)) continue;
      double capacity = 0.0;
      if (!binary_knapsack(m, side, in.lower, in.upper, w.knapsack, &capacity)) continue;
      if (w.knapsack.size() < 3 || capacity < 0.0 || excludes_pairs(w.knapsack, capacity)) continue;
      const double needed = capacity + margin_of(capacity);
      double total = 0.0;
      for (const KnapsackItem& k : w.knapsack) total += k.weight;
      if (total <= needed) continue;  // no cover at all
      w.items.clear();
      for (const KnapsackItem& k : w.knapsack) {
        const double x = std::clamp(in.x[k.col], 0.0, 1.0);
        w.items.push_back({k.col, k.weight, k.complemented ? 1.0 - x : x, k.complemented});
      }
      work += static_cast<int64_t>(w.items.size()) * 4;
      if (!group_items(m, rows, packing_side, w, &work)) continue;
      list_choices(w);
      if (!choose_cover(w, needed, &work)) continue;
      if (!cover_cut(in, w, cut)) continue;
      out.push_back(cut);
      ++found;
    }
  }
}

}  // namespace korva::mip
