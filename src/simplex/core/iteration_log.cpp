#include "simplex/core/iteration_log.h"

#include <cmath>

#include "env/channel.h"
#include "env/time_limit.h"

namespace korva::simplex {

namespace {
constexpr double kSecondsBetweenTimeLines = 10.0;
constexpr int64_t kIterationsBetweenChecks = 1000;
// Objectives this large are printed in exponent form so the columns stay aligned.
constexpr double kLargeObjective = 1e11;
}  // namespace

IterationLog::IterationLog(Environment& env, LogKind kind, int display, int64_t refactorisations)
    : env_(env), kind_(kind), display_(display), logged_refactorisations_(refactorisations) {
  start_time_ = current_time(env);
  last_time_line_ = start_time_;
}

void IterationLog::header(int64_t iteration) {
  if (header_done_) return;
  header_done_ = true;
  if (iteration < 2) msg(env_.results(), "\nIteration log . . .\n");
}

void IterationLog::write_line(int64_t iteration, int phase, bool scaled, double value,
                              int64_t refactorisations) {
  logged_refactorisations_ = refactorisations;
  logged_phase_ = phase;
  if (display_ < 1) return;
  header(iteration);
  const long long it = static_cast<long long>(iteration);
  if (kind_ == LogKind::Dual) {
    if (phase == 1 && scaled)
      msg(env_.results(), "Iteration: %5lld   Scaled dual infeas = %20.6f\n", it, value);
    else if (phase == 1)
      msg(env_.results(), "Iteration: %5lld   Dual infeasibility = %20.6f\n", it, value);
    else
      msg(env_.results(), "Iteration: %5lld   Dual objective     = %20.6f\n", it, value);
  } else {
    if (phase == 1 && scaled)
      msg(env_.results(), "Iteration: %5lld    Scaled infeas = %20.6f\n", it, value);
    else if (phase == 1)
      msg(env_.results(), "Iteration: %5lld    Infeasibility = %20.6f\n", it, value);
    else
      msg(env_.results(), "Iteration: %5lld    Objective     = %20.6f\n", it, value);
  }
}

void IterationLog::write_detail(int64_t iteration, int phase, bool scaled, double objective,
                                const std::string& entering, const std::string& leaving) {
  if (display_ < 2) return;
  header(iteration);
  if (!detail_header_done_) {
    detail_header_done_ = true;
    msg(env_.results(), "%s", kind_ == LogKind::Dual ? "\nIteration      Dual Objective     "
                                                      : "\nIteration           Objective     ");
    msg(env_.results(), "       In Variable           Out Variable\n");
  }
  const char* marker = phase == 1 ? (scaled ? " sI" : "  I") : "   ";
  char number[64];
  if (std::fabs(objective) >= kLargeObjective)
    std::snprintf(number, sizeof number, "%20.6e", objective);
  else
    std::snprintf(number, sizeof number, "%20.6f", objective);
  msg(env_.results(), "%6lld%s%s%23s%23s\n", static_cast<long long>(iteration), marker, number,
      entering.c_str(), leaving.c_str());
}

void IterationLog::check_elapsed(int64_t iteration) {
  if (display_ < 1 || iteration % kIterationsBetweenChecks != 0 ||
      iteration - last_check_iteration_ < kIterationsBetweenChecks)
    return;
  last_check_iteration_ = iteration;
  const double now = current_time(env_);
  if (now - last_time_line_ < kSecondsBetweenTimeLines) return;
  last_time_line_ = now;
  msg(env_.results(), "Elapsed time = %7.2f sec. (%lld iterations).\n", now - start_time_,
      static_cast<long long>(iteration));
  env_.results()->flush();
}

}  // namespace korva::simplex
