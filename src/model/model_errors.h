// Error codes raised only by the optional model parts; the general ones are
// in env/error_codes.h. Texts are in env/error_table.cpp.
#pragma once

namespace korva::mipcode {

inline constexpr int kNegativePriority = 3006;  // "Negative priority entry %lld"
inline constexpr int kBadDirection = 3007;      // "Illegal direction entry %lld"
inline constexpr int kBadSosType = 3009;        // "Illegal sostype entry %lld"
inline constexpr int kSosWeights = 3010;        // "Set does not have unique weights"
inline constexpr int kNoSos = 3015;             // "No user-defined SOSs exist"
inline constexpr int kNoOrder = 3016;           // "No priority order exists"
inline constexpr int kBadCtype = 3021;          // "Illegal ctype entry %lld"
inline constexpr int kNotQp = 5004;             // "Not a quadratic program"
inline constexpr int kQconstrSense = 6002;      // "Sense must be 'L' or 'G'"

}  // namespace korva::mipcode
