// Cost of building and editing models through the C interface, per
// nonzero, at growing sizes: a flat column means amortised constant time
// per nonzero.
//
//   model_edit_bench            # sizes 10^4, 10^5, 10^6
//   model_edit_bench 100000     # one size
#include <korva/korva.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double seconds_since(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// A deterministic stream of indices (the library's own generator is not
// part of the interface).
struct Lcg {
  unsigned long long s = 12345;
  int next(int n) {
    s = s * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<int>((s >> 33) % static_cast<unsigned long long>(n));
  }
};

void check(int status, const char* what) {
  if (status == 0) return;
  std::fprintf(stderr, "%s failed with %d\n", what, status);
  std::exit(1);
}

struct Timings {
  double add_cols, add_rows, get_cols, get_rows, del_rows, del_cols;
};

// nonzeros: total nonzeros of each model built.
Timings run(KRVenv env, long long nonzeros) {
  Timings t{};
  const int rows = 1000, cols = 1000;

  // 1. One column per KRVaddcols call, one nonzero each.
  KRVprob lp = KRVcreateprob(env, nullptr, "cols");
  check(KRVnewrows(env, lp, rows, nullptr, nullptr, nullptr, nullptr), "KRVnewrows");
  Lcg rng;
  auto start = Clock::now();
  for (long long k = 0; k < nonzeros; ++k) {
    const int beg = 0, ind = rng.next(rows);
    const double val = 1.0 + static_cast<double>(k % 7);
    check(KRVaddcols(env, lp, 1, 1, nullptr, &beg, &ind, &val, nullptr, nullptr, nullptr),
          "KRVaddcols");
  }
  t.add_cols = seconds_since(start);
  KRVfreeprob(env, &lp);

  // 2. Rows of 10 nonzeros, one per KRVaddrows call.
  lp = KRVcreateprob(env, nullptr, "rows");
  check(KRVnewcols(env, lp, cols, nullptr, nullptr, nullptr, nullptr, nullptr), "KRVnewcols");
  start = Clock::now();
  for (long long r = 0; r < nonzeros / 10; ++r) {
    int ind[10];
    double val[10];
    const int first = rng.next(cols - 10);
    for (int k = 0; k < 10; ++k) {
      ind[k] = first + k;
      val[k] = 1.0 + k;
    }
    const int beg = 0;
    check(KRVaddrows(env, lp, 0, 1, 10, nullptr, nullptr, &beg, ind, val, nullptr, nullptr),
          "KRVaddrows");
  }
  t.add_rows = seconds_since(start);

  // 3. The whole matrix by columns and by rows.
  const int m = KRVgetnumrows(env, lp), n = KRVgetnumcols(env, lp);
  const long long nz = KRVLgetnumnz(env, lp);
  std::vector<long long> beg(std::max(m, n));
  std::vector<int> ind(nz);
  std::vector<double> val(nz);
  long long got = 0, surplus = 0;
  start = Clock::now();
  check(KRVLgetcols(env, lp, &got, beg.data(), ind.data(), val.data(), nz, &surplus, 0, n - 1),
        "KRVLgetcols");
  t.get_cols = seconds_since(start);
  start = Clock::now();
  check(KRVLgetrows(env, lp, &got, beg.data(), ind.data(), val.data(), nz, &surplus, 0, m - 1),
        "KRVLgetrows");
  t.get_rows = seconds_since(start);

  // 4. Deleting every other row, then every other column.
  std::vector<int> delstat(m);
  for (int i = 0; i < m; ++i) delstat[i] = i % 2;
  start = Clock::now();
  check(KRVdelsetrows(env, lp, delstat.data()), "KRVdelsetrows");
  t.del_rows = seconds_since(start);
  delstat.assign(n, 0);
  for (int j = 0; j < n; ++j) delstat[j] = j % 2;
  start = Clock::now();
  check(KRVdelsetcols(env, lp, delstat.data()), "KRVdelsetcols");
  t.del_cols = seconds_since(start);
  KRVfreeprob(env, &lp);
  return t;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<long long> sizes = {10000, 100000, 1000000};
  if (argc > 1) sizes = {std::atoll(argv[1])};
  int status = 0;
  KRVenv env = KRVopenKORVA(&status);
  if (!env) return 1;
  std::printf("nanoseconds per nonzero\n");
  std::printf("%10s %10s %10s %10s %10s %10s %10s\n", "nonzeros", "addcols", "addrows",
              "getcols", "getrows", "delrows", "delcols");
  for (long long nz : sizes) {
    const Timings t = run(env, nz);
    const double per = 1e9 / static_cast<double>(nz);
    std::printf("%10lld %10.1f %10.1f %10.2f %10.2f %10.2f %10.2f\n", nz, t.add_cols * per,
                t.add_rows * per, t.get_cols * per, t.get_rows * per, t.del_rows * per,
                t.del_cols * per);
  }
  KRVcloseKORVA(&env);
  return 0;
}
