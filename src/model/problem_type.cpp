// KRVchgprobtype: each problem type keeps the parts it can use, creates the
// ones it needs and discards the rest.
#include "env/errors.h"
#include "model/edit_support.h"

namespace korva::model {
namespace {

// What a target type keeps and needs.
struct TypeRule {
  int type;
  bool mip, quad, qcons;  // parts this type has (others are discarded)
  int not_possible;       // fixed types: code when no incumbent can be fixed
};

constexpr TypeRule kTypeRules[] = {
    {KRVPROB_LP, false, false, false, 0},
    {KRVPROB_MILP, true, false, false, 0},
    {KRVPROB_FIXEDMILP, true, false, false, err::kNotMilp},
    {KRVPROB_QP, false, true, false, 0},
    {KRVPROB_MIQP, true, true, false, 0},
    {KRVPROB_FIXEDMIQP, true, true, false, err::kNotMiqp},
    // Quadratically constrained problems may keep a quadratic objective.
    {KRVPROB_QCP, false, false, true, 0},
    {KRVPROB_MIQCP, true, false, true, 0},
    {KRVPROB_FIXEDMIQCP, true, false, true, err::kNotMiqcp},
};

const TypeRule* rule_for(int type) {
  for (const TypeRule& r : kTypeRules)
    if (r.type == type) return &r;
  return nullptr;
}

// A fixed type fixes the integer columns at the incumbent of the
// branch-and-cut search. No search keeps an incumbent in the problem yet,
// so a fixed type cannot be formed.
bool has_incumbent(const Problem&) { return false; }

// The fixed types need the parts of their unfixed type already present.
bool fixable(const Problem& lp, const TypeRule& r) {
  if (!lp.mip || !has_incumbent(lp)) return false;
  if (r.type == KRVPROB_FIXEDMIQP) return lp.quad != nullptr;
  if (r.type == KRVPROB_FIXEDMIQCP) return lp.qcons != nullptr;
  return true;
}

}  // namespace

int change_type(Environment& env, Problem& lp, int type) {
  if (int status = check_modifiable(lp)) return status;
  const TypeRule* r = rule_for(type);
  if (!r) return err::kBadProblemType;
  if (type == lp.type && !r->not_possible) return 0;
  if (int status = complete(env, lp)) return status;
  if (r->not_possible && !fixable(lp, *r)) return r->not_possible;

  // Create what the type needs before discarding anything.
  std::unique_ptr<MipData> mip = r->mip && !lp.mip ? detail::new_mip_data(lp.num_cols()) : nullptr;
  std::unique_ptr<QuadObjective> quad;
  if (r->quad && !lp.quad) {
    quad = std::make_unique<QuadObjective>();
    quad->q.reserve_columns(lp.num_cols());
    quad->q.append_empty_columns(lp.num_cols());
  }
  std::unique_ptr<QuadConstraints> qcons =
      r->qcons && !lp.qcons ? std::make_unique<QuadConstraints>() : nullptr;

  const bool keeps_quad = r->quad || r->qcons;
  detail::discard_parts(env, lp, !r->mip, !keeps_quad, !r->qcons);
  if (mip) lp.mip = std::move(mip);
  if (quad) lp.quad = std::move(quad);
  if (qcons) lp.qcons = std::move(qcons);
  lp.type = type;
  raise_event(lp, ChangeEvent::TypeConversion);
  return 0;
}

}  // namespace korva::model
