// Read time of MPS files, against the import time the clp program reports
// for the same file when it is installed.
//
//   mps_read_bench [--runs N] [--warm] [--no-peer] FILE...
//       reads each file into a problem (KRVreadcopyprob) and runs
//       `clp FILE -quit`, N times each (default 5, the two alternating), and
//       prints the best time of each side, and the least processor time of
//       our reads (steadier than wall time on a busy machine; it leaves out
//       the gzip process). clp's time is the import time it prints ("Model
//       was imported from FILE in T seconds"), the first read of a fresh
//       process; so ours is the first KRVreadcopyprob of a fresh process
//       too (this program run again with --single), after the environment
//       has been opened. Neither includes process start-up. --warm instead
//       repeats the read in this process (memory and caches warm).
//       Compressed files are read as named, so their times include the
//       decompression (our gzip pipe, clp's own).
//   mps_read_bench --generate NZ FILE
//       writes a random LP with NZ nonzeros (MPS, our writer) and times the
//       write.
//
// The comparison of nw04, fast0507 and a generated 2,000,000-nonzero file:
//   mps_read_bench --generate 2000000 /tmp/gen2m.mps && gzip -k -1 /tmp/gen2m.mps
//   for m in nw04 fast0507; do cp $DATA/miplib3/$m.mps.gz /tmp/;
//     gzip -dk /tmp/$m.mps.gz; done
//   mps_read_bench /tmp/nw04.mps /tmp/nw04.mps.gz /tmp/fast0507.mps
//       /tmp/fast0507.mps.gz /tmp/gen2m.mps /tmp/gen2m.mps.gz   (one line)
// On a shared machine, run it when the load is low: the gzip pipe needs the
// second core.
#include <korva/korva.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cmath>
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

// One read in a fresh process: this program with --single.
// Wall and processor seconds, or -1.
double fresh_read_seconds(const char* self, const std::string& file, double* cpu) {
  const std::string command = std::string(self) + " --single " + file + " 2>/dev/null";
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return -1;
  char buffer[256] = {};
  const size_t n = fread(buffer, 1, sizeof buffer - 1, pipe);
  buffer[n] = '\0';
  const int rc = pclose(pipe);
  if (rc != 0 || n == 0) return -1;
  char* rest = nullptr;
  const double wall = std::strtod(buffer, &rest);
  *cpu = std::strtod(rest, nullptr);
  return wall;
}

double cpu_seconds() {
  rusage u;
  getrusage(RUSAGE_SELF, &u);
  return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
         1e-6 * static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec);
}

// Prints the wall time of one read and the processor time this process
// spent in it (a steadier measure on a busy machine; without the gzip
// child).
int read_single(KRVenv env, const char* file) {
  int status = 0;
  KRVprob lp = KRVcreateprob(env, &status, "bench");
  const double cpu = cpu_seconds();
  const auto start = std::chrono::steady_clock::now();
  status = KRVreadcopyprob(env, lp, file, nullptr);
  const double t = seconds_since(start);
  const double used = cpu_seconds() - cpu;
  KRVfreeprob(env, &lp);
  if (status) return status;
  std::printf("%.6f %.6f\n", t, used);
  return 0;
}

int read_files(KRVenv env, const char* self, int runs, bool warm, bool peer, int count,
               char** files) {
  std::printf("%-32s %9s %9s %9s %9s %7s\n", "file", "nonzeros", "korva s", "korva cpu", "clp s",
              "ratio");
  for (int f = 0; f < count; ++f) {
    int status = 0;
    KRVprob lp = KRVcreateprob(env, &status, "bench");
    double best = 1e30, best_cpu = 1e30, clp = -1;
    // Read once here for the check and the count of nonzeros.
    status = KRVreadcopyprob(env, lp, files[f], nullptr);
    // Our runs and clp's alternate, so that both see the same load.
    for (int run = 0; run < runs && status == 0; ++run) {
      if (warm) {
        const auto start = std::chrono::steady_clock::now();
        status = KRVreadcopyprob(env, lp, files[f], nullptr);
        best = std::min(best, seconds_since(start));
      } else {
        double cpu = 0;
        const double t = fresh_read_seconds(self, files[f], &cpu);
        if (t < 0) status = -1;
        best = std::min(best, t);
        best_cpu = std::min(best_cpu, cpu);
      }
      const double c = peer ? clp_import_seconds(files[f]) : -1;
      if (c >= 0 && (clp < 0 || c < clp)) clp = c;
    }
    if (status) {
      std::printf("%-32s read failed with %d\n", files[f], status);
      KRVfreeprob(env, &lp);
      continue;
    }
    std::printf("%-32s %9d %9.3f %9.3f %9.3f %7.2f\n", files[f], KRVgetnumnz(env, lp), best,
                warm ? 0.0 : best_cpu, clp, clp > 0 ? best / clp : 0.0);
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
  int runs = 5;
  bool peer = true, warm = false;
  int first = 1;
  while (first < argc && argv[first][0] == '-' && argv[first][1] == '-') {
    if (std::strcmp(argv[first], "--runs") == 0 && first + 1 < argc) {
      runs = std::max(1, std::atoi(argv[first + 1]));
      first += 2;
    } else if (std::strcmp(argv[first], "--no-peer") == 0) {
      peer = false;
      ++first;
    } else if (std::strcmp(argv[first], "--warm") == 0) {
      warm = true;
      ++first;
    } else {
      break;
    }
  }
  if (argc == 4 && std::strcmp(argv[1], "--generate") == 0)
    status = generate(env, std::atoll(argv[2]), argv[3]);
  else if (argc == 3 && std::strcmp(argv[1], "--single") == 0)
    status = read_single(env, argv[2]);
  else
    status = read_files(env, argv[0], runs, warm, peer, argc - first, argv + first);
  KRVcloseKORVA(&env);
  return status;
}
