// The negative codes of the column and row maps that say how an item left
// the problem, read off the reductions.
#include "presolve/reductions.h"

namespace korva::presolve {

void apply_map_codes(const Problem& original, PresolveRecord& rec) {
  for (const Reduction& r : rec.stack) {
    switch (r.kind) {
      case ReductionKind::FreeSingleton:
      case ReductionKind::SlackSingleton:
      case ReductionKind::Aggregate:
        if (rec.col_map[r.col] < 0) rec.col_map[r.col] = kSubstituted;
        break;
      case ReductionKind::DuplicateRow: {
        // An inequality whose range, met with its parallel row's, left an
        // equality in the reduced problem.
        if (original.sense(r.row) == 'E' || rec.row_map[r.row] >= 0) break;
        const int kept = rec.row_map[r.other];
        if (kept >= 0 && rec.reduced && rec.reduced->sense(kept) == 'E') rec.row_map[r.row] = kMadeEquality;
        break;
      }
      default:
        break;
    }
  }
}

}  // namespace korva::presolve
