// Locale-independent number formatting and parsing.
#pragma once
#include <locale.h>

namespace korva {

// Switches the calling thread to the "C" numeric conventions for its
// lifetime, so numbers in files and parameter messages never depend on the
// application's locale (a comma decimal separator would make files
// unreadable elsewhere). Per-thread, so other threads are unaffected.
class ScopedCLocale {
 public:
  ScopedCLocale();
  ~ScopedCLocale();
  ScopedCLocale(const ScopedCLocale&) = delete;
  ScopedCLocale& operator=(const ScopedCLocale&) = delete;

 private:
  locale_t previous_ = nullptr;
};

}  // namespace korva
