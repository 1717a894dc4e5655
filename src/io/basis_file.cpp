#include "io/basis_file.h"

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "env/errors.h"
#include "io/capped_warnings.h"
#include "io/stream.h"
#include "io/text_file_lines.h"
#include "io/utf8_cut.h"
#include "korva/korva.h"
#include "model/model.h"
#include "simplex/solution/basis_solves.h"
#include "simplex/solution/lp_solution.h"

namespace korva {
namespace {


using namespace basis_code;
constexpr size_t kMaxNameBytes = 255;
constexpr double kInfiniteBound = 1e20;
constexpr double kNoValue = -1e300;  // a variable the value variant gave no value

// Whether a nonbasic row lies at the upper limit of its activity: an 'L'
// row sits at its right-hand side, the top of its range; a ranged row
// where its status says.
bool row_at_upper(const Problem& p, int i, int rstat) {
  switch (p.sense(i)) {
    case 'L': return true;
    case 'R': return rstat == KRV_AT_UPPER;
    default: return false;
  }
}

int row_status_from_limit(const Problem& p, int i, bool upper) {
  return p.sense(i) == 'R' && upper ? KRV_AT_UPPER : KRV_AT_LOWER;
}

bool free_column(const Problem& p, int j) {
  return p.lower(j) <= -kInfiniteBound && p.upper(j) >= kInfiniteBound;
}

// An unlisted column is nonbasic at its lower bound, or at zero when free.
int unlisted_column_status(const Problem& p, int j) {
  return free_column(p, j) ? KRV_FREE_SUPER : KRV_AT_LOWER;
}

long long iteration_count(Problem& p) {
  if (const simplex::LpSolution* sol = simplex::find_lp_solution(p)) return sol->iterations;
  return 0;
}

}  // namespace

int write_basis_file(Environment& env, Problem& p, const char* filename) {
  if (int status = model::complete(env, p)) return status;
  const Basis* basis = p.derived.basis.get();
  const int n = p.num_cols(), m = p.num_rows();
  if (!basis || static_cast<int>(basis->cstat.size()) != n || static_cast<int>(basis->rstat.size()) != m)
    return err::kNoBasis;
  StreamOptions options;
  options.mode = "w";
  options.must_exist = false;
  std::unique_ptr<FileStream> out;
  if (int status = FileStream::open(env, filename, options, out)) return status;
  auto col = [&](int j) { return std::string(utf8_cut(model::col_name(env, p, j), kMaxNameBytes)); };
  auto row = [&](int i) { return std::string(utf8_cut(model::row_name(env, p, i), kMaxNameBytes)); };
  out->printf("* ENCODING=%s\n", out->encoding_name());
  out->write("NAME          ");
  out->write(utf8_cut(p.lp.name, kMaxNameBytes));
  out->printf("  Iterations %lld  Rows %lld  Cols %lld\n", iteration_count(p), static_cast<long long>(m),
              static_cast<long long>(n));
  // Basic columns are paired in order with nonbasic rows; a valid basis
  // has as many of one as of the other.
  int next_row = 0;
  auto next_nonbasic_row = [&]() {
    while (next_row < m && basis->rstat[next_row] == KRV_BASIC) ++next_row;
    return next_row < m ? next_row++ : -1;
  };
  for (int j = 0; j < n; ++j) {
    const int s = basis->cstat[j];
    if (s == KRV_BASIC) {
      const int i = next_nonbasic_row();
      if (i >= 0) {
        out->printf(" X%c ", row_at_upper(p, i, basis->rstat[i]) ? 'U' : 'L');
        out->write(col(j));
        out->write("  ");
        out->write(row(i));
        out->write("\n");
      } else {
        out->write(" BS ");
        out->write(col(j));
        out->write("\n");
      }
    } else if (s == KRV_AT_UPPER) {
      out->write(" UL ");
      out->write(col(j));
      out->write("\n");
    } else if (s == KRV_AT_LOWER && free_column(p, j)) {
      // A free column "at its lower bound" cannot be told from one at
      // zero when read back; say it explicitly.
      out->write(" LL ");
      out->write(col(j));
      out->write("\n");
    }
  }
  // Nonbasic rows left without a basic column (a basis with superbasic
  // columns): listed by their limit so that they are not read as basic.
  for (int i = next_nonbasic_row(); i >= 0; i = next_nonbasic_row()) {
    out->write(row_at_upper(p, i, basis->rstat[i]) ? " UL " : " LL ");
    out->write(row(i));
    out->write("\n");
  }
  out->write("ENDATA\n");
  return FileStream::close(env, out, 0);
}

namespace {

class BasisReader {
 public:
  BasisReader(Environment& env, const Problem& p)
      : cstat(static_cast<size_t>(p.num_cols())),
        rstat(static_cast<size_t>(p.num_rows()), KRV_BASIC),
        cvalue(static_cast<size_t>(p.num_cols()), kNoValue),
        rvalue(static_cast<size_t>(p.num_rows()), kNoValue),
        env_(env),
        p_(p),
        cols_(p.lp.col_names),
        rows_(p.lp.row_names),
        warnings_(env) {
    for (int j = 0; j < p.num_cols(); ++j) cstat[static_cast<size_t>(j)] = unlisted_column_status(p, j);
  }

  int run(FileStream& in) {
    DataLines lines(in);
    if (int s = each_data_line(lines, [&] { return line(lines); })) return s;
    warnings_.finish();
    if (!lines.ended()) return kEndataMissing;
    if (int s = check_count()) return s;
    return with_values ? check_values() : 0;
  }

  std::vector<int> cstat, rstat;
  // The value variant: the value of every basic and superbasic variable.
  bool with_values = false;
  std::vector<double> cvalue, rvalue;

 private:
  int line(const DataLines& lines) {
    const long long number = lines.line_number();
    const std::string_view code = lines.field(0);
    const int fields = lines.count();
    if (code == "XU" || code == "XL") {
      if (fields != 3 && fields != 4) return report_formatted(&env_, kWrongNumberOfEntries, number);
      const int j = column(lines.field(1), number);
      const int i = row(lines.field(2), number);
      if (j >= 0) cstat[static_cast<size_t>(j)] = KRV_BASIC;
      if (i >= 0) rstat[static_cast<size_t>(i)] = row_status_from_limit(p_, i, code == "XU");
      if (fields == 4) return value(lines, 3, number, j >= 0 ? &cvalue[static_cast<size_t>(j)] : nullptr);
      return 0;
    }
    if (code == "BS" && fields == 3) {
      const int j = column(lines.field(1), number);
      if (j >= 0) cstat[static_cast<size_t>(j)] = KRV_BASIC;
      return value(lines, 2, number, j >= 0 ? &cvalue[static_cast<size_t>(j)] : nullptr);
    }
    if (code == "UL" || code == "LL" || code == "BS") {
      if (fields != 2) return report_formatted(&env_, kWrongNumberOfEntries, number);
      const std::string_view name = lines.field(1);
      // UL and LL may name a row left nonbasic without a partner.
      const int j = cols_.find(name);
      if (j >= 0) {
        cstat[static_cast<size_t>(j)] =
            code == "BS" ? KRV_BASIC : code == "UL" ? KRV_AT_UPPER : KRV_AT_LOWER;
        return 0;
      }
      if (code != "BS") {
        const int i = rows_.find(name);
        if (i >= 0) {
          rstat[static_cast<size_t>(i)] = row_status_from_limit(p_, i, code == "UL");
          return 0;
        }
      }
      warnings_.warn("Warning, line %lld: '%.255s' is not a variable.\n", number, std::string(name).c_str());
      return 0;
    }
    // The value lines: a basic row (BR), a superbasic column (SC) or row
    // (SR), each with its value.
    if (code == "BR" || code == "SR") {
      if (fields != 3) return report_formatted(&env_, kWrongNumberOfEntries, number);
      const int i = row(lines.field(1), number);
      if (i >= 0) rstat[static_cast<size_t>(i)] = code == "BR" ? KRV_BASIC : KRV_FREE_SUPER;
      return value(lines, 2, number, i >= 0 ? &rvalue[static_cast<size_t>(i)] : nullptr);
    }
    if (code == "SC") {
      if (fields != 3) return report_formatted(&env_, kWrongNumberOfEntries, number);
      const int j = column(lines.field(1), number);
      if (j >= 0) cstat[static_cast<size_t>(j)] = KRV_FREE_SUPER;
      return value(lines, 2, number, j >= 0 ? &cvalue[static_cast<size_t>(j)] : nullptr);
    }
    if (code == "SB") return kSuperbasis;
    return report_formatted(&env_, kUnrecognizedIndicator, number, std::string(code).c_str());
  }

  // Field `k` as a number into *to (null: the name was unknown).
  int value(const DataLines& lines, int k, long long number, double* to) {
    with_values = true;
    const std::string text(lines.field(k));
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    if (end == text.c_str() || *end != '\0') return report_formatted(&env_, kWrongNumberOfEntries, number);
    if (to) *to = v;
    return 0;
  }

  int column(std::string_view name, long long number) {
    return find_or_warn(cols_, warnings_, name, number, "variable");
  }
  int row(std::string_view name, long long number) { return find_or_warn(rows_, warnings_, name, number, "row"); }

  int check_count() {
    long long basic = 0;
    for (int s : cstat) basic += s == KRV_BASIC;
    for (int s : rstat) basic += s == KRV_BASIC;
    const long long m = p_.num_rows();
    if (basic < m) return report_formatted(&env_, kBasicCount, m - basic, "too few");
    if (basic > m) return report_formatted(&env_, kBasicCount, basic - m, "extra");
    return 0;
  }

  int check_values() const {
    for (size_t j = 0; j < cstat.size(); ++j)
      if ((cstat[j] == KRV_BASIC || cstat[j] == KRV_FREE_SUPER) && cvalue[j] == kNoValue &&
          !free_column(p_, static_cast<int>(j)))
        return kMissingBasicValues;
    for (size_t i = 0; i < rstat.size(); ++i)
      if ((rstat[i] == KRV_BASIC || rstat[i] == KRV_FREE_SUPER) && rvalue[i] == kNoValue) return kMissingBasicValues;
    return 0;
  }

  Environment& env_;
  const Problem& p_;
  NameIndex cols_, rows_;
  CappedWarnings warnings_;
};

}  // namespace

int read_basis_file(Environment& env, Problem& p, const char* filename) {
  if (int status = model::complete(env, p)) return status;
  if (int status = model::check_modifiable(p)) return status;
  if (!p.lp.col_names.present() || (p.num_rows() > 0 && !p.lp.row_names.present())) return err::kNoNames;
  StreamOptions options;
  options.mode = "rb";
  options.default_extension = ".bas";
  options.must_exist = false;
  std::unique_ptr<FileStream> in;
  if (int status = FileStream::open(env, filename, options, in)) return status;
  BasisReader reader(env, p);
  const int read = reader.run(*in);
  if (int status = FileStream::close(env, in, read)) return status;

  if (!reader.with_values) return model::copy_basis(env, p, reader.cstat.data(), reader.rstat.data());
  // The values start the next optimisation: superbasic columns where the
  // file puts them, nonbasic ones on their bounds.
  const int n = p.num_cols();
  std::vector<double> cprim(static_cast<size_t>(n));
  for (int j = 0; j < n; ++j) {
    const double v = reader.cvalue[static_cast<size_t>(j)];
    const int s = reader.cstat[static_cast<size_t>(j)];
    cprim[static_cast<size_t>(j)] = v != kNoValue                  ? v
                                    : s == KRV_AT_UPPER            ? p.upper(j)
                                    : p.lower(j) > -kInfiniteBound ? p.lower(j)
                                                                   : 0.0;
  }
  std::vector<double>& rprim = reader.rvalue;
  for (double& v : rprim)
    if (v == kNoValue) v = 0.0;
  return simplex::copy_start(env, p, reader.cstat.data(), reader.rstat.data(), cprim.data(), rprim.data(), nullptr,
                             nullptr);
}

}  // namespace korva
