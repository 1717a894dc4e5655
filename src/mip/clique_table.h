// The clique table: sets of binary literals of which at most one can be
// true in any solution. A literal is 2j for x_j = 1 and 2j + 1 for x_j = 0.
// The cliques come from the rows: a row Σ a_j·x_j <= b over binaries (other
// columns bounded out, negative coefficients complemented) holds a clique
// of its heaviest items, any two of which together exceed the capacity.
#pragma once
#include <cstdint>
#include <functional>
#include <vector>

#include "mip/mip_model.h"

namespace korva::mip {

inline int literal_of(int col, bool complemented) { return 2 * col + (complemented ? 1 : 0); }
inline int column_of(int literal) { return literal / 2; }
inline bool is_complement(int literal) { return (literal & 1) != 0; }

class CliqueTable {
 public:
  // Adds the cliques of the first `rows` rows of the model, with the
  // columns' global bounds `lower` and `upper`.
  void build(const MipModel& m, int rows, const double* lower, const double* upper);

  // A clique found elsewhere (probing's implications).
  void add(const std::vector<int>& literals);

  // Called now and then with the share of the work done; false stops.
  using Progress = std::function<bool(double share)>;
  // Grows the small cliques (probing's pairs above all) by every literal
  // in conflict with all their members, within a work budget.
  void grow(int64_t work_limit, const Progress& progress);
  // Drops the cliques another one contains.
  void merge(int64_t work_limit, const Progress& progress);

  int64_t members() const { return static_cast<int64_t>(literals_.size()); }
  int size() const { return static_cast<int>(begin_.size()) - 1; }
  const int* begin(int clique) const { return literals_.data() + begin_[clique]; }
  const int* end(int clique) const { return literals_.data() + begin_[clique + 1]; }
  // The cliques a literal belongs to.
  const std::vector<int>& cliques_of(int literal) const {
    static const std::vector<int> kNone;
    return static_cast<size_t>(literal) < of_literal_.size() ? of_literal_[literal] : kNone;
  }

 private:
  std::vector<int64_t> begin_{0};
  std::vector<int> literals_;
  std::vector<std::vector<int>> of_literal_;

  bool conflict(int a, int b, int64_t* work) const;
  void rebuild(const std::vector<uint8_t>& keep);
};

}  // namespace korva::mip
