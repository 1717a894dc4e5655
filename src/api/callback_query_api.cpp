// Exported functions: the queries a callback makes about the search it is
// called from.
#include <vector>

#include "env/frame.h"
#include "mip/callback_queries.h"

using namespace korva;
using mip::CallbackVector;

namespace {

// The queries refused inside an informational callback (1804 through the
// frame); KRVgetcallbackinfo makes its own exceptions.
constexpr unsigned kCallbackQuery = api::kNone;

int vector_query(const char* fname, CallbackVector which, KRVenv env, void* cbdata, int wherefrom, double* out,
                 int begin, int end) {
  return api::call(env, kCallbackQuery, [&](Environment& e) {
    return mip::callback_vector(e, fname, cbdata, wherefrom, which, out, begin, end);
  });
}

// A 64-bit count handed out as an int (1810 when it does not fit).
int store_int(Environment& e, int* dst, int64_t value) {
  *dst = clamp_to_int(&e, value);
  return value == static_cast<int>(value) ? 0 : -err::kInt32Overflow;
}

}  // namespace

extern "C" {

KRVAPI int KRVgetcallbackinfo(KRVenv env, void* cbdata, int wherefrom, int whichinfo, void* result_p) {
  return api::call(env, api::kInfoCallbackOk, [&](Environment& e) {
    if (api::check_info_callback(e) != 0 && !mip::answers_inside_info_callback(wherefrom, whichinfo))
      return static_cast<int>(err::kInfoCallback);
    return mip::callback_info(e, cbdata, wherefrom, whichinfo, result_p);
  });
}

KRVAPI int KRVgetcallbacknodeinfo(KRVenv env, void* cbdata, int wherefrom, int nodeindex, int whichinfo,
                                  void* result_p) {
  return api::call(env, kCallbackQuery, [&](Environment& e) {
    return mip::callback_node_info(e, cbdata, wherefrom, nodeindex, whichinfo, result_p);
  });
}

KRVAPI int KRVgetcallbackseqinfo(KRVenv env, void* cbdata, int wherefrom, int* seqid_p, int* parentid_p) {
  return api::call(env, kCallbackQuery, [&](Environment& e) {
    int64_t seq = 0, parent = 0;
    if (int code = mip::callback_seq_info(e, cbdata, wherefrom, seqid_p ? &seq : nullptr,
                                          parentid_p ? &parent : nullptr))
      return code;
    const int a = store_int(e, seqid_p, seq);
    const int b = store_int(e, parentid_p, parent);
    return a ? a : b;
  });
}

KRVAPI int KRVgetcallbacknodelp(KRVenv env, void* cbdata, int wherefrom, KRVprob* nodelp_p) {
  return api::call(env, kCallbackQuery,
                   [&](Environment& e) { return mip::callback_node_lp(e, cbdata, wherefrom, nodelp_p); });
}

KRVAPI int KRVgetcallbacklp(KRVenv env, void* cbdata, int wherefrom, KRVprob* lp_p) {
  return api::call(env, kCallbackQuery,
                   [&](Environment& e) { return mip::callback_problem(e, cbdata, wherefrom, lp_p); });
}

KRVAPI int KRVgetcallbacknodex(KRVenv env, void* cbdata, int wherefrom, double* x, int begin, int end) {
  return vector_query("KRVgetcallbacknodex", CallbackVector::NodeX, env, cbdata, wherefrom, x, begin, end);
}

KRVAPI int KRVgetcallbacknodeobjval(KRVenv env, void* cbdata, int wherefrom, double* objval_p) {
  return api::call(env, kCallbackQuery,
                   [&](Environment& e) { return mip::callback_node_objective(e, cbdata, wherefrom, objval_p); });
}

KRVAPI int KRVgetcallbacknodestat(KRVenv env, void* cbdata, int wherefrom, int* nodestat_p) {
  return api::call(env, kCallbackQuery,
                   [&](Environment& e) { return mip::callback_node_status(e, cbdata, wherefrom, nodestat_p); });
}

KRVAPI int KRVgetcallbackctype(KRVenv env, void* cbdata, int wherefrom, char* xctype, int begin, int end) {
  return api::call(env, kCallbackQuery, [&](Environment& e) {
    return mip::callback_ctype(e, "KRVgetcallbackctype", cbdata, wherefrom, xctype, begin, end);
  });
}

KRVAPI int KRVgetcallbackorder(KRVenv env, void* cbdata, int wherefrom, int* priority, int* direction, int begin,
                               int end) {
  return api::call(env, kCallbackQuery, [&](Environment& e) {
    return mip::callback_order(e, "KRVgetcallbackorder", cbdata, wherefrom, priority, direction, begin, end);
  });
}

KRVAPI int KRVgetcallbackpseudocosts(KRVenv env, void* cbdata, int wherefrom, double* uppc, double* downpc,
                                     int begin, int end) {
  return api::call(env, kCallbackQuery, [&](Environment& e) {
    return mip::callback_pseudocosts(e, "KRVgetcallbackpseudocosts", cbdata, wherefrom, uppc, downpc, begin, end);
  });
}

KRVAPI int KRVgetcallbackincumbent(KRVenv env, void* cbdata, int wherefrom, double* x, int begin, int end) {
  return vector_query("KRVgetcallbackincumbent", CallbackVector::Incumbent, env, cbdata, wherefrom, x, begin, end);
}

KRVAPI int KRVgetcallbacknodeintfeas(KRVenv env, void* cbdata, int wherefrom, int* feas, int begin, int end) {
  return api::call(env, kCallbackQuery, [&](Environment& e) {
    return mip::callback_int_feasibility(e, "KRVgetcallbacknodeintfeas", cbdata, wherefrom, feas, begin, end);
  });
}

KRVAPI int KRVgetcallbackgloballb(KRVenv env, void* cbdata, int wherefrom, double* lb, int begin, int end) {
  return vector_query("KRVgetcallbackgloballb", CallbackVector::GlobalLower, env, cbdata, wherefrom, lb, begin,
                      end);
}

KRVAPI int KRVgetcallbackglobalub(KRVenv env, void* cbdata, int wherefrom, double* ub, int begin, int end) {
  return vector_query("KRVgetcallbackglobalub", CallbackVector::GlobalUpper, env, cbdata, wherefrom, ub, begin,
                      end);
}

KRVAPI int KRVgetcallbacknodelb(KRVenv env, void* cbdata, int wherefrom, double* lb, int begin, int end) {
  return vector_query("KRVgetcallbacknodelb", CallbackVector::NodeLower, env, cbdata, wherefrom, lb, begin, end);
}

KRVAPI int KRVgetcallbacknodeub(KRVenv env, void* cbdata, int wherefrom, double* ub, int begin, int end) {
  return vector_query("KRVgetcallbacknodeub", CallbackVector::NodeUpper, env, cbdata, wherefrom, ub, begin, end);
}

KRVAPI int KRVgetcallbackbranchconstraints(KRVenv env, void* cbdata, int wherefrom, int which_branch, int* cuts_p,
                                           int* nzcnt_p, double* rhs, char* sense, int* rmatbeg, int* rmatind,
                                           double* rmatval, int rmatsz, int* surplus_p) {
  return api::call(env, kCallbackQuery, [&](Environment& e) {
    int64_t rows = 0, nzcnt = 0, surplus = 0;
    std::vector<int64_t> begin;
    mip::BranchRowsOut out;
    out.rows = cuts_p ? &rows : nullptr;
    out.nzcnt = nzcnt_p ? &nzcnt : nullptr;
    out.surplus = surplus_p ? &surplus : nullptr;
    out.rhs = rhs;
    out.sense = sense;
    out.begin = rmatbeg ? &begin : nullptr;
    out.ind = rmatind;
    out.val = rmatval;
    out.space = rmatsz;
    const int status = mip::callback_branch_rows(e, cbdata, wherefrom, which_branch, out);
    if (status == 0 || status == err::kArrayTooShort || status == -err::kArrayTooShort) {
      *cuts_p = static_cast<int>(rows);
      *nzcnt_p = clamp_to_int(&e, nzcnt);
      *surplus_p = clamp_to_int(&e, surplus);
      for (size_t i = 0; status == 0 && i < begin.size(); ++i) rmatbeg[i] = static_cast<int>(begin[i]);
    }
    return status;
  });
}

KRVAPI int KRVgetcallbacksosinfo(KRVenv env, void* cbdata, int wherefrom, int sosindex, int member, int whichinfo,
                                 void* result_p) {
  return api::call(env, kCallbackQuery, [&](Environment& e) {
    return mip::callback_sos_info(e, cbdata, wherefrom, sosindex, member, whichinfo, result_p);
  });
}

KRVAPI int KRVgetcallbackindicatorinfo(KRVenv env, void* cbdata, int wherefrom, int iindex, int whichinfo,
                                       void* result_p) {
  return api::call(env, kCallbackQuery, [&](Environment& e) {
    return mip::callback_indicator_info(e, cbdata, wherefrom, iindex, whichinfo, result_p);
  });
}

}  // extern "C"
