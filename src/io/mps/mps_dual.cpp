// KRVdualwrite: the dual of a linear program, written as MPS.
//
// The primal is taken as a minimisation (a maximisation's objective is
// negated): min c'x subject to the rows and l <= x <= u. Columns fixed by
// their bounds are substituted out; their objective contribution is the
// shift returned to the caller. A ranged row lo <= a'x <= hi becomes the
// equation a'x - s = lo with a slack 0 <= s <= hi - lo, named "Rg" and the
// row's name. The dual is the maximisation
//
//   max  sum b_i y_i + sum l_j w_j - sum u_j v_j
//   s.t. sum_i a_ij y_i + w_j - v_j = c_j   for every remaining column j,
//
// with y_i (named c<i>) <= 0 for L rows, >= 0 for G rows and free for E
// rows, and w_j >= 0 (l<j>), v_j >= 0 (u<j>) only for finite bounds. So the
// primal optimum is the dual optimum plus the shift (negated back for a
// maximisation).
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "env/channel.h"
#include "io/mps/mps.h"
#include "io/model_view.h"
#include "io/mps/mps_errors.h"
#include "io/mps/mps_writer.h"
#include "model/model.h"
#include "model/name_store.h"

namespace korva::mps {
namespace {

constexpr double kInf = 1e20;

struct DualModel {
  // Dual columns.
  std::vector<double> obj, lb, ub;
  std::vector<std::string> col_names;
  std::vector<int64_t> begin;
  std::vector<int> count, index;
  std::vector<double> value;
  // Dual rows (one per remaining primal column and per range slack).
  std::vector<double> rhs;
  std::vector<std::string> row_names;
  double shift = 0.0;

  void add_column(std::string name, double cost, double lower, double upper) {
    col_names.push_back(std::move(name));
    obj.push_back(cost);
    lb.push_back(lower);
    ub.push_back(upper);
    begin.push_back(static_cast<int64_t>(index.size()));
    count.push_back(0);
  }
  void add_entry(int row, double v) {
    index.push_back(row);
    value.push_back(v);
    ++count.back();
  }
};

// Default names of the dual's columns: c1, c2, ... for the rows' duals,
// l and u with the column's 1-based number for the bound duals.
enum class DualName { Row, Lower, Upper };
std::string numbered(DualName kind, int64_t index) {
  char buffer[32];
  const long long number = static_cast<long long>(index + 1);
  switch (kind) {
    case DualName::Row: std::snprintf(buffer, sizeof buffer, "c%lld", number); break;
    case DualName::Lower: std::snprintf(buffer, sizeof buffer, "l%lld", number); break;
    case DualName::Upper: std::snprintf(buffer, sizeof buffer, "u%lld", number); break;
  }
  return buffer;
}

void build_dual(Environment& env, Problem& lp, DualModel& d) {
  const int m = lp.num_rows();
  const int n = lp.num_cols();
  const double sign = lp.objsense() < 0 ? -1.0 : 1.0;
  const RowCopy& rows = lp.row_copy();

  // Dual rows: the columns that are not fixed, then the range slacks.
  std::vector<int> dual_row(n, -1);
  std::vector<double> b(m);
  for (int i = 0; i < m; ++i) b[i] = lp.rhs(i);
  for (int j = 0; j < n; ++j) {
    if (lp.lower(j) == lp.upper(j) && lp.lower(j) > -kInf && lp.lower(j) < kInf) {
      const double x = lp.lower(j);
      d.shift += sign * lp.obj(j) * x;
      const SparseSpan column = lp.column(j);
      for (int k = 0; k < column.size(); ++k) b[column.index[k]] -= column.value[k] * x;
      continue;
    }
    dual_row[j] = static_cast<int>(d.rhs.size());
    d.rhs.push_back(sign * lp.obj(j));
    d.row_names.push_back(model::col_name(env, lp, j));
  }

  for (int i = 0; i < m; ++i) {
    const char sense = lp.sense(i);
    double cost = b[i];
    double lower = sense == 'G' ? 0.0 : -kInf;
    double upper = sense == 'L' ? 0.0 : kInf;
    int slack_row = -1;
    if (sense == 'R') {
      const double r = lp.range(i);
      cost = r >= 0 ? b[i] : b[i] + r;  // the lower end of the interval
      lower = -kInf;
      upper = kInf;
      slack_row = static_cast<int>(d.rhs.size());
      d.rhs.push_back(0.0);
      d.row_names.push_back("Rg" + model::row_name(env, lp, i));
    }
    d.add_column(numbered(DualName::Row, i), cost, lower, upper);
    for (int64_t k = rows.begin[i]; k < rows.begin[i + 1]; ++k)
      if (dual_row[rows.index[k]] >= 0) d.add_entry(dual_row[rows.index[k]], rows.value[k]);
    if (slack_row >= 0) d.add_entry(slack_row, -1.0);
  }

  // Bound duals of the columns, then of the range slacks (numbered after
  // the columns).
  int64_t slack = n;
  auto bound_duals = [&](int64_t number, int row, double lower, double upper, double column_sign) {
    if (lower > -kInf) {
      d.add_column(numbered(DualName::Lower, number), lower, 0.0, kInf);
      d.add_entry(row, column_sign);
    }
    if (upper < kInf) {
      d.add_column(numbered(DualName::Upper, number), -upper, 0.0, kInf);
      d.add_entry(row, -column_sign);
    }
  };
  for (int j = 0; j < n; ++j)
    if (dual_row[j] >= 0) bound_duals(j, dual_row[j], lp.lower(j), lp.upper(j), 1.0);
  int slack_row = 0;
  for (int j = 0; j < n; ++j) slack_row += dual_row[j] >= 0;
  for (int i = 0; i < m; ++i)
    if (lp.sense(i) == 'R') bound_duals(slack++, slack_row++, 0.0, std::abs(lp.range(i)), 1.0);
}

struct ProblemDeleter {
  void operator()(Problem* p) const { model::free_problem(p); }
};

}  // namespace

int write_dual_mps(Environment& env, Problem& lp, const char* filename, double* objshift) {
  if (int status = model::complete(env, lp)) return status;
  if (lp.is_mip()) return code::kMipNotAvailable;
  if (lp.quad && lp.quad->q.nonzeros() > 0) return code::kQpNotAvailable;
  if (model::num_qconstraints(lp) > 0) return code::kQcpNotAvailable;

  DualModel d;
  build_dual(env, lp, d);
  if (objshift) *objshift = d.shift;

  DualHeader header{lp.lp.name, d.shift};
  int status = 0;
  std::unique_ptr<Problem, ProblemDeleter> dual(
      model::create_problem(env, (lp.lp.name + ".dual").c_str(), &status));
  if (status) return status;

  const int ncols = static_cast<int>(d.obj.size());
  const int nrows = static_cast<int>(d.rhs.size());
  std::vector<char> sense(nrows, 'E');
  std::vector<const char*> col_names(ncols), row_names(nrows);
  for (int j = 0; j < ncols; ++j) col_names[j] = d.col_names[j].c_str();
  for (int i = 0; i < nrows; ++i) row_names[i] = d.row_names[i].c_str();
  status = model::copy_lp(env, *dual, ncols, nrows, -1, d.obj.data(), d.rhs.data(), sense.data(),
                          d.begin.data(), d.count.data(), d.index.data(), d.value.data(),
                          d.lb.data(), d.ub.data(), nullptr, col_names.data(), row_names.data());
  if (status) return status;
  msg(env.warning(), "Default variable names c1, c2 ... being created.\n");
  const ModelView view(env, *dual, false);
  if (int status = view.status()) return status;
  return write_mps_view(env, view, filename, &header);
}

}  // namespace korva::mps
