// Filter files: the filters of a solution pool as a small XML document
// (FILTER_FORMAT.md beside this file describes it). Written by hand through
// the file stream (UTF-8, compressed by the name's suffix), read with
// Expat in chunks of 10,000 bytes.
#pragma once
#include <vector>

#include "mip/pool_filters.h"

namespace korva::xml {

// Writes the pool filters of p: 3024 when p has no pool, 1421 / 1422 when
// the file cannot be opened.
int write_filter_file(Environment& env, Problem& p, const char* filename);

// Replaces p's filters with those of the file (3003 for a problem without
// MIP data). Errors: 1421 / 1423 opening, 1425 "XML parsing error at line
// %lld: %s" for malformed XML or a document that is not a filter file, 1434
// for a number that does not read, and the checks of the filter entries
// (1200, 3414). After an error the filters are those the problem had.
int read_filter_file(Environment& env, Problem& p, const char* filename);

// Only the parsing, with its warnings: the filters of the file.
int parse_filter_file(Environment& env, const Problem& p, const char* filename,
                      std::vector<mip::PoolFilter>& filters);

}  // namespace korva::xml
