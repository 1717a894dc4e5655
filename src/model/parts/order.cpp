// The branching priority order of a mixed-integer problem.
#include <algorithm>

#include "env/errors.h"
#include "model/datacheck.h"
#include "model/edit_support.h"
#include "model/model_errors.h"

namespace korva::model {
namespace {

int check_order(Environment& env, int count, const int* priority, const int* direction) {
  for (int k = 0; priority && k < count; ++k)
    if (priority[k] < 0)
      return report_formatted(&env, mipcode::kNegativePriority, static_cast<long long>(k));
  for (int k = 0; direction && k < count; ++k)
    if (direction[k] < -1 || direction[k] > 1)
      return report_formatted(&env, mipcode::kBadDirection, static_cast<long long>(k));
  return 0;
}

}  // namespace

int copy_order(Environment& env, Problem& lp, int count, const int* indices,
               const int* priority, const int* direction) {
  if (int status = detail::begin_edit(env, lp)) return status;
  if (!lp.mip) return err::kNotMip;
  if (count < 0) return err::kBadArgument;
  if (count > 0 && !indices) return err::kNullPointer;
  if (int s = check::index_list(env, indices, count, lp.num_cols(), false)) return s;
  if (check::enabled(env))
    if (int s = check_order(env, count, priority, direction)) return s;
  if (count == 0) {
    lp.mip->order.reset();
    return 0;
  }
  auto order = std::make_unique<PriorityOrder>();
  order->indices.assign(indices, indices + count);
  order->priority.assign(static_cast<size_t>(count), 0);
  order->direction.assign(static_cast<size_t>(count), 0);
  if (priority) std::copy_n(priority, count, order->priority.begin());
  if (direction) std::copy_n(direction, count, order->direction.begin());
  lp.mip->order = std::move(order);
  return 0;
}

int get_order(Environment& env, Problem& lp, int* count, int* indices, int* priority,
              int* direction, int space, int* surplus) {
  if (int status = detail::begin_read(env, lp)) return status;
  if (!count || !surplus) return err::kNullPointer;
  if (!lp.mip) return err::kNotMip;
  if (!lp.mip->order) return mipcode::kNoOrder;
  const PriorityOrder& o = *lp.mip->order;
  const int n = static_cast<int>(o.indices.size());
  *surplus = space - n;
  if (n > space) {
    *count = 0;
    return surplus_status(space, n);
  }
  if (!indices) return err::kNullPointer;
  std::copy(o.indices.begin(), o.indices.end(), indices);
  if (priority) std::copy(o.priority.begin(), o.priority.end(), priority);
  if (direction) std::copy(o.direction.begin(), o.direction.end(), direction);
  *count = n;
  return 0;
}

}  // namespace korva::model
