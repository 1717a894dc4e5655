// Row and column names: all or none per dimension, default names, lookup,
// the surplus convention of the name getters and the interface encoding.
#include "model_fixture.h"

using model_test::ModelTest;
using model_test::Names;

namespace {

using Strings = std::vector<std::string>;

TEST_F(ModelTest, UnnamedDimensionHasNoNames) {
  ASSERT_EQ(load(), 0);
  int surplus;
  char* name[1];
  char store[8];
  EXPECT_EQ(KRVgetcolname(env, lp, name, store, 8, &surplus, 0, 0), 1219);
  EXPECT_EQ(errors->text(), "KORVA Error  1219: No names exist.\n");
}

TEST_F(ModelTest, FirstNameGivesTheOthersTheirDefaults) {
  ASSERT_EQ(load(), 0);
  const int idx[] = {2};
  Names b{"b"};
  ASSERT_EQ(KRVchgcolname(env, lp, 1, idx, b.get()), 0);
  EXPECT_EQ(col_names(), (Strings{"x1", "x2", "b"}));
  EXPECT_EQ(row_names(), Strings{});
}

TEST_F(ModelTest, LookupFindsTheLowestIndex) {
  ASSERT_EQ(load(true), 0);
  ASSERT_EQ(KRVchgname(env, lp, 'c', 2, "y"), 0);
  int index = -1;
  ASSERT_EQ(KRVgetcolindex(env, lp, "y", &index), 0);
  EXPECT_EQ(index, 1);
  ASSERT_EQ(KRVgetrowindex(env, lp, "dem", &index), 0);
  EXPECT_EQ(index, 1);
}

TEST_F(ModelTest, UnknownNameIsNotFoundSilently) {
  ASSERT_EQ(load(true), 0);
  int index = -1;
  EXPECT_EQ(KRVgetcolindex(env, lp, "nope", &index), 1210);
  EXPECT_EQ(errors->text(), "");
  EXPECT_EQ(KRVgetcolindex(env, lp, nullptr, &index), 1004);
  EXPECT_EQ(KRVgetcolindex(env, lp, "x", nullptr), 1004);
}

TEST_F(ModelTest, LookupWithoutNamesIsReported) {
  ASSERT_EQ(load(), 0);
  int index;
  EXPECT_EQ(KRVgetrowindex(env, lp, "c1", &index), 1219);
  EXPECT_EQ(errors->text(), "KORVA Error  1219: No names exist.\n");
}

TEST_F(ModelTest, ZeroStoreSpaceReturnsMinusTheTotalLength) {
  ASSERT_EQ(load(true), 0);
  int surplus = 0;
  EXPECT_EQ(KRVgetrowname(env, lp, nullptr, nullptr, 0, &surplus, 0, 1), 1207);
  EXPECT_EQ(surplus, -8);  // "cap" and "dem" with terminators
  EXPECT_EQ(errors->text(), "");
}

TEST_F(ModelTest, NamesAreStoredBackToBack) {
  ASSERT_EQ(load(true), 0);
  char* name[2];
  char store[16];
  int surplus = 0;
  ASSERT_EQ(KRVgetcolname(env, lp, name, store, 16, &surplus, 1, 2), 0);
  EXPECT_EQ(surplus, 12);
  EXPECT_EQ(name[0], store);
  EXPECT_EQ(name[1], store + 2);
  EXPECT_STREQ(name[1], "z");
}

TEST_F(ModelTest, OtherKeysRenameNothing) {
  ASSERT_EQ(load(true), 0);
  EXPECT_EQ(KRVchgname(env, lp, 'x', 0, "q"), 0);
  EXPECT_EQ(col_names(), (Strings{"x", "y", "z"}));
  EXPECT_EQ(row_names(), (Strings{"cap", "dem"}));
  EXPECT_EQ(KRVchgname(env, lp, 'c', 0, nullptr), 1004);
}

TEST_F(ModelTest, AddedRowsWithoutNamesGetTheirDefaults) {
  Names rows{"a", "b", "c", "d", "e"};
  ASSERT_EQ(KRVnewrows(env, lp, 5, nullptr, nullptr, nullptr, rows.get()), 0);
  ASSERT_EQ(KRVnewrows(env, lp, 3, nullptr, nullptr, nullptr, nullptr), 0);
  EXPECT_EQ(row_names(), (Strings{"a", "b", "c", "d", "e", "c6", "c7", "c8"}));
}

TEST_F(ModelTest, NamedAdditionsNameEarlierItemsByDefault) {
  ASSERT_EQ(load(), 0);
  Names cols{"new"};
  ASSERT_EQ(KRVnewcols(env, lp, 1, nullptr, nullptr, nullptr, nullptr, cols.get()), 0);
  EXPECT_EQ(col_names(), (Strings{"x1", "x2", "x3", "new"}));
}

TEST_F(ModelTest, AddRowsNamesItsNewColumns) {
  ASSERT_EQ(load(true), 0);
  const int beg[] = {0}, ind[] = {3};
  const double val[] = {1};
  Names cols{"w"};
  ASSERT_EQ(KRVaddrows(env, lp, 1, 1, 1, nullptr, nullptr, beg, ind, val, cols.get(), nullptr),
            0);
  EXPECT_EQ(col_names(), (Strings{"x", "y", "z", "w"}));
  EXPECT_EQ(row_names(), (Strings{"cap", "dem", "c3"}));
}

TEST_F(ModelTest, DeletionsRemoveNames) {
  ASSERT_EQ(load(true), 0);
  ASSERT_EQ(KRVdelcols(env, lp, 0, 1), 0);
  ASSERT_EQ(KRVdelrows(env, lp, 1, 1), 0);
  EXPECT_EQ(col_names(), (Strings{"z"}));
  EXPECT_EQ(row_names(), (Strings{"cap"}));
}

TEST_F(ModelTest, DelNamesUnnamesBothDimensions) {
  ASSERT_EQ(load(true), 0);
  ASSERT_EQ(KRVdelnames(env, lp), 0);
  int index;
  EXPECT_EQ(KRVgetcolindex(env, lp, "x", &index), 1219);
  EXPECT_EQ(KRVgetrowindex(env, lp, "cap", &index), 1219);
}

TEST_F(ModelTest, DataCheckNamesTheBadIndexPosition) {
  ASSERT_EQ(load(), 0);
  set_param(KRV_PARAM_DATACHECK, 1);
  const int idx[] = {0, 3};
  Names n{"a", "b"};
  EXPECT_EQ(KRVchgcolname(env, lp, 2, idx, n.get()), 1201);
  EXPECT_EQ(errors->text(), "KORVA Error  1201: Column index 1 out of range.\n");
  errors->clear();
  EXPECT_EQ(KRVchgrowname(env, lp, 2, idx, n.get()), 1203);
  EXPECT_EQ(errors->text(), "KORVA Error  1203: Row index 1 out of range.\n");
  EXPECT_EQ(KRVgetcolname(env, lp, nullptr, nullptr, 0, nullptr, 0, 0), 1004);
}

TEST_F(ModelTest, RenamesManyTimesWithoutLosingNames) {
  ASSERT_EQ(load(true), 0);
  for (int k = 0; k < 5000; ++k) {
    const std::string name = "name_" + std::to_string(k);
    ASSERT_EQ(KRVchgname(env, lp, 'c', k % 3, name.c_str()), 0);
  }
  EXPECT_EQ(col_names(), (Strings{"name_4998", "name_4999", "name_4997"}));
}

TEST_F(ModelTest, ProblemNameChanges) {
  ASSERT_EQ(KRVchgprobname(env, lp, "other"), 0);
  char buf[8];
  int surplus;
  ASSERT_EQ(KRVgetprobname(env, lp, buf, 8, &surplus), 0);
  EXPECT_STREQ(buf, "other");
  EXPECT_EQ(KRVchgprobname(env, lp, nullptr), 1004);
}

// ---- interface encoding ------------------------------------------------------------------

TEST_F(ModelTest, NamesCrossTheInterfaceInItsEncoding) {
  ASSERT_EQ(load(), 0);
  // "été" in ISO-8859-1, the default interface encoding.
  ASSERT_EQ(KRVchgname(env, lp, 'c', 0, "\xE9t\xE9"), 0);
  int surplus = 0;
  EXPECT_EQ(KRVgetcolname(env, lp, nullptr, nullptr, 0, &surplus, 0, 0), 1207);
  EXPECT_EQ(surplus, -4);
  int index = -1;
  ASSERT_EQ(KRVgetcolindex(env, lp, "\xE9t\xE9", &index), 0);
  EXPECT_EQ(index, 0);

  // The same name read through a UTF-8 interface.
  ASSERT_EQ(KRVsetstrparam(env, KRV_PARAM_APIENCODING, "UTF-8"), 0);
  EXPECT_EQ(KRVgetcolname(env, lp, nullptr, nullptr, 0, &surplus, 0, 0), 1207);
  EXPECT_EQ(surplus, -6);
  EXPECT_EQ(col_names()[0], "\xC3\xA9t\xC3\xA9");
  ASSERT_EQ(KRVgetcolindex(env, lp, "\xC3\xA9t\xC3\xA9", &index), 0);
  EXPECT_EQ(index, 0);
}

TEST_F(ModelTest, ProblemNameIsConvertedToo) {
  int status = -1;
  KRVprob p = KRVcreateprob(env, &status, "caf\xE9");
  ASSERT_NE(p, nullptr);
  ASSERT_EQ(KRVsetstrparam(env, KRV_PARAM_APIENCODING, "UTF-8"), 0);
  char buf[16];
  int surplus;
  ASSERT_EQ(KRVgetprobname(env, p, buf, sizeof buf, &surplus), 0);
  EXPECT_STREQ(buf, "caf\xC3\xA9");
}

}  // namespace
