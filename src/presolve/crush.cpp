#include "presolve/crush.h"

#include <vector>

#include "env/errors.h"
#include "presolve/postsolve.h"
#include "presolve/presolve_work.h"
#include "presolve/reductions.h"

namespace korva::presolve {

int crushable_record(Problem& p, PresolveRecord** rec) {
  *rec = find_record(p);
  if (!*rec || !(*rec)->valid || !(*rec)->reduced) return 1103;  // No presolved problem created
  if (p.qcons) return err::kNotForQcp;
  if (p.quad) return err::kNotForQp;
  return 0;
}

void crush_x(const PresolveRecord& rec, const double* x, double* prex) {
  std::vector<double> merged;
  for (const Reduction& r : rec.stack) {
    if (r.kind != ReductionKind::DuplicateColumn) continue;
    if (merged.empty()) merged.assign(x, x + rec.orig_cols);
    merged[r.other] += r.a * merged[r.col];
  }
  const double* from = merged.empty() ? x : merged.data();
  for (size_t k = 0; k < rec.orig_col.size(); ++k) prex[k] = from[rec.orig_col[k]];
}

void crush_pi(const Problem& p, const PresolveRecord& rec, const double* pi, double* prepi) {
  // In the minimisation sense, forward through the reductions.
  const double s = p.objsense();
  std::vector<double> y(rec.orig_rows);
  for (int i = 0; i < rec.orig_rows; ++i) y[i] = s * pi[i];
  const std::vector<Reduction>& stack = rec.stack;
  for (size_t pos = 0; pos < stack.size(); ++pos) {
    const Reduction& r = stack[pos];
    if (r.kind == ReductionKind::SlackSingleton) {
      // A row that absorbed a slack column prices the column's cost apart.
      y[r.row] -= r.cost / r.a;
    } else if (r.kind == ReductionKind::Aggregate) {
      // The row keeps what remains once the substituted column is priced.
      double priced = r.cost;
      for (int k = 0; k < r.count2; ++k) {
        const Reduction& e = stack[pos + 1 + r.count + k];
        priced -= e.a * y[e.row];
      }
      y[r.row] -= priced / r.a;
    } else if (r.kind == ReductionKind::DuplicateRow) {
      y[r.other] += r.a * y[r.row];
    }
  }
  for (size_t k = 0; k < rec.orig_row.size(); ++k) prepi[k] = s * y[rec.orig_row[k]];
}

int crush_form(const Problem& p, const PresolveRecord& rec, int len, const int* ind, const double* val,
               int* plen, double* offset, int* pind, double* pval) {
  const int n = rec.orig_cols;
  std::vector<double> coef(n, 0.0);
  for (int k = 0; k < len; ++k) {
    if (ind[k] < 0 || ind[k] >= n) return err::kIndexRange;
    coef[ind[k]] += val[k];
  }
  // Forward through the reductions: each removed column is replaced by
  // what it was at that moment, a value or its defining row.
  const RowCopy& rows = p.row_copy();
  std::vector<uint8_t> alive(n, 1);
  double constant = 0.0;
  const std::vector<Reduction>& stack = rec.stack;
  for (size_t pos = 0; pos < stack.size(); ++pos) {
    const Reduction& r = stack[pos];
    if (r.kind == ReductionKind::Aggregate) {
      const double c = coef[r.col];
      alive[r.col] = 0;
      coef[r.col] = 0.0;
      if (c == 0.0) continue;
      constant += c * r.value / r.a;
      for (int k = 0; k < r.count; ++k) {
        const Reduction& e = stack[pos + 1 + k];
        coef[e.col] -= c * e.a / r.a;
      }
    } else if (r.kind == ReductionKind::DuplicateColumn) {
      // c_j·x_j + c_k·x_k = c_j·(x_j + t·x_k) when c_k = t·c_j: exact for
      // forms that weigh the two columns like their costs do.
      coef[r.col] = 0.0;
      alive[r.col] = 0;
    } else if (r.kind == ReductionKind::FixColumn) {
      constant += coef[r.col] * r.value;
      coef[r.col] = 0.0;
      alive[r.col] = 0;
    } else if (r.kind == ReductionKind::FreeSingleton || r.kind == ReductionKind::SlackSingleton) {
      const double c = coef[r.col];
      alive[r.col] = 0;
      coef[r.col] = 0.0;
      if (c == 0.0) continue;
      constant += c * r.value / r.a;
      for (int64_t e = rows.begin[r.row]; e < rows.begin[r.row + 1]; ++e) {
        const int j = rows.index[e];
        if (alive[j]) coef[j] -= c * rows.value[e] / r.a;
      }
    }
  }
  int count = 0;
  for (size_t k = 0; k < rec.orig_col.size(); ++k) {
    const double c = coef[rec.orig_col[k]];
    if (c == 0.0) continue;
    if (pind) pind[count] = static_cast<int>(k);
    if (pval) pval[count] = c;
    ++count;
  }
  *plen = count;
  *offset = constant;
  return 0;
}

void uncrush_x(const Problem& p, const PresolveRecord& rec, const double* prex, double* x) {
  ReducedSolution in;
  in.x = prex;
  OriginalSolution out;
  postsolve(p, rec, in, out);
  for (int j = 0; j < rec.orig_cols; ++j) x[j] = out.x[j];
}

void uncrush_pi(const Problem& p, const PresolveRecord& rec, const double* prepi, double* pi) {
  ReducedSolution in;
  in.pi = prepi;
  OriginalSolution out;
  postsolve(p, rec, in, out);
  for (int i = 0; i < rec.orig_rows; ++i) pi[i] = out.pi[i];
}

int uncrush_form(const PresolveRecord& rec, int plen, const int* pind, const double* pval, int* len,
                 double* offset, int* ind, double* val) {
  const int nred = static_cast<int>(rec.orig_col.size());
  for (int k = 0; k < plen; ++k)
    if (pind[k] < 0 || pind[k] >= nred) return err::kIndexRange;
  for (int k = 0; k < plen; ++k) {
    ind[k] = rec.orig_col[pind[k]];
    val[k] = pval[k];
  }
  *len = plen;
  *offset = 0.0;
  return 0;
}

int basic_presolve(Environment& env, Problem& p, double* lb, double* ub, int* rstat) {
  PresolveSettings settings;
  settings.passes = env.int_param(KRV_PARAM_PREPASS);
  settings.reduce = 1;
  settings.aggregate = 0;
  settings.linear = 0;  // bounds of merged columns would not be the original columns'
  settings.messages = false;
  PresolveWork w;
  w.load(p);
  if (int code = run_reductions(env, p, w, settings)) return code;
  std::vector<double> low = w.lb, up = w.ub;
  for (const Reduction& r : w.stack)
    if (r.kind == ReductionKind::FixColumn) low[r.col] = up[r.col] = r.value;
  for (int j = 0; j < w.n; ++j) {
    // A frozen column's bounds in the work span more than its domain.
    if (lb) lb[j] = w.frozen[j] ? p.lower(j) : low[j] == -kInf ? -kInfinity : low[j];
    if (ub) ub[j] = w.frozen[j] ? p.upper(j) : up[j] == kInf ? kInfinity : up[j];
  }
  if (rstat)
    for (int i = 0; i < w.m; ++i) rstat[i] = w.row_alive[i] ? 0 : 1;
  return 0;
}

}  // namespace korva::presolve
