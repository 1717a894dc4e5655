// A factor larger than its memory limit kept in temporary files: the same
// solutions as in memory, the placement of the live panels, the files'
// lifetime, and the fall back to memory when no file can be made.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "barrier/linalg/cholesky.h"
#include "barrier/linalg/normal_matrix.h"
#include "barrier/linalg/panel_plan.h"
#include "barrier/random_sparse_matrix.h"
#include "env/environment.h"
#include "support/korva_test.h"

namespace korva::barrier {
namespace {

namespace fs = std::filesystem;

// A·D·Aᵀ + 1e-6·I for a random sparse m×n A and D spread over 1e-3 … 1e3.
CscMatrix random_normal_matrix(int m, int n, int per_column, unsigned seed) {
  std::mt19937 random(seed);
  std::uniform_real_distribution<double> exponent(-3.0, 3.0);
  const CscMatrix a = testing::random_sparse_matrix(m, n, per_column, random);
  NormalMatrix normal;
  normal.analyse(a, std::vector<char>(n, 1));
  std::vector<double> d(n);
  for (double& x : d) x = std::pow(10.0, exponent(random));
  const std::vector<double> r(m, 1e-6);
  normal.assemble(d.data(), r.data());
  return normal.matrix();
}

// A side × side grid Laplacian with random weights: its panels are needed
// only briefly, unlike those of random normal matrices, whose panels all
// reach the dense last supernode.
CscMatrix grid_matrix(int side, unsigned seed) {
  std::mt19937 random(seed);
  std::uniform_real_distribution<double> weight(0.5, 1.0);  // below a quarter of the diagonal
  CscMatrix m;
  m.rows = m.cols = side * side;
  m.start.assign(1, 0);
  for (int y = 0; y < side; ++y)
    for (int x = 0; x < side; ++x) {
      m.index.push_back(y * side + x);
      m.value.push_back(4.5);
      if (x + 1 < side) {
        m.index.push_back(y * side + x + 1);
        m.value.push_back(-weight(random));
      }
      if (y + 1 < side) {
        m.index.push_back((y + 1) * side + x);
        m.value.push_back(-weight(random));
      }
      m.start.push_back(static_cast<int64_t>(m.index.size()));
    }
  return m;
}

// K = [ -D  Aᵀ ; A  R ] for a random A with three entries a column.
CscMatrix random_quasi_definite(int m, int n, unsigned seed, std::vector<signed char>& sign) {
  std::mt19937 random(seed);
  return testing::quasi_definite_from(testing::random_sparse_matrix(m, n, 3, random), sign);
}

std::vector<double> random_vector(size_t n, unsigned seed) {
  std::mt19937 random(seed);
  std::uniform_real_distribution<double> value(-1.0, 1.0);
  std::vector<double> v(n);
  for (double& x : v) x = value(random);
  return v;
}

FactorStorage tiny_storage(const std::string& directory, Channel* log = nullptr, int display = 0) {
  FactorStorage storage;
  storage.memory_megabytes = 0.01;  // 1310 doubles
  storage.directory = directory;
  storage.log = log;
  storage.display = display;
  return storage;
}

int entries_in(const fs::path& directory) {
  return static_cast<int>(std::distance(fs::directory_iterator(directory), fs::directory_iterator()));
}

// Solutions of one factor: a single solve, the workspace form, and three
// right-hand sides at once.
struct Solutions {
  std::vector<double> single, with_work, many;
};

Solutions solve_all(const CholeskyFactor& factor, unsigned seed) {
  const int n = factor.rows();
  Solutions out;
  out.single = random_vector(n, seed);
  factor.solve(out.single.data());
  out.with_work = random_vector(n, seed + 1);
  std::vector<double> work(n);
  factor.solve(out.with_work.data(), work.data());
  out.many = random_vector(static_cast<size_t>(n) * 3, seed + 2);
  factor.solve_many(out.many.data(), 3);
  return out;
}

void expect_same(const Solutions& a, const Solutions& b) {
  EXPECT_EQ(a.single, b.single);
  EXPECT_EQ(a.with_work, b.with_work);
  EXPECT_EQ(a.many, b.many);
}

TEST(LinalgOutOfCore, PositiveDefiniteFactorGivesTheSameSolutionsAsInMemory) {
  const korva_test::TempDir workdir;
  // Wide supernodes shared out among threads in row chunks, and a grid whose
  // panels retire early, so that its factor spreads over several files.
  const CscMatrix matrices[] = {random_normal_matrix(400, 800, 4, 1), grid_matrix(40, 2)};
  for (const CscMatrix& m : matrices) {
    for (int threads : {1, 2}) {
      SCOPED_TRACE(std::to_string(m.rows) + " rows, " + std::to_string(threads) + " threads");
      CholeskyFactor in_memory;
      ASSERT_EQ(in_memory.analyse(m, Ordering::nested_dissection, threads, 0), 0);
      ASSERT_EQ(in_memory.factor(m.value.data(), 1e-30), 0);
      EXPECT_FALSE(in_memory.out_of_core());

      std::string directory;
      {
        CholeskyFactor on_disk;
        on_disk.set_storage(tiny_storage(workdir.path().string()));
        ASSERT_EQ(on_disk.analyse(m, Ordering::nested_dissection, threads, 0), 0);
        ASSERT_TRUE(on_disk.out_of_core());
        EXPECT_EQ(entries_in(workdir.path()), 0) << "files are made by the first factor()";
        ASSERT_EQ(on_disk.factor(m.value.data(), 1e-30), 0);
        directory = on_disk.storage_directory();
        ASSERT_FALSE(directory.empty());
        EXPECT_EQ(fs::path(directory).parent_path(), workdir.path());
        EXPECT_EQ(fs::path(directory).filename().string().rfind("krv", 0), 0u) << directory;
        EXPECT_TRUE(fs::exists(fs::path(directory) / "krvtmp0"));
        EXPECT_LE(entries_in(directory), 12);
        expect_same(solve_all(in_memory, 5), solve_all(on_disk, 5));
        // A second factorisation overwrites the files in place.
        ASSERT_EQ(on_disk.factor(m.value.data(), 1e-30), 0);
        expect_same(solve_all(in_memory, 9), solve_all(on_disk, 9));
        if (m.rows == 1600) {
          EXPECT_GE(entries_in(directory), 2);
        }
      }
      EXPECT_FALSE(fs::exists(directory)) << "removed with the factor";
      EXPECT_EQ(entries_in(workdir.path()), 0);
    }
  }
}

TEST(LinalgOutOfCore, QuasiDefiniteFactorKeepsItsPivotSigns) {
  const korva_test::TempDir workdir;
  std::vector<signed char> sign;
  const CscMatrix k = random_quasi_definite(300, 600, 2, sign);
  CholeskyFactor in_memory, on_disk;
  on_disk.set_storage(tiny_storage(workdir.path().string()));
  for (CholeskyFactor* f : {&in_memory, &on_disk}) {
    ASSERT_EQ(f->analyse(k, Ordering::nested_dissection, 1, 0), 0);
    ASSERT_EQ(f->factor(k.value.data(), 1e-30, sign.data()), 0);
  }
  ASSERT_TRUE(on_disk.out_of_core());
  expect_same(solve_all(in_memory, 11), solve_all(on_disk, 11));
}

TEST(LinalgOutOfCore, ZeroPivotsAreFoundAsInMemory) {
  // Rows 0 and 1 of M equal: the second pivot of the pair collapses.
  const korva_test::TempDir workdir;
  CscMatrix m = random_normal_matrix(300, 600, 4, 3);
  const int n = m.rows;
  std::vector<std::vector<double>> dense(n, std::vector<double>(n, 0.0));
  for (int j = 0; j < n; ++j)
    for (int64_t p = m.start[j]; p < m.start[j + 1]; ++p) dense[m.index[p]][j] = dense[j][m.index[p]] = m.value[p];
  for (int j = 0; j < n; ++j) dense[1][j] = dense[j][1] = dense[0][j];
  dense[1][1] = dense[0][0];
  CscMatrix singular;
  singular.rows = singular.cols = n;
  singular.start.assign(1, 0);
  for (int j = 0; j < n; ++j) {
    for (int i = j; i < n; ++i)
      if (i == j || dense[i][j] != 0.0) {
        singular.index.push_back(i);
        singular.value.push_back(dense[i][j]);
      }
    singular.start.push_back(static_cast<int64_t>(singular.index.size()));
  }
  CholeskyFactor in_memory, on_disk;
  on_disk.set_storage(tiny_storage(workdir.path().string()));
  ASSERT_EQ(in_memory.analyse(singular, Ordering::min_degree, 1, 0), 0);
  const int zeros = in_memory.factor(singular.value.data(), 1e-12);
  EXPECT_GE(zeros, 1);
  ASSERT_EQ(on_disk.analyse(singular, Ordering::min_degree, 1, 0), 0);
  EXPECT_EQ(on_disk.factor(singular.value.data(), 1e-12), zeros);
  ASSERT_TRUE(on_disk.out_of_core());
  for (int i = 0; i < n; ++i) EXPECT_EQ(in_memory.zero_pivot(i), on_disk.zero_pivot(i)) << i;
  expect_same(solve_all(in_memory, 13), solve_all(on_disk, 13));
}

TEST(LinalgOutOfCore, WithoutAWritableDirectoryTheFactorStaysInMemory) {
  const korva_test::TempDir workdir;
  const std::string plain_file = workdir.file("not_a_directory");
  korva_test::write_file(plain_file, "x");
  const CscMatrix m = random_normal_matrix(200, 400, 4, 4);
  CholeskyFactor in_memory;
  ASSERT_EQ(in_memory.analyse(m, Ordering::min_degree, 1, 0), 0);
  ASSERT_EQ(in_memory.factor(m.value.data(), 1e-30), 0);
  for (const std::string& directory : {workdir.file("missing/deeper"), plain_file}) {
    CholeskyFactor fallback;
    fallback.set_storage(tiny_storage(directory));
    ASSERT_EQ(fallback.analyse(m, Ordering::min_degree, 1, 0), 0);
    ASSERT_EQ(fallback.factor(m.value.data(), 1e-30), 0) << directory;
    EXPECT_FALSE(fallback.out_of_core());
    EXPECT_TRUE(fallback.storage_directory().empty());
    expect_same(solve_all(in_memory, 17), solve_all(fallback, 17));
  }
  EXPECT_EQ(entries_in(workdir.path()), 1);
}

// No descriptor left for the process: the directory can be made, its files not.
class NoFreeDescriptors {
 public:
  NoFreeDescriptors() {
    getrlimit(RLIMIT_NOFILE, &saved_);
    const int lowest_free = ::open("/dev/null", O_RDONLY);
    ::close(lowest_free);
    rlimit tight = saved_;
    tight.rlim_cur = static_cast<rlim_t>(lowest_free);
    setrlimit(RLIMIT_NOFILE, &tight);
  }
  ~NoFreeDescriptors() { setrlimit(RLIMIT_NOFILE, &saved_); }

 private:
  rlimit saved_{};
};

// Files may not grow beyond a few kilobytes, as on a full disk: writes fail
// (with the signal that would end the process ignored).
class TinyFileLimit {
 public:
  TinyFileLimit() {
    saved_handler_ = signal(SIGXFSZ, SIG_IGN);
    getrlimit(RLIMIT_FSIZE, &saved_);
    rlimit tight = saved_;
    tight.rlim_cur = 4096;
    setrlimit(RLIMIT_FSIZE, &tight);
  }
  ~TinyFileLimit() {
    setrlimit(RLIMIT_FSIZE, &saved_);
    signal(SIGXFSZ, saved_handler_);
  }

 private:
  rlimit saved_{};
  sighandler_t saved_handler_ = SIG_DFL;
};

TEST(LinalgOutOfCore, AFailedWriteMovesTheFactorBackToMemoryWhenPanelsStream) {
  // The grid streams its panels through a working storage smaller than the
  // factor, writing each as it is done: a failed write moves the factor
  // back to memory. The normal matrix's working storage, once doubled,
  // holds its whole factor, and its files are made but never written.
  const CscMatrix grid = grid_matrix(40, 9), normal = random_normal_matrix(400, 800, 4, 1);
  for (const CscMatrix* m : {&grid, &normal}) {
    const bool streams = m == &grid;
    const korva_test::TempDir workdir;
    CholeskyFactor in_memory, fallback;
    ASSERT_EQ(in_memory.analyse(*m, Ordering::min_degree, 2, 0), 0);
    ASSERT_EQ(in_memory.factor(m->value.data(), 1e-30), 0);
    fallback.set_storage(tiny_storage(workdir.path().string()));
    ASSERT_EQ(fallback.analyse(*m, Ordering::min_degree, 2, 0), 0);
    ASSERT_TRUE(fallback.out_of_core());
    int zeros = -2;
    {
      const TinyFileLimit limit;
      zeros = fallback.factor(m->value.data(), 1e-30);
    }
    EXPECT_EQ(zeros, 0);
    EXPECT_EQ(fallback.out_of_core(), !streams);
    if (streams)
      EXPECT_TRUE(fs::is_empty(workdir.path()));
    else
      EXPECT_EQ(fs::file_size(fs::path(fallback.storage_directory()) / "krvtmp0"), 0u);
    expect_same(solve_all(in_memory, 23), solve_all(fallback, 23));
  }
}

TEST(LinalgOutOfCore, LargeFactorsSolveAlikeOnAnyThreadsInMemoryAndInWorkingStorage) {
  // A factor of a million nonzeros, its subtrees full of thin supernodes
  // updating wide ones, and large enough for the solves to share the
  // subtrees among the threads: in memory, and with every panel held by the
  // working storage, the solutions must not depend on where the panels are
  // or on the threads.
  const CscMatrix m = random_normal_matrix(2000, 4000, 4, 3);
  const korva_test::TempDir workdir;
  std::vector<Solutions> solutions;
  for (int threads : {1, 2}) {
    for (const bool on_disk : {false, true}) {
      CholeskyFactor factor;
      if (on_disk) factor.set_storage(tiny_storage(workdir.path().string()));
      ASSERT_EQ(factor.analyse(m, Ordering::nested_dissection, threads, 0), 0);
      ASSERT_GE(factor.statistics().factor_nonzeros, 1000000);
      ASSERT_EQ(factor.factor(m.value.data(), 1e-30), 0);
      EXPECT_EQ(factor.out_of_core(), on_disk);
      solutions.push_back(solve_all(factor, 31));
    }
  }
  for (const Solutions& other : solutions) expect_same(solutions.front(), other);
}

class LinalgOutOfCoreLog : public korva_test::EnvTest {};

TEST_F(LinalgOutOfCoreLog, AFileThatCannotBeOpenedIsReportedAndTheFactorStaysInMemory) {
  const korva_test::TempDir workdir;
  const CscMatrix m = grid_matrix(30, 7);
  CholeskyFactor in_memory;
  ASSERT_EQ(in_memory.analyse(m, Ordering::min_degree, 1, 0), 0);
  ASSERT_EQ(in_memory.factor(m.value.data(), 1e-30), 0);

  CholeskyFactor fallback;
  fallback.set_storage(tiny_storage(workdir.path().string(), env->results(), 1));
  ASSERT_EQ(fallback.analyse(m, Ordering::min_degree, 1, 0), 0);
  int zeros = -2;
  {
    const NoFreeDescriptors limit;
    zeros = fallback.factor(m.value.data(), 1e-30);
  }
  EXPECT_EQ(zeros, 0);
  EXPECT_FALSE(fallback.out_of_core());
  const std::string& log = results->text();
  const size_t created = log.find("Creating directory " + workdir.path().string() + "/krv");
  ASSERT_NE(created, std::string::npos) << log;
  const size_t trouble = log.find("Trouble opening temporary file " + workdir.path().string() + "/krv");
  ASSERT_NE(trouble, std::string::npos) << log;
  EXPECT_NE(log.find("/krvtmp0\n", trouble), std::string::npos) << log;
  EXPECT_EQ(log.find("factor matrix"), std::string::npos);
  EXPECT_TRUE(fs::is_empty(workdir.path())) << "the directory is removed again";
  expect_same(solve_all(in_memory, 19), solve_all(fallback, 19));
}

TEST_F(LinalgOutOfCoreLog, TheLogNamesTheSizesOnce) {
  const korva_test::TempDir workdir;
  const CscMatrix m = grid_matrix(30, 8);
  CholeskyFactor factor;
  factor.set_storage(tiny_storage(workdir.path().string(), env->results(), 2));
  ASSERT_EQ(factor.analyse(m, Ordering::min_degree, 1, 0), 0);
  ASSERT_EQ(factor.factor(m.value.data(), 1e-30), 0);
  ASSERT_EQ(factor.factor(m.value.data(), 1e-30), 0);
  const std::string& log = results->text();
  const size_t created =
      log.find("Creating directory " + factor.storage_directory() + " for Barrier out-of-core files\n");
  const size_t warning = log.find("WARNING: not enough working storage allocated, increasing to 0.02MB\n");
  const size_t writing = log.find("MB factor matrix and ");
  const size_t working = log.find("Out-of-core factorization with ");
  ASSERT_NE(created, std::string::npos) << log;
  EXPECT_LT(created, warning);
  EXPECT_LT(warning, writing);
  EXPECT_LT(writing, working);
  EXPECT_NE(working, std::string::npos);
  EXPECT_EQ(log.find("MB factor matrix and ", writing + 1), std::string::npos) << "printed by the first factor() only";
}

TEST(LinalgOutOfCore, PanelsAliveTogetherNeverShareWorkingStorage) {
  for (const CscMatrix& m : {grid_matrix(40, 6), random_normal_matrix(300, 600, 4, 7)}) {
    std::vector<int> perm;
    ASSERT_EQ(compute_ordering(m, Ordering::nested_dissection, perm), 0);
    SymbolicFactor s;
    build_symbolic(m, perm, s);
    const PanelPlan plan = plan_panels(s);
    const int ns = s.supernodes;
    ASSERT_GT(ns, 10);
    for (int t = 0; t < ns; ++t) {
      EXPECT_GE(plan.last_use[t], t);
      for (int64_t u = s.update_start[t]; u < s.update_start[t + 1]; ++u)
        EXPECT_GE(plan.last_use[s.update_source[u]], t);
    }
    // Replays the plan: where each live panel's kept rows sit, checked
    // against every other live panel whenever one is placed or shrinks.
    struct Held {
      int64_t at = 0, size = 0;
      int first_row = 0;
    };
    std::vector<Held> held(ns);
    std::vector<int> live;
    auto place = [&](int t, int64_t at, int first_row) {
      const int64_t size = static_cast<int64_t>(s.width(t)) * (s.row_count(t) - first_row);
      EXPECT_LE(at + size, plan.working_doubles);
      for (int other : live)
        if (other != t) {
          const Held& h = held[other];
          EXPECT_TRUE(at + size <= h.at || h.at + h.size <= at) << t << " lands on " << other;
        }
      held[t] = Held{at, size, first_row};
    };
    for (int t = 0; t < ns; ++t) {
      place(t, plan.offset[t], 0);
      live.push_back(t);
      live.erase(std::remove_if(live.begin(), live.end(), [&](int x) { return plan.last_use[x] == t; }), live.end());
      for (int64_t k = plan.trim_start[t]; k < plan.trim_start[t + 1]; ++k) {
        const PanelTrim& trim = plan.trims[k];
        ASSERT_NE(std::find(live.begin(), live.end(), trim.supernode), live.end());
        // Rows still to be used by a later target are kept.
        for (int64_t u = s.update_start[t + 1]; u < s.update_start[ns]; ++u) {
          if (s.update_source[u] == trim.supernode) {
            EXPECT_GE(s.update_begin[u], trim.first_row);
          }
        }
        EXPECT_GT(trim.first_row, held[trim.supernode].first_row);
        place(trim.supernode, plan.offset[trim.supernode], trim.first_row);
      }
    }
    EXPECT_GE(plan.working_doubles, plan.peak_live_doubles);
    if (m.rows == 1600) {
      EXPECT_LT(plan.working_doubles, s.value_start[ns]) << "space of retired rows is reused";
    }
  }
}

}  // namespace
}  // namespace korva::barrier
