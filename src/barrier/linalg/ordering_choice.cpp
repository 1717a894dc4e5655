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
// trial takes seconds: only one round of trials is run, one per thread.
constexpr size_t kLargeMatrix = 1000000;

struct Candidate {
  Ordering method = Ordering::min_degree;
  // Minimum fill: the relabelling tried, or dense rows last.
  const std::vector<int>* label = nullptr;
  bool dense_last = false;
  std::vector<int> perm;
  double flops = 0;
  int status = 0;
};

void evaluate(const CscMatrix& lower, Candidate& c) {
  try {
    if (c.dense_last)
      c.status = dense_rows_last_minimum_degree(lower, c.perm);
    else if (c.label)
      c.status = relabelled_minimum_degree(lower, *c.label, c.perm);
    else
      c.status = compute_ordering(lower, c.method, c.perm);
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

  // Nested dissection and the variants of minimum degree that make up
  // minimum fill (dense rows last, relabellings; the plain one is `first`)
  // are independent: the threads take them in turn, the longest first.
  const std::vector<std::vector<int>> labels = tie_break_labels(lower.cols);
  const size_t thread_limit = ordering_threads <= 0 ? size_t{2} : static_cast<size_t>(ordering_threads);
  std::vector<Candidate> trials(1);
  trials[0].method = Ordering::nested_dissection;
  if (has_few_dense_rows(lower)) {
    trials.emplace_back();
    trials.back().method = Ordering::min_fill;
    trials.back().dense_last = true;
  }
  size_t relabellings = labels.size();
  if (lower.index.size() > kLargeMatrix) {
    // One round on the threads: relabellings take the threads left, and
    // one is tried anyway when nothing else varies minimum degree.
    const size_t left = thread_limit > trials.size() ? thread_limit - trials.size() : 0;
    relabellings = std::min(labels.size(), std::max(left, trials.size() == 1 ? size_t{1} : size_t{0}));
  }
  for (size_t k = 0; k < relabellings; ++k) {
    trials.emplace_back();
    trials.back().method = Ordering::min_fill;
    trials.back().label = &labels[k];
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
