// Network bases as text, in the layout of the LP basis files with arcs in
// the place of columns and nodes in the place of rows:
//
//   * ENCODING=ISO-8859-1
//   NAME          netbasis  Iterations 7  Rows 4  Cols 5
//    XL a1        n2
//    UL a4
//   ENDATA
//
// XL pairs a basic arc with a node that does not hang on its artificial
// arc; UL lists the arcs at their upper bound. Unlisted arcs are at a
// finite bound (the lower one when there is one) or free at zero, and
// unlisted nodes keep their artificial arc.
#pragma once
#include "env/environment.h"
#include "network/net_problem.h"

namespace korva::netio {

// 1262 when the network has no basis yet.
int write_network_basis(Environment& env, net::Network& net, const char* filename);
// Replaces the network's starting statuses by the file's (1553 for a line
// with the wrong number of fields, 1551 for an unknown indicator, 1554 for
// superbasic entries, 1552 without ENDATA; unknown names are warnings).
int read_network_basis(Environment& env, net::Network& net, const char* filename);

}  // namespace korva::netio
