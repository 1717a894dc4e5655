// What the korva tool prints and writes after a solve.
#pragma once
#include <korva/korva.h>

#include <string>

namespace korva_cli {

void print_summary(KRVenv env, KRVprob lp, double seconds);
// The summary of a mixed-integer optimisation: status, incumbent, bound,
// nodes, iterations and time.
void print_mip_summary(KRVenv env, KRVprob lp, double seconds);

// After KRVpresolve: the sizes before and after, and how many kept columns
// got a tighter bound.
void print_presolve_report(KRVenv env, KRVprob lp);

// Nonzero primal values and dual values as aligned tables, by name.
void print_solution(KRVenv env, KRVprob lp);

// Plain text: "status <n> <text>", "objective <value>", then "x <j> <value>"
// per column and "pi <i> <value>" per row, all values round-trip exact.
int write_solution_text(KRVenv env, KRVprob lp, const std::string& file);
// The XML solution file (KRVsolwrite) when the name ends in ".sol" (a
// compression suffix after it allowed), else the plain text above.
int write_solution_file(KRVenv env, KRVprob lp, const std::string& file);

}  // namespace korva_cli
