// Objects created inside an environment (problems, network problems,
// channels, child environments) are listed in it and freed with it, in
// creation order, when the application has not freed them.
#pragma once

struct krv_env_s;

namespace korva {
using Environment = krv_env_s;

enum class ObjectKind : int { Problem = 1, Channel = 2, ChildEnvironment = 3, NetworkProblem = 4 };

// First member of problem and network-problem records: what the calling
// frame needs to validate a handle, and how the environment frees it.
struct ObjectHeader {
  const void* self = nullptr;        // the object's own address while it is alive
  Environment* root_env = nullptr;   // owning top-level environment
  Environment* created_in = nullptr; // environment (or child) it was created in
  void (*destroy)(ObjectHeader*) = nullptr;
  // Drops the object's branch-and-cut search (when the delete-node callback
  // changes); null when the object has none to drop.
  void (*discard_search)(ObjectHeader*) = nullptr;
};

struct OwnedObject {
  ObjectKind kind;
  void* object;
};

}  // namespace korva
