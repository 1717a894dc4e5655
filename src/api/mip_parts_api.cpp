// Exported functions: the mixed-integer parts a model carries (column
// types, special ordered sets, indicator constraints, cut and lazy
// constraint pools, priority orders).
#include "api/model_families.h"

using namespace korva;

namespace {

template <class Pos>
int add_sos_family(KRVenv env, KRVprob lp, int numsos, Pos numsosnz, const char* sostype,
                   const Pos* sosbeg, const int* sosind, const double* soswt, char** sosname) {
  return api::call(env, lp, api::kNone, [&](Environment& e, Problem& p) {
    if (numsos < 0 || numsosnz < 0) return err::kBadArgument;
    api::WideBegin beg;
    api::Utf8Names names;
    if (int s = names.convert(e, sosname, numsos)) return s;
    return model::add_sos(e, p, numsos, numsosnz, sostype, api::positions(beg, sosbeg, numsos),
                          sosind, soswt, names.get());
  });
}

template <class Pos>
int get_sos_family(const char* fname, KRVenv env, KRVprob lp, Pos* numsosnz_p, char* sostype,
                   Pos* sosbeg, int* sosind, double* soswt, Pos sosspace, Pos* surplus_p,
                   int begin, int end) {
  return api::call(env, lp, api::kInfoCallbackOk, [&](Environment& e, Problem& p) {
    api::OutPositions<Pos> out(sosbeg);
    const int64_t n = api::range_length(begin, end);
    const int status = api::with_counts(e, numsosnz_p, surplus_p, [&](int64_t* nz, int64_t* sur) {
      return model::get_sos(e, p, fname, nz, sostype, out.get(n), sosind, soswt, sosspace, sur,
                            begin, end);
    });
    if (status == 0) out.finish(n);
    return status;
  });
}

// kind 0: user cuts, 1: lazy constraints.
template <class Pos>
int add_pool_family(int kind, KRVenv env, KRVprob lp, int rcnt, Pos nzcnt, const double* rhs,
                    const char* sense, const Pos* rmatbeg, const int* rmatind,
                    const double* rmatval, char** rowname) {
  return api::call(env, lp, api::kNone, [&](Environment& e, Problem& p) {
    if (rcnt < 0 || nzcnt < 0) return err::kBadArgument;
    api::WideBegin beg;
    api::Utf8Names names;
    if (int s = names.convert(e, rowname, rcnt)) return s;
    return model::add_row_pool(e, p, kind, rcnt, nzcnt, rhs, sense,
                               api::positions(beg, rmatbeg, rcnt), rmatind, rmatval,
                               names.get());
  });
}

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

int pool_rows(const Problem& p, int kind) {
  const RowPool* pool = model::row_pool(p, kind);
  return pool ? pool->num_rows() : 0;
}

}  // namespace

extern "C" {

int KRVcopyctype(KRVenv env, KRVprob lp, const char* xctype) {
  return api::call(env, lp, api::kNone, [&](Environment& e, Problem& p) {
    if (!xctype) return err::kNullPointer;
    return model::copy_ctype(e, p, xctype);
  });
}

int KRVchgctype(KRVenv env, KRVprob lp, int cnt, const int* indices, const char* xctype) {
  return api::call(env, lp, api::kNone, [&](Environment& e, Problem& p) {
    return model::chg_ctype(e, p, cnt, indices, xctype);
  });
}

int KRVgetctype(KRVenv env, KRVprob lp, char* xctype, int begin, int end) {
  return api::call(env, lp, api::kInfoCallbackOk, [&](Environment& e, Problem& p) {
    return model::get_ctype(e, p, "KRVgetctype", xctype, begin, end);
  });
}

int KRVaddsos(KRVenv env, KRVprob lp, int numsos, int numsosnz, const char* sostype,
              const int* sosbeg, const int* sosind, const double* soswt, char** sosname) {
  return add_sos_family(env, lp, numsos, numsosnz, sostype, sosbeg, sosind, soswt, sosname);
}
KORVA_S_ALIAS(int, KRVSaddsos, KRVaddsos,
              (KRVenv env, KRVprob lp, int numsos, int numsosnz, const char* sostype,
               const int* sosbeg, const int* sosind, const double* soswt, char** sosname))

int KRVLaddsos(KRVenv env, KRVprob lp, int numsos, long long numsosnz, const char* sostype,
               const long long* sosbeg, const int* sosind, const double* soswt,
               char** sosname) {
  return add_sos_family(env, lp, numsos, numsosnz, sostype, sosbeg, sosind, soswt, sosname);
}

int KRVgetsos(KRVenv env, KRVprob lp, int* numsosnz_p, char* sostype, int* sosbeg, int* sosind,
              double* soswt, int sosspace, int* surplus_p, int begin, int end) {
  return get_sos_family("KRVgetsos", env, lp, numsosnz_p, sostype, sosbeg, sosind, soswt,
                        sosspace, surplus_p, begin, end);
}
KORVA_S_ALIAS(int, KRVSgetsos, KRVgetsos,
              (KRVenv env, KRVprob lp, int* numsosnz_p, char* sostype, int* sosbeg,
               int* sosind, double* soswt, int sosspace, int* surplus_p, int begin, int end))

int KRVLgetsos(KRVenv env, KRVprob lp, long long* numsosnz_p, char* sostype, long long* sosbeg,
               int* sosind, double* soswt, long long sosspace, long long* surplus_p, int begin,
               int end) {
  return get_sos_family("KRVLgetsos", env, lp, numsosnz_p, sostype, sosbeg, sosind, soswt,
                        sosspace, surplus_p, begin, end);
}

int KRVdelsos(KRVenv env, KRVprob lp, int begin, int end) {
  return api::call(env, lp, api::kNone, [&](Environment& e, Problem& p) {
    return model::del_sos(e, p, "KRVdelsos", begin, end);
  });
}

int KRVgetnumsos(KRVenv env, KRVprob lp) { return count_of(env, lp, model::num_sos); }

int KRVaddindconstr(KRVenv env, KRVprob lp, int indvar, int complemented, int nzcnt, double rhs,
                    int sense, const int* linind, const double* linval,
                    const char* indname_str) {
  return api::call(env, lp, api::kNone, [&](Environment& e, Problem& p) {
    api::Utf8Name name;
    if (int s = name.convert(e, indname_str)) return s;
    return model::add_indicator(e, p, indvar, complemented, nzcnt, rhs, static_cast<char>(sense),
                                linind, linval, name.get());
  });
}

int KRVgetindconstr(KRVenv env, KRVprob lp, int* indvar_p, int* complemented_p, int* nzcnt_p,
                    double* rhs_p, char* sense_p, int* linind, double* linval, int space,
                    int* surplus_p, int which) {
  return api::call(env, lp, api::kInfoCallbackOk, [&](Environment& e, Problem& p) {
    return model::get_indicator(e, p, indvar_p, complemented_p, nzcnt_p, rhs_p, sense_p, linind,
                                linval, space, surplus_p, which);
  });
}

int KRVgetnumindconstrs(KRVenv env, KRVprob lp) {
  return count_of(env, lp, model::num_indicators);
}

int KRVaddusercuts(KRVenv env, KRVprob lp, int rcnt, int nzcnt, const double* rhs,
                   const char* sense, const int* rmatbeg, const int* rmatind,
                   const double* rmatval, char** rowname) {
  return add_pool_family(0, env, lp, rcnt, nzcnt, rhs, sense, rmatbeg, rmatind, rmatval,
                         rowname);
}
KORVA_S_ALIAS(int, KRVSaddusercuts, KRVaddusercuts,
              (KRVenv env, KRVprob lp, int rcnt, int nzcnt, const double* rhs,
               const char* sense, const int* rmatbeg, const int* rmatind,
               const double* rmatval, char** rowname))

int KRVLaddusercuts(KRVenv env, KRVprob lp, int rcnt, long long nzcnt, const double* rhs,
                    const char* sense, const long long* rmatbeg, const int* rmatind,
                    const double* rmatval, char** rowname) {
  return add_pool_family(0, env, lp, rcnt, nzcnt, rhs, sense, rmatbeg, rmatind, rmatval,
                         rowname);
}

int KRVaddlazyconstraints(KRVenv env, KRVprob lp, int rcnt, int nzcnt, const double* rhs,
                          const char* sense, const int* rmatbeg, const int* rmatind,
                          const double* rmatval, char** rowname) {
  return add_pool_family(1, env, lp, rcnt, nzcnt, rhs, sense, rmatbeg, rmatind, rmatval,
                         rowname);
}
KORVA_S_ALIAS(int, KRVSaddlazyconstraints, KRVaddlazyconstraints,
              (KRVenv env, KRVprob lp, int rcnt, int nzcnt, const double* rhs,
               const char* sense, const int* rmatbeg, const int* rmatind,
               const double* rmatval, char** rowname))

int KRVLaddlazyconstraints(KRVenv env, KRVprob lp, int rcnt, long long nzcnt, const double* rhs,
                           const char* sense, const long long* rmatbeg, const int* rmatind,
                           const double* rmatval, char** rowname) {
  return add_pool_family(1, env, lp, rcnt, nzcnt, rhs, sense, rmatbeg, rmatind, rmatval,
                         rowname);
}

int KRVfreeusercuts(KRVenv env, KRVprob lp) {
  return api::call(env, lp, api::kNone,
                   [&](Environment& e, Problem& p) { return model::free_row_pool(e, p, 0); });
}

int KRVfreelazyconstraints(KRVenv env, KRVprob lp) {
  return api::call(env, lp, api::kNone,
                   [&](Environment& e, Problem& p) { return model::free_row_pool(e, p, 1); });
}

int KRVgetnumusercuts(KRVenv env, KRVprob lp) {
  return count_of(env, lp, [](const Problem& p) { return pool_rows(p, 0); });
}

int KRVgetnumlazyconstraints(KRVenv env, KRVprob lp) {
  return count_of(env, lp, [](const Problem& p) { return pool_rows(p, 1); });
}

int KRVcopyorder(KRVenv env, KRVprob lp, int cnt, const int* indices, const int* priority,
                 const int* direction) {
  return api::call(env, lp, api::kNone, [&](Environment& e, Problem& p) {
    return model::copy_order(e, p, cnt, indices, priority, direction);
  });
}

int KRVgetorder(KRVenv env, KRVprob lp, int* cnt_p, int* indices, int* priority, int* direction,
                int ordspace, int* surplus_p) {
  return api::call(env, lp, api::kInfoCallbackOk, [&](Environment& e, Problem& p) {
    return model::get_order(e, p, cnt_p, indices, priority, direction, ordspace, surplus_p);
  });
}

}  // extern "C"
