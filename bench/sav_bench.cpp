// SAV round trips and timings over model files.
//
//   sav_bench [--solve] [--dir TMP] FILE...
//       For each model file: reads it (KRVreadcopyprob, timed), writes it as
//       MPS and as SAV into TMP (default /tmp; times and sizes), reads both
//       back (times) and checks that the SAV copy is the same model bit for
//       bit (every number of the LP data, names, types, SOS, indicator and
//       quadratic counts). With --solve, the model (a MIP's LP relaxation)
//       is solved first, so that the SAV file carries the optimal basis; the
//       read copy must have the same basis and re-solve in 0 iterations
//       (presolve off for that solve).
//       One line per model; the exit status is 1 when any check failed.
//
// bench/sav_bench.py runs it over both shared collections.
#include <korva/korva.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "io/mps/mps_snapshot.h"

namespace {

double seconds_since(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

template <class F>
double timed(F f, int& status) {
  const auto start = std::chrono::steady_clock::now();
  status = f();
  return seconds_since(start);
}

bool same_bits(const std::vector<double>& a, const std::vector<double>& b) {
  return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0);
}

// The differences of two snapshots, by name ("" when none).
std::string differences(const mps_test::Snapshot& a, const mps_test::Snapshot& b) {
  std::string d;
  auto check = [&](bool same, const char* what) {
    if (!same) d += std::string(d.empty() ? "" : ",") + what;
  };
  check(a.objsense == b.objsense, "objsense");
  check(same_bits(a.obj, b.obj), "obj");
  check(same_bits(a.lb, b.lb), "lb");
  check(same_bits(a.ub, b.ub), "ub");
  check(same_bits(a.rhs, b.rhs), "rhs");
  check(same_bits(a.range, b.range), "range");
  check(a.sense == b.sense, "sense");
  check(a.ctype == b.ctype, "ctype");
  check(a.matbeg == b.matbeg && a.matind == b.matind, "pattern");
  check(same_bits(a.matval, b.matval), "matval");
  check(a.col_names == b.col_names, "colnames");
  check(a.row_names == b.row_names, "rownames");
  check(a.sos_types == b.sos_types && a.sos_beg == b.sos_beg && a.sos_ind == b.sos_ind &&
            same_bits(a.sos_wt, b.sos_wt),
        "sos");
  check(a.indicators == b.indicators && a.user_cuts == b.user_cuts && a.lazy_constraints == b.lazy_constraints,
        "parts");
  check(a.quad_beg == b.quad_beg && a.quad_ind == b.quad_ind && same_bits(a.quad_val, b.quad_val), "quad");
  return d;
}

bool basis(KRVenv env, KRVprob lp, std::vector<int>& c, std::vector<int>& r) {
  c.resize(KRVgetnumcols(env, lp));
  r.resize(KRVgetnumrows(env, lp));
  return KRVgetbase(env, lp, c.data(), r.data()) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  bool solve = false;
  std::string dir = "/tmp";
  std::vector<std::string> files;
  for (int k = 1; k < argc; ++k) {
    const std::string arg = argv[k];
    if (arg == "--solve") solve = true;
    else if (arg == "--dir" && k + 1 < argc) dir = argv[++k];
    else files.push_back(arg);
  }
  int status = 0;
  KRVenv env = KRVopenKORVA(&status);
  if (!env) return 2;
  KRVsetintparam(env, KRV_PARAM_SCRIND, 0);
  KRVsetintparam(env, KRV_PARAM_ADVIND, 1);
  std::printf("%-12s %9s %9s %9s %9s %9s %11s %11s %7s %s\n", "model", "read_in", "mps_wr", "sav_wr",
              "mps_rd", "sav_rd", "mps_bytes", "sav_bytes", "iters", "check");
  bool all_ok = true;
  for (const std::string& file : files) {
    std::string name = std::filesystem::path(file).filename().string();
    name = name.substr(0, name.find('.'));
    KRVprob lp = KRVcreateprob(env, &status, "bench");
    const double t_in = timed([&] { return KRVreadcopyprob(env, lp, file.c_str(), nullptr); }, status);
    if (status) {
      std::printf("%-12s read failed (%d)\n", name.c_str(), status);
      all_ok = false;
      KRVfreeprob(env, &lp);
      continue;
    }
    std::string check;
    // The types go through a file of their own; the basis needs an LP.
    const std::string typed_sav = dir + "/" + name + ".typed.sav";
    if (KRVgetprobtype(env, lp) != KRVPROB_LP) {
      KRVsavwrite(env, lp, typed_sav.c_str());
      KRVprob typed = KRVcreateprob(env, &status, "typed");
      if (KRVreadcopyprob(env, typed, typed_sav.c_str(), nullptr) != 0) check += "typed-read ";
      else if (std::string d = differences(mps_test::snapshot(env, lp), mps_test::snapshot(env, typed)); !d.empty())
        check += "typed:" + d + " ";
      KRVfreeprob(env, &typed);
      std::filesystem::remove(typed_sav);
      if (solve) KRVchgprobtype(env, lp, KRVPROB_LP);
    }
    if (solve && (KRVlpopt(env, lp) != 0 || KRVgetstat(env, lp) != KRV_STAT_OPTIMAL)) check += "nosolve ";
    const std::string mps = dir + "/" + name + ".bench.mps", sav = dir + "/" + name + ".bench.sav";
    const double t_mw = timed([&] { return KRVmpswrite(env, lp, mps.c_str()); }, status);
    const double t_sw = timed([&] { return KRVsavwrite(env, lp, sav.c_str()); }, status);
    if (status) check += "savwrite ";
    KRVprob from_mps = KRVcreateprob(env, &status, "mps");
    KRVprob from_sav = KRVcreateprob(env, &status, "sav");
    const double t_mr = timed([&] { return KRVreadcopyprob(env, from_mps, mps.c_str(), nullptr); }, status);
    const double t_sr = timed([&] { return KRVreadcopyprob(env, from_sav, sav.c_str(), nullptr); }, status);
    if (status) check += "savread ";
    const std::string d = differences(mps_test::snapshot(env, lp), mps_test::snapshot(env, from_sav));
    if (!d.empty()) check += d + " ";
    long long iterations = -1;
    if (solve) {
      std::vector<int> c1, r1, c2, r2;
      if (!basis(env, lp, c1, r1) || !basis(env, from_sav, c2, r2) || c1 != c2 || r1 != r2) check += "basis ";
      // Without presolve: it would map the start onto the reduced model
      // only approximately, and the basis itself is what is checked.
      KRVsetintparam(env, KRV_PARAM_PREIND, 0);
      if (KRVlpopt(env, from_sav) == 0) iterations = KRVgetitcnt(env, from_sav);
      KRVsetintparam(env, KRV_PARAM_PREIND, 1);
      if (iterations != 0) check += "iterations ";
    }
    const auto mps_bytes = std::filesystem::file_size(mps), sav_bytes = std::filesystem::file_size(sav);
    std::printf("%-12s %9.4f %9.4f %9.4f %9.4f %9.4f %11llu %11llu %7lld %s\n", name.c_str(), t_in, t_mw, t_sw,
                t_mr, t_sr, static_cast<unsigned long long>(mps_bytes), static_cast<unsigned long long>(sav_bytes),
                iterations, check.empty() ? "ok" : check.c_str());
    std::fflush(stdout);
    all_ok &= check.empty();
    std::filesystem::remove(mps);
    std::filesystem::remove(sav);
    KRVfreeprob(env, &from_mps);
    KRVfreeprob(env, &from_sav);
    KRVfreeprob(env, &lp);
  }
  KRVcloseKORVA(&env);
  return all_ok ? 0 : 1;
}
