#include "mip/node_store.h"

#include <algorithm>
#include <limits>

namespace korva::mip {

namespace {
// The best-bound turn of the alternating order: one selection in this many.
constexpr int64_t kBoundTurn = 10;
}  // namespace

int64_t SearchNode::memory() const {
  int64_t bytes = static_cast<int64_t>(sizeof(SearchNode) + changes.capacity() * sizeof(BoundChange));
  // A basis is shared by the two children of a node: each carries half.
  if (basis) bytes += static_cast<int64_t>(basis->status.size() / 2);
  return bytes;
}

NodeStore::NodeStore(NodeOrder order, NodeFileSettings files) : order_(order), files_(std::move(files)) {}

int NodeStore::push(std::unique_ptr<SearchNode> node) {
  int slot;
  if (!free_.empty()) {
    slot = free_.back();
    free_.pop_back();
  } else {
    slot = static_cast<int>(slots_.size());
    slots_.emplace_back();
  }
  Slot& s = slots_[slot];
  s.seqnum = node->seqnum;
  s.bound = node->bound;
  const Key by_bound{node->bound, node->seqnum, slot};
  const Key by_estimate{node->estimate, node->seqnum, slot};
  if (files_.mode > 0 && static_cast<double>(memory()) > files_.memory_limit) {
    if (!file_) file_ = std::make_unique<NodeFile>(files_.mode, files_.directory);
    if (int code = file_->store(*node, &s.handle)) {
      s.seqnum = -1;
      free_.push_back(slot);
      return code;
    }
  } else {
    memory_ += node->memory();
    s.node = std::move(node);
  }
  ++live_;
  by_bound_.push(by_bound);
  if (order_ == NodeOrder::BestEstimate || order_ == NodeOrder::BestEstimateAndBound) by_estimate_.push(by_estimate);
  if (order_ == NodeOrder::DepthFirst) stack_.push_back(by_bound);
  return 0;
}

int NodeStore::take(int slot, std::unique_ptr<SearchNode>* node) {
  Slot& s = slots_[slot];
  int code = 0;
  if (!node && drop_hook_) {
    // A dropped node hands its user handle back first.
    std::unique_ptr<SearchNode> dropped;
    if (s.node) drop_hook_(*s.node);
    else if (file_->load(s.handle, dropped) == 0) drop_hook_(*dropped);
    else file_->release(s.handle);
    if (!s.node) {
      s.handle = -1;
      s.seqnum = -1;
      free_.push_back(slot);
      --live_;
      return 0;
    }
  }
  if (s.node) {
    memory_ -= s.node->memory();
    if (node) *node = std::move(s.node);
    s.node.reset();
  } else if (node) {
    code = file_->load(s.handle, *node);
  } else {
    file_->release(s.handle);
  }
  s.handle = -1;
  s.seqnum = -1;
  free_.push_back(slot);
  --live_;
  return code;
}

int NodeStore::pop(std::unique_ptr<SearchNode>& node) {
  node.reset();
  if (live_ == 0) return 0;
  switch (order_) {
    case NodeOrder::DepthFirst:
      while (!stack_.empty()) {
        const Key k = stack_.back();
        stack_.pop_back();
        if (alive(k)) return take(k.slot, &node);
      }
      break;
    case NodeOrder::BestEstimateAndBound:
      if (++pops_ % kBoundTurn == 0) break;
      [[fallthrough]];
    case NodeOrder::BestEstimate:
      while (!by_estimate_.empty()) {
        const Key k = by_estimate_.top();
        by_estimate_.pop();
        if (alive(k)) return take(k.slot, &node);
      }
      break;
    case NodeOrder::BestBound:
      break;
  }
  while (!by_bound_.empty()) {
    const Key k = by_bound_.top();
    by_bound_.pop();
    if (alive(k)) return take(k.slot, &node);
  }
  return 0;
}

int NodeStore::slot_of_open(int64_t index) const {
  if (index < 0 || index >= live_) return -1;
  for (size_t slot = 0; slot < slots_.size(); ++slot) {
    if (slots_[slot].seqnum < 0) continue;
    if (index-- == 0) return static_cast<int>(slot);
  }
  return -1;
}

const SearchNode* NodeStore::open_node(int64_t index, bool* in_file) const {
  if (in_file) *in_file = false;
  const int slot = slot_of_open(index);
  if (slot < 0) return nullptr;
  if (!slots_[slot].node && in_file) *in_file = true;
  return slots_[slot].node.get();
}

int64_t NodeStore::next_index() {
  if (live_ == 0) return -1;
  int slot = -1;
  auto top_alive = [this](MinHeap& heap) {
    while (!heap.empty() && !alive(heap.top())) heap.pop();
    return heap.empty() ? -1 : heap.top().slot;
  };
  switch (order_) {
    case NodeOrder::DepthFirst:
      for (auto it = stack_.rbegin(); it != stack_.rend() && slot < 0; ++it)
        if (alive(*it)) slot = it->slot;
      break;
    case NodeOrder::BestEstimateAndBound:
      if ((pops_ + 1) % kBoundTurn == 0) break;
      [[fallthrough]];
    case NodeOrder::BestEstimate:
      slot = top_alive(by_estimate_);
      break;
    case NodeOrder::BestBound:
      break;
  }
  if (slot < 0) slot = top_alive(by_bound_);
  int64_t index = 0;
  for (int s = 0; s < slot; ++s) index += slots_[s].seqnum >= 0 ? 1 : 0;
  return slot < 0 ? -1 : index;
}

int NodeStore::take_open(int64_t index, std::unique_ptr<SearchNode>& node) {
  node.reset();
  const int slot = slot_of_open(index);
  if (slot < 0) return 1200;
  // The heaps keep the slot's key; alive() skips it from now on.
  return take(slot, &node);
}

double NodeStore::best_bound() {
  while (!by_bound_.empty() && !alive(by_bound_.top())) by_bound_.pop();
  return by_bound_.empty() ? std::numeric_limits<double>::infinity() : by_bound_.top().value;
}

double NodeStore::lowest_bound() const {
  if (!by_bound_.empty() && alive(by_bound_.top())) return by_bound_.top().value;
  double lowest = std::numeric_limits<double>::infinity();
  for (const Slot& s : slots_)
    if (s.seqnum >= 0) lowest = std::min(lowest, s.bound);
  return lowest;
}

double NodeStore::prune(double cutoff) {
  double smallest = std::numeric_limits<double>::infinity();
  for (size_t slot = 0; slot < slots_.size(); ++slot) {
    if (slots_[slot].seqnum >= 0 && slots_[slot].bound >= cutoff) {
      smallest = std::min(smallest, slots_[slot].bound);
      take(static_cast<int>(slot), nullptr);
    }
  }
  return smallest;
}

void NodeStore::clear(const std::function<void(int64_t)>& progress) {
  int64_t done = 0;
  for (size_t slot = 0; slot < slots_.size(); ++slot) {
    if (slots_[slot].seqnum < 0) continue;
    take(static_cast<int>(slot), nullptr);
    if (progress) progress(++done);
  }
  slots_.clear();
  free_.clear();
  by_bound_ = {};
  by_estimate_ = {};
  stack_.clear();
  file_.reset();
}

}  // namespace korva::mip
