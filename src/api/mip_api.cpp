// Exported functions: the mixed-integer optimiser and the queries on its
// search.
#include "env/frame.h"
#include "env/optimizer_entry.h"
#include "mip/mip_optimize.h"
#include "mip/populate.h"
#include "mip/mip_queries.h"

using namespace korva;
using mip::MipCounter;
using mip::MipValue;

namespace {

constexpr unsigned kQuery = api::kInfoCallbackOk;

// A counter, 0 after an error (`failed` for KRVgetnodeint: -1).
long long counter(KRVenv env, KRVprob lp, MipCounter which, long long failed = 0) {
  int64_t value = failed;
  const int code = api::call(env, lp, kQuery,
                             [&](Environment& e, Problem& p) { return mip::get_mip_counter(e, p, which, &value); });
  return code == 0 ? value : failed;
}

// The plain family's counter: clamped to 32 bits with error 1810.
int counter32(KRVenv env, KRVprob lp, MipCounter which, int failed = 0) {
  const long long value = counter(env, lp, which, failed);
  if (value == static_cast<int>(value)) return static_cast<int>(value);
  return clamp_to_int(env, value);
}

int value_query(KRVenv env, KRVprob lp, MipValue which, double* out) {
  return api::call(env, lp, kQuery, [&](Environment& e, Problem& p) { return mip::get_mip_value(e, p, which, out); });
}

}  // namespace

extern "C" {

KRVAPI int KRVmipopt(KRVenv env, KRVprob lp) {
  return optimizer_entry(env, lp, mip::mip_thread_count,
                         [](Environment& e, Problem& p) { return mip::mip_optimize(e, p); });
}

KRVAPI int KRVpopulate(KRVenv env, KRVprob lp) {
  return optimizer_entry(env, lp, mip::mip_thread_count,
                         [](Environment& e, Problem& p) { return mip::populate(e, p); });
}

KRVAPI int KRVgetnodecnt(KRVenv env, KRVprob lp) { return counter32(env, lp, MipCounter::Nodes); }
KRVAPI int KRVgetnodeleftcnt(KRVenv env, KRVprob lp) { return counter32(env, lp, MipCounter::NodesLeft); }
KRVAPI int KRVgetmipitcnt(KRVenv env, KRVprob lp) { return counter32(env, lp, MipCounter::Iterations); }
KRVAPI int KRVgetnodeint(KRVenv env, KRVprob lp) { return counter32(env, lp, MipCounter::IncumbentNode, -1); }
KRVAPI int KRVgetsubstat(KRVenv env, KRVprob lp) { return counter32(env, lp, MipCounter::SubStatus); }
KRVAPI int KRVgetsubmethod(KRVenv env, KRVprob lp) { return counter32(env, lp, MipCounter::SubMethod); }

KRVAPI long long KRVLgetnodecnt(KRVenv env, KRVprob lp) { return counter(env, lp, MipCounter::Nodes); }
KRVAPI long long KRVLgetnodeleftcnt(KRVenv env, KRVprob lp) { return counter(env, lp, MipCounter::NodesLeft); }
KRVAPI long long KRVLgetmipitcnt(KRVenv env, KRVprob lp) { return counter(env, lp, MipCounter::Iterations); }
KRVAPI long long KRVLgetnodeint(KRVenv env, KRVprob lp) { return counter(env, lp, MipCounter::IncumbentNode, -1); }
KRVAPI int KRVLgetsubstat(KRVenv env, KRVprob lp) { return counter32(env, lp, MipCounter::SubStatus); }
KRVAPI int KRVLgetsubmethod(KRVenv env, KRVprob lp) { return counter32(env, lp, MipCounter::SubMethod); }

KRVAPI int KRVgetbestobjval(KRVenv env, KRVprob lp, double* objval_p) {
  return value_query(env, lp, MipValue::BestBound, objval_p);
}
KRVAPI int KRVgetmiprelgap(KRVenv env, KRVprob lp, double* gap_p) {
  return value_query(env, lp, MipValue::RelativeGap, gap_p);
}
KRVAPI int KRVgetcutoff(KRVenv env, KRVprob lp, double* cutoff_p) {
  return value_query(env, lp, MipValue::Cutoff, cutoff_p);
}
KRVAPI int KRVLgetbestobjval(KRVenv env, KRVprob lp, double* objval_p) {
  return value_query(env, lp, MipValue::BestBound, objval_p);
}
KRVAPI int KRVLgetmiprelgap(KRVenv env, KRVprob lp, double* gap_p) {
  return value_query(env, lp, MipValue::RelativeGap, gap_p);
}
KRVAPI int KRVLgetcutoff(KRVenv env, KRVprob lp, double* cutoff_p) {
  return value_query(env, lp, MipValue::Cutoff, cutoff_p);
}

}  // extern "C"
