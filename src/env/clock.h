// Clocks behind KRVgettime and the time-limit frames.
#pragma once

namespace korva {

// Process CPU time (user plus system) in seconds, at 100 ns resolution.
double cpu_seconds();
// Seconds since the first wall-clock reading in the process, from a
// millisecond count that wraps at 32 bits.
double wall_seconds();

}  // namespace korva
