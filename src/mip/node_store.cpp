#include "mip/node_store.h"

#include <algorithm>
#include <limits>

namespace korva::mip {

int64_t SearchNode::memory() const {
  int64_t bytes = static_cast<int64_t>(sizeof(SearchNode) + changes.capacity() * sizeof(BoundChange));
  // A basis is shared by the two children of a node: each carries half.
  if (basis) bytes += static_cast<int64_t>(basis->status.size() / 2);
  return bytes;
}

void NodeStore::push(std::unique_ptr<SearchNode> node) {
  int slot;
  if (!free_.empty()) {
    slot = free_.back();
    free_.pop_back();
  } else {
    slot = static_cast<int>(nodes_.size());
    nodes_.emplace_back();
  }
  const Key by_bound{node->bound, node->seqnum, slot};
  const Key by_estimate{node->estimate, node->seqnum, slot};
  memory_ += node->memory();
  nodes_[slot] = std::move(node);
  ++live_;
  by_bound_.push(by_bound);
  if (order_ == NodeOrder::BestEstimate) by_estimate_.push(by_estimate);
  if (order_ == NodeOrder::DepthFirst) stack_.push_back(by_bound);
}

std::unique_ptr<SearchNode> NodeStore::take(int slot) {
  std::unique_ptr<SearchNode> node = std::move(nodes_[slot]);
  free_.push_back(slot);
  --live_;
  memory_ -= node->memory();
  return node;
}

std::unique_ptr<SearchNode> NodeStore::pop() {
  if (live_ == 0) return nullptr;
  switch (order_) {
    case NodeOrder::DepthFirst:
      while (!stack_.empty()) {
        const Key k = stack_.back();
        stack_.pop_back();
        if (alive(k)) return take(k.slot);
      }
      break;
    case NodeOrder::BestEstimate:
      while (!by_estimate_.empty()) {
        const Key k = by_estimate_.top();
        by_estimate_.pop();
        if (alive(k)) return take(k.slot);
      }
      break;
    case NodeOrder::BestBound:
      break;
  }
  while (!by_bound_.empty()) {
    const Key k = by_bound_.top();
    by_bound_.pop();
    if (alive(k)) return take(k.slot);
  }
  return nullptr;
}

double NodeStore::best_bound() {
  while (!by_bound_.empty() && !alive(by_bound_.top())) by_bound_.pop();
  return by_bound_.empty() ? std::numeric_limits<double>::infinity() : by_bound_.top().value;
}

double NodeStore::prune(double cutoff) {
  double smallest = std::numeric_limits<double>::infinity();
  for (size_t slot = 0; slot < nodes_.size(); ++slot) {
    if (nodes_[slot] && nodes_[slot]->bound >= cutoff) {
      smallest = std::min(smallest, nodes_[slot]->bound);
      take(static_cast<int>(slot));
    }
  }
  return smallest;
}

}  // namespace korva::mip
