// Shared fixture (header only: every *_test.cpp of this directory is a
// test source) of the LP file tests: an environment with captured
// channels, a problem, a scratch directory, and readers of the problem's
// contents through the C API.
#pragma once
#include <string>
#include <vector>

#include "support/korva_test.h"

namespace korva_test {

class LpFileTest : public EnvTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Writes `text` to a file named `name` and reads it with KRVreadcopyprob.
  int read_text(const std::string& text, const std::string& name = "model.lp",
                const char* type = nullptr);
  std::string path(const std::string& name) const { return dir.file(name); }

  std::vector<std::string> col_names(KRVprob p = nullptr);
  std::vector<std::string> row_names(KRVprob p = nullptr);
  std::vector<double> obj(KRVprob p = nullptr);
  std::vector<double> lb(KRVprob p = nullptr);
  std::vector<double> ub(KRVprob p = nullptr);
  std::vector<double> rhs(KRVprob p = nullptr);
  std::string senses(KRVprob p = nullptr);
  std::string ctypes(KRVprob p = nullptr);
  double coef(int i, int j, KRVprob p = nullptr);
  std::string objname(KRVprob p = nullptr);
  std::string probname(KRVprob p = nullptr);

  KRVprob lp = nullptr;
  TempDir dir;
};



inline void LpFileTest::SetUp() {
  EnvTest::SetUp();
  int status = 0;
  lp = KRVcreateprob(env, &status, "test");
  ASSERT_EQ(status, 0);
}

inline void LpFileTest::TearDown() {
  KRVfreeprob(env, &lp);
  EnvTest::TearDown();
}

inline int LpFileTest::read_text(const std::string& text, const std::string& name, const char* type) {
  write_file(path(name), text);
  return KRVreadcopyprob(env, lp, path(name).c_str(), type);
}

namespace lp_detail {
inline std::vector<std::string> names(KRVenv env, KRVprob p, bool rows) {
  const int n = rows ? KRVgetnumrows(env, p) : KRVgetnumcols(env, p);
  if (n == 0) return {};
  int surplus = 0;
  auto get = rows ? KRVgetrowname : KRVgetcolname;
  get(env, p, nullptr, nullptr, 0, &surplus, 0, n - 1);
  std::vector<char> store(-surplus);
  std::vector<char*> ptr(n);
  if (get(env, p, ptr.data(), store.data(), static_cast<int>(store.size()), &surplus, 0, n - 1))
    return {};
  return std::vector<std::string>(ptr.begin(), ptr.end());
}

template <class F>
std::vector<double> values(KRVenv env, KRVprob p, int n, F f) {
  std::vector<double> v(n);
  if (n > 0) f(env, p, v.data(), 0, n - 1);
  return v;
}
}  // namespace lp_detail

inline std::vector<std::string> LpFileTest::col_names(KRVprob p) { return lp_detail::names(env, p ? p : lp, false); }
inline std::vector<std::string> LpFileTest::row_names(KRVprob p) { return lp_detail::names(env, p ? p : lp, true); }
inline std::vector<double> LpFileTest::obj(KRVprob p) {
  p = p ? p : lp;
  return lp_detail::values(env, p, KRVgetnumcols(env, p), KRVgetobj);
}
inline std::vector<double> LpFileTest::lb(KRVprob p) {
  p = p ? p : lp;
  return lp_detail::values(env, p, KRVgetnumcols(env, p), KRVgetlb);
}
inline std::vector<double> LpFileTest::ub(KRVprob p) {
  p = p ? p : lp;
  return lp_detail::values(env, p, KRVgetnumcols(env, p), KRVgetub);
}
inline std::vector<double> LpFileTest::rhs(KRVprob p) {
  p = p ? p : lp;
  return lp_detail::values(env, p, KRVgetnumrows(env, p), KRVgetrhs);
}
inline std::string LpFileTest::senses(KRVprob p) {
  p = p ? p : lp;
  const int n = KRVgetnumrows(env, p);
  std::string s(n, '?');
  if (n > 0) KRVgetsense(env, p, s.data(), 0, n - 1);
  return s;
}
inline std::string LpFileTest::ctypes(KRVprob p) {
  p = p ? p : lp;
  const int n = KRVgetnumcols(env, p);
  std::string s(n, '?');
  if (n > 0 && KRVgetctype(env, p, s.data(), 0, n - 1) != 0) return "";
  return s;
}
inline double LpFileTest::coef(int i, int j, KRVprob p) {
  double v = 0;
  KRVgetcoef(env, p ? p : lp, i, j, &v);
  return v;
}
inline std::string LpFileTest::objname(KRVprob p) {
  char buf[512] = {};
  int surplus = 0;
  KRVgetobjname(env, p ? p : lp, buf, sizeof buf, &surplus);
  return buf;
}
inline std::string LpFileTest::probname(KRVprob p) {
  char buf[1024] = {};
  int surplus = 0;
  KRVgetprobname(env, p ? p : lp, buf, sizeof buf, &surplus);
  return buf;
}


}  // namespace korva_test
