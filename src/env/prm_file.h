// Parameter (PRM) files: one line per changed parameter after a version
// header. Reading is all-or-nothing.
#pragma once

struct krv_env_s;

namespace korva {
using Environment = krv_env_s;

// Both return 0 or an error code; errors with details (line numbers, file
// names) are printed here and returned negated.
int write_param_file(Environment& env, const char* filename);
int read_param_file(Environment& env, const char* filename);

}  // namespace korva
