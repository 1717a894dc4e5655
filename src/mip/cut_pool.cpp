#include "mip/cut_pool.h"

#include <algorithm>
#include <cstring>
#include <numeric>

namespace korva::mip {

namespace {

uint64_t mix(uint64_t h, uint64_t v) {
  h ^= v + 0x9e3779b97f4a7c15ULL + (h << 6) + (h >> 2);
  return h;
}

uint64_t bits(double v) {
  uint64_t u = 0;
  std::memcpy(&u, &v, sizeof u);
  return u;
}

// Cuts with the same entries and right-hand side hash alike.
uint64_t fingerprint(const Cut& c) {
  uint64_t h = mix(0, bits(c.rhs));
  for (size_t k = 0; k < c.index.size(); ++k) h = mix(mix(h, static_cast<uint64_t>(c.index[k])), bits(c.value[k]));
  return h;
}

}  // namespace

void CutPool::offer(Cut&& cut, double score) {
  if (cut.index.empty() || !seen_.insert(fingerprint(cut)).second) return;
  cuts_.push_back({std::move(cut), score});
}

std::vector<Cut> CutPool::best(size_t max_cuts, int64_t max_nonzeros) const {
  std::vector<size_t> order(cuts_.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return cuts_[a].score > cuts_[b].score; });
  std::vector<size_t> taken;
  for (size_t k : order) {
    if (taken.size() >= max_cuts) break;
    const int64_t entries = static_cast<int64_t>(cuts_[k].cut.index.size());
    if (entries > max_nonzeros) continue;
    max_nonzeros -= entries;
    taken.push_back(k);
  }
  std::sort(taken.begin(), taken.end());
  std::vector<Cut> out;
  for (size_t k : taken) out.push_back(cuts_[k].cut);
  return out;
}

void PoolAges::age(const std::vector<int>& used, int64_t retire_after) {
  for (int64_t& n : idle) ++n;
  for (int r : used) idle[r] = 0;
  for (size_t r = 0; r < idle.size(); ++r)
    if (idle[r] > retire_after) retired[r] = 1;
}

}  // namespace korva::mip
