#include "io/permute_read.h"

#include <numeric>
#include <utility>
#include <vector>

#include "env/channel.h"
#include "env/environment.h"
#include "env/random.h"

namespace korva {
namespace {

bool has_general_constraints(const ReaderArrays& a) {
  return !a.sos.empty() || !a.indicators.empty() || !a.qconstraints.empty() ||
         !a.user_cuts.rhs.empty() || !a.lazy_constraints.rhs.empty();
}

// order[k] is the old position of the entry that moves to position k.
std::vector<int> random_order(Random& random, int n) {
  std::vector<int> order(n);
  std::iota(order.begin(), order.end(), 0);
  for (int k = n - 1; k > 0; --k) {
    const int r = static_cast<int>(random.next() * (k + 1));
    std::swap(order[k], order[r < k ? r : k]);
  }
  return order;
}

template <class T>
void reorder(std::vector<T>& v, const std::vector<int>& order) {
  if (v.size() != order.size()) return;  // optional arrays left empty
  std::vector<T> out;
  out.reserve(v.size());
  for (int old : order) out.push_back(std::move(v[old]));
  v.swap(out);
}

void reorder(ReaderNames& names, const std::vector<int>& order) {
  if (names.size() != order.size()) return;
  ReaderNames out;
  out.reserve(order.size());
  for (int old : order) out.push_back(names[static_cast<size_t>(old)]);
  std::swap(names, out);
}

std::vector<int> inverse(const std::vector<int>& order) {
  std::vector<int> where(order.size());
  for (size_t k = 0; k < order.size(); ++k) where[order[k]] = static_cast<int>(k);
  return where;
}

// The column-major matrix (linear or quadratic) with its columns taken in
// `cols` order and its row indices renamed through `row_where`.
void permute_matrix(std::vector<int64_t>& beg, std::vector<int>& cnt, std::vector<int>& ind,
                    std::vector<double>& val, const std::vector<int>* cols,
                    const std::vector<int>& row_where) {
  const size_t n = beg.size();
  std::vector<int64_t> nbeg(n);
  std::vector<int> ncnt(n), nind;
  std::vector<double> nval;
  nind.reserve(ind.size());
  nval.reserve(val.size());
  for (size_t k = 0; k < n; ++k) {
    const size_t j = cols ? static_cast<size_t>((*cols)[k]) : k;
    nbeg[k] = static_cast<int64_t>(nind.size());
    ncnt[k] = cnt[j];
    for (int64_t p = beg[j]; p < beg[j] + cnt[j]; ++p) {
      nind.push_back(row_where.empty() ? ind[p] : row_where[ind[p]]);
      nval.push_back(val[p]);
    }
  }
  beg.swap(nbeg);
  cnt.swap(ncnt);
  ind.swap(nind);
  val.swap(nval);
}

}  // namespace

void permute_read_model(Environment& env, ReaderArrays& a) {
  const bool cols = env.int_param(kPermuteColumnsParam) != 0;
  const bool rows = env.int_param(kPermuteRowsParam) != 0;
  if (!cols && !rows) return;
  if (has_general_constraints(a)) {
    msg(env.warning(), "Warning: cannot permute problem with general constraints.\n");
    return;
  }
  RestartedRandom restart(env.random);
  const int n = a.num_cols();
  const int m = a.num_rows();
  std::vector<int> col_order, row_where;
  if (rows && m > 1) {
    const std::vector<int> order = random_order(env.random, m);
    reorder(a.row_names, order);
    reorder(a.rhs, order);
    reorder(a.range, order);
    reorder(a.sense, order);
    row_where = inverse(order);
  }
  if (cols && n > 1) {
    col_order = random_order(env.random, n);
    reorder(a.col_names, col_order);
    reorder(a.obj, col_order);
    reorder(a.lb, col_order);
    reorder(a.ub, col_order);
    reorder(a.ctype, col_order);
  }
  if (col_order.empty() && row_where.empty()) return;
  const std::vector<int>* order = col_order.empty() ? nullptr : &col_order;
  permute_matrix(a.matbeg, a.matcnt, a.matind, a.matval, order, row_where);
  if (order) {
    const std::vector<int> col_where = inverse(col_order);
    if (!a.qmatbeg.empty())
      permute_matrix(a.qmatbeg, a.qmatcnt, a.qmatind, a.qmatval, order, col_where);
    reorder(a.qsep, col_order);
    // A basis read with the model moves with its columns and rows.
    reorder(a.cstat, col_order);
  }
  if (!row_where.empty() && a.rstat.size() == static_cast<size_t>(m)) {
    std::vector<int> rstat(m);
    for (int i = 0; i < m; ++i) rstat[row_where[i]] = a.rstat[i];
    a.rstat.swap(rstat);
  }
}

}  // namespace korva
