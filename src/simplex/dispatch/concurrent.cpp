#include "simplex/dispatch/concurrent.h"

#include "simplex/dispatch/method_choice.h"
#include "simplex/dispatch/simplex_driver.h"

namespace korva::simplex {

int concurrent_optimize(Environment& env, Problem& p) {
  return simplex_driver(env, p, choose_lp_method(env, p, false));
}

}  // namespace korva::simplex
