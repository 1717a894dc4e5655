#include "cli_report.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "cli_options.h"

namespace korva_cli {
namespace {

std::string status_text(KRVenv env, int stat) {
  char text[KRV_MESSAGEBUFSIZE];
  return KRVgetstatstring(env, stat, text) ? text : "unknown status " + std::to_string(stat);
}

// Name of column or row i; models without names get the generic x1, c1.
std::string name_of(KRVenv env, KRVprob lp, bool row, int i) {
  char buf[1024];
  char* name = nullptr;
  int surplus = 0;
  const int status = row ? KRVgetrowname(env, lp, &name, buf, sizeof buf, &surplus, i, i)
                         : KRVgetcolname(env, lp, &name, buf, sizeof buf, &surplus, i, i);
  if (status != 0 || name == nullptr) return (row ? "c" : "x") + std::to_string(i + 1);
  return name;
}

// Values of a solution query over all indices, or empty when it has none.
template <typename Query>
std::vector<double> all_values(int count, Query query) {
  std::vector<double> values(count);
  if (count == 0 || query(values.data(), 0, count - 1) != 0) values.clear();
  return values;
}

}  // namespace

void print_summary(KRVenv env, KRVprob lp, double seconds) {
  double obj = 0;
  std::printf("\nStatus     : %s\n", status_text(env, KRVgetstat(env, lp)).c_str());
  if (KRVgetobjval(env, lp, &obj) == 0) std::printf("Objective  : %.10e\n", obj);
  std::printf("Iterations : %d\n", KRVgetitcnt(env, lp));
  if (KRVgetmethod(env, lp) == KRV_ALG_BARRIER) std::printf("Barrier its: %d\n", KRVgetbaritcnt(env, lp));
  std::printf("Solve time : %.3f s\n", seconds);
}

void print_mip_summary(KRVenv env, KRVprob lp, double seconds) {
  double obj = 0, bound = 0;
  int type = 0;
  std::printf("\nStatus     : %s\n", status_text(env, KRVgetstat(env, lp)).c_str());
  // Without an incumbent there is no objective to ask for.
  if (KRVsolninfo(env, lp, nullptr, &type, nullptr, nullptr) == 0 && type != 0 && KRVgetobjval(env, lp, &obj) == 0)
    std::printf("Objective  : %.10e\n", obj);
  if (KRVgetbestobjval(env, lp, &bound) == 0 && std::fabs(bound) < 1e75) std::printf("Best bound : %.10e\n", bound);
  std::printf("Nodes      : %lld\n", KRVLgetnodecnt(env, lp));
  std::printf("Iterations : %lld\n", KRVLgetmipitcnt(env, lp));
  std::printf("Solve time : %.3f s\n", seconds);
}

void print_solution(KRVenv env, KRVprob lp) {
  const auto x = all_values(KRVgetnumcols(env, lp),
                            [&](double* v, int b, int e) { return KRVgetx(env, lp, v, b, e); });
  // A mixed-integer solution has no duals.
  const bool mip = KRVgetprobtype(env, lp) == KRVPROB_MILP;
  const auto pi = mip ? std::vector<double>()
                      : all_values(KRVgetnumrows(env, lp),
                                   [&](double* v, int b, int e) { return KRVgetpi(env, lp, v, b, e); });
  if (!x.empty()) {
    std::printf("\n%-24s %20s\n", "Variable", "Value");
    for (size_t j = 0; j < x.size(); ++j)
      if (x[j] != 0.0) std::printf("%-24s %20.10g\n", name_of(env, lp, false, int(j)).c_str(), x[j]);
  }
  if (!pi.empty()) {
    std::printf("\n%-24s %20s\n", "Constraint", "Dual value");
    for (size_t i = 0; i < pi.size(); ++i)
      if (pi[i] != 0.0) std::printf("%-24s %20.10g\n", name_of(env, lp, true, int(i)).c_str(), pi[i]);
  }
}

namespace {

bool ends_with(const std::string& s, const char* suffix) {
  const size_t n = std::strlen(suffix);
  return s.size() >= n && s.compare(s.size() - n, n, suffix) == 0;
}

}  // namespace

int write_solution_file(KRVenv env, KRVprob lp, const std::string& file) {
  std::string stem = file;
  for (const char* z : {".gz", ".bz2", ".Z"})
    if (ends_with(stem, z)) stem.resize(stem.size() - std::strlen(z));
  if (!ends_with(stem, ".sol")) return write_solution_text(env, lp, file);
  if (int status = KRVsolwrite(env, lp, file.c_str())) {
    std::fprintf(stderr, "korva: cannot write the solution file '%s' (error %d).\n", file.c_str(), status);
    return kExitFailure;
  }
  return kExitOk;
}

int write_solution_text(KRVenv env, KRVprob lp, const std::string& file) {
  FILE* f = std::fopen(file.c_str(), "w");
  if (!f) {
    std::fprintf(stderr, "korva: cannot write the solution file '%s'.\n", file.c_str());
    return kExitFailure;
  }
  const int stat = KRVgetstat(env, lp);
  double obj = 0;
  KRVgetobjval(env, lp, &obj);
  std::fprintf(f, "status %d %s\nobjective %.17g\n", stat, status_text(env, stat).c_str(), obj);
  const auto x = all_values(KRVgetnumcols(env, lp),
                            [&](double* v, int b, int e) { return KRVgetx(env, lp, v, b, e); });
  for (size_t j = 0; j < x.size(); ++j) std::fprintf(f, "x %zu %.17g\n", j, x[j]);
  const auto pi = all_values(KRVgetnumrows(env, lp),
                             [&](double* v, int b, int e) { return KRVgetpi(env, lp, v, b, e); });
  for (size_t i = 0; i < pi.size(); ++i) std::fprintf(f, "pi %zu %.17g\n", i, pi[i]);
  if (std::fclose(f) != 0) {
    std::fprintf(stderr, "korva: writing the solution file '%s' failed.\n", file.c_str());
    return kExitFailure;
  }
  return kExitOk;
}

void print_presolve_report(KRVenv env, KRVprob lp) {
  const int rows = KRVgetnumrows(env, lp), cols = KRVgetnumcols(env, lp);
  const int nz = KRVgetnumnz(env, lp);
  int prestat = 0;
  KRVgetprestat(env, lp, &prestat, nullptr, nullptr, nullptr, nullptr);
  KRVprob red = nullptr;
  KRVgetredlp(env, lp, &red);
  int red_rows = rows, red_cols = cols, red_nz = nz, tightened = 0;
  if (prestat == 2) {
    red_rows = red_cols = red_nz = 0;
  } else if (red) {
    red_rows = KRVgetnumrows(env, red);
    red_cols = KRVgetnumcols(env, red);
    red_nz = KRVgetnumnz(env, red);
    std::vector<int> orig(static_cast<size_t>(red_cols));
    std::vector<double> lb(static_cast<size_t>(cols)), ub(lb.size()), rlb(orig.size()), rub(orig.size());
    if (red_cols > 0 && KRVgetprestat(env, lp, nullptr, nullptr, nullptr, orig.data(), nullptr) == 0 &&
        KRVgetlb(env, lp, lb.data(), 0, cols - 1) == 0 && KRVgetub(env, lp, ub.data(), 0, cols - 1) == 0 &&
        KRVgetlb(env, red, rlb.data(), 0, red_cols - 1) == 0 && KRVgetub(env, red, rub.data(), 0, red_cols - 1) == 0)
      for (int k = 0; k < red_cols; ++k) tightened += (rlb[k] > lb[orig[k]]) + (rub[k] < ub[orig[k]]);
  }
  std::printf("\nPresolve   : rows %d -> %d, columns %d -> %d, nonzeros %d -> %d, bounds tightened %d\n", rows,
              red_rows, cols, red_cols, nz, red_nz, tightened);
}

}  // namespace korva_cli
