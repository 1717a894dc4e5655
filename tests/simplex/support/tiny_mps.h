// TEST-ONLY: reads just enough of a (gzipped) MPS file to get the
// constraint matrix A: the ROWS and COLUMNS sections, whitespace-separated,
// objective rows skipped, integer markers ignored. It exists so the kernel
// tests can use real bases before the library's own reader is available;
// it performs no validation and is not meant for anything else.
#pragma once
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <unordered_map>
#include <vector>

#include "simplex/support/sparse_matrix.h"

namespace korva_test {

inline bool read_tiny_mps(const std::string& path, SparseMatrix& a) {
  std::string command = "gzip -dc '" + path + "'";
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return false;
  std::unordered_map<std::string, int> row_of;
  std::unordered_map<std::string, bool> objective;
  std::vector<std::vector<std::pair<int, double>>> columns;
  std::string current;
  enum { kNone, kRows, kColumns } section = kNone;
  char buffer[4096];
  while (fgets(buffer, sizeof buffer, pipe)) {
    std::string line(buffer);
    if (line.empty() || line[0] == '*' || line[0] == '\n' || line[0] == '\r') continue;
    std::istringstream in(line);
    std::vector<std::string> tok;
    for (std::string t; in >> t;) tok.push_back(t);
    if (tok.empty()) continue;
    if (line[0] != ' ' && line[0] != '\t') {
      if (tok[0] == "ROWS") section = kRows;
      else if (tok[0] == "COLUMNS") section = kColumns;
      else if (section == kColumns) break;  // RHS, RANGES, BOUNDS, ENDATA: A is complete
      else section = kNone;
      continue;
    }
    if (section == kRows && tok.size() >= 2) {
      if (tok[0] == "N" || tok[0] == "n") objective[tok[1]] = true;
      else row_of.emplace(tok[1], static_cast<int>(row_of.size()));
    } else if (section == kColumns) {
      if (tok.size() >= 3 && tok[1].find("MARKER") != std::string::npos) continue;
      if (tok.size() != 3 && tok.size() != 5) continue;
      if (tok[0] != current) {
        current = tok[0];
        columns.emplace_back();
      }
      for (size_t k = 1; k + 1 < tok.size(); k += 2) {
        auto it = row_of.find(tok[k]);
        if (it == row_of.end()) continue;  // objective entry
        double v = std::strtod(tok[k + 1].c_str(), nullptr);
        if (v != 0.0) columns.back().push_back({it->second, v});
      }
    }
  }
  pclose(pipe);
  a = SparseMatrix{};
  a.rows = static_cast<int>(row_of.size());
  a.cols = static_cast<int>(columns.size());
  a.begin.push_back(0);
  for (const auto& col : columns) {
    for (const auto& [i, v] : col) {
      a.index.push_back(i);
      a.value.push_back(v);
    }
    a.begin.push_back(static_cast<int64_t>(a.index.size()));
  }
  return a.rows > 0;
}

}  // namespace korva_test
