// Worker clones: child environments on which the threads of a parallel
// optimiser run, so that each thread has its own channels, error buffer,
// tick counter and parameter copy.
#include <algorithm>
#include <cstdio>
#include <new>

#include "env/environment.h"
#include "env/errors.h"

namespace korva {
namespace {

// KRV_PARAM_CLONELOG: 1 always, 0 when the parent logs, -1 never.
bool wants_clone_log(const Environment& parent) {
  const int mode = parent.int_param(KRV_PARAM_CLONELOG);
  return mode == 1 || (mode == 0 && parent.params.log_file != nullptr);
}

void open_clone_log(Environment& clone) {
  char name[32];
  std::snprintf(name, sizeof name, "clone%d.log", clone.clone_number);
  // A clone without its log still works; the run must not fail for it.
  FILE* f = std::fopen(name, "a");
  if (!f) return;
  set_log_file(clone, f);
  clone.clone_log = f;
}

void close_clone_log(Environment& clone) {
  if (!clone.clone_log) return;
  set_log_file(clone, nullptr);
  std::fclose(clone.clone_log);
  clone.clone_log = nullptr;
}

// A clone never runs longer than the operation of the parent that uses it.
void inherit_deadlines(Environment& clone, const Environment& parent) {
  TimeLimitFrame& own = clone.outermost_frame;
  if (const TimeLimitFrame* outer = parent.time_limit_top) {
    own.deadline = std::min(own.deadline, outer->deadline);
    own.tick_deadline = std::min(own.tick_deadline, outer->tick_deadline);
  }
}

// Brings a kept clone up to the parent's present state for a new run.
void refresh(Environment& clone, Environment& parent) {
  clone.params = parent.params;
  clone.params.log_file = clone.clone_log;
  if (clone.api_converter.name() != parent.str_param(KRV_PARAM_APIENCODING))
    clone.api_converter.open(parent.str_param(KRV_PARAM_APIENCODING));
  clone.callbacks = parent.callbacks;
  clone.name_providers = parent.name_providers;
  clone.thread_limit = parent.thread_limit;
  clone.processor_count = parent.processor_count;
  clone.team = parent.team;
  clone.nesting = parent.nesting;
  clone.random.reseed(static_cast<uint32_t>(clone.int_param(hidden_param::kRandomSeed)));
  clone.ticks.own = parent.ticks.own;
  if (clone.time_limit_top == &clone.outermost_frame) pop_time_limit(clone);
  push_time_limit(clone, clone.outermost_frame);
  inherit_deadlines(clone, parent);
  if (!clone.clone_log && wants_clone_log(parent)) open_clone_log(clone);
}

}  // namespace

Environment* worker_clone(Environment& parent, int index, int* status) {
  int local = 0;
  if (!status) status = &local;
  *status = 0;
  if (index < 0) {
    *status = err::kBadArgument;
    return nullptr;
  }
  try {
    while (static_cast<int>(parent.worker_clones.size()) <= index) {
      Environment* clone = create_environment(&parent, status);
      if (!clone) return nullptr;
      clone->is_worker_clone = true;
      clone->clone_number = static_cast<int>(parent.worker_clones.size());
      clone->params.log_file = nullptr;  // the parent's log is not the clone's
      parent.worker_clones.push_back(clone);
    }
    Environment* clone = parent.worker_clones[static_cast<size_t>(index)];
    refresh(*clone, parent);
    return clone;
  } catch (const std::bad_alloc&) {
    *status = err::kNoMemory;
    return nullptr;
  }
}

void free_worker_clones(Environment& parent) {
  for (Environment* clone : parent.worker_clones) {
    close_clone_log(*clone);
    // The clones' work counts as the parent's: the longest one decides.
    parent.ticks.own.value = std::max(parent.ticks.own.value, clone->ticks.own.value);
    destroy_environment(clone);
  }
  parent.worker_clones.clear();
}

}  // namespace korva
