// Basis files: a basis as text, by names.
//
//   * ENCODING=ISO-8859-1
//   NAME          problem  Iterations 12  Rows 3  Cols 4
//    XU x1  c2
//    XL x3  c1
//    UL x2
//   ENDATA
//
// XU / XL pair a basic column with a nonbasic row at its upper or lower
// limit, UL lists the nonbasic columns at their upper bound and BS basic
// columns left over; columns at their lower bound, free nonbasic columns
// and basic rows are not listed.
//
// The variant with values gives every basic variable its value: a last
// field on the XU, XL and BS lines, BR lines for basic rows, and SC / SR
// lines for superbasic columns and rows:
//
//    XU x1  c2  3.000000000000000e+00
//    BR c3  1.250000000000000e+00
//    SC x4  5.000000000000000e-01
#pragma once
#include "model/problem.h"

namespace korva {

// The errors of basis files (the network's bases share them).
namespace basis_code {
inline constexpr int kMissingBasicValues = 1550;   // "Basis missing some basic values"
inline constexpr int kUnrecognizedIndicator = 1551;
inline constexpr int kEndataMissing = 1552;
inline constexpr int kSuperbasis = 1554;
inline constexpr int kBasicCount = 1555;           // "%lld %.255s basic variable(s)"
}  // namespace basis_code

// 1262 without a basis. Items without stored names are written under
// their default names.
int write_basis_file(Environment& env, Problem& p, const char* filename);

// Replaces the basis with the file's (1219 without names); the values of
// the value variant start the next optimisation. Errors: 1553 for a line
// with the wrong number of fields, 1551 for an unknown indicator, 1554 for
// SB entries, 1555 when the basic count is not the number of rows, 1550
// when the value variant leaves a basic variable without its value, 1552
// without ENDATA. Unknown names are warnings.
int read_basis_file(Environment& env, Problem& p, const char* filename);

}  // namespace korva
