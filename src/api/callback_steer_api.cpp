// Steering a MIP search from inside a callback: cuts, lazy constraints and
// branches.
#include "env/frame.h"
#include "mip/callback_steering.h"

using namespace korva;

namespace {

// The search's record behind cbdata, or 1006.
template <class Body>
int with_callback_data(KRVenv env, void* cbdata, Body&& body) {
  return api::call(env, api::kNone, [&](Environment& e) {
    mip::MipCallbackData* d = mip::callback_data_of(cbdata);
    if (!d) return err::kCallbackError;
    return body(e, *d);
  });
}

int branch(KRVenv env, void* cbdata, int wherefrom, double nodeest, int varcnt, const int* varind,
           const char* varlu, const double* varbd, const mip::ChildRows& rows, void* userhandle, int* seqnum_p) {
  return with_callback_data(env, cbdata, [&](Environment& e, mip::MipCallbackData& d) {
    int64_t seqnum = -1;
    if (int code = mip::add_callback_child(e, d, wherefrom, nodeest, varcnt, varind, varlu, varbd, rows,
                                           userhandle, &seqnum))
      return code;
    if (seqnum_p) {
      if (seqnum > 2147483647LL) return err::kInt32Overflow;
      *seqnum_p = static_cast<int>(seqnum);
    }
    return 0;
  });
}

}  // namespace

extern "C" {

int KRVcutcallbackadd(KRVenv env, void* cbdata, int wherefrom, int nzcnt, double rhs, int sense,
                      const int* cutind, const double* cutval, int purgeable) {
  return with_callback_data(env, cbdata, [&](Environment& e, mip::MipCallbackData& d) {
    return mip::add_callback_cut(e, d, wherefrom, nzcnt, rhs, sense, cutind, cutval, purgeable, false);
  });
}

int KRVcutcallbackaddlocal(KRVenv env, void* cbdata, int wherefrom, int nzcnt, double rhs, int sense,
                           const int* cutind, const double* cutval) {
  return with_callback_data(env, cbdata, [&](Environment& e, mip::MipCallbackData& d) {
    return mip::add_callback_cut(e, d, wherefrom, nzcnt, rhs, sense, cutind, cutval, 0, true);
  });
}

int KRVbranchcallbackbranchbds(KRVenv env, void* cbdata, int wherefrom, double nodeest, int cnt,
                               const int* indices, const char* lu, const double* bd, void* userhandle,
                               int* seqnum_p) {
  return branch(env, cbdata, wherefrom, nodeest, cnt, indices, lu, bd, mip::ChildRows{}, userhandle, seqnum_p);
}

int KRVbranchcallbackbranchconstraints(KRVenv env, void* cbdata, int wherefrom, double nodeest, int rcnt,
                                       int nzcnt, const double* rhs, const char* sense, const int* rmatbeg,
                                       const int* rmatind, const double* rmatval, void* userhandle,
                                       int* seqnum_p) {
  const mip::ChildRows rows{rcnt, nzcnt, rhs, sense, rmatbeg, rmatind, rmatval};
  return branch(env, cbdata, wherefrom, nodeest, 0, nullptr, nullptr, nullptr, rows, userhandle, seqnum_p);
}

int KRVbranchcallbackbranchgeneral(KRVenv env, void* cbdata, int wherefrom, double nodeest, int varcnt,
                                   const int* varind, const char* varlu, const double* varbd, int rcnt,
                                   int nzcnt, const double* rhs, const char* sense, const int* rmatbeg,
                                   const int* rmatind, const double* rmatval, void* userhandle,
                                   int* seqnum_p) {
  const mip::ChildRows rows{rcnt, nzcnt, rhs, sense, rmatbeg, rmatind, rmatval};
  return branch(env, cbdata, wherefrom, nodeest, varcnt, varind, varlu, varbd, rows, userhandle, seqnum_p);
}

}  // extern "C"
