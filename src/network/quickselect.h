// The partial sort of sorted candidate-list pricing: afterwards the k most
// negative violations come first. Hoare's partition around the violation
// in the middle of the range, narrowed to the side holding position k; the
// order it leaves among equal violations decides ties in pricing, so any
// faster form must make exactly its swaps.
#pragma once
#include "network/pricing.h"

namespace korva::net {

// `list` holds `size` entries, `scratch` room for 2 * size positions.
void quickselect(Candidate* list, int size, int k, int* scratch);

}  // namespace korva::net
