#include <chrono>
#include <cstdlib>
#include "mps_read_fixture.h"
using namespace mps_test;
TEST_F(MpsReadTest, Scratch) {
  const char* f = getenv("MPS_FILE");
  if (!f) return;
  int reps = getenv("MPS_REPS") ? atoi(getenv("MPS_REPS")) : 1;
  for (int r = 0; r < reps; ++r) {
    korva::ReaderArrays out;
    auto t0 = std::chrono::steady_clock::now();
    int s = read_path(f, out);
    auto t1 = std::chrono::steady_clock::now();
    std::cout << "status " << s << " time " << std::chrono::duration<double>(t1 - t0).count() << "\n";
  }
  std::cout << errors->text() << warnings->text() << results->text();
}
