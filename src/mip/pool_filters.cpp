#include "mip/pool_filters.h"

#include <cmath>

#include "env/errors.h"
#include "mip/pool_errors.h"
#include "model/datacheck.h"

namespace korva::mip {

bool is_integer_like(char ctype) { return ctype == 'B' || ctype == 'I' || ctype == 'N'; }

double settled_value(const Problem& p, int j, double x, double integrality) {
  if (!is_integer_like(p.ctype(j))) return x;
  const double r = std::round(x);
  return std::fabs(x - r) <= integrality ? r : x;
}

double filter_measure(const PoolFilter& f, const Problem& p, const double* x, double integrality) {
  double sum = 0.0;
  for (size_t k = 0; k < f.cols.size(); ++k) {
    const int j = f.cols[k];
    const double v = settled_value(p, j, x[j], integrality);
    if (f.type == FilterType::Diversity)
      sum += f.weight(k) * std::fabs(v - f.values[k]);
    else
      sum += f.values[k] * v;
  }
  return sum;
}

bool filter_passes(const PoolFilter& f, const Problem& p, const double* x, double integrality) {
  const double m = filter_measure(f, p, x, integrality);
  return f.lower <= m && m <= f.upper;
}

int check_filter(Environment& env, const Problem& p, const PoolFilter& f) {
  const auto n = static_cast<int64_t>(f.cols.size());
  if (int status = model::check::index_list(env, f.cols.data(), n, p.num_cols(), false)) return status;
  if (f.type == FilterType::Diversity)
    for (int j : f.cols)
      if (p.ctype(j) != 'B') return poolcode::kNonBinaryDiversity;
  return 0;
}

void renumber_filter(PoolFilter& f, const int* map) {
  size_t kept = 0;
  for (size_t k = 0; k < f.cols.size(); ++k) {
    const int to = map[f.cols[k]];
    if (to < 0) continue;
    f.cols[kept] = to;
    f.values[kept] = f.values[k];
    if (!f.weights.empty()) f.weights[kept] = f.weights[k];
    ++kept;
  }
  f.cols.resize(kept);
  f.values.resize(kept);
  if (!f.weights.empty()) f.weights.resize(kept);
}

}  // namespace korva::mip
