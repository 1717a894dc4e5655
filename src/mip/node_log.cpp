#include "mip/node_log.h"

#include <cmath>
#include <cstdio>

#include "env/channel.h"
#include "env/time_limit.h"
#include "mip/cuts/cut.h"
#include "model/model.h"
#include "simplex/status.h"

namespace korva::mip {

namespace {

constexpr const char* kShortHeader = "\nNode log . . .\n";
constexpr const char* kHeaderTop = "\n        Nodes                                         Cuts/\n";
constexpr const char* kHeaderColumns =
    "   Node  Left     Objective  IInf  Best Integer    Best Bound    ItCnt     Gap";
constexpr const char* kHeaderBranchColumns = "         Variable B NodeID Parent  Depth";
constexpr const char* kLineFormat = "%c%6lld%c%5lld %19s %13s %13s %8.0f %8s";
// Iteration counts from 1e8 up no longer fit the column as integers.
constexpr const char* kLineFormatManyIterations = "%c%6lld%c%5lld %19s %13s %13s %8.2e %8s";
constexpr double kLargeValue = 1e7;
constexpr double kNoBound = 1e36;
constexpr double kNoValue = 1e75;
constexpr double kBytesToMegabytes = 9.5367431640625e-7;
// Progress units per processed node and per simplex iteration: with the
// default interval a line comes every 100 nodes at first, less often as
// the lines add up.
constexpr double kNodeProgress = 2.5e6;
constexpr double kIterationProgress = 1e4;

std::string format(const char* fmt, double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, fmt, v);
  return buf;
}

}  // namespace

double relative_gap(int objsense, double z, double b) {
  const double gap = objsense * (z - b) / (std::fabs(z) + 1e-10);
  if (std::fabs(gap) <= 1e-10 || std::fabs(z - b) <= 1e-9) return 0.0;
  return gap;
}

NodeLog::NodeLog(Environment& env, const SearchSettings& settings, MipSearchRecord& record, int objsense)
    : env_(env), settings_(settings), record_(record), objsense_(objsense), start_(current_time(env)) {}

void NodeLog::header() {
  if (record_.log_header_written) return;
  record_.log_header_written = true;
  if (settings_.display < 2) {
    msg(env_.results(), kShortHeader);
    return;
  }
  msg(env_.results(), kHeaderTop);
  msg(env_.results(), "%s", kHeaderColumns);
  if (settings_.search_method == 1) msg(env_.log(), "%s", kHeaderBranchColumns);
  msg(env_.results(), "\n\n");
}

bool NodeLog::due(const LogLine& line) const {
  if (line.state == LogLine::State::NewIncumbent || line.state == LogLine::State::HeuristicIncumbent) return true;
  if (record_.log_lines == 0) return true;
  if (settings_.interval >= 1) return line.node % settings_.interval == 0;
  const double base = settings_.interval == 0 ? 1000.0 : -static_cast<double>(settings_.interval);
  const int64_t lines = record_.log_lines;
  const double factor = lines < 10 ? 0.25 : lines < 100 ? 1.0 : lines < 1000 ? 4.0 : lines < 10000 ? 16.0 : 64.0;
  return progress_ - last_logged_progress_ >= base * factor * 1e6;
}

void NodeLog::node(const LogLine& line, int64_t iterations) {
  progress_ += kNodeProgress + kIterationProgress * static_cast<double>(iterations);
  if (settings_.display < 2 || !due(line)) return;
  header();
  write(line);
}

std::string NodeLog::value_field(double user_value, bool show) const {
  if (!show || std::fabs(user_value) >= kNoValue) return "";
  return format(std::fabs(user_value) >= kLargeValue ? "%13.5e" : "%13.4f", user_value);
}

std::string NodeLog::objective_field(const LogLine& line) const {
  char buf[64];
  switch (line.state) {
    case LogLine::State::NewIncumbent:
      std::snprintf(buf, sizeof buf, "%-13s %5d", "     integral", 0);
      return buf;
    case LogLine::State::HeuristicIncumbent:
      return "";
    case LogLine::State::Infeasible:
      return "   infeasible";
    case LogLine::State::Cutoff:
      return "       cutoff";
    case LogLine::State::LpStatus: {
      const int s = line.lp_status;
      const char* text = s == 12 || s == 22 ? "cutoff"
                         : s == 0           ? "no solution"
                                            : status_short_text(s == 10 ? 6 : s);
      std::snprintf(buf, sizeof buf, "%.13s", text);
      return buf;
    }
    case LogLine::State::Solved:
      break;
  }
  if (line.objective >= kNoValue) return record_.has_incumbent ? "       cutoff" : "   infeasible";
  const double user = objsense_ * line.objective;
  std::snprintf(buf, sizeof buf, std::fabs(user) >= kLargeValue ? "%13.5e %5lld" : "%13.4f %5lld", user,
                static_cast<long long>(line.num_infeasible));
  return buf;
}

void NodeLog::root_cut_line(LogLine line, const int64_t* family_counts) {
  if (settings_.display < 2) return;
  // The Best Bound column names the cuts: one family by its name, several
  // by their total; display 3 lists each family below.
  char text[64];
  std::vector<std::string> families;
  long long total = 0;
  for (int f = 0; f < kCutFamilyCount; ++f) {
    if (family_counts[f] == 0) continue;
    std::snprintf(text, sizeof text, "%s: %lld", kCutLogNames[f], static_cast<long long>(family_counts[f]));
    families.push_back(text);
    total += family_counts[f];
  }
  std::snprintf(text, sizeof text, "Cuts: %lld", total);
  line.bound_text = families.size() == 1 ? families[0] : text;
  header();
  write(line);
  if (settings_.display < 3) return;
  for (const std::string& count : families)
    msg(env_.results(), "%c%6s%c%5s %19s %13s %13s %8s %8s\n", ' ', "", ' ', "", "", "", count.c_str(), "", "");
}

std::string NodeLog::bound_field() const {
  const double b = objsense_ * record_.best_bound;
  if (!(std::fabs(b) < kNoBound)) return "";
  return format(std::fabs(b) >= kLargeValue ? "%13.5e" : "%13.4f", b);
}

std::string NodeLog::gap_field(const LogLine& line) const {
  if (!record_.has_incumbent) return "";
  const double b = objsense_ * record_.best_bound;
  const double z = objsense_ * record_.incumbent_objective;
  if (std::fabs(b) < kNoBound) {
    const double percent = 100.0 * relative_gap(objsense_, z, b);
    if (std::fabs(percent) < 999.99) return format("%7.2f%%", percent);
    return "--- ";
  }
  return line.lp_solved ? format("%7.2f%%", 0.0) : "";
}

void NodeLog::write(const LogLine& line) {
  const bool incumbent_line = line.state == LogLine::State::NewIncumbent;
  const bool plus = line.state == LogLine::State::HeuristicIncumbent;
  const std::string objective = objective_field(line);
  const std::string best = value_field(objsense_ * record_.incumbent_objective, record_.has_incumbent);
  const std::string bound = line.bound_text.empty() ? bound_field() : line.bound_text;
  const double itcnt = static_cast<double>(record_.iterations + record_.nested_iterations);
  const std::string gap = gap_field(line);
  msg(env_.results(), itcnt >= 1e8 ? kLineFormatManyIterations : kLineFormat, incumbent_line || plus ? '*' : ' ',
      static_cast<long long>(line.node), plus ? '+' : ' ', static_cast<long long>(line.nodes_left),
      objective.c_str(), best.c_str(), bound.c_str(), itcnt, gap.c_str());
  if (settings_.search_method == 1) {
    // The branching that made the node: its column (cut or padded to 16
    // characters), or a blank name for other objects; the root has no parent.
    if (!line.branch_name.empty()) {
      char name[17];
      std::snprintf(name, sizeof name, "%-16.16s", line.branch_name.c_str());
      msg(env_.log(), "%s %c %6lld %6lld %6lld", name, line.branch_direction, static_cast<long long>(line.node_id),
          static_cast<long long>(line.parent_id), static_cast<long long>(line.depth));
    } else if (line.parent_id >= 0) {
      msg(env_.log(), "%-16s %c %6lld %6lld %6lld", "", line.branch_direction, static_cast<long long>(line.node_id),
          static_cast<long long>(line.parent_id), static_cast<long long>(line.depth));
    } else {
      msg(env_.log(), "%-16s %c %6lld %6s %6lld", "", line.branch_direction, static_cast<long long>(line.node_id), "",
          static_cast<long long>(line.depth));
    }
  }
  msg(env_.results(), "\n");
  env_.results()->flush();
  env_.log()->flush();
  ++record_.log_lines;
  last_logged_progress_ = progress_;
  if (record_.log_lines % 10 == 1) {
    const char* clock = settings_.clock_type == 1 ? "Elapsed time = " : "Elapsed real time = ";
    msg(env_.results(), "%s%6.2f sec. (tree size = %5.2f MB)\n", clock, current_time(env_) - start_,
        static_cast<double>(record_.tree_memory()) * kBytesToMegabytes);
    const NodeStore* tree = record_.open_nodes();
    if (tree && tree->file_bytes() > 0) {
      const double raw = static_cast<double>(tree->file_bytes()) * kBytesToMegabytes;
      const double stored = static_cast<double>(tree->file_stored_bytes()) * kBytesToMegabytes;
      if (tree->file_bytes() != tree->file_stored_bytes())
        msg(env_.results(), "Nodefile size = %5.2f MB (%.2f MB after compression)\n", raw, stored);
      else
        msg(env_.results(), "Nodefile size = %5.2f MB\n", raw);
    }
  }
}

void NodeLog::incumbent(int64_t node_number) {
  if (settings_.display != 1) return;
  header();
  msg(env_.results(), "Best integer = %14.6e  Node = %7lld  Best node = ", objsense_ * record_.incumbent_objective,
      static_cast<long long>(node_number));
  const double b = record_.best_bound;
  if (b >= 1e74) msg(env_.results(), objsense_ > 0 ? "+inf\n" : "-inf\n");
  else if (b <= -1e74) msg(env_.results(), objsense_ > 0 ? "-inf\n" : "+inf\n");
  else msg(env_.results(), "%14.6e\n", objsense_ * b);
}

bool NodeLog::writes_incumbent_files() const { return !env_.str_param(KRV_PARAM_INTSOLFILEPREFIX).empty(); }

void NodeLog::incumbent_file(const Problem& p, const std::vector<double>& x, double objective_user) {
  const std::string prefix = env_.str_param(KRV_PARAM_INTSOLFILEPREFIX);
  if (prefix.empty()) return;
  char name[4096];
  std::snprintf(name, sizeof name, "%s-%05lld.sol", prefix.c_str(),
                static_cast<long long>(record_.incumbent_files + 1));
  FILE* f = std::fopen(name, "w");
  bool ok = f != nullptr;
  if (f) {
    // Until the solution file writer exists: the plain text of the
    // command-line program (status, objective, one line per column).
    ok = std::fprintf(f, "status %d %s\nobjective %.17g\n", 127, status_text(127), objective_user) > 0;
    for (size_t j = 0; ok && j < x.size(); ++j) ok = std::fprintf(f, "x %zu %.17g\n", j, x[j]) > 0;
    ok = std::fclose(f) == 0 && ok;
  }
  (void)p;
  if (ok) {
    ++record_.incumbent_files;
    msg(env_.results(), "New incumbent written to file '%s'.\n", name);
  } else {
    msg(env_.error(), "Unable to write new incumbent to file '%s'.\n", name);
  }
}

void NodeLog::cut_summary(const int* cut_params) {
  if (settings_.display < 1) return;
  // Summary lines in their order: family index, text, whether a switch
  // parameter at 1 or more forces the line.
  struct Line {
    int family;
    const char* text;
  };
  static constexpr Line kLines[] = {
      {1, "GUB cover cuts applied:  %lld\n"},
      {3, "Clique cuts applied:  %lld\n"},
      {0, "Cover cuts applied:  %lld\n"},
      {11, "Local cover cuts applied:  %lld\n"},
      {8, "Implied bound cuts applied:  %lld\n"},
      {2, "Flow cuts applied:  %lld\n"},
      {5, "Mixed integer rounding cuts applied:  %lld\n"},
      {6, "Flow path cuts applied:  %lld\n"},
      {9, "Zero-half cuts applied:  %lld\n"},
      {10, "Multi commodity flow cuts applied:  %lld\n"},
      {4, "Gomory fractional cuts applied:  %lld\n"},
      {7, "Disjunctive cuts applied:  %lld\n"},
      {12, "Tightening cuts applied:  %lld\n"},
      {13, "Objective disjunction cuts applied:  %lld\n"},
  };
  msg(env_.results(), "\n");
  for (const Line& l : kLines) {
    const int64_t count = record_.cuts[l.family];
    if (count != 0 || cut_params[l.family] >= 1)
      msg(env_.results(), l.text, static_cast<long long>(count));
  }
  if (record_.pool_cuts != 0)
    msg(env_.results(), "Solution pool cuts applied:  %lld\n", static_cast<long long>(record_.pool_cuts));
  if (record_.cuts[14] != 0) msg(env_.results(), "User cuts applied:  %lld\n", static_cast<long long>(record_.cuts[14]));
  if (record_.lazy_applied != 0)
    msg(env_.results(), "Lazy constraints applied:  %lld\n", static_cast<long long>(record_.lazy_applied));
}

void NodeLog::time_summary() {
  if (settings_.display < 2) return;
  msg(env_.results(), "\nRoot node processing (before b&c):\n");
  msg(env_.results(), "  Real time             = %7.2f\n", record_.root_time);
  if (record_.threads > 1) msg(env_.results(), "Parallel b&c, %d threads:\n", record_.threads);
  else msg(env_.results(), "Sequential b&c:\n");
  msg(env_.results(), "  Real time             = %7.2f\n", record_.bc_time);
  if (record_.threads > 1) {
    msg(env_.results(), "  Sync time (average)   = %7.2f\n", record_.sync_time);
    msg(env_.results(), "  Wait time (average)   = %7.2f\n", record_.wait_time);
  }
  msg(env_.results(), "                          -------\n");
  msg(env_.results(), "Total (root+branch&cut) = %7.2f sec.\n", record_.root_time + record_.bc_time);
}

}  // namespace korva::mip
