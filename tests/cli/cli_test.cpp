// The korva program run as a separate process on the bundled examples and
// on models of the LP collection: summaries, conversions, solution output, exit codes.
#include <sys/wait.h>

#include <cstdio>
#include <string>

#include "support/korva_test.h"

namespace {

using korva_test::data_path;
using korva_test::read_file;
using korva_test::TempDir;
using korva_test::write_file;

struct Outcome {
  int code = -1;
  std::string out, err;
};

std::string example(const std::string& name) {
  return std::string(KORVA_SOURCE_DIR) + "/examples/models/" + name;
}

class CliTest : public ::testing::Test {
 protected:
  // Runs `korva <args>` with standard output and error kept apart.
  Outcome korva(const std::string& args) {
    const std::string err_file = dir.file("stderr.txt");
    const std::string command = std::string(KORVA_CLI) + " " + args + " 2>" + err_file;
    Outcome run;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return run;
    char buf[4096];
    for (size_t n; (n = fread(buf, 1, sizeof buf, pipe)) > 0;) run.out.append(buf, n);
    const int status = pclose(pipe);
    run.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.err = read_file(err_file);
    return run;
  }
  TempDir dir;
};

bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

TEST_F(CliTest, SolvesTheBundledDietModel) {
  const Outcome r = korva(example("diet.lp"));
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_TRUE(contains(r.out, "Iteration log . . .")) << r.out;
  EXPECT_TRUE(contains(r.out, "Status     : optimal\n")) << r.out;
  EXPECT_TRUE(contains(r.out, "Objective  : 1.8685714286e+00\n")) << r.out;
  EXPECT_TRUE(contains(r.out, "Iterations : ")) << r.out;
  EXPECT_TRUE(contains(r.out, "Solve time : ")) << r.out;
  EXPECT_EQ(r.err, "");
}

TEST_F(CliTest, QuietPrintsOnlyTheSummary) {
  const Outcome r = korva(example("transport.mps") + " --quiet");
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out.substr(0, r.out.find("Iterations")),
            "\nStatus     : optimal\nObjective  : 1.7075000000e+03\n");
}

TEST_F(CliTest, SolvesCompressedCollectionModelsWithEachMethod) {
  KORVA_REQUIRE_SHARED_DATA();
  for (const char* method : {"auto", "dual", "primal"}) {
    const Outcome r = korva(data_path("netlib/afiro.mps.gz") + " --quiet --method " + method);
    if (r.code == 2 && contains(r.err, "1292")) continue;  // method not built
    EXPECT_EQ(r.code, 0) << method << r.err;
    EXPECT_TRUE(contains(r.out, "Objective  : -4.6475314286e+02")) << method << r.out;
  }
}

TEST_F(CliTest, ConvertsBetweenFormatsWithoutSolving) {
  KORVA_REQUIRE_SHARED_DATA();
  const std::string lp = dir.file("afiro.lp");
  Outcome r = korva(data_path("netlib/afiro.mps.gz") + " --write " + lp + " --no-solve");
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_FALSE(contains(r.out, "Status")) << r.out;
  EXPECT_TRUE(contains(read_file(lp), "Subject To"));
  r = korva(lp + " --quiet");
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_TRUE(contains(r.out, "Objective  : -4.6475314286e+02")) << r.out;
}

TEST_F(CliTest, PrintsAndWritesTheSolution) {
  // The plain text form (a .sol name gets the XML solution file).
  const std::string sol = dir.file("diet.txt");
  const Outcome r = korva(example("diet.lp") + " --quiet --print-solution --solution " + sol);
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_TRUE(contains(r.out, "Variable                                Value\n")) << r.out;
  EXPECT_TRUE(contains(r.out, "bread                                       3\n")) << r.out;
  EXPECT_TRUE(contains(r.out, "Constraint                         Dual value\n")) << r.out;
  const std::string text = read_file(sol);
  EXPECT_EQ(text.substr(0, text.find('\n')), "status 1 optimal");
  EXPECT_TRUE(contains(text, "\nx 2 3\n")) << text;
  EXPECT_TRUE(contains(text, "\npi 0 ")) << text;
}

TEST_F(CliTest, SensitivityReportHasOneLinePerEntity) {
  const Outcome r = korva(example("diet.lp") + " --quiet --sensitivity");
  EXPECT_EQ(r.code, 0) << r.err;
  for (const char* part : {"\nObjective ranges\nVariable ", "\nRight-hand side ranges\nConstraint ",
                           "\nBound ranges\nVariable "})
    EXPECT_TRUE(contains(r.out, part)) << part << "\n" << r.out;
  // bread sits at its upper bound 3: its cost may rise until another food
  // is cheaper, and fall without limit.
  const size_t bread = r.out.find("\nbread ");
  ASSERT_NE(bread, std::string::npos) << r.out;
  const std::string line = r.out.substr(bread + 1, r.out.find('\n', bread + 1) - bread - 1);
  EXPECT_TRUE(contains(line, "at upper")) << line;
  EXPECT_TRUE(contains(line, "-inf")) << line;
  EXPECT_TRUE(contains(r.out, "\ncalcium ")) << r.out;
  size_t lines = 0;
  for (char c : r.out) lines += c == '\n';
  EXPECT_GE(lines, 6u + 5u + 6u + 6u) << r.out;
}

TEST_F(CliTest, ParametersByNameNumberAndFile) {
  KORVA_REQUIRE_SHARED_DATA();
  // An iteration limit of 1 stops the solve early: the status shows it.
  Outcome r = korva(data_path("netlib/afiro.mps.gz") +
                " --quiet --param KRV_PARAM_PREIND=0 --param 1020=1");
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_FALSE(contains(r.out, "Status     : optimal")) << r.out;
  const std::string prm = dir.file("limits.prm");
  write_file(prm, "KORVA Parameter File Version 1.0.0.0\nKRV_PARAM_ITLIM                  1\n");
  r = korva(data_path("netlib/afiro.mps.gz") + " --quiet --params " + prm);
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_FALSE(contains(r.out, "Status     : optimal")) << r.out;
}

TEST_F(CliTest, MixedIntegerModelsShowTheNodeLogAndTheIncumbent) {
  const Outcome r = korva(example("knapsack.lp") + " --print-solution");
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_TRUE(contains(r.out, "   Node  Left     Objective  IInf  Best Integer    Best Bound    ItCnt     Gap"))
      << r.out;
  EXPECT_TRUE(contains(r.out, "Status     : integer optimal solution")) << r.out;
  EXPECT_TRUE(contains(r.out, "Objective  : 4.8000000000e+01")) << r.out;
  EXPECT_TRUE(contains(r.out, "Best bound : 4.8000000000e+01")) << r.out;
  // The incumbent leaves the tent behind and has no dual values.
  EXPECT_TRUE(contains(r.out, "stove")) << r.out;
  EXPECT_FALSE(contains(r.out, "tent ")) << r.out;
  EXPECT_FALSE(contains(r.out, "Dual value")) << r.out;
  EXPECT_TRUE(r.err.empty()) << r.err;
}

TEST_F(CliTest, BadInputsGiveOneClearLineAndAnExitCode) {
  struct Case {
    std::string args;
    int code;
    std::string message;
  };
  const std::string model = example("diet.lp");
  const Case cases[] = {
      {"", 1, "korva: no model file given"},
      {model + " --frobnicate", 1, "korva: unknown option '--frobnicate'"},
      {model + " --method simplex", 1, "korva: unknown method 'simplex'"},
      {model + " --time-limit soon", 1, "--time-limit needs a non-negative number of seconds"},
      {model + " --threads -2", 1, "--threads needs a non-negative count"},
      {model + " --param KRV_PARAM_NOSUCH=1", 1, "korva: unknown parameter 'KRV_PARAM_NOSUCH'"},
      {model + " --param KRV_PARAM_EPRHS=tiny", 1, "is not a valid value for KRV_PARAM_EPRHS"},
      {model + " --param KRV_PARAM_EPRHS=5", 1, "korva: cannot set KRV_PARAM_EPRHS to 5"},
      {model + " " + model, 1, "more than one model file given"},
      {dir.file("missing.lp"), 2, "korva: reading the model failed (error 1423)"},
      {model + " --params " + dir.file("missing.prm"), 1, ""},
  };
  for (const Case& c : cases) {
    const Outcome r = korva(c.args);
    EXPECT_EQ(r.code, c.code) << c.args << "\n" << r.err;
    EXPECT_TRUE(contains(r.err, c.message)) << c.args << "\n" << r.err;
    EXPECT_FALSE(contains(r.out, "Status")) << c.args;
  }
}

TEST_F(CliTest, MalformedModelFileIsALibraryError) {
  const std::string bad = dir.file("bad.lp");
  write_file(bad, "Minimize\n obj: x\nBounds\n 4 x\nEnd\n");
  const Outcome r = korva(bad);
  EXPECT_EQ(r.code, 2);
  EXPECT_TRUE(contains(r.err, "KORVA Error")) << r.err;
}

TEST_F(CliTest, HelpDocumentsEveryOptionAndVersionNamesTheLibrary) {
  const Outcome help = korva("--help");
  EXPECT_EQ(help.code, 0);
  for (const char* option : {"--method", "--time-limit", "--threads", "--param ", "--params",
                             "--type", "--write", "--no-solve", "--solution", "--print-solution",
                             "--sensitivity", "--quiet", "--help", "--version"})
    EXPECT_TRUE(contains(help.out, option)) << option;
  const Outcome version = korva("--version");
  EXPECT_EQ(version.code, 0);
  EXPECT_EQ(version.out.rfind("korva ", 0), 0u) << version.out;
}

}  // namespace
