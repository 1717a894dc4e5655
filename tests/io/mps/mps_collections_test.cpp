// Every model of the shared LP and MIP collections reads with the sizes of its collection's
// table (free rows deleted), the MIP models with the integer and binary
// counts of the catalogue, and every model comes back identical from the
// MPS files the library writes.
#include "mps_collections.h"
#include "mps_snapshot.h"

using mps_test::CollectionModel;

namespace {

class CollectionTest : public korva_test::EnvTest,
                       public ::testing::WithParamInterface<CollectionModel> {
 protected:
  void SetUp() override {
    EnvTest::SetUp();
    KORVA_REQUIRE_SHARED_DATA();
    int status = 0;
    lp = KRVcreateprob(env, &status, "model");
    copy = KRVcreateprob(env, &status, "copy");
  }
  void TearDown() override {
    KRVfreeprob(env, &lp);
    KRVfreeprob(env, &copy);
    EnvTest::TearDown();
  }
  // Writes `lp` with `writer`, reads it back into `copy`.
  void write_and_read(int (*writer)(KRVenv, KRVprob, const char*)) {
    const std::string path = dir.file("written.mps");
    ASSERT_EQ(writer(env, lp, path.c_str()), 0) << errors->text();
    ASSERT_EQ(KRVreadcopyprob(env, copy, path.c_str(), nullptr), 0) << errors->text();
  }
  KRVprob lp = nullptr, copy = nullptr;
  korva_test::TempDir dir;
};

TEST_P(CollectionTest, ReadsWithTheTableSizes) {
  const CollectionModel& m = GetParam();
  ASSERT_EQ(KRVreadcopyprob(env, lp, m.path().c_str(), nullptr), 0) << errors->text();
  EXPECT_EQ(KRVgetnumrows(env, lp), m.rows);
  EXPECT_EQ(KRVgetnumcols(env, lp), m.cols);
  EXPECT_EQ(KRVgetnumnz(env, lp), m.nonzeros);
  EXPECT_EQ(errors->text(), "");
  if (m.set != "miplib3") return;
  const int n = KRVgetnumcols(env, lp);
  std::vector<char> ctype(n);
  std::vector<double> lb(n), ub(n);
  ASSERT_EQ(KRVgetctype(env, lp, ctype.data(), 0, n - 1), 0);
  KRVgetlb(env, lp, lb.data(), 0, n - 1);
  KRVgetub(env, lp, ub.data(), 0, n - 1);
  long long integers = 0, binaries = 0;
  for (int j = 0; j < n; ++j) {
    if (ctype[j] == 'C') continue;
    ++integers;
    if (lb[j] == 0.0 && ub[j] == 1.0) ++binaries;
  }
  for (const auto& c : mps_test::read_csv(korva_test::data_path("miplib3/catalogue.csv"))) {
    if (c[0] != m.name) continue;
    EXPECT_EQ(integers, std::stoll(c[3]));
    EXPECT_EQ(binaries, std::stoll(c[4]));
  }
}

TEST_P(CollectionTest, WrittenFileReadsBackIdentical) {
  ASSERT_EQ(KRVreadcopyprob(env, lp, GetParam().path().c_str(), nullptr), 0);
  write_and_read(KRVmpswrite);
  mps_test::expect_same(mps_test::snapshot(env, lp), mps_test::snapshot(env, copy), 0.0);
}

TEST_P(CollectionTest, ShortNumbersReadBackWithinTheirPrecision) {
  ASSERT_EQ(KRVreadcopyprob(env, lp, GetParam().path().c_str(), nullptr), 0);
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_MPSLONGNUM, 0), 0);
  write_and_read(KRVmpswrite);
  // At least 5 significant digits in 12 characters; most numbers keep 10.
  mps_test::expect_same(mps_test::snapshot(env, lp), mps_test::snapshot(env, copy), 5e-5);
}

INSTANTIATE_TEST_SUITE_P(Collections, CollectionTest,
                         ::testing::ValuesIn(mps_test::collection_models()),
                         [](const auto& info) { return mps_test::test_name(info.param); });

}  // namespace
