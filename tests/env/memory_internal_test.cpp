// Internal allocator helpers.
#include <cstdint>

#include "env/memory.h"
#include "support/korva_test.h"

TEST(Allocator, FreeClearsThePointerVariable) {
  void* p = korva::lib_alloc(10);
  ASSERT_NE(p, nullptr);
  korva::lib_free(&p);
  EXPECT_EQ(p, nullptr);
  korva::lib_free(&p);  // null again: nothing happens
  korva::lib_free(nullptr);
}

TEST(Allocator, MultiArraySizesRoundEachArrayUp) {
  size_t total = 0;
  ASSERT_TRUE(korva::multi_array_size({{8, 3}, {4, 5}, {1, 0}, {2, 8}}, total));
  EXPECT_EQ(total, 32u + 32u + 0u + 16u);
  EXPECT_FALSE(korva::multi_array_size({{SIZE_MAX / 2, 4}}, total));
  EXPECT_FALSE(korva::multi_array_size({{SIZE_MAX - 3, 1}}, total));
  EXPECT_FALSE(korva::multi_array_size({{SIZE_MAX / 2, 1}, {SIZE_MAX / 2, 1}, {16, 1}}, total));
}
