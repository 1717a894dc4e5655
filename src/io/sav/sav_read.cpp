#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "env/channel.h"
#include "env/environment.h"
#include "env/errors.h"
#include "io/sav/ber_reader.h"
#include "io/sav/sav.h"
#include "io/stream.h"

namespace korva::sav {
namespace {

constexpr int kNotSav = 1560;         // "File '%s' is not a SAV file"
constexpr int kNotEnoughData = 1561;  // "Not enough data in SAV file"
constexpr int kIncompatible = 1563;   // "File '%s' has an incompatible format"
constexpr int kCannotInterpret = 1564;

// Sections whose extra contents are reported, in the order of the report.
enum Section { kSecNames, kSecLp, kSecMip, kSecQuad, kSecIndicators, kSecStart, kSectionCount };
constexpr const char* kSkippedLines[kSectionCount] = {
    "Warning: - additional names ignored\n",       "Warning: - additional LP data ignored.\n",
    "Warning: - additional MIP data ignored.\n",   "Warning: - additional QP data ignored.\n",
    "Warning: - additional indicator information ignored.\n",
    "Warning: - additional starting information ignored.\n",
};

#define SAV_TRY(expr)            \
  do {                           \
    if (int s_ = (expr)) return s_; \
  } while (0)

int read_header(BerReader& r) {
  SAV_TRY(r.open_application(kRoot));
  SAV_TRY(r.open_application(kHeader));
  int64_t version = 0;
  SAV_TRY(r.integer(version));
  if (version < 1) return kUninterpretable;
  std::string text;
  SAV_TRY(r.open_application(kHeaderText));
  SAV_TRY(r.text(text));
  bool skipped = false;
  SAV_TRY(r.close(skipped));
  if (text != kFormatText) return kUninterpretable;
  return kOk;
}

class SavReader {
 public:
  SavReader(BerReader& r, ReaderArrays& a) : r_(r), a_(a) {}
  bool skipped[kSectionCount] = {};
  bool skipped_elsewhere = false;

  // After the header's format text.
  int run() {
    // The rest of the header: the library version that wrote the file.
    SAV_TRY(r_.open_application(kHeaderText));
    std::string version;
    bool is_text = false;
    int64_t none = 0;
    SAV_TRY(r_.text(version, &is_text, &none));
    SAV_TRY(r_.close(skipped_elsewhere));
    SAV_TRY(r_.close(skipped_elsewhere));
    SAV_TRY(names());
    SAV_TRY(lp());
    SAV_TRY(mip());
    SAV_TRY(quad());
    SAV_TRY(indicators());
    SAV_TRY(start());
    SAV_TRY(r_.close(skipped_elsewhere));
    return kOk;
  }

 private:
  int count(int64_t& n, int64_t limit = INT32_MAX) {
    SAV_TRY(r_.integer(n));
    return n < 0 || n > limit ? kUninterpretable : kOk;
  }

  int names() {
    SAV_TRY(r_.open_application(kNames));
    std::string problem_name;
    SAV_TRY(r_.text(problem_name));
    SAV_TRY(r_.text(a_.objname));
    int64_t rows = 0, cols = 0;
    SAV_TRY(count(rows));
    SAV_TRY(r_.texts(a_.row_names, rows));
    SAV_TRY(count(cols));
    SAV_TRY(r_.texts(a_.col_names, cols));
    return r_.close(skipped[kSecNames]);
  }

  int row_pool(int tag, ReaderRowPool& pool) {
    SAV_TRY(r_.open_application(tag));
    int64_t rows = 0, nonzeros = 0;
    SAV_TRY(count(rows));
    SAV_TRY(count(nonzeros, INT64_MAX));
    if (rows > 0 || nonzeros > 0) {
      SAV_TRY(r_.doubles(pool.rhs, rows));
      SAV_TRY(r_.bytes(pool.sense, rows));
      std::vector<int64_t> begin;
      SAV_TRY(r_.int64s(begin, rows + 1));
      SAV_TRY(r_.int32s(pool.index, nonzeros));
      SAV_TRY(r_.doubles(pool.value, nonzeros));
      SAV_TRY(r_.texts(pool.names, rows));
      // The pool keeps begin per row, ending at the next row's begin.
      if (begin[0] != 0 || begin[static_cast<size_t>(rows)] != nonzeros) return kUninterpretable;
      for (int64_t i = 0; i < rows; ++i)
        if (begin[static_cast<size_t>(i)] > begin[static_cast<size_t>(i + 1)]) return kUninterpretable;
      begin.pop_back();
      pool.begin = std::move(begin);
      bool any_name = false;
      for (const std::string& s : pool.names) any_name |= !s.empty();
      if (!any_name) pool.names.clear();
    }
    return r_.close(skipped[kSecLp]);
  }

  int lp() {
    SAV_TRY(r_.open_application(kLpData));
    int64_t n = 0, m = 0, objsense = 0, ranged = 0, reserved = 0, nonzeros = 0;
    SAV_TRY(count(n));
    SAV_TRY(count(m));
    SAV_TRY(r_.integer(objsense));
    SAV_TRY(r_.integer(ranged));
    SAV_TRY(r_.integer(reserved));
    SAV_TRY(count(nonzeros, INT64_MAX));
    if (objsense != 1 && objsense != -1) return kUninterpretable;
    a_.objsense = static_cast<int>(objsense);
    SAV_TRY(r_.doubles(a_.obj, n));
    SAV_TRY(r_.doubles(a_.lb, n));
    SAV_TRY(r_.doubles(a_.ub, n));
    SAV_TRY(r_.doubles(a_.rhs, m));
    SAV_TRY(r_.bytes(a_.sense, m));
    SAV_TRY(r_.doubles(a_.range, ranged ? m : 0));
    SAV_TRY(r_.int64s(a_.matbeg, n));
    SAV_TRY(r_.int32s(a_.matcnt, n));
    SAV_TRY(r_.int32s(a_.matind, nonzeros));
    SAV_TRY(r_.doubles(a_.matval, nonzeros));
    // The names must match the counts read before them.
    if (!a_.row_names.empty() && static_cast<int64_t>(a_.row_names.size()) != m) return kUninterpretable;
    if (!a_.col_names.empty() && static_cast<int64_t>(a_.col_names.size()) != n) return kUninterpretable;
    for (int64_t j = 0; j < n; ++j) {
      const int64_t b = a_.matbeg[static_cast<size_t>(j)], c = a_.matcnt[static_cast<size_t>(j)];
      if (b < 0 || c < 0 || b + c > nonzeros) return kUninterpretable;
    }
    SAV_TRY(row_pool(kUserCuts, a_.user_cuts));
    SAV_TRY(row_pool(kLazyConstraints, a_.lazy_constraints));
    return r_.close(skipped[kSecLp]);
  }

  int mip() {
    SAV_TRY(r_.open_application(kMipData));
    int64_t typed = 0;
    SAV_TRY(r_.integer(typed));
    SAV_TRY(r_.bytes(a_.ctype, typed ? a_.num_cols() : 0));
    SAV_TRY(r_.open_application(kSosSets));
    int64_t sets = 0, entries = 0;
    SAV_TRY(count(sets));
    SAV_TRY(count(entries, INT64_MAX));
    std::vector<char> types;
    std::vector<int64_t> begin;
    std::vector<int> index;
    std::vector<double> weight;
    std::vector<std::string> names;
    SAV_TRY(r_.bytes(types, sets));
    SAV_TRY(r_.int64s(begin, sets));
    SAV_TRY(r_.int32s(index, entries));
    SAV_TRY(r_.doubles(weight, entries));
    SAV_TRY(r_.texts(names, sets));
    for (int64_t k = 0; k < sets; ++k) {
      const int64_t b = begin[static_cast<size_t>(k)];
      const int64_t e = k + 1 < sets ? begin[static_cast<size_t>(k + 1)] : entries;
      if (b < 0 || e < b || e > entries) return kUninterpretable;
      ReaderSos s;
      s.type = types[static_cast<size_t>(k)];
      s.name = std::move(names[static_cast<size_t>(k)]);
      s.indices.assign(index.begin() + b, index.begin() + e);
      s.weights.assign(weight.begin() + b, weight.begin() + e);
      a_.sos.push_back(std::move(s));
    }
    SAV_TRY(r_.close(skipped[kSecMip]));
    SAV_TRY(r_.open_application(kOrder));
    int64_t ordered = 0;
    SAV_TRY(count(ordered));
    SAV_TRY(r_.int32s(a_.order_indices, ordered));
    SAV_TRY(r_.int32s(a_.order_priority, ordered));
    SAV_TRY(r_.int32s(a_.order_direction, ordered));
    SAV_TRY(r_.close(skipped[kSecMip]));
    return r_.close(skipped[kSecMip]);
  }

  int quad() {
    SAV_TRY(r_.open_application(kQuadData));
    SAV_TRY(r_.open_application(kQuadObjective));
    int64_t n = 0;
    SAV_TRY(count(n));
    if (n > 0) {
      if (n != a_.num_cols()) return kUninterpretable;
      int64_t nonzeros = 0;
      SAV_TRY(count(nonzeros, INT64_MAX));
      SAV_TRY(r_.int64s(a_.qmatbeg, n));
      SAV_TRY(r_.int32s(a_.qmatcnt, n));
      SAV_TRY(r_.int32s(a_.qmatind, nonzeros));
      SAV_TRY(r_.doubles(a_.qmatval, nonzeros));
      for (int64_t j = 0; j < n; ++j) {
        const int64_t b = a_.qmatbeg[static_cast<size_t>(j)], c = a_.qmatcnt[static_cast<size_t>(j)];
        if (b < 0 || c < 0 || b + c > nonzeros) return kUninterpretable;
      }
    }
    SAV_TRY(r_.close(skipped[kSecQuad]));
    SAV_TRY(r_.open_application(kQuadConstraints));
    int64_t constraints = 0;
    SAV_TRY(count(constraints));
    for (int64_t k = 0; k < constraints; ++k) {
      ReaderQConstraint q;
      SAV_TRY(r_.open_application(kQuadConstraint));
      uint8_t sense = 0;
      SAV_TRY(r_.byte(sense));
      q.sense = static_cast<char>(sense);
      std::vector<double> rhs;
      SAV_TRY(r_.doubles(rhs, 1));
      q.rhs = rhs[0];
      int64_t lin = 0, quad = 0;
      SAV_TRY(count(lin));
      SAV_TRY(r_.int32s(q.linind, lin));
      SAV_TRY(r_.doubles(q.linval, lin));
      SAV_TRY(count(quad, INT64_MAX));
      SAV_TRY(r_.int32s(q.quadrow, quad));
      SAV_TRY(r_.int32s(q.quadcol, quad));
      SAV_TRY(r_.doubles(q.quadval, quad));
      SAV_TRY(r_.text(q.name));
      SAV_TRY(r_.close(skipped[kSecQuad]));
      a_.qconstraints.push_back(std::move(q));
    }
    SAV_TRY(r_.close(skipped[kSecQuad]));
    return r_.close(skipped[kSecQuad]);
  }

  int indicators() {
    SAV_TRY(r_.open_application(kIndicatorData));
    int64_t n = 0;
    SAV_TRY(count(n));
    for (int64_t k = 0; k < n; ++k) {
      ReaderIndicator ic;
      SAV_TRY(r_.open_application(kIndicator));
      SAV_TRY(r_.int32(ic.indicator));
      SAV_TRY(r_.int32(ic.complemented));
      uint8_t sense = 0;
      SAV_TRY(r_.byte(sense));
      ic.sense = static_cast<char>(sense);
      std::vector<double> rhs;
      SAV_TRY(r_.doubles(rhs, 1));
      ic.rhs = rhs[0];
      int64_t lin = 0;
      SAV_TRY(count(lin));
      SAV_TRY(r_.int32s(ic.linind, lin));
      SAV_TRY(r_.doubles(ic.linval, lin));
      SAV_TRY(r_.text(ic.name));
      SAV_TRY(r_.close(skipped[kSecIndicators]));
      a_.indicators.push_back(std::move(ic));
    }
    return r_.close(skipped[kSecIndicators]);
  }

  int start() {
    SAV_TRY(r_.open_application(kStart));
    int64_t basis = 0;
    SAV_TRY(r_.integer(basis));
    if (basis) {
      SAV_TRY(r_.int32s(a_.cstat, a_.num_cols()));
      SAV_TRY(r_.int32s(a_.rstat, a_.num_rows()));
    }
    return r_.close(skipped[kSecStart]);
  }

  BerReader& r_;
  ReaderArrays& a_;
};

bool in_range(const std::vector<int>& v, int64_t count) {
  for (int x : v)
    if (x < 0 || x >= count) return false;
  return true;
}

bool all_of_chars(const std::vector<char>& v, const char* allowed) {
  for (char c : v)
    if (c == 0 || !std::strchr(allowed, c)) return false;
  return true;
}

bool valid_pool(const ReaderRowPool& pool, int64_t cols) {
  return all_of_chars(pool.sense, "LEG") && in_range(pool.index, cols);
}

// Values the model operations would take on trust (senses, types,
// indices) are checked here, so that a damaged file is an error and not a
// model that breaks later.
int check_arrays(const ReaderArrays& a) {
  const int64_t n = a.num_cols(), m = a.num_rows();
  if (!all_of_chars(a.sense, "LEGR") || !all_of_chars(a.ctype, "CBISN")) return kUninterpretable;
  if (!in_range(a.matind, m) || !in_range(a.qmatind, n)) return kUninterpretable;
  if (!valid_pool(a.user_cuts, n) || !valid_pool(a.lazy_constraints, n)) return kUninterpretable;
  for (const ReaderSos& s : a.sos)
    if ((s.type != '1' && s.type != '2') || !in_range(s.indices, n)) return kUninterpretable;
  if (!in_range(a.order_indices, n)) return kUninterpretable;
  for (const ReaderQConstraint& q : a.qconstraints)
    if ((q.sense != 'L' && q.sense != 'G') || !in_range(q.linind, n) || !in_range(q.quadrow, n) ||
        !in_range(q.quadcol, n))
      return kUninterpretable;
  for (const ReaderIndicator& ic : a.indicators)
    if (!std::strchr("LEG", ic.sense) || ic.sense == 0 || ic.indicator < 0 || ic.indicator >= n ||
        !in_range(ic.linind, n))
      return kUninterpretable;
  for (int s : a.cstat)
    if (s < 0 || s > 3) return kUninterpretable;
  for (int s : a.rstat)
    if (s < 0 || s > 3) return kUninterpretable;
  return kOk;
}

int error_for(Environment& env, int code) {
  (void)env;
  return code == kUninterpretable ? kCannotInterpret : kNotEnoughData;
}

// The reader of the earlier binary layout. Files of that layout are no
// longer produced by this library, and it does not read them: every file
// handed to it is reported as incompatible.
int read_earlier_layout(Environment& env, const char* filename) {
  FILE* file = nullptr;
  if (int status = open_bare_read(env, filename, ".sav", true, file)) return status;
  close_bare(filename, file);
  return report_formatted(&env, kIncompatible, filename);
}

}  // namespace

int savfile_version() {
  const char* text = std::getenv("KORVA_SAVFILE_VERSION");
  if (!text || !*text) return 1;
  char* end = nullptr;
  const long v = std::strtol(text, &end, 10);
  if (*end != '\0') return 1;
  return static_cast<int>(v);
}

bool header_valid(FILE* file) {
  BerReader r(file);
  return read_header(r) == kOk;
}

int read_sav(Environment& env, const char* filename, ReaderArrays& arrays) {
  if (savfile_version() <= 0) return read_earlier_layout(env, filename);
  FILE* file = nullptr;
  if (int status = open_bare_read(env, filename, ".sav", true, file)) return status;
  BerReader r(file);
  int code = read_header(r);
  int status = 0;
  SavReader reader(r, arrays);
  // Whatever stops the header from reading (a short file included) means
  // the file is not one of ours.
  if (code != kOk) {
    status = report_formatted(&env, kNotSav, filename);
  } else if ((code = reader.run()) != kOk || (code = check_arrays(arrays)) != kOk) {
    status = error_for(env, code);
  }
  const int closed = close_bare(filename, file);
  if (status) return status;
  if (closed) return closed;
  bool any = reader.skipped_elsewhere;
  for (bool s : reader.skipped) any |= s;
  if (any) {
    msg(env.warning(), "Warning: Additional data in SAV file ignored.\n");
    for (int k = 0; k < kSectionCount; ++k)
      if (reader.skipped[k]) msg(env.warning(), "%s", kSkippedLines[k]);
  }
  return 0;
}

}  // namespace korva::sav
