#include "network/hybrid.h"

#include <vector>

#include "env/channel.h"
#include "env/errors.h"
#include "model/model.h"
#include "network/net_edit.h"
#include "network/net_extract.h"
#include "network/net_solve.h"
#include "simplex/dispatch/algorithms.h"
#include "simplex/dispatch/simplex_driver.h"
#include "simplex/dispatch/unavailable.h"
#include "simplex/solution/lp_solution.h"

namespace korva::net {
namespace {

// The network states after which the tree is worth starting from.
bool tree_usable(int state) { return state != kNoSolution && state != kInfeasible && state != kUnbounded; }

}  // namespace

int hybrid_optimize(Environment& env, Problem& lp, int simplex) {
  if (int code = simplex::lp_problem_check(lp)) return code;
  const simplex::SimplexAlgorithm algorithm =
      simplex == simplex::kMethodPrimal ? simplex::primal_algorithm() : simplex::dual_algorithm();
  if (!algorithm) return simplex::unavailable_method(env, simplex);
  if (int code = model::complete(env, lp)) return code;

  int status = 0;
  OwnedNetwork net(create_network(env, lp.lp.name.c_str(), &status));
  if (!net) return status ? status : err::kNoMemory;
  NetworkPart part;
  if (int code = extract_network(env, lp, *net, part)) return code;
  // Nothing network-like: the simplex alone, with everything around it.
  if (part.num_nodes() == 0) return simplex::simplex_driver(env, lp, simplex);

  simplex::SimplexSettings settings = simplex::simplex_settings_from_params(env);
  if (settings.display >= 1)
    msg(env.results(), "Extracted network with %d nodes and %d arcs.\n", part.num_nodes(), part.num_arcs());
  if (int code = primal_optimize(env, *net)) return code;

  // A network that is infeasible or unbounded on its own says little about
  // the basis of the whole problem: the simplex then starts from its own.
  std::vector<int> cstat, rstat;
  bool started = false;
  if (tree_usable(net->state) && basis_from_network(lp, *net, part, cstat, rstat))
    started = model::copy_basis(env, lp, cstat.data(), rstat.data()) == 0;
  settings.advanced_start = started;
  settings.iteration_base = net->iterations;
  if (int code = simplex::run_simplex(env, lp, algorithm, simplex, settings)) return code;
  if (simplex::LpSolution* solution = simplex::find_lp_solution(lp)) {
    solution->method = simplex::kMethodNetwork;
    solution->iterations += net->iterations;
    solution->phase1_iterations += net->phase1_iterations;
  }
  return 0;
}

}  // namespace korva::net
