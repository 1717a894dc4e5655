#include "cli_network.h"

#include <cctype>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace korva_cli {
namespace {

std::string upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

bool ends_with(const std::string& s, const std::string& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

const char* status_text(int stat) {
  switch (stat) {
    case 1: return "optimal";
    case 2: return "unbounded";
    case 3: return "infeasible";
    case 4: return "infeasible or unbounded";
    case 10: return "iteration limit";
    case 11: return "time limit";
    case 13: return "aborted";
    case 25: return "deterministic time limit";
    default: return "no solution";
  }
}

std::string arc_name(KRVenv env, KRVnet net, int a) {
  char buf[1024];
  char* name = nullptr;
  int surplus = 0;
  if (KRVNETgetarcname(env, net, &name, buf, sizeof buf, &surplus, a, a) != 0 || !name)
    return "a" + std::to_string(a + 1);
  return name;
}

void print_flows(KRVenv env, KRVnet net) {
  const int arcs = KRVNETgetnumarcs(env, net);
  std::vector<double> x(static_cast<size_t>(arcs));
  if (arcs == 0 || KRVNETgetx(env, net, x.data(), 0, arcs - 1) != 0) return;
  std::printf("\nArc flows (nonzero):\n");
  for (int a = 0; a < arcs; ++a)
    if (x[a] != 0.0) std::printf("  %-20s %.10g\n", arc_name(env, net, a).c_str(), x[a]);
}

int failure(const char* what, int status) {
  std::fprintf(stderr, "korva: %s failed (error %d).\n", what, status);
  return kExitFailure;
}

int read_write_solve(const Options& o, KRVenv env, KRVnet net) {
  if (int status = KRVNETreadcopyprob(env, net, o.model.c_str())) return failure("reading the network", status);
  if (!o.write.empty())
    if (int status = KRVNETwriteprob(env, net, o.write.c_str(), nullptr))
      return failure("writing the network", status);
  if (!o.solve) return kExitOk;
  if (o.presolve_only || o.sensitivity) {
    std::fprintf(stderr, "korva: --presolve-only and --sensitivity are for LP models, not networks.\n");
    return kExitUsage;
  }
  const auto start = std::chrono::steady_clock::now();
  if (int status = KRVNETprimopt(env, net)) return failure("optimising the network", status);
  const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
  const int stat = KRVNETgetstat(env, net);
  double obj = 0.0;
  std::printf("\nNetwork    : %d nodes, %d arcs\n", KRVNETgetnumnodes(env, net), KRVNETgetnumarcs(env, net));
  std::printf("Status     : %s\n", status_text(stat));
  if (stat == 1 && KRVNETgetobjval(env, net, &obj) == 0) std::printf("Objective  : %.10e\n", obj);
  std::printf("Iterations : %d (phase 1: %d)\n", KRVNETgetitcnt(env, net), KRVNETgetphase1cnt(env, net));
  std::printf("Solve time : %.3f s\n", elapsed.count());
  if (o.print_solution && stat == 1) print_flows(env, net);
  if (!o.solution.empty())
    std::fprintf(stderr, "korva: --solution is for LP models; use --print-solution for network flows.\n");
  return kExitOk;
}

}  // namespace

bool is_network_model(const Options& o) {
  if (!o.type.empty()) {
    const std::string type = upper(o.type);
    return type.rfind("NET", 0) == 0 || type.rfind("MIN", 0) == 0;
  }
  std::string name = upper(o.model);
  for (const char* suffix : {".GZ", ".BZ2", ".Z"})
    if (ends_with(name, suffix)) {
      name.resize(name.size() - std::string(suffix).size());
      break;
    }
  return ends_with(name, ".NET") || ends_with(name, ".MIN");
}

int run_network(const Options& o, KRVenv env) {
  int status = 0;
  KRVnet net = KRVNETcreateprob(env, &status, "korva");
  if (!net) return failure("creating the network", status);
  const int code = read_write_solve(o, env, net);
  KRVNETfreeprob(env, &net);
  return code;
}

}  // namespace korva_cli
