// Helpers of the mixed-integer suites: small models built through the C
// interface, and an exact reference answer found by enumeration (every
// combination of integer values, semi-continuous on/off, special ordered
// set supports and indicator values, each completed by an LP).
#pragma once
#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "support/korva_test.h"

namespace mip_test {

// A fixture with one problem object for the mixed-integer suites.
class MipTest : public korva_test::EnvTest {
 protected:
  void SetUp() override {
    EnvTest::SetUp();
    int status = 0;
    lp = KRVcreateprob(env, &status, "mip");
    ASSERT_NE(lp, nullptr);
  }
  void TearDown() override {
    if (lp) KRVfreeprob(env, &lp);
    EnvTest::TearDown();
  }
  // Exact answers: no gap tolerance, no log.
  void exact_answers_without_log() {
    ASSERT_EQ(KRVsetdblparam(env, KRV_PARAM_EPGAP, 0.0), 0);
    ASSERT_EQ(KRVsetdblparam(env, KRV_PARAM_EPAGAP, 0.0), 0);
    ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_MIPDISPLAY, 0), 0);
    ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_SIMDISPLAY, 0), 0);
  }
  void read_collection_model(const std::string& name) {
    ASSERT_EQ(KRVreadcopyprob(env, lp, korva_test::data_path("miplib3/" + name + ".mps.gz").c_str(), nullptr), 0)
        << name;
  }
  KRVprob lp = nullptr;
};

struct Row {
  std::vector<std::pair<int, double>> entries;
  char sense = 'L';
  double rhs = 0.0;
};

struct Sos {
  char type = '1';
  std::vector<int> cols;
  std::vector<double> weights;
};

struct Indicator {
  int indicator = 0;
  int complemented = 0;
  Row row;
};

// A small model: columns with bounds, types and costs, rows, sets and
// indicator constraints.
struct SmallMip {
  int objsense = 1;
  std::vector<double> obj, lb, ub;
  std::vector<char> ctype;
  std::vector<Row> rows;
  std::vector<Sos> sets;
  std::vector<Indicator> indicators;

  int num_cols() const { return static_cast<int>(obj.size()); }

  // Loads the model; with `relax` the integrality and the optional parts
  // are left out (an LP).
  int load(KRVenv env, KRVprob lp, bool relax = false) const {
    const int n = num_cols(), m = static_cast<int>(rows.size());
    std::vector<std::vector<std::pair<int, double>>> cols(n);
    std::vector<double> rhs(m);
    std::vector<char> sense(m);
    for (int i = 0; i < m; ++i) {
      rhs[i] = rows[i].rhs;
      sense[i] = rows[i].sense;
      for (const auto& [j, v] : rows[i].entries) cols[j].emplace_back(i, v);
    }
    std::vector<int> beg, cnt, ind;
    std::vector<double> val;
    for (int j = 0; j < n; ++j) {
      beg.push_back(static_cast<int>(ind.size()));
      cnt.push_back(static_cast<int>(cols[j].size()));
      for (const auto& [i, v] : cols[j]) {
        ind.push_back(i);
        val.push_back(v);
      }
    }
    ind.push_back(0);
    val.push_back(0.0);
    if (int code = KRVcopylp(env, lp, n, m, objsense, obj.data(), rhs.data(), sense.data(), beg.data(), cnt.data(),
                             ind.data(), val.data(), lb.data(), ub.data(), nullptr))
      return code;
    if (relax) return 0;
    if (int code = KRVcopyctype(env, lp, ctype.data())) return code;
    for (const Sos& s : sets) {
      const int sbeg = 0;
      if (int code = KRVaddsos(env, lp, 1, static_cast<int>(s.cols.size()), &s.type, &sbeg, s.cols.data(),
                               s.weights.data(), nullptr))
        return code;
    }
    for (const Indicator& ic : indicators) {
      std::vector<int> li;
      std::vector<double> lv;
      for (const auto& [j, v] : ic.row.entries) {
        li.push_back(j);
        lv.push_back(v);
      }
      if (int code = KRVaddindconstr(env, lp, ic.indicator, ic.complemented, static_cast<int>(li.size()),
                                     ic.row.rhs, ic.row.sense, li.data(), lv.data(), nullptr))
        return code;
    }
    return 0;
  }
};

// max 3x + 2y, 2x + y <= 20, x and y integer in [0, 10]: the relaxation's
// optimum (5, 10) is integral, so the root decides everything.
inline SmallMip easy_model() {
  SmallMip m;
  m.objsense = -1;
  m.obj = {3.0, 2.0};
  m.lb = {0.0, 0.0};
  m.ub = {10.0, 10.0};
  m.ctype = {'I', 'I'};
  m.rows.push_back({{{0, 2.0}, {1, 1.0}}, 'L', 20.0});
  return m;
}

// Whether x satisfies everything of the model within tol.
inline bool satisfies(const SmallMip& m, const std::vector<double>& x, double tol) {
  auto row_ok = [&](const Row& r) {
    double a = 0;
    for (const auto& [j, v] : r.entries) a += v * x[j];
    if (r.sense == 'L') return a <= r.rhs + tol;
    if (r.sense == 'G') return a >= r.rhs - tol;
    return std::fabs(a - r.rhs) <= tol;
  };
  for (int j = 0; j < m.num_cols(); ++j) {
    const char t = m.ctype[j];
    const bool zero = std::fabs(x[j]) <= tol;
    if ((t == 'S' || t == 'N') && zero) continue;
    if (x[j] < m.lb[j] - tol || x[j] > m.ub[j] + tol) return false;
    if ((t == 'I' || t == 'B' || t == 'N') && std::fabs(x[j] - std::round(x[j])) > tol) return false;
  }
  for (const Row& r : m.rows)
    if (!row_ok(r)) return false;
  for (const Sos& s : m.sets) {
    int first = -1, last = -1, count = 0;
    for (size_t p = 0; p < s.cols.size(); ++p) {
      if (std::fabs(x[s.cols[p]]) <= tol) continue;
      if (first < 0) first = static_cast<int>(p);
      last = static_cast<int>(p);
      ++count;
    }
    if (s.type == '1' ? count > 1 : (count > 2 || (count == 2 && last - first > 1))) return false;
  }
  for (const Indicator& ic : m.indicators) {
    const double on = ic.complemented ? 0.0 : 1.0;
    if (std::fabs(x[ic.indicator] - on) <= tol && !row_ok(ic.row)) return false;
  }
  return true;
}

// The optimum by enumeration: nullopt-like NaN when infeasible.
inline double enumerate_optimum(KRVenv env, const SmallMip& m) {
  const int n = m.num_cols();
  // Per column, the choices: a fixed value, or a continuous range.
  struct Choice {
    double lo, hi;
  };
  std::vector<std::vector<Choice>> choices(n);
  for (int j = 0; j < n; ++j) {
    const char t = m.ctype[j];
    if (t == 'C') {
      choices[j].push_back({m.lb[j], m.ub[j]});
    } else if (t == 'S') {
      choices[j].push_back({0, 0});
      choices[j].push_back({m.lb[j], m.ub[j]});
    } else {
      if (t == 'N') choices[j].push_back({0, 0});
      for (double v = std::ceil(m.lb[j]); v <= m.ub[j]; v += 1) choices[j].push_back({v, v});
    }
  }
  double best = std::numeric_limits<double>::quiet_NaN();
  std::vector<int> pick(n, 0);
  int status = 0;
  KRVprob lp = KRVcreateprob(env, &status, "enumeration");
  for (;;) {
    // Sets: members fixed at zero by the combination must cover the rule;
    // simplest is to let the LP run and check the result.
    SmallMip fixed = m;
    fixed.ctype.assign(n, 'C');
    fixed.sets.clear();
    fixed.indicators.clear();
    for (int j = 0; j < n; ++j) {
      fixed.lb[j] = choices[j][pick[j]].lo;
      fixed.ub[j] = choices[j][pick[j]].hi;
    }
    // Indicators whose indicator is fixed on become rows.
    bool skip = false;
    for (const Indicator& ic : m.indicators) {
      const int j = ic.indicator;
      const double on = ic.complemented ? 0.0 : 1.0;
      if (fixed.lb[j] == on && fixed.ub[j] == on) fixed.rows.push_back(ic.row);
      else if (fixed.lb[j] != fixed.ub[j]) skip = true;  // indicators are binary here
    }
    // Sets: every pattern of at most one (SOS1) or two adjacent (SOS2)
    // nonzeros is enumerated by fixing the rest at zero below.
    std::vector<SmallMip> variants;
    std::function<void(size_t, SmallMip&)> with_sets = [&](size_t k, SmallMip& cur) {
      if (k == m.sets.size()) {
        variants.push_back(cur);
        return;
      }
      const Sos& s = m.sets[k];
      const int size = static_cast<int>(s.cols.size());
      const int span = s.type == '1' ? 1 : 2;
      for (int start = 0; start + span <= size || (start == 0 && size < span); ++start) {
        SmallMip next = cur;
        for (int p = 0; p < size; ++p) {
          if (p >= start && p < start + span) continue;
          next.lb[s.cols[p]] = std::max(next.lb[s.cols[p]], 0.0);
          next.ub[s.cols[p]] = std::min(next.ub[s.cols[p]], 0.0);
        }
        with_sets(k + 1, next);
      }
    };
    if (!skip) with_sets(0, fixed);
    for (SmallMip& v : variants) {
      bool empty = false;
      for (int j = 0; j < n; ++j) empty = empty || v.lb[j] > v.ub[j];
      if (empty) continue;
      if (v.load(env, lp, true) != 0) continue;
      if (KRVlpopt(env, lp) != 0 || KRVgetstat(env, lp) != 1) continue;
      double obj = 0;
      KRVgetobjval(env, lp, &obj);
      if (std::isnan(best) || (m.objsense > 0 ? obj < best : obj > best)) best = obj;
    }
    int j = 0;
    while (j < n && ++pick[j] == static_cast<int>(choices[j].size())) pick[j++] = 0;
    if (j == n) break;
  }
  KRVfreeprob(env, &lp);
  return best;
}

}  // namespace mip_test
