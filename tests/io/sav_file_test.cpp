// SAV files through the C API: small collection models written and read
// back exactly (data bit for bit, names, types, basis, a 0-iteration
// re-solve), every optional part of a problem, the definite and indefinite
// forms, and the reader's errors and warnings.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "io/mps/mps_snapshot.h"
#include "support/korva_test.h"

namespace {

using korva_test::EnvTest;
using korva_test::TempDir;
using korva_test::read_file;
using korva_test::write_file;

bool bits_equal(const std::vector<double>& a, const std::vector<double>& b) {
  return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0);
}

void expect_bit_identical(const mps_test::Snapshot& a, const mps_test::Snapshot& b) {
  mps_test::expect_same(a, b, 0.0);
  EXPECT_TRUE(bits_equal(a.obj, b.obj));
  EXPECT_TRUE(bits_equal(a.lb, b.lb));
  EXPECT_TRUE(bits_equal(a.ub, b.ub));
  EXPECT_TRUE(bits_equal(a.rhs, b.rhs));
  EXPECT_TRUE(bits_equal(a.range, b.range));
  EXPECT_TRUE(bits_equal(a.matval, b.matval));
}

std::vector<int> basis_of(KRVenv env, KRVprob lp, bool columns) {
  std::vector<int> c(KRVgetnumcols(env, lp)), r(KRVgetnumrows(env, lp));
  EXPECT_EQ(KRVgetbase(env, lp, c.data(), r.data()), 0);
  return columns ? c : r;
}

class SavFileTest : public EnvTest {
 protected:
  void SetUp() override {
    EnvTest::SetUp();
    ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_SIMDISPLAY, 0), 0);
    ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_ADVIND, 1), 0);
  }
  void TearDown() override {
    for (KRVprob& p : made) KRVfreeprob(env, &p);
    EnvTest::TearDown();
  }
  KRVprob create() {
    int status = 0;
    KRVprob p = KRVcreateprob(env, &status, "p");
    EXPECT_EQ(status, 0);
    made.push_back(p);
    return p;
  }
  // Reads a collection model, solves it as an LP (a MIP's relaxation),
  // writes and reads it as SAV and checks that everything came back.
  void round_trip(const std::string& relative) {
    SCOPED_TRACE(relative);
    KRVprob lp = create();
    ASSERT_EQ(KRVreadcopyprob(env, lp, korva_test::data_path(relative).c_str(), nullptr), 0);
    if (KRVgetprobtype(env, lp) != KRVPROB_LP) {
      // The types go through the file on their own; the basis comes from
      // the relaxation.
      const std::string typed = dir.file("typed.sav");
      ASSERT_EQ(KRVsavwrite(env, lp, typed.c_str()), 0);
      KRVprob back = create();
      ASSERT_EQ(KRVreadcopyprob(env, back, typed.c_str(), nullptr), 0);
      expect_bit_identical(mps_test::snapshot(env, lp), mps_test::snapshot(env, back));
      ASSERT_EQ(KRVchgprobtype(env, lp, KRVPROB_LP), 0);
    }
    ASSERT_EQ(KRVlpopt(env, lp), 0);
    ASSERT_EQ(KRVgetstat(env, lp), KRV_STAT_OPTIMAL);
    const std::string file = dir.file("model.sav");
    ASSERT_EQ(KRVwriteprob(env, lp, file.c_str(), nullptr), 0);
    KRVprob back = create();
    warnings->clear();
    ASSERT_EQ(KRVreadcopyprob(env, back, file.c_str(), nullptr), 0);
    EXPECT_EQ(warnings->text(), "Warning:  File contains basis.  Basis is loaded.\n");
    expect_bit_identical(mps_test::snapshot(env, lp), mps_test::snapshot(env, back));
    EXPECT_EQ(basis_of(env, lp, true), basis_of(env, back, true));
    EXPECT_EQ(basis_of(env, lp, false), basis_of(env, back, false));
    // Presolve would map the start onto a reduced model only approximately;
    // the basis itself is what is checked here.
    ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_PREIND, 0), 0);
    ASSERT_EQ(KRVlpopt(env, back), 0);
    ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_PREIND, 1), 0);
    EXPECT_EQ(KRVgetitcnt(env, back), 0);
  }
  std::vector<KRVprob> made;
  TempDir dir;
};

TEST_F(SavFileTest, SmallCollectionModelsComeBackExactly) {
  KORVA_REQUIRE_SHARED_DATA();
  for (const char* name : {"netlib/afiro.mps.gz", "netlib/sc50a.mps.gz", "netlib/boeing2.mps.gz",
                           "netlib/kb2.mps.gz", "miplib3/p0033.mps.gz", "miplib3/flugpl.mps.gz"})
    round_trip(name);
}

TEST_F(SavFileTest, EveryOptionalPartSurvives) {
  ASSERT_EQ(KRVsetstrparam(env, KRV_PARAM_APIENCODING, "UTF-8"), 0);
  KRVprob lp = create();
  // Three columns, two rows (one ranged), a negative zero and a denormal
  // that text formats would not keep.
  const double obj[] = {-0.0, 4.9406564584124654e-324, 1.0 / 3.0}, rhs[] = {1, 2}, lb[] = {0, -1e20, 0},
               ub[] = {1, 10, 1e20}, rng[] = {0, 5};
  const char sense[] = {'L', 'R'};
  const int beg[] = {0, 1, 3}, cnt[] = {1, 2, 1}, ind[] = {0, 0, 1, 1};
  const double val[] = {1, 0.1, 0.7, 2};
  ASSERT_EQ(KRVcopylp(env, lp, 3, 2, KRV_MAX, obj, rhs, sense, beg, cnt, ind, val, lb, ub, rng), 0);
  const int cols[] = {0, 1, 2};
  char* cn[] = {const_cast<char*>("b\xC3\xA9"), const_cast<char*>("i"), const_cast<char*>("c")};
  ASSERT_EQ(KRVchgcolname(env, lp, 3, cols, cn), 0);
  const char types[] = {'B', 'I', 'C'};
  ASSERT_EQ(KRVchgctype(env, lp, 3, cols, types), 0);
  const char sostype[] = {'1'};
  const int sosbeg[] = {0}, sosind[] = {0, 1};
  const double soswt[] = {1, 2};
  char* sosname[] = {const_cast<char*>("s1")};
  ASSERT_EQ(KRVaddsos(env, lp, 1, 2, sostype, sosbeg, sosind, soswt, sosname), 0);
  const int linind[] = {1, 2};
  const double linval[] = {1, -1};
  ASSERT_EQ(KRVaddindconstr(env, lp, 0, 1, 2, 3.5, 'L', linind, linval, "ind"), 0);
  const double cutrhs[] = {7};
  const char cutsense[] = {'G'};
  const int cutbeg[] = {0}, cutind[] = {0, 2};
  const double cutval[] = {1, 1};
  char* cutname[] = {const_cast<char*>("cut")};
  ASSERT_EQ(KRVaddusercuts(env, lp, 1, 2, cutrhs, cutsense, cutbeg, cutind, cutval, cutname), 0);
  ASSERT_EQ(KRVaddlazyconstraints(env, lp, 1, 2, cutrhs, cutsense, cutbeg, cutind, cutval, nullptr), 0);
  const int qbeg[] = {0, 0, 0}, qcnt[] = {0, 0, 1}, qind[] = {2};
  const double qval[] = {2.5};
  ASSERT_EQ(KRVcopyquad(env, lp, qbeg, qcnt, qind, qval), 0);
  const int qrow[] = {2}, qcol[] = {2};
  const double qcval[] = {1};
  ASSERT_EQ(KRVaddqconstr(env, lp, 2, 1, 9, 'L', linind, linval, qrow, qcol, qcval, "qc"), 0);
  const int order[] = {1, 0}, prio[] = {3, 4}, direction[] = {1, -1};
  ASSERT_EQ(KRVcopyorder(env, lp, 2, order, prio, direction), 0);

  const std::string file = dir.file("parts.sav.gz");
  ASSERT_EQ(KRVsavwrite(env, lp, file.c_str()), 0);
  KRVprob back = create();
  ASSERT_EQ(KRVreadcopyprob(env, back, file.c_str(), nullptr), 0);
  expect_bit_identical(mps_test::snapshot(env, lp), mps_test::snapshot(env, back));
  EXPECT_EQ(KRVgetnumqconstrs(env, back), 1);
  int c = 0, surplus = 0, oi[2], op[2], od[2];
  ASSERT_EQ(KRVgetorder(env, back, &c, oi, op, od, 2, &surplus), 0);
  EXPECT_EQ(std::vector<int>(oi, oi + 2), (std::vector<int>{1, 0}));
  EXPECT_EQ(std::vector<int>(od, od + 2), (std::vector<int>{1, -1}));
}

TEST_F(SavFileTest, HeaderTextOffByOneCharacterIsNotASavFile) {
  KRVprob lp = create();
  const double obj[] = {1}, lb[] = {0}, ub[] = {1};
  ASSERT_EQ(KRVnewcols(env, lp, 1, obj, lb, ub, nullptr, nullptr), 0);
  const std::string file = dir.file("one.sav");
  ASSERT_EQ(KRVsavwrite(env, lp, file.c_str()), 0);
  std::string bytes = read_file(file);
  const size_t at = bytes.find("\x0C\x01K");
  ASSERT_NE(at, std::string::npos);
  bytes[at + 2] = 'J';
  write_file(file, bytes);
  EXPECT_EQ(KRVreadcopyprob(env, lp, file.c_str(), nullptr), 1560);
  EXPECT_NE(errors->text().find("is not a SAV file"), std::string::npos);

  ASSERT_EQ(KRVsavwrite(env, lp, file.c_str()), 0);
  bytes = read_file(file);
  write_file(file, bytes.substr(0, bytes.size() - 9));
  EXPECT_EQ(KRVreadcopyprob(env, lp, file.c_str(), nullptr), 1561);
}

TEST_F(SavFileTest, EarlierLayoutSelectedByTheEnvironmentVariable) {
  KRVprob lp = create();
  const double obj[] = {1}, lb[] = {0}, ub[] = {1};
  ASSERT_EQ(KRVnewcols(env, lp, 1, obj, lb, ub, nullptr, nullptr), 0);
  // No known extension: the content says SAV.
  const std::string file = dir.file("model.dat");
  ASSERT_EQ(KRVwriteprob(env, lp, file.c_str(), "SAV"), 0);
  ASSERT_EQ(setenv("KORVA_SAVFILE_VERSION", "0", 1), 0);
  const int status = KRVreadcopyprob(env, lp, file.c_str(), nullptr);
  unsetenv("KORVA_SAVFILE_VERSION");
  EXPECT_EQ(status, 1563);
  EXPECT_NE(errors->text().find("has an incompatible format"), std::string::npos);
  EXPECT_EQ(KRVreadcopyprob(env, lp, file.c_str(), nullptr), 0);
}

// A file in indefinite form throughout, built by hand, with an element the
// reader does not know at the end of the LP and starting-information
// sections.
class HandEncoder {
 public:
  void open(int tag) { put({static_cast<uint8_t>(0x60 | tag), 0x80}); }
  void close() { put({0, 0}); }
  void integer(int v) {
    put({0x02, 4, static_cast<uint8_t>(v >> 24), static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 8),
         static_cast<uint8_t>(v)});
  }
  void text(const std::string& t) {
    put({0x30, 0x80});
    for (char c : t) put({0x0C, 1, static_cast<uint8_t>(c)});
    close();
  }
  void array(uint8_t id, const std::vector<uint8_t>& contents) {
    put({id, static_cast<uint8_t>(contents.size())});
    bytes_.insert(bytes_.end(), contents.begin(), contents.end());
  }
  void doubles(const std::vector<double>& v) {
    std::vector<uint8_t> c;
    for (double d : v) {
      uint64_t b;
      std::memcpy(&b, &d, 8);
      for (int k = 7; k >= 0; --k) c.push_back(static_cast<uint8_t>(b >> (8 * k)));
    }
    array(0x80, c);
  }
  std::string str() const { return std::string(bytes_.begin(), bytes_.end()); }

 private:
  void put(std::initializer_list<uint8_t> b) { bytes_.insert(bytes_.end(), b); }
  std::vector<uint8_t> bytes_;
};

TEST_F(SavFileTest, IndefiniteFormsReadAndExtraContentsAreReported) {
  HandEncoder e;
  e.open(1);
  e.open(2);
  e.integer(1);
  e.open(24);
  e.text("KORVA binary SAV file");
  e.close();
  e.open(24);
  e.integer(-1);
  e.close();
  e.close();
  e.open(3);
  e.text("hand");
  e.text("");
  e.integer(0);
  e.array(0x84, {});
  e.integer(1);
  e.array(0x84, {'z', 0});
  e.close();
  e.open(4);
  for (int v : {1, 0, 1, 0, 0, 0}) e.integer(v);
  e.doubles({2.5});
  e.doubles({0});
  e.doubles({4});
  e.doubles({});
  e.array(0x83, {});
  e.doubles({});
  e.array(0x82, {0, 0, 0, 0, 0, 0, 0, 0});
  e.array(0x81, {0, 0, 0, 0});
  e.array(0x81, {});
  e.doubles({});
  for (int tag : {14, 15}) {
    e.open(tag);
    e.integer(0);
    e.integer(0);
    e.close();
  }
  e.integer(99);  // unknown to this reader
  e.close();
  e.open(5);
  e.integer(0);
  e.array(0x83, {});
  e.open(12);
  e.integer(0);
  e.integer(0);
  e.array(0x83, {});
  e.array(0x82, {});
  e.array(0x81, {});
  e.doubles({});
  e.array(0x84, {});
  e.close();
  e.open(13);
  e.integer(0);
  for (int k = 0; k < 3; ++k) e.array(0x81, {});
  e.close();
  e.close();
  e.open(6);
  e.open(21);
  e.integer(0);
  e.close();
  e.open(17);
  e.integer(0);
  e.close();
  e.close();
  e.open(7);
  e.integer(0);
  e.close();
  e.open(25);
  e.integer(0);
  e.text("later");
  e.close();
  e.close();
  const std::string file = dir.file("hand.sav");
  write_file(file, e.str());
  KRVprob lp = create();
  ASSERT_EQ(KRVreadcopyprob(env, lp, file.c_str(), nullptr), 0) << errors->text();
  EXPECT_EQ(KRVgetnumcols(env, lp), 1);
  double ub = 0;
  KRVgetub(env, lp, &ub, 0, 0);
  EXPECT_EQ(ub, 4);
  EXPECT_EQ(warnings->text(),
            "Warning: Additional data in SAV file ignored.\n"
            "Warning: - additional LP data ignored.\n"
            "Warning: - additional starting information ignored.\n");
}

}  // namespace
