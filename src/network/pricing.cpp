#include "network/pricing.h"

#include <algorithm>
#include <utility>

#include "network/quickselect.h"

namespace korva::net {
namespace {

int group_size_for(int arcs) {
  if (arcs < 1000) return 15;
  if (arcs < 10000) return 25;
  if (arcs < 100000) return 50;
  return 100;
}

}  // namespace

GroupLayout group_layout(int num_arcs) {
  GroupLayout l;
  l.group_size = group_size_for(num_arcs);
  l.stride = num_arcs < l.group_size ? 1 : num_arcs / l.group_size;
  l.q = num_arcs / l.stride;
  l.r = num_arcs % l.stride;
  return l;
}

namespace {

void setup(PricingState& s, const PricingView& view, double tolerance) {
  s.view = view;
  s.tolerance = tolerance;
  s.layout = group_layout(view.num_arcs);
  s.next_group = 0;
  s.list.clear();
  s.wrap = 0;
  s.work = 0;
  s.in_list.assign(static_cast<size_t>(view.num_arcs), 0);
  s.found.resize(static_cast<size_t>(s.layout.q) + 1);  // the largest group
}

// Prices one group; calls `found` with the position and violation of
// every candidate, in position order, and returns how many. The pass over
// the group computes the violation of every arc, basic or not, and writes
// it to the next free slot of the buffer, which a candidate keeps: no
// branch on the status or on being a candidate, which follow no pattern.
template <class Found>
int scan_group(PricingState& s, int g, Found&& found) {
  const PricedArc* arcs = s.view.arcs;
  const double* pot = s.view.potential;
  const int8_t* status = s.view.status;
  const double neg_tol = -s.tolerance;
  const int begin = s.layout.first(g), end = s.layout.first(g + 1);
  Candidate* out = s.found.data();
  int count = 0;
  for (int p = begin; p < end; ++p) {
    const PricedArc& arc = arcs[p];
    const double viol = violation_of(status[p], arc.cost - pot[arc.tail] + pot[arc.head]);
    out[count] = {p, viol};
    count += viol < neg_tol;
  }
  for (int k = 0; k < count; ++k) found(out[k].position, out[k].violation);
  s.work += end - begin;
  return count;
}

// The next call starts its scan at the group after the last one scanned,
// the next stretch of memory; fetching it now lets the loads run during the
// pivot instead of at the start of the scan, where the hardware no longer
// sees a stream after the pivot's scattered accesses.
void prefetch_next_group(const PricingState& s) {
  const int begin = s.layout.first(s.next_group), end = s.layout.first(s.next_group + 1);
  const char* arcs = reinterpret_cast<const char*>(s.view.arcs + begin);
  const char* arcs_end = reinterpret_cast<const char*>(s.view.arcs + end);
  for (const char* line = arcs; line < arcs_end; line += 64) __builtin_prefetch(line);
  const char* status = reinterpret_cast<const char*>(s.view.status + begin);
  for (const char* line = status; line < reinterpret_cast<const char*>(s.view.status + end); line += 64)
    __builtin_prefetch(line);
}

int advance_group(PricingState& s) {
  const int g = s.next_group;
  s.next_group = g + 1 == s.layout.stride ? 0 : g + 1;
  return g;
}

// Keeps the list entries that are still candidates, with fresh violations.
// Without branches, like the group scan: each entry is written to the next
// free slot, which it keeps while it is a candidate.
void reprice_list(PricingState& s) {
  const double neg_tol = -s.tolerance;
  Candidate* list = s.list.data();
  int8_t* in_list = s.in_list.data();
  size_t kept = 0;
  for (size_t k = 0, size = s.list.size(); k < size; ++k) {
    const int p = list[k].position;
    const double viol = arc_violation(s.view, p);
    const bool still = viol < neg_tol;
    list[kept] = {p, viol};
    in_list[p] = still;
    kept += still;
  }
  s.work += static_cast<int64_t>(s.list.size());
  s.list.resize(kept);
  if (s.wrap >= kept) s.wrap = 0;
}

int best_of_list(const PricingState& s, double* violation) {
  int best = -1;
  double best_viol = 0.0;
  for (const Candidate& c : s.list) {
    if (best < 0 || c.violation < best_viol - 1e-10) {
      best = c.position;
      best_viol = c.violation;
    }
  }
  if (violation) *violation = best_viol;
  return best < 0 ? -1 : s.layout.arc(best);
}

void release(PricingState& s) {
  std::vector<Candidate>().swap(s.list);
  std::vector<int8_t>().swap(s.in_list);
  std::vector<Candidate>().swap(s.found);
  std::vector<int>().swap(s.select_scratch);
}

void set_tolerance(PricingState& s, double tolerance) { s.tolerance = tolerance; }

// --- group pricing ---------------------------------------------------------

void group_initialize(PricingState& s, const PricingView& view, double tolerance) {
  setup(s, view, tolerance);
}

int group_select(PricingState& s, double* violation) {
  for (int scanned = 0; scanned < s.layout.stride; ++scanned) {
    int best = -1;
    double best_viol = 0.0;
    scan_group(s, advance_group(s), [&](int p, double viol) {
      if (best < 0 || viol < best_viol - 1e-10) {
        best = p;
        best_viol = viol;
      }
    });
    if (best >= 0) {
      if (violation) *violation = best_viol;
      return s.layout.arc(best);
    }
  }
  return -1;
}

// --- candidate-list pricing ------------------------------------------------

void list_initialize(PricingState& s, const PricingView& view, double tolerance) {
  setup(s, view, tolerance);
  s.capacity = static_cast<size_t>(2 * s.layout.group_size);
  s.list.reserve(s.capacity);
}

int list_select(PricingState& s, double* violation) {
  reprice_list(s);
  for (int scanned = 0; scanned < s.layout.stride; ++scanned) {
    const int found = scan_group(s, advance_group(s), [&](int p, double viol) {
      if (s.in_list[p]) return;
      if (s.list.size() < s.capacity) {
        s.list.push_back({p, viol});
      } else {
        // A full list takes new candidates in turn over its old entries.
        s.in_list[s.list[s.wrap].position] = 0;
        s.list[s.wrap] = {p, viol};
        s.wrap = (s.wrap + 1) % s.capacity;
      }
      s.in_list[p] = 1;
    });
    if (found > 0) break;
  }
  return best_of_list(s, violation);
}

// --- sorted candidate-list pricing -----------------------------------------

void sorted_initialize(PricingState& s, const PricingView& view, double tolerance) {
  setup(s, view, tolerance);
  s.capacity = static_cast<size_t>(s.layout.group_size + view.num_arcs / s.layout.stride + 1);
  s.list.reserve(s.capacity);
  s.select_scratch.resize(2 * s.capacity);
}

int sorted_select(PricingState& s, double* violation) {
  reprice_list(s);
  for (int scanned = 0; scanned < s.layout.stride; ++scanned) {
    const int found = scan_group(s, advance_group(s), [&](int p, double viol) {
      if (s.in_list[p] || s.list.size() >= s.capacity) return;
      s.list.push_back({p, viol});
      s.in_list[p] = 1;
    });
    if (found > 0) break;
  }
  prefetch_next_group(s);
  const size_t keep = static_cast<size_t>(s.layout.group_size);
  if (s.list.size() > keep) {
    quickselect(s.list.data(), static_cast<int>(s.list.size()), static_cast<int>(keep), s.select_scratch.data());
    for (size_t k = keep; k < s.list.size(); ++k) s.in_list[s.list[k].position] = 0;
    s.list.resize(keep);
  }
  return best_of_list(s, violation);
}

constexpr PricingOps kGroupPricing{group_initialize, group_select, release, set_tolerance};
constexpr PricingOps kListPricing{list_initialize, list_select, release, set_tolerance};
constexpr PricingOps kSortedPricing{sorted_initialize, sorted_select, release, set_tolerance};

}  // namespace

const PricingOps* pricing_ops(int choice) {
  switch (choice) {
    case 0:
    case 3:
      return &kSortedPricing;
    case 1:
      return &kGroupPricing;
    case 2:
      return &kListPricing;
    default:
      return nullptr;
  }
}

}  // namespace korva::net
