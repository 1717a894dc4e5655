// Thread teams. A process-wide pool of worker threads is created on demand
// and reused; an optimiser that runs in parallel borrows T - 1 workers for a
// team in which the calling thread is the master.
#pragma once
#include <functional>
#include <vector>

struct krv_env_s;

namespace korva {
using Environment = krv_env_s;

class Worker;

enum class TeamMode : int { Opportunistic = 1, Deterministic = 3 };

class ThreadTeam {
 public:
  ThreadTeam(std::vector<Worker*> workers, TeamMode mode);
  ~ThreadTeam();  // waits for the workers, returns them to the pool
  ThreadTeam(const ThreadTeam&) = delete;
  ThreadTeam& operator=(const ThreadTeam&) = delete;

  // Threads in the team, the master included.
  int size() const { return static_cast<int>(workers_.size()) + 1; }
  TeamMode mode() const { return mode_; }
  bool deterministic() const { return mode_ == TeamMode::Deterministic; }
  // Workers not running a task now.
  int free_workers() const;
  // Runs `task` on worker `index` (0 .. size() - 2), first waiting for the
  // task it ran before. Called by the master only.
  void run(int index, std::function<void()> task);
  // Waits until worker `index` (or every worker) has finished its task.
  void wait(int index);
  void wait_all();

 private:
  std::vector<Worker*> workers_;
  TeamMode mode_;
};

// Runs `fn` with a team of `threads` threads (the calling thread included)
// attached to the environment; 0 or 1 threads call `fn` directly. The nesting
// counter of the environment is raised for the duration. Returns fn's status,
// or -9031 / -1809 (already reported) when the team cannot be formed.
int run_in_team(Environment& env, int threads, bool deterministic, const std::function<int()>& fn);

// Threads the pool has created so far, and how many of them are idle.
int worker_pool_size();
int idle_worker_count();
// Stops and joins every pooled worker (KRVfinalize, process exit). The pool
// starts again on demand.
void shutdown_worker_pool();

}  // namespace korva
