#include "support/korva_test.h"

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>

namespace korva_test {

std::string data_dir() {
  const char* dir = std::getenv("KORVA_DATA_DIR");
  return dir && *dir ? dir : KORVA_DEFAULT_DATA_DIR;
}

std::string data_path(const std::string& relative) { return data_dir() + "/" + relative; }

bool shared_data_present() {
  std::error_code ec;
  return std::filesystem::is_directory(data_path("netlib"), ec) &&
         std::filesystem::is_directory(data_path("miplib3"), ec);
}

bool shared_data_required() {
  const char* required = std::getenv("KORVA_REQUIRE_DATA");
  return required && std::string(required) == "1";
}

std::string shared_data_missing_message() {
  return "shared model collections not found at " + data_dir();
}

Capture::Capture(KRVenv env, KRVchannel channel) : env_(env), channel_(channel) {
  KRVaddfuncdest(env_, channel_, this, &Capture::receive);
}

Capture::~Capture() { KRVdelfuncdest(env_, channel_, this, &Capture::receive); }

void Capture::receive(void* handle, const char* message) {
  static_cast<Capture*>(handle)->text_ += message;
}

TempDir::TempDir() {
  std::random_device rd;
  path_ = std::filesystem::temp_directory_path() /
          ("korva-test-" + std::to_string(getpid()) + "-" + std::to_string(rd()));
  std::filesystem::create_directories(path_);
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void write_file(const std::string& path, const std::string& contents) {
  std::ofstream out(path, std::ios::binary);
  out << contents;
}

void EnvTest::SetUp() {
  int status = -1;
  env = KRVopenKORVA(&status);
  ASSERT_NE(env, nullptr);
  ASSERT_EQ(status, 0);
  errors = std::make_unique<Capture>(env, channel(2));
  warnings = std::make_unique<Capture>(env, channel(1));
  results = std::make_unique<Capture>(env, channel(0));
}

void EnvTest::TearDown() {
  errors.reset();
  warnings.reset();
  results.reset();
  if (env) KRVcloseKORVA(&env);
}

KRVchannel EnvTest::channel(int which) {
  KRVchannel ch[4] = {};
  KRVgetchannels(env, &ch[0], &ch[1], &ch[2], &ch[3]);
  return ch[which];
}

}  // namespace korva_test
