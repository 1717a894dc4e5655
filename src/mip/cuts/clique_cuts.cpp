#include "mip/cuts/clique_cuts.h"

#include <algorithm>
#include <cmath>

namespace korva::mip {

namespace {

constexpr double kMinViolation = 1e-4;
constexpr int kMaxSeeds = 200;            // cliques grown per round
constexpr int64_t kGrowthWork = 2000000;  // literals read while growing, per round

double literal_value(const double* x, int literal) {
  const double v = x[column_of(literal)];
  return is_complement(literal) ? 1.0 - v : v;
}

}  // namespace

void separate_cliques(const SeparationInput& in, const CliqueTable& table, std::vector<Cut>& out) {
  const int literals = 2 * in.model->num_cols;
  // Seeds: the cliques with the largest sums at x.
  std::vector<std::pair<double, int>> seeds;
  for (int c = 0; c < table.size(); ++c) {
    double sum = 0.0;
    for (const int* l = table.begin(c); l != table.end(c); ++l) sum += literal_value(in.x, *l);
    if (sum > 0.5) seeds.emplace_back(sum, c);
  }
  std::sort(seeds.begin(), seeds.end(), [](const auto& a, const auto& b) {
    return a.first != b.first ? a.first > b.first : a.second < b.second;
  });
  if (seeds.size() > kMaxSeeds) seeds.resize(kMaxSeeds);
  std::vector<int> neighbours(static_cast<size_t>(literals), 0);  // members a literal conflicts with
  std::vector<uint8_t> used_column(static_cast<size_t>(in.model->num_cols), 0);
  std::vector<int> touched, members;
  int64_t work = 0;
  for (const auto& [sum0, seed] : seeds) {
    if (work > kGrowthWork) break;
    members.assign(table.begin(seed), table.end(seed));
    double sum = sum0;
    for (int l : members) used_column[column_of(l)] = 1;
    // Count, for every literal, the members it shares a clique with.
    touched.clear();
    auto note_member = [&](int member) {
      for (int c : table.cliques_of(member))
        for (const int* l = table.begin(c); l != table.end(c); ++l) {
          if (neighbours[*l]++ == 0) touched.push_back(*l);
          ++work;
        }
    };
    for (int l : members) note_member(l);
    // Greedy growth: the literal with the largest value that conflicts with all.
    for (;;) {
      int best = -1;
      double best_value = 1e-6;
      work += static_cast<int64_t>(touched.size());
      for (int l : touched) {
        if (used_column[column_of(l)] || neighbours[l] < static_cast<int>(members.size())) continue;
        const double v = literal_value(in.x, l);
        if (v > best_value) {
          best_value = v;
          best = l;
        }
      }
      if (best < 0 || work > kGrowthWork) break;
      // A literal counted twice by one clique holding two members would
      // pass wrongly: recheck it against each member directly.
      bool all = true;
      for (int m : members) {
        bool share = false;
        for (int c : table.cliques_of(best)) {
          for (const int* l = table.begin(c); l != table.end(c) && !share; ++l) share = *l == m;
          work += table.end(c) - table.begin(c);
          if (share) break;
        }
        if (!share) {
          all = false;
          break;
        }
      }
      used_column[column_of(best)] = 1;
      if (!all) continue;
      members.push_back(best);
      sum += best_value;
      note_member(best);
    }
    for (int l : touched) neighbours[l] = 0;
    // Members and the columns passed over during growth are marked.
    std::fill(used_column.begin(), used_column.end(), 0);
    work += static_cast<int64_t>(used_column.size());
    if (sum <= 1.0 + kMinViolation) continue;
    Cut cut;
    cut.family = kCliqueCuts;
    cut.rhs = 1.0;
    for (int l : members) {
      cut.index.push_back(column_of(l));
      if (is_complement(l)) {
        cut.value.push_back(-1.0);
        cut.rhs -= 1.0;
      } else {
        cut.value.push_back(1.0);
      }
    }
    out.push_back(std::move(cut));
  }
}

}  // namespace korva::mip
