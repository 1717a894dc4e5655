// The model data the basis-query and sensitivity suites check results
// against: the matrix by columns, bounds, costs and row bounds, read back
// through the C API.
#pragma once
#include <algorithm>
#include <cmath>
#include <vector>

#include "support/korva_test.h"

namespace korva_test {

struct ModelData {
  int n = 0, m = 0, objsense = 1;
  std::vector<int> beg, ind;  // by column, beg has n + 1 entries
  std::vector<double> val, obj, lb, ub, rhs, range;
  std::vector<char> sense;

  // Activity bounds of row i.
  double row_lower(int i) const {
    if (sense[i] == 'L') return -1e20;
    if (sense[i] == 'R') return std::min(rhs[i], rhs[i] + range[i]);
    return rhs[i];
  }
  double row_upper(int i) const {
    if (sense[i] == 'G') return 1e20;
    if (sense[i] == 'R') return std::max(rhs[i], rhs[i] + range[i]);
    return rhs[i];
  }
  // Row i of A times x.
  std::vector<double> times(const std::vector<double>& x) const {
    std::vector<double> ax(static_cast<size_t>(m), 0.0);
    for (int j = 0; j < n; ++j)
      for (int k = beg[j]; k < beg[j + 1]; ++k) ax[ind[k]] += val[k] * x[j];
    return ax;
  }
  // yᵀA over the columns.
  std::vector<double> transposed_times(const std::vector<double>& y) const {
    std::vector<double> z(static_cast<size_t>(n), 0.0);
    for (int j = 0; j < n; ++j)
      for (int k = beg[j]; k < beg[j + 1]; ++k) z[j] += val[k] * y[ind[k]];
    return z;
  }
};

inline ModelData read_model_data(KRVenv env, KRVprob lp) {
  ModelData d;
  d.n = KRVgetnumcols(env, lp);
  d.m = KRVgetnumrows(env, lp);
  d.objsense = KRVgetobjsen(env, lp);
  const int nz = KRVgetnumnz(env, lp);
  d.beg.assign(static_cast<size_t>(d.n) + 1, 0);
  d.ind.resize(static_cast<size_t>(nz) + 1);
  d.val.resize(static_cast<size_t>(nz) + 1);
  int got = 0, surplus = 0;
  if (d.n > 0) KRVgetcols(env, lp, &got, d.beg.data(), d.ind.data(), d.val.data(), nz + 1, &surplus, 0, d.n - 1);
  d.beg[d.n] = got;
  d.obj.resize(d.n);
  d.lb.resize(d.n);
  d.ub.resize(d.n);
  d.rhs.resize(d.m);
  d.range.assign(d.m, 0.0);
  d.sense.resize(d.m);
  if (d.n > 0) {
    KRVgetobj(env, lp, d.obj.data(), 0, d.n - 1);
    KRVgetlb(env, lp, d.lb.data(), 0, d.n - 1);
    KRVgetub(env, lp, d.ub.data(), 0, d.n - 1);
  }
  if (d.m > 0) {
    KRVgetrhs(env, lp, d.rhs.data(), 0, d.m - 1);
    KRVgetsense(env, lp, d.sense.data(), 0, d.m - 1);
    if (std::count(d.sense.begin(), d.sense.end(), 'R') > 0) KRVgetrngval(env, lp, d.range.data(), 0, d.m - 1);
  }
  return d;
}

}  // namespace korva_test
