// The node log of a search and its closing summaries, written on the
// results channel (the branching columns of the traditional search on the
// log channel), and the new-incumbent files.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "env/environment.h"
#include "mip/search_record.h"
#include "mip/search_settings.h"

namespace korva::mip {

// What one log line reports.
struct LogLine {
  int64_t node = 0;
  int64_t nodes_left = 0;
  enum class State { Solved, Infeasible, Cutoff, LpStatus, NewIncumbent, HeuristicIncumbent } state = State::Solved;
  double objective = 0.0;  // node LP objective, minimisation sense
  int64_t num_infeasible = 0;
  int lp_status = 0;       // for State::LpStatus
  bool lp_solved = true;
  // Traditional search: the branching of the node.
  std::string branch_name;  // empty: not a column
  char branch_direction = ' ';
  int64_t node_id = -1, parent_id = -1, depth = 0;
  // During the root cut rounds the Best Bound column shows the cut count.
  std::string bound_text;
};

class NodeLog {
 public:
  NodeLog(Environment& env, const SearchSettings& settings, MipSearchRecord& record, int objsense);

  // A line for the node, when due by KRV_PARAM_MIPINTERVAL (always for a new
  // incumbent). `progress` is added to the progress counter first.
  void node(const LogLine& line, int64_t progress);
  // A line of the root cut rounds (display 2 and up), always written; at
  // display 3 and up followed by a line per family that found cuts.
  // A root cut round's line; `family_counts` has a count per cut family.
  void root_cut_line(LogLine line, const int64_t* family_counts);
  // Display level 1: the line of a new incumbent.
  void incumbent(int64_t node_number);
  // Whether new incumbents go to files (KRV_PARAM_INTSOLFILEPREFIX is set).
  bool writes_incumbent_files() const;
  // Writes the incumbent to its file when KRV_PARAM_INTSOLFILEPREFIX is set.
  void incumbent_file(const Problem& p, const std::vector<double>& x, double objective_user);

  void cut_summary(const int* cut_params);
  void time_summary();

 private:
  bool due(const LogLine& line) const;
  void write(const LogLine& line);
  void header();
  std::string objective_field(const LogLine& line) const;
  std::string value_field(double user_value, bool show) const;
  std::string bound_field() const;
  std::string gap_field(const LogLine& line) const;

  Environment& env_;
  const SearchSettings& settings_;
  MipSearchRecord& record_;
  int objsense_;
  double start_;
  double progress_ = 0.0;
  double last_logged_progress_ = 0.0;
};

// The relative gap of an incumbent z and a bound b (user sense s).
double relative_gap(int objsense, double z, double b);

}  // namespace korva::mip
