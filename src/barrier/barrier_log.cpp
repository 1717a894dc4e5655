#include "barrier/barrier_log.h"

#include <cstdio>

#include "barrier/linalg/factor_report.h"
#include "env/channel.h"

namespace korva::barrier {
namespace {

// The "Inf Ratio" column, empty outside the homogeneous formulation.
struct RatioField {
  char text[32] = "";
  explicit RatioField(std::optional<double> ratio) {
    if (ratio) std::snprintf(text, sizeof text, " %9.2e", *ratio);
  }
};

}  // namespace

const OrderingText& ordering_text(Ordering ordering) {
  static const OrderingText min_degree{"Approximate Minimum Degree", "Using Approximate Minimum Degree ordering\n"};
  static const OrderingText min_fill{"Approximate Minimum Fill", "Using Approximate Minimum Fill ordering\n"};
  static const OrderingText dissection{"Nested Dissection", "Using Nested Dissection ordering\n"};
  switch (ordering) {
    case Ordering::nested_dissection:
      return dissection;
    case Ordering::min_fill:
      return min_fill;
    default:
      return min_degree;
  }
}

void BarrierLog::ordering(const char* matrix, const char* title, int64_t lower_nonzeros,
                          const FactorStatistics& stats, double seconds) {
  if (display_ < 1) return;
  Channel* out = env_.results();
  msg(out, "Number of nonzeros in lower triangle of %s = %.0f\n", matrix, static_cast<double>(lower_nonzeros));
  const OrderingText& text = ordering_text(stats.ordering_used);
  msg(out, "%s", text.line);
  msg(out, "Total time for %s ordering = %.2f sec.\n", text.name, seconds);
  msg(out, "%s", title);
  for (const std::string& line : factor_report_lines(stats)) msg(out, "%s", line.c_str());
}

void BarrierLog::header(bool quadratic) {
  if (display_ < 1) return;
  if (quadratic) {
    msg(env_.results(), " %3s %15s %15s %9s %9s %9s\n", "Itn", "Primal Obj", "Dual Obj", "Prim Inf", "Dual Inf",
        "Comple");
    return;
  }
  msg(env_.results(), " %3s %15s %15s %9s %9s %9s %9s\n", "Itn", "Primal Obj", "Dual Obj", "Prim Inf", "Upper Inf",
      "Dual Inf", "Inf Ratio");
}

void BarrierLog::iteration(int64_t k, double pobj, double dobj, double pinf, double uinf, double dinf,
                           std::optional<double> ratio) {
  if (display_ < 1) return;
  msg(env_.results(), " %3lld %15.7e %15.7e %9.2e %9.2e %9.2e%s\n", static_cast<long long>(k), pobj, dobj, pinf,
      uinf, dinf, RatioField(ratio).text);
}

void BarrierLog::qp_iteration(int64_t k, double pobj, double dobj, double pinf, double dinf, double complementarity) {
  if (display_ < 1) return;
  msg(env_.results(), " %3lld %15.7e %15.7e %9.2e %9.2e %9.2e\n", static_cast<long long>(k), pobj, dobj, pinf, dinf,
      complementarity);
}

void BarrierLog::best(double pobj, double dobj, double pinf, double uinf, double dinf, std::optional<double> ratio) {
  if (display_ < 1) return;
  msg(env_.results(), "  *  %15.7e %15.7e %9.2e %9.2e %9.2e%s\n", pobj, dobj, pinf, uinf, dinf,
      RatioField(ratio).text);
}

}  // namespace korva::barrier
