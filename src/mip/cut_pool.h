// The cut pool: cuts the root rounds found but did not keep in the
// relaxation (not chosen, or gone slack). They join the relaxation as
// inactive rows; a node whose LP point violates one switches it on for
// itself and its subtree. Cuts that no node needs for long age out of the
// checks.
#pragma once
#include <cstdint>
#include <unordered_set>
#include <vector>

#include "mip/cuts/cut.h"

namespace korva::mip {

class CutPool {
 public:
  // A cut with its score (efficacy when found); a cut the pool holds
  // already is not taken twice.
  void offer(Cut&& cut, double score);
  // The best-scored cuts, at most `max_cuts` of them and `max_nonzeros`
  // entries in all, in the order they were offered.
  std::vector<Cut> best(size_t max_cuts, int64_t max_nonzeros) const;
  size_t size() const { return cuts_.size(); }
  // Forgets the cuts but not that they were offered: they are not taken
  // again.
  void clear() { cuts_.clear(); }

 private:
  struct Entry {
    Cut cut;
    double score;
  };
  std::vector<Entry> cuts_;
  std::unordered_set<uint64_t> seen_;
};

// The pool's rows during the tree search: how many rounds each went
// unused, and which no longer get checked. The search owns it and updates
// it between rounds; workers read it.
struct PoolAges {
  std::vector<int64_t> idle;     // rounds since the row last switched on
  std::vector<uint8_t> retired;  // idle too long: not checked any more

  void init(int rows) {
    idle.assign(static_cast<size_t>(rows), 0);
    retired.assign(static_cast<size_t>(rows), 0);
  }
  // One round of the search passed, with these pool rows (0-based)
  // switched on somewhere.
  void age(const std::vector<int>& used, int64_t retire_after);
};

}  // namespace korva::mip
