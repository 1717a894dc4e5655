#include "barrier/linalg/symbolic_factor.h"

#include <algorithm>
#include <limits>
#include <numeric>

namespace korva::barrier {
namespace {

// Strict upper triangle of P·A·Pᵀ by columns: column k lists the pivots i < k
// coupled with k, i.e. row k of the strict lower triangle.
void permuted_upper(const CscMatrix& lower, const std::vector<int>& inverse, std::vector<int64_t>& start,
                    std::vector<int>& index) {
  const int n = lower.cols;
  start.assign(n + 1, 0);
  for (int j = 0; j < n; ++j) {
    for (int64_t p = lower.start[j]; p < lower.start[j + 1]; ++p) {
      const int a = inverse[lower.index[p]];
      const int b = inverse[j];
      if (a != b) ++start[std::max(a, b) + 1];
    }
  }
  for (int k = 0; k < n; ++k) start[k + 1] += start[k];
  index.resize(start[n]);
  std::vector<int64_t> next(start.begin(), start.end() - 1);
  for (int j = 0; j < n; ++j) {
    for (int64_t p = lower.start[j]; p < lower.start[j + 1]; ++p) {
      const int a = inverse[lower.index[p]];
      const int b = inverse[j];
      if (a != b) index[next[std::max(a, b)]++] = std::min(a, b);
    }
  }
}

// Elimination tree by path-compressed ancestor links.
void elimination_tree(int n, const std::vector<int64_t>& start, const std::vector<int>& index,
                      std::vector<int>& parent) {
  parent.assign(n, -1);
  std::vector<int> ancestor(n, -1);
  for (int k = 0; k < n; ++k) {
    for (int64_t p = start[k]; p < start[k + 1]; ++p) {
      int i = index[p];
      while (i != -1 && i < k) {
        const int next = ancestor[i];
        ancestor[i] = k;
        if (next == -1) parent[i] = k;
        i = next;
      }
    }
  }
}

// Column counts of L (with the diagonal) by walking each row's subtree.
void column_counts(int n, const std::vector<int64_t>& start, const std::vector<int>& index,
                   const std::vector<int>& parent, std::vector<int>& count) {
  count.assign(n, 1);
  std::vector<int> mark(n, -1);
  for (int k = 0; k < n; ++k) {
    mark[k] = k;
    for (int64_t p = start[k]; p < start[k + 1]; ++p) {
      for (int j = index[p]; j != -1 && mark[j] != k; j = parent[j]) {
        mark[j] = k;
        ++count[j];
      }
    }
  }
}

std::vector<int> inverse_of(const std::vector<int>& perm) {
  std::vector<int> inverse(perm.size());
  for (size_t k = 0; k < perm.size(); ++k) inverse[perm[k]] = static_cast<int>(k);
  return inverse;
}

// Postorder of a forest, children visited in increasing order.
std::vector<int> postorder(const std::vector<int>& parent) {
  const int n = static_cast<int>(parent.size());
  std::vector<int> head(n, -1), next(n, -1), order;
  order.reserve(n);
  for (int j = n - 1; j >= 0; --j) {
    if (parent[j] != -1) {
      next[j] = head[parent[j]];
      head[parent[j]] = j;
    }
  }
  std::vector<int> stack;
  for (int root = 0; root < n; ++root) {
    if (parent[root] != -1) continue;
    stack.push_back(root);
    while (!stack.empty()) {
      const int j = stack.back();
      if (head[j] != -1) {
        const int child = head[j];
        head[j] = next[child];
        stack.push_back(child);
      } else {
        stack.pop_back();
        order.push_back(j);
      }
    }
  }
  return order;
}

// Supernodes at least this wide are reordered by cluster_wide_supernodes:
// narrower blocks stay in cache however their updates fall.
constexpr int kWideSupernode = 256;

int64_t trapezoid(int64_t width, int64_t rows) { return width * rows - width * (width - 1) / 2; }

// Largest share of explicit zeros a merged supernode may carry; narrow
// supernodes gain most from merging, so they tolerate more.
double zero_share_allowed(int width) {
  if (width <= 4) return 0.5;
  if (width <= 16) return 0.3;
  if (width <= 48) return 0.1;
  return 0.05;
}

}  // namespace

int64_t SymbolicFactor::integer_space() const {
  return static_cast<int64_t>(perm.size() + inverse.size() + first.size() + parent.size() + supernode_of.size() +
                              row_index.size() + update_source.size() + update_begin.size() + update_end.size()) +
         2 * static_cast<int64_t>(row_start.size() + value_start.size() + update_start.size() +
                                  entry_target.size() + diagonal_entry.size());
}

FactorCost factor_cost(const CscMatrix& lower, const std::vector<int>& perm) {
  const int n = lower.cols;
  const std::vector<int> inverse = inverse_of(perm);
  std::vector<int64_t> start;
  std::vector<int> index, parent, count;
  permuted_upper(lower, inverse, start, index);
  elimination_tree(n, start, index, parent);
  column_counts(n, start, index, parent, count);
  FactorCost cost;
  for (int c : count) {
    cost.flops += static_cast<double>(c) * c;
    cost.nonzeros += c;
  }
  return cost;
}

void build_symbolic(const CscMatrix& lower, const std::vector<int>& perm_in, SymbolicFactor& s) {
  const int n = lower.cols;
  s = SymbolicFactor();
  s.rows = n;

  std::vector<int64_t> ustart;
  std::vector<int> uindex, parent, count;
  {
    permuted_upper(lower, inverse_of(perm_in), ustart, uindex);
    elimination_tree(n, ustart, uindex, parent);
    const std::vector<int> post = postorder(parent);
    s.perm.resize(n);
    for (int k = 0; k < n; ++k) s.perm[k] = perm_in[post[k]];
  }
  s.inverse = inverse_of(s.perm);
  permuted_upper(lower, s.inverse, ustart, uindex);
  elimination_tree(n, ustart, uindex, parent);
  column_counts(n, ustart, uindex, parent, count);

  // Fundamental supernodes: j+1 continues j's supernode when it is j's parent,
  // has no other child, and its column is j's column minus the diagonal.
  std::vector<int> children(n, 0);
  for (int j = 0; j < n; ++j)
    if (parent[j] != -1) ++children[parent[j]];
  std::vector<int> fundamental;  // first columns, plus n
  for (int j = 0; j < n; ++j) {
    const bool continues = j > 0 && parent[j - 1] == j && children[j] == 1 && count[j - 1] == count[j] + 1;
    if (!continues) fundamental.push_back(j);
  }
  fundamental.push_back(n);

  // Relaxed amalgamation: a supernode merges into the next one when that one is
  // its parent and the merged block carries few explicit zeros.
  s.first.clear();
  {
    int cur_first = -1, cur_width = 0;
    int64_t cur_true = 0;
    for (size_t f = 0; f + 1 < fundamental.size(); ++f) {
      const int a = fundamental[f], b = fundamental[f + 1];
      const int width = b - a;
      const int64_t rows = count[a];
      int64_t true_nz = 0;
      for (int j = a; j < b; ++j) true_nz += count[j];
      if (cur_first >= 0 && parent[a - 1] == a) {
        const int merged_width = cur_width + width;
        const int64_t merged_rows = cur_width + rows;
        const int64_t stored = trapezoid(merged_width, merged_rows);
        const int64_t zeros = stored - cur_true - true_nz;
        if (static_cast<double>(zeros) <= zero_share_allowed(merged_width) * static_cast<double>(stored)) {
          cur_width = merged_width;
          cur_true += true_nz;
          continue;
        }
      }
      if (cur_first >= 0) s.first.push_back(cur_first);
      cur_first = a;
      cur_width = width;
      cur_true = true_nz;
    }
    if (cur_first >= 0) s.first.push_back(cur_first);
    s.first.push_back(n);
  }
  const int ns = static_cast<int>(s.first.size()) - 1;
  s.supernodes = ns;
  s.supernode_of.resize(n);
  for (int t = 0; t < ns; ++t)
    for (int j = s.first[t]; j < s.first[t + 1]; ++j) s.supernode_of[j] = t;

  // Strict lower triangle of the permuted matrix by columns (the transpose of the upper).
  std::vector<int64_t> lstart(n + 1, 0);
  std::vector<int> lindex(uindex.size());
  for (int i : uindex) ++lstart[i + 1];
  for (int j = 0; j < n; ++j) lstart[j + 1] += lstart[j];
  {
    std::vector<int64_t> next(lstart.begin(), lstart.end() - 1);
    for (int k = 0; k < n; ++k)
      for (int64_t p = ustart[k]; p < ustart[k + 1]; ++p) lindex[next[uindex[p]]++] = k;
  }

  // Row structure of each supernode: its columns, then the union of its
  // columns' entries and its children's rows below its last column.
  s.parent.assign(ns, -1);
  s.row_start.assign(ns + 1, 0);
  s.row_index.clear();
  std::vector<int> child_head(ns, -1), child_next(ns, -1);
  std::vector<int> mark(n, -1);
  std::vector<int> below;
  for (int t = 0; t < ns; ++t) {
    const int a = s.first[t], b = s.first[t + 1];
    below.clear();
    for (int j = a; j < b; ++j) mark[j] = t;
    for (int j = a; j < b; ++j) {
      for (int64_t p = lstart[j]; p < lstart[j + 1]; ++p) {
        const int i = lindex[p];
        if (mark[i] != t) {
          mark[i] = t;
          below.push_back(i);
        }
      }
    }
    for (int c = child_head[t]; c != -1; c = child_next[c]) {
      for (int64_t p = s.row_start[c] + s.width(c); p < s.row_start[c + 1]; ++p) {
        const int i = s.row_index[p];
        if (i >= b && mark[i] != t) {
          mark[i] = t;
          below.push_back(i);
        }
      }
    }
    std::sort(below.begin(), below.end());
    for (int j = a; j < b; ++j) s.row_index.push_back(j);
    s.row_index.insert(s.row_index.end(), below.begin(), below.end());
    s.row_start[t + 1] = static_cast<int64_t>(s.row_index.size());
    if (!below.empty()) {
      const int up = s.supernode_of[below.front()];
      s.parent[t] = up;
      child_next[t] = child_head[up];
      child_head[up] = t;
    }
  }

  // Block storage and statistics.
  s.value_start.assign(ns + 1, 0);
  for (int t = 0; t < ns; ++t) {
    const int64_t w = s.width(t), r = s.row_count(t);
    s.value_start[t + 1] = s.value_start[t] + w * r;
    s.factor_nonzeros += trapezoid(w, r);
    for (int64_t k = 0; k < w; ++k) s.flops += static_cast<double>(r - k) * static_cast<double>(r - k);
  }

  // Update lists, grouped by target and sorted by source.
  s.update_start.assign(ns + 1, 0);
  for (int pass = 0; pass < 2; ++pass) {
    std::vector<int64_t> next;
    if (pass == 1) {
      for (int t = 0; t < ns; ++t) s.update_start[t + 1] += s.update_start[t];
      const int64_t total = s.update_start[ns];
      s.update_source.resize(total);
      s.update_begin.resize(total);
      s.update_end.resize(total);
      next.assign(s.update_start.begin(), s.update_start.end() - 1);
    }
    for (int src = 0; src < ns; ++src) {
      const int64_t base = s.row_start[src];
      const int r = s.row_count(src);
      int p = s.width(src);
      while (p < r) {
        const int target = s.supernode_of[s.row_index[base + p]];
        int q = p + 1;
        while (q < r && s.row_index[base + q] < s.first[target + 1]) ++q;
        if (pass == 0) {
          ++s.update_start[target + 1];
        } else {
          const int64_t at = next[target]++;
          s.update_source[at] = src;
          s.update_begin[at] = p;
          s.update_end[at] = q;
          s.max_scaled_size = std::max<int64_t>(s.max_scaled_size, static_cast<int64_t>(q - p) * s.width(src));
        }
        p = q;
      }
    }
  }
  // The dense block kernel updates within one supernode too.
  for (int t = 0; t < ns; ++t)
    s.max_scaled_size = std::max<int64_t>(s.max_scaled_size, static_cast<int64_t>(s.width(t)) * s.width(t));

  // Where each analysed entry goes.
  s.entry_target.resize(lower.index.size());
  s.diagonal_entry.assign(n, -1);
  for (int j = 0; j < n; ++j) {
    for (int64_t p = lower.start[j]; p < lower.start[j + 1]; ++p) {
      const int a = s.inverse[lower.index[p]];
      const int b = s.inverse[j];
      const int row = std::max(a, b), col = std::min(a, b);
      const int t = s.supernode_of[col];
      const int* rows_begin = s.row_index.data() + s.row_start[t];
      const int* rows_end = s.row_index.data() + s.row_start[t + 1];
      const int64_t offset = std::lower_bound(rows_begin, rows_end, row) - rows_begin;
      s.entry_target[p] = s.value_start[t] + static_cast<int64_t>(col - s.first[t]) * s.row_count(t) + offset;
      if (a == b) s.diagonal_entry[j] = p;
    }
  }
}

bool cluster_wide_supernodes(const SymbolicFactor& s, std::vector<int>& perm) {
  perm = s.perm;
  bool changed = false;
  std::vector<int64_t> first_update;
  std::vector<int> order;
  for (int t = 0; t < s.supernodes; ++t) {
    const int width = s.width(t), first = s.first[t];
    if (width < kWideSupernode) continue;
    // Updates are listed by source in elimination order; walked backwards,
    // each column ends with its earliest.
    first_update.assign(width, std::numeric_limits<int64_t>::max());
    for (int64_t u = s.update_start[t + 1] - 1; u >= s.update_start[t]; --u) {
      const int* row = s.row_index.data() + s.row_start[s.update_source[u]];
      for (int q = s.update_begin[u]; q < s.update_end[u]; ++q) first_update[row[q] - first] = u;
    }
    order.resize(width);
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int x, int y) { return first_update[x] < first_update[y]; });
    for (int k = 0; k < width; ++k) {
      perm[first + k] = s.perm[first + order[k]];
      changed = changed || order[k] != k;
    }
  }
  return changed;
}

}  // namespace korva::barrier
