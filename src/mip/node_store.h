// The open nodes of a search. A node is a small record: the branching
// changes on its path from the root (propagation derives the rest), the
// basis its parent ended with, its bound and estimate. The store keeps
// them in the orders the node selection needs (by bound, by estimate, last
// in first out); the smallest bound over the open nodes is the tree's part
// of the best bound, whatever the selection rule. Once the nodes in memory
// pass the working-memory limit, new ones go to a node file.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <queue>
#include <string>
#include <vector>

#include "mip/domain.h"
#include "mip/node_file.h"
#include "mip/node_lp.h"

namespace korva::mip {

struct SearchNode {
  double bound = 0.0;     // minimisation sense
  double estimate = 0.0;  // minimisation sense
  int64_t depth = 0;
  int64_t seqnum = 0;
  int64_t parent_seqnum = -1;  // -1 for the root
  std::vector<BoundChange> changes;  // the branching changes from the root, in order
  int new_changes = 0;               // how many of them this node added to its parent's
  std::shared_ptr<const CompactBasis> basis;
  // How this node came about: for the pseudocost update and the queries.
  int branch_col = -1;
  int branch_set = -1;
  char branch_type = 'D';   // 'D', 'U' on a column; 'L', 'R' on a set
  double branch_change = 0.0;      // the move of the branching column (fractional part, signed)
  double parent_objective = 0.0;   // the parent's LP objective
  double sum_infeasibility = 0.0;  // of the parent's solution
  int64_t num_infeasible = 0;
  // Rows callbacks added for this subtree only (branching constraints,
  // local cuts), switched on when the node is entered.
  std::vector<int> local_rows;
  void* user_handle = nullptr;  // given by a branch callback
  int cut_rounds = 0;           // user cut callback rounds spent on the node

  int64_t memory() const;
};

// Best estimate, and the variant that takes the best bound every few
// selections so that the bound keeps moving.
enum class NodeOrder { DepthFirst, BestBound, BestEstimate, BestEstimateAndBound };

struct NodeFileSettings {
  int mode = 1;                 // KRV_PARAM_NODEFILEIND: 0 none, 1 compressed in memory, 2 disk, 3 compressed on disk
  double memory_limit = 1e300;  // KRV_PARAM_WORKMEM in bytes
  std::string directory = ".";  // KRV_PARAM_WORKDIR
};

class NodeStore {
 public:
  explicit NodeStore(NodeOrder order = NodeOrder::BestBound, NodeFileSettings files = {});

  // 0, or a node file error (1801, 1803).
  int push(std::unique_ptr<SearchNode> node);
  // The next node by the store's order (null when empty); 0 or 1802.
  int pop(std::unique_ptr<SearchNode>& node);
  // The open node `index` (0 .. size() - 1, the live slots in slot order),
  // for the callbacks that look at or choose open nodes. Null when `index`
  // is out of range, or when the node sits in the node file (then
  // `*in_file` is set).
  const SearchNode* open_node(int64_t index, bool* in_file) const;
  // Removes the open node `index` and hands it over like pop does; 0, 1200
  // for an index out of range, or 1802.
  int take_open(int64_t index, std::unique_ptr<SearchNode>& node);
  // The index of the node pop() would take next (-1 when empty).
  int64_t next_index();
  bool empty() const { return live_ == 0; }
  int64_t size() const { return live_; }
  // Smallest bound over the open nodes (+inf when empty).
  double best_bound();
  // The same without tidying the heap: callbacks in several threads read it.
  double lowest_bound() const;
  // Drops every node whose bound is at or above `cutoff`; returns the
  // smallest bound dropped (+inf when none).
  double prune(double cutoff);
  // Removes every node; `progress(done)` is called after each one.
  void clear(const std::function<void(int64_t)>& progress = {});
  // Bytes of the nodes held in memory (compressed ones included).
  int64_t memory() const { return memory_ + (file_ ? file_->memory_bytes() : 0); }
  // Bytes of the nodes in the node file on disk, as records and as stored.
  int64_t file_bytes() const { return file_ && file_->on_disk() ? file_->raw_bytes() : 0; }
  int64_t file_stored_bytes() const { return file_ && file_->on_disk() ? file_->stored_bytes() : 0; }
  bool uses_node_file() const { return file_ != nullptr; }
  // Called for every node the store drops unprocessed (prune, clear)
  // that carries a user handle.
  void on_drop(std::function<void(const SearchNode&)> hook) { drop_hook_ = std::move(hook); }

 private:
  struct Key {
    double value;
    int64_t seqnum;
    int slot;
    bool operator>(const Key& o) const { return value > o.value || (value == o.value && seqnum > o.seqnum); }
  };
  struct Slot {
    std::unique_ptr<SearchNode> node;  // null when the node is in the node file
    int64_t handle = -1;               // node file record, or -1
    int64_t seqnum = -1;               // -1: free
    double bound = 0.0;
  };
  using MinHeap = std::priority_queue<Key, std::vector<Key>, std::greater<Key>>;
  int take(int slot, std::unique_ptr<SearchNode>* node);
  int slot_of_open(int64_t index) const;  // -1 when out of range
  bool alive(const Key& k) const { return slots_[k.slot].seqnum == k.seqnum; }

  NodeOrder order_;
  NodeFileSettings files_;
  std::unique_ptr<NodeFile> file_;
  std::vector<Slot> slots_;
  std::vector<int> free_;
  MinHeap by_bound_, by_estimate_;
  std::vector<Key> stack_;
  int64_t live_ = 0;
  int64_t memory_ = 0;
  int64_t pops_ = 0;
  std::function<void(const SearchNode&)> drop_hook_;
};

}  // namespace korva::mip
