// What the steering entries do inside a callback: checking and recording
// the cuts and the children a callback adds, in the searched problem's
// columns (crushed from the original problem's when the callback speaks
// of those).
#pragma once
#include <cstdint>

#include "mip/callback_data.h"

namespace korva::mip {

// A cut (106, 114) or lazy constraint (115, 116); `local` for one valid in
// the current subtree only. Returns 0 or an error code.
int add_callback_cut(Environment& env, MipCallbackData& d, int wherefrom, int nzcnt, double rhs, int sense,
                     const int* ind, const double* val, int purgeable, bool local);

// The rows of a branch callback's child, in the packed form of the row
// queries (rcnt rows, rmatbeg[i] their starts).
struct ChildRows {
  int rcnt = 0, nzcnt = 0;
  const double* rhs = nullptr;
  const char* sense = nullptr;
  const int* rmatbeg = nullptr;
  const int* rmatind = nullptr;
  const double* rmatval = nullptr;
};

// A child of the current node with bound changes (lu 'L', 'U' or 'B') and
// rows. Returns 0 or an error code; its sequence number in `seqnum`.
int add_callback_child(Environment& env, MipCallbackData& d, int wherefrom, double nodeest, int cnt,
                       const int* indices, const char* lu, const double* bd, const ChildRows& rows, void* userhandle,
                       int64_t* seqnum);

}  // namespace korva::mip
