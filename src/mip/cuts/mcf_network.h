// The multi-commodity network design structure of a model, read from its
// rows. Capacity rows Σ f - Σ u·y <= c (flow coefficients all equal,
// continuous flows, integer design columns with negative coefficients)
// are the arcs; equality rows over continuous columns with coefficients of
// one magnitude (signs ±) are flow conservation rows. Conservation rows
// linked through shared flow columns are one commodity; the rows of
// different commodities whose flows share arcs are matched into nodes.
// Nothing here has to be right for the cuts built on it to be valid: they
// are MIR cuts of nonnegative combinations of the model's rows, so a
// misread structure only makes them weaker.
#pragma once
#include <vector>

#include "mip/mip_model.h"

namespace korva::mip {

struct McfNetwork {
  int nodes = 0;
  int commodities = 0;

  // The conservation rows of each node (ideally one per commodity):
  // model row, commodity, and the factor that makes its coefficients ±1.
  std::vector<int> node_begin;  // nodes + 1 entries
  std::vector<int> node_row;
  std::vector<int> node_row_commodity;
  std::vector<double> node_row_scale;

  // Arcs: the capacity row, and the factor that turns it into
  // Σ f - Σ u·y <= c with flow coefficients 1 (negative: the row's lower
  // side, negated); tail and head nodes where known, else -1.
  std::vector<int> arc_row;
  std::vector<double> arc_scale;
  std::vector<int> arc_tail, arc_head;

  // The arcs at each node, either direction.
  std::vector<int> incident_begin;  // nodes + 1 entries
  std::vector<int> incident_arc;

  // Per column: the arc whose capacity row holds it as a flow, or -1.
  std::vector<int> flow_arc;

  bool empty() const { return nodes == 0 || arc_row.empty(); }
};

// Reads the structure from the first `rows` rows of m; an empty network
// when there is none. One pass over the rows when no capacity row exists.
McfNetwork find_mcf_network(const MipModel& m, int rows);

}  // namespace korva::mip
