#include "mip/pool_filter_entries.h"

#include <algorithm>
#include <string>

#include "env/errors.h"
#include "mip/pool_errors.h"
#include "mip/pool_queries.h"
#include "mip/solution_pool.h"
#include "model/datacheck.h"
#include "model/model.h"

namespace korva::mip {
namespace {

// The pool after the buffered additions, or 3024.
int pool_of(Environment& env, Problem& p, SolutionPool*& pool) {
  if (int status = model::complete(env, p)) return status;
  pool = find_solution_pool(p);
  return pool ? 0 : poolcode::kNoPool;
}

int filter_at(Environment& env, Problem& p, int which, const PoolFilter*& f) {
  SolutionPool* pool = nullptr;
  if (int status = pool_of(env, p, pool)) return status;
  if (which < 0 || which >= static_cast<int>(pool->filters.size())) return err::kIndexRange;
  f = &pool->filters[static_cast<size_t>(which)];
  return 0;
}

// Checks shared by both add entries; the filter's own checks follow.
int check_add(Environment& env, Problem& p, int nzcnt, const int* ind, const double* values) {
  if (int status = model::check_modifiable(p)) return status;
  if (int status = model::complete(env, p)) return status;
  if (nzcnt < 0) return err::kBadArgument;
  if (nzcnt > 0 && (!ind || !values)) return err::kNullPointer;
  if (!p.mip) return err::kNotMip;
  return 0;
}

int check_numbers(Environment& env, const PoolFilter& f) {
  if (!model::check::enabled(env)) return 0;
  const double bounds[] = {f.lower, f.upper};
  if (int status = model::check::doubles(env, bounds, 2)) return status;
  if (int status = model::check::doubles(env, f.values.data(), static_cast<int64_t>(f.values.size())))
    return status;
  return model::check::doubles(env, f.weights.data(), static_cast<int64_t>(f.weights.size()));
}

int add_filter(Environment& env, Problem& p, PoolFilter&& f, const char* name_utf8) {
  if (int status = check_filter(env, p, f)) return status;
  if (int status = check_numbers(env, f)) return status;
  SolutionPool& pool = solution_pool_of(p);
  f.name = name_utf8 ? name_utf8 : pool.next_filter_name();
  pool.filters.push_back(std::move(f));
  return 0;
}

// The data of a filter under the surplus convention.
int copy_list(const PoolFilter& f, int* nzcnt, int* ind, double* values, double* weights, int space,
              int* surplus) {
  if (!nzcnt || !surplus) return err::kNullPointer;
  const int needed = static_cast<int>(f.cols.size());
  *surplus = space - needed;
  if (needed > space) {
    *nzcnt = 0;
    return surplus_status(space, needed);
  }
  if (needed > 0 && (!ind || !values)) return err::kNullPointer;
  std::copy(f.cols.begin(), f.cols.end(), ind);
  std::copy(f.values.begin(), f.values.end(), values);
  if (weights)
    for (int k = 0; k < needed; ++k) weights[k] = f.weight(static_cast<size_t>(k));
  *nzcnt = needed;
  return 0;
}

void remove_flagged(Problem& p, SolutionPool& pool, const std::vector<char>& drop) {
  size_t kept = 0;
  for (size_t k = 0; k < pool.filters.size(); ++k) {
    if (drop[k]) continue;
    if (kept != k) pool.filters[kept] = std::move(pool.filters[k]);
    ++kept;
  }
  pool.filters.resize(kept);
  drop_pool_if_empty(p);
}

}  // namespace

int add_diversity_filter(Environment& env, Problem& p, double lower_cutoff, double upper_cutoff, int nzcnt,
                         const int* ind, const double* weight, const double* refval, const char* name_utf8) {
  if (int status = check_add(env, p, nzcnt, ind, refval)) return status;
  PoolFilter f;
  f.type = FilterType::Diversity;
  f.lower = lower_cutoff;
  f.upper = upper_cutoff;
  f.cols.assign(ind, ind + nzcnt);
  f.values.assign(refval, refval + nzcnt);
  if (weight) f.weights.assign(weight, weight + nzcnt);
  return add_filter(env, p, std::move(f), name_utf8);
}

int add_range_filter(Environment& env, Problem& p, double lb, double ub, int nzcnt, const int* ind,
                     const double* val, const char* name_utf8) {
  if (int status = check_add(env, p, nzcnt, ind, val)) return status;
  PoolFilter f;
  f.type = FilterType::Range;
  f.lower = lb;
  f.upper = ub;
  f.cols.assign(ind, ind + nzcnt);
  f.values.assign(val, val + nzcnt);
  return add_filter(env, p, std::move(f), name_utf8);
}

int replace_filters(Environment& env, Problem& p, std::vector<PoolFilter>& filters) {
  if (int status = model::check_modifiable(p)) return status;
  if (int status = model::complete(env, p)) return status;
  if (!p.mip) return err::kNotMip;
  for (const PoolFilter& f : filters) {
    if (int status = check_filter(env, p, f)) return status;
    if (int status = check_numbers(env, f)) return status;
  }
  SolutionPool& pool = solution_pool_of(p);
  for (PoolFilter& f : filters)
    if (f.name.empty()) f.name = pool.next_filter_name();
  pool.filters = std::move(filters);
  drop_pool_if_empty(p);
  return 0;
}

int num_pool_filters(Environment& env, Problem& p) {
  SolutionPool* pool = nullptr;
  return pool_of(env, p, pool) == 0 ? static_cast<int>(pool->filters.size()) : 0;
}

int get_filter_type(Environment& env, Problem& p, int* type, int which) {
  if (!type) return err::kNullPointer;
  const PoolFilter* f = nullptr;
  if (int status = filter_at(env, p, which, f)) return status;
  *type = static_cast<int>(f->type);
  return 0;
}

int get_diversity_filter(Environment& env, Problem& p, double* lower_cutoff, double* upper_cutoff, int* nzcnt,
                         int* ind, double* weight, double* refval, int space, int* surplus, int which) {
  const PoolFilter* f = nullptr;
  if (int status = filter_at(env, p, which, f)) return status;
  if (f->type != FilterType::Diversity) return err::kBadArgument;
  if (lower_cutoff) *lower_cutoff = f->lower;
  if (upper_cutoff) *upper_cutoff = f->upper;
  return copy_list(*f, nzcnt, ind, refval, weight, space, surplus);
}

int get_range_filter(Environment& env, Problem& p, double* lb, double* ub, int* nzcnt, int* ind, double* val,
                     int space, int* surplus, int which) {
  const PoolFilter* f = nullptr;
  if (int status = filter_at(env, p, which, f)) return status;
  if (f->type != FilterType::Range) return err::kBadArgument;
  if (lb) *lb = f->lower;
  if (ub) *ub = f->upper;
  return copy_list(*f, nzcnt, ind, val, nullptr, space, surplus);
}

int get_filter_name(Environment& env, Problem& p, char* buf, int64_t space, int64_t* surplus, int which) {
  const PoolFilter* f = nullptr;
  if (int status = filter_at(env, p, which, f)) return status;
  return copy_text(env, f->name, buf, space, surplus);
}

int find_filter(Environment& env, Problem& p, const char* name_utf8, int* index) {
  if (!name_utf8 || !index) return err::kNullPointer;
  SolutionPool* pool = nullptr;
  if (int status = pool_of(env, p, pool)) return status;
  for (size_t k = 0; k < pool->filters.size(); ++k) {
    if (pool->filters[k].name == name_utf8) {
      *index = static_cast<int>(k);
      return 0;
    }
  }
  return -err::kNameNotFound;  // not printed: looking up is also a test
}

int del_filters(Environment& env, Problem& p, const char* fname, int begin, int end) {
  if (int status = model::check_modifiable(p)) return status;
  SolutionPool* pool = nullptr;
  if (int status = pool_of(env, p, pool)) return status;
  const int n = static_cast<int>(pool->filters.size());
  if (int status = check_range(&env, fname, begin, end, n)) return status;
  if (begin > end) return 0;
  std::vector<char> drop(static_cast<size_t>(n), 0);
  std::fill(drop.begin() + begin, drop.begin() + end + 1, 1);
  remove_flagged(p, *pool, drop);
  return 0;
}

int del_set_filters(Environment& env, Problem& p, int* delstat) {
  if (!delstat) return err::kNullPointer;
  if (int status = model::check_modifiable(p)) return status;
  SolutionPool* pool = nullptr;
  if (int status = pool_of(env, p, pool)) return status;
  const int n = static_cast<int>(pool->filters.size());
  std::vector<char> drop(static_cast<size_t>(n), 0);
  for (int k = 0; k < n; ++k) drop[k] = delstat[k] == 1;
  int next = 0;
  for (int k = 0; k < n; ++k) delstat[k] = drop[k] ? -1 : next++;
  remove_flagged(p, *pool, drop);
  return 0;
}

}  // namespace korva::mip
