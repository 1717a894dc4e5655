// Sparse supernodal Cholesky factorisation of the barrier's symmetric systems:
// the normal equations (positive definite, L·Lᵀ) and the quasi-definite
// augmented systems of quadratic programs (L·D·Lᵀ with D's signs known).
#pragma once
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "barrier/linalg/csc_matrix.h"
#include "barrier/linalg/factor_storage.h"
#include "barrier/linalg/ordering.h"
#include "barrier/linalg/out_of_core_store.h"
#include "barrier/linalg/panel_plan.h"
#include "barrier/linalg/symbolic_factor.h"

namespace korva::barrier {

// Returned by analyse when an ordering library hands back something that is
// not a permutation.
inline constexpr int kBadPermutation = 4005;

struct FactorStatistics {
  int threads = 1;
  int rows = 0;
  int64_t integer_space = 0;    // integers held by the symbolic structure
  int64_t factor_nonzeros = 0;  // nonzeros of L including the diagonal
  double flops = 0;             // floating-point operations of one numeric factorisation
  int supernodes = 0;
  std::vector<std::pair<int, int>> width_histogram;  // (supernode width, how many), ascending
  Ordering ordering_used = Ordering::min_degree;
  double ordering_seconds = 0;
  double ordering_cost = 0;  // factor flops under the minimum-degree ordering (automatic choice only)
};

class CholeskyFactor {
 public:
  // How much memory the factor may take and where it goes beyond that;
  // applies from the next analyse(). Without it every factor stays in memory.
  // A factor larger than the memory is kept in temporary files: the numeric
  // factorisation holds only the panels (and of those only the rows) still
  // needed as update sources, plus the panel being factored, in a working
  // storage sized by a symbolic pass; the solves read the panels back
  // through that storage. A working storage that holds the whole factor
  // (doubling often makes it so) is used as memory would be, on every
  // thread, and written out once the factor is done; the solves then read
  // nothing back. The results are the same numbers as in memory. The files
  // are made by the first factor() after analyse() (which prints about
  // them) and removed with the factor or by the next analyse(). Should they
  // fail, the factor quietly goes back to memory.
  void set_storage(const FactorStorage& storage) { storage_ = storage; }
  bool out_of_core() const { return out_of_core_ != nullptr; }
  // The directory of the temporary files; empty while there are none.
  std::string storage_directory() const;

  // Fill-reducing ordering and symbolic factorisation of the pattern of
  // `lower` (lower triangle with diagonal, as NormalMatrix gives it).
  // automatic: minimum degree first; when its factor flops exceed 500 times
  // the nonzeros of the lower triangle, nested dissection and minimum fill
  // are tried as well, on up to `ordering_threads` threads (0: at most 2), and
  // the ordering with the fewest flops is kept. `threads` bounds the numeric
  // factorisation. Returns 0, 1001 (out of memory) or 4005 (bad permutation).
  int analyse(const CscMatrix& lower, Ordering choice, int threads, int ordering_threads);

  // Numeric factorisation of values laid out as lower.value of the analysed
  // pattern. pivot_sign null: positive definite, L·Lᵀ. Otherwise one entry
  // per row, +1 or -1: the matrix is quasi-definite and is factored as
  // L·D·Lᵀ with D's signs given. A pivot whose magnitude (with the expected
  // sign) falls below pivot_floor times the largest diagonal magnitude is
  // treated as zero: its column of L is zeroed and solves return 0 in that
  // component, which drops a dependent equation. Any other pivot below
  // 1e-13 of its own diagonal entry is raised to that: cancellation has left
  // it without accurate digits. Returns the number of zero pivots, or -1
  // when the factorisation failed (NaN or infinity).
  int factor(const double* values, double pivot_floor, const signed char* pivot_sign = nullptr);

  // Solves M·x = b in place (x holds b on entry), in the original numbering.
  // Safe to call concurrently with different x (out of core the solves take
  // turns). The second form takes a workspace of rows() doubles and
  // allocates nothing. On a factor of a million nonzeros or more held in
  // memory, the backward pass shares the subtrees among the factor's
  // threads, with the same numbers as on one.
  void solve(double* x) const;
  void solve(double* x, double* work) const;
  // Solves for `count` right-hand sides at once, interleaved: entry i of
  // right-hand side c is x[i·count + c]. Uses the dense kernels and the
  // factor's threads: much faster than `count` single solves. Not to be
  // called concurrently: its workspaces are kept from call to call.
  void solve_many(double* x, int count) const;

  const FactorStatistics& statistics() const { return stats_; }
  int rows() const { return symbolic_.rows; }
  // Whether the pivot of original row i was treated as zero by the last factor().
  bool zero_pivot(int i) const { return zero_pivot_[symbolic_.inverse[i]] != 0; }

 private:
  class BlockStream;  // the panels as a solve reads them

  SymbolicFactor symbolic_;
  FactorStatistics stats_;
  int threads_ = 1;
  std::vector<double> values_;         // supernode blocks, column-major
  std::vector<signed char> zero_pivot_;  // by pivot position
  std::vector<signed char> sign_;        // by pivot position: +1 or -1
  std::vector<double> least_pivot_;      // by pivot position: the least magnitude a pivot keeps
  // Threaded factorisation and backward solves: independent subtrees
  // (heaviest first), each a postorder range [subtree_first_, root] of
  // supernodes, and the supernodes above them in order, with multithreaded
  // dense kernels.
  std::vector<int> subtree_root_;
  std::vector<int> subtree_first_;
  std::vector<int> top_;
  // The analysed entries of each supernode's panel, in entry order:
  // panel_entries_[panel_entry_start_[t] .. panel_entry_start_[t + 1]).
  std::vector<int64_t> panel_entry_start_;
  std::vector<int64_t> panel_entries_;
  // Scratch of the numeric factorisation, one per thread, sized by analyse().
  struct Workspace {
    std::vector<int> position;   // row → offset in the current target block
    std::vector<int> relative;   // an update's rows → offsets in the target block
    std::vector<int> run_start;  // where the runs of consecutive offsets in `relative` start
    std::vector<double> update;  // one source's contribution
    std::vector<double> stack;   // sources with the same rows, side by side
    std::vector<double> scaled;  // source rows times the pivot signs; dense kernel scratch
    std::vector<double> dense_panel;  // a group of dense updates spread out (twice for signed pivots)
  };
  std::vector<Workspace> workspaces_;
  // By update: whether its source is spread into the target's positions
  // and applied by a dense product.
  std::vector<char> dense_update_;

  // A factor kept in temporary files. `working` holds the panels still
  // needed while factoring, placed by `plan`; afterwards the solves stream
  // the panels through it.
  struct OutOfCore {
    PanelPlan plan;
    double first_allocation = 0;  // doubles of working storage the memory limit allows
    double allocation = 0;        // after doubling until the plan fits
    std::vector<double> working;
    // While factoring: the first row each panel keeps.
    std::vector<int> kept_from;
    std::unique_ptr<OutOfCoreStore> store;
    std::mutex solve_lock;
    // Supernodes whose panels the working array still holds from the last
    // solve: the next one reads only what is missing. Cleared by factor().
    int resident[2] = {0, 0};
  };
  FactorStorage storage_;
  std::unique_ptr<OutOfCore> out_of_core_;

  // A group of the right-hand sides of solve_many(), row by row in pivot
  // order, and the rows below a supernode gathered for the kernels; one
  // per thread, sized by solve_many().
  struct RhsWork {
    std::vector<double> rows, below;
  };
  mutable std::vector<RhsWork> rhs_work_;

  void plan_threads();
  void group_entries_by_panel();
  int64_t mark_dense_updates();  // returns the size of the dense panel
  void solve_chunk(double* x, int stride, int first_rhs, int count, RhsWork& work) const;
  void plan_out_of_core(double memory_doubles);
  bool open_store();
  bool move_in_core();
};

}  // namespace korva::barrier
