// Exported functions: the modification buffer of the modelling extensions.
#include "api/model_families.h"

using namespace korva;

extern "C" {

int KRVEgetCache(KRVenv env, KRVprob lp, int* pendingcols_p, int* pendingrows_p,
                 long long* pendingnzs_p) {
  return api::call(env, lp, api::kInfoCallbackOk, [&](Environment&, Problem& p) {
    int64_t nzs = 0;
    model::cache_counts(p, pendingcols_p, pendingrows_p, &nzs);
    if (pendingnzs_p) *pendingnzs_p = nzs;
    return 0;
  });
}

int KRVEcacheNewCols(KRVenv env, KRVprob lp, int ccnt, const double* obj, const double* lb,
                     const double* ub, const char* xctype, char** colname) {
  return api::call(env, lp, api::kNone, [&](Environment& e, Problem& p) {
    if (ccnt < 0) return err::kBadArgument;
    api::Utf8Names names;
    if (int s = names.convert(e, colname, ccnt)) return s;
    return model::cache_new_cols(e, p, ccnt, obj, lb, ub, xctype, names.get());
  });
}

int KRVEcacheNewRows(KRVenv env, KRVprob lp, int rcnt, const double* rhs, const char* sense,
                     const double* rngval, char** rowname) {
  return api::call(env, lp, api::kNone, [&](Environment& e, Problem& p) {
    if (rcnt < 0) return err::kBadArgument;
    api::Utf8Names names;
    if (int s = names.convert(e, rowname, rcnt)) return s;
    return model::cache_new_rows(e, p, rcnt, rhs, sense, rngval, names.get());
  });
}

int KRVEcacheNewNZsByNZ(KRVenv env, KRVprob lp, long long nzcnt, const int* rowind,
                        const int* colind, const double* val) {
  return api::call(env, lp, api::kNone, [&](Environment& e, Problem& p) {
    return model::cache_new_nonzeros(e, p, nzcnt, rowind, colind, val);
  });
}

}  // extern "C"
