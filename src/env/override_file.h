// The override parameter file named by VELT_KORVA_PARAMETER_FILE, read into
// every new top-level environment.
#pragma once

struct krv_env_s;

namespace korva {
using Environment = krv_env_s;

// Reads the file when the variable is set. The status line goes to the
// screen; a failure is announced there and does not stop creation.
void read_override_file(Environment* env);

}  // namespace korva
