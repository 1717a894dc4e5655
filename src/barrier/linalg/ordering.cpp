#include "barrier/linalg/ordering.h"

#include <suitesparse/amd.h>
#include <metis.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numeric>
#include <random>

#include "barrier/linalg/symbolic_factor.h"
#include "env/error_codes.h"

namespace korva::barrier {
namespace {

constexpr int kBadPermutation = 4005;
// Minimum degree with dense rows last treats as dense the rows with more
// than max(16, kDenseRowScale·√n) entries (the ordering library's rule);
// it is tried when such rows are at most kMostDenseRows of all.
constexpr double kDenseRowScale = 1.0;
constexpr double kMostDenseRows = 0.05;
// Relabellings tried by the minimum-fill ordering besides the original labels.
constexpr int kTieBreakTrials = 3;

// Off-diagonal entries of each row of the whole symmetric matrix.
std::vector<int64_t> degrees(const CscMatrix& lower) {
  const int n = lower.cols;
  std::vector<int64_t> degree(static_cast<size_t>(n), 0);
  for (int j = 0; j < n; ++j) {
    for (int64_t p = lower.start[j]; p < lower.start[j + 1]; ++p) {
      const int i = lower.index[p];
      if (i == j) continue;
      ++degree[i];
      ++degree[j];
    }
  }
  return degree;
}

// Both triangles without the diagonal, as the ordering libraries want them.
template <typename Index>
void full_pattern(const CscMatrix& lower, std::vector<Index>& start, std::vector<Index>& index) {
  const int n = lower.cols;
  const std::vector<int64_t> degree = degrees(lower);
  std::vector<Index> count(n + 1, 0);
  for (int j = 0; j < n; ++j) count[j + 1] = count[j] + static_cast<Index>(degree[j]);
  start = count;
  index.resize(static_cast<size_t>(count[n]));
  // Filling column by column in increasing j keeps every column sorted:
  // column i first receives the rows j < i (from the upper half), then its own rows.
  std::vector<Index> next(count.begin(), count.end() - 1);
  for (int j = 0; j < n; ++j) {
    for (int64_t p = lower.start[j]; p < lower.start[j + 1]; ++p) {
      const int i = lower.index[p];
      if (i == j) continue;
      index[next[i]++] = j;
    }
    for (int64_t p = lower.start[j]; p < lower.start[j + 1]; ++p) {
      const int i = lower.index[p];
      if (i == j) continue;
      index[next[j]++] = i;
    }
  }
}

// `dense_scale`: rows with more than max(16, dense_scale·√n) entries are
// ordered last, after the rest; negative: none are.
int minimum_degree(const CscMatrix& lower, std::vector<int>& perm, double dense_scale = AMD_DEFAULT_DENSE) {
  const int n = lower.cols;
  std::vector<SuiteSparse_long> start, index;
  full_pattern(lower, start, index);
  if (index.empty()) {  // a diagonal matrix: the library refuses an empty pattern
    perm.resize(n);
    std::iota(perm.begin(), perm.end(), 0);
    return 0;
  }
  std::vector<SuiteSparse_long> p(n);
  double control[AMD_CONTROL];
  double info[AMD_INFO];
  amd_l_defaults(control);
  control[AMD_DENSE] = dense_scale;
  const SuiteSparse_long status = amd_l_order(n, start.data(), index.data(), p.data(), control, info);
  if (status == AMD_OUT_OF_MEMORY) return err::kNoMemory;
  if (status != AMD_OK && status != AMD_OK_BUT_JUMBLED) return kBadPermutation;
  perm.assign(p.begin(), p.end());
  return 0;
}

int dissect(const CscMatrix& lower, std::vector<int>& perm) {
  idx_t n = lower.cols;
  std::vector<idx_t> start, index;
  full_pattern(lower, start, index);
  perm.resize(n);
  if (index.empty()) {  // no edges: any order is perfect, and the library dislikes empty graphs
    std::iota(perm.begin(), perm.end(), 0);
    return 0;
  }
  idx_t options[METIS_NOPTIONS];
  METIS_SetDefaultOptions(options);
  options[METIS_OPTION_NUMBERING] = 0;
  std::vector<idx_t> order(n), where(n);
  // order[k] is the vertex eliminated k-th, where[v] the position of vertex v.
  const int status = METIS_NodeND(&n, start.data(), index.data(), nullptr, options, order.data(), where.data());
  if (status == METIS_ERROR_MEMORY) return err::kNoMemory;
  if (status != METIS_OK) return kBadPermutation;
  perm.assign(order.begin(), order.end());
  return 0;
}

// The lower triangle of the matrix with row i renamed label[i] (pattern
// only); rows labelled -1 are left out with their entries.
CscMatrix relabelled(const CscMatrix& lower, const std::vector<int>& label) {
  const int n = lower.cols;
  const int kept = n - static_cast<int>(std::count(label.begin(), label.end(), -1));
  CscMatrix out;
  out.rows = out.cols = kept;
  out.start.assign(kept + 1, 0);
  const auto for_each_entry = [&](auto visit) {
    for (int j = 0; j < n; ++j) {
      if (label[j] < 0) continue;
      for (int64_t p = lower.start[j]; p < lower.start[j + 1]; ++p) {
        const int a = label[lower.index[p]], b = label[j];
        if (a >= 0) visit(std::min(a, b), std::max(a, b));
      }
    }
  };
  for_each_entry([&](int col, int) { ++out.start[col + 1]; });
  for (int j = 0; j < kept; ++j) out.start[j + 1] += out.start[j];
  out.index.resize(out.start[kept]);
  std::vector<int64_t> next(out.start.begin(), out.start.end() - 1);
  for_each_entry([&](int col, int row) { out.index[next[col]++] = row; });
  for (int j = 0; j < kept; ++j) std::sort(out.index.begin() + out.start[j], out.index.begin() + out.start[j + 1]);
  return out;
}

// The rows that minimum degree with dense rows last would order last, when
// they are at most kMostDenseRows of all; otherwise empty.
std::vector<char> few_dense_rows(const CscMatrix& lower) {
  const int n = lower.cols;
  const std::vector<int64_t> degree = degrees(lower);
  const double limit = std::max(16.0, kDenseRowScale * std::sqrt(static_cast<double>(n)));
  std::vector<char> dense(static_cast<size_t>(n), 0);
  int64_t count = 0;
  for (int i = 0; i < n; ++i) count += dense[i] = degree[i] > limit;
  if (count == 0 || count > kMostDenseRows * n) dense.clear();
  return dense;
}

// Nested dissection of the graph without its few dense rows, which follow
// the rest: a separator found through them would cut the graph apart only
// by taking them all in.
int nested_dissection(const CscMatrix& lower, std::vector<int>& perm) {
  const std::vector<char> dense = few_dense_rows(lower);
  if (dense.empty()) return dissect(lower, perm);
  const int n = lower.cols;
  std::vector<int> label(static_cast<size_t>(n), -1), original;
  for (int i = 0; i < n; ++i) {
    if (dense[i]) continue;
    label[i] = static_cast<int>(original.size());
    original.push_back(i);
  }
  if (int status = dissect(relabelled(lower, label), perm)) return status;
  for (int& v : perm) v = original[v];
  for (int i = 0; i < n; ++i)
    if (dense[i]) perm.push_back(i);
  return 0;
}

// Minimum fill: the variants of minimum degree (plain, dense rows last,
// relabelled), keeping the least fill (then the fewest flops).
int minimum_fill(const CscMatrix& lower, std::vector<int>& perm) {
  int status = minimum_degree(lower, perm);
  if (status != 0) return status;
  FactorCost best = factor_cost(lower, perm);
  std::vector<int> trial;
  const auto keep_if_better = [&] {
    const FactorCost cost = factor_cost(lower, trial);
    if (cost.nonzeros < best.nonzeros || (cost.nonzeros == best.nonzeros && cost.flops < best.flops)) {
      best = cost;
      perm.swap(trial);
    }
  };
  if (has_few_dense_rows(lower)) {
    status = dense_rows_last_minimum_degree(lower, trial);
    if (status != 0) return status;
    keep_if_better();
  }
  for (const std::vector<int>& label : tie_break_labels(lower.cols)) {
    status = relabelled_minimum_degree(lower, label, trial);
    if (status != 0) return status;
    keep_if_better();
  }
  return 0;
}

}  // namespace

bool is_permutation(const std::vector<int>& perm, int n) {
  if (static_cast<int>(perm.size()) != n) return false;
  std::vector<char> seen(n, 0);
  for (int v : perm) {
    if (v < 0 || v >= n || seen[v]) return false;
    seen[v] = 1;
  }
  return true;
}

std::vector<std::vector<int>> tie_break_labels(int n) {
  std::mt19937 random(20110922u);
  std::vector<int> label(static_cast<size_t>(n));
  std::iota(label.begin(), label.end(), 0);
  std::vector<std::vector<int>> labels;
  for (int k = 0; k < kTieBreakTrials; ++k) {
    std::shuffle(label.begin(), label.end(), random);
    labels.push_back(label);
  }
  return labels;
}

bool has_few_dense_rows(const CscMatrix& lower) { return !few_dense_rows(lower).empty(); }

int dense_rows_last_minimum_degree(const CscMatrix& lower, std::vector<int>& perm) {
  if (int status = minimum_degree(lower, perm, kDenseRowScale)) return status;
  return is_permutation(perm, lower.cols) ? 0 : kBadPermutation;
}

int relabelled_minimum_degree(const CscMatrix& lower, const std::vector<int>& label, std::vector<int>& perm) {
  const int n = lower.cols;
  if (int status = minimum_degree(relabelled(lower, label), perm)) return status;
  if (!is_permutation(perm, n)) return kBadPermutation;
  std::vector<int> original(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) original[label[i]] = i;
  for (int& v : perm) v = original[v];
  return 0;
}

int compute_ordering(const CscMatrix& lower, Ordering method, std::vector<int>& perm) {
  const int n = lower.cols;
  perm.clear();
  if (n == 0) return 0;
  int status = 0;
  switch (method) {
    case Ordering::nested_dissection:
      status = nested_dissection(lower, perm);
      break;
    case Ordering::min_fill:
      status = minimum_fill(lower, perm);
      break;
    case Ordering::automatic:
    case Ordering::min_degree:
      status = minimum_degree(lower, perm);
      break;
  }
  if (status != 0) return status;
  return is_permutation(perm, n) ? 0 : kBadPermutation;
}

}  // namespace korva::barrier
