// korva: read a model file, optimise it, print the log and a summary.
//
//   korva MODEL [options]          see `korva --help`
#include <korva/korva.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "cli_network.h"
#include "cli_options.h"
#include "cli_report.h"
#include "cli_sensitivity.h"

namespace korva_cli {
namespace {

// Library errors have already reached standard error through the error
// channel; this line adds what the tool was doing.
int library_failure(const char* what, int status) {
  std::fprintf(stderr, "korva: %s failed (error %d).\n", what, status);
  return kExitFailure;
}

// NAME=VALUE with NAME a parameter name or number; the value is read as the
// parameter's type. Returns -1 on success, otherwise the exit code.
int set_param(KRVenv env, const std::string& setting) {
  const size_t eq = setting.find('=');
  const std::string name = setting.substr(0, eq);
  const std::string text = setting.substr(eq + 1);
  int number = 0;
  long long given_number = 0;
  if (parse_long(name.c_str(), given_number))
    number = static_cast<int>(given_number);
  else if (KRVgetparamnum(env, name.c_str(), &number) != 0)
    number = -1;
  int type = KRV_PARAMTYPE_NONE;
  if (number < 0 || KRVgetparamtype(env, number, &type) != 0 || type == KRV_PARAMTYPE_NONE) {
    std::fprintf(stderr, "korva: unknown parameter '%s'.\n", name.c_str());
    return kExitUsage;
  }
  long long integer = 0;
  double real = 0;
  int status = 0;
  if (type == KRV_PARAMTYPE_INT || type == KRV_PARAMTYPE_LONG) {
    if (!parse_long(text.c_str(), integer)) number = -1;
    else status = KRVsetlongparam(env, number, integer);
  } else if (type == KRV_PARAMTYPE_DOUBLE) {
    if (!parse_double(text.c_str(), real)) number = -1;
    else status = KRVsetdblparam(env, number, real);
  } else {
    status = KRVsetstrparam(env, number, text.c_str());
  }
  if (number < 0) {
    std::fprintf(stderr, "korva: '%s' is not a valid value for %s.\n", text.c_str(), name.c_str());
    return kExitUsage;
  }
  if (status) {
    std::fprintf(stderr, "korva: cannot set %s to %s.\n", name.c_str(), text.c_str());
    return kExitUsage;
  }
  return -1;
}

int apply_settings(KRVenv env, const Options& o) {
  if (!o.params_file.empty() && KRVreadcopyparam(env, o.params_file.c_str()) != 0)
    return kExitUsage;
  for (const std::string& p : o.params)
    if (int code = set_param(env, p); code >= 0) return code;
  if (o.time_limit >= 0 && KRVsetdblparam(env, KRV_PARAM_TILIM, o.time_limit) != 0)
    return kExitUsage;
  if (o.threads >= 0 && KRVsetintparam(env, KRV_PARAM_THREADS, o.threads) != 0) return kExitUsage;
  if (o.method != "auto" && KRVsetintparam(env, KRV_PARAM_LPMETHOD, method_number(o.method)) != 0)
    return kExitUsage;
  return -1;
}

void connect_channels(KRVenv env, bool quiet) {
  KRVchannel results = nullptr, warning = nullptr, error = nullptr;
  KRVgetchannels(env, &results, &warning, &error, nullptr);
  // Errors always reach the terminal; the log only without --quiet.
  KRVaddfpdest(env, error, stderr);
  if (!quiet) {
    KRVaddfpdest(env, results, stdout);
    KRVaddfpdest(env, warning, stdout);
  }
}

int solve(const Options& o, KRVenv env, KRVprob lp) {
  const int type = KRVgetprobtype(env, lp);
  const bool mip = type == KRVPROB_MILP;
  const bool qp = type == KRVPROB_QP;
  if (type != KRVPROB_LP && !mip && !qp) {
    std::fprintf(stderr,
                 "korva: '%s' has parts that cannot be optimised yet; linear, mixed-integer linear\n"
                 "and convex quadratic programs can.\n",
                 o.model.c_str());
    return kExitUnsupported;
  }
  const auto start = std::chrono::steady_clock::now();
  const int status = mip ? KRVmipopt(env, lp) : qp ? KRVqpopt(env, lp) : KRVlpopt(env, lp);
  const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
  if (status) return library_failure("optimising", status);
  if (mip) print_mip_summary(env, lp, elapsed.count());
  else print_summary(env, lp, elapsed.count());
  if (o.print_solution) print_solution(env, lp);
  if (o.sensitivity && !mip && !qp) print_sensitivity(env, lp);
  if (!o.solution.empty()) return write_solution_file(env, lp, o.solution);
  return kExitOk;
}

int run(const Options& o, KRVenv env) {
  connect_channels(env, o.quiet);
  if (int code = apply_settings(env, o); code >= 0) return code;
  if (is_network_model(o)) return run_network(o, env);
  int status = 0;
  KRVprob lp = KRVcreateprob(env, &status, "korva");
  if (!lp) return library_failure("creating the problem", status);
  int code = kExitOk;
  status = KRVreadcopyprob(env, lp, o.model.c_str(), o.type.empty() ? nullptr : o.type.c_str());
  if (status) code = library_failure("reading the model", status);
  if (code == kExitOk && !o.write.empty()) {
    status = KRVwriteprob(env, lp, o.write.c_str(), nullptr);
    if (status) code = library_failure("writing the model", status);
  }
  if (code == kExitOk && o.presolve_only) {
    status = KRVpresolve(env, lp, KRV_ALG_DUAL);
    if (status) code = library_failure("presolving", status);
    else print_presolve_report(env, lp);
  } else if (code == kExitOk && o.solve) {
    code = solve(o, env, lp);
  }
  KRVfreeprob(env, &lp);
  return code;
}

}  // namespace
}  // namespace korva_cli

int main(int argc, char** argv) {
  using namespace korva_cli;
  Options options;
  if (int code = parse_args(argc, argv, options); code >= 0) return code;
  int status = 0;
  KRVenv env = KRVopenKORVA(&status);
  if (!env) return library_failure("opening an environment", status);
  const int code = run(options, env);
  std::fflush(stdout);
  KRVcloseKORVA(&env);
  return code;
}
