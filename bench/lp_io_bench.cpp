// Write and read time of a large LP file (a random model with at least
// 1,000,000 nonzeros), in MB/s, next to the time glpsol needs to read the
// same file when it is installed, and to the time gzip needs to decompress
// it (the reader should come close to the decompressor).
//
//   lp_io_bench [NZ] [DIR]     default 1000000 nonzeros, files in /tmp
#include <korva/korva.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace {

double seconds_since(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double timed_command(const std::string& command) {
  const auto start = std::chrono::steady_clock::now();
  if (std::system(command.c_str()) != 0) return -1;
  return seconds_since(start);
}

// Columns with 10 entries each in random rows, random bounds and objective.
int build(KRVenv env, KRVprob lp, long long nonzeros) {
  const int per_col = 10;
  const int ncols = static_cast<int>(nonzeros / per_col);
  const int nrows = ncols / 2;
  std::mt19937 random(1);
  std::uniform_int_distribution<int> row(0, nrows - 1);
  std::uniform_real_distribution<double> value(-100.0, 100.0);
  std::vector<double> obj(ncols), lb(ncols, 0.0), ub(ncols), rhs(nrows), val;
  std::vector<int> beg(ncols), cnt(ncols, per_col), ind;
  std::string sense(nrows, 'L');
  for (int j = 0; j < ncols; ++j) {
    obj[j] = value(random);
    ub[j] = j % 3 == 0 ? 1e20 : 10 + j % 7;
    beg[j] = static_cast<int>(ind.size());
    // Distinct rows in each column: one random row per band of the rows.
    const int band = nrows / per_col;
    for (int k = 0; k < per_col; ++k) {
      ind.push_back(k * band + row(random) % band);
      val.push_back(value(random));
    }
  }
  for (int i = 0; i < nrows; ++i) {
    rhs[i] = value(random);
    sense[i] = "LGE"[i % 3];
  }
  return KRVcopylp(env, lp, ncols, nrows, 1, obj.data(), rhs.data(), sense.data(), beg.data(),
                   cnt.data(), ind.data(), val.data(), lb.data(), ub.data(), nullptr);
}

}  // namespace

int main(int argc, char** argv) {
  const long long nonzeros = argc > 1 ? std::atoll(argv[1]) : 1000000;
  const std::string dir = argc > 2 ? argv[2] : "/tmp";
  const std::string file = dir + "/lp_io_bench.lp";
  int status = 0;
  KRVenv env = KRVopenKORVA(&status);
  if (!env) return 1;
  KRVprob lp = KRVcreateprob(env, &status, "bench");
  if (build(env, lp, nonzeros) != 0) return 1;

  auto start = std::chrono::steady_clock::now();
  if (KRVlpwrite(env, lp, file.c_str()) != 0) return 1;
  const double write_s = seconds_since(start);
  const double mb = static_cast<double>(std::filesystem::file_size(file)) / 1e6;

  double read_s = 1e30;
  for (int run = 0; run < 3; ++run) {
    KRVprob back = KRVcreateprob(env, &status, "back");
    start = std::chrono::steady_clock::now();
    if (KRVreadcopyprob(env, back, file.c_str(), nullptr) != 0) return 1;
    read_s = std::min(read_s, seconds_since(start));
    KRVfreeprob(env, &back);
  }
  std::printf("LP file: %lld nonzeros, %.1f MB\n", static_cast<long long>(KRVgetnumnz(env, lp)), mb);
  std::printf("write: %.3f s (%.1f MB/s)\n", write_s, mb / write_s);
  std::printf("read:  %.3f s (%.1f MB/s)\n", read_s, mb / read_s);

  const double gzip_s =
      timed_command("gzip -c " + file + " > " + file + ".gz") >= 0
          ? timed_command("gzip -cd " + file + ".gz > /dev/null")
          : -1;
  if (gzip_s >= 0) std::printf("gzip -d of the same file: %.3f s\n", gzip_s);
  KRVprob packed = KRVcreateprob(env, &status, "packed");
  start = std::chrono::steady_clock::now();
  if (KRVreadcopyprob(env, packed, (file + ".gz").c_str(), nullptr) == 0)
    std::printf("read of the .gz file: %.3f s\n", seconds_since(start));
  KRVfreeprob(env, &packed);
  if (std::system("command -v glpsol >/dev/null 2>&1") == 0) {
    // glpsol returns non-zero after --check; the time is what counts.
    const double glpk_s =
        timed_command("glpsol --lp " + file + " --check 2>&1 | grep -i 'error'; true");
    if (glpk_s >= 0) std::printf("glpsol --lp --check: %.3f s (%.1f MB/s)\n", glpk_s, mb / glpk_s);
  }
  std::remove((file + ".gz").c_str());
  std::remove(file.c_str());
  KRVfreeprob(env, &lp);
  KRVcloseKORVA(&env);
  return 0;
}
