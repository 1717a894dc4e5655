// Feeds arbitrary bytes to the solution and MIP-start readers through
// KRVreadcopysol (a continuous problem: the advanced start) and
// KRVreadcopymipstarts (a MIP): no input may crash them, leak, or touch
// memory they do not own.
//
//   mkdir corpus && cp tests/fuzz/seeds/solution/* corpus/
//   <clang build>/tests/fuzz/solution_read_fuzzer corpus
#include <korva/korva.h>

#include <cstdint>

#include "fuzz_input.h"

namespace {

// Two columns x, y and two rows c1, c2; a MIP when `mip`.
KRVprob small_problem(KRVenv env, bool mip) {
  int status = 0;
  KRVprob lp = KRVcreateprob(env, &status, "fuzz");
  const double obj[] = {1, 2}, rhs[] = {4, 6}, lb[] = {0, 0}, ub[] = {3, 3}, val[] = {1, 1, 1, 3};
  const char sense[] = {'L', 'G'};
  const int beg[] = {0, 2}, cnt[] = {2, 2}, ind[] = {0, 1, 0, 1};
  KRVcopylp(env, lp, 2, 2, KRV_MIN, obj, rhs, sense, beg, cnt, ind, val, lb, ub, nullptr);
  const int which[] = {0, 1};
  char* cols[] = {const_cast<char*>("x"), const_cast<char*>("y")};
  char* rows[] = {const_cast<char*>("c1"), const_cast<char*>("c2")};
  KRVchgcolname(env, lp, 2, which, cols);
  KRVchgrowname(env, lp, 2, which, rows);
  if (mip) {
    const char types[] = {'I', 'C'};
    KRVchgctype(env, lp, 2, which, types);
  }
  return lp;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static KRVenv env = fuzz::quiet_environment();
  static const std::string path = fuzz::input_path("sol", ".sol");
  if (size == 0) return 0;
  // The first byte picks the reader; the rest is the file.
  if (!fuzz::write_input(path, data + 1, size - 1)) return 0;
  const bool mip = data[0] & 1;
  KRVprob lp = small_problem(env, mip);
  if (mip)
    KRVreadcopymipstarts(env, lp, path.c_str());
  else
    KRVreadcopysol(env, lp, path.c_str());
  KRVfreeprob(env, &lp);
  return 0;
}
