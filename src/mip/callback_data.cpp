#include "mip/callback_data.h"

#include "model/model.h"

namespace korva::mip {

MipCallbackData::~MipCallbackData() {
  mark = 0;
  if (node_lp) model::free_problem(node_lp);
}

MipCallbackData* callback_data_of(void* cbdata) {
  auto* data = static_cast<MipCallbackData*>(cbdata);
  return data && data->mark == MipCallbackData::kMark ? data : nullptr;
}

}  // namespace korva::mip
