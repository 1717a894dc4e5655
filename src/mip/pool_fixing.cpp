#include "mip/pool_fixing.h"

#include <utility>
#include <vector>

#include "env/errors.h"
#include "mip/pool_errors.h"
#include "mip/solution_pool.h"
#include "model/model.h"

namespace korva::mip {
namespace {

struct FixedRule {
  int type;          // the fixed type
  int base;          // the type it fixes
  int not_possible;  // the problem lacks the base type's parts
};

constexpr FixedRule kFixedRules[] = {
    {KRVPROB_FIXEDMILP, KRVPROB_MILP, err::kNotMilp},
    {KRVPROB_FIXEDMIQP, KRVPROB_MIQP, err::kNotMiqp},
    {KRVPROB_FIXEDMIQCP, KRVPROB_MIQCP, err::kNotMiqcp},
};

const FixedRule* fixed_rule(int type) {
  for (const FixedRule& r : kFixedRules)
    if (r.type == type) return &r;
  return nullptr;
}

bool is_known_type(int type) {
  constexpr int kTypes[] = {KRVPROB_LP,  KRVPROB_MILP, KRVPROB_FIXEDMILP, KRVPROB_QP,         KRVPROB_MIQP,
                            KRVPROB_FIXEDMIQP, KRVPROB_QCP, KRVPROB_MIQCP, KRVPROB_FIXEDMIQCP};
  for (int t : kTypes)
    if (t == type) return true;
  return false;
}

bool has_parts_of(const Problem& p, int fixed_type) {
  if (!p.mip) return false;
  if (fixed_type == KRVPROB_FIXEDMIQP) return p.quad != nullptr;
  if (fixed_type == KRVPROB_FIXEDMIQCP) return p.qcons != nullptr;
  return true;
}

// Takes the pool off the problem while the problem is edited on its
// behalf, so that the change events of those edits leave its solutions
// alone; it goes back unless the edits discarded the MIP data.
class DetachedPool {
 public:
  explicit DetachedPool(Problem& p) : p_(p) {
    pool_ = find_solution_pool(p);
    if (pool_) part_ = std::move(p.mip->pool);
  }
  ~DetachedPool() {
    if (part_ && p_.mip && !p_.mip->pool) p_.mip->pool = std::move(part_);
  }
  DetachedPool(const DetachedPool&) = delete;
  DetachedPool& operator=(const DetachedPool&) = delete;
  SolutionPool* pool() const { return pool_; }

 private:
  Problem& p_;
  SolutionPool* pool_ = nullptr;
  std::unique_ptr<AttachedPart> part_;
};

int put_back(Environment& env, Problem& p, SolutionPool& pool) {
  if (pool.fixed.empty()) return 0;
  const FixedBounds& f = pool.fixed;
  const size_t n = f.cols.size();
  std::vector<int> cols(2 * n);
  std::vector<char> lu(2 * n);
  std::vector<double> bd(2 * n);
  for (size_t k = 0; k < n; ++k) {
    cols[2 * k] = cols[2 * k + 1] = f.cols[k];
    lu[2 * k] = 'L';
    lu[2 * k + 1] = 'U';
    bd[2 * k] = f.lb[k];
    bd[2 * k + 1] = f.ub[k];
  }
  if (int status = model::chg_bounds(env, p, static_cast<int>(2 * n), cols.data(), lu.data(), bd.data()))
    return status;
  pool.fixed = FixedBounds{};
  return 0;
}

int fix_at(Environment& env, Problem& p, const FixedRule& rule, SolutionPool& pool, const std::vector<double>& x) {
  std::vector<int> cols;
  std::vector<double> values;
  for (int j = 0; j < p.num_cols(); ++j) {
    if (!is_integer_like(p.ctype(j))) continue;
    cols.push_back(j);
    values.push_back(settled_value(p, j, x[j], pool.settings.integrality));
  }
  FixedBounds before;
  before.cols = cols;
  for (int j : cols) {
    before.lb.push_back(p.lower(j));
    before.ub.push_back(p.upper(j));
  }
  // The base type sorts out the parts (a fixed MILP made from a MIQP drops
  // the quadratic objective, as KRVchgprobtype would).
  if (p.type != rule.base)
    if (int status = model::change_type(env, p, rule.base)) return status;
  const std::vector<char> both(cols.size(), 'B');
  if (int status = model::chg_bounds(env, p, static_cast<int>(cols.size()), cols.data(), both.data(), values.data()))
    return status;
  p.type = rule.type;
  model::raise_event(p, ChangeEvent::TypeConversion);
  // Only the first fixing knows the bounds the problem had.
  if (pool.fixed.empty()) pool.fixed = std::move(before);
  return 0;
}

}  // namespace

int restore_bounds_before_fixing(Environment& env, Problem& p) {
  DetachedPool detached(p);
  return detached.pool() ? put_back(env, p, *detached.pool()) : 0;
}

int change_type_at_pool_solution(Environment& env, Problem& p, int type, int soln) {
  if (int status = model::check_modifiable(p)) return status;
  if (!is_known_type(type)) return err::kBadProblemType;
  if (int status = model::complete(env, p)) return status;
  const FixedRule* rule = fixed_rule(type);
  if (!rule) {
    const FixedRule* current = fixed_rule(p.type);
    const bool back_to_base = current && current->base == type;
    {
      DetachedPool detached(p);
      if (detached.pool())
        if (int status = put_back(env, p, *detached.pool())) return status;
      // Back where the pool's solutions were found: they still hold.
      if (back_to_base) return model::change_type(env, p, type);
    }
    return model::change_type(env, p, type);
  }
  if (soln == -1) return model::change_type(env, p, type);
  if (!has_parts_of(p, type)) return rule->not_possible;
  SolutionPool* pool = find_solution_pool(p);
  if (!pool) return poolcode::kNoPool;
  if (soln < 0 || soln >= pool->num_solutions()) return err::kIndexRange;
  const std::vector<double> x = pool->solutions[static_cast<size_t>(soln)].x;
  DetachedPool detached(p);
  return fix_at(env, p, *rule, *pool, x);
}

}  // namespace korva::mip
