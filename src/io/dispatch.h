// The general model-file entry points behind KRVreadcopyprob and
// KRVwriteprob: choose the format, run its reader or writer.
#pragma once
#include "model/problem.h"

namespace korva {

// Replaces the problem's model by the file's. `filetype` may be null.
// Returns 0 or an error code (negated when printed).
int read_model_file(Environment& env, Problem& lp, const char* filename, const char* filetype);

// Writes the problem in the format named by `filetype` or by the name's
// extension. Returns 0 or an error code (negated when printed).
int write_model_file(Environment& env, Problem& lp, const char* filename, const char* filetype);

}  // namespace korva
