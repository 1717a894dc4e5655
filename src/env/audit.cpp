// The audit file: one line per environment start and end and per
// optimisation, each tagged with the environment and the file position.
#include <cstdint>
#include <cstdio>
#include <ctime>

#include "env/environment.h"
#include "env/errors.h"

namespace korva {
namespace {

// Appends one record; false when the file cannot be written.
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
                static_cast<unsigned long>(tag >> 32), static_cast<unsigned long>(tag & 0xffffffffUL));
  const bool ok = std::fprintf(f, prefix, text) >= 0;
  return std::fclose(f) == 0 && ok;
}

bool write_stamp_records(Environment* env, const char* what, int kind) {
  std::time_t now = std::time(nullptr);
  char date[32];
  ctime_r(&now, date);  // 24 characters and a newline
  char line[256];
  std::snprintf(line, sizeof line, "OMBA VELT KORVA Optimizers %s audit file %s %s\n",
                env->version, what, date);
  return append_record(env, "\n", kind) && append_record(env, line, kind);
}

void report_audit_failure(Environment* env) {
  report_formatted(env, err::kCannotWrite, env->audit_file.c_str());
}

}  // namespace

int audit_open(Environment* env) {
  // No destination exists yet; standard output makes the failure visible.
  const bool added = add_file_destination(*env->error(), stdout) == 0;
  const bool ok = write_stamp_records(env, "started", 0);
  if (!ok) report_audit_failure(env);
  if (added) remove_file_destination(*env->error(), stdout);
  return ok ? 0 : -err::kCannotWrite;
}

void audit_close(Environment* env) {
  if (env->audit_file.empty()) return;
  if (!write_stamp_records(env, "ended", 15)) report_audit_failure(env);
}

void audit_optimization(Environment* env, int probtype) {
  if (!env || env->audit_file.empty()) return;
  const char* text = nullptr;
  int kind = 0;
  switch (probtype) {
    case 0: case 3: text = "Solving LP\n"; kind = 1; break;
    case 1: text = "Solving MILP\n"; kind = 4; break;
    case 5: case 8: text = "Solving QP\n"; kind = 2; break;
    case 7: text = "Solving MIQP\n"; kind = 5; break;
    case 10: text = "Solving QCP\n"; kind = 3; break;
    case 11: text = "Solving MIQCP\n"; kind = 6; break;
    default: return;
  }
  if (!append_record(env, text, kind)) report_audit_failure(env);
}

}  // namespace korva
