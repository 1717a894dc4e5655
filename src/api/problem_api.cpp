// Exported functions: problem objects, whole-model copies, problem types and
// counts.
#include "api/model_families.h"

using namespace korva;

namespace {

template <class Pos>
int copy_lp_family(KRVenv env, KRVprob lp, int numcols, int numrows, int objsense,
                   const double* obj, const double* rhs, const char* sense, const Pos* matbeg,
                   const int* matcnt, const int* matind, const double* matval, const double* lb,
                   const double* ub, const double* rngval, char** colname, char** rowname) {
  return api::call(env, lp, api::kNone, [&](Environment& e, Problem& p) {
    if (numcols < 0 || numrows < 0) return err::kBadArgument;
    if (!obj || !rhs || !sense || !matbeg || !matcnt || !matind || !matval || !lb || !ub)
      return err::kNullPointer;
    api::WideBegin beg;
    api::Utf8Names cols, rows;
    if (int s = cols.convert(e, colname, numcols)) return s;
    if (int s = rows.convert(e, rowname, numrows)) return s;
    return model::copy_lp(e, p, numcols, numrows, objsense, obj, rhs, sense,
                          api::positions(beg, matbeg, numcols), matcnt, matind, matval, lb, ub,
                          rngval, cols.get(), rows.get());
  });
}

// A count of the current model (after buffered additions), 0 on error.
template <class Count>
int count_of(KRVenv env, KRVprob lp, Count count) {
  int n = 0;
  api::call(env, lp, api::kInfoCallbackOk, [&](Environment& e, Problem& p) {
    if (int s = model::complete(e, p)) return s;
    n = count(p);
    return 0;
  });
  return n;
}

}  // namespace

extern "C" {

KRVprob KRVcreateprob(KRVenv env, int* status_p, const char* probname_str) {
  KRVprob lp = nullptr;
  const int status = api::call(env, api::kNone, [&](Environment& e) {
    if (!probname_str) return err::kNullPointer;
    api::Utf8Name name;
    if (int s = name.convert(e, probname_str)) return s;
    int code = 0;
    lp = model::create_problem(e, name.get(), &code);
    return code;
  });
  if (status_p) *status_p = status;
  return lp;
}

int KRVfreeprob(KRVenv env, KRVprob* lp_p) {
  return api::call(env, lp_p ? *lp_p : nullptr, api::kNullProblemOk,
                   [&](Environment&, Problem* p) {
                     if (!lp_p) return err::kNullPointer;
                     if (!p) return err::kNoProblem;
                     model::free_problem(p);
                     *lp_p = nullptr;
                     return 0;
                   });
}

KRVprob KRVcloneprob(KRVenv env, KRVprob lp, int* status_p) {
  KRVprob copy = nullptr;
  const int status = api::call(env, lp, api::kNone, [&](Environment& e, Problem& p) {
    int code = 0;
    copy = model::clone_problem(e, p, &code);
    return code;
  });
  if (status_p) *status_p = status;
  return copy;
}

int KRVcopylp(KRVenv env, KRVprob lp, int numcols, int numrows, int objsense,
              const double* objective, const double* rhs, const char* sense, const int* matbeg,
              const int* matcnt, const int* matind, const double* matval, const double* lb,
              const double* ub, const double* rngval) {
  return copy_lp_family(env, lp, numcols, numrows, objsense, objective, rhs, sense, matbeg,
                        matcnt, matind, matval, lb, ub, rngval, nullptr, nullptr);
}
KORVA_S_ALIAS(int, KRVScopylp, KRVcopylp,
              (KRVenv env, KRVprob lp, int numcols, int numrows, int objsense,
               const double* objective, const double* rhs, const char* sense,
               const int* matbeg, const int* matcnt, const int* matind, const double* matval,
               const double* lb, const double* ub, const double* rngval))

int KRVLcopylp(KRVenv env, KRVprob lp, int numcols, int numrows, int objsense,
               const double* objective, const double* rhs, const char* sense,
               const long long* matbeg, const int* matcnt, const int* matind,
               const double* matval, const double* lb, const double* ub, const double* rngval) {
  return copy_lp_family(env, lp, numcols, numrows, objsense, objective, rhs, sense, matbeg,
                        matcnt, matind, matval, lb, ub, rngval, nullptr, nullptr);
}

int KRVcopylpwnames(KRVenv env, KRVprob lp, int numcols, int numrows, int objsense,
                    const double* objective, const double* rhs, const char* sense,
                    const int* matbeg, const int* matcnt, const int* matind,
                    const double* matval, const double* lb, const double* ub,
                    const double* rngval, char** colname, char** rowname) {
  return copy_lp_family(env, lp, numcols, numrows, objsense, objective, rhs, sense, matbeg,
                        matcnt, matind, matval, lb, ub, rngval, colname, rowname);
}
KORVA_S_ALIAS(int, KRVScopylpwnames, KRVcopylpwnames,
              (KRVenv env, KRVprob lp, int numcols, int numrows, int objsense,
               const double* objective, const double* rhs, const char* sense,
               const int* matbeg, const int* matcnt, const int* matind, const double* matval,
               const double* lb, const double* ub, const double* rngval, char** colname,
               char** rowname))

int KRVLcopylpwnames(KRVenv env, KRVprob lp, int numcols, int numrows, int objsense,
                     const double* objective, const double* rhs, const char* sense,
                     const long long* matbeg, const int* matcnt, const int* matind,
                     const double* matval, const double* lb, const double* ub,
                     const double* rngval, char** colname, char** rowname) {
  return copy_lp_family(env, lp, numcols, numrows, objsense, objective, rhs, sense, matbeg,
                        matcnt, matind, matval, lb, ub, rngval, colname, rowname);
}

int KRVcopyobjname(KRVenv env, KRVprob lp, const char* objname_str) {
  return api::call(env, lp, api::kNone, [&](Environment& e, Problem& p) {
    if (!objname_str) return err::kNullPointer;
    api::Utf8Name name;
    if (int s = name.convert(e, objname_str)) return s;
    return model::set_objective_name(e, p, name.get());
  });
}

int KRVchgprobtype(KRVenv env, KRVprob lp, int type) {
  return api::call(env, lp, api::kNone,
                   [&](Environment& e, Problem& p) { return model::change_type(e, p, type); });
}

int KRVgetprobtype(KRVenv env, KRVprob lp) {
  int type = -1;
  api::call(env, lp, api::kInfoCallbackOk, [&](Environment& e, Problem& p) {
    if (int s = model::complete(e, p)) return s;
    type = p.type;
    return 0;
  });
  return type;
}

int KRVgetnumcols(KRVenv env, KRVprob lp) {
  return count_of(env, lp, [](const Problem& p) { return p.num_cols(); });
}

int KRVgetnumrows(KRVenv env, KRVprob lp) {
  return count_of(env, lp, [](const Problem& p) { return p.num_rows(); });
}

long long KRVLgetnumnz(KRVenv env, KRVprob lp) {
  long long n = 0;
  api::call(env, lp, api::kInfoCallbackOk, [&](Environment& e, Problem& p) {
    if (int s = model::complete(e, p)) return s;
    n = p.num_nonzeros();
    return 0;
  });
  return n;
}

int KRVgetnumnz(KRVenv env, KRVprob lp) {
  const long long n = KRVLgetnumnz(env, lp);
  return is_valid_env(env) ? clamp_to_int(env, n) : 0;
}
KORVA_S_ALIAS(int, KRVSgetnumnz, KRVgetnumnz, (KRVenv env, KRVprob lp))

int KRVgetobjsen(KRVenv env, KRVprob lp) {
  return count_of(env, lp, [](const Problem& p) { return p.objsense(); });
}

}  // extern "C"
