// Network models (.net and .min files, or --type NET / MIN): read as
// network problems and optimised by the network simplex.
#pragma once
#include <korva/korva.h>

#include "cli_options.h"

namespace korva_cli {

// Whether the model is a network file by its --type or its name.
bool is_network_model(const Options& o);

// Reads, optionally writes, optimises and reports a network model.
// Returns the exit code.
int run_network(const Options& o, KRVenv env);

}  // namespace korva_cli
