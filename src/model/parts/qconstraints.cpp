// Quadratic constraints, kept as data.
#include <algorithm>

#include "env/errors.h"
#include "model/datacheck.h"
#include "model/edit_support.h"
#include "model/model_errors.h"

namespace korva::model {

int num_qconstraints(const Problem& lp) {
  return lp.qcons ? static_cast<int>(lp.qcons->list.size()) : 0;
}

int add_qconstr(Environment& env, Problem& lp, int linnzcnt, int64_t quadnzcnt, double rhs,
                char sense, const int* linind, const double* linval, const int* quadrow,
                const int* quadcol, const double* quadval, const char* name_utf8) {
  if (int status = detail::begin_edit(env, lp)) return status;
  if (linnzcnt < 0 || quadnzcnt < 0) return err::kBadArgument;
  if ((linnzcnt > 0 && (!linind || !linval)) ||
      (quadnzcnt > 0 && (!quadrow || !quadcol || !quadval)))
    return err::kNullPointer;
  if (sense != 'L' && sense != 'G') return mipcode::kQconstrSense;
  const int n = lp.num_cols();
  if (int s = check::index_list(env, linind, linnzcnt, n, false)) return s;
  if (int s = check::index_list(env, quadrow, quadnzcnt, n, false)) return s;
  if (int s = check::index_list(env, quadcol, quadnzcnt, n, false)) return s;
  if (check::enabled(env)) {
    if (int s = check::doubles(env, &rhs, 1)) return s;
    if (int s = check::doubles(env, linval, linnzcnt)) return s;
    if (int s = check::doubles(env, quadval, quadnzcnt)) return s;
  }
  QuadConstraint qc;
  qc.linind.assign(linind, linind + linnzcnt);
  qc.linval.assign(linval, linval + linnzcnt);
  qc.quadrow.assign(quadrow, quadrow + quadnzcnt);
  qc.quadcol.assign(quadcol, quadcol + quadnzcnt);
  qc.quadval.assign(quadval, quadval + quadnzcnt);
  qc.sense = sense;
  qc.rhs = rhs;
  if (name_utf8) qc.name = name_utf8;
  std::unique_ptr<QuadConstraints> fresh = lp.qcons ? nullptr : std::make_unique<QuadConstraints>();
  QuadConstraints& list = fresh ? *fresh : *lp.qcons;
  reserve_more(list.list, 1);
  if (fresh) lp.qcons = std::move(fresh);
  lp.qcons->list.push_back(std::move(qc));
  raise_event(lp, ChangeEvent::QConstraints);
  detail::follow_parts(lp);
  return 0;
}

int get_qconstr(Environment& env, Problem& lp, int* linnzcnt, int64_t* quadnzcnt, double* rhs,
                char* sense, int* linind, double* linval, int linspace, int* linsurplus,
                int* quadrow, int* quadcol, double* quadval, int64_t quadspace,
                int64_t* quadsurplus, int which) {
  if (int status = detail::begin_read(env, lp)) return status;
  if (!linnzcnt || !quadnzcnt || !linsurplus || !quadsurplus) return err::kNullPointer;
  if (which < 0 || which >= num_qconstraints(lp)) return err::kIndexRange;
  const QuadConstraint& qc = lp.qcons->list[which];
  if (rhs) *rhs = qc.rhs;
  if (sense) *sense = qc.sense;
  const int linneeded = static_cast<int>(qc.linind.size());
  const auto quadneeded = static_cast<int64_t>(qc.quadval.size());
  *linsurplus = linspace - linneeded;
  *quadsurplus = quadspace - quadneeded;
  const bool lin_short = linneeded > linspace, quad_short = quadneeded > quadspace;
  if (lin_short || quad_short) {
    *linnzcnt = 0;
    *quadnzcnt = 0;
    // Silent only when every short buffer was a size query (space 0).
    const bool query = (!lin_short || linspace == 0) && (!quad_short || quadspace == 0);
    return query ? -err::kArrayTooShort : err::kArrayTooShort;
  }
  if ((linneeded > 0 && (!linind || !linval)) ||
      (quadneeded > 0 && (!quadrow || !quadcol || !quadval)))
    return err::kNullPointer;
  std::copy(qc.linind.begin(), qc.linind.end(), linind);
  std::copy(qc.linval.begin(), qc.linval.end(), linval);
  std::copy(qc.quadrow.begin(), qc.quadrow.end(), quadrow);
  std::copy(qc.quadcol.begin(), qc.quadcol.end(), quadcol);
  std::copy(qc.quadval.begin(), qc.quadval.end(), quadval);
  *linnzcnt = linneeded;
  *quadnzcnt = quadneeded;
  return 0;
}

int del_qconstrs(Environment& env, Problem& lp, const char* fname, int begin, int end) {
  if (int status = detail::begin_edit(env, lp)) return status;
  if (int status = check_range(&env, fname, begin, end, num_qconstraints(lp))) return status;
  if (begin > end) return 0;
  auto& list = lp.qcons->list;
  list.erase(list.begin() + begin, list.begin() + end + 1);
  raise_event(lp, ChangeEvent::QConstraints);
  return 0;
}

}  // namespace korva::model
