#include "mip/pseudocosts.h"

#include <algorithm>
#include <cmath>

namespace korva::mip {

namespace {

constexpr double kFloor = 0.0001;
constexpr int64_t kHistory = 1000;
constexpr double kSmallestChange = 1e-5;
constexpr double kNoChange = 1e-10;
constexpr double kNoDegradation = 1e37;

// Merges one value: `worker` and `start` are the worker's value and count
// now and when it started from the shared table.
void merge_value(double& shared, int64_t& shared_count, double worker, int64_t worker_count, double start,
                 int64_t start_count) {
  const int64_t added = worker_count - start_count;
  if (added <= 0) return;
  const double change = worker * static_cast<double>(worker_count) - start * static_cast<double>(start_count);
  shared = std::max((static_cast<double>(shared_count) * shared + change) / static_cast<double>(shared_count + added),
                    kFloor);
  shared_count += added;
}

}  // namespace

void Pseudocosts::init(int num_cols) {
  down_.assign(static_cast<size_t>(num_cols), kFloor);
  up_.assign(static_cast<size_t>(num_cols), kFloor);
  down_count_.assign(static_cast<size_t>(num_cols), 0);
  up_count_.assign(static_cast<size_t>(num_cols), 0);
  average_down_ = average_up_ = kFloor;
  average_down_count_ = average_up_count_ = 0;
}

void Pseudocosts::update(double& value, int64_t& count, double unit_cost) {
  const double n = static_cast<double>(std::min(count, kHistory));
  value = std::max((n * value + unit_cost) / (n + 1.0), kFloor);
  ++count;
}

void Pseudocosts::record(int col, double change, double degradation, bool move_averages) {
  if (degradation >= kNoDegradation || std::isnan(degradation)) return;
  degradation = std::max(degradation, 0.0);
  if (change <= -kNoChange) {
    const double unit = degradation / std::max(-change, kSmallestChange);
    update(down_[col], down_count_[col], unit);
    if (move_averages) update(average_down_, average_down_count_, unit);
  } else if (change >= kNoChange) {
    const double unit = degradation / std::max(change, kSmallestChange);
    update(up_[col], up_count_[col], unit);
    if (move_averages) update(average_up_, average_up_count_, unit);
  }
}

void Pseudocosts::merge(const Pseudocosts& worker, const Pseudocosts& start) {
  for (size_t j = 0; j < down_.size(); ++j) {
    merge_value(down_[j], down_count_[j], worker.down_[j], worker.down_count_[j], start.down_[j],
                start.down_count_[j]);
    merge_value(up_[j], up_count_[j], worker.up_[j], worker.up_count_[j], start.up_[j], start.up_count_[j]);
  }
  merge_value(average_down_, average_down_count_, worker.average_down_, worker.average_down_count_,
              start.average_down_, start.average_down_count_);
  merge_value(average_up_, average_up_count_, worker.average_up_, worker.average_up_count_, start.average_up_,
              start.average_up_count_);
}

}  // namespace korva::mip
