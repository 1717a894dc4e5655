#include "presolve/presolve_driver.h"

#include <cmath>
#include <memory>
#include <vector>

#include "env/channel.h"
#include "env/errors.h"
#include "model/model.h"
#include "presolve/dual_formulation.h"
#include "presolve/mip_parts.h"
#include "presolve/presolve_work.h"
#include "presolve/reductions.h"
#include "simplex/solution/lp_solution.h"

namespace korva::presolve {

namespace {

double to_user_bound(double b) {
  if (b == kInf) return kInfinity;
  if (b == -kInf) return -kInfinity;
  return b;
}

// Maps between original and reduced indices.
void build_maps(const PresolveWork& w, PresolveRecord& rec) {
  rec.orig_rows = w.m;
  rec.orig_cols = w.n;
  rec.col_map.assign(w.n, kRemoved);
  rec.row_map.assign(w.m, kRemoved);
  rec.orig_col.clear();
  rec.orig_row.clear();
  for (const Reduction& r : rec.stack)
    if (r.kind == ReductionKind::FreeSingleton || r.kind == ReductionKind::SlackSingleton)
      rec.col_map[r.col] = kSubstituted;
  for (int j = 0; j < w.n; ++j)
    if (w.col_alive[j]) {
      rec.col_map[j] = static_cast<int>(rec.orig_col.size());
      rec.orig_col.push_back(j);
      rec.reduced_cost.push_back(w.cost[j]);
    }
  for (int i = 0; i < w.m; ++i)
    if (w.row_alive[i]) {
      rec.row_map[i] = static_cast<int>(rec.orig_row.size());
      rec.orig_row.push_back(i);
    }
}

template <class Get>
std::vector<const char*> names_of(const std::vector<int>& items, Get get) {
  std::vector<const char*> names;
  names.reserve(items.size());
  for (int k : items) {
    const char* name = get(k);
    if (!name) return {};
    names.push_back(name);
  }
  return names;
}

int build_reduced(Environment& env, const Problem& p, const PresolveWork& w, PresolveRecord& rec) {
  const int nc = static_cast<int>(rec.orig_col.size()), nr = static_cast<int>(rec.orig_row.size());
  std::vector<double> obj(nc), lb(nc), ub(nc), rhs(nr), range(nr, 0.0);
  std::vector<char> sense(nr);
  std::vector<int64_t> beg(nc);
  std::vector<int> cnt(nc), ind;
  std::vector<double> val;
  bool ranged = false;
  for (int k = 0; k < nc; ++k) {
    const int j = rec.orig_col[k];
    obj[k] = w.objsense * w.cost[j];
    // Frozen columns keep their own bounds (a semi-continuous column's
    // span in the work is not its domain).
    lb[k] = w.frozen[j] ? p.lower(j) : to_user_bound(w.lb[j]);
    ub[k] = w.frozen[j] ? p.upper(j) : to_user_bound(w.ub[j]);
    beg[k] = static_cast<int64_t>(ind.size());
    for (int64_t e = w.cbeg[j]; e < w.cbeg[j + 1]; ++e) {
      const int row = rec.row_map[w.cidx[e]];
      if (row < 0) continue;
      ind.push_back(row);
      val.push_back(w.cval[e]);
    }
    cnt[k] = static_cast<int>(ind.size() - beg[k]);
  }
  for (int k = 0; k < nr; ++k) {
    const int i = rec.orig_row[k];
    const double lo = w.rlo[i], hi = w.rhi[i];
    if (lo == hi) {
      sense[k] = 'E';
      rhs[k] = lo;
    } else if (lo > -kInf && hi < kInf) {
      sense[k] = 'R';
      rhs[k] = lo;
      range[k] = hi - lo;
      ranged = true;
    } else if (lo > -kInf) {
      sense[k] = 'G';
      rhs[k] = lo;
    } else {
      sense[k] = 'L';
      rhs[k] = hi;
    }
  }
  const std::vector<const char*> colnames = names_of(rec.orig_col, [&](int j) { return p.col_name(j); });
  const std::vector<const char*> rownames = names_of(rec.orig_row, [&](int i) { return p.row_name(i); });

  Problem* red = new_owned_problem(env);
  rec.reduced = red;
  red->lp.name = p.lp.name;
  red->lp.objname = p.lp.objname;
  const int code = model::copy_lp(env, *red, nc, nr, w.objsense, obj.data(), rhs.data(), sense.data(), beg.data(),
                                  cnt.data(), ind.data(), val.data(), lb.data(), ub.data(),
                                  ranged ? range.data() : nullptr, colnames.empty() ? nullptr : colnames.data(),
                                  rownames.empty() ? nullptr : rownames.data());
  if (code != 0) return code < 0 ? -code : code;
  return w.mip ? carry_mip_parts(env, p, w, rec, *red) : 0;
}

// The columns and rows that the last presolved problem also had take the
// statuses they ended with there: a basis of the presolved problem stays
// one when presolve removes the same items again, which mapping the
// original basis forward cannot promise.
void take_presolved_statuses(const PresolvedBasis& kept, const PresolveRecord& rec, Basis& crushed) {
  std::vector<int> old_col(static_cast<size_t>(rec.orig_cols), -1), old_row(static_cast<size_t>(rec.orig_rows), -1);
  for (size_t k = 0; k < kept.orig_col.size(); ++k) old_col[kept.orig_col[k]] = static_cast<int>(k);
  for (size_t k = 0; k < kept.orig_row.size(); ++k) old_row[kept.orig_row[k]] = static_cast<int>(k);
  for (size_t k = 0; k < rec.orig_col.size(); ++k)
    if (const int old = old_col[rec.orig_col[k]]; old >= 0) crushed.cstat[k] = kept.cstat[old];
  for (size_t k = 0; k < rec.orig_row.size(); ++k)
    if (const int old = old_row[rec.orig_row[k]]; old >= 0) crushed.rstat[k] = kept.rstat[old];
}

// A basis of the original problem carried into the reduced one, so that a
// warm start survives presolve.
void crush_basis(Problem& p, PresolveRecord& rec) {
  const Basis* b = p.derived.basis.get();
  if (!b || !rec.reduced || b->cstat.size() != static_cast<size_t>(rec.orig_cols) ||
      b->rstat.size() != static_cast<size_t>(rec.orig_rows))
    return;
  const simplex::LpSolution* sol = simplex::find_lp_solution(p);
  const double* x = sol && sol->has_primal && sol->x.size() == b->cstat.size() ? sol->x.data() : nullptr;
  auto crushed = std::make_unique<Basis>();
  crushed->cstat.resize(rec.orig_col.size());
  crushed->rstat.resize(rec.orig_row.size());
  for (size_t k = 0; k < rec.orig_col.size(); ++k) crushed->cstat[k] = b->cstat[rec.orig_col[k]];
  // A column that took over the dual of its singleton row is basic in the
  // original basis but sits at the bound that row gave it in the reduced one.
  for (const Reduction& r : rec.stack) {
    if (r.kind != ReductionKind::SingletonRow || rec.col_map[r.col] < 0) continue;
    if (b->rstat[r.row] == KRV_BASIC || b->cstat[r.col] != KRV_BASIC) continue;
    // The last solution tells which bound; the row's sense is the guess
    // without one (an absorbed slack may have widened an equality).
    bool at_upper;
    if (x && r.ub < kInf && r.lb > -kInf) {
      at_upper = std::fabs(x[r.col] - r.ub) < std::fabs(x[r.col] - r.lb);
    } else if (r.ub < kInf && r.lb > -kInf) {
      const char sense = p.sense(r.row);
      bool at_low_end = sense == 'G' || sense == 'E';
      if (sense == 'R') at_low_end = (b->rstat[r.row] == KRV_AT_LOWER) == (p.range(r.row) >= 0);
      at_upper = (r.a > 0) != at_low_end;
    } else {
      at_upper = r.ub < kInf;
    }
    crushed->cstat[rec.col_map[r.col]] = at_upper ? KRV_AT_UPPER : KRV_AT_LOWER;
  }
  for (size_t k = 0; k < rec.orig_row.size(); ++k) {
    int st = b->rstat[rec.orig_row[k]];
    // The far end of a range exists only for rows that stayed ranged.
    if (st == KRV_AT_UPPER && rec.reduced->sense(static_cast<int>(k)) != 'R') st = KRV_AT_LOWER;
    crushed->rstat[k] = st;
  }
  // A row that absorbed a slack column, or kept the bounds of the column
  // it substituted out, is basic when the column was, else at the end of
  // its range that the column's bound gives.
  for (const Reduction& r : rec.stack) {
    if (r.kind != ReductionKind::SlackSingleton && r.kind != ReductionKind::Aggregate) continue;
    const int row = rec.row_map[r.row];
    if (row < 0) continue;
    int col_status = b->cstat[r.col];
    if (x) {
      // Where the column sits decides, whatever its status says.
      const double tol = 1e-9 * (1.0 + std::fabs(x[r.col]));
      if (r.lb > -kInf && std::fabs(x[r.col] - r.lb) <= tol)
        col_status = KRV_AT_LOWER;
      else if (r.ub < kInf && std::fabs(x[r.col] - r.ub) <= tol)
        col_status = KRV_AT_UPPER;
      else
        col_status = KRV_BASIC;
    }
    int st = KRV_BASIC;
    if (col_status != KRV_BASIC) {
      const bool at_upper_end = (col_status == KRV_AT_UPPER) != (r.a > 0);
      st = rec.reduced->sense(row) == 'R' && at_upper_end ? KRV_AT_UPPER : KRV_AT_LOWER;
    }
    crushed->rstat[row] = st;
  }
  if (const PresolvedBasis* kept = b->presolved.get())
    if (kept->orig_cstat == b->cstat && kept->orig_rstat == b->rstat) take_presolved_statuses(*kept, rec, *crushed);
  rec.reduced->derived.basis = std::move(crushed);
}

// The problem kind the summary names.
const char* problem_kind(const Problem& p) {
  const bool integer = p.type == KRVPROB_MILP || p.type == KRVPROB_MIQP || p.type == KRVPROB_MIQCP;
  if (p.qcons && !p.qcons->list.empty()) return integer ? "MIQCP" : "QCP";
  if (p.quad && p.quad->q.nonzeros() > 0) return integer ? "MIQP" : "QP";
  return integer ? "MIP" : "LP";
}

// The lines that describe the parts of a reduced problem beyond its LP data.
void reduced_parts(Channel* out, const char* kind, const Problem& red) {
  if (red.mip) {
    long long binaries = 0, generals = 0;
    for (char t : red.mip->ctype) {
      binaries += t == 'B';
      generals += t == 'I' || t == 'N';
    }
    const auto sos = static_cast<long long>(red.mip->sos.size());
    const auto indicators = static_cast<long long>(red.mip->indicators.size());
    if (binaries + generals + sos + indicators > 0)
      msg(out, "Reduced %s has %lld binaries, %lld generals, %lld SOSs, and %lld indicators.\n", kind, binaries,
          generals, sos, indicators);
  }
  if (red.quad && red.quad->q.nonzeros() > 0)
    msg(out, "Reduced %s objective Q matrix has %lld nonzeros.\n", kind,
        static_cast<long long>(red.quad->q.nonzeros()));
  if (red.qcons && !red.qcons->list.empty())
    msg(out, "Reduced %s has %lld quadratic constraints.\n", kind,
        static_cast<long long>(red.qcons->list.size()));
}

void summary(Environment& env, const Problem& p, const PresolveRecord& rec, bool second) {
  Channel* out = env.results();
  const PresolveCounters& c = rec.counters;
  const char* kind = problem_kind(p);
  if (c.substitutions > 0) {
    if (c.aggregator_passes == 1)
      msg(out, "Tried aggregator 1 time.\n");
    else
      msg(out, "Tried aggregator %d times.\n", static_cast<int>(c.aggregator_passes));
  }
  const bool eliminated = c.rows_removed > 0 || c.cols_removed > 0;
  const bool added = c.rows_added > 0 || c.cols_added > 0;
  if (second) {
    // The presolve of a presolved mixed-integer problem.
    if (eliminated) msg(out, "Reduced presolve eliminated %lld rows and %lld columns.\n", c.rows_removed, c.cols_removed);
    if (added) msg(out, "Reduced presolve added %lld rows and %lld columns.\n", c.rows_added, c.cols_added);
  } else {
    if (eliminated)
      msg(out, "%s Presolve eliminated %lld rows and %lld columns.\n", kind, c.rows_removed, c.cols_removed);
    if (added) msg(out, "%s Presolve added %lld rows and %lld columns.\n", kind, c.rows_added, c.cols_added);
  }
  const bool integer = kind[0] == 'M';  // "MIP", "MIQP", "MIQCP"
  if (integer && c.coefs_modified > 0) msg(out, "%s Presolve modified %lld coefficients.\n", kind, c.coefs_modified);
  if (c.substitutions > 0) msg(out, "Aggregator did %lld substitutions.\n", c.substitutions);
  if (!eliminated && c.substitutions == 0 && c.bound_improvements == 0 && c.coefs_modified == 0)
    msg(out, "No %s presolve or aggregator reductions.\n", kind);
  if (rec.everything_removed) {
    msg(out, "All rows and columns eliminated.\n");
  } else if (rec.reduced) {
    msg(out, "Reduced %s has %lld rows, %lld columns, and %lld nonzeros.\n", kind,
        static_cast<long long>(rec.reduced->num_rows()), static_cast<long long>(rec.reduced->num_cols()),
        static_cast<long long>(rec.reduced->num_nonzeros()));
    reduced_parts(out, kind, *rec.reduced);
  }
}

// Rows per column after presolve from which the dual formulation is
// formed automatically; 0 turns the automatic choice off. It is off: on the
// LP collection the dual formulation was nowhere clearly faster, also not
// on the few models with more rows than columns after presolve (agg 2.7,
// agg2 1.5, kb2 1.3, share2b and israel 1.2 rows per column), and much
// slower on models with many more columns than rows (fit2d, dfl001,
// d2q06c, pilot), so the automatic choice never forms it.
constexpr double kAutoDualRowRatio = 0.0;

bool wants_dual(const PresolveSettings& settings, size_t rows, size_t cols) {
  if (rows == 0 || cols == 0) return false;
  if (settings.dual_form == 1) return true;
  if (settings.dual_form != 0 || kAutoDualRowRatio <= 0.0) return false;
  return static_cast<double>(rows) >= kAutoDualRowRatio * static_cast<double>(cols);
}

// Replaces the reduced problem by its dual formulation; a basis crushed
// into the reduced problem becomes the complementary basis of the dual.
int form_dual(Environment& env, PresolveRecord& rec) {
  auto df = std::make_shared<DualFormulation>();
  Problem* dual = new_owned_problem(env);
  if (int code = build_dual_formulation(env, *rec.reduced, *dual, *df)) {
    free_owned_problem(dual);
    return code;
  }
  if (const Basis* b = rec.reduced->derived.basis.get()) {
    auto db = std::make_unique<Basis>();
    if (dual_basis_from_primal(*df, *rec.reduced, b->cstat.data(), b->rstat.data(), db->cstat, db->rstat))
      dual->derived.basis = std::move(db);
  }
  free_owned_problem(rec.reduced);
  rec.reduced = dual;
  rec.dual_formulation = true;
  rec.dual = std::move(df);
  return 0;
}

bool improves_towards_infinity(const Problem& p) {
  for (int j = 0; j < p.num_cols(); ++j) {
    const double c = p.objsense() * p.obj(j);
    if ((c > 0 && p.lower(j) <= -kInfinity) || (c < 0 && p.upper(j) >= kInfinity)) return true;
  }
  return false;
}

// The reductions, counters and maps of a finished working copy.
void take_reductions(PresolveWork& w, const PresolveSettings& settings, PresolveRecord& rec) {
  rec.settings = settings;
  rec.counters = w.counters;
  rec.offset = w.offset;
  rec.stack = std::move(w.stack);
  build_maps(w, rec);
}

// The record presolve leaves in the problem: it takes the problem's bound
// changes when it can and asks to be dropped otherwise.
struct KeptRecord final : PresolveRecord {
  bool carry_bounds(Environment& env, const Problem& owner, int count, const int* cols, const double* old_lb,
                    const double* old_ub) override {
    if (carry_bound_changes(*this, owner, count, cols, old_lb, old_ub)) return true;
    if (valid) msg(env.warning(), "Warning: Changing bounds of the presolved model fails.\n");
    return false;
  }
};

}  // namespace

bool is_verdict(int code) {
  switch (code) {
    case kPresolveInfeasible:
    case kPresolveUnbounded:
    case kPresolveInfOrUnbd:
    case kPresolveAborted:
    case kPresolveTimeLimit:
    case kPresolveDetTimeLimit:
      return true;
    default:
      return false;
  }
}

int verdict_status(const Problem& p, int code) {
  switch (code) {
    case kPresolveInfeasible:
      return 3;
    case kPresolveUnbounded:
      return 2;
    case kPresolveInfOrUnbd:
      return improves_towards_infinity(p) ? 4 : 3;
    case kPresolveAborted:
      return 13;
    case kPresolveTimeLimit:
      return 11;
    case kPresolveDetTimeLimit:
      return 25;
    default:
      return 0;
  }
}

PresolveSettings settings_from_params(Environment& env, int method, bool messages) {
  PresolveSettings s;
  s.method = method;
  s.passes = env.int_param(KRV_PARAM_PREPASS);
  s.reduce = env.int_param(KRV_PARAM_REDUCE);
  s.linear = env.int_param(KRV_PARAM_PRELINEAR);
  s.aggregate = env.int_param(KRV_PARAM_AGGIND);
  s.agg_fill = env.int_param(KRV_PARAM_AGGFILL);
  s.dependent = env.int_param(KRV_PARAM_DEPIND);
  s.dual_form = env.int_param(KRV_PARAM_PREDUAL);
  s.messages = messages;
  return s;
}

int presolve_lp(Environment& env, Problem& p, const PresolveSettings& settings, bool copy_unchanged) {
  p.derived.presolve.reset();
  PresolveWork w;
  w.load(p);
  if (int code = run_reductions(env, p, w, settings)) return code;

  auto rec = std::make_unique<KeptRecord>();
  take_reductions(w, settings, *rec);
  const bool unchanged = rec->stack.empty() && w.counters.bound_improvements == 0;
  const bool dual = wants_dual(settings, rec->orig_row.size(), rec->orig_col.size());
  if (unchanged && !copy_unchanged && !dual) {
    if (settings.messages) summary(env, p, *rec, false);
    return 0;
  }
  if (rec->orig_col.empty() && rec->orig_row.empty()) {
    rec->everything_removed = true;
  } else {
    if (int code = build_reduced(env, p, w, *rec)) return code;
    crush_basis(p, *rec);
    if (dual) {
      if (int code = form_dual(env, *rec)) return code;
      if (settings.messages) msg(env.results(), "DUAL formed by presolve\n");
    }
  }
  apply_map_codes(p, *rec);
  if (settings.messages) summary(env, p, *rec, false);
  p.derived.presolve = std::move(rec);
  return 0;
}

int presolve_mip(Environment& env, Problem& p, const PresolveSettings& settings, bool second, bool copy_unchanged) {
  p.derived.presolve.reset();
  PresolveWork w;
  w.load(p);
  if (int code = run_reductions(env, p, w, settings)) return code;

  // Bound changes of the original are not carried into the reduced
  // problem: its integer reductions may rest on the bounds that change.
  auto rec = std::make_unique<PresolveRecord>();
  take_reductions(w, settings, *rec);
  const bool unchanged = rec->stack.empty() && w.counters.bound_improvements == 0 && w.counters.coefs_modified == 0 &&
                         w.counters.implied_integers == 0;
  if (unchanged && !copy_unchanged) {
    if (settings.messages) summary(env, p, *rec, second);
    return 0;
  }
  if (rec->orig_col.empty() && rec->orig_row.empty()) {
    rec->everything_removed = true;
  } else if (int code = build_reduced(env, p, w, *rec)) {
    return code;
  }
  // Continuous columns found integral: a presolve that starts from them
  // as integers may get further, so the reduced problem gets a search of
  // its own.
  rec->nested_search = !second && w.counters.implied_integers > 0 && rec->reduced;
  apply_map_codes(p, *rec);
  if (settings.messages) summary(env, p, *rec, second);
  p.derived.presolve = std::move(rec);
  return 0;
}

}  // namespace korva::presolve
