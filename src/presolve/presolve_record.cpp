#include "presolve/presolve_record.h"

namespace korva::presolve {

namespace {

void destroy_owned(ObjectHeader* header) {
  auto* p = static_cast<Problem*>(header);
  p->self = nullptr;
  delete p;
}

}  // namespace

PresolveRecord::~PresolveRecord() { free_owned_problem(reduced); }

PresolveRecord* find_record(Problem& p) { return dynamic_cast<PresolveRecord*>(p.derived.presolve.get()); }

// The handle passes the calling frame (same root environment), so the
// caller can read the reduced problem through the ordinary functions; it is
// freed with the record, not with the environment.
Problem* new_owned_problem(Environment& env) {
  auto* p = new Problem;
  p->self = p;
  p->root_env = env.root();
  p->created_in = nullptr;
  p->destroy = destroy_owned;
  return p;
}

void free_owned_problem(Problem* p) {
  if (p) destroy_owned(p);
}

}  // namespace korva::presolve
