// A problem with a small LP, shared by the model tests:
//
//   min  x0 + 2 x1 + 3 x2
//   r0:  x0 + 2 x1        <= 4
//   r1: 3x0        +  x2  >= 1
//   0 <= x0 <= 10, 0 <= x1 <= 1e20, -1 <= x2 <= 5
#pragma once
#include <string>
#include <vector>

#include "support/korva_test.h"

namespace model_test {

// Writable name pointers for the char** arguments of the interface.
class Names {
 public:
  Names(std::initializer_list<const char*> names) {
    for (const char* n : names) text_.emplace_back(n);
    for (std::string& s : text_) ptr_.push_back(s.data());
  }
  char** get() { return ptr_.data(); }

 private:
  std::vector<std::string> text_;
  std::vector<char*> ptr_;
};

class ModelTest : public korva_test::EnvTest {
 protected:
  void SetUp() override {
    EnvTest::SetUp();
    int status = -1;
    lp = KRVcreateprob(env, &status, "small");
    ASSERT_NE(lp, nullptr);
    ASSERT_EQ(status, 0);
  }

  // Loads the small LP (with or without names).
  int load(bool named = false) {
    const double obj[] = {1, 2, 3}, rhs[] = {4, 1};
    const char sense[] = {'L', 'G'};
    const int beg[] = {0, 2, 3}, cnt[] = {2, 1, 1}, ind[] = {0, 1, 0, 1};
    const double val[] = {1, 3, 2, 1}, lb[] = {0, 0, -1}, ub[] = {10, 1e20, 5};
    if (!named)
      return KRVcopylp(env, lp, 3, 2, 1, obj, rhs, sense, beg, cnt, ind, val, lb, ub, nullptr);
    Names cols{"x", "y", "z"}, rows{"cap", "dem"};
    return KRVcopylpwnames(env, lp, 3, 2, 1, obj, rhs, sense, beg, cnt, ind, val, lb, ub,
                           nullptr, cols.get(), rows.get());
  }

  void set_param(int which, int value) { ASSERT_EQ(KRVsetintparam(env, which, value), 0); }

  std::vector<double> objective() {
    std::vector<double> v(KRVgetnumcols(env, lp));
    EXPECT_EQ(KRVgetobj(env, lp, v.data(), 0, static_cast<int>(v.size()) - 1), 0);
    return v;
  }

  std::vector<std::string> col_names() {
    return names_of(KRVgetnumcols(env, lp), &KRVgetcolname);
  }
  std::vector<std::string> row_names() {
    return names_of(KRVgetnumrows(env, lp), &KRVgetrowname);
  }

  double coef(int i, int j) {
    double v = -1;
    EXPECT_EQ(KRVgetcoef(env, lp, i, j, &v), 0);
    return v;
  }

  KRVprob lp = nullptr;

 private:
  using NameGetter = int (*)(KRVenv, KRVprob, char**, char*, int, int*, int, int);
  std::vector<std::string> names_of(int n, NameGetter get) {
    if (n == 0) return {};
    int surplus = 0;
    if (get(env, lp, nullptr, nullptr, 0, &surplus, 0, n - 1) != 1207) return {};
    std::vector<char*> ptr(n);
    std::vector<char> store(-surplus);
    EXPECT_EQ(get(env, lp, ptr.data(), store.data(), -surplus, &surplus, 0, n - 1), 0);
    return std::vector<std::string>(ptr.begin(), ptr.end());
  }
};

}  // namespace model_test
