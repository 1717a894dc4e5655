// Reading solution and MIP-start files with Expat. The file comes in
// chunks of 10,000 bytes; KORVASolution elements start solutions, the
// variables and linearConstraints lists hold the entries, each found by
// its "name" among the problem's names (when the problem has names) or
// else by its "index". Unknown names, indices out of range and repeated
// entries are warnings with the line number (at most 20 printed); malformed
// XML is 1425 with Expat's line and text, a bad basis status 1551.
#pragma once
#include <cstdint>

#include "io/file_chunks.h"
#include "io/xml/solution_document.h"
#include "model/problem.h"

namespace korva::xml {

struct XmlReadOptions {
  // Solutions decoded; later KORVASolution elements are only counted.
  int64_t max_solutions = INT64_MAX;
};

// Parses the whole file from the current chunk of `chunks` on. Returns 0
// or an error code (printed and negated); `doc` is complete only on 0.
int read_xml_solutions(Environment& env, const Problem& p, FileChunks& chunks,
                       const XmlReadOptions& options, SolutionDocument& doc);

}  // namespace korva::xml
