// Which of the cuts a round found join the relaxation: those that cut the
// LP point off by enough per unit of their normal, most efficacious
// first, none nearly parallel to one taken before it, within the limits on
// the count per family and in all, and none so dense that it would slow
// every LP of the tree down.
#pragma once
#include <vector>

#include "mip/cuts/cut.h"

namespace korva::mip {

struct SelectionLimits {
  int64_t total = 0;                         // cuts that may still join
  int64_t per_family[kCutFamilyCount] = {};  // per family, what may still join
  int64_t nonzeros = 0;                      // entries the cuts may still add
  size_t max_support = 0;                    // entries of one cut at most
};

std::vector<Cut> select_cuts(std::vector<Cut>& found, const double* x, SelectionLimits& limits);

}  // namespace korva::mip
