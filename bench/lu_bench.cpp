// Basis factorisation benchmark: factorisation time and fill on crash bases
// of the models of the LP collection, and ftran/btran cost per call by result density,
// dense sweeps against hypersparse solves.
//
//   lu_bench                 # every model in the shared LP collection
//   lu_bench afiro pilot     # selected models
//
// The hypersparse columns show time per result nonzero: a flat column means
// the solve costs in proportion to the nonzeros of its result.
#include <korva/korva.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "env/environment.h"
#include "simplex/lu/lu_codes.h"
#include "simplex/lu/refactor_driver.h"
#include "simplex/support/factor_harness.h"
#include "simplex/support/tiny_mps.h"

namespace {

using Clock = std::chrono::steady_clock;
using korva::lu::SolveKind;

double seconds_since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

std::string netlib_dir() {
  for (const char* dir : {"../shared/data/netlib", "../../shared/data/netlib", "/work/shared/data/netlib"})
    if (std::filesystem::exists(dir)) return dir;
  return "netlib";
}

// Result-density classes of a solve, as a share of m.
constexpr double kClassEdges[] = {0.01, 0.05, 0.20, 1.01};
constexpr int kClasses = 4;
const char* const kClassNames[] = {"<1%", "1-5%", "5-20%", ">=20%"};

struct SolveStats {
  double seconds[kClasses] = {};
  double nonzeros[kClasses] = {};
  long calls[kClasses] = {};
  void add(int cls, double s, int nz) {
    seconds[cls] += s;
    nonzeros[cls] += nz;
    ++calls[cls];
  }
};

int density_class(int nz, int m) {
  double d = static_cast<double>(nz) / m;
  for (int c = 0; c < kClasses; ++c)
    if (d < kClassEdges[c]) return c;
  return kClasses - 1;
}

// Times ftran (columns of A) and btran (unit vectors) in one solve kind;
// classes follow the result density of the dense solve.
void time_solves(korva_test::FactorHarness& h, SolveKind kind, const std::vector<int>& cols,
                 const std::vector<int>& units, SolveStats& ftran, SolveStats& btran) {
  korva::SparseVector v(h.a.rows);
  for (int j : cols) {
    korva::SparseVector col = h.column(j);
    auto start = Clock::now();
    h.lu.ftran(col, kind);
    double s = seconds_since(start);
    ftran.add(density_class(col.count, h.a.rows), s, col.count);
  }
  for (int i : units) {
    v.clear();
    v.set_new(i, 1.0);
    auto start = Clock::now();
    h.lu.btran(v, kind);
    double s = seconds_since(start);
    btran.add(density_class(v.count, h.a.rows), s, v.count);
  }
}

void print_stats(const char* what, const SolveStats& dense, const SolveStats& hyper) {
  for (int c = 0; c < kClasses; ++c) {
    if (dense.calls[c] == 0) continue;
    double avg_nz = hyper.nonzeros[c] / hyper.calls[c];
    double d_us = 1e6 * dense.seconds[c] / dense.calls[c];
    double h_us = 1e6 * hyper.seconds[c] / hyper.calls[c];
    std::printf("    %-5s %-6s calls %6ld  avg nz %8.1f  dense %8.2f us  hyper %8.2f us  hyper ns/nz %7.1f\n",
                what, kClassNames[c], dense.calls[c], avg_nz, d_us, h_us, 1e3 * h_us / std::max(avg_nz, 1.0));
  }
}

void bench_model(KRVenv env, const std::string& name) {
  korva_test::SparseMatrix a;
  if (!korva_test::read_tiny_mps(netlib_dir() + "/" + name + ".mps.gz", a)) {
    std::printf("%-10s cannot read\n", name.c_str());
    return;
  }
  korva_test::FactorHarness h(a, korva_test::overlapping_crash(a), korva::lu::factor_options(*env));
  korva::lu::FactorControl control = korva::lu::factor_control(*env);
  std::vector<korva::lu::RepairRecord> records;
  korva::lu::RepairView quiet;
  quiet.display = 0;
  int code = korva::lu::refactorise(*env, h.lu, h.source, h.basic.data(), control, true, quiet, records);
  if (code != korva::lu::kOk && code != korva::lu::kRepaired) {
    std::printf("%-10s factorisation failed (%d)\n", name.c_str(), code);
    return;
  }
  // Time repeated factorisations of the (repaired) basis.
  int reps = std::max(3, static_cast<int>(200000 / (a.nonzeros() + 1)));
  auto start = Clock::now();
  for (int r = 0; r < reps; ++r) h.lu.factorise(h.source, h.basic.data(), control.markowitz, 1e-13, nullptr);
  double factor_ms = 1e3 * seconds_since(start) / reps;
  int structural = 0;
  for (int v : h.basic) structural += v < a.cols;
  double fill = static_cast<double>(h.lu.factor_nonzeros()) / static_cast<double>(h.lu.basis_nonzeros());
  std::printf("%-10s m %6d  structural %6d  nnz(B) %8lld  nnz(L+U) %8lld  fill %5.2f  factor %8.3f ms  repairs %zu\n",
              name.c_str(), a.rows, structural, static_cast<long long>(h.lu.basis_nonzeros()),
              static_cast<long long>(h.lu.factor_nonzeros()), fill, factor_ms, records.size());

  std::mt19937_64 rng(1);
  // A harder basis: random structural columns at 80% of the positions.
  {
    korva_test::FactorHarness r(a, korva_test::random_basis(a, 0.8, rng), korva::lu::factor_options(*env));
    korva::lu::FactorControl rc = korva::lu::factor_control(*env);
    std::vector<korva::lu::RepairRecord> rr;
    if (korva::lu::refactorise(*env, r.lu, r.source, r.basic.data(), rc, true, quiet, rr) >= 0) {
      auto t0 = Clock::now();
      for (int k = 0; k < reps; ++k) r.lu.factorise(r.source, r.basic.data(), rc.markowitz, 1e-13, nullptr);
      double ms = 1e3 * seconds_since(t0) / reps;
      std::printf("%-10s random 80%% basis:  nnz(B) %8lld  nnz(L+U) %8lld  fill %5.2f  factor %8.3f ms  repairs %zu\n",
                  "", static_cast<long long>(r.lu.basis_nonzeros()), static_cast<long long>(r.lu.factor_nonzeros()),
                  static_cast<double>(r.lu.factor_nonzeros()) / static_cast<double>(r.lu.basis_nonzeros()), ms,
                  rr.size());
    }
  }
  std::vector<int> cols(static_cast<size_t>(std::min(a.cols, 2000)));
  for (int& j : cols) j = static_cast<int>(rng() % a.cols);
  std::vector<int> units(static_cast<size_t>(std::min(a.rows, 2000)));
  for (int& i : units) i = static_cast<int>(rng() % a.rows);
  SolveStats fd, bd, fh, bh;
  time_solves(h, SolveKind::Dense, cols, units, fd, bd);
  time_solves(h, SolveKind::Hypersparse, cols, units, fh, bh);
  print_stats("ftran", fd, fh);
  print_stats("btran", bd, bh);
}

// A large sparse random basis: hypersparse solves of unit vectors against
// dense sweeps, where the difference is the length of the factor.
void bench_large_random() {
  std::mt19937_64 rng(7);
  for (int m : {10000, 100000, 400000}) {
    korva_test::SparseMatrix a;
    a.rows = m;
    std::vector<int> perm(static_cast<size_t>(m));
    for (int i = 0; i < m; ++i) perm[i] = i;
    std::shuffle(perm.begin(), perm.end(), rng);
    for (int p = 0; p < m; ++p) {
      std::vector<std::pair<int, double>> col{{perm[p], 2.0}};
      int other = static_cast<int>(rng() % m);
      if (other != perm[p]) col.push_back({other, 0.5});
      a.add_column(col);
    }
    std::vector<int> basic(static_cast<size_t>(m));
    for (int p = 0; p < m; ++p) basic[p] = (rng() % 10 < 6) ? a.cols + perm[p] : p;
    korva_test::FactorHarness h(a, basic);
    h.factor();  // the first call also pays for touching fresh memory
    auto start = Clock::now();
    h.factor();
    double factor_ms = 1e3 * seconds_since(start);
    SolveStats fd, bd, fh, bh;
    std::vector<int> cols(500), units(500);
    for (int& j : cols) j = static_cast<int>(rng() % m);
    for (int& i : units) i = static_cast<int>(rng() % m);
    time_solves(h, SolveKind::Dense, cols, units, fd, bd);
    time_solves(h, SolveKind::Hypersparse, cols, units, fh, bh);
    std::printf("random m %7d  nnz(B) %8lld  fill %5.2f  factor %8.2f ms\n", m,
                static_cast<long long>(h.lu.basis_nonzeros()),
                static_cast<double>(h.lu.factor_nonzeros()) / h.lu.basis_nonzeros(), factor_ms);
    print_stats("ftran", fd, fh);
    print_stats("btran", bd, bh);
  }
}

}  // namespace

int main(int argc, char** argv) {
  int status = 0;
  KRVenv env = KRVopenKORVA(&status);
  if (!env) return 1;
  std::vector<std::string> models;
  for (int k = 1; k < argc; ++k) models.push_back(argv[k]);
  if (models.empty()) {
    for (const auto& entry : std::filesystem::directory_iterator(netlib_dir())) {
      std::string file = entry.path().filename().string();
      if (file.size() > 7 && file.ends_with(".mps.gz")) models.push_back(file.substr(0, file.size() - 7));
    }
    std::sort(models.begin(), models.end());
  }
  std::printf("Crash bases (overlapping greedy crash, repaired), default Markowitz threshold\n");
  for (const std::string& m : models) bench_model(env, m);
  if (argc == 1) bench_large_random();
  KRVcloseKORVA(&env);
  return 0;
}
