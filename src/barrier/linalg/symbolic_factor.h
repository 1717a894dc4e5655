// Symbolic supernodal factorisation: elimination tree, column counts,
// relaxed supernodes, their row structures and the update lists that drive
// the left-looking numeric factorisation.
#pragma once
#include <cstdint>
#include <vector>

#include "barrier/linalg/csc_matrix.h"

namespace korva::barrier {

struct SymbolicFactor {
  int rows = 0;
  std::vector<int> perm;     // perm[k]: original row eliminated k-th
  std::vector<int> inverse;  // inverse[i]: pivot position of original row i

  // Supernode s covers pivot columns first[s] .. first[s+1]-1. Its block is
  // row_count × width doubles, column-major, at value_start[s]; the block's
  // rows (pivot numbering, ascending, its own columns first) are
  // row_index[row_start[s] ..].
  int supernodes = 0;
  std::vector<int> first;
  std::vector<int> parent;  // supernodal elimination tree, -1 for roots
  std::vector<int> supernode_of;  // by pivot column
  std::vector<int64_t> row_start;
  std::vector<int> row_index;
  std::vector<int64_t> value_start;

  // Left-looking updates: supernode s receives, in increasing source order,
  // the updates from the rows [update_begin, update_end) of each source
  // supernode's block (the rows falling in s's columns).
  std::vector<int64_t> update_start;
  std::vector<int> update_source;
  std::vector<int> update_begin;
  std::vector<int> update_end;

  // Where each entry of the analysed lower triangle lands in the blocks.
  std::vector<int64_t> entry_target;
  std::vector<int64_t> diagonal_entry;  // by original row, -1 when absent

  int64_t factor_nonzeros = 0;
  double flops = 0;
  int64_t max_scaled_size = 0;  // largest source panel copied for signed updates

  int width(int s) const { return first[s + 1] - first[s]; }
  int row_count(int s) const { return static_cast<int>(row_start[s + 1] - row_start[s]); }
  int64_t integer_space() const;
};

// Size of the factor of `lower` under perm (no structure kept, no
// amalgamation), used to compare orderings.
struct FactorCost {
  double flops = 0;
  int64_t nonzeros = 0;  // of L, with the diagonal
};
FactorCost factor_cost(const CscMatrix& lower, const std::vector<int>& perm);

// Builds the whole symbolic structure. The ordering is refined by a postorder
// of the elimination tree, so s.perm may differ from perm.
void build_symbolic(const CscMatrix& lower, const std::vector<int>& perm, SymbolicFactor& s);

// The columns of a wide supernode may be eliminated in any order: its block
// is dense. Ordered by the first source that updates them, the rows each
// later source sends there tend to form unbroken runs, so updates land
// without indirection and in fewer cache lines. Returns whether any wide
// supernode changes order, with the new ordering in perm.
bool cluster_wide_supernodes(const SymbolicFactor& s, std::vector<int>& perm);

}  // namespace korva::barrier
