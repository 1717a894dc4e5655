#include "barrier/linalg/factor_storage.h"

namespace korva::barrier {

FactorStorage factor_storage_from_params(Environment& env, int display) {
  FactorStorage storage;
  storage.memory_megabytes = env.dbl_param(KRV_PARAM_WORKMEM);
  storage.directory = env.str_param(KRV_PARAM_WORKDIR);
  storage.log = env.results();
  storage.display = display;
  return storage;
}

}  // namespace korva::barrier
