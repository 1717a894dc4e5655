// The calling frame of every exported function. The checks run in a fixed
// order: environment (1002), problem membership through the root
// environment (1806), missing problem (1009), informational callback
// (1804); then the body runs its own argument checks with exceptions
// caught, a long operation runs inside a time-limit frame, and a failure is
// reported exactly once.
//
//   int KRVgetnumcols(KRVenv env, KRVprob lp) {
//     int n = 0;
//     api::call(env, lp, api::kInfoCallbackOk, [&](Environment&, Problem& p) {
//       n = p.num_cols(); return 0; });
//     return n;
//   }
#pragma once
#include <exception>
#include <new>
#include <stdexcept>
#include <type_traits>

#include "env/environment.h"
#include "env/errors.h"
#include "env/owned.h"

namespace korva::api {

enum Flags : unsigned {
  kNone = 0,
  kInfoCallbackOk = 1u << 0,  // may be called from an informational callback
  kLongOperation = 1u << 1,   // runs inside its own time-limit frame
  kNullProblemOk = 1u << 2,   // a null problem passes; the body takes T* and handles it
};

// 0 or 1002.
inline int check_env(const Environment* env) {
  return is_valid_env(env) ? 0 : err::kNoEnvironment;
}

// 1804 when an informational callback runs and no environment on the parent
// chain allows calls back into the library.
inline int check_info_callback(Environment& env) {
  if (env.root()->info_callback_depth == 0) return 0;
  for (Environment* e = &env; e; e = e->parent)
    if (e->callback_permission) return 0;
  return err::kInfoCallback;
}

// 1806 for a live object of another environment tree; null passes (the
// caller decides about it).
inline int check_membership(Environment& env, const void* handle) {
  const auto* header = static_cast<const ObjectHeader*>(handle);
  if (header && header->self == handle && header->root_env != env.root())
    return err::kForeignProblem;
  return 0;
}

// 1806 for an object of another environment, 1009 for a null or freed one.
inline int check_object(Environment& env, const void* handle) {
  if (int status = check_membership(env, handle)) return status;
  const auto* header = static_cast<const ObjectHeader*>(handle);
  if (!header || header->self != handle) return err::kNoProblem;
  return 0;
}

// Runs `body` and converts exceptions into codes: nothing may cross the C
// boundary, and running out of memory anywhere is 1001.
template <class Body>
int guarded(Body&& body) noexcept {
  try {
    return body();
  } catch (const Failure& f) {
    return f.code;
  } catch (...) {
    return err::kNoMemory;
  }
}

template <class Body>
int run_body(Environment& env, unsigned flags, Body&& body) noexcept {
  if (flags & kLongOperation) {
    return guarded([&] {
      ScopedTimeLimit frame(env);
      return body();
    });
  }
  return guarded(body);
}

// The informational-callback check, with its pass for the queries allowed
// inside such a callback.
inline int callback_status(Environment& env, unsigned flags) {
  const int status = check_info_callback(env);
  return (flags & kInfoCallbackOk) ? 0 : status;
}

// Environment-only functions. `body(Environment&)` returns a status.
template <class Body>
int call(KRVenv env, unsigned flags, Body&& body) noexcept {
  int status = check_env(env);
  if (status) return status;
  status = callback_status(*env, flags);
  if (!status) status = run_body(*env, flags, [&] { return body(*env); });
  return report_error(env, status);
}

// Functions on an object of type T (the problem or network problem record
// behind the handle; its first member is an ObjectHeader).
// `body(Environment&, T&)` returns a status; with kNullProblemOk the body is
// `body(Environment&, T*)` and sees null problems too.
template <class T, class Body>
int call(KRVenv env, T* object, unsigned flags, Body&& body) noexcept {
  int status = check_env(env);
  if (status) return status;
  status = (flags & kNullProblemOk) && !object ? 0 : check_object(*env, object);
  if (!status) status = callback_status(*env, flags);
  if (!status) {
    status = run_body(*env, flags, [&] {
      if constexpr (std::is_invocable_v<Body&, Environment&, T*>)
        return body(*env, object);
      else
        return body(*env, *object);
    });
  }
  return report_error(env, status);
}

}  // namespace korva::api
