#include "network/quickselect.h"

#include <utility>

namespace korva::net {

// The scanning form of the partition, one entry at a time from each end:
//
//   i = lo, j = hi
//   while i <= j:
//     while v[i] < pivot: ++i
//     while v[j] > pivot: --j
//     if i <= j: swap entries i and j; ++i; stop if j == 0; --j
//
// Its branches go whichever way the violations, in no order, say: nearly
// one misprediction per entry. But until the two scans cross, each reads
// only entries that no swap has touched. So the entries where the left
// scan can stop (not below the pivot) and those where the right scan can
// stop (not above it) are listed first, without branches; the swaps then
// pair the two lists off in order. A scan that finds no listed entry
// before the other end stops on the entry the last swap put there (the
// first pass always finds one: the pivot itself).
void quickselect(Candidate* list, int size, int k, int* scratch) {
  int lo = 0, hi = size - 1;
  int* stops_left = scratch;
  int* stops_right = scratch + size;  // read from the back
  while (lo < hi) {
    const double pivot = list[lo + (hi - lo) / 2].violation;
    int nl = 0, nr = 0;
    for (int p = lo; p <= hi; ++p) {
      const double v = list[p].violation;
      stops_left[nl] = p;
      stops_right[nr] = p;
      nl += !(v < pivot);
      nr += !(v > pivot);
    }
    int i = lo, j = hi;
    for (int t = 0, u = nr - 1; i <= j; ++t, --u) {
      const int left = t < nl && stops_left[t] <= j ? stops_left[t] : j + 1;
      const int right = u >= 0 && stops_right[u] >= i ? stops_right[u] : i - 1;
      if (left > right) {
        i = left;
        j = right;
        break;
      }
      std::swap(list[left], list[right]);
      i = left + 1;
      if (right == 0) {
        j = 0;
        break;
      }
      j = right - 1;
    }
    if (k <= j)
      hi = j;
    else if (k >= i)
      lo = i;
    else
      return;
  }
}

}  // namespace korva::net
