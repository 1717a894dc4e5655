// Exported functions: the solution pool, its filters and their files.
#include "api/families.h"
#include "env/frame.h"
#include "io/xml/filter_file.h"
#include "mip/pool_filter_entries.h"
#include "mip/pool_fixing.h"
#include "mip/pool_queries.h"

using namespace korva;

namespace {

constexpr unsigned kQuery = api::kInfoCallbackOk;

int vector_query(const char* fname, mip::PoolVector which, KRVenv env, KRVprob lp, int soln, double* out,
                 int begin, int end) {
  return api::call(env, lp, kQuery, [&](Environment& e, Problem& p) {
    return mip::get_pool_vector(e, p, fname, which, soln, out, begin, end);
  });
}

// A name lookup with the name converted from the interface encoding.
template <class Find>
int index_of(KRVenv env, KRVprob lp, const char* lname_str, int* index_p, Find find) {
  return api::call(env, lp, kQuery, [&](Environment& e, Problem& p) {
    if (!lname_str || !index_p) return static_cast<int>(err::kNullPointer);
    api::Utf8Name name;
    if (int s = name.convert(e, lname_str)) return s;
    return find(e, p, name.get(), index_p);
  });
}

// A name getter under the surplus convention.
template <class Get>
int name_of(KRVenv env, KRVprob lp, char* buf, int space, int* surplus_p, int which, Get get) {
  return api::call(env, lp, kQuery, [&](Environment& e, Problem& p) {
    if (!surplus_p) return static_cast<int>(err::kNullPointer);
    int64_t surplus = 0;
    const int status = get(e, p, buf, space, &surplus, which);
    if (status == 0 || status == err::kArrayTooShort || status == -err::kArrayTooShort)
      *surplus_p = static_cast<int>(surplus);
    return status;
  });
}

template <class Count>
long long count_of(KRVenv env, KRVprob lp, Count count) {
  long long n = 0;
  api::call(env, lp, kQuery, [&](Environment& e, Problem& p) {
    n = count(e, p);
    return 0;
  });
  return n;
}

}  // namespace

extern "C" {

// ---- solutions ---------------------------------------------------------------------------

KRVAPI int KRVgetsolnpoolnumsolns(KRVenv env, KRVprob lp) {
  return static_cast<int>(count_of(env, lp, mip::num_pool_solutions));
}

KRVAPI int KRVgetsolnpoolnumreplaced(KRVenv env, KRVprob lp) {
  return clamp_to_int(env, count_of(env, lp, mip::num_pool_replaced));
}

KRVAPI int KRVgetsolnpoolobjval(KRVenv env, KRVprob lp, int soln, double* objval_p) {
  return api::call(env, lp, kQuery,
                   [&](Environment& e, Problem& p) { return mip::get_pool_objective(e, p, soln, objval_p); });
}

KRVAPI int KRVgetsolnpoolx(KRVenv env, KRVprob lp, int soln, double* x, int begin, int end) {
  return vector_query("KRVgetsolnpoolx", mip::PoolVector::X, env, lp, soln, x, begin, end);
}

KRVAPI int KRVgetsolnpoolslack(KRVenv env, KRVprob lp, int soln, double* slack, int begin, int end) {
  return vector_query("KRVgetsolnpoolslack", mip::PoolVector::Slack, env, lp, soln, slack, begin, end);
}

KRVAPI int KRVgetsolnpoolqconstrslack(KRVenv env, KRVprob lp, int soln, double* qcslack, int begin, int end) {
  return vector_query("KRVgetsolnpoolqconstrslack", mip::PoolVector::QconstrSlack, env, lp, soln, qcslack, begin,
                      end);
}

KRVAPI int KRVgetsolnpoolmeanobjval(KRVenv env, KRVprob lp, double* meanobjval_p) {
  return api::call(env, lp, kQuery,
                   [&](Environment& e, Problem& p) { return mip::get_pool_mean_objective(e, p, meanobjval_p); });
}

KRVAPI int KRVgetsolnpoolsolnname(KRVenv env, KRVprob lp, char* store, int storesz, int* surplus_p, int soln) {
  return name_of(env, lp, store, storesz, surplus_p, soln, mip::get_pool_solution_name);
}

KRVAPI int KRVgetsolnpoolsolnindex(KRVenv env, KRVprob lp, const char* lname_str, int* index_p) {
  return index_of(env, lp, lname_str, index_p, mip::find_pool_solution);
}

KRVAPI int KRVdelsolnpoolsolns(KRVenv env, KRVprob lp, int begin, int end) {
  return api::call(env, lp, api::kNone, [&](Environment& e, Problem& p) {
    return mip::del_pool_solutions(e, p, "KRVdelsolnpoolsolns", begin, end);
  });
}

KRVAPI int KRVdelsetsolnpoolsolns(KRVenv env, KRVprob lp, int* delstat) {
  return api::call(env, lp, api::kNone,
                   [&](Environment& e, Problem& p) { return mip::del_set_pool_solutions(e, p, delstat); });
}

KRVAPI int KRVchgprobtypesolnpool(KRVenv env, KRVprob lp, int type, int soln) {
  return api::call(env, lp, api::kNone,
                   [&](Environment& e, Problem& p) { return mip::change_type_at_pool_solution(e, p, type, soln); });
}

// ---- filters -----------------------------------------------------------------------------

KRVAPI int KRVaddsolnpooldivfilter(KRVenv env, KRVprob lp, double lower_cutoff, double upper_cutoff, int nzcnt,
                                   const int* ind, const double* weight, const double* refval,
                                   const char* lname_str) {
  return api::call(env, lp, api::kNone, [&](Environment& e, Problem& p) {
    api::Utf8Name name;
    if (int s = name.convert(e, lname_str)) return s;
    return mip::add_diversity_filter(e, p, lower_cutoff, upper_cutoff, nzcnt, ind, weight, refval, name.get());
  });
}

KRVAPI int KRVaddsolnpoolrngfilter(KRVenv env, KRVprob lp, double lb, double ub, int nzcnt, const int* ind,
                                   const double* val, const char* lname_str) {
  return api::call(env, lp, api::kNone, [&](Environment& e, Problem& p) {
    api::Utf8Name name;
    if (int s = name.convert(e, lname_str)) return s;
    return mip::add_range_filter(e, p, lb, ub, nzcnt, ind, val, name.get());
  });
}

KRVAPI int KRVgetsolnpoolnumfilters(KRVenv env, KRVprob lp) {
  return static_cast<int>(count_of(env, lp, mip::num_pool_filters));
}

KRVAPI int KRVgetsolnpoolfiltertype(KRVenv env, KRVprob lp, int* ftype_p, int which) {
  return api::call(env, lp, kQuery,
                   [&](Environment& e, Problem& p) { return mip::get_filter_type(e, p, ftype_p, which); });
}

KRVAPI int KRVgetsolnpooldivfilter(KRVenv env, KRVprob lp, double* lower_cutoff_p, double* upper_cutoff_p,
                                   int* nzcnt_p, int* ind, double* weight, double* refval, int space,
                                   int* surplus_p, int which) {
  return api::call(env, lp, kQuery, [&](Environment& e, Problem& p) {
    return mip::get_diversity_filter(e, p, lower_cutoff_p, upper_cutoff_p, nzcnt_p, ind, weight, refval, space,
                                     surplus_p, which);
  });
}

KRVAPI int KRVgetsolnpoolrngfilter(KRVenv env, KRVprob lp, double* lb_p, double* ub_p, int* nzcnt_p, int* ind,
                                   double* val, int space, int* surplus_p, int which) {
  return api::call(env, lp, kQuery, [&](Environment& e, Problem& p) {
    return mip::get_range_filter(e, p, lb_p, ub_p, nzcnt_p, ind, val, space, surplus_p, which);
  });
}

KRVAPI int KRVgetsolnpoolfiltername(KRVenv env, KRVprob lp, char* buf_str, int bufspace, int* surplus_p,
                                    int which) {
  return name_of(env, lp, buf_str, bufspace, surplus_p, which, mip::get_filter_name);
}

KRVAPI int KRVgetsolnpoolfilterindex(KRVenv env, KRVprob lp, const char* lname_str, int* index_p) {
  return index_of(env, lp, lname_str, index_p, mip::find_filter);
}

KRVAPI int KRVdelsolnpoolfilters(KRVenv env, KRVprob lp, int begin, int end) {
  return api::call(env, lp, api::kNone, [&](Environment& e, Problem& p) {
    return mip::del_filters(e, p, "KRVdelsolnpoolfilters", begin, end);
  });
}

KRVAPI int KRVdelsetsolnpoolfilters(KRVenv env, KRVprob lp, int* delstat) {
  return api::call(env, lp, api::kNone,
                   [&](Environment& e, Problem& p) { return mip::del_set_filters(e, p, delstat); });
}

// ---- filter files ------------------------------------------------------------------------

KRVAPI int KRVreadcopysolnpoolfilters(KRVenv env, KRVprob lp, const char* filename_str) {
  return api::call(env, lp, api::kNone, [&](Environment& e, Problem& p) {
    return xml::read_filter_file(e, p, filename_str);
  });
}

KRVAPI int KRVfltwrite(KRVenv env, KRVprob lp, const char* filename_str) {
  return api::call(env, lp, kQuery, [&](Environment& e, Problem& p) {
    return xml::write_filter_file(e, p, filename_str);
  });
}

}  // extern "C"
