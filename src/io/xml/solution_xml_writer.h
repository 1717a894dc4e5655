// Solution documents: one KORVASolution element laid out from a
// SolutionContent, alone (a solution file) or several inside a
// KORVASolutions root (pool files, MIP starts).
#pragma once
#include <vector>

#include "io/xml/solution_content.h"
#include "io/xml/xml_writer.h"
#include "model/problem.h"

namespace korva::xml {

inline constexpr char kSolutionVersion[] = "1.2";

// Writes the element of `s` for problem `p`: header, quality (not for MIP
// starts), then each list the problem has entities for. Names are written
// only when the problem has them; indices always.
void write_solution_element(XmlWriter& xml, Environment& env, const Problem& p, const SolutionContent& s);

// Creates `filename` (UTF-8, compressed by suffix) and writes the
// declaration and the elements: a single one as the root when `wrapped` is
// false, else all inside KORVASolutions. Returns 0 or an error code.
int write_solution_document(Environment& env, const Problem& p, const char* filename,
                            const std::vector<SolutionContent>& solutions, bool wrapped);

}  // namespace korva::xml
