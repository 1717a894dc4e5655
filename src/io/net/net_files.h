// Network files: the line-oriented min-cost-flow format ("MIN") and the
// keyword format ("NET"). The reader chooses the format from the first
// significant character of the file.
#pragma once
#include "env/environment.h"
#include "network/net_problem.h"

namespace korva::netio {

// Replaces the network by the file's. Returns 0 or an error code.
int read_network(Environment& env, net::Network& net, const char* filename);
// `format` "MIN" or "NET" (any case); null: from the file name's extension.
// Other formats answer 1424.
int write_network(Environment& env, net::Network& net, const char* filename, const char* format);

}  // namespace korva::netio
