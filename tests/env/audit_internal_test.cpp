// Optimisation records of the audit file, written by the admission hook.
#include <cstdlib>
#include <string>

#include "env/environment.h"
#include "support/korva_test.h"

using korva_test::read_file;
using korva_test::TempDir;

TEST(AuditFile, OneRecordPerOptimisationByProblemType) {
  TempDir dir;
  const std::string path = dir.file("audit.log");
  setenv("OMBA_VELT_KORVA_AUDIT_FILE", path.c_str(), 1);
  int status = 0;
  KRVenv env = KRVopenKORVA(&status);
  unsetenv("OMBA_VELT_KORVA_AUDIT_FILE");
  ASSERT_NE(env, nullptr);
  struct Case {
    int probtype;
    const char* text;
    uint64_t kind;
  };
  const Case cases[] = {{0, "Solving LP\n", 1},    {3, "Solving LP\n", 1},
                        {1, "Solving MILP\n", 4},  {5, "Solving QP\n", 2},
                        {8, "Solving QP\n", 2},    {7, "Solving MIQP\n", 5},
                        {10, "Solving QCP\n", 3},  {11, "Solving MIQCP\n", 6}};
  for (const Case& c : cases) {
    const uint64_t p = read_file(path).size();
    env->admission_hook(env, c.probtype);
    const std::string added = read_file(path).substr(p);
    char prefix[64];
    const uint64_t address = reinterpret_cast<uintptr_t>(env);
    const uint64_t tag = 16 * p + (p % 16) - c.kind;
    std::snprintf(prefix, sizeof prefix, "[%016llx:%016llx] ",
                  static_cast<unsigned long long>(address), static_cast<unsigned long long>(tag));
    EXPECT_EQ(added, std::string(prefix) + c.text) << c.probtype;
  }
  // Other problem types are not recorded.
  const std::string before = read_file(path);
  for (int other : {2, 4, 6, 9, 12, 13}) env->admission_hook(env, other);
  EXPECT_EQ(read_file(path), before);
  KRVcloseKORVA(&env);
}

TEST(AuditFile, LaterWriteFailureIsOnlyReported) {
  TempDir dir;
  const std::string path = dir.file("audit.log");
  setenv("OMBA_VELT_KORVA_AUDIT_FILE", path.c_str(), 1);
  int status = 0;
  KRVenv env = KRVopenKORVA(&status);
  unsetenv("OMBA_VELT_KORVA_AUDIT_FILE");
  ASSERT_NE(env, nullptr);
  korva_test::Capture errors(env, env->error());
  env->audit_file = dir.file("gone/audit.log");
  env->admission_hook(env, 0);
  EXPECT_EQ(errors.text(),
            "KORVA Error  1422: Could not open file '" + env->audit_file + "' for writing.\n");
  env->audit_file = path;
  KRVcloseKORVA(&env);
}
