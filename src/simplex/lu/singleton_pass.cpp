// The triangular parts of the basis: column singletons (their one entry is
// the pivot, nothing to eliminate) and row singletons (an eta of L without
// fill), taken out as long as either exists. Slack columns all go here.
#include <cmath>

#include "simplex/lu/factorizer.h"
#include "simplex/lu/lu_codes.h"

namespace korva::lu {

void Factorizer::singleton_passes() {
  // Lines whose singleton pivot is too small wait for the nucleus; they
  // leave their bucket so the passes do not meet them again.
  rejected_cols.clear();
  rejected_rows.clear();
  bool progress = true;
  while (progress && status == kOk) {
    progress = false;
    for (int c = col_buckets.first(1); c >= 0 && status == kOk; c = col_buckets.first(1)) {
      int r = cols.indices(c)[0];
      work += static_cast<uint64_t>(rows.length(r));
      if (std::fabs(entry(r, c)) > set.pivot_tolerance) {
        eliminate(r, c);
        progress = true;
      } else {
        col_buckets.remove(c);
        rejected_cols.push_back(c);
      }
    }
    for (int r = row_buckets.first(1); r >= 0 && status == kOk; r = row_buckets.first(1)) {
      int c = rows.indices(r)[0];
      if (std::fabs(rows.values(r)[0]) > set.pivot_tolerance) {
        eliminate(r, c);
        progress = true;
        // A row singleton shortens columns: look for new column singletons first.
        if (col_buckets.first(1) >= 0) break;
      } else {
        row_buckets.remove(r);
        rejected_rows.push_back(r);
      }
    }
  }
  restore_rejected();
}

}  // namespace korva::lu
