// Exported functions: presolve without optimising, the presolve record's
// queries, crush and uncrush of vectors and forms, and the basic presolve.
#include "env/frame.h"
#include "env/optimizer_entry.h"
#include "mip/mip_presolve.h"
#include "model/model.h"
#include "presolve/crush.h"
#include "presolve/presolve_driver.h"
#include "simplex/dispatch/simplex_driver.h"
#include "simplex/solution/solution_store.h"

using namespace korva;
using presolve::PresolveRecord;

namespace {

constexpr int kDualFormulation = 1119;  // The feature is not available for solving dual formulation

bool is_mip(const Problem& p) { return p.type == KRVPROB_MILP || p.type == KRVPROB_MIQP || p.type == KRVPROB_MIQCP; }

// Quadratic data has no presolve of its own yet.
int presolvable(const Problem& p) {
  if (is_mip(p)) return p.quad ? static_cast<int>(err::kNotForQp) : p.qcons ? static_cast<int>(err::kNotForQcp) : 0;
  return simplex::lp_problem_check(p);
}

int presolve_for_method(Environment& e, Problem& p, int method) {
  if (int code = model::complete(e, p)) return code;
  if (int code = presolvable(p)) return code;
  const bool messages = e.int_param(hidden_param::kPresolveMessages) != 0;
  const presolve::PresolveSettings settings = presolve::settings_from_params(e, method, messages);
  if (is_mip(p)) {
    const int code = presolve::presolve_mip(e, p, settings, false, true);
    if (presolve::is_verdict(code)) {
      mip::store_presolve_verdict(p, code, settings.reduce);
      return 0;
    }
    return code;
  }
  const int code = presolve::presolve_lp(e, p, settings, true);
  if (presolve::is_verdict(code)) {
    simplex::store_status_only(p, presolve::verdict_status(p, code), method);
    return 0;
  }
  return code;
}

// The presolve map code -8 is reported as -4.
int reported_code(int code) { return code == -8 ? -4 : code; }

template <class Body>
int with_crushable(KRVenv env, KRVprob lp, Body body) {
  return api::call(env, lp, api::kInfoCallbackOk, [&](Environment& e, Problem& p) {
    if (int code = model::complete(e, p)) return code;
    PresolveRecord* rec = nullptr;
    if (int code = presolve::crushable_record(p, &rec)) return code;
    // The reduced problem is then the dual of the original: its columns
    // are the original rows' duals, so no vector or form maps onto it.
    if (rec->dual_formulation) return kDualFormulation;
    return body(p, *rec);
  });
}

int original_index(KRVenv env, KRVprob lp, int redindex, int* origindex_p, bool column) {
  return api::call(env, lp, api::kInfoCallbackOk, [&](Environment&, Problem& p) {
    if (!origindex_p) return static_cast<int>(err::kNullPointer);
    PresolveRecord* rec = presolve::find_record(p);
    if (!rec || !rec->valid || !rec->reduced) return 1103;  // No presolved problem created
    if (rec->dual_formulation) return kDualFormulation;
    const std::vector<int>& orig = column ? rec->orig_col : rec->orig_row;
    if (redindex < 0 || redindex >= static_cast<int>(orig.size())) return static_cast<int>(err::kIndexRange);
    *origindex_p = orig[redindex];
    return 0;
  });
}

}  // namespace

extern "C" {

KRVAPI int KRVpresolve(KRVenv env, KRVprob lp, int method) {
  return optimizer_entry(env, lp, Threads::Parallel,
                         [method](Environment& e, Problem& p) { return presolve_for_method(e, p, method); });
}

KRVAPI int KRVfreepresolve(KRVenv env, KRVprob lp) {
  return api::call(env, lp, api::kNone, [&](Environment&, Problem& p) {
    p.derived.presolve.reset();
    return 0;
  });
}

KRVAPI int KRVgetredlp(KRVenv env, KRVprob lp, KRVprob* redlp_p) {
  return api::call(env, lp, api::kInfoCallbackOk, [&](Environment&, Problem& p) {
    if (!redlp_p) return static_cast<int>(err::kNullPointer);
    const PresolveRecord* rec = presolve::find_record(p);
    *redlp_p = rec && rec->valid ? rec->reduced : nullptr;
    return 0;
  });
}

KRVAPI int KRVgetprestat(KRVenv env, KRVprob lp, int* prestat_p, int* pcstat, int* prstat, int* ocstat,
                         int* orstat) {
  return api::call(env, lp, api::kInfoCallbackOk, [&](Environment& e, Problem& p) {
    if (!prestat_p && !pcstat && !prstat && !ocstat && !orstat) return static_cast<int>(err::kNullPointer);
    if (int code = model::complete(e, p)) return code;
    const PresolveRecord* rec = presolve::find_record(p);
    if (!rec || !rec->valid) {
      if (prestat_p) *prestat_p = 0;
      return 0;
    }
    if (rec->dual_formulation) return kDualFormulation;
    if (p.quad && rec->settings.method != 1 && rec->settings.method != 2) return static_cast<int>(err::kNotForQp);
    if (prestat_p) *prestat_p = rec->reduced ? 1 : 2;
    if (pcstat)
      for (int j = 0; j < rec->orig_cols; ++j) pcstat[j] = reported_code(rec->col_map[j]);
    if (prstat)
      for (int i = 0; i < rec->orig_rows; ++i) prstat[i] = reported_code(rec->row_map[i]);
    if (ocstat)
      for (size_t k = 0; k < rec->orig_col.size(); ++k) ocstat[k] = rec->orig_col[k];
    if (orstat)
      for (size_t k = 0; k < rec->orig_row.size(); ++k) orstat[k] = rec->orig_row[k];
    return 0;
  });
}

KRVAPI int KRVcrushx(KRVenv env, KRVprob lp, const double* x, double* prex) {
  return with_crushable(env, lp, [&](Problem&, PresolveRecord& rec) {
    if (!x || !prex) return static_cast<int>(err::kNullPointer);
    presolve::crush_x(rec, x, prex);
    return 0;
  });
}

KRVAPI int KRVcrushpi(KRVenv env, KRVprob lp, const double* pi, double* prepi) {
  return with_crushable(env, lp, [&](Problem& p, PresolveRecord& rec) {
    if (!pi || !prepi) return static_cast<int>(err::kNullPointer);
    presolve::crush_pi(p, rec, pi, prepi);
    return 0;
  });
}

KRVAPI int KRVcrushform(KRVenv env, KRVprob lp, int len, const int* ind, const double* val, int* plen_p,
                        double* poffset_p, int* pind, double* pval) {
  return with_crushable(env, lp, [&](Problem& p, PresolveRecord& rec) {
    if (len < 0) return static_cast<int>(err::kBadArgument);
    if ((len > 0 && (!ind || !val)) || !plen_p || !poffset_p || !pind || !pval)
      return static_cast<int>(err::kNullPointer);
    return presolve::crush_form(p, rec, len, ind, val, plen_p, poffset_p, pind, pval);
  });
}

KRVAPI int KRVuncrushx(KRVenv env, KRVprob lp, double* x, const double* prex) {
  return with_crushable(env, lp, [&](Problem& p, PresolveRecord& rec) {
    if (!x || !prex) return static_cast<int>(err::kNullPointer);
    presolve::uncrush_x(p, rec, prex, x);
    return 0;
  });
}

KRVAPI int KRVuncrushpi(KRVenv env, KRVprob lp, double* pi, const double* prepi) {
  return with_crushable(env, lp, [&](Problem& p, PresolveRecord& rec) {
    if (!pi || !prepi) return static_cast<int>(err::kNullPointer);
    presolve::uncrush_pi(p, rec, prepi, pi);
    return 0;
  });
}

KRVAPI int KRVuncrushform(KRVenv env, KRVprob lp, int plen, const int* pind, const double* pval, int* len_p,
                          double* offset_p, int* ind, double* val) {
  return with_crushable(env, lp, [&](Problem&, PresolveRecord& rec) {
    if (plen < 0) return static_cast<int>(err::kBadArgument);
    if ((plen > 0 && (!pind || !pval || !ind || !val)) || !len_p || !offset_p)
      return static_cast<int>(err::kNullPointer);
    return presolve::uncrush_form(rec, plen, pind, pval, len_p, offset_p, ind, val);
  });
}

KRVAPI int KRVEgetorigcolind(KRVenv env, KRVprob lp, int redindex, int* origindex_p) {
  return original_index(env, lp, redindex, origindex_p, true);
}

KRVAPI int KRVEgetorigrowind(KRVenv env, KRVprob lp, int redindex, int* origindex_p) {
  return original_index(env, lp, redindex, origindex_p, false);
}

KRVAPI int KRVbasicpresolve(KRVenv env, KRVprob lp, double* redlb, double* redub, int* rstat) {
  return api::call(env, lp, api::kNone, [&](Environment& e, Problem& p) {
    if (int code = model::complete(e, p)) return code;
    if (int code = presolvable(p)) return code;
    return presolve::basic_presolve(e, p, redlb, redub, rstat);
  });
}

}  // extern "C"
