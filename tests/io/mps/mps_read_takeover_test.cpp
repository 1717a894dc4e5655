// A read model owns the arrays the reader built. It must behave exactly
// like the same model copied in through the interface, under edits that
// grow, shrink and rename it, and a failed read must leave it alone.
#include <string>
#include <vector>

#include "support/korva_test.h"

namespace {

constexpr const char* kModel =
    "NAME          small\n"
    "ROWS\n"
    " N  obj\n"
    " L  lim\n"
    " G  dem\n"
    " E  bal\n"
    "COLUMNS\n"
    "    x         obj       1.0          lim       2.0\n"
    "    x         dem       1.0\n"
    "    y         obj       -1.0         lim       1.0\n"
    "    y         bal       3.0\n"
    "    z         dem       4.0          bal       -1.0\n"
    "RHS\n"
    "    rhs       lim       10.0         dem       1.0\n"
    "    rhs       bal       2.0\n"
    "BOUNDS\n"
    " UP BND       y         8.0\n"
    "ENDATA\n";

class MpsReadTakeoverTest : public korva_test::EnvTest {
 protected:
  KRVprob make(const char* name) {
    int status = 0;
    KRVprob p = KRVcreateprob(env, &status, name);
    probs.push_back(p);
    return p;
  }
  void TearDown() override {
    for (KRVprob& p : probs) KRVfreeprob(env, &p);
    korva_test::EnvTest::TearDown();
  }

  // The model as copied through the interface.
  KRVprob copied() {
    KRVprob p = make("copied");
    const double obj[] = {1, -1, 0}, rhs[] = {10, 1, 2}, lb[] = {0, 0, 0},
                 ub[] = {1e20, 8, 1e20};
    const char sense[] = {'L', 'G', 'E'};
    const int beg[] = {0, 2, 4}, cnt[] = {2, 2, 2}, ind[] = {0, 1, 0, 2, 1, 2};
    const double val[] = {2, 1, 1, 3, 4, -1};
    const char* cols[] = {"x", "y", "z"};
    const char* rows[] = {"lim", "dem", "bal"};
    EXPECT_EQ(KRVcopylpwnames(env, p, 3, 3, KRV_MIN, obj, rhs, sense, beg, cnt, ind, val, lb, ub,
                              nullptr, const_cast<char**>(cols), const_cast<char**>(rows)),
              0);
    return p;
  }

  // One column or row name (KRVgetcolname or KRVgetrowname), "?" when none.
  template <typename Getter>
  std::string name_of(Getter get, KRVprob p, int k) {
    char* name = nullptr;
    char store[64];
    int surplus = 0;
    get(env, p, &name, store, sizeof store, &surplus, k, k);
    return name ? name : "?";
  }

  // Everything the interface tells about the LP part, as text.
  std::string describe(KRVprob p) {
    const int m = KRVgetnumrows(env, p), n = KRVgetnumcols(env, p);
    std::string out = std::to_string(m) + "x" + std::to_string(n) + "\n";
    for (int j = 0; j < n; ++j) {
      double obj = 0, lb = 0, ub = 0;
      KRVgetobj(env, p, &obj, j, j);
      KRVgetlb(env, p, &lb, j, j);
      KRVgetub(env, p, &ub, j, j);
      out += name_of(KRVgetcolname, p, j) + " " + std::to_string(obj) + " " +
             std::to_string(lb) + " " + std::to_string(ub) + ":";
      for (int i = 0; i < m; ++i) {
        double a = 0;
        KRVgetcoef(env, p, i, j, &a);
        if (a != 0) out += " " + std::to_string(i) + "=" + std::to_string(a);
      }
      out += "\n";
    }
    for (int i = 0; i < m; ++i) {
      double rhs = 0;
      char sense = '?';
      KRVgetrhs(env, p, &rhs, i, i);
      KRVgetsense(env, p, &sense, i, i);
      out += name_of(KRVgetrowname, p, i) + " " + sense + " " + std::to_string(rhs) + "\n";
    }
    return out;
  }

  // The same edits on any model: rows and columns added with and without
  // names, entries changed and removed, a column deleted, a row renamed.
  void edit(KRVprob p) {
    const double rhs[] = {5, 6};
    const char sense[] = {'L', 'G'};
    const int rbeg[] = {0, 2}, rind[] = {0, 2, 1};
    const double rval[] = {1.5, 2.5, 3.5};
    const char* rnames[] = {"new1", "new2"};
    ASSERT_EQ(KRVaddrows(env, p, 0, 2, 3, rhs, sense, rbeg, rind, rval, nullptr,
                         const_cast<char**>(rnames)),
              0);
    const double obj[] = {7};
    const int cbeg[] = {0}, cind[] = {0, 3, 4};
    const double cval[] = {1, 2, 3};
    ASSERT_EQ(KRVaddcols(env, p, 1, 3, obj, cbeg, cind, cval, nullptr, nullptr, nullptr), 0);
    for (int i = 0; i < 5; ++i) ASSERT_EQ(KRVchgcoef(env, p, i, 1, 10.0 + i), 0);
    ASSERT_EQ(KRVchgcoef(env, p, 0, 0, 0.0), 0);
    ASSERT_EQ(KRVdelcols(env, p, 2, 2), 0);
    ASSERT_EQ(KRVchgname(env, p, 'r', 1, "renamed"), 0);
  }

  std::vector<KRVprob> probs;
  korva_test::TempDir dir;
};

TEST_F(MpsReadTakeoverTest, ReadModelMatchesTheCopiedOne) {
  const std::string file = dir.file("small.mps");
  korva_test::write_file(file, kModel);
  KRVprob read = make("read");
  ASSERT_EQ(KRVreadcopyprob(env, read, file.c_str(), nullptr), 0) << errors->text();
  EXPECT_EQ(describe(read), describe(copied()));
}

TEST_F(MpsReadTakeoverTest, ReadModelEditsLikeTheCopiedOne) {
  const std::string file = dir.file("small.mps");
  korva_test::write_file(file, kModel);
  KRVprob read = make("read");
  ASSERT_EQ(KRVreadcopyprob(env, read, file.c_str(), nullptr), 0) << errors->text();
  KRVprob copy = copied();
  edit(read);
  edit(copy);
  EXPECT_EQ(describe(read), describe(copy));
  // A second read replaces the edited model completely.
  ASSERT_EQ(KRVreadcopyprob(env, read, file.c_str(), nullptr), 0) << errors->text();
  EXPECT_EQ(describe(read), describe(copied()));
}

TEST_F(MpsReadTakeoverTest, FailedReadLeavesTheModelAlone) {
  const std::string good = dir.file("small.mps");
  korva_test::write_file(good, kModel);
  std::string broken = kModel;
  broken.replace(broken.find("z         dem"), 13, "z         nowhere");
  const std::string bad = dir.file("bad.mps");
  korva_test::write_file(bad, broken);
  KRVprob read = make("read");
  ASSERT_EQ(KRVreadcopyprob(env, read, good.c_str(), nullptr), 0) << errors->text();
  const std::string before = describe(read);
  EXPECT_NE(KRVreadcopyprob(env, read, bad.c_str(), nullptr), 0);
  EXPECT_EQ(describe(read), before);
}

}  // namespace
