// Command line of the korva tool: what the user asked for, parsed and
// checked before any model is read.
#pragma once
#include <string>
#include <vector>

namespace korva_cli {

constexpr int kExitOk = 0;
constexpr int kExitUsage = 1;        // bad command line or bad setting
constexpr int kExitFailure = 2;      // the library reported an error
constexpr int kExitUnsupported = 3;  // a model the library cannot optimise yet

struct Options {
  std::string model;
  std::string method = "auto";
  std::string type;
  std::string write;
  std::string solution;
  std::string params_file;
  std::vector<std::string> params;  // NAME=VALUE, in command-line order
  double time_limit = -1;           // negative: not given
  int threads = -1;                 // negative: not given
  bool solve = true;
  bool presolve_only = false;
  bool print_solution = false;
  bool sensitivity = false;
  bool quiet = false;
};

// Returns -1 when the tool should go on, otherwise the exit code (after
// printing help, the version or a usage error).
int parse_args(int argc, char** argv, Options& options);

// KRV_ALG_* number of a --method name accepted by parse_args.
int method_number(const std::string& method);

int usage_error(const std::string& text);
bool parse_double(const char* text, double& out);
bool parse_long(const char* text, long long& out);

}  // namespace korva_cli
