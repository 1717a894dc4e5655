#include "presolve/mip_parts.h"

#include <memory>
#include <string>
#include <vector>

#include "env/channel.h"
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

// User cuts in the reduced columns: a column presolve fixed moves to the
// right-hand side at its value; a cut on a column it removed otherwise
// (substituted, merged) has no form in the reduced problem and is dropped.
std::unique_ptr<RowPool> crushed_user_cuts(const RowPool* pool, const PresolveWork& w, const std::vector<int>& col_map,
                                           int64_t* dropped) {
  *dropped = 0;
  if (!pool) return nullptr;
  auto out = std::make_unique<RowPool>();
  for (int r = 0; r < pool->num_rows(); ++r) {
    double rhs = pool->rhs[r];
    bool expressible = true;
    const size_t first = out->index.size();
    for (int64_t k = pool->begin[r]; k < pool->begin[r + 1] && expressible; ++k) {
      const int j = pool->index[k];
      if (col_map[j] >= 0) {
        out->index.push_back(col_map[j]);
        out->value.push_back(pool->value[k]);
      } else if (w.lb[j] == w.ub[j]) {
        rhs -= pool->value[k] * w.lb[j];
      } else {
        expressible = false;
      }
    }
    if (!expressible) {
      out->index.resize(first);
      out->value.resize(first);
      ++*dropped;
      continue;
    }
    out->begin.push_back(static_cast<int64_t>(out->index.size()));
    out->rhs.push_back(rhs);
    out->sense.push_back(pool->sense[r]);
    out->names.push_back(r < static_cast<int>(pool->names.size()) ? pool->names[r] : std::string());
  }
  return out;
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
  int64_t dropped = 0;
  reduced.user_cuts = crushed_user_cuts(original.user_cuts.get(), w, rec.col_map, &dropped);
  if (dropped > 0) msg(env.results(), "Could not crush %lld user cuts.", static_cast<long long>(dropped));
  reduced.lazy_constraints = renumbered_pool(original.lazy_constraints.get(), rec.col_map);
  return 0;
}

}  // namespace korva::presolve
