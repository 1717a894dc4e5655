#include "presolve/dual_formulation.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "model/model.h"
#include "presolve/presolve_work.h"

namespace korva::presolve {

namespace {

double user_bound(double b) {
  if (b == kInf) return kInfinity;
  if (b == -kInf) return -kInfinity;
  return b;
}

}  // namespace

int build_dual_formulation(Environment& env, const Problem& lp, Problem& dual, DualFormulation& df) {
  const int n = lp.num_cols(), m = lp.num_rows();
  const double s = lp.objsense();
  df = DualFormulation{};
  df.rows = m;
  df.cols = n;
  df.objsense = lp.objsense();
  df.shift.assign(n, 0.0);
  df.sign.assign(n, 1);
  df.bound_col.assign(n, -1);
  df.pos_col.assign(m, -1);
  df.neg_col.assign(m, -1);

  // Row j of the dual formulation, one per LP column.
  std::vector<double> drhs(n);
  std::vector<char> dsense(n);
  std::vector<double> lo(m), hi(m);
  for (int i = 0; i < m; ++i) row_bounds(lp, i, &lo[i], &hi[i]);
  std::vector<int> row_count(m, 0);
  int boxed = 0;
  for (int j = 0; j < n; ++j) {
    const double l = to_work_bound(lp.lower(j)), u = to_work_bound(lp.upper(j));
    const double c = s * lp.obj(j);
    if (l > -kInf) {
      df.shift[j] = l;
      if (u < kInf) ++boxed;
    } else if (u < kInf) {
      df.shift[j] = u;
      df.sign[j] = -1;
    }
    dsense[j] = l == -kInf && u == kInf ? 'E' : 'L';
    drhs[j] = df.sign[j] * c;
    df.constant += c * df.shift[j];
    const SparseSpan col = lp.column(j);
    for (int k = 0; k < col.size(); ++k) {
      const int i = col.index[k];
      ++row_count[i];
      if (df.shift[j] != 0.0) {
        if (lo[i] > -kInf) lo[i] -= col.value[k] * df.shift[j];
        if (hi[i] < kInf) hi[i] -= col.value[k] * df.shift[j];
      }
    }
  }

  // Columns: the duals of the LP rows, then the duals of the upper bounds.
  std::vector<double> dobj, dlb, dub;
  std::vector<int> owner;  // per dual column: its LP row (or −1 − column for w)
  std::vector<signed char> flip;
  for (int i = 0; i < m; ++i) {
    const bool has_lo = lo[i] > -kInf, has_hi = hi[i] < kInf;
    const auto add = [&](double obj, double lb, double ub, signed char f) {
      dobj.push_back(obj);
      dlb.push_back(lb);
      dub.push_back(ub);
      owner.push_back(i);
      flip.push_back(f);
      return static_cast<int>(dobj.size()) - 1;
    };
    if (has_lo && has_hi && lo[i] == hi[i]) {
      df.pos_col[i] = add(-lo[i], -kInfinity, kInfinity, 1);
    } else if (has_lo && has_hi) {
      df.pos_col[i] = add(-lo[i], 0.0, kInfinity, 1);
      df.neg_col[i] = add(hi[i], 0.0, kInfinity, -1);
    } else if (has_lo) {
      df.pos_col[i] = add(-lo[i], 0.0, kInfinity, 1);
    } else if (has_hi) {
      // y ≤ 0 as y⁻ ≥ 0: columns bounded only above slow the simplex down.
      df.neg_col[i] = add(hi[i], 0.0, kInfinity, -1);
    } else {
      // A free row: its dual is 0.
      df.pos_col[i] = add(0.0, 0.0, 0.0, 1);
    }
  }
  const int ycols = static_cast<int>(dobj.size());
  const int dn = ycols + boxed;

  // Column-major matrix of the dual formulation: column of row i holds
  // sign_j·a_ij in row j.
  std::vector<int64_t> beg(dn + 1, 0);
  for (int k = 0; k < ycols; ++k) beg[k + 1] = row_count[owner[k]];
  for (int k = ycols; k < dn; ++k) beg[k + 1] = 1;
  for (int k = 0; k < dn; ++k) beg[k + 1] += beg[k];
  std::vector<int> ind(beg[dn]);
  std::vector<double> val(beg[dn]);
  std::vector<int64_t> fill(beg.begin(), beg.end() - 1);
  int next_w = ycols;
  for (int j = 0; j < n; ++j) {
    const SparseSpan col = lp.column(j);
    for (int k = 0; k < col.size(); ++k) {
      const int i = col.index[k];
      const double a = df.sign[j] * col.value[k];
      for (int dc : {df.pos_col[i], df.neg_col[i]}) {
        if (dc < 0) continue;
        ind[fill[dc]] = j;
        val[fill[dc]++] = flip[dc] * a;
      }
    }
    const double l = to_work_bound(lp.lower(j)), u = to_work_bound(lp.upper(j));
    if (l > -kInf && u < kInf) {
      const int w = next_w++;
      df.bound_col[j] = w;
      dobj.push_back(u - l);
      dlb.push_back(0.0);
      dub.push_back(kInfinity);
      ind[fill[w]] = j;
      val[fill[w]++] = -1.0;
    }
  }
  std::vector<int> cnt(dn);
  for (int k = 0; k < dn; ++k) cnt[k] = static_cast<int>(beg[k + 1] - beg[k]);
  for (double& b : dlb) b = user_bound(b);
  for (double& b : dub) b = user_bound(b);
  dual.lp.name = lp.lp.name;
  const int code = model::copy_lp(env, dual, dn, n, 1, dobj.data(), drhs.data(), dsense.data(), beg.data(),
                                  cnt.data(), ind.data(), val.data(), dlb.data(), dub.data(), nullptr, nullptr,
                                  nullptr);
  return code < 0 ? -code : code;
}

void primal_from_dual(const DualFormulation& df, const double* dual_x, const double* dual_pi, const int* dual_cstat,
                      const int* dual_rstat, PrimalFromDual& out) {
  const int n = df.cols, m = df.rows;
  out.x.assign(n, 0.0);
  out.pi.assign(m, 0.0);
  out.cstat.assign(n, KRV_AT_LOWER);
  out.rstat.assign(m, KRV_AT_LOWER);
  const auto basic_col = [&](int k) { return k >= 0 && dual_cstat && dual_cstat[k] == KRV_BASIC; };
  for (int j = 0; j < n; ++j) {
    const double xp = dual_pi ? -dual_pi[j] : 0.0;
    out.x[j] = df.shift[j] + df.sign[j] * xp;
    const bool slack_basic = dual_rstat && dual_rstat[j] == KRV_BASIC;
    if (!slack_basic && !basic_col(df.bound_col[j])) {
      out.cstat[j] = KRV_BASIC;
    } else if (basic_col(df.bound_col[j]) || df.sign[j] < 0) {
      out.cstat[j] = KRV_AT_UPPER;
    }
  }
  for (int i = 0; i < m; ++i) {
    double y = 0.0;
    if (dual_x && df.pos_col[i] >= 0) y += dual_x[df.pos_col[i]];
    if (dual_x && df.neg_col[i] >= 0) y -= dual_x[df.neg_col[i]];
    out.pi[i] = df.objsense * y;  // user sense
    if (!basic_col(df.pos_col[i]) && !basic_col(df.neg_col[i]))
      out.rstat[i] = KRV_BASIC;
    else if (basic_col(df.neg_col[i]) && df.pos_col[i] >= 0)
      out.rstat[i] = KRV_AT_UPPER;  // the far end of a range
  }
}

bool dual_basis_from_primal(const DualFormulation& df, const Problem& lp, const int* cstat, const int* rstat,
                            std::vector<int>& dual_cstat, std::vector<int>& dual_rstat) {
  const int n = df.cols, m = df.rows;
  int basics = 0;
  for (int j = 0; j < n; ++j) basics += cstat[j] == KRV_BASIC;
  for (int i = 0; i < m; ++i) basics += rstat[i] == KRV_BASIC;
  if (std::abs(basics - m) > std::max(1, m / 100)) return false;
  int dn = 0;
  for (int i = 0; i < m; ++i) dn = std::max(dn, std::max(df.pos_col[i], df.neg_col[i]) + 1);
  for (int j = 0; j < n; ++j) dn = std::max(dn, df.bound_col[j] + 1);
  dual_cstat.assign(dn, KRV_AT_LOWER);
  dual_rstat.assign(n, KRV_AT_LOWER);
  for (int i = 0; i < m; ++i) {
    const int y = df.pos_col[i];
    double lo, hi;
    row_bounds(lp, i, &lo, &hi);
    if (lo == hi) dual_cstat[y] = KRV_FREE_SUPER;
    if (rstat[i] == KRV_BASIC) continue;
    if (df.neg_col[i] >= 0 && (rstat[i] == KRV_AT_UPPER || y < 0))
      dual_cstat[df.neg_col[i]] = KRV_BASIC;
    else
      dual_cstat[y] = KRV_BASIC;
  }
  for (int j = 0; j < n; ++j) {
    if (cstat[j] == KRV_BASIC) continue;
    if (df.bound_col[j] >= 0 && cstat[j] == KRV_AT_UPPER)
      dual_cstat[df.bound_col[j]] = KRV_BASIC;
    else
      dual_rstat[j] = KRV_BASIC;
  }
  return true;
}

}  // namespace korva::presolve
