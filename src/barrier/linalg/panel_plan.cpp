#include "barrier/linalg/panel_plan.h"

#include <algorithm>
#include <iterator>
#include <map>

namespace korva::barrier {
namespace {

// Free gaps of the working array, found by size (best fit) and merged with
// their neighbours by position.
class GapList {
 public:
  // Offset of a place for `size` doubles: the smallest gap that holds it,
  // else the end of the array, which then grows.
  int64_t take(int64_t size) {
    auto fit = by_size_.lower_bound(size);
    if (fit == by_size_.end()) {
      // A gap touching the end is extended rather than left behind.
      if (!by_offset_.empty()) {
        auto last = std::prev(by_offset_.end());
        if (last->first + last->second == end_) {
          const int64_t at = last->first;
          erase(at, last->second);
          end_ = at + size;
          return at;
        }
      }
      const int64_t at = end_;
      end_ += size;
      return at;
    }
    const int64_t gap = fit->first, at = fit->second;
    erase(at, gap);
    if (gap > size) insert(at + size, gap - size);
    return at;
  }

  void give_back(int64_t at, int64_t size) {
    auto next = by_offset_.lower_bound(at);
    if (next != by_offset_.end() && next->first == at + size) {
      size += next->second;
      erase(next->first, next->second);
    }
    auto after = by_offset_.lower_bound(at);
    if (after != by_offset_.begin()) {
      auto before = std::prev(after);
      if (before->first + before->second == at) {
        at = before->first;
        size += before->second;
        erase(before->first, before->second);
      }
    }
    insert(at, size);
  }

  int64_t end() const { return end_; }

 private:
  void insert(int64_t at, int64_t size) {
    by_offset_.emplace(at, size);
    by_size_.emplace(size, at);
  }
  void erase(int64_t at, int64_t size) {
    by_offset_.erase(at);
    for (auto [k, stop] = by_size_.equal_range(size); k != stop; ++k) {
      if (k->second == at) {
        by_size_.erase(k);
        break;
      }
    }
  }

  std::map<int64_t, int64_t> by_offset_;     // offset → size
  std::multimap<int64_t, int64_t> by_size_;  // size → offset
  int64_t end_ = 0;
};

}  // namespace

PanelPlan plan_panels(const SymbolicFactor& s) {
  const int ns = s.supernodes;
  PanelPlan plan;
  plan.last_use.resize(ns);
  for (int t = 0; t < ns; ++t) plan.last_use[t] = t;
  // Targets come in increasing order, so the last one seen is the latest.
  for (int t = 0; t < ns; ++t)
    for (int64_t u = s.update_start[t]; u < s.update_start[t + 1]; ++u) plan.last_use[s.update_source[u]] = t;

  std::vector<int64_t> done_start(ns + 1, 0);
  std::vector<int> done(ns);
  for (int t = 0; t < ns; ++t) ++done_start[plan.last_use[t] + 1];
  for (int t = 0; t < ns; ++t) done_start[t + 1] += done_start[t];
  {
    std::vector<int64_t> next(done_start.begin(), done_start.end() - 1);
    for (int t = 0; t < ns; ++t) done[next[plan.last_use[t]]++] = t;
  }

  plan.offset.resize(ns);
  plan.trim_start.assign(ns + 1, 0);
  // Per supernode while it is alive: the first row it keeps and the doubles
  // that takes.
  std::vector<int64_t> held(ns, 0);
  std::vector<int> kept_from(ns, 0);
  GapList gaps;
  int64_t live = 0;
  // Keeps only the rows from `row` on of a panel, when that frees at least
  // a quarter of what it holds.
  auto retire_rows_above = [&](int t, int row) {
    if (row <= kept_from[t]) return;
    const int64_t kept = static_cast<int64_t>(s.width(t)) * (s.row_count(t) - row);
    if (4 * kept > 3 * held[t]) return;
    gaps.give_back(plan.offset[t] + kept, held[t] - kept);
    live -= held[t] - kept;
    held[t] = kept;
    kept_from[t] = row;
    plan.trims.push_back(PanelTrim{t, row});
  };
  for (int t = 0; t < ns; ++t) {
    held[t] = s.value_start[t + 1] - s.value_start[t];
    plan.offset[t] = gaps.take(held[t]);
    live += held[t];
    plan.peak_live_doubles = std::max(plan.peak_live_doubles, live);
    for (int64_t k = done_start[t]; k < done_start[t + 1]; ++k) {
      const int src = done[k];
      gaps.give_back(plan.offset[src], held[src]);
      live -= held[src];
    }
    for (int64_t u = s.update_start[t]; u < s.update_start[t + 1]; ++u)
      if (plan.last_use[s.update_source[u]] > t) retire_rows_above(s.update_source[u], s.update_end[u]);
    if (plan.last_use[t] > t) retire_rows_above(t, s.width(t));
    plan.trim_start[t + 1] = static_cast<int64_t>(plan.trims.size());
  }
  plan.working_doubles = gaps.end();
  return plan;
}

}  // namespace korva::barrier
