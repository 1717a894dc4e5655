// Names the MPS writer uses, their field widths, and the rows that are not
// model rows.
#include <algorithm>

#include "env/channel.h"
#include "io/mps/mps_output.h"
#include "io/mps/mps_writer.h"

namespace korva::mps {
namespace {

size_t longest(const std::vector<ExtraRow>& rows, size_t at_least) {
  for (const ExtraRow& r : rows) at_least = std::max(at_least, writable_name(r.name).size());
  return at_least;
}

}  // namespace

void Writer::resolve_names() {
  const ModelView& v = view_;
  Channel* warning = v.env().warning();
  const bool generic = v.generic_names();
  if (v.num_cols() > 0 && !v.col_names_stored() && (generic || !v.col_provider()))
    msg(warning, "Default variable names x1, x2 ... being created.\n");
  if (v.num_rows() > 0 && !v.row_names_stored() && (generic || !v.row_provider()))
    msg(warning, "Default row names c1, c2 ... being created.\n");
  objective_ = generic || v.objective_name().empty() ? "obj" : v.objective_name();

  if (v.num_sos() > 0 && !v.sos_names_stored())
    msg(warning, "Default sos names s1, s2 ... being created.\n");
  sos_names_.resize(v.num_sos());
  for (int k = 0; k < v.num_sos(); ++k) sos_names_[k] = v.sos_name(k);

  collect_extra_rows();
  size_t width = 8;
  for (int j = 0; j < v.num_cols(); ++j) width = std::max(width, writable_name(column(j)).size());
  column_width_ = width;
  width = std::max<size_t>(8, writable_name(objective_).size());
  for (int i = 0; i < v.num_rows(); ++i) width = std::max(width, writable_name(row(i)).size());
  for (const auto* list : {&qc_rows_, &indicator_rows_, &cut_rows_, &lazy_rows_})
    width = longest(*list, width);
  row_width_ = width;
  const size_t number = out_.number_width();
  const size_t one = 4 + column_width_ + 2 + row_width_ + 2 + number;
  const size_t two = one + 3 + row_width_ + 2 + number;
  pairs_per_line_ = two < 75 ? 2 : 1;
}

void Writer::collect_extra_rows() {
  const ModelView& v = view_;
  Channel* warning = v.env().warning();
  const int ncols = v.num_cols();
  // Row lists with their coefficients, in the order the file gives them.
  struct Source {
    const int* index;
    const double* value;
    size_t count;
  };
  std::vector<Source> sources;

  if (v.num_qconstraints() > 0 && !v.qconstraint_names_stored())
    msg(warning, "Default quadratic constraint names q1, q2 ... being created.\n");
  for (int k = 0; k < v.num_qconstraints(); ++k) {
    const QuadConstraint& qc = v.qconstraint(k);
    qc_rows_.push_back({v.qconstraint_name(k), qc.sense, qc.rhs});
    sources.push_back({qc.linind.data(), qc.linval.data(), qc.linind.size()});
  }
  if (v.num_indicators() > 0 && !v.indicator_names_stored())
    msg(warning, "Default indicator names i1, i2 ... being created.\n");
  for (int k = 0; k < v.num_indicators(); ++k) {
    const IndicatorConstraint& ind = v.indicator(k);
    indicator_rows_.push_back({v.indicator_name(k), ind.sense, ind.rhs});
    sources.push_back({ind.linind.data(), ind.linval.data(), ind.linind.size()});
  }
  for (int kind = 0; kind < 2; ++kind) {
    const RowPool* pool = v.pool(kind);
    if (!pool || pool->num_rows() == 0) continue;
    if (!v.pool_names_stored(kind))
      msg(warning, kind == 0 ? "Default user cut names u1, u2 ... being created.\n"
                             : "Default lazy constraint names l1, l2 ... being created.\n");
    std::vector<ExtraRow>& rows = kind == 0 ? cut_rows_ : lazy_rows_;
    for (int r = 0; r < pool->num_rows(); ++r) {
      rows.push_back({v.pool_row_name(kind, r), pool->sense[r], pool->rhs[r]});
      sources.push_back({pool->index.data() + pool->begin[r], pool->value.data() + pool->begin[r],
                         static_cast<size_t>(pool->begin[r + 1] - pool->begin[r])});
    }
  }

  std::vector<const std::string*> labels;
  for (const auto* list : {&qc_rows_, &indicator_rows_, &cut_rows_, &lazy_rows_})
    for (const ExtraRow& row : *list) labels.push_back(&row.name);

  // Transpose to columns (counting sort), keeping the row order above.
  extra_begin_.assign(ncols + 1, 0);
  for (const Source& s : sources)
    for (size_t k = 0; k < s.count; ++k) ++extra_begin_[s.index[k] + 1];
  for (int j = 0; j < ncols; ++j) extra_begin_[j + 1] += extra_begin_[j];
  extra_label_.resize(extra_begin_[ncols]);
  extra_value_.resize(extra_begin_[ncols]);
  std::vector<int64_t> fill(extra_begin_.begin(), extra_begin_.end() - 1);
  for (size_t r = 0; r < sources.size(); ++r) {
    for (size_t k = 0; k < sources[r].count; ++k) {
      const int64_t p = fill[sources[r].index[k]]++;
      extra_label_[p] = labels[r];
      extra_value_[p] = sources[r].value[k];
    }
  }
}

}  // namespace korva::mps
