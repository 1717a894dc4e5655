#include "env/audit.h"

#include <cstdint>
#include <cstdio>
#include <ctime>

#include "env/environment.h"
#include "env/errors.h"

namespace korva {
namespace {

// Record kinds: they enter the tag so that records can be told apart.
constexpr int kStartRecord = 0;
constexpr int kEndRecord = 15;

struct OptimizationRecord {
  int probtype;
  const char* text;
  int kind;
};
constexpr OptimizationRecord kOptimizationRecords[] = {
    {0, "Solving LP\n", 1},   {3, "Solving LP\n", 1},    {1, "Solving MILP\n", 4},
    {5, "Solving QP\n", 2},   {8, "Solving QP\n", 2},    {7, "Solving MIQP\n", 5},
    {10, "Solving QCP\n", 3}, {11, "Solving MIQCP\n", 6},
};

// Appends one record; false when the file cannot be written. The file is
// opened for this record only, so that a crash never loses earlier lines.
bool append_record(Environment* env, const char* text, int kind) {
  FILE* f = std::fopen(env->audit_file.c_str(), "a");
  if (!f) return false;
  std::fseek(f, 0, SEEK_END);
  const long pos = std::ftell(f);
  const uint64_t p = pos < 0 ? 0 : static_cast<uint64_t>(pos);
  const uint64_t tag = 16 * p + (p % 16) - static_cast<uint64_t>(kind);
  const uint64_t address = reinterpret_cast<uintptr_t>(env);
  char prefix[64];
  std::snprintf(prefix, sizeof prefix, "[%08lx%08lx:%08lx%08lx] %%s",
                static_cast<unsigned long>(address >> 32),
                static_cast<unsigned long>(address & 0xffffffffUL),
                static_cast<unsigned long>(tag >> 32),
                static_cast<unsigned long>(tag & 0xffffffffUL));
  const bool ok = std::fprintf(f, prefix, text) >= 0;
  return std::fclose(f) == 0 && ok;
}

enum class Stamp { kStarted, kEnded };

// An empty line, then the version and the local date and time. Both lines
// are spelled out in full so that the compiler checks each format.
bool write_stamp_records(Environment* env, Stamp stamp, int kind) {
  std::time_t now = std::time(nullptr);
  char date[32];
  ctime_r(&now, date);  // 24 characters and a newline
  char line[256];
  std::snprintf(line, sizeof line,
                stamp == Stamp::kStarted ? "OMBA VELT KORVA Optimizers %s audit file started %s\n"
                                         : "OMBA VELT KORVA Optimizers %s audit file ended %s\n",
                env->version, date);
  return append_record(env, "\n", kind) && append_record(env, line, kind);
}

void report_audit_failure(Environment* env) {
  report_formatted(env, err::kCannotWrite, env->audit_file.c_str());
}

}  // namespace

int audit_open(Environment* env) {
  // No destination exists yet; standard output makes the failure visible.
  // (The destination is added even when its encoding cannot be opened.)
  add_file_destination(*env->error(), stdout);
  const bool ok = write_stamp_records(env, Stamp::kStarted, kStartRecord);
  if (!ok) report_audit_failure(env);
  remove_file_destination(*env->error(), stdout);
  return ok ? 0 : -err::kCannotWrite;
}

void audit_close(Environment* env) {
  if (env->audit_file.empty()) return;
  if (!write_stamp_records(env, Stamp::kEnded, kEndRecord)) report_audit_failure(env);
}

void audit_optimization(Environment* env, int probtype) {
  if (!env || env->audit_file.empty()) return;
  for (const OptimizationRecord& r : kOptimizationRecords) {
    if (r.probtype != probtype) continue;
    if (!append_record(env, r.text, r.kind)) report_audit_failure(env);
    return;
  }
}

}  // namespace korva
