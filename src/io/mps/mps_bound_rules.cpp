// What the bounds of each column imply, settled after the whole file has
// been read: free and fixed columns announced, a negative upper bound
// without a lower one taken as a lower bound of minus infinity, the lower
// bound of semi-continuous columns, and binary versus general integers.
#include <cmath>
#include <string>

#include "io/mps/mps_parser.h"

namespace korva::mps {
namespace {

constexpr double kInf = 1e20;
constexpr double kTolerance = 1e-10;

bool is_fractional(double v) {
  if (std::fabs(v) >= kInf) return false;
  const double fraction = v - std::floor(v);
  return fraction > kTolerance && fraction < 1.0 - kTolerance;
}

}  // namespace

void Parser::apply_bound_rules() {
  CappedWarning free_columns("%lld Column-free warnings not printed.\n");
  CappedWarning minus_infinity("%lld Minus-infinity warnings not printed.\n");
  CappedWarning fixed_columns("%lld Column-fixed warnings not printed.\n");
  CappedWarning semi_continuous("%lld semi-continuous bound warnings not printed.\n");
  CappedWarning integrality("%lld Bound-integrality warnings not printed.\n");
  const std::string set(bound_set_);

  const int columns = static_cast<int>(column_names_.size());
  for (int j = 0; j < columns; ++j) {
    const bool lower_given = column_flags_[j] & kLowerGiven;
    const bool upper_given = column_flags_[j] & kUpperGiven;
    double& lb = lb_[j];
    double& ub = ub_[j];
    char& type = ctype_[j];
    // Names are only turned into strings for the few columns that warn.
    auto name = [&] { return std::string(column_names_[j]); };

    if (lb <= -kInf && !upper_given) {
      if (free_columns.admit())
        log_.warning("Warning:  Column '%s' in bound '%s' is Free.\n", name().c_str(),
                     set.c_str());
    } else if (ub <= 0.0 && !lower_given) {
      if (ub < 0.0) {
        lb = -kInf;
        if (minus_infinity.admit())
          log_.warning("Warning:  Lower bound on column '%s' in bound '%s'\n"
                       "          changed to minus infinity.\n",
                       name().c_str(), set.c_str());
      } else if (fixed_columns.admit()) {
        log_.warning("Warning:  Column '%s' in bound '%s' is Fixed.\n", name().c_str(),
                     set.c_str());
      }
    }

    if ((type == 'S' || type == 'N') && !lower_given && std::fabs(ub) > kTolerance) {
      lb = 1.0;
      if (semi_continuous.admit())
        log_.warning(
            "Warning:  Lower bound of 1.0 assumed for semi-continuous column \n          '%s' in bound '%s'\n",
                     name().c_str(), set.c_str());
    }

    if (type == 'B' || type == 'I' || type == 'N') {
      for (double bound : {lb, ub})
        if (is_fractional(bound) && integrality.admit())
          log_.warning("Warning:  Non-integral bound value %g for integer column '%.255s'.\n",
                       bound, name().c_str());
      if (type != 'N') {
        // Integer columns start binary (0 and 1); an explicit upper bound
        // other than 1 makes them general integers.
        if (upper_given && std::fabs(ub - 1.0) > kTolerance)
          type = 'I';
        else if (lb == 0.0 && ub == 1.0)
          type = 'B';
        if (type == 'B') ub = 1.0;
      }
    }
  }
  free_columns.finish(log_);
  minus_infinity.finish(log_);
  fixed_columns.finish(log_);
  semi_continuous.finish(log_);
  integrality.finish(log_);
}

}  // namespace korva::mps
