// The repair heuristic of the MIP starts that gave no solution. A start
// usually fails because a few of its values contradict each other or the
// model; freeing only those keeps the rest of the user's choices. The
// columns to free are found from the rows: a row whose activity cannot
// reach its sides, with the start's integer values fixed and every other
// column anywhere within its bounds, names the fixed columns that break
// it. Each further try frees the fixed columns sharing a row with a freed
// one, so the neighbourhood grows around the conflict.
#include <algorithm>
#include <cmath>
#include <new>

#include "env/channel.h"
#include "env/errors.h"
#include "korva/korva.h"
#include "mip/mip_start_points.h"
#include "mip/mip_start_processing.h"
#include "mip/sub_mip.h"

namespace korva::mip {
namespace {

using start_points::Tolerances;

constexpr long long kAutomaticTries = 3;

class StartRepair {
 public:
  StartRepair(Environment& env, const MipModel& model)
      : env_(env), model_(model), tol_(start_points::tolerances(env)),
        node_limit_(env.long_param(KRV_PARAM_SUBMIPNODELIM)),
        value_(static_cast<size_t>(model.num_cols), 0.0),
        fixed_(static_cast<size_t>(model.num_cols), 0),
        freed_(static_cast<size_t>(model.num_cols), 0) {}

  // Up to `tries` nested searches for one start. Returns 0 or an error code.
  int repair(const RetainedStart& start, long long tries, bool& found, std::vector<double>& x) {
    found = false;
    if (!fix_start(start)) return 0;
    free_conflicts();
    if (!any_freed()) grow();
    for (long long t = 0; t < tries; ++t) {
      SubMipRequest request;
      request.node_limit = node_limit_;
      bool distance = false;
      for (int j = 0; j < model_.num_cols; ++j) {
        if (!fixed_[j]) continue;
        if (!freed_[j])
          request.bounds.push_back({j, value_[j], value_[j]});
        else
          distance = distance || at_a_bound(j);
      }
      if (distance) request.objective = distance_objective();
      SubMipResult result;
      if (int code = solve_sub_mip(env_, model_, request, result)) return code;
      if (result.found) {
        x = std::move(result.x);
        found = start_points::accept(model_, x, tol_);
        if (found) return 0;
      }
      if (!grow()) break;  // everything the start fixed is free already
    }
    return 0;
  }

 private:
  // The integer values of the start that can be fixed; false when none.
  bool fix_start(const RetainedStart& start) {
    std::fill(fixed_.begin(), fixed_.end(), 0);
    std::fill(freed_.begin(), freed_.end(), 0);
    start_points::dense_values(model_, start.cols, start.values, given_);
    bool any = false;
    for (int j = 0; j < model_.num_cols; ++j) {
      double v = 0.0;
      if (!start_points::fixed_value(model_, j, given_[j], tol_, v)) continue;
      value_[j] = v;
      fixed_[j] = 1;
      any = true;
    }
    return any;
  }

  bool held(int j) const { return fixed_[j] && !freed_[j]; }

  // Frees the fixed columns of every row that the held values make
  // impossible whatever the free columns do.
  void free_conflicts() {
    for (int r = 0; r < model_.num_rows; ++r) {
      double lo = 0.0, hi = 0.0;
      for (int64_t k = model_.row_begin[r]; k < model_.row_begin[r + 1]; ++k) {
        const int j = model_.row_col[k];
        const double a = model_.row_val[k];
        if (held(j)) {
          lo += a * value_[j];
          hi += a * value_[j];
          continue;
        }
        const double lower = model_.kind[j] == ColKind::SemiContinuous || model_.kind[j] == ColKind::SemiInteger
                                 ? std::min(0.0, model_.lower[j])
                                 : model_.lower[j];
        lo += a > 0 ? a * lower : a * model_.upper[j];
        hi += a > 0 ? a * model_.upper[j] : a * lower;
      }
      if (lo <= model_.row_hi[r] + tol_.feasibility && hi >= model_.row_lo[r] - tol_.feasibility) continue;
      for (int64_t k = model_.row_begin[r]; k < model_.row_begin[r + 1]; ++k)
        if (fixed_[model_.row_col[k]]) freed_[model_.row_col[k]] = 1;
    }
  }

  bool any_freed() const { return std::find(freed_.begin(), freed_.end(), 1) != freed_.end(); }

  // Frees the held columns that share a row with a freed or an unfixed
  // column (the first time nothing is freed, those next to the columns the
  // start leaves open). False when nothing is held any more.
  bool grow() {
    std::vector<char> next(freed_);
    bool held_any = false;
    for (int r = 0; r < model_.num_rows; ++r) {
      bool open = false;
      for (int64_t k = model_.row_begin[r]; k < model_.row_begin[r + 1] && !open; ++k)
        open = !held(model_.row_col[k]);
      if (!open) continue;
      for (int64_t k = model_.row_begin[r]; k < model_.row_begin[r + 1]; ++k)
        if (fixed_[model_.row_col[k]]) next[model_.row_col[k]] = 1;
    }
    // A try that frees nothing new frees everything the start fixed.
    if (next == freed_)
      for (int j = 0; j < model_.num_cols; ++j) next[j] = fixed_[j];
    for (int j = 0; j < model_.num_cols; ++j) held_any = held_any || (fixed_[j] && !freed_[j]);
    freed_.swap(next);
    return held_any;
  }

  bool at_a_bound(int j) const { return value_[j] <= model_.lower[j] || value_[j] >= model_.upper[j]; }

  // Distance to the start over the freed columns that sit at a bound:
  // moving such a column away from the start's value costs 1 per unit.
  std::vector<double> distance_objective() const {
    std::vector<double> c(static_cast<size_t>(model_.num_cols), 0.0);
    for (int j = 0; j < model_.num_cols; ++j) {
      if (!fixed_[j] || !freed_[j]) continue;
      if (value_[j] <= model_.lower[j]) c[j] = 1.0;
      else if (value_[j] >= model_.upper[j]) c[j] = -1.0;
    }
    return c;
  }

  Environment& env_;
  const MipModel& model_;
  Tolerances tol_;
  int64_t node_limit_;
  std::vector<double> given_, value_;
  std::vector<char> fixed_, freed_;
};

}  // namespace

int repair_mip_starts(Environment& env, const MipModel& model, const std::vector<RetainedStart>& retained,
                      long long tries, int display, MipStartOutcome& out) {
  out = MipStartOutcome();
  if (tries < 0 || retained.empty()) return 0;
  if (tries == 0) tries = kAutomaticTries;
  try {
    StartRepair repair(env, model);
    std::vector<double> x;
    for (const RetainedStart& start : retained) {
      bool found = false;
      if (int code = repair.repair(start, tries, found, x)) return code;
      if (!found) continue;
      out.found = true;
      out.x = x;
      out.objective = start_points::user_objective(model, x);
      out.index = start.index;
      out.solutions = 1;
      break;
    }
  } catch (const std::bad_alloc&) {
    return err::kNoMemory;
  }
  if (display >= 1) msg(env.results(), out.found ? "Repair heuristic succeeded.\n" : "Repair heuristic found nothing.\n");
  return 0;
}

}  // namespace korva::mip
