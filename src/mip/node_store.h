// The open nodes of a search. A node is a small record: the branching
// changes on its path from the root (propagation derives the rest), the
// basis its parent ended with, its bound and estimate. The store keeps
// them in the orders the node selection needs (by bound, by estimate, last
// in first out); the smallest bound over the open nodes is the tree's part
// of the best bound, whatever the selection rule.
#pragma once
#include <cstdint>
#include <memory>
#include <queue>
#include <vector>

#include "mip/domain.h"
#include "mip/node_lp.h"

namespace korva::mip {

struct SearchNode {
  double bound = 0.0;     // minimisation sense
  double estimate = 0.0;  // minimisation sense
  int64_t depth = 0;
  int64_t seqnum = 0;
  std::vector<BoundChange> changes;  // the branching changes from the root, in order
  int new_changes = 0;               // how many of them this node added to its parent's
  std::shared_ptr<const CompactBasis> basis;
  // How this node came about: for the pseudocost update and the queries.
  int branch_col = -1;
  int branch_set = -1;
  char branch_type = 'D';   // 'D', 'U' on a column; 'L', 'R' on a set; 'S' semi-continuous; 'I' indicator
  double branch_change = 0.0;      // the move of the branching column (fractional part, signed)
  double parent_objective = 0.0;   // the parent's LP objective
  double sum_infeasibility = 0.0;  // of the parent's solution
  int64_t num_infeasible = 0;

  int64_t memory() const;
};

enum class NodeOrder { DepthFirst, BestBound, BestEstimate };

class NodeStore {
 public:
  explicit NodeStore(NodeOrder order = NodeOrder::BestBound) : order_(order) {}
  void set_order(NodeOrder order) { order_ = order; }

  void push(std::unique_ptr<SearchNode> node);
  // The next node by the store's order; null when empty.
  std::unique_ptr<SearchNode> pop();
  bool empty() const { return live_ == 0; }
  int64_t size() const { return live_; }
  // Smallest bound over the open nodes (+inf when empty).
  double best_bound();
  // Drops every node whose bound is at or above `cutoff`; returns the
  // smallest bound dropped (+inf when none).
  double prune(double cutoff);
  // Removes every node (freeing them); `each` sees every removed node.
  template <class Each>
  void clear(Each each) {
    for (auto& n : nodes_)
      if (n) each(*n);
    nodes_.clear();
    free_.clear();
    by_bound_ = {};
    by_estimate_ = {};
    stack_.clear();
    live_ = 0;
    memory_ = 0;
  }
  int64_t memory() const { return memory_; }

 private:
  struct Key {
    double value;
    int64_t seqnum;
    int slot;
    bool operator>(const Key& o) const { return value > o.value || (value == o.value && seqnum > o.seqnum); }
  };
  using MinHeap = std::priority_queue<Key, std::vector<Key>, std::greater<Key>>;
  std::unique_ptr<SearchNode> take(int slot);
  bool alive(const Key& k) const { return nodes_[k.slot] && nodes_[k.slot]->seqnum == k.seqnum; }

  NodeOrder order_;
  std::vector<std::unique_ptr<SearchNode>> nodes_;
  std::vector<int> free_;
  MinHeap by_bound_, by_estimate_;
  std::vector<Key> stack_;
  int64_t live_ = 0;
  int64_t memory_ = 0;
};

}  // namespace korva::mip
