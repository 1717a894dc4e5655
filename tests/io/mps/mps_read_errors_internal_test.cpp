// Malformed files: every error of the reader with its line number, and the
// order the sections must come in.
#include "mps_read_fixture.h"

using mps_test::MpsReadTest;

namespace {

struct Case {
  const char* text;
  const char* error;
};

const Case kCases[] = {
    {"", "KORVA Error  1441: Line 1: No NAME section.\n"},
    {"ROWS\n N obj\n", "KORVA Error  1441: Line 1: No NAME section.\n"},
    {"* comment\n N obj\n", "KORVA Error  1441: Line 2: No NAME section.\n"},
    {"NAME\n", "KORVA Error  1471: Line 1: No ROWS section.\n"},
    {"NAME\nENDATA\n", "KORVA Error  1471: Line 2: No ROWS section.\n"},
    {"NAME\nROWS\n N obj\n", "KORVA Error  1472: Line 3: No COLUMNS section.\n"},
    {"NAME\nROWS\n N obj\nRHS\n", "KORVA Error  1472: Line 4: No COLUMNS section.\n"},
    {"NAME\nOBJSENSE\n    UP\n", "KORVA Error  1487: Line 3: Unrecognized objective sense 'UP'.\n"},
    {"NAME\nROWS\n X r\n", "KORVA Error  1453: Line 3: No row sense.\n"},
    {"NAME\nROWS\n E\n", "KORVA Error  1486: Line 3: No row name.\n"},
    {"NAME\nROWS\n L r\nCOLUMNS\n", "KORVA Error  1476: Line 4: No objective row found.\n"},
    {"NAME\nROWS\n N obj\nUSERCUTS\n N cut\n",
     "KORVA Error  1438: Line 5: Illegal lazy constraint or user cut.\n"},
    {"NAME\nROWS\n N obj\nCOLUMNS\n    x nosuch 1\n",
     "KORVA Error  1448: Line 5: 'nosuch' is not a row name.\n"},
    {"NAME\nROWS\n N obj\nCOLUMNS\n    x obj one\n",
     "KORVA Error  1434: Line 5: Couldn't convert 'one' to a number.\n"},
    {"NAME\nROWS\n N obj\nCOLUMNS\n    x obj 1\n    x obj 2\n",
     "KORVA Error  1443: Column 'x' has repeated row 'obj'.\n"},
    {"NAME\nROWS\n N obj\nCOLUMNS\n    x obj 1\n    y obj 1\n    x obj 1\nENDATA\n",
     "KORVA Error  1446: Column 'x' repeats.\n"},
    {"NAME\nROWS\n N obj\n L r\n L r\nCOLUMNS\n", "KORVA Error  1445: Row 'r' repeats.\n"},
    {"NAME\nROWS\n N obj\nCOLUMNS\n M 'MARKER' 'INTORG'\n M 'MARKER' 'INTORG'\n",
     "KORVA Error  1480: Line 6: 'INTORG' found while reading integers.\n"},
    {"NAME\nROWS\n N obj\nCOLUMNS\n M 'MARKER' 'INTEND'\n",
     "KORVA Error  1481: Line 5: 'INTEND' found while not reading integers.\n"},
    {"NAME\nROWS\n N obj\nCOLUMNS\n M 'MARKER' 'SOSORG'\n M 'MARKER' 'SOSORG'\n",
     "KORVA Error  1482: Line 6: 'SOSORG' found while reading a SOS.\n"},
    {"NAME\nROWS\n N obj\nCOLUMNS\n M 'MARKER' 'SOSEND'\n",
     "KORVA Error  1483: Line 5: 'SOSEND' found while not reading a SOS.\n"},
    {"NAME\nROWS\n N obj\nCOLUMNS\n    x obj 1\nSTUFF\n",
     "KORVA Error  1473: Line 6: Unrecognized section indicator.\n"
     "Expecting RANGES, BOUNDS, SOS, QMATRIX, or ENDATA.\n"},
    {"NAME\nROWS\n N obj\nCOLUMNS\n    x obj 1\nBOUNDS\nRHS\n",
     "KORVA Error  1475: Line 7: Unrecognized section indicator.\n"
     "Expecting QMATRIX or ENDATA.\n"},
    {"NAME\nROWS\n N obj\nCOLUMNS\n    x obj 1\nQMATRIX\nQUADOBJ\n",
     "KORVA Error  1462: Line 7: Unrecognized section indicator.\nExpecting ENDATA.\n"},
    {"NAME\nROWS\n N obj\nCOLUMNS\n    x obj 1\nQMATRIX\n    x nosuch 1\n",
     "KORVA Error  1449: Line 7: 'nosuch' is not a column name.\n"},
};

TEST_F(MpsReadTest, EveryErrorNamesItsLine) {
  for (const Case& c : kCases) EXPECT_EQ(error_of(c.text), c.error) << c.text;
}

TEST_F(MpsReadTest, ErrorsReturnTheCodeAsPrinted) {
  korva::ReaderArrays out;
  EXPECT_EQ(read("NAME\nROWS\n N obj\nCOLUMNS\n    x bad 1\n", out), -1448);
  EXPECT_EQ(out.num_cols(), 0);
}

TEST_F(MpsReadTest, RepeatedNamesArePrintedTwentyTimesThenCounted) {
  std::string text = "NAME\nROWS\n N obj\n";
  for (int k = 0; k < 23; ++k) text += " L r\n";
  const std::string printed = error_of(text + "COLUMNS\n");
  EXPECT_EQ(mps_test::count_of(printed, "KORVA Error  1445: Row 'r' repeats.\n"), 20);
  EXPECT_NE(printed.find("KORVA Error  1477: 2 Row repeats messages not printed.\n"),
            std::string::npos);
}

TEST_F(MpsReadTest, OverlongLineIsAnError) {
  const std::string text = "NAME\nROWS\n N obj\n" + std::string(50000, 'x') + "\n";
  EXPECT_EQ(error_of(text),
            "KORVA Error  1465: Line 4: Line longer than limit of 40042 characters.\n");
}

}  // namespace
