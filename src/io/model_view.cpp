#include "io/model_view.h"

#include "io/indicator_kind.h"
#include "model/model.h"
#include "model/name_store.h"

namespace korva {

ModelView::ModelView(Environment& env, Problem& lp, bool generic_names)
    : env_(env), lp_(lp), generic_(generic_names) {
  status_ = model::complete(env, lp);
}

void ModelView::build_names(std::vector<std::string>& out, bool rows) const {
  const int n = rows ? num_rows() : num_cols();
  out.resize(n);
  const KRVnamefunc provider = rows ? env_.name_providers.row : env_.name_providers.column;
  char buffer[256];
  for (int k = 0; k < n; ++k) {
    const char* given = provider ? provider(env_.name_providers.handle, k, buffer, sizeof buffer)
                                 : nullptr;
    if (given) {
      out[k] = given;
    } else {
      const int len = format_default_name(buffer, sizeof buffer, rows ? 'c' : 'x', k);
      out[k].assign(buffer, static_cast<size_t>(len));
    }
  }
}

std::string_view ModelView::row_name(int i) const {
  if (row_names_stored()) return lp_.lp.row_names.view(i);
  if (!row_names_built_) build_names(row_names_, true), row_names_built_ = true;
  return row_names_[i];
}

std::string_view ModelView::col_name(int j) const {
  if (col_names_stored()) return lp_.lp.col_names.view(j);
  if (!col_names_built_) build_names(col_names_, false), col_names_built_ = true;
  return col_names_[j];
}

namespace {
std::string default_name(char letter, int k) {
  char buffer[32];
  const int len = format_default_name(buffer, sizeof buffer, letter, k);
  return std::string(buffer, static_cast<size_t>(len));
}
}  // namespace

int ModelView::num_sos() const { return model::num_sos(lp_); }
std::string ModelView::sos_name(int k) const {
  return generic_ ? default_name('s', k) : model::sos_name(lp_, k);
}
bool ModelView::sos_names_stored() const { return !generic_ && model::has_sos_names(lp_); }

int ModelView::num_indicators() const { return model::num_indicators(lp_); }
int ModelView::indicator_kind(int k) const {
  return decode_indicator_kind(lp_.mip->indicators[k].complemented);
}
std::string ModelView::indicator_name(int k) const {
  return generic_ ? default_name('i', k) : model::indicator_name(lp_, k);
}
bool ModelView::indicator_names_stored() const {
  return !generic_ && model::has_indicator_names(lp_);
}

const RowPool* ModelView::pool(int kind) const { return model::row_pool(lp_, kind); }
std::string ModelView::pool_row_name(int kind, int k) const {
  return generic_ ? default_name(kind == 0 ? 'u' : 'l', k) : model::pool_row_name(lp_, kind, k);
}
bool ModelView::pool_names_stored(int kind) const {
  return !generic_ && model::has_pool_names(lp_, kind);
}

int ModelView::num_qconstraints() const { return model::num_qconstraints(lp_); }
std::string ModelView::qconstraint_name(int k) const {
  return generic_ ? default_name('q', k) : model::qconstraint_name(lp_, k);
}
bool ModelView::qconstraint_names_stored() const {
  return !generic_ && model::has_qconstraint_names(lp_);
}

}  // namespace korva
