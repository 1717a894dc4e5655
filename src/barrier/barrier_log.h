// The barrier's lines on the results channel: preparation (ordering and
// factor statistics) and one line per iteration.
#pragma once
#include <cstdint>
#include <optional>

#include "barrier/linalg/cholesky.h"
#include "env/environment.h"

namespace korva::barrier {

class BarrierLog {
 public:
  BarrierLog(Environment& env, int display) : env_(env), display_(display) {}
  // `matrix` names the factored matrix in the nonzero count line, `title`
  // heads the factor statistics.
  void ordering(const char* matrix, const char* title, int64_t lower_nonzeros, const FactorStatistics& stats,
                double seconds);
  void header(bool quadratic);
  // `ratio`: τ/κ of the homogeneous formulation, printed when it runs.
  void iteration(int64_t k, double pobj, double dobj, double pinf, double uinf, double dinf,
                 std::optional<double> ratio = std::nullopt);
  void qp_iteration(int64_t k, double pobj, double dobj, double pinf, double dinf, double complementarity);
  // The best iterate, restored at the end of an unfinished run.
  void best(double pobj, double dobj, double pinf, double uinf, double dinf, std::optional<double> ratio = std::nullopt);

 private:
  Environment& env_;
  int display_;
};

struct OrderingText {
  const char* name;  // as in "Total time for ... ordering"
  const char* line;  // "Using ... ordering\n"
};
const OrderingText& ordering_text(Ordering ordering);

}  // namespace korva::barrier
