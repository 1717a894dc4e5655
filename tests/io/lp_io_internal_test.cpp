// Kernels of the LP reader and writer: number scanning, number formatting,
// the file stream's decoding and encoding, and interactive reading.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "env/environment.h"
#include "io/lp/lp_number.h"
#include "io/lp/lp_reader.h"
#include "io/number_format.h"
#include "io/stream.h"
#include "support/korva_test.h"

namespace {

using korva::FileStream;
using korva::StreamOptions;
using korva::lp::NumberScan;
using korva::lp::scan_number;

NumberScan scan(const std::string& s, bool sign = true) {
  return scan_number(s.data(), s.data() + s.size(), sign);
}

TEST(LpNumber, Forms) {
  EXPECT_EQ(scan("12").value, 12.0);
  EXPECT_EQ(scan("-3.5").value, -3.5);
  EXPECT_EQ(scan(".25").value, 0.25);
  EXPECT_EQ(scan("5.").value, 5.0);
  EXPECT_EQ(scan("1.5e-7").value, 1.5e-7);
  EXPECT_EQ(scan("2E+3").value, 2000.0);
  EXPECT_EQ(scan("0.1").value, 0.1);
  EXPECT_EQ(scan("123456789012345").value, 123456789012345.0);
  EXPECT_EQ(scan("1e-38").status, NumberScan::kOk);
  EXPECT_EQ(scan("1e-38").value, 0.0);
  EXPECT_EQ(scan("1e37").value, 1e37);
  EXPECT_EQ(scan("1e38").status, NumberScan::kOutOfRange);
}

TEST(LpNumber, ExponentLetters) {
  EXPECT_EQ(scan("e5").status, NumberScan::kNotStarted);
  EXPECT_EQ(scan("-e5").status, NumberScan::kNotStarted);
  EXPECT_EQ(scan("2e").status, NumberScan::kNotEnded);
  EXPECT_EQ(scan("2e+").status, NumberScan::kNotEnded);
  const std::string ex = "2ex";
  const NumberScan r = scan(ex);
  EXPECT_EQ(r.status, NumberScan::kOk);
  EXPECT_EQ(r.value, 2.0);
  EXPECT_EQ(r.end, ex.data() + 1);  // the name ex starts at the 'e'
  EXPECT_EQ(scan("+").status, NumberScan::kNoDigits);
  EXPECT_EQ(scan(".").status, NumberScan::kNoDigits);
}

std::string fmt(double v) {
  char buf[korva::kNumberTextSize];
  bool ok = true;
  return std::string(buf, korva::format_number(v, buf, ok));
}

TEST(NumberFormat, FifteenDigitsAndExponentRange) {
  EXPECT_EQ(fmt(0), "0");
  EXPECT_EQ(fmt(-0.0), "0");
  EXPECT_EQ(fmt(1), "1");
  EXPECT_EQ(fmt(-2.5), "-2.5");
  EXPECT_EQ(fmt(0.1), "0.1");
  EXPECT_EQ(fmt(1e20), "1e+20");
  EXPECT_EQ(fmt(1.5e-7), "1.5e-7");
  EXPECT_EQ(fmt(1e-5), "0.00001");
  EXPECT_EQ(fmt(1.25e-5), "0.0000125");
  EXPECT_EQ(fmt(1e15), "1000000000000000");
  EXPECT_EQ(fmt(1.5e15), "1500000000000000");
  EXPECT_EQ(fmt(1e16), "1e+16");
  EXPECT_EQ(fmt(1.0 / 3), "0.333333333333333");
  EXPECT_EQ(fmt(123456789.123456789), "123456789.123457");
  EXPECT_EQ(fmt(-1e-300), "-1e-300");
}

TEST(NumberFormat, NotRepresentable) {
  char buf[korva::kNumberTextSize];
  bool ok = true;
  korva::format_number(1.0 / 0.0, buf, ok);
  EXPECT_FALSE(ok);
}

class StreamTest : public ::testing::Test {
 protected:
  void SetUp() override {
    int status = 0;
    env = KRVopenKORVA(&status);
    ASSERT_EQ(status, 0);
  }
  void TearDown() override { KRVcloseKORVA(&env); }
  std::unique_ptr<FileStream> open(const std::string& name, const char* mode,
                                   const char* encoding = nullptr) {
    StreamOptions o;
    o.mode = mode;
    o.encoding = encoding;
    std::unique_ptr<FileStream> s;
    EXPECT_EQ(FileStream::open(*env, name.c_str(), o, s), 0);
    return s;
  }
  KRVenv env = nullptr;
  korva_test::TempDir dir;
};

TEST_F(StreamTest, Latin1IsDecodedToUtf8) {
  korva_test::write_file(dir.file("a"), "caf\xe9\nx\n");
  auto s = open(dir.file("a"), "rb");
  char buf[64];
  size_t n = 0;
  ASSERT_EQ(s->read_line(buf, sizeof buf, n), 0);
  EXPECT_EQ(std::string(buf, n), "caf\xc3\xa9\n");
  int32_t cp = 0;
  ASSERT_EQ(s->read_char(cp), 0);
  EXPECT_EQ(cp, 'x');
  EXPECT_EQ(FileStream::close(*env, s, 0), 0);
}

TEST_F(StreamTest, LongLinesComeInPiecesAtCharacterBoundaries) {
  std::string line;
  for (int k = 0; k < 10; ++k) line += "\xc3\xa9";  // é in UTF-8
  korva_test::write_file(dir.file("u"), line + "\n");
  auto s = open(dir.file("u"), "rb", "UTF-8");
  char buf[6];  // room for 5 bytes: two whole characters
  size_t n = 0;
  ASSERT_EQ(s->read_line(buf, sizeof buf, n), 0);
  EXPECT_EQ(n, 4u);
  FileStream::close(*env, s, 0);
}

TEST_F(StreamTest, Utf16FileEncoding) {
  korva_test::write_file(dir.file("w"), std::string("m\0i\0n\0\n\0", 8));
  auto s = open(dir.file("w"), "rb", "UTF-16LE");
  char buf[64];
  size_t n = 0;
  ASSERT_EQ(s->read_line(buf, sizeof buf, n), 0);
  EXPECT_EQ(std::string(buf, n), "min\n");
  FileStream::close(*env, s, 0);
}

TEST_F(StreamTest, TruncatedUtf8AtEndIsAnEncodingError) {
  korva_test::write_file(dir.file("t"), "ab\xc3");
  auto s = open(dir.file("t"), "rb", "UTF-8");
  char buf[64];
  size_t n = 0;
  EXPECT_EQ(s->read_line(buf, sizeof buf, n), 1235);
  EXPECT_EQ(FileStream::close(*env, s, 0), 1235);
}

TEST_F(StreamTest, WritingEncodesAndFullDiskSurfacesAtClose) {
  auto s = open(dir.file("o"), "w");
  EXPECT_EQ(s->write("caf\xc3\xa9 "), 0);
  EXPECT_EQ(s->printf("%d;", 42), 0);
  EXPECT_EQ(s->write_char(0xE9, 2), 0);
  EXPECT_EQ(FileStream::close(*env, s, 0), 0);
  EXPECT_EQ(korva_test::read_file(dir.file("o")), "caf\xe9 42;\xe9\xe9");
  auto full = open("/dev/full", "w");
  full->write("x");  // buffered: the failure shows when the data is flushed
  EXPECT_EQ(FileStream::close(*env, full, 0), 1426);
  auto full2 = open("/dev/full", "w");
  EXPECT_EQ(FileStream::close(*env, full2, 1001), 1001);  // the caller's error wins
}

TEST_F(StreamTest, UnencodableCharacter) {
  auto s = open(dir.file("o"), "w", "US-ASCII");
  EXPECT_EQ(s->write("caf\xc3\xa9"), 1235);
  EXPECT_EQ(FileStream::close(*env, s, 0), 1235);
}

TEST_F(StreamTest, WrappedHandleIsNotClosed) {
  korva_test::write_file(dir.file("h"), "one\ntwo\n");
  FILE* f = std::fopen(dir.file("h").c_str(), "rb");
  StreamOptions o;
  o.existing = f;
  std::unique_ptr<FileStream> s;
  ASSERT_EQ(FileStream::open(*env, "<h>", o, s), 0);
  char buf[64];
  size_t n = 0;
  ASSERT_EQ(s->read_line(buf, sizeof buf, n), 0);
  EXPECT_EQ(std::string(buf, n), "one\n");
  FileStream::close(*env, s, 0);
  // Only what was needed was taken from the handle.
  char rest[8] = {};
  EXPECT_NE(std::fgets(rest, sizeof rest, f), nullptr);
  EXPECT_STREQ(rest, "two\n");
  std::fclose(f);
}

TEST(Compression, Suffixes) {
  using korva::Compressor;
  EXPECT_EQ(korva::compressor_for("a.gz"), Compressor::Gzip);
  EXPECT_EQ(korva::compressor_for("a.GZ"), Compressor::Gzip);
  EXPECT_EQ(korva::compressor_for("a.Bz2"), Compressor::Bzip2);
  EXPECT_EQ(korva::compressor_for("a.Z"), Compressor::Gzip);
  EXPECT_EQ(korva::compressor_for("a.z"), Compressor::None);
  EXPECT_EQ(korva::compressor_for(".Z"), Compressor::None);
  EXPECT_EQ(korva::compressor_for("a.zip"), Compressor::None);
}

// Interactive reading: a line with an error is entered again.
TEST_F(StreamTest, InteractiveLineIsReenteredAfterAnError) {
  korva_test::write_file(dir.file("in"),
                         "min\n x + y\nst\n c1: x + - y <= 2\n c1: x + y <= 2\nend\n");
  FILE* f = std::fopen(dir.file("in").c_str(), "rb");
  StreamOptions o;
  o.existing = f;
  std::unique_ptr<FileStream> s;
  ASSERT_EQ(FileStream::open(*env, "<stdin>", o, s), 0);
  korva::ReaderArrays out;
  KRVchannel results = nullptr, warning = nullptr, error = nullptr, log = nullptr;
  KRVgetchannels(env, &results, &warning, &error, &log);
  korva_test::Capture said(env, results);
  EXPECT_EQ(korva::lp::read_lp_stream(*env, *s, "<stdin>", true, out, {}), 0);
  FileStream::close(*env, s, 0);
  std::fclose(f);
  EXPECT_EQ(said.text(),
            "Enter new problem ['end' on a separate line terminates]:\n"
            "Please reenter last line:\n");
  ASSERT_EQ(out.num_rows(), 1);
  EXPECT_EQ(out.row_names[0], "c1");
  EXPECT_EQ(out.matval.size(), 2u);
}

}  // namespace
