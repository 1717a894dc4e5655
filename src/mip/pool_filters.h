// The filters of a solution pool: named conditions a solution must meet to
// enter the pool. A diversity filter bounds the weighted distance of the
// solution's binary columns from reference values; a range filter bounds a
// linear expression in listed columns.
#pragma once
#include <string>
#include <vector>

#include "model/problem.h"

namespace korva::mip {

// The numbers are those of KRV_FILTER_DIVERSITY and KRV_FILTER_RANGE.
enum class FilterType : int { Diversity = 1, Range = 2 };

struct PoolFilter {
  FilterType type = FilterType::Range;
  std::string name;  // UTF-8
  // Diversity: lower and upper cutoff of the distance. Range: lower and
  // upper bound of the expression.
  double lower = 0.0, upper = 0.0;
  std::vector<int> cols;
  // Diversity: the reference value of each listed column. Range: the
  // coefficient of each listed column.
  std::vector<double> values;
  // Diversity only; empty when none were given, which weighs every column 1.
  std::vector<double> weights;

  double weight(size_t k) const { return weights.empty() ? 1.0 : weights[k]; }
};

// The filter's measure at x (columns of `p`): the distance
// sum w_j |x_j - ref_j| of a diversity filter, the value sum val_j x_j of a
// range filter. Integer columns within `integrality` of an integer count
// with that integer: the measure is meant for the values they stand for,
// and a binary at 0.9999999 must not look different from one at 1.
double filter_measure(const PoolFilter& f, const Problem& p, const double* x, double integrality);

// lower <= measure <= upper.
bool filter_passes(const PoolFilter& f, const Problem& p, const double* x, double integrality);

// Checks a filter against the problem before it is added: every listed
// column exists (1200, or 1201 with its position under the data check),
// and a diversity filter lists binary columns only (3414).
int check_filter(Environment& env, const Problem& p, const PoolFilter& f);

// After columns were deleted (column j became map[j], or vanished when
// map[j] < 0): entries of vanished columns leave the filter, the others
// are renumbered. A filter that loses every column stays, with an empty
// list, so that the positions of the filters do not move.
void renumber_filter(PoolFilter& f, const int* map);

// Value of column j as the pool compares it: integer-like columns ('B', 'I',
// 'N') within `integrality` of an integer are that integer.
double settled_value(const Problem& p, int j, double x, double integrality);
// 'B', 'I' and 'N' columns: the ones whose values are integers.
bool is_integer_like(char ctype);

}  // namespace korva::mip
