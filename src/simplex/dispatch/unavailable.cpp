#include "simplex/dispatch/unavailable.h"

#include "env/channel.h"
#include "env/errors.h"

namespace korva::simplex {

int unavailable_method(Environment& env, int method) {
  const char* what = "The requested optimizer";
  switch (method) {
    case 1:
      what = "The primal simplex optimizer";
      break;
    case 3:
      what = "The network optimizer";
      break;
    case 4:
      what = "The barrier optimizer";
      break;
    case 5:
      what = "The sifting optimizer";
      break;
    case kQuadraticSimplex:
      what = "The quadratic simplex optimizer";
      break;
    default:
      break;
  }
  msg(env.error(), "%s is not available in this version.\n", what);
  return err::kBadMethod;
}

}  // namespace korva::simplex
