#include "mip/polishing.h"

#include <algorithm>
#include <cmath>

#include "env/random.h"
#include "env/time_limit.h"
#include "mip/sub_mip.h"

namespace korva::mip {

namespace {

constexpr double kFirstFixedShare = 0.7;
constexpr double kShareStep = 0.1;
constexpr int kMostFailures = 50;  // in a row, when no time limit bounds polishing
constexpr uint32_t kPolishingSeed = 2026;

// The cutoff an improvement must beat.
double improving_cutoff(double z, bool objective_integral) {
  const double scale = std::max(1.0, std::fabs(z));
  return objective_integral ? z - 1.0 + 1e-6 * scale : z - 1e-6 * scale;
}

}  // namespace

PolishOutcome polish_incumbent(Environment& env, const MipModel& model, MipSearchRecord& record, double seconds,
                               long long node_limit,
                               const std::function<bool(const std::vector<double>&)>& holds) {
  PolishOutcome out;
  if (!record.has_incumbent) return out;
  const double started = current_time(env);
  const bool timed = seconds < 1e75;
  const bool objective_integral = objective_is_integral(model);
  std::vector<int> integers;
  for (int j = 0; j < model.num_cols; ++j)
    if (model.is_integer(j) && model.lower[j] < model.upper[j]) integers.push_back(j);

  Random random;
  random.reseed(kPolishingSeed);
  double share = integers.empty() ? 0.0 : kFirstFixedShare;
  int failures = 0;
  while (true) {
    if (env.terminate_requested()) break;
    if (time_limit_reached(env) || tick_limit_reached(env)) {
      out.time_limit = true;
      break;
    }
    const double left = timed ? seconds - (current_time(env) - started) : 1e75;
    if (left <= 0.0) break;
    if (!timed && time_remaining(env) >= kNoDeadline && failures >= kMostFailures) break;

    SubMipRequest request;
    request.node_limit = node_limit;
    request.time_limit = left;
    request.cutoff = improving_cutoff(record.incumbent_objective, objective_integral);
    for (int j : integers)
      if (random.next() < share) {
        const double v = record.incumbent[j];
        request.bounds.push_back({j, v, v});
      }
    SubMipResult result;
    out.error = solve_sub_mip(env, model, request, result);
    record.nested_nodes += result.nodes;
    record.nested_iterations += result.iterations;
    if (out.error) break;

    if (result.found && result.objective < record.incumbent_objective && holds(result.x)) {
      record.incumbent = std::move(result.x);
      record.incumbent_objective = result.objective;
      ++record.improvements;
      ++out.improvements;
      failures = 0;
      continue;
    }
    ++failures;
    if (result.proved) {
      // Nothing better with this much fixed: fix less next time; with
      // nothing fixed the incumbent is optimal.
      if (request.bounds.empty()) {
        out.proved = true;
        break;
      }
      share = std::max(0.0, share - kShareStep);
    } else {
      // The neighbourhood was too large to search: fix more.
      share = std::min(0.95, share + kShareStep);
    }
  }
  return out;
}

}  // namespace korva::mip
