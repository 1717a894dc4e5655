// The per-column queries of a callback (begin..end ranges), answered in
// the searched or the original problem's columns.
#include <cmath>
#include <vector>

#include "mip/callback_queries.h"
#include "mip/callback_query_support.h"
#include "mip/callback_space.h"
#include "mip/pseudocosts.h"

namespace korva::mip {

namespace {

// The checks every range query shares after its own data check.
int check_output(Environment& env, const char* fname, const CallbackSpace& space, const void* out, int begin,
                 int end) {
  if (!out && begin <= end) return err::kNullPointer;
  return check_range(&env, fname, begin, end, space.num_cols());
}

bool has_incumbent_values(const MipCallbackData& d) {
  return d.record && d.record->has_incumbent && d.model &&
         static_cast<int>(d.record->incumbent.size()) >= d.model->num_cols;
}

// The data a vector query reports exist at this call: 0, 1003, or 3023 for
// an incumbent that does not exist yet (as the solution queries say it).
int vector_available(const MipCallbackData& d, CallbackVector which) {
  if (!d.model) return err::kBadArgument;
  switch (which) {
    case CallbackVector::NodeX: return d.x ? 0 : err::kBadArgument;
    case CallbackVector::Incumbent: return !d.record ? err::kBadArgument : has_incumbent_values(d) ? 0 : 3023;
    case CallbackVector::GlobalLower:
    case CallbackVector::GlobalUpper: return 0;
    case CallbackVector::NodeLower:
    case CallbackVector::NodeUpper: return d.domain ? 0 : err::kBadArgument;
  }
  return err::kBadArgument;
}

void vector_values(const MipCallbackData& d, const CallbackSpace& space, CallbackVector which,
                   std::vector<double>& out) {
  const MipModel& m = *d.model;
  switch (which) {
    case CallbackVector::NodeX:
      space.values(d.x->data(), out);
      return;
    case CallbackVector::Incumbent:
      space.values(d.record->incumbent.data(), out);
      return;
    case CallbackVector::GlobalLower:
    case CallbackVector::GlobalUpper: {
      // Without bounds of the whole tree the model's own hold everywhere.
      const double* lo = d.global_lower ? d.global_lower->data() : m.lower.data();
      const double* up = d.global_upper ? d.global_upper->data() : m.upper.data();
      std::vector<double> other;
      if (which == CallbackVector::GlobalLower) space.bounds(lo, up, out, other);
      else space.bounds(lo, up, other, out);
      return;
    }
    case CallbackVector::NodeLower:
    case CallbackVector::NodeUpper: {
      std::vector<double> other;
      const double* lo = d.domain->lowers().data();
      const double* up = d.domain->uppers().data();
      if (which == CallbackVector::NodeLower) space.bounds(lo, up, out, other);
      else space.bounds(lo, up, other, out);
      return;
    }
  }
}

// The column types of the space: the searched model's, or the original
// problem's letters.
char ctype_of(const MipCallbackData& d, const CallbackSpace& space, int j) {
  if (space.original()) return d.original->ctype(j);
  return j < static_cast<int>(d.model->ctype.size()) ? d.model->ctype[j] : 'C';
}

// The priority order in the space's columns: the original problem's own in
// the original space (else the search's mapped back), the one the search
// uses in the searched space.
void order_of(const MipCallbackData& d, const CallbackSpace& space, std::vector<int>& priority,
              std::vector<int>& direction) {
  priority.assign(static_cast<size_t>(space.num_cols()), 0);
  direction.assign(static_cast<size_t>(space.num_cols()), 0);
  const PriorityOrder* search_order = d.order;
  const PriorityOrder* order = nullptr;
  bool searched_indices = true;
  if (space.original() && d.original->mip && d.original->mip->order) {
    order = d.original->mip->order.get();
    searched_indices = false;
  } else if (search_order) {
    order = search_order;
  } else if (d.searched && d.searched->mip && d.searched->mip->order) {
    order = d.searched->mip->order.get();
  }
  if (!order) return;
  for (size_t k = 0; k < order->indices.size(); ++k) {
    const int j = searched_indices ? space.space_col(order->indices[k]) : order->indices[k];
    if (j < 0 || j >= space.num_cols()) continue;
    priority[j] = k < order->priority.size() ? order->priority[k] : 0;
    direction[j] = k < order->direction.size() ? order->direction[k] : 0;
  }
}

bool is_integer_type(char c) { return c == 'B' || c == 'I' || c == 'N'; }

}  // namespace

int callback_vector(Environment& env, const char* fname, void* cbdata, int wherefrom, CallbackVector which,
                    double* out, int begin, int end) {
  MipCallbackData* d = nullptr;
  if (int code = cbq::find_record(cbdata, wherefrom, cbq::mip_where, &d)) return code;
  if (int code = vector_available(*d, which)) return code;
  const CallbackSpace space(*d);
  if (int code = check_output(env, fname, space, out, begin, end)) return code;
  std::vector<double> values;
  vector_values(*d, space, which, values);
  for (int j = begin; j <= end; ++j) out[j - begin] = values[j];
  return 0;
}

int callback_ctype(Environment& env, const char* fname, void* cbdata, int wherefrom, char* out, int begin,
                   int end) {
  MipCallbackData* d = nullptr;
  if (int code = cbq::find_record(cbdata, wherefrom, cbq::mip_where, &d)) return code;
  if (!d->model) return err::kBadArgument;
  const CallbackSpace space(*d);
  if (int code = check_output(env, fname, space, out, begin, end)) return code;
  for (int j = begin; j <= end; ++j) out[j - begin] = ctype_of(*d, space, j);
  return 0;
}

int callback_order(Environment& env, const char* fname, void* cbdata, int wherefrom, int* priority,
                   int* direction, int begin, int end) {
  MipCallbackData* d = nullptr;
  if (int code = cbq::find_record(cbdata, wherefrom, cbq::mip_where, &d)) return code;
  if (!d->model) return err::kBadArgument;
  const CallbackSpace space(*d);
  const void* any = priority ? static_cast<const void*>(priority) : direction;
  if (int code = check_output(env, fname, space, any, begin, end)) return code;
  std::vector<int> p, dir;
  order_of(*d, space, p, dir);
  for (int j = begin; j <= end; ++j) {
    if (priority) priority[j - begin] = p[j];
    if (direction) direction[j - begin] = dir[j];
  }
  return 0;
}

int callback_pseudocosts(Environment& env, const char* fname, void* cbdata, int wherefrom, double* up,
                         double* down, int begin, int end) {
  MipCallbackData* d = nullptr;
  if (int code = cbq::find_record(cbdata, wherefrom, cbq::mip_where, &d)) return code;
  if (!d->model || !d->pseudocosts) return err::kBadArgument;
  const CallbackSpace space(*d);
  if (!up || !down) {
    if (begin <= end) return err::kNullPointer;
  }
  if (int code = check_range(&env, fname, begin, end, space.num_cols())) return code;
  for (int j = begin; j <= end; ++j) {
    // A column presolve removed was never branched on.
    const int k = space.searched_col(j);
    up[j - begin] = k >= 0 ? d->pseudocosts->up(k) : 0.0;
    down[j - begin] = k >= 0 ? d->pseudocosts->down(k) : 0.0;
  }
  return 0;
}

int callback_int_feasibility(Environment& env, const char* fname, void* cbdata, int wherefrom, int* feas,
                             int begin, int end) {
  MipCallbackData* d = nullptr;
  if (int code = cbq::find_record(cbdata, wherefrom, cbq::mip_where, &d)) return code;
  if (!d->model || !d->x) return err::kBadArgument;
  const CallbackSpace space(*d);
  if (int code = check_output(env, fname, space, feas, begin, end)) return code;
  std::vector<double> x, lower, upper;
  space.values(d->x->data(), x);
  const MipModel& m = *d->model;
  const double* lo = d->domain ? d->domain->lowers().data() : m.lower.data();
  const double* up = d->domain ? d->domain->uppers().data() : m.upper.data();
  space.bounds(lo, up, lower, upper);
  const double tol = d->settings ? d->settings->integrality : 1e-5;
  for (int j = begin; j <= end; ++j) {
    const char type = ctype_of(*d, space, j);
    int state = 1;
    if (space.searched_col(j) < 0 || lower[j] == upper[j]) {
      state = 2;
    } else if (type == 'S' || type == 'N') {
      // Semi-continuous and semi-integer: 0, or within the bounds (and
      // integral for 'N').
      // The node's bounds include 0 for these; the model keeps the
      // semi-continuous lower bound.
      const double v = x[j];
      const double threshold = space.original() ? d->original->lower(j) : m.lower[j];
      const bool off = std::fabs(v) <= tol;
      const bool below = !off && threshold > 0 && v < threshold - tol;
      const bool fractional = type == 'N' && std::fabs(v - std::round(v)) > tol;
      state = below || (!off && fractional) ? 0 : 1;
    } else if (is_integer_type(type)) {
      state = std::fabs(x[j] - std::round(x[j])) > tol ? 0 : 1;
    }
    feas[j - begin] = state;
  }
  return 0;
}

}  // namespace korva::mip
