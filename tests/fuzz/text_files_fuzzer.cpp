// Feeds arbitrary bytes to the line-oriented readers: priority orders
// (KRVreadcopyorder), bases (KRVreadcopybase) and MIP starts in the older
// text form (KRVreadcopymipstart). No input may crash them, leak, or touch
// memory they do not own.
//
//   mkdir corpus && cp tests/fuzz/seeds/text/* corpus/
//   <clang build>/tests/fuzz/text_files_fuzzer corpus
#include <korva/korva.h>

#include <cstdint>

#include "fuzz_input.h"

namespace {

KRVprob small_mip(KRVenv env) {
  int status = 0;
  KRVprob lp = KRVcreateprob(env, &status, "fuzz");
  const double obj[] = {1, 2, 3}, rhs[] = {4, 6}, lb[] = {0, 0, -1e20}, ub[] = {3, 3, 1e20};
  const double val[] = {1, 1, 1, 3, 1};
  const char sense[] = {'L', 'R'};
  const double rng[] = {0, 2};
  const int beg[] = {0, 2, 4}, cnt[] = {2, 2, 1}, ind[] = {0, 1, 0, 1, 0};
  KRVcopylp(env, lp, 3, 2, KRV_MIN, obj, rhs, sense, beg, cnt, ind, val, lb, ub, rng);
  const int which[] = {0, 1, 2};
  char* cols[] = {const_cast<char*>("x"), const_cast<char*>("y"), const_cast<char*>("z")};
  char* rows[] = {const_cast<char*>("c1"), const_cast<char*>("c2")};
  KRVchgcolname(env, lp, 3, which, cols);
  KRVchgrowname(env, lp, 2, which, rows);
  const char types[] = {'I', 'B', 'C'};
  KRVchgctype(env, lp, 3, which, types);
  return lp;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static KRVenv env = fuzz::quiet_environment();
  static const std::string path = fuzz::input_path("text", ".txt");
  if (size == 0) return 0;
  if (!fuzz::write_input(path, data + 1, size - 1)) return 0;
  KRVprob lp = small_mip(env);
  switch (data[0] % 3) {
    case 0: KRVreadcopyorder(env, lp, path.c_str()); break;
    case 1: KRVreadcopybase(env, lp, path.c_str()); break;
    default: KRVreadcopymipstart(env, lp, path.c_str()); break;
  }
  KRVfreeprob(env, &lp);
  return 0;
}
