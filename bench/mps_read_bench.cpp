// Read time of MPS files, against the import time the clp program reports
// for the same file when it is installed.
//
//   mps_read_bench FILE...            read each file (best of 3 runs)
//   mps_read_bench --generate NZ FILE write a random LP with NZ nonzeros
//                                     (MPS, our writer) and time the write
//
// Files are read as they are: decompress large ones first, or the time
// includes the decompressing pipe.
#include <korva/korva.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

double seconds_since(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// clp's own report: "Model was imported from FILE in T seconds".
double clp_import_seconds(const std::string& file) {
  const std::string command = "clp " + file + " -quit 2>/dev/null";
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return -1;
  std::string out;
  char buffer[4096];
  while (size_t n = fread(buffer, 1, sizeof buffer, pipe)) out.append(buffer, n);
  if (pclose(pipe) != 0 && out.empty()) return -1;
  const size_t at = out.find(" in ", out.find("was imported from"));
  if (at == std::string::npos) return -1;
  return std::strtod(out.c_str() + at + 4, nullptr);
}

int read_files(KRVenv env, int count, char** files) {
  std::printf("%-40s %10s %10s %10s %8s\n", "file", "nonzeros", "korva s", "clp s", "ratio");
  for (int f = 0; f < count; ++f) {
    int status = 0;
    KRVprob lp = KRVcreateprob(env, &status, "bench");
    double best = 1e30;
    for (int run = 0; run < 3; ++run) {
      const auto start = std::chrono::steady_clock::now();
      status = KRVreadcopyprob(env, lp, files[f], nullptr);
      best = std::min(best, seconds_since(start));
      if (status) break;
    }
    if (status) {
      std::printf("%-40s read failed with %d\n", files[f], status);
      KRVfreeprob(env, &lp);
      continue;
    }
    const double clp = clp_import_seconds(files[f]);
    std::printf("%-40s %10d %10.3f %10.3f %8.2f\n", files[f], KRVgetnumnz(env, lp), best, clp,
                clp > 0 ? best / clp : 0.0);
    KRVfreeprob(env, &lp);
  }
  return 0;
}

// A feasible random LP: rows of ~20 entries, all L rows with slack.
int generate(KRVenv env, long long nonzeros, const char* file) {
  const int per_column = 10;
  const int ncols = static_cast<int>(nonzeros / per_column);
  const int nrows = ncols / 2;
  std::mt19937_64 random(12345);
  std::uniform_int_distribution<int> row_of(0, nrows - 1);
  std::uniform_real_distribution<double> value(-100.0, 100.0);
  std::vector<int> beg(ncols), cnt(ncols, per_column), ind;
  std::vector<double> val, obj(ncols), lb(ncols, 0.0), ub(ncols), rhs(nrows, 1000.0);
  std::vector<char> sense(nrows, 'L');
  for (int j = 0; j < ncols; ++j) {
    beg[j] = static_cast<int>(ind.size());
    obj[j] = std::round(value(random) * 1000) / 1000;
    ub[j] = j % 3 == 0 ? 1e20 : 50.0;
    for (int k = 0; k < per_column; ++k) {
      ind.push_back(row_of(random));
      val.push_back(value(random));
    }
  }
  // A row drawn twice for one column would be a repeated entry: shift it.
  for (int j = 0; j < ncols; ++j)
    for (int k = 1; k < per_column; ++k)
      for (int m = 0; m < k; ++m)
        if (ind[beg[j] + k] == ind[beg[j] + m]) {
          ind[beg[j] + k] = (ind[beg[j] + k] + 1) % nrows;
          m = -1;
        }
  int status = 0;
  KRVprob lp = KRVcreateprob(env, &status, "generated");
  status = KRVcopylp(env, lp, ncols, nrows, KRV_MIN, obj.data(), rhs.data(), sense.data(),
                     beg.data(), cnt.data(), ind.data(), val.data(), lb.data(), ub.data(), nullptr);
  if (status) return status;
  const auto start = std::chrono::steady_clock::now();
  status = KRVmpswrite(env, lp, file);
  std::printf("wrote %s: %d rows, %d columns, %lld nonzeros in %.3f s\n", file, nrows, ncols,
              static_cast<long long>(ind.size()), seconds_since(start));
  KRVfreeprob(env, &lp);
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  int status = 0;
  KRVenv env = KRVopenKORVA(&status);
  if (!env) return 1;
  KRVsetintparam(env, KRV_PARAM_SCRIND, 0);
  if (argc == 4 && std::strcmp(argv[1], "--generate") == 0)
    status = generate(env, std::atoll(argv[2]), argv[3]);
  else
    status = read_files(env, argc - 1, argv + 1);
  KRVcloseKORVA(&env);
  return status;
}
