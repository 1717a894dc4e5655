#include "presolve/mip_parts.h"

#include <memory>
#include <vector>

#include "model/model.h"

namespace korva::presolve {

namespace {

char reduced_type(const Problem& original, const PresolveWork& w, int j) {
  if (w.frozen[j]) return original.ctype(j);
  if (!w.integer[j]) return 'C';
  return w.lb[j] >= 0.0 && w.ub[j] <= 1.0 ? 'B' : 'I';
}

std::unique_ptr<RowPool> renumbered_pool(const RowPool* pool, const std::vector<int>& col_map) {
  if (!pool) return nullptr;
  auto copy = std::make_unique<RowPool>(*pool);
  for (int& j : copy->index) j = col_map[j];
  return copy;
}

}  // namespace

int carry_mip_parts(Environment& env, const Problem& original, const PresolveWork& w, const PresolveRecord& rec,
                    Problem& reduced) {
  std::vector<char> ctype(rec.orig_col.size());
  for (size_t k = 0; k < rec.orig_col.size(); ++k) ctype[k] = reduced_type(original, w, rec.orig_col[k]);
  if (int code = model::copy_ctype(env, reduced, ctype.data())) return code;
  for (SosSet s : original.mip->sos) {
    for (int& j : s.indices) j = rec.col_map[j];
    reduced.mip->sos.push_back(std::move(s));
  }
  for (IndicatorConstraint ic : original.mip->indicators) {
    ic.indicator = rec.col_map[ic.indicator];
    for (int& j : ic.linind) j = rec.col_map[j];
    reduced.mip->indicators.push_back(std::move(ic));
  }
  reduced.user_cuts = renumbered_pool(original.user_cuts.get(), rec.col_map);
  reduced.lazy_constraints = renumbered_pool(original.lazy_constraints.get(), rec.col_map);
  return 0;
}

}  // namespace korva::presolve
