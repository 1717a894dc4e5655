// Rows and columns of the basis inverse and of the tableau, in the user's
// units (KRVgetbhead, KRVbinvcol, KRVbinvrow, KRVbinvacol, KRVbinvarow,
// KRVgetijrow). Every function returns 0 or an error code not yet
// reported; `fname` names the exported function in range messages.
#pragma once
#include "model/problem.h"

namespace korva::simplex {

// head[p]: the variable basic in position p by the index convention;
// x[p]: its value. Either may be null.
int get_basis_head(Environment& env, Problem& p, int* head, double* x);
// Column j of B⁻¹ (m entries).
int binv_column(Environment& env, Problem& p, const char* fname, int j, double* x);
// Row i of B⁻¹ (m entries).
int binv_row(Environment& env, Problem& p, const char* fname, int i, double* y);
// B⁻¹ times column j of A (m entries).
int binv_a_column(Environment& env, Problem& p, const char* fname, int j, double* x);
// Row i of B⁻¹A (n entries).
int binv_a_row(Environment& env, Problem& p, const char* fname, int i, double* z);
// The basis position of the slack of row i (i >= 0, j < 0) or of column j
// (j >= 0, i < 0); *row is -1 until found.
int basis_row_of(Environment& env, Problem& p, const char* fname, int i, int j, int* row);

}  // namespace korva::simplex
