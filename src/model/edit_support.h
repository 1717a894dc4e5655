// Helpers shared by the model operations (not used outside src/model).
#pragma once
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "model/model.h"

namespace korva::model::detail {

// Start of every editor: 1023 for a locked problem, then the buffered
// additions are applied so that indices refer to the whole model.
int begin_edit(Environment& env, Problem& lp);
// Start of every query: applies the buffered additions.
int begin_read(Environment& env, Problem& lp);

// Basis status of a column added with these bounds: free columns are
// superbasic at 0, columns without a finite lower bound sit at their upper
// bound, all others at their lower bound.
int column_status(double lb, double ub);

bool is_column_type(char c);
// 3021 (printed with the position) for a letter other than C, B, I, S, N.
int check_column_types(Environment& env, const char* ctype, int64_t n);
// Upper bound of a new column when the caller gave none.
inline double default_upper(char ctype) { return ctype == 'B' ? 1.0 : kInfinity; }

bool is_internal_type(int type);  // subproblem types 4, 9, 12
bool is_fixed_type(int type);     // 3, 8, 13
// The type that the parts present imply (LP, MILP, QP, MIQP, QCP, MIQCP).
int implied_type(const Problem& lp);
// After a loader added a part: the type follows the parts (event 60 when
// it changes). Internal and fixed types stay.
void follow_parts(Problem& lp);

// MIP data with one 'C' per column, for problems that become MIPs.
std::unique_ptr<MipData> new_mip_data(int num_cols);
// Discards the named parts, saying so on the warning channel when the data
// check is on ("Freeing MIP data.\n", ...), for each part actually present.
void discard_parts(Environment& env, Problem& lp, bool mip, bool quad, bool qcons);

// Names of items appended to one dimension. plan() may allocate and changes
// nothing; write() does not allocate. Without new names and without stored
// names nothing happens; new items without a given name (or with a null
// entry) get their default names. plan() only reserves room in `store`.
class NameAppend {
 public:
  void plan(NameStore& store, int64_t existing, int64_t adding, const char* const* names,
            char letter);
  void write(NameStore& store, int64_t existing, int64_t adding, const char* const* names,
             char letter);

 private:
  bool touch_ = false;
  bool fresh_ = false;
  NameStore fresh_store_;
};

// KRVchgcoef on a pending row or column of the modification buffer
// (i = -1: objective, j = -1: rhs, j = -2: range, else a matrix entry).
int cache_coefficient(Environment& env, Problem& lp, int i, int j, double value);

// New indices after deleting the items flagged in `deleted`: the map used
// by every per-row or per-column array. Returns the number kept.
int build_map(const std::vector<char>& deleted, std::vector<int>& map);

// Removes the entries of `v` whose map entry is negative (keeps order).
template <class T>
void compact_by_map(std::vector<T>& v, const int* map) {
  size_t kept = 0;
  for (size_t k = 0; k < v.size(); ++k)
    if (map[k] >= 0) v[kept++] = v[k];
  v.resize(kept);
}

}  // namespace korva::model::detail
