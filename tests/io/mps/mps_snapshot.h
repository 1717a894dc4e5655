// Everything a model file carries, read from a problem through the C
// interface, so that two problems (the original and what a file gave back)
// can be compared.
#pragma once
#include <gtest/gtest.h>
#include <korva/korva.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace mps_test {

struct Snapshot {
  int objsense = 0;
  std::vector<double> obj, lb, ub, rhs, range;
  std::string sense, ctype;
  std::vector<int> matbeg, matind;
  std::vector<double> matval;
  std::vector<std::string> col_names, row_names;
  std::string sos_types;
  std::vector<int> sos_beg, sos_ind;
  std::vector<double> sos_wt;
  int indicators = 0, user_cuts = 0, lazy_constraints = 0;
  std::vector<int> quad_beg, quad_ind;
  std::vector<double> quad_val;
};

namespace detail {

inline std::vector<std::string> names(KRVenv env, KRVprob lp, bool rows, int count) {
  if (count == 0) return {};
  auto get = rows ? KRVgetrowname : KRVgetcolname;
  int surplus = 0;
  get(env, lp, nullptr, nullptr, 0, &surplus, 0, count - 1);
  if (surplus >= 0) return {};  // no names stored
  std::vector<char*> name(count);
  std::vector<char> store(-surplus);
  EXPECT_EQ(get(env, lp, name.data(), store.data(), -surplus, &surplus, 0, count - 1), 0);
  return std::vector<std::string>(name.begin(), name.end());
}

inline void expect_close(const std::vector<double>& a, const std::vector<double>& b,
                         double tolerance, const char* what) {
  ASSERT_EQ(a.size(), b.size()) << what;
  for (size_t k = 0; k < a.size(); ++k) {
    if (std::fabs(a[k]) >= 1e20 && std::fabs(b[k]) >= 1e20 && (a[k] > 0) == (b[k] > 0)) continue;
    if (tolerance == 0) {
      ASSERT_EQ(a[k], b[k]) << what << " " << k;
    } else {
      ASSERT_LE(std::fabs(a[k] - b[k]), tolerance * std::max(1.0, std::fabs(a[k])))
          << what << " " << k;
    }
  }
}

}  // namespace detail

// Reads the model of `lp` through the C interface.
inline Snapshot snapshot(KRVenv env, KRVprob lp) {
  Snapshot s;
  const int n = KRVgetnumcols(env, lp);
  const int m = KRVgetnumrows(env, lp);
  s.objsense = KRVgetobjsen(env, lp);
  s.obj.resize(n);
  s.lb.resize(n);
  s.ub.resize(n);
  s.rhs.resize(m);
  s.range.resize(m);
  s.sense.resize(m);
  if (n > 0) {
    KRVgetobj(env, lp, s.obj.data(), 0, n - 1);
    KRVgetlb(env, lp, s.lb.data(), 0, n - 1);
    KRVgetub(env, lp, s.ub.data(), 0, n - 1);
  }
  if (m > 0) {
    KRVgetrhs(env, lp, s.rhs.data(), 0, m - 1);
    KRVgetsense(env, lp, s.sense.data(), 0, m - 1);
    if (KRVgetrngval(env, lp, s.range.data(), 0, m - 1) != 0) s.range.assign(m, 0.0);
  }
  if (n > 0) {
    int nz = 0, surplus = 0;
    s.matbeg.resize(n);
    KRVgetcols(env, lp, &nz, s.matbeg.data(), nullptr, nullptr, 0, &surplus, 0, n - 1);
    s.matind.resize(-surplus);
    s.matval.resize(-surplus);
    EXPECT_EQ(KRVgetcols(env, lp, &nz, s.matbeg.data(), s.matind.data(), s.matval.data(),
                         -surplus, &surplus, 0, n - 1),
              0);
    if (KRVgetprobtype(env, lp) != KRVPROB_LP && KRVgetprobtype(env, lp) != KRVPROB_QP) {
      s.ctype.resize(n);
      KRVgetctype(env, lp, s.ctype.data(), 0, n - 1);
    }
  }
  s.col_names = detail::names(env, lp, false, n);
  s.row_names = detail::names(env, lp, true, m);

  const int nsos = KRVgetnumsos(env, lp);
  if (nsos > 0) {
    int nz = 0, surplus = 0;
    s.sos_types.resize(nsos);
    s.sos_beg.resize(nsos);
    KRVgetsos(env, lp, &nz, s.sos_types.data(), s.sos_beg.data(), nullptr, nullptr, 0, &surplus,
              0, nsos - 1);
    s.sos_ind.resize(-surplus);
    s.sos_wt.resize(-surplus);
    KRVgetsos(env, lp, &nz, s.sos_types.data(), s.sos_beg.data(), s.sos_ind.data(),
              s.sos_wt.data(), -surplus, &surplus, 0, nsos - 1);
  }
  s.indicators = KRVgetnumindconstrs(env, lp);
  s.user_cuts = KRVgetnumusercuts(env, lp);
  s.lazy_constraints = KRVgetnumlazyconstraints(env, lp);
  if (n > 0 && KRVgetnumqpnz(env, lp) > 0) {
    int nz = 0, surplus = 0;
    s.quad_beg.resize(n);
    KRVgetquad(env, lp, &nz, s.quad_beg.data(), nullptr, nullptr, 0, &surplus, 0, n - 1);
    s.quad_ind.resize(-surplus);
    s.quad_val.resize(-surplus);
    KRVgetquad(env, lp, &nz, s.quad_beg.data(), s.quad_ind.data(), s.quad_val.data(), -surplus,
               &surplus, 0, n - 1);
  }
  return s;
}

// Compares with an absolute-or-relative tolerance on every number (0:
// bit-identical); infinite bounds (beyond 1e20) compare as equal.
inline void expect_same(const Snapshot& a, const Snapshot& b, double tolerance) {
  EXPECT_EQ(a.objsense, b.objsense);
  detail::expect_close(a.obj, b.obj, tolerance, "obj");
  detail::expect_close(a.lb, b.lb, tolerance, "lb");
  detail::expect_close(a.ub, b.ub, tolerance, "ub");
  detail::expect_close(a.rhs, b.rhs, tolerance, "rhs");
  detail::expect_close(a.range, b.range, tolerance, "range");
  EXPECT_EQ(a.sense, b.sense);
  EXPECT_EQ(a.ctype, b.ctype);
  EXPECT_EQ(a.matbeg, b.matbeg);
  EXPECT_EQ(a.matind, b.matind);
  detail::expect_close(a.matval, b.matval, tolerance, "matval");
  EXPECT_EQ(a.col_names, b.col_names);
  EXPECT_EQ(a.row_names, b.row_names);
  EXPECT_EQ(a.sos_types, b.sos_types);
  EXPECT_EQ(a.sos_beg, b.sos_beg);
  EXPECT_EQ(a.sos_ind, b.sos_ind);
  detail::expect_close(a.sos_wt, b.sos_wt, tolerance, "sos weights");
  EXPECT_EQ(a.indicators, b.indicators);
  EXPECT_EQ(a.user_cuts, b.user_cuts);
  EXPECT_EQ(a.lazy_constraints, b.lazy_constraints);
  EXPECT_EQ(a.quad_beg, b.quad_beg);
  EXPECT_EQ(a.quad_ind, b.quad_ind);
  detail::expect_close(a.quad_val, b.quad_val, tolerance, "quadratic");
}

}  // namespace mps_test
