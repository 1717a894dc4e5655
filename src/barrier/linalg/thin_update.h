// The update a supernode makes on a later supernode's block, subtracted
// where its rows land. For a thin source (a few columns) a general product
// would write it to a buffer and scatter it after: the buffer's traffic
// costs more than the arithmetic, so each target entry takes its short dot
// product in place. A wider source's product goes through a buffer, which
// is then subtracted the same way.
#pragma once
#include <cstdint>

namespace korva::barrier {

inline constexpr int kThinUpdateWidth = 8;  // widest such source

struct ThinSource {
  const double* rows;     // first of the m source rows that land in the target
  const double* columns;  // first of the c source rows naming target columns
  int64_t ld;             // source block leading dimension
  int width;              // 1 .. kThinUpdateWidth
  int m, c;
  const signed char* sign;  // pivot signs of the source columns, or null (all +1)
};

// Where the m source rows land: target row relative[i] of each target
// column, in runs of consecutive target rows starting at run_start[r]
// (run_start[runs] = m) when `runs_are_long`. Target column j (one of the c)
// is column column_index[j] − first of the block, and only its rows from
// i = j + shift on are updated (the lower triangle).
struct ThinTarget {
  double* block;
  int64_t ld;
  const int* column_index;
  int first;
  const int* relative;
  const int* run_start;
  int runs;
  bool runs_are_long;
  int shift;
};

// Each target entry's sum runs over the source columns in order, whatever
// instructions the machine has, so the factor is the same on any thread
// count and any machine.
void subtract_thin_update(const ThinSource& source, const ThinTarget& target);

// The update of a wider source, computed into `product` (m × c,
// column-major), subtracted from the target it lands in as above.
void subtract_update_product(const double* product, int m, int c, const ThinTarget& target);

}  // namespace korva::barrier
