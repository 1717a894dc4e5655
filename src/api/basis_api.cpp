// Exported functions: the factorised basis of a solved LP (head, rows and
// columns of the inverse and of the tableau), the ray of an unbounded LP,
// feasibility checks and manual pivots.
#include "env/frame.h"
#include "model/model.h"
#include "simplex/basis_queries/basis_queries.h"
#include "simplex/basis_queries/pivoting.h"
#include "simplex/basis_queries/rays_checks.h"

using namespace korva;

namespace {
constexpr unsigned kQuery = api::kInfoCallbackOk;
}  // namespace

extern "C" {

KRVAPI int KRVgetbhead(KRVenv env, KRVprob lp, int* head, double* x) {
  return api::call(env, lp, kQuery,
                   [&](Environment& e, Problem& p) { return simplex::get_basis_head(e, p, head, x); });
}

KRVAPI int KRVbinvcol(KRVenv env, KRVprob lp, int j, double* x) {
  return api::call(env, lp, kQuery,
                   [&](Environment& e, Problem& p) { return simplex::binv_column(e, p, "KRVbinvcol", j, x); });
}

KRVAPI int KRVbinvrow(KRVenv env, KRVprob lp, int i, double* y) {
  return api::call(env, lp, kQuery,
                   [&](Environment& e, Problem& p) { return simplex::binv_row(e, p, "KRVbinvrow", i, y); });
}

KRVAPI int KRVbinvacol(KRVenv env, KRVprob lp, int j, double* x) {
  return api::call(env, lp, kQuery,
                   [&](Environment& e, Problem& p) { return simplex::binv_a_column(e, p, "KRVbinvacol", j, x); });
}

KRVAPI int KRVbinvarow(KRVenv env, KRVprob lp, int i, double* z) {
  return api::call(env, lp, kQuery,
                   [&](Environment& e, Problem& p) { return simplex::binv_a_row(e, p, "KRVbinvarow", i, z); });
}

KRVAPI int KRVgetijrow(KRVenv env, KRVprob lp, int i, int j, int* row_p) {
  return api::call(env, lp, kQuery,
                   [&](Environment& e, Problem& p) { return simplex::basis_row_of(e, p, "KRVgetijrow", i, j, row_p); });
}

KRVAPI int KRVgetray(KRVenv env, KRVprob lp, double* z) {
  return api::call(env, lp, kQuery, [&](Environment& e, Problem& p) { return simplex::get_ray(e, p, z); });
}

KRVAPI int KRVcheckdfeas(KRVenv env, KRVprob lp, int* infeas_p) {
  return api::call(env, lp, api::kLongOperation, [&](Environment& e, Problem& p) {
    if (!infeas_p) return static_cast<int>(err::kNullPointer);
    if (int code = model::complete(e, p)) return code;
    return simplex::check_dual_feasibility(e, p, infeas_p);
  });
}

KRVAPI int KRVchecksoln(KRVenv env, KRVprob lp, int* lpstatus_p) {
  return api::call(env, lp, api::kNone,
                   [&](Environment& e, Problem& p) { return simplex::check_solution(e, p, lpstatus_p); });
}

KRVAPI int KRVpivotin(KRVenv env, KRVprob lp, const int* rlist, int rlen) {
  return api::call(env, lp, api::kLongOperation,
                   [&](Environment& e, Problem& p) { return simplex::pivot_in(e, p, rlist, rlen); });
}

KRVAPI int KRVpivotout(KRVenv env, KRVprob lp, const int* clist, int clen) {
  return api::call(env, lp, api::kLongOperation,
                   [&](Environment& e, Problem& p) { return simplex::pivot_out(e, p, clist, clen); });
}

KRVAPI int KRVpivot(KRVenv env, KRVprob lp, int jenter, int jleave, int nbstat) {
  return api::call(env, lp, api::kLongOperation,
                   [&](Environment& e, Problem& p) { return simplex::pivot(e, p, jenter, jleave, nbstat); });
}

KRVAPI int KRVpratio(KRVenv env, KRVprob lp, const int* indices, int cnt, double* downratio, double* upratio,
                     int* downleave, int* upleave, int* downleavestatus, int* upleavestatus) {
  return api::call(env, lp, kQuery, [&](Environment& e, Problem& p) {
    simplex::PrimalRatioOut out;
    out.down_ratio = downratio;
    out.up_ratio = upratio;
    out.down_leave = downleave;
    out.up_leave = upleave;
    out.down_leave_status = downleavestatus;
    out.up_leave_status = upleavestatus;
    return simplex::primal_ratio(e, p, indices, cnt, out);
  });
}

KRVAPI int KRVdratio(KRVenv env, KRVprob lp, const int* indices, int cnt, double* downratio, double* upratio,
                     int* downenter, int* upenter) {
  return api::call(env, lp, kQuery, [&](Environment& e, Problem& p) {
    return simplex::dual_ratio(e, p, indices, cnt, downratio, upratio, downenter, upenter);
  });
}

KRVAPI int KRVmdleave(KRVenv env, KRVprob lp, const int* indices, int cnt, double* downratio, double* upratio) {
  return api::call(env, lp, kQuery,
                   [&](Environment& e, Problem& p) { return simplex::md_leave(e, p, indices, cnt, downratio, upratio); });
}

}  // extern "C"
