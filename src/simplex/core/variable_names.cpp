#include "simplex/core/variable_names.h"

#include "model/model.h"

namespace korva::simplex {

std::string variable_name(Environment& env, const Problem& p, const SimplexLp& lp, int var) {
  if (var < 0) return "";
  if (!lp.is_logical(var)) return model::col_name(env, p, var);
  const int row = lp.row_of_logical(var);
  std::string name = model::row_name(env, p, row);
  switch (lp.logical_kind[row]) {
    case lu::LogicalKind::Range:
      return name + " range";
    case lu::LogicalKind::Artificial:
      return name + " artif";
    default:
      return name + " slack";
  }
}

}  // namespace korva::simplex
