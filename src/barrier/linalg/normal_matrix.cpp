#include "barrier/linalg/normal_matrix.h"

#include <algorithm>

namespace korva::barrier {

void NormalMatrix::zero_rows(const std::vector<int>& rows) {
  for (int i : rows)
    for (int64_t q = row_start_[i]; q < row_start_[i + 1]; ++q) a_.value[row_pos_[q]] = 0.0;
}

void NormalMatrix::analyse(const CscMatrix& a, const std::vector<char>& in_product) {
  const int m = a.rows;
  const int n = a.cols;
  a_.rows = m;
  a_.cols = n;
  a_.start.assign(n + 1, 0);
  a_.index.clear();
  a_.value.clear();
  for (int j = 0; j < n; ++j) {
    if (in_product[j]) {
      for (int64_t p = a.start[j]; p < a.start[j + 1]; ++p) {
        a_.index.push_back(a.index[p]);
        a_.value.push_back(a.value[p]);
      }
    }
    a_.start[j + 1] = static_cast<int64_t>(a_.index.size());
  }

  // Rows of A, each entry pointing back at its position in a_.
  row_start_.assign(m + 1, 0);
  for (int i : a_.index) ++row_start_[i + 1];
  for (int i = 0; i < m; ++i) row_start_[i + 1] += row_start_[i];
  row_col_.resize(a_.index.size());
  row_pos_.resize(a_.index.size());
  {
    std::vector<int64_t> next(row_start_.begin(), row_start_.end() - 1);
    for (int j = 0; j < n; ++j) {
      for (int64_t p = a_.start[j]; p < a_.start[j + 1]; ++p) {
        const int64_t q = next[a_.index[p]]++;
        row_col_[q] = j;
        row_pos_[q] = p;
      }
    }
  }

  // Column i of the lower triangle holds every k >= i sharing a column with row i.
  m_.rows = m;
  m_.cols = m;
  m_.start.assign(m + 1, 0);
  m_.index.clear();
  std::vector<int> mark(m, -1);
  std::vector<int> column;
  for (int i = 0; i < m; ++i) {
    column.clear();
    column.push_back(i);
    mark[i] = i;
    for (int64_t q = row_start_[i]; q < row_start_[i + 1]; ++q) {
      const int j = row_col_[q];
      // Row indices are sorted, so the rows >= i of column j start at row i itself.
      for (int64_t p = row_pos_[q]; p < a_.start[j + 1]; ++p) {
        const int k = a_.index[p];
        if (mark[k] != i) {
          mark[k] = i;
          column.push_back(k);
        }
      }
    }
    std::sort(column.begin() + 1, column.end());
    m_.index.insert(m_.index.end(), column.begin(), column.end());
    m_.start[i + 1] = static_cast<int64_t>(m_.index.size());
  }
  m_.value.assign(m_.index.size(), 0.0);
  slot_.assign(m, -1);
}

void NormalMatrix::assemble(const double* d, const double* r) {
  const int m = m_.cols;
  for (int i = 0; i < m; ++i) {
    const int64_t begin = m_.start[i];
    const int64_t end = m_.start[i + 1];
    for (int64_t p = begin; p < end; ++p) {
      slot_[m_.index[p]] = p;
      m_.value[p] = 0.0;
    }
    m_.value[begin] = r ? r[i] : 0.0;
    for (int64_t q = row_start_[i]; q < row_start_[i + 1]; ++q) {
      const int j = row_col_[q];
      const int64_t first = row_pos_[q];
      const double scaled = a_.value[first] * d[j];
      if (scaled == 0.0) continue;
      for (int64_t p = first; p < a_.start[j + 1]; ++p) {
        m_.value[slot_[a_.index[p]]] += scaled * a_.value[p];
      }
    }
  }
}

}  // namespace korva::barrier
