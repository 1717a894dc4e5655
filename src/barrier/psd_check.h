// Whether a symmetric matrix is positive semidefinite, up to a tolerance
// relative to its largest diagonal entry.
#pragma once
#include "barrier/linalg/csc_matrix.h"

namespace korva::barrier {

// q: square, both triangles. Returns 1 (semidefinite), 0 (not), or a
// negative error code when the test could not be made.
int is_positive_semidefinite(const CscMatrix& q);

}  // namespace korva::barrier
