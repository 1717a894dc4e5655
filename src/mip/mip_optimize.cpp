#include "mip/mip_optimize.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <limits>
#include <string>

#include "env/callbacks.h"
#include "env/channel.h"
#include "env/errors.h"
#include "env/threads.h"
#include "env/time_limit.h"
#include "mip/callback_calls.h"
#include "mip/domain.h"
#include "mip/mip_model.h"
#include "mip/mip_presolve.h"
#include "mip/mip_run.h"
#include "mip/mip_start_processing.h"
#include "mip/polishing.h"
#include "mip/pool_sink.h"
#include "mip/priority_order.h"
#include "mip/root_cuts.h"
#include "mip/search.h"
#include "mip/search_record.h"
#include "mip/search_settings.h"
#include "mip/solution_check.h"
#include "mip/sub_mip.h"
#include "model/model.h"
#include "presolve/crush.h"
#include "presolve/presolve_record.h"
#include "simplex/core/load_lp.h"
#include "simplex/status.h"

namespace korva::mip {

namespace {

constexpr int kMaxAutomaticThreads = 32;
constexpr double kNoTime = 1e75;

// The parameters a MIP optimisation may change for its own steps, restored
// on every exit.
class SavedMipParams {
 public:
  explicit SavedMipParams(Environment& env) : env_(env) {
    for (int k = 0; k < kCount; ++k) saved_[k] = env.params.slot(kNumbers[k]);
  }
  ~SavedMipParams() {
    for (int k = 0; k < kCount; ++k) {
      // A polishing time is given back only when it was a real one.
      if (kNumbers[k] == KRV_PARAM_POLISHAFTERTIME && !(saved_[k].d < kNoTime)) continue;
      env_.params.slot(kNumbers[k]) = saved_[k];
    }
  }
  SavedMipParams(const SavedMipParams&) = delete;
  SavedMipParams& operator=(const SavedMipParams&) = delete;
  double saved_polish_time() const { return saved_[5].d; }

 private:
  static constexpr int kCount = 7;
  static constexpr int kNumbers[kCount] = {KRV_PARAM_CLOCKTYPE,          KRV_PARAM_EPINT,
                                           KRV_PARAM_REDUCE,             KRV_PARAM_PRELINEAR,
                                           KRV_PARAM_SOLNPOOLINTENSITY,  KRV_PARAM_POLISHAFTERTIME,
                                           KRV_PARAM_MIPCBREDLP};
  Environment& env_;
  ParamSlot saved_[kCount];
};

bool is_mip_problem(const Problem& p) {
  return p.type == KRVPROB_MILP || p.type == KRVPROB_MIQP || p.type == KRVPROB_MIQCP;
}

// Lazy constraints need every feasible solution kept: no dual reductions
// and no non-linear ones.
void lazy_constraint_settings(Environment& env, const Problem& p) {
  const bool lazy = (p.lazy_constraints && p.lazy_constraints->num_rows() > 0) || env.callbacks.lazy_constraint.is_set();
  if (!lazy) return;
  ParamSlot& reduce = env.params.slot(KRV_PARAM_REDUCE);
  ParamSlot& prelinear = env.params.slot(KRV_PARAM_PRELINEAR);
  const bool reduce_changed = reduce.i == 2 || reduce.i == 3;
  const bool prelinear_was_on = prelinear.i == 1;
  if (reduce.i == 2) reduce.i = 0;
  if (reduce.i == 3) reduce.i = 1;
  const bool prelinear_changed = prelinear.i != 0;
  prelinear.i = 0;
  if (!reduce_changed && !prelinear_changed) return;
  msg(env.log(), "Lazy constraint(s) or lazy constraint callback is present.\n");
  if (reduce_changed) msg(env.log(), "    Disabling dual reductions (KRV_PARAM_REDUCE) in presolve.\n");
  if (prelinear_was_on) msg(env.log(), "    Disabling non-linear reductions (KRV_PARAM_PRELINEAR) in presolve.\n");
}

// The first column whose bounds admit no value, or -1.
int bound_infeasible_column(const Problem& p, double integrality) {
  for (int j = 0; j < p.num_cols(); ++j) {
    const char type = p.ctype(j);
    if (type == 'S' || type == 'N') continue;
    const double lo = p.lower(j), hi = p.upper(j);
    if (type == 'C') {
      if (simplex::bounds_cross(lo, hi)) return j;
      continue;
    }
    // Integer bounds round inward; one within the tolerance of an integer is it.
    const double rlo = lo <= -kInfinity ? lo : std::ceil(lo - integrality);
    const double rhi = hi >= kInfinity ? hi : std::floor(hi + integrality);
    if (rlo > rhi) return j;
    if (type == 'B' && (rlo < 0.0 || rhi > 1.0)) return j;
  }
  return -1;
}

// Step 5: settings that the search cannot honour.
int check_algorithms(Environment& env, const Problem& p) {
  const int subalg = env.int_param(KRV_PARAM_SUBALG);
  if (subalg == 4 && env.int_param(KRV_PARAM_BARCROSSALG) == -1 && env.int_param(KRV_PARAM_BARALG) == 3)
    msg(env.warning(), "%s",
        "Warning:  Barrier algorithm is set to 3 and MIP subproblems are\n          being solved by barrier without crossover.  The ability\n          to detect infeasibility is improved by setting the\n          barrier crossover choice to 0, 1 or 2.\n");
  if (p.quad && subalg == 3) {
    msg(env.error(), "MIQP subproblems can not be solved using the ");
    msg(env.error(), "hybrid network optimizer.\n");
    return -err::kNotForQp;
  }
  if (p.qcons) {
    const int startalg = env.int_param(KRV_PARAM_STARTALG);
    const int cross = env.int_param(KRV_PARAM_BARCROSSALG);
    const bool barrier = startalg == 0 || startalg == 4 || subalg == 0 || subalg == 4;
    if (barrier && cross != 0 && cross != -1) {
      msg(env.error(), "Crossover not available for QCP solvers.\n");
      return -err::kNotForQcp;
    }
    if (startalg != 0 || subalg != 0) {
      msg(env.error(), "MIQCP root and subproblem settings must be automatic.\n");
      return -err::kNotForQcp;
    }
    if (env.int_param(KRV_PARAM_FPHEUR) > 0)
      msg(env.warning(), "Warning: Feasibility pump heuristic not available for MIQCP. Proceeding without.\n");
  }
  // The search solves linear relaxations only.
  if (p.quad) return err::kNotForQp;
  if (p.qcons) return err::kNotForQcp;
  return 0;
}

void root_messages(Environment& env, const SearchSettings& s, int threads, bool deterministic, const Problem& p) {
  if (s.display >= 1 && env.nesting <= 1) {
    switch (env.int_param(KRV_PARAM_MIPEMPHASIS)) {
      case 1:
        msg(env.results(), "MIP emphasis: integer feasibility.\n");
        break;
      case 2:
        msg(env.results(), "MIP emphasis: optimality.\n");
        break;
      case 3:
        msg(env.results(), "MIP emphasis: best bound.\n");
        break;
      case 4:
        msg(env.results(), "MIP emphasis: hidden feasible solutions.\n");
        break;
      default:
        msg(env.results(), "MIP emphasis: balance optimality and feasibility.\n");
        break;
    }
    msg(env.results(), s.search_method == 1 ? "MIP search method: traditional branch-and-cut.\n"
                                            : "MIP search method: dynamic search.\n");
    if (threads <= 1) msg(env.results(), "Parallel mode: none, using 1 thread.\n");
    else
      msg(env.results(),
          deterministic ? "Parallel mode: deterministic, using up to %d threads.\n"
                        : "Parallel mode: opportunistic, using up to %d threads.\n",
          threads);
  }
  if (s.feasibility > s.integrality && p.lazy_constraints && p.lazy_constraints->num_rows() > 0)
    msg(env.warning(), "Warning: Lazy constraints are present for the setting with smaller integrality\n    tolerance than feasibility tolerance.\n");
  if (env.callbacks.any_control_callback())
    msg(env.warning(), "Warning: Control callbacks may disable some MIP features.\n");
}

// The user cuts and lazy constraints the search takes into the presolved
// problem. Their columns are never removed by presolve, so every row maps.
void pool_messages(Environment& env, const Problem& p) {
  if (p.user_cuts && p.user_cuts->num_rows() > 0)
    msg(env.results(), "Problem contains %lld user cuts.\n", static_cast<long long>(p.user_cuts->num_rows()));
  if (p.lazy_constraints && p.lazy_constraints->num_rows() > 0)
    msg(env.results(), "Problem contains %lld lazy constraints.\n",
        static_cast<long long>(p.lazy_constraints->num_rows()));
}

std::string upper_first(const char* text) {
  std::string s = text;
  if (!s.empty()) s[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(s[0])));
  return s;
}

// The polishing messages. Polishing itself (a nested search around the
// incumbent) is not built: the search stops where it would start.
// A polishing start condition is in force when a polish-after parameter
// is set below its threshold (which is not its default).
bool polishing_condition_in_force(const SearchSettings& s) {
  constexpr long long kCountThreshold = 210000000;
  constexpr double kTimeThreshold = 1e74;
  return s.polish_after_absolute_gap != 0.0 || s.polish_after_gap != 0.0 ||
         s.polish_after_node < kCountThreshold || s.polish_after_solutions < kCountThreshold ||
         s.polish_after_time < kTimeThreshold;
}

void polishing_messages(Environment& env, int status, bool condition, bool has_incumbent) {
  const double polish_time = env.dbl_param(KRV_PARAM_POLISHTIME);
  if (!condition && !(polish_time > 0.0)) return;
  if (!has_incumbent) {
    msg(env.results(), "\nPolishing requested, but no solution to polish.\n\n");
    return;
  }
  if (condition) {
    msg(env.results(), "\nStarting condition for polishing reached");
    switch (status) {
      case 102:
        msg(env.results(), " (PolishAfterEpGap, PolishAfterEpAGap)");
        break;
      case 104:
        msg(env.results(), " (PolishAfterIntSol)");
        break;
      case 105:
        msg(env.results(), " (PolishAfterNode)");
        break;
      case 107:
      case 131:
        msg(env.results(), " (PolishAfterTime)");
        break;
      case 133:
        msg(env.results(), " (PolishAfterIteration)");
        break;
      default:
        msg(env.results(), " (%s)", upper_first(status_text(status)).c_str());
        break;
    }
    msg(env.results(), ".\n");
    msg(env.results(), "Starting solution polishing.\n\n");
    return;
  }
  msg(env.results(), "\n%s.\n", upper_first(status_text(status)).c_str());
  msg(env.results(),
      polish_time >= 1e6 ? "Spending an additional %.4e seconds polishing solution.\n\n"
                         : "Spending an additional %.0f seconds polishing solution.\n\n",
      polish_time);
}

// Frees the open nodes of a search, with progress lines when that takes
// long.
void free_tree(Environment& env, MipSearchRecord& record, int display) {
  if (!record.tree) return;
  const int64_t total = record.tree->size();
  double last = current_time(env);
  bool announced = false;
  record.tree->clear([&](int64_t done) {
    if (done % 1000 != 0) return;
    const double now = current_time(env);
    if (now - last <= 5.0 || display <= 0) return;
    if (!announced) msg(env.results(), "Freeing branch-and-bound tree with %lld nodes\n", static_cast<long long>(total));
    announced = true;
    msg(env.results(), "%lld nodes freed\n", static_cast<long long>(done));
    last = now;
  });
  record.tree.reset();
  record.nodes_left = 0;
}

// The incumbent and the status as the solution queries read them.
void store_solution(Problem& p, const MipSearchRecord& record, const MipModel& m) {
  auto sol = std::make_unique<MipSolution>();
  sol->status = record.status;
  if (record.has_incumbent) {
    sol->valid = true;
    sol->values = record.incumbent;
    double obj = 0.0;
    for (int j = 0; j < m.num_cols; ++j) obj += p.obj(j) * sol->values[j];
    sol->objective_value = obj;
    sol->slacks.resize(static_cast<size_t>(p.num_rows()));
    for (int i = 0; i < p.num_rows(); ++i) {
      const double a = row_activity(m, i, sol->values.data());
      const double slack = p.rhs(i) - a;
      sol->slacks[i] = slack;
    }
  }
  p.derived.status = record.status;
  p.derived.values_valid = record.has_incumbent;
  p.derived.solution = std::move(sol);
}

int final_status(int status, const SearchEnd& end, bool incumbent) {
  if (!incumbent) return status;
  if (status == 102) return end.gap_tolerance_used ? 102 : 101;
  return feasible_twin(status);
}

// The MIP starts of the problem, processed at their effort levels, and
// when none gave a solution, the repair of those retained: the best
// solution they give (user's columns), or `x` left empty.
int starting_solution(Environment& env, Problem& p, const MipModel& model, int display, std::vector<double>& x) {
  MipStartOutcome starts;
  if (int code = process_mip_starts(env, p, model, display, starts)) return code;
  if (!starts.found && !starts.retained.empty()) {
    MipStartOutcome repaired;
    if (int code = repair_mip_starts(env, model, starts.retained, env.long_param(KRV_PARAM_REPAIRTRIES), display,
                                     repaired))
      return code;
    if (repaired.found) starts = std::move(repaired);
  }
  if (starts.found) x = std::move(starts.x);
  return 0;
}

}  // namespace

int mip_thread_count(Environment& env, Problem&) {
  int available = usable_processors(env);
  if (env.team) available = std::min(available, env.team->size() + 1);
  const int mip = env.int_param(hidden_param::kMipThreads);
  const int general = env.int_param(KRV_PARAM_THREADS);
  int chosen = mip > 0 ? mip : general;
  if (chosen == 0) {
    const CallbackRegistry& cb = env.callbacks;
    const bool serial = cb.any_control_callback() || cb.mip_info.is_set() || cb.lp.is_set() || cb.network.is_set();
    chosen = serial ? 1 : std::min(available, kMaxAutomaticThreads);
  }
  return std::max(1, std::min(available, chosen));
}

namespace {

void summaries(Environment& env, const SearchSettings& settings, MipSearchRecord& record, int objsense) {
  if (settings.display < 1) return;
  int cut_params[kCutFamilies] = {};
  for (int k = 0; k < 11; ++k) cut_params[k] = settings.cut_switch[k];
  cut_params[11] = cut_params[12] = cut_params[13] = -1;
  NodeLog log(env, settings, record, objsense);
  log.cut_summary(cut_params);
  log.time_summary();
}

// A polishing time given on its own is spent on top of the time limit
// the search used up.
class ExtendedDeadline {
 public:
  ExtendedDeadline(Environment& env, double seconds) : frame_(env.time_limit_top) {
    if (!frame_ || frame_->deadline >= kNoDeadline) return;
    saved_ = frame_->deadline;
    frame_->deadline = std::max(frame_->deadline, current_time(env) + seconds);
  }
  ~ExtendedDeadline() {
    if (frame_ && saved_ < kNoDeadline) frame_->deadline = saved_;
  }
  ExtendedDeadline(const ExtendedDeadline&) = delete;
  ExtendedDeadline& operator=(const ExtendedDeadline&) = delete;

 private:
  TimeLimitFrame* frame_;
  double saved_ = kNoDeadline;
};

// Polishes the incumbent of the search on `model` (sp's columns) and gives
// the status of the whole run.
int polish(Environment& env, const Problem& p, const MipModel& original, const MipModel& model,
           const presolve::PresolveRecord* rec, MipSearchRecord& record, bool condition, double polish_time,
           bool from_start, int status, int* error) {
  std::unique_ptr<ExtendedDeadline> extended;
  if (!condition) extended = std::make_unique<ExtendedDeadline>(env, polish_time);
  const double integrality = env.dbl_param(KRV_PARAM_EPINT), feasibility = env.dbl_param(KRV_PARAM_EPRHS);
  auto holds = [&](const std::vector<double>& x) {
    if (!rec) return true;
    std::vector<double> original_x;
    uncrush_values(p, *rec, x, original_x);
    return acceptable_violation(model_violation(original, original_x, integrality, feasibility), feasibility);
  };
  const PolishOutcome outcome = polish_incumbent(env, model, record, polish_time > 0.0 ? polish_time : 1e75,
                                                 env.int_param(KRV_PARAM_SUBMIPNODELIM), holds);
  if (outcome.error) {
    *error = outcome.error;
    if (from_start && env.int_param(KRV_PARAM_MIPDISPLAY) != 0)
      msg(env.results(), "\nTrouble polishing MIP start.\n\n");
    return 109;
  }
  if (outcome.proved) {
    record.best_bound = record.stored_bound = record.incumbent_objective;
    return 101;
  }
  if (outcome.time_limit) return 107;
  return status;
}

// Runs the branch-and-bound search on `sp` (the problem or its presolved
// form), then the polishing messages and the status rules that depend on
// how the search ended. Returns the search's error code.
// What a search starts from besides the problem: a solution known
// before it (a MIP start or an earlier search's incumbent, in the user's
// columns), and the solution pool it offers every solution to.
struct SearchStart {
  const std::vector<double>* solution = nullptr;
  SolutionPool* pool = nullptr;
  bool populate = false;
  int64_t populate_stop = std::numeric_limits<int64_t>::max();  // pool offered_total() ending populate
};

int branch_and_bound(Environment& env, Problem& p, const MipModel& original, Problem& sp,
                     const presolve::PresolveRecord* rec, SearchSettings& settings, MipSearchRecord& record,
                     const SearchStart& from, int* status_out) {
  const int threads = settings.threads;
  // Without an order of its own the problem may have one generated for
  // this search only: the caller's KRVgetorder answer stays as it was.
  const PriorityOrder* order = settings.use_order && p.mip ? p.mip->order.get() : nullptr;
  PriorityOrder generated;
  const int order_type = env.int_param(KRV_PARAM_MIPORDTYPE);
  if (!order && settings.use_order && order_type != 0) {
    if (int code = generate_priority_order(env, p, order_type, generated)) return code;
    order = &generated;
  }
  PriorityOrder crushed;
  if (order && rec) {
    crushed = crush_order(*order, *rec);
    order = &crushed;
  }
  MipModel model;
  build_mip_model(sp, model);
  if (rec) model.offset = rec->offset;
  // Cutting planes at the root strengthen the search's copy of the rows.
  const double cuts_started = current_time(env);
  RootCuts root_cuts(env, model, settings, record, sp.user_cuts.get());
  // The root's long work reports to the informational callbacks.
  CallbackScope root_scope;
  if (!inside_sub_mip(env) && (env.callbacks.mip_info.is_set() || env.callbacks.info.is_set())) {
    root_scope.original = &p;
    root_scope.searched = &sp;
    root_scope.presolve = rec;
    root_scope.model = &model;
    root_scope.settings = &settings;
    root_scope.record = &record;
    root_scope.reduced_space = env.int_param(KRV_PARAM_MIPCBREDLP) != 0;
    root_scope.callbacks = env.callbacks;
    root_cuts.call_back_with([&env, &root_scope](int wherefrom) {
      MipCallbackData d(env, root_scope);
      return progress_call(env, d, wherefrom);
    });
  }
  if (int code = root_cuts.run()) {
    *status_out = 110;
    return code;
  }
  const double cuts_time = current_time(env) - cuts_started;
  settings.root_lp_reported = root_cuts.reported_root();
  Search search(env, sp, model, settings, record, order, root_cuts.basis());
  search.separate_in_tree(root_cuts.tree_separators());
  search.call_back_with(p, rec);
  if (root_cuts.aborted()) search.stop_before_root();
  if (rec) {
    search.write_incumbents_as(p, [&p, rec](const std::vector<double>& reduced, std::vector<double>& x) {
      uncrush_values(p, *rec, reduced, x);
    });
    search.check_on_original(original);
  }
  if (from.solution) {
    std::vector<double> start(static_cast<size_t>(sp.num_cols()));
    if (rec) presolve::crush_x(*rec, from.solution->data(), start.data());
    else start = *from.solution;
    search.start_from(std::move(start));
  }
  std::unique_ptr<PoolSink> sink;
  if (from.pool) {
    sink = std::make_unique<PoolSink>(p, *from.pool, rec, from.populate_stop);
    search.offer_solutions_to(sink.get(), from.populate);
  }
  SearchEnd end = search.run();
  if (!record.has_incumbent && search.has_rejected()) {
    // Every solution found broke the user's model slightly: the best of
    // them is reported with its violation rather than no solution at all.
    record.has_incumbent = true;
    record.incumbent = search.best_rejected();
    record.incumbent_objective = model.offset;
    for (int j = 0; j < model.num_cols; ++j) record.incumbent_objective += model.cost[j] * record.incumbent[j];
    record.incumbent_node = 0;
    record.improvements = 1;
    if (end.status == 103) end.status = 101;
  }
  record.root_time += cuts_time;
  if (end.represolve)
    return repeat_presolve(env, sp, search.global_changes(), rec ? rec->offset : 0.0, settings.display, record,
                           status_out);
  int status = end.status;
  const bool node_file_error = end.error >= 1801 && end.error <= 1803;
  if (node_file_error) {
    // The tree cannot be trusted any more: it goes.
    status = record.has_incumbent ? 116 : 117;
    free_tree(env, record, settings.display);
  } else if (end.error != 0) {
    status = record.has_incumbent ? 109 : 110;
    if (end.error == err::kNoMemory && record.nodes > 0)
      msg(env.error(), env.int_param(KRV_PARAM_NODEFILEIND) < 2
                           ? "\nConsider using KORVA node files to reduce memory usage.\n"
                           : "\nConsider decreasing WorkMem parameter value to reduce memory usage.\n");
    if (threads > 1) msg(env.results(), "\nThere may be further error information in the clone logs.\n");
  }

  // Polishing starts where the search stopped short of finishing while a
  // start condition is in force, or a polishing time is given.
  const bool finished = status == 101 || status == 103 || status == 118 || status == 119;
  const bool condition = end.polish || polishing_condition_in_force(settings);
  int error = end.error;
  const double polish_time = env.dbl_param(KRV_PARAM_POLISHTIME);
  // Polishing searches around the incumbent where no callback could watch.
  const bool polishing_allowed = !env.callbacks.any_control_callback();
  if (!finished && end.error == 0 && polishing_allowed && (condition || polish_time > 0.0)) {
    if (settings.display != 0) polishing_messages(env, status, condition, record.has_incumbent);
    if (!record.has_incumbent) status = 110;
    else {
      // The incumbent is still the solution the search started from.
      const bool from_start = from.solution && record.incumbent_node == 0 && record.improvements == 1;
      status = polish(env, p, original, model, rec, record, condition, polish_time, from_start, status, &error);
    }
  }
  *status_out = final_status(status, end, record.has_incumbent);
  summaries(env, settings, record, p.objsense());
  return error;
}

}  // namespace

// A solution known before the search (in the user's columns) takes over
// from the search's result when the search found nothing as good.
void keep_start_if_better(const MipModel& model, const std::vector<double>& start, bool searched,
                          MipSearchRecord& record, int* status) {
  double objective = model.offset;
  for (int j = 0; j < model.num_cols; ++j) objective += model.cost[j] * start[j];
  if (record.has_incumbent && record.incumbent_objective <= objective) return;
  const bool had_incumbent = record.has_incumbent;
  record.has_incumbent = true;
  record.incumbent = start;
  record.incumbent_objective = objective;
  record.incumbent_node = 0;
  if (!had_incumbent) record.improvements = std::max<int64_t>(record.improvements, 1);
  // A search that ended without anything better proved the start optimal;
  // one on a problem reduced with dual reductions proved only that no
  // optimum exists (the final rules make that unbounded).
  if (searched && *status == 103) *status = 101;
  *status = feasible_twin(*status);
}

int run_mip(Environment& env, Problem& p, MipRun run, int64_t populate_stop, const std::vector<double>* given) {
  if (int code = model::complete(env, p)) return code;
  if (!is_mip_problem(p)) return 3003;  // "Not a mixed-integer problem"
  SavedMipParams saved(env);
  if (saved.saved_polish_time() < kNoTime) env.params.slot(KRV_PARAM_POLISHAFTERTIME).d = kNoTime;
  if (env.admission_hook && run == MipRun::Outer) env.admission_hook(&env, p.type);

  // A new optimisation discards the last one's records; populate goes on
  // from the incumbent the last one found.
  std::vector<double> start;
  if (MipSearchRecord* old = find_search_record(p)) {
    if (run == MipRun::Populate && old->has_incumbent) start = old->incumbent;
    free_tree(env, *old, env.int_param(KRV_PARAM_MIPDISPLAY));
  }
  p.derived.solution.reset();
  p.derived.mip_search.reset();
  p.derived.status = 0;
  p.derived.values_valid = false;

  lazy_constraint_settings(env, p);
  const int threads = env.team ? env.team->size() : 1;
  const bool deterministic = threads > 1 && env.int_param(KRV_PARAM_PARALLELMODE) != -1;
  SearchSettings settings = read_search_settings(env, p.objsense());
  settings.polish_after_time = saved.saved_polish_time();
  settings.threads = threads;
  settings.deterministic = deterministic;
  // Control callbacks see one search on one presolved problem.
  const bool control_callbacks = env.callbacks.any_control_callback();
  if (run == MipRun::Repeated || control_callbacks) settings.repeat_presolve = 0;
  // A start the lazy constraint callback has not judged is no solution
  // until the search's check.
  const bool lazy_callback = has_lazy_callback(env.callbacks);

  auto record = std::make_unique<MipSearchRecord>();
  record->objsense = p.objsense();
  MipModel model;

  // Step 4: bounds that admit no value decide the problem at once.
  const int bad = bound_infeasible_column(p, settings.integrality);
  if (bad >= 0) {
    if (settings.display != 0)
      msg(env.warning(), "Warning:  Bound infeasibility column '%s'.\n", model::col_name(env, p, bad).c_str());
    record->status = record->finished_status = 103;
    build_mip_model(p, model);
    store_solution(p, *record, model);
    p.derived.mip_search = std::move(record);
    return 0;
  }
  if (int code = check_algorithms(env, p)) return code;

  build_mip_model(p, model);
  const bool outermost = run == MipRun::Outer || run == MipRun::Populate;
  if (outermost) root_messages(env, settings, threads, deterministic, p);
  if (settings.display >= 5 && threads > 1) {
    // The workers log their subproblems only in their own clone logs.
    settings.display = 3;
    settings.simplex_display = 0;
    if (env.int_param(KRV_PARAM_CLONELOG) != 1) {
      msg(env.results(), "Subproblem optimization logging appears only in clone logs.\n");
      if (!env.params.log_file)
        msg(env.results(), "Enable log file output (e.g., call KRVsetlogfile() in C API) to get clone logs.\n");
    }
  }

  // Step 6: the pool, and the MIP starts as the first incumbent.
  SearchStart from;
  if (outermost) from.pool = &prepare_solution_pool(env, p);
  if (run == MipRun::Outer) {
    if (int code = starting_solution(env, p, model, settings.display, start)) return code;
  }
  if (given && start.empty()) start = *given;
  if (run == MipRun::Populate) {
    from.populate = true;
    from.populate_stop = populate_stop;
  }
  if (!start.empty()) {
    from.solution = &start;
    if (from.pool && !lazy_callback) PoolSink(p, *from.pool, nullptr).offer_original(start);
  }

  MipPresolve pre;
  const PresolveRound round = run == MipRun::Outer || run == MipRun::Nested || run == MipRun::Populate
                                  ? PresolveRound::First
                              : run == MipRun::Presolved ? PresolveRound::Reduced
                                                         : PresolveRound::Repeated;
  if (int code = presolve_for_search(env, p, settings.display, round, pre)) return code;
  if (run == MipRun::Outer && settings.display != 0) pool_messages(env, p);
  const presolve::PresolveRecord* rec = pre.record;
  int status = 0;
  int error = 0;
  bool searched_with_pool = false;
  if (pre.code != 0) {
    // Presolve decided the problem.
    status = verdict_mip_status(pre.code);
  } else if (rec && rec->everything_removed) {
    // Every column has its value: that point is the optimum.
    record->has_incumbent = true;
    uncrush_values(p, *rec, {}, record->incumbent);
    record->incumbent_objective = 0.0;
    for (int j = 0; j < model.num_cols; ++j) record->incumbent_objective += model.cost[j] * record->incumbent[j];
    record->incumbent_node = 0;
    record->improvements = 1;
    record->best_bound = record->stored_bound = record->incumbent_objective;
    status = 101;
  } else if (rec && rec->nested_search && !control_callbacks) {
    error = nested_search(env, p, model, *rec, record, &status);
  } else {
    Problem& sp = rec ? *rec->reduced : p;
    error = branch_and_bound(env, p, model, sp, rec, settings, *record, from, &status);
    if (rec) take_reduced_incumbent(p, model, *rec, *record);
    searched_with_pool = from.pool != nullptr;
  }
  // A search that found nothing better proves the start optimal when it
  // ran below the start's cutoff (a search presolved again) or on a
  // problem reduced without dual reductions.
  const bool proves_start =
      pre.code == 0 && (run == MipRun::Repeated || (pre.reduce != 2 && pre.reduce != 3));
  if (!start.empty() && error == 0 && !lazy_callback)
    keep_start_if_better(model, start, proves_start, *record, &status);
  status = reduction_status(status, pre.reduce, record->has_incumbent);
  if (from.pool && !searched_with_pool && record->has_incumbent)
    PoolSink(p, *from.pool, nullptr).offer_original(record->incumbent);

  // The incumbent on the model as the user gave it.
  if (record->has_incumbent) {
    const double violation = model_violation(model, record->incumbent, settings.integrality, settings.feasibility);
    if (!acceptable_violation(violation, settings.feasibility)) {
      record->max_unscaled_infeasibility = violation;
      msg(env.warning(), "Warning: integer solution contains unscaled infeasibilities.\n");
      if (status == 101) status = 115;
    }
  }
  record->status = status;
  if (status == 101 || status == 103 || status == 115 || status == 118 || status == 119)
    record->finished_status = status;
  store_solution(p, *record, model);
  p.derived.mip_search = std::move(record);
  return error;
}


namespace {

// The profiling callback brackets every search the user asked for.
int profiled(Environment& env, Problem& p, MipRun run, int64_t populate_stop) {
  const auto& profile = env.callbacks.profiling;
  if (profile.is_set()) profile.function(&env, 0, profile.handle);
  struct ProfileEnd {
    Environment& env;
    ~ProfileEnd() {
      const auto& profile = env.callbacks.profiling;
      if (profile.is_set()) profile.function(&env, 1, profile.handle);
    }
  } profile_end{env};
  return run_mip(env, p, run, populate_stop);
}

}  // namespace

int mip_optimize(Environment& env, Problem& p) { return profiled(env, p, MipRun::Outer, 0); }

int mip_populate_search(Environment& env, Problem& p, int64_t stop) {
  return profiled(env, p, MipRun::Populate, stop);
}

}  // namespace korva::mip
