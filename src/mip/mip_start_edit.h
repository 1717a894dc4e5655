// The operations on a problem's MIP starts behind the exported functions
// and the file readers: 64-bit positions, UTF-8 names. Each returns 0 or an
// error code (negated once printed) and leaves the starts unchanged when it
// fails. All of them need a MIP (3003 otherwise); those that read or change
// existing starts need one (3020 "No MIP start exists"). `fname` names the
// exported function in the 1205/1206 range messages.
#pragma once
#include <cstdint>
#include <vector>

#include "mip/mip_starts.h"

namespace korva::mip {

inline constexpr int kNoMipStart = 3020;  // "No MIP start exists"

// Appends mcnt starts; start k's entries are at beg[k] .. beg[k + 1] - 1 (the
// last up to nzcnt - 1). `names` may be null; a null entry in it is 1224.
int add_mip_starts(Environment& env, Problem& p, int mcnt, int64_t nzcnt, const int64_t* beg,
                   const int* varindices, const double* values, const int* effort,
                   const char* const* names);
// Changes starts which[0..mcnt-1]: listed columns get the new values (or
// join the start), effort[k] replaces the level (effort may be null).
int chg_mip_starts(Environment& env, Problem& p, int mcnt, const int* which, int64_t nzcnt,
                   const int64_t* beg, const int* varindices, const double* values,
                   const int* effort);
// Starts begin..end; effort may be null. Null nzcnt or surplus give 1004.
int get_mip_starts(Environment& env, Problem& p, const char* fname, int64_t* nzcnt, int64_t* beg,
                   int* varindices, double* values, int* effort, int64_t space,
                   int64_t* surplus, int begin, int end);
int del_mip_starts(Environment& env, Problem& p, const char* fname, int begin, int end);
// delstat[k] == 1 deletes start k; on return delstat holds the new indices
// (-1 for deleted starts).
int del_set_mip_starts(Environment& env, Problem& p, int* delstat);

// Names begin..end in the interface encoding, back to back in `store`.
int get_mip_start_names(Environment& env, Problem& p, const char* fname, char** name, char* store,
                        int64_t space, int64_t* surplus, int begin, int end);
// The lowest index whose name (stored or default) is `name_utf8`; 1210,
// unprinted, when none has it.
int find_mip_start(Environment& env, Problem& p, const char* name_utf8, int* index);

// The single-start forms. copy: the problem's starts become this one start
// (effort automatic, unnamed); cnt 0 removes them all. chg: start 0 gets
// these values, and is created when there is none. get: start 0.
int copy_mip_start(Environment& env, Problem& p, int cnt, const int* indices,
                   const double* values);
int chg_mip_start(Environment& env, Problem& p, int cnt, const int* indices,
                  const double* values);
int get_mip_start(Environment& env, Problem& p, int* cnt, int* indices, double* values, int space,
                  int* surplus);

// The file readers' result replaces the problem's starts.
int replace_mip_starts(Environment& env, Problem& p, std::vector<MipStart>&& starts);

}  // namespace korva::mip
