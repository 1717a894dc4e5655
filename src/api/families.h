// Support for the three exported function families. The plain family takes
// 32-bit begin arrays and names in the interface encoding; it widens and
// converts, then calls the same 64-bit internal operation as the KRVL
// family. KRVS functions are the plain functions under a second name.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "env/environment.h"
#include "env/errors.h"

namespace korva::api {

// A begin array widened to 64 bits (null stays null).
class WideBegin {
 public:
  const int64_t* widen(const int* begin, int64_t n) {
    if (!begin) return nullptr;
    wide_.assign(begin, begin + n);
    return wide_.data();
  }
  const int64_t* pass(const long long* begin) { return reinterpret_cast<const int64_t*>(begin); }

 private:
  std::vector<int64_t> wide_;
};

// Names converted from the interface encoding to UTF-8. A null array stays
// null; a null entry stays null (the data check reports it).
class Utf8Names {
 public:
  int convert(Environment& env, const char* const* names, int64_t n) {
    if (!names) return 0;
    store_.resize(static_cast<size_t>(n));
    ptrs_.resize(static_cast<size_t>(n));
    for (int64_t i = 0; i < n; ++i) {
      if (!names[i]) {
        ptrs_[i] = nullptr;
        continue;
      }
      if (int status = api_to_utf8(env, names[i], store_[i])) return status;
      ptrs_[i] = store_[i].c_str();
    }
    converted_ = true;
    return 0;
  }
  const char* const* get() const { return converted_ ? ptrs_.data() : nullptr; }

 private:
  std::vector<std::string> store_;
  std::vector<const char*> ptrs_;
  bool converted_ = false;
};

// One name converted from the interface encoding (null stays null).
class Utf8Name {
 public:
  int convert(Environment& env, const char* name) {
    if (!name) return 0;
    present_ = true;
    return api_to_utf8(env, name, text_);
  }
  const char* get() const { return present_ ? text_.c_str() : nullptr; }

 private:
  std::string text_;
  bool present_ = false;
};

}  // namespace korva::api

// Defines KRVS<name> as a second symbol for the plain function KRV<name>.
#define KORVA_S_ALIAS(ret, sname, pname, params) \
  extern "C" ret sname params __attribute__((alias(#pname), visibility("default")));
