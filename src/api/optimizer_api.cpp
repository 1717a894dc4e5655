// Exported functions: the continuous optimisers. Each runs through the
// optimiser entry (outer call with the thread team, inner call with the
// time-limit frame) into the dispatch of src/simplex/dispatch.
#include "env/optimizer_entry.h"
#include "simplex/dispatch/lp_entries.h"

using namespace korva;

namespace {

// Linear problems run the simplex on one thread; a quadratic objective
// would run its optimiser in parallel.
Threads simplex_threads(Environment&, Problem& p) { return p.quad ? Threads::Parallel : Threads::Serial; }

Threads lp_threads(Environment& e, Problem& p) {
  return simplex::lp_entry_wants_team(e, p) ? Threads::Parallel : Threads::Serial;
}

}  // namespace

extern "C" {

KRVAPI int KRVlpopt(KRVenv env, KRVprob lp) {
  return optimizer_entry(env, lp, lp_threads, [](Environment& e, Problem& p) { return simplex::lp_optimize(e, p); });
}

KRVAPI int KRVprimopt(KRVenv env, KRVprob lp) {
  return optimizer_entry(env, lp, simplex_threads,
                         [](Environment& e, Problem& p) { return simplex::primal_optimize(e, p); });
}

KRVAPI int KRVdualopt(KRVenv env, KRVprob lp) {
  return optimizer_entry(env, lp, simplex_threads,
                         [](Environment& e, Problem& p) { return simplex::dual_optimize(e, p); });
}

KRVAPI int KRVbaropt(KRVenv env, KRVprob lp) {
  return optimizer_entry(env, lp, Threads::Parallel,
                         [](Environment& e, Problem& p) { return simplex::barrier_optimize(e, p, -1); });
}

KRVAPI int KRVhybbaropt(KRVenv env, KRVprob lp, int method) {
  return optimizer_entry(env, lp, Threads::Parallel,
                         [method](Environment& e, Problem& p) { return simplex::barrier_optimize(e, p, method); });
}

KRVAPI int KRVhybnetopt(KRVenv env, KRVprob lp, int method) {
  return optimizer_entry(env, lp, Threads::Parallel, [method](Environment& e, Problem& p) {
    return simplex::hybrid_network_optimize(e, p, method);
  });
}

KRVAPI int KRVqpopt(KRVenv env, KRVprob lp) {
  return optimizer_entry(env, lp, Threads::Parallel,
                         [](Environment& e, Problem& p) { return simplex::qp_optimize(e, p); });
}

KRVAPI int KRVsiftopt(KRVenv env, KRVprob lp) {
  return optimizer_entry(env, lp, Threads::Serial,
                         [](Environment& e, Problem& p) { return simplex::sift_optimize(e, p); });
}

}  // extern "C"
