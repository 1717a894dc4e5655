// One model of the sensitivity sweep (bench/sensitivity_bench.py):
//   sensitivity_check MODEL [--samples N] [--no-checks]
// prints one line of key=value fields: the cold solve time, the time of the
// ranges of all costs, right-hand sides and bounds (and of the three), and
// the failures of the checks on the basis queries, of the ranges by
// re-solving a sample of entities, and of the ray of the model maximised
// instead of minimised when that is unbounded.
#include <korva/korva.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "simplex/sensitivity_checks.h"

namespace {

double seconds_since(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void print_failures(const char* what, const korva_test::Failures& f) {
  for (size_t k = 0; k < f.size() && k < 5; ++k) std::fprintf(stderr, "%s: %s\n", what, f[k].c_str());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: sensitivity_check MODEL [--samples N] [--no-checks]\n");
    return 1;
  }
  int samples = 6;
  bool checks = true;
  for (int k = 2; k < argc; ++k) {
    if (!std::strcmp(argv[k], "--samples") && k + 1 < argc) samples = std::atoi(argv[++k]);
    else if (!std::strcmp(argv[k], "--no-checks")) checks = false;
  }
  int status = 0;
  KRVenv env = KRVopenKORVA(&status);
  KRVprob lp = KRVcreateprob(env, &status, "model");
  if (KRVreadcopyprob(env, lp, argv[1], nullptr) != 0) return 2;
  const int n = KRVgetnumcols(env, lp), m = KRVgetnumrows(env, lp);

  // Cold solve with the default settings, then all ranges. Processor
  // time is kept too: on a loaded machine it is the steadier measure (the
  // default solve of a large model may race two simplex methods on two
  // threads, which its wall-clock time reflects and its processor time
  // does not).
  auto start = std::chrono::steady_clock::now();
  std::clock_t cpu_start = std::clock();
  if (KRVlpopt(env, lp) != 0) return 2;
  const double solve = seconds_since(start);
  const double solve_cpu = double(std::clock() - cpu_start) / CLOCKS_PER_SEC;
  cpu_start = std::clock();
  const int stat = KRVgetstat(env, lp);
  std::vector<double> a(n), b(n), c(n), d(n), r1(m), r2(m);
  start = std::chrono::steady_clock::now();
  const int obj_code = KRVobjsa(env, lp, 0, n - 1, a.data(), b.data());
  const double t_obj = seconds_since(start);
  start = std::chrono::steady_clock::now();
  const int rhs_code = KRVrhssa(env, lp, 0, m - 1, r1.data(), r2.data());
  const double t_rhs = seconds_since(start);
  start = std::chrono::steady_clock::now();
  const int bnd_code = KRVboundsa(env, lp, 0, n - 1, a.data(), b.data(), c.data(), d.data());
  const double t_bnd = seconds_since(start);
  const double sens_cpu = double(std::clock() - cpu_start) / CLOCKS_PER_SEC;
  std::printf("model=%s rows=%d cols=%d status=%d solve=%.3f objsa=%.3f rhssa=%.3f boundsa=%.3f sens=%.3f codes=%d,%d,%d "
              "solve_cpu=%.3f sens_cpu=%.3f",
              argv[1], m, n, stat, solve, t_obj, t_rhs, t_bnd, t_obj + t_rhs + t_bnd, obj_code, rhs_code, bnd_code,
              solve_cpu, sens_cpu);

  if (checks && stat == 1) {
    // Re-solves from the optimal basis need the original problem's basis.
    KRVsetintparam(env, KRV_PARAM_PREIND, 0);
    KRVsetintparam(env, KRV_PARAM_ADVIND, 1);
    KRVlpopt(env, lp);
    const korva_test::Failures tableau = korva_test::check_tableau(env, lp, samples * 2);
    korva_test::RangeCheckSettings settings;
    settings.samples = samples;
    const korva_test::Failures ranges = korva_test::check_ranges(env, lp, settings);
    print_failures("tableau", tableau);
    print_failures("ranges", ranges);
    std::printf(" tableau_failures=%zu range_failures=%zu", tableau.size(), ranges.size());
    // The same model maximised: a ray when that is unbounded.
    KRVchgobjsen(env, lp, -KRVgetobjsen(env, lp));
    KRVsetintparam(env, KRV_PARAM_ADVIND, 0);
    KRVlpopt(env, lp);
    const int flipped = KRVgetstat(env, lp);
    std::printf(" flipped_status=%d", flipped);
    if (flipped == 2) {
      const korva_test::Failures ray = korva_test::check_ray(env, lp, 1e-7);
      print_failures("ray", ray);
      std::printf(" ray_failures=%zu", ray.size());
    }
  }
  std::printf("\n");
  KRVfreeprob(env, &lp);
  KRVcloseKORVA(&env);
  return 0;
}
