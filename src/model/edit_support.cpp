#include "model/edit_support.h"

#include <cstring>

#include "env/channel.h"
#include "env/errors.h"
#include "model/datacheck.h"
#include "model/model_errors.h"

namespace korva::model::detail {

int begin_edit(Environment& env, Problem& lp) {
  if (int status = check_modifiable(lp)) return status;
  return complete(env, lp);
}

int begin_read(Environment& env, Problem& lp) { return complete(env, lp); }

int column_status(double lb, double ub) {
  const bool no_lower = lb <= -kInfinity;
  if (no_lower && ub >= kInfinity) return KRV_FREE_SUPER;
  return no_lower ? KRV_AT_UPPER : KRV_AT_LOWER;
}

bool is_column_type(char c) {
  return c == 'C' || c == 'B' || c == 'I' || c == 'S' || c == 'N';
}

int check_column_types(Environment& env, const char* ctype, int64_t n) {
  if (!ctype) return 0;
  for (int64_t k = 0; k < n; ++k)
    if (!is_column_type(ctype[k]))
      return report_formatted(&env, mipcode::kBadCtype, static_cast<long long>(k));
  return 0;
}

bool is_internal_type(int type) { return type == 4 || type == 9 || type == 12; }
bool is_fixed_type(int type) {
  return type == KRVPROB_FIXEDMILP || type == KRVPROB_FIXEDMIQP || type == KRVPROB_FIXEDMIQCP;
}

int implied_type(const Problem& lp) {
  const bool mip = lp.mip != nullptr;
  if (lp.qcons) return mip ? KRVPROB_MIQCP : KRVPROB_QCP;
  if (lp.quad) return mip ? KRVPROB_MIQP : KRVPROB_QP;
  return mip ? KRVPROB_MILP : KRVPROB_LP;
}

void follow_parts(Problem& lp) {
  if (is_internal_type(lp.type) || is_fixed_type(lp.type)) return;
  const int type = implied_type(lp);
  if (type == lp.type) return;
  lp.type = type;
  raise_event(lp, ChangeEvent::ProblemType);
}

std::unique_ptr<MipData> new_mip_data(int num_cols) {
  auto mip = std::make_unique<MipData>();
  mip->ctype.assign(static_cast<size_t>(num_cols), 'C');
  return mip;
}

void discard_parts(Environment& env, Problem& lp, bool mip, bool quad, bool qcons) {
  const bool say = check::enabled(env);
  if (mip && lp.mip) {
    lp.mip.reset();
    if (say) msg(env.warning(), "Freeing MIP data.\n");
  }
  if (quad && lp.quad) {
    lp.quad.reset();
    if (say) msg(env.warning(), "Freeing QP data.\n");
  }
  if (qcons && lp.qcons) {
    lp.qcons.reset();
    if (say) msg(env.warning(), "Freeing QCONSTR data.\n");
  }
}

void NameAppend::plan(NameStore& store, int64_t existing, int64_t adding,
                      const char* const* names, char letter) {
  touch_ = adding > 0 && (names != nullptr || store.present());
  if (!touch_) return;
  int64_t bytes = 0;
  for (int64_t k = 0; k < adding; ++k)
    bytes += names && names[k] ? static_cast<int64_t>(std::strlen(names[k])) + 1
                               : NameStore::default_length(existing + k);
  fresh_ = !store.present();
  if (fresh_) {
    // Names given to a dimension that had none: the items already there
    // receive their default names first.
    fresh_store_.make_defaults(existing, letter);
    fresh_store_.reserve_more(adding, bytes);
  } else {
    store.reserve_more(adding, bytes);
  }
}

void NameAppend::write(NameStore& store, int64_t existing, int64_t adding,
                       const char* const* names, char letter) {
  if (!touch_) return;
  if (fresh_) store = std::move(fresh_store_);
  for (int64_t k = 0; k < adding; ++k) {
    if (names && names[k])
      store.append(names[k]);
    else
      store.append_default(letter, existing + k);
  }
}

int build_map(const std::vector<char>& deleted, std::vector<int>& map) {
  map.resize(deleted.size());
  int next = 0;
  for (size_t k = 0; k < deleted.size(); ++k) map[k] = deleted[k] ? -1 : next++;
  return next;
}

}  // namespace korva::model::detail
