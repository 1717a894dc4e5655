// Parameter (PRM) files: a version header, then one line per parameter that
// differs from its default (public ones by name, hidden ones by number).
// Reading is all-or-nothing: a file with any bad line changes nothing.
#pragma once

struct krv_env_s;

namespace korva {
using Environment = krv_env_s;

// Both return 0 or an error code. Errors that carry details (line numbers,
// file names) are printed here and returned negated; the others are returned
// positive for the caller to report.
int write_param_file(Environment& env, const char* filename);
int read_param_file(Environment& env, const char* filename);

}  // namespace korva
