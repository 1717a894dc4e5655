// The solution pool as a search sees it: every solution the search finds
// is mapped back to the user's problem and offered to the pool; in
// populate mode the pool's cutoff bounds the enumeration and its count of
// offered solutions ends it.
#pragma once
#include <cstdint>
#include <limits>

#include "mip/search.h"
#include "mip/solution_pool.h"
#include "presolve/presolve_record.h"

namespace korva::mip {

class PoolSink : public SolutionSink {
 public:
  // `rec`: the presolve record when the search runs on a presolved problem.
  // `stop_total`: the pool's offered_total() at which populate stops.
  PoolSink(Problem& p, SolutionPool& pool, const presolve::PresolveRecord* rec,
           int64_t stop_total = std::numeric_limits<int64_t>::max())
      : p_(p), pool_(pool), rec_(rec), stop_total_(stop_total) {}

  void offer(const std::vector<double>& x, double objective) override;
  double populate_cutoff(bool has_incumbent, double incumbent_objective) const override;
  bool populate_limit_reached() const override { return pool_.offered_total() >= stop_total_; }
  bool gap_limited() const override;

  // A solution of the user's problem itself.
  void offer_original(const std::vector<double>& x);

 private:
  Problem& p_;
  SolutionPool& pool_;
  const presolve::PresolveRecord* rec_;
  int64_t stop_total_;
  std::vector<double> scratch_;
};

}  // namespace korva::mip
