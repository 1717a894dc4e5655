#include "barrier/linalg/ordering_choice.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <new>
#include <thread>

#include "barrier/linalg/symbolic_factor.h"
#include "env/error_codes.h"

namespace korva::barrier {
namespace {

// Above this many flops per nonzero of the matrix the minimum-degree factor
// is expensive enough to pay for trying other orderings.
constexpr double kExpensiveFactorRatio = 500.0;
constexpr double kProgressInterval = 5.0;  // seconds between reports of a long ordering
// On a matrix with more nonzeros than this, each relabelled minimum-degree
// trial takes seconds: only one round of trials is run, nested dissection
// and one relabelling per further thread (at least one).
constexpr size_t kLargeMatrix = 1000000;

struct Candidate {
  Ordering method = Ordering::min_degree;
  const std::vector<int>* label = nullptr;  // minimum fill: the relabelling tried
  std::vector<int> perm;
  double flops = 0;
  int status = 0;
};

void evaluate(const CscMatrix& lower, Candidate& c) {
  try {
    c.status = c.label ? relabelled_minimum_degree(lower, *c.label, c.perm) : compute_ordering(lower, c.method, c.perm);
    if (c.status == 0) c.flops = factor_cost(lower, c.perm).flops;
  } catch (const std::bad_alloc&) {
    c.status = err::kNoMemory;
  }
}

}  // namespace

int choose_ordering(const CscMatrix& lower, Ordering choice, int ordering_threads, OrderingChoice& out,
                    const std::function<void(double seconds)>& progress) {
  const auto start = std::chrono::steady_clock::now();
  out = OrderingChoice();
  if (choice != Ordering::automatic) {
    out.used = choice;
    return compute_ordering(lower, choice, out.perm);
  }
  Candidate first;  // minimum degree
  evaluate(lower, first);
  if (first.status != 0) return first.status;
  out.min_degree_flops = first.flops;
  out.perm = std::move(first.perm);
  const double size = std::max<double>(1.0, static_cast<double>(lower.index.size()));
  if (first.flops / size <= kExpensiveFactorRatio) return 0;

  // Nested dissection and the relabelled minimum-degree orderings of
  // minimum fill (the plain one is `first`) are independent: the threads
  // take them in turn, the longest first.
  const std::vector<std::vector<int>> labels = tie_break_labels(lower.cols);
  const size_t thread_limit = ordering_threads <= 0 ? size_t{2} : static_cast<size_t>(ordering_threads);
  const size_t relabellings =
      lower.index.size() > kLargeMatrix ? std::clamp<size_t>(thread_limit - 1, 1, labels.size()) : labels.size();
  std::vector<Candidate> trials;
  trials.resize(1 + relabellings);
  trials[0].method = Ordering::nested_dissection;
  for (size_t k = 0; k < relabellings; ++k) {
    trials[k + 1].method = Ordering::min_fill;
    trials[k + 1].label = &labels[k];
  }
  const size_t threads = std::min(trials.size(), thread_limit);
  std::atomic<size_t> next{0};
  std::atomic<int> running{static_cast<int>(threads)};
  auto work = [&] {
    for (size_t k; (k = next.fetch_add(1)) < trials.size();) evaluate(lower, trials[k]);
    --running;
  };
  std::vector<std::thread> team;
  for (size_t t = 0; t < threads; ++t) team.emplace_back(work);
  // The calling thread reports while the trials run.
  double reported = 0;
  while (running > 0) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (progress && seconds >= reported + kProgressInterval) {
      progress(seconds);
      reported = seconds;
    }
  }
  for (std::thread& thread : team) thread.join();
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
