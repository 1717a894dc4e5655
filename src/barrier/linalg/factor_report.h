// Text lines describing a symbolic factorisation, for the barrier log.
#pragma once
#include <string>
#include <vector>

#include "barrier/linalg/cholesky.h"

namespace korva::barrier {

// One line per item, each ending in '\n': threads, rows in factor, integer
// space, non-zeros and flops of the factor, supernodes, then the histogram of
// supernode widths.
std::vector<std::string> factor_report_lines(const FactorStatistics& stats);

}  // namespace korva::barrier
