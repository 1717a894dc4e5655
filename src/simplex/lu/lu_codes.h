// Return codes of the factorisation kernels and their driver. Codes that
// also exist as library errors keep the library's numbers so that they can
// travel to the caller unchanged.
#pragma once

namespace korva::lu {

inline constexpr int kOk = 0;
inline constexpr int kOutOfMemory = 1001;
inline constexpr int kSingular = 1256;           // "Basis singular"
inline constexpr int kDenseOutOfMemory = 9000;
inline constexpr int kRepaired = 9002;           // success with a changed basis
inline constexpr int kUnstable = 9009;
inline constexpr int kTimeLimit = 11;
inline constexpr int kUserAbort = 13;
inline constexpr int kDetTimeLimit = 25;

// Tolerances fixed by the algorithm.
inline constexpr double kDropTolerance = 1e-13;   // entries below are dropped during elimination
inline constexpr double kGrowthLimit = 1e60;      // an entry above means the attempt is unstable
inline constexpr double kSolveDropTolerance = 1e-14;  // results below are treated as zero

}  // namespace korva::lu
