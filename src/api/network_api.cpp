// Exported functions: network problems (the KRVNET family).
#include <algorithm>

#include "api/model_families.h"
#include "env/optimizer_entry.h"
#include "io/net/net_basis.h"
#include "io/net/net_files.h"
#include "network/net_edit.h"
#include "network/net_extract.h"
#include "network/net_queries.h"
#include "network/net_solve.h"
#include "network/net_to_lp.h"

using namespace korva;
using korva::net::Network;

namespace {

constexpr unsigned kQuery = api::kInfoCallbackOk;

// An edit with the names converted from the interface encoding.
template <class Body>
int edit_with_names(KRVenv env, KRVnet net, char** names, int count, Body body) {
  return api::call(env, net, api::kNone, [&](Environment& e, Network& n) {
    if (count < 0) return err::kBadArgument;
    api::Utf8Names converted;
    if (int s = converted.convert(e, names, count)) return s;
    return body(e, n, converted.get());
  });
}

template <class Body>
int edit(KRVenv env, KRVnet net, Body body) {
  return api::call(env, net, api::kNone, body);
}

template <class Body>
int query(KRVenv env, KRVnet net, Body body) {
  return api::call(env, net, kQuery, body);
}

int names_of(const char* fname, KRVenv env, KRVnet net, bool arcs, char** name, char* store,
             int space, int* surplus_p, int begin, int end) {
  return query(env, net, [&](Environment& e, Network& n) {
    return api::with_counts<int>(e, nullptr, surplus_p, [&](int64_t*, int64_t* sur) {
      return net::get_names(e, n, fname, arcs, name, store, space, sur, begin, end);
    });
  });
}

int index_of(KRVenv env, KRVnet net, bool arcs, const char* name_str, int* index_p) {
  return query(env, net, [&](Environment& e, Network& n) {
    if (!name_str || !index_p) return err::kNullPointer;
    api::Utf8Name name;
    if (int s = name.convert(e, name_str)) return s;
    return net::find_name(e, n, arcs, name.get(), index_p);
  });
}

int solution_of(const char* fname, KRVenv env, KRVnet net, net::SolutionField field, double* out,
                int begin, int end) {
  return query(env, net, [&](Environment& e, Network& n) {
    return net::get_solution(e, n, fname, field, out, begin, end);
  });
}

// A count or state of the network, `fallback` on error.
template <class Read>
int int_of(KRVenv env, KRVnet net, int fallback, Read read) {
  int value = fallback;
  query(env, net, [&](Environment& e, Network& n) {
    value = read(e, n);
    return 0;
  });
  return value;
}

}  // namespace

extern "C" {

KRVnet KRVNETcreateprob(KRVenv env, int* status_p, const char* name_str) {
  KRVnet out = nullptr;
  const int status = api::call(env, api::kNone, [&](Environment& e) {
    if (!name_str) return err::kNullPointer;
    api::Utf8Name name;
    if (int s = name.convert(e, name_str)) return s;
    int code = 0;
    out = net::create_network(e, name.get(), &code);
    return code;
  });
  if (status_p) *status_p = status;
  return out;
}

int KRVNETfreeprob(KRVenv env, KRVnet* net_p) {
  return api::call(env, net_p ? *net_p : nullptr, api::kNullProblemOk,
                   [&](Environment&, Network* n) {
                     if (!net_p) return err::kNullPointer;
                     if (!n) return err::kNoProblem;
                     net::free_network(n);
                     *net_p = nullptr;
                     return 0;
                   });
}

int KRVNETcopynet(KRVenv env, KRVnet net, int objsen, int nnodes, const double* supply,
                  char** nnames, int narcs, const int* fromnode, const int* tonode,
                  const double* low, const double* up, const double* obj, char** anames) {
  return api::call(env, net, api::kNone, [&](Environment& e, Network& n) {
    if (nnodes < 0 || narcs < 0) return err::kBadArgument;
    api::Utf8Names nodes, arcs;
    if (int s = nodes.convert(e, nnames, nnodes)) return s;
    if (int s = arcs.convert(e, anames, narcs)) return s;
    return net::copy_network(e, n, objsen, nnodes, supply, nodes.get(), narcs, fromnode, tonode,
                             low, up, obj, arcs.get());
  });
}

int KRVNETaddnodes(KRVenv env, KRVnet net, int nnodes, const double* supply, char** name) {
  return edit_with_names(env, net, name, nnodes, [&](Environment& e, Network& n, const char* const* names) {
    return net::add_nodes(e, n, nnodes, supply, names);
  });
}

int KRVNETaddarcs(KRVenv env, KRVnet net, int narcs, const int* fromnode, const int* tonode,
                  const double* low, const double* up, const double* obj, char** anames) {
  return edit_with_names(env, net, anames, narcs, [&](Environment& e, Network& n, const char* const* names) {
    return net::add_arcs(e, n, narcs, fromnode, tonode, low, up, obj, names);
  });
}

int KRVNETdelnodes(KRVenv env, KRVnet net, int begin, int end) {
  return edit(env, net, [&](Environment& e, Network& n) {
    return net::delete_nodes(e, n, "KRVNETdelnodes", begin, end);
  });
}

int KRVNETdelarcs(KRVenv env, KRVnet net, int begin, int end) {
  return edit(env, net, [&](Environment& e, Network& n) {
    return net::delete_arcs(e, n, "KRVNETdelarcs", begin, end);
  });
}

int KRVNETdelset(KRVenv env, KRVnet net, int* whichnodes, int* whicharcs) {
  return edit(env, net, [&](Environment& e, Network& n) {
    return net::delete_set(e, n, whichnodes, whicharcs);
  });
}

int KRVNETchgbds(KRVenv env, KRVnet net, int cnt, const int* indices, const char* lu,
                 const double* bd) {
  return edit(env, net, [&](Environment& e, Network& n) {
    return net::change_bounds(e, n, cnt, indices, lu, bd);
  });
}

int KRVNETchgobj(KRVenv env, KRVnet net, int cnt, const int* indices, const double* obj) {
  return edit(env, net, [&](Environment& e, Network& n) {
    return net::change_objective(e, n, cnt, indices, obj);
  });
}

int KRVNETchgobjsen(KRVenv env, KRVnet net, int maxormin) {
  return edit(env, net, [&](Environment& e, Network& n) { return net::change_sense(e, n, maxormin); });
}

int KRVNETchgsupply(KRVenv env, KRVnet net, int cnt, const int* indices, const double* supply) {
  return edit(env, net, [&](Environment& e, Network& n) {
    return net::change_supply(e, n, cnt, indices, supply);
  });
}

int KRVNETchgarcnodes(KRVenv env, KRVnet net, int cnt, const int* indices, const int* fromnode,
                      const int* tonode) {
  return edit(env, net, [&](Environment& e, Network& n) {
    return net::change_arc_nodes(e, n, cnt, indices, fromnode, tonode);
  });
}

int KRVNETchgarcname(KRVenv env, KRVnet net, int cnt, const int* indices, char** newname) {
  return edit_with_names(env, net, newname, cnt, [&](Environment& e, Network& n, const char* const* names) {
    return net::change_names(e, n, true, cnt, indices, names);
  });
}

int KRVNETchgnodename(KRVenv env, KRVnet net, int cnt, const int* indices, char** newname) {
  return edit_with_names(env, net, newname, cnt, [&](Environment& e, Network& n, const char* const* names) {
    return net::change_names(e, n, false, cnt, indices, names);
  });
}

int KRVNETchgname(KRVenv env, KRVnet net, int key, int index, const char* newname_str) {
  return edit(env, net, [&](Environment& e, Network& n) {
    if (!newname_str) return err::kNullPointer;
    if (key != 'a' && key != 'n') return err::kBadArgument;
    api::Utf8Name name;
    if (int s = name.convert(e, newname_str)) return s;
    const char* names[1] = {name.get()};
    return net::change_names(e, n, key == 'a', 1, &index, names);
  });
}

int KRVNETgetnumnodes(KRVenv env, KRVnet net) {
  return int_of(env, net, 0, [](Environment&, Network& n) { return n.num_nodes(); });
}

int KRVNETgetnumarcs(KRVenv env, KRVnet net) {
  return int_of(env, net, 0, [](Environment&, Network& n) { return n.num_arcs(); });
}

int KRVNETgetnodeindex(KRVenv env, KRVnet net, const char* name_str, int* index_p) {
  return index_of(env, net, false, name_str, index_p);
}

int KRVNETgetarcindex(KRVenv env, KRVnet net, const char* name_str, int* index_p) {
  return index_of(env, net, true, name_str, index_p);
}

int KRVNETgetobjsen(KRVenv env, KRVnet net) {
  return int_of(env, net, 0, [](Environment&, Network& n) { return n.sense; });
}

int KRVNETgetsupply(KRVenv env, KRVnet net, double* supply, int begin, int end) {
  return query(env, net, [&](Environment& e, Network& n) {
    return net::get_supply(e, n, "KRVNETgetsupply", supply, begin, end);
  });
}

int KRVNETgetlb(KRVenv env, KRVnet net, double* low, int begin, int end) {
  return query(env, net, [&](Environment& e, Network& n) {
    return net::get_arc_values(e, n, "KRVNETgetlb", net::ArcField::Lower, low, begin, end);
  });
}

int KRVNETgetub(KRVenv env, KRVnet net, double* up, int begin, int end) {
  return query(env, net, [&](Environment& e, Network& n) {
    return net::get_arc_values(e, n, "KRVNETgetub", net::ArcField::Upper, up, begin, end);
  });
}

int KRVNETgetobj(KRVenv env, KRVnet net, double* obj, int begin, int end) {
  return query(env, net, [&](Environment& e, Network& n) {
    return net::get_arc_values(e, n, "KRVNETgetobj", net::ArcField::Obj, obj, begin, end);
  });
}

int KRVNETgetarcnodes(KRVenv env, KRVnet net, int* fromnode, int* tonode, int begin, int end) {
  return query(env, net, [&](Environment& e, Network& n) {
    return net::get_arc_nodes(e, n, "KRVNETgetarcnodes", fromnode, tonode, begin, end);
  });
}

int KRVNETgetnodearcs(KRVenv env, KRVnet net, int* arccnt_p, int* arcbeg, int* arc, int arcspace,
                      int* surplus_p, int begin, int end) {
  return query(env, net, [&](Environment& e, Network& n) {
    return api::with_counts<int>(e, arccnt_p, surplus_p, [&](int64_t* cnt, int64_t* sur) {
      return net::get_node_arcs(e, n, "KRVNETgetnodearcs", cnt, arcbeg, arc, arcspace, sur, begin,
                                end);
    });
  });
}

int KRVNETgetarcname(KRVenv env, KRVnet net, char** nnames, char* namestore, int namespc,
                     int* surplus_p, int begin, int end) {
  return names_of("KRVNETgetarcname", env, net, true, nnames, namestore, namespc, surplus_p, begin,
                  end);
}

int KRVNETgetnodename(KRVenv env, KRVnet net, char** nnames, char* namestore, int namespc,
                      int* surplus_p, int begin, int end) {
  return names_of("KRVNETgetnodename", env, net, false, nnames, namestore, namespc, surplus_p,
                  begin, end);
}

int KRVNETgetprobname(KRVenv env, KRVnet net, char* buf_str, int bufspace, int* surplus_p) {
  return query(env, net, [&](Environment& e, Network& n) {
    return api::with_counts<int>(e, nullptr, surplus_p, [&](int64_t*, int64_t* sur) {
      return net::get_problem_name(e, n, buf_str, bufspace, sur);
    });
  });
}

int KRVNETprimopt(KRVenv env, KRVnet net) {
  return optimizer_entry(env, net, Threads::Serial,
                         [](Environment& e, Network& n) { return net::primal_optimize(e, n); });
}

int KRVNETgetstat(KRVenv env, KRVnet net) {
  return int_of(env, net, 0, [](Environment&, Network& n) { return net::status_of_state(n.state); });
}

int KRVNETsolution(KRVenv env, KRVnet net, int* netstat_p, double* objval_p, double* x, double* pi,
                   double* slack, double* dj) {
  return query(env, net, [&](Environment& e, Network& n) {
    if (!net::has_solution(n)) return err::kNoSolution;
    if (netstat_p) *netstat_p = net::status_of_state(n.state);
    if (objval_p) net::get_objective(n, objval_p);
    const int arcs_end = n.num_arcs() - 1, nodes_end = n.num_nodes() - 1;
    if (x) net::get_solution(e, n, "KRVNETsolution", net::SolutionField::Flow, x, 0, arcs_end);
    if (pi) net::get_solution(e, n, "KRVNETsolution", net::SolutionField::Potential, pi, 0, nodes_end);
    if (slack) net::get_solution(e, n, "KRVNETsolution", net::SolutionField::Slack, slack, 0, nodes_end);
    if (dj) net::get_solution(e, n, "KRVNETsolution", net::SolutionField::ReducedCost, dj, 0, arcs_end);
    return 0;
  });
}

int KRVNETsolninfo(KRVenv env, KRVnet net, int* pfeasind_p, int* dfeasind_p) {
  return query(env, net, [&](Environment&, Network& n) {
    const bool primal = n.state == net::kOptimal || (n.state >= net::kPhase2 && n.state <= net::kAbortPhase2) ||
                        n.state == net::kDetLimPhase2 || n.state == net::kUnbounded;
    if (pfeasind_p) *pfeasind_p = primal ? 1 : 0;
    if (dfeasind_p) *dfeasind_p = n.state == net::kOptimal ? 1 : 0;
    return 0;
  });
}

int KRVNETgetobjval(KRVenv env, KRVnet net, double* objval_p) {
  return query(env, net, [&](Environment&, Network& n) { return net::get_objective(n, objval_p); });
}

int KRVNETgetx(KRVenv env, KRVnet net, double* x, int begin, int end) {
  return solution_of("KRVNETgetx", env, net, net::SolutionField::Flow, x, begin, end);
}

int KRVNETgetpi(KRVenv env, KRVnet net, double* pi, int begin, int end) {
  return solution_of("KRVNETgetpi", env, net, net::SolutionField::Potential, pi, begin, end);
}

int KRVNETgetslack(KRVenv env, KRVnet net, double* slack, int begin, int end) {
  return solution_of("KRVNETgetslack", env, net, net::SolutionField::Slack, slack, begin, end);
}

int KRVNETgetdj(KRVenv env, KRVnet net, double* dj, int begin, int end) {
  return solution_of("KRVNETgetdj", env, net, net::SolutionField::ReducedCost, dj, begin, end);
}

int KRVNETgetitcnt(KRVenv env, KRVnet net) {
  return int_of(env, net, 0, [](Environment& e, Network& n) { return clamp_to_int(&e, n.iterations); });
}

int KRVNETgetphase1cnt(KRVenv env, KRVnet net) {
  return int_of(env, net, 0,
                [](Environment& e, Network& n) { return clamp_to_int(&e, n.phase1_iterations); });
}

int KRVNETcopybase(KRVenv env, KRVnet net, const int* astat, const int* nstat) {
  return edit(env, net, [&](Environment&, Network& n) { return net::copy_basis(n, astat, nstat); });
}

int KRVNETgetbase(KRVenv env, KRVnet net, int* astat, int* nstat) {
  return query(env, net, [&](Environment&, Network& n) { return net::get_basis(n, astat, nstat); });
}

}  // extern "C"

extern "C" {

int KRVNETreadcopyprob(KRVenv env, KRVnet net, const char* filename_str) {
  return api::call(env, net, api::kLongOperation, [&](Environment& e, Network& n) {
    return netio::read_network(e, n, filename_str);
  });
}

int KRVNETwriteprob(KRVenv env, KRVnet net, const char* filename_str, const char* format_str) {
  return api::call(env, net, api::kNone, [&](Environment& e, Network& n) {
    return netio::write_network(e, n, filename_str, format_str);
  });
}

int KRVNETbasewrite(KRVenv env, KRVnet net, const char* filename_str) {
  return api::call(env, net, api::kNone, [&](Environment& e, Network& n) {
    return netio::write_network_basis(e, n, filename_str);
  });
}

int KRVNETreadcopybase(KRVenv env, KRVnet net, const char* filename_str) {
  return api::call(env, net, api::kNone, [&](Environment& e, Network& n) {
    return netio::read_network_basis(e, n, filename_str);
  });
}

int KRVcopynettolp(KRVenv env, KRVprob lp, KRVnet net) {
  return api::call(env, lp, api::kNone, [&](Environment& e, Problem& p) {
    if (int s = api::check_object(e, net)) return s;
    return net::copy_network_to_lp(e, *net, p);
  });
}

int KRVNETextract(KRVenv env, KRVnet net, KRVprob lp, int* colmap, int* rowmap) {
  return api::call(env, net, api::kNone, [&](Environment& e, Network& n) {
    if (int s = api::check_object(e, lp)) return s;
    net::NetworkPart part;
    if (int s = net::extract_network(e, *lp, n, part)) return s;
    if (colmap) std::copy(part.col_of_arc.begin(), part.col_of_arc.end(), colmap);
    if (rowmap) std::copy(part.row_of_node.begin(), part.row_of_node.end(), rowmap);
    return 0;
  });
}

}  // extern "C"
