#include "cli_sensitivity.h"

#include <cstdio>
#include <string>
#include <vector>

namespace korva_cli {
namespace {

// Limits at 1e20 are unbounded.
std::string limit(double v) {
  if (v >= 1e20) return "+inf";
  if (v <= -1e20) return "-inf";
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.8g", v);
  return buf;
}

std::string name_of(KRVenv env, KRVprob lp, bool row, int i) {
  char buf[1024];
  char* name = nullptr;
  int surplus = 0;
  const int status = row ? KRVgetrowname(env, lp, &name, buf, sizeof buf, &surplus, i, i)
                         : KRVgetcolname(env, lp, &name, buf, sizeof buf, &surplus, i, i);
  if (status != 0 || name == nullptr) return (row ? "c" : "x") + std::to_string(i + 1);
  return name;
}

const char* status_name(int s) {
  switch (s) {
    case KRV_BASIC:
      return "basic";
    case KRV_AT_LOWER:
      return "at lower";
    case KRV_AT_UPPER:
      return "at upper";
    default:
      return "free";
  }
}

}  // namespace

void print_sensitivity(KRVenv env, KRVprob lp) {
  const int n = KRVgetnumcols(env, lp), m = KRVgetnumrows(env, lp);
  if (KRVgetprobtype(env, lp) != KRVPROB_LP) {
    std::printf("\nSensitivity analysis is for linear programs only.\n");
    return;
  }
  std::vector<double> x(n), dj(n), obj(n), lo(n), hi(n), lb(n), ub(n), lbl(n), lbu(n), ubl(n), ubu(n);
  std::vector<double> slack(m), pi(m), rhs(m), rlo(m), rhi(m);
  std::vector<int> cstat(n), rstat(m);
  const bool costs = n == 0 || KRVobjsa(env, lp, 0, n - 1, lo.data(), hi.data()) == 0;
  const bool rows = m == 0 || KRVrhssa(env, lp, 0, m - 1, rlo.data(), rhi.data()) == 0;
  const bool bounds = n == 0 || KRVboundsa(env, lp, 0, n - 1, lbl.data(), lbu.data(), ubl.data(), ubu.data()) == 0;
  if (!costs && !rows && !bounds) {
    std::printf("\nSensitivity analysis is not available for this solution.\n");
    return;
  }
  KRVsolution(env, lp, nullptr, nullptr, x.data(), pi.data(), slack.data(), dj.data());
  KRVgetbase(env, lp, cstat.data(), rstat.data());
  if (n > 0) {
    KRVgetobj(env, lp, obj.data(), 0, n - 1);
    KRVgetlb(env, lp, lb.data(), 0, n - 1);
    KRVgetub(env, lp, ub.data(), 0, n - 1);
  }
  if (m > 0) KRVgetrhs(env, lp, rhs.data(), 0, m - 1);
  if (costs && n > 0) {
    std::printf("\nObjective ranges\n%-20s %-9s %15s %15s %15s %15s %15s\n", "Variable", "Status", "Value",
                "Reduced cost", "Cost", "Lower", "Upper");
    for (int j = 0; j < n; ++j)
      std::printf("%-20s %-9s %15.8g %15.8g %15.8g %15s %15s\n", name_of(env, lp, false, j).c_str(),
                  status_name(cstat[j]), x[j], cstat[j] == KRV_BASIC ? 0.0 : dj[j], obj[j], limit(lo[j]).c_str(), limit(hi[j]).c_str());
  }
  if (rows && m > 0) {
    std::printf("\nRight-hand side ranges\n%-20s %-9s %15s %15s %15s %15s %15s\n", "Constraint", "Status", "Slack",
                "Dual value", "Rhs", "Lower", "Upper");
    for (int i = 0; i < m; ++i)
      std::printf("%-20s %-9s %15.8g %15.8g %15.8g %15s %15s\n", name_of(env, lp, true, i).c_str(),
                  status_name(rstat[i]), slack[i], pi[i], rhs[i], limit(rlo[i]).c_str(), limit(rhi[i]).c_str());
  }
  if (bounds && n > 0) {
    std::printf("\nBound ranges\n%-20s %15s %15s %15s %15s %15s %15s\n", "Variable", "Lower bound", "from", "to",
                "Upper bound", "from", "to");
    for (int j = 0; j < n; ++j)
      std::printf("%-20s %15s %15s %15s %15s %15s %15s\n", name_of(env, lp, false, j).c_str(), limit(lb[j]).c_str(),
                  limit(lbl[j]).c_str(), limit(lbu[j]).c_str(), limit(ub[j]).c_str(), limit(ubl[j]).c_str(),
                  limit(ubu[j]).c_str());
  }
}

}  // namespace korva_cli
