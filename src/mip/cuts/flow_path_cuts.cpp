#include "mip/cuts/flow_path_cuts.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include "mip/cuts/variable_bounds.h"
#include "mip/mip_model.h"

namespace korva::mip {

namespace {

constexpr double kMinEfficacy = 1e-4;
constexpr double kMaxDynamism = 1e6;
constexpr double kSafety = 1e-9;  // relative slack on the cut's right-hand side
constexpr int kMaxCuts = 200;
constexpr int kMaxPathLength = 16;

// The conservation rows and the arcs between them (see the header).
class Network {
 public:
  // False when the rows hold no node with a switched arc into it.
  bool read(const SeparationInput& in, int rows, const VariableUpperBounds& vubs) {
    const MipModel& m = *in.model;
    node_.assign(static_cast<size_t>(rows), 0);
    bool any = false;
    for (int i = 0; i < rows; ++i) {
      if (m.row_lo[i] != m.row_hi[i] || !std::isfinite(m.row_lo[i])) continue;
      const int64_t first = m.row_begin[i], last = m.row_begin[i + 1];
      if (first == last) continue;
      bool flows = true;
      for (int64_t k = first; k < last && flows; ++k)
        flows = std::fabs(m.row_val[k]) == 1.0 && in.lower[m.row_col[k]] >= 0.0;
      if (!flows) continue;
      node_[i] = 1;
      any = true;
    }
    if (!any) return false;
    head_.assign(static_cast<size_t>(m.num_cols), -1);
    tail_.assign(static_cast<size_t>(m.num_cols), -1);
    // A column entering two nodes, leaving two, or in three is no arc, and
    // the rows it is in are no nodes; dropping them leaves every other
    // column with at most one +1 and one -1 among the nodes left.
    std::vector<uint8_t> broken(static_cast<size_t>(m.num_cols), 0);
    bool any_broken = false;
    for (int pass = 0; pass < 2; ++pass) {
      for (int i = 0; i < rows; ++i) {
        if (!node_[i]) continue;
        for (int64_t k = m.row_begin[i]; k < m.row_begin[i + 1]; ++k) {
          const int j = m.row_col[k];
          int& end = m.row_val[k] > 0 ? head_[j] : tail_[j];
          if (end >= 0 && end != i) {
            broken[j] = 1;
            any_broken = true;
          }
          end = i;
        }
      }
      if (pass == 1 || !any_broken) break;
      for (int i = 0; i < rows; ++i) {
        if (!node_[i]) continue;
        for (int64_t k = m.row_begin[i]; k < m.row_begin[i + 1]; ++k)
          if (broken[m.row_col[k]]) {
            node_[i] = 0;
            break;
          }
      }
      std::fill(head_.begin(), head_.end(), -1);
      std::fill(tail_.begin(), tail_.end(), -1);
    }
    bool switched = false;
    for (int j = 0; j < m.num_cols && !switched; ++j)
      switched = head_[j] >= 0 && (is_binary(in, j) || vubs.has(j));
    return switched;
  }

  bool is_node(int row) const { return node_[row] != 0; }
  int head(int col) const { return head_[col]; }
  int tail(int col) const { return tail_[col]; }

 private:
  std::vector<uint8_t> node_;
  std::vector<int> head_, tail_;
};

class PathSeparator {
 public:
  PathSeparator(const SeparationInput& in, const VariableUpperBounds& vubs, const Network& net, int rows)
      : in_(in), m_(*in.model), vubs_(vubs), net_(net) {
    position_.assign(static_cast<size_t>(rows), -1);
    value_.assign(static_cast<size_t>(m_.num_cols), 0.0);
    marked_.assign(static_cast<size_t>(m_.num_cols), 0);
  }

  int64_t work() const { return work_; }

  // The path ending at node `end` grown backwards along the arcs carrying
  // the most flow; the prefix whose inequality x violates most gives the cut.
  bool separate(int end, Cut& cut) {
    path_.assign(1, end);
    arcs_.clear();
    suffix_.assign(1, m_.row_lo[end]);
    position_[end] = 0;
    double best = 0.0;
    size_t best_length = 0;
    for (;;) {
      const double v = violation();
      if (v > best) {
        best = v;
        best_length = path_.size();
      }
      if (path_.size() >= static_cast<size_t>(kMaxPathLength) || !extend()) break;
    }
    for (size_t i = best_length; i < path_.size(); ++i) position_[path_[i]] = -1;
    path_.resize(best_length);
    if (best_length > 0) arcs_.resize(best_length - 1);
    const bool found = best_length > 0 && write(cut);
    for (int r : path_) position_[r] = -1;
    return found;
  }

 private:
  bool on_path(int row) const { return row >= 0 && position_[row] >= 0; }

  // The binary switching col off, with its LP value; -1 when there is none.
  int switch_of(int col, double* z) const {
    if (is_binary(in_, col)) {
      *z = in_.x[col];
      return col;
    }
    int best = -1;
    for (const VariableUpperBound* b = vubs_.begin(col); b != vubs_.end(col); ++b)
      if (best < 0 || in_.x[b->binary] < *z) {
        best = b->binary;
        *z = in_.x[b->binary];
      }
    return best;
  }

  bool extend() {
    const int front = path_.back();
    int arc = -1;
    for (int64_t k = m_.row_begin[front]; k < m_.row_begin[front + 1]; ++k) {
      const int j = m_.row_col[k];
      if (m_.row_val[k] < 0 || net_.tail(j) < 0 || on_path(net_.tail(j))) continue;
      if (arc < 0 || in_.x[j] > in_.x[arc]) arc = j;
    }
    work_ += m_.row_begin[front + 1] - m_.row_begin[front];
    if (arc < 0) return false;
    const int next = net_.tail(arc);
    position_[next] = static_cast<int>(path_.size());
    path_.push_back(next);
    arcs_.push_back(arc);
    suffix_.push_back(suffix_.back() + m_.row_lo[next]);
    return true;
  }

  // Calls f(col, +1 for S or -1 for Q, coefficient of z, z column) for
  // the terms of the current path's inequality; S terms only when x gains.
  template <class F>
  void for_each_term(F&& f) {
    for (size_t i = 0; i < path_.size(); ++i) {
      const int r = path_[i];
      const double demand = std::max(0.0, suffix_[i]);
      const int in_arc = i + 1 < path_.size() ? arcs_[i] : -1;
      const int out_arc = i > 0 ? arcs_[i - 1] : -1;
      work_ += m_.row_begin[r + 1] - m_.row_begin[r];
      for (int64_t k = m_.row_begin[r]; k < m_.row_begin[r + 1]; ++k) {
        const int j = m_.row_col[k];
        if (m_.row_val[k] < 0) {
          if (j != out_arc) f(j, -1, 0.0, -1);
          continue;
        }
        if (j == in_arc || on_path(net_.tail(j))) continue;
        double z = 0.0;
        const int binary = switch_of(j, &z);
        if (binary < 0 || in_.x[j] - demand * z <= 0.0) continue;
        f(j, 1, demand, binary);
      }
    }
  }

  double violation() {
    double v = 0.0;
    for_each_term([&](int j, int sign, double demand, int binary) {
      v += sign * in_.x[j];
      if (binary >= 0) v -= demand * in_.x[binary];
    });
    return v;
  }

  void add(int j, double v) {
    if (!marked_[j]) {
      marked_[j] = 1;
      touched_.push_back(j);
    }
    value_[j] += v;
  }

  bool write(Cut& cut) {
    touched_.clear();
    double magnitude = 1.0;
    for_each_term([&](int j, int sign, double demand, int binary) {
      add(j, sign);
      if (binary >= 0 && demand > 0.0) {
        add(binary, -demand);
        magnitude = std::max(magnitude, demand);
      }
    });
    cut.index.clear();
    cut.value.clear();
    cut.family = kFlowPathCuts;
    double largest = 0.0, smallest = std::numeric_limits<double>::infinity();
    for (int j : touched_) {
      const double c = value_[j];
      value_[j] = 0.0;
      marked_[j] = 0;
      if (c == 0.0) continue;
      cut.index.push_back(j);
      cut.value.push_back(c);
      largest = std::max(largest, std::fabs(c));
      smallest = std::min(smallest, std::fabs(c));
    }
    touched_.clear();
    if (cut.index.empty() || largest > kMaxDynamism * smallest) return false;
    // The demands are sums of right-hand sides: relax for their rounding.
    cut.rhs = kSafety * magnitude;
    return cut.efficacy(in_.x) > kMinEfficacy;
  }

  const SeparationInput& in_;
  const MipModel& m_;
  const VariableUpperBounds& vubs_;
  const Network& net_;
  std::vector<int> path_;       // path_[0] is the end; path_[i + 1] -> path_[i] by arcs_[i]
  std::vector<int> arcs_;
  std::vector<double> suffix_;  // D of path_[i]: its demand and those after it
  std::vector<int> position_;   // per row: index on the path, or -1
  std::vector<double> value_;   // the cut being written, dense; zero between cuts
  std::vector<uint8_t> marked_;
  std::vector<int> touched_;
  int64_t work_ = 0;
};

}  // namespace

void separate_flow_paths(const SeparationInput& in, int rows, std::vector<Cut>& out) {
  const MipModel& m = *in.model;
  rows = std::min(rows, m.num_rows);
  if (rows <= 0) return;
  VariableUpperBounds vubs;
  vubs.build(in, rows);
  Network net;
  if (!net.read(in, rows, vubs)) return;
  // Row entries read per call at most, as a multiple of the matrix's.
  constexpr int64_t kWorkShare = 10;
  constexpr int64_t kLeastWork = 500000;
  const int64_t budget = std::max<int64_t>(kLeastWork, kWorkShare * static_cast<int64_t>(m.row_col.size()));
  PathSeparator paths(in, vubs, net, rows);
  Cut cut;
  int found = 0;
  for (int end = 0; end < rows && found < kMaxCuts && paths.work() <= budget; ++end) {
    if (!net.is_node(end)) continue;
    if (!paths.separate(end, cut)) continue;
    out.push_back(cut);
    ++found;
  }
}

}  // namespace korva::mip
