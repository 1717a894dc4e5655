#include "simplex/lu/singular_repair.h"

#include <cmath>
#include <string>

#include "env/environment.h"

namespace korva::lu {

namespace {
constexpr double kInfiniteBound = 1e20;
// Values this large are not kept as superbasic: they would only carry
// their magnitude into the recomputed basic values.
constexpr double kLargestSuperbasic = 1e10;

std::string name_of(const RepairView& view, bool row, int index) {
  if (view.name) {
    const char* n = view.name(view.name_context, row, index);
    if (n) return n;
  }
  return (row ? "R" : "C") + std::to_string(index + 1);
}
}  // namespace

Placement place_nonbasic(double value, double lower, double upper, double* placed_value) {
  const bool has_lower = lower > -kInfiniteBound;
  const bool has_upper = upper < kInfiniteBound;
  if (has_lower && value <= lower) {
    *placed_value = lower;
    return Placement::AtLower;
  }
  if (has_upper && value >= upper) {
    *placed_value = upper;
    return Placement::AtUpper;
  }
  if (std::fabs(value) < kLargestSuperbasic && (has_lower == has_upper)) {
    // Strictly between finite bounds, or free: the value is kept.
    *placed_value = value;
    return Placement::Superbasic;
  }
  if (has_lower && (!has_upper || value - lower <= upper - value)) {
    *placed_value = lower;
    return Placement::AtLower;
  }
  if (has_upper) {
    *placed_value = upper;
    return Placement::AtUpper;
  }
  *placed_value = 0.0;
  return Placement::Free;
}

void repair_singular_basis(krv_env_s& env, const BasisSource& source, int* basic_index,
                           const std::vector<int>& positions, const std::vector<int>& rows,
                           const RepairView& view, std::vector<RepairRecord>& records) {
  Channel* out = env.results();
  long superbasic = 0;
  const size_t pairs = std::min(positions.size(), rows.size());
  for (size_t k = 0; k < pairs; ++k) {
    RepairRecord rec;
    rec.position = positions[k];
    rec.row = rows[k];
    rec.removed = basic_index[rec.position];
    rec.entered = source.slack_of_row(rec.row);
    basic_index[rec.position] = rec.entered;

    const int var = rec.removed;
    if (view.dual) {
      msg(out, "Dual '%.255s' fixed because of singularity.\n", name_of(view, true, rec.row).c_str());
    } else if (source.is_structural(var)) {
      msg(out, "Variable '%.255s' fixed because of singularity.\n", name_of(view, false, var).c_str());
      rec.fixed_by_singularity = true;
    } else {
      switch (source.logical_kind_of(var)) {
        case LogicalKind::Slack:
          if (view.display >= 1) msg(out, "Slack removed by singularity.\n");
          break;
        case LogicalKind::Range:
          msg(out, "Variable 'range %.255s' caused singularity.\n",
              name_of(view, true, source.logical_row_of(var)).c_str());
          break;
        case LogicalKind::Artificial:
          break;
      }
    }
    double value = view.value ? view.value[var] : 0.0;
    double lower = view.lower ? view.lower[var] : 0.0;
    double upper = view.upper ? view.upper[var] : kInfiniteBound;
    rec.placement = place_nonbasic(value, lower, upper, &rec.value);
    if (rec.placement == Placement::Superbasic) ++superbasic;
    records.push_back(rec);
  }
  if (superbasic > 0) msg(out, "Added to %ldd columns superbasic list.\n", superbasic);
}

}  // namespace korva::lu
