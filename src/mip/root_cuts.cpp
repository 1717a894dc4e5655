#include "mip/root_cuts.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "env/channel.h"
#include "env/time_limit.h"
#include "mip/callback_data.h"
#include "mip/clique_table.h"
#include "mip/cuts/clique_cuts.h"
#include "mip/cuts/cover_cuts.h"
#include "mip/cuts/cut_selection.h"
#include "mip/cuts/disjunctive_cuts.h"
#include "mip/cuts/flow_cover_cuts.h"
#include "mip/cuts/flow_path_cuts.h"
#include "mip/cuts/gomory_cuts.h"
#include "mip/cuts/gub_cover_cuts.h"
#include "mip/cuts/implied_bound_cuts.h"
#include "mip/cuts/mcf_cuts.h"
#include "mip/cuts/mir_cuts.h"
#include "mip/cuts/user_cuts.h"
#include "mip/cuts/zero_half_cuts.h"
#include "mip/domain.h"
#include "mip/probing.h"
#include "mip/symmetry.h"

namespace korva::mip {

namespace {

constexpr int kAutomaticPasses = 20;
// A cut has at most a tenth of the columns (and 20 in any case); all cuts
// together at most as many entries as the model's rows (1000 in any case).
constexpr int kLeastSupport = 20;
constexpr int kSupportShare = 10;
constexpr int64_t kLeastNonzeros = 1000;
// A round that moves the bound by less than this share (twice in a row)
// ends the rounds.
constexpr double kStallGain = 1e-5;
constexpr int kStallRounds = 2;
// Work for symmetry detection per level of KRV_PARAM_SYMMETRY, as
// multiples of the model's size (and at least).
constexpr int64_t kSymmetryWork[6] = {0, 20, 50, 200, 1000, 5000};
constexpr int kAutomaticSymmetry = 1;
constexpr int64_t kLeastSymmetryWork = 100000;
// Work for growing and for merging the clique table, as multiples of the
// matrix's entries (and at least).
constexpr int64_t kCliqueWorkShare = 10;
constexpr int64_t kLeastCliqueWork = 1000000;
constexpr double kProgressSeconds = 10.0;
// Informational callbacks hear from long separators at most this often.
constexpr double kCallbackSeconds = 0.5;
// Lift-and-project: candidates per round and level.
constexpr int kDisjunctiveCandidates = 10;
// Gomory cuts are quiet for their first units of work.
constexpr int64_t kGomoryQuietWork = 10000000;
// Cuts the rounds did not keep go to the pool from this efficacy on; the
// pool keeps at least this many.
constexpr double kPoolEfficacy = 1e-3;
constexpr size_t kLeastPool = 100;
// A cut row whose activity stays this far inside its side is slack.
constexpr double kSlack = 1e-6;

int64_t fractional_columns(const MipModel& m, const std::vector<double>& x, double integrality) {
  int64_t count = 0;
  for (int j = 0; j < m.num_cols; ++j)
    if (m.is_integer(j) && std::fabs(x[j] - std::round(x[j])) > integrality) ++count;
  return count;
}

// The basis of the model `m` once its cut rows go from the present ones
// to the kept ones (kept[k]: the cut's new position, or -1) followed by
// `added` new cuts, which start basic.
std::shared_ptr<CompactBasis> carried_basis(const CompactBasis& old, const MipModel& m, const std::vector<int>& kept,
                                            int kept_count, int added) {
  auto b = std::make_shared<CompactBasis>();
  const int lead = m.num_cols + m.num_rows - m.num_cuts;  // columns and the model's own rows
  const int tail = m.num_relaxation_rows - m.num_rows;     // indicator and lazy rows
  b->status.assign(static_cast<size_t>(lead + kept_count + added + tail), simplex::kBasic);
  for (int v = 0; v < lead; ++v) b->status[v] = old.status[v];
  for (int k = 0; k < m.num_cuts; ++k)
    if (kept[k] >= 0) b->status[lead + kept[k]] = old.status[lead + k];
  for (int t = 0; t < tail; ++t) b->status[lead + kept_count + added + t] = old.status[m.num_cols + m.num_rows + t];
  return b;
}

}  // namespace

bool RootCuts::any_family() const {
  for (int value : settings_.cut_switch)
    if (value >= 0) return true;
  return user_cuts_ && user_cuts_->num_rows() > 0;
}

// Gomory cuts of cuts grow dense and weak: the passes that may separate
// them are limited (KRV_PARAM_FRACPASS, 0 automatic).
bool RootCuts::gomory_pass(int pass) const {
  constexpr int kAutomaticGomoryPasses = 5;
  const long long limit = settings_.fraction_passes > 0 ? settings_.fraction_passes : kAutomaticGomoryPasses;
  return pass < limit;
}

int RootCuts::max_passes() const {
  if (settings_.cut_passes < 0) return 0;
  if (settings_.cut_passes == 0) return kAutomaticPasses;
  return static_cast<int>(std::min<long long>(settings_.cut_passes, 1000000));
}

// The clique table from the rows, then probing (which tightens the
// model's bounds and adds its implications to the table), then the table
// grown and merged.
void RootCuts::prepare() {
  const int base_rows = model_.num_rows - model_.num_cuts;
  if (settings_.cut_switch[kCliqueCuts] >= 0)
    cliques_.build(model_, base_rows, model_.lower.data(), model_.upper.data());
  std::function<bool()> keep_going;
  if (info_call_) keep_going = [this] { return info(where::kProbing); };
  implied_bounds_ = probe(env_, model_, base_rows, settings_, cliques_, keep_going).implied_bounds;
  break_symmetry(base_rows);
  if (cliques_.size() > 0) {
    const int64_t work = std::max<int64_t>(kLeastCliqueWork, kCliqueWorkShare * static_cast<int64_t>(model_.row_col.size()));
    cliques_.grow(work, clique_progress("Elapsed time %7.2f sec. for %.0f%% of clique growth\n"));
    const double merging = current_time(env_);
    cliques_.merge(work, clique_progress("Elapsed time %7.2f sec. for %.0f%% of clique merging\n"));
    if (settings_.display >= 1 && current_time(env_) - merging > kProgressSeconds)
      msg(env_.results(), "Clique merging time = %7.2f sec.\n", current_time(env_) - merging);
  }
  if (settings_.display >= 1 && cliques_.members() > 0)
    msg(env_.results(), "Clique table members: %lld.\n", static_cast<long long>(cliques_.members()));
}

// Symmetric solutions make the tree explore the same subtrees over and
// over: of each orbit, the search keeps the solutions the breaking rows
// x_a >= x_b allow (at least one of every orbit stays). Callbacks may cut
// solutions off unevenly, so the search keeps every solution with them.
void RootCuts::break_symmetry(int base_rows) {
  if (settings_.symmetry == 0 || env_.callbacks.any_control_callback()) return;
  const int level = settings_.symmetry < 0 ? kAutomaticSymmetry : std::min(settings_.symmetry, 5);
  const int64_t work = kSymmetryWork[level] * std::max<int64_t>(model_.num_cols + static_cast<int64_t>(model_.row_col.size()), kLeastSymmetryWork);
  auto stop = [this] { return env_.terminate_requested() || time_limit_reached(env_); };
  auto clock = [this] { return current_time(env_); };
  auto progress = [this] {
    if (settings_.display >= 1) report_symmetry_progress(env_);
  };
  const SymmetryGroup group = detect_symmetry(model_, base_rows, work, stop, clock, progress);
  if (settings_.display >= 1) report_symmetry(env_, group);
  for (const auto& [a, b] : group.breaking) {
    Cut row;
    row.index = {a, b};
    row.value = {-1.0, 1.0};
    row.permanent = true;
    permanent_.push_back(std::move(row));
  }
  if (!permanent_.empty()) set_cut_rows(model_, permanent_);
}

// A progress line every 10 seconds at display 2; the time limit and an
// abort stop the work.
CliqueTable::Progress RootCuts::clique_progress(const char* line) {
  const double started = current_time(env_);
  return [this, line, started, last = started](double share) mutable {
    if (env_.terminate_requested() || time_limit_reached(env_)) return false;
    const double now = current_time(env_);
    if (settings_.display >= 2 && now - last >= kProgressSeconds) {
      last = now;
      msg(env_.results(), line, now - started, 100.0 * share);
    }
    return true;
  };
}

// A line at most every 10 seconds while a long separator runs, once it
// has done `quiet_work`.
SeparationProgress RootCuts::separator_progress(const char* line, int64_t quiet_work, int wherefrom) {
  const double started = current_time(env_);
  return [this, line, quiet_work, wherefrom, started, last = started, last_call = started](
             int64_t done, int64_t all, int64_t work) mutable {
    if (info_call_ && current_time(env_) - last_call >= kCallbackSeconds) {
      last_call = current_time(env_);
      info(wherefrom);
    }
    if (settings_.display < 1 || work <= quiet_work) return;
    const double now = current_time(env_);
    if (now - last < kProgressSeconds) return;
    last = now;
    msg(env_.results(), line, now - started, static_cast<long long>(done), static_cast<long long>(all));
  };
}

// Every enabled family separates from the round's LP point. The
// separators keep to work budgets of their own; the limits are looked at
// between them (`*stopped` when one or an abort ended the round). Returns 0
// or an error code of the cut-generating LPs.
int RootCuts::separate_round(int pass, int base_rows, const Domain& domain, NodeLp& lp, std::vector<Cut>& found,
                             bool* stopped_out) {
  SeparationInput in;
  in.model = &model_;
  in.x = lp.x().data();
  in.lower = domain.lowers().data();
  in.upper = domain.uppers().data();
  in.integrality = settings_.integrality;
  auto stopped = [&] { return aborted_ || env_.terminate_requested() || time_limit_reached(env_); };
  auto on = [&](int family) { return settings_.cut_switch[family] >= 0 && !stopped(); };
  const SeparationProgress gomory_progress =
      separator_progress("Elapsed time %0.2f sec. for %lld of %lld candidates for Gomory cuts\n", kGomoryQuietWork,
                         where::kGomory);
  const SeparationProgress mir_progress =
      separator_progress("Elapsed time %0.2f sec. for %lld of %lld candidates for MIR cuts\n", 0, where::kMirFlow);
  const SeparationProgress flow_progress =
      separator_progress("Elapsed time %0.2f sec. for %lld of %lld candidates for flow covers\n", 0,
                         where::kMirFlow);
  if (user_cuts_) separate_user_cuts(in, *user_cuts_, found);
  if (on(kCliqueCuts)) separate_cliques(in, cliques_, found);
  if (on(kImpliedBoundCuts)) separate_implied_bounds(in, implied_bounds_, found);
  if (on(kCoverCuts)) separate_covers(in, base_rows, settings_.cut_switch[kCoverCuts] >= kLiftedCovers, found);
  // GUB covers are long and slow the LPs down more than their bound is
  // worth on most models: only when switched on.
  if (on(kGubCoverCuts) && settings_.cut_switch[kGubCoverCuts] >= 1) separate_gub_covers(in, base_rows, found);
  if (on(kFlowCoverCuts)) {
    in.progress = &flow_progress;
    separate_flow_covers(in, base_rows, found);
    in.progress = nullptr;
  }
  if (on(kFlowPathCuts)) separate_flow_paths(in, base_rows, found);
  if (on(kMcfCuts)) {
    if (!network_) network_ = std::make_unique<McfNetwork>(find_mcf_network(model_, base_rows));
    separate_mcf(in, *network_, found);
  }
  // Zero-half cuts rarely pay for the denser LPs they make: only when
  // switched on.
  if (on(kZeroHalfCuts) && settings_.cut_switch[kZeroHalfCuts] >= 1) separate_zero_half(in, base_rows, found);
  if (on(kMirCuts)) {
    in.progress = &mir_progress;
    separate_mir(in, base_rows, settings_.aggregation_limit, found);
    in.progress = nullptr;
  }
  if (on(kGomoryCuts) && gomory_pass(pass)) {
    in.progress = &gomory_progress;
    separate_gomory(in, domain, lp, settings_.fraction_candidates, found);
    in.progress = nullptr;
  }
  if (const int candidates = disjunctive_candidates(pass); candidates > 0 && info(where::kDisjunctive) && !stopped())
    if (int code = separate_disjunctive(env_, in, base_rows, candidates, settings_.display, found)) return code;
  *stopped_out = stopped();
  return 0;
}

// Lift-and-project solves an LP per candidate, which the bound rarely
// repays: it runs only when switched on, in as many rounds as its level.
int RootCuts::disjunctive_candidates(int pass) const {
  const int level = settings_.cut_switch[kDisjunctiveCuts];
  return level >= 1 && pass < level ? kDisjunctiveCandidates * level : 0;
}

bool RootCuts::info(int wherefrom) {
  if (!aborted_ && info_call_ && info_call_(wherefrom)) aborted_ = true;
  return !aborted_;
}

int RootCuts::run() {
  prepare();
  if (aborted_) return 0;
  const int passes = max_passes();
  if (passes == 0 || !any_family()) return 0;
  const int base_rows = model_.num_rows - model_.num_cuts;
  SelectionLimits limits;
  limits.total = settings_.cuts_factor > 1.0
                     ? static_cast<int64_t>((settings_.cuts_factor - 1.0) * std::max(base_rows, 1))
                     : 0;
  for (int64_t& f : limits.per_family) f = settings_.each_cut_limit;
  // Dense cuts make every node LP slower than their bound is worth.
  limits.max_support = static_cast<size_t>(std::max(kLeastSupport, model_.num_cols / kSupportShare));
  limits.nonzeros = std::max<int64_t>(kLeastNonzeros, model_.row_begin[base_rows]);
  if (limits.total <= 0) return 0;

  NodeLog log(env_, settings_, record_, model_.objsense);
  NodeLpSettings lps;
  lps.feasibility_tol = settings_.feasibility;
  lps.optimality_tol = settings_.optimality;
  lps.scaling = settings_.scaling;
  lps.display = settings_.simplex_display;

  std::vector<Cut> cuts = permanent_;  // the model's cut rows, in order
  std::vector<Cut> previous;
  std::shared_ptr<CompactBasis> previous_basis;
  double last_objective = -kInf;
  int stalls = 0;
  for (int pass = 0;; ++pass) {
    Domain domain;
    domain.init(model_, settings_.feasibility, settings_.integrality);
    if (domain.infeasible() || !domain.propagate()) break;  // the search finds out itself
    NodeLp lp;
    if (int code = lp.load(env_, model_, domain, lps)) return code;
    if (basis_) lp.load_basis(*basis_);
    LpSolve out;
    const double started = current_time(env_);
    const int64_t left = settings_.iteration_limit - record_.iterations;
    const int code = lp.solve(env_, kInf, std::max<int64_t>(left, 0), pass == 0, out);
    record_.iterations += out.iterations;
    if (code != 0) return code;
    if (pass == 0 && settings_.display >= 1) {
      msg(env_.results(), "Root relaxation solution time = %7.2f sec.\n", current_time(env_) - started);
      reported_root_ = true;
    }
    if (out.outcome != LpOutcome::Optimal) {
      // The last round's cuts go again: the model keeps the rows its
      // basis belongs to.
      if (pass > 0) {
        cuts = previous;
        set_cut_rows(model_, cuts);
        basis_ = previous_basis;
      }
      break;
    }
    basis_ = std::make_shared<CompactBasis>();
    lp.save_basis(*basis_);
    const std::vector<double>& x = lp.x();
    const int64_t fractional = fractional_columns(model_, x, settings_.integrality);
    if (pass > 0) {
      // The line of the round just solved, with the cuts it had.
      int64_t counts[kCutFamilyCount] = {};
      for (const Cut& c : cuts)
        if (!c.permanent) ++counts[c.family];
      LogLine line;
      line.objective = out.objective;
      line.num_infeasible = fractional;
      record_.best_bound = std::max(record_.best_bound, out.bound);
      log.root_cut_line(line, counts);
    }
    if (pass >= passes || fractional == 0 || env_.terminate_requested() || time_limit_reached(env_)) break;
    if (pass > 0 && out.objective - last_objective <= kStallGain * std::max(1.0, std::fabs(out.objective))) {
      if (++stalls >= kStallRounds) break;
    } else {
      stalls = 0;
    }
    last_objective = out.objective;

    std::vector<Cut> found;
    bool stopped = false;
    if (int code = separate_round(pass, base_rows, domain, lp, found, &stopped)) return code;
    if (stopped) break;
    std::vector<Cut> chosen = select_cuts(found, x.data(), limits);
    for (Cut& c : found) {
      if (c.index.empty() || c.index.size() > limits.max_support) continue;  // chosen, or too dense
      const double efficacy = c.efficacy(x.data());
      if (efficacy >= kPoolEfficacy) pool_.offer(std::move(c), efficacy);
    }
    if (chosen.empty()) break;

    // Cuts that went slack leave; the new ones join, basic.
    previous = cuts;
    previous_basis = basis_;
    std::vector<int> kept(cuts.size(), -1);
    std::vector<Cut> next;
    for (size_t k = 0; k < cuts.size(); ++k) {
      const Cut& c = cuts[k];
      const double a = c.activity(x.data());
      const int row_var = model_.num_cols + base_rows + static_cast<int>(k);
      const bool slack = !c.permanent && simplex::is_basic(basis_->status[row_var]) && a < c.rhs - kSlack * std::max(1.0, std::fabs(c.rhs));
      if (slack) {
        pool_.offer(Cut(c), 0.0);
        ++limits.total;
        ++limits.per_family[c.family];
        limits.nonzeros += static_cast<int64_t>(c.index.size());
        continue;
      }
      kept[k] = static_cast<int>(next.size());
      next.push_back(c);
    }
    const int kept_count = static_cast<int>(next.size());
    basis_ = carried_basis(*basis_, model_, kept, kept_count, static_cast<int>(chosen.size()));
    for (Cut& c : chosen) next.push_back(std::move(c));
    cuts = std::move(next);
    set_cut_rows(model_, cuts);
  }
  for (const Cut& c : cuts)
    if (!c.permanent) ++record_.cuts[c.family];
  install_pool(base_rows);
  return 0;
}

// The best of the pool join the model as inactive rows (as many as the
// model has rows, and entries); the root's basis gets them basic.
void RootCuts::install_pool(int base_rows) {
  const size_t most = std::max<size_t>(kLeastPool, static_cast<size_t>(base_rows));
  const std::vector<Cut> rows = pool_.best(most, std::max<int64_t>(kLeastNonzeros, model_.row_begin[base_rows]));
  if (rows.empty()) return;
  if (basis_) {
    const auto at = basis_->status.begin() + model_.num_cols + model_.first_pool_row;
    basis_->status.insert(at, rows.size(), simplex::kBasic);
  }
  set_pool_rows(model_, rows);
}

}  // namespace korva::mip
