// The solution pool through the C interface: every entry without a pool,
// the argument errors of the filter entries, filters added, read back,
// renamed by default, found by name and deleted, and the filter files
// written and read back, with the reader's warnings and its refusals of
// bad files. (What a search puts into the pool is tested where the search
// offers its solutions.)
#include <string>
#include <vector>

#include "mip/pool_models.h"

namespace {

class SolutionPoolApi : public mip_test::MipTest {
 protected:
  void SetUp() override {
    MipTest::SetUp();
    ASSERT_EQ(pool_test::pool_model().load(env, lp), 0);
  }
  int add_diversity(std::vector<int> ind, std::vector<double> ref, const double* weights, const char* name,
                    double lower = 0.0, double upper = 2.0) {
    return KRVaddsolnpooldivfilter(env, lp, lower, upper, static_cast<int>(ind.size()), ind.data(), weights,
                                   ref.data(), name);
  }
  int add_range(std::vector<int> ind, std::vector<double> val, const char* name, double lb = 1.0,
                double ub = 4.5) {
    return KRVaddsolnpoolrngfilter(env, lp, lb, ub, static_cast<int>(ind.size()), ind.data(), val.data(), name);
  }
  std::string filter_name(int which) {
    char buf[64];
    int surplus = 0;
    EXPECT_EQ(KRVgetsolnpoolfiltername(env, lp, buf, sizeof buf, &surplus, which), 0);
    return buf;
  }
  void name_columns() {
    const char* names[] = {"a", "b&c", "d<e>", "f'g", "h\"i", "j"};
    const int ind[] = {0, 1, 2, 3, 4, 5};
    ASSERT_EQ(KRVchgcolname(env, lp, 6, ind, const_cast<char**>(names)), 0);
  }
  korva_test::TempDir dir;
};

// A filter as the C interface reports it.
struct FilterData {
  int type = 0;
  std::string name;
  double lower = 0, upper = 0;
  std::vector<int> ind;
  std::vector<double> values, weights;
  bool operator==(const FilterData&) const = default;
};

FilterData read_filter(KRVenv env, KRVprob lp, int which) {
  FilterData f;
  EXPECT_EQ(KRVgetsolnpoolfiltertype(env, lp, &f.type, which), 0);
  char buf[300];
  int surplus = 0;
  EXPECT_EQ(KRVgetsolnpoolfiltername(env, lp, buf, sizeof buf, &surplus, which), 0);
  f.name = buf;
  int nz = 0;
  f.ind.resize(8);
  f.values.resize(8);
  if (f.type == KRV_FILTER_DIVERSITY) {
    f.weights.resize(8);
    EXPECT_EQ(KRVgetsolnpooldivfilter(env, lp, &f.lower, &f.upper, &nz, f.ind.data(), f.weights.data(),
                                      f.values.data(), 8, &surplus, which),
              0);
    f.weights.resize(static_cast<size_t>(nz));
  } else {
    EXPECT_EQ(KRVgetsolnpoolrngfilter(env, lp, &f.lower, &f.upper, &nz, f.ind.data(), f.values.data(), 8, &surplus,
                                      which),
              0);
  }
  f.ind.resize(static_cast<size_t>(nz));
  f.values.resize(static_cast<size_t>(nz));
  return f;
}

std::vector<FilterData> all_filters(KRVenv env, KRVprob lp) {
  std::vector<FilterData> all;
  for (int k = 0; k < KRVgetsolnpoolnumfilters(env, lp); ++k) all.push_back(read_filter(env, lp, k));
  return all;
}

TEST_F(SolutionPoolApi, WithoutAPoolTheQueriesSayThereIsNone) {
  double v = 0, x[6];
  char buf[16];
  int surplus = 0, index = 0, type = 0, nz = 0, delstat[1] = {0};
  const std::vector<std::pair<const char*, int>> calls = {
      {"objval", KRVgetsolnpoolobjval(env, lp, 0, &v)},
      {"x", KRVgetsolnpoolx(env, lp, 0, x, 0, 5)},
      {"slack", KRVgetsolnpoolslack(env, lp, 0, x, 0, 2)},
      {"qconstrslack", KRVgetsolnpoolqconstrslack(env, lp, 0, x, 0, -1)},
      {"mean", KRVgetsolnpoolmeanobjval(env, lp, &v)},
      {"name", KRVgetsolnpoolsolnname(env, lp, buf, sizeof buf, &surplus, 0)},
      {"index", KRVgetsolnpoolsolnindex(env, lp, "p1", &index)},
      {"del", KRVdelsolnpoolsolns(env, lp, 0, 0)},
      {"delset", KRVdelsetsolnpoolsolns(env, lp, delstat)},
      {"fixed", KRVchgprobtypesolnpool(env, lp, KRVPROB_FIXEDMILP, 0)},
      {"filtertype", KRVgetsolnpoolfiltertype(env, lp, &type, 0)},
      {"divfilter", KRVgetsolnpooldivfilter(env, lp, &v, &v, &nz, nullptr, nullptr, nullptr, 0, &surplus, 0)},
      {"rngfilter", KRVgetsolnpoolrngfilter(env, lp, &v, &v, &nz, nullptr, nullptr, 0, &surplus, 0)},
      {"filtername", KRVgetsolnpoolfiltername(env, lp, buf, sizeof buf, &surplus, 0)},
      {"filterindex", KRVgetsolnpoolfilterindex(env, lp, "f1", &index)},
      {"delfilters", KRVdelsolnpoolfilters(env, lp, 0, 0)},
      {"delsetfilters", KRVdelsetsolnpoolfilters(env, lp, delstat)},
      {"fltwrite", KRVfltwrite(env, lp, dir.file("none.flt").c_str())},
  };
  for (const auto& [what, code] : calls) EXPECT_EQ(code, 3024) << what;
  EXPECT_NE(errors->text().find("KORVA Error  3024: No solution pool exists.\n"), std::string::npos);
  EXPECT_EQ(KRVgetsolnpoolnumsolns(env, lp), 0);
  EXPECT_EQ(KRVgetsolnpoolnumreplaced(env, lp), 0);
  EXPECT_EQ(KRVgetsolnpoolnumfilters(env, lp), 0);
}

TEST_F(SolutionPoolApi, FiltersNeedAMixedIntegerProblem) {
  ASSERT_EQ(pool_test::pool_model().load(env, lp, true), 0);
  const int ind[] = {0};
  const double val[] = {1.0};
  EXPECT_EQ(KRVaddsolnpoolrngfilter(env, lp, 0, 1, 1, ind, val, nullptr), 3003);
  EXPECT_EQ(KRVaddsolnpooldivfilter(env, lp, 0, 1, 1, ind, nullptr, val, nullptr), 3003);
  const std::string path = dir.file("any.flt");
  korva_test::write_file(path, "<KORVAFilters version=\"1.2\"/>\n");
  EXPECT_EQ(KRVreadcopysolnpoolfilters(env, lp, path.c_str()), 3003);
  EXPECT_EQ(KRVgetsolnpoolnumfilters(env, lp), 0);
}

TEST_F(SolutionPoolApi, BadFilterArgumentsChangeNothing) {
  ASSERT_EQ(add_range({4}, {1.0}, "kept"), 0);
  const int ind[] = {0, 1};
  const double ref[] = {1.0, 0.0};
  EXPECT_EQ(KRVaddsolnpooldivfilter(env, lp, 0, 1, -1, ind, nullptr, ref, nullptr), 1003);
  EXPECT_EQ(KRVaddsolnpoolrngfilter(env, lp, 0, 1, -1, ind, ref, nullptr), 1003);
  EXPECT_EQ(KRVaddsolnpooldivfilter(env, lp, 0, 1, 2, nullptr, nullptr, ref, nullptr), 1004);
  EXPECT_EQ(KRVaddsolnpooldivfilter(env, lp, 0, 1, 2, ind, nullptr, nullptr, nullptr), 1004);
  EXPECT_EQ(KRVaddsolnpoolrngfilter(env, lp, 0, 1, 2, ind, nullptr, nullptr), 1004);
  EXPECT_EQ(add_range({0, 6}, {1.0, 1.0}, nullptr), 1200);
  EXPECT_EQ(add_diversity({-1}, {1.0}, nullptr, nullptr), 1200);
  EXPECT_EQ(add_diversity({0, 4}, {1.0, 2.0}, nullptr, nullptr), 3414) << "column 4 is integer, not binary";
  EXPECT_EQ(add_diversity({5}, {0.0}, nullptr, nullptr), 3414) << "column 5 is continuous";
  EXPECT_NE(errors->text().find("KORVA Error  3414: Diversity filter has non-binary variable.\n"), std::string::npos);
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_DATACHECK, 1), 0);
  errors->clear();
  EXPECT_EQ(add_range({0, 6}, {1.0, 1.0}, nullptr), 1201);
  EXPECT_NE(errors->text().find("Column index 1 out of range"), std::string::npos);
  EXPECT_EQ(KRVgetsolnpoolnumfilters(env, lp), 1);
  EXPECT_EQ(filter_name(0), "kept");
  // Empty filters need no arrays.
  EXPECT_EQ(KRVaddsolnpoolrngfilter(env, lp, 0, 1, 0, nullptr, nullptr, nullptr), 0);
  EXPECT_EQ(KRVgetsolnpoolnumfilters(env, lp), 2);
}

TEST_F(SolutionPoolApi, FiltersReadBackAsTheyWereGiven) {
  const double weights[] = {2.0, 0.5};
  ASSERT_EQ(add_diversity({0, 2}, {1.0, 0.0}, weights, "near", 1.0, 3.0), 0);
  ASSERT_EQ(add_diversity({1, 3}, {0.0, 1.0}, nullptr, nullptr), 0);
  ASSERT_EQ(add_range({4, 5}, {2.0, -1.5}, nullptr, -3.0, 7.0), 0);
  ASSERT_EQ(KRVgetsolnpoolnumfilters(env, lp), 3);

  const std::vector<FilterData> expected = {
      {KRV_FILTER_DIVERSITY, "near", 1.0, 3.0, {0, 2}, {1.0, 0.0}, {2.0, 0.5}},
      {KRV_FILTER_DIVERSITY, "f1", 0.0, 2.0, {1, 3}, {0.0, 1.0}, {1.0, 1.0}},
      {KRV_FILTER_RANGE, "f2", -3.0, 7.0, {4, 5}, {2.0, -1.5}, {}},
  };
  EXPECT_EQ(all_filters(env, lp), expected);

  int index = -1;
  ASSERT_EQ(KRVgetsolnpoolfilterindex(env, lp, "f2", &index), 0);
  EXPECT_EQ(index, 2);
  errors->clear();
  EXPECT_EQ(KRVgetsolnpoolfilterindex(env, lp, "far", &index), 1210);
  EXPECT_EQ(errors->text(), "");

  // The list under the surplus convention, and the wrong type or index.
  double lo = 0, up = 0, val[2];
  int ind[2], nz = -1, surplus = 0, type = 0;
  EXPECT_EQ(KRVgetsolnpoolrngfilter(env, lp, &lo, &up, &nz, ind, val, 1, &surplus, 2), 1207);
  EXPECT_EQ(surplus, -1);
  EXPECT_EQ(nz, 0);
  EXPECT_EQ(KRVgetsolnpoolrngfilter(env, lp, &lo, &up, &nz, nullptr, nullptr, 0, &surplus, 2), 1207);
  EXPECT_EQ(surplus, -2);
  EXPECT_EQ(KRVgetsolnpoolrngfilter(env, lp, &lo, &up, &nz, ind, val, 2, nullptr, 2), 1004);
  EXPECT_EQ(KRVgetsolnpoolrngfilter(env, lp, &lo, &up, &nz, ind, val, 2, &surplus, 0), 1003);
  EXPECT_EQ(KRVgetsolnpooldivfilter(env, lp, &lo, &up, &nz, ind, nullptr, val, 2, &surplus, 2), 1003);
  EXPECT_EQ(KRVgetsolnpoolfiltertype(env, lp, &type, 3), 1200);
  EXPECT_EQ(KRVgetsolnpoolfiltertype(env, lp, &type, -1), 1200);
  EXPECT_EQ(KRVgetsolnpoolfiltertype(env, lp, nullptr, 0), 1004);
  char small[3];
  EXPECT_EQ(KRVgetsolnpoolfiltername(env, lp, small, sizeof small, &surplus, 0), 1207);
  EXPECT_EQ(surplus, -2);
}

TEST_F(SolutionPoolApi, DeletingFiltersRenumbersThemAndEmptiesThePool) {
  for (const char* name : {"a", "b", "c", "d"}) ASSERT_EQ(add_range({4}, {1.0}, name), 0);
  EXPECT_EQ(KRVdelsolnpoolfilters(env, lp, 2, 4), 1200);
  EXPECT_NE(errors->text().find("KRVdelsolnpoolfilters: 'end' value 4 is greater than 3"), std::string::npos);
  EXPECT_EQ(KRVdelsolnpoolfilters(env, lp, -1, 0), 1200);
  EXPECT_NE(errors->text().find("KRVdelsolnpoolfilters: 'begin' value -1 is less than 0"), std::string::npos);
  EXPECT_EQ(KRVgetsolnpoolnumfilters(env, lp), 4);
  ASSERT_EQ(KRVdelsolnpoolfilters(env, lp, 1, 1), 0);
  EXPECT_EQ(KRVdelsolnpoolfilters(env, lp, 2, 1), 0) << "an empty range";
  int delstat[] = {0, 1, 0};
  ASSERT_EQ(KRVdelsetsolnpoolfilters(env, lp, delstat), 0);
  EXPECT_EQ(std::vector<int>(delstat, delstat + 3), (std::vector<int>{0, -1, 1}));
  EXPECT_EQ(filter_name(0), "a");
  EXPECT_EQ(filter_name(1), "d");
  EXPECT_EQ(KRVdelsetsolnpoolfilters(env, lp, nullptr), 1004);
  ASSERT_EQ(KRVdelsolnpoolfilters(env, lp, 0, 1), 0);
  int type = 0;
  EXPECT_EQ(KRVgetsolnpoolfiltertype(env, lp, &type, 0), 3024) << "a pool with nothing left goes";
  ASSERT_EQ(add_range({4}, {1.0}, nullptr), 0);
  EXPECT_EQ(filter_name(0), "f1");
}

TEST_F(SolutionPoolApi, FilterFilesHaveTheDocumentedLayout) {
  name_columns();
  const double weights[] = {2.0, 0.25};
  ASSERT_EQ(add_diversity({0, 2}, {1.0, 0.0}, weights, "near&far", 1.0, 3.5), 0);
  ASSERT_EQ(add_range({4, 5}, {2.0, -1e-7}, "budget", -1e20, 4.5), 0);
  ASSERT_EQ(add_diversity({}, {}, nullptr, "empty"), 0);
  const std::string path = dir.file("filters.flt");
  ASSERT_EQ(KRVfltwrite(env, lp, path.c_str()), 0);
  EXPECT_EQ(korva_test::read_file(path),
            "<?xml version = \"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
            "<KORVAFilters version=\"1.2\">\n"
            " <filter type=\"diversity\" name=\"near&amp;far\" lowerCutoff=\"1\" upperCutoff=\"3.5\">\n"
            "  <variable name=\"a\" index=\"0\" weight=\"2\" reference=\"1\"/>\n"
            "  <variable name=\"d&lt;e&gt;\" index=\"2\" weight=\"0.25\" reference=\"0\"/>\n"
            " </filter>\n"
            " <filter type=\"range\" name=\"budget\" lowerBound=\"-1e+20\" upperBound=\"4.5\">\n"
            "  <variable name=\"h&quot;i\" index=\"4\" value=\"2\"/>\n"
            "  <variable name=\"j\" index=\"5\" value=\"-1e-7\"/>\n"
            " </filter>\n"
            " <filter type=\"diversity\" name=\"empty\" lowerCutoff=\"0\" upperCutoff=\"2\"/>\n"
            "</KORVAFilters>\n");
}

TEST_F(SolutionPoolApi, FilterFilesReadBackWithAndWithoutNames) {
  for (bool names : {false, true}) {
    SCOPED_TRACE(names ? "names" : "no names");
    KRVfreeprob(env, &lp);
    int status = 0;
    lp = KRVcreateprob(env, &status, "fresh");
    ASSERT_EQ(pool_test::pool_model().load(env, lp), 0);
    if (names) name_columns();
    const double weights[] = {3.0, 0.125};
    ASSERT_EQ(add_diversity({1, 3}, {0.0, 1.0}, weights, "w"), 0);
    ASSERT_EQ(add_diversity({0}, {1.0}, nullptr, nullptr), 0);
    ASSERT_EQ(add_range({5, 4, 0}, {0.1, 2.0, -7.0}, "r", 0.3, 1e20), 0);
    const std::vector<FilterData> before = all_filters(env, lp);
    const std::string path = dir.file(names ? "named.flt.gz" : "plain.flt");
    ASSERT_EQ(KRVfltwrite(env, lp, path.c_str()), 0);
    ASSERT_EQ(KRVdelsolnpoolfilters(env, lp, 0, 2), 0);
    ASSERT_EQ(add_range({4}, {1.0}, "replaced"), 0);
    ASSERT_EQ(KRVreadcopysolnpoolfilters(env, lp, path.c_str()), 0);
    EXPECT_EQ(all_filters(env, lp), before);
    EXPECT_EQ(warnings->text(), "");
  }
}

TEST_F(SolutionPoolApi, FilterReaderWarnsAboutEntriesItSkips) {
  name_columns();
  const std::string path = dir.file("warnings.flt");
  korva_test::write_file(path,
                         "<?xml version=\"1.0\"?>\n"
                         "<KORVAFilters version=\"1.2\">\n"
                         " <filter type=\"range\" name=\"r\" lowerBound=\"0\" upperBound=\"5\">\n"
                         "  <variable name=\"nosuch\" index=\"0\" value=\"1\"/>\n"
                         "  <variable name=\"j\" index=\"99\" value=\"1\"/>\n"
                         "  <variable name=\"j\" value=\"4\"/>\n"
                         "  <variable name=\"a\" value=\"1\"/>\n"
                         " </filter>\n"
                         " <filter type=\"other\" name=\"x\"/>\n"
                         " <filter type=\"diversity\">\n"
                         "  <variable name=\"b&amp;c\" weight=\"2\" reference=\"1\"/>\n"
                         "  <variable name=\"a\" reference=\"0\"/>\n"
                         " </filter>\n"
                         "</KORVAFilters>\n");
  ASSERT_EQ(KRVreadcopysolnpoolfilters(env, lp, path.c_str()), 0);
  EXPECT_EQ(warnings->text(),
            "Warning, line 4: 'nosuch' is not a variable.\n"
            "Warning, line 6: repeated entry for 'j'.\n"
            "Warning, line 9: 'other' is not a filter type.\n");
  const std::vector<FilterData> expected = {
      {KRV_FILTER_RANGE, "r", 0.0, 5.0, {5, 0}, {4.0, 1.0}, {}},
      {KRV_FILTER_DIVERSITY, "f1", 0.0, 1e75, {1, 0}, {1.0, 0.0}, {2.0, 1.0}},
  };
  EXPECT_EQ(all_filters(env, lp), expected);
}

TEST_F(SolutionPoolApi, FilterReaderPrintsTwentyWarningsAndCountsTheRest) {
  std::string text = "<KORVAFilters version=\"1.2\">\n <filter type=\"range\" name=\"r\">\n";
  for (int k = 0; k < 25; ++k) text += "  <variable index=\"" + std::to_string(100 + k) + "\" value=\"1\"/>\n";
  text += " </filter>\n</KORVAFilters>\n";
  const std::string path = dir.file("many.flt");
  korva_test::write_file(path, text);
  ASSERT_EQ(KRVreadcopysolnpoolfilters(env, lp, path.c_str()), 0);
  std::string expected;
  for (int k = 0; k < 20; ++k)
    expected += "Warning, line " + std::to_string(3 + k) + ": Variable index '" + std::to_string(100 + k) +
                "' out of range.\n";
  expected += "5 warnings not printed.\n";
  EXPECT_EQ(warnings->text(), expected);
}

TEST_F(SolutionPoolApi, BadFilterFilesLeaveTheFiltersAlone) {
  ASSERT_EQ(add_range({4}, {1.0}, "kept"), 0);
  const std::vector<FilterData> before = all_filters(env, lp);
  struct Case {
    const char* what;
    std::string text;
    int code;
    std::string message;
  };
  const std::string head = "<KORVAFilters version=\"1.2\">\n <filter type=\"range\" name=\"r\">\n";
  const std::vector<Case> cases = {
      {"malformed", head + "  <variable index=\"0\" value=\"1\">\n </filter>\n</KORVAFilters>\n", 1425,
       "KORVA Error  1425: XML parsing error at line 4: mismatched tag.\n"},
      {"bad number", head + "  <variable index=\"0\" value=\"1x\"/>\n </filter>\n</KORVAFilters>\n", 1434,
       "KORVA Error  1434: Line 3: Couldn't convert '1x' to a number.\n"},
      {"other root", "<KORVASolution version=\"1.2\"/>\n", 1425,
       "KORVA Error  1425: XML parsing error at line 1: the document is not a filter file.\n"},
      {"non-binary", "<KORVAFilters>\n <filter type=\"diversity\">\n  <variable index=\"4\"/>\n </filter>\n</KORVAFilters>\n",
       3414, "KORVA Error  3414: Diversity filter has non-binary variable.\n"},
  };
  for (const Case& c : cases) {
    const std::string path = dir.file("bad.flt");
    korva_test::write_file(path, c.text);
    errors->clear();
    EXPECT_EQ(KRVreadcopysolnpoolfilters(env, lp, path.c_str()), c.code) << c.what;
    EXPECT_EQ(errors->text(), c.message) << c.what;
    EXPECT_EQ(all_filters(env, lp), before) << c.what;
  }
  errors->clear();
  EXPECT_EQ(KRVreadcopysolnpoolfilters(env, lp, dir.file("missing.flt").c_str()), 1423);
  EXPECT_EQ(KRVreadcopysolnpoolfilters(env, lp, nullptr), 1421);
  EXPECT_EQ(KRVfltwrite(env, lp, nullptr), 1421);
  EXPECT_EQ(all_filters(env, lp), before);
}

TEST_F(SolutionPoolApi, FixingNeedsAPoolSolution) {
  EXPECT_EQ(KRVchgprobtypesolnpool(env, lp, KRVPROB_FIXEDMILP, 0), 3024);
  EXPECT_EQ(KRVchgprobtypesolnpool(env, lp, 99, 0), 1022);
  // Changing to a type that fixes nothing works as KRVchgprobtype.
  EXPECT_EQ(KRVchgprobtypesolnpool(env, lp, KRVPROB_MIQP, 7), 0);
  EXPECT_EQ(KRVgetprobtype(env, lp), KRVPROB_MIQP);
  ASSERT_EQ(KRVchgprobtypesolnpool(env, lp, KRVPROB_LP, 0), 0);
  EXPECT_EQ(KRVchgprobtypesolnpool(env, lp, KRVPROB_FIXEDMILP, 0), 1024);
}

}  // namespace
