#include "barrier/linalg/factor_report.h"

#include <cstdio>

namespace korva::barrier {
namespace {

template <typename... Args>
std::string format(const char* pattern, Args... args) {
  char buffer[160];
  std::snprintf(buffer, sizeof buffer, pattern, args...);
  return buffer;
}

}  // namespace

std::vector<std::string> factor_report_lines(const FactorStatistics& stats) {
  std::vector<std::string> lines;
  lines.push_back(format("  Threads                                    = %d\n", stats.threads));
  lines.push_back(format("  Rows in factor                             = %d\n", stats.rows));
  lines.push_back(format("  Integer space required                     = %lld\n", static_cast<long long>(stats.integer_space)));
  lines.push_back(format("  Total non-zeros in factor                  = %lld\n", static_cast<long long>(stats.factor_nonzeros)));
  lines.push_back(format("  Total floating-point operations to factor  = %.2e\n", stats.flops));
  lines.push_back(format("  Number of supernodes                       = %d\n", stats.supernodes));
  lines.push_back("  Histogram of supernode widths (width:count):\n");
  std::string row;
  int on_row = 0;
  for (const auto& [width, count] : stats.width_histogram) {
    row += format(" %6d:%-7d", width, count);
    if (++on_row == 6) {
      lines.push_back(" " + row + "\n");
      row.clear();
      on_row = 0;
    }
  }
  if (on_row > 0) lines.push_back(" " + row + "\n");
  return lines;
}

}  // namespace korva::barrier
