// Models written as LP files read back to the same model: a hand-written
// model using every section, and every model of the shared LP and MIP collections.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>

#include "io/lp_test_support.h"

namespace korva_test {
namespace {

class LpRoundTrip : public LpFileTest {
 protected:
  KRVprob fresh(const char* name) {
    int status = 0;
    KRVprob p = KRVcreateprob(env, &status, name);
    EXPECT_EQ(status, 0);
    return p;
  }

  // Compares the LP data, names and column types of two problems.
  void expect_same(KRVprob a, KRVprob b, const std::string& what) {
    ASSERT_EQ(KRVgetnumcols(env, a), KRVgetnumcols(env, b)) << what;
    ASSERT_EQ(KRVgetnumrows(env, a), KRVgetnumrows(env, b)) << what;
    ASSERT_EQ(KRVgetnumnz(env, a), KRVgetnumnz(env, b)) << what;
    EXPECT_EQ(KRVgetobjsen(env, a), KRVgetobjsen(env, b)) << what;
    EXPECT_EQ(col_names(a), col_names(b)) << what;
    EXPECT_EQ(row_names(a), row_names(b)) << what;
    EXPECT_EQ(senses(a), senses(b)) << what;
    EXPECT_EQ(ctypes(a), ctypes(b)) << what;
    expect_near(obj(a), obj(b), what + " obj");
    expect_near(lb(a), lb(b), what + " lb");
    expect_near(ub(a), ub(b), what + " ub");
    expect_near(rhs(a), rhs(b), what + " rhs");
    const int n = KRVgetnumcols(env, a);
    const int nz = KRVgetnumnz(env, a);
    if (n == 0 || nz == 0) return;
    std::vector<int> beg_a(n), beg_b(n), ind_a(nz), ind_b(nz);
    std::vector<double> val_a(nz), val_b(nz);
    int cnt = 0, surplus = 0;
    ASSERT_EQ(KRVgetcols(env, a, &cnt, beg_a.data(), ind_a.data(), val_a.data(), nz, &surplus, 0, n - 1), 0);
    ASSERT_EQ(KRVgetcols(env, b, &cnt, beg_b.data(), ind_b.data(), val_b.data(), nz, &surplus, 0, n - 1), 0);
    EXPECT_EQ(beg_a, beg_b) << what;
    EXPECT_EQ(ind_a, ind_b) << what;
    expect_near(val_a, val_b, what + " matrix");
  }

  // Numbers are written with 15 significant digits and read by a rule that
  // is not correctly rounded: equal to within a few units of the 15th digit.
  static constexpr double kDigits = 6e-15;
  static void expect_near(const std::vector<double>& a, const std::vector<double>& b,
                          const std::string& what) {
    ASSERT_EQ(a.size(), b.size()) << what;
    for (size_t k = 0; k < a.size(); ++k)
      ASSERT_NEAR(a[k], b[k], kDigits * std::fabs(a[k])) << what << " entry " << k;
  }
};

const char* const kEverySection =
    "\\ every section of the format\n"
    "Maximize\n"
    " profit: 3 x + 2 y - 1.5 z + 0.25 b + w + [ 2 x ^ 2 + 3 x * y + y ^ 2 ] / 2\n"
    "Subject To\n"
    " cap: x + y + z <= 10\n"
    " low: x - y >= -4.5\n"
    " fix: 2 x + 3 z = 6\n"
    " q1: x + y + [ x ^ 2 + 2 x * y + z ^ 2 ] <= 16\n"
    " ind1: b = 1 -> x + y <= 5\n"
    " ind2: b = 0 -> z >= 1\n"
    "User Cuts\n"
    " cut1: x + z <= 8\n"
    "Lazy Constraints\n"
    " lazy1: y - w >= -3\n"
    "Bounds\n"
    " -5 <= x <= 5\n"
    " y free\n"
    " z >= 1e-3\n"
    " w <= 40\n"
    " s <= 12\n"
    "Binaries\n"
    " b\n"
    "Generals\n"
    " w\n"
    "Semi-Continuous\n"
    " s\n"
    "SOS\n"
    " set1: S1 :: x : 1 y : 2 z : 3\n"
    " set2: S2 :: y : 1 s : 2\n"
    "End\n";

TEST_F(LpRoundTrip, EverySectionReadsBackTheSame) {
  // s appears only in the bounds and type sections: declare it in a row.
  std::string text = kEverySection;
  text.replace(text.find(" fix:"), 0, " sx: s - w <= 0\n");
  ASSERT_EQ(read_text(text), 0) << errors->text();
  ASSERT_EQ(KRVlpwrite(env, lp, path("a.lp").c_str()), 0) << errors->text();
  KRVprob back = fresh("back");
  ASSERT_EQ(KRVreadcopyprob(env, back, path("a.lp").c_str(), nullptr), 0) << errors->text();
  expect_same(lp, back, "every section");
  EXPECT_EQ(KRVgetnumqconstrs(env, back), 1);
  EXPECT_EQ(KRVgetnumindconstrs(env, back), 2);
  EXPECT_EQ(KRVgetnumusercuts(env, back), 1);
  EXPECT_EQ(KRVgetnumlazyconstraints(env, back), 1);
  EXPECT_EQ(KRVgetnumsos(env, back), 2);
  EXPECT_EQ(KRVgetnumquad(env, back), KRVgetnumquad(env, lp));
  // Writing the model read back gives the same file, so every part (names,
  // quadratic data, indicators, cuts, sets) made the trip.
  ASSERT_EQ(KRVlpwrite(env, back, path("b.lp").c_str()), 0);
  std::string first = read_file(path("a.lp")), second = read_file(path("b.lp"));
  first.erase(0, first.find("Maximize"));
  second.erase(0, second.find("Maximize"));
  EXPECT_EQ(first, second);
  KRVfreeprob(env, &back);
}

TEST_F(LpRoundTrip, CompressedFilesRoundTrip) {
  ASSERT_EQ(read_text("min\n x + 2 y\nst\n c: x + y >= 1\nend\n"), 0);
  for (const char* name : {"m.lp.gz", "m.lp.bz2", "m.LP.GZ"}) {
    ASSERT_EQ(KRVwriteprob(env, lp, path(name).c_str(), nullptr), 0) << name;
    const std::string raw = read_file(path(name));
    EXPECT_EQ(raw.find("Minimize"), std::string::npos) << name;  // really compressed
    KRVprob back = fresh("back");
    ASSERT_EQ(KRVreadcopyprob(env, back, path(name).c_str(), nullptr), 0) << name;
    expect_same(lp, back, name);
    KRVfreeprob(env, &back);
  }
}

class DataRoundTrip : public LpRoundTrip, public ::testing::WithParamInterface<std::string> {
 protected:
  void SetUp() override {
    LpRoundTrip::SetUp();
    KORVA_REQUIRE_SHARED_DATA();
  }
};

// Column j of a problem as (row, value) pairs in row order, without the
// explicit zeros an MPS file may store (an LP file has no way to write them).
std::vector<std::pair<int, double>> column_entries(KRVenv env, KRVprob p, int j) {
  int nz = 0, surplus = 0, beg = 0;
  KRVgetcols(env, p, &nz, &beg, nullptr, nullptr, 0, &surplus, j, j);
  std::vector<int> ind(-surplus);
  std::vector<double> val(-surplus);
  std::vector<std::pair<int, double>> out;
  if (surplus < 0 && KRVgetcols(env, p, &nz, &beg, ind.data(), val.data(), -surplus, &surplus, j, j))
    return out;
  for (size_t k = 0; k < ind.size(); ++k)
    if (val[k] != 0.0) out.emplace_back(ind[k], val[k]);
  std::sort(out.begin(), out.end());
  return out;
}

// Names of a list that had to be rewritten for the format carry their
// position: "#k" at the end of entry k.
void expect_names(const std::vector<std::string>& a, const std::vector<std::string>& b,
                  const std::string& what) {
  ASSERT_LE(a.size(), b.size()) << what;
  const std::vector<std::string> prefix(b.begin(), b.begin() + static_cast<long>(a.size()));
  if (prefix == a) return;
  for (size_t k = 0; k < a.size(); ++k) {
    const std::string tail = "#" + std::to_string(k);
    ASSERT_TRUE(b[k].size() > tail.size() && b[k].compare(b[k].size() - tail.size(), tail.size(), tail) == 0)
        << what << ": " << a[k] << " read back as " << b[k];
  }
}

TEST_P(DataRoundTrip, MpsModelWrittenAsLpReadsBack) {
  const std::string file = data_path(GetParam());
  if (KRVreadcopyprob(env, lp, file.c_str(), nullptr) != 0)
    GTEST_SKIP() << "MPS reader cannot read " << file;
  // Many of these models have names the LP format cannot hold as they are.
  ASSERT_EQ(KRVsetintparam(env, 1115, 1), 0);
  ASSERT_EQ(KRVlpwrite(env, lp, path("m.lp").c_str()), 0);
  KRVprob back = fresh("back");
  ASSERT_EQ(KRVreadcopyprob(env, back, path("m.lp").c_str(), nullptr), 0) << errors->text();
  const std::string what = GetParam();
  // A ranged row comes back as an equality with a range column of its own,
  // after the model's columns.
  const int n = KRVgetnumcols(env, lp), m = KRVgetnumrows(env, lp);
  const std::string sense_a = senses(lp);
  const int ranged = static_cast<int>(std::count(sense_a.begin(), sense_a.end(), 'R'));
  ASSERT_EQ(KRVgetnumcols(env, back), n + ranged) << what;
  ASSERT_EQ(KRVgetnumrows(env, back), m) << what;
  EXPECT_EQ(KRVgetobjsen(env, lp), KRVgetobjsen(env, back)) << what;
  expect_names(col_names(lp), col_names(back), what + " columns");
  expect_names(row_names(lp), row_names(back), what + " rows");
  std::string sense_b = senses(back);
  std::string expected_senses = sense_a;
  std::replace(expected_senses.begin(), expected_senses.end(), 'R', 'E');
  EXPECT_EQ(expected_senses, sense_b) << what;
  const std::string types_a = ctypes(lp), types_b = ctypes(back);
  EXPECT_EQ(types_a, types_b.substr(0, types_a.size())) << what;
  auto first_n = [n](std::vector<double> v) { v.resize(n); return v; };
  expect_near(obj(lp), first_n(obj(back)), what + " obj");
  expect_near(lb(lp), first_n(lb(back)), what + " lb");
  expect_near(ub(lp), first_n(ub(back)), what + " ub");
  expect_near(rhs(lp), rhs(back), what + " rhs");
  for (int j = 0; j < n; ++j) {
    const auto a = column_entries(env, lp, j), b = column_entries(env, back, j);
    ASSERT_EQ(a.size(), b.size()) << what << " column " << j;
    for (size_t k = 0; k < a.size(); ++k) {
      ASSERT_EQ(a[k].first, b[k].first) << what << " column " << j;
      ASSERT_NEAR(a[k].second, b[k].second, kDigits * std::fabs(a[k].second)) << what << " column " << j;
    }
  }
  for (int j = n; j < n + ranged; ++j) {
    const auto b = column_entries(env, back, j);
    ASSERT_EQ(b.size(), 1u) << what;
    EXPECT_EQ(sense_a[b[0].first], 'R') << what;
    EXPECT_EQ(b[0].second, -1.0) << what;
    double range = 0, lo = 0, up = 0;
    KRVgetrngval(env, lp, &range, b[0].first, b[0].first);
    KRVgetlb(env, back, &lo, j, j);
    KRVgetub(env, back, &up, j, j);
    EXPECT_NEAR(up - lo, std::fabs(range), kDigits * std::fabs(range)) << what;
  }
  KRVfreeprob(env, &back);
}

std::vector<std::string> data_models() {
  if (!korva_test::shared_data_present()) return {korva_test::kSharedDataMissing};
  std::vector<std::string> names;
  for (const char* dir : {"netlib", "miplib3"}) {
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(data_path(dir), ec)) {
      const std::string name = e.path().filename().string();
      if (name.size() > 7 && name.substr(name.size() - 7) == ".mps.gz")
        names.push_back(std::string(dir) + "/" + name);
    }
  }
  std::sort(names.begin(), names.end());
  return names;
}

INSTANTIATE_TEST_SUITE_P(Data, DataRoundTrip, ::testing::ValuesIn(data_models()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                           std::string n = info.param;
                           for (char& c : n)
                             if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                           return n;
                         });

}  // namespace
}  // namespace korva_test
