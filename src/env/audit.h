// The audit file named by OMBA_VELT_KORVA_AUDIT_FILE: one record line per
// environment start and end and per optimisation, each tagged with the
// environment's address and the file position.
#pragma once

struct krv_env_s;

namespace korva {
using Environment = krv_env_s;

// Writes the start records; on failure prints the 1422 message (on standard
// output too, since no destination exists yet) and returns -1422.
int audit_open(Environment* env);
// Writes the end records (nothing without an audit file).
void audit_close(Environment* env);
void audit_optimization(Environment* env, int probtype);

}  // namespace korva
