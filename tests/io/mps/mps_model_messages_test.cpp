// What the reader says about real models: the messages of the collection
// files whose contents call for one, exactly as printed, and nothing on
// the error channel.
#include <string>

#include "support/korva_test.h"

namespace {

class MpsModelMessagesTest : public korva_test::EnvTest {
 protected:
  void SetUp() override {
    EnvTest::SetUp();
    KORVA_REQUIRE_SHARED_DATA();
  }
  void read(const std::string& relative) {
    int status = 0;
    KRVprob lp = KRVcreateprob(env, &status, "model");
    path = korva_test::data_path(relative);
    EXPECT_EQ(KRVreadcopyprob(env, lp, path.c_str(), nullptr), 0) << errors->text();
    rows = KRVgetnumrows(env, lp);
    KRVfreeprob(env, &lp);
    EXPECT_EQ(errors->text(), "");
  }
  std::string path;
  int rows = 0;
};

// forplan's names hold blanks: the free-format reading fails, its errors
// are held back, and the file reads by columns.
TEST_F(MpsModelMessagesTest, NamesWithBlanksAreReadByColumns) {
  read("netlib/forplan.mps.gz");
  EXPECT_EQ(warnings->text(),
            "Warning:  Names contain blanks; '" + path + "' read by fixed MPS columns.\n");
  EXPECT_EQ(rows, 161);
}

TEST_F(MpsModelMessagesTest, ObjectiveEntryInRhsIsIgnoredWithItsLine) {
  read("netlib/grow7.mps.gz");
  EXPECT_EQ(warnings->text(), "Warning, line 1518:  OBJ coefficient in RHS section ignored.\n");
}

TEST_F(MpsModelMessagesTest, BlankRhsSetIsNamedRhs) {
  read("netlib/blend.mps.gz");
  EXPECT_EQ(warnings->text(), "Warning:  Blank RHS name changed to 'rhs'.\n");
}

TEST_F(MpsModelMessagesTest, FreeRowsAreDeletedWithTheirCount) {
  read("miplib3/dsbmip.mps.gz");
  EXPECT_EQ(results->text(), "  [672 free rows deleted]\n");
  EXPECT_EQ(rows, 1182);
}

// pilot has 36 columns with an upper bound of 0 and no lower bound: 20
// warnings, then the count of the others.
TEST_F(MpsModelMessagesTest, FixedColumnWarningsStopAtTwenty) {
  read("netlib/pilot.mps.gz");
  const std::string text = warnings->text();
  size_t fixed = 0;
  for (size_t at = text.find("is Fixed.\n"); at != std::string::npos;
       at = text.find("is Fixed.\n", at + 1))
    ++fixed;
  EXPECT_EQ(fixed, 20u);
  EXPECT_NE(text.find("Warning:  Column 'IDCHPN' in bound 'BOUND' is Fixed.\n"),
            std::string::npos);
  EXPECT_TRUE(text.size() >= 38 &&
              text.substr(text.size() - 38) == "16 Column-fixed warnings not printed.\n")
      << text;
}

}  // namespace
