// Parameters that make the library talk: the screen indicator, the
// parameter display switch and the override file read at start-up.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "support/korva_test.h"

using korva_test::EnvTest;
using korva_test::read_file;
using korva_test::TempDir;
using korva_test::write_file;

namespace {

// Sends standard output to a file while it lives.
class StdoutToFile {
 public:
  explicit StdoutToFile(const std::string& path) {
    std::fflush(stdout);
    saved_ = dup(STDOUT_FILENO);
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(fd, STDOUT_FILENO);
    close(fd);
  }
  ~StdoutToFile() { stop(); }
  void stop() {
    if (saved_ < 0) return;
    std::fflush(stdout);
    dup2(saved_, STDOUT_FILENO);
    close(saved_);
    saved_ = -1;
  }

 private:
  int saved_ = -1;
};

// Names the override file for environments opened while it lives.
class OverrideFile {
 public:
  explicit OverrideFile(const std::string& path) {
    setenv("VELT_KORVA_PARAMETER_FILE", path.c_str(), 1);
  }
  ~OverrideFile() { unsetenv("VELT_KORVA_PARAMETER_FILE"); }
};

int get_int(KRVenv env, int number) {
  int v = 0;
  EXPECT_EQ(KRVgetintparam(env, number, &v), 0);
  return v;
}

const std::string kHeader = "KORVA Parameter File Version 1.0.0.0\n";

}  // namespace

TEST_F(EnvTest, ScreenIndicatorAddsStandardOutputOnceToThreeChannels) {
  TempDir dir;
  const std::string out = dir.file("stdout.txt");
  {
    StdoutToFile redirect(out);
    ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_SCRIND, 1), 0);
    ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_SCRIND, 1), 0);
    KRVmsg(channel(0), "result\n");
    KRVmsg(channel(1), "warning\n");
    KRVmsg(channel(2), "error\n");
    KRVmsg(channel(3), "log\n");
    ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_SCRIND, 0), 0);
    KRVmsg(channel(0), "after off\n");
    ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_SCRIND, 1), 0);
    ASSERT_EQ(KRVsetdefaults(env), 0);
    KRVmsg(channel(0), "after reset\n");
  }
  EXPECT_EQ(read_file(out), "result\nwarning\nerror\n");
  EXPECT_EQ(get_int(env, KRV_PARAM_SCRIND), 0);
}

TEST_F(EnvTest, ParameterDisplayEchoesEverySuccessfulSet) {
  ASSERT_EQ(KRVsetintparam(env, 1075, 1), 0);
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_ADVIND, 2), 0);
  ASSERT_EQ(KRVsetlongparam(env, KRV_PARAM_ITLIM, 5000000000LL), 0);
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_NODELIM, 2100000000), 0);
  ASSERT_EQ(KRVsetdblparam(env, KRV_PARAM_EPOPT, 1e-5), 0);
  ASSERT_EQ(KRVsetstrparam(env, KRV_PARAM_WORKDIR, "/tmp"), 0);
  EXPECT_EQ(KRVsetintparam(env, KRV_PARAM_ADVIND, 9), 1015);  // refused: not echoed
  ASSERT_EQ(KRVsetintparam(env, 1075, 0), 0);
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_ADVIND, 0), 0);
  EXPECT_EQ(results->text(),
            "Parameter 1075 set to 1.\n"
            "Parameter 1001 set to 2.\n"
            "Parameter 1020 set to 5000000000.\n"
            "Parameter 2017 set to 9223372036800000000.\n"
            "Parameter 1014 set to 1e-05.\n"
            "Parameter 1064 set to \"/tmp\".\n");
}

namespace {

// Opens an environment with `body` as the override file; returns what
// reached the screen after the status line's fixed start.
std::string open_with_override(const std::string& body, KRVenv& env) {
  TempDir dir;
  const std::string prm = dir.file("override.prm");
  write_file(prm, kHeader + body);
  OverrideFile variable(prm);
  StdoutToFile redirect(dir.file("stdout.txt"));
  int status = -1;
  env = KRVopenKORVA(&status);
  redirect.stop();
  EXPECT_EQ(status, 0);
  const std::string screen = read_file(dir.file("stdout.txt"));
  const std::string prefix = "Reading override parameter file '" + prm + "' ";
  EXPECT_EQ(screen.rfind(prefix, 0), 0u) << screen;
  return screen.substr(std::min(prefix.size(), screen.size()));
}

}  // namespace

TEST(OverrideFileTest, IsAppliedAtStartUpWithItsStatusOnTheScreen) {
  KRVenv env = nullptr;
  EXPECT_EQ(open_with_override("KRV_PARAM_ADVIND 0\nKRV_PARAM_SCRIND 1\n", env), "succeeded.\n");
  ASSERT_NE(env, nullptr);
  EXPECT_EQ(get_int(env, KRV_PARAM_ADVIND), 0);
  EXPECT_EQ(get_int(env, KRV_PARAM_SCRIND), 0);  // the screen stays quiet afterwards
  KRVcloseKORVA(&env);
}

TEST(OverrideFileTest, ABadFileIsAnnouncedAndCreationContinues) {
  KRVenv env = nullptr;
  EXPECT_EQ(open_with_override("KRV_PARAM_ADVIND 0\nKRV_PARAM_NOSUCH 1\n", env), "failed.\n");
  ASSERT_NE(env, nullptr);
  EXPECT_EQ(get_int(env, KRV_PARAM_ADVIND), 1);
  KRVcloseKORVA(&env);
}
