// Names of the optional parts for writers: the stored name, or the part's
// default name formed like the row and column defaults.
#include "model/model.h"

namespace korva::model {
namespace {

std::string stored_or_default(const std::string& stored, char letter, int k) {
  if (!stored.empty()) return stored;
  char buffer[32];
  const int n = format_default_name(buffer, sizeof buffer, letter, k);
  return std::string(buffer, static_cast<size_t>(n));
}

template <class List, class NameOf>
bool any_named(const List& list, NameOf name_of) {
  for (const auto& item : list)
    if (!name_of(item).empty()) return true;
  return false;
}

}  // namespace

std::string sos_name(const Problem& lp, int k) {
  return stored_or_default(lp.mip->sos[k].name, 's', k);
}

std::string indicator_name(const Problem& lp, int k) {
  return stored_or_default(lp.mip->indicators[k].name, 'i', k);
}

std::string qconstraint_name(const Problem& lp, int k) {
  return stored_or_default(lp.qcons->list[k].name, 'q', k);
}

std::string pool_row_name(const Problem& lp, int kind, int k) {
  return stored_or_default(row_pool(lp, kind)->names[k], kind == 0 ? 'u' : 'l', k);
}

bool has_sos_names(const Problem& lp) {
  return lp.mip && any_named(lp.mip->sos, [](const SosSet& s) -> const std::string& { return s.name; });
}

bool has_indicator_names(const Problem& lp) {
  return lp.mip && any_named(lp.mip->indicators, [](const IndicatorConstraint& c)
                                                     -> const std::string& { return c.name; });
}

bool has_qconstraint_names(const Problem& lp) {
  return lp.qcons && any_named(lp.qcons->list, [](const QuadConstraint& c)
                                                   -> const std::string& { return c.name; });
}

bool has_pool_names(const Problem& lp, int kind) {
  const RowPool* pool = row_pool(lp, kind);
  return pool && any_named(pool->names, [](const std::string& s) -> const std::string& { return s; });
}

}  // namespace korva::model
