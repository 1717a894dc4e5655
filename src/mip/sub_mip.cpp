#include "mip/sub_mip.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "env/channel.h"
#include "env/time_limit.h"
#include "mip/mip_run.h"
#include "mip/search_record.h"
#include "mip/solution_check.h"
#include "model/model.h"

namespace korva::mip {

namespace {

// The parameters a nested search runs with, given back afterwards; its
// messages go nowhere, and it neither spreads over the thread team nor
// starts nested searches of its own.
class NestedRunScope {
 public:
  explicit NestedRunScope(Environment& env) : env_(env), saved_params_(env.params.slots), team_(env.team) {
    env.team = nullptr;
    ++env.sub_mip_depth;
    for (auto* channel : {&env.error_channel, &env.warning_channel, &env.results_channel, &env.log_channel}) {
      auto silent = std::make_unique<Channel>();
      silent->env = &env;
      saved_channels_.push_back(std::move(*channel));
      *channel = std::move(silent);
    }
  }
  ~NestedRunScope() {
    auto saved = saved_channels_.begin();
    for (auto* channel : {&env_.error_channel, &env_.warning_channel, &env_.results_channel, &env_.log_channel})
      *channel = std::move(*saved++);
    --env_.sub_mip_depth;
    env_.team = team_;
    // Copied back into the same storage: callers hold references to slots.
    std::copy(saved_params_.begin(), saved_params_.end(), env_.params.slots.begin());
  }
  NestedRunScope(const NestedRunScope&) = delete;
  NestedRunScope& operator=(const NestedRunScope&) = delete;

 private:
  Environment& env_;
  std::vector<ParamSlot> saved_params_;
  ThreadTeam* team_;
  std::vector<std::unique_ptr<Channel>> saved_channels_;
};

struct OwnedProblem {
  Problem* p = nullptr;
  ~OwnedProblem() {
    if (p) model::free_problem(p);
  }
};

double user_bound(double b) { return std::isinf(b) ? (b < 0 ? -kInfinity : kInfinity) : b; }

// A row lo <= a·x <= hi in the problem's sense/rhs/range form. Returns
// false for a row without finite sides.
bool row_form(double lo, double hi, char* sense, double* rhs, double* range) {
  const bool has_lo = std::isfinite(lo), has_hi = std::isfinite(hi);
  *range = 0.0;
  if (has_lo && has_hi) {
    if (lo == hi) {
      *sense = 'E';
      *rhs = lo;
    } else {
      *sense = 'R';
      *rhs = lo;
      *range = hi - lo;
    }
  } else if (has_hi) {
    *sense = 'L';
    *rhs = hi;
  } else if (has_lo) {
    *sense = 'G';
    *rhs = lo;
  } else {
    return false;
  }
  return true;
}

// The restricted model as a problem object of its own (minimisation).
int build_problem(Environment& env, const MipModel& model, const SubMipRequest& request, Problem& sub) {
  const int n = model.num_cols;
  std::vector<double> lb(n), ub(n);
  for (int j = 0; j < n; ++j) {
    lb[j] = model.lower[j];
    ub[j] = model.upper[j];
  }
  for (const BoundChange& c : request.bounds) {
    if (std::isfinite(c.lower)) lb[c.col] = std::max(lb[c.col], c.lower);
    if (std::isfinite(c.upper)) ub[c.col] = std::min(ub[c.col], c.upper);
  }
  for (int j = 0; j < n; ++j) {
    // A neighbourhood that crosses a column's bounds is empty; the nested
    // run says so itself.
    lb[j] = user_bound(lb[j]);
    ub[j] = user_bound(ub[j]);
  }

  // Rows: the model's own and its cuts, the lazy constraints, the
  // neighbourhood's rows, and the objective cutoff when the objective is
  // replaced.
  std::vector<char> sense;
  std::vector<double> rhs, range;
  std::vector<std::vector<std::pair<int, double>>> by_col(n);
  int rows = 0;
  auto add_row = [&](const int* cols, const double* vals, int64_t len, double lo, double hi) {
    char s;
    double r, g;
    if (!row_form(lo, hi, &s, &r, &g)) return;
    for (int64_t k = 0; k < len; ++k) by_col[cols[k]].push_back({rows, vals[k]});
    sense.push_back(s);
    rhs.push_back(r);
    range.push_back(g);
    ++rows;
  };
  auto add_model_row = [&](int i) {
    const int64_t b = model.row_begin[i], e = model.row_begin[i + 1];
    add_row(model.row_col.data() + b, model.row_val.data() + b, e - b, model.row_lo[i], model.row_hi[i]);
  };
  for (int i = 0; i < model.num_rows; ++i) add_model_row(i);
  for (int i = model.first_lazy_row; i < model.num_relaxation_rows; ++i)
    if (!model.is_local_row(i)) add_model_row(i);
  for (const SubMipRow& r : request.rows)
    add_row(r.cols.data(), r.vals.data(), static_cast<int64_t>(r.cols.size()), r.lo, r.hi);
  const bool new_objective = !request.objective.empty();
  if (new_objective && std::isfinite(request.cutoff)) {
    std::vector<int> cols;
    std::vector<double> vals;
    for (int j = 0; j < n; ++j)
      if (model.cost[j] != 0.0) {
        cols.push_back(j);
        vals.push_back(model.cost[j]);
      }
    add_row(cols.data(), vals.data(), static_cast<int64_t>(cols.size()), -kInf, request.cutoff - model.offset);
  }

  std::vector<int64_t> beg(n);
  std::vector<int> cnt(n), ind;
  std::vector<double> val;
  for (int j = 0; j < n; ++j) {
    beg[j] = static_cast<int64_t>(ind.size());
    cnt[j] = static_cast<int>(by_col[j].size());
    for (const auto& [row, v] : by_col[j]) {
      ind.push_back(row);
      val.push_back(v);
    }
  }
  const std::vector<double>& obj = new_objective ? request.objective : model.cost;
  if (int code = model::copy_lp(env, sub, n, rows, 1, obj.data(), rhs.data(), sense.data(), beg.data(),
                                cnt.data(), ind.data(), val.data(), lb.data(), ub.data(), range.data(), nullptr,
                                nullptr))
    return code;
  if (int code = model::copy_ctype(env, sub, model.ctype.data())) return code;

  for (const SosConstraint& s : model.sos) {
    const char type = s.type == 1 ? '1' : '2';
    const int64_t begin = 0;
    if (int code = model::add_sos(env, sub, 1, static_cast<int64_t>(s.cols.size()), &type, &begin, s.cols.data(),
                                  s.weights.data(), nullptr))
      return code;
  }
  for (const IndicatorLink& link : model.indicators) {
    const int i = link.row;
    const int64_t b = model.row_begin[i], e = model.row_begin[i + 1];
    const int len = static_cast<int>(e - b);
    const int complemented = link.active_value == 0.0 ? 1 : 0;
    // An indicator row with two finite sides is two indicator constraints.
    const double lo = model.row_lo[i], hi = model.row_hi[i];
    auto add = [&](char s, double r) {
      return model::add_indicator(env, sub, link.indicator, complemented, len, r, s, model.row_col.data() + b,
                                  model.row_val.data() + b, nullptr);
    };
    int code = 0;
    if (std::isfinite(lo) && std::isfinite(hi) && lo == hi) code = add('E', lo);
    else {
      if (std::isfinite(hi)) code = add('L', hi);
      if (code == 0 && std::isfinite(lo)) code = add('G', lo);
    }
    if (code) return code;
  }
  return model::complete(env, sub);
}

void set_int(Environment& env, int number, long long value) { env.params.slot(number).i = value; }
void set_dbl(Environment& env, int number, double value) { env.params.slot(number).d = value; }

}  // namespace

bool inside_sub_mip(const Environment& env) { return env.sub_mip_depth > 0; }

int solve_sub_mip(Environment& env, const MipModel& model, const SubMipRequest& request, SubMipResult& result) {
  result = SubMipResult{};
  const double remaining = std::min(time_remaining(env), request.time_limit);
  if (!(remaining > 0.0)) return 0;

  NestedRunScope scope(env);
  OwnedProblem owned;
  int status = 0;
  owned.p = model::create_problem(env, "submip", &status);
  if (!owned.p) return status;
  Problem& sub = *owned.p;
  if (int code = build_problem(env, model, request, sub)) return code < 0 ? -code : code;

  set_int(env, KRV_PARAM_MIPDISPLAY, 0);
  set_int(env, KRV_PARAM_SIMDISPLAY, 0);
  set_int(env, KRV_PARAM_THREADS, 1);
  set_int(env, KRV_PARAM_NODELIM, std::max<int64_t>(request.node_limit, 1));
  if (request.stop_at_first) set_int(env, KRV_PARAM_INTSOLLIM, 1);
  env.params.slot(KRV_PARAM_INTSOLFILEPREFIX).s.clear();
  // The nested run neither polishes nor populates.
  set_dbl(env, KRV_PARAM_POLISHTIME, 0.0);
  set_dbl(env, KRV_PARAM_POLISHAFTEREPAGAP, 0.0);
  set_dbl(env, KRV_PARAM_POLISHAFTEREPGAP, 0.0);
  set_int(env, KRV_PARAM_POLISHAFTERNODE, 9223372036800000000LL);
  set_int(env, KRV_PARAM_POLISHAFTERINTSOL, 9223372036800000000LL);
  set_dbl(env, KRV_PARAM_POLISHAFTERTIME, 1e75);
  if (request.objective.empty() && std::isfinite(request.cutoff))
    set_dbl(env, KRV_PARAM_CUTUP, request.cutoff - model.offset);
  set_dbl(env, KRV_PARAM_TILIM, std::min(remaining, 1e75));
  ScopedTimeLimit limit(env);

  const int code = run_mip(env, sub, MipRun::Nested);
  const MipSearchRecord* record = find_search_record(sub);
  if (!record) return code;
  result.status = record->status;
  result.nodes = record->nodes + record->nested_nodes;
  result.iterations = record->iterations + record->nested_iterations;
  result.proved = record->status == 101 || record->status == 102 || record->status == 103 ||
                  record->status == 118 || record->status == 119;
  if (record->has_incumbent && static_cast<int>(record->incumbent.size()) == model.num_cols) {
    std::vector<double> x = record->incumbent;
    // The nested run answers for its own copy; what the caller gets must
    // hold on the model itself.
    const double feasibility = env.dbl_param(KRV_PARAM_EPRHS), integrality = env.dbl_param(KRV_PARAM_EPINT);
    const bool feasible = settle_solution(model, x, integrality, feasibility);
    double objective = model.offset;
    for (int j = 0; j < model.num_cols; ++j) objective += model.cost[j] * x[j];
    if (feasible && objective < request.cutoff) {
      result.found = true;
      result.x = std::move(x);
      result.objective = objective;
    }
  }
  return code;
}

}  // namespace korva::mip
