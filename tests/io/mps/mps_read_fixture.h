// Reading MPS text through the file stream into reader arrays, with the
// environment's channels captured (internal tests of the reader).
#pragma once
#include <memory>
#include <string>

#include "io/mps/mps.h"
#include "io/reader_arrays.h"
#include "io/stream.h"
#include "support/korva_test.h"

namespace mps_test {

class MpsReadTest : public korva_test::EnvTest {
 protected:
  // Reads `text` as the file model.mps; returns read_mps's status.
  int read(const std::string& text, korva::ReaderArrays& out,
           const korva::mps::ReadOptions& options = {}) {
    const std::string path = dir.file("model.mps");
    korva_test::write_file(path, text);
    return read_path(path, out, options);
  }
  int read_path(const std::string& path, korva::ReaderArrays& out,
                const korva::mps::ReadOptions& options = {}) {
    std::unique_ptr<korva::FileStream> stream;
    if (int status = korva::FileStream::open(*env, path.c_str(), korva::StreamOptions{}, stream))
      return status;
    const int status = korva::mps::read_mps(*env, *stream, out, options);
    return korva::FileStream::close(*env, stream, status);
  }
  // Reads text that must read without error.
  korva::ReaderArrays read_ok(const std::string& text) {
    korva::ReaderArrays out;
    EXPECT_EQ(read(text, out), 0) << errors->text();
    return out;
  }
  // The error line a failed read printed.
  std::string error_of(const std::string& text) {
    korva::ReaderArrays out;
    errors->clear();
    EXPECT_LT(read(text, out), 0);
    return errors->text();
  }
  korva_test::TempDir dir;
};

// Number of occurrences of `needle` in `text`.
inline int count_of(const std::string& text, const std::string& needle) {
  int n = 0;
  for (size_t p = text.find(needle); p != std::string::npos; p = text.find(needle, p + 1)) ++n;
  return n;
}

}  // namespace mps_test
