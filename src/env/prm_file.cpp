#include "env/prm_file.h"

#include "env/environment.h"
#include "env/errors.h"

namespace korva {

int write_param_file(Environment&, const char*) { return err::kCannotWrite; }
int read_param_file(Environment&, const char*) { return err::kCannotRead; }

}  // namespace korva
