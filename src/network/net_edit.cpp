#include "network/net_edit.h"

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "env/errors.h"

namespace korva::net {
namespace {

void destroy_record(ObjectHeader* header) {
  auto* net = static_cast<Network*>(header);
  net->self = nullptr;
  delete net;
}

int check_indices(const int* indices, int count, int limit) {
  for (int k = 0; k < count; ++k)
    if (indices[k] < 0 || indices[k] >= limit) return err::kIndexRange;
  return 0;
}

int check_nodes(const int* nodes, int count, int num_nodes) {
  return nodes ? check_indices(nodes, count, num_nodes) : err::kNullPointer;
}

void append_names(NameStore& store, char letter, int64_t first, int count,
                  const char* const* names) {
  int64_t bytes = 0;
  for (int k = 0; k < count; ++k)
    bytes += names && names[k] ? static_cast<int64_t>(std::strlen(names[k])) + 1
                               : NameStore::default_length(first + k);
  store.reserve_more(count, bytes);
  for (int k = 0; k < count; ++k) {
    if (names && names[k])
      store.append(names[k]);
    else
      store.append_default(letter, first + k);
  }
}

// Keeps the entries whose map value is not negative, in order.
template <class T>
void compact(std::vector<T>& v, const std::vector<int>& map) {
  size_t kept = 0;
  for (size_t i = 0; i < v.size(); ++i)
    if (map[i] >= 0) v[kept++] = v[i];
  v.resize(kept);
}

// Removes the flagged nodes and arcs (arcs meeting a removed node too).
// Fills the new indices (-1 for removed items).
void remove_items(Network& net, std::vector<int>& node_map, std::vector<int>& arc_map) {
  int next = 0;
  for (int& m : node_map) m = m ? -1 : next++;
  next = 0;
  for (int a = 0; a < net.num_arcs(); ++a) {
    const bool gone = arc_map[a] || node_map[net.arcs.tail[a]] < 0 || node_map[net.arcs.head[a]] < 0;
    arc_map[a] = gone ? -1 : next++;
  }
  ArcArrays& arcs = net.arcs;
  for (int a = 0; a < net.num_arcs(); ++a) {
    if (arc_map[a] < 0) continue;
    arcs.tail[a] = node_map[arcs.tail[a]];
    arcs.head[a] = node_map[arcs.head[a]];
  }
  compact(arcs.cost, arc_map);
  compact(arcs.lower, arc_map);
  compact(arcs.upper, arc_map);
  compact(arcs.head, arc_map);
  compact(arcs.tail, arc_map);
  compact(arcs.status, arc_map);
  compact(net.nodes.supply, node_map);
  compact(net.nodes.artificial, node_map);
  net.arc_names.renumber(arc_map.data());
  net.node_names.renumber(node_map.data());
  net.arc_names.compact();
  net.node_names.compact();
  net.state = net.num_nodes() == 0 && net.num_arcs() == 0 ? kNoSolution : kStatusesReady;
  if (net.state == kNoSolution) net.has_basis = false;
  net.solution = NetSolution{};
}

}  // namespace

Network* create_network(Environment& env, const char* name_utf8, int* status) {
  int code = 0;
  Network* out = nullptr;
  if (!name_utf8) {
    code = err::kNullPointer;
  } else {
    try {
      auto net = std::make_unique<Network>();
      net->self = net.get();
      net->root_env = env.root();
      net->created_in = &env;
      net->destroy = destroy_record;
      net->name = name_utf8;
      net->arc_names.make_defaults(0, 'a');
      net->node_names.make_defaults(0, 'n');
      net->opt_tol = env.dbl_param(KRV_PARAM_NETEPOPT);
      net->feas_tol = env.dbl_param(KRV_PARAM_NETEPRHS);
      net->display = env.int_param(KRV_PARAM_NETDISPLAY);
      track_object(env, ObjectKind::NetworkProblem, net.get());
      out = net.release();
    } catch (...) {
      code = err::kNoMemory;
    }
  }
  if (status) *status = code;
  return out;
}

void free_network(Network* net) {
  if (!net) return;
  if (net->created_in) untrack_object(*net->created_in, net);
  destroy_record(net);
}

void mark_edited(Network& net) {
  net.state = kStatusesReady;
  net.solution = NetSolution{};
}

int copy_network(Environment& env, Network& net, int objsense, int nnodes, const double* supply,
                 const char* const* node_names, int narcs, const int* from, const int* to,
                 const double* lower, const double* upper, const double* obj,
                 const char* const* arc_names) {
  if (nnodes < 0 || narcs < 0) return err::kBadArgument;
  if (objsense != 1 && objsense != -1) return err::kBadArgument;
  if (narcs > 0) {
    if (int s = check_nodes(from, narcs, nnodes)) return s;
    if (int s = check_nodes(to, narcs, nnodes)) return s;
  }
  auto fresh = std::make_unique<Network>();
  fresh->arc_names.make_defaults(0, 'a');
  fresh->node_names.make_defaults(0, 'n');
  fresh->sense = objsense;
  fresh->feas_tol = net.feas_tol;
  fresh->state = kStatusesReady;
  if (int s = add_nodes(env, *fresh, nnodes, supply, node_names)) return s;
  if (int s = add_arcs(env, *fresh, narcs, from, to, lower, upper, obj, arc_names)) return s;
  net.nodes = std::move(fresh->nodes);
  net.arcs = std::move(fresh->arcs);
  net.arc_names = std::move(fresh->arc_names);
  net.node_names = std::move(fresh->node_names);
  net.sense = objsense;
  net.state = nnodes == 0 && narcs == 0 ? kNoSolution : kStatusesReady;
  net.has_basis = false;
  net.solution = NetSolution{};
  return 0;
}

int add_nodes(Environment&, Network& net, int count, const double* supply,
              const char* const* names) {
  if (count < 0) return err::kBadArgument;
  const int64_t first = net.nodes.size();
  net.nodes.supply.reserve(static_cast<size_t>(first + count));
  net.nodes.artificial.reserve(static_cast<size_t>(first + count));
  append_names(net.node_names, 'n', first, count, names);
  for (int k = 0; k < count; ++k) {
    net.nodes.supply.push_back(supply ? supply[k] : 0.0);
    net.nodes.artificial.push_back(1);
  }
  if (count > 0) mark_edited(net);
  return 0;
}

int add_arcs(Environment&, Network& net, int count, const int* from, const int* to,
             const double* lower, const double* upper, const double* obj,
             const char* const* names) {
  if (count < 0) return err::kBadArgument;
  if (count == 0) return 0;
  if (int s = check_nodes(from, count, net.num_nodes())) return s;
  if (int s = check_nodes(to, count, net.num_nodes())) return s;
  const int64_t first = net.arcs.size();
  ArcArrays& arcs = net.arcs;
  const size_t total = static_cast<size_t>(first + count);
  arcs.cost.reserve(total);
  arcs.lower.reserve(total);
  arcs.upper.reserve(total);
  arcs.head.reserve(total);
  arcs.tail.reserve(total);
  arcs.status.reserve(total);
  append_names(net.arc_names, 'a', first, count, names);
  for (int k = 0; k < count; ++k) {
    const double c = (obj ? obj[k] : 0.0) * net.sense;
    const double lo = lower ? lower[k] : 0.0;
    const double up = upper ? upper[k] : kDefaultUpper;
    arcs.cost.push_back(c);
    arcs.lower.push_back(lo);
    arcs.upper.push_back(up);
    arcs.head.push_back(to[k]);
    arcs.tail.push_back(from[k]);
    arcs.status.push_back(initial_status(c, lo, up, net.feas_tol));
  }
  mark_edited(net);
  return 0;
}

int delete_nodes(Environment& env, Network& net, const char* fname, int begin, int end) {
  if (int s = check_range(&env, fname, begin, end, net.num_nodes())) return s;
  if (end < begin) return 0;
  std::vector<int> node_map(static_cast<size_t>(net.num_nodes()), 0);
  std::vector<int> arc_map(static_cast<size_t>(net.num_arcs()), 0);
  for (int i = begin; i <= end; ++i) node_map[i] = 1;
  remove_items(net, node_map, arc_map);
  return 0;
}

int delete_arcs(Environment& env, Network& net, const char* fname, int begin, int end) {
  if (int s = check_range(&env, fname, begin, end, net.num_arcs())) return s;
  if (end < begin) return 0;
  std::vector<int> node_map(static_cast<size_t>(net.num_nodes()), 0);
  std::vector<int> arc_map(static_cast<size_t>(net.num_arcs()), 0);
  for (int a = begin; a <= end; ++a) arc_map[a] = 1;
  remove_items(net, node_map, arc_map);
  return 0;
}

int delete_set(Environment&, Network& net, int* node_flags, int* arc_flags) {
  std::vector<int> node_map(static_cast<size_t>(net.num_nodes()), 0);
  std::vector<int> arc_map(static_cast<size_t>(net.num_arcs()), 0);
  for (int i = 0; node_flags && i < net.num_nodes(); ++i) node_map[i] = node_flags[i] == 1;
  for (int a = 0; arc_flags && a < net.num_arcs(); ++a) arc_map[a] = arc_flags[a] == 1;
  remove_items(net, node_map, arc_map);
  if (node_flags) std::copy(node_map.begin(), node_map.end(), node_flags);
  if (arc_flags) std::copy(arc_map.begin(), arc_map.end(), arc_flags);
  return 0;
}

int change_bounds(Environment&, Network& net, int count, const int* indices, const char* lu,
                  const double* bounds) {
  if (count < 0) return err::kBadArgument;
  if (count == 0) return 0;
  if (!indices || !lu || !bounds) return err::kNullPointer;
  if (int s = check_indices(indices, count, net.num_arcs())) return s;
  for (int k = 0; k < count; ++k)
    if (lu[k] != 'L' && lu[k] != 'U' && lu[k] != 'B') return err::kBadBoundIndicator;
  ArcArrays& arcs = net.arcs;
  for (int k = 0; k < count; ++k) {
    const int a = indices[k];
    if (lu[k] != 'U') arcs.lower[a] = bounds[k];
    if (lu[k] != 'L') arcs.upper[a] = bounds[k];
    if (arcs.status[a] != kBasic)
      arcs.status[a] = initial_status(arcs.cost[a], arcs.lower[a], arcs.upper[a], net.feas_tol);
  }
  mark_edited(net);
  return 0;
}

int change_objective(Environment&, Network& net, int count, const int* indices,
                     const double* obj) {
  if (count < 0) return err::kBadArgument;
  if (count == 0) return 0;
  if (!indices || !obj) return err::kNullPointer;
  if (int s = check_indices(indices, count, net.num_arcs())) return s;
  for (int k = 0; k < count; ++k) net.arcs.cost[indices[k]] = obj[k] * net.sense;
  mark_edited(net);
  return 0;
}

int change_sense(Environment&, Network& net, int sense) {
  if (sense != 1 && sense != -1) return err::kBadArgument;
  if (sense != net.sense)
    for (double& c : net.arcs.cost) c = -c;
  net.sense = sense;
  mark_edited(net);
  return 0;
}

int change_supply(Environment&, Network& net, int count, const int* indices,
                  const double* supply) {
  if (count < 0) return err::kBadArgument;
  if (count == 0) return 0;
  if (!indices || !supply) return err::kNullPointer;
  if (int s = check_indices(indices, count, net.num_nodes())) return s;
  for (int k = 0; k < count; ++k) net.nodes.supply[indices[k]] = supply[k];
  mark_edited(net);
  return 0;
}

int change_arc_nodes(Environment&, Network& net, int count, const int* indices,
                     const int* from, const int* to) {
  if (count < 0) return err::kBadArgument;
  if (count == 0) return 0;
  if (!indices) return err::kNullPointer;
  if (int s = check_indices(indices, count, net.num_arcs())) return s;
  if (int s = check_nodes(from, count, net.num_nodes())) return s;
  if (int s = check_nodes(to, count, net.num_nodes())) return s;
  for (int k = 0; k < count; ++k) {
    const int a = indices[k];
    net.arcs.tail[a] = from[k];
    net.arcs.head[a] = to[k];
    if (net.arcs.status[a] == kBasic)
      net.arcs.status[a] = initial_status(net.arcs.cost[a], net.arcs.lower[a], net.arcs.upper[a],
                                          net.feas_tol);
  }
  mark_edited(net);
  return 0;
}

int change_names(Environment&, Network& net, bool arcs, int count, const int* indices,
                 const char* const* names) {
  if (count < 0) return err::kBadArgument;
  if (count == 0) return 0;
  if (!indices || !names) return err::kNullPointer;
  if (int s = check_indices(indices, count, arcs ? net.num_arcs() : net.num_nodes())) return s;
  for (int k = 0; k < count; ++k)
    if (!names[k]) return err::kNullName;
  NameStore& store = arcs ? net.arc_names : net.node_names;
  for (int k = 0; k < count; ++k) store.rename(indices[k], names[k]);
  if (store.mostly_dead()) store.compact();
  return 0;
}

}  // namespace korva::net
