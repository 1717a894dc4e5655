// The MPS model format: the reader behind KRVreadcopyprob and the writers
// behind KRVmpswrite, KRVmpsrewrite and KRVdualwrite.
#pragma once
#include "env/environment.h"
#include "io/reader_arrays.h"
#include "io/stream.h"
#include "model/problem.h"

namespace korva::mps {

// What the caller accepts; parts switched off are read and dropped.
struct ReadOptions {
  bool variable_types = true;
  bool quadratic_objective = true;
  bool quadratic_constraints = true;
};

// Integer setting of the environment that makes the reader report the
// objective sense and the row and set names it selected (results channel).
// A hidden parameter, off by default: the lines are for people checking
// which of several RHS, RANGES or BOUNDS sets a file's reading used.
inline constexpr int kVerboseReadParam = 1042;

// Reads the MPS file open on `stream` into `out` (which may carry reserved
// capacity as a size hint). Free format first; a file that fails as free
// format because its names contain blanks is read by the fixed column
// positions instead. Returns 0 or a negated, printed error code.
int read_mps(Environment& env, FileStream& stream, ReaderArrays& out,
             const ReadOptions& options = {});

// Writes `lp` as MPS to `filename` (compressed when the name says so).
// `generic_names` writes default names (x1, c1, ...) instead of the
// problem's own. Returns 0 or an error code (negated when printed).
int write_mps(Environment& env, Problem& lp, const char* filename, bool generic_names);

// Writes the dual of the linear program `lp` as MPS. `objshift` (may be
// null) receives the constant the dual's objective omits; see mps_dual.cpp.
int write_dual_mps(Environment& env, Problem& lp, const char* filename, double* objshift);

}  // namespace korva::mps
