// Life cycle of problem objects: creation, freeing, cloning, and the names
// of the problem and its objective.
#include <new>

#include "env/errors.h"
#include "model/edit_support.h"

namespace korva::model {
namespace {

void destroy_record(ObjectHeader* header) {
  auto* lp = static_cast<Problem*>(header);
  lp->self = nullptr;
  delete lp;
}

void drop_search(ObjectHeader* header) {
  static_cast<Problem*>(header)->derived.mip_search.reset();
}

Problem* new_record(Environment& env) {
  auto* lp = new Problem;
  lp->self = lp;
  lp->root_env = env.root();
  lp->created_in = &env;
  lp->destroy = destroy_record;
  lp->discard_search = drop_search;
  return lp;
}

std::unique_ptr<MipData> copy_mip(const MipData& src) {
  auto mip = std::make_unique<MipData>();
  mip->ctype = src.ctype;
  mip->sos = src.sos;
  mip->indicators = src.indicators;
  if (src.order) mip->order = std::make_unique<PriorityOrder>(*src.order);
  if (src.starts) mip->starts = src.starts->clone();
  if (src.pool) mip->pool = src.pool->clone();
  return mip;
}

template <class T>
std::unique_ptr<T> copy_part(const std::unique_ptr<T>& src) {
  return src ? std::make_unique<T>(*src) : nullptr;
}

}  // namespace

Problem* create_problem(Environment& env, const char* name_utf8, int* status) {
  int code = 0;
  Problem* lp = nullptr;
  if (!name_utf8) {
    code = err::kNullPointer;
  } else {
    try {
      auto record = std::unique_ptr<Problem>(new_record(env));
      record->lp.name = name_utf8;
      track_object(env, ObjectKind::Problem, record.get());
      lp = record.release();
    } catch (...) {
      code = err::kNoMemory;
    }
  }
  if (status) *status = code;
  return lp;
}

void free_problem(Problem* lp) {
  if (!lp) return;
  if (lp->created_in) untrack_object(*lp->created_in, lp);
  destroy_record(lp);
}

Problem* clone_problem(Environment& env, Problem& src, int* status) {
  int code = complete(env, src);
  Problem* copy = nullptr;
  if (code == 0) {
    try {
      auto record = std::unique_ptr<Problem>(new_record(env));
      record->type = src.type;
      record->lp = src.lp;
      record->lp.matrix.compact();
      if (src.mip) record->mip = copy_mip(*src.mip);
      record->quad = copy_part(src.quad);
      record->qcons = copy_part(src.qcons);
      record->user_cuts = copy_part(src.user_cuts);
      record->lazy_constraints = copy_part(src.lazy_constraints);
      track_object(env, ObjectKind::Problem, record.get());
      copy = record.release();
    } catch (...) {
      code = err::kNoMemory;
    }
  }
  if (status) *status = code;
  return copy;
}

int check_modifiable(const Problem& lp) { return lp.locked ? err::kNotSingleProblem : 0; }

int set_problem_name(Environment& env, Problem& lp, const char* name_utf8) {
  if (!name_utf8) return err::kNullPointer;
  if (int status = detail::begin_edit(env, lp)) return status;
  lp.lp.name = name_utf8;
  raise_event(lp, ChangeEvent::Names);
  return 0;
}

int set_objective_name(Environment& env, Problem& lp, const char* name_utf8) {
  if (!name_utf8) return err::kNullPointer;
  if (int status = detail::begin_edit(env, lp)) return status;
  lp.lp.objname = name_utf8;
  raise_event(lp, ChangeEvent::Names);
  return 0;
}

}  // namespace korva::model
