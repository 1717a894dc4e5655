// The LP section printers on a message channel, and the permutation of a
// model just read.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "env/channel.h"
#include "env/environment.h"
#include "io/lp/lp_writer.h"
#include "model/problem.h"
#include "support/korva_test.h"

namespace korva_test {
namespace {

using korva::lp::DisplayPart;
using korva::lp::display_part;

class LpDisplay : public EnvTest {
 protected:
  void SetUp() override {
    EnvTest::SetUp();
    int status = 0;
    lp = KRVcreateprob(env, &status, "shown");
    ASSERT_EQ(status, 0);
  }
  void TearDown() override {
    KRVfreeprob(env, &lp);
    EnvTest::TearDown();
  }
  int read(const std::string& text) {
    write_file(dir.file("m.lp"), text);
    return KRVreadcopyprob(env, lp, dir.file("m.lp").c_str(), nullptr);
  }
  std::string show(DisplayPart part) {
    results->clear();
    EXPECT_EQ(display_part(*env, *lp, *channel(0), part), 0);
    return results->text();
  }
  KRVprob lp = nullptr;
  TempDir dir;
};

TEST_F(LpDisplay, PartsAreShownAsInTheFile) {
  ASSERT_EQ(read("max\n z: 2 x + y\nst\n c: x + y <= 4\nbounds\n x <= 3\ngenerals\n y\nend\n"), 0);
  EXPECT_EQ(show(DisplayPart::kObjective), "Maximize\n z: 2 x + y\n");
  EXPECT_EQ(show(DisplayPart::kConstraints), "Subject To\n c: x + y <= 4\n");
  EXPECT_EQ(show(DisplayPart::kBounds), "Bounds\n 0 <= x <= 3\n      y >= 0\n");
  EXPECT_EQ(show(DisplayPart::kTypes), "Generals\n y\n");
}

TEST_F(LpDisplay, ProblemWithoutConstraintsSaysSo) {
  ASSERT_EQ(read("min\n x\nend\n"), 0);
  EXPECT_EQ(show(DisplayPart::kConstraints), "There are no constraints.\n");
}

// Hidden settings 1049 and 1050 permute the columns and rows of a model as
// it is read; the model stays the same model.
TEST_F(LpDisplay, ReadModelIsPermutedOnRequest) {
  const std::string text =
      "min\n a + 2 b + 3 c + 4 d + 5 k\nst\n r1: a + b >= 1\n r2: c - d >= 2\n"
      " r3: b + k <= 7\n r4: a + c + d <= 9\nbounds\n d <= 6\nend\n";
  ASSERT_EQ(KRVsetintparam(env, 1049, 1), 0);
  ASSERT_EQ(KRVsetintparam(env, 1050, 1), 0);
  ASSERT_EQ(read(text), 0);
  const int n = KRVgetnumcols(env, lp), m = KRVgetnumrows(env, lp);
  ASSERT_EQ(n, 5);
  ASSERT_EQ(m, 4);
  int moved = 0;
  const char* cols[] = {"a", "b", "c", "d", "k"};
  const char* rows[] = {"r1", "r2", "r3", "r4"};
  const double dense[4][5] = {{1, 1, 0, 0, 0}, {0, 0, 1, -1, 0}, {0, 1, 0, 0, 1}, {1, 0, 1, 1, 0}};
  for (int j = 0; j < 5; ++j) {
    int jj = -1;
    ASSERT_EQ(KRVgetcolindex(env, lp, cols[j], &jj), 0);
    moved += jj != j;
    double c = 0, up = 0;
    KRVgetobj(env, lp, &c, jj, jj);
    KRVgetub(env, lp, &up, jj, jj);
    EXPECT_EQ(c, j + 1.0);
    EXPECT_EQ(up, j == 3 ? 6.0 : 1e20);
    for (int i = 0; i < 4; ++i) {
      int ii = -1;
      ASSERT_EQ(KRVgetrowindex(env, lp, rows[i], &ii), 0);
      double v = 0;
      KRVgetcoef(env, lp, ii, jj, &v);
      EXPECT_EQ(v, dense[i][j]) << rows[i] << " " << cols[j];
    }
  }
  EXPECT_GT(moved, 0);
  // The same seed gives the same order.
  std::vector<char> first(64);
  int surplus = 0;
  std::vector<char*> ptr(5);
  KRVgetcolname(env, lp, ptr.data(), first.data(), 64, &surplus, 0, 4);
  std::string order_a;
  for (char* p : ptr) order_a += std::string(p) + " ";
  ASSERT_EQ(read(text), 0);
  std::vector<char> second(64);
  KRVgetcolname(env, lp, ptr.data(), second.data(), 64, &surplus, 0, 4);
  std::string order_b;
  for (char* p : ptr) order_b += std::string(p) + " ";
  EXPECT_EQ(order_a, order_b);
}

TEST_F(LpDisplay, ModelsWithGeneralConstraintsAreNotPermuted) {
  ASSERT_EQ(KRVsetintparam(env, 1049, 1), 0);
  ASSERT_EQ(read("min\n x + y\nst\n c: x + y >= 1\n i: b = 1 -> x <= 2\nbinaries\n b\nend\n"), 0);
  EXPECT_EQ(warnings->text(), "Warning: cannot permute problem with general constraints.\n");
  char buf[16];
  char* name = nullptr;
  int surplus = 0;
  ASSERT_EQ(KRVgetcolname(env, lp, &name, buf, 16, &surplus, 0, 0), 0);
  EXPECT_STREQ(name, "x");
}

}  // namespace
}  // namespace korva_test
