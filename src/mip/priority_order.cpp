#include "mip/priority_order.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <vector>

#include "env/channel.h"
#include "env/errors.h"

namespace korva::mip {

namespace {

// A domain this wide (an infinite bound) ranks below every finite one.
constexpr double kInfiniteRange = 1e20;
// Bounds beyond ±2.1e9 count as ±1.05e9, so that the widest finite domain
// still leaves integer priorities.
constexpr double kClampBeyond = 2.1e9;
constexpr double kClampedBound = 1.05e9;
// Integer columns whose range reaches this get the lowest priority.
constexpr double kHugeRange = 1e17;
// Cost coefficients up to this magnitude count as no cost at all.
constexpr double kNoCost = 1e-10;
// Neighbours in cost order share a priority unless they differ by more
// than this share of the cost spread per costed column.
constexpr double kStepShare = 0.25;

// The line each rule writes, in the two pieces the cost rules print.
struct RuleMessage {
  const char* head;
  const char* tail;  // null: the head is the whole line
};
constexpr RuleMessage kMessages[] = {
    {"Generated priority order by ", "decreasing cost.\n"},
    {"Generated priority order by increasing bound range.\n", nullptr},
    {"Generated priority order by ", "increasing cost per coefficient count.\n"},
};

bool is_continuous(const Problem& p, int j) { return p.ctype(j) == 'C'; }

// The width of column j's integer domain: 1 for binary and semi-continuous
// columns, 0 for continuous ones, kInfiniteRange with an infinite bound.
double bound_range(const Problem& p, int j) {
  switch (p.ctype(j)) {
    case 'B':
    case 'S':
      return 1.0;
    case 'I':
    case 'N': {
      double lo = p.lower(j), hi = p.upper(j);
      if (lo <= -kInfinity || hi >= kInfinity) return kInfiniteRange;
      if (lo < -kClampBeyond) lo = -kClampedBound;
      if (hi > kClampBeyond) hi = kClampedBound;
      return std::floor(hi - lo);
    }
    default:
      return 0.0;
  }
}

void by_bound_range(const Problem& p, std::vector<int>& priority) {
  const int n = p.num_cols();
  std::vector<double> range(static_cast<size_t>(n));
  double widest = 0.0;  // the largest finite range
  for (int j = 0; j < n; ++j) {
    range[j] = bound_range(p, j);
    if (range[j] < kInfiniteRange) widest = std::max(widest, range[j]);
  }
  for (int j = 0; j < n; ++j) {
    switch (p.ctype(j)) {
      case 'B':
      case 'S':
        priority[j] = static_cast<int>(widest + 2.0);
        break;
      case 'I':
      case 'N':
        priority[j] = range[j] < kHugeRange ? static_cast<int>(std::min(widest + 2.0 - range[j], double(INT_MAX))) : 1;
        break;
      default:
        priority[j] = 0;
        break;
    }
  }
}

// |c_j| of the non-continuous columns (per nonzero of the column when
// `per_coefficient`), ranked: the cheapest gets 1, and each next column one
// more when its cost exceeds its predecessor's by more than the step.
void by_cost(const Problem& p, bool per_coefficient, std::vector<int>& priority) {
  const int n = p.num_cols();
  std::vector<int> cols;
  std::vector<double> cost(static_cast<size_t>(n), 0.0);
  int costed = 0;
  for (int j = 0; j < n; ++j) {
    if (is_continuous(p, j)) continue;
    cols.push_back(j);
    double c = std::fabs(p.obj(j));
    if (c > kNoCost) {
      ++costed;
      if (per_coefficient) {
        const SparseSpan col = p.column(j);
        const auto nonzeros = std::count_if(col.value.begin(), col.value.end(), [](double v) { return v != 0.0; });
        c = nonzeros > 0 ? c / static_cast<double>(nonzeros) : 0.0;
      }
    }
    cost[j] = c;
  }
  if (costed == 0) {
    for (int j : cols) priority[j] = 1;
    return;
  }
  std::stable_sort(cols.begin(), cols.end(), [&](int a, int b) { return cost[a] < cost[b]; });
  const double step = (cost[cols.back()] - cost[cols.front()]) * kStepShare / costed;
  int level = 1;
  priority[cols.front()] = level;
  for (size_t k = 1; k < cols.size(); ++k) {
    if (cost[cols[k]] - cost[cols[k - 1]] > step) ++level;
    priority[cols[k]] = level;
  }
  // Cheapest first: the ranking turns round.
  if (per_coefficient)
    for (int j : cols) priority[j] = level - priority[j] + 1;
}

}  // namespace

int generate_priority_order(Environment& env, const Problem& p, int type, PriorityOrder& order) {
  order = PriorityOrder{};
  if (type < 1 || type > 3) return err::kBadArgument;
  std::vector<int> priority(static_cast<size_t>(p.num_cols()), 0);
  if (type == 2) by_bound_range(p, priority);
  else by_cost(p, type == 3, priority);

  if (env.int_param(KRV_PARAM_MIPDISPLAY) != 0) {
    const RuleMessage& m = kMessages[type - 1];
    msg(env.results(), "%s", m.head);
    if (m.tail) msg(env.results(), "%s", m.tail);
  }
  // Generated entries have no direction: those of priority 0 say nothing.
  for (int j = 0; j < p.num_cols(); ++j) {
    if (priority[j] == 0) continue;
    order.indices.push_back(j);
    order.priority.push_back(priority[j]);
    order.direction.push_back(0);
  }
  return 0;
}

}  // namespace korva::mip
