// Writing LP files: layout rules of the writer and reading the files back.
#include <cstdio>

#include "io/lp_test_support.h"

namespace korva_test {
namespace {

class LpWrite : public LpFileTest {
 protected:
  // Builds a problem through the C API: columns with objective and bounds,
  // and rows given as dense coefficient lists.
  void make(int ncols, const std::vector<double>& c, const std::vector<double>& lo,
            const std::vector<double>& up, const std::vector<std::vector<double>>& a,
            const std::string& sense, const std::vector<double>& b) {
    const int m = static_cast<int>(a.size());
    std::vector<int> beg(ncols), cnt(ncols), ind;
    std::vector<double> val;
    for (int j = 0; j < ncols; ++j) {
      beg[j] = static_cast<int>(ind.size());
      for (int i = 0; i < m; ++i)
        if (a[i][j] != 0) ind.push_back(i), val.push_back(a[i][j]);
      cnt[j] = static_cast<int>(ind.size()) - beg[j];
    }
    ind.push_back(0);
    val.push_back(0);
    ASSERT_EQ(KRVcopylp(env, lp, ncols, m, 1, c.data(), b.data(), sense.data(), beg.data(),
                        cnt.data(), ind.data(), val.data(), lo.data(), up.data(), nullptr),
              0);
  }
  std::string write(const std::string& name = "out.lp") {
    EXPECT_EQ(KRVwriteprob(env, lp, path(name).c_str(), nullptr), 0);
    return read_file(path(name));
  }
};

TEST_F(LpWrite, UnnamedProblemGetsDefaultNamesThatReadBack) {
  make(2, {1, -1}, {0, 0}, {1e20, 1e20}, {{1, 2}, {3, -1}}, "LG", {4, 1});
  KRVdelnames(env, lp);
  const std::string text = write();
  EXPECT_EQ(warnings->text(),
            "Default variable names x1, x2 ... being created.\n"
            "Default row names c1, c2 ... being created.\n");
  EXPECT_EQ(text,
            "\\ENCODING=ISO-8859-1\n\\Problem name: test\n\n"
            "Minimize\n obj: x1 - x2\nSubject To\n c1: x1 + 2 x2 <= 4\n c2: 3 x1 - x2 >= 1\nEnd\n");
  ASSERT_EQ(KRVreadcopyprob(env, lp, path("out.lp").c_str(), nullptr), 0);
  EXPECT_EQ(col_names(), (std::vector<std::string>{"x1", "x2"}));
  EXPECT_EQ(row_names(), (std::vector<std::string>{"c1", "c2"}));
}

TEST_F(LpWrite, CoefficientsAndNumbers) {
  make(3, {1, -1, 1e20}, {0, 0, 0}, {1e20, 1e20, 1e20}, {{1.5e-7, 0.1, 123456789012345678.0}},
       "E", {-2.5});
  const std::string text = write();
  EXPECT_NE(text.find(" obj: x1 - x2 + 1e+20 x3\n"), std::string::npos) << text;
  EXPECT_NE(text.find(" c1: 1.5e-7 x1 + 0.1 x2 + 1.23456789012346e+17 x3  = -2.5\n"),
            std::string::npos)
      << text;
}

TEST_F(LpWrite, BoundLines) {
  make(7, {1, 1, 1, 1, 1, 1, 1}, {-1e20, -3, 0, -1e20, 2, 0, 1}, {1e20, 1e20, 5, 4, 2, 1e20, 8},
       {{1, 1, 1, 1, 1, 1, 1}}, "L", {10});
  ASSERT_EQ(KRVchgctype(env, lp, 1, std::vector<int>{5}.data(), "I"), 0);
  const std::string text = write();
  EXPECT_NE(text.find("Bounds\n"
                      "      x1 Free\n"
                      "      x2 >= -3\n"
                      " 0 <= x3 <= 5\n"
                      " -Inf <= x4 <= 4\n"
                      "      x5 = 2\n"
                      "      x6 >= 0\n"
                      " 1 <= x7 <= 8\n"
                      "Generals\n x6\n"),
            std::string::npos)
      << text;
}

TEST_F(LpWrite, LongRowsWrapBefore80Columns) {
  const int n = 60;
  std::vector<double> ones(n, 1.0), zero(n, 0.0), inf(n, 1e20);
  make(n, ones, zero, inf, {ones}, "L", {1});
  const std::string text = write();
  size_t start = 0;
  while (start < text.size()) {
    const size_t nl = text.find('\n', start);
    EXPECT_LT(nl - start, 80u);
    start = nl + 1;
  }
  ASSERT_EQ(KRVreadcopyprob(env, lp, path("out.lp").c_str(), nullptr), 0);
  EXPECT_EQ(KRVgetnumnz(env, lp), n);
}

TEST_F(LpWrite, ConformityRewritesWholeList) {
  make(2, {1, 1}, {0, 0}, {1e20, 1e20}, {{1, 1}}, "L", {1});
  char* names[] = {const_cast<char*>("x-1"), const_cast<char*>("y")};
  int idx[] = {0, 1};
  ASSERT_EQ(KRVchgcolname(env, lp, 2, idx, names), 0);
  ASSERT_EQ(KRVsetintparam(env, 1115, 1), 0);
  const std::string text = write();
  EXPECT_NE(text.find(" obj: xm1#0 + y#1\n"), std::string::npos) << text;
  EXPECT_EQ(warnings->text(),
            "Warning:  Output names have been modified to conform to LP format.\n"
            "Default row names c1, c2 ... being created.\n");
}

TEST_F(LpWrite, ConformityOffWritesNamesAsTheyStand) {
  make(1, {1}, {0}, {1e20}, {{1}}, "L", {1});
  char* names[] = {const_cast<char*>("a-b")};
  int idx[] = {0};
  ASSERT_EQ(KRVchgcolname(env, lp, 1, idx, names), 0);
  EXPECT_NE(write().find(" obj: a-b\n"), std::string::npos);
}

TEST_F(LpWrite, AnnotatedNames) {
  make(3, {1, 1, 1}, {-5, 0, 0}, {5, 1e20, 1e20}, {{1, 1, 1}}, "L", {1});
  ASSERT_EQ(KRVchgctype(env, lp, 1, std::vector<int>{2}.data(), "I"), 0);
  ASSERT_EQ(KRVwriteprob(env, lp, path("out.alp").c_str(), nullptr), 0);
  const std::string text = read_file(path("out.alp"));
  EXPECT_NE(text.find(" obj: C1(~5,5) + C2(0,Inf) + I3(0,Inf)\n"), std::string::npos) << text;
}

TEST_F(LpWrite, RewriteUsesGenericNames) {
  make(1, {1}, {0}, {1e20}, {{1}}, "L", {1});
  char* names[] = {const_cast<char*>("alpha")};
  int idx[] = {0};
  ASSERT_EQ(KRVchgcolname(env, lp, 1, idx, names), 0);
  ASSERT_EQ(KRVlprewrite(env, lp, path("g.lp").c_str()), 0);
  EXPECT_NE(read_file(path("g.lp")).find(" obj: x1\n"), std::string::npos);
  EXPECT_EQ(col_names(), std::vector<std::string>{"alpha"});  // the problem keeps its names
}

TEST_F(LpWrite, RangedRowsUseARangeColumn) {
  make(1, {1}, {0}, {1e20}, {{1}}, "R", {2});
  double r = 3;
  int i = 0;
  ASSERT_EQ(KRVchgrngval(env, lp, 1, &i, &r), 0);
  const std::string text = write();
  EXPECT_NE(text.find(" c1: x1 - Rgc1  = 2\n"), std::string::npos) << text;
  EXPECT_NE(text.find(" 0 <= Rgc1 <= 3\n"), std::string::npos) << text;
}

TEST_F(LpWrite, ColumnsKeepTheirOrder) {
  // Column x3 is used first by the rows; the objective lists the columns so
  // that they read back in their order.
  make(3, {0, 0, 0}, {0, 0, 0}, {1e20, 1e20, 1e20}, {{0, 0, 1}, {1, 1, 0}}, "LL", {1, 2});
  char* names[] = {const_cast<char*>("p"), const_cast<char*>("q"), const_cast<char*>("r")};
  int idx[] = {0, 1, 2};
  ASSERT_EQ(KRVchgcolname(env, lp, 3, idx, names), 0);
  write();
  KRVprob back = KRVcreateprob(env, nullptr, "back");
  ASSERT_EQ(KRVreadcopyprob(env, back, path("out.lp").c_str(), nullptr), 0);
  EXPECT_EQ(col_names(back), col_names());
  EXPECT_EQ(coef(0, 2, back), 1.0);
  KRVfreeprob(env, &back);
}

TEST_F(LpWrite, FullDiskIsAnIoError) {
  make(1, {1}, {0}, {1e20}, {{1}}, "L", {1});
  EXPECT_EQ(KRVwriteprob(env, lp, "/dev/full", "LP"), 1426);
  EXPECT_EQ(errors->text(),
            "KORVA Error  1426: Low level I/O error occurred while trying to access the "
            "target file.\n");
}

TEST_F(LpWrite, CannotCreateFile) {
  make(1, {1}, {0}, {1e20}, {{1}}, "L", {1});
  const std::string name = path("missing/dir/out.lp");
  EXPECT_EQ(KRVlpwrite(env, lp, name.c_str()), 1422);
  EXPECT_EQ(errors->text(), "KORVA Error  1422: Could not open file '" + name + "' for writing.\n");
}

}  // namespace
}  // namespace korva_test
