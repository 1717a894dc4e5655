// Exported functions: status, solution, counters and quality of the last
// optimisation, and the basis-factor services around it.
#include <cstring>
#include <string>

#include "env/frame.h"
#include "model/model.h"
#include "simplex/dispatch/method_choice.h"
#include "simplex/dual/dual_farkas.h"
#include "simplex/solution/basis_solves.h"
#include "simplex/solution/quality.h"
#include "simplex/solution/solution_queries.h"
#include "simplex/status.h"

using namespace korva;
using simplex::Counter;
using simplex::SolutionVector;

namespace {

constexpr unsigned kQuery = api::kInfoCallbackOk;

int vector_query(const char* fname, SolutionVector which, KRVenv env, KRVprob lp, double* out, int begin,
                 int end) {
  return api::call(env, lp, kQuery, [&](Environment& e, Problem& p) {
    return simplex::get_vector(e, p, fname, which, out, begin, end);
  });
}

long long counter(KRVenv env, KRVprob lp, Counter which) {
  int64_t value = 0;
  api::call(env, lp, kQuery, [&](Environment& e, Problem& p) { return simplex::get_counter(e, p, which, &value); });
  return value;
}

// The plain family's counter: clamped to 32 bits with error 1810.
int counter32(KRVenv env, KRVprob lp, Counter which) {
  const long long value = counter(env, lp, which);
  if (value == static_cast<int>(value)) return static_cast<int>(value);
  return clamp_to_int(env, value);
}

}  // namespace

extern "C" {

KRVAPI char* KRVgetstatstring(KRVenv env, int statind, char* buffer_str) {
  char* result = nullptr;
  api::call(env, kQuery, [&](Environment& e) {
    if (!buffer_str) return static_cast<int>(err::kNullPointer);
    const StatusEntry* entry = find_status(statind);
    const char* text = entry ? entry->text : status_text(statind);
    std::string converted;
    if (utf8_to_api(e, text, converted) != 0) {
      std::strncpy(buffer_str, text, KRV_MESSAGEBUFSIZE - 1);
      buffer_str[KRV_MESSAGEBUFSIZE - 1] = '\0';
      return 0;
    }
    std::strncpy(buffer_str, converted.c_str(), KRV_MESSAGEBUFSIZE - 1);
    buffer_str[KRV_MESSAGEBUFSIZE - 1] = '\0';
    if (entry) result = buffer_str;
    return 0;
  });
  return result;
}

KRVAPI int KRVgetstat(KRVenv env, KRVprob lp) {
  int status = 0;
  api::call(env, lp, kQuery, [&](Environment&, Problem& p) {
    status = simplex::solution_status(p);
    return 0;
  });
  return status;
}

KRVAPI int KRVgetmethod(KRVenv env, KRVprob lp) {
  int method = 0;
  api::call(env, lp, kQuery, [&](Environment& e, Problem& p) { return simplex::solution_method(e, p, &method); });
  return method;
}

KRVAPI int KRVsolninfo(KRVenv env, KRVprob lp, int* solnmethod_p, int* solntype_p, int* pfeasind_p,
                       int* dfeasind_p) {
  return api::call(env, lp, kQuery, [&](Environment& e, Problem& p) {
    return simplex::solution_info(e, p, solnmethod_p, solntype_p, pfeasind_p, dfeasind_p);
  });
}

KRVAPI int KRVsolution(KRVenv env, KRVprob lp, int* lpstat_p, double* objval_p, double* x, double* pi,
                       double* slack, double* dj) {
  return api::call(env, lp, kQuery, [&](Environment& e, Problem& p) {
    return simplex::get_solution(e, p, lpstat_p, objval_p, x, pi, slack, dj);
  });
}

KRVAPI int KRVgetobjval(KRVenv env, KRVprob lp, double* objval_p) {
  return api::call(env, lp, kQuery, [&](Environment& e, Problem& p) {
    if (!objval_p) return static_cast<int>(err::kNullPointer);
    return simplex::get_objective(e, p, objval_p);
  });
}

KRVAPI int KRVgetx(KRVenv env, KRVprob lp, double* x, int begin, int end) {
  return vector_query("KRVgetx", SolutionVector::X, env, lp, x, begin, end);
}

KRVAPI int KRVgetpi(KRVenv env, KRVprob lp, double* pi, int begin, int end) {
  return vector_query("KRVgetpi", SolutionVector::Pi, env, lp, pi, begin, end);
}

KRVAPI int KRVgetslack(KRVenv env, KRVprob lp, double* slack, int begin, int end) {
  return vector_query("KRVgetslack", SolutionVector::Slack, env, lp, slack, begin, end);
}

KRVAPI int KRVgetdj(KRVenv env, KRVprob lp, double* dj, int begin, int end) {
  return vector_query("KRVgetdj", SolutionVector::Dj, env, lp, dj, begin, end);
}

KRVAPI int KRVgetax(KRVenv env, KRVprob lp, double* x, int begin, int end) {
  return vector_query("KRVgetax", SolutionVector::Ax, env, lp, x, begin, end);
}

KRVAPI int KRVgetrowinfeas(KRVenv env, KRVprob lp, const double* x, double* infeasout, int begin, int end) {
  return api::call(env, lp, kQuery, [&](Environment& e, Problem& p) {
    return simplex::get_row_infeasibility(e, p, "KRVgetrowinfeas", x, infeasout, begin, end);
  });
}

KRVAPI int KRVgetcolinfeas(KRVenv env, KRVprob lp, const double* x, double* infeasout, int begin, int end) {
  return api::call(env, lp, kQuery, [&](Environment& e, Problem& p) {
    return simplex::get_col_infeasibility(e, p, "KRVgetcolinfeas", x, infeasout, begin, end);
  });
}

KRVAPI int KRVgetitcnt(KRVenv env, KRVprob lp) { return counter32(env, lp, Counter::Iterations); }
KRVAPI int KRVgetphase1cnt(KRVenv env, KRVprob lp) { return counter32(env, lp, Counter::Phase1); }
KRVAPI int KRVgetbaritcnt(KRVenv env, KRVprob lp) { return counter32(env, lp, Counter::Barrier); }
KRVAPI int KRVgetcrossppushcnt(KRVenv env, KRVprob lp) { return counter32(env, lp, Counter::CrossPrimalPush); }
KRVAPI int KRVgetcrosspexchcnt(KRVenv env, KRVprob lp) {
  return counter32(env, lp, Counter::CrossPrimalExchange);
}
KRVAPI int KRVgetcrossdpushcnt(KRVenv env, KRVprob lp) { return counter32(env, lp, Counter::CrossDualPush); }
KRVAPI int KRVgetcrossdexchcnt(KRVenv env, KRVprob lp) { return counter32(env, lp, Counter::CrossDualExchange); }
KRVAPI int KRVgetsiftitcnt(KRVenv env, KRVprob lp) { return counter32(env, lp, Counter::Sift); }
KRVAPI int KRVgetsiftphase1cnt(KRVenv env, KRVprob lp) { return counter32(env, lp, Counter::SiftPhase1); }

KRVAPI long long KRVLgetitcnt(KRVenv env, KRVprob lp) { return counter(env, lp, Counter::Iterations); }
KRVAPI long long KRVLgetphase1cnt(KRVenv env, KRVprob lp) { return counter(env, lp, Counter::Phase1); }
KRVAPI long long KRVLgetbaritcnt(KRVenv env, KRVprob lp) { return counter(env, lp, Counter::Barrier); }
KRVAPI long long KRVLgetcrossppushcnt(KRVenv env, KRVprob lp) { return counter(env, lp, Counter::CrossPrimalPush); }
KRVAPI long long KRVLgetcrosspexchcnt(KRVenv env, KRVprob lp) {
  return counter(env, lp, Counter::CrossPrimalExchange);
}
KRVAPI long long KRVLgetcrossdpushcnt(KRVenv env, KRVprob lp) { return counter(env, lp, Counter::CrossDualPush); }
KRVAPI long long KRVLgetcrossdexchcnt(KRVenv env, KRVprob lp) {
  return counter(env, lp, Counter::CrossDualExchange);
}
KRVAPI long long KRVLgetsiftitcnt(KRVenv env, KRVprob lp) { return counter(env, lp, Counter::Sift); }
KRVAPI long long KRVLgetsiftphase1cnt(KRVenv env, KRVprob lp) { return counter(env, lp, Counter::SiftPhase1); }

KRVAPI int KRVgetdblquality(KRVenv env, KRVprob lp, double* quality_p, int what) {
  return api::call(env, lp, kQuery, [&](Environment& e, Problem& p) {
    if (!quality_p) return static_cast<int>(err::kNullPointer);
    return simplex::solution_quality(e, p, what, quality_p, nullptr);
  });
}

KRVAPI int KRVgetintquality(KRVenv env, KRVprob lp, int* quality_p, int what) {
  return api::call(env, lp, kQuery, [&](Environment& e, Problem& p) {
    if (!quality_p) return static_cast<int>(err::kNullPointer);
    double value = 0.0;
    return simplex::solution_quality(e, p, what, &value, quality_p);
  });
}

KRVAPI int KRVcopystart(KRVenv env, KRVprob lp, const int* cstat, const int* rstat, const double* cprim,
                        const double* rprim, const double* cdual, const double* rdual) {
  return api::call(env, lp, api::kNone, [&](Environment& e, Problem& p) {
    return simplex::copy_start(e, p, cstat, rstat, cprim, rprim, cdual, rdual);
  });
}

KRVAPI int KRVftran(KRVenv env, KRVprob lp, double* x) {
  return api::call(env, lp, kQuery, [&](Environment& e, Problem& p) {
    if (!x) return static_cast<int>(err::kNullPointer);
    return simplex::user_ftran(e, p, x);
  });
}

KRVAPI int KRVbtran(KRVenv env, KRVprob lp, double* y) {
  return api::call(env, lp, kQuery, [&](Environment& e, Problem& p) {
    if (!y) return static_cast<int>(err::kNullPointer);
    return simplex::user_btran(e, p, y);
  });
}

KRVAPI int KRVunscaleprob(KRVenv env, KRVprob lp) {
  return api::call(env, lp, api::kNone, [&](Environment& e, Problem& p) { return simplex::unscale_problem(e, p); });
}

KRVAPI int KRVcheckpfeas(KRVenv env, KRVprob lp, int* infeas_p) {
  return api::call(env, lp, api::kLongOperation, [&](Environment& e, Problem& p) {
    if (!infeas_p) return static_cast<int>(err::kNullPointer);
    if (int code = model::complete(e, p)) return code;
    return simplex::check_primal_feasibility(e, p, infeas_p);
  });
}

KRVAPI int KRVdualfarkas(KRVenv env, KRVprob lp, double* y, double* proof_p) {
  return api::call(env, lp, kQuery, [&](Environment& e, Problem& p) { return simplex::dual_farkas(e, p, y, proof_p); });
}

}  // extern "C"
