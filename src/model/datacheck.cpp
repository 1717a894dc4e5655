#include "model/datacheck.h"

#include <cfloat>
#include <cmath>
#include <vector>

#include "env/errors.h"
#include "env/params.h"

namespace korva::model::check {
namespace {

// The largest position a begin array may hold.
constexpr int64_t kPositionLimit = 9223372036800000000LL;

// Duplicate detection marks each index with the number of the vector being
// checked, so the marks never need clearing; the array lives as long as the
// thread and only grows.
struct Stamps {
  std::vector<int64_t> mark;
  int64_t current = 0;
  void prepare(int size) {
    if (mark.size() < static_cast<size_t>(size)) mark.resize(size, 0);
  }
};
thread_local Stamps t_stamps;

int index_code(bool rows) { return rows ? err::kRowIndexRange : err::kColIndexRange; }

}  // namespace

bool enabled(Environment& env) { return env.int_param(KRV_PARAM_DATACHECK) != 0; }

int objsense(int objsense) {
  return objsense == 1 || objsense == -1 ? 0 : err::kBadArgument;
}

int doubles(Environment& env, const double* values, int64_t n) {
  if (!values) return 0;
  for (int64_t k = 0; k < n; ++k) {
    const double v = values[k];
    if (std::isnan(v)) return report_formatted(&env, err::kNotANumber, static_cast<long long>(k));
    if (v > DBL_MAX || v < -DBL_MAX)
      return report_formatted(&env, err::kNumberTooLarge, static_cast<long long>(k), DBL_MAX);
  }
  return 0;
}

int senses(Environment& env, const char* sense, int64_t n) {
  if (!sense) return 0;
  for (int64_t k = 0; k < n; ++k) {
    const char s = sense[k];
    if (s != 'L' && s != 'G' && s != 'E' && s != 'R')
      return report_formatted(&env, err::kBadSense, static_cast<long long>(k));
  }
  return 0;
}

int ranged_rows(const char* sense, int64_t n, const double* rngval) {
  if (!sense || rngval) return 0;
  for (int64_t k = 0; k < n; ++k)
    if (sense[k] == 'R') return err::kBadArgument;
  return 0;
}

int names(Environment& env, const char* const* names, int64_t n) {
  if (!names) return 0;
  for (int64_t k = 0; k < n; ++k)
    if (!names[k]) return report_formatted(&env, err::kNullName, static_cast<long long>(k));
  return 0;
}

int index_list(Environment& env, const int* indices, int64_t n, int limit, bool rows) {
  const bool full = enabled(env);
  for (int64_t k = 0; k < n; ++k) {
    if (indices[k] >= 0 && indices[k] < limit) continue;
    if (!full) return err::kIndexRange;
    return report_formatted(&env, index_code(rows), static_cast<long long>(k));
  }
  return 0;
}

int matrix(Environment& env, const Packed& m) {
  const int64_t n = m.vectors;
  if (n == 0) return 0;
  for (int64_t k = 1; k < n; ++k)
    if (m.begin[k] < m.begin[k - 1])
      return report_formatted(&env, err::kNotAscending, static_cast<long long>(k));
  if (m.begin[0] < 0 || m.begin[n - 1] > kPositionLimit) return err::kIndexRange;
  for (int64_t k = 0; k < n; ++k) {
    const int64_t len = m.length(k);
    if (len < 0 || len > m.other_dim)
      return report_formatted(&env, err::kBadCount, static_cast<long long>(k));
  }
  if (m.count) {
    for (int64_t k = 0; k + 1 < n; ++k)
      if (m.begin[k] + m.count[k] > m.begin[k + 1])
        return report_formatted(&env, err::kOverlappingEntries, static_cast<long long>(k));
  }
  const int code = m.column_major ? err::kRowIndexRange : err::kColIndexRange;
  Stamps& stamps = t_stamps;
  stamps.prepare(m.other_dim);
  for (int64_t k = 0; k < n; ++k) {
    const int64_t first = m.start(k), last = first + m.length(k);
    for (int64_t p = first; p < last; ++p)
      if (m.index[p] < 0 || m.index[p] >= m.other_dim)
        return report_formatted(&env, code, static_cast<long long>(p));
    const int64_t stamp = ++stamps.current;
    for (int64_t p = first; p < last; ++p) {
      int64_t& mark = stamps.mark[m.index[p]];
      if (mark == stamp) return err::kDuplicateEntry;
      mark = stamp;
    }
  }
  for (int64_t k = 0; k < n; ++k) {
    const int64_t first = m.start(k);
    for (int64_t p = first; p < first + m.length(k); ++p) {
      const double v = m.value[p];
      if (std::isnan(v))
        return report_formatted(&env, err::kNotANumber, static_cast<long long>(p));
      if (v > DBL_MAX || v < -DBL_MAX)
        return report_formatted(&env, err::kNumberTooLarge, static_cast<long long>(p), DBL_MAX);
    }
  }
  return 0;
}

int matrix_bounds(const Packed& m) {
  for (int64_t k = 0; k < m.vectors; ++k) {
    const int64_t first = m.start(k), len = m.length(k);
    if (first < 0 || len < 0) return err::kIndexRange;
    if (!m.count && first + len > m.nzcnt) return err::kIndexRange;
    for (int64_t p = first; p < first + len; ++p)
      if (m.index[p] < 0 || m.index[p] >= m.other_dim) return err::kIndexRange;
  }
  return 0;
}

}  // namespace korva::model::check
