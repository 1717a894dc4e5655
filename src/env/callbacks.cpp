#include "env/callbacks.h"

#include "env/environment.h"
#include "env/errors.h"

namespace korva {
namespace {

// While an informational callback runs the root environment carries the
// mark, so that calls through children and clones see it as well.
class InfoCallbackMark {
 public:
  explicit InfoCallbackMark(Environment& env) : root_(*env.root()) { ++root_.info_callback_depth; }
  ~InfoCallbackMark() { --root_.info_callback_depth; }
  InfoCallbackMark(const InfoCallbackMark&) = delete;
  InfoCallbackMark& operator=(const InfoCallbackMark&) = delete;

 private:
  Environment& root_;
};

// Nodes created under the old delete-node callback must not be reported to
// the new one, so every search of the environment's problems is dropped.
void discard_searches(Environment& env) {
  for (const OwnedObject& o : env.owned) {
    if (o.kind != ObjectKind::Problem) continue;
    auto* header = static_cast<ObjectHeader*>(o.object);
    if (header->discard_search) header->discard_search(header);
  }
}

bool fits_int(int64_t v) { return v >= -2147483647LL - 1 && v <= 2147483647LL; }

}  // namespace

int invoke_info_callback(Environment& env, const CallbackSlot<KRVcallbackfunc>& slot,
                         void* cbdata, int wherefrom) {
  if (!slot.is_set()) return 0;
  InfoCallbackMark mark(env);
  return slot.function(&env, cbdata, wherefrom, slot.handle);
}

int invoke_node_callback(Environment& env, void* cbdata, int wherefrom, int64_t* nodeindex,
                         int* useraction) {
  const CallbackRegistry& cb = env.callbacks;
  if (cb.node64.is_set()) {
    long long index = *nodeindex;
    const int status =
        cb.node64.function(&env, cbdata, wherefrom, cb.node64.handle, &index, useraction);
    *nodeindex = index;
    return status;
  }
  if (!cb.node.is_set()) return 0;
  if (!fits_int(*nodeindex)) return err::kInt32Overflow;
  int index = static_cast<int>(*nodeindex);
  const int status = cb.node.function(&env, cbdata, wherefrom, cb.node.handle, &index, useraction);
  *nodeindex = index;
  return status;
}

int invoke_delete_node_callback(Environment& env, int wherefrom, int64_t seqnum,
                                void* nodehandle) {
  const CallbackRegistry& cb = env.callbacks;
  if (cb.delete_node64.is_set()) {
    cb.delete_node64.function(&env, wherefrom, cb.delete_node64.handle, seqnum, nodehandle);
    return 0;
  }
  if (!cb.delete_node.is_set()) return 0;
  if (!fits_int(seqnum)) return -report_error(&env, err::kInt32Overflow);
  cb.delete_node.function(&env, wherefrom, cb.delete_node.handle, static_cast<int>(seqnum),
                          nodehandle);
  return 0;
}

void install_node_callback64(Environment& env, NodeCallback64 fn, void* handle) {
  env.callbacks.node = {};
  env.callbacks.node64 = {fn, handle};
}

void set_delete_node_slot(Environment& env, KRVdeletenodecallbackfunc fn, void* handle) {
  CallbackRegistry& cb = env.callbacks;
  if (cb.delete_node.function != fn || cb.delete_node.handle != handle || cb.delete_node64.is_set())
    discard_searches(env);
  cb.delete_node64 = {};
  cb.delete_node = {fn, handle};
}

void install_delete_node_callback64(Environment& env, DeleteNodeCallback64 fn, void* handle) {
  CallbackRegistry& cb = env.callbacks;
  if (cb.delete_node64.function != fn || cb.delete_node64.handle != handle ||
      cb.delete_node.is_set())
    discard_searches(env);
  cb.delete_node = {};
  cb.delete_node64 = {fn, handle};
}

}  // namespace korva
