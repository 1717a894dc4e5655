// Error codes of the solution pool and its filters (texts in
// env/error_table.cpp).
#pragma once

namespace korva::mip::poolcode {

inline constexpr int kNoPool = 3024;              // "No solution pool exists"
inline constexpr int kNonBinaryDiversity = 3414;  // "Diversity filter has non-binary variable"

}  // namespace korva::mip::poolcode
