#include "mip/cuts/gomory_cuts.h"

#include <algorithm>
#include <cmath>

#include "mip/cuts/mir_cuts.h"

namespace korva::mip {

namespace {

// Multipliers this small against the largest are rounding noise.
constexpr double kNoise = 1e-11;
// A basic column this close to an integer gives no useful cut.
constexpr double kMinFractionality = 0.005;
// Entries read forming tableau rows, per round, as a multiple of the
// matrix's entries (and at least this many).
constexpr int64_t kWorkShare = 10;
constexpr int64_t kLeastWork = 1000000;

}  // namespace

void separate_gomory(const SeparationInput& in, const Domain& domain, NodeLp& lp, int candidates,
                     std::vector<Cut>& out) {
  const MipModel& m = *in.model;
  std::vector<std::pair<int, int>> basics;
  lp.basic_columns(basics);
  struct Candidate {
    int col, position;
    double score;  // distance of the fraction from 1/2
  };
  std::vector<Candidate> list;
  for (const auto& [col, position] : basics) {
    if (m.kind[col] != ColKind::Integer) continue;
    const double f = in.x[col] - std::floor(in.x[col]);
    if (f < kMinFractionality || f > 1.0 - kMinFractionality) continue;
    list.push_back({col, position, std::fabs(f - 0.5)});
  }
  std::sort(list.begin(), list.end(), [](const Candidate& a, const Candidate& b) {
    return a.score != b.score ? a.score < b.score : a.col < b.col;
  });
  if (static_cast<int>(list.size()) > candidates) list.resize(static_cast<size_t>(candidates));

  // Row activities at x, for the logicals' values.
  std::vector<double> activity(static_cast<size_t>(m.num_relaxation_rows));
  for (int i = 0; i < m.num_relaxation_rows; ++i) activity[i] = row_activity(m, i, in.x);
  std::vector<double> lambda, dense(static_cast<size_t>(m.num_cols), 0.0);
  std::vector<ExtraVariable> extras;
  BaseRow row;
  Cut cut;
  const int64_t budget = std::max<int64_t>(kLeastWork, kWorkShare * static_cast<int64_t>(m.row_col.size()));
  int64_t work = 0;
  for (size_t done = 0; done < list.size(); ++done) {
    const Candidate& c = list[done];
    in.report(static_cast<int64_t>(done), static_cast<int64_t>(list.size()), work);
    if (work > budget) break;
    if (!lp.tableau_multipliers(c.position, lambda)) return;
    work += m.num_relaxation_rows + m.num_cols;
    double largest = 0.0;
    for (double l : lambda) largest = std::max(largest, std::fabs(l));
    if (!(largest > 0.0)) continue;
    // Σ_i λ_i·(a_i·x + s_i) = 0, the logicals as extra variables.
    extras.clear();
    row.index.clear();
    row.value.clear();
    row.rhs = 0.0;
    for (int i = 0; i < m.num_relaxation_rows; ++i) {
      const double l = lambda[i];
      if (std::fabs(l) <= kNoise * largest) continue;
      for (int64_t k = m.row_begin[i]; k < m.row_begin[i + 1]; ++k) dense[m.row_col[k]] += l * m.row_val[k];
      work += 2 * (m.row_begin[i + 1] - m.row_begin[i]);
      const bool active = domain.row_active(i);
      ExtraVariable e;
      e.lower = active ? -m.row_hi[i] : -kInf;
      e.upper = active ? -m.row_lo[i] : kInf;
      e.value = -activity[i];
      for (int64_t k = m.row_begin[i]; k < m.row_begin[i + 1]; ++k) {
        e.index.push_back(m.row_col[k]);
        e.coefficient.push_back(-m.row_val[k]);
      }
      row.index.push_back(m.num_cols + static_cast<int>(extras.size()));
      row.value.push_back(l);
      extras.push_back(std::move(e));
    }
    for (int j = 0; j < m.num_cols; ++j) {
      if (dense[j] == 0.0) continue;
      row.index.push_back(j);
      row.value.push_back(dense[j]);
      dense[j] = 0.0;
    }
    if (!best_mir_cut(in, row, extras, {c.col}, cut)) continue;
    cut.family = kGomoryCuts;
    out.push_back(cut);
  }
}

}  // namespace korva::mip
