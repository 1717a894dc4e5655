// One generated network solved by the network simplex and, with --lp, by
// the dual simplex on its LP form:
//
//   network_bench KIND ARCS SEED [--lp] [--pricing N] [--repeat R] [--log] [--digest]
//
// KIND is transshipment, transportation or assignment. Prints one line per
// solver: name, seconds, objective, iterations. --repeat solves the network
// R times (a fresh object each time; the seconds are their sum), for
// profiling small instances. --log prints the network simplex's iteration
// log on standard output; --digest prints a hash of the flows, potentials,
// reduced costs and basis, which changes with any change of the pivots.
#include <korva/korva.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "network_instances.h"

namespace {

double seconds_since(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// FNV-1a over the bytes of the values.
struct Digest {
  uint64_t h = 1469598103934665603ull;
  template <class T>
  void add(const std::vector<T>& values) {
    const auto* p = reinterpret_cast<const unsigned char*>(values.data());
    for (size_t k = 0; k < values.size() * sizeof(T); ++k) h = (h ^ p[k]) * 1099511628211ull;
  }
};

uint64_t solution_digest(KRVenv env, KRVnet net, const netgen::Instance& g) {
  std::vector<double> x(g.arcs()), dj(g.arcs()), pi(g.nodes);
  std::vector<int> astat(g.arcs()), nstat(g.nodes);
  KRVNETgetx(env, net, x.data(), 0, g.arcs() - 1);
  KRVNETgetdj(env, net, dj.data(), 0, g.arcs() - 1);
  KRVNETgetpi(env, net, pi.data(), 0, g.nodes - 1);
  KRVNETgetbase(env, net, astat.data(), nstat.data());
  Digest d;
  d.add(x);
  d.add(dj);
  d.add(pi);
  d.add(astat);
  d.add(nstat);
  return d.h;
}

int solve_network(KRVenv env, const netgen::Instance& g, int repeat, bool digest) {
  double t = 0.0;
  for (int r = 0; r < repeat; ++r) {
    int status = 0;
    KRVnet net = KRVNETcreateprob(env, &status, "bench");
    if (KRVNETcopynet(env, net, KRV_MIN, g.nodes, g.supply.data(), nullptr, g.arcs(), g.from.data(), g.to.data(),
                      g.lower.data(), g.upper.data(), g.cost.data(), nullptr))
      return 1;
    const auto start = std::chrono::steady_clock::now();
    if (KRVNETprimopt(env, net)) return 1;
    t += seconds_since(start);
    if (r + 1 == repeat) {
      double obj = 0.0;
      KRVNETgetobjval(env, net, &obj);
      std::printf("korva_network %.3f %.10g %d status=%d phase1=%d\n", t, obj, KRVNETgetitcnt(env, net),
                  KRVNETgetstat(env, net), KRVNETgetphase1cnt(env, net));
      if (digest)
        std::printf("korva_digest %016llx\n", static_cast<unsigned long long>(solution_digest(env, net, g)));
    }
    KRVNETfreeprob(env, &net);
  }
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
  bool lp = false, log = false, digest = false;
  int pricing = -1, repeat = 1;
  for (int k = 4; k < argc; ++k) {
    if (std::string(argv[k]) == "--lp") lp = true;
    if (std::string(argv[k]) == "--pricing" && k + 1 < argc) pricing = std::atoi(argv[++k]);
    if (std::string(argv[k]) == "--repeat" && k + 1 < argc) repeat = std::max(1, std::atoi(argv[++k]));
    if (std::string(argv[k]) == "--log") log = true;
    if (std::string(argv[k]) == "--digest") digest = true;
  }
  int status = 0;
  KRVenv env = KRVopenKORVA(&status);
  if (!env) return 1;
  KRVsetintparam(env, KRV_PARAM_NETDISPLAY, log ? 2 : 0);
  if (log) KRVsetlogfile(env, stdout);
  KRVsetintparam(env, KRV_PARAM_SIMDISPLAY, 0);
  if (pricing >= 0) KRVsetintparam(env, KRV_PARAM_NETPPRIIND, pricing);
  int code = solve_network(env, g, repeat, digest);
  if (code == 0 && lp) code = solve_lp_form(env, g);
  KRVcloseKORVA(&env);
  return code;
}
