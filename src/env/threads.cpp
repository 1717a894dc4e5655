#include "env/threads.h"

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>

#include "env/environment.h"
#include "env/errors.h"

namespace korva {
namespace {

// More pooled threads than this means something asks for absurd teams; such
// a request is refused as an invalid thread count.
constexpr int kMaxPooledWorkers = 4096;

// An event that releases one waiter and then resets itself.
class AutoResetEvent {
 public:
  void set() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      signalled_ = true;
    }
    cv_.notify_one();
  }
  void wait() {
    std::unique_lock<std::mutex> lock(mutex_);
    cv_.wait(lock, [this] { return signalled_; });
    signalled_ = false;
  }

 private:
  std::mutex mutex_;
  std::condition_variable cv_;
  bool signalled_ = false;
};

enum class StartFailure { None, Events, Thread };

}  // namespace

// A pooled thread that runs one task at a time. The master posts a task and
// sets `start_`; the worker runs it and sets `done_`.
class Worker {
 public:
  // Events first: a failure there is 1809; a failure to start the thread 9031.
  static std::unique_ptr<Worker> create(StartFailure& failure) {
    std::unique_ptr<Worker> w;
    try {
      w.reset(new Worker());
    } catch (const std::system_error&) {
      failure = StartFailure::Events;
      return nullptr;
    }
    try {
      w->thread_ = std::thread([raw = w.get()] { raw->loop(); });
    } catch (const std::system_error&) {
      failure = StartFailure::Thread;
      return nullptr;
    }
    return w;
  }
  ~Worker() {
    if (!thread_.joinable()) return;
    wait();
    stop_ = true;
    start_.set();
    thread_.join();
  }
  void start(std::function<void()> task) {
    wait();
    task_ = std::move(task);
    posted_ = true;
    running_.store(true, std::memory_order_release);
    start_.set();
  }
  void wait() {
    if (!posted_) return;
    done_.wait();
    posted_ = false;
  }
  bool running() const { return running_.load(std::memory_order_acquire); }

 private:
  Worker() = default;
  void loop() {
    for (;;) {
      start_.wait();
      if (stop_) return;
      // A task must report its own failures; one that escapes would end the
      // process from a thread the application does not know about.
      try {
        task_();
      } catch (...) {
      }
      task_ = nullptr;
      running_.store(false, std::memory_order_release);
      done_.set();
    }
  }

  AutoResetEvent start_, done_;
  std::function<void()> task_;  // handed over through the events
  bool posted_ = false;         // master side: a task is out and not waited for
  bool stop_ = false;
  std::atomic<bool> running_{false};
  std::thread thread_;
};

namespace {

class WorkerPool {
 public:
  // Takes `count` idle workers, creating threads as needed. 0, 9031 or 1809.
  int acquire(int count, std::vector<Worker*>& out) {
    std::lock_guard<std::mutex> lock(mutex_);
    const long long missing = static_cast<long long>(count) - static_cast<long long>(idle_.size());
    if (missing > 0 && static_cast<long long>(all_.size()) + missing > kMaxPooledWorkers)
      return err::kBadThreadCount;
    while (static_cast<int>(idle_.size()) < count) {
      StartFailure failure = StartFailure::None;
      std::unique_ptr<Worker> w;
      try {
        w = Worker::create(failure);
        if (w) all_.push_back(std::move(w));
      } catch (const std::bad_alloc&) {
        return err::kBadThreadCount;
      }
      if (failure == StartFailure::Events) return err::kSyncPrimitive;
      if (failure == StartFailure::Thread) return err::kBadThreadCount;
      idle_.push_back(all_.back().get());
    }
    for (int i = 0; i < count; ++i) {
      out.push_back(idle_.back());
      idle_.pop_back();
    }
    return 0;
  }
  void release(const std::vector<Worker*>& workers) {
    std::lock_guard<std::mutex> lock(mutex_);
    for (Worker* w : workers) idle_.push_back(w);
  }
  int size() {
    std::lock_guard<std::mutex> lock(mutex_);
    return static_cast<int>(all_.size());
  }
  int idle() {
    std::lock_guard<std::mutex> lock(mutex_);
    return static_cast<int>(idle_.size());
  }
  void shutdown() {
    std::vector<std::unique_ptr<Worker>> stopping;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      idle_.clear();
      stopping.swap(all_);
    }
    stopping.clear();  // joins every thread
  }

 private:
  std::mutex mutex_;
  std::vector<std::unique_ptr<Worker>> all_;
  std::vector<Worker*> idle_;
};

// Never destroyed: process exit stops the workers through
// shutdown_worker_pool(), whatever the order of static destructors.
WorkerPool& pool() {
  static WorkerPool* const p = new WorkerPool();
  return *p;
}

// Worker clones follow their parent in and out of a team.
void sync_clones(Environment& env) {
  for (Environment* clone : env.worker_clones) {
    clone->team = env.team;
    clone->nesting = env.nesting;
  }
}

}  // namespace

ThreadTeam::ThreadTeam(std::vector<Worker*> workers, TeamMode mode)
    : workers_(std::move(workers)), mode_(mode) {}

ThreadTeam::~ThreadTeam() {
  wait_all();
  pool().release(workers_);
}

int ThreadTeam::free_workers() const {
  int n = 0;
  for (Worker* w : workers_)
    if (!w->running()) ++n;
  return n;
}

void ThreadTeam::run(int index, std::function<void()> task) {
  workers_[static_cast<size_t>(index)]->start(std::move(task));
}

void ThreadTeam::wait(int index) { workers_[static_cast<size_t>(index)]->wait(); }

void ThreadTeam::wait_all() {
  for (Worker* w : workers_) w->wait();
}

int run_in_team(Environment& env, int threads, bool deterministic, const std::function<int()>& fn) {
  struct Nesting {
    explicit Nesting(Environment& e) : env(e) { ++env.nesting; }
    ~Nesting() {
      --env.nesting;
      sync_clones(env);
    }
    Environment& env;
  } nesting(env);

  if (threads <= 1) return fn();
  std::vector<Worker*> workers;
  if (int code = pool().acquire(threads - 1, workers)) {
    pool().release(workers);
    return -report_error(&env, code);
  }
  ThreadTeam team(std::move(workers),
                  deterministic ? TeamMode::Deterministic : TeamMode::Opportunistic);
  struct Attach {
    Attach(Environment& e, ThreadTeam* t) : env(e), outer(e.team) {
      env.team = t;
      sync_clones(env);
    }
    ~Attach() { env.team = outer; }
    Environment& env;
    ThreadTeam* outer;
  } attach(env, &team);
  return fn();
}

int worker_pool_size() { return pool().size(); }

int idle_worker_count() { return pool().idle(); }

void shutdown_worker_pool() { pool().shutdown(); }

}  // namespace korva
