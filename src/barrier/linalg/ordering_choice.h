// The choice among the fill-reducing orderings, including the automatic one
// that tries several orderings when the first is expensive.
#pragma once
#include <functional>
#include <vector>

#include "barrier/linalg/csc_matrix.h"
#include "barrier/linalg/ordering.h"

namespace korva::barrier {

struct OrderingChoice {
  std::vector<int> perm;
  Ordering used = Ordering::min_degree;
  double min_degree_flops = 0;  // factor flops under minimum degree (automatic choice only)
};

// A fixed choice computes that ordering. automatic: minimum degree; when its
// factor costs more than 500 flops per nonzero of `lower`, nested dissection
// and minimum fill are tried too, on up to ordering_threads threads (0: at
// most 2), and the one with the fewest flops is kept. While those run,
// `progress` hears the seconds spent every few seconds. Returns 0, 1001 or 4005.
int choose_ordering(const CscMatrix& lower, Ordering choice, int ordering_threads, OrderingChoice& out,
                    const std::function<void(double seconds)>& progress = {});

}  // namespace korva::barrier
