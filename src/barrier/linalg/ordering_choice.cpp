#include "barrier/linalg/ordering_choice.h"

#include <algorithm>
#include <new>
#include <thread>

#include "barrier/linalg/symbolic_factor.h"
#include "env/error_codes.h"

namespace korva::barrier {
namespace {

// Above this many flops per nonzero of the matrix the minimum-degree factor
// is expensive enough to pay for trying other orderings.
constexpr double kExpensiveFactorRatio = 500.0;

struct Candidate {
  Ordering method;
  std::vector<int> perm;
  double flops = 0;
  int status = 0;
};

void evaluate(const CscMatrix& lower, Candidate& c) {
  try {
    c.status = compute_ordering(lower, c.method, c.perm);
    if (c.status == 0) c.flops = factor_cost(lower, c.perm).flops;
  } catch (const std::bad_alloc&) {
    c.status = err::kNoMemory;
  }
}

}  // namespace

int choose_ordering(const CscMatrix& lower, Ordering choice, int ordering_threads, OrderingChoice& out) {
  out = OrderingChoice();
  if (choice != Ordering::automatic) {
    out.used = choice;
    return compute_ordering(lower, choice, out.perm);
  }
  Candidate first{Ordering::min_degree, {}, 0, 0};
  evaluate(lower, first);
  if (first.status != 0) return first.status;
  out.min_degree_flops = first.flops;
  out.perm = std::move(first.perm);
  const double size = std::max<double>(1.0, static_cast<double>(lower.index.size()));
  if (first.flops / size <= kExpensiveFactorRatio) return 0;

  std::vector<Candidate> trials = {{Ordering::nested_dissection, {}, 0, 0}, {Ordering::min_fill, {}, 0, 0}};
  const size_t batch = ordering_threads <= 0 ? 2 : static_cast<size_t>(ordering_threads);
  for (size_t k = 0; k < trials.size(); k += batch) {
    const size_t batch_end = std::min(trials.size(), k + batch);
    std::vector<std::thread> team;
    for (size_t j = k + 1; j < batch_end; ++j) team.emplace_back([&, j] { evaluate(lower, trials[j]); });
    evaluate(lower, trials[k]);
    for (std::thread& thread : team) thread.join();
  }
  double best = first.flops;
  for (Candidate& trial : trials) {
    if (trial.status != 0) return trial.status;
    if (trial.flops < best) {
      best = trial.flops;
      out.perm = std::move(trial.perm);
      out.used = trial.method;
    }
  }
  return 0;
}

}  // namespace korva::barrier
