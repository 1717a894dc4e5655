// The library allocator and the C runtime pass-throughs.
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "support/korva_test.h"

namespace {
bool aligned16(const void* p) { return reinterpret_cast<uintptr_t>(p) % 16 == 0; }
}  // namespace

TEST(Allocator, BlocksAreSixteenByteAligned) {
  for (size_t size : {size_t{1}, size_t{3}, size_t{16}, size_t{17}, size_t{1000}, size_t{1} << 20}) {
    void* p = KRVmalloc(size);
    ASSERT_NE(p, nullptr) << size;
    EXPECT_TRUE(aligned16(p)) << size;
    std::memset(p, 0xab, size);
    KRVfree(p);
  }
}

TEST(Allocator, ZeroBytesGiveAUsableBlock) {
  void* p = KRVmalloc(0);
  ASSERT_NE(p, nullptr);
  static_cast<char*>(p)[0] = 'x';
  void* q = KRVrealloc(p, 0);
  ASSERT_NE(q, nullptr);
  KRVfree(q);
}

TEST(Allocator, ReallocKeepsContentsAndAlignment) {
  auto* p = static_cast<unsigned char*>(KRVmalloc(40));
  for (int i = 0; i < 40; ++i) p[i] = static_cast<unsigned char>(i);
  auto* q = static_cast<unsigned char*>(KRVrealloc(p, 100000));
  ASSERT_NE(q, nullptr);
  EXPECT_TRUE(aligned16(q));
  for (int i = 0; i < 40; ++i) EXPECT_EQ(q[i], i);
  auto* r = static_cast<unsigned char*>(KRVrealloc(q, 8));
  for (int i = 0; i < 8; ++i) EXPECT_EQ(r[i], i);
  KRVfree(r);
}

TEST(Allocator, ReallocOfNullAllocatesAndFreeOfNullIsHarmless) {
  void* p = KRVrealloc(nullptr, 24);
  ASSERT_NE(p, nullptr);
  EXPECT_TRUE(aligned16(p));
  KRVfree(p);
  KRVfree(nullptr);
}

TEST(RuntimePassThroughs, BehaveLikeTheCLibrary) {
  char buffer[16];
  EXPECT_EQ(KRVstrcpy(buffer, "korva"), buffer);
  EXPECT_EQ(KRVstrlen(buffer), 5u);
  char copy[16] = {};
  EXPECT_EQ(KRVmemcpy(copy, buffer, 6), copy);
  EXPECT_STREQ(copy, "korva");

  korva_test::TempDir dir;
  const std::string path = dir.file("f.txt");
  FILE* f = KRVfopen(path.c_str(), "w");
  ASSERT_NE(f, nullptr);
  EXPECT_GE(KRVfputs("line\n", f), 0);
  EXPECT_EQ(KRVfclose(f), 0);
  EXPECT_EQ(korva_test::read_file(path), "line\n");

  static char setting[] = "KORVA_TEST_PUTENV=yes";
  EXPECT_EQ(KRVputenv(setting), 0);
  EXPECT_STREQ(std::getenv("KORVA_TEST_PUTENV"), "yes");
}

TEST(RuntimePassThroughs, NullArgumentsDoNotCrash) {
  EXPECT_EQ(KRVstrlen(nullptr), 0u);
  EXPECT_EQ(KRVstrcpy(nullptr, "x"), nullptr);
  EXPECT_EQ(KRVmemcpy(nullptr, nullptr, 4), nullptr);
  EXPECT_EQ(KRVfopen(nullptr, "r"), nullptr);
  EXPECT_EQ(KRVfclose(nullptr), EOF);
  EXPECT_EQ(KRVfputs(nullptr, stdout), EOF);
  EXPECT_EQ(KRVputenv(nullptr), -1);
}
