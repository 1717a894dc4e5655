// Stall control shared by both simplex methods. A progress mark holds an
// iteration and the phase's measure there (in the minimisation sense: the
// primal's infeasibility or objective, the dual's negated dual objective
// or infeasibility). Once the window has passed, the measure must have
// fallen by more than 10·ε per iteration since the mark; otherwise the run
// has stalled and perturbs. Progress moves the mark.
#pragma once
#include <cstdint>

namespace korva::simplex {

// Stall window by problem size when KRV_PARAM_PERLIM is 0 (automatic).
int64_t primal_stall_window(int num_rows, int64_t perlim);
int64_t dual_stall_window(int num_structural, int64_t perlim);
// Most bound (primal) or cost (dual) shifts a run may make.
int64_t shift_limit(int num_rows);

struct StallControl {
  int64_t window = 100;
  int64_t shift_limit = 501;
  double epsilon = 1e-6;     // perturbation magnitude
  int perturbations = 0;     // perturbations made in this run
  int64_t shifts = 0;        // shifts made in this run
  bool perturbed = false;    // working data carry a perturbation now
  bool shifted = false;      // working data carry shifts now

  int64_t mark_iteration = 0;
  double mark_measure = 0.0;
  int mark_phase = 0;

  // Stalls in phase II since the measure last improved (relatively) and
  // the best measure seen: a run that keeps stalling without moving the
  // objective is going round in circles at its end.
  int fruitless_stalls = 0;
  double best_measure = 0.0;
  bool has_best = false;

  // Resets the mark (a new phase, or the start of the run).
  void set_mark(int64_t iteration, int phase, double measure) {
    mark_iteration = iteration;
    mark_phase = phase;
    mark_measure = measure;
  }
  // Called once per iteration; true when the run has stalled.
  bool stalled(int64_t iteration, int phase, double measure);
  // After this many fruitless phase II stalls the run gives up and lets the
  // other simplex finish from its basis.
  bool stuck() const { return fruitless_stalls >= kStuckStalls; }
  static constexpr int kStuckStalls = 5;
  // The ε of the next perturbation (counts it): from the second on, ε
  // shrinks tenfold. A window that keeps stalling at the smallest ε doubles.
  double next_perturbation();
};

// A measure that should only fall (the primal objective in phase II, the
// negated dual objective in the dual's phase II) and instead jumps up by
// orders of magnitude between two refactorisations is not progress but a
// run gone wrong numerically, typically after a singular basis was
// repaired. The run then stops and its caller starts over on a safer path.
struct RunawayWatch {
  bool armed = false;
  double reference = 0.0;

  // Forgets the reference (the measure may legitimately jump: a new phase,
  // costs or bounds restored).
  void reset() { armed = false; }
  // Compares with the reference and takes the measure as the new one.
  bool ran_away(double measure);
};

}  // namespace korva::simplex
