// Installs what a model-file reader produced in a problem object.
#pragma once
#include "io/reader_arrays.h"
#include "model/problem.h"

namespace korva {

// Installs `a` in `lp` in this order: LP data with names, column types
// (only when some column is not continuous, or always for the binary
// format), special ordered sets, priority order, user cuts, lazy constraints, quadratic
// objective, quadratic constraints, indicator constraints, basis. The first
// failure stops and leaves what was installed so far. The LP arrays are
// moved into the problem rather than copied (a read model is as large as
// the arrays, and copying it took a good part of the read), so `a` is
// spent afterwards. Returns 0 or an error code.
int copy_into_problem(Environment& env, Problem& lp, ReaderArrays&& a, bool from_sav);

// Initial capacities of the reader arrays (rows, columns, nonzeros,
// quadratic nonzeros): hidden integer parameters 1045 to 1048, with 100,
// 100, 500 and 200 for negative settings. Readers may reserve these.
struct ReaderCapacities {
  int64_t rows, cols, nonzeros, quad_nonzeros;
};
ReaderCapacities reader_capacities(const Environment& env);
void reserve_reader_arrays(ReaderArrays& a, const ReaderCapacities& c);

}  // namespace korva
