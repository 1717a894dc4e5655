// The BER encoder and decoder of SAV files: identifier, length and value
// octets, the buffer rule that decides between definite and indefinite
// lengths, and the decoder on both forms.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "io/sav/ber_reader.h"
#include "io/sav/ber_writer.h"

namespace {

using korva::sav::BerReader;
using korva::sav::BerWriter;

template <class Write>
std::vector<uint8_t> encode(Write write) {
  FILE* f = std::tmpfile();
  BerWriter w(f);
  write(w);
  EXPECT_TRUE(w.finish());
  std::vector<uint8_t> bytes(static_cast<size_t>(std::ftell(f)));
  std::rewind(f);
  EXPECT_EQ(std::fread(bytes.data(), 1, bytes.size(), f), bytes.size());
  std::fclose(f);
  return bytes;
}

TEST(BerEncoding, PrimitivesAndShortElements) {
  EXPECT_EQ(encode([](BerWriter& w) {
              w.open_application(1);
              w.integer(5);
              w.close();
            }),
            (std::vector<uint8_t>{0x61, 0x03, 0x02, 0x01, 0x05}));
  EXPECT_EQ(encode([](BerWriter& w) {
              for (int64_t v : {0LL, 127LL, 128LL, -1LL, -128LL, -129LL, 2147483647LL}) w.integer(v);
            }),
            (std::vector<uint8_t>{0x02, 0x01, 0x00, 0x02, 0x01, 0x7F, 0x02, 0x02, 0x00, 0x80, 0x02, 0x01, 0xFF,
                                  0x02, 0x01, 0x80, 0x02, 0x02, 0xFF, 0x7F, 0x02, 0x04, 0x7F, 0xFF, 0xFF, 0xFF}));
  EXPECT_EQ(encode([](BerWriter& w) { w.text("ab"); }),
            (std::vector<uint8_t>{0x30, 0x06, 0x0C, 0x01, 'a', 0x0C, 0x01, 'b'}));
  EXPECT_EQ(encode([](BerWriter& w) {
              w.open_application(24);
              w.close();
              w.open_application(31);
              w.close();
              w.open_application(200);
              w.close();
            }),
            (std::vector<uint8_t>{0x78, 0x00, 0x7F, 0x1F, 0x00, 0x7F, 0x81, 0x48, 0x00}));
}

TEST(BerEncoding, LongContentsInTheBufferGetALongDefiniteLength) {
  const std::vector<double> values(100, 1.0);  // 800 octets
  const std::vector<uint8_t> bytes = encode([&](BerWriter& w) {
    w.open_application(4);
    w.doubles(values.data(), values.size());
    w.close();
  });
  // 0x64, then 0x82 0x03 0x24 (804 = 4 + 800), then the array 0x80 0x82 0x03 0x20.
  ASSERT_GE(bytes.size(), 8u);
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 8),
            (std::vector<uint8_t>{0x64, 0x82, 0x03, 0x24, 0x80, 0x82, 0x03, 0x20}));
  EXPECT_EQ(bytes.size(), 808u);
}

TEST(BerEncoding, ElementsWhoseStartWasFlushedStayIndefinite) {
  const std::vector<double> values(2000, 0.5);  // 16,000 octets: the buffer flushes
  const std::vector<uint8_t> bytes = encode([&](BerWriter& w) {
    w.open_application(1);
    w.open_application(4);
    w.doubles(values.data(), values.size());
    w.close();
    w.open_application(5);
    w.integer(7);
    w.close();
    w.close();
  });
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 4), (std::vector<uint8_t>{0x61, 0x80, 0x64, 0x80}));
  // The inner element ends with end-of-contents, the later short one is
  // definite, the root ends with end-of-contents.
  const std::vector<uint8_t> tail(bytes.end() - 9, bytes.end());
  EXPECT_EQ(tail, (std::vector<uint8_t>{0x00, 0x00, 0x65, 0x03, 0x02, 0x01, 0x07, 0x00, 0x00}));

  FILE* f = std::tmpfile();
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::rewind(f);
  BerReader r(f);
  ASSERT_EQ(r.open_application(1), 0);
  ASSERT_EQ(r.open_application(4), 0);
  std::vector<double> back;
  ASSERT_EQ(r.doubles(back, 2000), 0);
  EXPECT_EQ(back, values);
  bool skipped = false;
  ASSERT_EQ(r.close(skipped), 0);
  ASSERT_EQ(r.open_application(5), 0);
  int seven = 0;
  ASSERT_EQ(r.int32(seven), 0);
  EXPECT_EQ(seven, 7);
  ASSERT_EQ(r.close(skipped), 0);
  ASSERT_EQ(r.close(skipped), 0);
  EXPECT_FALSE(skipped);
  std::fclose(f);
}

TEST(BerEncoding, DecoderRejectsWrongKindsAndShortFiles) {
  const std::vector<uint8_t> bytes = encode([](BerWriter& w) {
    w.open_application(1);
    w.integer(300);
    w.close();
  });
  FILE* f = std::tmpfile();
  std::fwrite(bytes.data(), 1, bytes.size() - 1, f);
  std::rewind(f);
  BerReader r(f);
  EXPECT_EQ(r.open_application(2), korva::sav::kUninterpretable);
  std::rewind(f);
  BerReader again(f);
  ASSERT_EQ(again.open_application(1), 0);
  int v = 0;
  EXPECT_EQ(again.int32(v), korva::sav::kNoData);
  std::fclose(f);
}

}  // namespace
