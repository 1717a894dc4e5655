// One run of the robustness sweep (bench/robustness.py): reads an LP,
// rewrites it into an equivalent model (permuted, rescaled rows and
// columns), solves it and prints one line that the sweep parses:
//
//   status=1 objective=-464.753142857 iterations=123 seconds=0.012
//     primal_violation=1e-12 dual_violation=3e-14 warnings=0
//
//   robustness_run MODEL [--seed S] [--permute] [--scale E]
//                  [--method auto|primal|dual] [--param NAME=VALUE]...
//                  [--log FILE]
//
// --scale E multiplies rows and columns by factors 10^u, u uniform in
// [-E, E]. The violations are measured on the rewritten model's data,
// independently of the library's own quality report.
#include <korva/korva.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "support/model_transform.h"

namespace {

struct Options {
  std::string model, method = "auto", log;
  korva_test::TransformOptions transform;
  std::vector<std::pair<std::string, std::string>> params;
};

[[noreturn]] void usage() {
  std::fprintf(stderr,
               "usage: robustness_run MODEL [--seed S] [--permute] [--scale E] "
               "[--method auto|primal|dual] [--param NAME=VALUE]... [--log FILE]\n");
  std::exit(1);
}

Options parse(int argc, char** argv) {
  Options o;
  for (int k = 1; k < argc; ++k) {
    const std::string a = argv[k];
    auto value = [&]() -> std::string {
      if (k + 1 >= argc) usage();
      return argv[++k];
    };
    if (a == "--seed") {
      o.transform.seed = std::strtoull(value().c_str(), nullptr, 10);
    } else if (a == "--permute") {
      o.transform.permute = true;
    } else if (a == "--scale") {
      o.transform.scale_exponent = std::atof(value().c_str());
    } else if (a == "--method") {
      o.method = value();
    } else if (a == "--log") {
      o.log = value();
    } else if (a == "--param") {
      const std::string setting = value();
      const size_t eq = setting.find('=');
      if (eq == std::string::npos) usage();
      o.params.emplace_back(setting.substr(0, eq), setting.substr(eq + 1));
    } else if (o.model.empty() && a[0] != '-') {
      o.model = a;
    } else {
      usage();
    }
  }
  if (o.model.empty()) usage();
  return o;
}

int set_param(KRVenv env, const std::string& name, const std::string& text) {
  int number = std::atoi(name.c_str());
  if (number == 0 && KRVgetparamnum(env, name.c_str(), &number) != 0) return 1;
  int type = 0;
  if (KRVgetparamtype(env, number, &type) != 0) return 1;
  if (type == KRV_PARAMTYPE_INT) return KRVsetintparam(env, number, std::atoi(text.c_str()));
  if (type == KRV_PARAMTYPE_LONG) return KRVsetlongparam(env, number, std::atoll(text.c_str()));
  if (type == KRV_PARAMTYPE_DOUBLE) return KRVsetdblparam(env, number, std::atof(text.c_str()));
  return KRVsetstrparam(env, number, text.c_str());
}

void count_line(void* handle, const char*) { ++*static_cast<int*>(handle); }

int fail(const char* what, int code) {
  std::printf("status=error error=%d where=%s\n", code, what);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  const Options o = parse(argc, argv);
  int code = 0;
  KRVenv env = KRVopenKORVA(&code);
  if (!env) return fail("open", code);
  int warnings = 0;
  KRVchannel results, warning, error, log;
  KRVgetchannels(env, &results, &warning, &error, &log);
  KRVaddfuncdest(env, warning, &warnings, count_line);
  FILE* log_file = o.log.empty() ? nullptr : std::fopen(o.log.c_str(), "w");
  if (log_file) {
    KRVaddfpdest(env, results, log_file);
    KRVaddfpdest(env, warning, log_file);
    KRVaddfpdest(env, error, log_file);
  }
  for (const auto& [name, value] : o.params)
    if (int c = set_param(env, name, value)) return fail("param", c);

  KRVprob original = KRVcreateprob(env, &code, "original");
  if ((code = KRVreadcopyprob(env, original, o.model.c_str(), nullptr))) return fail("read", code);
  korva_test::LpArrays arrays;
  if ((code = arrays.read(env, original))) return fail("arrays", code);
  const korva_test::LpArrays rewritten =
      korva_test::apply_transform(arrays, korva_test::make_transform(arrays.n, arrays.m, o.transform));
  warnings = 0;  // the reader's warnings are not the solver's
  KRVprob lp = KRVcreateprob(env, &code, "rewritten");
  if ((code = rewritten.copy_into(env, lp))) return fail("copy", code);

  const auto start = std::chrono::steady_clock::now();
  if (o.method == "primal")
    code = KRVprimopt(env, lp);
  else if (o.method == "dual")
    code = KRVdualopt(env, lp);
  else
    code = KRVlpopt(env, lp);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (code) return fail("optimize", code);

  const int status = KRVgetstat(env, lp);
  double objective = 0;
  std::vector<double> x(arrays.n), pi(arrays.m);
  korva_test::Violations v{-1, -1};
  if (KRVgetobjval(env, lp, &objective) == 0 && KRVgetx(env, lp, x.data(), 0, arrays.n - 1) == 0 &&
      (arrays.m == 0 || KRVgetpi(env, lp, pi.data(), 0, arrays.m - 1) == 0))
    v = korva_test::measure(rewritten, x, pi);
  // An infeasibility claimed by the dual simplex comes with its proof: the
  // gap the ray opens between the rows and the bounds (positive: proven).
  double proof = 0;
  std::vector<double> ray(arrays.m);
  const bool has_proof = status == 3 && KRVdualfarkas(env, lp, ray.data(), &proof) == 0;
  std::printf("status=%d objective=%.17g iterations=%lld seconds=%.4f primal_violation=%.3g "
              "dual_violation=%.3g warnings=%d",
              status, objective, KRVLgetitcnt(env, lp), seconds, v.primal, v.dual, warnings);
  if (has_proof) std::printf(" farkas_proof=%.3g", proof);
  std::printf("\n");
  KRVfreeprob(env, &lp);
  KRVfreeprob(env, &original);
  KRVcloseKORVA(&env);
  if (log_file) std::fclose(log_file);
  return 0;
}
