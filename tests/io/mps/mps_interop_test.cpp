// The MPS files the library writes are read by other solvers: each collection
// model below is written with KRVmpswrite and solved by the command-line
// solvers that happen to be installed, which must find the collection's
// optimum. Models with ranges, bounds of every kind and free rows are
// among them. Skipped when no such solver is on the search path.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "mps_collections.h"
#include "support/korva_test.h"

namespace {

bool on_path(const char* program) {
  const std::string command = std::string("command -v ") + program + " >/dev/null 2>&1";
  return std::system(command.c_str()) == 0;
}

// Runs a shell command and returns what it printed.
std::string run(const std::string& command) {
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return out;
  char buffer[4096];
  while (size_t n = fread(buffer, 1, sizeof buffer, pipe)) out.append(buffer, n);
  pclose(pipe);
  return out;
}

// The number after the last occurrence of `label` in `text` (after an '='
// on the same line, if there is one), or NaN.
double number_after(const std::string& text, const std::string& label) {
  size_t at = text.rfind(label);
  if (at == std::string::npos) return std::nan("");
  at += label.size();
  const size_t equals = text.find('=', at);
  if (equals != std::string::npos && equals < text.find('\n', at)) at = equals + 1;
  return std::strtod(text.c_str() + at, nullptr);
}

double reference_optimum(const std::string& model) {
  for (const auto& row : mps_test::read_csv(korva_test::data_path("netlib/optimal.csv")))
    if (row[0] == model) return std::stod(row[1]);
  return std::nan("");
}

struct Peer {
  const char* program;
  // Command solving `file`; its output holds the objective after `label`.
  std::string (*command)(const std::string& file, const std::string& work);
  const char* label;
};

const Peer kPeers[] = {
    {"clp", [](const std::string& file, const std::string&) { return "clp " + file + " -solve 2>&1"; },
     "Optimal objective "},
    {"glpsol",
     [](const std::string& file, const std::string& work) {
       const std::string report = work + "/glpsol.txt";
       return "glpsol --freemps " + file + " -o " + report + " >/dev/null 2>&1; cat " + report;
     },
     "Objective:"},
};

class MpsInteropTest : public korva_test::EnvTest,
                       public ::testing::WithParamInterface<const char*> {
 protected:
  void SetUp() override {
    EnvTest::SetUp();
    KORVA_REQUIRE_SHARED_DATA();
  }
  korva_test::TempDir dir;
};

// Writes `model` with `writer` and checks that every installed peer solves
// the file to `expected` (from the reference optimum and the shift).
void expect_peers_solve(const std::string& written, double expected, const std::string& work) {
  int peers = 0;
  for (const Peer& peer : kPeers) {
    if (!on_path(peer.program)) continue;
    ++peers;
    const std::string output = run(peer.command(written, work));
    const double found = number_after(output, peer.label);
    EXPECT_NEAR(found, expected, 1e-6 * std::max(1.0, std::fabs(expected)))
        << peer.program << " on " << written << ":\n"
        << output;
  }
  if (peers == 0) GTEST_SKIP() << "neither clp nor glpsol is installed";
}

TEST_P(MpsInteropTest, PeersFindTheOptimumOfTheWrittenFile) {
  const std::string model = GetParam();
  int status = 0;
  KRVprob lp = KRVcreateprob(env, &status, model.c_str());
  const std::string source = korva_test::data_path("netlib/" + model + ".mps.gz");
  ASSERT_EQ(KRVreadcopyprob(env, lp, source.c_str(), nullptr), 0) << errors->text();
  const std::string written = dir.file(model + ".mps");
  ASSERT_EQ(KRVmpswrite(env, lp, written.c_str()), 0) << errors->text();
  KRVfreeprob(env, &lp);
  const double expected = reference_optimum(model);
  ASSERT_FALSE(std::isnan(expected));
  expect_peers_solve(written, expected, dir.file(""));
}

// The dual is a maximisation, which the file holds as the minimisation of
// the negated objective: peers find the shift minus the primal optimum.
TEST_P(MpsInteropTest, PeersSolveTheWrittenDualToThePrimalOptimum) {
  const std::string model = GetParam();
  int status = 0;
  KRVprob lp = KRVcreateprob(env, &status, model.c_str());
  const std::string source = korva_test::data_path("netlib/" + model + ".mps.gz");
  ASSERT_EQ(KRVreadcopyprob(env, lp, source.c_str(), nullptr), 0) << errors->text();
  const std::string written = dir.file(model + ".dual.mps");
  double shift = 0.0;
  ASSERT_EQ(KRVdualwrite(env, lp, written.c_str(), &shift), 0) << errors->text();
  KRVfreeprob(env, &lp);
  const double expected = reference_optimum(model);
  ASSERT_FALSE(std::isnan(expected));
  expect_peers_solve(written, shift - expected, dir.file(""));
}

// Ranges (boeing2, seba), negative upper bounds without lower bounds
// (etamacro, finnis, seba), free and minus-infinity bounds (vtpbase,
// stair); fixed columns, whose dual shift is nonzero (etamacro, finnis,
// stair, vtpbase).
INSTANTIATE_TEST_SUITE_P(LpCollection, MpsInteropTest,
                         ::testing::Values("afiro", "adlittle", "boeing2", "etamacro", "finnis",
                                           "seba", "stair", "vtpbase", "sc105"));

}  // namespace
