// Helpers shared by the test suites: an environment fixture, capture of
// channel output, temporary directories and paths to the shared test data.
#pragma once
#include <gtest/gtest.h>
#include <korva/korva.h>

#include <filesystem>
#include <string>

namespace korva_test {

// The shared model collections (netlib/, miplib3/) live outside the
// repository. Their directory is $KORVA_DATA_DIR when that is set, otherwise
// the one beside the source tree.
std::string data_dir();

// Path of a file under the shared data directory, e.g. "netlib/afiro.mps.gz".
std::string data_path(const std::string& relative);

// True when both collections are there.
bool shared_data_present();

// True when their absence must fail the run instead of skipping the tests
// that need them: KORVA_REQUIRE_DATA=1, as CI sets it, so that a run can
// never pass without having tested on the collections.
bool shared_data_required();

// "shared model collections not found at <directory>"
std::string shared_data_missing_message();

// Parameter lists read from the collections come out empty without them,
// and a suite instantiated with nothing fails on its own. Such a list holds
// this one name instead, so that its tests run and report the missing
// collections through KORVA_REQUIRE_SHARED_DATA().
inline constexpr const char* kSharedDataMissing = "shared_data_missing";

// Opens every test (or the SetUp of every fixture) that reads the shared
// collections: without them the test is skipped, or fails when they are
// required. A macro because GTEST_SKIP() and GTEST_FAIL() return from the
// function they are written in.
#define KORVA_REQUIRE_SHARED_DATA()                                  \
  do {                                                               \
    if (!::korva_test::shared_data_present()) {                      \
      if (::korva_test::shared_data_required())                      \
        GTEST_FAIL() << ::korva_test::shared_data_missing_message(); \
      GTEST_SKIP() << ::korva_test::shared_data_missing_message();   \
    }                                                                \
  } while (0)

// Collects everything written to one channel through a function destination.
class Capture {
 public:
  Capture(KRVenv env, KRVchannel channel);
  ~Capture();
  Capture(const Capture&) = delete;
  Capture& operator=(const Capture&) = delete;
  const std::string& text() const { return text_; }
  void clear() { text_.clear(); }

 private:
  static void receive(void* handle, const char* message);
  KRVenv env_;
  KRVchannel channel_;
  std::string text_;
};

// A fresh directory removed with its contents at the end of the scope.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::string file(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

std::string read_file(const std::string& path);
void write_file(const std::string& path, const std::string& contents);

// An open environment, with its error and warning channels captured.
class EnvTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  KRVchannel channel(int which);  // 0 results, 1 warning, 2 error, 3 log
  KRVenv env = nullptr;
  std::unique_ptr<Capture> errors, warnings, results;
};

}  // namespace korva_test
