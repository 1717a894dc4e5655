#include "mip/heuristics/feasibility_pump.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "env/channel.h"
#include "env/time_limit.h"
#include "mip/heuristics/heuristic_support.h"
#include "mip/heuristics/sub_mip_heuristics.h"

namespace korva::mip {

namespace {

// The weight of the objective shrinks by this factor each round.
constexpr double kObjectiveDecay = 0.9;
// Columns flipped when a rounding repeats: kFlips/2 to 3·kFlips/2.
constexpr int kFlips = 10;
// Roundings remembered to detect longer cycles.
constexpr size_t kHistory = 3;
// Seconds between progress lines.
constexpr double kProgressInterval = 10.0;
// The random perturbation of a restart: ρ uniform in [-0.3, 0.7].
constexpr double kPerturbLow = -0.3, kPerturbWidth = 1.0;

uint64_t hash_of(const std::vector<int>& ints, const std::vector<double>& v) {
  uint64_t h = 1469598103934665603ULL;
  for (int j : ints) {
    h ^= static_cast<uint64_t>(static_cast<int64_t>(v[j]));
    h *= 1099511628211ULL;
  }
  return h;
}

class Pump {
 public:
  Pump(HeuristicContext& ctx, const PumpOptions& options) : ctx_(ctx), m_(ctx.model), options_(options) {
    for (int j = 0; j < m_.num_cols; ++j)
      if (m_.is_integer(j)) ints_.push_back(j);
  }

  int run(std::vector<double>& x, double* objective, bool* found) {
    *found = false;
    if (ints_.empty()) return 0;
    ctx_.state.pump_ran = true;
    DomainScope scope(ctx_);
    struct RestoreObjective {
      NodeLp& lp;
      bool changed = false;
      ~RestoreObjective() {
        if (changed) lp.restore_objective();
      }
    } restore{ctx_.lp};
    started_ = last_line_ = current_time(ctx_.env);
    double norm = 0.0;
    for (int j = 0; j < m_.num_cols; ++j) norm += m_.cost[j] * m_.cost[j];
    norm = std::sqrt(norm);
    double weight = options_.with_objective && norm > 0.0 ? 1.0 : 0.0;
    const double scale = norm > 0.0 ? std::sqrt(static_cast<double>(ints_.size())) / norm : 0.0;
    point_ = ctx_.lp_x;
    rounding_ = point_;
    round_point(rounding_);
    std::vector<double> cost(static_cast<size_t>(m_.num_cols), 0.0);
    std::vector<double> candidate;
    for (iteration_ = 1; iteration_ <= options_.rounds; ++iteration_) {
      if (heuristic_should_stop(ctx_)) break;
      if (integral(point_)) {
        candidate = point_;
        break;
      }
      candidate = point_;
      for (int j : ints_) candidate[j] = rounding_[j];
      if (settle_candidate(ctx_, candidate, objective)) {
        x.swap(candidate);
        *found = true;
        candidate.clear();
        break;
      }
      candidate.clear();
      for (int j = 0; j < m_.num_cols; ++j) cost[j] = weight * scale * m_.cost[j];
      for (int j : ints_) cost[j] += distance_cost(j);
      ctx_.lp.set_objective(cost);
      restore.changed = true;
      LpSolve solved;
      if (int code = ctx_.lp.solve_primal(ctx_.env, ctx_.iterations_left(), solved)) return code;
      ctx_.iterations += solved.iterations;
      if (solved.outcome != LpOutcome::Optimal) break;
      point_ = ctx_.lp.x();
      double distance = 0.0;
      for (int j : ints_) distance += std::fabs(point_[j] - rounding_[j]);
      best_distance_ = std::min(best_distance_, distance);
      weight *= kObjectiveDecay;
      progress(1);
      next_rounding();
    }
    if (restore.changed) {
      ctx_.lp.restore_objective();
      restore.changed = false;
    }
    if (!candidate.empty()) {
      // The LP point itself is integral: the rest of its columns come
      // from the LP with the model's objective.
      x.swap(candidate);
      if (int code = accept_or_complete(ctx_, x, objective, found)) return code;
    }
    if (*found && options_.improve) return improve(x, objective, found);
    return 0;
  }

 private:
  bool integral(const std::vector<double>& v) const {
    for (int j : ints_)
      if (!integral_value(ctx_, j, v[j])) return false;
    return true;
  }

  void round_point(std::vector<double>& v) const {
    for (int j : ints_) v[j] = rounded_value(ctx_, j, point_[j], 0);
  }

  // The distance term of column j to its rounding.
  double distance_cost(int j) const {
    const double r = rounding_[j];
    if (r <= ctx_.domain.lower(j)) return 1.0;
    if (r >= ctx_.domain.upper(j)) return -1.0;
    return point_[j] > r ? 1.0 : point_[j] < r ? -1.0 : 0.0;
  }

  void next_rounding() {
    std::vector<double>& next = scratch_;
    next = rounding_;
    round_point(next);
    bool same = true;
    for (int j : ints_) same = same && next[j] == rounding_[j];
    if (same) {
      flip_farthest(next);
    } else if (std::find(history_.begin(), history_.end(), hash_of(ints_, next)) != history_.end()) {
      perturb(next);
    }
    history_.push_back(hash_of(ints_, next));
    if (history_.size() > kHistory) history_.erase(history_.begin());
    rounding_.swap(next);
  }

  // One step of column j from its rounding toward the other side of the
  // LP point.
  double flipped(int j, double r) const {
    const double step = point_[j] > r ? 1.0 : point_[j] < r ? -1.0 : (r > ctx_.domain.lower(j) ? -1.0 : 1.0);
    return std::clamp(r + step, ctx_.domain.lower(j), ctx_.domain.upper(j));
  }

  void flip_farthest(std::vector<double>& next) {
    const int count = kFlips / 2 + static_cast<int>(ctx_.state.random.next() * kFlips);
    order_.clear();
    for (int j : ints_) {
      const double gap = std::fabs(point_[j] - next[j]);
      if (gap > ctx_.settings.integrality) order_.emplace_back(gap, j);
    }
    const size_t take = std::min(order_.size(), static_cast<size_t>(count));
    std::partial_sort(order_.begin(), order_.begin() + static_cast<int64_t>(take), order_.end(),
                      [](const auto& a, const auto& b) {
                        return a.first != b.first ? a.first > b.first : a.second < b.second;
                      });
    for (size_t k = 0; k < take; ++k) next[order_[k].second] = flipped(order_[k].second, next[order_[k].second]);
  }

  void perturb(std::vector<double>& next) {
    for (int j : ints_) {
      const double rho = kPerturbLow + kPerturbWidth * ctx_.state.random.next();
      if (std::fabs(point_[j] - next[j]) + std::max(rho, 0.0) > 0.5) next[j] = flipped(j, next[j]);
    }
  }

  void progress(int phase) {
    if (ctx_.settings.display < 1) return;
    const double now = current_time(ctx_.env);
    if (now - last_line_ < kProgressInterval) return;
    last_line_ = now;
    msg(ctx_.env.results(), "Feasibility pump: elapsed %.2f sec., phase %d, iter %d, best infeas %.2f\n",
        now - started_, phase, iteration_, best_distance_);
  }

  // Phase 2: a sub-MIP around the pump's solution (RINS against the LP
  // point) looks for a better one.
  int improve(std::vector<double>& x, double* objective, bool* found) {
    const std::vector<double>* saved_incumbent = ctx_.incumbent;
    const double saved_objective = ctx_.incumbent_objective, saved_cutoff = ctx_.cutoff;
    std::vector<double> pumped = x;
    ctx_.incumbent = &pumped;
    ctx_.incumbent_objective = *objective;
    ctx_.cutoff = std::min(saved_cutoff, *objective);
    progress(2);
    std::vector<double> better;
    double better_objective = kInf;
    bool improved = false;
    const int code = sub_mip_heuristic(ctx_, SubMipMode::Rins, better, &better_objective, &improved);
    ctx_.incumbent = saved_incumbent;
    ctx_.incumbent_objective = saved_objective;
    ctx_.cutoff = saved_cutoff;
    if (code != 0) return code;
    if (improved && better_objective < *objective) {
      x.swap(better);
      *objective = better_objective;
    }
    *found = true;
    return 0;
  }

  HeuristicContext& ctx_;
  const MipModel& m_;
  PumpOptions options_;
  std::vector<int> ints_;
  std::vector<double> point_, rounding_, scratch_;
  std::vector<uint64_t> history_;
  std::vector<std::pair<double, int>> order_;
  double started_ = 0.0, last_line_ = 0.0;
  double best_distance_ = kInf;
  int iteration_ = 0;
};

}  // namespace

int feasibility_pump(HeuristicContext& ctx, const PumpOptions& options, std::vector<double>& x, double* objective,
                     bool* found) {
  Pump pump(ctx, options);
  return pump.run(x, objective, found);
}

int pump_by_setting(HeuristicContext& ctx, std::vector<double>& x, double* objective, bool* found) {
  *found = false;
  if (ctx.settings.feasibility_pump < 0) return 0;
  PumpOptions options;
  // 1 and 2 pump for feasibility alone; 2 then improves the solution, and
  // so does the automatic choice, which pumps with the objective.
  options.with_objective = ctx.settings.feasibility_pump == 0;
  options.improve = ctx.settings.feasibility_pump != 1;
  return feasibility_pump(ctx, options, x, objective, found);
}

}  // namespace korva::mip
