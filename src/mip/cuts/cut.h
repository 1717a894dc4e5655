// A cutting plane: a·x <= rhs over the model's columns, valid for every
// integer-feasible point of the model (within the global bounds it was
// derived with), and the family that found it. The families are indexed as
// the search record counts them and the node log names them.
#pragma once
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <vector>

namespace korva::mip {

enum CutFamily : int {
  kCoverCuts = 0,
  kGubCoverCuts = 1,
  kFlowCoverCuts = 2,
  kCliqueCuts = 3,
  kGomoryCuts = 4,
  kMirCuts = 5,
  kFlowPathCuts = 6,
  kDisjunctiveCuts = 7,
  kImpliedBoundCuts = 8,
  kZeroHalfCuts = 9,
  kMcfCuts = 10,
  kUserCuts = 14,
  kPoolCuts = 16,  // pool cuts switched on in the tree
  kCutFamilyCount = 24,
};

// The names the node log shows for the families during the root rounds.
inline constexpr const char* kCutLogNames[kCutFamilyCount] = {
    "Covers",   "GUBcuts",  "Flowcuts",  "Cliques",   "Fract",   "MIRcuts",   "Flowpaths",  "Disjcuts",
    "Impl Bds", "ZeroHalf", "MCF",       "Local Cov", "Tighten", "ObjDisj",   "User",       "Table",
    "Pool",     "Discard",  "Local Cut", "GCS",       "EnumCover", "UserPurge1", "UserPurge2", "Cone"};

struct Cut {
  std::vector<int> index;
  std::vector<double> value;
  double rhs = 0.0;
  int family = kCoverCuts;
  // Stays in the relaxation for good and is no family's (symmetry-breaking
  // rows).
  bool permanent = false;

  double activity(const double* x) const {
    double a = 0.0;
    for (size_t k = 0; k < index.size(); ++k) a += value[k] * x[index[k]];
    return a;
  }
  double norm() const {
    double s = 0.0;
    for (double v : value) s += v * v;
    return std::sqrt(s);
  }
  // Whether its largest coefficient stays within `ratio` of its smallest:
  // wider spreads are numerically unsafe in an LP.
  bool well_scaled(double ratio) const {
    double largest = 0.0, smallest = INFINITY;
    for (double v : value) {
      largest = std::max(largest, std::fabs(v));
      smallest = std::min(smallest, std::fabs(v));
    }
    return largest <= ratio * smallest;
  }
  // How far x lies beyond the cut, per unit of its normal.
  double efficacy(const double* x) const {
    const double n = norm();
    return n > 0.0 ? (activity(x) - rhs) / n : 0.0;
  }
};

// What a long separator reports now and then: the candidates done, the
// candidates in all and the work so far.
using SeparationProgress = std::function<void(int64_t done, int64_t all, int64_t work)>;

// What a separator reads: the model, the LP point to cut off and the
// global bounds (the root's, after propagation).
struct SeparationInput {
  const struct MipModel* model = nullptr;
  const double* x = nullptr;
  const double* lower = nullptr;
  const double* upper = nullptr;
  double integrality = 1e-5;
  const SeparationProgress* progress = nullptr;  // null: nobody listens

  void report(int64_t done, int64_t all, int64_t work) const {
    if (progress) (*progress)(done, all, work);
  }
};

}  // namespace korva::mip
