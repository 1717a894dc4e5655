// The cut-generating LP of lift-and-project cuts for split disjunctions
// x_k <= π ∨ x_k >= π + 1 over the LP relaxation written as inequalities
// G·x >= g (each finite row side and each finite column bound). A cut
// α·x >= β is valid for both sides of the split when it is a nonnegative
// combination of each side's inequalities:
//   α = u·G - u0·e_k = v·G + v0·e_k,   β <= u·g - u0·π,   β <= v·g + v0·(π + 1),
// and the most violated one at the LP point x* minimises α·x* - β over
// multipliers normalised to Σu + Σv + u0 + v0 = 1. α is substituted by its
// side-0 form, so the LP has one equality per column of the model, the two
// β rows and the normalisation; its columns are u, v, β and one pair
// (u0, v0) per candidate, held at 0 except for the candidate being solved.
// Switching candidates changes bounds only, so each solve starts from the
// basis of the previous one.
#pragma once
#include <cstdint>
#include <vector>

#include "mip/cuts/cut.h"
#include "mip/mip_model.h"
#include "model/problem.h"
#include "simplex/core/simplex_run.h"
#include "simplex/core/simplex_work.h"

namespace korva::mip {

// sign·(a_row·x) >= rhs for a row side, sign·x_col >= rhs for a bound.
struct Inequality {
  int row = -1;  // -1: a bound of `col`
  int col = -1;
  double sign = 1.0;
  double rhs = 0.0;
};

// The relaxation's lower bounds: a semi-continuous or semi-integer column
// may also sit at 0.
double relaxation_lower(const SeparationInput& in, int col);

// The inequalities of the first `rows` rows and of the finite bounds.
void list_inequalities(const SeparationInput& in, int rows, std::vector<Inequality>& out);

// What the LP for `candidates` split columns over these inequalities needs.
struct CglpSize {
  int64_t multipliers = 0;  // u, v, u0 and v0 columns
  int64_t entries = 0;      // nonzeros of its matrix
};
CglpSize cglp_size(const MipModel& m, int rows, int candidates);

// One split candidate: the column and its LP value.
struct SplitCandidate {
  int col = -1;
  double value = 0.0;
};

// The multipliers of a solved CGLP (clipped at 0) and its optimum.
struct CglpMultipliers {
  std::vector<double> u, v;  // per inequality, side 0 and side 1
  double u0 = 0.0, v0 = 0.0;
  double objective = 0.0;
};

class CutGeneratingLp {
 public:
  CutGeneratingLp() = default;
  ~CutGeneratingLp();
  CutGeneratingLp(const CutGeneratingLp&) = delete;
  CutGeneratingLp& operator=(const CutGeneratingLp&) = delete;

  // Builds the LP (an internal problem of the environment). 0 or an error code.
  int build(Environment& env, const SeparationInput& in, const std::vector<Inequality>& inequalities,
            const std::vector<SplitCandidate>& candidates);

  // Solves for candidates[c] in at most `iteration_limit` simplex
  // iterations. Returns 0 or an error code; `solved` says whether an
  // optimum was reached and `out` holds it then.
  int solve(Environment& env, int c, int64_t iteration_limit, bool* solved, CglpMultipliers& out);

  // Simplex iterations of the solves so far, and the rows of the LP.
  int64_t iterations() const { return iterations_; }
  int rows() const { return rows_; }

 private:
  void set_upper(int var, double upper);

  Problem* problem_ = nullptr;
  simplex::SimplexWork* w_ = nullptr;
  simplex::SimplexSettings settings_;
  std::vector<double> obj_;
  int inequalities_ = 0;
  int first_candidate_ = 0;  // the column of the first candidate's u0 (its v0 follows)
  int active_ = -1;          // the candidate whose pair is free
  int rows_ = 0;
  int64_t iterations_ = 0;
};

}  // namespace korva::mip
