#include "env/threads.h"

#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

#include "env/environment.h"
#include "env/errors.h"

namespace korva {

// A pooled thread that runs one task at a time.
class Worker {
 public:
  Worker() : thread_([this] { loop(); }) {}
  ~Worker() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stop_ = true;
    }
    wake_.notify_one();
    thread_.join();
  }
  void start(std::function<void()> task) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      task_ = std::move(task);
      busy_ = true;
    }
    wake_.notify_one();
  }
  void wait() {
    std::unique_lock<std::mutex> lock(mutex_);
    done_.wait(lock, [this] { return !busy_; });
  }
  bool busy() {
    std::lock_guard<std::mutex> lock(mutex_);
    return busy_;
  }

 private:
  void loop() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
      wake_.wait(lock, [this] { return stop_ || task_; });
      if (stop_ && !task_) return;
      auto task = std::move(task_);
      task_ = nullptr;
      lock.unlock();
      task();
      lock.lock();
      busy_ = false;
      done_.notify_all();
    }
  }

  std::mutex mutex_;
  std::condition_variable wake_, done_;
  std::function<void()> task_;
  bool busy_ = false;
  bool stop_ = false;
  std::thread thread_;  // last: starts after the members it uses exist
};

namespace {

class WorkerPool {
 public:
  ~WorkerPool() { shutdown(); }

  // Takes `count` idle workers, creating threads as needed; false when the
  // system refuses a thread.
  bool acquire(int count, std::vector<Worker*>& out) {
    std::lock_guard<std::mutex> lock(mutex_);
    while (static_cast<int>(idle_.size()) < count) {
      try {
        all_.push_back(std::make_unique<Worker>());
      } catch (const std::system_error&) {
        return false;
      }
      idle_.push_back(all_.back().get());
    }
    for (int i = 0; i < count; ++i) {
      out.push_back(idle_.back());
      idle_.pop_back();
    }
    return true;
  }
  void release(const std::vector<Worker*>& workers) {
    std::lock_guard<std::mutex> lock(mutex_);
    for (Worker* w : workers) idle_.push_back(w);
  }
  int size() {
    std::lock_guard<std::mutex> lock(mutex_);
    return static_cast<int>(all_.size());
  }
  void shutdown() {
    std::lock_guard<std::mutex> lock(mutex_);
    idle_.clear();
    all_.clear();  // joins every thread
  }

 private:
  std::mutex mutex_;
  std::vector<std::unique_ptr<Worker>> all_;
  std::vector<Worker*> idle_;
};

WorkerPool& pool() {
  static WorkerPool p;
  return p;
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
    if (!w->busy()) ++n;
  return n;
}

void ThreadTeam::run(int index, std::function<void()> task) { workers_[index]->start(std::move(task)); }

void ThreadTeam::wait(int index) { workers_[index]->wait(); }

void ThreadTeam::wait_all() {
  for (Worker* w : workers_) w->wait();
}

int run_in_team(Environment& env, int threads, bool deterministic, const std::function<int()>& fn) {
  struct Nesting {
    explicit Nesting(Environment& e) : env(e) { ++env.nesting; }
    ~Nesting() { --env.nesting; }
    Environment& env;
  } nesting(env);

  if (threads <= 1) return fn();
  std::vector<Worker*> workers;
  if (!pool().acquire(threads - 1, workers)) {
    pool().release(workers);
    return -report_error(&env, err::kBadThreadCount);
  }
  ThreadTeam team(std::move(workers),
                  deterministic ? TeamMode::Deterministic : TeamMode::Opportunistic);
  ThreadTeam* outer = env.team;
  env.team = &team;
  const int status = fn();
  env.team = outer;
  return status;
}

int worker_pool_size() { return pool().size(); }

void shutdown_worker_pool() { pool().shutdown(); }

}  // namespace korva
