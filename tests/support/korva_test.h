// Helpers shared by the test suites: an environment fixture, capture of
// channel output, temporary directories and paths to the shared test data.
#pragma once
#include <gtest/gtest.h>
#include <korva/korva.h>

#include <filesystem>
#include <string>

namespace korva_test {

// Path of a file under the shared data directory, e.g. "netlib/afiro.mps.gz".
std::string data_path(const std::string& relative);

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
