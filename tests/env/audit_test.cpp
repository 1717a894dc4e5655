// The audit file and the override parameter file, both named by environment
// variables read when an environment is opened.
#include <cctype>
#include <cinttypes>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "support/korva_test.h"

using korva_test::read_file;
using korva_test::TempDir;

namespace {

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::string hex64(uint64_t v) {
  char buf[17];
  std::snprintf(buf, sizeof buf, "%016" PRIx64, v);
  return buf;
}

// The 24-character date form, "Wed Jun 30 21:49:08 1993".
bool is_date(const std::string& s) {
  if (s.size() != 24) return false;
  for (size_t i : {3u, 7u, 10u, 19u})
    if (s[i] != ' ') return false;
  if (s[13] != ':' || s[16] != ':') return false;
  for (size_t i : {11u, 12u, 14u, 15u, 17u, 18u, 20u, 21u, 22u, 23u})
    if (!std::isdigit(static_cast<unsigned char>(s[i]))) return false;
  return std::isupper(static_cast<unsigned char>(s[0])) &&
         std::isupper(static_cast<unsigned char>(s[4]));
}

// The tag of a record starting at file position p, of kind k.
std::string tag(uint64_t p, uint64_t k) { return hex64(16 * p + (p % 16) - k); }

class AuditFile : public ::testing::Test {
 protected:
  void SetUp() override {
    path = dir.file("audit.log");
    setenv("OMBA_VELT_KORVA_AUDIT_FILE", path.c_str(), 1);
  }
  void TearDown() override { unsetenv("OMBA_VELT_KORVA_AUDIT_FILE"); }
  TempDir dir;
  std::string path;
};

}  // namespace

TEST_F(AuditFile, RecordsStartAndEndOfAnEnvironment) {
  int status = -1;
  KRVenv env = KRVopenKORVA(&status);
  ASSERT_NE(env, nullptr);
  const std::string address = hex64(reinterpret_cast<uintptr_t>(env));
  const std::string after_open = read_file(path);
  ASSERT_EQ(KRVcloseKORVA(&env), 0);
  const std::string text = read_file(path);

  const std::vector<std::string> lines = lines_of(text);
  ASSERT_EQ(lines.size(), 6u) << text;
  // Start: an empty record, then the started line with its own date line end.
  const std::string prefix0 = "[" + address + ":" + tag(0, 0) + "] ";
  EXPECT_EQ(lines[0], prefix0);
  const uint64_t second = lines[0].size() + 1;
  const std::string prefix1 = "[" + address + ":" + tag(second, 0) + "] ";
  ASSERT_EQ(lines[1].substr(0, prefix1.size()), prefix1);
  const std::string started = lines[1].substr(prefix1.size());
  const std::string started_head = "OMBA VELT KORVA Optimizers 1.0.0.0 audit file started ";
  ASSERT_EQ(started.substr(0, started_head.size()), started_head);
  EXPECT_TRUE(is_date(started.substr(started_head.size()))) << started;
  EXPECT_EQ(lines[2], "");
  EXPECT_EQ(after_open.size(), lines[0].size() + lines[1].size() + lines[2].size() + 3);

  // End: the same two records with kind 15.
  const uint64_t third = after_open.size();
  EXPECT_EQ(lines[3], "[" + address + ":" + tag(third, 15) + "] ");
  const uint64_t fourth = third + lines[3].size() + 1;
  const std::string prefix4 = "[" + address + ":" + tag(fourth, 15) + "] ";
  ASSERT_EQ(lines[4].substr(0, prefix4.size()), prefix4);
  const std::string ended = lines[4].substr(prefix4.size());
  const std::string ended_head = "OMBA VELT KORVA Optimizers 1.0.0.0 audit file ended ";
  ASSERT_EQ(ended.substr(0, ended_head.size()), ended_head);
  EXPECT_TRUE(is_date(ended.substr(ended_head.size()))) << ended;
  EXPECT_EQ(lines[5], "");
}

TEST_F(AuditFile, AppendsToAnExistingFile) {
  korva_test::write_file(path, "earlier\n");
  int status = -1;
  KRVenv env = KRVopenKORVA(&status);
  ASSERT_NE(env, nullptr);
  KRVcloseKORVA(&env);
  const std::vector<std::string> lines = lines_of(read_file(path));
  ASSERT_EQ(lines.size(), 7u);
  EXPECT_EQ(lines[0], "earlier");
  EXPECT_NE(lines[1].find(":" + tag(8, 0) + "] "), std::string::npos);
}

TEST_F(AuditFile, UnwritableFileStopsCreationVisibly) {
  const std::string bad = dir.file("missing-dir/audit.log");
  setenv("OMBA_VELT_KORVA_AUDIT_FILE", bad.c_str(), 1);
  int status = -1;
  testing::internal::CaptureStdout();
  KRVenv env = KRVopenKORVA(&status);
  std::fflush(stdout);
  const std::string out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(env, nullptr);
  EXPECT_EQ(status, 1422);
  EXPECT_EQ(out, "KORVA Error  1422: Could not open file '" + bad + "' for writing.\n");
}

TEST(OverrideFile, UnreadableFileIsAnnouncedAndCreationGoesOn) {
  TempDir dir;
  const std::string name = dir.file("absent.prm");
  setenv("VELT_KORVA_PARAMETER_FILE", name.c_str(), 1);
  int status = -1;
  testing::internal::CaptureStdout();
  KRVenv env = KRVopenKORVA(&status);
  std::fflush(stdout);
  const std::string out = testing::internal::GetCapturedStdout();
  unsetenv("VELT_KORVA_PARAMETER_FILE");
  ASSERT_NE(env, nullptr);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(out, "Reading override parameter file '" + name + "' failed.\n");
  int scrind = -1;
  KRVgetintparam(env, KRV_PARAM_SCRIND, &scrind);
  EXPECT_EQ(scrind, 0);
  KRVcloseKORVA(&env);
}

TEST(OverrideFile, SettingsOfTheFileApplyToEveryNewEnvironment) {
  TempDir dir;
  const std::string name = dir.file("override.prm");
  int status = -1;
  KRVenv writer = KRVopenKORVA(&status);
  ASSERT_EQ(KRVsetintparam(writer, KRV_PARAM_SIMDISPLAY, 2), 0);
  ASSERT_EQ(KRVsetintparam(writer, KRV_PARAM_SCRIND, 1), 0);
  ASSERT_EQ(KRVwriteparam(writer, name.c_str()), 0);
  KRVcloseKORVA(&writer);

  setenv("VELT_KORVA_PARAMETER_FILE", name.c_str(), 1);
  testing::internal::CaptureStdout();
  KRVenv env = KRVopenKORVA(&status);
  std::fflush(stdout);
  const std::string out = testing::internal::GetCapturedStdout();
  unsetenv("VELT_KORVA_PARAMETER_FILE");
  ASSERT_NE(env, nullptr);
  EXPECT_EQ(out, "Reading override parameter file '" + name + "' succeeded.\n");
  int value = -1;
  KRVgetintparam(env, KRV_PARAM_SIMDISPLAY, &value);
  EXPECT_EQ(value, 2);
  // The screen stays off whatever the file said: output is the application's call.
  KRVgetintparam(env, KRV_PARAM_SCRIND, &value);
  EXPECT_EQ(value, 0);
  KRVcloseKORVA(&env);
}
