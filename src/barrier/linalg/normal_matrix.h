// The normal-equations matrix M = A·diag(d)·Aᵀ + diag(r) of the barrier,
// kept as its lower triangle. The pattern is built once; every iteration only
// refills the values.
#pragma once
#include <cstdint>
#include <vector>

#include "barrier/linalg/csc_matrix.h"

namespace korva::barrier {

class NormalMatrix {
 public:
  // a is m×n and is copied: assemble() reads its values. Columns j with
  // in_product[j] == 0 (dense columns, handled apart) are left out of M. The
  // diagonal is always present, even for empty rows.
  void analyse(const CscMatrix& a, const std::vector<char>& in_product);
  // Fills the values for this d (size n) and r (size m, added to the
  // diagonal). Allocates nothing.
  void assemble(const double* d, const double* r);
  // Zeroes the given rows of the copy of A (the pattern stays).
  void zero_rows(const std::vector<int>& rows);
  // m×m lower triangle; each column's diagonal entry comes first.
  const CscMatrix& matrix() const { return m_; }
  int64_t lower_nonzeros() const { return static_cast<int64_t>(m_.index.size()); }

 private:
  CscMatrix a_;                    // the included columns of A (others emptied)
  std::vector<int64_t> row_start_; // A by rows: positions into a_.value
  std::vector<int> row_col_;
  std::vector<int64_t> row_pos_;
  std::vector<int64_t> slot_;      // work: position of row k in the current column of M
  CscMatrix m_;
};

}  // namespace korva::barrier
