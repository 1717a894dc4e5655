// The pseudocost table: per column the average objective degradation per
// unit of change when branching down and up, with observation counts, and
// the global averages that stand in for columns without observations.
// Recent history weighs at most 1000 observations; values never fall below
// 0.0001.
#pragma once
#include <cstdint>
#include <vector>

namespace korva::mip {

class Pseudocosts {
 public:
  void init(int num_cols);

  // A child LP degraded the objective by `degradation` (>= 0) after the
  // branching column moved by `change` (negative down, positive up).
  // `move_averages` false keeps the global averages out (trials that must
  // not move them).
  void record(int col, double change, double degradation, bool move_averages = true);

  double down(int col) const { return down_count_[col] > 0 ? down_[col] : average_down_; }
  double up(int col) const { return up_count_[col] > 0 ? up_[col] : average_up_; }
  int64_t down_count(int col) const { return down_count_[col]; }
  int64_t up_count(int col) const { return up_count_[col]; }
  // The cost of moving `col` by `change`.
  double cost(int col, double change) const { return change >= 0 ? change * up(col) : -change * down(col); }

  // Deterministic parallel runs: a worker's table started as a copy of the
  // shared one (`start`); its change is merged into this table as a
  // count-weighted average.
  void merge(const Pseudocosts& worker, const Pseudocosts& start);

 private:
  static void update(double& value, int64_t& count, double unit_cost);
  std::vector<double> down_, up_;
  std::vector<int64_t> down_count_, up_count_;
  double average_down_ = 0.0001, average_up_ = 0.0001;
  int64_t average_down_count_ = 0, average_up_count_ = 0;
};

}  // namespace korva::mip
