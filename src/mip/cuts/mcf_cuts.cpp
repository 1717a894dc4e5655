#include "mip/cuts/mcf_cuts.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <unordered_set>

#include "mip/cuts/base_row.h"
#include "mip/cuts/mir_cuts.h"

namespace korva::mip {

namespace {

constexpr int kMaxCuts = 200;
constexpr int kMaxSetSize = 6;
// Entries read per call at most, as a multiple of the matrix's entries.
constexpr int64_t kWorkShare = 20;
constexpr int64_t kLeastWork = 1000000;
// A demand this small relative to the right-hand sides summed into it is
// rounding, not demand.
constexpr double kDemandTolerance = 1e-9;

uint64_t mix(uint64_t h, uint64_t v) {
  h ^= v + 0x9e3779b97f4a7c15ULL + (h << 6) + (h >> 2);
  return h;
}

// Which commodities join a base row: those whose demand leaves S, those
// whose demand enters it, or both.
enum class Direction { Out, In, Both };

class CutSetSeparator {
 public:
  CutSetSeparator(const SeparationInput& in, const McfNetwork& net, std::vector<Cut>& out)
      : in_(in), m_(*in.model), net_(net), out_(out) {
    coef_.assign(static_cast<size_t>(m_.num_cols), 0.0);
    marked_.assign(static_cast<size_t>(m_.num_cols), 0);
    arc_stamp_.assign(net.arc_row.size(), -1);
    demand_.assign(static_cast<size_t>(net.commodities), 0.0);
    demand_size_.assign(static_cast<size_t>(net.commodities), 0.0);
    commodity_touched_.assign(static_cast<size_t>(net.commodities), 0);
    in_set_.assign(static_cast<size_t>(net.nodes), 0);
    pull_.assign(static_cast<size_t>(net.nodes), 0.0);
    budget_ = std::max<int64_t>(kLeastWork, kWorkShare * static_cast<int64_t>(m_.row_col.size()));
    // Capacity each arc offers at the LP point: what makes it worth
    // keeping inside S rather than in the cut.
    arc_capacity_.assign(net.arc_row.size(), 0.0);
    for (size_t a = 0; a < net.arc_row.size(); ++a) {
      const int i = net.arc_row[a];
      for (int64_t k = m_.row_begin[i]; k < m_.row_begin[i + 1]; ++k) {
        const int j = m_.row_col[k];
        if (m_.kind[j] == ColKind::Integer) arc_capacity_[a] -= m_.row_val[k] * net.arc_scale[a] * in.x[j];
      }
      work_ += m_.row_begin[i + 1] - m_.row_begin[i];
    }
  }

  void run() {
    const int largest = std::max(1, std::min(kMaxSetSize, net_.nodes / 2));
    std::vector<int> set;
    for (int start = 0; start < net_.nodes && !exhausted(); ++start) {
      set.assign(1, start);
      for (;;) {
        if (!seen_sets_.insert(signature(set)).second) break;
        separate(set);
        if (static_cast<int>(set.size()) >= largest || exhausted()) break;
        const int next = closest_neighbour(set);
        if (next < 0) break;
        set.push_back(next);
      }
    }
  }

 private:
  bool exhausted() const { return work_ > budget_ || found_ >= kMaxCuts; }

  static uint64_t signature(std::vector<int> set) {
    std::sort(set.begin(), set.end());
    uint64_t h = set.size();
    for (int v : set) h = mix(h, static_cast<uint64_t>(v));
    return h;
  }

  // The node outside S joined to it by the most LP capacity.
  int closest_neighbour(const std::vector<int>& set) {
    for (int v : set) in_set_[v] = 1;
    int best = -1;
    touched_nodes_.clear();
    for (int v : set) {
      for (int p = net_.incident_begin[v]; p < net_.incident_begin[v + 1]; ++p) {
        const int a = net_.incident_arc[p];
        const int other = net_.arc_tail[a] == v ? net_.arc_head[a] : net_.arc_tail[a];
        if (other < 0 || in_set_[other]) continue;
        if (pull_[other] == 0.0) touched_nodes_.push_back(other);
        pull_[other] += std::max(arc_capacity_[a], 0.0) + 1e-12;
      }
      work_ += net_.incident_begin[v + 1] - net_.incident_begin[v];
    }
    for (int v : touched_nodes_) {
      if (best < 0 || pull_[v] > pull_[best] || (pull_[v] == pull_[best] && v < best)) best = v;
    }
    for (int v : touched_nodes_) pull_[v] = 0.0;
    for (int v : set) in_set_[v] = 0;
    return best;
  }

  void separate(const std::vector<int>& set) {
    // Each commodity's net demand in S: Σ of its rows' right-hand sides.
    touched_commodities_.clear();
    for (int v : set)
      for (int p = net_.node_begin[v]; p < net_.node_begin[v + 1]; ++p) {
        const int k = net_.node_row_commodity[p];
        const double b = m_.row_lo[net_.node_row[p]] * net_.node_row_scale[p];
        if (!commodity_touched_[k]) {
          commodity_touched_[k] = 1;
          touched_commodities_.push_back(k);
        }
        demand_[k] += b;
        demand_size_[k] += std::fabs(b);
      }
    bool out = false, in = false;
    for (int k : touched_commodities_) {
      if (!carries_demand(k)) continue;
      (demand_[k] > 0.0 ? out : in) = true;
    }
    bool any = false;
    if (out) any |= try_direction(set, Direction::Out);
    if (in) any |= try_direction(set, Direction::In);
    if (out && in && !any) try_direction(set, Direction::Both);
    for (int k : touched_commodities_) {
      demand_[k] = 0.0;
      demand_size_[k] = 0.0;
      commodity_touched_[k] = 0;
    }
  }

  bool carries_demand(int k) const { return std::fabs(demand_[k]) > kDemandTolerance * std::max(1.0, demand_size_[k]); }

  bool try_direction(const std::vector<int>& set, Direction d) {
    ++stamp_;
    // Conservation rows of S, each negated where its commodity's demand is
    // positive: the sum reads Σ ±f = -|demand|.
    for (int v : set)
      for (int p = net_.node_begin[v]; p < net_.node_begin[v + 1]; ++p) {
        const int k = net_.node_row_commodity[p];
        if (!carries_demand(k)) continue;
        if ((d == Direction::Out && demand_[k] < 0.0) || (d == Direction::In && demand_[k] > 0.0)) continue;
        const double sign = demand_[k] > 0.0 ? -1.0 : 1.0;
        const int i = net_.node_row[p];
        // The scaled coefficients are ±1 exactly, so flows inside S cancel
        // exactly.
        for (int64_t e = m_.row_begin[i]; e < m_.row_begin[i + 1]; ++e)
          add(m_.row_col[e], m_.row_val[e] > 0.0 ? sign : -sign);
        rhs_ += sign * net_.node_row_scale[p] * m_.row_lo[i];
        work_ += m_.row_begin[i + 1] - m_.row_begin[i];
      }
    // Flows left with a negative coefficient carry the demand across: the
    // capacity rows of their arcs bound them by the design columns.
    const size_t flows = support_.size();
    for (size_t s = 0; s < flows; ++s) {
      const int j = support_[s];
      const int a = net_.flow_arc[j];
      if (a < 0 || coef_[j] >= 0.0 || arc_stamp_[a] == stamp_) continue;
      arc_stamp_[a] = stamp_;
      add_capacity_row(a);
    }
    base_.index.clear();
    base_.value.clear();
    for (int j : support_) {
      if (coef_[j] != 0.0) {
        base_.index.push_back(j);
        base_.value.push_back(coef_[j]);
      }
      coef_[j] = 0.0;
      marked_[j] = 0;
    }
    support_.clear();
    base_.rhs = rhs_;
    rhs_ = 0.0;
    if (base_.index.empty()) return false;
    work_ += static_cast<int64_t>(base_.index.size()) * 32;  // the divisors best_mir_cut tries
    if (!best_mir_cut(in_, base_, kNoExtras, kAnyDivisor, cut_)) return false;
    cut_.family = kMcfCuts;
    if (!cut_seen_.insert(cut_signature(cut_)).second) return true;
    out_.push_back(cut_);
    ++found_;
    return true;
  }

  void add_capacity_row(int a) {
    const int i = net_.arc_row[a];
    const double scale = net_.arc_scale[a];
    for (int64_t e = m_.row_begin[i]; e < m_.row_begin[i + 1]; ++e) {
      const int j = m_.row_col[e];
      // Flow coefficients are exactly 1 after scaling; keep them exact so
      // that they cancel exactly against the conservation rows.
      add(j, m_.kind[j] == ColKind::Continuous ? 1.0 : m_.row_val[e] * scale);
    }
    rhs_ += scale * (scale > 0.0 ? m_.row_hi[i] : m_.row_lo[i]);
    work_ += m_.row_begin[i + 1] - m_.row_begin[i];
  }

  void add(int j, double v) {
    if (!marked_[j]) {
      marked_[j] = 1;
      support_.push_back(j);
    }
    coef_[j] += v;
  }

  static uint64_t cut_signature(const Cut& c) {
    uint64_t h = mix(c.index.size(), static_cast<uint64_t>(std::llround(c.rhs * 1e6)));
    for (size_t k = 0; k < c.index.size(); ++k) {
      h = mix(h, static_cast<uint64_t>(c.index[k]));
      h = mix(h, static_cast<uint64_t>(std::llround(c.value[k] * 1e6)));
    }
    return h;
  }

  inline static const std::vector<ExtraVariable> kNoExtras{};
  inline static const std::vector<int> kAnyDivisor{};

  const SeparationInput& in_;
  const MipModel& m_;
  const McfNetwork& net_;
  std::vector<Cut>& out_;
  int64_t work_ = 0, budget_ = 0;
  int found_ = 0;
  int stamp_ = 0;
  std::vector<double> coef_;
  std::vector<uint8_t> marked_;
  std::vector<int> support_;
  double rhs_ = 0.0;
  std::vector<int> arc_stamp_;
  std::vector<double> arc_capacity_;
  std::vector<double> demand_, demand_size_;
  std::vector<uint8_t> commodity_touched_;
  std::vector<int> touched_commodities_;
  std::vector<uint8_t> in_set_;
  std::vector<double> pull_;
  std::vector<int> touched_nodes_;
  std::unordered_set<uint64_t> seen_sets_, cut_seen_;
  BaseRow base_;
  Cut cut_;
};

}  // namespace

void separate_mcf(const SeparationInput& in, const McfNetwork& net, std::vector<Cut>& out) {
  if (net.empty()) return;
  CutSetSeparator separator(in, net, out);
  separator.run();
}

void separate_mcf(const SeparationInput& in, int rows, std::vector<Cut>& out) {
  const McfNetwork net = find_mcf_network(*in.model, rows);
  separate_mcf(in, net, out);
}

}  // namespace korva::mip
