// The environment: root object of the library. It owns the parameters, the
// four standard channels, the error lookup table, the time-limit frames, the
// tick counter, the thread-team state, the callback registry and every
// object created in it.
#pragma once
#include <cstdint>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "env/callbacks.h"
#include "env/channel.h"
#include "env/encoding.h"
#include "env/owned.h"
#include "env/params.h"
#include "env/random.h"
#include "env/ticks.h"
#include "env/time_limit.h"
#include "korva/korva.h"

namespace korva {
class ThreadTeam;
class RegisteredLock;

inline constexpr int kErrorHashSlots = 479;

struct NameProviders {
  void* handle = nullptr;
  KRVnamefunc column = nullptr;
  KRVnamefunc row = nullptr;
  void* user[3] = {nullptr, nullptr, nullptr};
};

}  // namespace korva

struct krv_env_s {
  void* binding_state = nullptr;
  krv_env_s* self = nullptr;  // equals the handle while the environment is alive
  // Worker clones made by parallel optimisers; freed (logs first) at close.
  std::vector<krv_env_s*> worker_clones;

  korva::ParamValues params;
  bool params_ready = false;

  // Standard channels, in creation order: error, warning, results, log.
  std::unique_ptr<korva::Channel> error_channel, warning_channel, results_channel, log_channel;

  krv_env_s* parent = nullptr;
  int flag_word = 0;
  int live_children = 0;
  int info_callback_depth = 0;   // non-zero while an informational callback runs
  int inherited_flag = 0;
  int callback_permission = 0;   // lets a callback call back into the library

  korva::Random random;
  char message_buffer[KRV_MESSAGEBUFSIZE] = {};
  int32_t error_hash[korva::kErrorHashSlots] = {};

  int thread_limit = korva::kIntInfinity;
  int processor_count = 1;

  // Called at the start of every optimisation with the problem type.
  void (*admission_hook)(krv_env_s* env, int probtype) = nullptr;

  std::vector<korva::OwnedObject> owned;
  bool owned_tracked = false;

  const char* version = nullptr;
  korva::NameProviders name_providers;
  std::string audit_file;  // empty: no audit file

  std::mutex env_lock;                          // guards the lock ring and the wait total
  korva::RegisteredLock* lock_ring = nullptr;   // every lock optimisers made here
  double lock_wait_total = 0.0;                 // seconds

  korva::TimeLimitFrame* time_limit_top = nullptr;
  korva::TimeLimitFrame outermost_frame;
  korva::TickArea ticks;

  korva::ThreadTeam* team = nullptr;
  int nesting = 0;
  int sub_mip_depth = 0;  // nested searches of the MIP heuristics running here

  korva::Converter api_converter;  // KRV_PARAM_APIENCODING
  korva::CallbackRegistry callbacks;

  // Worker clones only: the clone's number and the clone log it opened.
  bool is_worker_clone = false;
  // Searches whose tree exists: KRV_PARAM_WORKDIR keeps its value meanwhile.
  int node_file_users = 0;
  int clone_number = -1;
  FILE* clone_log = nullptr;

  // Convenience accessors used throughout the library.
  korva::Channel* error() { return error_channel.get(); }
  korva::Channel* warning() { return warning_channel.get(); }
  korva::Channel* results() { return results_channel.get(); }
  korva::Channel* log() { return log_channel.get(); }
  int int_param(int number) const { return params.get_int(number); }
  long long long_param(int number) const { return params.get_long(number); }
  double dbl_param(int number) const { return params.get_dbl(number); }
  const std::string& str_param(int number) const { return params.get_str(number); }
  krv_env_s* root() {
    krv_env_s* e = this;
    while (e->parent) e = e->parent;
    return e;
  }
  bool terminate_requested() const {
    return params.terminate != nullptr && *params.terminate != 0;
  }
};

namespace korva {
using Environment = krv_env_s;

// True when `env` is a live environment handle.
bool is_valid_env(const Environment* env);

// Creation shared by KRVopenKORVA and KRVparenv; null parent for a
// top-level environment. Returns null and stores the code on failure.
Environment* create_environment(Environment* parent, int* status);
// Frees an environment and everything it owns (the KRVcloseKORVA sequence).
void destroy_environment(Environment* env);

// Owned-object list.
void track_object(Environment& env, ObjectKind kind, void* object);
void untrack_object(Environment& env, void* object);
bool is_tracked(const Environment& env, const void* object);

// Worker clone `index` (0-based) of `parent` for a parallel optimiser: a
// child with the parent's current parameters, callbacks, thread team and
// nesting counter, and its own "clone%d.log" when KRV_PARAM_CLONELOG asks
// for one. Clones are kept and reused by later runs (their parameters are
// copied again) and freed when the parent is closed. Null and the code in
// `*status` on failure.
Environment* worker_clone(Environment& parent, int index, int* status);
// Frees every worker clone: closes its log, merges its ticks (maximum).
void free_worker_clones(Environment& parent);

// Maximum thread count of an optimiser started now (KRVEgetmaxthreads).
int max_threads(Environment& env);
// Usable processors: max(1, min(thread limit, processor count)).
int usable_processors(const Environment& env);
int machine_processor_count();

// Interface-encoding conversions for strings crossing the C boundary.
// ASCII text passes through; failures return 1235.
int api_to_utf8(Environment& env, const char* in, std::string& out);
int utf8_to_api(Environment& env, std::string_view in, std::string& out);

// Audit file records (no-ops without an audit file). Optimisers announce
// themselves through env.admission_hook, which writes the record.
void audit_optimization(Environment* env, int probtype);

}  // namespace korva
