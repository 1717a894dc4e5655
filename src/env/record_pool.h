// Storage of environment records. A closed environment keeps its emptied
// record for a while, so that a stale handle still reads as "no environment"
// instead of touching freed memory.
#pragma once

struct krv_env_s;

namespace korva {
using Environment = krv_env_s;

// A freshly constructed record (throws std::bad_alloc).
Environment* take_record();
// Takes back a record whose contents were released; it stays readable.
void bury_record(Environment* env);

}  // namespace korva
