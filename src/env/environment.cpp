#include "env/environment.h"

#include <algorithm>
#include <cstdlib>
#include <new>

#include "env/audit.h"
#include "env/errors.h"
#include "env/locks.h"
#include "env/override_file.h"
#include "env/record_pool.h"

#ifndef KORVA_VERSION_STRING
#define KORVA_VERSION_STRING "1.0.0.0"
#endif

namespace korva {
namespace {

constexpr const char* kAuditFileVariable = "OMBA_VELT_KORVA_AUDIT_FILE";
constexpr const char* kDefaultInterfaceEncoding = "ISO-8859-1";

void make_channels(Environment* env) {
  for (auto* slot : {&env->error_channel, &env->warning_channel, &env->results_channel,
                     &env->log_channel}) {
    *slot = std::make_unique<Channel>();
    (*slot)->env = env;
  }
}

// What a child takes over from its parent besides the parameter values.
void inherit_from_parent(Environment* env, const Environment& parent) {
  env->thread_limit = parent.thread_limit;
  env->processor_count = parent.processor_count;
  env->inherited_flag = parent.inherited_flag;
  env->team = parent.team;
  env->nesting = parent.nesting;
  env->binding_state = parent.binding_state;
  env->params = parent.params;
  env->callbacks = parent.callbacks;
  env->name_providers = parent.name_providers;
}

// The creation steps after the record exists; returns 0 or the code that
// ends creation (negated when already printed).
int build(Environment* env, Environment* parent) {
  const std::string api =
      parent ? parent->str_param(KRV_PARAM_APIENCODING) : kDefaultInterfaceEncoding;
  if (!env->api_converter.open(api)) return err::kEncoding;
  env->version = KORVA_VERSION_STRING;
  make_channels(env);

  env->admission_hook = audit_optimization;
  env->thread_limit = kIntInfinity;
  env->processor_count = machine_processor_count();
  if (parent)
    inherit_from_parent(env, *parent);
  else
    env->params.reset_to_defaults();
  env->params_ready = true;
  // A child starts its sequence from the parent's seed parameter.
  env->random.reseed(static_cast<uint32_t>(env->int_param(hidden_param::kRandomSeed)));
  env->owned_tracked = true;
  fill_error_hash(env->error_hash);

  if (!parent) {
    read_override_file(env);
    if (const char* audit = std::getenv(kAuditFileVariable)) {
      env->audit_file = audit;
      if (int status = audit_open(env)) {
        env->audit_file.clear();  // nothing to close: the file never opened
        return status;
      }
    }
  }

  // A child's counter continues from its parent's work.
  if (parent) env->ticks.own = parent->ticks.own;
  env->ticks.current = &env->ticks.own;
  push_time_limit(*env, env->outermost_frame);
  return 0;
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

}  // namespace

bool is_valid_env(const Environment* env) {
  return env && env->self == env && env->params_ready;
}

void track_object(Environment& env, ObjectKind kind, void* object) {
  env.owned.push_back({kind, object});
}

void untrack_object(Environment& env, void* object) {
  auto it = std::find_if(env.owned.begin(), env.owned.end(),
                         [&](const OwnedObject& o) { return o.object == object; });
  if (it != env.owned.end()) env.owned.erase(it);
}

bool is_tracked(const Environment& env, const void* object) {
  return std::any_of(env.owned.begin(), env.owned.end(),
                     [&](const OwnedObject& o) { return o.object == object; });
}

Environment* create_environment(Environment* parent, int* status) {
  if (!status) return nullptr;
  Environment* env = nullptr;
  int code = 0;
  try {
    env = take_record();
    env->self = env;
    env->random.reseed(1);
    env->ticks.current = &dummy_tick_counter();
    env->parent = parent;
    code = build(env, parent);
  } catch (const std::bad_alloc&) {
    code = err::kNoMemory;
  }
  if (code != 0) {
    if (env) destroy_environment(env);
    *status = code < 0 ? -code : code;
    return nullptr;
  }
  *status = 0;
  return env;
}

void destroy_environment(Environment* env) {
  if (!env) return;
  audit_close(env);
  free_worker_clones(*env);
  if (env->time_limit_top == &env->outermost_frame) pop_time_limit(*env);
  env->time_limit_top = nullptr;
  free_owned(env);
  unlink_all_locks(*env);
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
  env->audit_file.clear();
  env->audit_file.shrink_to_fit();
  env->team = nullptr;
  env->ticks.current = &dummy_tick_counter();
  bury_record(env);
}

}  // namespace korva
