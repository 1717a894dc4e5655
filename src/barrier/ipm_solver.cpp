#include "barrier/ipm_solver.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

#include "barrier/barrier_log.h"
#include "barrier/certificates.h"
#include "barrier/linalg/factor_storage.h"
#include "barrier/dense_columns.h"
#include "barrier/augmented_system.h"
#include "barrier/normal_system.h"
#include "env/channel.h"
#include "env/errors.h"
#include "env/time_limit.h"
#include "simplex/core/run_monitor.h"
#include "simplex/status.h"

namespace korva::barrier {

namespace {

constexpr double kFreeRegularisation = 1e-8;  // θ⁻¹ of a free variable
constexpr double kPrimalRegularisation = 1e-12;
constexpr double kDualRegularisation = 1e-12;
constexpr double kFeasibleEnough = 1e-8;    // relative infeasibility of a feasible point
constexpr double kOverflowObjective = 1e76;
constexpr double kOverflowMeasure = 1e75;
constexpr double kRingStart = 1e75;
constexpr int kLongRing = 20;
constexpr int kShortRing = 10;
constexpr double kGondzioLow = 0.1, kGondzioHigh = 10.0;
constexpr int kWhereBarrier = 3;
constexpr double kDependentRowTolerance = 1e-6;  // relative residual of a dropped row at an optimum

struct Iterate {
  std::vector<double> x, xl, xu, y, zl, zu;
  // The homogeneous embedding's scale τ and gap variable κ (1 and 0 outside it).
  double tau = 1.0, kappa = 0.0;
  void resize(int n, int m) {
    for (auto* v : {&x, &xl, &xu, &zl, &zu}) v->assign(static_cast<size_t>(n), 0.0);
    y.assign(static_cast<size_t>(m), 0.0);
  }
};

// The residuals of the current iterate and the measures printed and tested.
struct Measures {
  double primal_objective = 0, dual_objective = 0;
  double primal_inf = 0, upper_inf = 0, dual_inf = 0;
  double complementarity = 0, gap = 0;
  double rel_primal = 0, rel_dual = 0, rel_complementarity = 0;
  double mu = 0;
  // Homogeneous formulation: τ/κ, and the objectives of the unscaled point.
  double ratio = 0, primal_h = 0, dual_h = 0;
  // What the stall test follows: complementarity, gap, primal plus upper
  // infeasibility and dual infeasibility (of the unscaled point when homogeneous).
  double ring[4] = {0, 0, 0, 0};
  double merit() const { return std::max({rel_primal, rel_dual, rel_complementarity}); }
};

class Solver {
 public:
  Solver(Environment& env, const IpmModel& model, const IpmSettings& settings)
      : env_(env), given_(model), model_(model), settings_(settings) {}

  int run(IpmResult& result);

 private:
  int prepare();
  void starting_point();
  void compute_residuals();
  Measures measure() const;
  void compute_theta();
  // Newton direction for the residuals held in rp_, rl_, ru_, rd_ and the
  // complementarity targets cl_, cu_.
  void direction(Iterate& d) { solve_direction(rp_, rl_, ru_, rd_, cl_, cu_, d); }
  void solve_direction(const std::vector<double>& rp, const std::vector<double>& rl, const std::vector<double>& ru,
                       const std::vector<double>& rd, const std::vector<double>& cl, const std::vector<double>& cu,
                       Iterate& d);
  // Homogeneous formulation: completes a direction solved for the residuals
  // scaled by eta with the τ component (ck: target of τ·κ) and κ.
  void solve_tau_column();
  void add_tau_component(Iterate& d, double eta, double ck);
  double gap_change(const Iterate& d) const;
  IpmOutcome classify_infeasibility(const Measures& s);
  void drop_dependent_rows();
  bool dependent_rows_hold(const std::vector<double>& x) const;
  void step_lengths(const Iterate& d, double* ap, double* ad) const;
  int64_t centrality_corrections(Iterate& d, double sigma_mu, double* ap, double* ad);
  bool factor();
  const FactorStatistics& statistics() const;
  void compute_qx(const std::vector<double>& x);
  void take_step(const Iterate& d, double ap, double ad);
  int64_t corrections_allowed();
  // The "Inf Ratio" column: τ/κ on the embedding, nothing otherwise.
  std::optional<double> shown_ratio(const Measures& s) const {
    return homogeneous_ ? std::optional<double>(s.ratio) : std::nullopt;
  }

  Environment& env_;
  // The model as given, and the copy the iterations work on, where rows
  // that the others imply are zeroed.
  const IpmModel& given_;
  IpmModel model_;
  std::vector<int> dependent_rows_;
  IpmSettings settings_;
  NormalSystem normal_;
  AugmentedSystem augmented_;
  bool quadratic_ = false;
  std::vector<double> qx_;  // Q·x of the current iterate
  Iterate it_, best_, aff_, corr_, tau_column_;
  std::vector<char> lo_, up_;
  std::vector<double> rp_, rl_, ru_, rd_, cl_, cu_;
  std::vector<double> theta_, rhat_, rhs_y_;
  bool homogeneous_ = false;
  double rg_ = 0;              // residual of the homogeneous gap equation
  double tau_column_gap_ = 0;  // gap_change(tau_column_)
  double mu_start_ = 0, ratio_start_ = 0;
  std::vector<double> zero_;
  double bound_norm_ = 0;
  int pairs_ = 0;  // finite bounds: complementarity pairs
  double step_factor_ = 0.995;
  int64_t max_corrections_ = 0;
};

void Solver::compute_residuals() {
  const CscMatrix& a = model_.a;
  const int n = model_.cols;
  const double tau = it_.tau;
  for (int i = 0; i < model_.rows; ++i) rp_[i] = tau * model_.b[i];
  if (quadratic_) compute_qx(it_.x);
  for (int j = 0; j < n; ++j) {
    const double xj = it_.x[j];
    if (xj != 0.0) axpy_column(a, j, -xj, rp_.data());
    rl_[j] = lo_[j] ? tau * model_.lower[j] - xj + it_.xl[j] : 0.0;
    ru_[j] = up_[j] ? tau * model_.upper[j] - xj - it_.xu[j] : 0.0;
    rd_[j] = tau * model_.c[j] + (quadratic_ ? qx_[j] : 0.0) - dot_column(a, j, it_.y.data()) -
             (lo_[j] ? it_.zl[j] : 0.0) + (up_[j] ? it_.zu[j] : 0.0);
  }
  if (homogeneous_) {
    // κ + cᵀx − (bᵀy + lᵀzl − uᵀzu): zero when the objectives of the
    // unscaled point differ by exactly κ.
    double primal = 0, dual = 0;
    for (int j = 0; j < n; ++j) {
      primal += model_.c[j] * it_.x[j];
      if (lo_[j]) dual += model_.lower[j] * it_.zl[j];
      if (up_[j]) dual -= model_.upper[j] * it_.zu[j];
    }
    for (int i = 0; i < model_.rows; ++i) dual += model_.b[i] * it_.y[i];
    rg_ = it_.kappa + primal - dual;
  }
}

Measures Solver::measure() const {
  Measures s;
  const int n = model_.cols;
  const double base = homogeneous_ ? 0.0 : model_.objective_constant;
  double pobj = base, dobj = base, compl_sum = 0;
  for (int j = 0; j < n; ++j) pobj += model_.c[j] * it_.x[j];
  if (quadratic_) {
    // qx_ belongs to the iterate: compute_residuals() ran first.
    double half_xqx = 0;
    for (int j = 0; j < n; ++j) half_xqx += 0.5 * it_.x[j] * qx_[j];
    pobj += half_xqx;
    dobj -= half_xqx;
  }
  for (int i = 0; i < model_.rows; ++i) dobj += model_.b[i] * it_.y[i];
  for (int j = 0; j < n; ++j) {
    if (lo_[j]) {
      dobj += model_.lower[j] * it_.zl[j];
      compl_sum += it_.xl[j] * it_.zl[j];
    }
    if (up_[j]) {
      dobj -= model_.upper[j] * it_.zu[j];
      compl_sum += it_.xu[j] * it_.zu[j];
    }
  }
  s.primal_objective = pobj;
  s.dual_objective = dobj;
  s.primal_inf = max_abs(rp_);
  s.upper_inf = std::max(max_abs(rl_), max_abs(ru_));
  s.dual_inf = max_abs(rd_);
  s.complementarity = compl_sum;
  s.ring[2] = s.primal_inf + s.upper_inf;
  s.ring[3] = s.dual_inf;
  if (homogeneous_) {
    // The rings follow the embedding itself, whose residuals and
    // complementarity shrink together; the rest describes x/τ.
    const double tau = it_.tau, inv = 1.0 / tau;
    s.ring[0] = compl_sum + tau * it_.kappa;
    s.ring[1] = std::fabs(rg_);
    s.primal_h = pobj;
    s.dual_h = dobj;
    s.ratio = tau / it_.kappa;
    s.primal_objective = model_.objective_constant + pobj * inv;
    s.dual_objective = model_.objective_constant + dobj * inv;
    s.primal_inf *= inv;
    s.upper_inf *= inv;
    s.dual_inf *= inv;
    s.complementarity = compl_sum * inv * inv;
    s.mu = s.ring[0] / (pairs_ + 1);
  }
  s.gap = s.primal_objective - s.dual_objective;
  s.rel_primal = std::max(s.primal_inf / (1.0 + model_.b_norm), s.upper_inf / (1.0 + bound_norm_));
  s.rel_dual = s.dual_inf / (1.0 + model_.c_norm);
  s.rel_complementarity = s.complementarity / (1.0 + std::fabs(s.dual_objective));
  if (!homogeneous_) {
    s.mu = pairs_ > 0 ? compl_sum / pairs_ : 0.0;
    s.ring[0] = s.complementarity;
    s.ring[1] = std::fabs(s.gap);
  }
  return s;
}

void Solver::compute_theta() {
  const int n = model_.cols;
  for (int j = 0; j < n; ++j) {
    double inv = kPrimalRegularisation;
    if (lo_[j]) inv += it_.zl[j] / it_.xl[j];
    if (up_[j]) inv += it_.zu[j] / it_.xu[j];
    if (!lo_[j] && !up_[j] && !quadratic_) inv += kFreeRegularisation;
    theta_[j] = quadratic_ ? inv : 1.0 / inv;  // the augmented system takes Θ⁻¹
  }
}

bool Solver::factor() {
  return quadratic_ ? augmented_.factor(theta_.data(), 1.0) : normal_.factor(theta_.data(), kDualRegularisation);
}

const FactorStatistics& Solver::statistics() const {
  return quadratic_ ? augmented_.statistics() : normal_.statistics();
}

void Solver::compute_qx(const std::vector<double>& x) {
  const CscMatrix& q = model_.q;
  std::fill(qx_.begin(), qx_.end(), 0.0);
  for (int j = 0; j < model_.cols; ++j)
    if (x[j] != 0.0) axpy_column(q, j, x[j], qx_.data());
}

// Solves A·dx = rp, dx − dxl = rl, dx + dxu = ru, Aᵀdy + dzl − dzu + Q·dx = rd
// and the linearised complementarity zl·dxl + xl·dzl = cl, zu·dxu + xu·dzu = cu.
void Solver::solve_direction(const std::vector<double>& rp, const std::vector<double>& rl,
                             const std::vector<double>& ru, const std::vector<double>& rd,
                             const std::vector<double>& cl, const std::vector<double>& cu, Iterate& d) {
  const CscMatrix& a = model_.a;
  const int n = model_.cols;
  for (int j = 0; j < n; ++j) {
    double r = rd[j];
    if (lo_[j]) r -= (cl[j] + it_.zl[j] * rl[j]) / it_.xl[j];
    if (up_[j]) r += (cu[j] - it_.zu[j] * ru[j]) / it_.xu[j];
    rhat_[j] = r;
  }
  RefinementReport report;
  if (quadratic_) {
    std::copy(rhat_.begin(), rhat_.end(), d.x.begin());
    std::copy(rp.begin(), rp.end(), d.y.begin());
    augmented_.solve(d.x.data(), d.y.data(), &report);
  } else {
    std::copy(rp.begin(), rp.end(), rhs_y_.begin());
    for (int j = 0; j < n; ++j) {
      const double t = theta_[j] * rhat_[j];
      if (t != 0.0) axpy_column(a, j, t, rhs_y_.data());
    }
    normal_.solve(rhs_y_.data(), &report);
    std::copy(rhs_y_.begin(), rhs_y_.end(), d.y.begin());
    for (int j = 0; j < n; ++j) d.x[j] = theta_[j] * (dot_column(a, j, d.y.data()) - rhat_[j]);
  }
  if (settings_.display >= 2)
    msg(env_.results(), "Refinement - orig %.2e, refined %.2e, target %.2e, %d iter\n", report.initial,
        report.refined, report.target, report.passes);
  for (int j = 0; j < n; ++j) {
    const double dx = d.x[j];
    if (lo_[j]) {
      d.xl[j] = dx - rl[j];
      d.zl[j] = (cl[j] - it_.zl[j] * d.xl[j]) / it_.xl[j];
    }
    if (up_[j]) {
      d.xu[j] = ru[j] - dx;
      d.zu[j] = (cu[j] - it_.zu[j] * d.xu[j]) / it_.xu[j];
    }
  }
}

// The homogeneous Newton system differs from the one above by the column of
// dτ: A·dx − b·dτ = η·rp, dx − dxl − l·dτ = η·rl, dx + dxu − u·dτ = η·ru,
// Aᵀdy + dzl − dzu − c·dτ = η·rd, plus the gap row
// dκ + cᵀdx − bᵀdy − lᵀdzl + uᵀdzu = −η·rg and κ·dτ + τ·dκ = ck. By
// linearity the direction is q + dτ·p, with q solved for the scaled
// residuals and p for (b, l, u, c): one extra solve per factorisation.
void Solver::solve_tau_column() {
  solve_direction(model_.b, model_.lower, model_.upper, model_.c, zero_, zero_, tau_column_);
  tau_column_gap_ = gap_change(tau_column_);
}

// cᵀdx − bᵀdy − lᵀdzl + uᵀdzu.
double Solver::gap_change(const Iterate& d) const {
  double change = 0;
  for (int j = 0; j < model_.cols; ++j) {
    change += model_.c[j] * d.x[j];
    if (lo_[j]) change -= model_.lower[j] * d.zl[j];
    if (up_[j]) change += model_.upper[j] * d.zu[j];
  }
  for (int i = 0; i < model_.rows; ++i) change -= model_.b[i] * d.y[i];
  return change;
}

void Solver::add_tau_component(Iterate& d, double eta, double ck) {
  const double tau = it_.tau, kappa = it_.kappa;
  // gap_change(p) <= 0 (it is −Σ z/x·dx² over p's bound slacks), so the
  // denominator is below −κ/τ < 0.
  const double dtau = (-eta * rg_ - ck / tau - gap_change(d)) / (tau_column_gap_ - kappa / tau);
  const Iterate& p = tau_column_;
  for (int j = 0; j < model_.cols; ++j) {
    d.x[j] += dtau * p.x[j];
    if (lo_[j]) d.xl[j] += dtau * p.xl[j], d.zl[j] += dtau * p.zl[j];
    if (up_[j]) d.xu[j] += dtau * p.xu[j], d.zu[j] += dtau * p.zu[j];
  }
  for (int i = 0; i < model_.rows; ++i) d.y[i] += dtau * p.y[i];
  d.tau = dtau;
  d.kappa = (ck - kappa * dtau) / tau;
}

void Solver::step_lengths(const Iterate& d, double* ap, double* ad) const {
  double p = 1.0, q = 1.0;
  const int n = model_.cols;
  for (int j = 0; j < n; ++j) {
    if (lo_[j]) {
      if (d.xl[j] < 0) p = std::min(p, -it_.xl[j] / d.xl[j]);
      if (d.zl[j] < 0) q = std::min(q, -it_.zl[j] / d.zl[j]);
    }
    if (up_[j]) {
      if (d.xu[j] < 0) p = std::min(p, -it_.xu[j] / d.xu[j]);
      if (d.zu[j] < 0) q = std::min(q, -it_.zu[j] / d.zu[j]);
    }
  }
  if (homogeneous_) {
    // One step for both sides keeps the embedding's residuals and its
    // complementarity shrinking at the same rate.
    if (d.tau < 0) p = std::min(p, -it_.tau / d.tau);
    if (d.kappa < 0) p = std::min(p, -it_.kappa / d.kappa);
    p = q = std::min(p, q);
  }
  *ap = p;
  *ad = q;
}

// Gondzio's corrections: push the complementarity products that the step
// would leave far from the target σμ back into [0.1·σμ, 10·σμ], as long as
// each correction lengthens the step.
int64_t Solver::centrality_corrections(Iterate& d, double sigma_mu, double* ap, double* ad) {
  const int n = model_.cols;
  std::fill(rp_.begin(), rp_.end(), 0.0);
  std::fill(rl_.begin(), rl_.end(), 0.0);
  std::fill(ru_.begin(), ru_.end(), 0.0);
  std::fill(rd_.begin(), rd_.end(), 0.0);
  int64_t done = 0;
  for (; done < max_corrections_; ++done) {
    const double target_p = std::min(1.0, 1.5 * *ap + 0.3), target_d = std::min(1.0, 1.5 * *ad + 0.3);
    auto correction = [&](double x, double dx, double z, double dz) {
      const double v = (x + target_p * dx) * (z + target_d * dz);
      if (v < kGondzioLow * sigma_mu) return kGondzioLow * sigma_mu - v;
      if (v > kGondzioHigh * sigma_mu) return std::max(kGondzioHigh * sigma_mu - v, -kGondzioHigh * sigma_mu);
      return 0.0;
    };
    for (int j = 0; j < n; ++j) {
      cl_[j] = lo_[j] ? correction(it_.xl[j], d.xl[j], it_.zl[j], d.zl[j]) : 0.0;
      cu_[j] = up_[j] ? correction(it_.xu[j], d.xu[j], it_.zu[j], d.zu[j]) : 0.0;
    }
    direction(corr_);
    if (homogeneous_) {
      add_tau_component(corr_, 0.0, correction(it_.tau, d.tau, it_.kappa, d.kappa));
      corr_.tau += d.tau;
      corr_.kappa += d.kappa;
    }
    for (int j = 0; j < n; ++j) {
      corr_.x[j] += d.x[j];
      corr_.xl[j] += d.xl[j];
      corr_.xu[j] += d.xu[j];
      corr_.zl[j] += d.zl[j];
      corr_.zu[j] += d.zu[j];
    }
    for (int i = 0; i < model_.rows; ++i) corr_.y[i] += d.y[i];
    double np = 0, nd = 0;
    step_lengths(corr_, &np, &nd);
    if (np + nd < 1.01 * (*ap + *ad)) break;
    std::swap(d, corr_);
    *ap = np;
    *ad = nd;
  }
  return done;
}

void Solver::take_step(const Iterate& d, double ap, double ad) {
  const int n = model_.cols;
  for (int j = 0; j < n; ++j) {
    it_.x[j] += ap * d.x[j];
    if (lo_[j]) {
      it_.xl[j] += ap * d.xl[j];
      it_.zl[j] += ad * d.zl[j];
    }
    if (up_[j]) {
      it_.xu[j] += ap * d.xu[j];
      it_.zu[j] += ad * d.zu[j];
    }
  }
  for (int i = 0; i < model_.rows; ++i) it_.y[i] += ad * d.y[i];
  if (homogeneous_) {
    it_.tau += ap * d.tau;
    it_.kappa += ad * d.kappa;
  }
}

// A least-squares point shifted into the interior, after Mehrotra.
// Start algorithms 2 and 4 also estimate the duals; 1 and 3 start them
// from y = 0; 3 and 4 centre the bound slacks on their average.
void Solver::starting_point() {
  const CscMatrix& a = model_.a;
  const int n = model_.cols, m = model_.rows;
  // Least squares: x = Aᵀ(AAᵀ)⁻¹b, and for 2 and 4 y = (AAᵀ)⁻¹Ac.
  std::vector<double> x0(static_cast<size_t>(n), 0.0);
  if (quadratic_) {
    std::fill(theta_.begin(), theta_.end(), 1.0);
    augmented_.factor(theta_.data(), 0.0);
    std::copy(model_.b.begin(), model_.b.end(), rhs_y_.begin());
    augmented_.solve(x0.data(), rhs_y_.data());
  } else {
    if (settings_.drop_dependent_rows) drop_dependent_rows();
    std::fill(theta_.begin(), theta_.end(), 1.0);
    normal_.factor(theta_.data(), kDualRegularisation);
    std::copy(model_.b.begin(), model_.b.end(), rhs_y_.begin());
    normal_.solve(rhs_y_.data());
    for (int j = 0; j < n; ++j) x0[j] = dot_column(a, j, rhs_y_.data());
  }
  for (int j = 0; j < n; ++j) {
    double xj = x0[j];
    if (lo_[j] && up_[j] && (xj <= model_.lower[j] || xj >= model_.upper[j]))
      xj = 0.5 * (model_.lower[j] + model_.upper[j]);
    it_.x[j] = xj;
    it_.xl[j] = lo_[j] ? xj - model_.lower[j] : 0.0;
    it_.xu[j] = up_[j] ? model_.upper[j] - xj : 0.0;
  }
  const int alg = settings_.start_algorithm;
  std::fill(it_.y.begin(), it_.y.end(), 0.0);
  if (alg == 2 || alg == 4) {
    if (quadratic_) {
      std::copy(model_.c.begin(), model_.c.end(), x0.begin());
      std::fill(rhs_y_.begin(), rhs_y_.end(), 0.0);
      augmented_.solve(x0.data(), rhs_y_.data());
    } else {
      std::fill(rhs_y_.begin(), rhs_y_.end(), 0.0);
      for (int j = 0; j < n; ++j) axpy_column(a, j, model_.c[j], rhs_y_.data());
      normal_.solve(rhs_y_.data());
    }
    std::copy(rhs_y_.begin(), rhs_y_.begin() + m, it_.y.begin());
  }
  for (int j = 0; j < n; ++j) {
    const double z = model_.c[j] - dot_column(a, j, it_.y.data());
    if (lo_[j] && up_[j]) {
      it_.zl[j] = std::max(z, 0.0);
      it_.zu[j] = std::max(-z, 0.0);
    } else if (lo_[j]) {
      it_.zl[j] = z;
    } else if (up_[j]) {
      it_.zu[j] = -z;
    }
  }
  // Shift both sides into the interior, then balance the products.
  double min_x = std::numeric_limits<double>::infinity(), min_z = min_x;
  for (int j = 0; j < n; ++j) {
    if (lo_[j]) min_x = std::min(min_x, it_.xl[j]), min_z = std::min(min_z, it_.zl[j]);
    if (up_[j]) min_x = std::min(min_x, it_.xu[j]), min_z = std::min(min_z, it_.zu[j]);
  }
  if (pairs_ == 0) {
    if (homogeneous_) it_.tau = it_.kappa = 1.0;
    return;
  }
  const double shift_x = std::max(-1.5 * min_x, 0.0), shift_z = std::max(-1.5 * min_z, 0.0);
  double product = 0, sum_x = 0, sum_z = 0;
  for (int j = 0; j < n; ++j) {
    if (lo_[j]) {
      it_.xl[j] += shift_x;
      it_.zl[j] += shift_z;
      product += it_.xl[j] * it_.zl[j];
      sum_x += it_.xl[j];
      sum_z += it_.zl[j];
    }
    if (up_[j]) {
      it_.xu[j] += shift_x;
      it_.zu[j] += shift_z;
      product += it_.xu[j] * it_.zu[j];
      sum_x += it_.xu[j];
      sum_z += it_.zu[j];
    }
  }
  double add_x = sum_z > 0 ? 0.5 * product / sum_z : 1.0;
  double add_z = sum_x > 0 ? 0.5 * product / sum_x : 1.0;
  if (alg >= 3) {
    add_x = std::max(add_x, sum_x / pairs_);
    add_z = std::max(add_z, sum_z / pairs_);
  }
  // A start on the boundary would stay there.
  add_x = std::max(add_x, 1e-2);
  add_z = std::max(add_z, 1e-2);
  for (int j = 0; j < n; ++j) {
    if (lo_[j]) it_.xl[j] += add_x, it_.zl[j] += add_z;
    if (up_[j]) it_.xu[j] += add_x, it_.zu[j] += add_z;
  }
  if (homogeneous_) {
    // τ·κ as central as the other pairs.
    double products = 0;
    for (int j = 0; j < n; ++j) {
      if (lo_[j]) products += it_.xl[j] * it_.zl[j];
      if (up_[j]) products += it_.xu[j] * it_.zu[j];
    }
    it_.tau = 1.0;
    it_.kappa = products / pairs_;
  }
}

// τ has vanished against κ: the unscaled point nearly solves the
// homogeneous system with κ = bᵀy + lᵀzl − uᵀzu − cᵀx > 0, so a positive
// dual objective is a Farkas certificate for the constraints and a
// negative primal objective a ray. Both are checked on the data before
// they are believed.
IpmOutcome Solver::classify_infeasibility(const Measures& s) {
  constexpr double kZero = 1e-10, kDominates = 1e4;
  const double size = std::max({max_abs(it_.x), max_abs(it_.y), max_abs(it_.zl), max_abs(it_.zu), it_.tau, it_.kappa});
  double primal = s.primal_h / size, dual = s.dual_h / size;
  if (std::fabs(primal) < kZero) primal = 0;
  if (std::fabs(dual) < kZero) dual = 0;
  bool primal_infeasible = dual > 0, dual_infeasible = primal < 0;
  if (primal_infeasible && dual_infeasible) {
    const double ratio = dual / -primal;
    if (ratio > kDominates) dual_infeasible = false;
    if (ratio < 1.0 / kDominates) primal_infeasible = false;
  }
  // The working copy, with implied rows zeroed, relaxes the model: what
  // makes it infeasible makes the model infeasible. A ray must hold for
  // every row.
  if (primal_infeasible && proves_primal_infeasible(model_, it_.y, it_.zl, it_.zu)) return IpmOutcome::infeasible;
  if (dual_infeasible && proves_dual_infeasible(given_, it_.x)) return IpmOutcome::dual_infeasible;
  return IpmOutcome::diverged;
}

// Equations implied by the others make A·Θ·Aᵀ singular, and as the
// iterates approach the boundary its rounding errors grow without bound.
// Zeroed in the working copy they drop out, which a consistent right-hand
// side does not notice; dependent_rows_hold() checks that at the end.
void Solver::drop_dependent_rows() {
  dependent_rows_ = normal_.find_dependent_rows();
  if (dependent_rows_.empty()) return;
  std::vector<char> dropped(static_cast<size_t>(model_.rows), 0);
  for (int i : dependent_rows_) {
    dropped[i] = 1;
    model_.b[i] = 0.0;
  }
  CscMatrix& a = model_.a;
  for (size_t k = 0; k < a.value.size(); ++k)
    if (dropped[a.index[k]]) a.value[k] = 0.0;
  normal_.zero_rows(dependent_rows_);
}

bool Solver::dependent_rows_hold(const std::vector<double>& x) const {
  if (dependent_rows_.empty()) return true;
  std::vector<double> residual(given_.b);
  for (int j = 0; j < given_.cols; ++j)
    if (x[j] != 0.0) axpy_column(given_.a, j, -x[j], residual.data());
  double worst = 0;
  for (int i : dependent_rows_) worst = std::max(worst, std::fabs(residual[i]));
  return worst <= kDependentRowTolerance * (1.0 + given_.b_norm);
}

int64_t Solver::corrections_allowed() {
  if (settings_.max_corrections >= 0) return settings_.max_corrections;
  const FactorStatistics& f = statistics();
  const double matrix_nonzeros = quadratic_ ? augmented_.matrix_nonzeros() : normal_.matrix_nonzeros();
  const double ratio = f.flops / (2.0 * (static_cast<double>(f.factor_nonzeros) + matrix_nonzeros) +
                                  30.0 * model_.rows);
  const double limit = 30.0 * (settings_.threads - 1) + 50.0;
  if (ratio < limit) return 0;
  return std::min<int64_t>(static_cast<int64_t>(ratio / limit) + 2, 20);
}

int Solver::prepare() {
  const int n = model_.cols, m = model_.rows;
  quadratic_ = model_.q.cols > 0;
  homogeneous_ = settings_.homogeneous && !quadratic_;
  zero_.assign(static_cast<size_t>(n), 0.0);
  lo_.resize(static_cast<size_t>(n));
  up_.resize(static_cast<size_t>(n));
  for (int j = 0; j < n; ++j) {
    lo_[j] = model_.has_lower(j);
    up_[j] = model_.has_upper(j);
    pairs_ += lo_[j] + up_[j];
    if (lo_[j]) bound_norm_ = std::max(bound_norm_, std::fabs(model_.lower[j]));
    if (up_[j]) bound_norm_ = std::max(bound_norm_, std::fabs(model_.upper[j]));
  }
  for (auto* v : {&rl_, &ru_, &rd_, &cl_, &cu_, &theta_, &rhat_}) v->assign(static_cast<size_t>(n), 0.0);
  rp_.assign(static_cast<size_t>(m), 0.0);
  rhs_y_.assign(static_cast<size_t>(m), 0.0);
  it_.resize(n, m);
  aff_.resize(n, m);
  corr_.resize(n, m);
  if (homogeneous_) tau_column_.resize(n, m);

  // A factor too large for the working memory goes to files.
  const FactorStorage storage = factor_storage_from_params(env_, settings_.display);
  normal_.set_storage(storage);
  augmented_.set_storage(storage);
  BarrierLog log(env_, settings_.display);
  const double start = current_time(env_);
  if (quadratic_) {
    qx_.assign(static_cast<size_t>(n), 0.0);
    if (int code = augmented_.analyse(model_.a, model_.q, settings_.ordering, settings_.threads,
                                      settings_.ordering_threads))
      return code;
    log.ordering("Augmented system", "Summary statistics for factor of Augmented system:\n",
                 augmented_.matrix_nonzeros(), augmented_.statistics(), current_time(env_) - start);
  } else {
    const std::vector<char> dense =
        find_dense_columns(env_, model_.a, settings_.dense_threshold, settings_.display);
    if (int code =
            normal_.analyse(model_.a, dense, settings_.ordering, settings_.threads, settings_.ordering_threads))
      return code;
    log.ordering("A*A'", "Summary statistics for Cholesky factor:\n", normal_.matrix_nonzeros(),
                 normal_.statistics(), current_time(env_) - start);
  }
  max_corrections_ = corrections_allowed();
  if (settings_.display >= 2) msg(env_.results(), "Max number of central corrections is %lld\n",
                                  static_cast<long long>(max_corrections_));
  step_factor_ = settings_.step_factor > 0 ? settings_.step_factor : 0.995;
  return 0;
}

int Solver::run(IpmResult& result) {
  if (int code = prepare()) return code;
  BarrierLog log(env_, settings_.display);
  simplex::RunMonitor monitor(env_, kWhereBarrier, 0, settings_.iteration_limit);
  simplex::LpCallbackData callback_data;
  callback_data.method = 4;

  starting_point();
  double rings[4][kLongRing];
  double ratio_ring[kShortRing];
  std::fill(&rings[0][0], &rings[0][0] + 4 * kLongRing, kRingStart);
  std::fill(ratio_ring, ratio_ring + kShortRing, kRingStart);
  const double t = std::max(settings_.tolerance, 1e-12);
  const double sense = settings_.objsense;
  double best_merit = std::numeric_limits<double>::infinity();
  int64_t best_iteration = -1;
  Measures best_measures;
  IpmOutcome outcome = IpmOutcome::not_optimal;
  int64_t k = 0;

  for (;; ++k) {
    compute_residuals();
    const Measures s = measure();
    const double shown_pobj = sense * s.primal_objective + settings_.offset;
    const double shown_dobj = sense * s.dual_objective + settings_.offset;
    if (k == 0) {
      log.header(quadratic_);
      mu_start_ = s.mu;
      ratio_start_ = s.ratio;
    }
    if (quadratic_)
      log.qp_iteration(k, shown_pobj, shown_dobj, std::max(s.primal_inf, s.upper_inf), s.dual_inf, s.complementarity);
    else
      log.iteration(k, shown_pobj, shown_dobj, s.primal_inf, s.upper_inf, s.dual_inf, shown_ratio(s));
    if (s.merit() < best_merit) {
      best_merit = s.merit();
      best_iteration = k;
      best_measures = s;
      best_ = it_;
    }

    // Termination tests, in order: optimal, stalled, no progress, limits,
    // certificate, objective limits, overflow, growth. On the embedding the
    // residuals only shrink with the complementarity, so a small gap alone
    // proves nothing.
    if ((s.rel_complementarity < t && s.rel_primal < t && s.rel_dual < t) ||
        (!homogeneous_ && s.rel_primal < 1e-8 && s.rel_dual < 1e-8 &&
         std::fabs(s.gap) / (1.0 + std::fabs(s.primal_objective)) < t)) {
      outcome = IpmOutcome::optimal;
      // The relative measures divide by the objective with its constant:
      // a constant that dwarfs the rest makes them lax.
      const double offset = settings_.offset + sense * model_.objective_constant;
      if (1e-4 * std::fabs(offset) > std::fabs(shown_pobj) + 1e-4)
        msg(env_.warning(), "\nWarning:  Barrier optimality criterion affected by large objective shift.\n");
      break;
    }
    const int slot = static_cast<int>(k % kLongRing);
    const double* current = s.ring;
    if (k >= kLongRing) {
      const bool primal_stuck = current[2] > 0.99 * rings[2][slot] || s.rel_primal < t;
      const bool dual_stuck = current[3] > 0.99 * rings[3][slot] || s.rel_dual < t;
      if (primal_stuck && dual_stuck && current[0] > 0.9 * rings[0][slot]) {
        outcome = IpmOutcome::not_optimal;
        break;
      }
    }
    for (int r = 0; r < 4; ++r) rings[r][slot] = current[r];
    const int short_slot = static_cast<int>(k % kShortRing);
    if (k > 10 && (s.mu == ratio_ring[short_slot] || s.mu > 1e150)) {
      if (settings_.display >= 1) msg(env_.results(), " Barrier - no progress.\n");
      outcome = IpmOutcome::numerical;
      break;
    }
    ratio_ring[short_slot] = s.mu;
    callback_data.iterations = k;
    callback_data.objective = shown_pobj;
    callback_data.infeasibility = s.primal_inf;
    if (int stop = monitor.check(k, callback_data)) {
      outcome = stop == status::kAbortItLim    ? IpmOutcome::iteration_limit
                : stop == status::kAbortTimeLim ? IpmOutcome::time_limit
                : stop == status::kAbortDetTimeLim ? IpmOutcome::tick_limit
                                                   : IpmOutcome::aborted;
      break;
    }
    // The embedding heads for a certificate when τ vanishes against κ
    // while the complementarity of the whole embedding goes to zero.
    if (homogeneous_ && s.mu < t * mu_start_ && s.ratio < t * ratio_start_) {
      outcome = classify_infeasibility(s);
      break;
    }
    if (!(std::fabs(s.dual_objective) <= kOverflowObjective) || !(std::fabs(s.primal_objective) <= kOverflowObjective) ||
        !(s.primal_inf <= kOverflowMeasure) || !(s.upper_inf <= kOverflowMeasure) ||
        !(s.dual_inf <= kOverflowMeasure) || !(s.complementarity <= kOverflowMeasure)) {
      outcome = IpmOutcome::numerical;
      break;
    }
    const double range = settings_.objective_range;
    if (sense > 0 ? shown_pobj < -range : shown_dobj < -range) {
      outcome = sense > 0 ? IpmOutcome::primal_objective_limit : IpmOutcome::dual_objective_limit;
      break;
    }
    if (sense > 0 ? shown_dobj > range : shown_pobj > range) {
      outcome = sense > 0 ? IpmOutcome::dual_objective_limit : IpmOutcome::primal_objective_limit;
      break;
    }
    // Iterates beyond the growth limit: near an optimum the optimal face
    // is unbounded; elsewhere the model is infeasible or unbounded, which
    // these iterations cannot prove.
    const double size = std::max({max_abs(it_.x), max_abs(it_.y), max_abs(it_.zl), max_abs(it_.zu)});
    if (!(size <= settings_.growth * (1.0 + bound_norm_ + model_.b_norm + model_.c_norm))) {
      outcome = s.rel_primal < 1e-6 && s.rel_dual < 1e-6 ? IpmOutcome::unbounded_face : IpmOutcome::diverged;
      break;
    }

    // The step: predictor, corrector, centrality corrections.
    compute_theta();
    if (!factor()) {
      outcome = IpmOutcome::numerical;
      break;
    }
    const int n = model_.cols;
    if (homogeneous_) solve_tau_column();
    for (int j = 0; j < n; ++j) {
      cl_[j] = lo_[j] ? -it_.xl[j] * it_.zl[j] : 0.0;
      cu_[j] = up_[j] ? -it_.xu[j] * it_.zu[j] : 0.0;
    }
    direction(aff_);
    if (homogeneous_) add_tau_component(aff_, 1.0, -it_.tau * it_.kappa);
    if (!quadratic_ && normal_.correction_failed()) {
      // The dense columns go back into the factor for the rest of the run.
      if (int code = normal_.include_dense_columns()) return code;
      if (!factor()) {
        outcome = IpmOutcome::numerical;
        break;
      }
      direction(aff_);
    }
    double ap = 0, ad = 0;
    step_lengths(aff_, &ap, &ad);
    double mu_aff = 0;
    for (int j = 0; j < n; ++j) {
      if (lo_[j]) mu_aff += (it_.xl[j] + ap * aff_.xl[j]) * (it_.zl[j] + ad * aff_.zl[j]);
      if (up_[j]) mu_aff += (it_.xu[j] + ap * aff_.xu[j]) * (it_.zu[j] + ad * aff_.zu[j]);
    }
    if (homogeneous_) {
      mu_aff += (it_.tau + ap * aff_.tau) * (it_.kappa + ad * aff_.kappa);
      mu_aff /= pairs_ + 1;
    } else {
      mu_aff = pairs_ > 0 ? mu_aff / pairs_ : 0.0;
    }
    const double ratio = s.mu > 0 ? mu_aff / s.mu : 0.0;
    const double sigma = ratio * ratio * ratio;
    const double sigma_mu = sigma * s.mu;
    for (int j = 0; j < n; ++j) {
      if (lo_[j]) cl_[j] = sigma_mu - it_.xl[j] * it_.zl[j] - aff_.xl[j] * aff_.zl[j];
      if (up_[j]) cu_[j] = sigma_mu - it_.xu[j] * it_.zu[j] - aff_.xu[j] * aff_.zu[j];
    }
    Iterate& d = corr_;
    // The embedding's residuals shrink by the same factor as its
    // complementarity: η = 1 − σ.
    const double eta = 1.0 - sigma;
    if (homogeneous_)
      for (auto* r : {&rp_, &rl_, &ru_, &rd_})
        for (double& v : *r) v *= eta;
    direction(d);
    if (homogeneous_) add_tau_component(d, eta, sigma_mu - it_.tau * it_.kappa - aff_.tau * aff_.kappa);
    std::swap(aff_, corr_);  // aff_ now holds the corrected direction
    step_lengths(aff_, &ap, &ad);
    const int64_t corrections = max_corrections_ > 0 ? centrality_corrections(aff_, sigma_mu, &ap, &ad) : 0;
    if (settings_.display >= 2)
      msg(env_.results(), "Iteration %lld did %lld central corrections %lld vars\n", static_cast<long long>(k),
          static_cast<long long>(corrections), static_cast<long long>(n));
    take_step(aff_, std::min(1.0, step_factor_ * ap), std::min(1.0, step_factor_ * ad));
  }

  result.iterations = k;
  const bool certificate = outcome == IpmOutcome::infeasible || outcome == IpmOutcome::dual_infeasible;
  if (outcome != IpmOutcome::optimal && outcome != IpmOutcome::time_limit && outcome != IpmOutcome::tick_limit &&
      outcome != IpmOutcome::aborted && !certificate) {
    if (best_iteration >= 0 && best_iteration != k) {
      it_ = best_;
      log.best(sense * best_measures.primal_objective + settings_.offset,
               sense * best_measures.dual_objective + settings_.offset, best_measures.primal_inf,
               best_measures.upper_inf, best_measures.dual_inf, shown_ratio(best_measures));
    }
  }
  compute_residuals();
  const Measures final_measures = measure();
  result.outcome = outcome;
  result.primal_feasible = final_measures.rel_primal < kFeasibleEnough;
  result.dual_feasible = final_measures.rel_dual < kFeasibleEnough;
  result.primal_objective = final_measures.primal_objective;
  result.dual_objective = final_measures.dual_objective;
  result.x = it_.x;
  result.y = it_.y;
  result.zl = it_.zl;
  result.zu = it_.zu;
  if (homogeneous_ && !certificate) {
    const double inv = 1.0 / it_.tau;
    for (auto* v : {&result.x, &result.y, &result.zl, &result.zu})
      for (double& e : *v) e *= inv;
  }
  if (!certificate && !dependent_rows_hold(result.x)) {
    result.primal_feasible = false;
    if (outcome == IpmOutcome::optimal) result.outcome = IpmOutcome::not_optimal;
  }
  for (int j = 0; j < model_.cols; ++j) {
    if (!lo_[j]) result.zl[j] = 0;
    if (!up_[j]) result.zu[j] = 0;
  }
  return 0;
}

}  // namespace

int run_ipm(Environment& env, const IpmModel& model, const IpmSettings& settings, IpmResult& result) {
  try {
    Solver solver(env, model, settings);
    return solver.run(result);
  } catch (const std::bad_alloc&) {
    return err::kNoMemory;
  }
}

}  // namespace korva::barrier
