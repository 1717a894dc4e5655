#include "env/c_locale.h"

namespace korva {

ScopedCLocale::ScopedCLocale() {
  // Created once and never freed: every thread may switch to it at any time.
  static const locale_t c_locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  if (c_locale) previous_ = uselocale(c_locale);
}

ScopedCLocale::~ScopedCLocale() {
  if (previous_) uselocale(previous_);
}

}  // namespace korva
