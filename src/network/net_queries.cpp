#include "network/net_queries.h"

#include <cstring>
#include <string>
#include <vector>

#include "env/errors.h"
#include "model/name_list.h"

namespace korva::net {
namespace {

int check_out(const void* out, int begin, int end) {
  return !out && begin <= end ? err::kNullPointer : 0;
}

// Flow out minus flow in per node.
std::vector<double> net_outflow(const Network& net) {
  std::vector<double> out(static_cast<size_t>(net.num_nodes()), 0.0);
  for (int a = 0; a < net.num_arcs(); ++a) {
    out[net.arcs.tail[a]] += net.solution.flow[a];
    out[net.arcs.head[a]] -= net.solution.flow[a];
  }
  return out;
}

}  // namespace

int get_supply(Environment& env, Network& net, const char* fname, double* out, int begin, int end) {
  if (int s = check_out(out, begin, end)) return s;
  if (int s = check_range(&env, fname, begin, end, net.num_nodes())) return s;
  for (int i = begin; i <= end; ++i) out[i - begin] = net.nodes.supply[i];
  return 0;
}

int get_arc_values(Environment& env, Network& net, const char* fname, ArcField field, double* out,
                   int begin, int end) {
  if (int s = check_out(out, begin, end)) return s;
  if (int s = check_range(&env, fname, begin, end, net.num_arcs())) return s;
  for (int a = begin; a <= end; ++a) {
    switch (field) {
      case ArcField::Lower:
        out[a - begin] = net.arcs.lower[a];
        break;
      case ArcField::Upper:
        out[a - begin] = net.arcs.upper[a];
        break;
      case ArcField::Obj:
        out[a - begin] = net.arcs.cost[a] * net.sense;
        break;
    }
  }
  return 0;
}

int get_arc_nodes(Environment& env, Network& net, const char* fname, int* from, int* to, int begin,
                  int end) {
  if (int s = check_range(&env, fname, begin, end, net.num_arcs())) return s;
  for (int a = begin; a <= end; ++a) {
    if (from) from[a - begin] = net.arcs.tail[a];
    if (to) to[a - begin] = net.arcs.head[a];
  }
  return 0;
}

int get_node_arcs(Environment& env, Network& net, const char* fname, int64_t* count, int* arcbeg,
                  int* arcs, int64_t space, int64_t* surplus, int begin, int end) {
  if (!count || !surplus) return err::kNullPointer;
  if (int s = check_range(&env, fname, begin, end, net.num_nodes())) return s;
  std::vector<int64_t> per(static_cast<size_t>(end >= begin ? end - begin + 1 : 0), 0);
  int64_t needed = 0;
  for (int a = 0; a < net.num_arcs(); ++a) {
    const int t = net.arcs.tail[a];
    if (t >= begin && t <= end) {
      ++per[t - begin];
      ++needed;
    }
  }
  *count = needed;
  *surplus = space - needed;
  if (needed > space) return surplus_status(space, needed);
  if (begin <= end && (!arcbeg || (needed > 0 && !arcs))) return err::kNullPointer;
  int64_t pos = 0;
  std::vector<int64_t> fill(per.size());
  for (size_t k = 0; k < per.size(); ++k) {
    arcbeg[k] = static_cast<int>(pos);
    fill[k] = pos;
    pos += per[k];
  }
  for (int a = 0; a < net.num_arcs(); ++a) {
    const int t = net.arcs.tail[a];
    if (t >= begin && t <= end) arcs[fill[t - begin]++] = a;
  }
  return 0;
}

int get_names(Environment& env, Network& net, const char* fname, bool arcs, char** name,
              char* store, int64_t space, int64_t* surplus, int begin, int end) {
  if (!surplus) return err::kNullPointer;
  const NameStore& names = arcs ? net.arc_names : net.node_names;
  if (int s = check_range(&env, fname, begin, end, names.size())) return s;
  return model::write_name_list(
      env, begin, end, [&](int k) { return std::string(names.view(k)); }, name, store, space,
      surplus);
}

int find_name(Environment&, Network& net, bool arcs, const char* name_utf8, int* index) {
  if (!name_utf8 || !index) return err::kNullPointer;
  const NameStore& names = arcs ? net.arc_names : net.node_names;
  for (int64_t k = 0; k < names.size(); ++k) {
    if (std::strcmp(names.get(k), name_utf8) == 0) {
      *index = static_cast<int>(k);
      return 0;
    }
  }
  return -err::kNameNotFound;  // looking up is also a test: not printed
}

int get_problem_name(Environment& env, Network& net, char* buf, int64_t space, int64_t* surplus) {
  if (!surplus) return err::kNullPointer;
  std::string text;
  if (int s = utf8_to_api(env, net.name, text)) return s;
  const auto needed = static_cast<int64_t>(text.size()) + 1;
  *surplus = space - needed;
  if (needed > space) return surplus_status(space, needed);
  if (!buf) return err::kNullPointer;
  std::memcpy(buf, text.c_str(), static_cast<size_t>(needed));
  return 0;
}

bool has_solution(const Network& net) {
  return net.state >= kPhase1 && static_cast<int64_t>(net.solution.flow.size()) == net.arcs.size() &&
         static_cast<int64_t>(net.solution.potential.size()) == net.nodes.size();
}

int get_solution(Environment& env, Network& net, const char* fname, SolutionField field,
                 double* out, int begin, int end) {
  if (!has_solution(net)) return err::kNoSolution;
  if (int s = check_out(out, begin, end)) return s;
  const bool per_arc = field == SolutionField::Flow || field == SolutionField::ReducedCost;
  if (int s = check_range(&env, fname, begin, end, per_arc ? net.num_arcs() : net.num_nodes()))
    return s;
  const NetSolution& sol = net.solution;
  switch (field) {
    case SolutionField::Flow:
      for (int a = begin; a <= end; ++a) out[a - begin] = sol.flow[a];
      break;
    case SolutionField::Potential:
      for (int i = begin; i <= end; ++i) out[i - begin] = net.sense * sol.potential[i];
      break;
    case SolutionField::Slack: {
      const std::vector<double> outflow = net_outflow(net);
      for (int i = begin; i <= end; ++i) out[i - begin] = net.nodes.supply[i] - outflow[i];
      break;
    }
    case SolutionField::ReducedCost:
      for (int a = begin; a <= end; ++a) {
        const double d = net.arcs.cost[a] - sol.potential[net.arcs.tail[a]] +
                         sol.potential[net.arcs.head[a]];
        out[a - begin] = net.sense * d;
      }
      break;
  }
  return 0;
}

int get_objective(Network& net, double* obj) {
  if (!obj) return err::kNullPointer;
  if (!has_solution(net)) return err::kNoSolution;
  *obj = net.sense * net.objective;
  return 0;
}

int get_basis(Network& net, int* arc_status, int* node_status) {
  if (net.state == kNoSolution) return err::kNoBasis;
  for (int a = 0; arc_status && a < net.num_arcs(); ++a) {
    const int8_t st = net.arcs.status[a];
    arc_status[a] = st == kFixed || st == kArcGone ? static_cast<int>(kAtLower) : static_cast<int>(st);
  }
  for (int i = 0; node_status && i < net.num_nodes(); ++i) node_status[i] = net.nodes.artificial[i];
  return 0;
}

int copy_basis(Network& net, const int* arc_status, const int* node_status) {
  if (!arc_status || !node_status) return err::kNullPointer;
  for (int a = 0; a < net.num_arcs(); ++a)
    if (arc_status[a] < 0 || arc_status[a] > 3) return err::kBadBasisStatus;
  for (int i = 0; i < net.num_nodes(); ++i)
    if (node_status[i] != 0 && node_status[i] != 1) return err::kBadBasisStatus;
  for (int a = 0; a < net.num_arcs(); ++a) net.arcs.status[a] = static_cast<int8_t>(arc_status[a]);
  for (int i = 0; i < net.num_nodes(); ++i)
    net.nodes.artificial[i] = static_cast<int8_t>(node_status[i]);
  net.state = kStatusesReady;
  net.has_basis = true;
  net.solution = NetSolution{};
  return 0;
}

}  // namespace korva::net
