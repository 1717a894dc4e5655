#include "io/copy_into_problem.h"

#include <algorithm>
#include <vector>

#include "env/channel.h"
#include "env/environment.h"
#include "model/model.h"

namespace korva {
namespace {

// Hidden parameters holding the initial reader capacities.
constexpr int kCapacityParams[4] = {1045, 1046, 1047, 1048};
constexpr int64_t kCapacityDefaults[4] = {100, 100, 500, 200};

// Pointers into possibly empty vectors: the model operations take a null
// array for "none", but a count of 0 with any valid pointer is fine.
template <class T>
const T* data_or_dummy(const std::vector<T>& v) {
  static const T dummy{};
  return v.empty() ? &dummy : v.data();
}

std::vector<const char*> name_pointers(const std::vector<std::string>& names) {
  std::vector<const char*> p(names.size());
  for (size_t k = 0; k < names.size(); ++k) p[k] = names[k].c_str();
  return p;
}

int copy_pool(Environment& env, Problem& lp, int kind, const ReaderRowPool& pool) {
  const int rows = static_cast<int>(pool.rhs.size());
  if (rows == 0) return 0;
  const std::vector<const char*> names = name_pointers(pool.names);
  return model::add_row_pool(env, lp, kind, rows, static_cast<int64_t>(pool.index.size()),
                             pool.rhs.data(), pool.sense.data(), pool.begin.data(),
                             data_or_dummy(pool.index), data_or_dummy(pool.value),
                             names.empty() ? nullptr : names.data());
}

int copy_sos(Environment& env, Problem& lp, const std::vector<ReaderSos>& sets) {
  if (sets.empty()) return 0;
  std::vector<char> types;
  std::vector<int64_t> begin;
  std::vector<int> index;
  std::vector<double> weight;
  std::vector<const char*> names;
  for (const ReaderSos& s : sets) {
    types.push_back(s.type);
    begin.push_back(static_cast<int64_t>(index.size()));
    index.insert(index.end(), s.indices.begin(), s.indices.end());
    weight.insert(weight.end(), s.weights.begin(), s.weights.end());
    names.push_back(s.name.c_str());
  }
  return model::add_sos(env, lp, static_cast<int>(sets.size()), static_cast<int64_t>(index.size()),
                        types.data(), begin.data(), data_or_dummy(index), data_or_dummy(weight),
                        names.data());
}

int copy_basis(Environment& env, Problem& lp, const ReaderArrays& a) {
  if (a.cstat.empty() && a.rstat.empty()) return 0;
  if (model::copy_basis(env, lp, data_or_dummy(a.cstat), data_or_dummy(a.rstat)) != 0) {
    msg(env.warning(), "Warning:  File contains basis.  Basis not loaded.\n");
    return 0;
  }
  msg(env.warning(), "Warning:  File contains basis.  Basis is loaded.\n");
  if (env.int_param(KRV_PARAM_ADVIND) == 0)
    msg(env.warning(), "Warning:  Advanced indicator is not set.\n");
  return 0;
}

// The reader's names for the model: a list that does not name every item
// (or names none) leaves the items unnamed.
NameStore names_for_model(ReaderNames& names, int items) {
  if (items == 0 || static_cast<int>(names.size()) != items) return NameStore();
  return names.take();
}

// The LP part with its names, moved into the problem; on a failure the
// problem is unchanged and the arrays are lost with the handover, which the
// caller no longer needs.
int take_lp_arrays(Environment& env, Problem& lp, ReaderArrays& a) {
  model::LpHandover parts;
  parts.col_names = names_for_model(a.col_names, a.num_cols());
  parts.row_names = names_for_model(a.row_names, a.num_rows());
  parts.objsense = a.objsense;
  parts.obj.swap(a.obj);
  parts.lb.swap(a.lb);
  parts.ub.swap(a.ub);
  parts.rhs.swap(a.rhs);
  parts.range.swap(a.range);
  parts.sense.swap(a.sense);
  parts.matbeg.swap(a.matbeg);
  parts.matcnt.swap(a.matcnt);
  parts.matind.swap(a.matind);
  parts.matval.swap(a.matval);
  return model::take_lp(env, lp, parts);
}

}  // namespace

ReaderCapacities reader_capacities(const Environment& env) {
  int64_t v[4];
  for (int k = 0; k < 4; ++k) {
    const int setting = env.int_param(kCapacityParams[k]);
    v[k] = setting < 0 ? kCapacityDefaults[k] : setting;
  }
  return {v[0], v[1], v[2], v[3]};
}

void reserve_reader_arrays(ReaderArrays& a, const ReaderCapacities& c) {
  a.obj.reserve(c.cols);
  a.lb.reserve(c.cols);
  a.ub.reserve(c.cols);
  a.col_names.reserve(c.cols);
  a.rhs.reserve(c.rows);
  a.sense.reserve(c.rows);
  a.row_names.reserve(c.rows);
  a.matind.reserve(c.nonzeros);
  a.matval.reserve(c.nonzeros);
  a.qmatind.reserve(c.quad_nonzeros);
  a.qmatval.reserve(c.quad_nonzeros);
}

int copy_into_problem(Environment& env, Problem& lp, ReaderArrays&& a, bool from_sav) {
  if (int s = take_lp_arrays(env, lp, a)) return s;
  if (!a.objname.empty())
    if (int s = model::set_objective_name(env, lp, a.objname.c_str())) return s;
  // An all-continuous type array from a text file is dropped, so the
  // problem stays a continuous LP.
  const bool typed = std::any_of(a.ctype.begin(), a.ctype.end(), [](char t) { return t != 'C'; });
  if (!a.ctype.empty() && (typed || from_sav))
    if (int s = model::copy_ctype(env, lp, a.ctype.data())) return s;
  if (int s = copy_sos(env, lp, a.sos)) return s;
  if (!a.order_indices.empty())
    if (int s = model::copy_order(env, lp, static_cast<int>(a.order_indices.size()), a.order_indices.data(),
                                  a.order_priority.data(), a.order_direction.data()))
      return s;
  if (int s = copy_pool(env, lp, 0, a.user_cuts)) return s;
  if (int s = copy_pool(env, lp, 1, a.lazy_constraints)) return s;
  if (!a.qmatbeg.empty()) {
    if (int s = model::copy_quad(env, lp, a.qmatbeg.data(), a.qmatcnt.data(),
                                 data_or_dummy(a.qmatind), data_or_dummy(a.qmatval)))
      return s;
  } else if (!a.qsep.empty()) {
    if (int s = model::copy_qpsep(env, lp, a.qsep.data())) return s;
  }
  for (const ReaderQConstraint& q : a.qconstraints) {
    if (int s = model::add_qconstr(env, lp, static_cast<int>(q.linind.size()),
                                   static_cast<int64_t>(q.quadrow.size()), q.rhs, q.sense,
                                   data_or_dummy(q.linind), data_or_dummy(q.linval),
                                   data_or_dummy(q.quadrow), data_or_dummy(q.quadcol),
                                   data_or_dummy(q.quadval), q.name.c_str()))
      return s;
  }
  for (const ReaderIndicator& ic : a.indicators) {
    if (int s = model::add_indicator(env, lp, ic.indicator, ic.complemented,
                                     static_cast<int>(ic.linind.size()), ic.rhs, ic.sense,
                                     data_or_dummy(ic.linind), data_or_dummy(ic.linval),
                                     ic.name.c_str()))
      return s;
  }
  return copy_basis(env, lp, a);
}

}  // namespace korva
