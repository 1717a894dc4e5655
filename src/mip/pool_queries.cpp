#include "mip/pool_queries.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "env/errors.h"
#include "mip/pool_errors.h"
#include "mip/solution_pool.h"
#include "model/model.h"
#include "simplex/solution/mip_incumbent.h"

namespace korva::mip {
namespace {

// The pool of p after the buffered additions, or 3024.
int pool_of(Environment& env, Problem& p, SolutionPool*& pool) {
  if (int status = model::complete(env, p)) return status;
  pool = find_solution_pool(p);
  return pool ? 0 : poolcode::kNoPool;
}

// The incumbent as the solution queries read it, or 1217.
int incumbent_of(Problem& p, const simplex::MipIncumbentStore*& store) {
  store = simplex::find_mip_incumbent(p);
  if (!store || !store->has_values() || !p.derived.values_valid) return err::kNoSolution;
  return 0;
}

// Column values of solution `soln` (-1: the incumbent).
int values_of(Problem& p, const SolutionPool& pool, int soln, const double*& x) {
  if (soln == -1) {
    const simplex::MipIncumbentStore* store = nullptr;
    if (int status = incumbent_of(p, store)) return status;
    x = store->x();
    return 0;
  }
  if (soln < 0 || soln >= pool.num_solutions()) return err::kIndexRange;
  x = pool.solutions[static_cast<size_t>(soln)].x.data();
  return 0;
}

int count_of(PoolVector which, const Problem& p) {
  switch (which) {
    case PoolVector::X: return p.num_cols();
    case PoolVector::Slack: return p.num_rows();
    case PoolVector::QconstrSlack: break;
  }
  return p.qcons ? static_cast<int>(p.qcons->list.size()) : 0;
}

}  // namespace

int copy_text(Environment& env, const std::string& utf8, char* buf, int64_t space, int64_t* surplus) {
  if (!surplus) return err::kNullPointer;
  std::string text;
  if (int status = utf8_to_api(env, utf8, text)) return status;
  const auto needed = static_cast<int64_t>(text.size()) + 1;
  *surplus = space - needed;
  if (needed > space) return surplus_status(space, needed);
  if (!buf) return err::kNullPointer;
  std::memcpy(buf, text.c_str(), static_cast<size_t>(needed));
  return 0;
}

void drop_pool_if_empty(Problem& p) {
  SolutionPool* pool = find_solution_pool(p);
  if (pool && !pool->holds_something()) p.mip->pool.reset();
}

int num_pool_solutions(Environment& env, Problem& p) {
  SolutionPool* pool = nullptr;
  return pool_of(env, p, pool) == 0 ? pool->num_solutions() : 0;
}

int64_t num_pool_replaced(Environment& env, Problem& p) {
  SolutionPool* pool = nullptr;
  return pool_of(env, p, pool) == 0 ? pool->replaced : 0;
}

int get_pool_objective(Environment& env, Problem& p, int soln, double* out) {
  SolutionPool* pool = nullptr;
  if (int status = pool_of(env, p, pool)) return status;
  if (!out) return err::kNullPointer;
  if (soln == -1) {
    const simplex::MipIncumbentStore* store = nullptr;
    if (int status = incumbent_of(p, store)) return status;
    *out = store->objective();
    return 0;
  }
  if (soln < 0 || soln >= pool->num_solutions()) return err::kIndexRange;
  *out = pool->solutions[static_cast<size_t>(soln)].objective;
  return 0;
}

int get_pool_vector(Environment& env, Problem& p, const char* fname, PoolVector which, int soln, double* out,
                    int begin, int end) {
  SolutionPool* pool = nullptr;
  if (int status = pool_of(env, p, pool)) return status;
  if (!out && begin <= end) return err::kNullPointer;
  const double* x = nullptr;
  if (int status = values_of(p, *pool, soln, x)) return status;
  if (int status = check_range(&env, fname, begin, end, count_of(which, p))) return status;
  if (begin > end) return 0;
  switch (which) {
    case PoolVector::X:
      std::copy(x + begin, x + end + 1, out);
      break;
    case PoolVector::Slack:
      pool_row_slacks(p, x, begin, end, out);
      break;
    case PoolVector::QconstrSlack:
      pool_qconstr_slacks(p, x, begin, end, out);
      break;
  }
  return 0;
}

int get_pool_mean_objective(Environment& env, Problem& p, double* out) {
  SolutionPool* pool = nullptr;
  if (int status = pool_of(env, p, pool)) return status;
  if (!out) return err::kNullPointer;
  if (pool->num_solutions() == 0) return err::kNoSolution;
  *out = pool->mean_objective();
  return 0;
}

int get_pool_solution_name(Environment& env, Problem& p, char* buf, int64_t space, int64_t* surplus, int soln) {
  SolutionPool* pool = nullptr;
  if (int status = pool_of(env, p, pool)) return status;
  if (!surplus) return err::kNullPointer;
  if (soln < 0 || soln >= pool->num_solutions()) return err::kIndexRange;
  return copy_text(env, pool->solutions[static_cast<size_t>(soln)].name, buf, space, surplus);
}

int find_pool_solution(Environment& env, Problem& p, const char* name_utf8, int* index) {
  if (!name_utf8 || !index) return err::kNullPointer;
  SolutionPool* pool = nullptr;
  if (int status = pool_of(env, p, pool)) return status;
  for (int k = 0; k < pool->num_solutions(); ++k) {
    if (pool->solutions[static_cast<size_t>(k)].name == name_utf8) {
      *index = k;
      return 0;
    }
  }
  return -err::kNameNotFound;  // not printed: looking up is also a test
}

int del_pool_solutions(Environment& env, Problem& p, const char* fname, int begin, int end) {
  if (int status = model::check_modifiable(p)) return status;
  SolutionPool* pool = nullptr;
  if (int status = pool_of(env, p, pool)) return status;
  if (int status = check_range(&env, fname, begin, end, pool->num_solutions())) return status;
  if (begin > end) return 0;
  std::vector<char> drop(static_cast<size_t>(pool->num_solutions()), 0);
  std::fill(drop.begin() + begin, drop.begin() + end + 1, 1);
  pool->erase_solutions(drop);
  drop_pool_if_empty(p);
  return 0;
}

int del_set_pool_solutions(Environment& env, Problem& p, int* delstat) {
  if (!delstat) return err::kNullPointer;
  if (int status = model::check_modifiable(p)) return status;
  SolutionPool* pool = nullptr;
  if (int status = pool_of(env, p, pool)) return status;
  const int n = pool->num_solutions();
  std::vector<char> drop(static_cast<size_t>(n), 0);
  int next = 0;
  for (int k = 0; k < n; ++k) drop[k] = delstat[k] == 1;
  pool->erase_solutions(drop);
  for (int k = 0; k < n; ++k) delstat[k] = drop[k] ? -1 : next++;
  drop_pool_if_empty(p);
  return 0;
}

}  // namespace korva::mip
