// Variable upper bounds read from the model's rows: a two-column row
// a_y·y + a_z·z <= 0 (or its >= mirror) with y nonnegative and not binary,
// z binary, a_y > 0 > a_z, says y <= u·z with u = -a_z/a_y: y is off
// whenever z is. Flow cuts use them to pair a flow with its switch.
#pragma once
#include <cstdint>
#include <vector>

#include "mip/cuts/cut.h"
#include "mip/mip_model.h"

namespace korva::mip {

struct VariableUpperBound {
  int binary = -1;     // z
  double bound = 0.0;  // u, already capped by y's global upper bound; > 0
};

class VariableUpperBounds {
 public:
  // Reads the first `rows` rows of in.model under the global bounds of `in`.
  void build(const SeparationInput& in, int rows);

  bool empty() const { return bounds_.empty(); }
  const VariableUpperBound* begin(int col) const { return bounds_.data() + begin_[col]; }
  const VariableUpperBound* end(int col) const { return bounds_.data() + begin_[col + 1]; }
  bool has(int col) const { return begin_[col] < begin_[col + 1]; }
  // Whether row i is itself one of the bounds (nothing more to learn from it).
  bool is_bound_row(int row) const { return bound_row_[row] != 0; }
  // The bound of `col` that is tightest at the LP point x (smallest u·z),
  // or null when there is none.
  const VariableUpperBound* tightest(int col, const double* x) const;

 private:
  std::vector<int> begin_;
  std::vector<VariableUpperBound> bounds_;
  std::vector<uint8_t> bound_row_;
};

// Whether column j is a binary under the global bounds of `in`.
inline bool is_binary(const SeparationInput& in, int j) {
  return in.model->kind[j] == ColKind::Integer && in.lower[j] == 0.0 && in.upper[j] == 1.0;
}

}  // namespace korva::mip
