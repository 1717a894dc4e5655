// The partial sort of sorted candidate-list pricing. Its order among equal
// violations decides which arc enters on ties, so it must leave exactly the
// order of the plain scanning partition, written out here as the
// reference, on lists like pricing's: a hundred or so entries, often many
// equal violations.
#include <gtest/gtest.h>

#include <random>
#include <utility>
#include <vector>

#include "network/quickselect.h"

namespace {

using korva::net::Candidate;

void scanning_quickselect(std::vector<Candidate>& list, size_t k) {
  size_t lo = 0, hi = list.size() - 1;
  while (lo < hi) {
    const double pivot = list[lo + (hi - lo) / 2].violation;
    size_t i = lo, j = hi;
    while (i <= j) {
      while (list[i].violation < pivot) ++i;
      while (list[j].violation > pivot) --j;
      if (i <= j) {
        std::swap(list[i], list[j]);
        ++i;
        if (j == 0) break;
        --j;
      }
    }
    if (k <= j)
      hi = j;
    else if (k >= i)
      lo = i;
    else
      return;
  }
}

TEST(NetworkQuickselect, LeavesTheOrderOfTheScanningPartition) {
  std::mt19937_64 rng(11);
  std::vector<int> scratch;
  int checked = 0;
  for (int size : {2, 3, 5, 16, 31, 60, 101, 109, 150, 201, 301}) {
    for (int distinct : {1, 2, 3, 10, 1000000}) {
      for (int round = 0; round < 40; ++round) {
        std::vector<Candidate> list(static_cast<size_t>(size));
        for (int p = 0; p < size; ++p)
          list[p] = {p, -1.0 - static_cast<double>(rng() % static_cast<uint64_t>(distinct))};
        // Pricing keeps the best K of a list a little longer than K; the
        // other positions check the narrowing to either side.
        const int k = round % 4 == 0 ? static_cast<int>(rng() % static_cast<uint64_t>(size)) : size * 9 / 10;
        std::vector<Candidate> expected = list;
        scanning_quickselect(expected, static_cast<size_t>(k));
        scratch.assign(2 * list.size(), 0);
        korva::net::quickselect(list.data(), size, k, scratch.data());
        for (int p = 0; p < size; ++p) {
          ASSERT_EQ(list[p].position, expected[p].position)
              << "size " << size << ", " << distinct << " values, k " << k << ", position " << p;
        }
        double worst_kept = -1e300;
        for (int p = 0; p < k; ++p) worst_kept = std::max(worst_kept, list[p].violation);
        for (int p = k; p < size; ++p) ASSERT_GE(list[p].violation, worst_kept);
        ++checked;
      }
    }
  }
  EXPECT_EQ(checked, 11 * 5 * 40);
}

}  // namespace
