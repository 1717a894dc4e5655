// Queries on network problems: data, names, solution and basis, under the
// begin/end range and surplus conventions of the problem queries. `fname`
// names the exported function in range messages.
#pragma once
#include <cstdint>

#include "env/environment.h"
#include "network/net_problem.h"

namespace korva::net {

enum class ArcField { Lower, Upper, Obj };
enum class SolutionField { Flow, Potential, Slack, ReducedCost };

int get_supply(Environment& env, Network& net, const char* fname, double* out, int begin, int end);
int get_arc_values(Environment& env, Network& net, const char* fname, ArcField field, double* out,
                   int begin, int end);
int get_arc_nodes(Environment& env, Network& net, const char* fname, int* from, int* to, int begin,
                  int end);
// Arcs leaving nodes begin..end, packed per node.
int get_node_arcs(Environment& env, Network& net, const char* fname, int64_t* count, int* arcbeg,
                  int* arcs, int64_t space, int64_t* surplus, int begin, int end);
int get_names(Environment& env, Network& net, const char* fname, bool arcs, char** name,
              char* store, int64_t space, int64_t* surplus, int begin, int end);
int find_name(Environment& env, Network& net, bool arcs, const char* name_utf8, int* index);
int get_problem_name(Environment& env, Network& net, char* buf, int64_t space, int64_t* surplus);

bool has_solution(const Network& net);
int get_solution(Environment& env, Network& net, const char* fname, SolutionField field,
                 double* out, int begin, int end);
int get_objective(Network& net, double* obj);

// Basis statuses: arcs 0 lower, 1 basic, 2 upper, 3 free; nodes 1 when the
// node's artificial arc is basic, else 0.
int get_basis(Network& net, int* arc_status, int* node_status);
int copy_basis(Network& net, const int* arc_status, const int* node_status);

}  // namespace korva::net
