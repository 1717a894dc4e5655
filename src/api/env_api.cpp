// Process and environment entry points.
#include <atomic>
#include <cstdlib>

#include "env/frame.h"
#include "env/threads.h"

using namespace korva;

namespace {
std::atomic<bool> g_initialized{false};

// Process attach and detach: the worker pool must be gone before the
// process exits, so no worker outlives the library.
struct ProcessLifetime {
  ProcessLifetime() { KRVinitialize(); }
  ~ProcessLifetime() { KRVfinalize(); }
} g_process_lifetime;
}  // namespace

extern "C" {

int KRVinitialize(void) {
  g_initialized = true;
  return 0;
}

int KRVfinalize(void) {
  shutdown_worker_pool();
  g_initialized = false;
  return 0;
}

KRVenv KRVopenKORVA(int *status_p) { return create_environment(nullptr, status_p); }

// The serial number and licence string of older callers are accepted and
// not used.
KRVenv KRVopenKORVAruntime(int *status_p, int, const char *) {
  return create_environment(nullptr, status_p);
}

int KRVcloseKORVA(KRVenv *env_p) {
  if (!env_p) return err::kNoEnvironment;
  return api::call(*env_p, api::kNone, [&](Environment &e) {
    if (e.parent) return err::kCloseChild;
    destroy_environment(&e);
    *env_p = nullptr;
    return 0;
  });
}

KRVenv KRVparenv(KRVenv env, int *status_p) {
  if (!status_p) return nullptr;
  KRVenv child = nullptr;
  *status_p = api::call(env, api::kNone, [&](Environment &e) {
    if (e.parent) return err::kCloneOfClone;
    if (e.live_children >= e.thread_limit) return err::kThreadLimit;
    int status = 0;
    child = create_environment(&e, &status);
    if (!child) return status;
    // A child made by the application starts outside any thread team.
    child->team = nullptr;
    child->nesting = 0;
    track_object(e, ObjectKind::ChildEnvironment, child);
    ++e.live_children;
    return 0;
  });
  return child;
}

int KRVfreeparenv(KRVenv env, KRVenv *child_p) {
  return api::call(env, api::kNone, [&](Environment &e) {
    if (!child_p || !*child_p) return 0;
    Environment *child = *child_p;
    if (!is_valid_env(child) || child->parent != &e || child->is_worker_clone)
      return err::kBadArgument;
    untrack_object(e, child);
    destroy_environment(child);
    --e.live_children;
    *child_p = nullptr;
    return 0;
  });
}

const char *KRVversion(KRVenv env) { return is_valid_env(env) ? env->version : nullptr; }

// The flag lives with the parameters, so that children and worker clones
// that copy them watch the same integer.
int KRVsetterminate(KRVenv env, volatile int *terminate_p) {
  if (!is_valid_env(env)) return err::kNoEnvironment;
  env->params.terminate = terminate_p;
  return 0;
}

int KRVgettime(KRVenv env, double *timestamp_p) {
  return api::call(env, api::kInfoCallbackOk, [&](Environment &e) {
    if (!timestamp_p) return err::kNullPointer;
    *timestamp_p = current_time(e);
    return 0;
  });
}

int KRVEgetmaxthreads(KRVenv env) {
  int threads = 0;
  api::call(env, api::kInfoCallbackOk, [&](Environment &e) {
    threads = max_threads(e);
    return 0;
  });
  return threads;
}

int KRVEsetnamefunctions(KRVenv env, void *userhandle, KRVnamefunc colnamefunc,
                         KRVnamefunc rownamefunc, void *userdata1, void *userdata2,
                         void *userdata3) {
  return api::call(env, api::kNone, [&](Environment &e) {
    e.name_providers = NameProviders{userhandle, colnamefunc, rownamefunc,
                                     {userdata1, userdata2, userdata3}};
    return 0;
  });
}

}  // extern "C"
