// Family plumbing for the model functions. Each exported function with
// packed arrays is written once as a template over its position type Pos:
// int for the plain family, long long for the KRVL family. Positions going
// in are widened to 64 bits (or passed through); positions and counts going
// out are filled as 64-bit values and narrowed for the plain family.
#pragma once
#include <cstdint>
#include <type_traits>
#include <vector>

#include "api/families.h"
#include "env/frame.h"
#include "model/model.h"

namespace korva::api {

inline const int64_t* positions(WideBegin& w, const int* beg, int64_t n) {
  return w.widen(beg, n);
}
inline const int64_t* positions(WideBegin& w, const long long* beg, int64_t) {
  return w.pass(beg);
}

// An output array of positions for the caller's family.
template <class Pos>
class OutPositions {
 public:
  explicit OutPositions(Pos* out) : out_(out) {}
  int64_t* get(int64_t n) {
    if (!out_) return nullptr;
    if constexpr (std::is_same_v<Pos, long long>) {
      (void)n;
      return reinterpret_cast<int64_t*>(out_);
    } else {
      wide_.assign(static_cast<size_t>(n), 0);
      return wide_.data();
    }
  }
  // Copies the filled positions back (plain family only).
  void finish(int64_t n) {
    if constexpr (!std::is_same_v<Pos, long long>) {
      for (int64_t k = 0; out_ && k < n && k < static_cast<int64_t>(wide_.size()); ++k)
        out_[k] = static_cast<Pos>(wide_[k]);
    } else {
      (void)n;
    }
  }

 private:
  Pos* out_;
  std::vector<int64_t> wide_;
};

// A 64-bit count handed to the caller: clamped to int (with 1810) for the
// plain family.
template <class Pos>
void store_count(Environment& env, Pos* dst, int64_t value) {
  if (!dst) return;
  if constexpr (std::is_same_v<Pos, long long>)
    *dst = value;
  else
    *dst = clamp_to_int(&env, value);
}

// Number of vectors begin..end, 0 for an empty or reversed range.
inline int64_t range_length(int begin, int end) {
  return end >= begin ? static_cast<int64_t>(end) - begin + 1 : 0;
}

// Runs a query that fills 64-bit count and surplus outputs, and stores them
// in the caller's family. The count and surplus pointers are checked by the
// operation (1004 when null).
template <class Pos, class Op>
int with_counts(Environment& env, Pos* count_p, Pos* surplus_p, Op op) {
  int64_t count = 0, surplus = 0;
  const int status = op(count_p ? &count : nullptr, surplus_p ? &surplus : nullptr);
  if (status == 0 || status == err::kArrayTooShort || status == -err::kArrayTooShort) {
    store_count(env, count_p, count);
    store_count(env, surplus_p, surplus);
  }
  return status;
}

}  // namespace korva::api
