#include "mip/heuristics/diving.h"

#include <algorithm>
#include <cmath>

#include "mip/branching.h"
#include "mip/heuristics/heuristic_support.h"
#include "mip/heuristics/rounding.h"

namespace korva::mip {

namespace {

// Pseudocosts count as trusted with this many observations each way, for
// at least this share of the fractional columns.
constexpr int64_t kTrustedObservations = 4;
constexpr double kTrustedShare = 0.5;
// The pseudocost dive leaves the side to the fraction beyond these.
constexpr double kClearlyDown = 0.3, kClearlyUp = 0.7;
// A dive takes at most this many steps beyond the integer columns' count.
constexpr int kExtraSteps = 10;

struct Choice {
  int col = -1;
  int direction = 0;  // -1 down, +1 up
};

// Lexicographic score, smaller is better.
struct Score {
  double first = kInf, second = kInf;
  bool operator<(const Score& o) const { return first != o.first ? first < o.first : second < o.second; }
};

class Dive {
 public:
  Dive(HeuristicContext& ctx, DiveRule rule) : ctx_(ctx), m_(ctx.model), rule_(rule) {
    if (rule_ == DiveRule::Guided && !ctx_.incumbent) rule_ = DiveRule::Fractional;
    if (rule_ == DiveRule::Pseudocost && !ctx_.pseudocosts) rule_ = DiveRule::Fractional;
  }

  int run(std::vector<double>& x, double* objective, bool* found) {
    *found = false;
    DomainScope scope(ctx_);
    std::vector<double> point = ctx_.lp_x;
    int integers = 0;
    for (int j = 0; j < m_.num_cols; ++j) integers += m_.is_integer(j) ? 1 : 0;
    for (int step = 0; step < integers + kExtraSteps; ++step) {
      if (heuristic_should_stop(ctx_)) return 0;
      find_candidates(m_, ctx_.domain, point, ctx_.settings.integrality, ctx_.settings.feasibility, cands_);
      if (cands_.empty()) {
        x = point;
        return accept_or_complete(ctx_, x, objective, found);
      }
      // Every LP point of the dive gets a cheap rounding first.
      if (step > 0) {
        if (int code = simple_rounding_at(ctx_, point, x, objective, found); code != 0 || *found) return code;
      }
      if (cands_.columns.empty()) return 0;
      const Choice c = choose(point);
      bool moved = false;
      for (int side = 0; side < 2 && !moved; ++side) {
        const int d = side == 0 ? c.direction : -c.direction;
        const size_t mark = ctx_.domain.mark();
        if (d < 0) ctx_.domain.tighten_upper(c.col, std::floor(point[c.col]));
        else ctx_.domain.tighten_lower(c.col, std::ceil(point[c.col]));
        if (!ctx_.domain.infeasible() && ctx_.domain.propagate()) {
          ctx_.lp.sync(ctx_.domain);
          LpSolve solved;
          if (int code = heuristic_solve(ctx_, ctx_.cutoff, solved)) return code;
          moved = solved.outcome == LpOutcome::Optimal;
        }
        if (!moved) {
          ctx_.domain.undo(mark);
          ctx_.lp.sync(ctx_.domain);
        }
      }
      if (!moved) return 0;
      point = ctx_.lp.x();
    }
    return 0;
  }

 private:
  Choice choose(const std::vector<double>& point) const {
    Choice best;
    Score best_score;
    for (const Candidate& c : cands_.columns) {
      int d = 0;
      const Score s = score(c, point, &d);
      if (best.col < 0 || s < best_score) {
        best = {c.index, d};
        best_score = s;
      }
    }
    return best;
  }

  Score score(const Candidate& c, const std::vector<double>& point, int* d) const {
    const int j = c.index;
    const double f = c.fraction;
    const int nearest = f >= 0.5 ? 1 : -1;
    const double nearer = std::min(f, 1.0 - f);
    switch (rule_) {
      case DiveRule::Fractional:
        *d = nearest;
        return {nearer, 0.0};
      case DiveRule::Coefficient: {
        const int up = ctx_.locks.up(j), down = ctx_.locks.down(j);
        *d = up != down ? (up < down ? 1 : -1) : nearest;
        const int locks = std::min(up, down);
        // Columns free to round one way are left to the rounding.
        return {locks == 0 ? kInf : static_cast<double>(locks), *d > 0 ? 1.0 - f : f};
      }
      case DiveRule::Guided: {
        const double toward = (*ctx_.incumbent)[j];
        *d = toward < point[j] ? -1 : 1;
        return {std::fabs(toward - point[j]), 0.0};
      }
      case DiveRule::Pseudocost: {
        const double down = ctx_.pseudocosts->cost(j, -f), up = ctx_.pseudocosts->cost(j, 1.0 - f);
        *d = f < kClearlyDown ? -1 : f > kClearlyUp ? 1 : (down < up ? -1 : 1);
        const double ratio = *d < 0 ? std::sqrt(f) * (1.0 + down) / (1.0 + up)
                                    : std::sqrt(1.0 - f) * (1.0 + up) / (1.0 + down);
        return {ratio, 0.0};
      }
      case DiveRule::VectorLength: {
        const double cost = m_.cost[j];
        *d = cost > 0 ? 1 : cost < 0 ? -1 : nearest;
        const double move = *d > 0 ? 1.0 - f : f;
        const double length = static_cast<double>(m_.col_begin[j + 1] - m_.col_begin[j]);
        return {(std::fabs(cost) * move + 1e-6) / (length + 1.0), 0.0};
      }
    }
    *d = nearest;
    return {nearer, 0.0};
  }

  HeuristicContext& ctx_;
  const MipModel& m_;
  DiveRule rule_;
  Candidates cands_;
};

bool pseudocosts_trusted(const HeuristicContext& ctx) {
  if (!ctx.pseudocosts) return false;
  int fractional = 0, trusted = 0;
  for (int j = 0; j < ctx.model.num_cols; ++j) {
    if (!ctx.model.is_integer(j) || integral_value(ctx, j, ctx.lp_x[j])) continue;
    ++fractional;
    if (std::min(ctx.pseudocosts->down_count(j), ctx.pseudocosts->up_count(j)) >= kTrustedObservations) ++trusted;
  }
  return fractional > 0 && static_cast<double>(trusted) >= kTrustedShare * static_cast<double>(fractional);
}

}  // namespace

int dive(HeuristicContext& ctx, DiveRule rule, std::vector<double>& x, double* objective, bool* found) {
  Dive d(ctx, rule);
  return d.run(x, objective, found);
}

int dive_by_type(HeuristicContext& ctx, std::vector<double>& x, double* objective, bool* found) {
  switch (ctx.settings.divetype) {
    case 1:
      return dive(ctx, DiveRule::Fractional, x, objective, found);
    case 2:
      return dive(ctx, DiveRule::Coefficient, x, objective, found);
    case 3:
      return dive(ctx, DiveRule::Guided, x, objective, found);
    default:
      break;
  }
  if (pseudocosts_trusted(ctx)) return dive(ctx, DiveRule::Pseudocost, x, objective, found);
  static constexpr DiveRule kRotation[] = {DiveRule::Coefficient, DiveRule::Fractional, DiveRule::Guided};
  DiveRule rule = kRotation[ctx.state.automatic_dive % 3];
  ctx.state.automatic_dive = (ctx.state.automatic_dive + 1) % 3;
  if (rule == DiveRule::Guided && !ctx.incumbent) rule = DiveRule::VectorLength;
  return dive(ctx, rule, x, objective, found);
}

int dive_variant(HeuristicContext& ctx, int variant, std::vector<double>& x, double* objective, bool* found) {
  static constexpr DiveRule kVariants[] = {DiveRule::Fractional, DiveRule::Coefficient, DiveRule::Pseudocost,
                                           DiveRule::VectorLength};
  const int k = std::clamp(variant + 1, 0, 3);
  return dive(ctx, kVariants[k], x, objective, found);
}

}  // namespace korva::mip
