#include "barrier/dense_columns.h"

#include <algorithm>

#include "env/channel.h"

namespace korva::barrier {

namespace {

constexpr int kFewRows = 100;
constexpr int64_t kLengthFactor = 5;
// More dense columns than this cost more in the low-rank correction
// (rows × count storage, count solves per factorisation) than they save.
constexpr int kMaxDenseColumns = 1000;

}  // namespace

std::vector<char> find_dense_columns(Environment& env, const CscMatrix& a, int64_t threshold, int display) {
  std::vector<char> dense(static_cast<size_t>(a.cols), 0);
  if (threshold <= 0) {
    if (a.rows < kFewRows) return dense;
    int64_t longest = 0;
    for (int j = 0; j < a.cols; ++j) longest = std::max(longest, a.start[j + 1] - a.start[j]);
    const int64_t total = a.start[a.cols];
    const double average = static_cast<double>(total) / a.rows;
    threshold = static_cast<double>(longest) / kLengthFactor >= average ? kLengthFactor * total / a.rows : longest + 1;
  }
  if (display >= 1)
    msg(env.results(), "Looking for dense columns with more than %lld nonzeros.\n", static_cast<long long>(threshold));
  int64_t count = 0;
  for (int j = 0; j < a.cols; ++j) count += a.start[j + 1] - a.start[j] > threshold;
  if (count == 0) return dense;
  if (count > kMaxDenseColumns) return dense;
  for (int j = 0; j < a.cols; ++j) dense[j] = a.start[j + 1] - a.start[j] > threshold;
  if (display >= 1) msg(env.results(), "\n***NOTE: Found %lld dense columns.\n\n", static_cast<long long>(count));
  return dense;
}

}  // namespace korva::barrier
