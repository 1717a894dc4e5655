// Exported functions: quadratic objective and quadratic constraints, kept
// as model data.
#include "api/model_families.h"

using namespace korva;

namespace {

template <class Pos>
int copy_quad_family(KRVenv env, KRVprob lp, const Pos* qmatbeg, const int* qmatcnt,
                     const int* qmatind, const double* qmatval) {
  return api::call(env, lp, api::kNone, [&](Environment& e, Problem& p) {
    if (int s = model::complete(e, p)) return s;
    api::WideBegin beg;
    return model::copy_quad(e, p, api::positions(beg, qmatbeg, p.num_cols()), qmatcnt, qmatind,
                            qmatval);
  });
}

template <class Pos>
int get_quad_family(const char* fname, KRVenv env, KRVprob lp, Pos* nzcnt_p, Pos* qmatbeg,
                    int* qmatind, double* qmatval, Pos qmatspace, Pos* surplus_p, int begin,
                    int end) {
  return api::call(env, lp, api::kInfoCallbackOk, [&](Environment& e, Problem& p) {
    api::OutPositions<Pos> out(qmatbeg);
    const int64_t n = api::range_length(begin, end);
    const int status = api::with_counts(e, nzcnt_p, surplus_p, [&](int64_t* nz, int64_t* sur) {
      return model::get_quad(e, p, fname, nz, out.get(n), qmatind, qmatval, qmatspace, sur,
                             begin, end);
    });
    if (status == 0) out.finish(n);
    return status;
  });
}

template <class Pos>
int add_qconstr_family(KRVenv env, KRVprob lp, int linnzcnt, Pos quadnzcnt, double rhs,
                       int sense, const int* linind, const double* linval, const int* quadrow,
                       const int* quadcol, const double* quadval, const char* lname_str) {
  return api::call(env, lp, api::kNone, [&](Environment& e, Problem& p) {
    api::Utf8Name name;
    if (int s = name.convert(e, lname_str)) return s;
    return model::add_qconstr(e, p, linnzcnt, quadnzcnt, rhs, static_cast<char>(sense), linind,
                              linval, quadrow, quadcol, quadval, name.get());
  });
}

template <class Pos>
int get_qconstr_family(KRVenv env, KRVprob lp, int* linnzcnt_p, Pos* quadnzcnt_p, double* rhs_p,
                       char* sense_p, int* linind, double* linval, int linspace,
                       int* linsurplus_p, int* quadrow, int* quadcol, double* quadval,
                       Pos quadspace, Pos* quadsurplus_p, int which) {
  return api::call(env, lp, api::kInfoCallbackOk, [&](Environment& e, Problem& p) {
    return api::with_counts(e, quadnzcnt_p, quadsurplus_p, [&](int64_t* nz, int64_t* sur) {
      return model::get_qconstr(e, p, linnzcnt_p, nz, rhs_p, sense_p, linind, linval, linspace,
                                linsurplus_p, quadrow, quadcol, quadval, quadspace, sur, which);
    });
  });
}

template <class Count>
Count count_of(KRVenv env, KRVprob lp, Count (*count)(const Problem&)) {
  Count n = 0;
  api::call(env, lp, api::kInfoCallbackOk, [&](Environment& e, Problem& p) {
    if (int s = model::complete(e, p)) return s;
    n = count(p);
    return 0;
  });
  return n;
}

}  // namespace

extern "C" {

int KRVcopyquad(KRVenv env, KRVprob lp, const int* qmatbeg, const int* qmatcnt,
                const int* qmatind, const double* qmatval) {
  return copy_quad_family(env, lp, qmatbeg, qmatcnt, qmatind, qmatval);
}
KORVA_S_ALIAS(int, KRVScopyquad, KRVcopyquad,
              (KRVenv env, KRVprob lp, const int* qmatbeg, const int* qmatcnt,
               const int* qmatind, const double* qmatval))

int KRVLcopyquad(KRVenv env, KRVprob lp, const long long* qmatbeg, const int* qmatcnt,
                 const int* qmatind, const double* qmatval) {
  return copy_quad_family(env, lp, qmatbeg, qmatcnt, qmatind, qmatval);
}

int KRVcopyqpsep(KRVenv env, KRVprob lp, const double* qsepvec) {
  return api::call(env, lp, api::kNone,
                   [&](Environment& e, Problem& p) { return model::copy_qpsep(e, p, qsepvec); });
}

int KRVgetquad(KRVenv env, KRVprob lp, int* nzcnt_p, int* qmatbeg, int* qmatind,
               double* qmatval, int qmatspace, int* surplus_p, int begin, int end) {
  return get_quad_family("KRVgetquad", env, lp, nzcnt_p, qmatbeg, qmatind, qmatval, qmatspace,
                         surplus_p, begin, end);
}
KORVA_S_ALIAS(int, KRVSgetquad, KRVgetquad,
              (KRVenv env, KRVprob lp, int* nzcnt_p, int* qmatbeg, int* qmatind,
               double* qmatval, int qmatspace, int* surplus_p, int begin, int end))

int KRVLgetquad(KRVenv env, KRVprob lp, long long* nzcnt_p, long long* qmatbeg, int* qmatind,
                double* qmatval, long long qmatspace, long long* surplus_p, int begin,
                int end) {
  return get_quad_family("KRVLgetquad", env, lp, nzcnt_p, qmatbeg, qmatind, qmatval, qmatspace,
                         surplus_p, begin, end);
}

int KRVchgqpcoef(KRVenv env, KRVprob lp, int i, int j, double newvalue) {
  return api::call(env, lp, api::kNone, [&](Environment& e, Problem& p) {
    return model::chg_qpcoef(e, p, i, j, newvalue);
  });
}

int KRVgetnumquad(KRVenv env, KRVprob lp) { return count_of(env, lp, model::num_quad_cols); }

long long KRVLgetnumqpnz(KRVenv env, KRVprob lp) {
  return count_of<int64_t>(env, lp, model::num_quad_nonzeros);
}

int KRVgetnumqpnz(KRVenv env, KRVprob lp) {
  const long long n = KRVLgetnumqpnz(env, lp);
  return is_valid_env(env) ? clamp_to_int(env, n) : 0;
}
KORVA_S_ALIAS(int, KRVSgetnumqpnz, KRVgetnumqpnz, (KRVenv env, KRVprob lp))

int KRVaddqconstr(KRVenv env, KRVprob lp, int linnzcnt, int quadnzcnt, double rhs, int sense,
                  const int* linind, const double* linval, const int* quadrow,
                  const int* quadcol, const double* quadval, const char* lname_str) {
  return add_qconstr_family(env, lp, linnzcnt, quadnzcnt, rhs, sense, linind, linval, quadrow,
                            quadcol, quadval, lname_str);
}
KORVA_S_ALIAS(int, KRVSaddqconstr, KRVaddqconstr,
              (KRVenv env, KRVprob lp, int linnzcnt, int quadnzcnt, double rhs, int sense,
               const int* linind, const double* linval, const int* quadrow,
               const int* quadcol, const double* quadval, const char* lname_str))

int KRVLaddqconstr(KRVenv env, KRVprob lp, int linnzcnt, long long quadnzcnt, double rhs,
                   int sense, const int* linind, const double* linval, const int* quadrow,
                   const int* quadcol, const double* quadval, const char* lname_str) {
  return add_qconstr_family(env, lp, linnzcnt, quadnzcnt, rhs, sense, linind, linval, quadrow,
                            quadcol, quadval, lname_str);
}

int KRVgetqconstr(KRVenv env, KRVprob lp, int* linnzcnt_p, int* quadnzcnt_p, double* rhs_p,
                  char* sense_p, int* linind, double* linval, int linspace, int* linsurplus_p,
                  int* quadrow, int* quadcol, double* quadval, int quadspace,
                  int* quadsurplus_p, int which) {
  return get_qconstr_family(env, lp, linnzcnt_p, quadnzcnt_p, rhs_p, sense_p, linind, linval,
                            linspace, linsurplus_p, quadrow, quadcol, quadval, quadspace,
                            quadsurplus_p, which);
}
KORVA_S_ALIAS(int, KRVSgetqconstr, KRVgetqconstr,
              (KRVenv env, KRVprob lp, int* linnzcnt_p, int* quadnzcnt_p, double* rhs_p,
               char* sense_p, int* linind, double* linval, int linspace, int* linsurplus_p,
               int* quadrow, int* quadcol, double* quadval, int quadspace,
               int* quadsurplus_p, int which))

int KRVLgetqconstr(KRVenv env, KRVprob lp, int* linnzcnt_p, long long* quadnzcnt_p,
                   double* rhs_p, char* sense_p, int* linind, double* linval, int linspace,
                   int* linsurplus_p, int* quadrow, int* quadcol, double* quadval,
                   long long quadspace, long long* quadsurplus_p, int which) {
  return get_qconstr_family(env, lp, linnzcnt_p, quadnzcnt_p, rhs_p, sense_p, linind, linval,
                            linspace, linsurplus_p, quadrow, quadcol, quadval, quadspace,
                            quadsurplus_p, which);
}

int KRVgetnumqconstrs(KRVenv env, KRVprob lp) {
  return count_of(env, lp, model::num_qconstraints);
}

int KRVdelqconstrs(KRVenv env, KRVprob lp, int begin, int end) {
  return api::call(env, lp, api::kNone, [&](Environment& e, Problem& p) {
    return model::del_qconstrs(e, p, "KRVdelqconstrs", begin, end);
  });
}

}  // extern "C"
