#include "presolve/parallel_lines.h"

namespace korva::presolve {

namespace {

uint64_t mix(uint64_t x) {
  x += 0x9e3779b97f4a7c15ull;
  x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ull;
  x = (x ^ (x >> 27)) * 0x94d049bb133111ebull;
  return x ^ (x >> 31);
}

}  // namespace

uint64_t parallel_key(const LineView& v, int line) {
  int first_item = -1;
  double first = 0.0;
  for (int64_t k = v.begin[line]; k < v.end[line]; ++k) {
    const int item = v.index[k];
    if (v.other_alive[item] && (first_item < 0 || item < first_item)) {
      first_item = item;
      first = v.value[k];
    }
  }
  uint64_t h = 0;
  for (int64_t k = v.begin[line]; k < v.end[line]; ++k) {
    const int item = v.index[k];
    if (!v.other_alive[item]) continue;
    const long long scaled = std::llround(v.value[k] / first * 1e6);
    h += mix(static_cast<uint64_t>(item) * 0x100000001b3ull ^ static_cast<uint64_t>(scaled));
  }
  return h;
}

double parallel_ratio(const LineView& v, int keep, int other, int stamp, std::vector<int>& mark,
                      std::vector<double>& value) {
  for (int64_t k = v.begin[keep]; k < v.end[keep]; ++k) {
    const int item = v.index[k];
    if (!v.other_alive[item]) continue;
    mark[item] = stamp;
    value[item] = v.value[k];
  }
  double ratio = 0.0;
  for (int64_t k = v.begin[other]; k < v.end[other]; ++k) {
    const int item = v.index[k];
    if (!v.other_alive[item]) continue;
    if (mark[item] != stamp) return 0.0;
    const double r = v.value[k] / value[item];
    if (ratio == 0.0)
      ratio = r;
    else if (std::fabs(r - ratio) > 1e-12 * std::fabs(ratio))
      return 0.0;
  }
  return ratio;
}

}  // namespace korva::presolve
