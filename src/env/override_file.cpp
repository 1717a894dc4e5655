#include "env/override_file.h"

#include <cstdlib>

#include "env/environment.h"
#include "env/errors.h"
#include "env/prm_file.h"

namespace korva {

namespace {
constexpr const char* kOverrideFileVariable = "VELT_KORVA_PARAMETER_FILE";
}  // namespace

// The two halves of the status line are forced onto the screen; the file's
// own messages are not, and the screen indicator ends up off whatever the
// file said, because no application has asked for output yet.
void read_override_file(Environment* env) {
  const char* name = std::getenv(kOverrideFileVariable);
  if (!name) return;
  set_int_param(*env, KRV_PARAM_SCRIND, 1);
  msg(env->warning(), "Reading override parameter file '%s' ", name);
  set_int_param(*env, KRV_PARAM_SCRIND, 0);
  const int status = report_error(env, read_param_file(*env, name));
  set_int_param(*env, KRV_PARAM_SCRIND, 1);
  msg(env->warning(), status == 0 ? "succeeded.\n" : "failed.\n");
  env->warning()->flush();
  set_int_param(*env, KRV_PARAM_SCRIND, 0);
}

}  // namespace korva
