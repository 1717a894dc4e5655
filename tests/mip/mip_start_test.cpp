// MIP starts through the C interface: adding, changing, reading back and
// deleting them with every error on the way, the single-start forms, and
// their files (XML and the older text form) with the readers' warnings.
#include <string>
#include <vector>

#include "mip/mip_test_support.h"

namespace {

// Two integer columns, a binary and a continuous one, with or without names.
mip_test::SmallMip four_columns() {
  mip_test::SmallMip m;
  m.obj = {1.0, 2.0, 3.0, 1.0};
  m.lb = {0.0, 0.0, 0.0, 0.0};
  m.ub = {10.0, 10.0, 1.0, 100.0};
  m.ctype = {'I', 'I', 'B', 'C'};
  m.rows.push_back({{{0, 1.0}, {1, 1.0}, {3, 1.0}}, 'G', 2.0});
  return m;
}

struct Start {
  std::vector<int> cols;
  std::vector<double> values;
  int effort = 0;
};

class MipStarts : public mip_test::MipTest {
 protected:
  void SetUp() override {
    MipTest::SetUp();
    ASSERT_EQ(four_columns().load(env, lp), 0);
  }
  void name_columns() {
    const char* names[] = {"x", "y", "flag", "slack"};
    const int idx[] = {0, 1, 2, 3};
    ASSERT_EQ(KRVchgcolname(env, lp, 4, idx, const_cast<char**>(names)), 0);
  }
  // Adds starts through the plain family.
  int add(const std::vector<Start>& starts, const char* const* names = nullptr) {
    std::vector<int> beg, ind, effort;
    std::vector<double> val;
    for (const Start& s : starts) {
      beg.push_back(static_cast<int>(ind.size()));
      ind.insert(ind.end(), s.cols.begin(), s.cols.end());
      val.insert(val.end(), s.values.begin(), s.values.end());
      effort.push_back(s.effort);
    }
    return KRVaddmipstarts(env, lp, static_cast<int>(starts.size()), static_cast<int>(ind.size()), beg.data(),
                           ind.data(), val.data(), effort.data(), const_cast<char**>(names));
  }
  // Every start as the plain query gives it.
  std::vector<Start> all_starts() {
    const int n = KRVgetnummipstarts(env, lp);
    std::vector<Start> out;
    if (n == 0) return out;
    int nz = 0, surplus = 0;
    std::vector<int> beg(n), effort(n);
    EXPECT_EQ(KRVgetmipstarts(env, lp, &nz, beg.data(), nullptr, nullptr, effort.data(), 0, &surplus, 0, n - 1),
              1207);
    std::vector<int> ind(-surplus);
    std::vector<double> val(-surplus);
    EXPECT_EQ(KRVgetmipstarts(env, lp, &nz, beg.data(), ind.data(), val.data(), effort.data(), -surplus, &surplus, 0,
                              n - 1),
              0);
    EXPECT_EQ(surplus, 0);
    for (int k = 0; k < n; ++k) {
      const int end = k + 1 < n ? beg[k + 1] : nz;
      out.push_back({{ind.begin() + beg[k], ind.begin() + end}, {val.begin() + beg[k], val.begin() + end}, effort[k]});
    }
    return out;
  }
  std::vector<std::string> names() {
    const int n = KRVgetnummipstarts(env, lp);
    std::vector<std::string> out;
    if (n == 0) return out;
    int surplus = 0;
    std::vector<char*> name(n);
    std::vector<char> store(1000);
    EXPECT_EQ(KRVgetmipstartname(env, lp, name.data(), store.data(), 1000, &surplus, 0, n - 1), 0);
    for (char* s : name) out.emplace_back(s);
    return out;
  }
  korva_test::TempDir dir;
};

void expect_same(const std::vector<Start>& a, const std::vector<Start>& b) {
  ASSERT_EQ(a.size(), b.size());
  for (size_t k = 0; k < a.size(); ++k) {
    EXPECT_EQ(a[k].cols, b[k].cols) << "start " << k;
    EXPECT_EQ(a[k].values, b[k].values) << "start " << k;
    EXPECT_EQ(a[k].effort, b[k].effort) << "start " << k;
  }
}

const std::vector<Start> kTwo = {{{0, 2, 3}, {1.0, 1.0, 0.5}, KRV_MIPSTART_CHECKFEAS},
                                 {{1}, {3.0}, KRV_MIPSTART_REPAIR}};

TEST_F(MipStarts, AddedStartsComeBackWithTheirLevelsAndNames) {
  const char* named[] = {"first", "second"};
  ASSERT_EQ(add(kTwo, named), 0);
  EXPECT_EQ(KRVgetnummipstarts(env, lp), 2);
  expect_same(all_starts(), kTwo);
  EXPECT_EQ(names(), (std::vector<std::string>{"first", "second"}));
  int index = -1;
  EXPECT_EQ(KRVgetmipstartindex(env, lp, "second", &index), 0);
  EXPECT_EQ(index, 1);
  EXPECT_EQ(KRVgetmipstartindex(env, lp, "third", &index), 1210);
  EXPECT_EQ(errors->text(), "");

  // The 64-bit family reads the same data, the older names too.
  long long nz = 0, surplus = 0, beg[2];
  int ind[4], effort[2];
  double val[4];
  ASSERT_EQ(KRVLgetmipstarts(env, lp, &nz, beg, ind, val, effort, 4, &surplus, 0, 1), 0);
  EXPECT_EQ(nz, 4);
  EXPECT_EQ(beg[1], 3);
  EXPECT_EQ(surplus, 0);
  EXPECT_EQ(KRVgetsolnpoolnummipstarts(env, lp), 2);
  int nz32 = 0, surplus32 = 0, beg32[1];
  ASSERT_EQ(KRVgetsolnpoolmipstart(env, lp, &nz32, beg32, ind, val, effort, 4, &surplus32, 1, 1), 0);
  EXPECT_EQ(nz32, 1);
  EXPECT_EQ(ind[0], 1);
  EXPECT_EQ(effort[0], KRV_MIPSTART_REPAIR);
}

TEST_F(MipStarts, UnnamedStartsAreShownByTheirOneBasedIndex) {
  ASSERT_EQ(add(kTwo), 0);
  EXPECT_EQ(names(), (std::vector<std::string>{"m1", "m2"}));
  int index = -1;
  EXPECT_EQ(KRVgetmipstartindex(env, lp, "m2", &index), 0);
  EXPECT_EQ(index, 1);
  // The 64-bit family follows the surplus convention on its own counts.
  long long surplus = 0;
  char* name[2];
  char store[4];
  EXPECT_EQ(KRVLgetmipstartname(env, lp, name, store, sizeof store, &surplus, 0, 1), 1207);
  EXPECT_EQ(surplus, 4 - 6);
}

TEST_F(MipStarts, LongAddAndChangeTakeSixtyFourBitPositions) {
  const long long beg[] = {0, 1};
  const int ind[] = {0, 1, 2};
  const double val[] = {4.0, 5.0, 1.0};
  const int effort[] = {KRV_MIPSTART_SOLVEMIP, KRV_MIPSTART_AUTO};
  ASSERT_EQ(KRVLaddmipstarts(env, lp, 2, 3, beg, ind, val, effort, nullptr), 0);
  const int which[] = {1};
  const long long cbeg[] = {0};
  const int cind[] = {1};
  const double cval[] = {6.0};
  ASSERT_EQ(KRVLchgmipstarts(env, lp, 1, which, 1, cbeg, cind, cval, nullptr), 0);
  expect_same(all_starts(), {{{0}, {4.0}, KRV_MIPSTART_SOLVEMIP}, {{1, 2}, {6.0, 1.0}, KRV_MIPSTART_AUTO}});
}

TEST_F(MipStarts, ChangedStartsTakeNewValuesNewColumnsAndLevels) {
  ASSERT_EQ(add(kTwo), 0);
  const int which[] = {0, 1};
  const int beg[] = {0, 1};
  const int ind[] = {3, 0};
  const double val[] = {7.0, 2.0};
  const int effort[] = {KRV_MIPSTART_SOLVEFIXED, KRV_MIPSTART_NOCHECK};
  ASSERT_EQ(KRVchgmipstarts(env, lp, 2, which, 2, beg, ind, val, effort), 0);
  expect_same(all_starts(), {{{0, 2, 3}, {1.0, 1.0, 7.0}, KRV_MIPSTART_SOLVEFIXED},
                             {{1, 0}, {3.0, 2.0}, KRV_MIPSTART_NOCHECK}});
  // Without levels only the values change.
  ASSERT_EQ(KRVchgmipstarts(env, lp, 1, which, 1, beg, ind, val, nullptr), 0);
  EXPECT_EQ(all_starts()[0].effort, KRV_MIPSTART_SOLVEFIXED);
}

TEST_F(MipStarts, DeletingByRangeAndBySetRenumbersTheRest) {
  ASSERT_EQ(add({{{0}, {1.0}, 0}, {{1}, {2.0}, 0}, {{2}, {1.0}, 0}, {{3}, {4.0}, 0}}), 0);
  ASSERT_EQ(KRVdelmipstarts(env, lp, 1, 1), 0);
  EXPECT_EQ(KRVgetnummipstarts(env, lp), 3);
  int delstat[] = {1, 0, 1};
  ASSERT_EQ(KRVdelsetmipstarts(env, lp, delstat), 0);
  EXPECT_EQ(std::vector<int>(delstat, delstat + 3), (std::vector<int>{-1, 0, -1}));
  expect_same(all_starts(), {{{2}, {1.0}, 0}});
}

TEST_F(MipStarts, SingleStartFormsWorkOnStartZero) {
  ASSERT_EQ(add(kTwo), 0);
  const int ind[] = {1, 0};
  const double val[] = {5.0, 6.0};
  ASSERT_EQ(KRVcopymipstart(env, lp, 2, ind, val), 0);
  expect_same(all_starts(), {{{1, 0}, {5.0, 6.0}, KRV_MIPSTART_AUTO}});
  const int more[] = {0, 3};
  const double more_val[] = {7.0, 8.0};
  ASSERT_EQ(KRVchgmipstart(env, lp, 2, more, more_val), 0);
  int cnt = 0, surplus = 0, got_ind[3];
  double got_val[3];
  ASSERT_EQ(KRVgetmipstart(env, lp, &cnt, got_ind, got_val, 3, &surplus), 0);
  EXPECT_EQ(cnt, 3);
  EXPECT_EQ(std::vector<int>(got_ind, got_ind + 3), (std::vector<int>{1, 0, 3}));
  EXPECT_EQ(std::vector<double>(got_val, got_val + 3), (std::vector<double>{5.0, 7.0, 8.0}));
  EXPECT_EQ(KRVgetmipstart(env, lp, &cnt, got_ind, got_val, 2, &surplus), 1207);
  EXPECT_EQ(surplus, -1);
  // Copying nothing removes every start; changing then creates start 0.
  ASSERT_EQ(KRVcopymipstart(env, lp, 0, nullptr, nullptr), 0);
  EXPECT_EQ(KRVgetnummipstarts(env, lp), 0);
  ASSERT_EQ(KRVchgmipstart(env, lp, 1, ind, val), 0);
  expect_same(all_starts(), {{{1}, {5.0}, KRV_MIPSTART_AUTO}});
}

TEST_F(MipStarts, StartsFollowColumnDeletionsAndClonesAndGoWithTheModel) {
  ASSERT_EQ(add(kTwo), 0);
  ASSERT_EQ(KRVdelcols(env, lp, 2, 2), 0);
  expect_same(all_starts(), {{{0, 2}, {1.0, 0.5}, KRV_MIPSTART_CHECKFEAS}, {{1}, {3.0}, KRV_MIPSTART_REPAIR}});
  int status = 0;
  KRVprob copy = KRVcloneprob(env, lp, &status);
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(KRVgetnummipstarts(env, copy), 2);
  KRVfreeprob(env, &copy);
  ASSERT_EQ(KRVchgprobtype(env, lp, KRVPROB_LP), 0);
  EXPECT_EQ(KRVgetnummipstarts(env, lp), 0);
}

TEST_F(MipStarts, BadInputIsRefusedAndChangesNothing) {
  ASSERT_EQ(add(kTwo), 0);
  const int beg[] = {0};
  const int ind[] = {0};
  const int bad_ind[] = {4};
  const double val[] = {1.0};
  const int effort[] = {0};
  const int bad_effort[] = {6};
  const char* null_name[] = {nullptr};
  int which[] = {2};
  EXPECT_EQ(KRVaddmipstarts(env, lp, -1, 0, beg, ind, val, effort, nullptr), 1003);
  EXPECT_EQ(KRVaddmipstarts(env, lp, 1, -1, beg, ind, val, effort, nullptr), 1003);
  EXPECT_EQ(KRVaddmipstarts(env, lp, 1, 1, nullptr, ind, val, effort, nullptr), 1004);
  EXPECT_EQ(KRVaddmipstarts(env, lp, 1, 1, beg, nullptr, val, effort, nullptr), 1004);
  EXPECT_EQ(KRVaddmipstarts(env, lp, 1, 1, beg, ind, val, nullptr, nullptr), 1004);
  EXPECT_EQ(KRVaddmipstarts(env, lp, 1, 1, beg, bad_ind, val, effort, nullptr), 1200);
  EXPECT_EQ(KRVaddmipstarts(env, lp, 1, 1, beg, ind, val, bad_effort, nullptr), 1003);
  errors->clear();
  EXPECT_EQ(KRVaddmipstarts(env, lp, 1, 1, beg, ind, val, effort, const_cast<char**>(null_name)), 1224);
  EXPECT_EQ(errors->text(), "KORVA Error  1224: Null pointer 0 in name array.\n");
  EXPECT_EQ(KRVchgmipstarts(env, lp, 1, which, 1, beg, ind, val, effort), 1200);
  which[0] = 0;
  EXPECT_EQ(KRVchgmipstarts(env, lp, 1, which, 1, beg, bad_ind, val, effort), 1200);
  EXPECT_EQ(KRVchgmipstarts(env, lp, 1, which, 1, beg, ind, val, bad_effort), 1003);
  EXPECT_EQ(KRVchgmipstarts(env, lp, 1, nullptr, 1, beg, ind, val, effort), 1004);
  EXPECT_EQ(KRVcopymipstart(env, lp, 1, bad_ind, val), 1200);
  EXPECT_EQ(KRVcopymipstart(env, lp, -1, ind, val), 1003);
  EXPECT_EQ(KRVchgmipstart(env, lp, 1, nullptr, val), 1004);
  EXPECT_EQ(KRVdelmipstarts(env, lp, 0, 2), 1200);
  EXPECT_EQ(KRVdelsetmipstarts(env, lp, nullptr), 1004);
  int nz = 0, surplus = 0, b[3], i[4], e[3];
  double v[4];
  EXPECT_EQ(KRVgetmipstarts(env, lp, &nz, b, i, v, e, 4, &surplus, 0, 2), 1200);
  EXPECT_EQ(KRVgetmipstarts(env, lp, nullptr, b, i, v, e, 4, &surplus, 0, 1), 1004);
  expect_same(all_starts(), kTwo);

  // With the data check on, the position of a bad column is printed.
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_DATACHECK, 1), 0);
  errors->clear();
  EXPECT_EQ(KRVaddmipstarts(env, lp, 1, 1, beg, bad_ind, val, effort, nullptr), 1201);
  EXPECT_EQ(errors->text(), "KORVA Error  1201: Column index 0 out of range.\n");
  const int twice[] = {1, 1};
  const double two[] = {1.0, 2.0};
  EXPECT_EQ(KRVaddmipstarts(env, lp, 1, 2, beg, twice, two, effort, nullptr), 1222);
  expect_same(all_starts(), kTwo);
}

TEST_F(MipStarts, QueriesWithoutStartsOrWithoutAMipAreRefused) {
  int nz = 0, surplus = 0, b[1] = {0}, i[1] = {0}, e[1] = {0}, cnt = 0;
  double v[1] = {0.0};
  EXPECT_EQ(KRVgetnummipstarts(env, lp), 0);
  EXPECT_EQ(KRVgetmipstarts(env, lp, &nz, b, i, v, e, 1, &surplus, 0, 0), 3020);
  EXPECT_EQ(KRVgetmipstart(env, lp, &cnt, i, v, 1, &surplus), 3020);
  EXPECT_EQ(KRVdelmipstarts(env, lp, 0, 0), 3020);
  EXPECT_EQ(KRVchgmipstarts(env, lp, 1, i, 0, b, i, v, e), 3020);
  EXPECT_EQ(KRVwritemipstarts(env, lp, dir.file("none.mst").c_str(), 0, 0), 3020);
  EXPECT_EQ(KRVmstwrite(env, lp, dir.file("none.mst").c_str()), 3020);
  int conf_rows = -1, conf_cols = -1;
  EXPECT_EQ(KRVrefinemipstartconflict(env, lp, 0, &conf_rows, &conf_cols), 3020);
  ASSERT_EQ(add(kTwo), 0);
  EXPECT_EQ(KRVrefinemipstartconflict(env, lp, 0, &conf_rows, &conf_cols), 1719);
  EXPECT_EQ(conf_rows, 0);
  EXPECT_EQ(KRVrefinemipstartconflictext(env, lp, 5, 0, 0, nullptr, nullptr, nullptr, nullptr), 1200);

  ASSERT_EQ(KRVchgprobtype(env, lp, KRVPROB_LP), 0);
  const int beg[] = {0};
  const int effort[] = {0};
  EXPECT_EQ(KRVaddmipstarts(env, lp, 1, 1, beg, i, v, effort, nullptr), 3003);
  EXPECT_EQ(KRVcopymipstart(env, lp, 1, i, v), 3003);
  // An LP reads a solution file as its advanced start instead: here there
  // is no file to read.
  EXPECT_EQ(KRVreadcopysol(env, lp, dir.file("any.sol").c_str()), 1423);
}

// ---- files --------------------------------------------------------------

TEST_F(MipStarts, XmlFilesCarryNamesIndicesLevelsAndReadBack) {
  name_columns();
  KRVchgprobname(env, lp, "four");
  const char* named[] = {"first", "a&b"};
  ASSERT_EQ(add(kTwo, named), 0);
  const std::string file = dir.file("starts.mst");
  ASSERT_EQ(KRVwritemipstarts(env, lp, file.c_str(), 0, 1), 0);
  EXPECT_EQ(korva_test::read_file(file),
            "<?xml version = \"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
            "<KORVASolutions version=\"1.2\">\n"
            " <KORVASolution version=\"1.2\">\n"
            "  <header\n"
            "  problemName=\"four\"\n"
            "  solutionName=\"first\"\n"
            "  solutionIndex=\"0\"\n"
            "  MIPStartEffortLevel=\"1\"\n"
            "  writeLevel=\"1\"/>\n"
            "  <variables>\n"
            "   <variable name=\"x\" index=\"0\" value=\"1\"/>\n"
            "   <variable name=\"flag\" index=\"2\" value=\"1\"/>\n"
            "   <variable name=\"slack\" index=\"3\" value=\"0.5\"/>\n"
            "  </variables>\n"
            " </KORVASolution>\n"
            " <KORVASolution version=\"1.2\">\n"
            "  <header\n"
            "  problemName=\"four\"\n"
            "  solutionName=\"a&amp;b\"\n"
            "  solutionIndex=\"1\"\n"
            "  MIPStartEffortLevel=\"4\"\n"
            "  writeLevel=\"1\"/>\n"
            "  <variables>\n"
            "   <variable name=\"y\" index=\"1\" value=\"3\"/>\n"
            "  </variables>\n"
            " </KORVASolution>\n"
            "</KORVASolutions>\n");
  ASSERT_EQ(KRVdelmipstarts(env, lp, 0, 1), 0);
  ASSERT_EQ(KRVreadcopymipstarts(env, lp, file.c_str()), 0);
  expect_same(all_starts(), kTwo);
  EXPECT_EQ(names(), (std::vector<std::string>{"first", "a&b"}));
  EXPECT_EQ(warnings->text(), "");

  // KRVmstwrite writes them all the same way; reading one start takes the first.
  const std::string all = dir.file("all.mst");
  ASSERT_EQ(KRVmstwrite(env, lp, all.c_str()), 0);
  EXPECT_EQ(korva_test::read_file(all), korva_test::read_file(file));
  ASSERT_EQ(KRVreadcopymipstart(env, lp, all.c_str()), 0);
  expect_same(all_starts(), {kTwo[0]});
  EXPECT_EQ(warnings->text(), "Warning: more than one KORVASolution element in file, only first one processed.\n");
}

TEST_F(MipStarts, WithoutNamesTheFileHoldsIndicesAndReadsBackByThem) {
  ASSERT_EQ(add(kTwo), 0);
  const std::string file = dir.file("plain.mst.gz");
  ASSERT_EQ(KRVwritemipstarts(env, lp, file.c_str(), 1, 1), 0);
  ASSERT_EQ(KRVdelmipstarts(env, lp, 0, 1), 0);
  ASSERT_EQ(KRVreadcopymipstarts(env, lp, file.c_str()), 0);
  expect_same(all_starts(), {kTwo[1]});
  // The default name travels as the start's name.
  EXPECT_EQ(names(), (std::vector<std::string>{"m2"}));

  const std::string text = dir.file("plain.mst");
  ASSERT_EQ(KRVwritemipstarts(env, lp, text.c_str(), 0, 0), 0);
  EXPECT_EQ(korva_test::read_file(text).find("name=\"y\""), std::string::npos);
  EXPECT_NE(korva_test::read_file(text).find("<variable index=\"1\" value=\"3\"/>"), std::string::npos);
}

TEST_F(MipStarts, WriteLevelSelectsTheEntriesAndEmptyListsCloseAtOnce) {
  ASSERT_EQ(add({{{0, 3}, {0.0, 0.0}, 0}}), 0);
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_WRITELEVEL, 3), 0);
  const std::string file = dir.file("zero.mst");
  ASSERT_EQ(KRVwritemipstarts(env, lp, file.c_str(), 0, 0), 0);
  const std::string text = korva_test::read_file(file);
  EXPECT_NE(text.find("  writeLevel=\"3\"/>\n  <variables/>\n </KORVASolution>\n"), std::string::npos) << text;
  // Level 2 keeps the non-continuous columns only.
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_WRITELEVEL, 2), 0);
  ASSERT_EQ(KRVwritemipstarts(env, lp, file.c_str(), 0, 0), 0);
  const std::string discrete = korva_test::read_file(file);
  EXPECT_NE(discrete.find("index=\"0\""), std::string::npos);
  EXPECT_EQ(discrete.find("index=\"3\""), std::string::npos);
}

TEST_F(MipStarts, TheOlderTextFormNeedsNamesAndReadsBack) {
  ASSERT_EQ(add({{{0, 3}, {2.0, 0.25}, 0}}), 0);
  ASSERT_EQ(KRVsetintparam(env, 1108, 1), 0);
  const std::string file = dir.file("old.mst");
  ASSERT_EQ(KRVmstwrite(env, lp, file.c_str()), 0);
  EXPECT_EQ(warnings->text(), "Default variable names x1, x2 ... to be created.\n");
  // Values take 20 characters (%20.10g).
  EXPECT_EQ(korva_test::read_file(file), "* ENCODING=ISO-8859-1\n"
                                         "NAME          mip    MIP Start\n"
                                         "    x1 " + std::string(19, ' ') + "2\n"
                                         "    x4 " + std::string(16, ' ') + "0.25\n"
                                         "ENDATA\n");
  // Reading by names needs names.
  EXPECT_EQ(KRVreadcopymipstarts(env, lp, file.c_str()), 1219);
  name_columns();
  ASSERT_EQ(KRVmstwrite(env, lp, file.c_str()), 0);
  ASSERT_EQ(KRVdelmipstarts(env, lp, 0, 0), 0);
  ASSERT_EQ(KRVreadcopymipstarts(env, lp, file.c_str()), 0);
  expect_same(all_starts(), {{{0, 3}, {2.0, 0.25}, 0}});
}

TEST_F(MipStarts, TextFormWarnsAboutUnknownAndRepeatedNamesAndAMissingEnd) {
  name_columns();
  const std::string file = dir.file("warn.mst");
  korva_test::write_file(file,
                         "* ENCODING=ISO-8859-1\n"
                         "NAME          four    MIP Start\n"
                         "    x 1\n"
                         "    nobody 2\n"
                         "    x 3\n");
  ASSERT_EQ(KRVreadcopymipstart(env, lp, file.c_str()), 0);
  EXPECT_EQ(warnings->text(),
            "Warning, line 4: 'nobody' is not a variable.\n"
            "Warning, line 5: repeated entry for 'x'.\n"
            "Warning: 'ENDATA' missing.\n");
  expect_same(all_starts(), {{{0}, {3.0}, 0}});
}

TEST_F(MipStarts, FileNamesThatCannotBeUsedAreReported) {
  ASSERT_EQ(add(kTwo), 0);
  EXPECT_EQ(KRVwritemipstarts(env, lp, nullptr, 0, 1), 1421);
  EXPECT_EQ(KRVreadcopymipstarts(env, lp, nullptr), 1421);
  EXPECT_EQ(KRVwritemipstarts(env, lp, dir.file("starts.mst").c_str(), 0, 2), 1200);
  errors->clear();
  const std::string missing = dir.file("missing");
  EXPECT_EQ(KRVreadcopymipstarts(env, lp, missing.c_str()), 1423);
  // The default extension is tried as well.
  EXPECT_EQ(errors->text(), "KORVA Error  1423: Could not open file '" + missing +
                                "' for reading.\nKORVA Error  1423: Could not open file '" + missing +
                                ".mst' for reading.\n");
  errors->clear();
  const std::string nowhere = dir.file("no/such/dir.mst");
  EXPECT_EQ(KRVmstwrite(env, lp, nowhere.c_str()), 1422);
  EXPECT_EQ(errors->text(), "KORVA Error  1422: Could not open file '" + nowhere + "' for writing.\n");
  expect_same(all_starts(), kTwo);
  // A start file named without its extension is found with it.
  ASSERT_EQ(KRVwritemipstarts(env, lp, dir.file("found.mst").c_str(), 0, 1), 0);
  ASSERT_EQ(KRVreadcopymipstarts(env, lp, dir.file("found").c_str()), 0);
  expect_same(all_starts(), kTwo);
}

class MipStartXml : public MipStarts {
 protected:
  int read(const std::string& body, bool all = true) {
    const std::string file = dir.file("in.sol");
    korva_test::write_file(file, body);
    return all ? KRVreadcopymipstarts(env, lp, file.c_str()) : KRVreadcopysol(env, lp, file.c_str());
  }
  static std::string document(const std::string& variables, const std::string& header = "") {
    return "<?xml version = \"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
           "<KORVASolution version=\"1.2\">\n"
           " <header" + header + "/>\n"
           " <variables>\n" + variables + " </variables>\n"
           "</KORVASolution>\n";
  }
};

TEST_F(MipStartXml, WarningsNameTheirLinesAndLaterEntriesWin) {
  name_columns();
  ASSERT_EQ(read(document("  <variable name=\"x\" index=\"0\" value=\"1\"/>\n"
                          "  <variable name=\"ghost\" index=\"1\" value=\"1\"/>\n"
                          "  <variable index=\"7\" value=\"1\"/>\n"
                          "  <variable name=\"x\" value=\"2\"/>\n"
                          "  <variable name=\"slack\" index=\"0\" value=\"4\"/>\n",
                          " solutionName=\"mine\" MIPStartEffortLevel=\"3\"")),
            0);
  EXPECT_EQ(warnings->text(),
            "Warning, line 6: 'ghost' is not a variable.\n"
            "Warning, line 7: Variable index '7' out of range.\n"
            "Warning, line 8: repeated entry for 'x'.\n");
  // The name wins over a wrong index.
  expect_same(all_starts(), {{{0, 3}, {2.0, 4.0}, KRV_MIPSTART_SOLVEMIP}});
  EXPECT_EQ(names(), (std::vector<std::string>{"mine"}));
}

TEST_F(MipStartXml, RepeatedIndicesAreWarnedByIndex) {
  ASSERT_EQ(read(document("  <variable index=\"1\" value=\"1\"/>\n"
                          "  <variable index=\"1\" value=\"5\"/>\n")),
            0);
  EXPECT_EQ(warnings->text(), "Warning, line 6: repeated entry for index 1.\n");
  expect_same(all_starts(), {{{1}, {5.0}, 0}});
}

TEST_F(MipStartXml, AtMostTwentyWarningsArePrinted) {
  std::string vars;
  for (int k = 0; k < 25; ++k) vars += "  <variable index=\"" + std::to_string(100 + k) + "\" value=\"1\"/>\n";
  vars += "  <variable index=\"0\" value=\"1\"/>\n";
  ASSERT_EQ(read(document(vars)), 0);
  const std::string& text = warnings->text();
  EXPECT_NE(text.find("Warning, line 24: Variable index '119' out of range.\n5 warnings not printed.\n"),
            std::string::npos)
      << text;
  EXPECT_EQ(text.find("'120'"), std::string::npos);
}

TEST_F(MipStartXml, MalformedXmlIsAnErrorAndKeepsTheStarts) {
  ASSERT_EQ(add(kTwo), 0);
  errors->clear();
  EXPECT_EQ(read("<?xml version = \"1.0\"?>\n<KORVASolution>\n <variables>\n  <variable index=\"0\" value=\"1\">\n"
                 "</KORVASolution>\n"),
            1425);
  EXPECT_EQ(errors->text().rfind("KORVA Error  1425: XML parsing error at line 5: ", 0), 0u) << errors->text();
  expect_same(all_starts(), kTwo);
  errors->clear();
  EXPECT_EQ(read(document("  <variable index=\"0\" value=\"1\" status=\"bs\"/>\n")), 1551);
  EXPECT_EQ(errors->text(), "KORVA Error  1551: Line 5: Unrecognized basis indicator 'bs'.\n");
  expect_same(all_starts(), kTwo);
}

TEST_F(MipStartXml, LeadingBlanksStillMeanXmlAndEmptyFilesLoadNothing) {
  ASSERT_EQ(add(kTwo), 0);
  ASSERT_EQ(read("  \n\t" + document("  <variable index=\"2\" value=\"1\"/>\n"
                                      "  <variable index=\"9\" value=\"1\"/>\n")),
            0);
  expect_same(all_starts(), {{{2}, {1.0}, 0}});
  // Line numbers count the blank lines before the declaration.
  EXPECT_EQ(warnings->text(), "Warning, line 7: Variable index '9' out of range.\n");
  warnings->clear();
  ASSERT_EQ(read(document("")), 0);
  EXPECT_EQ(warnings->text(), "Warning: no MIP start values read, no MIP start loaded.\n");
  expect_same(all_starts(), {{{2}, {1.0}, 0}});
}

TEST_F(MipStartXml, SolutionFilesBecomeTheOnlyStart) {
  ASSERT_EQ(add(kTwo), 0);
  const std::string one = document("  <variable index=\"0\" value=\"3\"/>\n");
  const std::string two =
      "<KORVASolutions>\n" + one.substr(one.find("<KORVASolution ")) + one.substr(one.find("<KORVASolution ")) +
      "</KORVASolutions>\n";
  ASSERT_EQ(read(two, false), 0);
  EXPECT_EQ(warnings->text(), "Warning: more than one solution read, only first one processed.\n");
  expect_same(all_starts(), {{{0}, {3.0}, 0}});
}

}  // namespace
