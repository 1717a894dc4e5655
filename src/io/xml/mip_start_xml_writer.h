// MIP starts as XML: one KORVASolution element per start inside a
// KORVASolutions root. The header names the problem and the start, gives
// its index and effort level and the write level in force; the variables
// list holds the start's entries that the write level selects.
#pragma once
#include "mip/mip_starts.h"

namespace korva::xml {

// Writes starts begin..end (valid indices) of `p` to `filename` through
// the file stream (UTF-8, compressed by suffix). Returns 0 or an error code.
int write_mip_starts_xml(Environment& env, const Problem& p, const char* filename, int begin,
                         int end);

// Whether KRV_PARAM_WRITELEVEL lets an entry of column j with this value
// be written; 0 (automatic) writes everything, as level 1.
bool write_level_selects(int level, char ctype, double value);
// The level recorded in the header.
int write_level_in_force(int level);

}  // namespace korva::xml
