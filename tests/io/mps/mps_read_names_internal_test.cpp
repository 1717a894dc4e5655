// Names: the 255-byte limit with its warnings, and files whose names hold
// blanks, read by the fixed column positions.
#include "mps_read_fixture.h"

using korva::ReaderArrays;
using mps_test::count_of;
using mps_test::MpsReadTest;

namespace {

TEST_F(MpsReadTest, LongNamesAreCutAt255BytesOnACharacterBoundary) {
  // 254 ASCII bytes then a two-byte character: the cut falls inside it.
  const std::string name = std::string(254, 'a') + "\xc3\xa9" + "tail";
  const ReaderArrays m =
      read_ok("NAME\nROWS\n N obj\nCOLUMNS\n    " + name + "  obj  1\nENDATA\n");
  ASSERT_EQ(m.col_names.size(), 1u);
  EXPECT_EQ(m.col_names[0], std::string(254, 'a'));
  EXPECT_EQ(warnings->text(), "Warning, line 5:  '" + std::string(254, 'a') + "' truncated.\n");
}

TEST_F(MpsReadTest, TruncationWarningsStopAfterTwenty) {
  const std::string name(300, 'n');
  std::string text = "NAME\nROWS\n N obj\n";
  for (int k = 0; k < 22; ++k) text += " L r" + std::to_string(k) + "\n";
  text += "COLUMNS\n";
  for (int k = 0; k < 22; ++k) text += "    " + name + "  r" + std::to_string(k) + "  1\n";
  const ReaderArrays m = read_ok(text + "ENDATA\n");
  EXPECT_EQ(m.col_names, (std::vector<std::string>{std::string(255, 'n')}));
  EXPECT_EQ(count_of(warnings->text(), "' truncated.\n"), 20);
  EXPECT_NE(warnings->text().find("2 truncation warning messages not printed.\n"),
            std::string::npos);
}

// A line of the fixed layout: fields start in columns 2, 5, 15, 25, 40, 50.
std::string fixed_line(std::initializer_list<const char*> fields) {
  static const size_t kStart[] = {1, 4, 14, 24, 39, 49};
  std::string line;
  size_t k = 0;
  for (const char* f : fields) {
    line.resize(kStart[k++], ' ');
    line += f;
  }
  return line + "\n";
}

std::string fixed_model() {
  return "NAME          FIXED  (BLANKS)\nROWS\n" + fixed_line({"N", "COST"}) +
         fixed_line({"L", "LIM 1"}) + fixed_line({"G", "LIM 2"}) + "COLUMNS\n" +
         fixed_line({"", "X 1", "COST", "1.", "LIM 1", "2."}) +
         fixed_line({"", "X 1", "LIM 2", "1."}) +
         fixed_line({"", "Y", "COST", "-1.", "LIM 2", "1."}) + "RHS\n" +
         fixed_line({"", "RHS 1", "LIM 1", "4.", "LIM 2", "1."}) + "BOUNDS\n" +
         fixed_line({"UP", "BND 1", "X 1", "3."}) + "ENDATA\n";
}

TEST_F(MpsReadTest, NamesWithBlanksAreReadByColumns) {
  const ReaderArrays m = read_ok(fixed_model());
  EXPECT_EQ(m.row_names, (std::vector<std::string>{"LIM 1", "LIM 2"}));
  EXPECT_EQ(m.col_names, (std::vector<std::string>{"X 1", "Y"}));
  EXPECT_EQ(m.rhs, (std::vector<double>{4, 1}));
  EXPECT_EQ(m.ub, (std::vector<double>{3, 1e20}));
  EXPECT_EQ(m.matval, (std::vector<double>{2, 1, 1}));
  EXPECT_EQ(errors->text(), "");
  EXPECT_EQ(warnings->text(),
            "Warning:  Names contain blanks; '" + dir.file("model.mps") +
                "' read by fixed MPS columns.\n");
}

TEST_F(MpsReadTest, FreeFormatErrorStandsWhenColumnsDoNotFitEither) {
  // A blank in a name, but one line is off the column positions.
  std::string text = fixed_model();
  text.replace(text.find("    Y "), 6, "   Y  ");
  EXPECT_EQ(error_of(text), "KORVA Error  1445: Row 'LIM' repeats.\n");
  EXPECT_EQ(warnings->text(), "");
}

TEST_F(MpsReadTest, FreeFormatErrorStandsWithoutBlanksInNames) {
  // Aligned by columns, no blanks in names, an unknown row: both readings
  // fail and the free-format message is the one printed.
  const std::string text = "NAME\nROWS\n" + fixed_line({"N", "COST"}) + "COLUMNS\n" +
                           fixed_line({"", "X", "NOSUCH", "1."});
  EXPECT_EQ(error_of(text), "KORVA Error  1448: Line 5: 'NOSUCH' is not a row name.\n");
}

}  // namespace
