// What a node's LP solution leaves undecided, and how the node is split.
// Candidates are the integer columns at fractional values, semi-continuous
// columns strictly between 0 and their lower bound, special ordered sets
// with too many nonzeros and indicators whose row does not hold. The
// branching rules (KRV_PARAM_VARSEL) choose among them; a branch is a list
// of bound changes per child.
#pragma once
#include <cstdint>
#include <vector>

#include "mip/domain.h"
#include "mip/mip_model.h"
#include "mip/pseudocosts.h"

namespace korva::mip {

enum class CandidateKind { Column, SemiContinuous, Sos, Indicator };

struct Candidate {
  CandidateKind kind = CandidateKind::Column;
  int index = -1;         // column, set or indicator link
  double value = 0.0;     // LP value (columns)
  double fraction = 0.0;  // value - floor(value)
  double infeasibility = 0.0;
};

struct Candidates {
  std::vector<Candidate> columns;  // fractional integer columns
  std::vector<Candidate> others;   // semi-continuous, sets, indicators
  double sum_infeasibility = 0.0;
  bool empty() const { return columns.empty() && others.empty(); }
  int64_t count() const { return static_cast<int64_t>(columns.size() + others.size()); }
};

// Everything `x` violates among integrality, semi-continuity, the sets and
// the indicator rows (the model's rows themselves are the LP's business).
void find_candidates(const MipModel& model, const Domain& domain, const std::vector<double>& x,
                     double integrality_tol, double feasibility_tol, Candidates& out);

// A split of a node into two children; `first` is the child to take first
// (0 or 1).
struct Branch {
  std::vector<BoundChange> child[2];
  char type[2] = {'D', 'U'};
  int col = -1;      // branching column, or -1
  int set = -1;      // branching set, or -1
  double change[2] = {0.0, 0.0};  // the branching column's move in each child
  int first = 0;
  double estimate_increase[2] = {0.0, 0.0};
};

// Down and up children of a fractional (or out-of-range) column.
Branch column_branch(const Domain& domain, int col, double value);
// The children of any other candidate.
Branch other_branch(const MipModel& model, const Domain& domain, const Candidate& c, const std::vector<double>& x);
// When no LP solution is trustworthy: halve the widest integer range
// (false when every integer column is fixed).
bool blind_branch(const MipModel& model, const Domain& domain, Branch& out);

// The rule of KRV_PARAM_VARSEL 1: largest infeasibility min(f, 1 - f),
// first on ties; a non-column candidate replaces it when strictly larger.
const Candidate& most_infeasible(const Candidates& c);
// KRV_PARAM_VARSEL -1: smallest infeasibility.
const Candidate& least_infeasible(const Candidates& c);

// Pseudocost score of a fractional column: the product of its estimated
// down and up degradations (each at least a small floor).
double pseudocost_score(const Pseudocosts& pc, const Candidate& c);
double score_of(double down, double up);

}  // namespace korva::mip
