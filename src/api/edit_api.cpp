// Exported functions: adding, deleting and changing rows, columns and
// coefficients, the modification buffer's completion and the basis.
#include "api/model_families.h"

using namespace korva;

namespace {

template <class Pos>
int add_rows_family(KRVenv env, KRVprob lp, int ccnt, int rcnt, Pos nzcnt, const double* rhs,
                    const char* sense, const Pos* rmatbeg, const int* rmatind,
                    const double* rmatval, char** colname, char** rowname) {
  return api::call(env, lp, api::kNone, [&](Environment& e, Problem& p) {
    if (ccnt < 0 || rcnt < 0 || nzcnt < 0) return err::kBadArgument;
    api::WideBegin beg;
    api::Utf8Names cols, rows;
    if (int s = cols.convert(e, colname, ccnt)) return s;
    if (int s = rows.convert(e, rowname, rcnt)) return s;
    return model::add_rows(e, p, ccnt, rcnt, nzcnt, rhs, sense, api::positions(beg, rmatbeg, rcnt),
                           rmatind, rmatval, cols.get(), rows.get());
  });
}

template <class Pos>
int add_cols_family(KRVenv env, KRVprob lp, int ccnt, Pos nzcnt, const double* obj,
                    const Pos* cmatbeg, const int* cmatind, const double* cmatval,
                    const double* lb, const double* ub, char** colname) {
  return api::call(env, lp, api::kNone, [&](Environment& e, Problem& p) {
    if (ccnt < 0 || nzcnt < 0) return err::kBadArgument;
    api::WideBegin beg;
    api::Utf8Names cols;
    if (int s = cols.convert(e, colname, ccnt)) return s;
    return model::add_cols(e, p, ccnt, nzcnt, obj, api::positions(beg, cmatbeg, ccnt), cmatind,
                           cmatval, lb, ub, cols.get());
  });
}

// Editors that take (env, lp, args...) and need no conversion.
template <class Op, class... Args>
int edit(KRVenv env, KRVprob lp, Op op, Args... args) {
  return api::call(env, lp, api::kNone,
                   [&](Environment& e, Problem& p) { return op(e, p, args...); });
}

}  // namespace

extern "C" {

int KRVnewrows(KRVenv env, KRVprob lp, int rcnt, const double* rhs, const char* sense,
               const double* rngval, char** rowname) {
  return api::call(env, lp, api::kNone, [&](Environment& e, Problem& p) {
    if (rcnt < 0) return err::kBadArgument;
    api::Utf8Names rows;
    if (int s = rows.convert(e, rowname, rcnt)) return s;
    return model::new_rows(e, p, rcnt, rhs, sense, rngval, rows.get());
  });
}

int KRVaddrows(KRVenv env, KRVprob lp, int ccnt, int rcnt, int nzcnt, const double* rhs,
               const char* sense, const int* rmatbeg, const int* rmatind, const double* rmatval,
               char** colname, char** rowname) {
  return add_rows_family(env, lp, ccnt, rcnt, nzcnt, rhs, sense, rmatbeg, rmatind, rmatval,
                         colname, rowname);
}
KORVA_S_ALIAS(int, KRVSaddrows, KRVaddrows,
              (KRVenv env, KRVprob lp, int ccnt, int rcnt, int nzcnt, const double* rhs,
               const char* sense, const int* rmatbeg, const int* rmatind,
               const double* rmatval, char** colname, char** rowname))

int KRVLaddrows(KRVenv env, KRVprob lp, int ccnt, int rcnt, long long nzcnt, const double* rhs,
                const char* sense, const long long* rmatbeg, const int* rmatind,
                const double* rmatval, char** colname, char** rowname) {
  return add_rows_family(env, lp, ccnt, rcnt, nzcnt, rhs, sense, rmatbeg, rmatind, rmatval,
                         colname, rowname);
}

int KRVnewcols(KRVenv env, KRVprob lp, int ccnt, const double* obj, const double* lb,
               const double* ub, const char* xctype, char** colname) {
  return api::call(env, lp, api::kNone, [&](Environment& e, Problem& p) {
    if (ccnt < 0) return err::kBadArgument;
    api::Utf8Names cols;
    if (int s = cols.convert(e, colname, ccnt)) return s;
    return model::new_cols(e, p, ccnt, obj, lb, ub, xctype, cols.get());
  });
}

int KRVaddcols(KRVenv env, KRVprob lp, int ccnt, int nzcnt, const double* obj,
               const int* cmatbeg, const int* cmatind, const double* cmatval, const double* lb,
               const double* ub, char** colname) {
  return add_cols_family(env, lp, ccnt, nzcnt, obj, cmatbeg, cmatind, cmatval, lb, ub, colname);
}
KORVA_S_ALIAS(int, KRVSaddcols, KRVaddcols,
              (KRVenv env, KRVprob lp, int ccnt, int nzcnt, const double* obj,
               const int* cmatbeg, const int* cmatind, const double* cmatval, const double* lb,
               const double* ub, char** colname))

int KRVLaddcols(KRVenv env, KRVprob lp, int ccnt, long long nzcnt, const double* obj,
                const long long* cmatbeg, const int* cmatind, const double* cmatval,
                const double* lb, const double* ub, char** colname) {
  return add_cols_family(env, lp, ccnt, nzcnt, obj, cmatbeg, cmatind, cmatval, lb, ub, colname);
}

int KRVdelrows(KRVenv env, KRVprob lp, int begin, int end) {
  return edit(env, lp, model::del_rows, "KRVdelrows", begin, end);
}

int KRVdelcols(KRVenv env, KRVprob lp, int begin, int end) {
  return edit(env, lp, model::del_cols, "KRVdelcols", begin, end);
}

int KRVdelsetrows(KRVenv env, KRVprob lp, int* delstat) {
  return edit(env, lp, model::del_set_rows, delstat);
}

int KRVdelsetcols(KRVenv env, KRVprob lp, int* delstat) {
  return edit(env, lp, model::del_set_cols, delstat);
}

int KRVchgcoef(KRVenv env, KRVprob lp, int i, int j, double newvalue) {
  return edit(env, lp, model::chg_coef, i, j, newvalue);
}

int KRVLchgcoeflist(KRVenv env, KRVprob lp, long long numcoefs, const int* rowlist,
                    const int* collist, const double* vallist) {
  return edit(env, lp, model::chg_coef_list, static_cast<int64_t>(numcoefs), rowlist, collist,
              vallist);
}

int KRVchgcoeflist(KRVenv env, KRVprob lp, int numcoefs, const int* rowlist, const int* collist,
                   const double* vallist) {
  return edit(env, lp, model::chg_coef_list, static_cast<int64_t>(numcoefs), rowlist, collist,
              vallist);
}
KORVA_S_ALIAS(int, KRVSchgcoeflist, KRVchgcoeflist,
              (KRVenv env, KRVprob lp, int numcoefs, const int* rowlist, const int* collist,
               const double* vallist))

int KRVchgbds(KRVenv env, KRVprob lp, int cnt, const int* indices, const char* lu,
              const double* bd) {
  return edit(env, lp, model::chg_bounds, cnt, indices, lu, bd);
}

// Tightening changes the model exactly as KRVchgbds does; the name tells
// the reader of the calling code that bounds only shrink.
int KRVtightenbds(KRVenv env, KRVprob lp, int cnt, const int* indices, const char* lu,
                  const double* bd) {
  return edit(env, lp, model::chg_bounds, cnt, indices, lu, bd);
}

int KRVchgobj(KRVenv env, KRVprob lp, int cnt, const int* indices, const double* values) {
  return edit(env, lp, model::chg_obj, cnt, indices, values);
}

int KRVchgrhs(KRVenv env, KRVprob lp, int cnt, const int* indices, const double* values) {
  return edit(env, lp, model::chg_rhs, cnt, indices, values);
}

int KRVchgsense(KRVenv env, KRVprob lp, int cnt, const int* indices, const char* sense) {
  return edit(env, lp, model::chg_sense, cnt, indices, sense);
}

int KRVchgrngval(KRVenv env, KRVprob lp, int cnt, const int* indices, const double* values) {
  return edit(env, lp, model::chg_range, cnt, indices, values);
}

int KRVchgobjsen(KRVenv env, KRVprob lp, int maxormin) {
  return edit(env, lp, model::chg_objsense, maxormin);
}

int KRVcompletelp(KRVenv env, KRVprob lp) { return edit(env, lp, model::complete); }

int KRVcopybase(KRVenv env, KRVprob lp, const int* cstat, const int* rstat) {
  return edit(env, lp, model::copy_basis, cstat, rstat);
}

int KRVgetbase(KRVenv env, KRVprob lp, int* cstat, int* rstat) {
  return api::call(env, lp, api::kInfoCallbackOk, [&](Environment& e, Problem& p) {
    return model::get_basis(e, p, cstat, rstat);
  });
}

}  // extern "C"
