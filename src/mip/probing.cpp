#include "mip/probing.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "env/channel.h"
#include "env/time_limit.h"
#include "mip/domain.h"

namespace korva::mip {

namespace {

constexpr double kProgressSeconds = 10.0;
// Work (entries read by propagation) allowed per probing level, as
// multiples of the matrix's entries: automatic, then levels 1 to 3.
constexpr int64_t kWorkShare[4] = {20, 20, 100, 1000};

struct Side {
  bool feasible = false;
  std::vector<int> cols;
  std::vector<double> lower, upper;
};

void probe_side(Domain& d, int j, double value, Side& side) {
  const size_t mark = d.mark();
  d.tighten_lower(j, value);
  d.tighten_upper(j, value);
  side.feasible = !d.infeasible() && d.propagate();
  side.cols.clear();
  side.lower.clear();
  side.upper.clear();
  if (side.feasible) {
    d.changed_since(mark, side.cols);
    for (int k : side.cols) {
      side.lower.push_back(d.lower(k));
      side.upper.push_back(d.upper(k));
    }
  }
  d.undo(mark);
}

bool is_binary(const MipModel& m, const Domain& d, int j) {
  return m.kind[j] == ColKind::Integer && d.lower(j) == 0.0 && d.upper(j) == 1.0;
}

}  // namespace

ProbingOutcome probe(Environment& env, MipModel& model, const SearchSettings& settings, CliqueTable& cliques) {
  ProbingOutcome out;
  if (settings.probe < 0) return out;
  const double started = current_time(env);
  Domain d;
  d.init(model, settings.feasibility, settings.integrality);
  if (d.infeasible() || !d.propagate()) return out;  // the search finds out itself
  std::vector<int> binaries;
  for (int j = 0; j < model.num_cols; ++j)
    if (is_binary(model, d, j)) binaries.push_back(j);
  if (binaries.empty()) return out;
  const int level = std::clamp(settings.probe, 0, 3);
  const uint64_t budget =
      static_cast<uint64_t>(kWorkShare[level]) * static_cast<uint64_t>(model.row_col.size() + model.num_cols);
  double last_line = started;
  Side zero, one;
  std::vector<double> lower = model.lower, upper = model.upper;
  for (size_t p = 0; p < binaries.size(); ++p) {
    const int j = binaries[p];
    if (static_cast<uint64_t>(d.work_done()) > budget || current_time(env) - started > settings.probe_time ||
        env.terminate_requested() || time_limit_reached(env))
      break;
    if (settings.display >= 1 && current_time(env) - last_line >= kProgressSeconds) {
      last_line = current_time(env);
      msg(env.results(), "Elapsed time %5.2f sec. for %.0f%% of probing", last_line - started,
          100.0 * static_cast<double>(p) / static_cast<double>(binaries.size()));
      if (out.fixed > 0) msg(env.results(), " (%lld vars fixed).\n", static_cast<long long>(out.fixed));
      else msg(env.results(), ".\n");
    }
    if (!is_binary(model, d, j)) continue;  // fixed by an earlier probe
    probe_side(d, j, 0.0, zero);
    probe_side(d, j, 1.0, one);
    if (!zero.feasible && !one.feasible) break;  // no solution at all: the search proves it
    if (!zero.feasible || !one.feasible) {
      const double value = zero.feasible ? 0.0 : 1.0;
      d.tighten_lower(j, value);
      d.tighten_upper(j, value);
      if (d.infeasible() || !d.propagate()) break;
      ++out.fixed;
      continue;
    }
    // Bounds that both sides imply; binaries one side fixes.
    for (size_t a = 0; a < zero.cols.size(); ++a) {
      const int k = zero.cols[a];
      const auto it = std::lower_bound(one.cols.begin(), one.cols.end(), k);
      if (it != one.cols.end() && *it == k) {
        const size_t b = static_cast<size_t>(it - one.cols.begin());
        const double lo = std::min(zero.lower[a], one.lower[b]), hi = std::max(zero.upper[a], one.upper[b]);
        if (lo > d.lower(k) || hi < d.upper(k)) {
          d.tighten_lower(k, lo);
          d.tighten_upper(k, hi);
          ++(lo == hi ? out.fixed : out.tightened);
        }
      }
    }
    if (d.infeasible() || !d.propagate()) break;
    for (const Side* side : {&zero, &one}) {
      const bool j_value = side == &one;
      for (size_t a = 0; a < side->cols.size(); ++a) {
        const int k = side->cols[a];
        if (k == j || model.kind[k] != ColKind::Integer || model.lower[k] != 0.0 || model.upper[k] != 1.0) continue;
        if (side->lower[a] != side->upper[a]) continue;
        // (x_j = j_value) implies (x_k = v): the literal "x_j is j_value"
        // and the literal "x_k is 1 - v" cannot both be true.
        const bool k_value = side->lower[a] == 1.0;
        cliques.add({literal_of(j, !j_value), literal_of(k, k_value)});
        ++out.implications;
      }
    }
  }
  env.ticks.charge(static_cast<uint64_t>(d.work_done()));
  // What holds globally goes into the search's bounds.
  for (int k = 0; k < model.num_cols; ++k) {
    model.lower[k] = std::max(model.lower[k], d.lower(k));
    model.upper[k] = std::min(model.upper[k], d.upper(k));
  }
  if (settings.display >= 1) {
    if (out.fixed > 0 || out.tightened > 0)
      msg(env.results(), "Probing fixed %lld vars, tightened %lld bounds.\n", static_cast<long long>(out.fixed),
          static_cast<long long>(out.tightened));
    msg(env.results(), "Probing time = %7.2f sec.\n", current_time(env) - started);
  }
  return out;
}

}  // namespace korva::mip
