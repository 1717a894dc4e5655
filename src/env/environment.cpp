#include "env/environment.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

#include "env/errors.h"
#include "env/prm_file.h"
#include "env/threads.h"

#ifndef KORVA_VERSION_STRING
#define KORVA_VERSION_STRING "1.0.0.0"
#endif

namespace korva {

int audit_open(Environment* env);
void audit_close(Environment* env);

namespace {

constexpr const char* kOverrideFileVariable = "VELT_KORVA_PARAMETER_FILE";
constexpr const char* kAuditFileVariable = "OMBA_VELT_KORVA_AUDIT_FILE";

void make_channels(Environment* env) {
  for (auto* slot : {&env->error_channel, &env->warning_channel, &env->results_channel,
                     &env->log_channel}) {
    *slot = std::make_unique<Channel>();
    (*slot)->env = env;
  }
}

// Reads the override parameter file named by the environment variable. The
// two halves of the status line are forced onto the screen; the file's own
// messages are not.
void read_override_file(Environment* env) {
  const char* name = std::getenv(kOverrideFileVariable);
  if (!name) return;
  set_int_param(*env, KRV_PARAM_SCRIND, 1);
  msg(env->warning(), "Reading override parameter file '%s' ", name);
  set_int_param(*env, KRV_PARAM_SCRIND, 0);
  const int status = read_param_file(*env, name);
  set_int_param(*env, KRV_PARAM_SCRIND, 1);
  msg(env->warning(), status == 0 ? "succeeded.\n" : "failed.\n");
  env->warning()->flush();
  set_int_param(*env, KRV_PARAM_SCRIND, 0);
}

void free_owned(Environment* env) {
  // Freeing an object unlinks it, so work on a snapshot in creation order.
  std::vector<OwnedObject> objects;
  objects.swap(env->owned);
  env->owned_tracked = false;
  for (const OwnedObject& o : objects) {
    switch (o.kind) {
      case ObjectKind::Problem:
      case ObjectKind::NetworkProblem: {
        auto* header = static_cast<ObjectHeader*>(o.object);
        if (header->destroy) header->destroy(header);
        break;
      }
      case ObjectKind::Channel: {
        auto* ch = static_cast<Channel*>(o.object);
        ch->clear();
        delete ch;
        break;
      }
      case ObjectKind::ChildEnvironment:
        destroy_environment(static_cast<Environment*>(o.object));
        break;
    }
  }
}

void free_worker_clones(Environment* env) {
  for (Environment* clone : env->worker_clones) {
    // Close the clone's log file first; its ticks count as the parent's work.
    if (FILE* log = clone->params.log_file) {
      clone->params.log_file = nullptr;
      std::fclose(log);
    }
    env->ticks.own.value = std::max(env->ticks.own.value, clone->ticks.own.value);
    destroy_environment(clone);
  }
  env->worker_clones.clear();
}

// Closed environments keep their (emptied) record, so that a stale handle
// still reads as "no environment" instead of touching freed memory. Records
// are reused by later environments and freed at process exit.
class Graveyard {
 public:
  ~Graveyard() {
    for (Environment* e : dead_) delete e;
  }
  Environment* take() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (dead_.empty()) return new Environment();
    Environment* e = dead_.back();
    dead_.pop_back();
    e->~Environment();
    return new (e) Environment();
  }
  void bury(Environment* e) {
    std::lock_guard<std::mutex> lock(mutex_);
    dead_.push_back(e);
  }

 private:
  std::mutex mutex_;
  std::vector<Environment*> dead_;
};

Graveyard& graveyard() {
  static Graveyard g;
  return g;
}

}  // namespace

int machine_processor_count() {
  static const int count = [] {
    const long n = sysconf(_SC_NPROCESSORS_ONLN);
    return n < 1 ? 1 : static_cast<int>(n);
  }();
  return count;
}

bool is_valid_env(const Environment* env) {
  return env && env->self == env && env->params_ready;
}

int usable_processors(const Environment& env) {
  return std::max(1, std::min(env.thread_limit, env.processor_count));
}

int max_threads(Environment& env) {
  int usable = usable_processors(env);
  if (env.team) usable = std::min(usable, env.team->free_workers() + 1);
  const int threads = env.int_param(KRV_PARAM_THREADS);
  const int mip_threads = env.int_param(hidden_param::kMipThreads);
  const int barrier_threads = env.int_param(hidden_param::kBarrierThreads);
  const CallbackRegistry& cb = env.callbacks;
  const bool serial_callbacks = cb.lp.is_set() || cb.network.is_set() || cb.mip_info.is_set() ||
                                cb.branch.is_set() || cb.cut.is_set() ||
                                cb.lazy_constraint.is_set() || cb.heuristic.is_set() ||
                                cb.incumbent.is_set() || cb.solve.is_set();
  const int general = std::min(usable, threads > 0 ? threads : 32);
  const int mip = std::min(usable, mip_threads > 0   ? mip_threads
                                   : threads > 0     ? threads
                                   : serial_callbacks ? 1
                                                      : 32);
  const int barrier = std::min(usable, barrier_threads > 0 ? barrier_threads
                                       : threads > 0       ? threads
                                                           : 32);
  return std::max({general, mip, barrier});
}

void track_object(Environment& env, ObjectKind kind, void* object) {
  env.owned.push_back({kind, object});
}

void untrack_object(Environment& env, void* object) {
  auto it = std::find_if(env.owned.begin(), env.owned.end(),
                         [&](const OwnedObject& o) { return o.object == object; });
  if (it != env.owned.end()) env.owned.erase(it);
}

Environment* create_environment(Environment* parent, int* status) {
  if (!status) return nullptr;
  Environment* env = nullptr;
  int code = 0;
  try {
    env = graveyard().take();
    env->self = env;
    env->random.reseed(1);
    env->ticks.current = &dummy_tick_counter();
    env->parent = parent;

    const std::string api = parent ? parent->str_param(KRV_PARAM_APIENCODING) : "ISO-8859-1";
    if (!env->api_converter.open(api)) {
      code = err::kEncoding;
    } else {
      env->version = KORVA_VERSION_STRING;
      make_channels(env);
      if (parent) {
        env->thread_limit = parent->thread_limit;
        env->processor_count = parent->processor_count;
        env->inherited_flag = parent->inherited_flag;
        env->binding_state = parent->binding_state;
        env->params = parent->params;
        env->callbacks = parent->callbacks;
        env->name_providers = parent->name_providers;
      } else {
        env->processor_count = machine_processor_count();
        env->params.reset_to_defaults();
      }
      env->admission_hook = audit_optimization;
      env->params_ready = true;
      env->random.reseed(static_cast<uint32_t>(env->int_param(hidden_param::kRandomSeed)));
      env->owned_tracked = true;
      fill_error_hash(env->error_hash);

      if (!parent) {
        read_override_file(env);
        if (const char* audit = std::getenv(kAuditFileVariable)) {
          env->audit_file = audit;
          code = -audit_open(env);
        }
      }
    }
    if (code == 0) {
      if (parent) {
        // A child's counter continues from its parent's work.
        env->ticks.own.value = parent->ticks.own.value;
        env->ticks.own.shift = parent->ticks.own.shift;
      }
      env->ticks.current = &env->ticks.own;
      push_time_limit(*env, env->outermost_frame);
    }
  } catch (const std::bad_alloc&) {
    code = err::kNoMemory;
  }
  if (code != 0) {
    if (env) {
      env->audit_file.clear();
      destroy_environment(env);
    }
    *status = code;
    return nullptr;
  }
  *status = 0;
  return env;
}

void destroy_environment(Environment* env) {
  if (!env) return;
  audit_close(env);
  free_worker_clones(env);
  if (env->time_limit_top == &env->outermost_frame) pop_time_limit(*env);
  free_owned(env);
  for (auto* slot : {&env->error_channel, &env->warning_channel, &env->results_channel,
                     &env->log_channel})
    if (*slot) (*slot)->clear();
  env->self = nullptr;
  env->params_ready = false;
  // Release what the record holds; the emptied record stays readable.
  env->error_channel.reset();
  env->warning_channel.reset();
  env->results_channel.reset();
  env->log_channel.reset();
  env->params = ParamValues{};
  env->params.slots.clear();
  env->params.slots.shrink_to_fit();
  env->api_converter.close();
  env->owned.shrink_to_fit();
  env->worker_clones.shrink_to_fit();
  graveyard().bury(env);
}

int api_to_utf8(Environment& env, const char* in, std::string& out) {
  if (!in) {
    out.clear();
    return 0;
  }
  const std::string_view text(in);
  if (is_ascii(text) && (env.api_converter.ascii_compatible() || !env.api_converter.is_open())) {
    out.assign(text);
    return 0;
  }
  return env.api_converter.to_utf8(text, out) ? 0 : err::kEncoding;
}

int utf8_to_api(Environment& env, std::string_view in, std::string& out) {
  if (is_ascii(in) && (env.api_converter.ascii_compatible() || !env.api_converter.is_open())) {
    out.assign(in);
    return 0;
  }
  return env.api_converter.from_utf8(in, out) ? 0 : err::kEncoding;
}

}  // namespace korva
