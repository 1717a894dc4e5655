// The calling frame of every exported function. The checks run in a fixed
// order (environment 1002, problem membership 1806/1009, informational
// callback 1804), the body runs with exceptions caught, a long operation
// runs inside a time-limit frame, and a failure is reported exactly once.
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
#include <type_traits>

#include "env/environment.h"
#include "env/errors.h"
#include "env/owned.h"

namespace korva::api {

enum Flags : unsigned {
  kNone = 0,
  kInfoCallbackOk = 1u << 0,  // may be called from an informational callback
  kLongOperation = 1u << 1,   // runs inside its own time-limit frame
  kNullProblemOk = 1u << 2,   // the body handles a null problem itself
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

// 1009 for a null or dead problem, 1806 for one of another environment.
inline int check_object(Environment& env, const void* handle) {
  const auto* header = static_cast<const ObjectHeader*>(handle);
  if (!header || header->self != handle) return err::kNoProblem;
  if (header->root_env != env.root()) return err::kForeignProblem;
  return 0;
}

// Runs `body` and converts exceptions into codes.
template <class Body>
int guarded(Body&& body) noexcept {
  try {
    return body();
  } catch (const Failure& f) {
    return f.code;
  } catch (const std::bad_alloc&) {
    return err::kNoMemory;
  } catch (const std::length_error&) {
    return err::kNoMemory;
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

// Environment-only functions. `body(Environment&)` returns a status.
template <class Body>
int call(KRVenv env, unsigned flags, Body&& body) noexcept {
  int status = check_env(env);
  if (status) return status;
  status = check_info_callback(*env);
  if (status && (flags & kInfoCallbackOk)) status = 0;
  if (!status) status = run_body(*env, flags, [&] { return body(*env); });
  return report_error(env, status);
}

// Functions on an object of type T (the problem or network problem record
// behind the handle). `body(Environment&, T&)` returns a status.
template <class T, class Body>
int call(KRVenv env, T* object, unsigned flags, Body&& body) noexcept {
  int status = check_env(env);
  if (status) return status;
  status = check_object(*env, object);
  if (status == 0) {
    status = check_info_callback(*env);
    if (status && (flags & kInfoCallbackOk)) status = 0;
  }
  if (!status) status = run_body(*env, flags, [&] { return body(*env, *object); });
  return report_error(env, status);
}

}  // namespace korva::api
