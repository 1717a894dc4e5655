#include "simplex/core/simplex_work.h"

namespace korva::simplex {

bool SimplexWork::keep_after_partial_reset(int event) {
  switch (static_cast<ChangeEvent>(event)) {
    case ChangeEvent::Bounds:
    case ChangeEvent::ObjCoef:
    case ChangeEvent::ObjList:
    case ChangeEvent::ObjSense:
    case ChangeEvent::RhsList:
    case ChangeEvent::RhsCoef:
    case ChangeEvent::RangeCoef:
    case ChangeEvent::Ranges:
      farkas_row = -1;
      return true;
    default:
      // A changed coefficient makes the matrix copy and the factor stale;
      // the basis itself survives in the problem and restarts the next run.
      return false;
  }
}

void SimplexWork::sync_basic_values() {
  const int m = lp.num_rows;
  for (int r = 0; r < m; ++r) x[basic_index[r]] = x_basic[r];
}

SimplexWork* find_simplex_work(Problem& p) { return dynamic_cast<SimplexWork*>(p.derived.work.get()); }

SimplexWork& simplex_work(Problem& p) {
  if (SimplexWork* w = find_simplex_work(p)) return *w;
  auto fresh = std::make_unique<SimplexWork>();
  SimplexWork& ref = *fresh;
  p.derived.work = std::move(fresh);
  return ref;
}

}  // namespace korva::simplex
