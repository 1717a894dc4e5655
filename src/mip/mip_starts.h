// MIP starts: partial or complete solutions handed in before a search, each
// a list of (column, value) pairs with an effort level and an optional
// name. The set hangs on the problem's MIP data (MipData::starts), so it
// goes with the MIP data, is copied by KRVcloneprob and follows column
// deletions; editing the model does not otherwise touch it, because a
// start stays meaningful for a changed model (the search checks it).
#pragma once
#include <string>
#include <vector>

#include "model/problem.h"

namespace korva::mip {

// Effort levels: how hard the search tries to turn a start into a solution.
inline constexpr int kEffortSkip = -1;
inline constexpr int kEffortAuto = 0;        // 4 for the first start, 1 for the others
inline constexpr int kEffortCheckFeas = 1;   // the values as they are
inline constexpr int kEffortSolveFixed = 2;  // integer values fixed, the rest solved
inline constexpr int kEffortSolveMip = 3;    // a search for a completion
inline constexpr int kEffortRepair = 4;      // as 3, then repaired when it fails
inline constexpr int kEffortNoCheck = 5;     // as 3 (a point is still never taken unchecked)
inline bool valid_effort(int effort) { return effort >= kEffortSkip && effort <= kEffortNoCheck; }

struct MipStart {
  std::vector<int> cols;        // distinct column indices
  std::vector<double> values;   // one per entry of cols
  int effort = kEffortAuto;
  std::string name;             // UTF-8; empty: unnamed
};

struct MipStartSet : AttachedPart {
  std::vector<MipStart> starts;

  std::unique_ptr<AttachedPart> clone() const override;
  // Entries of deleted columns go; a start that loses all of them stays
  // (an empty start), so start indices do not shift under the caller.
  bool renumber_columns(const int* map) override;
};

// The problem's starts, or null when it has no MIP data or none was stored.
MipStartSet* find_mip_starts(Problem& p);
const MipStartSet* find_mip_starts(const Problem& p);
int num_mip_starts(const Problem& p);

// The set of a MIP problem, created empty when missing.
MipStartSet& mip_starts_of(Problem& p);

// Name of start k as users see it: the stored one, else "m" and k + 1.
std::string mip_start_name(const MipStart& start, int k);

// Fills starts entry by entry: a later entry for a column overwrites the
// earlier one's value. The column table is reused from start to start, so
// a long list costs one pass.
class StartEntries {
 public:
  explicit StartEntries(int num_cols) : where_(static_cast<size_t>(num_cols), -1) {}
  // Makes the entries `start` holds already known (to change a start).
  void load(const MipStart& start);
  // Returns true when `col` was in `start` already.
  bool set(MipStart& start, int col, double value);
  // Clears the table after `start`, ready for the next one.
  void finish(const MipStart& start);

 private:
  std::vector<int> where_;  // position of each column in the start being filled
};

}  // namespace korva::mip
