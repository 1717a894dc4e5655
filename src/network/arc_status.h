// The status an arc starts from when nothing better is known: fixed when
// its bounds (nearly) meet, else at the bound its cost pulls it to, at zero
// when it has no finite bound.
#pragma once
#include <cstdint>

namespace korva::net {

int8_t initial_status(double cost, double lower, double upper, double feas_tol);

}  // namespace korva::net
