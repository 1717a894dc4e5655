// The simplex iteration log on the results channel.
//
// Display level 1 writes one line whenever the refactorisation counter has
// advanced since the previous line and whenever the phase changes; level 2
// writes a line per iteration with the entering and leaving variables. A
// long run also reports its elapsed time now and then. The line formats
// are fixed; the values come from the algorithm.
#pragma once
#include <cstdint>
#include <string>

#include "env/environment.h"

namespace korva::simplex {

enum class LogKind { Primal, Dual };

class IterationLog {
 public:
  IterationLog(Environment& env, LogKind kind, int display, int64_t refactorisations);

  int display() const { return display_; }
  // Display level 1: whether this iteration gets a line.
  bool line_due(int64_t refactorisations, int phase) const {
    return display_ == 1 && (refactorisations != logged_refactorisations_ || phase != logged_phase_);
  }
  // The level-1 line: `value` is the phase I infeasibility or the objective.
  void write_line(int64_t iteration, int phase, bool scaled, double value, int64_t refactorisations);
  // The level-2 line.
  void write_detail(int64_t iteration, int phase, bool scaled, double objective,
                    const std::string& entering, const std::string& leaving);
  // "Elapsed time" every 1000 iterations when 10 seconds have passed.
  void check_elapsed(int64_t iteration);

 private:
  void header(int64_t iteration);

  Environment& env_;
  LogKind kind_;
  int display_;
  bool header_done_ = false;
  bool detail_header_done_ = false;
  int64_t logged_refactorisations_;
  int logged_phase_ = 0;
  int64_t last_check_iteration_ = 0;
  double last_time_line_;
  double start_time_;
};

}  // namespace korva::simplex
