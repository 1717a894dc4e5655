// Hands a range of names to the caller the way every name query does: in
// the interface encoding, packed into `store` with `name[k]` pointing at
// each, and `surplus` set to the space left (negative: what was missing).
#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "env/environment.h"

namespace korva::model {

int write_name_list(Environment& env, int begin, int end, const std::function<std::string(int)>& name_of,
                    char** name, char* store, int64_t space, int64_t* surplus);

}  // namespace korva::model
