// Read-only queries with the begin/end range convention and the surplus
// convention for caller-sized buffers.
#include <algorithm>
#include <string>

#include "env/errors.h"
#include "model/edit_support.h"

namespace korva::model {
namespace {

const std::vector<double>& field_array(const Problem& lp, Field field) {
  switch (field) {
    case Field::Obj: return lp.lp.obj;
    case Field::Lb: return lp.lp.lb;
    case Field::Ub: return lp.lp.ub;
    case Field::Rhs: return lp.lp.rhs;
    case Field::Range: break;
  }
  return lp.lp.range;
}

bool per_column(Field field) {
  return field == Field::Obj || field == Field::Lb || field == Field::Ub;
}

// Copies vectors begin..end of a packed matrix given by `vector(k)`, which
// returns a SparseSpan.
template <class VectorOf>
int get_packed(Environment& env, const char* fname, int count, VectorOf vector, int64_t* nzcnt,
               int64_t* beg, int* ind, double* val, int64_t space, int64_t* surplus, int begin,
               int end) {
  if (!nzcnt || !surplus) return err::kNullPointer;
  if (int status = check_range(&env, fname, begin, end, count)) return status;
  int64_t needed = 0;
  for (int k = begin; k <= end; ++k) needed += vector(k).size();
  *surplus = space - needed;
  if (needed > space) {
    *nzcnt = 0;
    return surplus_status(space, needed);
  }
  if ((begin <= end && !beg) || (needed > 0 && (!ind || !val))) return err::kNullPointer;
  int64_t pos = 0;
  for (int k = begin; k <= end; ++k) {
    const SparseSpan v = vector(k);
    beg[k - begin] = pos;
    std::copy(v.index.begin(), v.index.end(), ind + pos);
    std::copy(v.value.begin(), v.value.end(), val + pos);
    pos += v.size();
  }
  *nzcnt = pos;
  return 0;
}

// A single name under the surplus convention, in the interface encoding.
int get_text(Environment& env, const std::string& utf8, char* buf, int64_t space,
             int64_t* surplus) {
  if (!surplus) return err::kNullPointer;
  std::string text;
  if (int status = utf8_to_api(env, utf8, text)) return status;
  const auto needed = static_cast<int64_t>(text.size()) + 1;
  *surplus = space - needed;
  if (needed > space) return surplus_status(space, needed);
  if (!buf) return err::kNullPointer;
  std::copy(text.c_str(), text.c_str() + needed, buf);
  return 0;
}

}  // namespace

int get_values(Environment& env, Problem& lp, const char* fname, Field field, double* out,
               int begin, int end) {
  if (int status = detail::begin_read(env, lp)) return status;
  if (!out && begin <= end) return err::kNullPointer;
  const int count = per_column(field) ? lp.num_cols() : lp.num_rows();
  if (int status = check_range(&env, fname, begin, end, count)) return status;
  if (field == Field::Range && !lp.has_ranges()) return err::kNoRangeValues;
  const std::vector<double>& a = field_array(lp, field);
  for (int k = begin; k <= end; ++k) out[k - begin] = a[k];
  return 0;
}

int get_senses(Environment& env, Problem& lp, const char* fname, char* out, int begin,
               int end) {
  if (int status = detail::begin_read(env, lp)) return status;
  if (!out && begin <= end) return err::kNullPointer;
  if (int status = check_range(&env, fname, begin, end, lp.num_rows())) return status;
  for (int k = begin; k <= end; ++k) out[k - begin] = lp.lp.sense[k];
  return 0;
}

int get_coef(Environment& env, Problem& lp, int i, int j, double* value) {
  if (int status = detail::begin_read(env, lp)) return status;
  if (!value) return err::kNullPointer;
  if (i < 0 || i >= lp.num_rows() || j < 0 || j >= lp.num_cols()) return err::kIndexRange;
  const int k = lp.lp.matrix.find(j, i);
  *value = k < 0 ? 0.0 : lp.lp.matrix.values(j)[k];
  return 0;
}

int get_cols(Environment& env, Problem& lp, const char* fname, int64_t* nzcnt, int64_t* beg,
             int* ind, double* val, int64_t space, int64_t* surplus, int begin, int end) {
  if (int status = detail::begin_read(env, lp)) return status;
  return get_packed(
      env, fname, lp.num_cols(), [&](int j) { return lp.column(j); }, nzcnt, beg, ind, val,
      space, surplus, begin, end);
}

int get_rows(Environment& env, Problem& lp, const char* fname, int64_t* nzcnt, int64_t* beg,
             int* ind, double* val, int64_t space, int64_t* surplus, int begin, int end) {
  if (int status = detail::begin_read(env, lp)) return status;
  // The row-wise copy is built once (linear in the matrix) and kept until
  // the matrix changes, so reading row by row stays linear overall.
  const RowCopy* rows = nullptr;
  auto row = [&](int i) {
    if (!rows) rows = &lp.row_copy();
    const auto first = static_cast<size_t>(rows->begin[i]);
    const auto n = static_cast<size_t>(rows->begin[i + 1] - rows->begin[i]);
    return SparseSpan{{rows->index.data() + first, n}, {rows->value.data() + first, n}};
  };
  return get_packed(env, fname, lp.num_rows(), row, nzcnt, beg, ind, val, space, surplus, begin,
                    end);
}

int get_problem_name(Environment& env, Problem& lp, char* buf, int64_t space,
                     int64_t* surplus) {
  if (int status = detail::begin_read(env, lp)) return status;
  return get_text(env, lp.lp.name, buf, space, surplus);
}

int get_objective_name(Environment& env, Problem& lp, char* buf, int64_t space,
                       int64_t* surplus) {
  if (int status = detail::begin_read(env, lp)) return status;
  return get_text(env, lp.lp.objname, buf, space, surplus);
}

}  // namespace korva::model
