// korva: read a model file, optimise it, print the log and a summary.
//
//   korva MODEL [options]          see `korva --help`
#include <korva/korva.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int kExitOk = 0;
constexpr int kExitUsage = 1;      // bad command line
constexpr int kExitFailure = 2;    // the library reported an error
constexpr int kExitUnsupported = 3;

const char* const kHelp =
    "Usage: korva MODEL [options]\n"
    "\n"
    "Reads MODEL (LP, MPS or SAV format, chosen by extension, --type or content;\n"
    "a .gz or .bz2 suffix is decompressed), optimises it and prints the solver\n"
    "log and a summary (status, objective, iterations, solve time).\n"
    "\n"
    "Options:\n"
    "  --method M           LP method: auto, primal, dual, barrier, network or\n"
    "                       concurrent (default auto)\n"
    "  --time-limit S       stop after S seconds\n"
    "  --threads N          use at most N threads (0: automatic)\n"
    "  --param NAME=VALUE   set any parameter by name (KRV_PARAM_EPRHS) or number\n"
    "                       (1016); repeatable\n"
    "  --params FILE        read a parameter (.prm) file before the --param settings\n"
    "  --type TYPE          model file type (LP, MPS, SAV) when the name does not say\n"
    "  --write FILE         write the model to FILE, format by extension (.lp, .mps,\n"
    "                       .sav, optionally compressed .gz/.bz2)\n"
    "  --no-solve           only read (and --write) the model\n"
    "  --solution FILE      write the solution to FILE\n"
    "  --print-solution     print nonzero variable values and dual values\n"
    "  --quiet              print only the summary\n"
    "  --help               show this text\n"
    "  --version            show the library version\n"
    "\n"
    "Exit status: 0 when the model was read and optimised (whatever the solution\n"
    "status), 1 for a bad command line, 2 when the library reports an error,\n"
    "3 for a model the library cannot optimise yet.\n";

struct Options {
  std::string model;
  std::string method = "auto";
  std::string type;
  std::string write;
  std::string solution;
  std::string params_file;
  std::vector<std::string> params;
  double time_limit = -1;
  int threads = -1;
  bool solve = true;
  bool print_solution = false;
  bool quiet = false;
};

int usage_error(const std::string& text) {
  std::fprintf(stderr, "korva: %s\nTry 'korva --help'.\n", text.c_str());
  return kExitUsage;
}

bool parse_double(const char* s, double& out) {
  char* end = nullptr;
  errno = 0;
  out = std::strtod(s, &end);
  return errno == 0 && end != s && *end == '\0';
}

bool parse_long(const char* s, long long& out) {
  char* end = nullptr;
  errno = 0;
  out = std::strtoll(s, &end, 10);
  return errno == 0 && end != s && *end == '\0';
}

// Returns -1 to continue, otherwise the exit code.
int parse_args(int argc, char** argv, Options& o) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&](std::string& out) {
      if (i + 1 >= argc) return false;
      out = argv[++i];
      return true;
    };
    std::string v;
    if (arg == "--help" || arg == "-h") {
      std::fputs(kHelp, stdout);
      return kExitOk;
    } else if (arg == "--version") {
      int status = 0;
      KRVenv env = KRVopenKORVA(&status);
      std::printf("korva %s\n", env ? KRVversion(env) : "?");
      if (env) KRVcloseKORVA(&env);
      return kExitOk;
    } else if (arg == "--method") {
      if (!value(o.method)) return usage_error("--method needs a value");
    } else if (arg == "--time-limit") {
      if (!value(v) || !parse_double(v.c_str(), o.time_limit) || o.time_limit < 0)
        return usage_error("--time-limit needs a number of seconds");
    } else if (arg == "--threads") {
      long long n = 0;
      if (!value(v) || !parse_long(v.c_str(), n) || n < 0 || n > 100000)
        return usage_error("--threads needs a non-negative count");
      o.threads = static_cast<int>(n);
    } else if (arg == "--param") {
      if (!value(v) || v.find('=') == std::string::npos)
        return usage_error("--param needs NAME=VALUE");
      o.params.push_back(v);
    } else if (arg == "--params") {
      if (!value(o.params_file)) return usage_error("--params needs a file name");
    } else if (arg == "--type") {
      if (!value(o.type)) return usage_error("--type needs a value");
    } else if (arg == "--write") {
      if (!value(o.write)) return usage_error("--write needs a file name");
    } else if (arg == "--solution") {
      if (!value(o.solution)) return usage_error("--solution needs a file name");
    } else if (arg == "--no-solve") {
      o.solve = false;
    } else if (arg == "--print-solution") {
      o.print_solution = true;
    } else if (arg == "--quiet" || arg == "-q") {
      o.quiet = true;
    } else if (arg.size() > 1 && arg[0] == '-') {
      return usage_error("unknown option '" + arg + "'");
    } else if (o.model.empty()) {
      o.model = arg;
    } else {
      return usage_error("more than one model file given ('" + o.model + "' and '" + arg + "')");
    }
  }
  if (o.model.empty()) return usage_error("no model file given");
  static const char* const kMethods[] = {"auto", "primal", "dual", "network", "barrier", "sifting",
                                         "concurrent"};
  bool known = false;
  for (const char* m : kMethods) known = known || o.method == m;
  if (!known) return usage_error("unknown method '" + o.method + "'");
  return -1;
}

// Library errors already reached standard error through the error channel;
// this adds what the tool was doing.
int library_failure(const char* what, int status) {
  std::fprintf(stderr, "korva: %s failed (error %d).\n", what, status);
  return kExitFailure;
}

int set_param(KRVenv env, const std::string& setting) {
  const size_t eq = setting.find('=');
  const std::string name = setting.substr(0, eq);
  const std::string text = setting.substr(eq + 1);
  int number = 0;
  long long as_number = 0;
  if (parse_long(name.c_str(), as_number)) {
    number = static_cast<int>(as_number);
  } else if (KRVgetparamnum(env, name.c_str(), &number) != 0) {
    std::fprintf(stderr, "korva: unknown parameter '%s'.\n", name.c_str());
    return kExitUsage;
  }
  int type = 0;
  if (KRVgetparamtype(env, number, &type) != 0 || type == KRV_PARAMTYPE_NONE) {
    std::fprintf(stderr, "korva: unknown parameter '%s'.\n", name.c_str());
    return kExitUsage;
  }
  int status = 0;
  long long l = 0;
  double d = 0;
  switch (type) {
    case KRV_PARAMTYPE_INT:
      if (!parse_long(text.c_str(), l)) break;
      status = KRVsetlongparam(env, number, l);
      return status ? kExitUsage : -1;
    case KRV_PARAMTYPE_LONG:
      if (!parse_long(text.c_str(), l)) break;
      status = KRVsetlongparam(env, number, l);
      return status ? kExitUsage : -1;
    case KRV_PARAMTYPE_DOUBLE:
      if (!parse_double(text.c_str(), d)) break;
      status = KRVsetdblparam(env, number, d);
      return status ? kExitUsage : -1;
    default:
      status = KRVsetstrparam(env, number, text.c_str());
      return status ? kExitUsage : -1;
  }
  std::fprintf(stderr, "korva: '%s' is not a valid value for %s.\n", text.c_str(), name.c_str());
  return kExitUsage;
}

int method_number(const std::string& m) {
  if (m == "primal") return 1;
  if (m == "dual") return 2;
  if (m == "network") return 3;
  if (m == "barrier") return 4;
  if (m == "sifting") return 5;
  if (m == "concurrent") return 6;
  return 0;
}

void print_solution(KRVenv env, KRVprob lp) {
  const int ncols = KRVgetnumcols(env, lp);
  const int nrows = KRVgetnumrows(env, lp);
  std::vector<double> x(ncols), pi(nrows);
  if (ncols == 0 || KRVgetx(env, lp, x.data(), 0, ncols - 1) != 0) return;
  const bool have_duals = nrows > 0 && KRVgetpi(env, lp, pi.data(), 0, nrows - 1) == 0;
  auto name_of = [&](bool row, int i) {
    char buf[1024];
    char* ptr = nullptr;
    int surplus = 0;
    const int status = row ? KRVgetrowname(env, lp, &ptr, buf, sizeof buf, &surplus, i, i)
                           : KRVgetcolname(env, lp, &ptr, buf, sizeof buf, &surplus, i, i);
    if (status != 0) return std::string(row ? "c" : "x") + std::to_string(i + 1);
    return std::string(ptr);
  };
  std::printf("\n%-24s %20s\n", "Variable", "Value");
  for (int j = 0; j < ncols; ++j)
    if (x[j] != 0.0) std::printf("%-24s %20.10g\n", name_of(false, j).c_str(), x[j]);
  if (have_duals) {
    std::printf("\n%-24s %20s\n", "Constraint", "Dual value");
    for (int i = 0; i < nrows; ++i)
      if (pi[i] != 0.0) std::printf("%-24s %20.10g\n", name_of(true, i).c_str(), pi[i]);
  }
}

int write_solution_text(KRVenv env, KRVprob lp, const std::string& file) {
  FILE* f = std::fopen(file.c_str(), "w");
  if (!f) {
    std::fprintf(stderr, "korva: cannot write '%s'.\n", file.c_str());
    return kExitFailure;
  }
  char text[KRV_MESSAGEBUFSIZE];
  const int stat = KRVgetstat(env, lp);
  double obj = 0;
  KRVgetobjval(env, lp, &obj);
  std::fprintf(f, "status %d %s\nobjective %.17g\n", stat,
               KRVgetstatstring(env, stat, text) ? text : "unknown", obj);
  const int ncols = KRVgetnumcols(env, lp);
  std::vector<double> x(ncols);
  if (ncols > 0 && KRVgetx(env, lp, x.data(), 0, ncols - 1) == 0)
    for (int j = 0; j < ncols; ++j) std::fprintf(f, "x %d %.17g\n", j, x[j]);
  const int nrows = KRVgetnumrows(env, lp);
  std::vector<double> pi(nrows);
  if (nrows > 0 && KRVgetpi(env, lp, pi.data(), 0, nrows - 1) == 0)
    for (int i = 0; i < nrows; ++i) std::fprintf(f, "pi %d %.17g\n", i, pi[i]);
  return std::fclose(f) == 0 ? kExitOk : kExitFailure;
}

int run(const Options& o, KRVenv env) {
  KRVchannel results = nullptr, warning = nullptr, error = nullptr;
  KRVgetchannels(env, &results, &warning, &error, nullptr);
  // Errors always reach the terminal; the log only without --quiet.
  KRVaddfpdest(env, error, stderr);
  if (!o.quiet) {
    KRVaddfpdest(env, results, stdout);
    KRVaddfpdest(env, warning, stdout);
  }
  if (!o.params_file.empty() && KRVreadcopyparam(env, o.params_file.c_str()) != 0)
    return kExitUsage;
  for (const std::string& p : o.params)
    if (int code = set_param(env, p); code >= 0) return code;
  if (o.time_limit >= 0 && KRVsetdblparam(env, KRV_PARAM_TILIM, o.time_limit) != 0)
    return kExitUsage;
  if (o.threads >= 0 && KRVsetintparam(env, KRV_PARAM_THREADS, o.threads) != 0) return kExitUsage;
  if (o.method != "auto" && KRVsetintparam(env, KRV_PARAM_LPMETHOD, method_number(o.method)) != 0)
    return kExitUsage;

  int status = 0;
  KRVprob lp = KRVcreateprob(env, &status, "korva");
  if (!lp) return library_failure("creating the problem", status);
  status = KRVreadcopyprob(env, lp, o.model.c_str(), o.type.empty() ? nullptr : o.type.c_str());
  if (status) return library_failure("reading the model", status);
  if (!o.write.empty()) {
    status = KRVwriteprob(env, lp, o.write.c_str(), nullptr);
    if (status) return library_failure("writing the model", status);
  }
  if (!o.solve) return kExitOk;

  const int type = KRVgetprobtype(env, lp);
  if (type != KRVPROB_LP) {
    std::fprintf(stderr,
                 "korva: '%s' has integer, quadratic or other non-linear parts; only linear\n"
                 "programs can be optimised so far (branch-and-cut is not available yet).\n",
                 o.model.c_str());
    return kExitUnsupported;
  }
  const auto start = std::chrono::steady_clock::now();
  status = KRVlpopt(env, lp);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (status) return library_failure("optimising", status);

  const int stat = KRVgetstat(env, lp);
  char text[KRV_MESSAGEBUFSIZE];
  double obj = 0;
  const bool have_obj = KRVgetobjval(env, lp, &obj) == 0;
  std::printf("\nStatus     : %s\n", KRVgetstatstring(env, stat, text) ? text : "unknown");
  if (have_obj) std::printf("Objective  : %.10e\n", obj);
  std::printf("Iterations : %d\n", KRVgetitcnt(env, lp));
  std::printf("Solve time : %.3f s\n", seconds);
  if (o.print_solution) print_solution(env, lp);
  if (!o.solution.empty()) return write_solution_text(env, lp, o.solution);
  return kExitOk;
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  if (int code = parse_args(argc, argv, o); code >= 0) return code;
  int status = 0;
  KRVenv env = KRVopenKORVA(&status);
  if (!env) return library_failure("opening an environment", status);
  const int code = run(o, env);
  std::fflush(stdout);
  KRVcloseKORVA(&env);
  return code;
}
