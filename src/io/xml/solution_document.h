// What a solution or MIP-start file says, in the problem's indices: per
// solution its header fields and the values given for columns and linear
// constraints. The MIP-start readers use the names, effort levels and
// column values; the rest is there for reading full solution files.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace korva::xml {

inline constexpr int kNoStatus = -1;  // basis statuses otherwise KRV_AT_LOWER .. KRV_FREE_SUPER

struct VariableEntry {
  int index = -1;
  bool has_value = false, has_reduced_cost = false;
  double value = 0.0, reduced_cost = 0.0;
  int status = kNoStatus;
};

struct ConstraintEntry {
  int index = -1;
  bool has_slack = false, has_dual = false;
  double slack = 0.0, dual = 0.0;
  int status = kNoStatus;
};

struct SolutionRecord {
  bool has_name = false;
  std::string name;        // "solutionName" (UTF-8)
  bool has_effort = false;
  int effort = 0;          // "MIPStartEffortLevel"
  // One entry per column or row mentioned, in the order of first mention;
  // an entity given again takes the later values.
  std::vector<VariableEntry> variables;
  std::vector<ConstraintEntry> constraints;
};

struct SolutionDocument {
  std::vector<SolutionRecord> solutions;  // those decoded (at most the reader's limit)
  int64_t solution_elements = 0;          // KORVASolution elements in the file
};

}  // namespace korva::xml
