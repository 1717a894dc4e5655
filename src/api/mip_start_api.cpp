// Exported functions: MIP starts (adding, changing, reading back, deleting,
// names, the single-start forms and the older pool-named queries).
#include "api/model_families.h"
#include "mip/mip_start_edit.h"

using namespace korva;

namespace {

template <class Pos>
int add_starts_family(KRVenv env, KRVprob lp, int mcnt, Pos nzcnt, const Pos* beg,
                      const int* varindices, const double* values, const int* effortlevel,
                      char** mipstartname) {
  return api::call(env, lp, api::kNone, [&](Environment& e, Problem& p) {
    if (mcnt < 0 || nzcnt < 0) return err::kBadArgument;
    api::WideBegin wide;
    api::Utf8Names names;
    if (int s = names.convert(e, mipstartname, mcnt)) return s;
    return mip::add_mip_starts(e, p, mcnt, nzcnt, api::positions(wide, beg, mcnt), varindices,
                               values, effortlevel, names.get());
  });
}

template <class Pos>
int chg_starts_family(KRVenv env, KRVprob lp, int mcnt, const int* mipstartindices, Pos nzcnt,
                      const Pos* beg, const int* varindices, const double* values,
                      const int* effortlevel) {
  return api::call(env, lp, api::kNone, [&](Environment& e, Problem& p) {
    if (mcnt < 0 || nzcnt < 0) return err::kBadArgument;
    api::WideBegin wide;
    return mip::chg_mip_starts(e, p, mcnt, mipstartindices, nzcnt,
                               api::positions(wide, beg, mcnt), varindices, values, effortlevel);
  });
}

template <class Pos>
int get_starts_family(const char* fname, KRVenv env, KRVprob lp, Pos* nzcnt_p, Pos* beg,
                      int* varindices, double* values, int* effortlevel, Pos startspace,
                      Pos* surplus_p, int begin, int end) {
  return api::call(env, lp, api::kInfoCallbackOk, [&](Environment& e, Problem& p) {
    api::OutPositions<Pos> out(beg);
    const int64_t n = api::range_length(begin, end);
    const int status = api::with_counts(e, nzcnt_p, surplus_p, [&](int64_t* nz, int64_t* sur) {
      return mip::get_mip_starts(e, p, fname, nz, out.get(n), varindices, values, effortlevel,
                                 startspace, sur, begin, end);
    });
    if (status == 0) out.finish(n);
    return status;
  });
}

template <class Pos>
int start_names_family(const char* fname, KRVenv env, KRVprob lp, char** name, char* namestore,
                       Pos storespace, Pos* surplus_p, int begin, int end) {
  return api::call(env, lp, api::kInfoCallbackOk, [&](Environment& e, Problem& p) {
    return api::with_counts<Pos>(e, nullptr, surplus_p, [&](int64_t*, int64_t* sur) {
      return mip::get_mip_start_names(e, p, fname, name, namestore, storespace, sur, begin, end);
    });
  });
}

int count_starts(KRVenv env, KRVprob lp) {
  int n = 0;
  api::call(env, lp, api::kInfoCallbackOk, [&](Environment& e, Problem& p) {
    if (int s = model::complete(e, p)) return s;
    n = mip::num_mip_starts(p);
    return 0;
  });
  return n;
}

// Conflict refinement is not part of this version: the arguments are
// checked as the refiner would check them, then 1719 says that no
// conflict is available.
int refine_start_conflict(KRVenv env, KRVprob lp, int mipstartindex, int grpcnt, int concnt) {
  return api::call(env, lp, api::kNone, [&](Environment& e, Problem& p) {
    if (int s = model::complete(e, p)) return s;
    if (!p.is_mip()) return err::kNotMip;
    if (grpcnt < 0 || concnt < 0) return err::kBadArgument;
    const int n = mip::num_mip_starts(p);
    if (n == 0) return mip::kNoMipStart;
    if (mipstartindex < 0 || mipstartindex >= n) return err::kIndexRange;
    return 1719;  // "Conflict is not available"
  });
}

}  // namespace

extern "C" {

int KRVaddmipstarts(KRVenv env, KRVprob lp, int mcnt, int nzcnt, const int* beg,
                    const int* varindices, const double* values, const int* effortlevel,
                    char** mipstartname) {
  return add_starts_family(env, lp, mcnt, nzcnt, beg, varindices, values, effortlevel,
                           mipstartname);
}
KORVA_S_ALIAS(int, KRVSaddmipstarts, KRVaddmipstarts,
              (KRVenv env, KRVprob lp, int mcnt, int nzcnt, const int* beg, const int* varindices,
               const double* values, const int* effortlevel, char** mipstartname))

int KRVLaddmipstarts(KRVenv env, KRVprob lp, int mcnt, long long nzcnt, const long long* beg,
                     const int* varindices, const double* values, const int* effortlevel,
                     char** mipstartname) {
  return add_starts_family(env, lp, mcnt, nzcnt, beg, varindices, values, effortlevel,
                           mipstartname);
}

int KRVchgmipstarts(KRVenv env, KRVprob lp, int mcnt, const int* mipstartindices, int nzcnt,
                    const int* beg, const int* varindices, const double* values,
                    const int* effortlevel) {
  return chg_starts_family(env, lp, mcnt, mipstartindices, nzcnt, beg, varindices, values,
                           effortlevel);
}
KORVA_S_ALIAS(int, KRVSchgmipstarts, KRVchgmipstarts,
              (KRVenv env, KRVprob lp, int mcnt, const int* mipstartindices, int nzcnt,
               const int* beg, const int* varindices, const double* values,
               const int* effortlevel))

int KRVLchgmipstarts(KRVenv env, KRVprob lp, int mcnt, const int* mipstartindices,
                     long long nzcnt, const long long* beg, const int* varindices,
                     const double* values, const int* effortlevel) {
  return chg_starts_family(env, lp, mcnt, mipstartindices, nzcnt, beg, varindices, values,
                           effortlevel);
}

int KRVgetmipstarts(KRVenv env, KRVprob lp, int* nzcnt_p, int* beg, int* varindices,
                    double* values, int* effortlevel, int startspace, int* surplus_p, int begin,
                    int end) {
  return get_starts_family("KRVgetmipstarts", env, lp, nzcnt_p, beg, varindices, values,
                           effortlevel, startspace, surplus_p, begin, end);
}
KORVA_S_ALIAS(int, KRVSgetmipstarts, KRVgetmipstarts,
              (KRVenv env, KRVprob lp, int* nzcnt_p, int* beg, int* varindices, double* values,
               int* effortlevel, int startspace, int* surplus_p, int begin, int end))

int KRVLgetmipstarts(KRVenv env, KRVprob lp, long long* nzcnt_p, long long* beg, int* varindices,
                     double* values, int* effortlevel, long long startspace,
                     long long* surplus_p, int begin, int end) {
  return get_starts_family("KRVLgetmipstarts", env, lp, nzcnt_p, beg, varindices, values,
                           effortlevel, startspace, surplus_p, begin, end);
}

int KRVgetnummipstarts(KRVenv env, KRVprob lp) { return count_starts(env, lp); }

int KRVgetmipstartname(KRVenv env, KRVprob lp, char** name, char* namestore, int storespace,
                       int* surplus_p, int begin, int end) {
  return start_names_family("KRVgetmipstartname", env, lp, name, namestore, storespace,
                            surplus_p, begin, end);
}
KORVA_S_ALIAS(int, KRVSgetmipstartname, KRVgetmipstartname,
              (KRVenv env, KRVprob lp, char** name, char* namestore, int storespace,
               int* surplus_p, int begin, int end))

int KRVLgetmipstartname(KRVenv env, KRVprob lp, char** name, char* namestore,
                        long long storespace, long long* surplus_p, int begin, int end) {
  return start_names_family("KRVLgetmipstartname", env, lp, name, namestore, storespace,
                            surplus_p, begin, end);
}

int KRVgetmipstartindex(KRVenv env, KRVprob lp, const char* lname_str, int* index_p) {
  return api::call(env, lp, api::kInfoCallbackOk, [&](Environment& e, Problem& p) {
    if (!lname_str || !index_p) return err::kNullPointer;
    api::Utf8Name name;
    if (int s = name.convert(e, lname_str)) return s;
    return mip::find_mip_start(e, p, name.get(), index_p);
  });
}

int KRVdelmipstarts(KRVenv env, KRVprob lp, int begin, int end) {
  return api::call(env, lp, api::kNone, [&](Environment& e, Problem& p) {
    return mip::del_mip_starts(e, p, "KRVdelmipstarts", begin, end);
  });
}

int KRVdelsetmipstarts(KRVenv env, KRVprob lp, int* delstat) {
  return api::call(env, lp, api::kNone, [&](Environment& e, Problem& p) {
    return mip::del_set_mip_starts(e, p, delstat);
  });
}

int KRVcopymipstart(KRVenv env, KRVprob lp, int cnt, const int* indices, const double* values) {
  return api::call(env, lp, api::kNone, [&](Environment& e, Problem& p) {
    return mip::copy_mip_start(e, p, cnt, indices, values);
  });
}

int KRVchgmipstart(KRVenv env, KRVprob lp, int cnt, const int* indices, const double* values) {
  return api::call(env, lp, api::kNone, [&](Environment& e, Problem& p) {
    return mip::chg_mip_start(e, p, cnt, indices, values);
  });
}

int KRVgetmipstart(KRVenv env, KRVprob lp, int* cnt_p, int* indices, double* value,
                   int mipstartspace, int* surplus_p) {
  return api::call(env, lp, api::kInfoCallbackOk, [&](Environment& e, Problem& p) {
    return mip::get_mip_start(e, p, cnt_p, indices, value, mipstartspace, surplus_p);
  });
}

int KRVgetsolnpoolnummipstarts(KRVenv env, KRVprob lp) { return count_starts(env, lp); }

int KRVgetsolnpoolmipstart(KRVenv env, KRVprob lp, int* nzcnt_p, int* beg, int* varindices,
                           double* values, int* effortlevel, int startspace, int* surplus_p,
                           int begin, int end) {
  return get_starts_family("KRVgetsolnpoolmipstart", env, lp, nzcnt_p, beg, varindices, values,
                           effortlevel, startspace, surplus_p, begin, end);
}
KORVA_S_ALIAS(int, KRVSgetsolnpoolmipstart, KRVgetsolnpoolmipstart,
              (KRVenv env, KRVprob lp, int* nzcnt_p, int* beg, int* varindices, double* values,
               int* effortlevel, int startspace, int* surplus_p, int begin, int end))

int KRVLgetsolnpoolmipstart(KRVenv env, KRVprob lp, long long* nzcnt_p, long long* beg,
                            int* varindices, double* values, int* effortlevel,
                            long long startspace, long long* surplus_p, int begin, int end) {
  return get_starts_family("KRVLgetsolnpoolmipstart", env, lp, nzcnt_p, beg, varindices, values,
                           effortlevel, startspace, surplus_p, begin, end);
}

int KRVrefinemipstartconflict(KRVenv env, KRVprob lp, int mipstartindex, int* confnumrows_p,
                              int* confnumcols_p) {
  if (confnumrows_p) *confnumrows_p = 0;
  if (confnumcols_p) *confnumcols_p = 0;
  return refine_start_conflict(env, lp, mipstartindex, 0, 0);
}

int KRVrefinemipstartconflictext(KRVenv env, KRVprob lp, int mipstartindex, int grpcnt,
                                 int concnt, const double* grppref, const int* grpbeg,
                                 const int* grpind, const char* grptype) {
  (void)grppref;
  (void)grpbeg;
  (void)grpind;
  (void)grptype;
  return refine_start_conflict(env, lp, mipstartindex, grpcnt, concnt);
}

}  // extern "C"
