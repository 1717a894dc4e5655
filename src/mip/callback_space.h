// The index space a callback's queries answer in. With KRV_PARAM_MIPCBREDLP
// 1 (or when the search works on the user's problem itself) it is the
// searched problem's; with 0 and a presolved search it is the original
// problem's: values are mapped back through postsolve and indices through
// the presolve maps.
#pragma once
#include <vector>

#include "mip/callback_data.h"

namespace korva::mip {

class CallbackSpace {
 public:
  explicit CallbackSpace(const MipCallbackData& d);

  bool original() const { return original_; }
  int num_cols() const { return num_cols_; }
  // The problem whose indices the answers use.
  Problem* problem() const { return problem_; }

  // The searched column of column j of this space, or -1 when presolve
  // removed it.
  int searched_col(int j) const;
  // Column of this space of searched column k.
  int space_col(int k) const;

  // A vector over the searched columns as one over this space's columns.
  void values(const double* searched, std::vector<double>& out) const;
  // Bounds over the searched columns (IEEE infinities allowed) as bounds of
  // this space's columns, infinite ones as +-1e20. A column presolve removed
  // or merged with another reports its original bounds: its mapped-back
  // value always lies within them, which the searched bounds of a merged
  // column do not promise.
  void bounds(const double* searched_lower, const double* searched_upper, std::vector<double>& lower,
              std::vector<double>& upper) const;

 private:
  const MipCallbackData& d_;
  bool original_ = false;
  int num_cols_ = 0;
  Problem* problem_ = nullptr;
};

// +-inf as the user's +-1e20.
double user_value(double v);

}  // namespace korva::mip
