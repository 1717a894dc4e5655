// Exported functions: read-only queries of the LP data.
#include "api/model_families.h"

using namespace korva;

namespace {

int values(const char* fname, KRVenv env, KRVprob lp, model::Field field, double* out, int begin,
           int end) {
  return api::call(env, lp, api::kInfoCallbackOk, [&](Environment& e, Problem& p) {
    return model::get_values(e, p, fname, field, out, begin, end);
  });
}

// Column or row slices in either family.
template <class Pos, class Get>
int slice(const char* fname, KRVenv env, KRVprob lp, Get get, Pos* nzcnt_p, Pos* beg, int* ind,
          double* val, Pos space, Pos* surplus_p, int begin, int end) {
  return api::call(env, lp, api::kInfoCallbackOk, [&](Environment& e, Problem& p) {
    api::OutPositions<Pos> out(beg);
    const int64_t n = api::range_length(begin, end);
    const int status = api::with_counts(e, nzcnt_p, surplus_p, [&](int64_t* nz, int64_t* sur) {
      return get(e, p, fname, nz, out.get(n), ind, val, space, sur, begin, end);
    });
    if (status == 0) out.finish(n);
    return status;
  });
}

int text(KRVenv env, KRVprob lp, char* buf, int bufspace, int* surplus_p,
         int (*get)(Environment&, Problem&, char*, int64_t, int64_t*)) {
  return api::call(env, lp, api::kInfoCallbackOk, [&](Environment& e, Problem& p) {
    return api::with_counts<int>(e, nullptr, surplus_p, [&](int64_t*, int64_t* sur) {
      return get(e, p, buf, bufspace, sur);
    });
  });
}

}  // namespace

extern "C" {

int KRVgetobj(KRVenv env, KRVprob lp, double* obj, int begin, int end) {
  return values("KRVgetobj", env, lp, model::Field::Obj, obj, begin, end);
}

int KRVgetrhs(KRVenv env, KRVprob lp, double* rhs, int begin, int end) {
  return values("KRVgetrhs", env, lp, model::Field::Rhs, rhs, begin, end);
}

int KRVgetlb(KRVenv env, KRVprob lp, double* lb, int begin, int end) {
  return values("KRVgetlb", env, lp, model::Field::Lb, lb, begin, end);
}

int KRVgetub(KRVenv env, KRVprob lp, double* ub, int begin, int end) {
  return values("KRVgetub", env, lp, model::Field::Ub, ub, begin, end);
}

int KRVgetrngval(KRVenv env, KRVprob lp, double* rngval, int begin, int end) {
  return values("KRVgetrngval", env, lp, model::Field::Range, rngval, begin, end);
}

int KRVgetsense(KRVenv env, KRVprob lp, char* sense, int begin, int end) {
  return api::call(env, lp, api::kInfoCallbackOk, [&](Environment& e, Problem& p) {
    return model::get_senses(e, p, "KRVgetsense", sense, begin, end);
  });
}

int KRVgetcoef(KRVenv env, KRVprob lp, int i, int j, double* coef_p) {
  return api::call(env, lp, api::kInfoCallbackOk, [&](Environment& e, Problem& p) {
    return model::get_coef(e, p, i, j, coef_p);
  });
}

int KRVgetcols(KRVenv env, KRVprob lp, int* nzcnt_p, int* cmatbeg, int* cmatind,
               double* cmatval, int cmatspace, int* surplus_p, int begin, int end) {
  return slice("KRVgetcols", env, lp, model::get_cols, nzcnt_p, cmatbeg, cmatind, cmatval,
               cmatspace, surplus_p, begin, end);
}
KORVA_S_ALIAS(int, KRVSgetcols, KRVgetcols,
              (KRVenv env, KRVprob lp, int* nzcnt_p, int* cmatbeg, int* cmatind,
               double* cmatval, int cmatspace, int* surplus_p, int begin, int end))

int KRVLgetcols(KRVenv env, KRVprob lp, long long* nzcnt_p, long long* cmatbeg, int* cmatind,
                double* cmatval, long long cmatspace, long long* surplus_p, int begin,
                int end) {
  return slice("KRVLgetcols", env, lp, model::get_cols, nzcnt_p, cmatbeg, cmatind, cmatval,
               cmatspace, surplus_p, begin, end);
}

int KRVgetrows(KRVenv env, KRVprob lp, int* nzcnt_p, int* rmatbeg, int* rmatind,
               double* rmatval, int rmatspace, int* surplus_p, int begin, int end) {
  return slice("KRVgetrows", env, lp, model::get_rows, nzcnt_p, rmatbeg, rmatind, rmatval,
               rmatspace, surplus_p, begin, end);
}
KORVA_S_ALIAS(int, KRVSgetrows, KRVgetrows,
              (KRVenv env, KRVprob lp, int* nzcnt_p, int* rmatbeg, int* rmatind,
               double* rmatval, int rmatspace, int* surplus_p, int begin, int end))

int KRVLgetrows(KRVenv env, KRVprob lp, long long* nzcnt_p, long long* rmatbeg, int* rmatind,
                double* rmatval, long long rmatspace, long long* surplus_p, int begin,
                int end) {
  return slice("KRVLgetrows", env, lp, model::get_rows, nzcnt_p, rmatbeg, rmatind, rmatval,
               rmatspace, surplus_p, begin, end);
}

int KRVgetprobname(KRVenv env, KRVprob lp, char* buf_str, int bufspace, int* surplus_p) {
  return text(env, lp, buf_str, bufspace, surplus_p, model::get_problem_name);
}

int KRVgetobjname(KRVenv env, KRVprob lp, char* buf_str, int bufspace, int* surplus_p) {
  return text(env, lp, buf_str, bufspace, surplus_p, model::get_objective_name);
}

}  // extern "C"
