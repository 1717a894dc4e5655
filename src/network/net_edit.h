// Creating, freeing and editing network problems. Every operation checks
// all of its input before it changes anything, so a failure leaves the
// network as it was. Names arrive in UTF-8; a null name array or entry gives
// the default name. Indices are 0-based.
#pragma once
#include <cstdint>
#include <memory>

#include "env/environment.h"
#include "network/net_problem.h"
#include "network/arc_status.h"

namespace korva::net {

Network* create_network(Environment& env, const char* name_utf8, int* status);
void free_network(Network* net);

// A network the library makes for its own use and frees on every path.
struct NetworkDeleter {
  void operator()(Network* net) const { free_network(net); }
};
using OwnedNetwork = std::unique_ptr<Network, NetworkDeleter>;

int copy_network(Environment& env, Network& net, int objsense, int nnodes, const double* supply,
                 const char* const* node_names, int narcs, const int* from, const int* to,
                 const double* lower, const double* upper, const double* obj,
                 const char* const* arc_names);
int add_nodes(Environment& env, Network& net, int count, const double* supply,
              const char* const* names);
int add_arcs(Environment& env, Network& net, int count, const int* from, const int* to,
             const double* lower, const double* upper, const double* obj,
             const char* const* names);
int delete_nodes(Environment& env, Network& net, const char* fname, int begin, int end);
int delete_arcs(Environment& env, Network& net, const char* fname, int begin, int end);
// Flags: 1 deletes the item. On return each flag holds the item's new
// index, or -1 when it was deleted (arcs of deleted nodes go too).
int delete_set(Environment& env, Network& net, int* node_flags, int* arc_flags);

int change_bounds(Environment& env, Network& net, int count, const int* indices, const char* lu,
                  const double* bounds);
int change_objective(Environment& env, Network& net, int count, const int* indices,
                     const double* obj);
int change_sense(Environment& env, Network& net, int sense);
int change_supply(Environment& env, Network& net, int count, const int* indices,
                  const double* supply);
int change_arc_nodes(Environment& env, Network& net, int count, const int* indices,
                     const int* from, const int* to);
// `arcs` true renames arcs, else nodes.
int change_names(Environment& env, Network& net, bool arcs, int count, const int* indices,
                 const char* const* names);

// Every edit invalidates the solution; the arc statuses stay as a start.
void mark_edited(Network& net);

}  // namespace korva::net
