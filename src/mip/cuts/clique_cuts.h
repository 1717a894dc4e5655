// Clique cuts: a clique of the table, grown by literals in conflict with
// every member, whose literals sum to more than 1 at the LP point.
#pragma once
#include <vector>

#include "mip/clique_table.h"
#include "mip/cuts/cut.h"

namespace korva::mip {

void separate_cliques(const SeparationInput& in, const CliqueTable& table, std::vector<Cut>& out);

}  // namespace korva::mip
