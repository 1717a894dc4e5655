// One generated network solved by the network simplex and, with --lp, by
// the dual simplex on its LP form:
//
//   network_bench KIND ARCS SEED [--lp] [--pricing N]
//
// KIND is transshipment, transportation or assignment. Prints one line per
// solver: name, seconds, objective, iterations.
#include <korva/korva.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "network_instances.h"

namespace {

double seconds_since(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

int solve_network(KRVenv env, const netgen::Instance& g) {
  int status = 0;
  KRVnet net = KRVNETcreateprob(env, &status, "bench");
  if (KRVNETcopynet(env, net, KRV_MIN, g.nodes, g.supply.data(), nullptr, g.arcs(), g.from.data(), g.to.data(),
                    g.lower.data(), g.upper.data(), g.cost.data(), nullptr))
    return 1;
  const auto start = std::chrono::steady_clock::now();
  if (KRVNETprimopt(env, net)) return 1;
  const double t = seconds_since(start);
  double obj = 0.0;
  KRVNETgetobjval(env, net, &obj);
  std::printf("korva_network %.3f %.10g %d status=%d phase1=%d\n", t, obj, KRVNETgetitcnt(env, net),
              KRVNETgetstat(env, net), KRVNETgetphase1cnt(env, net));
  KRVNETfreeprob(env, &net);
  return 0;
}

int solve_lp_form(KRVenv env, const netgen::Instance& g) {
  int status = 0;
  KRVnet net = KRVNETcreateprob(env, &status, "bench");
  KRVprob lp = KRVcreateprob(env, &status, "bench");
  if (KRVNETcopynet(env, net, KRV_MIN, g.nodes, g.supply.data(), nullptr, g.arcs(), g.from.data(), g.to.data(),
                    g.lower.data(), g.upper.data(), g.cost.data(), nullptr) ||
      KRVcopynettolp(env, lp, net))
    return 1;
  KRVNETfreeprob(env, &net);
  const auto start = std::chrono::steady_clock::now();
  if (KRVdualopt(env, lp)) return 1;
  const double t = seconds_since(start);
  double obj = 0.0;
  KRVgetobjval(env, lp, &obj);
  std::printf("korva_dual_lp %.3f %.10g %d status=%d\n", t, obj, KRVgetitcnt(env, lp), KRVgetstat(env, lp));
  KRVfreeprob(env, &lp);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  netgen::Kind kind;
  if (argc < 4 || !netbench::kind_of(argv[1], kind)) {
    std::fprintf(stderr, "usage: network_bench KIND ARCS SEED [--lp] [--pricing N]\n");
    return 1;
  }
  const netgen::Instance g = netbench::instance(kind, std::atoi(argv[2]), std::strtoull(argv[3], nullptr, 10));
  bool lp = false;
  int pricing = -1;
  for (int k = 4; k < argc; ++k) {
    if (std::string(argv[k]) == "--lp") lp = true;
    if (std::string(argv[k]) == "--pricing" && k + 1 < argc) pricing = std::atoi(argv[++k]);
  }
  int status = 0;
  KRVenv env = KRVopenKORVA(&status);
  if (!env) return 1;
  KRVsetintparam(env, KRV_PARAM_NETDISPLAY, 0);
  KRVsetintparam(env, KRV_PARAM_SIMDISPLAY, 0);
  if (pricing >= 0) KRVsetintparam(env, KRV_PARAM_NETPPRIIND, pricing);
  int code = solve_network(env, g);
  if (code == 0 && lp) code = solve_lp_form(env, g);
  KRVcloseKORVA(&env);
  return code;
}
