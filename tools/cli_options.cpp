#include "cli_options.h"

#include <korva/korva.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace korva_cli {
namespace {

const char* const kHelp =
    "Usage: korva MODEL [options]\n"
    "\n"
    "Reads MODEL (LP, MPS or SAV format, chosen by extension, --type or content;\n"
    "a .gz or .bz2 suffix is decompressed), optimises it and prints the solver\n"
    "log and a summary (status, objective, iterations, solve time). Network\n"
    "files (.net, .min, or --type NET / MIN) are solved by the network simplex.\n"
    "\n"
    "Options:\n"
    "  --method M           LP method: auto, primal, dual, barrier, network,\n"
    "                       sifting or concurrent (default auto)\n"
    "  --time-limit S       stop after S seconds\n"
    "  --threads N          use at most N threads (0: automatic)\n"
    "  --param NAME=VALUE   set any parameter by name (KRV_PARAM_EPRHS) or number\n"
    "                       (1016); repeatable\n"
    "  --params FILE        read a parameter (.prm) file before the --param settings\n"
    "  --type TYPE          model file type (LP, MPS, SAV, NET, MIN) when the name\n"
    "                       does not say\n"
    "  --write FILE         write the model to FILE, format by extension (.lp, .mps,\n"
    "                       .sav, optionally compressed .gz/.bz2)\n"
    "  --no-solve           only read (and --write) the model\n"
    "  --presolve-only      presolve the model and report what it removed\n"
    "                       (rows, columns, nonzeros, bounds tightened)\n"
    "  --solution FILE      write the solution to FILE: an XML solution file when\n"
    "                       FILE ends in .sol, otherwise status, objective, then\n"
    "                       one line per variable and per constraint dual value\n"
    "  --print-solution     print nonzero variable values and dual values\n"
    "  --sensitivity        print the ranges over which each cost, right-hand side\n"
    "                       and bound may move with the optimal basis unchanged\n"
    "  --quiet              print only the summary\n"
    "  --help               show this text\n"
    "  --version            show the library version\n"
    "\n"
    "Examples:\n"
    "  korva examples/models/diet.lp\n"
    "  korva model.mps.gz --method primal --param KRV_PARAM_PREIND=0\n"
    "  korva model.mps --write model.lp --no-solve\n"
    "\n"
    "Exit status: 0 when the model was read and optimised (whatever the solution\n"
    "status), 1 for a bad command line, 2 when the library reports an error,\n"
    "3 for a model the library cannot optimise yet.\n";

struct MethodName {
  const char* name;
  int number;
};

constexpr MethodName kMethods[] = {
    {"auto", KRV_ALG_AUTOMATIC}, {"primal", KRV_ALG_PRIMAL},   {"dual", KRV_ALG_DUAL},
    {"network", KRV_ALG_NET},    {"barrier", KRV_ALG_BARRIER}, {"sifting", KRV_ALG_SIFTING},
    {"concurrent", KRV_ALG_CONCURRENT},
};

int print_version() {
  int status = 0;
  KRVenv env = KRVopenKORVA(&status);
  std::printf("korva %s\n", env ? KRVversion(env) : "(library failed to start)");
  if (env) KRVcloseKORVA(&env);
  return env || status == 0 ? kExitOk : kExitFailure;
}

}  // namespace

int usage_error(const std::string& text) {
  std::fprintf(stderr, "korva: %s\nTry 'korva --help'.\n", text.c_str());
  return kExitUsage;
}

bool parse_double(const char* text, double& out) {
  char* end = nullptr;
  errno = 0;
  out = std::strtod(text, &end);
  return errno == 0 && end != text && *end == '\0';
}

bool parse_long(const char* text, long long& out) {
  char* end = nullptr;
  errno = 0;
  out = std::strtoll(text, &end, 10);
  return errno == 0 && end != text && *end == '\0';
}

int method_number(const std::string& method) {
  for (const MethodName& m : kMethods)
    if (method == m.name) return m.number;
  return -1;
}

int parse_args(int argc, char** argv, Options& o) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    // Options taking a value read it from the next argument.
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
      return print_version();
    } else if (arg == "--method") {
      if (!value(o.method)) return usage_error("--method needs a value");
    } else if (arg == "--time-limit") {
      if (!value(v) || !parse_double(v.c_str(), o.time_limit) || o.time_limit < 0)
        return usage_error("--time-limit needs a non-negative number of seconds");
    } else if (arg == "--threads") {
      long long n = 0;
      if (!value(v) || !parse_long(v.c_str(), n) || n < 0 || n > 1 << 20)
        return usage_error("--threads needs a non-negative count");
      o.threads = static_cast<int>(n);
    } else if (arg == "--param") {
      if (!value(v) || v.find('=') == std::string::npos || v.front() == '=')
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
    } else if (arg == "--presolve-only") {
      o.presolve_only = true;
    } else if (arg == "--print-solution") {
      o.print_solution = true;
    } else if (arg == "--sensitivity") {
      o.sensitivity = true;
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
  if (method_number(o.method) < 0) return usage_error("unknown method '" + o.method + "'");
  return -1;
}

}  // namespace korva_cli
