#include "mip/mip_start_processing.h"

#include <cmath>
#include <new>

#include "env/callbacks.h"
#include "env/channel.h"
#include "env/errors.h"
#include "korva/korva.h"
#include "mip/mip_start_points.h"
#include "mip/mip_starts.h"
#include "mip/sub_mip.h"

namespace korva::mip {
namespace {

using start_points::Tolerances;

// Objectives from 1e7 in magnitude are written in exponent form.
void write_objective(Channel* ch, double objective) {
  msg(ch, std::fabs(objective) >= 1e7 ? "%.4e.\n" : "%.4f.\n", objective);
}

// The level a start runs at.
int level_of(const MipStart& start, int index, bool lazy, bool& lazy_warned, Environment& env) {
  int level = start.effort;
  if (level == kEffortAuto) level = index == 0 ? kEffortRepair : kEffortCheckFeas;
  if (level == kEffortCheckFeas && lazy) {
    // Lazy constraints are known only to the search: checking the values
    // against the rows in hand could accept an infeasible point.
    level = kEffortSolveFixed;
    if (!lazy_warned)
      msg(env.warning(), "%s",
          "Warning: Effort level 'CheckFeas' is incompatible with lazy constraints.\n"
          "         Effort level increased to 'SolveFixed'.\n");
    lazy_warned = true;
  }
  return level;
}

class StartEvaluator {
 public:
  StartEvaluator(Environment& env, const MipModel& model)
      : env_(env), model_(model), tol_(start_points::tolerances(env)),
        node_limit_(env.long_param(KRV_PARAM_SUBMIPNODELIM)) {}

  // Tries to turn `start` into a solution at `level`. Returns 0 or an
  // error code of the nested search; `found` and `x` give the result.
  int evaluate(const MipStart& start, int level, bool& found, std::vector<double>& x) {
    found = false;
    start_points::dense_values(model_, start.cols, start.values, given_);
    bool complete = true, discrete_given = true;
    for (int j = 0; j < model_.num_cols; ++j) {
      if (start_points::is_given(given_[j])) continue;
      complete = false;
      if (model_.kind[j] != ColKind::Continuous) discrete_given = false;
    }
    if (complete && (level == kEffortCheckFeas || level >= kEffortSolveMip)) {
      x = given_;
      found = start_points::accept(model_, x, tol_);
      if (found || level == kEffortCheckFeas) return 0;
    }
    // Checking only: what is missing must be continuous, and is computed.
    if (level == kEffortCheckFeas && !discrete_given) return 0;
    return complete_by_search(level, found, x);
  }

 private:
  // Fixes the integer values the start gives and lets a nested search find
  // the rest. At levels 1 and 2 every given integer value must be usable.
  int complete_by_search(int level, bool& found, std::vector<double>& x) {
    SubMipRequest request;
    request.node_limit = node_limit_;
    for (int j = 0; j < model_.num_cols; ++j) {
      if (!start_points::is_given(given_[j]) || !start_points::is_fixable_kind(model_.kind[j])) continue;
      double v = 0.0;
      if (start_points::fixed_value(model_, j, given_[j], tol_, v))
        request.bounds.push_back({j, v, v});
      else if (level <= kEffortSolveFixed)
        return 0;
    }
    SubMipResult result;
    if (int code = solve_sub_mip(env_, model_, request, result)) return code;
    if (!result.found) return 0;
    x = std::move(result.x);
    found = start_points::accept(model_, x, tol_);
    return 0;
  }

  Environment& env_;
  const MipModel& model_;
  Tolerances tol_;
  int64_t node_limit_;
  std::vector<double> given_;
};

void summary(Environment& env, int display, const MipStartSet& set, int tried, const MipStartOutcome& out) {
  if (display < 1 || tried == 0) return;
  if (out.found) {
    msg(env.results(), "%d of %d MIP starts provided solutions.\n", out.solutions, tried);
    msg(env.results(), "MIP start '%s' defined initial solution with objective ",
        mip_start_name(set.starts[out.index], out.index).c_str());
    write_objective(env.results(), out.objective);
  } else {
    msg(env.warning(), "Warning:  No solution found from %d MIP starts.\n", tried);
  }
  const size_t kept = out.retained.size();
  if (kept == 1) msg(env.results(), "Retaining values of one MIP start for possible repair.\n");
  if (kept > 1) msg(env.results(), "Retaining values of %d MIP starts for possible repair.\n", static_cast<int>(kept));
}

}  // namespace

int process_mip_starts(Environment& env, const Problem& p, const MipModel& model, int display,
                       MipStartOutcome& out) {
  out = MipStartOutcome();
  const MipStartSet* set = find_mip_starts(p);
  if (!set || set->starts.empty()) return 0;
  const bool lazy = model.has_lazy_rows() || env.callbacks.lazy_constraint.is_set();
  const bool repair = env.long_param(KRV_PARAM_REPAIRTRIES) >= 0;
  int tried = 0;
  try {
    StartEvaluator evaluator(env, model);
    bool lazy_warned = false;
    std::vector<double> x;
    const int n = static_cast<int>(set->starts.size());
    out.levels.assign(static_cast<size_t>(n), kEffortSkip);
    for (int k = 0; k < n; ++k) {
      const MipStart& start = set->starts[k];
      if (start.effort == kEffortSkip) continue;
      const int level = level_of(start, k, lazy, lazy_warned, env);
      out.levels[k] = level;
      ++tried;
      bool found = false;
      const int code = evaluator.evaluate(start, level, found, x);
      if (code == err::kNoMemory || code == -err::kNoMemory) throw std::bad_alloc();
      if (code != 0) return code;
      if (!found) {
        if (repair && !start.cols.empty()) out.retained.push_back({k, start.cols, start.values});
        continue;
      }
      ++out.solutions;
      const double objective = start_points::user_objective(model, x);
      if (display >= 1) {
        msg(env.results(), "MIP start '%s' defined solution with objective ", mip_start_name(start, k).c_str());
        write_objective(env.results(), objective);
      }
      // The best in the minimisation sense; the first of equals stays.
      if (!out.found || model.objsense * objective < model.objsense * out.objective) {
        out.found = true;
        out.x = x;
        out.objective = objective;
        out.index = k;
      }
    }
  } catch (const std::bad_alloc&) {
    out.out_of_memory = true;
    msg(env.warning(), "Warning: MIP starts not constructed because of out-of-memory status.\n");
    return 0;
  }
  summary(env, display, *set, tried, out);
  return 0;
}

}  // namespace korva::mip
