// The local bounds of a search node: the columns' bounds and which of the
// relaxation's optional rows (indicator and lazy constraints) are active.
// Every change goes on a trail, so branching, diving, probing and strong
// branching push changes and pop back to a mark instead of copying.
//
// Propagation tightens bounds from the active rows (activity bounds, with
// integer columns rounded), activates indicator rows whose indicator takes
// its active value, fixes an indicator whose row cannot hold, and applies
// the special ordered sets and semi-continuous domains.
#pragma once
#include <cstdint>
#include <vector>

#include "mip/mip_model.h"

namespace korva::mip {

struct BoundChange {
  int col;
  double lower, upper;
};

class Domain {
 public:
  // Starts from the model's bounds (semi-continuous columns relaxed to
  // include 0), every optional row inactive.
  void init(const MipModel& model, double feasibility_tol, double integrality_tol);

  double lower(int j) const { return lower_[j]; }
  double upper(int j) const { return upper_[j]; }
  const std::vector<double>& lowers() const { return lower_; }
  const std::vector<double>& uppers() const { return upper_; }
  bool row_active(int row) const { return active_[row] != 0; }
  bool infeasible() const { return infeasible_; }

  // Tightens a bound (looser values are ignored); integer columns are
  // rounded. A crossing bound makes the domain infeasible.
  void tighten_lower(int j, double value);
  void tighten_upper(int j, double value);
  void set_bounds(int j, double lower, double upper);  // both, unconditionally
  void activate_row(int row);
  // What holds for the whole tree: rows switched on everywhere and bound
  // changes valid for every improving solution.
  void apply_global(const std::vector<int>& rows, const std::vector<BoundChange>& changes);

  // Trail positions: undo(mark()) returns to the state at the mark.
  size_t mark() const { return trail_.size(); }
  void undo(size_t mark);

  // Propagates the changes since the last propagation; false when the
  // domain turned out infeasible. A few passes over the matrix at most.
  bool propagate();
  // Entries read by propagation so far.
  int64_t work_done() const { return work_done_; }

  // The columns whose bounds changed since the trail position `mark`
  // (each once, in no particular order).
  void changed_since(size_t mark, std::vector<int>& cols) const;

  // Columns whose bounds changed since the last call (for the LP).
  void take_changed_columns(std::vector<int>& out);
  // Rows whose activity changed since the last call.
  void take_changed_rows(std::vector<int>& out);

  // The branching changes of the path from the root (what a node stores).
  const MipModel& model() const { return *model_; }

 private:
  struct Entry {
    int what;        // column index, or -(row + 1) for a row activation
    double lower, upper;
    bool was_infeasible;
  };
  void record(int j);
  bool worth_moving(int j, double from, double to) const;
  void imply_lower(int j, double value);
  void imply_upper(int j, double value);
  void touch_column(int j);
  void queue_rows_of(int j);
  void propagate_row(int row);
  void propagate_column_links(int j);
  double rounded_lower(int j, double v) const;
  double rounded_upper(int j, double v) const;

  const MipModel* model_ = nullptr;
  double feas_tol_ = 1e-6, int_tol_ = 1e-5;
  int64_t work_budget_ = 0;
  int64_t work_done_ = 0;
  std::vector<double> lower_, upper_;
  std::vector<char> active_;  // per relaxation row
  bool infeasible_ = false;
  std::vector<Entry> trail_;
  // Changes to hand to the LP and rows to propagate.
  std::vector<int> changed_cols_, changed_rows_;
  std::vector<char> col_changed_, row_changed_;
  std::vector<int> queue_;
  std::vector<char> queued_;
  std::vector<int> pending_links_;  // columns whose SOS / indicator links need a look
  std::vector<char> link_pending_;
  // Per column: the indicator links it drives, and the SOS it belongs to.
  std::vector<std::vector<int>> indicator_of_col_, sos_of_col_;
  std::vector<int> indicator_of_row_;  // relaxation row -> indicator link, or -1
};

}  // namespace korva::mip
