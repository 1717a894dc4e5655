#include "simplex/core/basis_factor.h"

#include <cmath>
#include <string>
#include <vector>

#include "model/model.h"
#include "simplex/core/start_basis.h"
#include "simplex/lu/lu_codes.h"

namespace korva::simplex {

namespace {

// Names for the repair messages.
struct NameContext {
  Environment* env;
  const Problem* problem;
  std::string text;
};

const char* repair_name(void* context, bool row, int index) {
  auto* c = static_cast<NameContext*>(context);
  c->text = row ? model::row_name(*c->env, *c->problem, index) : model::col_name(*c->env, *c->problem, index);
  return c->text.c_str();
}

// A residual of the basic values beyond this share of the size of the
// terms it sums is more than rounding.
constexpr double kRefineResidual = 1e-13;

uint8_t status_of(lu::Placement placement) {
  switch (placement) {
    case lu::Placement::AtLower:
      return kAtLower;
    case lu::Placement::AtUpper:
      return kAtUpper;
    default:
      return kSuperbasic;
  }
}

// One step of iterative refinement of the duals y = B⁻ᵀc_B when the
// residual c_B - Bᵀy is beyond rounding (the twin of the refinement of the
// basic values).
void refine_duals(SimplexWork& w, const double* cost, SparseVector& y, TickArea& ticks) {
  const SimplexLp& lp = w.lp;
  const int n = lp.num_cols, m = lp.num_rows;
  std::vector<double>& residual = w.residual_work;
  residual.resize(static_cast<size_t>(m));
  bool refine = false;
  for (int r = 0; r < m; ++r) {
    const int j = w.basic_index[r];
    double res = cost[j], size = std::fabs(cost[j]);
    if (j >= n) {
      res -= y.values[j - n];
      size += std::fabs(y.values[j - n]);
    } else {
      for (int64_t k = lp.col_begin[j]; k < lp.col_begin[j + 1]; ++k) {
        const double t = lp.value[k] * y.values[lp.row_index[k]];
        res -= t;
        size += std::fabs(t);
      }
    }
    residual[r] = res;
    refine = refine || std::fabs(res) > kRefineResidual * (1.0 + size);
  }
  ticks.charge(static_cast<uint64_t>(lp.col_begin[n]) + static_cast<uint64_t>(m));
  if (!refine) return;
  SparseVector& correction = w.refine_work;
  if (correction.size != m) correction.resize(m);
  correction.clear();
  for (int r = 0; r < m; ++r) correction.values[r] = residual[r];
  correction.indexed = false;
  w.lu.btran(correction);
  for (int i = 0; i < m; ++i) y.values[i] += correction.values[i];
  correction.clear();
  y.indexed = false;
}

}  // namespace

int refactor_basis(Environment& env, const Problem& p, SimplexWork& w, const RefactorRequest& req) {
  const int m = w.lp.num_rows;
  // A factor set up for another size, refactorisation count or environment
  // (the record may be solved from a worker clone) starts afresh.
  if (w.lu.num_rows() != m || w.lu.options.reinv != env.int_param(KRV_PARAM_REINV) ||
      w.factor_ticks != &env.ticks) {
    w.lu.setup(m, lu::factor_options(env), &env.ticks);
    w.factor_ticks = &env.ticks;
  }
  w.sync_basic_values();
  NameContext names{&env, &p, {}};
  lu::RepairView view;
  view.value = w.x.data();
  view.lower = w.work_lower.data();
  view.upper = w.work_upper.data();
  view.name = repair_name;
  view.name_context = &names;
  view.dual = req.dual;
  view.display = req.display;
  w.repairs.clear();
  const lu::BasisSource source = w.lp.basis_source();
  int code = lu::refactorise(env, w.lu, source, w.basic_index.data(), w.factor_control,
                             req.allow_repair, view, w.repairs);
  w.factor_valid = code == lu::kOk || code == lu::kRepaired;
  if (code == lu::kRepaired) {
    for (const lu::RepairRecord& rec : w.repairs) {
      if (rec.removed >= 0 && rec.removed != rec.entered) {
        uint8_t s = status_of(rec.placement);
        if (rec.fixed_by_singularity) s |= kFixedBySingularity;
        w.status[rec.removed] = s;
        w.x[rec.removed] = rec.value;
      }
      w.status[rec.entered] = kBasic;
    }
    refresh_basic_bounds(w);
    // The rows' weights belonged to the old basis.
    w.dual_weight_mode = -1;
  }
  return code;
}

void compute_basic_values(SimplexWork& w, SparseVector& work, TickArea& ticks) {
  const SimplexLp& lp = w.lp;
  const int n = lp.num_cols, m = lp.num_rows;
  work.clear();
  double* rhs = work.values.data();
  for (int j = 0; j < n; ++j) {
    if (is_basic(w.status[j])) continue;
    const double xj = w.x[j];
    if (xj == 0.0) continue;
    for (int64_t k = lp.col_begin[j]; k < lp.col_begin[j + 1]; ++k) rhs[lp.row_index[k]] -= lp.value[k] * xj;
  }
  for (int i = 0; i < m; ++i)
    if (!is_basic(w.status[n + i])) rhs[i] -= w.x[n + i];
  std::vector<double>& residual = w.residual_work;
  residual.assign(rhs, rhs + m);
  work.indexed = false;
  ticks.charge(static_cast<uint64_t>(lp.col_begin[n]) + static_cast<uint64_t>(n + m));
  w.lu.ftran(work);
  for (int r = 0; r < m; ++r) w.x_basic[r] = work.values[r];
  work.clear();

  // One step of iterative refinement when the solve left a residual
  // B·x_B - rhs beyond rounding: a factor built with small pivots on a
  // badly scaled basis can lose digits that a second solve recovers.
  std::vector<double>& size = w.residual_size;
  size.assign(static_cast<size_t>(m), 0.0);
  for (int r = 0; r < m; ++r) {
    const int j = w.basic_index[r];
    const double xr = w.x_basic[r];
    if (j >= n) {
      residual[j - n] -= xr;
      size[j - n] += std::fabs(xr);
      continue;
    }
    for (int64_t k = lp.col_begin[j]; k < lp.col_begin[j + 1]; ++k) {
      residual[lp.row_index[k]] -= lp.value[k] * xr;
      size[lp.row_index[k]] += std::fabs(lp.value[k] * xr);
    }
  }
  bool refine = false;
  for (int i = 0; i < m && !refine; ++i) refine = std::fabs(residual[i]) > kRefineResidual * (1.0 + size[i]);
  ticks.charge(static_cast<uint64_t>(lp.col_begin[n]) + static_cast<uint64_t>(2 * m));
  if (!refine) return;
  for (int i = 0; i < m; ++i) work.values[i] = residual[i];
  work.indexed = false;
  w.lu.ftran(work);
  for (int r = 0; r < m; ++r) w.x_basic[r] += work.values[r];
  work.clear();
}

void compute_reduced_costs(SimplexWork& w, const double* cost, SparseVector& y, TickArea& ticks) {
  const SimplexLp& lp = w.lp;
  const int n = lp.num_cols, m = lp.num_rows;
  y.clear();
  for (int r = 0; r < m; ++r) y.values[r] = cost[w.basic_index[r]];
  y.indexed = false;
  w.lu.btran(y);
  refine_duals(w, cost, y, ticks);
  for (int j = 0; j < n; ++j) {
    if (is_basic(w.status[j])) {
      w.dj[j] = 0.0;
      continue;
    }
    double d = cost[j];
    for (int64_t k = lp.col_begin[j]; k < lp.col_begin[j + 1]; ++k) d -= lp.value[k] * y.values[lp.row_index[k]];
    w.dj[j] = d;
  }
  for (int i = 0; i < m; ++i) w.dj[n + i] = is_basic(w.status[n + i]) ? 0.0 : cost[n + i] - y.values[i];
  ticks.charge(static_cast<uint64_t>(lp.col_begin[n]) + static_cast<uint64_t>(n + 2 * m));
}

double objective_value(SimplexWork& w, const double* cost) {
  w.sync_basic_values();
  double obj = 0.0;
  const int nv = w.lp.num_vars();
  for (int j = 0; j < nv; ++j)
    if (cost[j] != 0.0) obj += cost[j] * w.x[j];
  return obj;
}

}  // namespace korva::simplex
